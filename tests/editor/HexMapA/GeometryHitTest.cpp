// Cell addressing, the cell walk, the outline and the hit test.
#include "editor/HexMapA/HexMapGeometry.h"
#include "GeometryFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>
#include <vector>

using namespace tolv;
using tolv::test::EditorMap;

namespace {

using Cells = std::vector<std::pair<int, int>>;

// Strictly inside the closed outline (corners in drawing order, which runs
// clockwise on screen with y downwards).
bool StrictlyInside(const std::array<plat::TPoint, 7>& p, double x, double y)
{
    for (int i = 0; i < 6; ++i) {
        const double cross = double(p[i + 1].X - p[i].X) * (y - p[i].Y)
                           - double(p[i + 1].Y - p[i].Y) * (x - p[i].X);
        if (!(cross < 0))
            return false;
    }
    return true;
}

double DistanceToLine(plat::TPoint a, plat::TPoint b, double x, double y)
{
    const double dx = b.X - a.X, dy = b.Y - a.Y;
    return std::fabs(dx * (y - a.Y) - dy * (x - a.X)) / std::hypot(dx, dy);
}

// The outline of a cell as drawn, in control pixels: the bitmap centre
// shifted back by the bitmap's border.
std::array<plat::TPoint, 7> DrawnOutline(const HexMapGeometry& g, int col, int row)
{
    const plat::TPoint b = g.CellCenterOnBitmap(col, row);
    return g.HexOutline(b.X - g.HexSize(), b.Y - 2 * g.HalfHeight());
}

struct Miss {
    int col, row, x, y;
    plat::TPoint hit;
};

// Every control pixel strictly inside every cell's drawn hexagon that
// hit-tests elsewhere.
std::vector<Miss> Misses(const HexMapGeometry& g, int* inside = nullptr)
{
    std::vector<Miss> misses;
    int count = 0;
    for (int col = 0; col < g.ColCount(); ++col)
        for (int row = 0; row < g.RowCount(); ++row) {
            if (!g.IsCell(col, row))
                continue;
            const auto o = DrawnOutline(g, col, row);
            for (int x = o[0].X; x <= o[3].X; ++x)
                for (int y = o[4].Y; y <= o[1].Y; ++y) {
                    if (!StrictlyInside(o, x, y))
                        continue;
                    ++count;
                    const plat::TPoint hit = g.HexAtPoint(x, y);
                    if (hit != plat::TPoint{col, row})
                        misses.push_back({col, row, x, y, hit});
                }
        }
    if (inside)
        *inside = count;
    return misses;
}

} // namespace

TEST(GeometryCells, ParityDecidesWhichRowsOfAColumnHoldCells)
{
    HexMapGeometry g;
    g.SetFirstOdd(true);
    for (int row = 0; row < 6; ++row) {
        EXPECT_EQ(g.IsCell(0, row), row % 2 == 1) << row;
        EXPECT_EQ(g.IsCell(1, row), row % 2 == 0) << row;
    }
    g.SetFirstOdd(false);
    for (int row = 0; row < 6; ++row) {
        EXPECT_EQ(g.IsCell(0, row), row % 2 == 0) << row;
        EXPECT_EQ(g.IsCell(1, row), row % 2 == 1) << row;
    }
    // Negative positions follow the two's-complement lowest bit.
    EXPECT_TRUE(IsCellParity(-1, 0, true));
    EXPECT_TRUE(IsCellParity(-1, -1, false));
    EXPECT_TRUE(IsCellParity(-2, 1, true));
}

TEST(GeometryWalk, VisitsRowByRowLeftToRight)
{
    struct Case { CellRange range; bool firstOdd; Cells cells; };
    const Case cases[] = {
        {{0, 0, 3, 1}, true, {{1, 0}, {3, 0}, {0, 1}, {2, 1}}},
        {{0, 0, 3, 1}, false, {{0, 0}, {2, 0}, {1, 1}, {3, 1}}},
        // Not clamped: negative positions of the right parity are reported too.
        {{-2, -1, 0, 0}, true, {{-2, -1}, {0, -1}, {-1, 0}}},
        {{2, 0, 1, 0}, false, {}},   // empty range
        {{2, 3, 2, 2}, false, {}},
    };
    for (const Case& c : cases) {
        HexMapGeometry g;
        g.SetFirstOdd(c.firstOdd);
        Cells seen;
        g.ForEachHex(c.range, [&](int col, int row) { seen.emplace_back(col, row); });
        EXPECT_EQ(seen, c.cells) << c.range.FirstCol << "," << c.range.FirstRow << "," << c.range.LastCol << ","
                                 << c.range.LastRow;
    }
}

TEST(GeometryWalk, BoundsAtTheIntegerLimitsEnd)
{
    Cells seen;
    ForEachCell(INT_MAX - 2, INT_MAX - 1, INT_MAX, INT_MAX, false,
                [&](int col, int row) { seen.emplace_back(col, row); });
    // INT_MAX is odd: row INT_MAX - 1 starts one column in, and its next
    // step would pass the bound.
    EXPECT_EQ(seen, (Cells{{INT_MAX - 1, INT_MAX - 1}, {INT_MAX - 2, INT_MAX}, {INT_MAX, INT_MAX}}));
}

