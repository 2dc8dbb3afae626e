#pragma once
// JPEG through libjpeg-turbo. The library's default error handler ends the
// process; ours turns every libjpeg error into a JpegError.
#include "platform/Bitmap.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace plat {

// What went wrong, for callers that word their own message.
enum class JpegFault {
    Invalid,       // not a JPEG file, damaged or cut short
    Unsupported,   // CMYK or another colour model
    TooLarge,      // the header names more pixels than the caller allows
    FileTooLarge,  // the file itself exceeds the read limit
    NoFile,        // missing, or a folder on the way is missing
    NotRegular,    // a folder, FIFO or device in the file's place
    ReadFailed,    // could not be opened or read; SysError() tells why
};

class JpegError : public std::runtime_error {
public:
    explicit JpegError(const std::string& what, JpegFault fault = JpegFault::Invalid, int sysError = 0)
        : std::runtime_error(what), fault_(fault), sysError_(sysError)
    {
    }
    JpegFault Fault() const { return fault_; }
    int SysError() const { return sysError_; }   // errno for ReadFailed, else 0

private:
    JpegFault fault_;
    int sysError_;
};

// The largest side any caller may ask for.
inline constexpr unsigned JpegMaxSide = 30000;

// Decodes to a 24-bit bitmap; greyscale is expanded, CMYK is refused, and so
// is a picture wider or higher than maxSide (or of absurd pixel count),
// from its header, before any pixel is decoded.
Bitmap DecodeJpeg(const std::uint8_t* data, std::size_t size, unsigned maxSide = JpegMaxSide);
Bitmap LoadJpegFile(const std::string& path, unsigned maxSide = JpegMaxSide);

// Encodes a 24- or 32-bit bitmap as a baseline JPEG; quality is clamped to 10..100.
std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bmp, int quality);

// Huffman tables of the encoding: optimised (a second pass over the whole
// picture, a few per cent smaller) or the standard tables (several times
// faster on page-sized pictures). The two-argument form optimises.
enum class JpegHuffman { Optimised, Standard };
std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bmp, int quality, JpegHuffman huffman);

} // namespace plat
