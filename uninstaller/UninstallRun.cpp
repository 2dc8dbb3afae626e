#include "uninstaller/UninstallRun.h"

#include "platform/IniFile.h"
#include "platform/TextCase.h"
#include "uninstaller/ControlFile.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace uninst {

namespace {

const std::string kWebList = "\\Software\\quorran\\Pakoreth_UPD_WEB";
const std::string kUninstallEntries = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

struct RootName {
    const char* shortName;
    const char* longName;
    RootKey root;
};
// In the order they are tested.
constexpr std::array<RootName, 6> kRoots = {{
    {"HKCR", "HKEY_CLASSES_ROOT", RootKey::ClassesRoot},
    {"HKCU", "HKEY_CURRENT_USER", RootKey::CurrentUser},
    {"HKLM", "HKEY_LOCAL_MACHINE", RootKey::LocalMachine},
    {"HKU", "HKEY_USERS", RootKey::Users},
    {"HKCC", "HKEY_CURRENT_CONFIG", RootKey::CurrentConfig},
    {"HKDD", "HKEY_DYN_DATA", RootKey::DynData},
}};

std::string UpperAscii(std::string s)
{
    for (auto& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

// The root a Reg section names; a missing Root is HKEY_LOCAL_MACHINE, one
// that names no root leaves the root as it is.
std::optional<RootKey> SectionRoot(const plat::IniFile& ini, const std::string& section)
{
    if (!ini.ValueExists(section, "Root"))
        return RootKey::LocalMachine;
    const std::string root = UpperAscii(ini.ReadString(section, "Root", ""));
    for (const auto& r : kRoots)
        if (root == r.shortName || root == r.longName)
            return r.root;
    return std::nullopt;
}

// A name that goes into a key path the run deletes recursively: blank or
// with a "\" it would make the path name the parent (every product of the
// company, every program's uninstall entry).
bool IsKeyName(const std::string& name)
{
    return name.find_first_not_of(' ') != std::string::npos && name.find('\\') == std::string::npos;
}

// Calls f with first, first + 1, .. last (none when first > last). The
// counts come from the control file: INT_MAX must end the loop, not overflow it.
template <class F>
void ForEachNumber(int first, int last, F f)
{
    if (first > last)
        return;
    for (int i = first;; ++i) {
        f(i);
        if (i == last)
            return;
    }
}

// The open key is closed when a block of registry work ends, also by an error.
struct CloseKeyAtEnd {
    TRegistry& reg;
    ~CloseKeyAtEnd() { reg.CloseKey(); }
};

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa {}, sb {};
    return ::lstat(a.c_str(), &sa) == 0 && ::lstat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// The real folder of a path, links resolved; empty when it does not exist.
std::string RealPath(const std::string& path)
{
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return {};
    std::string out = real;
    std::free(real);
    return out;
}

// The folder of a POSIX path, "." for a bare name.
std::string FolderOf(const std::string& path)
{
    const auto parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// The folder itself or one below it.
bool IsAtOrInside(const std::string& path, const std::string& dir)
{
    if (dir.empty() || path.size() < dir.size() || path.compare(0, dir.size(), dir) != 0)
        return false;
    return path.size() == dir.size() || dir.back() == '/' || path[dir.size()] == '/';
}

// A file the program was given by path (its control file, its own file):
// the folders on the way are the caller's and may be links; the file
// itself is removed as an entry, a link as a link.
bool DeleteGivenFile(const std::string& path)
{
    const std::string dir = RealPath(FolderOf(path));
    const std::string name = std::filesystem::path(path).filename().string();
    if (dir.empty() || name.empty())
        return false;
    const auto placed = PlacePath(dir + "/" + name, DriveMap());
    return placed && DeletePlacedFile(*placed);
}

class Run {
public:
    explicit Run(const RunInput& in) : in_(in), ini_(in.controlFile), reg_(in.registry) {}

    RunResult Execute()
    {
        RunResult result;
        result.installDirs = InstallDirs();
        try {
            RunSteps(result);
        } catch (const std::exception& e) {
            result.error = e.what();
            return result;
        }
        // An error among the listed folders still lets the installation's
        // folders and the control file go before it is reported.
        try {
            const int count = ReadCount(ini_, "ExtraDir", "DirCount", "0");
            ForEachNumber(1, count, [&](int i) {
                RemoveControlDir(ini_.ReadString("ExtraDir", "Dir" + std::to_string(i), ""), in_.drives);
            });
        } catch (const std::exception& e) {
            result.error = e.what();
        }
        RemoveControlDir(ini_.ReadString("Directories", "MainDir", ""), in_.drives);
        RemoveControlDir(ini_.ReadString("ProgramPath", "Path", ""), in_.drives);
        DeleteGivenFile(in_.controlFile);
        result.finished = true;
        return result;
    }

private:
    void RunSteps(RunResult& result)
    {
        DeleteFiles();
        DeleteExtraFiles(result.collectedDirs);
        DeleteLinks();
        if (ini_.ReadBool("Settings", "UpdateFromTheWeb", false))
            RemoveFromWebList();
        if (ini_.ReadBool("Settings", "StandardReg", false))
            DeleteRegistryEntries();
        // First collected, first removed: only empty folders go.
        for (const auto& dir : result.collectedDirs)
            RemoveControlDir(dir, in_.drives);
    }

    std::vector<PlacedPath> InstallDirs() const
    {
        std::vector<PlacedPath> dirs;
        for (const auto& dir : {ini_.ReadString("Directories", "MainDir", ""), ini_.ReadString("ProgramPath", "Path", "")})
            if (auto placed = PlacePath(dir, in_.drives))
                dirs.push_back(std::move(*placed));
        return dirs;
    }

    // Deletes the entry first; the item line follows.
    void DeleteListed(const std::string& entry)
    {
        const auto placed = PlacePath(entry, in_.drives);
        if (!placed)
            return;
        if (!in_.ownFile.empty()) {
            const auto onDisk = LocatePlacedPath(*placed);
            if (onDisk && SameFile(*onDisk, in_.ownFile))
                return;
        }
        DeletePlacedFile(*placed);
    }

    void DeleteFiles()
    {
        const int count = ReadCount(ini_, "Files", "FileCount", "0");
        in_.sink.Phase("Dateien werden gelöscht...");
        // FileCount is the highest number: File0 .. FileCount.
        ForEachNumber(0, count, [&](int i) {
            const std::string entry = ini_.ReadString("Files", "File" + std::to_string(i), "0");
            DeleteListed(entry);
            in_.sink.Item(ItemText("Datei ", entry), ItemPosition(i, count));
        });
    }

    void DeleteExtraFiles(std::vector<std::string>& dirs)
    {
        const int count = ReadCount(ini_, "ExtraFiles", "ExtraCount", "0");
        in_.sink.Phase("Extra-Dateien werden gelöscht...");
        ForEachNumber(1, count, [&](int i) {
            const std::string entry = ini_.ReadString("ExtraFiles", "ExFile" + std::to_string(i), "0");
            DeleteListed(entry);
            CollectDir(dirs, DirectoryPart(entry));
            in_.sink.Item(ItemText("Datei ", entry), ItemPosition(i, count));
        });
    }

    static void CollectDir(std::vector<std::string>& dirs, const std::string& dir)
    {
        if (dir.empty())
            return;
        const std::string folded = plat::FoldCase(dir);
        for (const auto& d : dirs)
            if (plat::FoldCase(d) == folded)
                return;
        dirs.push_back(dir);
    }

    void DeleteLinks()
    {
        const int count = ReadCount(ini_, "Links", "LinkCount", "0");
        in_.sink.Phase("Verknüpfungen werden gelöscht...");
        ForEachNumber(1, count, [&](int i) {
            const std::string entry = ini_.ReadString("Link" + std::to_string(i), "Path", "0");
            DeleteListed(entry);
            in_.sink.Item(ItemText("Verknüpfung ", entry), ItemPosition(i, count));
        });
    }

    // A list that has no SetupCount holds no entry.
    int SetupCount()
    {
        const std::string text = reg_.ReadString("SetupCount");
        return text.empty() ? 0 : StrToInt(text);
    }

    static std::string Program(int i) { return kWebList + "\\Program" + std::to_string(i); }

    // This installation's entry leaves the web-update list; the entries
    // after it move down so that the list stays numbered without gaps.
    void RemoveFromWebList()
    {
        reg_.SetRootKey(RootKey::LocalMachine);
        reg_.OpenKey(kWebList, false);
        const int n = SetupCount();
        const std::string id = ini_.ReadString("UpdateFromTheWeb", "ProgramID", "");
        // Without an identity this installation has no entry to find.
        if (n <= 0 || id.empty())
            return;
        bool removed = false;
        for (int i = 1; i <= n && !removed; ++i) {
            // An entry that cannot be opened is nobody's: it matches nothing.
            if (!reg_.OpenKey(Program(i), false) || reg_.ReadString("UpdateID") != id)
                continue;
            reg_.CloseKey();
            reg_.DeleteKey(Program(i));
            reg_.OpenKey(kWebList, false);
            const int m = SetupCount();
            for (int j = i + 1; j <= m; ++j)
                reg_.MoveKey(Program(j), Program(j - 1), true);
            removed = true;
        }
        reg_.OpenKey(kWebList, false);
        if (removed)
            reg_.WriteString("SetupCount", std::to_string(SetupCount() - 1));
    }

    void DeleteRegistryEntries()
    {
        in_.sink.Phase("Registry-Werte werden gelöscht...");
        in_.sink.ClearItem();
        DeleteListedValues();
        DeleteProgramSettings();
        DeleteUninstallEntry();
    }

    void DeleteListedValues()
    {
        CloseKeyAtEnd closer{reg_};
        const int count = ReadCount(ini_, "Registry", "RegCount", "0");
        ForEachNumber(1, count, [&](int i) {
            const std::string section = "Reg" + std::to_string(i);
            if (const auto root = SectionRoot(ini_, section))
                reg_.SetRootKey(*root);
            // A relative Key goes on from the key the previous section
            // opened. Opened without creating it: a missing key holds
            // nothing to delete, and the key still open is not the one meant.
            if (reg_.OpenKey(ini_.ReadString(section, "Key", "HKLM"), false))
                reg_.DeleteValue(ini_.ReadString(section, "Title", "HKLM"));
        });
    }

    void DeleteProgramSettings()
    {
        CloseKeyAtEnd closer{reg_};
        reg_.SetRootKey(RootKey::LocalMachine);
        const std::string company = ini_.ReadString("Settings", "Company", "1");
        const std::string app = ini_.ReadString("Settings", "AppName", "1");
        const std::string version = ini_.ReadString("Settings", "Version", "1");
        if (!IsKeyName(company) || !IsKeyName(app) || !IsKeyName(version))
            return;
        const std::string program = "\\Software\\" + company + "\\" + app;
        const std::string settings = program + "\\" + version;
        if (reg_.OpenKey(settings, false)) {
            reg_.DeleteValue("Company");
            reg_.DeleteValue("Name");
        }
        reg_.DeleteKey(settings);
        reg_.DeleteKey(program);   // other versions of the program go with it
    }

    void DeleteUninstallEntry()
    {
        CloseKeyAtEnd closer{reg_};
        reg_.SetRootKey(RootKey::LocalMachine);
        const std::string app = ini_.ReadString("Settings", "AppName", "1");
        if (!IsKeyName(app))
            return;
        const std::string entry = kUninstallEntries + app;
        if (reg_.OpenKey(entry, false)) {
            reg_.DeleteValue("DisplayName");
            reg_.DeleteValue("UninstallString");
        }
        reg_.DeleteKey(entry);
    }

    const RunInput& in_;
    const plat::IniFile ini_;
    TRegistry& reg_;
};

} // namespace

std::string ItemText(const std::string& kind, const std::string& entry)
{
    return kind + FileNamePart(entry) + "wird gelöscht...";
}

int ItemPosition(int i, int count)
{
    // With FileCount 0 the one entry File0 is the whole list.
    if (count <= 0)
        return 100;
    return int(std::int64_t(i) * 100 / count);
}

RunResult RunUninstall(const RunInput& in)
{
    return Run(in).Execute();
}

bool DeleteOwnFile(const std::string& ownFile, const std::vector<PlacedPath>& installDirs)
{
    const std::string ownDir = RealPath(FolderOf(ownFile));
    for (const auto& dir : installDirs) {
        const auto onDisk = LocatePlacedPath(dir);
        if (onDisk && !ownDir.empty() && IsAtOrInside(ownDir, RealPath(*onDisk)))
            return DeleteGivenFile(ownFile);
    }
    std::fprintf(stderr, "Uninstall: %s liegt in keinem Ordner der Installation und bleibt erhalten.\n",
                 ownFile.c_str());
    return false;
}

} // namespace uninst
