#include "platform/Bitmap.h"

#include "platform/SafeFile.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace plat {

namespace {

std::atomic<std::uint64_t> gNextIdentity{1};

std::uint64_t NewIdentity()
{
    return gNextIdentity.fetch_add(1, std::memory_order_relaxed);
}

int BitsOf(PixelFormat f)
{
    switch (f) {
    case PixelFormat::pf1bit: return 1;
    case PixelFormat::pf4bit: return 4;
    case PixelFormat::pf8bit: return 8;
    case PixelFormat::pf24bit: return 24;
    case PixelFormat::pf32bit: return 32;
    }
    return 24;
}

bool IsPalette(PixelFormat f)
{
    return f == PixelFormat::pf1bit || f == PixelFormat::pf4bit || f == PixelFormat::pf8bit;
}

std::vector<TColor> DefaultPalette(PixelFormat f)
{
    switch (f) {
    case PixelFormat::pf1bit:
        return {clBlack, clWhite};
    case PixelFormat::pf4bit:
        return {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clSilver,
                clGray, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite};
    case PixelFormat::pf8bit: {
        std::vector<TColor> p;
        p.reserve(256);
        for (int b = 0; b < 6; ++b)
            for (int g = 0; g < 6; ++g)
                for (int r = 0; r < 6; ++r)
                    p.push_back(RGB(r * 51, g * 51, b * 51));
        for (int i = 1; i <= 40; ++i)
            p.push_back(RGB(i * 255 / 41, i * 255 / 41, i * 255 / 41));
        return p;
    }
    default:
        return {};
    }
}

int NearestIndex(const std::vector<TColor>& pal, TColor c)
{
    int best = 0;
    long bestDist = LONG_MAX;
    for (std::size_t i = 0; i < pal.size(); ++i) {
        const long dr = GetRValue(pal[i]) - GetRValue(c);
        const long dg = GetGValue(pal[i]) - GetGValue(c);
        const long db = GetBValue(pal[i]) - GetBValue(c);
        const long d = dr * dr + dg * dg + db * db;
        if (d < bestDist) {
            bestDist = d;
            best = int(i);
            if (d == 0)
                break;
        }
    }
    return best;
}

int IndexAt(const std::uint8_t* row, int x, int bpp)
{
    switch (bpp) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    default: return row[x];
    }
}

void SetIndexAt(std::uint8_t* row, int x, int bpp, int index)
{
    switch (bpp) {
    case 1: {
        const int shift = 7 - (x & 7);
        row[x >> 3] = std::uint8_t((row[x >> 3] & ~(1 << shift)) | ((index & 1) << shift));
        break;
    }
    case 4: {
        const int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = std::uint8_t((row[x >> 1] & ~(0x0F << shift)) | ((index & 0x0F) << shift));
        break;
    }
    default:
        row[x] = std::uint8_t(index);
    }
}

void PutLE(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}

} // namespace

Bitmap::Bitmap(int width, int height, PixelFormat fmt)
    : format_(fmt)
{
    palette_ = DefaultPalette(fmt);
    setSize(width, height);
    identity_ = NewIdentity();
}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      stride_(std::exchange(other.stride_, 0)),
      format_(other.format_),
      palette_(std::move(other.palette_)),
      data_(std::move(other.data_)),
      identity_(std::exchange(other.identity_, 0))
{
    other.data_.clear();
    other.palette_ = DefaultPalette(other.format_);
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept
{
    if (this != &other) {
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        stride_ = std::exchange(other.stride_, 0);
        format_ = other.format_;
        palette_ = std::move(other.palette_);
        data_ = std::move(other.data_);
        identity_ = std::exchange(other.identity_, 0);
        other.data_.clear();
        other.palette_ = DefaultPalette(other.format_);
    }
    return *this;
}

int Bitmap::bitsPerPixel() const
{
    return BitsOf(format_);
}

void Bitmap::touch()
{
    identity_ = NewIdentity();
}

void Bitmap::setSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_)
        return;
    const int bpp = bitsPerPixel();
    const long long stride = (static_cast<long long>(width) * bpp + 31) / 32 * 4;
    const long long total = stride * height;
    if (total > INT_MAX)
        throw std::length_error("Bitmap too large");

    Bitmap fresh;
    fresh.width_ = width;
    fresh.height_ = height;
    fresh.stride_ = int(stride);
    fresh.format_ = format_;
    fresh.palette_ = palette_;
    fresh.data_.assign(std::size_t(total), 0);
    fresh.fill(clWhite);

    // A side of 0 on either bitmap leaves nothing to copy (and no buffer
    // that memcpy may be handed).
    const int w = std::min(width, width_);
    const int h = w > 0 ? std::min(height, height_) : 0;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* src = data_.data() + std::size_t(y) * stride_;
        std::uint8_t* dst = fresh.data_.data() + std::size_t(y) * fresh.stride_;
        if (bpp >= 8)
            std::memcpy(dst, src, std::size_t(w) * (bpp / 8));
        else
            for (int x = 0; x < w; ++x)
                SetIndexAt(dst, x, bpp, IndexAt(src, x, bpp));
    }
    width_ = width;
    height_ = height;
    stride_ = fresh.stride_;
    data_ = std::move(fresh.data_);
    touch();
}

