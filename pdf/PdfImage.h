#pragma once
// Image XObjects of the PDF writer: a bitmap becomes raw, deflated or JPEG
// samples, always stored as ASCII85 text, and is written as one image object
// at the end of the page that first placed it.
#include "pdf/PdfTypes.h"
#include "pdf/PdfWriter.h"
#include "platform/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pdf {

enum class TPdfCompressMode { cpNone, cpZlib, cpJpeg };

// Turns a 24- or 32-bit bitmap into a JPEG file at the given quality; any
// exception it raises sends the image down the deflate path.
using JpegEncoderFn = std::function<std::vector<std::uint8_t>(const plat::Bitmap&, int quality)>;

// The encoder images use when none is passed explicitly (plat::EncodeJpeg
// with the standard Huffman tables unless replaced). SetJpegEncoder returns the previous one; an empty
// function restores the platform's encoder.
JpegEncoderFn SetJpegEncoder(JpegEncoderFn fn);
const JpegEncoderFn& CurrentJpegEncoder();

// 1-bit pixels give 1, 4-bit 2, 8-bit 4, every other format 8.
int ImageBitsPerComponent(plat::PixelFormat fmt);
// ceil(width / 8) for 1 bit per component, else ceil(width * 3 * bpc / 8).
std::size_t ImageBytesPerRow(int width, int bitsPerComponent);
// The final mode: only 8-bit images are JPEG-encoded, and cpNone stays raw.
TPdfCompressMode ImageModeFor(int bitsPerComponent, TPdfCompressMode requested);

// Sample rows, top to bottom, left to right: 1 bit is 0 for black and 1 for
// every other colour; 2 and 4 bits are red, green, blue each shifted right
// by 8 - bits; 8 bits are the bytes red, green, blue. Rows start on a byte
// boundary, with zero bits filling the last byte. Reads whole scanlines.
void SerialiseImageRow(const plat::Bitmap& bmp, int y, int bitsPerComponent, std::uint8_t* out);
std::vector<std::uint8_t> SerialiseImageSamples(const plat::Bitmap& bmp, int bitsPerComponent);

// The encoded form of one image.
struct TPdfImageData {
    int Width = 0;
    int Height = 0;
    std::uint8_t BitsPerComponent = 8;
    TPdfCompressMode Mode = TPdfCompressMode::cpNone;   // as finally used
    std::vector<std::uint8_t> Data;                     // ASCII85 text, "~>" included
    bool IsGray() const { return BitsPerComponent == 1; }
};

// Encodes a bitmap as the requested mode allows: JPEG at jpegQuality
// (falling back to deflate when the encoder fails), deflate at the default
// level, or the raw samples. jpeg defaults to CurrentJpegEncoder().
TPdfImageData EncodePdfImage(const plat::Bitmap& bmp, TPdfCompressMode requested, int jpegQuality,
                             const JpegEncoderFn& jpeg = {});

// The encoding a document gives its images, taken once so that bitmaps can
// be encoded away from the document, on other threads.
struct TPdfImageEncoding {
    TPdfCompressMode Mode = TPdfCompressMode::cpJpeg;
    int JpegQuality = 90;
    JpegEncoderFn Jpeg;   // the encoder installed when taken; called from any thread
};

// A bitmap encoded away from the document: its data, or what encoding threw
// (a failure the document reports when the image is placed).
struct TPdfEncodedImage {
    TPdfImageData Data;
    std::exception_ptr Failure;
};
TPdfEncodedImage EncodePdfImageAside(const plat::Bitmap& bmp, const TPdfImageEncoding& encoding) noexcept;

// The image dictionary's lines between "<<" and ">>", in writing order.
std::vector<std::string> ImageDictionaryLines(const TPdfImageData& img);

// One image of the document: encoded completely when it is made, written
// once as an image XObject at the end of the page that first placed it, and
// kept (for reuse and the resource dictionary) until the document is reset.
class TPdfImage final : public PdfPageResource {
public:
    // name: the resource name without the slash ("Im" + the number of
    // images the document had before this one).
    TPdfImage(const plat::Bitmap& bmp, std::string name, TPdfCompressMode requested, int jpegQuality,
              const JpegEncoderFn& jpeg = {});
    // An image encoded beforehand; it matches no bitmap.
    TPdfImage(TPdfImageData encoded, std::string name);

    const std::string& Name() const override { return name_; }
    int ObjectNumber() const override { return objectNumber_; }
    bool HasData() const override { return !img_.Data.empty(); }
    // The XObject: dictionary, "stream", the ASCII85 data (encrypted under
    // this object's key when the document is), LF, "endstream", "endobj".
    // The data is dropped afterwards.
    void WriteObject(PdfObjectWriter& writer) override;

    int Width() const { return img_.Width; }
    int Height() const { return img_.Height; }
    std::uint8_t BitsPerComponent() const { return img_.BitsPerComponent; }
    bool IsGray() const { return img_.IsGray(); }
    TPdfCompressMode Mode() const { return img_.Mode; }
    const std::vector<std::uint8_t>& Data() const { return img_.Data; }
    // The source bitmap's identity when it was made; 0 (an empty bitmap)
    // matches nothing.
    std::uint64_t Identity() const { return identity_; }
    bool Matches(const plat::Bitmap& bmp) const { return identity_ != 0 && identity_ == bmp.identity(); }

private:
    TPdfImageData img_;
    std::string name_;
    int objectNumber_ = 0;
    std::uint64_t identity_ = 0;
};

// ---- Placement on the canvas's page (PdfCanvasImage.cpp).

class TPdfCanvas;

// Where an image of width x height pixels goes in the rectangle (length
// units from the page's top-left corner): an empty width or height means
// the natural size (pixels x pixelToUnit, rounded); smartStretch keeps the
// aspect ratio and centres the image; otherwise the rectangle as given.
// Nothing when a side of the result lies beyond int.
std::optional<plat::TRect> PlacementRect(const plat::TRect& rect, int width, int height,
                                         long double pixelToUnit, bool smartStretch);

// The image's placement on the canvas's page: "q", the matrix, "/Im<n> Do",
// "Q". Nothing when the image has no pixels; "Invalid property value" when
// the placement lies beyond what a page can hold.
void PlaceImage(TPdfCanvas& canvas, const plat::TRect& rect, const TPdfImage& image);

// The first image of the canvas made from this bitmap's current pixels, or
// nullptr; an empty bitmap matches nothing.
TPdfImage* FindImage(const TPdfCanvas& canvas, const plat::Bitmap& bmp);

} // namespace pdf
