// Images on the PDF canvas: where an image goes in its rectangle, the
// reuse of an image whose bitmap is unchanged, and StretchDraw, which
// encodes a bitmap once (PdfImage.cpp) and places it on the page. The
// placement helpers are declared with the image objects (PdfImage.h).
#include "pdf/PdfCanvas.h"
#include "pdf/PdfFormat.h"
#include "pdf/PdfImage.h"
#include "pdf/PdfVell.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

namespace pdf {

namespace {

// Round half-to-even, in 64 bits; limited far beyond int, so that adding
// an int to it cannot overflow either (NaN counts as the upper limit).
long long Round64(long double v)
{
    constexpr long double limit = 0x1p62L;
    return std::llround(std::nearbyint(std::clamp(std::isnan(v) ? limit : v, -limit, limit)));
}

} // namespace

std::optional<plat::TRect> PlacementRect(const plat::TRect& rect, int width, int height,
                                         long double pixelToUnit, bool smartStretch)
{
    // In 64 bits and long double: a rectangle from INT_MIN to INT_MAX, or a
    // natural size beyond int, must not wrap.
    long long left = rect.Left, top = rect.Top, right = rect.Right, bottom = rect.Bottom;
    if (right == left || bottom == top) {
        right = left + Round64(width * pixelToUnit);
        bottom = top + Round64(height * pixelToUnit);
    } else if (smartStretch) {
        const long long dx = right - left;
        const long long dy = bottom - top;
        const long double sx = static_cast<long double>(dx) / width;
        const long double sy = static_cast<long double>(dy) / height;
        long long w, h;
        if (sx <= sy) {
            w = dx;
            h = Round64(height * sx);
        } else {
            h = dy;
            w = Round64(width * sy);
        }
        left += Round64((dx - w) / 2.0L);
        right = left + w;
        top += Round64((dy - h) / 2.0L);
        bottom = top + h;
    }
    for (long long v : {left, top, right, bottom})
        if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
            return std::nullopt;
    return plat::TRect{int(left), int(top), int(right), int(bottom)};
}

void PlaceImage(TPdfCanvas& canvas, const plat::TRect& rect, const TPdfImage& image)
{
    if (image.Width() == 0 || image.Height() == 0)
        return;
    const char* const call = "StretchDraw";
    const std::optional<plat::TRect> r = PlacementRect(rect, image.Width(), image.Height(),
                                                       canvas.PixelToUnit(), canvas.Owner().SmartStretchDraw);
    // A rectangle beyond int lies far beyond any page.
    if (!r)
        canvas.Owner().RaiseError(msg::InvalidPropertyValue, call);
    const long double u = canvas.UnitToPoints();
    // One unit less than the rectangle on each axis.
    const long double matrix[] = {
        canvas.CheckedPoints((static_cast<long double>(r->Right) - r->Left - 1) * u, call),
        canvas.CheckedPoints((static_cast<long double>(r->Bottom) - r->Top - 1) * u, call),
        canvas.PagePointsX(r->Left, call),
        canvas.PagePointsY(r->Bottom, call),
    };
    canvas.AddContentLine("q");
    canvas.AddContentLine(FormatNumber(matrix[0]) + " 0 0 " + FormatNumber(matrix[1]) + " " +
                          FormatNumber(matrix[2]) + " " + FormatNumber(matrix[3]) + " cm");
    canvas.AddContentLine("/" + image.Name() + " Do");
    canvas.AddContentLine("Q");
}

TPdfImage* FindImage(const TPdfCanvas& canvas, const plat::Bitmap& bmp)
{
    if (bmp.identity() == 0)
        return nullptr;
    for (const auto& resource : canvas.Images())
        if (auto* image = dynamic_cast<TPdfImage*>(resource.get()); image && image->Matches(bmp))
            return image;
    return nullptr;
}

void TPdfCanvas::StretchDraw(int X1, int Y1, int X2, int Y2, const plat::Bitmap* graphic)
{
    StretchDraw(plat::TRect{X1, Y1, X2, Y2}, graphic);
}

void TPdfCanvas::StretchDraw(const plat::TRect& rect, const plat::Bitmap* graphic)
{
    if (!BeginDrawing())
        return;
    if (!graphic)
        owner_.RaiseError(msg::InvalidMethodCall);
    // A bitmap without pixels would give an image object of width or height
    // 0, which readers reject; it is neither registered nor placed.
    if (graphic->empty())
        return;
    TPdfImage* image = AlwaysNewImage ? nullptr : FindImage(*this, *graphic);
    if (!image)
        image = &AddNewImage([&] {
            return std::make_unique<TPdfImage>(*graphic, NextImageName(), owner_.ImageCompressMode(),
                                               owner_.JpegQuality());
        });
    PlaceImage(*this, rect, *image);
}

void TPdfCanvas::StretchDrawEncoded(const plat::TRect& rect, TPdfEncodedImage encoded)
{
    if (!BeginDrawing())
        return;
    if (!encoded.Failure && (encoded.Data.Width == 0 || encoded.Data.Height == 0))
        return;
    const TPdfImage& image = AddNewImage([&] {
        if (encoded.Failure)
            std::rethrow_exception(encoded.Failure);
        return std::make_unique<TPdfImage>(std::move(encoded.Data), NextImageName());
    });
    PlaceImage(*this, rect, image);
}

TPdfImageEncoding TPdfCanvas::ImageEncoding() const
{
    return {owner_.ImageCompressMode(), owner_.JpegQuality(), CurrentJpegEncoder()};
}

TPdfImage& TPdfCanvas::AddNewImage(const std::function<std::unique_ptr<TPdfImage>()>& make)
{
    // Running out of memory (or a deflate failure) while encoding is an
    // error of the writer like any other: the document is abandoned, so a
    // caller that goes on never finishes a file that lacks the picture.
    try {
        std::unique_ptr<TPdfImage> made = make();
        TPdfImage& image = *made;
        AddImage(std::move(made));
        return image;
    } catch (const EPdfError&) {
        throw;
    } catch (const std::exception& e) {
        owner_.RaiseError(msg::InternalError, e.what());
    }
}

} // namespace pdf
