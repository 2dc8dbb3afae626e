#include "editor/board/BoardState.h"

#include "platform/Decimal.h"

#include <algorithm>

namespace tolv {

const std::array<TerrainInfo, 11> TerrainTable{{
    {tcLeer, "leer", 0xFFFFFF, "leer1", "&leer"},
    {tcPampa, "Pampa", 0xB6FF9D, "Pampa1", "&Pampa"},
    {tcWiese, "Wiese", 0x00C600, "N11", "&Wiese"},
    {tcWald, "Wald", 0x008000, "N21", "W&ald"},
    {tcMoor, "Moor", 0xF2F200, "N31", "&Moor"},
    {tcFels, "Fels", 0x006FDD, "G41", "&Fels"},
    {tcBerg, "Berg", 0x808080, "G51", "&Berg"},
    {tcBeliebig, "beliebig", 0x400040, "beliebig1", "b&eliebig"},
    {tcMarkt, "Markt", 0xFF66FF, "Markt1", "Ma&rkt"},
    {tcWasser, "Wasser", 0xFF0000, "See1", "Wa&sser"},
    {GridColourIndex, "", 0x020202, "Grid1", "&Grid"},
}};

const TerrainInfo* FindTerrain(TerrainCode code)
{
    if (code < 1 || code > GridColourIndex)
        return nullptr;
    return &TerrainTable[std::size_t(code - 1)];
}

TerrainColours DefaultColorTable()
{
    TerrainColours t{};
    for (const TerrainInfo& info : TerrainTable)
        t[info.Code] = info.DefaultColor;
    return t;
}

PrintParamArray DefaultPrintParams()
{
    PrintParamArray p{};
    p[ppHexSizeX] = 341;
    p[ppHexSizeY] = 341;
    p[ppMarginTop] = 50;
    p[ppMarginBottom] = 50;
    p[ppMarginLeft] = 50;
    p[ppMarginRight] = 50;
    p[ppOverlap] = 80;
    p[ppGridWidth] = 3;
    p[ppTileMode] = 0;
    p[ppShowCoords] = 0;
    return p;
}

std::string FaultText(const std::string& ProcName, int FaultNo)
{
    return "Fault #" + plat::Decimal(FaultNo) + " in procedure " + ProcName;
}

BoardState::BoardState()
{
    // Board and BoardBackup start as Pampa without the random-fill mark
    // through TerrainCell's initialisers.
    ColorTable = DefaultColorTable();
    PrintParams = DefaultPrintParams();
}

void BoardState::CountHex(int Col, int Row)
{
    if (!InBoard(Col, Row))
        return;
    const std::int32_t t = Board[std::size_t(Col)][std::size_t(Row)].Terrain;
    if (t < 1 || t > GridColourIndex) {
        if (OnFault)
            OnFault("SetDispAnzGel", 1);
        return;
    }
    ++TerrainCount[t];
}

void BoardState::CountMapCells(const MapShape& map)
{
    TerrainCount.fill(0);
    // A map larger than the array (a size taken unchecked from the profile)
    // counts only the cells the array holds.
    const int right = std::min(map.ColCount, BoardCols) - 1;
    const int bottom = std::min(map.RowCount, BoardRows) - 1;
    ForEachMapCell(0, 0, right, bottom, map.FirstOdd, [this](int col, int row) { CountHex(col, row); });
}

void BoardState::SetDispAnzGel(bool Recount, const MapShape& map, TerrainCounterView& labels)
{
    if (Recount)
        CountMapCells(map);
    for (TerrainCode code : PaletteOrder) {
        const std::string text = plat::Decimal(TerrainCount[code]);
        if (labels.text(code) != text)
            labels.setText(code, text);
    }
}

} // namespace tolv
