#include "platform/FileRead.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {

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
