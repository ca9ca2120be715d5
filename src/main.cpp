// The plivora program: the Qt host and the program object with its main window. Closing the main
// window ends the program.

#include <QApplication>
#include <QLocale>

#include "app/program.h"
#include "qt/qt_host.h"
#include "win/file_system.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Plivora"));

    plivora::QtHost host;
    plivora::Program program(
        host, plivora::ProgramPaths{plivora::currentFolder(), plivora::programFolder(),
                                    QLocale::system().groupSeparator().toStdString()});
    program.start();
    return QApplication::exec();
}
