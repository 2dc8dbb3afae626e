#include "platform/Jpeg.h"

#include "platform/Paths.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

namespace plat {

namespace {

constexpr unsigned long long kMaxPixels = 200'000'000ull;
constexpr std::size_t kMaxFileBytes = 256u << 20;

// libjpeg reports errors through error_exit and by default ends the process.
// Ours jumps back into the function that set the jump point; the C++ side
// turns that into a JpegError once no libjpeg frame is on the stack.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
};

extern "C" void JpegErrorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings are silent, except the end of the data before the image is
// complete: the library would pad the picture with grey and carry on.
extern "C" void JpegEmitMessage(j_common_ptr cinfo, int level)
{
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        JpegErrorExit(cinfo);
}

void InitErrors(ErrorManager& err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegErrorExit;
    err.pub.emit_message = JpegEmitMessage;
}

enum class Outcome { Done, LibraryError, Refused };

struct Refusal {
    const char* text = nullptr;
    JpegFault fault = JpegFault::Invalid;
};

// Only trivially destructible locals live here: a longjmp out of libjpeg
// skips destructors. Objects the decoder fills are owned by the caller.
Outcome DecodeInto(jpeg_decompress_struct& cinfo, ErrorManager& err, const std::uint8_t* data,
                   std::size_t size, unsigned maxSide, Bitmap& bmp, Refusal& refusal)
{
    if (setjmp(err.jump))
        return Outcome::LibraryError;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        refusal = {"CMYK JPEG images are not supported", JpegFault::Unsupported};
        return Outcome::Refused;
    }
    if (cinfo.num_components != 1 && cinfo.num_components != 3) {
        refusal = {"unsupported number of JPEG colour components", JpegFault::Unsupported};
        return Outcome::Refused;
    }
    if (cinfo.image_width > maxSide || cinfo.image_height > maxSide ||
        static_cast<unsigned long long>(cinfo.image_width) * cinfo.image_height > kMaxPixels) {
        refusal = {"JPEG image is too large", JpegFault::TooLarge};
        return Outcome::Refused;
    }
    cinfo.out_color_space = JCS_EXT_BGR;   // grey is expanded by the library
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3) {
        refusal = {"unsupported JPEG colour conversion", JpegFault::Unsupported};
        return Outcome::Refused;
    }
    bmp = Bitmap(int(cinfo.output_width), int(cinfo.output_height), PixelFormat::pf24bit);
    std::uint8_t* base = bmp.bits();
    const std::size_t stride = std::size_t(bmp.stride());
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = base + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    // Every row is in; what follows the scan is of no use to us, so the
    // trailer is not read.
    return Outcome::Done;
}

Outcome EncodeInto(jpeg_compress_struct& cinfo, ErrorManager& err, const Bitmap& bmp, int quality,
                   bool optimise, unsigned char** out, unsigned long* outSize)
{
    if (setjmp(err.jump))
        return Outcome::LibraryError;
    jpeg_mem_dest(&cinfo, out, outSize);
    cinfo.image_width = JDIMENSION(bmp.width());
    cinfo.image_height = JDIMENSION(bmp.height());
    const bool four = bmp.format() == PixelFormat::pf32bit;
    cinfo.input_components = four ? 4 : 3;
    cinfo.in_color_space = four ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);   // baseline tables
    cinfo.optimize_coding = optimise ? TRUE : FALSE;   // baseline either way
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(bmp.scanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return Outcome::Done;
}

struct DecompressGuard {
    jpeg_decompress_struct* c;
    ~DecompressGuard() { jpeg_destroy_decompress(c); }
};

struct CompressGuard {
    jpeg_compress_struct* c;
    unsigned char** buffer;
    ~CompressGuard()
    {
        jpeg_destroy_compress(c);
        std::free(*buffer);
    }
};

} // namespace

Bitmap DecodeJpeg(const std::uint8_t* data, std::size_t size, unsigned maxSide)
{
    if (data == nullptr || size == 0)
        throw JpegError("JPEG error: no data");
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    InitErrors(err);
    cinfo.err = &err.pub;
    jpeg_create_decompress(&cinfo);
    DecompressGuard guard{&cinfo};

    Bitmap bmp;
    Refusal refusal;
    switch (DecodeInto(cinfo, err, data, size, std::min(maxSide, JpegMaxSide), bmp, refusal)) {
    case Outcome::Done:
        return bmp;
    case Outcome::Refused:
        throw JpegError(std::string("JPEG error: ") + refusal.text, refusal.fault);
    case Outcome::LibraryError:
        break;
    }
    throw JpegError(std::string("JPEG error: ") + err.message);
}

Bitmap LoadJpegFile(const std::string& path, unsigned maxSide)
{
    std::string data;
    switch (ReadRegularFile(path, data, kMaxFileBytes)) {
    case FileReadResult::Ok:
        break;
    case FileReadResult::TooLarge:
        throw JpegError("JPEG error: file is too large (" + path + ")", JpegFault::FileTooLarge);
    case FileReadResult::NotRegular:
        throw JpegError("Cannot open file \"" + path + "\". Not a regular file", JpegFault::NotRegular);
    case FileReadResult::Missing: {
        const int e = errno;
        throw JpegError("Cannot open file \"" + path + "\". " + std::strerror(e), JpegFault::NoFile, e);
    }
    case FileReadResult::Failed: {
        const int e = errno;
        throw JpegError("Cannot open file \"" + path + "\". " + std::strerror(e), JpegFault::ReadFailed, e);
    }
    }
    try {
        return DecodeJpeg(reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), maxSide);
    } catch (const JpegError& e) {
        throw JpegError(std::string(e.what()) + " (" + path + ")", e.Fault(), e.SysError());
    }
}

std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bmp, int quality)
{
    return EncodeJpeg(bmp, quality, JpegHuffman::Optimised);
}

std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bmp, int quality, JpegHuffman huffman)
{
    if (bmp.empty())
        throw JpegError("JPEG error: empty bitmap");
    quality = std::clamp(quality, 10, 100);

    const Bitmap* src = &bmp;
    Bitmap converted;
    if (bmp.format() != PixelFormat::pf24bit && bmp.format() != PixelFormat::pf32bit) {
        converted = bmp;
        converted.setFormat(PixelFormat::pf24bit);
        src = &converted;
    }

    jpeg_compress_struct cinfo;
    ErrorManager err;
    InitErrors(err);
    cinfo.err = &err.pub;
    unsigned char* buffer = nullptr;
    unsigned long bufferSize = 0;
    jpeg_create_compress(&cinfo);
    CompressGuard guard{&cinfo, &buffer};

    const bool optimise = huffman == JpegHuffman::Optimised;
    if (EncodeInto(cinfo, err, *src, quality, optimise, &buffer, &bufferSize) != Outcome::Done)
        throw JpegError(std::string("JPEG error: ") + err.message);
    return std::vector<std::uint8_t>(buffer, buffer + bufferSize);
}

} // namespace plat
