// The map widget with a recording owner: painting, scrolling, selection,
// keys and mouse, driven by synthetic Qt events on the offscreen platform.
#include "editor/HexMapA/HexMapA.h"
#include "support/Input.h"
#include "support/TestSupport.h"
#include "GeometryFixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <QBitmap>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

using namespace tolv;
using plat::TColor;
using tolv::test::Key;
using tolv::test::SendMouse;
using tolv::test::ShowExposed;

namespace {

std::string Pos(int a, int b)
{
    return std::to_string(a) + "," + std::to_string(b);
}

// Records every event of the widget as one line.
struct Recorder {
    std::vector<std::string> log;

    void Attach(THexMapA& m)
    {
        m.OnBeforePaint = [this](THexMapA*, plat::Canvas&) { log.push_back("before"); };
        m.OnDrawHex = [this](THexMapA*, int x, int y, plat::Canvas&, int, int, THexMapADrawState s) {
            log.push_back(std::string(s.Contains(hdsSelected) ? "hex* " : "hex ") + Pos(x, y));
        };
        m.OnDrawExtra = [this](THexMapA*, int x, int y, plat::Canvas&, int, int, THexMapADrawState) {
            log.push_back("extra " + Pos(x, y));
        };
        m.OnSelectHex = [this](THexMapA*, int x, int y) { log.push_back("select " + Pos(x, y)); };
        m.OnMoveMap = [this](THexMapA*, int x, int y) { log.push_back("move " + Pos(x, y)); };
        m.OnDblClick = [this](THexMapA*) { log.push_back("dblclick"); };
        m.OnMouseDown = [this](THexMapA*, TMouseButton b, TShiftState s, int, int) {
            log.push_back("down " + std::to_string(int(b)) + ((s & ssDouble) ? " double" : ""));
        };
    }
    int Count(const std::string& prefix) const
    {
        return int(std::count_if(log.begin(), log.end(),
                                 [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
    }
    std::vector<std::string> With(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const auto& l : log)
            if (l.rfind(prefix, 0) == 0)
                out.push_back(l);
        return out;
    }
    bool Has(const std::string& line) const
    {
        return std::find(log.begin(), log.end(), line) != log.end();
    }
};

// The cells of a range, as the walk visits them.
std::vector<std::string> CellsOf(const THexMapA& m, const CellRange& r)
{
    std::vector<std::string> out;
    m.MapGeometry().ForEachHex(r, [&](int c, int w) { out.push_back(Pos(c, w)); });
    return out;
}

TColor Px(const QImage& img, int x, int y)
{
    const QRgb p = img.pixel(x, y);
    return plat::RGB(qRed(p), qGreen(p), qBlue(p));
}

// The editor's way of filling a hexagon in a colour per cell.
void FillLikeTheEditor(THexMapA& m, plat::Canvas& c, int cx, int cy, TColor colour)
{
    const TColor keep = c.Brush.Color;
    c.Brush.Color = colour;
    const int q = m.QuarterWidth(), h = m.HalfWidth(), hh = m.HalfHeight();
    const plat::TPoint pts[] = {{cx - h, cy}, {cx - q, cy + hh}, {cx + q, cy + hh}, {cx + h, cy},
                                {cx + q, cy - hh}, {cx - q, cy - hh}, {cx - h, cy}};
    c.Polygon(pts);
    c.Brush.Color = keep;
}

class HexMapAWidget : public ::testing::Test {
protected:
    void SetUp() override
    {
        tolv::test::EnsureApplication();
        map = std::make_unique<THexMapA>();
        map->SetColor(plat::clWhite);
    }

    // The 14 x 38 field of HexSize 26 in a 395 x 473 view (smaller than the view).
    void SmallField()
    {
        map->resize(395, 473);
        map->SetHexSize(26);
        map->SetCellWidth(48);
        map->SetCellHeight(42);
        map->SetColCount(14);
        map->SetRowCount(38);
        ShowExposed(*map);
        map->RedrawAll();
    }

    // A 40 x 80 field of HexSize 26 in a 300 x 200 view, scrolled to (0, 0).
    void BigField()
    {
        map->resize(300, 200);
        map->SetHexSize(26);
        map->SetColCount(40);
        map->SetRowCount(80);
        ShowExposed(*map);
        map->ScrollTo(0, 0);
        map->RedrawAll();
    }

    QPoint ControlPointOf(int col, int row) const
    {
        const plat::TPoint p = map->CellCenter(col, row);
        return {p.X - map->ScrollX() + map->MapGeometry().OffsetX(),
                p.Y - map->ScrollY() + map->MapGeometry().OffsetY()};
    }

    std::unique_ptr<THexMapA> map;
    Recorder rec;
};

} // namespace

TEST_F(HexMapAWidget, ConstructionDefaults)
{
    EXPECT_EQ(map->width(), 300);
    EXPECT_EQ(map->height(), 150);
    EXPECT_EQ(map->ColCount(), 12);
    EXPECT_EQ(map->RowCount(), 12);
    EXPECT_EQ(map->HexSize(), 48);
    EXPECT_EQ(map->CellWidth(), 48);
    EXPECT_EQ(map->CellHeight(), 42);
    EXPECT_EQ(map->Options(), DefaultHexMapOptions);
    EXPECT_EQ(map->SelCol(), 0);
    EXPECT_EQ(map->SelRow(), 0);
    EXPECT_TRUE(map->hasMouseTracking());
    EXPECT_TRUE(map->MapGeometry().RedrawPending());
    // The bitmap is the view plus HexSize left and right and two half heights above and below.
    EXPECT_EQ(map->OffscreenImage().width(), 300 + 2 * 48 + 1);
    EXPECT_EQ(map->OffscreenImage().height(), 150 + 4 * 21 + 1);
    EXPECT_EQ(THexMapA().Color(), plat::clWindow);
}

TEST_F(HexMapAWidget, PendingRedrawPaintsEveryVisibleCellOnceSelectedLast)
{
    SmallField();
    map->SelectHex(3, 5);
    rec.Attach(*map);
    map->SetGridColor(plat::clBlack);   // marks a full redraw
    ASSERT_TRUE(map->MapGeometry().RedrawPending());

    map->repaint();   // the window system's paint
    EXPECT_EQ(rec.Count("before"), 2);
    std::vector<std::string> cells = CellsOf(*map, map->VisibleRange());
    const std::vector<std::string> hexes = rec.With("hex");
    ASSERT_EQ(hexes.size(), cells.size());
    EXPECT_EQ(hexes.back(), "hex* 3,5");
    std::vector<std::string> drawn;
    for (const auto& h : hexes)
        drawn.push_back(h.substr(h.find(' ') + 1));
    std::sort(drawn.begin(), drawn.end());
    std::sort(cells.begin(), cells.end());
    EXPECT_EQ(drawn, cells);
    // The extras walk covers the whole draw range, beyond the grid too.
    EXPECT_EQ(rec.Count("extra"), int(CellsOf(*map, map->DrawRange()).size()));
    EXPECT_TRUE(rec.Has("extra -1,-1"));
    EXPECT_TRUE(rec.Has("extra 14,38"));
    EXPECT_FALSE(map->MapGeometry().RedrawPending());

    // Nothing pending: a paint asks the owner for nothing.
    rec.log.clear();
    map->repaint();
    EXPECT_EQ(rec.log, std::vector<std::string>{"before"});

    // A code-called paint with a pending redraw behaves the same way.
    map->SetSelectColor(plat::clBlue);
    rec.log.clear();
    map->Paint();
    EXPECT_EQ(rec.Count("before"), 2);
    EXPECT_EQ(rec.Count("hex"), int(cells.size()));
}

TEST_F(HexMapAWidget, PaintEventShowsTheOffscreenPicture)
{
    SmallField();
    map->OnDrawHex = [](THexMapA* m, int c, int r, plat::Canvas& cv, int x, int y, THexMapADrawState) {
        FillLikeTheEditor(*m, cv, x, y, (c + r) % 4 == 0 ? plat::clGreen : plat::clOlive);
    };
    map->RedrawAll();
    const QImage shot = map->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage expected = map->OffscreenImage()
                                .copy(map->HexSize(), 2 * map->HalfHeight(), map->width(), map->height())
                                .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), expected.size());
    EXPECT_TRUE(shot == expected);
    // The map is centred: its margin shows the background.
    EXPECT_EQ(Px(shot, 10, 200), plat::clWhite);
    const QPoint p = ControlPointOf(4, 4);
    EXPECT_EQ(Px(shot, p.x(), p.y()), plat::clGreen);
}