TEST(GeometryWalk, EditorMapHoldsAllItsCells)
{
    HexMapGeometry g = EditorMap();
    int n = 0;
    g.ForEachHex({0, 0, g.ColCount() - 1, g.RowCount() - 1}, [&](int col, int row) {
        EXPECT_TRUE(g.InGrid(col, row));
        EXPECT_TRUE(g.IsCell(col, row));
        ++n;
    });
    EXPECT_EQ(n, 14 * 38 / 2);
}

TEST(GeometryOutline, SevenPointsFromTheLeftCornerRoundAndBack)
{
    HexMapGeometry g;
    g.SetHexSize(26);   // quarter 6, half 13, half height 11
    const std::array<plat::TPoint, 7> expected{{
        {87, 66}, {94, 77}, {106, 77}, {113, 66}, {106, 55}, {94, 55}, {87, 66},
    }};
    EXPECT_EQ(g.HexOutline(100, 66), expected);
}

TEST(GeometryHitTest, EditorWindowPoints)
{
    HexMapGeometry g = EditorMap();
    struct Case { int x, y, col, row; };
    const Case cases[] = {
        {131, 77, 3, 4},
        {100, 100, 1, 6},
        {74, 44, 0, 1},    // centre of cell (0, 1): bitmap (100, 66)
        // Left of the first column, not above the field: column -1 or less.
        {60, 30, -1, 0},
        {43, 100, -1, 6},
        {41, 100, -2, 7},
        // Above the first row: row -1.
        {100, 21, 2, -1},
        // Above and left of the field: column 0 is still possible.
        {60, 17, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(g.HexAtPoint(c.x, c.y), (plat::TPoint{c.col, c.row})) << c.x << "," << c.y;
}

TEST(GeometryHitTest, OutsideTheFieldNeverGivesAGridCellFromTheLeft)
{
    // Every point left of the first column band and not above the field
    // (x < 0 <= y after removing margin and offset) lies in column -1 or less.
    HexMapGeometry g = EditorMap();
    const int x0 = g.Margin() + g.OffsetX(), y0 = g.Margin() + g.OffsetY();
    for (int x = x0 - 60; x < x0; ++x)
        for (int y = y0; y < y0 + 200; ++y)
            ASSERT_LE(g.HexAtPoint(x, y).X, -1) << x << "," << y;
}

TEST(GeometryHitTest, EveryPixelInsideADrawnHexagonHitsItAtSize48)
{
    for (bool firstOdd : {false, true}) {
        for (plat::TRect view : {plat::TRect{0, 0, 1000, 800}, plat::TRect{37, 53, 237, 253}}) {
            SCOPED_TRACE(testing::Message() << firstOdd << " view " << view.Left << "," << view.Top);
            HexMapGeometry g;
            g.SetColCount(9);
            g.SetRowCount(14);
            g.SetHexSize(48);
            g.SetFirstOdd(firstOdd);
            g.SetViewRect(view);
            int inside = 0;
            const std::vector<Miss> misses = Misses(g, &inside);
            EXPECT_GT(inside, 30000);
            EXPECT_TRUE(misses.empty()) << misses.size() << " misses, first at cell ("
                                        << misses[0].col << "," << misses[0].row << ")";
        }
    }
}

TEST(GeometryHitTest, AtSize26OnlyPixelsHardByTheRightCornerGoToTheRightNeighbour)
{
    // HalfWidth - QuarterWidth is 7 but the slanted zone is 6 wide, so the
    // hit test's boundary runs up to one pixel left of the drawn edges that
    // meet at the right corner.
    for (bool firstOdd : {false, true}) {
        HexMapGeometry g = EditorMap();
        g.SetFirstOdd(firstOdd);
        const std::vector<Miss> misses = Misses(g);
        EXPECT_FALSE(misses.empty());
        for (const Miss& m : misses) {
            SCOPED_TRACE(testing::Message() << "cell " << m.col << "," << m.row << " pixel " << m.x << "," << m.y);
            const auto o = DrawnOutline(g, m.col, m.row);
            EXPECT_GT(m.x, o[2].X);   // right of the lower and upper right corners' x
            const double d = std::min(DistanceToLine(o[2], o[3], m.x, m.y), DistanceToLine(o[3], o[4], m.x, m.y));
            EXPECT_LT(d, 1.0);
            EXPECT_EQ(m.hit.X, m.col + 1);
            EXPECT_EQ(std::abs(m.hit.Y - m.row), 1);
        }
    }
}

TEST(GeometryHitTest, CellCentresHitTheirCellInAScrolledView)
{
    HexMapGeometry g = EditorMap();
    g.SetViewRect({40, 90, 240, 290});
    g.ForEachHex(g.VisibleRange(), [&](int col, int row) {
        const plat::TPoint b = g.CellCenterOnBitmap(col, row);
        EXPECT_EQ(g.HexAtPoint(b.X - g.HexSize(), b.Y - 2 * g.HalfHeight()), (plat::TPoint{col, row}));
    });
}
