#include "platform/Paths.h"

#include <climits>
#include <cstdlib>
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
    if (char* cwd = getcwd(nullptr, 0)) {
        std::string dir(cwd);
        free(cwd);
        return dir;
    }
    return ".";
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

} // namespace plat
