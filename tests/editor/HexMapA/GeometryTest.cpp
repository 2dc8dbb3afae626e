// Properties, metrics, ranges, offsets and bitmap size of the map layout.
#include "editor/HexMapA/HexMapGeometry.h"
#include "GeometryFixtures.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace tolv;
using tolv::test::EditorMap;

namespace {

// Records the notifications in the order they arrive.
struct Recorder {
    std::vector<std::string> events;
    void Attach(HexMapGeometry& g)
    {
        g.OnRangesChanged = [this] { events.push_back("ranges"); };
        g.OnInvalidate = [this] { events.push_back("invalidate"); };
    }
};

} // namespace

TEST(GeometryMetrics, FollowTheSize)
{
    struct Case { int size, quarter, half, pitch, halfHeight; };
    const Case cases[] = {
        {26, 6, 13, 19, 11},
        {48, 12, 24, 36, 21},
        {10, 2, 5, 7, 4},
        {99, 24, 49, 73, 43},
        {500, 125, 250, 375, 216},   // 216.5: the exact half goes to the even 216
        {2, 0, 1, 1, 1},             // smallest size that keeps every divisor positive
        {1000, 250, 500, 750, 433},
    };
    for (const Case& c : cases) {
        HexMapGeometry g;
        g.SetHexSize(c.size);
        SCOPED_TRACE(c.size);
        EXPECT_EQ(g.HexSize(), c.size);
        EXPECT_EQ(g.QuarterWidth(), c.quarter);
        EXPECT_EQ(g.HalfWidth(), c.half);
        EXPECT_EQ(g.ColPitch(), c.pitch);
        EXPECT_EQ(g.HalfHeight(), c.halfHeight);
    }
}

