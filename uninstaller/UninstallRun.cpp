#include "uninstaller/UninstallRun.h"

#include "platform/IniFile.h"
#include "platform/TextCase.h"
#include "uninstaller/ControlFile.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <unordered_map>

#include <sys/stat.h>

namespace uninst {

namespace {

const std::string kWebList = "\\Software\\quorran\\Pakoreth_UPD_WEB";
const std::string kUninstallEntries = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// The root a Reg section names; a missing Root is HKEY_LOCAL_MACHINE, one
// that names no root leaves the root as it is.
std::optional<RootKey> SectionRoot(const plat::IniFile& ini, const std::string& section)
{
    if (!ini.ValueExists(section, "Root"))
        return RootKey::LocalMachine;
    return RootKeyByName(ini.ReadString(section, "Root", ""));
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

// The numbers n in first..last for which the name is the prefix and n, as
// the control file's numbered keys and sections are written (decimal, no
// leading zeros), compared as the profile compares names.
std::optional<int> NumberAfter(const std::string& name, std::string_view foldedPrefix, int first, int last)
{
    const std::string folded = plat::FoldCase(name);
    if (!folded.starts_with(foldedPrefix))
        return std::nullopt;
    const std::string_view digits = std::string_view(folded).substr(foldedPrefix.size());
    if (digits.empty() || (digits.size() > 1 && digits.front() == '0'))
        return std::nullopt;
    int n = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (ec != std::errc() || end != digits.data() + digits.size() || n < first || n > last)
        return std::nullopt;
    return n;
}

// Every path the control file lists, gathered before anything is deleted.
// Paths that Windows takes for one entry are resolved once, together: at
// most one file goes for them, and a lookup without regard to case never
// takes a file that an earlier deletion left as the only candidate.
class ListedEntries {
public:
    void Add(const std::string& entry, const DriveMap& drives)
    {
        if (auto placed = PlacePath(entry, drives))
            groups_[EntryKey(*placed)].spellings.push_back(std::move(*placed));
    }
    void ResolveAll()
    {
        for (auto& [key, group] : groups_)
            group.resolved = ResolvePlacedPath(group.spellings.front(), group.spellings);
    }
    // The entry as it lay on disk before the run; a path that was not
    // gathered is resolved now, on its own.
    std::optional<PlacedPath> Find(const PlacedPath& placed) const
    {
        const auto group = groups_.find(EntryKey(placed));
        return group != groups_.end() ? group->second.resolved : ResolvePlacedPath(placed);
    }

private:
    struct Group {
        std::vector<PlacedPath> spellings;   // in the order listed
        std::optional<PlacedPath> resolved;
    };
    std::unordered_map<std::string, Group> groups_;
};

class Run {
public:
    explicit Run(const RunInput& in) : in_(in), ini_(in.controlFile), reg_(in.registry)
    {
        GatherEntries();
    }

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
                RemoveListedDir(ini_.ReadString("ExtraDir", "Dir" + std::to_string(i), ""));
            });
        } catch (const std::exception& e) {
            result.error = e.what();
        }
        RemoveListedDir(ini_.ReadString("Directories", "MainDir", ""));
        RemoveListedDir(ini_.ReadString("ProgramPath", "Path", ""));
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
            RemoveListedDir(dir);
    }

    std::vector<PlacedPath> InstallDirs() const
    {
        std::vector<PlacedPath> dirs;
        for (const auto& dir : {ini_.ReadString("Directories", "MainDir", ""), ini_.ReadString("ProgramPath", "Path", "")})
            if (auto placed = PlacePath(dir, in_.drives))
                dirs.push_back(std::move(*placed));
        return dirs;
    }

    // What the steps will read, read once before anything goes. A count
    // that is no number ends the run when its step reads it; until then the
    // entries before it are gathered.
    void GatherEntries()
    {
        GatherNumbered("Files", "File", 0, "FileCount", [&](const std::string& entry) { entries_.Add(entry, in_.drives); });
        GatherNumbered("ExtraFiles", "ExFile", 1, "ExtraCount", [&](const std::string& entry) {
            entries_.Add(entry, in_.drives);
            entries_.Add(DirectoryPart(entry), in_.drives);
        });
        if (const auto count = CountOrNothing("Links", "LinkCount"))
            for (const auto& section : ini_.ReadSections())
                if (const auto n = NumberAfter(section, "link", 1, *count))
                    entries_.Add(ini_.ReadString("Link" + std::to_string(*n), "Path", "0"), in_.drives);
        GatherNumbered("ExtraDir", "Dir", 1, "DirCount", [&](const std::string& entry) { entries_.Add(entry, in_.drives); });
        entries_.Add(ini_.ReadString("Directories", "MainDir", ""), in_.drives);
        entries_.Add(ini_.ReadString("ProgramPath", "Path", ""), in_.drives);
        entries_.ResolveAll();
    }

    std::optional<int> CountOrNothing(const std::string& section, const std::string& key) const
    {
        int count = 0;
        if (!plat::ParseIniInteger(ini_.ReadString(section, key, "0"), count))
            return std::nullopt;
        return count;
    }

    // Only the keys that are there: a missing entry reads as "0", which
    // names nothing, and a count may be far larger than the file.
    template <class F>
    void GatherNumbered(const std::string& section, const std::string& prefix, int first, const std::string& countKey, F add)
    {
        const auto count = CountOrNothing(section, countKey);
        if (!count)
            return;
        const std::string foldedPrefix = plat::FoldCase(prefix);
        for (const auto& key : ini_.ReadSection(section))
            if (const auto n = NumberAfter(key, foldedPrefix, first, *count))
                add(ini_.ReadString(section, prefix + std::to_string(*n), "0"));
    }

    // Deletes the entry first; the item line follows.
    void DeleteListed(const std::string& entry)
    {
        const auto placed = PlacePath(entry, in_.drives);
        const auto resolved = placed ? entries_.Find(*placed) : std::nullopt;
        if (!resolved)
            return;
        if (!in_.ownFile.empty() && SameFile(JoinPlacedPath(*resolved), in_.ownFile))
            return;
        DeletePlacedFile(*resolved);
    }

    void RemoveListedDir(const std::string& entry)
    {
        const auto placed = PlacePath(entry, in_.drives);
        if (const auto resolved = placed ? entries_.Find(*placed) : std::nullopt)
            RemovePlacedDir(*resolved);
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
        // An empty identity is found too: in the first entry without UpdateID.
        const std::string id = ini_.ReadString("UpdateFromTheWeb", "ProgramID", "");
        if (n <= 0)
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
            // A relative Key goes on from the key the previous section named,
            // as it would after opening that one with create; a missing key
            // is not made just to find no value in it.
            if (reg_.SelectKey(ini_.ReadString(section, "Key", "HKLM")))
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
    ListedEntries entries_;
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

bool DeleteOwnFile(const std::string& ownFile, const std::vector<PlacedPath>& installDirs, const DriveMap& drives)
{
    // A root holds everything: it is never the installation's folder.
    std::vector<FolderId> roots;
    std::vector<std::string> rootDirs = drives.Folders();
    rootDirs.insert(rootDirs.end(), {drives.PosixRoot(), "/"});
    for (const auto& dir : rootDirs)
        if (const auto id = FolderIdOf(dir))
            roots.push_back(*id);
    std::vector<FolderId> folders;
    for (const auto& dir : installDirs) {
        const auto resolved = dir.names.empty() ? std::nullopt : ResolvePlacedPath(dir);
        const auto id = resolved ? PlacedFolderId(*resolved) : std::nullopt;
        if (id && std::find(roots.begin(), roots.end(), *id) == roots.end())
            folders.push_back(*id);
    }
    switch (DeleteGivenFileInside(ownFile, folders)) {
    case InsideDeletion::Deleted:
        return true;
    case InsideDeletion::Outside:
        std::fprintf(stderr, "Uninstall: %s liegt in keinem Ordner der Installation und bleibt erhalten.\n",
                     ownFile.c_str());
        return false;
    case InsideDeletion::Failed:
        break;
    }
    return false;
}

} // namespace uninst
