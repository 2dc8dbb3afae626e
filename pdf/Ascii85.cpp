#include "pdf/Ascii85.h"

namespace pdf {

namespace {

inline std::uint32_t BigEndian32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

inline void Digits(std::uint32_t v, char* out)
{
    out[4] = char(v % 85 + 33); v /= 85;
    out[3] = char(v % 85 + 33); v /= 85;
    out[2] = char(v % 85 + 33); v /= 85;
    out[1] = char(v % 85 + 33); v /= 85;
    out[0] = char(v + 33);
}

// Encodes the whole groups of size bytes; returns the end of the text.
char* EncodeGroups(const std::uint8_t* data, std::size_t size, char* o)
{
    const std::size_t full = size / 4;
    for (std::size_t i = 0; i < full; ++i, data += 4) {
        const std::uint32_t v = BigEndian32(data);
        if (v == 0) {
            *o++ = 'z';
        } else {
            Digits(v, o);
            o += 5;
        }
    }
    return o;
}

// Encodes into a buffer of at least Ascii85MaxLength(size) characters;
// returns the number written.
std::size_t EncodeInto(const std::uint8_t* data, std::size_t size, char* out)
{
    char* o = EncodeGroups(data, size, out);
    data += size / 4 * 4;
    const int rest = int(size % 4);
    if (rest > 0)
        o += Ascii85EncodeGroup(data, rest, o);
    *o++ = '~';
    *o++ = '>';
    return std::size_t(o - out);
}

} // namespace

int Ascii85EncodeGroup(const std::uint8_t* group, int count, char* out)
{
    if (count <= 0)
        return 0;
    if (count > 4)
        count = 4;
    std::uint8_t padded[4] = {0, 0, 0, 0};
    for (int i = 0; i < count; ++i)
        padded[i] = group[i];
    const std::uint32_t v = BigEndian32(padded);
    if (count == 4 && v == 0) {
        out[0] = 'z';
        return 1;
    }
    char digits[5];
    Digits(v, digits);
    const int n = count == 4 ? 5 : count + 1;   // "z" never stands for a partial group
    for (int i = 0; i < n; ++i)
        out[i] = digits[i];
    return n;
}

std::size_t Ascii85MaxLength(std::size_t size)
{
    const std::size_t rest = size % 4;
    return 5 * (size / 4) + (rest ? rest + 1 : 0) + 2;
}

void Ascii85Encode(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out)
{
    const std::size_t start = out.size();
    out.resize(start + Ascii85MaxLength(size));
    const std::size_t n = EncodeInto(data, size, reinterpret_cast<char*>(out.data() + start));
    out.resize(start + n);
}

std::string Ascii85Encode(const std::uint8_t* data, std::size_t size)
{
    std::string out(Ascii85MaxLength(size), '\0');
    out.resize(EncodeInto(data, size, out.data()));
    return out;
}

void Ascii85EncodeStream(const TMemoryStream& src, TStream& dst)
{
    std::vector<std::uint8_t> text;
    Ascii85Encode(src.Memory(), src.DataSize(), text);
    dst.WriteBuffer(text.data(), text.size());
}

std::size_t TAscii85Stream::Read(void*, std::size_t)
{
    throw EStreamError("Invalid stream operation");
}

std::size_t TAscii85Stream::Write(const void* buffer, std::size_t count)
{
    if (finished_)
        throw EStreamError("Invalid stream operation");
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    std::size_t left = count;
    // Complete a group begun by an earlier write.
    while (pendingCount_ > 0 && left > 0) {
        pending_[pendingCount_++] = *in++;
        --left;
        if (pendingCount_ == 4) {
            char text[5];
            const int n = Ascii85EncodeGroup(pending_, 4, text);
            out_.insert(out_.end(), text, text + n);
            pendingCount_ = 0;
        }
    }
    const std::size_t whole = left / 4 * 4;
    if (whole > 0) {
        const std::size_t start = out_.size();
        out_.resize(start + whole / 4 * 5);
        char* end = EncodeGroups(in, whole, reinterpret_cast<char*>(out_.data() + start));
        out_.resize(std::size_t(reinterpret_cast<std::uint8_t*>(end) - out_.data()));
        in += whole;
        left -= whole;
    }
    for (; left > 0; --left)
        pending_[pendingCount_++] = *in++;
    taken_ += std::int64_t(count);
    return count;
}

std::int64_t TAscii85Stream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    if ((origin == TSeekOrigin::soCurrent && offset == 0) || (origin == TSeekOrigin::soBeginning && offset == taken_) ||
        (origin == TSeekOrigin::soEnd && offset == 0))
        return taken_;
    throw EStreamError("Invalid stream operation");
}

void TAscii85Stream::Finish()
{
    if (finished_)
        return;
    char text[5];
    const int n = Ascii85EncodeGroup(pending_, pendingCount_, text);
    out_.insert(out_.end(), text, text + n);
    out_.push_back('~');
    out_.push_back('>');
    pendingCount_ = 0;
    finished_ = true;
}

} // namespace pdf
