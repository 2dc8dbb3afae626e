// Uninstall: removes the installation that the control file named by the
// one argument describes.
#include "uninstaller/ControlFile.h"
#include "platform/QtDialogs.h"
#include "uninstaller/widgets/UninstallApp.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(uninst::kApplicationTitle);
    // The program ends when its welcome window closes, also while it is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    plat::UseQtDialogs();
    const plat::GermanQtTexts qtGerman;
    plat::SubstituteWindowsFaces();

    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    uninst::UninstallProgram program(uninst::UninstallOptions::FromProcess(args));
    QObject::connect(&program, &uninst::UninstallProgram::Ended, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    program.Start();
    return app.exec();
}
