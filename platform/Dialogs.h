#pragma once
// The one seam through which the program asks the user or the desktop
// anything: message boxes, file and colour dialogs, modal windows and the
// shell. The Qt implementation shows real dialogs; tests install a scripted
// double that records what was shown and answers from a queue.
#include "platform/Colour.h"

#include <optional>
#include <string>
#include <vector>

namespace plat {

enum class MsgIcon { None, Error, Warning, Information, Question };
enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
// Values as the platform numbers its answers (IDOK ...).
enum class MsgResult { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct MessageBox {
    std::string text;
    std::string caption;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::OK;
};

enum class ShowMode { Normal, Show, Maximized };

class DialogSeam {
public:
    virtual ~DialogSeam() = default;
    virtual MsgResult messageBox(const MessageBox& box) = 0;
    // Opens a file or URL with the desktop's default handler; false when it could not.
    virtual bool shellOpen(const std::string& target, ShowMode mode) = 0;
    // The colour dialog, opened with `initial` and offering the custom
    // colours: the colour the user confirmed, nothing on cancel. A seam
    // without a colour dialog answers as a cancel.
    virtual std::optional<TColor> chooseColor(TColor initial,
                                              const std::vector<TColor>& customColours)
    {
        return std::nullopt;
    }
};

// The seam in force; the Qt one (created on first use) unless a test
// installed another.
DialogSeam& Dialogs();
// Installs a seam (not owned); nullptr restores the Qt one.
void SetDialogs(DialogSeam* seam);
// The seam installed by SetDialogs, or nullptr when the Qt one is in force.
DialogSeam* InstalledDialogs();

// Installs a seam for the lifetime of the guard and then restores the one
// that was installed before.
class ScopedDialogs {
public:
    explicit ScopedDialogs(DialogSeam& seam) : previous_(InstalledDialogs()) { SetDialogs(&seam); }
    ~ScopedDialogs() { SetDialogs(previous_); }
    ScopedDialogs(const ScopedDialogs&) = delete;
    ScopedDialogs& operator=(const ScopedDialogs&) = delete;

private:
    DialogSeam* previous_;
};

// Shorthand for the common box.
MsgResult ShowMessage(const std::string& text, const std::string& caption,
                      MsgIcon icon = MsgIcon::None, MsgButtons buttons = MsgButtons::OK);

} // namespace plat
