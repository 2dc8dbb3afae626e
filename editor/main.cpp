// Tolvplan's main sequence: application, splash, title, main window and
// settings window, message loop.
#include "editor/Unit1.h"
#include "editor/Unit1App.h"
#include "editor/Unit2.h"
#include "editor/Unit3.h"
#include "platform/Paths.h"
#include "platform/QtDialogs.h"
#include "platform/QtPrinter.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    tolv::TApplication app(argc, argv);

    const plat::GermanQtTexts qtGerman;
    plat::SubstituteWindowsFaces();

    // With TOLV_AUTO_DIALOGS set the program runs unattended (scripted
    // checks of its exit codes): the platform's unattended seam stays in
    // force, so message boxes go to stderr and take their first button, and
    // the other dialogs cancel.
    const char* unattended = std::getenv("TOLV_AUTO_DIALOGS");
    if (!unattended || !*unattended || std::string(unattended) == "0")
        plat::UseQtDialogs();
    // The printer outputs and the preview's printer list: the CUPS queues
    // and "PDF-Datei".
    plat::QtPrinter printer;
    const plat::ScopedPrinter printerInstalled(printer);

    // The splash; a failure to show it does not stop the start.
    std::unique_ptr<tolv::TAboutBox> splash;
    try {
        splash = std::make_unique<tolv::TAboutBox>();
        splash->show();
        splash->repaint();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } catch (...) {
    }

    tolv::SetApplicationTitle("Tolvaria Feldwerker");

    tolv::StartOptions options;
    options.ProgramDir = plat::ProgramDir();
    // The arguments as the bytes they are: a folder name need not be valid
    // UTF-8, and a round trip through QString would name another folder.
    // The application object has already taken its own options out of argv.
    for (int i = 1; i < argc; ++i)
        options.Args.emplace_back(argv[i]);
    options.AboutBox = splash.get();

    tolv::TForm1 form(options);
    if (form.FatalExitCode() != 0)
        return form.FatalExitCode();
    tolv::TForm3 form3(form.State(), form.ProfileRecord(), form.Paths().ProgramDir, &form);
    form.Form3 = &form3;
    QObject::connect(&form, &tolv::TForm1::Closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    form.show();
    // The main window opens over the splash; the splash goes back in front
    // at once rather than at its next tick.
    if (splash && splash->isVisible())
        splash->BringToFront();
    return app.exec();
}
