#include "uninstaller/widgets/UninstallApp.h"

#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "uninstaller/ControlFile.h"
#include "uninstaller/Registry.h"
#include "uninstaller/widgets/Fretig.h"
#include "uninstaller/widgets/UnInstForm.h"
#include "uninstaller/widgets/Uninstall1.h"

#include <QTimer>

#include <filesystem>

namespace uninst {

UninstallOptions UninstallOptions::FromProcess(const std::vector<std::string>& args)
{
    UninstallOptions o;
    o.args = args;
    o.workingDir = plat::CurrentDir();
    std::error_code ec;
    o.ownFile = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    o.drives = DriveMap::FromEnvironment();
    o.registryPath = DefaultRegistryPath();
    return o;
}

UninstallProgram::UninstallProgram(UninstallOptions options)
    : options_(std::move(options)), controlFile_(ControlFilePath(options_.args, options_.workingDir))
{
    // In the order of the original start: the first is the main window.
    Welcome = std::make_unique<TWelcome>(*this);
    UnInst = std::make_unique<TUnInst>(*this);
    Fertig = std::make_unique<TFertig>(*this);
}

UninstallProgram::~UninstallProgram() = default;

void UninstallProgram::Start()
{
    Welcome->show();
}

void UninstallProgram::End()
{
    if (ended_)
        return;
    ended_ = true;
    UnInst->Timer1->stop();
    Welcome->hide();
    UnInst->hide();
    Fertig->hide();
    emit Ended(exitCode_);
}

void ShowError(const std::string& message)
{
    plat::ShowMessage(message, kApplicationTitle, plat::MsgIcon::Error, plat::MsgButtons::OK);
}

} // namespace uninst
