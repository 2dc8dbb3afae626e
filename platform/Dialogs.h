#pragma once
// The one seam through which the program asks the user or the desktop
// anything: message boxes, file and colour dialogs, modal windows and the
// shell. The Qt implementation shows real dialogs; tests install a scripted
// double that records what was shown and answers from a queue.
#include "platform/Colour.h"
#include "platform/Paper.h"

#include <functional>
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

enum class FileDialogKind { Open, Save };

struct FileDialogOptions {
    bool overwritePrompt = false;   // Save: a chosen file that exists is confirmed first
    bool hideReadOnly = false;      // no "open read-only" box (Qt's dialogs never have one)
    bool resizable = false;         // a size grip; the dialog can be resized in any case
};

// One open or save dialog as the program asks for it.
struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    std::string title;
    // "description|patterns|description|patterns", patterns separated by ';'.
    std::string filter;
    // Appended to a name typed without extension; "tlv", ".tlv" and "*.tlv" mean the same.
    std::string defaultExt;
    std::string initialDir;
    std::string fileName;   // the name shown at first; may be a full path
    FileDialogOptions options;
    // The close query: asked with the full path when the user confirms a
    // file. false keeps the dialog open for another choice or Cancel.
    std::function<bool(const std::string& fileName)> canClose;
};

// One filter entry: "Tolvaria Map" with {"*.tlv"}.
struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;
};
std::vector<FileFilter> ParseFileFilter(const std::string& filter);
// The bare extension of a default extension: "*.tlv" -> "tlv".
std::string BareExtension(const std::string& defaultExt);
// The full name a confirmed entry stands for: relative to the dialog's
// folder, with the default extension appended when the name has none (in an
// open dialog only when the name as typed is no file).
std::string ResolveDialogFileName(const FileDialogRequest& request, const std::string& entry);
// The question before a save dialog accepts a file that exists.
std::string OverwriteQuestionText(const std::string& fileName);

// The print dialog: a printer from the list and a range of pages.
struct PrintDialogRequest {
    std::vector<std::string> printers;
    int printer = -1;           // the current one
    int minPage = 1, maxPage = 1;
    int fromPage = 1, toPage = 1;
};

struct PrintDialogAnswer {
    int printer = -1;           // the printer chosen
    bool allPages = true;       // else fromPage..toPage
    int fromPage = 1, toPage = 1;
};

// The printer-setup dialog: printer, paper and orientation.
struct PrinterSetupRequest {
    std::vector<std::string> printers;
    int printer = -1;
    // The papers a printer of the list offers.
    std::function<PaperList(int printer)> papers;
    Paper paper;                // the current one
    bool landscape = false;
};

struct PrinterSetupAnswer {
    int printer = -1;
    std::optional<Paper> paper; // nothing: as it was
    bool landscape = false;
};

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
    // An open or save dialog: the full name of the file the close query
    // accepted, nothing when the user cancelled. A seam without file
    // dialogs answers as a cancel.
    virtual std::optional<std::string> fileDialog(const FileDialogRequest& request)
    {
        return std::nullopt;
    }
    // The print and printer-setup dialogs: what the user confirmed,
    // nothing on cancel. A seam without them answers as a cancel.
    virtual std::optional<PrintDialogAnswer> printDialog(const PrintDialogRequest& request)
    {
        return std::nullopt;
    }
    virtual std::optional<PrinterSetupAnswer> printerSetupDialog(const PrinterSetupRequest& request)
    {
        return std::nullopt;
    }
};

// The seam in force: one a test installed, else the program's own (a
// program with windows sets the Qt one at start), else an unattended one
// that shows nothing: a box's text goes to stderr and the box takes its
// first button, file and colour dialogs cancel, the shell opens nothing.
DialogSeam& Dialogs();
// Installs a seam (not owned); nullptr restores the program's own.
void SetDialogs(DialogSeam* seam);
// The seam installed by SetDialogs, or nullptr when the program's own is in force.
DialogSeam* InstalledDialogs();
// The program's own seam behind any installed one (not owned).
void SetProgramDialogs(DialogSeam* seam);

// The first button of a box: what the platform's box returns on Enter, and
// the answer of a box that nobody is there to answer.
MsgResult FirstButton(MsgButtons buttons);

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
