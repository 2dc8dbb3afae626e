#include "editor/board/RandomFill.h"

#include "tests/editor/board/BoardSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using namespace tolv;
using tolv::test::SameBoard;
using tolv::test::SameCell;

namespace {

using Cell = std::pair<int, int>;   // column, row

// Cells in the order the commands visit them: column outer, row inner.
std::vector<Cell> VisitOrder(const std::vector<Cell>& cells)
{
    std::vector<Cell> sorted = cells;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

std::vector<TerrainCode> TerrainsAt(const BoardArray& board, const std::vector<Cell>& cells)
{
    std::vector<TerrainCode> out;
    for (auto [c, r] : VisitOrder(cells))
        out.push_back(board[c][r].Terrain);
    return out;
}

void Paint(BoardArray& board, const std::vector<Cell>& cells, TerrainCode t)
{
    for (auto [c, r] : cells)
        board[c][r] = TerrainCell{t, false};
}

// Map cells of a 13 x 37 board with FirstOdd true, spread over several columns.
const std::vector<Cell> kSeven = {{0, 1}, {0, 5}, {1, 0}, {3, 12}, {7, 3}, {12, 35}, {12, 1}};

} // namespace

TEST(RandomGenerator, FirstDrawsOfARunAreFixed)
{
    RandomGenerator gen;
    EXPECT_EQ(gen.Random(100), 0u);
    EXPECT_EQ(gen.State(), 1u);
    std::vector<std::uint32_t> rest;
    for (int i = 0; i < 7; ++i)
        rest.push_back(gen.Random(100));
    EXPECT_EQ(rest, (std::vector<std::uint32_t>{3, 86, 20, 27, 67, 31, 16}));
}

TEST(RandomGenerator, StateWrapsModulo2To32AndSmallRangesGiveZero)
{
    RandomGenerator gen;
    std::uint32_t expected = 0;
    for (int i = 0; i < 1000; ++i) {
        expected = expected * 134775813u + 1u;
        const std::uint32_t n = std::uint32_t(i % 3 == 0 ? 0 : i % 3 == 1 ? 1 : 0xFFFFFFFFu);
        const std::uint32_t v = gen.Random(n);
        ASSERT_EQ(gen.State(), expected);
        if (n <= 1)
            ASSERT_EQ(v, 0u);
        else
            ASSERT_EQ(v, std::uint32_t((std::uint64_t(n) * expected) >> 32));
    }
}

TEST(TerrainUrn, DrawWalksTheRunningSumAndFallsBackToBeliebig)
{
    // A generator whose next Random(N) we know: fresh state gives 0 first.
    TerrainUrn urn;
    urn.need = {0, 2, 0, 1, 0};   // Wald 2, Fels 1
    urn.N = 3;
    RandomGenerator gen;
    EXPECT_EQ(urn.Draw(gen), tcWald);       // x = 1 lands in Wald's share
    EXPECT_EQ(urn.need[tcWald], 1);
    EXPECT_EQ(urn.N, 2);

    TerrainUrn empty;                       // nothing left: beliebig, nothing taken
    EXPECT_EQ(empty.Draw(gen), tcBeliebig);
    EXPECT_EQ(empty.N, 0);
}

TEST(TerrainUrn, QuotasAndRemainder)
{
    struct Case {
        const char* name;
        TerrainCounts count;
        bool forFill;
        std::array<std::int32_t, 5> need;   // Wiese .. Berg
    };
    auto counts = [](int any, int wiese, int wald, int moor, int fels, int berg) {
        TerrainCounts c{};
        c[tcBeliebig] = any;
        c[tcWiese] = wiese;
        c[tcWald] = wald;
        c[tcMoor] = moor;
        c[tcFels] = fels;
        c[tcBerg] = berg;
        c[tcPampa] = 999;   // never part of T
        return c;
    };
    const Case cases[] = {
        {"seven beliebig", counts(7, 0, 0, 0, 0, 0), true, {2, 2, 1, 1, 1}},
        {"four beliebig three Wiese", counts(4, 3, 0, 0, 0, 0), true, {1, 2, 1, 1, 1}},
        // Wiese over quota: limited to 0, yet still takes the remainder's cell.
        {"Wiese over quota", counts(2, 9, 0, 0, 0, 0), true, {1, 2, 2, 2, 2}},
        {"remainder four, Berg none", counts(9, 0, 0, 0, 0, 0), true, {2, 2, 2, 2, 1}},
        {"all: 3321 cells", counts(3321, 0, 0, 0, 0, 0), false, {665, 664, 664, 664, 664}},
        {"all: mixed", counts(1, 2, 0, 0, 0, 4), false, {2, 2, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        const TerrainUrn urn = c.forFill ? MakeFillUrn(c.count) : MakeAllUrn(c.count);
        std::array<std::int32_t, 5> need{};
        std::int32_t sum = 0;
        for (int t = 0; t < 5; ++t) {
            need[t] = urn.need[tcWiese + t];
            sum += need[t];
        }
        EXPECT_EQ(need, c.need) << c.name;
        EXPECT_EQ(urn.N, sum) << c.name;
        EXPECT_GE(urn.N, c.count[tcBeliebig]) << c.name;
    }
}

TEST(FillBeliebig, WorkedExamplesRightAfterStart)
{
    struct Case {
        const char* name;
        std::vector<Cell> beliebig;
        std::vector<Cell> wiese;
        std::vector<TerrainCode> expected;   // the beliebig cells in visiting order
    };
    const Case cases[] = {
        {"five", {{0, 1}, {2, 3}, {5, 0}, {9, 13}, {12, 35}}, {},
         {tcWiese, tcWald, tcBerg, tcMoor, tcFels}},
        {"seven", kSeven, {}, {tcWiese, tcWiese, tcBerg, tcWald, tcWald, tcFels, tcMoor}},
        {"four and three Wiese", {{1, 0}, {1, 2}, {4, 4}, {6, 6}}, {{8, 0}, {8, 2}, {8, 4}},
         {tcWiese, tcWald, tcBerg, tcWald}},
    };
    for (const Case& c : cases) {
        BoardArray board{};
        Paint(board, c.beliebig, tcBeliebig);
        Paint(board, c.wiese, tcWiese);
        RandomGenerator gen;
        ASSERT_TRUE(FillBeliebig(board, gen)) << c.name;
        EXPECT_EQ(TerrainsAt(board, c.beliebig), c.expected) << c.name;
        for (auto [col, row] : c.beliebig)
            EXPECT_TRUE(board[col][row].RandomFill) << c.name;
        for (auto [col, row] : c.wiese)
            EXPECT_TRUE(SameCell(board[col][row], TerrainCell{tcWiese, false})) << c.name;
        EXPECT_EQ(gen.State(), [&] {   // one generator step per filled cell
            RandomGenerator ref;
            for (std::size_t i = 0; i < c.beliebig.size(); ++i)
                ref.Random(1);
            return ref.State();
        }()) << c.name;
    }
}

TEST(FillBeliebig, FourAndThreeLeavesMoorAndFelsInTheUrn)
{
    BoardArray board{};
    Paint(board, {{1, 0}, {1, 2}, {4, 4}, {6, 6}}, tcBeliebig);
    Paint(board, {{8, 0}, {8, 2}, {8, 4}}, tcWiese);
    const TerrainCounts after = [&] {
        RandomGenerator gen;
        FillBeliebig(board, gen);
        return CountBoard(board);
    }();
    EXPECT_EQ(after[tcWiese], 4);
    EXPECT_EQ(after[tcWald], 2);
    EXPECT_EQ(after[tcBerg], 1);
    EXPECT_EQ(after[tcMoor], 0);
    EXPECT_EQ(after[tcFels], 0);
}

TEST(FillBeliebig, SecondPressRedrawsTheSameCells)
{
    BoardArray board{};
    Paint(board, kSeven, tcBeliebig);
    board[20][20] = TerrainCell{tcWald, false};   // hand-painted: never redrawn
    RandomGenerator gen;
    ASSERT_TRUE(FillBeliebig(board, gen));
    ASSERT_TRUE(FillBeliebig(board, gen));
    for (int c = 0; c < BoardCols; ++c)
        for (int r = 0; r < BoardRows; ++r) {
            const bool filled = std::find(kSeven.begin(), kSeven.end(), Cell{c, r}) != kSeven.end();
            EXPECT_EQ(board[c][r].RandomFill, filled) << c << "," << r;
            if (filled) {
                EXPECT_TRUE(board[c][r].Terrain >= tcWiese && board[c][r].Terrain <= tcBerg);
            }
        }
    EXPECT_TRUE(SameCell(board[20][20], TerrainCell{tcWald, false}));
    // The generator ran on: 14 steps for two presses of seven cells.
    RandomGenerator ref;
    for (int i = 0; i < 14; ++i)
        ref.Random(1);
    EXPECT_EQ(gen.State(), ref.State());
}

TEST(FillBeliebig, CellsOutsideTheMapAndTheLastRowTakePart)
{
    BoardArray board{};
    Paint(board, {{40, 80}, {0, 0}, {39, 79}}, tcBeliebig);   // no map cells at all
    RandomGenerator gen;
    ASSERT_TRUE(FillBeliebig(board, gen));
    EXPECT_NE(board[40][80].Terrain, tcBeliebig);
    EXPECT_NE(board[0][0].Terrain, tcBeliebig);
    EXPECT_TRUE(board[40][80].RandomFill);
}

TEST(FillBeliebig, NothingToFillChangesNothing)
{
    BoardArray board{};
    Paint(board, {{3, 4}}, tcWald);
    const BoardArray before = board;
    RandomGenerator gen;
    EXPECT_FALSE(FillBeliebig(board, gen));
    EXPECT_TRUE(SameBoard(board, before));
    EXPECT_EQ(gen.State(), 0u);
}

TEST(DistributeAll, ExactSharesAndFlagsCleared)
{
    BoardArray board{};
    Paint(board, kSeven, tcBeliebig);
    RandomGenerator gen;
    ASSERT_TRUE(FillBeliebig(board, gen));
    Paint(board, {{30, 30}, {30, 32}, {31, 31}}, tcBerg);
    board[2][2] = TerrainCell{tcMarkt, false};
    ASSERT_TRUE(DistributeAll(board, gen));

    const TerrainCounts c = CountBoard(board);   // T = 10: two of each
    for (int t = tcWiese; t <= tcBerg; ++t)
        EXPECT_EQ(c[t], 2) << t;
    EXPECT_EQ(c[tcBeliebig], 0);
    EXPECT_TRUE(SameCell(board[2][2], TerrainCell{tcMarkt, false}));
    for (const auto& column : board)
        for (const TerrainCell& cell : column)
            EXPECT_FALSE(cell.RandomFill);
}

TEST(DistributeAll, NoRandomCellsOnlyClearsTheFlags)
{
    BoardArray board{};
    board[1][0] = TerrainCell{tcMarkt, true};
    RandomGenerator gen;
    EXPECT_FALSE(DistributeAll(board, gen));
    EXPECT_TRUE(SameCell(board[1][0], TerrainCell{tcMarkt, false}));
    EXPECT_EQ(gen.State(), 0u);
}

TEST(RandomFill, SameCommandsSameBoards)
{
    auto run = [] {
        BoardArray board{};
        Paint(board, kSeven, tcBeliebig);
        Paint(board, {{10, 10}, {11, 11}}, tcMoor);
        RandomGenerator gen;
        FillBeliebig(board, gen);
        DistributeAll(board, gen);
        Paint(board, {{5, 5}, {6, 6}}, tcBeliebig);
        FillBeliebig(board, gen);
        return board;
    };
    EXPECT_TRUE(SameBoard(run(), run()));
}

namespace {

struct RecordingHost : AnimationHost {
    std::vector<std::string> calls;
    void AnimationRunning(bool running) override { calls.push_back(running ? "show" : "hide"); }
    void BoardReplaced() override { calls.push_back("redraw"); }
};

BoardArray UserBoard()
{
    BoardArray board{};
    Paint(board, {{1, 0}, {3, 0}}, tcWasser);
    Paint(board, kSeven, tcBeliebig);
    board[4][4] = TerrainCell{tcWald, true};
    return board;
}

} // namespace

TEST(TerrainAnimation, RunsThirtyOneTicksThenRestores)
{
    BoardArray board = UserBoard(), backup{};
    RandomGenerator gen;
    RecordingHost host;
    TerrainAnimation anim(board, backup, gen, &host);

    ASSERT_TRUE(anim.Start());
    EXPECT_TRUE(anim.Running());
    EXPECT_EQ(host.calls, (std::vector<std::string>{"show"}));   // nothing redrawn yet
    for (const auto& column : board)
        for (const TerrainCell& cell : column)
            ASSERT_TRUE(SameCell(cell, TerrainCell{tcBeliebig, false}));

    for (int tick = 1; tick <= 30; ++tick) {
        ASSERT_FALSE(anim.Tick()) << tick;
        ASSERT_EQ(anim.Tag(), tick);
    }
    const TerrainCounts c = CountBoard(board);   // all 3321 cells redistributed
    EXPECT_EQ(c[tcWiese], 665);
    EXPECT_EQ(c[tcBerg], 664);

    EXPECT_TRUE(anim.Tick());   // the 31st change, then the restore
    EXPECT_FALSE(anim.Running());
    EXPECT_TRUE(SameBoard(board, UserBoard()));
    ASSERT_EQ(host.calls.size(), 1u + 31u + 2u);
    EXPECT_EQ(host.calls[host.calls.size() - 2], "hide");
    EXPECT_EQ(host.calls.back(), "redraw");
    EXPECT_FALSE(anim.Tick());   // a late tick does nothing
    EXPECT_TRUE(SameBoard(board, UserBoard()));
}

TEST(TerrainAnimation, SecondStartIsIgnoredAndTheUserBoardSurvives)
{
    BoardArray board = UserBoard(), backup{};
    RandomGenerator gen;
    TerrainAnimation anim(board, backup, gen);
    ASSERT_TRUE(anim.Start());
    anim.Tick();
    anim.Tick();
    EXPECT_FALSE(anim.Start());
    EXPECT_EQ(anim.Tag(), 2);   // the count is not restarted either
    EXPECT_TRUE(SameBoard(backup, UserBoard()));
    while (!anim.Tick()) {
    }
    EXPECT_TRUE(SameBoard(board, UserBoard()));
}

TEST(TerrainAnimation, StopAndRestoreEndsARunningAnimationOnly)
{
    BoardArray board = UserBoard(), backup{};
    RandomGenerator gen;
    RecordingHost host;
    TerrainAnimation anim(board, backup, gen, &host);

    EXPECT_FALSE(anim.StopAndRestore());   // not running: the board is the user's
    EXPECT_TRUE(host.calls.empty());
    EXPECT_TRUE(SameBoard(board, UserBoard()));

    anim.Start();
    anim.Tick();
    host.calls.clear();
    EXPECT_TRUE(anim.StopAndRestore());
    EXPECT_FALSE(anim.Running());
    EXPECT_TRUE(SameBoard(board, UserBoard()));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"hide", "redraw"}));

    // A new start afterwards backs up the restored board again.
    EXPECT_TRUE(anim.Start());
    EXPECT_TRUE(SameBoard(backup, UserBoard()));
}

TEST(TerrainAnimation, TicksFollowTheInterval)
{
    BoardArray board{}, backup{};
    RandomGenerator gen;
    TerrainAnimation anim(board, backup, gen);
    anim.SetInterval(5000);   // 15000 div 5000 = 3: ends on the fourth tick
    anim.Start();
    EXPECT_FALSE(anim.Tick());
    EXPECT_FALSE(anim.Tick());
    EXPECT_FALSE(anim.Tick());
    EXPECT_TRUE(anim.Tick());
}

TEST(TerrainAnimation, StartGesture)
{
    EXPECT_TRUE(TerrainAnimation::IsStartGesture(true, true, true));
    EXPECT_FALSE(TerrainAnimation::IsStartGesture(true, true, false));   // only Ctrl
    EXPECT_FALSE(TerrainAnimation::IsStartGesture(false, true, true));   // left button
}
