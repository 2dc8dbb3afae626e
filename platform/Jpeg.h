#pragma once
// JPEG through libjpeg-turbo. The library's default error handler ends the
// process; ours turns every libjpeg error into a JpegError.
#include "platform/Bitmap.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace plat {

class JpegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Decodes to a 24-bit bitmap; greyscale is expanded, CMYK and absurd sizes
// are refused with a JpegError.
Bitmap DecodeJpeg(const std::uint8_t* data, std::size_t size);
Bitmap LoadJpegFile(const std::string& path);

// Encodes a 24- or 32-bit bitmap as a baseline JPEG; quality is clamped to 10..100.
std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bmp, int quality);

// Huffman tables of the encoding: optimised (a second pass over the whole
// picture, a few per cent smaller) or the standard tables (several times
// faster on page-sized pictures). The two-argument form optimises.
enum class JpegHuffman { Optimised, Standard };
std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bmp, int quality, JpegHuffman huffman);

} // namespace plat
