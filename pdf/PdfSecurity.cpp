#include "pdf/PdfSecurity.h"

#include <cstring>

namespace pdf {

namespace {

// The handler's padding string.
constexpr std::uint8_t kPadding[32] = {0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E,
                                       0x56, 0xFF, 0xFA, 0x01, 0x08, 0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68,
                                       0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};

// Per-round shift amounts and the sine-derived constants of RFC 1321.
constexpr std::uint32_t kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                      5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                      4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                      6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

std::uint32_t RotateLeft(std::uint32_t x, std::uint32_t n)
{
    return (x << n) | (x >> (32 - n));
}

void Md5Block(std::uint32_t state[4], const std::uint8_t* block)
{
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = std::uint32_t(block[4 * i]) | (std::uint32_t(block[4 * i + 1]) << 8) |
               (std::uint32_t(block[4 * i + 2]) << 16) | (std::uint32_t(block[4 * i + 3]) << 24);
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (std::uint32_t i = 0; i < 64; ++i) {
        std::uint32_t f, g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        const std::uint32_t next = d;
        d = c;
        c = b;
        b = b + RotateLeft(a + f + kSine[i] + m[g], kShift[i]);
        a = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

std::string Md5Prefix(std::string_view bytes, std::size_t n)
{
    const auto digest = MD5String(bytes);
    return std::string(reinterpret_cast<const char*>(digest.data()), n);
}

std::string Rc4(std::string data, std::string_view key)
{
    auto* p = reinterpret_cast<std::uint8_t*>(data.data());
    RC4Crypt(p, p, data.size(), key);
    return data;
}

} // namespace

std::array<std::uint8_t, 16> MD5String(std::string_view bytes)
{
    std::uint32_t state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t done = 0;
    for (; done + 64 <= size; done += 64)
        Md5Block(state, data + done);
    // The rest, a 1 bit, zeros, and the length in bits (least significant byte first).
    std::uint8_t tail[128] = {};
    const std::size_t rest = size - done;
    std::memcpy(tail, data + done, rest);
    tail[rest] = 0x80;
    const std::size_t tailSize = rest < 56 ? 64 : 128;
    const std::uint64_t bits = std::uint64_t(size) * 8;
    for (int k = 0; k < 8; ++k)
        tail[tailSize - 8 + std::size_t(k)] = std::uint8_t(bits >> (8 * k));
    for (std::size_t at = 0; at < tailSize; at += 64)
        Md5Block(state, tail + at);
    std::array<std::uint8_t, 16> digest{};
    for (int i = 0; i < 16; ++i)
        digest[std::size_t(i)] = std::uint8_t(state[i / 4] >> (8 * (i % 4)));
    return digest;
}

void RC4Crypt(const std::uint8_t* src, std::uint8_t* dst, std::size_t count, std::string_view key)
{
    if (key.empty())
        return;
    std::uint8_t s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = std::uint8_t(i);
    std::uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = std::uint8_t(j + s[i] + std::uint8_t(key[std::size_t(i) % key.size()]));
        std::swap(s[i], s[j]);
    }
    std::uint8_t i = 0;
    j = 0;
    for (std::size_t n = 0; n < count; ++n) {
        i = std::uint8_t(i + 1);
        j = std::uint8_t(j + s[i]);
        std::swap(s[i], s[j]);
        dst[n] = src[n] ^ s[std::uint8_t(s[i] + s[j])];
    }
}

std::string PadPassword(std::string_view password)
{
    std::string padded(password.substr(0, 32));
    padded.append(reinterpret_cast<const char*>(kPadding), 32 - padded.size());
    return padded;
}

std::int32_t PermissionValue(const TPdfPermissions& p)
{
    std::uint32_t v = 0xFFFFFFC0u;   // bits 6..31
    if (p.Print)
        v |= 4;
    if (p.Modify)
        v |= 8;
    if (p.Copy)
        v |= 16;
    if (p.Annotate)
        v |= 32;
    return static_cast<std::int32_t>(v);
}

TStandardSecurity::TStandardSecurity(std::string_view userPassword, std::string_view ownerPassword,
                                     const TPdfPermissions& permissions, std::string_view fileIdentifier)
{
    const std::string_view ownerWord = ownerPassword.empty() ? userPassword : ownerPassword;
    p_ = PermissionValue(permissions);
    owner_ = Rc4(PadPassword(userPassword), Md5Prefix(PadPassword(ownerWord), 5));
    std::string material = PadPassword(userPassword) + owner_;
    for (int k = 0; k < 4; ++k)
        material += char(std::uint32_t(p_) >> (8 * k));
    material += fileIdentifier;
    key_ = Md5Prefix(material, 5);
    user_ = Rc4(std::string(reinterpret_cast<const char*>(kPadding), 32), key_);
}

std::string TStandardSecurity::ObjectKey(int objectNumber) const
{
    std::string material = key_;
    for (int k = 0; k < 3; ++k)
        material += char(std::uint32_t(objectNumber) >> (8 * k));
    material += std::string(2, '\0');
    return Md5Prefix(material, 10);
}

void TStandardSecurity::Crypt(int objectNumber, std::uint8_t* data, std::size_t size)
{
    RC4Crypt(data, data, size, ObjectKey(objectNumber));
}

} // namespace pdf
