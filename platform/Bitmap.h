#pragma once
// Device-independent bitmaps in the layouts the drawing code and the PDF
// writer expect. Rows are top-down in memory and padded to 4 bytes, as a
// Windows DIB section's scanlines are; Dib is the bottom-up copy.
#include "platform/Colour.h"
#include "platform/SafeFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

enum class PixelFormat { pf1bit, pf4bit, pf8bit, pf24bit, pf32bit };

class Bitmap {
public:
    Bitmap() = default;
    // A new bitmap is white; the palette formats get a default palette
    // (black/white, the 16 standard colours, or a 6x6x6 cube plus greys).
    // Throws std::length_error when the pixel block would exceed 2 GiB.
    Bitmap(int width, int height, PixelFormat fmt = PixelFormat::pf24bit);
    // A copy shows the same pixels and so keeps the identity; a moved-from
    // bitmap is empty.
    Bitmap(const Bitmap&) = default;
    Bitmap& operator=(const Bitmap&) = default;
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ <= 0 || height_ <= 0; }
    PixelFormat format() const { return format_; }
    int bitsPerPixel() const;
    int stride() const { return stride_; }

    // Resizing keeps the top-left content that still fits; new pixels are white.
    void setSize(int width, int height);
    // Converts the pixels: to 24/32 bits through the palette, to a palette
    // format through its default palette (nearest colour).
    void setFormat(PixelFormat fmt);

    // Palette of the 1-, 4- and 8-bit formats (0x00BBGGRR entries). Setting
    // it changes the colours, not the pixel indices; entries beyond
    // 2^bitsPerPixel are dropped and missing ones read as black.
    const std::vector<TColor>& palette() const { return palette_; }
    void setPalette(std::vector<TColor> p);

    // Read access leaves the identity alone; any mutable access gives the
    // bitmap a new identity, so a consumer that caches by identity (the PDF
    // writer's image reuse) never repeats stale pixels. An empty bitmap has
    // identity 0, which matches nothing. Scan lines out of range throw
    // std::out_of_range. In the 32-bit format the fourth byte of a pixel is
    // unused and kept at 0xFF.
    const std::uint8_t* scanLine(int y) const;
    std::uint8_t* scanLine(int y);
    const std::uint8_t* bits() const { return data_.data(); }
    std::uint8_t* bits();
    std::uint64_t identity() const { return empty() ? 0 : identity_; }
    void touch();

    TColor pixel(int x, int y) const;          // as 0x00BBGGRR, palette resolved; -1 outside
    // System colours are resolved; palette formats take the nearest entry.
    // A point outside the bitmap is ignored.
    void setPixel(int x, int y, TColor c);
    void fill(TColor c);

private:
    int width_ = 0, height_ = 0, stride_ = 0;
    PixelFormat format_ = PixelFormat::pf24bit;
    std::vector<TColor> palette_;
    std::vector<std::uint8_t> data_;
    std::uint64_t identity_ = 0;
};

// The bitmap-info header of a device-independent bitmap, as the platform
// lays it out (BITMAPINFOHEADER, 40 bytes, no colour table for 24 bits).
struct DibHeader {
    std::int32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;       // positive: bottom-up
    std::int16_t biPlanes = 1;
    std::int16_t biBitCount = 24;
    std::int32_t biCompression = 0;  // BI_RGB
    std::int32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::int32_t biClrUsed = 0;
    std::int32_t biClrImportant = 0;
};

// A bottom-up 24-bit copy of a bitmap, ready for stretching (StretchDIBits).
struct Dib {
    DibHeader info;
    std::vector<std::uint8_t> bits;   // rows bottom-up, BGR, padded to 4 bytes
    int stride() const { return ((info.biWidth * 3) + 3) & ~3; }
    bool empty() const { return info.biWidth <= 0 || info.biHeight <= 0; }
    // Row y in the DIB's own coordinates, whose origin is the lower-left
    // corner: row 0 is the bottom row of the picture.
    const std::uint8_t* row(int y) const { return bits.data() + std::size_t(y) * stride(); }
};

// The size query and the copy: false when the bitmap is empty or the copy fails.
bool DibSizes(const Bitmap& bmp, std::size_t& infoSize, std::size_t& bitsSize);
bool MakeDib(const Bitmap& bmp, Dib& out);

// Writes the bitmap as a Windows BMP file (palette formats with their colour
// table, 24 and 32 bits as 24-bit) through the safe writer: throws
// std::runtime_error on failure, also for an empty bitmap, and an old file
// of that name then stays as it was.
void SaveBmp(const Bitmap& bmp, const std::string& path, Durability durability = Durability::Synced);

} // namespace plat
