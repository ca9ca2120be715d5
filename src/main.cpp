// The plivora program: the command line, the choice of window system, the Qt host and the program
// object with its main window. Closing the main window ends the program.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <xcb/xcb.h>

#include <QApplication>
#include <QIcon>
#include <QLocale>

#include "app/form1.h"
#include "app/program.h"
#include "picture/thumbnail_cache.h"
#include "qt/qt_host.h"
#include "qt/termination_signals.h"
#include "win/file_system.h"

namespace {

constexpr std::string_view kUsage =
    "Usage: plivora [FILE | FOLDER]\n"
    "Browse folders of pictures (GIF, JPEG, BMP, ICO, CUR) and play animated GIFs.\n"
    "\n"
    "  FILE        show this picture, with its folder in the lists\n"
    "  FOLDER      start the lists on this folder\n"
    "  -h, --help  print this help and exit\n"
    "  --version   print the version and exit\n";

struct CommandLine {
    enum class Action { Run, Help, Version, Misuse };
    Action action = Action::Run;
    std::string path;
    std::string problem;  // what was wrong, for Misuse
};

// Options are read before Qt sees the arguments, so that --help and --version need no display.
// Qt's own options are not taken: the environment variables (QT_QPA_PLATFORM, QT_SCALE_FACTOR,
// ...) do the same.
CommandLine parseCommandLine(int argc, char* argv[]) {
    CommandLine line;
    bool optionsEnded = false;
    int paths = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == "-h" || argument == "--help")) {
            return {CommandLine::Action::Help, {}, {}};
        } else if (!optionsEnded && argument == "--version") {
            return {CommandLine::Action::Version, {}, {}};
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            return {CommandLine::Action::Misuse, {}, "unknown option " + std::string(argument)};
        } else if (++paths > 1) {
            return {CommandLine::Action::Misuse, {}, "more than one file or folder"};
        } else {
            // The bytes as given, never through QString: a file name need not be UTF-8.
            line.path = argument;
        }
    }
    return line;
}

// The main window and the floating panel place themselves on the screen and follow the pointer
// across it, which a Wayland client may not do. On a Wayland session with an X server beside it
// (XWayland) the program therefore runs as an X client, unless the user chose a platform.
void preferXcbOnWayland() {
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
        !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        return;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    if (!reachable) {
        return;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    std::fputs(
        "plivora: running through XWayland (QT_QPA_PLATFORM=xcb), as placing windows and "
        "following the pointer need it; set QT_QPA_PLATFORM to choose otherwise\n",
        stderr);
}

}  // namespace

int main(int argc, char* argv[]) {
    const CommandLine line = parseCommandLine(argc, argv);
    switch (line.action) {
        case CommandLine::Action::Help:
            std::fputs(kUsage.data(), stdout);
            return EXIT_SUCCESS;
        case CommandLine::Action::Version:
            std::fputs("plivora " PLIVORA_VERSION "\n", stdout);
            return EXIT_SUCCESS;
        case CommandLine::Action::Misuse:
            std::fprintf(stderr, "plivora: %s\n%s", line.problem.c_str(), kUsage.data());
            return 2;
        case CommandLine::Action::Run:
            break;
    }

    preferXcbOnWayland();
    // Qt sees only the program's name: every argument was read above.
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Plivora"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.plivora.Plivora"));
    // The program's icon at every size drawn for it, for the task bar and for windows that have
    // no icon of their own.
    QIcon icon;
    for (const char* size : {"16", "48", "64", "128", "256"}) {
        icon.addFile(QStringLiteral(":/pictures/app_icon_%1.png").arg(QLatin1String(size)));
    }
    icon.addFile(QStringLiteral(":/pictures/window_icon.png"));
    QApplication::setWindowIcon(icon);

    plivora::QtHost host;
    const std::string programFolder = plivora::programFolder();
    plivora::Program program(host,
                             plivora::ProgramPaths{plivora::currentFolder(), programFolder,
                                                   QLocale::system().groupSeparator().toStdString(),
                                                   plivora::settingsFolderFor(programFolder),
                                                   plivora::userThumbnailFolder(), line.path});
    program.start();
    // A termination signal closes the main window as its close button does, which ends the
    // program.
    const plivora::TerminationSignals terminationSignals(
        [&program] { program.form1().unload(plivora::Form::kFormControlMenu); });
    return QApplication::exec();
}
