#include "platform/Canvas.h"

#include "platform/PictureBlit.h"
#include "platform/QtColour.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QVarLengthArray>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace plat {

int TFont::Size() const
{
    return -MulDiv(Height, 72, PixelsPerInch > 0 ? PixelsPerInch : 96);
}

void TFont::SetSize(int points)
{
    Height = -MulDiv(points, PixelsPerInch > 0 ? PixelsPerInch : 96, 72);
}

namespace {

QColor Q(TColor c) { return ToQColor(c); }

// Dash lengths of thin pens, in pixels (on, off, ...).
QList<qreal> DashesOf(TPenStyle s)
{
    switch (s) {
    case psDash: return {18, 6};
    case psDot: return {3, 3};
    case psDashDot: return {9, 6, 3, 6};
    case psDashDotDot: return {9, 3, 3, 3, 3, 3};
    default: return {};
    }
}

} // namespace

Canvas::Canvas() = default;

Canvas::Canvas(QPaintDevice* device)
{
    Begin(device);
}

Canvas::Canvas(QPainter* painter)
{
    Begin(painter);
}

Canvas::~Canvas()
{
    End();
}

bool Canvas::BeginOwned(QPaintDevice* device)
{
    End();
    if (!device)
        return false;
    auto* p = new QPainter;
    if (!p->begin(device)) {
        delete p;
        return false;
    }
    painter_ = p;
    ownsPainter_ = true;
    device_ = device;
    base_ = QTransform();
    Reset();
    return true;
}

bool Canvas::Begin(QPaintDevice* device)
{
    return BeginOwned(device);
}

void Canvas::Begin(QPainter* painter)
{
    End();
    if (!painter || !painter->isActive())
        return;
    painter_ = painter;
    ownsPainter_ = false;
    device_ = painter->device();
    base_ = painter->transform();
    Reset();
}

