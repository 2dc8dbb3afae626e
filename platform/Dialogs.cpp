#include "platform/Dialogs.h"

#include "platform/QtDialogs.h"

#include <memory>

namespace plat {

namespace {

DialogSeam* gInstalled = nullptr;

} // namespace

DialogSeam& Dialogs()
{
    if (gInstalled)
        return *gInstalled;
    static const std::unique_ptr<QtDialogs> qt = std::make_unique<QtDialogs>();
    return *qt;
}

void SetDialogs(DialogSeam* seam)
{
    gInstalled = seam;
}

DialogSeam* InstalledDialogs()
{
    return gInstalled;
}

MsgResult ShowMessage(const std::string& text, const std::string& caption, MsgIcon icon,
                      MsgButtons buttons)
{
    return Dialogs().messageBox(MessageBox{text, caption, icon, buttons});
}

} // namespace plat
