// The picture-tile export of a full 40 x 80 board at the default print
// parameters (30 A4 pages of 2362 x 3389 pixels), on one thread and on all
// cores, without and with the BMP copies, and how long it takes to stop
// after "Abbruch"; against the bare libjpeg-turbo encode of the same 30 tile
// bitmaps at the same quality on one thread, and the rendering of the tiles
// alone; the same board framed by the counting strip (also 30 pages),
// exported and rendered; the same board as draft tiles (30 pages of vector
// hexagons), with and without coordinates; and one printed picture page of
// the board.
//
// Counters: pages; tile = time per tile; bytes = the PDF file (or the JPEG
// files); maxrss_mb = the process's peak memory so far (run one benchmark
// per process, with --benchmark_filter, for a per-road figure).
// The pictures are those beside the program (Pics/ in the build's bin
// folder); without them, plain hexagons of one colour each.
#include "editor/board/TerrainPictures.h"
#include "output/PdfDraftExport.h"
#include "output/PdfPictureExport.h"
#include "output/PdfTileCommand.h"
#include "output/StripTiles.h"
#include "output/PrinterPictureTiles.h"
#include "output/PrinterTiles.h"
#include "pdf/PdfVell.h"
#include "platform/Cores.h"
#include "platform/FakePrinter.h"

#include "BenchApp.h"
#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using namespace tolv;

