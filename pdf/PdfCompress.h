#pragma once
// Byte streams of the PDF writer and the write-only deflate stream that
// produces the Flate data of images and embedded font files.
//
// Destroying the compression stream finishes its data, so a stream destroyed
// without Finish() still leaves complete zlib data in the destination. A
// destructor cannot report a failure, though: callers that must know whether
// the data is complete call Finish(), which throws.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace pdf {

// Origins of TStream::Seek.
enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The abstract stream: Read/Write move bytes, Seek positions. WriteBuffer
// insists on the full count.
class TStream {
public:
    virtual ~TStream() = default;
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    void WriteBuffer(const void* buffer, std::size_t count);   // throws EStreamError when short
    std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }
    std::int64_t Size();
};

// A growable in-memory stream; writing past the end extends it.
class TMemoryStream : public TStream {
public:
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

    const std::uint8_t* Memory() const { return data_.data(); }
    std::size_t DataSize() const { return data_.size(); }
    const std::vector<std::uint8_t>& Bytes() const { return data_; }
    void Reserve(std::size_t n) { data_.reserve(n); }

private:
    std::vector<std::uint8_t> data_;
    std::size_t pos_ = 0;
};

class EZlibError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ECompressionError : public EZlibError {
public:
    using EZlibError::EZlibError;
};

// Level index of the compression stream; every caller in the program uses
// clDefault (the library's default level).
enum class TCompressionLevel { clNone = 0, clFastest = 1, clDefault = 2, clMax = 3 };

class TCustomZlibStream : public TStream {
public:
    static constexpr std::size_t BufferSize = 65536;

    TCustomZlibStream(const TCustomZlibStream&) = delete;
    TCustomZlibStream& operator=(const TCustomZlibStream&) = delete;

    // Raised once per full 64 KB of compressed output passed on.
    std::function<void(TCustomZlibStream&)> OnProgress;

protected:
    explicit TCustomZlibStream(TStream& dest);
    ~TCustomZlibStream() override = default;
    virtual void Progress();

    TStream& dest_;
    std::int64_t destPos_;
    z_stream zrec_{};
    std::unique_ptr<std::uint8_t[]> buffer_;
};

class TCompressionStream final : public TCustomZlibStream {
public:
    TCompressionStream(TCompressionLevel level, TStream& dest);
    // Finishes the data as Finish() does, unless that was done or failed
    // already; a failure here is swallowed. Never throws.
    ~TCompressionStream() override;

    std::size_t Read(void* buffer, std::size_t count) override;     // always raises
    std::size_t Write(const void* buffer, std::size_t count) override;
    // Only Seek(0, soCurrent) is allowed: the uncompressed bytes written so far.
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

    // Completes the zlib data in the destination and releases deflate's state.
    // Writing after Finish raises; a second Finish does nothing.
    void Finish();
    bool Finished() const { return finished_; }

private:
    void Check(int result) const;
    void End() noexcept;

    bool active_ = false;     // deflate's state exists
    bool finished_ = false;
};

// Level index to zlib's level: 0, 1, Z_DEFAULT_COMPRESSION, 9.
int ZlibLevel(TCompressionLevel level);

} // namespace pdf