TEST(GeometryMetrics, HalfHeightRoundsTheExactProductHalfToEven)
{
    struct Case { int size, halfHeight; };
    const Case cases[] = {
        {500, 216},     // 216.5
        {1500, 650},    // 649.5
        {2500, 1082},   // 1082.5
        {806, 349},     // 348.998: the factor is 0.433, not sqrt(3)/4
        {341, 148},     // 147.653
        {-500, -216},
        {0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HexHalfHeight(c.size), c.halfHeight) << c.size;
}

TEST(GeometryProperties, StartAsConstructed)
{
    HexMapGeometry g;
    EXPECT_EQ(g.ColCount(), 12);
    EXPECT_EQ(g.RowCount(), 12);
    EXPECT_EQ(g.HexSize(), 48);
    EXPECT_EQ(g.CellWidth(), 48);
    EXPECT_EQ(g.CellHeight(), 42);
    EXPECT_EQ(g.Margin(), 15);
    EXPECT_FALSE(g.FirstOdd());
    EXPECT_EQ(g.GridColor(), plat::clBtnShadow);
    EXPECT_EQ(g.SelectColor(), plat::clRed);
    EXPECT_EQ(g.Options().Bits(), 23);
    EXPECT_EQ(g.Options(), (THexMapAOptions{hmGrid, hmShowSelection, hmDblClickCenter, hmRightBtnDrag}));
    EXPECT_EQ(g.SelCol(), 0);
    EXPECT_EQ(g.SelRow(), 0);
    EXPECT_TRUE(g.RedrawPending());
    EXPECT_EQ(g.ViewRect(), (plat::TRect{0, 0, 0, 0}));
    // An empty view still needs the border of the bitmap.
    EXPECT_EQ(g.BitmapWidth(), 2 * 48 + 1);
    EXPECT_EQ(g.BitmapHeight(), 4 * 21 + 1);
}

TEST(GeometryLayout, EditorMapSizeAndReach)
{
    HexMapGeometry g = EditorMap();
    EXPECT_EQ(g.MapWidth(), 302);
    EXPECT_EQ(g.MapHeight(), 459);
    EXPECT_EQ(g.ExtraCols(), 1);
    EXPECT_EQ(g.ExtraRows(), 2);
}

TEST(GeometryLayout, EditorWindowRangesOffsetsAndBitmap)
{
    HexMapGeometry g = EditorMap(395, 473);
    EXPECT_EQ(g.OffsetX(), 46);
    EXPECT_EQ(g.OffsetY(), 7);
    EXPECT_EQ(g.VisibleRange(), (CellRange{0, 0, 13, 37}));
    EXPECT_EQ(g.DrawRange(), (CellRange{-1, -2, 14, 39}));   // reaches beyond the grid
    EXPECT_EQ(g.BitmapWidth(), 448);
    EXPECT_EQ(g.BitmapHeight(), 518);
    // Cell (0, 1) as the drawing events see it: map centre plus offsets and border.
    EXPECT_EQ(g.CellCenter(0, 1), (plat::TPoint{28, 37}));
    EXPECT_EQ(g.CellCenterOnBitmap(0, 1), (plat::TPoint{28 + 46 + 26, 37 + 7 + 22}));
}

TEST(GeometryLayout, ScrolledViewRanges)
{
    // A view smaller than the map, scrolled into its middle.
    HexMapGeometry g = EditorMap();
    g.SetViewRect({100, 200, 200, 300});
    EXPECT_EQ(g.OffsetX(), 0);
    EXPECT_EQ(g.OffsetY(), 0);
    // Columns whose bounding box touches x 100..200, rows touching y 200..300.
    // Left: ceil((100 - 13 - 13 - 15) / 19) = ceil(3.1) = 4; right: floor((200 + 13 - 13 - 15) / 19) = 9.
    // Top: ceil((200 - 11 - 11 - 15) / 11) = ceil(14.8) = 15; bottom: floor((300 + 11 - 11 - 15) / 11) = 25.
    EXPECT_EQ(g.VisibleRange(), (CellRange{4, 15, 9, 25}));
    EXPECT_EQ(g.DrawRange(), (CellRange{3, 13, 10, 27}));
    EXPECT_EQ(g.BitmapWidth(), 100 + 52 + 1);
    EXPECT_EQ(g.BitmapHeight(), 100 + 44 + 1);
    // Map pixels of a cell centre lie inside its column band of the visible range.
    const HexPointF f = g.PixelToCellF(g.CellCenter(7, 20).X, g.CellCenter(7, 20).Y);
    EXPECT_DOUBLE_EQ(f.X, 7.0);
    EXPECT_DOUBLE_EQ(f.Y, 20.0);
}

TEST(GeometryLayout, ViewBeyondTheGridGivesAnEmptyVisibleRange)
{
    HexMapGeometry g = EditorMap();
    g.SetViewRect({1000, 0, 1100, 100});
    EXPECT_LT(g.VisibleRange().LastCol, g.VisibleRange().FirstCol);
}

TEST(GeometryLayout, NarrowMapIsCentredWithTheOddPixelOnTheRight)
{
    struct Case { int viewW, offsetX; };
    const Case cases[] = {
        {395, 46},   // 93 free: 46 left, 47 right
        {304, 1},    // 2 free
        {303, 0},    // 1 free: it goes right
        {302, 0},    // as wide as the map
        {200, 0},    // narrower than the map
    };
    for (const Case& c : cases) {
        HexMapGeometry g = EditorMap(c.viewW, 473);
        EXPECT_EQ(g.OffsetX(), c.offsetX) << c.viewW;
        const int right = c.viewW - g.MapWidth() - g.OffsetX();
        if (c.viewW > g.MapWidth()) {
            EXPECT_GE(right, g.OffsetX());
            EXPECT_LE(right, g.OffsetX() + 1);
        }
    }
}

TEST(GeometryLayout, ClampScrollKeepsTheViewInsideTheMap)
{
    HexMapGeometry small = EditorMap();   // the map fits the view
    EXPECT_EQ(small.ClampScroll(-10, 25), (plat::TPoint{0, 0}));
    EXPECT_EQ(small.ClampScroll(500, 500), (plat::TPoint{0, 0}));

    HexMapGeometry big = EditorMap();
    big.SetViewRect({0, 0, 100, 100});
    EXPECT_EQ(big.ClampScroll(-10, -1), (plat::TPoint{0, 0}));
    EXPECT_EQ(big.ClampScroll(50, 60), (plat::TPoint{50, 60}));
    EXPECT_EQ(big.ClampScroll(5000, 5000), (plat::TPoint{302 - 100, 459 - 100}));
}

TEST(GeometryLayout, SetViewSizeMovesOnlyRightAndBottom)
{
    HexMapGeometry g = EditorMap();
    g.SetViewRect({10, 20, 110, 120});
    const CellRange before = g.VisibleRange();
    g.SetViewSize(300, 250);
    EXPECT_EQ(g.ViewRect(), (plat::TRect{10, 20, 310, 270}));
    EXPECT_EQ(g.VisibleRange(), before);   // recomputed only by the next scroll
}

TEST(GeometrySetters, CountsAndMarginRefuseNonPositiveValuesButStillRecompute)
{
    struct Case { const char* name; void (HexMapGeometry::*set)(int); int (HexMapGeometry::*get)() const; };
    const Case cases[] = {
        {"ColCount", &HexMapGeometry::SetColCount, &HexMapGeometry::ColCount},
        {"RowCount", &HexMapGeometry::SetRowCount, &HexMapGeometry::RowCount},
        {"Margin", &HexMapGeometry::SetMargin, &HexMapGeometry::Margin},
    };
    for (const Case& c : cases) {
        for (int bad : {0, -1, INT_MIN}) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(bad));
            HexMapGeometry g = EditorMap();
            const int old = (g.*c.get)();
            g.SetRedrawPending(false);
            Recorder rec;
            rec.Attach(g);
            (g.*c.set)(bad);
            EXPECT_EQ((g.*c.get)(), old);
            EXPECT_TRUE(g.RedrawPending());
            EXPECT_EQ(rec.events, (std::vector<std::string>{"ranges", "invalidate"}));
        }
    }
}

