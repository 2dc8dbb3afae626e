#include "platform/Paths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace plat {

namespace {

// Index where the extension of the name part starts, or npos.
std::string::size_type ExtStart(const std::string& path)
{
    const auto slash = path.rfind('/');
    const std::string::size_type nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || dot <= nameStart)
        return std::string::npos;
    return dot;
}

} // namespace

std::string ProgramDir()
{
    std::vector<char> buf(PATH_MAX);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0)
            break;
        if (std::size_t(n) < buf.size()) {
            std::string exe(buf.data(), std::size_t(n));
            const auto slash = exe.rfind('/');
            if (slash == std::string::npos)
                break;
            return slash == 0 ? std::string("/") : exe.substr(0, slash);
        }
        buf.resize(buf.size() * 2);
    }
    // Without /proc there is no reliable answer; the working directory is the
    // least surprising stand-in.
    return CurrentDir();
}

std::string CurrentDir()
{
    if (char* cwd = getcwd(nullptr, 0)) {
        std::string dir(cwd);
        free(cwd);
        return dir;
    }
    return ".";
}

bool IsNameable(const std::string& path)
{
    return !path.empty() && path.find('\0') == std::string::npos;
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty())
        return name;
    std::string::size_type start = 0;
    while (start < name.size() && name[start] == '/')
        ++start;
    std::string out = dir;
    while (out.size() > 1 && out.back() == '/')
        out.pop_back();
    if (out != "/")
        out += '/';
    out.append(name, start, std::string::npos);
    return out;
}

std::string ExtractFilePath(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExtractFileName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtractFileExt(const std::string& path)
{
    const auto dot = ExtStart(path);
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext)
{
    const auto dot = ExtStart(path);
    return (dot == std::string::npos ? path : path.substr(0, dot)) + ext;
}

bool FileExists(const std::string& path)
{
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path)
{
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsReadOnlyFile(const std::string& path)
{
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0)
        return true;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return true;
    return access(path.c_str(), W_OK) != 0;
}

FileReadResult ReadRegularFile(const std::string& path, std::string& out, std::size_t maxBytes)
{
    out.clear();
    // Non-blocking, so that a FIFO in the file's place cannot hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? FileReadResult::Missing : FileReadResult::Failed;
    auto done = [fd](FileReadResult r) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return r;
    };
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return done(FileReadResult::Failed);
    if (!S_ISREG(st.st_mode))
        return done(FileReadResult::NotRegular);
    if (std::size_t(st.st_size) > maxBytes)
        return done(FileReadResult::TooLarge);
    out.reserve(std::size_t(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return done(FileReadResult::Failed);
        }
        if (n == 0)
            break;
        out.append(buf, std::size_t(n));
        // The file may grow while it is read.
        if (out.size() > maxBytes)
            return done(FileReadResult::TooLarge);
    }
    return done(FileReadResult::Ok);
}

} // namespace plat
