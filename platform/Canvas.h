#pragma once
// The drawing surface every part of the program paints through: the map's
// off-screen bitmap, the window, the printer, the preview's metafile
// (QPicture) and the 24-bit bitmaps of the board output. It keeps the
// Windows drawing model the drawing code is written for:
//  - Pen, Brush and Font are plain values that stay in force until changed;
//    each drawing call uses them as they are at that moment.
//  - Pen width 0 is the thinnest line the device draws; widths above 1 have
//    round ends and joins, and only thin pens are dashed or dotted.
//  - LineTo and Polyline leave out their very last pixel; Rectangle and
//    FillRect cover Left..Right-1 x Top..Bottom-1.
//  - TextOut places the top-left corner of the text cell at (X, Y); a font
//    with an escapement turns the text about that corner.
//  - Changing the brush also sets the background mode: a solid brush makes
//    it opaque in the brush colour, a clear brush transparent. SetBkMode
//    overrides that until the brush changes again.
//  - Colours are 0x00BBGGRR values; system colours are resolved.
#include "platform/Bitmap.h"
#include "platform/Colour.h"
#include "platform/Geometry.h"
#include "platform/MulDiv.h"

#include <QFont>
#include <QImage>
#include <QRectF>
#include <QRegion>
#include <QTransform>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

class QPainter;
class QPaintDevice;

namespace plat {

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
enum TPenMode { pmCopy };
enum TBrushStyle { bsSolid, bsClear };

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// Values as the platform numbers them.
enum TBkMode { TRANSPARENT = 1, OPAQUE = 2 };

// Raster operations of StretchDIBits.
constexpr std::uint32_t SRCCOPY = 0x00CC0020;
constexpr std::uint32_t SRCAND = 0x008800C6;

struct TPen {
    TColor Color = clBlack;
    int Width = 1;          // device pixels (logical units under a mapping); 0 = thinnest
    TPenStyle Style = psSolid;
    TPenMode Mode = pmCopy;
    friend bool operator==(const TPen&, const TPen&) = default;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
    friend bool operator==(const TBrush&, const TBrush&) = default;
};

struct TFont {
    std::string Name = "MS Sans Serif";
    // As a logical font's height: below 0 the character height (the em),
    // above 0 the whole cell (ascent + descent); 0 takes 8 points.
    int Height = -11;
    int Width = 0;          // average character width; 0 keeps the face's own
    int Escapement = 0;     // tenths of a degree, counter-clockwise
    int Weight = 0;         // 100..900; 0 takes 400, or 700 with fsBold
    TFontStyles Style = 0;
    TColor Color = clWindowText;
    int PixelsPerInch = 96; // what a point means for Size

    int Size() const;           // points, from Height
    void SetSize(int points);   // Height := -MulDiv(points, PixelsPerInch, 72)
    friend bool operator==(const TFont&, const TFont&) = default;
};

enum TMapMode { mmText, mmAnisotropic };

// The clipping in force, in device pixels; none when region is empty.
struct TClip {
    std::optional<QRegion> region;
};

// An image as a recording keeps it beside itself: its own pixels, drawn
// into target under transform (the world transform it was drawn with),
// clipped to clip (device pixels) when there is one.
struct KeptImage {
    QImage image;
    QRectF target;
    QTransform transform;
    std::optional<QRegion> clip;
};

// A recording device (the preview's page) that keeps large images by
// reference beside its recording: encoding them into it would cost far more
// than drawing them. A canvas that owns its painter hands such an image to
// KeepImage, and goes on recording into the device it returns.
class ImageKeepingDevice {
public:
    // Smaller images are recorded as they are.
    static constexpr long long MinKeptPixels = 256 * 256;
    virtual QPaintDevice* KeepImage(KeptImage image) = 0;

protected:
    ~ImageKeepingDevice() = default;
};

class Canvas {
public:
    Canvas();                                   // unbound: every drawing call does nothing
    // Paints on the device until End or destruction (on a widget only
    // inside its paint event, as Qt allows).
    explicit Canvas(QPaintDevice* device);
    // Draws through a painter begun elsewhere, from its current transform;
    // End leaves the painter active.
    explicit Canvas(QPainter* painter);
    virtual ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool Begin(QPaintDevice* device);
    void Begin(QPainter* painter);
    void End();
    bool Active() const { return painter_ != nullptr; }
    // The painter with the current pen, brush and font applied, for the
    // few callers that need Qt itself; nullptr when unbound.
    QPainter* Painter();
    QPaintDevice* Device() const { return device_; }

    TPen Pen;
    TBrush Brush;
    TFont Font;

    TBkMode SetBkMode(TBkMode mode);            // returns the previous mode
    TBkMode BkMode() const;
    TColor BkColor() const;

    // Lines and shapes, in logical coordinates.
    TPoint PenPos() const { return penPos_; }
    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    void Polyline(std::span<const TPoint> points);
    void Polygon(std::span<const TPoint> points);  // filled with the brush, outlined with the pen
    void Rectangle(int Left, int Top, int Right, int Bottom);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void FillRect(const TRect& r);                 // the brush only; a clear brush fills nothing

    // Text, UTF-8.
    void TextOut(int X, int Y, std::string_view text);
    TSize TextExtent(std::string_view text);
    int TextWidth(std::string_view text) { return TextExtent(text).cx; }
    int TextHeight(std::string_view text) { return TextExtent(text).cy; }