void Bitmap::setFormat(PixelFormat fmt)
{
    if (fmt == format_)
        return;
    Bitmap out(0, 0, fmt);
    out.setSize(width_, height_);
    if (IsPalette(fmt)) {
        std::unordered_map<TColor, int> cache;
        const int bpp = out.bitsPerPixel();
        for (int y = 0; y < height_; ++y) {
            std::uint8_t* dst = out.data_.data() + std::size_t(y) * out.stride_;
            for (int x = 0; x < width_; ++x) {
                const TColor c = pixel(x, y);
                auto it = cache.find(c);
                if (it == cache.end())
                    it = cache.emplace(c, NearestIndex(out.palette_, c)).first;
                SetIndexAt(dst, x, bpp, it->second);
            }
        }
    } else {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                out.setPixel(x, y, pixel(x, y));
    }
    format_ = fmt;
    palette_ = std::move(out.palette_);
    stride_ = out.stride_;
    data_ = std::move(out.data_);
    touch();
}

void Bitmap::setPalette(std::vector<TColor> p)
{
    if (IsPalette(format_) && p.size() > (std::size_t(1) << bitsPerPixel()))
        p.resize(std::size_t(1) << bitsPerPixel());
    for (auto& c : p)
        c = ColorToRGB(c);
    palette_ = std::move(p);
    touch();
}

const std::uint8_t* Bitmap::scanLine(int y) const
{
    if (y < 0 || y >= height_ || width_ <= 0)
        throw std::out_of_range("Scan line index out of range");
    return data_.data() + std::size_t(y) * stride_;
}

std::uint8_t* Bitmap::scanLine(int y)
{
    if (y < 0 || y >= height_ || width_ <= 0)
        throw std::out_of_range("Scan line index out of range");
    touch();
    return data_.data() + std::size_t(y) * stride_;
}

std::uint8_t* Bitmap::bits()
{
    touch();
    return data_.data();
}

TColor Bitmap::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return -1;
    const std::uint8_t* row = data_.data() + std::size_t(y) * stride_;
    switch (format_) {
    case PixelFormat::pf24bit:
        return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case PixelFormat::pf32bit:
        return RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    default: {
        const int idx = IndexAt(row, x, bitsPerPixel());
        return std::size_t(idx) < palette_.size() ? palette_[idx] : clBlack;
    }
    }
}

void Bitmap::setPixel(int x, int y, TColor c)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    c = ColorToRGB(c);
    std::uint8_t* row = data_.data() + std::size_t(y) * stride_;
    switch (format_) {
    case PixelFormat::pf24bit:
        row[3 * x] = std::uint8_t(GetBValue(c));
        row[3 * x + 1] = std::uint8_t(GetGValue(c));
        row[3 * x + 2] = std::uint8_t(GetRValue(c));
        break;
    case PixelFormat::pf32bit:
        row[4 * x] = std::uint8_t(GetBValue(c));
        row[4 * x + 1] = std::uint8_t(GetGValue(c));
        row[4 * x + 2] = std::uint8_t(GetRValue(c));
        row[4 * x + 3] = 0xFF;
        break;
    default:
        SetIndexAt(row, x, bitsPerPixel(), NearestIndex(palette_, c));
    }
    touch();
}

void Bitmap::fill(TColor c)
{
    c = ColorToRGB(c);
    const int bpp = bitsPerPixel();
    if (width_ <= 0 || height_ <= 0) {
        // No pixels: nothing to write (and no buffer to hand to memset).
    } else if (bpp >= 24) {
        const std::uint8_t px[4] = {std::uint8_t(GetBValue(c)), std::uint8_t(GetGValue(c)),
                                    std::uint8_t(GetRValue(c)), 0xFF};
        const int n = bpp / 8;
        const std::size_t rowBytes = std::size_t(width_) * std::size_t(n);
        if (n == 3 && px[0] == px[1] && px[1] == px[2]) {
            // Grey, white and black are one byte value (page-sized tiles are
            // cleared to white for every page); the row padding stays.
            for (int y = 0; y < height_; ++y)
                std::memset(data_.data() + std::size_t(y) * stride_, px[0], rowBytes);
        } else {
            // The first row pixel by pixel, the others copied from it.
            std::uint8_t* first = data_.data();
            for (int x = 0; x < width_; ++x)
                std::memcpy(first + x * n, px, std::size_t(n));
            for (int y = 1; y < height_; ++y)
                std::memcpy(data_.data() + std::size_t(y) * stride_, first, rowBytes);
        }
    } else {
        const int idx = NearestIndex(palette_, c);
        for (int y = 0; y < height_; ++y) {
            std::uint8_t* row = data_.data() + std::size_t(y) * stride_;
            for (int x = 0; x < width_; ++x)
                SetIndexAt(row, x, bpp, idx);
        }
    }
    touch();
}

