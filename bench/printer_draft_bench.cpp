// One draft tile page of a full 40 x 80 board at the default print
// parameters on an A4 printer at 600 dpi (whole sheet printable: 30 tiles,
// the page area 4725 x 6780 pixels). The page drawn as the preview records
// it (into a metafile) and as a raster device receives it (into a 24-bit
// bitmap of the page area), with and without coordinates. The page is
// tile 8, inside the board, so hexagons lie on every side of it.
//
// Counters: hexagons = those the board holds (every other cell is walked).
#include "output/PrinterDraft.h"
#include "output/PrinterTiles.h"
#include "platform/Canvas.h"

#include "BenchApp.h"

#include <QPicture>

#include <benchmark/benchmark.h>

#include <random>

using namespace tolv;

namespace {

OutputSnapshot Board(bool coords)
{
    OutputSnapshot s;
    std::mt19937 rng(7);
    for (auto& column : s.Board)
        for (TerrainCell& cell : column)
            cell.Terrain = TerrainCode(2 + rng() % 9);
    s.ColorTable = DefaultColorTable();
    s.PrintParams = DefaultPrintParams();
    s.PrintParams[ppShowCoords] = coords ? 1 : 0;
    s.Map = MapShape{40, 80, true};
    return s;
}

constexpr int Page = 8;
constexpr int PageWidth = 4725, PageHeight = 6780;

TileGrid Grid(const OutputSnapshot& s)
{
    return *PrinterTileGrid(s.PrintParams, s.Map, 600, 600, PageWidth, PageHeight);
}

void BM_DraftPageIntoMetafile(benchmark::State& state)
{
    bench::App();
    const OutputSnapshot snap = Board(state.range(0) != 0);
    const TileGrid grid = Grid(snap);
    for (auto _ : state) {
        QPicture picture;
        plat::Canvas canvas(&picture);
        DrawDraftPage(canvas, snap, grid, snap.PrintParams[ppGridWidth], Page, {0, 0, PageWidth, PageHeight});
        canvas.End();
        benchmark::DoNotOptimize(picture.size());
    }
    state.counters["hexagons"] = 40 * 80 / 2;
}
BENCHMARK(BM_DraftPageIntoMetafile)->ArgName("coords")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DraftPageIntoBitmap(benchmark::State& state)
{
    bench::App();
    const OutputSnapshot snap = Board(state.range(0) != 0);
    const TileGrid grid = Grid(snap);
    plat::Bitmap page(PageWidth, PageHeight);
    page.fill(plat::clWhite);
    for (auto _ : state) {
        plat::BitmapCanvas canvas(page);
        DrawDraftPage(canvas, snap, grid, snap.PrintParams[ppGridWidth], Page, {0, 0, PageWidth, PageHeight});
    }
    state.counters["hexagons"] = 40 * 80 / 2;
}
BENCHMARK(BM_DraftPageIntoBitmap)->ArgName("coords")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