    // Pictures. Stretching picks the nearest source pixel.
    void Draw(int X, int Y, const QImage& image);
    void StretchDraw(const TRect& dest, const QImage& image);
    void CopyRect(const TRect& dest, const QImage& source, const TRect& sourceRect);
    void Draw(int X, int Y, const Bitmap& bitmap);
    void StretchDraw(const TRect& dest, const Bitmap& bitmap);
    // Copies the source rectangle of a 24-bit DIB into the destination
    // rectangle. Source coordinates of a bottom-up DIB count from its
    // lower-left corner. A source reaching beyond the DIB is cut to it; a
    // negative destination size mirrors. SRCAND combines with what lies
    // below on bitmaps (devices without raster operations copy). Returns
    // the number of source rows used, 0 when nothing could be drawn.
    int StretchDIBits(int XDest, int YDest, int DestWidth, int DestHeight,
                      int XSrc, int YSrc, int SrcWidth, int SrcHeight,
                      const Dib& dib, std::uint32_t rop);

    // Clipping: IntersectClipRect takes logical coordinates.
    void IntersectClipRect(const TRect& r);
    TClip GetClip() const { return clip_; }
    void SelectClip(const TClip& clip);

    // Coordinate mapping: device = (logical - WindowOrg) * ViewportExt /
    // WindowExt + ViewportOrg; the extents count only in mmAnisotropic.
    TMapMode SetMapMode(TMapMode mode);
    TPoint SetWindowOrg(int X, int Y);          // each returns the value it replaced
    TPoint SetViewportOrg(int X, int Y);
    TSize SetWindowExt(int cx, int cy);
    TSize SetViewportExt(int cx, int cy);
    TMapMode MapMode() const { return mapMode_; }
    TPoint WindowOrg() const { return windowOrg_; }
    TPoint ViewportOrg() const { return viewportOrg_; }
    TSize WindowExt() const { return windowExt_; }
    TSize ViewportExt() const { return viewportExt_; }

    // The device's resolution (96 for bitmaps).
    int LogPixelsX() const;
    int LogPixelsY() const;

protected:
    // Called before every drawing call; false skips the call. A canvas on
    // a memory bitmap rebinds here when the bitmap changed under it.
    virtual bool Ready() { return painter_ != nullptr; }
    bool BeginOwned(QPaintDevice* device);

private:
    void Reset();
    void SyncBrushBk() const;
    void ApplyPen();
    void ApplyBrush();
    void ApplyNoBrush();
    void ApplyTransform();
    void ApplyClip();
    void ApplyAll();
    const QFont& ResolvedFont();
    bool RasterTarget() const;
    bool TranslationOnly() const;
    QPoint DevicePoint(int X, int Y) const;
    void DrawImageRect(const QRect& dest, const QImage& image, const QRect& source);
    // Draws the image under the current transform, or hands it to a
    // recording that keeps images (see ImageKeepingDevice).
    void PaintImage(const QRectF& target, const QImage& image, const QRectF& source);
    bool KeepImage(const QRectF& target, const QImage& image, const QRectF& source);
    void DrawLastPixelExcluded(const QPoint* pts, int count);
    bool DirectStretch(int XDest, int YDest, int DestWidth, int DestHeight, int XSrc, int YSrc,
                       int SrcWidth, int SrcHeight, const Dib& dib, bool andOp);

    QPainter* painter_ = nullptr;
    bool ownsPainter_ = false;
    QPaintDevice* device_ = nullptr;
    QTransform base_;           // the painter's own transform when adopted

    // What the painter currently holds, to skip redundant state changes.
    bool penApplied_ = false;
    TPen appliedPen_;
    bool textPenApplied_ = false;   // the painter's pen is the font colour
    TColor textPenColour_ = 0;
    int appliedFontSerial_ = -1;
    int appliedBrush_ = -1;     // -1 unknown, 0 none, 1 solid in appliedBrushColour_
    TColor appliedBrushColour_ = 0;

    // The background mode follows brush changes lazily.
    mutable TBrush seenBrush_;
    mutable TBkMode bkMode_ = OPAQUE;
    mutable TColor bkColour_ = clWhite;

    TPoint penPos_;
    TClip clip_;
    TMapMode mapMode_ = mmText;
    TPoint windowOrg_, viewportOrg_;
    TSize windowExt_{1, 1}, viewportExt_{1, 1};
    QTransform mapping_;

    bool fontResolved_ = false;
    TFont resolvedSpec_;
    QFont qfont_;
    int fontSerial_ = 0;
    int ascent_ = 0, descent_ = 0;
};

// A canvas on a 24- or 32-bit Bitmap, drawing straight into its pixels.
// Every drawing call gives the bitmap a new identity; a bitmap resized or
// reformatted while the canvas lives is picked up at the next call. Other
// pixel formats cannot be drawn on: every call does nothing.
class BitmapCanvas : public Canvas {
public:
    explicit BitmapCanvas(Bitmap& bitmap);
    ~BitmapCanvas() override;

protected:
    bool Ready() override;

private:
    Bitmap& bitmap_;
    QImage image_;
    const std::uint8_t* boundBits_ = nullptr;
    int boundWidth_ = 0, boundHeight_ = 0;
    PixelFormat boundFormat_ = PixelFormat::pf24bit;
};

// A read-only QImage over a 24- or 32-bit bitmap's pixels (valid while the
// bitmap is unchanged); other formats are converted into a copy.
QImage ImageView(const Bitmap& bitmap);

} // namespace plat
