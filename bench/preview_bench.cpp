// The preview's redraw cost for a draft tile: an A4 page at 600 dpi with
// 1,600 hexagons (40 x 40, filled and outlined, coordinates written), shown
// whole in a 400 x 500 preview. Update records the page (the job draws every
// hexagon into the metafile); the paint replays it at the panel's size.
//
// And for a picture tile: a page of "Kacheln - auf Drucker" of a 40 x 80
// board with the program's terrain pictures, on the same printer. The job
// renders the 300-dpi tile (2362 x 3389 at the default print parameters)
// and stretches it onto the page: opening the preview, turning a page,
// switching to the page width and resizing the window each record the
// page and paint it.
#include "editor/board/TerrainPictures.h"
#include "output/PictureTiles.h"
#include "output/PrinterPictureTiles.h"
#include "output/PrinterTiles.h"
#include "platform/FakePrinter.h"
#include "platform/Paths.h"
#include "printing/PSPreview.h"

#include "BenchApp.h"
#include "BenchSupport.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <random>
#include <string>

using namespace printing;

namespace {

// One draft tile: 40 columns of 40 flat-topped hexagons filling the page area.
void DrawTile(plat::Canvas& c, const plat::TRect& r)
{
    constexpr int cols = 40, rows = 40;
    const int quarter = r.Width() / (3 * cols + 1);
    const int half = 2 * quarter, pitch = half + quarter;
    const int halfHeight = r.Height() / (2 * rows + 1);
    static constexpr std::array<plat::TColor, 5> colours{0x90EE90, 0x228B22, 0x8B4513, 0x808080, 0x4682B4};
    c.Pen.Width = 0;
    c.Font.SetSize(6);
    for (int col = 0; col < cols; ++col)
        for (int row = 0; row < rows; ++row) {
            const int cx = r.Left + half + col * pitch;
            const int cy = r.Top + halfHeight + row * 2 * halfHeight + (col % 2) * halfHeight;
            const std::array<plat::TPoint, 6> pts{{{cx - half, cy},
                                                   {cx - quarter, cy - halfHeight},
                                                   {cx + quarter, cy - halfHeight},
                                                   {cx + half, cy},
                                                   {cx + quarter, cy + halfHeight},
                                                   {cx - quarter, cy + halfHeight}}};
            c.Brush.Style = plat::bsSolid;
            c.Brush.Color = colours[(col * 7 + row * 3) % colours.size()];
            c.Polygon(pts);
            c.Brush.Style = plat::bsClear;
            c.TextOut(cx - quarter, cy - halfHeight / 2, std::to_string(col) + "," + std::to_string(row));
        }
}

// A preview showing the tile page on the fake A4 printer.
struct TilePreview {
    TilePreview()
    {
        job.OnDraw = [](TCustomPrintJob&, plat::Canvas& c, int, const plat::TRect& r, TDrawArea, TDrawTarget) {
            DrawTile(c, r);
        };
        preview.resize(400, 500);
        preview.show();
        preview.SetPrintJob(&job);
    }
    bool app = (bench::App(), true);   // before any widget
    plat::FakePrinter printer{{{"A4", {600, 600, 4960, 7016, 100, 120, 4760, 6776, -1}}}};
    plat::ScopedPrinter guard{printer};
    TPrintJob job;
    TPreview preview;
};

void BM_RenderAndPaintDraftTile(benchmark::State& state)
{
    TilePreview t;
    for (auto _ : state) {
        t.preview.Update();
        benchmark::DoNotOptimize(t.preview.Panel()->grab());
    }
}
BENCHMARK(BM_RenderAndPaintDraftTile)->Unit(benchmark::kMillisecond);

// Scrolling and repainting alone: the replay is cached.
void BM_PaintOnly(benchmark::State& state)
{
    TilePreview t;
    for (auto _ : state)
        benchmark::DoNotOptimize(t.preview.Panel()->grab());
}
BENCHMARK(BM_PaintOnly)->Unit(benchmark::kMillisecond);

// The printer of the picture tiles: A4 at 600 dpi with the printable area
// inset 100 and 120 pixels.
plat::FakePrinterSetup A4Printer()
{
    return {"A4", {600, 600, 4960, 7016, 100, 120, 4760, 6776, -1}};
}

// The board of a full 40 x 80 map with every terrain, the pictures as the
// program loads them, and the pages of the picture-tile job.
struct PictureTileJob {
    PictureTileJob()
    {
        tolv::BoardState state;
        std::mt19937 rng(11);
        for (auto& column : state.Board)
            for (tolv::TerrainCell& cell : column)
                cell.Terrain = tolv::TerrainCode(2 + rng() % 9);
        const auto failures = tolv::LoadPictures(state, plat::ProgramDir() + "/Pics/", 100, 0, [] {});
        picturesLoaded = failures.empty();
        snap = tolv::TakeOutputSnapshot(state, tolv::MapShape{40, 80, true});
        pages = std::make_unique<tolv::PrinterPicturePages>(snap);
        job.OnUpdate = [this](TCustomPrintJob& j) { pages->Update(j, tile); };
        job.OnDraw = [this](TCustomPrintJob&, plat::Canvas& c, int page, const plat::TRect& r, TDrawArea area,
                            TDrawTarget) { pages->Draw(c, page, r, area, tile); };
        tolv::SetUpTileJob(job, snap.PrintParams);
        job.Update();
    }
    bool app = (bench::App(), true);
    plat::FakePrinter printer{{A4Printer()}};
    plat::ScopedPrinter guard{printer};
    tolv::OutputSnapshot snap;
    std::unique_ptr<tolv::PrinterPicturePages> pages;
    plat::Bitmap tile;
    TPrintJob job;
    bool picturesLoaded = false;
};

// A page inside the board, hexagons on every side.
constexpr int PicturePage = 8;

void ShowPicturePreview(TPreview& preview, TPrintJob& job)
{
    preview.resize(400, 500);
    preview.show();
    preview.SetPrintJob(&job);
    preview.SetPageIndex(PicturePage);
}

void Counters(benchmark::State& state, const PictureTileJob& t)
{
    state.counters["tile_w"] = t.tile.width();
    state.counters["tile_h"] = t.tile.height();
    if (!t.picturesLoaded)
        state.SkipWithError("the terrain pictures are not built (build/bin/Pics)");
}

// The preview opened on a picture-tile page and painted once.
void BM_PictureTileOpen(benchmark::State& state)
{
    PictureTileJob t;
    for (auto _ : state) {
        TPreview preview;
        ShowPicturePreview(preview, t.job);
        benchmark::DoNotOptimize(preview.Panel()->grab());
    }
    Counters(state, t);
}
BENCHMARK(BM_PictureTileOpen)->Unit(benchmark::kMillisecond);

// One step after another on the open preview, each recorded and painted.
template <class Step>
void PictureTileSteps(benchmark::State& state, Step step)
{
    PictureTileJob t;
    TPreview preview;
    ShowPicturePreview(preview, t.job);
    for (auto _ : state) {
        step(preview);
        benchmark::DoNotOptimize(preview.Panel()->grab());
    }
    Counters(state, t);
}

// The next page and back.
void BM_PictureTilePageTurn(benchmark::State& state)
{
    PictureTileSteps(state, [](TPreview& p) {
        p.SetPageIndex(p.PageIndex() == PicturePage ? PicturePage + 1 : PicturePage);
    });
}
BENCHMARK(BM_PictureTilePageTurn)->Unit(benchmark::kMillisecond);

// The page width and back to the whole page.
void BM_PictureTilePageWidth(benchmark::State& state)
{
    PictureTileSteps(state, [](TPreview& p) {
        p.SetViewMode(p.ViewMode() == vmPageWidth ? vmWholePage : vmPageWidth);
    });
}
BENCHMARK(BM_PictureTilePageWidth)->Unit(benchmark::kMillisecond);

// One step of resizing the window: the page is laid out and recorded again.
void BM_PictureTileResizeStep(benchmark::State& state)
{
    PictureTileSteps(state, [](TPreview& p) {
        p.resize(400, p.height() == 500 ? 520 : 500);
        QApplication::processEvents();
    });
}
BENCHMARK(BM_PictureTileResizeStep)->Unit(benchmark::kMillisecond);

} // namespace
