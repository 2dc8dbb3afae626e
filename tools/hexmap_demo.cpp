// A window with the hexagon map alone, painted as the editor paints it: a
// 40 x 80 board of random terrain, optionally with coordinates. For looking
// at the widget without the rest of the program.
//   hexmap_demo [--coords] [--size N] [--shot FILE.png]
// With --shot the window is grabbed once it is shown and the program ends.
#include "editor/HexMapA/HexMapA.h"
#include "platform/NumberedArray.h"

#include <QApplication>
#include <QTimer>

#include <array>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

using namespace tolv;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    bool coords = false;
    int size = 26;
    std::string shot;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--coords"))
            coords = true;
        else if (!std::strcmp(argv[i], "--size") && i + 1 < argc)
            size = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--shot") && i + 1 < argc)
            shot = argv[++i];
    }

    // Terrain colours in the order of the terrain codes 1..10.
    const plat::NumberedArray<plat::TColor, 1, 10> colours{
        plat::clCream,              // leer
        plat::RGB(222, 206, 140),   // Pampa
        plat::clLime,               // Wiese
        plat::clGreen,              // Wald
        plat::RGB(110, 90, 70),     // Moor
        plat::clGray,               // Fels
        plat::RGB(150, 75, 30),     // Berg
        plat::clWhite,              // beliebig
        plat::clYellow,             // Markt
        plat::clBlue};              // Wasser
    std::array<std::array<int, 81>, 41> board{};
    std::mt19937 gen(1);
    std::uniform_int_distribution<int> terrain(2, 10);
    for (auto& col : board)
        for (auto& cell : col)
            cell = terrain(gen);

    THexMapA map;
    map.setWindowTitle("THexMapA 40 x 80");
    map.resize(1000, 900);
    map.SetColor(plat::clCream);
    map.SetGridColor(plat::clGray);
    map.SetOptions({hmGrid, hmShowSelection, hmDblClickCenter, hmRightBtnDrag});
    map.SetColCount(40);
    map.SetRowCount(80);
    map.SetFirstOdd(true);
    map.SetHexSize(size);
    map.OnDrawHex = [&](THexMapA* m, int hx, int hy, plat::Canvas& c, int cx, int cy, THexMapADrawState) {
        const plat::TColor keep = c.Brush.Color;
        c.Brush.Color = colours[board[hx][hy]];
        const int q = m->QuarterWidth(), h = m->HalfWidth(), hh = m->HalfHeight();
        const plat::TPoint pts[] = {{cx - h, cy}, {cx - q, cy + hh}, {cx + q, cy + hh}, {cx + h, cy},
                                    {cx + q, cy - hh}, {cx - q, cy - hh}, {cx - h, cy}};
        c.Polygon(pts);
        c.Brush.Color = keep;
    };
    map.OnDrawExtra = [&](THexMapA* m, int hx, int hy, plat::Canvas& c, int cx, int cy, THexMapADrawState) {
        if (!coords || hx < 0 || hx >= m->ColCount() || hy < 0 || hy >= m->RowCount())
            return;
        const plat::TBkMode old = c.SetBkMode(plat::TRANSPARENT);
        c.TextOut(cx, cy, std::to_string(hx) + "," + std::to_string(hy));
        c.SetBkMode(old);
    };
    // A left click paints the cell Wasser, as painting in the editor does.
    map.OnMouseUp = [&](THexMapA* m, TMouseButton b, TShiftState, int x, int y) {
        const plat::TPoint p = m->HexAtPoint(x, y);
        if (b != mbLeft || p.X < 0 || p.Y < 0 || p.X >= m->ColCount() || p.Y >= m->RowCount())
            return;
        board[p.X][p.Y] = 10;
        m->RedrawHex(p.X, p.Y);
    };
    map.show();
    map.SelectHex(3, 4);
    map.RedrawAll();

    if (!shot.empty()) {
        QTimer::singleShot(500, [&] {
            const bool ok = map.grab().save(QString::fromStdString(shot));
            std::fprintf(stderr, "%s %s\n", ok ? "wrote" : "could not write", shot.c_str());
            app.exit(ok ? 0 : 1);
        });
    }
    return app.exec();
}