TEST(GeometrySetters, PictureSettersMarkRedrawAndNotify)
{
    struct Case { const char* name; void (*apply)(HexMapGeometry&); std::vector<std::string> events; };
    const Case cases[] = {
        {"ColCount", [](HexMapGeometry& g) { g.SetColCount(20); }, {"ranges", "invalidate"}},
        {"RowCount", [](HexMapGeometry& g) { g.SetRowCount(20); }, {"ranges", "invalidate"}},
        {"HexSize", [](HexMapGeometry& g) { g.SetHexSize(30); }, {"ranges", "invalidate"}},
        {"Margin", [](HexMapGeometry& g) { g.SetMargin(5); }, {"ranges", "invalidate"}},
        {"GridColor", [](HexMapGeometry& g) { g.SetGridColor(plat::clGray); }, {"invalidate"}},
        {"SelectColor", [](HexMapGeometry& g) { g.SetSelectColor(plat::clBlue); }, {"invalidate"}},
        {"Options", [](HexMapGeometry& g) { g.SetOptions({hmGrid}); }, {"invalidate"}},
        {"FirstOdd", [](HexMapGeometry& g) { g.SetFirstOdd(false); }, {"invalidate"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HexMapGeometry g = EditorMap();
        g.SetRedrawPending(false);
        Recorder rec;
        rec.Attach(g);
        c.apply(g);
        EXPECT_TRUE(g.RedrawPending());
        EXPECT_EQ(rec.events, c.events);
    }
}

TEST(GeometrySetters, ViewAndCellSizeChangesDoNotMarkRedraw)
{
    HexMapGeometry g = EditorMap();
    g.SetRedrawPending(false);
    Recorder rec;
    rec.Attach(g);
    g.SetViewRect({0, 0, 100, 100});
    EXPECT_EQ(rec.events, (std::vector<std::string>{"ranges"}));
    rec.events.clear();
    g.SetCellWidth(60);
    g.SetCellHeight(60);
    EXPECT_TRUE(rec.events.empty());
    EXPECT_FALSE(g.RedrawPending());
}

TEST(GeometrySetters, CellSizeBelowTheHexagonKeepsTheOldValueAndOnlyRecomputesTheReach)
{
    HexMapGeometry g = EditorMap();   // 26: HalfHeight 11, cell picture 48 x 42
    const CellRange drawRange = g.DrawRange();
    g.SetCellWidth(25);
    g.SetCellHeight(21);
    EXPECT_EQ(g.CellWidth(), 48);
    EXPECT_EQ(g.CellHeight(), 42);
    EXPECT_EQ(g.ExtraCols(), 1);
    EXPECT_EQ(g.ExtraRows(), 2);

    g.SetCellWidth(26);    // the hexagon itself: (13 + 13) div 19
    g.SetCellHeight(22);   // 11 div 11 + 1
    EXPECT_EQ(g.CellWidth(), 26);
    EXPECT_EQ(g.CellHeight(), 22);
    EXPECT_EQ(g.ExtraCols(), 1);
    EXPECT_EQ(g.ExtraRows(), 2);

    g.SetCellWidth(100);   // (50 + 13) div 19
    g.SetCellHeight(100);  // 50 div 11 + 1
    EXPECT_EQ(g.ExtraCols(), 3);
    EXPECT_EQ(g.ExtraRows(), 5);
    EXPECT_EQ(g.DrawRange(), drawRange);   // the ranges wait for the next recomputation
}

TEST(GeometrySetters, HexSizeOutsideTheUsableRangeKeepsTheOldSize)
{
    for (int bad : {1, 0, -1, -48, INT_MIN, HexMapGeometry::MaxHexSize + 1, INT_MAX}) {
        SCOPED_TRACE(bad);
        HexMapGeometry g = EditorMap();
        g.SetRedrawPending(false);
        g.SetHexSize(bad);
        EXPECT_EQ(g.HexSize(), 26);
        EXPECT_EQ(g.ColPitch(), 19);
        EXPECT_EQ(g.HalfHeight(), 11);
        EXPECT_EQ(g.VisibleRange(), (CellRange{0, 0, 13, 37}));
        EXPECT_TRUE(g.RedrawPending());
        EXPECT_EQ(g.HexAtPoint(131, 77), (plat::TPoint{3, 4}));
    }
}

TEST(GeometrySetters, SmallestHexSizeStillLaysOutAndHitTests)
{
    HexMapGeometry g;
    g.SetColCount(4);
    g.SetRowCount(4);
    g.SetHexSize(2);
    g.SetViewRect({0, 0, 50, 50});
    EXPECT_EQ(g.MapWidth(), 4 * 1 + 0 + 30);
    EXPECT_EQ(g.MapHeight(), 5 * 1 + 30);
    EXPECT_EQ(g.VisibleRange(), (CellRange{0, 0, 3, 3}));
    // The hexagons are too thin to hold a pixel, but every point still
    // maps to a position of the right parity.
    for (int x = -5; x < 55; ++x)
        for (int y = -5; y < 55; ++y) {
            const plat::TPoint hit = g.HexAtPoint(x, y);
            ASSERT_TRUE(g.IsCell(hit.X, hit.Y)) << x << "," << y;
        }
}

TEST(GeometrySetters, OptionsRightButtonCentringExcludesTheOtherMouseOptions)
{
    HexMapGeometry g;
    g.SetOptions({hmRightBtnCenter, hmDblClickCenter, hmRightBtnDrag});
    EXPECT_EQ(g.Options(), THexMapAOptions{hmRightBtnCenter});
    g.SetOptions({hmGrid, hmRightBtnCenter, hmShowSelection});
    EXPECT_EQ(g.Options(), (THexMapAOptions{hmGrid, hmShowSelection, hmRightBtnCenter}));
    g.SetOptions({hmGrid, hmDblClickCenter, hmRightBtnDrag});   // the editor's options
    EXPECT_EQ(g.Options().Bits(), 1 | 4 | 16);
    EXPECT_EQ(THexMapAOptions::FromBits(0xFF).Bits(), 0x1F);    // only five options exist
}

TEST(GeometrySetters, HugeCountsAndMarginSaturateInsteadOfWrapping)
{
    HexMapGeometry g;
    g.SetColCount(INT_MAX);
    g.SetRowCount(INT_MAX);
    g.SetMargin(INT_MAX);
    g.SetViewRect({0, 0, 400, 300});
    EXPECT_EQ(g.MapWidth(), INT_MAX);
    EXPECT_EQ(g.MapHeight(), INT_MAX);
    EXPECT_EQ(g.OffsetX(), 0);
    EXPECT_EQ(g.OffsetY(), 0);
    EXPECT_EQ(g.VisibleRange().FirstCol, 0);
    EXPECT_LT(g.VisibleRange().LastCol, 0);   // the view lies in the margin
    EXPECT_EQ(g.ClampScroll(INT_MAX, INT_MAX), (plat::TPoint{INT_MAX - 400, INT_MAX - 300}));
    EXPECT_EQ(g.CellCenter(INT_MAX, INT_MAX), (plat::TPoint{INT_MAX, INT_MAX}));
}

TEST(GeometryFirstOdd, MovesTheSelectionOntoTheNewParity)
{
    for (const test::FirstOddCase& c : test::FirstOddCases) {
        SCOPED_TRACE(c.name);
        HexMapGeometry g;
        g.SetRowCount(c.rows);
        g.SetColCount(c.cols);
        ASSERT_FALSE(g.FirstOdd());
        g.SetSelection(c.selCol, c.selRow);
        g.SetRedrawPending(false);
        g.SetFirstOdd(true);
        EXPECT_EQ(g.FirstOdd(), c.accepted);
        EXPECT_EQ(g.SelCol(), c.newCol);
        EXPECT_EQ(g.SelRow(), c.newRow);
        EXPECT_TRUE(g.RedrawPending());   // also when refused
    }
}

TEST(GeometryFirstOdd, SameValueLeavesTheSelection)
{
    HexMapGeometry g;
    g.SetSelection(3, 5);
    g.SetRedrawPending(false);
    g.SetFirstOdd(false);
    EXPECT_EQ(g.SelCol(), 3);
    EXPECT_EQ(g.SelRow(), 5);
    EXPECT_TRUE(g.RedrawPending());
}

TEST(GeometryFirstOdd, EditorMapStartsWithTheSelectionOnColumnOne)
{
    // The form stores ColCount 14 before FirstOdd true.
    HexMapGeometry g;
    g.SetColCount(14);
    g.SetFirstOdd(true);
    EXPECT_TRUE(g.FirstOdd());
    EXPECT_EQ(g.SelCol(), 1);
    EXPECT_EQ(g.SelRow(), 0);
}

TEST(GeometryFirstOdd, SingleColumnAsksForEvenParity)
{
    HexMapGeometry g;
    g.SetRowCount(38);
    g.SetColCount(14);
    g.SetFirstOdd(true);
    g.SetSelection(0, 5);
    g.SetColCount(1);
    EXPECT_EQ(g.ColCount(), 1);
    EXPECT_FALSE(g.FirstOdd());
    EXPECT_EQ(g.SelCol(), 0);
    EXPECT_EQ(g.SelRow(), 6);

    // The same request is refused with the selection in the last row.
    HexMapGeometry h;
    h.SetRowCount(38);
    h.SetColCount(14);
    h.SetFirstOdd(true);
    h.SetSelection(0, 37);
    h.SetColCount(1);
    EXPECT_EQ(h.ColCount(), 1);
    EXPECT_TRUE(h.FirstOdd());
    EXPECT_EQ(h.SelCol(), 0);
    EXPECT_EQ(h.SelRow(), 37);
}

TEST(HexOutlineAround, CornersAroundTheCentreInOrder)
{
    // HexSize 26: quarter 6, half 13, half height 11.
    const auto pts = HexOutlineAround<plat::TPoint>(100, 50, 6, 13, 11);
    const plat::TPoint expected[] = {{87, 50}, {94, 61}, {106, 61}, {113, 50},
                                 {106, 39}, {94, 39}, {87, 50}};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(pts[i], expected[i]) << i;
}