TEST_F(HexMapAWidget, OutlinesFollowGridAndSelectionOptions)
{
    SmallField();
    map->SetGridColor(plat::clBlue);
    map->SetSelectColor(plat::clRed);
    map->SelectHex(2, 2);
    // Left corner of a cell's outline, on the bitmap.
    auto corner = [this](int c, int r) {
        const plat::TPoint p = map->CellCenterOnBitmap(c, r);
        return Px(map->OffscreenImage(), p.X - map->HalfWidth(), p.Y);
    };
    struct Case {
        const char* name;
        THexMapAOptions options;
        TColor plain, selected;
    };
    const Case cases[] = {
        {"grid and selection", {hmGrid, hmShowSelection}, plat::clBlue, plat::clRed},
        {"grid only", {hmGrid}, plat::clBlue, plat::clBlue},
        {"selection only", {hmShowSelection}, plat::clWhite, plat::clRed},
        {"neither", {}, plat::clWhite, plat::clWhite},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        map->SetOptions(k.options);
        map->RedrawAll();
        EXPECT_EQ(corner(6, 6), k.plain);
        EXPECT_EQ(corner(2, 2), k.selected);
    }
}

TEST_F(HexMapAWidget, WithoutGridEachCellFirstErasesItsOldOutline)
{
    SmallField();
    map->SetOptions({});
    map->RedrawAll();
    const plat::TPoint p = map->CellCenterOnBitmap(5, 5);
    plat::Canvas& c = map->OffscreenCanvas();
    c.Pen.Color = plat::clBlack;
    map->DrawHexOutline(c, p.X, p.Y);
    ASSERT_EQ(Px(map->OffscreenImage(), p.X + map->HalfWidth(), p.Y), plat::clBlack);

    map->SetColor(plat::clYellow);
    TColor penSeen = 0;
    map->OnDrawHex = [&](THexMapA*, int, int, plat::Canvas& cv, int, int, THexMapADrawState) {
        penSeen = cv.Pen.Color;
    };
    map->RedrawHex(5, 5);
    EXPECT_EQ(penSeen, plat::clYellow);
    EXPECT_EQ(Px(map->OffscreenImage(), p.X + map->HalfWidth(), p.Y), plat::clYellow);
}

