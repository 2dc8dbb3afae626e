#pragma once
// The board state shared by the editor and the board output: one instance
// for the whole run, owned by the main window. Plain data, no widgets.
#include "platform/Bitmap.h"
#include "platform/Colour.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace tolv {

using TerrainCode = std::int32_t;
enum : TerrainCode {
    tcLeer = 1, tcPampa = 2, tcWiese = 3, tcWald = 4, tcMoor = 5,
    tcFels = 6, tcBerg = 7, tcBeliebig = 8, tcMarkt = 9, tcWasser = 10,
};
constexpr int GridColourIndex = 11;      // colour table: grid; picture set: counting strip
constexpr int PictureCount = 11;

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

struct Picture {
    plat::Bitmap Bitmap;   // 24-bit copy after the brightness pass
    plat::Dib Dib;         // bottom-up copy for stretching
    bool Loaded = false;
};

struct BoardState {
    BoardArray Board{};
    BoardArray BoardBackup{};
    std::array<plat::TColor, 12> ColorTable{};      // [1..11]
    std::array<std::int32_t, 12> TerrainCount{};    // [1..11]
    TerrainCode SelectedTerrain = tcBeliebig;
    std::array<std::int32_t, 11> PrintParams{};     // [1..10]
    std::array<Picture, 12> Pictures{};             // [1..11]
    plat::Bitmap TileBitmap;
    bool CancelRequested = false;
    std::string PdfFileName = "TolvariaPlan01.pdf";
    std::string PdfDir;
    std::string MapDir;
    std::string MapFileName = "Tlv01.tlv";
    std::string ScriptAuthor = "None";
    std::string ScriptMapName = "None";
    std::int32_t ScriptMapVersion = 1;

    BoardState();   // defaults: every cell Pampa, default colours and print parameters
};

} // namespace tolv
