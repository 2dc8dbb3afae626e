// The image objects: a bitmap's samples raw, deflated or as JPEG, always
// as ASCII85 text, and the object written at the end of its first page.
// Placing an image on a page is the canvas's (PdfCanvasImage.cpp).
#include "pdf/PdfImage.h"

#include "pdf/Ascii85.h"
#include "pdf/PdfCompress.h"
#include "pdf/PdfFormat.h"
#include "platform/Jpeg.h"

#include <array>
#include <stdexcept>
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

TPdfEncodedImage EncodePdfImageAside(const plat::Bitmap& bmp, const TPdfImageEncoding& encoding) noexcept
{
    TPdfEncodedImage out;
    try {
        out.Data = EncodePdfImage(bmp, encoding.Mode, encoding.JpegQuality, encoding.Jpeg);
    } catch (const std::exception&) {
        out.Data = {};
        out.Failure = std::current_exception();
    } catch (...) {
        out.Data = {};
        out.Failure = std::make_exception_ptr(std::runtime_error("unknown failure while encoding an image"));
    }
    return out;
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

TPdfImage::TPdfImage(TPdfImageData encoded, std::string name)
    : img_(std::move(encoded)), name_(std::move(name))
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

} // namespace pdf
