#pragma once
// The program Uninstall: its three windows, created in order (the welcome
// window first: closing it ends the program), and what they share.
#include "uninstaller/ControlPaths.h"

#include <QObject>

#include <memory>
#include <string>
#include <vector>

namespace uninst {

class TWelcome;
class TUnInst;
class TFertig;

struct UninstallOptions {
    std::vector<std::string> args;   // the arguments after the program's name
    std::string workingDir;
    std::string ownFile;             // the program's own file
    DriveMap drives;
    std::string registryPath;
    // From the command line and the environment; the own file from /proc/self/exe.
    static UninstallOptions FromProcess(const std::vector<std::string>& args);
};

class UninstallProgram : public QObject {
    Q_OBJECT
public:
    explicit UninstallProgram(UninstallOptions options);
    ~UninstallProgram() override;

    const UninstallOptions& Options() const { return options_; }
    // The first argument made absolute once: checked, read and deleted alike.
    const std::string& ControlFile() const { return controlFile_; }

    // Shows the welcome window; its check follows from the event loop.
    void Start();
    // The code the program ends with when the welcome window closes.
    void SetExitCode(int code) { exitCode_ = code; }
    int ExitCode() const { return exitCode_; }
    // Called when the welcome window closes: every window goes, Ended follows.
    void End();
    bool HasEnded() const { return ended_; }

    // The installation's folders, kept from the run for the finish page.
    std::vector<PlacedPath> InstallDirs;

    std::unique_ptr<TWelcome> Welcome;
    std::unique_ptr<TUnInst> UnInst;
    std::unique_ptr<TFertig> Fertig;

signals:
    void Ended(int exitCode);

private:
    UninstallOptions options_;
    std::string controlFile_;
    int exitCode_ = 0;
    bool ended_ = false;
};

// The application's error box: the message, the error icon, the title as caption.
void ShowError(const std::string& message);

} // namespace uninst
