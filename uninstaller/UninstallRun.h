#pragma once
// The uninstall run without a window: everything the control file lists is
// removed in a fixed order, and what the progress window shows is handed to
// a sink. Failed deletions are ignored; a count that is no number or a
// registry error ends the run at that point.
#include "uninstaller/ControlPaths.h"
#include "uninstaller/Registry.h"

#include <optional>
#include <string>
#include <vector>

namespace uninst {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void Phase(const std::string& text) = 0;
    // The item line and the bar's position (0..100).
    virtual void Item(const std::string& text, int position) = 0;
    // The item line emptied; the bar stays.
    virtual void ClearItem() = 0;
};

struct RunInput {
    std::string controlFile;     // absolute
    const DriveMap& drives;
    TRegistry& registry;
    // The running program's file: a listed entry naming it is left for the
    // finish page, which alone may remove it.
    std::string ownFile;
    ProgressSink& sink;
};

struct RunResult {
    // The run came to its end (the finish page follows), also after an
    // error in the list of extra folders.
    bool finished = false;
    // The message of the error that ended the run or the folder list.
    std::optional<std::string> error;
    // The folders of the extra files, in the order first met, each once.
    std::vector<std::string> collectedDirs;
    // The installation's folders (MainDir, ProgramPath) as they were placed.
    std::vector<PlacedPath> installDirs;
};

RunResult RunUninstall(const RunInput& in);

// The item line of a deleted file or shortcut: the kind, the entry's name
// part and, with no blank before it, "wird gelöscht...".
std::string ItemText(const std::string& kind, const std::string& entry);
// i * 100 div count in 64 bits; a count of 0 or less shows 100.
int ItemPosition(int i, int count);

// The program's own file removed at the end, only when it really lies in
// one of the installation's folders or below. Those are taken as the run
// takes paths: no link followed at any level, and never "/" or a mapped
// drive's folder, which hold everything. False (and a line on stderr) otherwise.
bool DeleteOwnFile(const std::string& ownFile, const std::vector<PlacedPath>& installDirs, const DriveMap& drives);

} // namespace uninst
