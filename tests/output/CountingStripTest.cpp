#include "output/CountingStrip.h"

#include "editor/board/BoardState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace tolv {
namespace {

// Default print parameters: w = 403 (q 100, h 201, p 301), r = 174.
const OutputHex DefaultHex = MakeOutputHex(403, 402);

CountingStripLayout Strip(int cols, int rows, bool numbers = true, const OutputHex& hex = DefaultHex)
{
    const std::optional<CountingStripLayout> s = MakeCountingStrip(hex, cols, rows, numbers);
    EXPECT_TRUE(s);
    return s.value_or(CountingStripLayout{});
}

const StripPiece* Find(const CountingStripLayout& s, StripSide side, int k)
{
    for (const StripPiece& p : s.Pieces)
        if (p.Side == side && p.Section == k)
            return &p;
    return nullptr;
}

std::vector<const StripPiece*> Fillers(const CountingStripLayout& s, StripSide side)
{
    std::vector<const StripPiece*> out;
    for (const StripPiece& p : s.Pieces)
        if (p.Side == side && p.Section < 0)
            out.push_back(&p);
    return out;
}

TEST(CountingStrip, ThirteenByThirtySevenAtTheDefaultSizes)
{
    const CountingStripLayout s = Strip(13, 37);
    EXPECT_EQ(s.Width, 4461);
    EXPECT_EQ(s.Height, 7060);
    EXPECT_EQ(s.Across, 19);
    EXPECT_EQ(s.Down, 31);
    EXPECT_EQ(s.RestX, 205);
    EXPECT_EQ(s.RestY, 116);
    EXPECT_NEAR(s.GapX(), 11.39, 0.005);
    EXPECT_NEAR(s.GapY(), 3.87, 0.005);
    EXPECT_EQ(s.SectionCount(), 96);

    // Every number 0..95 once, sides in drawing order.
    std::vector<int> numbers;
    for (const StripPiece& p : s.Pieces)
        if (p.Section >= 0)
            numbers.push_back(p.Number);
    ASSERT_EQ(numbers.size(), 96u);
    std::sort(numbers.begin(), numbers.end());
    for (int n = 0; n < 96; ++n)
        EXPECT_EQ(numbers[std::size_t(n)], n);
    const StripSide order[] = {StripSide::Top, StripSide::Bottom, StripSide::Left, StripSide::Right};
    auto rank = [&](StripSide side) { return std::find(std::begin(order), std::end(order), side) - order; };
    EXPECT_TRUE(std::is_sorted(s.Pieces.begin(), s.Pieces.end(),
                               [&](const StripPiece& a, const StripPiece& b) { return rank(a.Side) < rank(b.Side); }));
}

TEST(CountingStrip, SectionsCornersAndSideEnds)
{
    const CountingStripLayout s = Strip(13, 37);
    struct Row {
        StripSide side;
        int k, number;
        plat::TRect dest, source;
        std::optional<StripNumber> label;
    };
    const Row rows[] = {
        // Top: the corner D - 1, each section 2 + Floor(gx) longer but the last.
        {StripSide::Top, 0, 30, {0, 0, 237, 224}, {65, 65, 302, 289}, StripNumber{56, 168, "30"}},
        {StripSide::Top, 1, 31, {235, 0, 472, 224}, {65, 65, 302, 289}, std::nullopt},
        {StripSide::Top, 5, 35, {1176, 0, 1413, 224}, {65, 65, 302, 289}, StripNumber{1232, 168, "35"}},
        {StripSide::Top, 18, 48, {4237, 0, 4461, 224}, {65, 65, 289, 289}, std::nullopt},
        // Bottom: the corner 0 always, then back from T - 1.
        {StripSide::Bottom, 0, 0, {0, 6836, 237, 7060}, {65, 65, 302, 289}, StripNumber{56, 7004, " 0"}},
        {StripSide::Bottom, 1, 95, {235, 6836, 472, 7060}, {65, 65, 302, 289}, StripNumber{291, 7004, "95"}},
        {StripSide::Bottom, 18, 78, {4237, 6836, 4461, 7060}, {65, 65, 289, 289}, std::nullopt},
        // Left: up from 1 at the bottom; sections Floor(gy) + 2 longer.
        {StripSide::Left, 1, 29, {0, 224, 224, 453}, {65, 65, 289, 294}, std::nullopt},
        {StripSide::Left, 25, 5, {0, 5693, 224, 5922}, {65, 65, 289, 294}, StripNumber{56, 5861, " 5"}},
        {StripSide::Left, 29, 1, {0, 6605, 224, 6834}, {65, 65, 289, 294}, std::nullopt},
        // Right: at the last top section's x, down from D + S - 1.
        {StripSide::Right, 1, 49, {4237, 224, 4461, 453}, {65, 65, 289, 294}, std::nullopt},
        {StripSide::Right, 2, 50, {4237, 452, 4461, 681}, {65, 65, 289, 294}, StripNumber{4293, 620, "50"}},
        {StripSide::Right, 29, 77, {4237, 6605, 4461, 6834}, {65, 65, 289, 294}, std::nullopt},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << int(r.side) << " k " << r.k);
        const StripPiece* p = Find(s, r.side, r.k);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Number, r.number);
        EXPECT_EQ(p->Dest, r.dest);
        EXPECT_EQ(p->Source, r.source);
        EXPECT_EQ(p->Label, r.label);
    }
    // The fillers close the left and right strips against the corners:
    // Floor(gy + 1) rows from the picture's bottom-left corner.
    for (StripSide side : {StripSide::Left, StripSide::Right}) {
        const int x = side == StripSide::Left ? 0 : 4237;
        const auto fillers = Fillers(s, side);
        ASSERT_EQ(fillers.size(), 2u);
        EXPECT_EQ(fillers[0]->Dest, (plat::TRect{x, 224, x + 224, 228}));
        EXPECT_EQ(fillers[1]->Dest, (plat::TRect{x, 6832, x + 224, 6836}));   // down to the bottom strip
        for (const StripPiece* f : fillers) {
            EXPECT_EQ(f->Source, (plat::TRect{0, 0, 224, 4}));
            EXPECT_FALSE(f->Label);
        }
    }
}

