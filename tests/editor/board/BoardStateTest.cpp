// Board state defaults, the terrain table, the recount and its labels.
#include "editor/board/BoardState.h"

#include "platform/Dialogs.h"
#include "platform/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace tolv;

namespace {

// The counter labels: their texts and every write in order.
class FakeCounters : public TerrainCounterView {
public:
    std::map<TerrainCode, std::string> texts;
    std::vector<std::pair<TerrainCode, std::string>> writes;
    std::string text(TerrainCode code) const override
    {
        auto it = texts.find(code);
        return it == texts.end() ? std::string() : it->second;
    }
    void setText(TerrainCode code, const std::string& t) override
    {
        texts[code] = t;
        writes.emplace_back(code, t);
    }
};

class BoardStateTest : public testing::Test {
protected:
    void SetUp() override
    {
        state->OnFault = [this](const std::string& proc, int no) { faults.push_back(FaultText(proc, no)); };
    }

    plat::ScopedScriptedDialogs dialogs;   // the model itself never shows anything
    std::unique_ptr<BoardState> state = std::make_unique<BoardState>();
    std::vector<std::string> faults;
    FakeCounters labels;
};

int CountCells(const BoardArray& b, TerrainCode t)
{
    int n = 0;
    for (const auto& col : b)
        for (const TerrainCell& c : col)
            n += c.Terrain == t;
    return n;
}

} // namespace

TEST_F(BoardStateTest, StartsWithTheDefaults)
{
    EXPECT_EQ(CountCells(state->Board, tcPampa), BoardCols * BoardRows);
    EXPECT_EQ(CountCells(state->BoardBackup, tcPampa), BoardCols * BoardRows);
    for (int c = 0; c < BoardCols; ++c)
        for (int r = 0; r < BoardRows; ++r) {
            ASSERT_FALSE(state->Board[c][r].RandomFill);
            ASSERT_FALSE(state->BoardBackup[c][r].RandomFill);
        }

    const plat::TColor colours[12] = {0,        16777215, 11992989, 50688,    32768,   15921664,
                                      28637,    8421504,  4194368,  16738047, 16711680, 131586};
    for (int i = 1; i <= 11; ++i)
        EXPECT_EQ(state->ColorTable[i], colours[i]) << i;

    const std::int32_t params[11] = {0, 341, 341, 50, 50, 50, 50, 80, 3, 0, 0};
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(state->PrintParams[i], params[i]) << i;

    for (int i = 1; i <= 11; ++i)
        EXPECT_EQ(state->TerrainCount[i], 0);
    EXPECT_EQ(state->SelectedTerrain, tcBeliebig);
    EXPECT_FALSE(state->CancelRequested);
    EXPECT_EQ(state->PdfFileName, "TolvariaPlan01.pdf");
    EXPECT_EQ(state->MapFileName, "Tlv01.tlv");
    EXPECT_EQ(state->ScriptAuthor, "None");
    EXPECT_EQ(state->ScriptMapName, "None");
    EXPECT_EQ(state->ScriptMapVersion, 1);
}

TEST_F(BoardStateTest, TerrainTableByCode)
{
    const char* names[] = {"leer", "Pampa", "Wiese", "Wald", "Moor", "Fels", "Berg", "beliebig", "Markt", "Wasser"};
    for (TerrainCode code = 1; code <= 10; ++code) {
        const TerrainInfo* info = FindTerrain(code);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->Code, code);
        EXPECT_STREQ(info->Name, names[code - 1]);
    }
    EXPECT_STREQ(FindTerrain(tcWasser)->ColorMenuItem, "See1");
    EXPECT_STREQ(FindTerrain(tcWasser)->ColorMenuCaption, "Wa&sser");
    EXPECT_STREQ(FindTerrain(GridColourIndex)->ColorMenuItem, "Grid1");
    EXPECT_EQ(FindTerrain(0), nullptr);
    EXPECT_EQ(FindTerrain(12), nullptr);
    EXPECT_EQ(FindTerrain(-1), nullptr);
}

TEST_F(BoardStateTest, RecountCountsOnlyMapCells)
{
    struct Case { MapShape map; int pampa; };
    const Case cases[] = {
        {{13, 37, true}, 240},     // a start without profile
        {{13, 37, false}, 241},
        {{14, 38, true}, 266},     // the form's map
        {{14, 38, false}, 266},
        {{40, 80, true}, 1600},
        {{40, 80, false}, 1600},
        {{1, 1, false}, 1},
        {{1, 1, true}, 0},
        {{0, 37, true}, 0},
        {{-3, -3, true}, 0},
        // Larger than the array: only the 41 x 81 cells it holds.
        {{100, 200, true}, 41 * 20 + 40 * 21},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.map.ColCount << "x" << c.map.RowCount << " " << c.map.FirstOdd);
        state->SetDispAnzGel(true, c.map, labels);
        EXPECT_EQ(state->TerrainCount[tcPampa], c.pampa);
        for (int t = 1; t <= 11; ++t) {
            if (t != tcPampa) {
                EXPECT_EQ(state->TerrainCount[t], 0) << t;
            }
        }
        EXPECT_EQ(labels.text(tcPampa), std::to_string(c.pampa));
    }
    EXPECT_TRUE(dialogs.messageBoxes().empty());
}

