#pragma once
// The board state shared by the editor and the board output: one instance
// for the whole run, owned by the main window. Plain data, no widgets.
#include "editor/HexMapA/HexMapGeometry.h"
#include "platform/Bitmap.h"
#include "platform/Colour.h"
#include "platform/NumberedArray.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace tolv {

using TerrainCode = std::int32_t;
enum : TerrainCode {
    tcLeer = 1, tcPampa = 2, tcWiese = 3, tcWald = 4, tcMoor = 5,
    tcFels = 6, tcBerg = 7, tcBeliebig = 8, tcMarkt = 9, tcWasser = 10,
};
constexpr int GridColourIndex = 11;      // colour table: grid; picture set: counting strip
constexpr int PictureCount = 11;

// Colours by terrain code 1..10, the grid colour at 11.
using TerrainColours = plat::NumberedArray<plat::TColor, 1, GridColourIndex>;
// Cells per terrain code 1..11.
using TerrainCounts = plat::NumberedArray<std::int32_t, 1, GridColourIndex>;

// One row of the terrain table: what the palette and the colour menu show
// for a code, and the code's default colour.
struct TerrainInfo {
    TerrainCode Code;
    const char* Name;              // as shown beside the palette ("" for the grid)
    plat::TColor DefaultColor;     // 0x00BBGGRR
    const char* ColorMenuItem;     // item of the colour menu
    const char* ColorMenuCaption;
};

// Codes 1..10 and the grid colour 11, in code order.
extern const std::array<TerrainInfo, 11> TerrainTable;
// The row of a code 1..11; nullptr for any other code.
const TerrainInfo* FindTerrain(TerrainCode code);

// The palette top to bottom; the counter labels are updated in this order too.
constexpr std::array<TerrainCode, 10> PaletteOrder{
    tcBeliebig, tcPampa, tcWiese, tcWald, tcMoor, tcFels, tcBerg, tcMarkt, tcWasser, tcLeer,
};

struct TerrainCell {
    std::int32_t Terrain = tcPampa;
    bool RandomFill = false;
};

constexpr int BoardCols = 41;            // columns 0..40
constexpr int BoardRows = 81;            // rows 0..80
// Column-major, as the board is stored: Board[col][row].
using BoardArray = std::array<std::array<TerrainCell, BoardRows>, BoardCols>;

// Print parameters, 1-based as the settings window and profile number them.
enum PrintParam : int {
    ppHexSizeX = 1, ppHexSizeY, ppMarginTop, ppMarginBottom, ppMarginLeft,
    ppMarginRight, ppOverlap, ppGridWidth, ppTileMode, ppShowCoords,
};

// P1..P10, numbered as the settings window and the profile number them.
using PrintParamArray = plat::NumberedArray<std::int32_t, ppHexSizeX, ppShowCoords>;

// The range of each numeric print parameter P1..P8, as the settings window
// offers it and the profile reader enforces it.
struct ParamLimits {
    int min;
    int max;
};
inline constexpr plat::NumberedArray<ParamLimits, ppHexSizeX, ppGridWidth> PrintParamLimits{
    ParamLimits{20, 9999}, ParamLimits{20, 9999},                                           // hexagon size x, y
    ParamLimits{0, 9999},  ParamLimits{0, 9999}, ParamLimits{0, 9999}, ParamLimits{0, 9999},   // margins
    ParamLimits{0, 9999},                                                                   // overlap
    ParamLimits{1, 9999},                                                                   // grid line width
};

// Defaults before the profile is read.
TerrainColours DefaultColorTable();
PrintParamArray DefaultPrintParams();

// The ten terrain counter labels of the main window, by terrain code.
class TerrainCounterView {
public:
    virtual ~TerrainCounterView() = default;
    virtual std::string text(TerrainCode code) const = 0;
    virtual void setText(TerrainCode code, const std::string& text) = 0;
};

// "Fault #<n> in procedure <name>": the report of an internal consistency
// fault, which the window shows in an error box captioned "Caution"; the
// work goes on.
std::string FaultText(const std::string& ProcName, int FaultNo);
using FaultReport = std::function<void(const std::string& ProcName, int FaultNo)>;

// A position of the board array (41 x 81), whatever the map's size.
constexpr bool InBoard(int Col, int Row)
{
    return Col >= 0 && Col < BoardCols && Row >= 0 && Row < BoardRows;
}

// Inside a map of ColCount x RowCount, whatever the parity.
constexpr bool InsideGrid(int Col, int Row, int ColCount, int RowCount)
{
    return Col >= 0 && Col < ColCount && Row >= 0 && Row < RowCount;
}

// A cell of the current map: inside its grid and of its parity.
constexpr bool IsMapCell(int Col, int Row, const MapShape& map)
{
    return InsideGrid(Col, Row, map.ColCount, map.RowCount) && IsCellParity(Col, Row, map.FirstOdd);
}

// A position of the map that the board array holds: what an edit may change
// and an output may read. A map larger than the array (a size taken
// unchecked from the profile) has positions the array lacks.
constexpr bool InsideMap(int Col, int Row, int ColCount, int RowCount)
{
    return InsideGrid(Col, Row, ColCount, RowCount) && InBoard(Col, Row);
}

// The main window's cell walk, the map control's rule: row by row from Top
// to Bottom, in each row the cells from Left (or Left + 1) to Right.
template <class Method>
void ForEachMapCell(int Left, int Top, int Right, int Bottom, bool FirstOdd, Method&& method)
{
    ForEachCell(Left, Top, Right, Bottom, FirstOdd, std::forward<Method>(method));
}

struct Picture {
    plat::Bitmap Bitmap;   // 24-bit copy after the brightness pass
    plat::Dib Dib;         // bottom-up copy for stretching
    bool Loaded = false;
};

struct BoardState {
    BoardArray Board{};
    BoardArray BoardBackup{};
    TerrainColours ColorTable{};
    TerrainCounts TerrainCount{};
    TerrainCode SelectedTerrain = tcBeliebig;
    PrintParamArray PrintParams{};
    plat::NumberedArray<Picture, 1, PictureCount> Pictures{};
    plat::Bitmap TileBitmap;
    bool CancelRequested = false;
    std::string PdfFileName = "TolvariaPlan01.pdf";
    std::string PdfDir;
    std::string MapDir;
    std::string MapFileName = "Tlv01.tlv";
    std::string ScriptAuthor = "None";
    std::string ScriptMapName = "None";
    std::int32_t ScriptMapVersion = 1;

    // Where internal consistency faults go; the main window shows them.
    FaultReport OnFault;

    BoardState();   // defaults: every cell Pampa, default colours and print parameters

    // Counts the terrain of one cell; a code outside 1..11 is a fault
    // (one message per cell) and is not counted.
    void CountHex(int Col, int Row);
    // Zeroes the counts and counts every map cell held by the board array.
    void CountMapCells(const MapShape& map);
    // Recounts when asked, then brings the ten counter labels up to date,
    // touching only those whose text differs from the count.
    void SetDispAnzGel(bool Recount, const MapShape& map, TerrainCounterView& labels);
};

} // namespace tolv
