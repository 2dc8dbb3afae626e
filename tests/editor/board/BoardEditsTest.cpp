// Painting a hexagon and clearing the board.
#include "editor/board/BoardEdits.h"

#include <gtest/gtest.h>

using namespace tolv;

namespace {

TEST(Unit1Logic, PaintCellRules)
{
    BoardState st;
    st.SelectedTerrain = tcWald;
    EXPECT_EQ(PaintCell(st, 3, 4, 13, 37), PaintResult::Painted);
    EXPECT_EQ(st.Board[3][4].Terrain, tcWald);

    st.Board[5][6] = {tcWald, true};
    EXPECT_EQ(PaintCell(st, 5, 6, 13, 37), PaintResult::FlagCleared);
    EXPECT_FALSE(st.Board[5][6].RandomFill);

    st.Board[7][8] = {tcMoor, true};
    EXPECT_EQ(PaintCell(st, 7, 8, 13, 37), PaintResult::Painted);
    EXPECT_EQ(st.Board[7][8].Terrain, tcWald);
    EXPECT_FALSE(st.Board[7][8].RandomFill);

    const int outside[][2] = {{-1, 1}, {1, -1}, {13, 2}, {2, 37}, {41, 1}, {1, 81}};
    for (const auto& o : outside)
        EXPECT_EQ(PaintCell(st, o[0], o[1], 13, 37), PaintResult::Ignored) << o[0] << "," << o[1];
    EXPECT_EQ(PaintCell(st, 40, 1, 41, 81), PaintResult::Painted);
    EXPECT_EQ(PaintCell(st, 41, 1, 42, 82), PaintResult::Ignored);
}

TEST(Unit1Logic, ClearBoardResetsWholeArray)
{
    BoardState st;
    st.Board[40][80] = {tcBerg, true};
    st.Board[0][0] = {tcMarkt, false};
    ClearBoard(st);
    for (const auto& column : st.Board)
        for (const TerrainCell& cell : column) {
            ASSERT_EQ(cell.Terrain, tcPampa);
            ASSERT_FALSE(cell.RandomFill);
        }
}

} // namespace
