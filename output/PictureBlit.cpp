#include "output/PictureBlit.h"

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <vector>

namespace tolv {

namespace {

// Nearest source index of destination step d of n over a source span of
// length len starting at start: start + ((2d + 1) len) div (2n).
long long NearestSource(long long start, long long d, long long len, long long n)
{
    return start + ((2 * d + 1) * len) / (2 * n);
}

// A 1:1 row: whole bytes, eight at a time where the row allows.
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

template <BlitOp Op>
void BlitRow(std::uint8_t* dst, const std::uint8_t* src, const std::uint32_t* offsets, int count)
{
    for (int i = 0; i < count; ++i, dst += 3) {
        const std::uint8_t* s = src + offsets[i];
        if constexpr (Op == BlitOp::And) {
            dst[0] &= s[0];
            dst[1] &= s[1];
            dst[2] &= s[2];
        } else {
            dst[0] = s[0];
            dst[1] = s[1];
            dst[2] = s[2];
        }
    }
}

} // namespace

void StretchBlit(plat::Bitmap& target, const plat::TRect& dest, const plat::Dib& source,
                 const plat::TRect& sourceRect, BlitOp op)
{
    StretchBlit(target, dest, source, sourceRect, op, plat::TRect{0, 0, target.width(), target.height()});
}

void StretchBlit(plat::Bitmap& target, const plat::TRect& dest, const plat::Dib& source,
                 const plat::TRect& sourceRect, BlitOp op, const plat::TRect& clip)
{
    const plat::DibHeader& info = source.info;
    if (target.empty() || target.format() != plat::PixelFormat::pf24bit)
        return;
    if (info.biBitCount != 24 || info.biCompression != 0 || info.biWidth <= 0 || info.biHeight == 0)
        return;
    const long long dibW = info.biWidth;
    const bool bottomUp = info.biHeight > 0;
    const long long dibH = bottomUp ? info.biHeight : -(long long)info.biHeight;
    const long long stride = source.stride();
    if ((unsigned long long)(stride * dibH) > source.bits.size())
        return;
    const long long destW = dest.Width(), destH = dest.Height();
    const long long srcW = sourceRect.Width(), srcH = sourceRect.Height();
    if (destW <= 0 || destH <= 0 || srcW <= 0 || srcH <= 0)
        return;

    // Destination columns inside the bitmap whose source column lies in the
    // DIB; the mapping only grows, so they form one run.
    const int xFrom = std::max({dest.Left, clip.Left, 0});
    const int xTo = std::min({dest.Right, clip.Right, target.width()});
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
    // Unstretched (a picture scaled once for many hexagons): the row's
    // source bytes are contiguous.
    const bool oneToOne = srcW == destW && srcH == destH;

    const int yFrom = std::max({dest.Top, clip.Top, 0});
    const int yTo = std::min({dest.Bottom, clip.Bottom, target.height()});
    if (yFrom >= yTo)
        return;
    std::uint8_t* base = target.bits();   // one identity change for the whole copy
    const int targetStride = target.stride();
    for (int y = yFrom; y < yTo; ++y) {
        // A bottom-up DIB's rows count from its lower-left corner, so the
        // rectangle's top row is its highest row; a top-down DIB's from the top.
        const long long off = NearestSource(0, y - dest.Top, srcH, destH);
        const long long v = bottomUp ? sourceRect.Top + srcH - 1 - off : sourceRect.Top + off;
        if (v < 0 || v >= dibH)
            continue;
        const std::uint8_t* srow = source.bits.data() + v * stride;
        std::uint8_t* drow = base + std::size_t(y) * targetStride + std::size_t(firstX) * 3;
        if (oneToOne) {
            const std::uint8_t* from = srow + offsets[0];
            if (op == BlitOp::And)
                BlitBytes<BlitOp::And>(drow, from, std::size_t(count) * 3);
            else
                BlitBytes<BlitOp::Copy>(drow, from, std::size_t(count) * 3);
        } else if (op == BlitOp::And)
            BlitRow<BlitOp::And>(drow, srow, offsets.data(), count);
        else
            BlitRow<BlitOp::Copy>(drow, srow, offsets.data(), count);
    }
}

plat::Dib ScaledDib(const plat::Dib& source, int width, int height)
{
    plat::Dib out;
    if (width <= 0 || height <= 0)
        return out;
    plat::Bitmap bmp(width, height);
    StretchBlit(bmp, plat::TRect{0, 0, width, height}, source, BlitOp::Copy);
    plat::MakeDib(bmp, out);
    return out;
}

plat::TRect WholeDib(const plat::Dib& source)
{
    const int h = source.info.biHeight < 0 ? -source.info.biHeight : source.info.biHeight;
    return plat::TRect{0, 0, source.info.biWidth, h};
}

void StretchBlit(plat::Bitmap& target, const plat::TRect& dest, const plat::Dib& source, BlitOp op)
{
    StretchBlit(target, dest, source, WholeDib(source), op);
}

void StretchBlit(plat::Bitmap& target, const plat::TRect& dest, const plat::Dib& source, BlitOp op,
                 const plat::TRect& clip)
{
    StretchBlit(target, dest, source, WholeDib(source), op, clip);
}

void ClearRows(plat::Bitmap& target, int from, int to)
{
    ClearRect(target, plat::TRect{0, from, target.width(), to});
}

void ClearRect(plat::Bitmap& target, const plat::TRect& rect)
{
    const int left = std::max(rect.Left, 0), right = std::min(rect.Right, target.width());
    const int top = std::max(rect.Top, 0), bottom = std::min(rect.Bottom, target.height());
    if (left >= right || top >= bottom || target.format() != plat::PixelFormat::pf24bit)
        return;
    std::uint8_t* base = target.bits();
    for (int y = top; y < bottom; ++y)
        std::memset(base + std::size_t(y) * target.stride() + std::size_t(left) * 3, 0xFF,
                    std::size_t(right - left) * 3);
}

} // namespace tolv