TEST_F(HexMapAWidget, OwnerStartsWithThePenOfTheLastOutline)
{
    SmallField();
    map->SetGridColor(plat::clNavy);
    std::vector<TColor> pens;
    map->OnDrawHex = [&](THexMapA*, int, int, plat::Canvas& cv, int, int, THexMapADrawState) {
        pens.push_back(cv.Pen.Color);
        cv.Pen.Width = 1;
    };
    map->RedrawAll();
    ASSERT_GT(pens.size(), 2u);
    EXPECT_EQ(pens[1], plat::clNavy);
    EXPECT_EQ(pens.back(), plat::clNavy);
}

TEST_F(HexMapAWidget, SmallMapStaysAtTheOriginAndStillReportsMoves)
{
    SmallField();
    rec.Attach(*map);
    Key(map.get(), Qt::Key_Right);
    Key(map.get(), Qt::Key_Down);
    SendMouse(map.get(), QEvent::MouseButtonPress, {100, 100}, Qt::RightButton, Qt::RightButton);
    SendMouse(map.get(), QEvent::MouseMove, {60, 40}, Qt::NoButton, Qt::RightButton);
    SendMouse(map.get(), QEvent::MouseButtonRelease, {60, 40}, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(map->ScrollX(), 0);
    EXPECT_EQ(map->ScrollY(), 0);
    EXPECT_EQ(rec.With("move"), (std::vector<std::string>{"move 0,0", "move 0,0", "move 0,0"}));
}

TEST_F(HexMapAWidget, LeftClickSelectsOnlyCellsOfTheGrid)
{
    SmallField();
    map->SelectHex(1, 1);
    rec.Attach(*map);
    const plat::TPoint last = map->CellCenter(13, 1);
    const QPoint beyond(last.X + map->MapGeometry().OffsetX() + map->ColPitch(), ControlPointOf(13, 1).y());
    const QPoint misses[] = {{5, 5}, {map->MapGeometry().OffsetX() + 3, 200}, beyond};
    for (const QPoint& p : misses) {
        SendMouse(map.get(), QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
        SendMouse(map.get(), QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    }
    EXPECT_EQ(map->SelCol(), 1);
    EXPECT_EQ(map->SelRow(), 1);
    EXPECT_EQ(rec.Count("select"), 0);
    EXPECT_EQ(rec.Count("hex"), 0);

    rec.log.clear();
    const QPoint p = ControlPointOf(4, 6);
    SendMouse(map.get(), QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(map->SelCol(), 4);
    EXPECT_EQ(map->SelRow(), 6);
    // The old cell is redrawn plain, the new one as selected, then the event.
    const auto hexes = rec.With("hex");
    EXPECT_EQ(hexes, (std::vector<std::string>{"hex 1,1", "hex* 4,6"}));
    EXPECT_EQ(rec.log.back(), "select 4,6");
}

TEST_F(HexMapAWidget, SecondPressOfADoubleClickDoesNotSelect)
{
    BigField();
    map->ScrollTo(200, 300);
    rec.Attach(*map);
    const QPoint first = ControlPointOf(map->VisibleRange().FirstCol + 3,
                                        map->VisibleRange().FirstRow + 3 + (map->FirstOdd() ? 1 : 0));
    const plat::TPoint firstCell = map->HexAtPoint(first.x(), first.y());
    SendMouse(map.get(), QEvent::MouseButtonPress, first, Qt::LeftButton, Qt::LeftButton);
    SendMouse(map.get(), QEvent::MouseButtonRelease, first, Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(map->SelCol(), firstCell.X);
    ASSERT_EQ(map->SelRow(), firstCell.Y);

    // Qt delivers the double click in place of the second press; here it
    // lands on another cell, which must not be selected.
    const QPoint other = first + QPoint(map->ColPitch() * 2, 0);
    rec.log.clear();
    SendMouse(map.get(), QEvent::MouseButtonDblClick, other, Qt::LeftButton, Qt::LeftButton);
    SendMouse(map.get(), QEvent::MouseButtonRelease, other, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(map->SelCol(), firstCell.X);
    EXPECT_EQ(map->SelRow(), firstCell.Y);
    EXPECT_EQ(rec.Count("select"), 0);
    // Double click first, then the press, which carries the double flag.
    ASSERT_GE(rec.log.size(), 2u);
    EXPECT_EQ(rec.log.front(), "dblclick");
    EXPECT_TRUE(rec.Has("down 0 double"));
    // Centred on the cell the first press selected.
    const plat::TPoint c = map->CellCenter(firstCell.X, firstCell.Y);
    EXPECT_EQ(map->ScrollX(), c.X - map->width() / 2);
    EXPECT_EQ(map->ScrollY(), c.Y - map->height() / 2);

    // The next ordinary press selects again.
    const QPoint again = ControlPointOf(firstCell.X + 2, firstCell.Y);
    SendMouse(map.get(), QEvent::MouseButtonPress, again, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(map->SelCol(), firstCell.X + 2);
}

TEST_F(HexMapAWidget, DoubleClickWithoutCentringOptionLeavesTheView)
{
    BigField();
    map->SetOptions({hmGrid, hmShowSelection});
    map->ScrollTo(100, 100);
    SendMouse(map.get(), QEvent::MouseButtonPress, {150, 100}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(map.get(), QEvent::MouseButtonRelease, {150, 100}, Qt::LeftButton, Qt::NoButton);
    SendMouse(map.get(), QEvent::MouseButtonDblClick, {150, 100}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(map->ScrollX(), 100);
    EXPECT_EQ(map->ScrollY(), 100);
}

TEST_F(HexMapAWidget, RightDragScrollsWithTheHandCursor)
{
    BigField();
    map->ScrollTo(100, 100);
    rec.Attach(*map);
    const Qt::CursorShape normal = map->cursor().shape();
    SendMouse(map.get(), QEvent::MouseButtonPress, {150, 100}, Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(map->cursor().shape(), Qt::BitmapCursor);
    // Dragging to the left and up moves the view right and down.
    SendMouse(map.get(), QEvent::MouseMove, {140, 95}, Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(map->ScrollX(), 110);
    EXPECT_EQ(map->ScrollY(), 105);
    SendMouse(map.get(), QEvent::MouseMove, {145, 105}, Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(map->ScrollX(), 105);
    EXPECT_EQ(map->ScrollY(), 95);
    EXPECT_EQ(map->cursor().shape(), Qt::BitmapCursor);
    SendMouse(map.get(), QEvent::MouseButtonRelease, {145, 105}, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(map->cursor().shape(), normal);
    EXPECT_EQ(rec.With("move"), (std::vector<std::string>{"move 110,105", "move 105,95"}));

    // A move without the right button also ends the hand.
    SendMouse(map.get(), QEvent::MouseButtonPress, {150, 100}, Qt::RightButton, Qt::RightButton);
    SendMouse(map.get(), QEvent::MouseMove, {150, 101}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(map->cursor().shape(), normal);

    // Without the option a right drag does nothing.
    map->SetOptions({hmGrid});
    SendMouse(map.get(), QEvent::MouseButtonPress, {150, 100}, Qt::RightButton, Qt::RightButton);
    SendMouse(map.get(), QEvent::MouseMove, {100, 50}, Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(map->ScrollX(), 105);
    EXPECT_EQ(map->cursor().shape(), normal);
}

TEST_F(HexMapAWidget, RightPressCentresEvenOutsideTheGrid)
{
    BigField();
    map->SetOptions({hmGrid, hmRightBtnCenter});
    map->ScrollTo(0, 0);
    // Into the top-left margin: the computed cell is outside the grid.
    SendMouse(map.get(), QEvent::MouseButtonPress, {2, 2}, Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(map->ScrollX(), 0);
    EXPECT_EQ(map->ScrollY(), 0);
    // At the far corner the centring is clamped to the map.
    map->ScrollTo(INT_MAX, INT_MAX);
    const int maxX = map->ScrollX(), maxY = map->ScrollY();
    EXPECT_EQ(maxX, map->MapWidth() - map->width());
    EXPECT_EQ(maxY, map->MapHeight() - map->height());
    map->ScrollTo(maxX - 50, maxY - 50);
    SendMouse(map.get(), QEvent::MouseButtonPress, {map->width() - 2, map->height() - 2},
              Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(map->ScrollX(), maxX);
    EXPECT_EQ(map->ScrollY(), maxY);
    // A press in the middle centres on the cell there.
    map->ScrollTo(200, 200);
    const QPoint p(80, 60);
    const plat::TPoint cell = map->HexAtPoint(p.x(), p.y());
    SendMouse(map.get(), QEvent::MouseButtonPress, p, Qt::RightButton, Qt::RightButton);
    const plat::TPoint c = map->CellCenter(cell.X, cell.Y);
    EXPECT_EQ(map->ScrollX(), c.X - map->width() / 2);
    EXPECT_EQ(map->ScrollY(), c.Y - map->height() / 2);
}

TEST_F(HexMapAWidget, KeysScrollByTenAndHomeCentresOnTheSelection)
{
    BigField();
    map->ScrollTo(15, 25);
    Key(map.get(), Qt::Key_Right);
    EXPECT_EQ(map->ScrollX(), 25);
    Key(map.get(), Qt::Key_Down);
    EXPECT_EQ(map->ScrollY(), 35);
    Key(map.get(), Qt::Key_Left);
    Key(map.get(), Qt::Key_Left);
    Key(map.get(), Qt::Key_Left);
    EXPECT_EQ(map->ScrollX(), 0);   // stops at the edge
    Key(map.get(), Qt::Key_Up);
    EXPECT_EQ(map->ScrollY(), 25);

    map->ScrollTo(map->MapWidth(), map->MapHeight());
    const int maxX = map->ScrollX();
    Key(map.get(), Qt::Key_Right);
    EXPECT_EQ(map->ScrollX(), maxX);

    map->SelectHex(20, 40);
    Key(map.get(), Qt::Key_Home);
    const plat::TPoint c = map->CellCenter(20, 40);
    EXPECT_EQ(map->ScrollX(), c.X - map->width() / 2);
    EXPECT_EQ(map->ScrollY(), c.Y - map->height() / 2);

    // The owner's key handler runs first and may change the key.
    std::vector<int> seen;
    map->OnKeyDown = [&](THexMapA*, int& key, TShiftState) {
        seen.push_back(key);
        if (key == VK_RIGHT)
            key = 0;
    };
    const int x = map->ScrollX();
    Key(map.get(), Qt::Key_Right);
    Key(map.get(), Qt::Key_A);
    EXPECT_EQ(map->ScrollX(), x);
    EXPECT_EQ(seen, (std::vector<int>{VK_RIGHT, 'A'}));
}

TEST_F(HexMapAWidget, FirstOddMovesTheSelectionOrIsRefused)
{
    for (const test::FirstOddCase& k : test::FirstOddCases) {
        SCOPED_TRACE(k.name);
        THexMapA m;
        m.SetRowCount(k.rows);
        m.SetColCount(k.cols);
        m.SelectHex(k.selCol, k.selRow);
        m.RedrawAll();
        ASSERT_FALSE(m.MapGeometry().RedrawPending());
        m.SetFirstOdd(true);
        EXPECT_EQ(m.FirstOdd(), k.accepted);
        EXPECT_EQ(m.SelCol(), k.newCol);
        EXPECT_EQ(m.SelRow(), k.newRow);
        EXPECT_GE(m.SelRow(), 0);
        EXPECT_TRUE(m.MapGeometry().RedrawPending());   // in every case
    }
}

TEST_F(HexMapAWidget, OneColumnAsksForEvenParity)
{
    map->SetRowCount(10);
    map->SetFirstOdd(true);
    map->SelectHex(0, 9);
    map->SetColCount(1);
    EXPECT_TRUE(map->FirstOdd());   // refused at (0, RowCount - 1)
    map->SelectHex(0, 3);
    map->SetColCount(1);
    EXPECT_FALSE(map->FirstOdd());
    EXPECT_EQ(map->SelRow(), 4);
}

TEST_F(HexMapAWidget, EditorOrderStartsTheSelectionOnColumnOne)
{
    map->SetColCount(14);
    map->SetFirstOdd(true);
    EXPECT_EQ(map->SelCol(), 1);
    EXPECT_EQ(map->SelRow(), 0);
}

TEST_F(HexMapAWidget, ResizeRedrawsEverythingAtTheNextPaint)
{
    BigField();
    map->ScrollTo(400, INT_MAX);
    ASSERT_EQ(map->ScrollY(), map->MapHeight() - 200);
    rec.Attach(*map);
    map->resize(500, 400);
    // The size message draws into the bitmap but never paints.
    EXPECT_EQ(rec.Count("before"), 0);
    EXPECT_TRUE(map->MapGeometry().RedrawPending());
    EXPECT_EQ(map->OffscreenImage().width(), 500 + 2 * 26 + 1);
    EXPECT_EQ(map->OffscreenImage().height(), 400 + 4 * 11 + 1);
    // Re-clamped: the larger view cannot scroll as far.
    EXPECT_EQ(map->ScrollY(), map->MapHeight() - 400);
    rec.log.clear();
    map->repaint();
    EXPECT_EQ(rec.Count("before"), 2);
    EXPECT_EQ(rec.Count("hex"), int(CellsOf(*map, map->VisibleRange()).size()));
}

TEST_F(HexMapAWidget, ShrunkBoardNeverDrawsTheSelectionBeyondItsEdge)
{
    BigField();
    map->SelectHex(8, 10);
    map->SetColCount(5);
    map->SetRowCount(6);
    map->RedrawAll();
    ASSERT_EQ(map->SelCol(), 8);   // shrinking leaves the selection where it was
    rec.Attach(*map);
    const plat::TPoint beyond = map->CellCenterOnBitmap(8, 10);
    const TColor before = Px(map->OffscreenImage(), beyond.X, beyond.Y);

    map->RedrawHex(8, 10);
    EXPECT_EQ(rec.Count("hex"), 0);
    // Selecting another cell redraws only the new one.
    map->SelectHex(2, 2);
    EXPECT_EQ(rec.With("hex"), std::vector<std::string>{"hex* 2,2"});
    EXPECT_EQ(Px(map->OffscreenImage(), beyond.X, beyond.Y), before);
    // The extras around a cell stay inside the grid.
    for (const auto& l : rec.With("extra")) {
        const int c = std::stoi(l.substr(6));
        const int r = std::stoi(l.substr(l.find(',') + 1));
        EXPECT_TRUE(c >= 0 && c < 5 && r >= 0 && r < 6) << l;
    }
}

TEST_F(HexMapAWidget, RedrawHexDrawsOneCellAndTheExtrasAroundIt)
{
    BigField();
    map->ScrollTo(200, 200);
    rec.Attach(*map);
    const CellRange v = map->VisibleRange();
    const int c = v.FirstCol + 4, r = v.FirstRow + 4 + ((v.FirstCol + v.FirstRow + (map->FirstOdd() ? 1 : 0)) & 1);
    ASSERT_TRUE(map->MapGeometry().IsCell(c, r));
    map->RedrawHex(c, r);
    EXPECT_EQ(rec.With("hex"), std::vector<std::string>{"hex " + Pos(c, r)});
    std::vector<std::string> around;
    ForEachCell(c - map->ExtraCols(), r - map->ExtraRows(), c + map->ExtraCols(), r + map->ExtraRows(),
                map->FirstOdd(), [&](int x, int y) { around.push_back("extra " + Pos(x, y)); });
    EXPECT_EQ(rec.With("extra"), around);
    EXPECT_EQ(rec.Count("before"), 1);

    // Far outside the draw range nothing is drawn, but it still paints.
    rec.log.clear();
    map->RedrawHex(39, 79);
    EXPECT_EQ(rec.log, std::vector<std::string>{"before"});
}

TEST_F(HexMapAWidget, ScrollingDrawsOnlyNewCellsAndMatchesAFullRedraw)
{
    BigField();
    auto paintCell = [](THexMapA* m, int c, int r, plat::Canvas& cv, int x, int y, THexMapADrawState) {
        FillLikeTheEditor(*m, cv, x, y, plat::RGB((c * 37) & 255, (r * 23) & 255, 128));
    };
    auto coords = [](THexMapA* m, int c, int r, plat::Canvas& cv, int x, int y, THexMapADrawState) {
        if (c < 0 || c >= m->ColCount() || r < 0 || r >= m->RowCount())
            return;
        const plat::TBkMode old = cv.SetBkMode(plat::TRANSPARENT);
        cv.TextOut(x, y, Pos(c, r));
        cv.SetBkMode(old);
    };
    map->OnDrawHex = paintCell;
    map->OnDrawExtra = coords;
    map->SelectHex(6, 6);
    map->ScrollTo(100, 100);
    map->RedrawAll();

    struct Step {
        const char* name;
        int key;
    };
    const Step steps[] = {{"right", Qt::Key_Right}, {"down", Qt::Key_Down}, {"left", Qt::Key_Left},
                          {"up", Qt::Key_Up}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        const CellRange oldVisible = map->VisibleRange();
        int drawn = 0;
        bool onlyNew = true;
        map->OnDrawHex = [&](THexMapA* m, int c, int r, plat::Canvas& cv, int x, int y, THexMapADrawState st) {
            ++drawn;
            const bool wasVisible = c >= oldVisible.FirstCol && c <= oldVisible.LastCol && r >= oldVisible.FirstRow &&
                                    r <= oldVisible.LastRow;
            if (wasVisible && !(c == m->SelCol() && r == m->SelRow()))
                onlyNew = false;
            paintCell(m, c, r, cv, x, y, st);
        };
        Key(map.get(), s.key);
        EXPECT_TRUE(onlyNew);
        EXPECT_LT(drawn, 30);
        const QRect view(map->HexSize(), 2 * map->HalfHeight(), map->width(), map->height());
        const QImage scrolled = map->OffscreenImage().copy(view);
        map->RedrawAll();
        const QImage full = map->OffscreenImage().copy(view);
        EXPECT_TRUE(scrolled == full);
    }
}

TEST_F(HexMapAWidget, InputConversions)
{
    EXPECT_EQ(ShiftStateOf(Qt::LeftButton, Qt::NoModifier), TShiftState(ssLeft));
    EXPECT_EQ(ShiftStateOf(Qt::LeftButton | Qt::RightButton, Qt::ControlModifier | Qt::ShiftModifier),
              TShiftState(ssLeft | ssRight | ssCtrl | ssShift));
    EXPECT_EQ(ShiftStateOf(Qt::MiddleButton, Qt::AltModifier), TShiftState(ssMiddle | ssAlt));
    EXPECT_EQ(MouseButtonOf(Qt::RightButton), mbRight);
    EXPECT_EQ(MouseButtonOf(Qt::MiddleButton), mbMiddle);
    struct K {
        int qt, vk;
    };
    const K keys[] = {{Qt::Key_Home, 0x24}, {Qt::Key_Left, 0x25}, {Qt::Key_Up, 0x26}, {Qt::Key_Right, 0x27},
                      {Qt::Key_Down, 0x28}, {Qt::Key_Delete, 46}, {Qt::Key_A, 'A'}, {Qt::Key_7, '7'},
                      {Qt::Key_F5, 0x74}, {Qt::Key_Adiaeresis, 0}};
    for (const K& k : keys)
        EXPECT_EQ(VirtualKeyOf(k.qt), k.vk) << k.qt;
}

TEST_F(HexMapAWidget, HandCursorIsOurs)
{
    const QCursor& hand = THexMapA::HandCursor();
    EXPECT_EQ(hand.shape(), Qt::BitmapCursor);
    EXPECT_EQ(hand.hotSpot(), QPoint(11, 9));
    const QBitmap bits = hand.bitmap();
    const QBitmap mask = hand.mask();
    EXPECT_EQ(bits.size(), QSize(32, 32));
    const QImage m = mask.toImage();
    int opaque = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            opaque += m.pixelIndex(x, y) != 0;
    EXPECT_GT(opaque, 150);
    EXPECT_LT(opaque, 500);
}
