#pragma once
// Pieces the benchmark programs share: a settled heap, the peak memory
// figure and the bare libjpeg-turbo encode the PDF roads are measured against.
#include "platform/Bitmap.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <malloc.h>
#include <sys/resource.h>

namespace bench {

// glibc raises its mmap and trim thresholds only after a large block was
// freed, so until some benchmark has freed one, every page-sized buffer
// comes with fresh page faults and whichever benchmark runs first looks up
// to twice as slow. Fixed thresholds give every benchmark the same heap.
inline const bool HeapSettled = [] {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
    return true;
}();

// The process's peak resident memory so far, in MB.
inline double MaxRssMb()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_maxrss) / 1024.0;
}

// The bare library: BGR scanlines straight from the bitmap into memory, with
// the library's defaults (the tables the PDF writer uses) or optimised
// Huffman tables. Returns the JPEG file's size.
inline std::size_t BareJpeg(const plat::Bitmap& bmp, int quality, bool optimize)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = JDIMENSION(bmp.width());
    cinfo.image_height = JDIMENSION(bmp.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.optimize_coding = optimize ? TRUE : FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(bmp.scanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return outSize;
}

} // namespace bench
