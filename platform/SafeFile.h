#pragma once
// Writing whole files so that a failure never leaves part of one: the new
// bytes go to a temporary file beside the target, are synced and renamed
// over it; on any failure the temporary file is removed and the old file
// stays as it was. A link is followed (the file it names is replaced), the
// file's mode and owner are kept, and a write-protected file is refused, as
// the rename would pass over its protection.
//
// Where the folder takes no new file but the file itself is writable (a
// shared install whose folder belongs to someone else), the file is written
// in place, as the Windows file functions would: room for the new bytes is
// reserved first, so a full disk refuses the write before a byte changes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

namespace plat {

// One piece of a gathered write.
struct WritePiece {
    const void* Data = nullptr;
    std::size_t Size = 0;
};

// Writes all size bytes to fd, resuming after signals and short writes.
// False on failure, errno telling why.
bool WriteAll(int fd, const void* data, std::size_t size);
// The same for the pieces in order, as few system calls as the system takes.
bool WriteAll(int fd, std::span<const WritePiece> pieces);

// Synced: Commit returns once the file and its name are on the disk.
// Unsynced: for copies that can be made again; a failure still leaves no
// part of a file, but a power cut may lose the newest ones.
enum class Durability { Synced, Unsynced };

class SafeFileWriter {
public:
    // Prepares the replacement of path; expectedSize is what will be
    // written (the room reserved when writing in place).
    SafeFileWriter(std::string path, std::uint64_t expectedSize, Durability durability = Durability::Synced);
    ~SafeFileWriter();   // discards unless committed
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // False once anything failed; the error then tells why.
    bool Write(const void* data, std::size_t size);
    bool Write(std::string_view data) { return Write(data.data(), data.size()); }
    // The pieces one after another, handed to the system together.
    bool Write(std::span<const WritePiece> pieces);
    // Makes the written bytes the file's content; the first error on the way
    // when that failed (nothing of the new content is visible then).
    std::error_code Commit();
    std::error_code error() const { return error_; }

private:
    bool Fail(int err);
    void Discard();

    std::string target_;     // the file written, links resolved
    std::string temp_;       // empty when writing in place
    Durability durability_;
    int fd_ = -1;
    std::uint64_t written_ = 0;
    std::error_code error_;
    bool committed_ = false;
};

// The whole of data as the file's new content.
std::error_code WriteFileSafely(const std::string& path, std::string_view data);

// Test seam: while a guard lives, every safe write fails at the given step,
// as a full disk, a folder that takes no new file or a failing disk would.
enum class WriteFault {
    None,
    CreateTemp,      // no room for the temporary file: the write is refused
    FolderDenied,    // the folder takes no new file: written in place if possible
    Write,
    DiskFull,        // every write finds no room left (ENOSPC)
    Sync,
    Rename,
};

class ScopedWriteFault {
public:
    explicit ScopedWriteFault(WriteFault fault);
    ~ScopedWriteFault();
    ScopedWriteFault(const ScopedWriteFault&) = delete;
    ScopedWriteFault& operator=(const ScopedWriteFault&) = delete;

private:
    WriteFault previous_;
};

} // namespace plat
