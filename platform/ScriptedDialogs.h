#pragma once
// A dialog seam for tests: records every call in order and answers from a
// queue per kind of call, with a default when the queue is empty.
//
// To add a kind of dialog: a record type for the call, an alternative in
// SeamCall, an AnswerQueue member for its answers, and the override that
// records the call and returns queue.next().
#include "platform/Dialogs.h"

#include <deque>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace plat {

template <typename T>
class AnswerQueue {
public:
    explicit AnswerQueue(T fallback) : fallback_(std::move(fallback)) {}
    void push(T answer) { queue_.push_back(std::move(answer)); }
    void setDefault(T fallback) { fallback_ = std::move(fallback); }
    std::size_t pending() const { return queue_.size(); }
    void clear() { queue_.clear(); }
    // The oldest queued answer, else the default.
    T next()
    {
        if (queue_.empty())
            return fallback_;
        T a = std::move(queue_.front());
        queue_.pop_front();
        return a;
    }

private:
    std::deque<T> queue_;
    T fallback_;
};

struct ShellCall {
    std::string target;
    ShowMode mode = ShowMode::Normal;
};

struct ColorCall {
    TColor initial = 0;
    std::vector<TColor> customColours;
};

// One file dialog: what the user is offered in turn. An entry is a name as
// typed (relative to the dialog's folder or a full path); nothing is Cancel.
// A script that runs out before a file was accepted ends with Cancel.
using FileDialogScript = std::vector<std::optional<std::string>>;

struct FileDialogCall {
    FileDialogRequest request;
    std::vector<std::string> offered;    // the full names the close query was asked about
    std::optional<std::string> result;   // the accepted file, nothing on cancel
};

using SeamCall = std::variant<MessageBox, ShellCall, ColorCall, FileDialogCall, PrintDialogRequest,
                              PrinterSetupRequest>;

class ScriptedDialogs : public DialogSeam {
public:
    // Message boxes answer with a queued result; with none queued, with the
    // queue's default when one was set, else with the box's first button.
    AnswerQueue<std::optional<MsgResult>> messageAnswers{std::nullopt};
    AnswerQueue<bool> shellAnswers{true};
    // Colour dialogs answer with a queued colour; nothing queued is a cancel.
    AnswerQueue<std::optional<TColor>> colorAnswers{std::nullopt};
    // File dialogs play one script each; with none queued they cancel.
    // Each entry goes through what the real dialog does on confirming: the
    // name is resolved (folder, default extension; a folder typed as it is
    // is skipped, the real dialog opens it), a save dialog that asks
    // before overwriting asks through messageBox (answered from
    // messageAnswers; No goes on to the next entry), then the close query
    // decides; a refused entry goes on to the next one.
    AnswerQueue<FileDialogScript> fileAnswers{FileDialogScript{}};
    // Print and printer-setup dialogs answer with a queued answer; nothing
    // queued is a cancel.
    AnswerQueue<std::optional<PrintDialogAnswer>> printAnswers{std::nullopt};
    AnswerQueue<std::optional<PrinterSetupAnswer>> printerSetupAnswers{std::nullopt};

    MsgResult messageBox(const MessageBox& box) override;
    bool shellOpen(const std::string& target, ShowMode mode) override;
    std::optional<TColor> chooseColor(TColor initial,
                                      const std::vector<TColor>& customColours) override;
    std::optional<std::string> fileDialog(const FileDialogRequest& request) override;
    std::optional<PrintDialogAnswer> printDialog(const PrintDialogRequest& request) override;
    std::optional<PrinterSetupAnswer> printerSetupDialog(const PrinterSetupRequest& request) override;

    void answerMessage(MsgResult r) { messageAnswers.push(r); }
    void answerFiles(FileDialogScript script) { fileAnswers.push(std::move(script)); }

    // Everything in call order, and per kind.
    const std::vector<SeamCall>& calls() const { return calls_; }
    std::vector<MessageBox> messageBoxes() const { return callsOf<MessageBox>(); }
    std::vector<ShellCall> shellCalls() const { return callsOf<ShellCall>(); }
    std::vector<ColorCall> colorCalls() const { return callsOf<ColorCall>(); }
    std::vector<FileDialogCall> fileDialogCalls() const { return callsOf<FileDialogCall>(); }
    std::vector<PrintDialogRequest> printDialogCalls() const { return callsOf<PrintDialogRequest>(); }
    std::vector<PrinterSetupRequest> printerSetupCalls() const { return callsOf<PrinterSetupRequest>(); }
    void clearCalls() { calls_.clear(); }

private:
    template <typename T>
    std::vector<T> callsOf() const
    {
        std::vector<T> out;
        for (const auto& c : calls_)
            if (const T* p = std::get_if<T>(&c))
                out.push_back(*p);
        return out;
    }

    std::vector<SeamCall> calls_;
};

// A scripted seam that is installed while it lives.
class ScopedScriptedDialogs : public ScriptedDialogs {
public:
    ScopedScriptedDialogs() : guard_(*this) {}

private:
    ScopedDialogs guard_;
};

} // namespace plat
