// The preview's redraw cost for a draft tile: an A4 page at 600 dpi with
// 1,600 hexagons (40 x 40, filled and outlined, coordinates written), shown
// whole in a 400 x 500 preview. Update records the page (the job draws every
// hexagon into the metafile); the paint replays it at the panel's size.
#include "platform/FakePrinter.h"
#include "printing/PSPreview.h"

#include "BenchApp.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <array>
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

} // namespace
