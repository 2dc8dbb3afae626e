#include "platform/PictureBlit.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <type_traits>
#include <vector>

namespace plat {

namespace {

// Nearest source index of destination step d of n over a source span of
// length len starting at start: start + ((2d + 1) len) div (2n).
long long NearestSource(long long start, long long d, long long len, long long n)
{
    return start + ((2 * d + 1) * len) / (2 * n);
}

// A 1:1 row of 3-byte pixels: whole bytes, eight at a time where the row allows.
template <BlitOp Op>
void BlitBytes(std::uint8_t* __restrict dst, const std::uint8_t* __restrict src, std::size_t n)
{
    if constexpr (Op == BlitOp::Copy) {
        std::memcpy(dst, src, n);
    } else {
        std::size_t i = 0;
        for (; i + 8 <= n; i += 8) {
            std::uint64_t a, b;
            std::memcpy(&a, dst + i, 8);
            std::memcpy(&b, src + i, 8);
            a &= b;
            std::memcpy(dst + i, &a, 8);
        }
        for (; i < n; ++i)
            dst[i] &= src[i];
    }
}

template <BlitOp Op, int BytesPerPixel>
void BlitRow(std::uint8_t* dst, const std::uint8_t* src, const std::uint32_t* offsets, int count)
{
    for (int i = 0; i < count; ++i, dst += BytesPerPixel) {
        const std::uint8_t* s = src + offsets[i];
        if constexpr (Op == BlitOp::And) {
            dst[0] &= s[0];
            dst[1] &= s[1];
            dst[2] &= s[2];
        } else {
            dst[0] = s[0];
            dst[1] = s[1];
            dst[2] = s[2];
            if constexpr (BytesPerPixel == 4)
                dst[3] = 0xFF;
        }
    }
}

// The stretch on a target of width x height pixels whose rows bits()
// returns; bits() is called only when a pixel is drawn.
template <class Bits>
void Stretch(int width, int height, std::ptrdiff_t stride, int bytesPerPixel, Bits bits, const TRect& dest,
             const Dib& source, const TRect& sourceRect, BlitOp op, const TRect& clip)
{
    const long long dibH = DibRowCount(source);
    if (dibH == 0)
        return;
    const long long dibW = source.info.biWidth;
    const bool bottomUp = source.info.biHeight > 0;
    const long long sourceStride = source.stride();
    // In 64 bits: a rectangle wider than int holds is no stretch to draw.
    const long long destW = (long long)dest.Right - dest.Left, destH = (long long)dest.Bottom - dest.Top;
    const long long srcW = (long long)sourceRect.Right - sourceRect.Left;
    const long long srcH = (long long)sourceRect.Bottom - sourceRect.Top;
    if (destW <= 0 || destH <= 0 || srcW <= 0 || srcH <= 0 || std::max({destW, destH, srcW, srcH}) > INT_MAX)
        return;

    // Destination columns inside the target whose source column lies in
    // the DIB; the mapping only grows, so they form one run.
    const int xFrom = std::max({dest.Left, clip.Left, 0});
    const int xTo = std::min({dest.Right, clip.Right, width});
    thread_local std::vector<std::uint32_t> offsets;
    offsets.clear();
    int firstX = -1;
    for (int x = xFrom; x < xTo; ++x) {
        const long long u = NearestSource(sourceRect.Left, x - dest.Left, srcW, destW);
        if (u < 0)
            continue;
        if (u >= dibW)
            break;
        if (firstX < 0)
            firstX = x;
        offsets.push_back(std::uint32_t(3 * u));
    }
    if (offsets.empty())
        return;
    const int count = int(offsets.size());
    // Unstretched (a picture scaled once for many hexagons).
    const bool oneToOne = srcW == destW && srcH == destH;

    const int yFrom = std::max({dest.Top, clip.Top, 0});
    const int yTo = std::min({dest.Bottom, clip.Bottom, height});
    if (yFrom >= yTo)
        return;
    std::uint8_t* base = bits();
    // The row loop made once per kind of row, so that no row asks again.
    auto eachRow = [&](auto blitRow) {
        for (int y = yFrom; y < yTo; ++y) {
            // A bottom-up DIB's rows count from its lower-left corner, so the
            // rectangle's top row is its highest row; a top-down DIB's from the top.
            const long long off = NearestSource(0, y - dest.Top, srcH, destH);
            const long long v = bottomUp ? sourceRect.Top + srcH - 1 - off : sourceRect.Top + off;
            if (v < 0 || v >= dibH)
                continue;
            blitRow(base + y * stride + std::ptrdiff_t(firstX) * bytesPerPixel,
                    source.bits.data() + v * sourceStride);
        }
    };
    const std::uint32_t* at = offsets.data();
    const std::size_t first = offsets[0], bytes = std::size_t(count) * 3;
    auto rowsWith = [&](auto opConstant) {
        constexpr BlitOp Op = decltype(opConstant)::value;
        using Row = std::uint8_t*;
        using SourceRow = const std::uint8_t*;
        if (bytesPerPixel == 4)
            eachRow([&](Row d, SourceRow s) { BlitRow<Op, 4>(d, s, at, count); });
        else if (oneToOne)   // the row's source bytes are contiguous
            eachRow([&](Row d, SourceRow s) { BlitBytes<Op>(d, s + first, bytes); });
        else
            eachRow([&](Row d, SourceRow s) { BlitRow<Op, 3>(d, s, at, count); });
    };
    if (op == BlitOp::And)
        rowsWith(std::integral_constant<BlitOp, BlitOp::And>{});
    else
        rowsWith(std::integral_constant<BlitOp, BlitOp::Copy>{});
}

} // namespace

int DibRowCount(const Dib& source)
{
    const DibHeader& info = source.info;
    if (info.biBitCount != 24 || info.biCompression != 0 || info.biWidth <= 0 || info.biHeight == 0)
        return 0;
    const long long rows = info.biHeight > 0 ? info.biHeight : -(long long)info.biHeight;
    if (rows > INT_MAX || (unsigned long long)source.stride() * rows > source.bits.size())
        return 0;
    return int(rows);
}

void StretchBlit(const PixelRows& target, const TRect& dest, const Dib& source, const TRect& sourceRect,
                 BlitOp op, const TRect& clip)
{
    if (!target.Bits || (target.BytesPerPixel != 3 && target.BytesPerPixel != 4))
        return;
    Stretch(target.Width, target.Height, target.Stride, target.BytesPerPixel, [&] { return target.Bits; }, dest,
            source, sourceRect, op, clip);
}

void StretchBlit(Bitmap& target, const TRect& dest, const Dib& source, const TRect& sourceRect, BlitOp op)
{
    StretchBlit(target, dest, source, sourceRect, op, TRect{0, 0, target.width(), target.height()});
}

void StretchBlit(Bitmap& target, const TRect& dest, const Dib& source, const TRect& sourceRect, BlitOp op,
                 const TRect& clip)
{
    if (target.empty() || target.format() != PixelFormat::pf24bit)
        return;
    // One identity change for the whole copy, and none when nothing is drawn.
    Stretch(target.width(), target.height(), target.stride(), 3, [&] { return target.bits(); }, dest, source,
            sourceRect, op, clip);
}

Dib ScaledDib(const Dib& source, int width, int height)
{
    Dib out;
    if (width <= 0 || height <= 0)
        return out;
    Bitmap bmp(width, height);
    StretchBlit(bmp, TRect{0, 0, width, height}, source, BlitOp::Copy);
    MakeDib(bmp, out);
    return out;
}

TRect WholeDib(const Dib& source)
{
    // In 64 bits: the height of INT_MIN rows has no int negation.
    const long long h = source.info.biHeight < 0 ? -(long long)source.info.biHeight : source.info.biHeight;
    return TRect{0, 0, source.info.biWidth, int(std::min<long long>(h, INT_MAX))};
}

void StretchBlit(Bitmap& target, const TRect& dest, const Dib& source, BlitOp op)
{
    StretchBlit(target, dest, source, WholeDib(source), op);
}

void StretchBlit(Bitmap& target, const TRect& dest, const Dib& source, BlitOp op, const TRect& clip)
{
    StretchBlit(target, dest, source, WholeDib(source), op, clip);
}

void ClearRows(Bitmap& target, int from, int to)
{
    ClearRect(target, TRect{0, from, target.width(), to});
}

void ClearRect(Bitmap& target, const TRect& rect)
{
    const int left = std::max(rect.Left, 0), right = std::min(rect.Right, target.width());
    const int top = std::max(rect.Top, 0), bottom = std::min(rect.Bottom, target.height());
    if (left >= right || top >= bottom || target.format() != PixelFormat::pf24bit)
        return;
    std::uint8_t* base = target.bits();
    for (int y = top; y < bottom; ++y)
        std::memset(base + std::size_t(y) * target.stride() + std::size_t(left) * 3, 0xFF,
                    std::size_t(right - left) * 3);
}

} // namespace plat