void Canvas::End()
{
    if (!painter_)
        return;
    if (ownsPainter_) {
        painter_->end();
        delete painter_;
    } else {
        painter_->setTransform(base_);
        painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    painter_ = nullptr;
    ownsPainter_ = false;
    device_ = nullptr;
}

// A new painter knows none of our state: everything is applied afresh.
void Canvas::Reset()
{
    penApplied_ = false;
    textPenApplied_ = false;
    appliedFontSerial_ = -1;
    appliedBrush_ = -1;
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_->setBackgroundMode(Qt::TransparentMode);
    ApplyTransform();
    ApplyClip();
}

QPainter* Canvas::Painter()
{
    if (!Ready())
        return nullptr;
    ApplyAll();
    return painter_;
}

void Canvas::ApplyAll()
{
    ApplyPen();
    ApplyBrush();
    painter_->setFont(ResolvedFont());
    appliedFontSerial_ = fontSerial_;
}

bool Canvas::RasterTarget() const
{
    return device_ && device_->devType() == QInternal::Image;
}

// --- background mode ------------------------------------------------------

void Canvas::SyncBrushBk() const
{
    if (Brush == seenBrush_)
        return;
    seenBrush_ = Brush;
    bkMode_ = Brush.Style == bsClear ? TRANSPARENT : OPAQUE;
    bkColour_ = Brush.Color;
}

TBkMode Canvas::SetBkMode(TBkMode mode)
{
    SyncBrushBk();
    const TBkMode old = bkMode_;
    if (mode == TRANSPARENT || mode == OPAQUE)
        bkMode_ = mode;
    return old;
}

TBkMode Canvas::BkMode() const
{
    SyncBrushBk();
    return bkMode_;
}

TColor Canvas::BkColor() const
{
    SyncBrushBk();
    return bkColour_;
}

// --- state ---------------------------------------------------------------

void Canvas::ApplyPen()
{
    SyncBrushBk();
    // Gaps of dashed lines take the background in opaque mode.
    const bool dashed = Pen.Style != psSolid && Pen.Style != psClear && Pen.Width <= 1;
    if (dashed) {
        painter_->setBackgroundMode(bkMode_ == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
        painter_->setBackground(QBrush(Q(bkColour_)));
    }
    if (penApplied_ && Pen == appliedPen_)
        return;
    if (Pen.Style == psClear) {
        painter_->setPen(Qt::NoPen);
    } else {
        QPen q(Q(Pen.Color));
        q.setWidth(std::max(Pen.Width, 0));
        if (Pen.Width > 1) {
            q.setCapStyle(Qt::RoundCap);
            q.setJoinStyle(Qt::RoundJoin);
        } else {
            q.setCapStyle(Qt::FlatCap);
            q.setJoinStyle(Qt::MiterJoin);
            if (dashed)
                q.setDashPattern(DashesOf(Pen.Style));
        }
        painter_->setPen(q);
    }
    appliedPen_ = Pen;
    penApplied_ = true;
    textPenApplied_ = false;
}

void Canvas::ApplyBrush()
{
    if (Brush.Style == bsClear) {
        ApplyNoBrush();
        return;
    }
    if (appliedBrush_ == 1 && appliedBrushColour_ == Brush.Color)
        return;
    painter_->setBrush(QBrush(Q(Brush.Color)));
    appliedBrush_ = 1;
    appliedBrushColour_ = Brush.Color;
}

void Canvas::ApplyNoBrush()
{
    if (appliedBrush_ == 0)
        return;
    painter_->setBrush(Qt::NoBrush);
    appliedBrush_ = 0;
}

// --- mapping and clipping ------------------------------------------------

void Canvas::ApplyTransform()
{
    double sx = 1, sy = 1;
    if (mapMode_ == mmAnisotropic && windowExt_.cx != 0 && windowExt_.cy != 0) {
        sx = double(viewportExt_.cx) / windowExt_.cx;
        sy = double(viewportExt_.cy) / windowExt_.cy;
    }
    mapping_ = QTransform(sx, 0, 0, sy, viewportOrg_.X - windowOrg_.X * sx,
                          viewportOrg_.Y - windowOrg_.Y * sy);
    if (painter_)
        painter_->setTransform(mapping_ * base_);
}

void Canvas::ApplyClip()
{
    if (!painter_)
        return;
    if (!clip_.region) {
        painter_->setClipping(false);
        return;
    }
    // The region is kept in device pixels: set it under the identity.
    painter_->setTransform(base_);
    painter_->setClipRegion(*clip_.region);
    painter_->setTransform(mapping_ * base_);
}

bool Canvas::TranslationOnly() const
{
    const QTransform t = mapping_ * base_;
    return t.type() <= QTransform::TxTranslate && t.dx() == std::floor(t.dx()) &&
           t.dy() == std::floor(t.dy());
}

QPoint Canvas::DevicePoint(int X, int Y) const
{
    return (mapping_ * base_).map(QPoint(X, Y));
}

void Canvas::IntersectClipRect(const TRect& r)
{
    QRect logical(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1));
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        logical = QRect();
    const QRegion dev = logical.isEmpty() ? QRegion()
                                          : QRegion(mapping_.mapRect(logical));
    clip_.region = clip_.region ? clip_.region->intersected(dev) : dev;
    ApplyClip();
}

void Canvas::SelectClip(const TClip& clip)
{
    clip_ = clip;
    ApplyClip();
}

TMapMode Canvas::SetMapMode(TMapMode mode)
{
    const TMapMode old = mapMode_;
    mapMode_ = mode;
    ApplyTransform();
    return old;
}

TPoint Canvas::SetWindowOrg(int X, int Y)
{
    const TPoint old = windowOrg_;
    windowOrg_ = {X, Y};
    ApplyTransform();
    return old;
}

TPoint Canvas::SetViewportOrg(int X, int Y)
{
    const TPoint old = viewportOrg_;
    viewportOrg_ = {X, Y};
    ApplyTransform();
    return old;
}

TSize Canvas::SetWindowExt(int cx, int cy)
{
    const TSize old = windowExt_;
    if (cx != 0 && cy != 0)
        windowExt_ = {cx, cy};
    ApplyTransform();
    return old;
}

TSize Canvas::SetViewportExt(int cx, int cy)
{
    const TSize old = viewportExt_;
    if (cx != 0 && cy != 0)
        viewportExt_ = {cx, cy};
    ApplyTransform();
    return old;
}

int Canvas::LogPixelsX() const
{
    return device_ ? device_->logicalDpiX() : 96;
}

int Canvas::LogPixelsY() const
{
    return device_ ? device_->logicalDpiY() : 96;
}

// --- lines and shapes ----------------------------------------------------

void Canvas::MoveTo(int X, int Y)
{
    penPos_ = {X, Y};
}

// Qt draws a thin line's end pixel, the platform does not. On a bitmap the
// end pixel is put back as it was before the last segment was drawn; the
// segments before it draw theirs, which are the next segments' starts.
void Canvas::DrawLastPixelExcluded(const QPoint* pts, int count)
{
    const bool thin = Pen.Width <= 1 && Pen.Style != psClear;
    // A closed figure ends on its first pixel, which stays drawn.
    const bool closed = count > 2 && pts[0] == pts[count - 1];
    if (!thin || closed || !RasterTarget() || !TranslationOnly()) {
        painter_->drawPolyline(pts, count);
        return;
    }
    if (count > 2)
        painter_->drawPolyline(pts, count - 1);
    auto* img = static_cast<QImage*>(device_);
    const QPoint end = DevicePoint(pts[count - 1].x(), pts[count - 1].y());
    const bool inside = img->rect().contains(end);
    QRgb saved = 0;
    if (inside)
        saved = img->pixel(end);
    painter_->drawLine(pts[count - 2], pts[count - 1]);
    if (inside)
        img->setPixel(end, saved);
}

void Canvas::LineTo(int X, int Y)
{
    if (Ready()) {
        ApplyPen();
        if (Pen.Style != psClear) {
            const QPoint pts[2] = {QPoint(penPos_.X, penPos_.Y), QPoint(X, Y)};
            DrawLastPixelExcluded(pts, 2);
        }
    }
    penPos_ = {X, Y};
}

void Canvas::Polyline(std::span<const TPoint> points)
{
    if (points.size() < 2 || !Ready())
        return;
    ApplyPen();
    if (Pen.Style == psClear)
        return;
    QVarLengthArray<QPoint, 16> q(qsizetype(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i)
        q[qsizetype(i)] = QPoint(points[i].X, points[i].Y);
    DrawLastPixelExcluded(q.data(), int(q.size()));
}

void Canvas::Polygon(std::span<const TPoint> points)
{
    if (points.size() < 2 || !Ready())
        return;
    ApplyPen();
    ApplyBrush();
    QVarLengthArray<QPoint, 16> q(qsizetype(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i)
        q[qsizetype(i)] = QPoint(points[i].X, points[i].Y);
    painter_->drawPolygon(q.data(), int(q.size()), Qt::OddEvenFill);
}

void Canvas::Rectangle(int Left, int Top, int Right, int Bottom)
{
    if (!Ready())
        return;
    if (Right < Left)
        std::swap(Left, Right);
    if (Bottom < Top)
        std::swap(Top, Bottom);
    if (Right - Left < 1 || Bottom - Top < 1)
        return;
    ApplyPen();
    ApplyBrush();
    // A thin outline covers Left..Right-1; without a pen the fill is one
    // pixel smaller, as the platform draws it.
    painter_->drawRect(QRect(Left, Top, Right - Left - 1, Bottom - Top - 1));
}

void Canvas::FillRect(const TRect& r)
{
    if (!Ready() || Brush.Style == bsClear || r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    painter_->fillRect(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top), Q(Brush.Color));
}

// --- text ----------------------------------------------------------------

const QFont& Canvas::ResolvedFont()
{
    if (fontResolved_ && Font == resolvedSpec_)
        return qfont_;
    QFont f(QString::fromUtf8(Font.Name.data(), qsizetype(Font.Name.size())));
    f.setStyleHint(QFont::SansSerif);
    int weight = Font.Weight;
    if (weight <= 0)
        weight = (Font.Style & fsBold) ? 700 : 400;
    f.setWeight(QFont::Weight(std::clamp(weight, 1, 1000)));
    f.setItalic(Font.Style & fsItalic);
    f.setUnderline(Font.Style & fsUnderline);
    f.setStrikeOut(Font.Style & fsStrikeOut);
    f.setKerning(false);
    // Plain pixels, as the platform draws text on bitmaps: drawing a text
    // twice on the same spot must not thicken it.
    f.setStyleStrategy(QFont::NoAntialias);
    int h = Font.Height;
    if (h == 0)
        h = -MulDiv(8, Font.PixelsPerInch > 0 ? Font.PixelsPerInch : 96, 72);
    if (h < 0) {
        f.setPixelSize(std::max(1, -h));
    } else {
        // A positive height is the whole cell: find the em that gives it.
        constexpr int ref = 256;
        f.setPixelSize(ref);
        const QFontMetricsF fm(f);
        const double cell = fm.ascent() + fm.descent();
        f.setPixelSize(std::max(1, int(std::lround(cell > 0 ? h * ref / cell : h))));
    }
    if (Font.Width > 0) {
        const QFontMetricsF fm(f);
        const double avg = fm.averageCharWidth();
        if (avg > 0)
            f.setStretch(std::clamp(int(std::lround(Font.Width * 100.0 / avg)), 1, 4000));
    }
    const QFontMetricsF fm(f);
    ascent_ = int(std::lround(fm.ascent()));
    descent_ = int(std::lround(fm.descent()));
    qfont_ = f;
    ++fontSerial_;
    resolvedSpec_ = Font;
    fontResolved_ = true;
    return qfont_;
}

void Canvas::TextOut(int X, int Y, std::string_view text)
{
    if (text.empty() || !Ready())
        return;
    const QFont& f = ResolvedFont();
    const QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
    SyncBrushBk();
    if (appliedFontSerial_ != fontSerial_) {
        painter_->setFont(f);
        appliedFontSerial_ = fontSerial_;
    }
    const bool turned = Font.Escapement % 3600 != 0;
    QPointF origin(X, Y);
    if (turned) {
        const QTransform local = QTransform().rotate(-Font.Escapement / 10.0) * QTransform::fromTranslate(X, Y);
        painter_->setTransform(local * mapping_ * base_);
        origin = QPointF(0, 0);
    }
    // The cell's background is ours to fill; an opaque mode left on the
    // painter by a dashed line would fill it again in that line's colour.
    if (painter_->backgroundMode() != Qt::TransparentMode)
        painter_->setBackgroundMode(Qt::TransparentMode);
    if (bkMode_ == OPAQUE) {
        const QFontMetricsF fm(f, device_);
        painter_->fillRect(QRectF(origin.x(), origin.y(), fm.horizontalAdvance(s), ascent_ + descent_),
                           Q(bkColour_));
    }
    if (!textPenApplied_ || textPenColour_ != Font.Color) {
        painter_->setPen(Q(Font.Color));
        textPenApplied_ = true;
        textPenColour_ = Font.Color;
        penApplied_ = false;
    }
    painter_->drawText(origin + QPointF(0, ascent_), s);
    if (turned)
        painter_->setTransform(mapping_ * base_);
}

TSize Canvas::TextExtent(std::string_view text)
{
    const QFont& f = ResolvedFont();
    const QFontMetricsF fm(f, device_);
    const QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
    return {int(std::lround(fm.horizontalAdvance(s))), ascent_ + descent_};
}

// --- pictures ------------------------------------------------------------

void Canvas::DrawImageRect(const QRect& dest, const QImage& image, const QRect& source)
{
    if (image.isNull() || dest.isEmpty() || source.isEmpty())
        return;
    PaintImage(QRectF(dest), image, QRectF(source));
}

void Canvas::PaintImage(const QRectF& target, const QImage& image, const QRectF& source)
{
    if (!KeepImage(target, image, source))
        painter_->drawImage(target, image, source);
}

bool Canvas::KeepImage(const QRectF& target, const QImage& image, const QRectF& source)
{
    auto* keeper = dynamic_cast<ImageKeepingDevice*>(device_);
    if (!keeper || !ownsPainter_ || qint64(source.width() * source.height()) < ImageKeepingDevice::MinKeptPixels)
        return false;
    KeptImage kept;
    const QTransform world = painter_->transform();
    const QImage::Format format = image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                          : QImage::Format_RGB32;
    // One copy that owns its pixels (the caller's may be borrowed for the
    // call only), in the format the painter draws fastest.
    const QRect part = source.toAlignedRect();
    const QImage cut = part == image.rect() ? image : image.copy(part);
    kept.image = cut.format() == format && part == image.rect() ? cut.copy() : cut.convertToFormat(format);
    if (world.type() <= QTransform::TxScale) {
        // Upright on the device: a bottom-up DIB's rows are turned here once,
        // not on every replay.
        kept.image.mirror(world.m11() < 0, world.m22() < 0);
        kept.target = world.mapRect(target);
    } else {
        kept.target = target;
        kept.transform = world;
    }
    kept.clip = clip_.region;
    // The recording so far ends; the next part takes up the canvas's state.
    painter_->end();
    QPaintDevice* next = keeper->KeepImage(std::move(kept));
    if (!next || !painter_->begin(next)) {
        delete painter_;
        painter_ = nullptr;
        ownsPainter_ = false;
        device_ = nullptr;
        return true;
    }
    Reset();
    return true;
}

void Canvas::Draw(int X, int Y, const QImage& image)
{
    if (image.isNull() || !Ready())
        return;
    PaintImage(QRectF(QPointF(X, Y), QSizeF(image.size())), image, QRectF(image.rect()));
}

void Canvas::StretchDraw(const TRect& dest, const QImage& image)
{
    if (!Ready())
        return;
    DrawImageRect(QRect(dest.Left, dest.Top, dest.Width(), dest.Height()), image, image.rect());
}

void Canvas::CopyRect(const TRect& dest, const QImage& source, const TRect& sourceRect)
{
    if (!Ready())
        return;
    DrawImageRect(QRect(dest.Left, dest.Top, dest.Width(), dest.Height()), source,
                  QRect(sourceRect.Left, sourceRect.Top, sourceRect.Width(), sourceRect.Height()));
}

void Canvas::Draw(int X, int Y, const Bitmap& bitmap)
{
    if (bitmap.empty())
        return;
    Draw(X, Y, ImageView(bitmap));
}

void Canvas::StretchDraw(const TRect& dest, const Bitmap& bitmap)
{
    if (bitmap.empty())
        return;
    StretchDraw(dest, ImageView(bitmap));
}

// Nearest-pixel stretch straight into a memory image, for the common case
// of an unscaled canvas: the board output stretches one picture per
// hexagon, and the painter's general path is several times slower. The
// bitmaps' own stretch takes each destination pixel from the source pixel
// under its centre, as the painter does. False when the case is not covered.
bool Canvas::DirectStretch(int XDest, int YDest, int DestWidth, int DestHeight, int XSrc, int YSrc,
                           int SrcWidth, int SrcHeight, const Dib& dib, bool andOp)
{
    if (!RasterTarget() || !TranslationOnly() || DestWidth <= 0 || DestHeight <= 0)
        return false;
    auto* img = static_cast<QImage*>(device_);
    const QImage::Format f = img->format();
    const bool bgr = f == QImage::Format_BGR888;
    if (!bgr && f != QImage::Format_RGB32)
        return false;
    QRect bounds = img->rect();
    if (clip_.region) {
        // The region lies under the adopted painter's own transform.
        if (clip_.region->rectCount() > 1 || base_.type() > QTransform::TxTranslate)
            return false;
        bounds &= base_.mapRect(clip_.region->boundingRect());
    }
    const QPoint origin = DevicePoint(XDest, YDest);
    // Rectangles whose far edge lies beyond int are left to the painter.
    auto fits = [](int from, int length) { return (long long)from + length <= INT_MAX; };
    if (!fits(origin.x(), DestWidth) || !fits(origin.y(), DestHeight) || !fits(XSrc, SrcWidth) ||
        !fits(YSrc, SrcHeight))
        return false;
    const PixelRows target{img->bits(), img->width(), img->height(), img->bytesPerLine(), bgr ? 3 : 4};
    StretchBlit(target, TRect{origin.x(), origin.y(), origin.x() + DestWidth, origin.y() + DestHeight}, dib,
                TRect{XSrc, YSrc, XSrc + SrcWidth, YSrc + SrcHeight}, andOp ? BlitOp::And : BlitOp::Copy,
                TRect{bounds.x(), bounds.y(), bounds.x() + bounds.width(), bounds.y() + bounds.height()});
    return true;
}

int Canvas::StretchDIBits(int XDest, int YDest, int DestWidth, int DestHeight,
                          int XSrc, int YSrc, int SrcWidth, int SrcHeight,
                          const Dib& dib, std::uint32_t rop)
{
    if (rop != SRCCOPY && rop != SRCAND)
        return 0;
    const int h = DibRowCount(dib);
    if (h == 0 || h > 0x7FFFFFFF / 4 || DestWidth == 0 || DestHeight == 0 || SrcWidth <= 0 || SrcHeight <= 0)
        return 0;
    const int w = dib.info.biWidth;
    const bool bottomUp = dib.info.biHeight > 0;
    if (!Ready())
        return 0;

    // Rows of the wrapped image are the DIB's rows in memory order, so a
    // bottom-up DIB's source Y counts from its lower-left corner as it should.
    const QImage img(dib.bits.data(), w, h, dib.stride(), QImage::Format_BGR888);
    const QRect src = QRect(XSrc, YSrc, SrcWidth, SrcHeight).intersected(img.rect());
    if (src.isEmpty())
        return 0;

    if (DirectStretch(XDest, YDest, DestWidth, DestHeight, XSrc, YSrc, SrcWidth, SrcHeight, dib, rop == SRCAND))
        return src.height();

    // Source pixel (u, v) lands at XDest + (u - XSrc) * DestWidth / SrcWidth;
    // rows of a bottom-up DIB run upwards on the destination.
    const double a = double(DestWidth) / SrcWidth;
    const double d = double(DestHeight) / SrcHeight;
    QTransform t;
    if (bottomUp)
        t = QTransform(a, 0, 0, -d, XDest - XSrc * a, YDest + DestHeight + YSrc * d);
    else
        t = QTransform(a, 0, 0, d, XDest - XSrc * a, YDest - YSrc * d);

    const bool andOp = rop == SRCAND && RasterTarget();
    if (andOp)
        painter_->setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter_->setTransform(t * mapping_ * base_);
    PaintImage(QRectF(src), img, QRectF(src));
    if (painter_)
        painter_->setTransform(mapping_ * base_);
    if (andOp)
        painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    return src.height();
}

} // namespace plat
