#include "platform/ScriptedDialogs.h"

namespace plat {

MsgResult FirstButton(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OK:
    case MsgButtons::OKCancel: return MsgResult::OK;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel: return MsgResult::Yes;
    case MsgButtons::RetryCancel: return MsgResult::Retry;
    case MsgButtons::AbortRetryIgnore: return MsgResult::Abort;
    }
    return MsgResult::OK;
}

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

} // namespace plat
