#include "editor/Unit1App.h"

#include "editor/board/BoardState.h"
#include "platform/Dialogs.h"

#include <stdexcept>

namespace tolv {

namespace {
std::string& TitleStore()
{
    static std::string title = "Tolvplan";
    return title;
}
} // namespace

const std::string& ApplicationTitle()
{
    return TitleStore();
}

void SetApplicationTitle(const std::string& title)
{
    TitleStore() = title;
    // Libraries without the editor (the print jobs' questions) caption
    // their boxes with Qt's application display name.
    QGuiApplication::setApplicationDisplayName(QString::fromStdString(title));
}

void ShowException(const std::exception_ptr& e)
{
    std::string text;
    try {
        std::rethrow_exception(e);
    } catch (const std::exception& ex) {
        text = ex.what();
    } catch (...) {
        text = "Unbekannter Fehler";
    }
    try {
        plat::ShowMessage(text, ApplicationTitle(), plat::MsgIcon::Error, plat::MsgButtons::OK);
    } catch (...) {
        // The box itself failed: nothing more can be shown, the program runs on.
    }
}

void ShowFault(const std::string& ProcName, int FaultNo)
{
    plat::ShowMessage(FaultText(ProcName, FaultNo), "Caution", plat::MsgIcon::Error, plat::MsgButtons::OK);
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(std::current_exception());
        return false;
    }
}

} // namespace tolv
