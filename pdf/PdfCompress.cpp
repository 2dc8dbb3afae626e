#include "pdf/PdfCompress.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace pdf {

namespace {

const char* const kInvalidStreamOp = "Invalid stream operation";

// deflate's working memory: zero-filled blocks from the general heap.
voidpf ZAlloc(voidpf, uInt items, uInt size)
{
    return std::calloc(items, size);
}

void ZFree(voidpf, voidpf block)
{
    std::free(block);
}

} // namespace

// ---- TStream ---------------------------------------------------------------

void TStream::WriteBuffer(const void* buffer, std::size_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EStreamError("Stream write error");
}

std::int64_t TStream::Size()
{
    const std::int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    const std::int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return size;
}

// ---- TMemoryStream ---------------------------------------------------------

std::size_t TMemoryStream::Read(void* buffer, std::size_t count)
{
    if (pos_ >= data_.size())
        return 0;
    const std::size_t n = std::min(count, data_.size() - pos_);
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count)
{
    if (count == 0)
        return 0;
    const std::size_t end = pos_ + count;
    if (end > data_.size()) {
        // A position beyond the end leaves a zero-filled gap, as a seek
        // past the end of a file does.
        data_.resize(end);
    }
    std::memcpy(data_.data() + pos_, buffer, count);
    pos_ = end;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    std::int64_t base = 0;
    switch (origin) {
    case TSeekOrigin::soBeginning: base = 0; break;
    case TSeekOrigin::soCurrent: base = std::int64_t(pos_); break;
    case TSeekOrigin::soEnd: base = std::int64_t(data_.size()); break;
    }
    const std::int64_t target = base + offset;
    if (target < 0)
        throw EStreamError("Stream seek error");
    pos_ = std::size_t(target);
    return target;
}

// ---- TCustomZlibStream -----------------------------------------------------

TCustomZlibStream::TCustomZlibStream(TStream& dest)
    : dest_(dest), destPos_(dest.Position()), buffer_(new std::uint8_t[BufferSize])
{
    zrec_.zalloc = ZAlloc;
    zrec_.zfree = ZFree;
    zrec_.opaque = Z_NULL;
    zrec_.next_out = buffer_.get();
    zrec_.avail_out = uInt(BufferSize);
}

void TCustomZlibStream::Progress()
{
    if (OnProgress)
        OnProgress(*this);
}

// ---- TCompressionStream ----------------------------------------------------

int ZlibLevel(TCompressionLevel level)
{
    switch (level) {
    case TCompressionLevel::clNone: return Z_NO_COMPRESSION;
    case TCompressionLevel::clFastest: return Z_BEST_SPEED;
    case TCompressionLevel::clDefault: return Z_DEFAULT_COMPRESSION;
    case TCompressionLevel::clMax: return Z_BEST_COMPRESSION;
    }
    throw ECompressionError("error");
}

TCompressionStream::TCompressionStream(TCompressionLevel level, TStream& dest)
    : TCustomZlibStream(dest)
{
    // deflateInit hands zlib its version string and record size for checking.
    Check(deflateInit(&zrec_, ZlibLevel(level)));
    active_ = true;
}

TCompressionStream::~TCompressionStream()
{
    if (!active_)
        return;
    try {
        Finish();
    } catch (...) {
        // Finish released deflate's state; the data stays incomplete.
    }
}

void TCompressionStream::End() noexcept
{
    if (active_) {
        deflateEnd(&zrec_);
        active_ = false;
    }
}

void TCompressionStream::Check(int result) const
{
    if (result < 0)
        throw ECompressionError("error");
}

std::size_t TCompressionStream::Read(void*, std::size_t)
{
    throw ECompressionError(kInvalidStreamOp);
}

std::size_t TCompressionStream::Write(const void* buffer, std::size_t count)
{
    if (!active_)
        throw ECompressionError(kInvalidStreamOp);
    if (dest_.Position() != destPos_)
        dest_.SetPosition(destPos_);

    const auto* in = static_cast<const Bytef*>(buffer);
    std::size_t left = count;
    // avail_in is 32-bit; feed very large buffers in slices.
    constexpr std::size_t kSlice = std::numeric_limits<uInt>::max() / 2;
    while (left > 0 || zrec_.avail_in > 0) {
        if (zrec_.avail_in == 0) {
            const std::size_t n = std::min(left, kSlice);
            zrec_.next_in = const_cast<Bytef*>(in);
            zrec_.avail_in = uInt(n);
            in += n;
            left -= n;
        }
        Check(deflate(&zrec_, Z_NO_FLUSH));
        if (zrec_.avail_out == 0) {
            dest_.WriteBuffer(buffer_.get(), BufferSize);
            zrec_.next_out = buffer_.get();
            zrec_.avail_out = uInt(BufferSize);
            destPos_ = dest_.Position();
            Progress();
        }
    }
    zrec_.next_in = Z_NULL;
    return count;
}

std::int64_t TCompressionStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    if (offset == 0 && origin == TSeekOrigin::soCurrent)
        return std::int64_t(zrec_.total_in);
    throw ECompressionError(kInvalidStreamOp);
}

void TCompressionStream::Finish()
{
    if (finished_)
        return;
    if (!active_)
        throw ECompressionError(kInvalidStreamOp);
    try {
        zrec_.next_in = Z_NULL;
        zrec_.avail_in = 0;
        if (dest_.Position() != destPos_)
            dest_.SetPosition(destPos_);
        for (;;) {
            const int rc = deflate(&zrec_, Z_FINISH);
            Check(rc);
            if (rc == Z_STREAM_END || zrec_.avail_out > 0)
                break;
            dest_.WriteBuffer(buffer_.get(), BufferSize);
            zrec_.next_out = buffer_.get();
            zrec_.avail_out = uInt(BufferSize);
        }
        if (zrec_.avail_out < BufferSize)
            dest_.WriteBuffer(buffer_.get(), BufferSize - zrec_.avail_out);
        destPos_ = dest_.Position();
    } catch (...) {
        End();
        throw;
    }
    End();
    finished_ = true;
}

} // namespace pdf
