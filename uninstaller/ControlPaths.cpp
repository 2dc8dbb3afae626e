#include "uninstaller/ControlPaths.h"

#include "platform/TextCase.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace uninst {

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

int DriveIndex(char letter)
{
    if (letter >= 'A' && letter <= 'Z')
        return letter - 'A';
    if (letter >= 'a' && letter <= 'z')
        return letter - 'a';
    return -1;
}

bool IsDotOrBlank(char c)
{
    return c == '.' || c == ' ';
}

// Splits the names after the root. Empty and "." names fall away, as
// Windows collapses them; on a drive a name drops its trailing dots and
// blanks, as Windows does when it opens it. What is left of ".." (and of
// any other name of dots and blanks alone) is refused: it would climb out
// of where the path points.
std::optional<std::vector<std::string>> SplitNames(std::string_view rest, bool windowsNames)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !IsSeparator(rest[end]))
            ++end;
        std::string_view name = rest.substr(start, end - start);
        start = end + 1;
        if (name.empty() || name == ".")
            continue;
        if (std::all_of(name.begin(), name.end(), IsDotOrBlank))
            return std::nullopt;
        if (windowsNames)
            while (IsDotOrBlank(name.back()))
                name.remove_suffix(1);
        names.emplace_back(name);
    }
    return names;
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(Fd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
    Fd& operator=(Fd&& o) noexcept
    {
        std::swap(fd_, o.fd_);
        return *this;
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

FolderId IdOf(const struct stat& st)
{
    return FolderId{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
}

// The entry of the folder that one of the spellings stands for: the first
// that is there as it is, else the single entry equal to them without
// regard to case.
std::optional<std::string> FindEntry(int dirFd, const std::vector<std::string_view>& spellings)
{
    for (const auto name : spellings) {
        struct stat st {};
        if (::fstatat(dirFd, std::string(name).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
            return std::string(name);
        if (errno != ENOENT)
            return std::nullopt;
    }
    const int scanFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (scanFd < 0)
        return std::nullopt;
    DIR* dir = ::fdopendir(scanFd);
    if (!dir) {
        ::close(scanFd);
        return std::nullopt;
    }
    const std::string folded = plat::FoldCase(spellings.front());
    std::optional<std::string> found;
    int matches = 0;
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view entry = e->d_name;
        if (entry == "." || entry == "..")
            continue;
        if (plat::FoldCase(entry) == folded) {
            ++matches;
            found = std::string(entry);
        }
    }
    ::closedir(dir);
    if (matches != 1)
        return std::nullopt;
    return found;
}

// The folder that holds the last name, opened without following any link
// below the base, and the names as `lookup` found them on the way.
struct Walk {
    Fd dir;
    std::vector<std::string> names;
};

template <class Lookup>
std::optional<Walk> WalkToParent(const PlacedPath& p, Lookup lookup)
{
    if (p.names.empty())
        return std::nullopt;
    Fd dir(::open(p.base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid())
        return std::nullopt;
    Walk walk;
    for (std::size_t i = 0; i < p.names.size(); ++i) {
        auto name = lookup(dir.get(), i);
        if (!name)
            return std::nullopt;
        walk.names.push_back(std::move(*name));
        if (i + 1 == p.names.size())
            break;
        Fd next(::openat(dir.get(), walk.names.back().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next.valid())
            return std::nullopt;   // a link, a file, missing or not readable
        dir = std::move(next);
    }
    walk.dir = std::move(dir);
    return walk;
}

// The names as they are: the folders on the way must exist so spelt.
std::optional<Walk> WalkExact(const PlacedPath& p)
{
    return WalkToParent(p, [&p](int, std::size_t i) { return std::optional<std::string>(p.names[i]); });
}

} // namespace

std::string JoinPlacedPath(const PlacedPath& p)
{
    std::string path = p.base;
    for (const auto& name : p.names) {
        if (path.empty() || path.back() != '/')
            path += '/';
        path += name;
    }
    return path;
}

DriveMap DriveMap::FromEnvironment()
{
    DriveMap map;
    std::string name = "UNINSTALL_DRIVE_A";
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        name.back() = letter;
        if (const char* dir = std::getenv(name.c_str()))
            map.Map(letter, dir);
    }
    return map;
}

bool DriveMap::Map(char letter, const std::string& dir)
{
    const int i = DriveIndex(letter);
    if (i < 0 || dir.empty() || dir.front() != '/' || dir.find('\0') != std::string::npos)
        return false;
    dirs_[std::size_t(i)] = dir;
    return true;
}

std::vector<std::string> DriveMap::Folders() const
{
    std::vector<std::string> out;
    for (const auto& dir : dirs_)
        if (!dir.empty())
            out.push_back(dir);
    return out;
}

bool DriveMap::MapPosixRoot(const std::string& dir)
{
    if (dir.empty() || dir.front() != '/' || dir.find('\0') != std::string::npos)
        return false;
    posixRoot_ = dir;
    return true;
}

const std::string* DriveMap::Find(char letter) const
{
    const int i = DriveIndex(letter);
    if (i < 0 || dirs_[std::size_t(i)].empty())
        return nullptr;
    return &dirs_[std::size_t(i)];
}

std::optional<PlacedPath> PlacePath(std::string_view path, const DriveMap& drives)
{
    if (path.empty() || path.find('\0') != std::string_view::npos)
        return std::nullopt;
    PlacedPath placed;
    std::string_view rest;
    bool onDrive = false;
    if (path.front() == '/') {
        placed.base = drives.PosixRoot();
        rest = path.substr(1);
    } else if (path.size() >= 3 && path[1] == ':' && IsSeparator(path[2])) {
        const std::string* dir = drives.Find(path[0]);
        if (!dir)
            return std::nullopt;
        placed.base = *dir;
        rest = path.substr(3);
        onDrive = true;
    } else {
        return std::nullopt;   // relative, drive-relative, UNC or root-relative
    }
    auto names = SplitNames(rest, onDrive);
    if (!names)
        return std::nullopt;
    placed.names = std::move(*names);
    return placed;
}

std::string DirectoryPart(std::string_view path)
{
    const auto i = path.find_last_of("\\/:");
    return i == std::string_view::npos ? std::string() : std::string(path.substr(0, i + 1));
}

std::string FileNamePart(std::string_view path)
{
    const auto i = path.find_last_of("\\/:");
    return std::string(i == std::string_view::npos ? path : path.substr(i + 1));
}

std::string EntryKey(const PlacedPath& path)
{
    std::string key = path.base;
    for (const auto& name : path.names) {
        key += '\0';
        key += plat::FoldCase(name);
    }
    return key;
}

std::optional<PlacedPath> ResolvePlacedPath(const PlacedPath& path, const std::vector<PlacedPath>& spellings)
{
    if (path.names.empty())
        return path;
    const std::string key = EntryKey(path);
    std::vector<const PlacedPath*> others;
    for (const auto& s : spellings)
        if (s.names.size() == path.names.size() && EntryKey(s) == key)
            others.push_back(&s);
    auto walk = WalkToParent(path, [&](int dirFd, std::size_t i) {
        std::vector<std::string_view> names{path.names[i]};
        for (const PlacedPath* s : others)
            if (std::find(names.begin(), names.end(), s->names[i]) == names.end())
                names.push_back(s->names[i]);
        return FindEntry(dirFd, names);
    });
    if (!walk)
        return std::nullopt;
    return PlacedPath{path.base, std::move(walk->names)};
}

namespace {

// Unlinks the last name when it is a folder (and only then) or is none.
bool RemoveEntry(const PlacedPath& path, bool folder)
{
    const auto parent = WalkExact(path);
    if (!parent)
        return false;
    const std::string& name = parent->names.back();
    struct stat st {};
    if (::fstatat(parent->dir.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode) != folder)
        return false;
    return ::unlinkat(parent->dir.get(), name.c_str(), folder ? AT_REMOVEDIR : 0) == 0;
}

// The folder of a path of this system, opened with links followed, and
// the name in it; nothing for a name that is no entry of its own.
std::optional<std::pair<Fd, std::string>> OpenGivenFolder(const std::string& path)
{
    const std::filesystem::path p(path);
    const std::string name = p.filename().string();
    if (name.empty() || name == "." || name == "..")
        return std::nullopt;
    const std::string folder = p.has_parent_path() ? p.parent_path().string() : std::string(".");
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid())
        return std::nullopt;
    return std::make_pair(std::move(dir), name);
}

bool UnlinkNonFolder(int dirFd, const std::string& name)
{
    struct stat st {};
    return ::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode) &&
           ::unlinkat(dirFd, name.c_str(), 0) == 0;
}

// Whether the folder is one of `folders` or lies below one, found by going
// up through "..". The depth cap only guards against a file system that
// never reaches its root.
bool LiesInside(int dirFd, const std::vector<FolderId>& folders)
{
    Fd cur(::openat(dirFd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    for (int depth = 0; cur.valid() && depth < 4096; ++depth) {
        struct stat st {};
        if (::fstat(cur.get(), &st) != 0)
            return false;
        if (std::find(folders.begin(), folders.end(), IdOf(st)) != folders.end())
            return true;
        Fd up(::openat(cur.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat upSt {};
        if (!up.valid() || ::fstat(up.get(), &upSt) != 0 || IdOf(upSt) == IdOf(st))
            return false;   // the root: nothing above
        cur = std::move(up);
    }
    return false;
}

} // namespace

bool DeletePlacedFile(const PlacedPath& resolved)
{
    return RemoveEntry(resolved, false);
}

bool RemovePlacedDir(const PlacedPath& resolved)
{
    // AT_REMOVEDIR removes only an empty folder.
    return RemoveEntry(resolved, true);
}

std::optional<std::string> LocatePlacedPath(const PlacedPath& path)
{
    const auto resolved = ResolvePlacedPath(path);
    if (!resolved)
        return std::nullopt;
    return JoinPlacedPath(*resolved);
}

bool DeleteControlFile(std::string_view path, const DriveMap& drives)
{
    const auto placed = PlacePath(path, drives);
    const auto resolved = placed ? ResolvePlacedPath(*placed) : std::nullopt;
    return resolved && DeletePlacedFile(*resolved);
}

bool RemoveControlDir(std::string_view path, const DriveMap& drives)
{
    const auto placed = PlacePath(path, drives);
    const auto resolved = placed ? ResolvePlacedPath(*placed) : std::nullopt;
    return resolved && RemovePlacedDir(*resolved);
}

std::optional<FolderId> PlacedFolderId(const PlacedPath& resolved)
{
    if (resolved.names.empty())
        return FolderIdOf(resolved.base);
    const auto parent = WalkExact(resolved);
    if (!parent)
        return std::nullopt;
    const Fd dir(::openat(parent->dir.get(), parent->names.back().c_str(),
                          O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!dir.valid() || ::fstat(dir.get(), &st) != 0)
        return std::nullopt;
    return IdOf(st);
}

std::optional<FolderId> FolderIdOf(const std::string& dir)
{
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    return IdOf(st);
}

bool DeleteGivenFile(const std::string& path)
{
    const auto folder = OpenGivenFolder(path);
    return folder && UnlinkNonFolder(folder->first.get(), folder->second);
}

InsideDeletion DeleteGivenFileInside(const std::string& path, const std::vector<FolderId>& folders)
{
    const auto folder = OpenGivenFolder(path);
    if (!folder || !LiesInside(folder->first.get(), folders))
        return InsideDeletion::Outside;
    return UnlinkNonFolder(folder->first.get(), folder->second) ? InsideDeletion::Deleted : InsideDeletion::Failed;
}

} // namespace uninst
