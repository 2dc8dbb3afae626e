#pragma once
// Image XObjects of the PDF writer: a bitmap becomes raw, deflated or JPEG
// samples, always stored as ASCII85 text, and is written as one image object
// at the end of the page that first placed it.
#include "platform/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pdf {

enum class TPdfCompressMode { cpNone, cpZlib, cpJpeg };

// Turns a 24- or 32-bit bitmap into a JPEG file at the given quality; any
// exception it raises sends the image down the deflate path.
using JpegEncoderFn = std::function<std::vector<std::uint8_t>(const plat::Bitmap&, int quality)>;

// The encoder images use when none is passed explicitly (plat::EncodeJpeg
// unless replaced). SetJpegEncoder returns the previous one; an empty
// function restores plat::EncodeJpeg.
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

// The image dictionary's lines between "<<" and ">>", in writing order.
std::vector<std::string> ImageDictionaryLines(const TPdfImageData& img);

} // namespace pdf
