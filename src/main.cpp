// The plivora program: the Qt host and the program object with its main window. Closing the main
// window ends the program.

#include <string>

#include <QApplication>
#include <QIcon>
#include <QLocale>

#include "app/program.h"
#include "qt/qt_host.h"
#include "win/file_system.h"
#include "win/thumbnail_cache.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
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
                                                   plivora::userThumbnailFolder()});
    program.start();
    return QApplication::exec();
}
