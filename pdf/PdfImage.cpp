#include "pdf/PdfImage.h"

#include "pdf/Ascii85.h"
#include "pdf/PdfCanvas.h"
#include "pdf/PdfCompress.h"
#include "pdf/PdfFormat.h"
#include "pdf/PdfVell.h"
#include "platform/Jpeg.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <utility>

namespace pdf {

namespace {

// Page images are big: the standard Huffman tables encode several times
// faster than optimised ones, for files a few per cent larger.
std::vector<std::uint8_t> PlatformJpeg(const plat::Bitmap& bmp, int quality)
{
    return plat::EncodeJpeg(bmp, quality, plat::JpegHuffman::Standard);
}

JpegEncoderFn& InstalledJpegEncoder()
{
    static JpegEncoderFn fn = PlatformJpeg;
    return fn;
}

// Palette colours split into red, green and blue; indices past the palette read
// as black, as an index without a colour-table entry does.
struct PaletteRgb {
    std::array<std::uint8_t, 256> r{}, g{}, b{};
    std::array<bool, 256> notBlack{};
};

PaletteRgb MakePaletteRgb(const plat::Bitmap& bmp)
{
    PaletteRgb lut;
    const auto& pal = bmp.palette();
    const std::size_t n = pal.size() < 256 ? pal.size() : 256;
    for (std::size_t i = 0; i < n; ++i) {
        const plat::TColor c = pal[i] & 0xFFFFFF;
        lut.r[i] = std::uint8_t(plat::GetRValue(c));
        lut.g[i] = std::uint8_t(plat::GetGValue(c));
        lut.b[i] = std::uint8_t(plat::GetBValue(c));
        lut.notBlack[i] = c != 0;
    }
    return lut;
}

inline int PaletteIndex(const std::uint8_t* line, plat::PixelFormat fmt, int x)
{
    switch (fmt) {
    case plat::PixelFormat::pf1bit: return (line[x >> 3] >> (7 - (x & 7))) & 1;
    case plat::PixelFormat::pf4bit: return (x & 1) ? (line[x >> 1] & 0x0F) : (line[x >> 1] >> 4);
    default: return line[x];
    }
}

bool IsPaletteFormat(plat::PixelFormat fmt)
{
    return fmt == plat::PixelFormat::pf1bit || fmt == plat::PixelFormat::pf4bit || fmt == plat::PixelFormat::pf8bit;
}

// The palette split into storage for the palette formats; nullptr for the
// others, whose pixels hold their colours.
const PaletteRgb* PaletteOf(const plat::Bitmap& bmp, PaletteRgb& storage)
{
    if (!IsPaletteFormat(bmp.format()))
        return nullptr;
    storage = MakePaletteRgb(bmp);
    return &storage;
}

// Packs samples of `bits` bits, most significant first.
class BitPacker {
public:
    BitPacker(std::uint8_t* out, int bits) : out_(out), bits_(bits) {}
    void Put(unsigned sample)
    {
        acc_ = (acc_ << bits_) | (sample & ((1u << bits_) - 1));
        used_ += bits_;
        if (used_ >= 8) {
            used_ -= 8;
            *out_++ = std::uint8_t(acc_ >> used_);
        }
    }
    void Flush()
    {
        if (used_ > 0) {
            *out_++ = std::uint8_t(acc_ << (8 - used_));
            used_ = 0;
        }
    }

private:
    std::uint8_t* out_;
    int bits_;
    unsigned acc_ = 0;
    int used_ = 0;
};

// Reads colours of one row as red, green, blue and hands them to put.
template <class Put>
void ForEachRgb(const plat::Bitmap& bmp, const PaletteRgb* lut, int y, Put put)
{
    const std::uint8_t* line = bmp.scanLine(y);
    const int w = bmp.width();
    switch (bmp.format()) {
    case plat::PixelFormat::pf24bit:
        for (int x = 0; x < w; ++x, line += 3)
            put(line[2], line[1], line[0]);
        break;
    case plat::PixelFormat::pf32bit:
        for (int x = 0; x < w; ++x, line += 4)
            put(line[2], line[1], line[0]);
        break;
    default:
        for (int x = 0; x < w; ++x) {
            const int i = PaletteIndex(line, bmp.format(), x);
            put(lut->r[i], lut->g[i], lut->b[i]);
        }
        break;
    }
}

void SerialiseRowWith(const plat::Bitmap& bmp, const PaletteRgb* lut, int y, int bpc, std::uint8_t* out)
{
    const int w = bmp.width();
    if (bpc == 8) {
        ForEachRgb(bmp, lut, y, [&out](std::uint8_t r, std::uint8_t g, std::uint8_t b) {
            out[0] = r;
            out[1] = g;
            out[2] = b;
            out += 3;
        });
        return;
    }
    if (bpc == 1) {
        BitPacker pack(out, 1);
        if (IsPaletteFormat(bmp.format())) {
            const std::uint8_t* line = bmp.scanLine(y);
            for (int x = 0; x < w; ++x)
                pack.Put(lut->notBlack[PaletteIndex(line, bmp.format(), x)] ? 1 : 0);
        } else {
            ForEachRgb(bmp, lut, y, [&pack](std::uint8_t r, std::uint8_t g, std::uint8_t b) {
                pack.Put((r | g | b) != 0 ? 1 : 0);
            });
        }
        pack.Flush();
        return;
    }
    BitPacker pack(out, bpc);
    const int shift = 8 - bpc;
    ForEachRgb(bmp, lut, y, [&pack, shift](std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        pack.Put(unsigned(r) >> shift);
        pack.Put(unsigned(g) >> shift);
        pack.Put(unsigned(b) >> shift);
    });
    pack.Flush();
}

// The samples row by row through the deflate stream, whose output is
// turned into ASCII85 text as it comes, so neither the whole sample block
// nor the whole deflated block is ever held.
std::vector<std::uint8_t> DeflateSamples(const plat::Bitmap& bmp, const PaletteRgb* lut, int bpc)
{
    std::vector<std::uint8_t> text;
    TAscii85Stream a85(text);
    TCompressionStream z(TCompressionLevel::clDefault, a85);
    std::vector<std::uint8_t> row(ImageBytesPerRow(bmp.width(), bpc));
    for (int y = 0; y < bmp.height(); ++y) {
        SerialiseRowWith(bmp, lut, y, bpc, row.data());
        z.WriteBuffer(row.data(), row.size());
    }
    z.Finish();
    a85.Finish();
    return text;
}

} // namespace

JpegEncoderFn SetJpegEncoder(JpegEncoderFn fn)
{
    JpegEncoderFn previous = InstalledJpegEncoder();
    if (fn)
        InstalledJpegEncoder() = std::move(fn);
    else
        InstalledJpegEncoder() = PlatformJpeg;
    return previous;
}

const JpegEncoderFn& CurrentJpegEncoder()
{
    return InstalledJpegEncoder();
}

int ImageBitsPerComponent(plat::PixelFormat fmt)
{
    switch (fmt) {
    case plat::PixelFormat::pf1bit: return 1;
    case plat::PixelFormat::pf4bit: return 2;
    case plat::PixelFormat::pf8bit: return 4;
    default: return 8;
    }
}

std::size_t ImageBytesPerRow(int width, int bitsPerComponent)
{
    if (width <= 0)
        return 0;
    const std::size_t w = std::size_t(width);
    if (bitsPerComponent == 1)
        return (w + 7) / 8;
    return (w * 3 * std::size_t(bitsPerComponent) + 7) / 8;
}

TPdfCompressMode ImageModeFor(int bitsPerComponent, TPdfCompressMode requested)
{
    if (bitsPerComponent != 8 && requested != TPdfCompressMode::cpNone)
        return TPdfCompressMode::cpZlib;
    return requested;
}

void SerialiseImageRow(const plat::Bitmap& bmp, int y, int bitsPerComponent, std::uint8_t* out)
{
    PaletteRgb storage;
    SerialiseRowWith(bmp, PaletteOf(bmp, storage), y, bitsPerComponent, out);
}

std::vector<std::uint8_t> SerialiseImageSamples(const plat::Bitmap& bmp, int bitsPerComponent)
{
    if (bmp.empty())
        return {};
    const std::size_t rowBytes = ImageBytesPerRow(bmp.width(), bitsPerComponent);
    std::vector<std::uint8_t> out(rowBytes * std::size_t(bmp.height()));
    PaletteRgb storage;
    const PaletteRgb* lut = PaletteOf(bmp, storage);
    for (int y = 0; y < bmp.height(); ++y)
        SerialiseRowWith(bmp, lut, y, bitsPerComponent, out.data() + rowBytes * std::size_t(y));
    return out;
}

TPdfImageData EncodePdfImage(const plat::Bitmap& bmp, TPdfCompressMode requested, int jpegQuality,
                             const JpegEncoderFn& jpeg)
{
    TPdfImageData img;
    const int bpc = ImageBitsPerComponent(bmp.format());
    img.BitsPerComponent = std::uint8_t(bpc);
    img.Width = bmp.empty() ? 0 : bmp.width();
    img.Height = bmp.empty() ? 0 : bmp.height();
    img.Mode = ImageModeFor(bpc, requested);

    PaletteRgb storage;
    const PaletteRgb* lut = PaletteOf(bmp, storage);

    if (img.Mode == TPdfCompressMode::cpJpeg) {
        try {
            const JpegEncoderFn& enc = jpeg ? jpeg : CurrentJpegEncoder();
            const std::vector<std::uint8_t> file = enc(bmp, jpegQuality);
            Ascii85Encode(file.data(), file.size(), img.Data);
            return img;
        } catch (...) {
            // A JPEG failure is never reported: the image goes the deflate way.
            img.Data.clear();
            img.Mode = TPdfCompressMode::cpZlib;
        }
    }
    if (img.Mode == TPdfCompressMode::cpZlib) {
        img.Data = DeflateSamples(bmp, lut, bpc);
    } else {
        const std::vector<std::uint8_t> raw = SerialiseImageSamples(bmp, bpc);
        Ascii85Encode(raw.data(), raw.size(), img.Data);
    }
    return img;
}

std::vector<std::string> ImageDictionaryLines(const TPdfImageData& img)
{
    std::vector<std::string> lines;
    lines.reserve(8);
    lines.push_back("/Type/XObject");
    lines.push_back("/Subtype/Image");
    lines.push_back("/Width " + FormatInteger(img.Width));
    lines.push_back("/Height " + FormatInteger(img.Height));
    lines.push_back(img.IsGray() ? "/ColorSpace/DeviceGray" : "/ColorSpace/DeviceRGB");
    lines.push_back("/BitsPerComponent " + FormatInteger(img.BitsPerComponent));
    lines.push_back("/Length " + FormatInteger(static_cast<long long>(img.Data.size())));
    const char* filter = "";
    switch (img.Mode) {
    case TPdfCompressMode::cpNone: filter = ""; break;
    case TPdfCompressMode::cpZlib: filter = "/FlateDecode"; break;
    case TPdfCompressMode::cpJpeg: filter = "/DCTDecode"; break;
    }
    lines.push_back(std::string("/Filter[/ASCII85Decode") + filter + "]");
    return lines;
}

TPdfImage::TPdfImage(const plat::Bitmap& bmp, std::string name, TPdfCompressMode requested, int jpegQuality,
                     const JpegEncoderFn& jpeg)
    : img_(EncodePdfImage(bmp, requested, jpegQuality, jpeg)),
      name_(std::move(name)),
      identity_(bmp.identity())
{
}

void TPdfImage::WriteObject(PdfObjectWriter& writer)
{
    objectNumber_ = writer.BeginObject("<<");
    for (const std::string& line : ImageDictionaryLines(img_))
        writer.WriteLine(line);
    writer.WriteLine(">>");
    writer.WriteLine("stream");
    if (PdfEncryption* enc = writer.Encryption()) {
        std::vector<std::uint8_t> buf(img_.Data);
        enc->Crypt(objectNumber_, buf.data(), buf.size());
        writer.WriteRaw(buf.data(), buf.size());
    } else {
        writer.WriteRaw(img_.Data.data(), img_.Data.size());
    }
    writer.WriteRaw("\n", 1);
    writer.EndObject("endstream");
    std::vector<std::uint8_t>().swap(img_.Data);
}

// ---- Placement ---------------------------------------------------------------

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
    if (!image) {
        // Running out of memory (or a deflate failure) while encoding is an
        // error of the writer like any other: the document is abandoned, so
        // a caller that goes on never finishes a file that lacks the picture.
        try {
            auto made = std::make_unique<TPdfImage>(*graphic, NextImageName(), owner_.ImageCompressMode(),
                                                    owner_.JpegQuality());
            image = made.get();
            AddImage(std::move(made));
        } catch (const EPdfError&) {
            throw;
        } catch (const std::exception& e) {
            owner_.RaiseError(msg::InternalError, e.what());
        }
    }
    PlaceImage(*this, rect, *image);
}

} // namespace pdf
