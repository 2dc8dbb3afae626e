#include "platform/ScriptedDialogs.h"

#include "platform/Paths.h"

namespace plat {

MsgResult ScriptedDialogs::messageBox(const MessageBox& box)
{
    calls_.push_back(box);
    const auto answer = messageAnswers.next();
    return answer ? *answer : FirstButton(box.buttons);
}

bool ScriptedDialogs::shellOpen(const std::string& target, ShowMode mode)
{
    calls_.push_back(ShellCall{target, mode});
    return shellAnswers.next();
}

std::optional<TColor> ScriptedDialogs::chooseColor(TColor initial,
                                                   const std::vector<TColor>& customColours)
{
    calls_.push_back(ColorCall{initial, customColours});
    return colorAnswers.next();
}

std::optional<PrintDialogAnswer> ScriptedDialogs::printDialog(const PrintDialogRequest& request)
{
    calls_.push_back(request);
    return printAnswers.next();
}

std::optional<PrinterSetupAnswer> ScriptedDialogs::printerSetupDialog(const PrinterSetupRequest& request)
{
    calls_.push_back(request);
    return printerSetupAnswers.next();
}

std::optional<std::string> ScriptedDialogs::fileDialog(const FileDialogRequest& request)
{
    // Recorded first, so that what the close query shows follows it in calls().
    const std::size_t index = calls_.size();
    calls_.push_back(FileDialogCall{request, {}, std::nullopt});
    auto call = [this, index]() -> FileDialogCall& { return std::get<FileDialogCall>(calls_[index]); };

    for (const auto& entry : fileAnswers.next()) {
        if (!entry)
            break;
        // A folder typed as it is is opened by the dialog, not confirmed.
        FileDialogRequest asTyped = request;
        asTyped.defaultExt.clear();
        if (DirectoryExists(ResolveDialogFileName(asTyped, *entry)))
            continue;
        const std::string name = ResolveDialogFileName(request, *entry);
        if (name.empty())
            continue;
        if (request.kind == FileDialogKind::Save && request.options.overwritePrompt &&
            FileExists(name) &&
            messageBox({OverwriteQuestionText(name), request.title, MsgIcon::Warning,
                        MsgButtons::YesNo}) != MsgResult::Yes)
            continue;
        call().offered.push_back(name);
        if (!request.canClose || request.canClose(name)) {
            call().result = name;
            return name;
        }
    }
    return std::nullopt;
}

} // namespace plat