namespace {

constexpr int Quality = 80;   // the profile's default PdfJpgC

plat::Dib PlainHexagon(plat::TColor colour)
{
    plat::Bitmap bmp(400, 346);
    for (int y = 0; y < 346; ++y)
        for (int x = 0; x < 400; ++x) {
            const double dx = std::abs(x + 0.5 - 200), dy = std::abs(y + 0.5 - 173);
            if (dx <= 200 - dy * 100 / 173)
                bmp.setPixel(x, y, colour);
        }
    plat::Dib dib;
    plat::MakeDib(bmp, dib);
    return dib;
}

const OutputSnapshot& Board()
{
    static const OutputSnapshot snap = [] {
        BoardState state;
        const std::string pics =
            std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/Pics/";
        LoadPictures(state, pics, 100, 0, {});
        std::mt19937 rng(7);
        for (auto& column : state.Board)
            for (TerrainCell& cell : column)
                cell.Terrain = TerrainCode(2 + rng() % 9);
        OutputSnapshot s = TakeOutputSnapshot(state, MapShape{40, 80, true});
        for (int i = 1; i <= PictureCount; ++i)
            if (s.Pictures[i].empty())
                s.Pictures[i] = PlainHexagon(plat::RGB(20 * i, 255 - 15 * i, 100 + 10 * i));
        return s;
    }();
    return snap;
}

TileGrid Grid()
{
    return *PdfPictureTileGrid(Board().PrintParams, Board().Map);
}

TileGrid StripGrid()
{
    return *PdfStripTileGrid(Board().PrintParams, Board().Map);
}

void SetTileCounters(benchmark::State& state, int pages, double bytes)
{
    state.counters["pages"] = pages;
    state.counters["tile"] = benchmark::Counter(double(pages),
                                                benchmark::Counter::kIsIterationInvariantRate |
                                                    benchmark::Counter::kInvert);
    state.counters["bytes"] = bytes;
    state.counters["maxrss_mb"] = bench::MaxRssMb();
}

// The file written, in TOLV_BENCH_DIR, else in /tmp.
std::string BenchPdfPath()
{
    const char* dir = std::getenv("TOLV_BENCH_DIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/output_export_bench_" + std::to_string(getpid()) + ".pdf";
}

// Writes a PDF file per iteration on a writer set up as the commands set
// it up; bytes is the file's size.
void ExportEachIteration(benchmark::State& state, const PrintParamArray& params, int pages,
                         const std::function<void(pdf::TPdfVell&)>& write)
{
    const std::string path = BenchPdfPath();
    double bytes = 0;
    for (auto _ : state) {
        pdf::TPdfVell pdf;
        SetUpTileDocument(pdf, Quality, params);
        pdf.SetFileName(path);
        write(pdf);
        struct stat st{};
        if (stat(path.c_str(), &st) == 0)
            bytes = double(st.st_size);
    }
    if (!std::getenv("TOLV_BENCH_KEEP"))
        unlink(path.c_str());
    SetTileCounters(state, pages, bytes);
}

// Writes the grid's tiles drawn by the renderer into a PDF file, per
// iteration, on range(0) workers (0: one per core); range(1) = 1 also
// writes the BMP copies.
void ExportTiles(benchmark::State& state, const TileRenderer& renderer, const TileGrid& grid)
{
    const OutputSnapshot& snap = Board();
    ExportMonitor quiet;
    plat::Bitmap tile;
    const int workers = int(state.range(0));
    const bool copies = state.range(1) != 0;
    ExportEachIteration(state, snap.PrintParams, grid.PageCount(), [&](pdf::TPdfVell& pdf) {
        const PictureExportResult r = ExportPictureTiles(pdf, renderer, grid, PdfPageRect(snap.PrintParams),
                                                         copies, tile, quiet, workers);
        benchmark::DoNotOptimize(r.PagesDone);
    });
    for (int page = 1; copies && page <= grid.PageCount(); ++page)
        unlink(TileBmpPath(BenchPdfPath(), page).c_str());
    state.counters["workers"] = workers > 0 ? workers : plat::UsableCores();
}

// From "Abbruch" to the end of the export, on all cores: the cancel comes
// with the 40th hexagon row drawn (on page 1 or a page after it), so the
// time is that of finishing the page being written and stopping the rest.
void BM_CancelPictureExport(benchmark::State& state)
{
    const OutputSnapshot& snap = Board();
    const TileGrid grid = Grid();
    const PictureTileRenderer renderer(snap, grid);
    struct CancelAt : ExportMonitor {
        int rows = 0;
        bool cancel = false;
        std::chrono::steady_clock::time_point at;
        void ProcessMessages() override
        {
            if (++rows == 40) {
                cancel = true;
                at = std::chrono::steady_clock::now();
            }
        }
        bool CancelRequested() override { return cancel; }
    };
    plat::Bitmap tile;
    int pages = 0;
    for (auto _ : state) {
        pdf::TPdfVell pdf;
        SetUpTileDocument(pdf, Quality, snap.PrintParams);
        pdf.SetFileName(BenchPdfPath());
        CancelAt monitor;
        pages = ExportPictureTiles(pdf, renderer, grid, PdfPageRect(snap.PrintParams), false, tile, monitor).PagesDone;
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - monitor.at).count());
    }
    unlink(BenchPdfPath().c_str());
    state.counters["pages"] = pages;
}

// The draft tiles of the board, without (0) and with (1) the coordinates.
void BM_ExportDraftTiles(benchmark::State& state)
{
    OutputSnapshot snap = Board();
    snap.PrintParams[ppShowCoords] = int(state.range(0));
    const TileGrid grid = *PdfDraftTileGrid(snap.PrintParams, snap.Map);
    ExportMonitor quiet;
    ExportEachIteration(state, snap.PrintParams, grid.PageCount(), [&](pdf::TPdfVell& pdf) {
        benchmark::DoNotOptimize(ExportDraftTiles(pdf, snap, grid, quiet));
    });
}

void BM_ExportPictureTiles(benchmark::State& state)
{
    const TileGrid grid = Grid();
    ExportTiles(state, PictureTileRenderer(Board(), grid), grid);
}

const CountingStripLayout& Strip()
{
    static const CountingStripLayout strip =
        *MakeCountingStrip(StripGrid().Hex, Board().Map.ColCount, Board().Map.RowCount, true);
    return strip;
}

void BM_ExportStripTiles(benchmark::State& state)
{
    bench::App();   // the numbers are text
    const TileGrid grid = StripGrid();
    ExportTiles(state, StripTileRenderer(Board(), grid, Strip()), grid);
}

