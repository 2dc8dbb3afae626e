#pragma once
// The application object of Tolvplan: its title, and the default error box
// that an exception escaping any event handler reaches.
#include <QApplication>

#include <exception>
#include <string>

namespace tolv {

// The application title, the caption of the default error box.
const std::string& ApplicationTitle();
void SetApplicationTitle(const std::string& title);

// The default error box: the exception's message, captioned with the
// application title, through the dialog seam.
void ShowException(const std::exception_ptr& e);

// An internal consistency fault: "Fault #<n> in procedure <name>" in an
// error box captioned "Caution"; the work goes on.
void ShowFault(const std::string& ProcName, int FaultNo);

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    // Delivers every event; an exception from a handler is shown in the
    // default error box and the program runs on.
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs f and shows whatever it throws in the default error box; true when it
// returned normally.
template <class F>
bool Guarded(F&& f)
{
    try {
        f();
        return true;
    } catch (...) {
        ShowException(std::current_exception());
        return false;
    }
}

// Connects a signal of a window's control to a handler that runs guarded:
// whatever it throws reaches the default error box and the program runs on.
// Every connection of the windows goes through here.
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection Connect(Sender* sender, Signal signal, QObject* context, Handler handler)
{
    return QObject::connect(sender, signal, context,
                            [handler = std::move(handler)] { Guarded(handler); });
}

} // namespace tolv
