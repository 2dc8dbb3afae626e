#pragma once
// ASCII base-85 encoding as the ASCII85Decode filter reads it: groups of four
// bytes become five characters '!'..'u', an all-zero group becomes "z", a
// final partial group of n bytes gives n + 1 characters, and "~>" ends the
// data. No line breaks are inserted.
#include "pdf/PdfCompress.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pdf {

// Encodes one group of count (1..4) bytes into out and returns the number of
// characters written: 1 for a full zero group ("z"), 5 for another full
// group, count + 1 for a partial one.
int Ascii85EncodeGroup(const std::uint8_t* group, int count, char* out);

// Upper bound of the encoded length of size input bytes, end marker included.
std::size_t Ascii85MaxLength(std::size_t size);

// Appends the encoding of the bytes, "~>" included, to out.
void Ascii85Encode(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);
std::string Ascii85Encode(const std::uint8_t* data, std::size_t size);

// Encodes the whole of src (from its start, whatever its position) into dst
// at dst's position.
void Ascii85EncodeStream(const TMemoryStream& src, TStream& dst);

// A write-only stream that appends the ASCII85 text of everything written
// to it to a byte vector, so large data need not be held twice. Finish()
// writes the last partial group and "~>"; until then up to three bytes wait.
class TAscii85Stream final : public TStream {
public:
    explicit TAscii85Stream(std::vector<std::uint8_t>& out) : out_(out) {}

    std::size_t Read(void* buffer, std::size_t count) override;      // raises EStreamError
    std::size_t Write(const void* buffer, std::size_t count) override;
    // Only the position (the bytes taken so far) can be asked for or kept.
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

    void Finish();
    bool Finished() const { return finished_; }

private:
    std::vector<std::uint8_t>& out_;
    std::uint8_t pending_[4] = {};
    int pendingCount_ = 0;
    std::int64_t taken_ = 0;
    bool finished_ = false;
};

} // namespace pdf
