#include "pdf/PdfOutput.h"

#include "platform/Paths.h"
#include "platform/SafeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pdf {

namespace {

class PosixOutput final : public PdfOutput {
public:
    explicit PosixOutput(int fd) : fd_(fd) { buffer_.reserve(BufferSize); }
    ~PosixOutput() override
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool Write(const void* data, std::size_t size) override
    {
        if (fd_ < 0 || failed_)
            return false;
        const auto* p = static_cast<const char*>(data);
        if (buffer_.size() + size > BufferSize) {
            if (!Flush())
                return false;
            if (size >= BufferSize)
                return WriteAll(p, size);
        }
        buffer_.insert(buffer_.end(), p, p + size);
        return true;
    }

    bool Close() override
    {
        if (fd_ < 0)
            return false;
        bool ok = !failed_ && Flush();
        // Delayed allocation can report a full disk only when the data is
        // forced out; descriptors that cannot be synced (pipes) are fine.
        if (ok && ::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS)
            ok = false;
        if (::close(fd_) != 0 && errno != EINTR)
            ok = false;
        fd_ = -1;
        return ok;
    }

private:
    static constexpr std::size_t BufferSize = 1 << 16;

    bool Flush()
    {
        if (buffer_.empty())
            return true;
        const bool ok = WriteAll(buffer_.data(), buffer_.size());
        buffer_.clear();
        return ok;
    }

    bool WriteAll(const char* p, std::size_t size)
    {
        if (!plat::WriteAll(fd_, p, size))
            failed_ = true;
        return !failed_;
    }

    int fd_;
    bool failed_ = false;
    std::vector<char> buffer_;
};

class Posix final : public PdfFileSystem {
public:
    bool Exists(const std::string& path) override
    {
        if (!plat::IsNameable(path))
            return false;
        struct stat st{};
        return ::lstat(path.c_str(), &st) == 0;
    }
    // Only files and links are removed or written: a device, pipe or folder
    // that happens to carry the chosen name is left alone.
    bool Remove(const std::string& path) override
    {
        if (!plat::IsNameable(path))
            return false;
        struct stat st{};
        if (::lstat(path.c_str(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)))
            return false;
        return ::unlink(path.c_str()) == 0;
    }
    std::unique_ptr<PdfOutput> Create(const std::string& path) override
    {
        if (!plat::IsNameable(path))
            return nullptr;
        struct stat st{};
        if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            return nullptr;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
        if (fd < 0)
            return nullptr;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixOutput>(fd);
    }
};

} // namespace

PdfFileSystem& PosixFileSystem()
{
    static Posix fs;
    return fs;
}

} // namespace pdf