TEST(CountingStrip, NumbersOnlyWhenSwitchedOnAndThreeDigitsMoveDownButNotOnTheLeft)
{
    for (const StripPiece& p : Strip(13, 37, false).Pieces)
        EXPECT_FALSE(p.Label) << p.Number;

    // r = 277: D = 102, so the left side counts up to 100.
    const CountingStripLayout s = Strip(40, 80, true, MakeOutputHex(403, 640));
    ASSERT_EQ(s.Down, 102);
    ASSERT_EQ(s.Across, 56);
    struct Row {
        StripSide side;
        int k, number, shift;
    };
    const Row rows[] = {
        {StripSide::Left, 1, 100, 0},
        {StripSide::Left, 96, 5, 0},
        {StripSide::Top, 4, 105, 37},
        {StripSide::Right, 1, 157, 0},   // not a fifth: no label
        {StripSide::Right, 4, 160, 37},
        {StripSide::Bottom, 2, 310, 37},
        {StripSide::Bottom, 0, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << int(r.side) << " k " << r.k);
        const StripPiece* p = Find(s, r.side, r.k);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Number, r.number);
        if (r.number % 5 != 0) {
            EXPECT_FALSE(p->Label);
            continue;
        }
        ASSERT_TRUE(p->Label);
        EXPECT_EQ(p->Label->X, p->Dest.Left + 56);
        EXPECT_EQ(p->Label->Y, p->Dest.Top + 168 + r.shift);
    }
}

TEST(CountingStrip, Texts)
{
    EXPECT_EQ(StripNumberText(0), " 0");
    EXPECT_EQ(StripNumberText(5), " 5");
    EXPECT_EQ(StripNumberText(10), "10");
    EXPECT_EQ(StripNumberText(105), "105");
    EXPECT_EQ(StripCellLabel(-1, -1), "   -1,-1");
    EXPECT_EQ(StripCellLabel(-2, 37), "  -2,37");
    EXPECT_EQ(StripCellLabel(13, 4), "  13,4");
    EXPECT_EQ(StripCellLabel(14, 37), " 14,37");
}

TEST(CountingStrip, TooFewSectionsOnASideIsRefused)
{
    // w = 59 (q 14, p 43), r = 26.
    const OutputHex small = MakeOutputHex(59, 60);
    struct Row {
        int cols, rows;
        bool fits;
    };
    const Row rows[] = {
        {1, 20, false},   // Ws = 505: two sections across
        {5, 20, true},    // Ws = 677
        {20, 7, false},   // Hs = 656: two down
        {20, 8, true},    // Hs = 682
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.cols << " x " << r.rows);
        const auto s = MakeCountingStrip(small, r.cols, r.rows, true);
        EXPECT_EQ(s.has_value(), r.fits);
        if (s) {
            EXPECT_GE(s->Across, 3);
            EXPECT_GE(s->Down, 3);
        }
    }
}

TEST(CountingStrip, TheGridCoversTheFrame)
{
    const MapShape map{13, 37, false};
    const std::optional<TileGrid> g = PdfStripTileGrid(DefaultPrintParams(), map);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->Board.Width, 4461);
    EXPECT_EQ(g->Board.Height, 7060);
    EXPECT_EQ(g->TileWidth, 2268);
    EXPECT_EQ(g->TileHeight, 3295);
    EXPECT_EQ(g->TilesAcross, 2);   // Ceil((4461 - 94) / 2268)
    EXPECT_EQ(g->TilesDown, 3);     // Ceil((7060 - 94) / 3295)

    PrintParamArray tight = DefaultPrintParams();
    tight[ppOverlap] = 2500;
    EXPECT_FALSE(PdfStripTileGrid(tight, map));
}

