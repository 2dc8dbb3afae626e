#include "support/FontFiles.h"

#include <filesystem>

namespace tolv::test {

namespace {

std::uint32_t Get32(const std::string& s, std::size_t at)
{
    return (std::uint32_t(std::uint8_t(s[at])) << 24) | (std::uint32_t(std::uint8_t(s[at + 1])) << 16) |
           (std::uint32_t(std::uint8_t(s[at + 2])) << 8) | std::uint32_t(std::uint8_t(s[at + 3]));
}

void Put32(std::string& s, std::size_t at, std::uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        s[at + std::size_t(k)] = char(v >> (24 - 8 * k));
}

std::size_t TableCount(const std::string& ttf)
{
    return (std::size_t(std::uint8_t(ttf[4])) << 8) | std::uint8_t(ttf[5]);
}

} // namespace

std::string LiberationSansPath()
{
    for (const char* p : {"/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
                          "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"})
        if (std::filesystem::exists(p))
            return p;
    return {};
}

std::string WithFsType(std::string ttf, std::uint16_t fsType)
{
    if (ttf.size() < 12)
        return {};
    for (std::size_t i = 0; i < TableCount(ttf); ++i) {
        const std::size_t rec = 12 + 16 * i;
        if (ttf.compare(rec, 4, "OS/2") == 0) {
            const std::size_t at = Get32(ttf, rec + 8) + 8;   // fsType follows version, xAvgCharWidth, weight, width
            ttf[at] = char(fsType >> 8);
            ttf[at + 1] = char(fsType & 0xFF);
            return ttf;
        }
    }
    return {};
}

std::string AsCollection(const std::string& ttf)
{
    constexpr std::uint32_t header = 16;   // tag, version, one face, its offset
    std::string face = ttf;
    for (std::size_t i = 0; i < TableCount(face); ++i)
        Put32(face, 12 + 16 * i + 8, Get32(face, 12 + 16 * i + 8) + header);
    std::string out("ttcf", 4);
    out += std::string("\x00\x01\x00\x00", 4);
    out += std::string("\x00\x00\x00\x01", 4);
    out += std::string("\x00\x00\x00\x10", 4);
    return out + face;
}

} // namespace tolv::test