bool DibSizes(const Bitmap& bmp, std::size_t& infoSize, std::size_t& bitsSize)
{
    if (bmp.empty()) {
        infoSize = bitsSize = 0;
        return false;
    }
    infoSize = sizeof(DibHeader);
    bitsSize = std::size_t((bmp.width() * 3 + 3) & ~3) * std::size_t(bmp.height());
    return true;
}

bool MakeDib(const Bitmap& bmp, Dib& out)
{
    std::size_t infoSize = 0, bitsSize = 0;
    out = Dib{};
    if (!DibSizes(bmp, infoSize, bitsSize))
        return false;
    try {
        Dib dib;
        dib.info.biWidth = bmp.width();
        dib.info.biHeight = bmp.height();
        dib.info.biSizeImage = std::int32_t(bitsSize);
        dib.bits.assign(bitsSize, 0);
        const int stride = dib.stride();
        const int w = bmp.width(), h = bmp.height();
        for (int y = 0; y < h; ++y) {
            std::uint8_t* dst = dib.bits.data() + std::size_t(h - 1 - y) * stride;
            if (bmp.format() == PixelFormat::pf24bit) {
                std::memcpy(dst, bmp.scanLine(y), std::size_t(w) * 3);
            } else {
                for (int x = 0; x < w; ++x) {
                    const TColor c = bmp.pixel(x, y);
                    dst[3 * x] = std::uint8_t(GetBValue(c));
                    dst[3 * x + 1] = std::uint8_t(GetGValue(c));
                    dst[3 * x + 2] = std::uint8_t(GetRValue(c));
                }
            }
        }
        out = std::move(dib);
        return true;
    } catch (const std::bad_alloc&) {
        out = Dib{};
        return false;
    }
}

void SaveBmp(const Bitmap& bmp, const std::string& path, Durability durability)
{
    if (bmp.empty())
        throw std::runtime_error("Cannot save an empty bitmap to \"" + path + "\"");

    const bool palette = IsPalette(bmp.format());
    const int bpp = palette ? bmp.bitsPerPixel() : 24;
    const int w = bmp.width(), h = bmp.height();
    const std::uint32_t stride = std::uint32_t((std::int64_t(w) * bpp + 31) / 32 * 4);
    const std::uint32_t imageSize = stride * std::uint32_t(h);
    const std::uint32_t colours = palette ? (1u << bpp) : 0;
    const std::uint32_t offBits = 14 + 40 + colours * 4;

    std::vector<std::uint8_t> head;
    head.reserve(offBits);
    head.push_back('B');
    head.push_back('M');
    PutLE(head, offBits + imageSize, 4);
    PutLE(head, 0, 4);
    PutLE(head, offBits, 4);
    PutLE(head, 40, 4);
    PutLE(head, std::uint32_t(w), 4);
    PutLE(head, std::uint32_t(h), 4);   // positive: rows bottom-up
    PutLE(head, 1, 2);
    PutLE(head, std::uint32_t(bpp), 2);
    PutLE(head, 0, 4);                  // BI_RGB
    PutLE(head, imageSize, 4);
    PutLE(head, 0, 4);
    PutLE(head, 0, 4);
    PutLE(head, colours, 4);
    PutLE(head, 0, 4);
    for (std::uint32_t i = 0; i < colours; ++i) {
        const TColor c = i < bmp.palette().size() ? bmp.palette()[i] : clBlack;
        head.push_back(std::uint8_t(GetBValue(c)));
        head.push_back(std::uint8_t(GetGValue(c)));
        head.push_back(std::uint8_t(GetRValue(c)));
        head.push_back(0);
    }

    SafeFileWriter file(path, std::uint64_t(offBits) + imageSize, durability);
    if (palette || bmp.format() == PixelFormat::pf24bit) {
        // The rows are laid out as the file lays them out: handed over as
        // they are, bottom row first, in one gathered write.
        std::vector<WritePiece> pieces;
        pieces.reserve(std::size_t(h) + 1);
        pieces.push_back({head.data(), head.size()});
        for (int y = h - 1; y >= 0; --y)
            pieces.push_back({bmp.scanLine(y), stride});
        file.Write(pieces);
    } else {
        // 32-bit pixels lose their fourth byte: converted in chunks, as the
        // picture may be large and its copy need not be.
        file.Write(head.data(), head.size());
        std::vector<std::uint8_t> chunk;
        const std::size_t chunkRows = std::max<std::size_t>(1, (std::size_t(1) << 16) / stride);
        chunk.reserve(chunkRows * stride);
        for (int y = h - 1; y >= 0 && !file.error(); --y) {
            const std::uint8_t* src = bmp.scanLine(y);
            const std::size_t at = chunk.size();
            chunk.resize(at + stride, 0);
            std::uint8_t* row = chunk.data() + at;
            for (int x = 0; x < w; ++x) {
                row[3 * x] = src[4 * x];
                row[3 * x + 1] = src[4 * x + 1];
                row[3 * x + 2] = src[4 * x + 2];
            }
            if (chunk.size() >= chunkRows * stride || y == 0) {
                file.Write(chunk.data(), chunk.size());
                chunk.clear();
            }
        }
    }
    if (const std::error_code err = file.Commit())
        throw std::runtime_error("Cannot write file \"" + path + "\". " + err.message());
}

} // namespace plat
