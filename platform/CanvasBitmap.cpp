// The canvas on a memory Bitmap, and the read-only image view of a Bitmap.
// Kept apart from Canvas.cpp so that drawing on Qt devices alone needs no
// Bitmap code.
#include "platform/Canvas.h"

namespace plat {

namespace {

// 24-bit scanlines are B, G, R bytes; 32-bit ones B, G, R, unused.
QImage::Format QtFormat(PixelFormat f)
{
    switch (f) {
    case PixelFormat::pf24bit: return QImage::Format_BGR888;
    case PixelFormat::pf32bit: return QImage::Format_RGB32;
    default: return QImage::Format_Invalid;
    }
}

} // namespace

QImage ImageView(const Bitmap& bitmap)
{
    if (bitmap.empty())
        return {};
    const QImage::Format f = QtFormat(bitmap.format());
    if (f != QImage::Format_Invalid)
        return QImage(bitmap.bits(), bitmap.width(), bitmap.height(), bitmap.stride(), f);
    QImage copy(bitmap.width(), bitmap.height(), QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(copy.scanLine(y));
        for (int x = 0; x < bitmap.width(); ++x) {
            const TColor c = bitmap.pixel(x, y);
            line[x] = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
        }
    }
    return copy;
}

BitmapCanvas::BitmapCanvas(Bitmap& bitmap) : bitmap_(bitmap)
{
    Ready();
}

BitmapCanvas::~BitmapCanvas()
{
    End();
}

bool BitmapCanvas::Ready()
{
    const QImage::Format f = QtFormat(bitmap_.format());
    if (bitmap_.empty() || f == QImage::Format_Invalid) {
        End();
        boundBits_ = nullptr;
        return false;
    }
    // Mutable access: the bitmap is about to change, so it gets a new identity.
    std::uint8_t* bits = bitmap_.bits();
    if (Active() && bits == boundBits_ && bitmap_.width() == boundWidth_ &&
        bitmap_.height() == boundHeight_ && bitmap_.format() == boundFormat_)
        return true;
    End();
    image_ = QImage(bits, bitmap_.width(), bitmap_.height(), bitmap_.stride(), f);
    boundBits_ = bits;
    boundWidth_ = bitmap_.width();
    boundHeight_ = bitmap_.height();
    boundFormat_ = bitmap_.format();
    return BeginOwned(&image_);
}

} // namespace plat
