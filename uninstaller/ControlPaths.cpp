#include "uninstaller/ControlPaths.h"

#include "platform/TextCase.h"

#include <cerrno>
#include <cstdlib>
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

// Splits the names after the root. One trailing separator is allowed (the
// folder parts of the control file end in one); any other empty name, "."
// and ".." are refused: they would climb out of where the path points.
std::optional<std::vector<std::string>> SplitNames(std::string_view rest)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !IsSeparator(rest[end]))
            ++end;
        const std::string_view name = rest.substr(start, end - start);
        if (name.empty() || name == "." || name == "..")
            return std::nullopt;
        names.emplace_back(name);
        start = end + 1;
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

// The entry of the folder that the name stands for: itself when it exists,
// else the single entry equal to it without regard to case.
std::optional<std::string> FindEntry(int dirFd, const std::string& name)
{
    struct stat st {};
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return name;
    if (errno != ENOENT)
        return std::nullopt;
    const int scanFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (scanFd < 0)
        return std::nullopt;
    DIR* dir = ::fdopendir(scanFd);
    if (!dir) {
        ::close(scanFd);
        return std::nullopt;
    }
    const std::string folded = plat::FoldCase(name);
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
// below the base, and the last name as found there.
struct Parent {
    Fd dir;
    std::string name;
    std::string path;   // for LocatePlacedPath
};

std::optional<Parent> WalkToParent(const PlacedPath& p)
{
    if (p.names.empty())
        return std::nullopt;
    Fd dir(::open(p.base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid())
        return std::nullopt;
    std::string path = p.base;
    auto join = [&path](const std::string& name) {
        if (path.empty() || path.back() != '/')
            path += '/';
        path += name;
    };
    for (std::size_t i = 0; i + 1 < p.names.size(); ++i) {
        const auto name = FindEntry(dir.get(), p.names[i]);
        if (!name)
            return std::nullopt;
        Fd next(::openat(dir.get(), name->c_str(),
                         O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next.valid())
            return std::nullopt;   // a link, a file, or not readable
        dir = std::move(next);
        join(*name);
    }
    auto last = FindEntry(dir.get(), p.names.back());
    if (!last)
        return std::nullopt;
    join(*last);
    return Parent{std::move(dir), std::move(*last), std::move(path)};
}

} // namespace

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
    if (path.front() == '/') {
        placed.base = "/";
        rest = path.substr(1);
    } else if (path.size() >= 3 && path[1] == ':' && IsSeparator(path[2])) {
        const std::string* dir = drives.Find(path[0]);
        if (!dir)
            return std::nullopt;
        placed.base = *dir;
        rest = path.substr(3);
    } else {
        return std::nullopt;   // relative, drive-relative, UNC or root-relative
    }
    auto names = SplitNames(rest);
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

namespace {

// Unlinks the last name when it is a folder (and only then) or is none.
bool RemoveEntry(const PlacedPath& path, bool folder)
{
    const auto parent = WalkToParent(path);
    if (!parent)
        return false;
    struct stat st {};
    if (::fstatat(parent->dir.get(), parent->name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        S_ISDIR(st.st_mode) != folder)
        return false;
    return ::unlinkat(parent->dir.get(), parent->name.c_str(), folder ? AT_REMOVEDIR : 0) == 0;
}

} // namespace

bool DeletePlacedFile(const PlacedPath& path)
{
    return RemoveEntry(path, false);
}

bool RemovePlacedDir(const PlacedPath& path)
{
    // AT_REMOVEDIR removes only an empty folder.
    return RemoveEntry(path, true);
}

std::optional<std::string> LocatePlacedPath(const PlacedPath& path)
{
    if (path.names.empty())
        return path.base;
    auto parent = WalkToParent(path);
    if (!parent)
        return std::nullopt;
    return std::move(parent->path);
}

bool DeleteControlFile(std::string_view path, const DriveMap& drives)
{
    const auto placed = PlacePath(path, drives);
    return placed && DeletePlacedFile(*placed);
}

bool RemoveControlDir(std::string_view path, const DriveMap& drives)
{
    const auto placed = PlacePath(path, drives);
    return placed && RemovePlacedDir(*placed);
}

} // namespace uninst
