// What a hexagon of the map draws: its fill colour and coordinate text.
#include "editor/board/CellDrawing.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace tolv;

namespace {

TEST(Unit1Logic, FillColourFallsBackToPampa)
{
    BoardState st;
    st.ColorTable[tcWasser] = 0x123456;
    st.ColorTable[tcPampa] = 0x00ABCD;
    st.ColorTable[GridColourIndex] = 0x020202;
    st.Board[1][0].Terrain = tcWasser;
    EXPECT_EQ(TerrainFillColour(st, 1, 0), 0x123456);
    for (int bad : {0, -1, 12, 1000}) {
        st.Board[1][0].Terrain = bad;
        EXPECT_EQ(TerrainFillColour(st, 1, 0), 0x00ABCD) << bad;
    }
    st.Board[1][0].Terrain = GridColourIndex;
    EXPECT_EQ(TerrainFillColour(st, 1, 0), 0x020202);
}

TEST(Unit1Logic, CoordinatesOnlyInsideTheGrid)
{
    BoardState st;
    st.PrintParams[ppShowCoords] = 0;
    EXPECT_FALSE(CoordinateText(st, 3, 12, 13, 37));
    st.PrintParams[ppShowCoords] = 5;   // any non-zero value is on
    EXPECT_EQ(CoordinateText(st, 3, 12, 13, 37), std::optional<std::string>("3,12"));
    EXPECT_EQ(CoordinateText(st, 0, 1, 13, 37), std::optional<std::string>("0,1"));
    EXPECT_FALSE(CoordinateText(st, -1, 2, 13, 37));
    EXPECT_FALSE(CoordinateText(st, 13, 2, 13, 37));
    EXPECT_FALSE(CoordinateText(st, 2, 37, 13, 37));
    EXPECT_FALSE(CoordinateText(st, 2, -2, 13, 37));
}

} // namespace