TEST_F(BoardStateTest, LabelsAreWrittenInPaletteOrderOnlyWhenTheirCountChanges)
{
    const MapShape map{13, 37, true};
    state->SetDispAnzGel(true, map, labels);
    const std::vector<std::pair<TerrainCode, std::string>> first{
        {8, "0"}, {2, "240"}, {3, "0"}, {4, "0"}, {5, "0"}, {6, "0"}, {7, "0"}, {9, "0"}, {10, "0"}, {1, "0"},
    };
    EXPECT_EQ(labels.writes, first);

    labels.writes.clear();
    state->SetDispAnzGel(true, map, labels);
    EXPECT_TRUE(labels.writes.empty());

    // (1, 0) is a map cell; Pampa and Wald change, nothing else is touched.
    state->Board[1][0].Terrain = tcWald;
    state->Board[3][0].Terrain = tcWald;
    state->SetDispAnzGel(true, map, labels);
    const std::vector<std::pair<TerrainCode, std::string>> second{{2, "238"}, {4, "2"}};
    EXPECT_EQ(labels.writes, second);

    // Without a recount the labels follow the counts as they stand.
    labels.writes.clear();
    state->Board[5][0].Terrain = tcMoor;
    state->SetDispAnzGel(false, map, labels);
    EXPECT_TRUE(labels.writes.empty());
    state->TerrainCount[tcMoor] = 7;
    state->SetDispAnzGel(false, map, labels);
    EXPECT_EQ(labels.writes, (std::vector<std::pair<TerrainCode, std::string>>{{5, "7"}}));
}

TEST_F(BoardStateTest, CellsBeyondTheMapKeepTheirTerrain)
{
    // Wald on every cell of a 20 x 40 map, then shrink to 13 x 37 and grow again.
    const MapShape big{20, 40, true}, small{13, 37, true};
    ForEachMapCell(0, 0, big.ColCount - 1, big.RowCount - 1, big.FirstOdd,
                   [&](int c, int r) { state->Board[c][r].Terrain = tcWald; });
    const BoardArray before = state->Board;

    state->SetDispAnzGel(true, small, labels);
    EXPECT_EQ(state->TerrainCount[tcWald], 240);
    EXPECT_EQ(state->TerrainCount[tcPampa], 0);

    state->SetDispAnzGel(true, big, labels);
    EXPECT_EQ(state->TerrainCount[tcWald], 400);
    for (int c = 0; c < BoardCols; ++c)
        for (int r = 0; r < BoardRows; ++r)
            ASSERT_EQ(state->Board[c][r].Terrain, before[c][r].Terrain) << c << "," << r;
}

TEST_F(BoardStateTest, BadCodesAreReportedOncePerCellAndNotCounted)
{
    const MapShape map{13, 37, true};
    state->Board[1][0].Terrain = 0;
    state->Board[3][0].Terrain = 12;
    state->Board[0][1].Terrain = -5;
    state->Board[2][1].Terrain = GridColourIndex;   // 11 is a valid index: counted
    state->Board[0][0].Terrain = 99;                // not a map cell: never looked at
    state->SetDispAnzGel(true, map, labels);

    EXPECT_EQ(faults, std::vector<std::string>(3, "Fault #1 in procedure SetDispAnzGel"));
    EXPECT_TRUE(dialogs.calls().empty());
    EXPECT_EQ(state->TerrainCount[tcPampa], 236);
    EXPECT_EQ(state->TerrainCount[GridColourIndex], 1);
    EXPECT_EQ(labels.text(tcPampa), "236");
}

TEST_F(BoardStateTest, FaultTextNamesTheProcedure)
{
    EXPECT_EQ(FaultText("Create: getDib failed", 1), "Fault #1 in procedure Create: getDib failed");
    EXPECT_EQ(FaultText("X", -12), "Fault #-12 in procedure X");
}

TEST_F(BoardStateTest, CountHexIgnoresPositionsOutsideTheArray)
{
    state->CountHex(-1, 0);
    state->CountHex(BoardCols, 0);
    state->CountHex(0, BoardRows);
    state->CountHex(40, 80);
    EXPECT_EQ(state->TerrainCount[tcPampa], 1);
    EXPECT_TRUE(faults.empty());
}

TEST(BoardWalk, MapCellWalkFollowsTheMapControlsRule)
{
    std::vector<std::pair<int, int>> seen;
    ForEachMapCell(0, 0, 3, 1, true, [&](int c, int r) { seen.emplace_back(c, r); });
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 0}, {3, 0}, {0, 1}, {2, 1}}));
    seen.clear();
    ForEachMapCell(1, 2, 4, 2, true, [&](int c, int r) { seen.emplace_back(c, r); });   // odd Left
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 2}, {3, 2}}));

    EXPECT_TRUE(IsMapCell(1, 0, {13, 37, true}));
    EXPECT_FALSE(IsMapCell(0, 0, {13, 37, true}));
    EXPECT_FALSE(IsMapCell(13, 0, {13, 37, false}));
    EXPECT_FALSE(IsMapCell(0, 37, {13, 37, true}));
}

TEST(BoardWalk, InsideTheMapMeansInsideItsGridAndTheArray)
{
    struct Case {
        int col, row, cols, rows;
        bool grid, map;
    };
    const Case cases[] = {
        {0, 0, 13, 37, true, true},
        {12, 36, 13, 37, true, true},
        {13, 0, 13, 37, false, false},
        {0, 37, 13, 37, false, false},
        {-1, 0, 13, 37, false, false},
        {0, -1, 13, 37, false, false},
        {2, 3, 13, 37, true, true},          // parity plays no part
        {40, 80, 41, 81, true, true},
        // A map larger than the array: its far positions are not the board's.
        {41, 0, 100, 200, true, false},
        {0, 81, 100, 200, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.col << "," << c.row << " in " << c.cols << "x" << c.rows);
        EXPECT_EQ(InsideGrid(c.col, c.row, c.cols, c.rows), c.grid);
        EXPECT_EQ(InsideMap(c.col, c.row, c.cols, c.rows), c.map);
    }
}
