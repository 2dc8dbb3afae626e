#include "editor/board/MapScript.h"

#include "platform/Decimal.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <sys/stat.h>

#include <charconv>
#include <memory>

namespace tolv {

namespace {

constexpr const char* kControl = "Control";
constexpr const char* kHex = "Hex";

} // namespace

std::string HexKey(int col, int row)
{
    return plat::Decimal(static_cast<long long>(col) * 100 + row);
}

std::string MapScriptFileName(const std::string& dialogFileName)
{
    return plat::ChangeFileExt(dialogFileName, MapScriptExt);
}

std::string MapScriptWriteErrorText(const std::string& fileName)
{
    return "Datei " + fileName + " kann nicht beschrieben werden !";
}

MapScriptWriteResult WriteMapScript(const std::string& fileName, const BoardArray& board,
                                    const MapShape& shape, const std::string& author,
                                    const std::string& mapName, int mapVersion)
{
    MapScriptWriteResult result;
    result.FileName = fileName;
    try {
        // One replace of the whole file: the old keys are carried over, and a
        // failure leaves the old file as it was.
        plat::IniFile ini(fileName);
        ini.BeginUpdate();
        ini.WriteString(kControl, "Version", MapScriptVersion);
        ini.WriteInteger(kControl, "ColCount", shape.ColCount);
        ini.WriteInteger(kControl, "RowCount", shape.RowCount);
        ini.WriteString(kControl, "Author", author);
        ini.WriteString(kControl, "MapName", mapName);
        ini.WriteInteger(kControl, "MapVersion", mapVersion);
        // Only cells the board array holds can be written.
        const int cols = std::min(shape.ColCount, BoardCols);
        const int rows = std::min(shape.RowCount, BoardRows);
        ForEachCell(0, 0, cols - 1, rows - 1, shape.FirstOdd, [&](int col, int row) {
            ini.WriteInteger(kHex, HexKey(col, row), board[col][row].Terrain);
        });
        ini.UpdateFile();
        result.Ok = true;
    } catch (const std::exception&) {
        result.Error = MapScriptWriteErrorText(fileName);
    }
    return result;
}

MapScriptWriteResult SaveMapScript(BoardState& state, const std::string& dialogFileName,
                                   const MapShape& shape)
{
    const std::string name = MapScriptFileName(dialogFileName);
    MapScriptWriteResult result = WriteMapScript(name, state.Board, shape, state.ScriptAuthor,
                                                 state.ScriptMapName, state.ScriptMapVersion);
    if (result.Ok) {
        state.MapDir = plat::ExtractFilePath(name);
        state.MapFileName = plat::ExtractFileName(name);
    }
    return result;
}

MapScriptReadResult ReadMapScript(const std::string& fileName, bool firstOdd, BoardArray& board)
{
    MapScriptReadResult result;

    struct stat st;
    if (fileName.empty() || ::stat(fileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        result.Status = MapScriptStatus::Unreadable;
        return result;
    }
    if (st.st_size > MaxMapScriptBytes) {
        result.Status = MapScriptStatus::TooLarge;
        return result;
    }

    const plat::IniFile ini(fileName);
    const std::string version = ini.ReadString(kControl, "Version", "Error");
    if (version == "Error" || version != MapScriptVersion)
        return result;

    const int cols = ini.ReadInteger(kControl, "ColCount", 13);
    const int rows = ini.ReadInteger(kControl, "RowCount", 37);
    result.Author = ini.ReadString(kControl, "Author", "None");
    result.MapName = ini.ReadString(kControl, "MapName", "None");
    result.MapVersion = ini.ReadInteger(kControl, "MapVersion", 0);
    if (cols < MinMapCols || rows < MinMapRows || rows > MaxMapRows || cols > MaxMapCols)
        return result;

    // Built aside and taken over whole, so a refused or failed read never
    // leaves a half-loaded board.
    auto loaded = std::make_unique<BoardArray>();
    for (auto& column : *loaded)
        for (TerrainCell& cell : column)
            cell = TerrainCell{tcPampa, false};
    ForEachCell(0, 0, cols - 1, rows - 1, firstOdd, [&](int col, int row) {
        const int v = ini.ReadInteger(kHex, HexKey(col, row), -1);
        if (v >= 1 && v <= 10)
            (*loaded)[col][row].Terrain = v;
    });

    board = *loaded;
    result.Status = MapScriptStatus::Loaded;
    result.ColCount = cols;
    result.RowCount = rows;
    return result;
}

MapScriptReadResult LoadMapScript(BoardState& state, const std::string& fileName,
                                  const std::string& initialDir, bool firstOdd)
{
    state.MapFileName = fileName;
    state.MapDir = initialDir;
    MapScriptReadResult result = ReadMapScript(fileName, firstOdd, state.Board);
    if (result.ok()) {
        state.MapDir = plat::ExtractFilePath(fileName);
        state.MapFileName = plat::ExtractFileName(fileName);
    }
    return result;
}

} // namespace tolv