TEST(CountingStrip, WhiteFillsPerTile)
{
    const CountingStripLayout s = Strip(13, 37);
    const TileGrid g = *PdfStripTileGrid(DefaultPrintParams(), MapShape{13, 37, false});
    // Bitmap 2362 x 3389; tiles at x 0 / 2268, y 0 / 3295 / 6590. The board
    // ends at y 6836 and x 12 p + 2 h + 224 = 4238.
    struct Row {
        int page;
        std::vector<plat::TRect> fills;
    };
    const Row rows[] = {
        {1, {{0, 0, 2362, 214}, {0, 0, 214, 3389}}},
        {2, {{0, 0, 2362, 214}, {1980, 0, 2362, 3389}}},
        {3, {{0, 0, 214, 3389}}},
        {4, {{1980, 0, 2362, 3389}}},
        {5, {{0, 256, 2362, 3389}, {0, 0, 214, 3389}}},
        {6, {{0, 256, 2362, 3389}, {1980, 0, 2362, 3389}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.page);
        EXPECT_EQ(StripFillsOnTile(s, g, r.page), r.fills);
    }
}

TEST(CountingStrip, PiecesMoveOntoTheTilesTheyReach)
{
    const CountingStripLayout s = Strip(13, 37);
    const TileGrid g = *PdfStripTileGrid(DefaultPrintParams(), MapShape{13, 37, false});
    auto count = [](const std::vector<StripPiece>& pieces, StripSide side) {
        return std::count_if(pieces.begin(), pieces.end(), [&](const StripPiece& p) { return p.Side == side; });
    };
    // Page 1: the top from x 0 to 2362 (sections 0..10), the left down to
    // y 3389 (upper filler and sections 1..14).
    const auto p1 = StripPiecesOnTile(s, g, 1);
    EXPECT_EQ(count(p1, StripSide::Top), 11);
    EXPECT_EQ(count(p1, StripSide::Left), 15);
    EXPECT_EQ(count(p1, StripSide::Bottom) + count(p1, StripSide::Right), 0);
    // Page 6, the bottom-right tile: moved by (2268, 6590).
    const auto p6 = StripPiecesOnTile(s, g, 6);
    EXPECT_EQ(count(p6, StripSide::Top) + count(p6, StripSide::Left), 0);
    const auto corner = std::find_if(p6.begin(), p6.end(), [](const StripPiece& p) {
        return p.Side == StripSide::Bottom && p.Section == 18;
    });
    ASSERT_NE(corner, p6.end());
    EXPECT_EQ(corner->Dest, (plat::TRect{4237 - 2268, 6836 - 6590, 4461 - 2268, 7060 - 6590}));
    const auto eighty = std::find_if(p6.begin(), p6.end(), [](const StripPiece& p) { return p.Number == 80; });
    ASSERT_NE(eighty, p6.end());
    ASSERT_TRUE(eighty->Label);
    EXPECT_EQ(eighty->Label->X, 3766 - 2268 + 56);
    EXPECT_EQ(eighty->Label->Y, 246 + 168);
}

TEST(CountingStrip, SourcesAreCutToASmallPicture)
{
    const CountingStripLayout s = Strip(13, 37);
    struct Row {
        StripSide side;
        int k;
        int width, height;
        plat::TRect dest, source;
    };
    const Row rows[] = {
        // Large enough: unchanged.
        {StripSide::Top, 0, 302, 289, {0, 0, 237, 224}, {65, 65, 302, 289}},
        // Columns go from the right; rows from the destination's top,
        // since the picture counts from its bottom.
        {StripSide::Top, 0, 150, 120, {0, 169, 85, 224}, {65, 65, 150, 120}},
        {StripSide::Left, 1, 150, 120, {0, 398, 85, 453}, {65, 65, 150, 120}},
        // Nothing of the picture reaches the source: nothing is drawn.
        {StripSide::Left, 1, 60, 400, {0, 224, 0, 224}, {65, 65, 60, 294}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << int(r.side) << " " << r.width << " x " << r.height);
        const StripPiece cut = ClipToPicture(*Find(s, r.side, r.k), r.width, r.height);
        EXPECT_EQ(cut.Dest, r.dest);
        if (cut.Dest.Width() > 0) {
            EXPECT_EQ(cut.Source, r.source);
            EXPECT_EQ(cut.Source.Width(), cut.Dest.Width());
            EXPECT_EQ(cut.Source.Height(), cut.Dest.Height());
        }
    }
    // The filler, from the picture's corner: cut on the right only.
    const StripPiece filler = ClipToPicture(*Fillers(s, StripSide::Left)[0], 150, 120);
    EXPECT_EQ(filler.Dest, (plat::TRect{0, 224, 150, 228}));
    EXPECT_EQ(filler.Source, (plat::TRect{0, 0, 150, 4}));
}

} // namespace
} // namespace tolv
