// The map widget's drawing cost on a 40 x 80 board with an owner that fills
// every hexagon as the editor does: a full redraw, and one arrow-key scroll
// step (only the newly visible cells are drawn).
#include "editor/HexMapA/HexMapA.h"
#include "editor/board/CellDrawing.h"
#include "platform/Canvas.h"

#include "BenchApp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <random>
#include <string>

using namespace tolv;

namespace {

// The editor's board and colours, filled at random with the ten terrains,
// drawn with the main window's own per-cell rules (fill colour and
// coordinate text), so that the board's indexing is part of the cost.
struct Owner {
    BoardState board;
    bool coords = false;

    Owner()
    {
        std::mt19937 gen(7);
        std::uniform_int_distribution<int> terrain(1, 10);
        for (auto& col : board.Board)
            for (auto& cell : col)
                cell.Terrain = terrain(gen);
    }

    void Attach(THexMapA& m)
    {
        board.PrintParams[ppShowCoords] = coords ? 1 : 0;
        m.OnDrawHex = [this](THexMapA* s, int hx, int hy, plat::Canvas& c, int cx, int cy, THexMapADrawState) {
            const plat::TColor keep = c.Brush.Color;
            c.Brush.Color = TerrainFillColour(board, hx, hy);
            c.Polygon(HexOutlineAround<plat::TPoint>(cx, cy, s->QuarterWidth(), s->HalfWidth(), s->HalfHeight()));
            c.Brush.Color = keep;
        };
        m.OnDrawExtra = [this](THexMapA* s, int hx, int hy, plat::Canvas& c, int cx, int cy, THexMapADrawState) {
            const auto text = CoordinateText(board, hx, hy, s->ColCount(), s->RowCount());
            if (!text)
                return;
            const plat::TBkMode old = c.SetBkMode(plat::TRANSPARENT);
            c.TextOut(cx, cy, *text);
            c.SetBkMode(old);
        };
    }
};

// The editor's map: 40 x 80, odd parity, grid without selection outline.
std::unique_ptr<THexMapA> MakeMap(Owner& owner, int hexSize, int width = 1024, int height = 768)
{
    bench::App();
    auto m = std::make_unique<THexMapA>();
    m->resize(width, height);
    m->SetColor(plat::clCream);
    m->SetGridColor(plat::clGray);
    m->SetOptions({hmGrid, hmDblClickCenter, hmRightBtnDrag});
    m->SetColCount(40);
    m->SetRowCount(80);
    m->SetFirstOdd(true);
    m->SetHexSize(hexSize);
    m->show();
    QElapsedTimer t;
    t.start();
    while (!(m->windowHandle() && m->windowHandle()->isExposed()) && t.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    owner.Attach(*m);
    m->CenterOnHex(20, 40);
    m->RedrawAll();
    QCoreApplication::processEvents();
    return m;
}

void BM_RedrawAll(benchmark::State& state)
{
    Owner owner;
    owner.coords = state.range(1) != 0;
    auto m = MakeMap(owner, int(state.range(0)));
    int cells = 0;
    m->MapGeometry().ForEachHex(m->VisibleRange(), [&](int, int) { ++cells; });
    for (auto _ : state)
        m->RedrawAll();
    state.counters["cells"] = cells;
}
BENCHMARK(BM_RedrawAll)->Args({26, 0})->Args({99, 0})->Args({26, 1})->Args({99, 1})
    ->ArgNames({"HexSize", "coords"})->Unit(benchmark::kMillisecond);

// One arrow-key step, left and right in turn so the view stays inside the
// map; with repaint, the window copy of the paint event is included. The
// view is a little smaller than the board at HexSize 26, so that the map
// really scrolls both ways.
void BM_ArrowScrollStep(benchmark::State& state)
{
    Owner owner;
    auto m = MakeMap(owner, int(state.range(0)), 760, 700);
    const int x0 = m->ScrollX(), y0 = m->ScrollY();
    const bool vertical = state.range(1) != 0;
    const bool withPaint = state.range(2) != 0;
    bool forward = true;
    for (auto _ : state) {
        const int key = vertical ? (forward ? Qt::Key_Down : Qt::Key_Up)
                                 : (forward ? Qt::Key_Right : Qt::Key_Left);
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(m.get(), &e);
        if (withPaint)
            m->repaint();
        forward = !forward;
    }
    m->ScrollTo(x0, y0);
    if (m->ScrollX() != x0 || m->ScrollY() != y0 || x0 == 0 || y0 == 0)
        state.SkipWithError("the view did not scroll");
}
BENCHMARK(BM_ArrowScrollStep)
    ->Args({26, 0, 0})->Args({26, 1, 0})->Args({99, 0, 0})->Args({99, 1, 0})
    ->Args({26, 0, 1})->Args({26, 1, 1})->Args({99, 0, 1})->Args({99, 1, 1})
    ->ArgNames({"HexSize", "vertical", "paint"})->Unit(benchmark::kMicrosecond);

} // namespace