// The same tiles, rendered untimed, each encoded by the bare library.
void BM_BareJpegOfTheTiles(benchmark::State& state)
{
    const OutputSnapshot& snap = Board();
    const TileGrid grid = Grid();
    plat::Bitmap tile = MakeTileBitmap(grid);
    const PictureTileRenderer renderer(snap, grid);
    double bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (int page = 1; page <= grid.PageCount(); ++page) {
            state.PauseTiming();
            renderer.Render(tile, page);
            state.ResumeTiming();
            bytes += double(bench::BareJpeg(tile, Quality, false));
        }
    }
    SetTileCounters(state, grid.PageCount(), bytes);
}

// Rendering the tiles alone: white fill and every picture ANDed on (and
// the strip); the renderer made per iteration, as the export makes it.
template <class Renderer, class... Extra>
void RenderTiles(benchmark::State& state, const TileGrid& grid, const Extra&... extra)
{
    plat::Bitmap tile = MakeTileBitmap(grid);
    for (auto _ : state) {
        const Renderer renderer(Board(), grid, extra...);
        for (int page = 1; page <= grid.PageCount(); ++page) {
            renderer.Render(tile, page);
            benchmark::DoNotOptimize(tile.bits());
        }
    }
    SetTileCounters(state, grid.PageCount(), 0);
}

void BM_RenderTiles(benchmark::State& state)
{
    RenderTiles<PictureTileRenderer>(state, Grid());
}

void BM_RenderStripTiles(benchmark::State& state)
{
    bench::App();
    RenderTiles<StripTileRenderer>(state, StripGrid(), Strip());
}

// One printed picture page on an A4 printer at 600 dpi, all of it
// printable: the tile rendered at 300 dpi (2362 x 3390), then stretched onto
// the page area at printer resolution (4725 x 6780), a raster the size a
// printer driver gets. A middle page, full of hexagons. range(0) = 0: the
// whole page; 1: the rendering alone.
void BM_PrinterPicturePage600(benchmark::State& state)
{
    const OutputSnapshot& snap = Board();
    plat::FakePrinter printer({{"A4", plat::SheetGeometry{600, 600, 4961, 7016, 0, 0, 4961, 7016, -1}}});
    plat::ScopedPrinter installed(printer);
    printing::TPrintJob job;
    job.SetMarginsUnits(printing::unMillimeters);
    job.SetOptions({printing::joMargins});
    job.SetRelativeCoords(true);
    SetUpTileJob(job, snap.PrintParams);
    PrinterPicturePages pages(snap);
    plat::Bitmap tile;
    if (!pages.Update(job, tile)) {
        state.SkipWithError("no tile fits");
        return;
    }
    const PrinterPictureTiles& t = *pages.Tiles();
    const int middle = t.Grid.TilesAcross + 2;
    const plat::TRect area{0, 0, t.Grid.BitmapWidth(), t.Grid.BitmapHeight()};
    plat::Bitmap sheet(area.Width(), area.Height());
    plat::BitmapCanvas canvas(sheet);
    const PictureTileRenderer renderer(snap, t.TileHex);
    const TilePosition at = t.Tile(middle);
    for (auto _ : state) {
        if (state.range(0) == 0)
            pages.Draw(canvas, middle, area, printing::daPage, tile);
        else
            renderer.RenderAt(tile, at.X0, at.Y0);
        benchmark::DoNotOptimize(sheet.bits());
    }
    state.counters["tile_px"] = double(t.BitmapWidth) * t.BitmapHeight;
    state.counters["page_px"] = double(area.Width()) * area.Height();
}

} // namespace

BENCHMARK(BM_ExportPictureTiles)
    ->ArgNames({"workers", "bmp"})
    ->Args({1, 0})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Args({0, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3);
BENCHMARK(BM_CancelPictureExport)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2);
BENCHMARK(BM_BareJpegOfTheTiles)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_ExportDraftTiles)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_RenderTiles)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_ExportStripTiles)
    ->ArgNames({"workers", "bmp"})
    ->Args({1, 0})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3);
BENCHMARK(BM_RenderStripTiles)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_PrinterPicturePage600)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
