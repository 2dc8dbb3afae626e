// One picture tile of the default print parameters (2362 x 3389 pixels,
// 24 bits, an A4 page at 300 dpi) placed on a PDF page, against a bare
// libjpeg-turbo encode of the same pixels.
//
// Counters: bytes = size of the PDF file (or of the JPEG), maxrss_mb = the
// process's peak resident memory so far (run one benchmark per process, with
// --benchmark_filter, for a per-path figure).
#include "pdf/Ascii85.h"
#include "pdf/PdfImage.h"
#include "pdf/PdfVell.h"
#include "platform/Bitmap.h"
#include "platform/Jpeg.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int TileW = 2362;
constexpr int TileH = 3389;

std::uint32_t Hash(std::uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

// Flat-topped hexagons of about 16 mm at 300 dpi, each a terrain colour with
// grain, dark borders and white where no hexagon lies, as the picture tiles
// look.
plat::Bitmap MakeTile()
{
    static const plat::TColor terrain[] = {
        plat::RGB(214, 196, 120), plat::RGB(96, 168, 72), plat::RGB(34, 110, 48), plat::RGB(110, 96, 70),
        plat::RGB(150, 150, 150), plat::RGB(120, 84, 60), plat::RGB(60, 110, 200), plat::RGB(230, 210, 90),
    };
    plat::Bitmap bmp(TileW, TileH, plat::PixelFormat::pf24bit);
    const double w = 190.0;                 // corner to corner
    const double h = w * 0.866;
    const double pitch = w * 0.75;
    for (int y = 0; y < TileH; ++y) {
        std::uint8_t* line = bmp.scanLine(y);
        for (int x = 0; x < TileW; ++x) {
            // Nearest hexagon centre among the candidate columns.
            const int col0 = int(std::floor(x / pitch));
            double best = 1e9;
            int bc = 0, br = 0;
            for (int c = col0 - 1; c <= col0 + 1; ++c) {
                const double cx = c * pitch + w / 2;
                const double off = (c & 1) ? h / 2 : 0.0;
                const int r = int(std::floor((y - off) / h));
                for (int rr = r - 1; rr <= r + 1; ++rr) {
                    const double cy = rr * h + off + h / 2;
                    const double dx = std::fabs(x - cx), dy = std::fabs(y - cy);
                    const double d = std::max(dx * 0.866 + dy * 0.5, dy);   // hexagon distance
                    if (d < best) {
                        best = d;
                        bc = c;
                        br = rr;
                    }
                }
            }
            std::uint8_t* px = line + 3 * x;
            const std::uint32_t cell = Hash(std::uint32_t(bc * 977 + br * 131));
            if (cell % 11 == 0) {               // no hexagon here: white paper
                px[0] = px[1] = px[2] = 255;
                continue;
            }
            const plat::TColor base = terrain[cell % 8];
            const double edge = h / 2 - best;
            const int grain = int(Hash(std::uint32_t(y * TileW + x)) % 41) - 20;
            const int blob = int(Hash(std::uint32_t((y / 6) * 1000 + x / 6)) % 31) - 15;
            const double shade = edge < 4 ? 0.25 : 1.0;
            auto ch = [&](int v) {
                const int t = int(v * shade) + grain + blob;
                return std::uint8_t(t < 0 ? 0 : t > 255 ? 255 : t);
            };
            px[0] = ch(plat::GetBValue(base));
            px[1] = ch(plat::GetGValue(base));
            px[2] = ch(plat::GetRValue(base));
        }
    }
    return bmp;
}

const plat::Bitmap& Tile()
{
    static const plat::Bitmap tile = MakeTile();
    return tile;
}

void BM_BareLibjpeg(benchmark::State& state)
{
    const plat::Bitmap& tile = Tile();
    std::size_t size = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(size = bench::BareJpeg(tile, 80, state.range(0) != 0));
    state.counters["bytes"] = double(size);
    state.counters["maxrss_mb"] = bench::MaxRssMb();
}

// The platform's encoder alone, the part of the JPEG road not ours.
void BM_PlatEncodeJpeg(benchmark::State& state)
{
    const plat::Bitmap& tile = Tile();
    std::size_t size = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(size = plat::EncodeJpeg(tile, 80, plat::JpegHuffman::Standard).size());
    state.counters["bytes"] = double(size);
}

// ASCII85 of the tile's JPEG file, the step the PDF writer adds to it.
void BM_Ascii85OfTileJpeg(benchmark::State& state)
{
    const std::vector<std::uint8_t> file = plat::EncodeJpeg(Tile(), 80, plat::JpegHuffman::Standard);
    std::size_t size = 0;
    for (auto _ : state) {
        std::vector<std::uint8_t> text;
        pdf::Ascii85Encode(file.data(), file.size(), text);
        size = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["bytes"] = double(size);
}

void EncodeTile(benchmark::State& state, pdf::TPdfCompressMode mode)
{
    const plat::Bitmap& tile = Tile();
    std::size_t size = 0;
    for (auto _ : state) {
        pdf::TPdfImageData img = pdf::EncodePdfImage(tile, mode, 80);
        size = img.Data.size();
        benchmark::DoNotOptimize(img.Data.data());
    }
    state.counters["bytes"] = double(size);
    state.counters["maxrss_mb"] = bench::MaxRssMb();
}

void BM_EncodeTileJpeg(benchmark::State& state) { EncodeTile(state, pdf::TPdfCompressMode::cpJpeg); }
void BM_EncodeTileFlate(benchmark::State& state) { EncodeTile(state, pdf::TPdfCompressMode::cpZlib); }

// The picture-tile export's road for one page: begin the document, place
// the tile over the A4 page, end the document (the image object, the page
// and the file's end are written, the file is closed).
void PlaceTile(benchmark::State& state, pdf::TPdfCompressMode mode)
{
    const plat::Bitmap& tile = Tile();
    // TOLV_BENCH_DIR picks the folder (the file is closed with fsync, so the
    // disk below it shows in the real time).
    const char* dir = std::getenv("TOLV_BENCH_DIR");
    const std::string path = std::string(dir && *dir ? dir : "/tmp") + "/pdf_image_bench_" +
                             std::to_string(getpid()) + ".pdf";
    std::size_t size = 0;
    for (auto _ : state) {
        pdf::TPdfVell pdf;
        pdf.SetFileName(path);
        pdf.SetImageCompressMode(mode);
        pdf.SetJpegQuality(80);
        pdf.Canvas().ImageResolution = 300;
        pdf.Canvas().AlwaysNewImage = true;
        pdf.BeginDoc();
        pdf.Canvas().StretchDraw(0, 0, 2100, 2970, &tile);
        pdf.EndDoc();
        struct stat st{};
        if (stat(path.c_str(), &st) == 0)
            size = std::size_t(st.st_size);
    }
    unlink(path.c_str());
    state.counters["bytes"] = double(size);
    state.counters["maxrss_mb"] = bench::MaxRssMb();
}

void BM_PlaceTileJpeg(benchmark::State& state) { PlaceTile(state, pdf::TPdfCompressMode::cpJpeg); }
void BM_PlaceTileFlate(benchmark::State& state) { PlaceTile(state, pdf::TPdfCompressMode::cpZlib); }

} // namespace

// Argument 0: the library's defaults; 1: optimised Huffman tables.
BENCHMARK(BM_BareLibjpeg)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlatEncodeJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Ascii85OfTileJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlaceTileJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EncodeTileJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlaceTileFlate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EncodeTileFlate)->Unit(benchmark::kMillisecond)->UseRealTime();
