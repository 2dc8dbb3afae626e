#include "platform/SafeFile.h"

#include "platform/Paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <vector>
#include <utility>

namespace plat {

namespace {

WriteFault gFault = WriteFault::None;

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A folder that takes no new file: the file itself may still be writable.
bool FolderDenied(int err)
{
    return err == EACCES || err == EPERM;
}

} // namespace

bool WriteAll(int fd, const void* data, std::size_t size)
{
    const WritePiece piece{data, size};
    return WriteAll(fd, std::span<const WritePiece>(&piece, 1));
}

bool WriteAll(int fd, std::span<const WritePiece> pieces)
{
    std::vector<iovec> io;
    io.reserve(pieces.size());
    for (const WritePiece& p : pieces)
        if (p.Size > 0)
            io.push_back({const_cast<void*>(p.Data), p.Size});
    std::size_t first = 0;
    while (first < io.size()) {
        const int count = int(std::min<std::size_t>(io.size() - first, IOV_MAX));
        ssize_t n = ::writev(fd, io.data() + first, count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        // A short write resumes inside the piece it stopped in.
        while (n > 0 && first < io.size()) {
            iovec& v = io[first];
            const std::size_t done = std::min<std::size_t>(std::size_t(n), v.iov_len);
            v.iov_base = static_cast<char*>(v.iov_base) + done;
            v.iov_len -= done;
            n -= ssize_t(done);
            if (v.iov_len == 0)
                ++first;
        }
    }
    return true;
}

namespace {

// Renaming over an existing file makes ext4 write the new one out to the
// disk at once (its guard for writers that do not sync): for large copies
// made in a row that costs more than making them. Unsynced, the old file
// is moved aside first, so the new one replaces no name, and is put back
// when the new one cannot take its place. 0 or the error.
int ReplaceUnsynced(const std::string& temp, const std::string& target)
{
    const std::string aside = temp + "~";
    const bool moved = ::renameat2(AT_FDCWD, target.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0;
    int err = 0;
    if (gFault == WriteFault::Rename)
        err = EIO;
    else if (::rename(temp.c_str(), target.c_str()) != 0)
        err = errno;
    if (err != 0) {
        if (moved)
            ::rename(aside.c_str(), target.c_str());
        return err;
    }
    if (moved)
        ::unlink(aside.c_str());
    return 0;
}

} // namespace

SafeFileWriter::SafeFileWriter(std::string path, std::uint64_t expectedSize, Durability durability)
    : target_(std::move(path)), durability_(durability)
{
    if (!IsNameable(target_)) {
        Fail(EINVAL);
        return;
    }
    struct stat st;
    if (::lstat(target_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // Replace the file the link points to, not the link.
        if (char* real = ::realpath(target_.c_str(), nullptr)) {
            target_ = real;
            std::free(real);
        }
    }
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        Fail(S_ISDIR(st.st_mode) ? EISDIR : EPERM);
        return;
    }
    // Root passes access() on a 0444 file: the mode bits decide there too.
    if (exists && IsReadOnlyFile(target_)) {
        Fail(EACCES);
        return;
    }

    std::string dir = ExtractFilePath(target_);
    if (dir.empty())
        dir = "./";
    temp_ = dir + "." + ExtractFileName(target_) + ".XXXXXX";
    int err = 0;
    if (gFault == WriteFault::CreateTemp)
        err = ENOSPC;
    else if (gFault == WriteFault::FolderDenied)
        err = EACCES;
    else if ((fd_ = ::mkostemp(temp_.data(), O_CLOEXEC)) < 0)
        err = errno;
    if (fd_ >= 0) {
        ::fchmod(fd_, exists ? (st.st_mode & 07777) : NewFileMode());
        if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid()))
            (void)!::fchown(fd_, st.st_uid, st.st_gid);
        return;
    }
    temp_.clear();
    if (!exists || !FolderDenied(err)) {
        Fail(err);
        return;
    }

    // In place. O_NONBLOCK: a FIFO put there meanwhile must not hang us.
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd_ < 0) {
        Fail(errno);
        return;
    }
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        Fail(EPERM);
        return;
    }
    if (expectedSize > std::uint64_t(st.st_size)) {
        const int r = ::posix_fallocate(fd_, 0, off_t(expectedSize));
        // File systems without reservation write as they can.
        if (r != 0 && r != EOPNOTSUPP && r != EINVAL)
            Fail(r);
    }
}

SafeFileWriter::~SafeFileWriter()
{
    if (!committed_)
        Discard();
}

bool SafeFileWriter::Fail(int err)
{
    if (!error_)
        error_ = std::error_code(err, std::generic_category());
    Discard();
    return false;
}

void SafeFileWriter::Discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

bool SafeFileWriter::Write(const void* data, std::size_t size)
{
    const WritePiece piece{data, size};
    return Write(std::span<const WritePiece>(&piece, 1));
}

bool SafeFileWriter::Write(std::span<const WritePiece> pieces)
{
    if (error_ || committed_)
        return false;
    if (gFault == WriteFault::Write)
        return Fail(EIO);
    if (gFault == WriteFault::DiskFull)
        return Fail(ENOSPC);
    if (!WriteAll(fd_, pieces))
        return Fail(errno);
    for (const WritePiece& p : pieces)
        written_ += p.Size;
    return true;
}

std::error_code SafeFileWriter::Commit()
{
    if (committed_ || error_)
        return error_;
    const auto failed = [this](int err) {
        Fail(err);
        return error_;
    };
    const bool inPlace = temp_.empty();
    // Writing in place leaves the old file's tail behind a shorter content.
    if (inPlace && ::ftruncate(fd_, off_t(written_)) != 0)
        return failed(errno);
    const bool synced = durability_ == Durability::Synced;
    if (synced && gFault == WriteFault::Sync)
        return failed(EIO);
    if (synced && ::fsync(fd_) != 0)
        return failed(errno);
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0)
        return failed(errno);
    if (!inPlace) {
        if (synced) {
            if (gFault == WriteFault::Rename)
                return failed(EIO);
            if (::rename(temp_.c_str(), target_.c_str()) != 0)
                return failed(errno);
        } else if (const int err = ReplaceUnsynced(temp_, target_)) {
            return failed(err);
        }
        temp_.clear();
        // Make the rename itself durable; a failure here leaves a correct file.
        if (synced) {
            const std::string dir = ExtractFilePath(target_);
            const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (dfd >= 0) {
                ::fsync(dfd);
                ::close(dfd);
            }
        }
    }
    committed_ = true;
    return {};
}

std::error_code WriteFileSafely(const std::string& path, std::string_view data)
{
    SafeFileWriter file(path, data.size());
    file.Write(data);
    return file.Commit();
}

ScopedWriteFault::ScopedWriteFault(WriteFault fault)
    : previous_(std::exchange(gFault, fault))
{
}

ScopedWriteFault::~ScopedWriteFault()
{
    gFault = previous_;
}

} // namespace plat
