#pragma once
// Map scripts (".tlv"): the board size and the terrain of every map cell in
// ini format. The writer merges into an existing file; the reader checks the
// control value and the size and refuses a file silently otherwise, leaving
// the board as it was. Widget-free: the file dialogs' close-query handlers
// call SaveMapScript and LoadMapScript.
#include "editor/board/BoardState.h"
#include "editor/HexMapA/HexMapGeometry.h"
#include "platform/Dialogs.h"

#include <cstdint>
#include <string>

namespace tolv {

constexpr const char* MapScriptVersion = "QXTRV0101";
constexpr const char* MapScriptExt = ".tlv";
constexpr int MinMapCols = 2, MaxMapCols = 40;
constexpr int MinMapRows = 2, MaxMapRows = 80;
// Far above any script this program writes (some 20 KB for 40 x 80); larger
// files are refused before they are parsed.
constexpr std::int64_t MaxMapScriptBytes = 2 * 1024 * 1024;

// The Hex key of cell (col, row): col * 100 + row in decimal.
std::string HexKey(int col, int row);

// The name a script is saved under: the extension replaced by ".tlv".
std::string MapScriptFileName(const std::string& dialogFileName);

// "Datei " + name + " kann nicht beschrieben werden !"
std::string MapScriptWriteErrorText(const std::string& fileName);

struct MapScriptWriteResult {
    bool Ok = false;
    std::string FileName;   // the name written (or tried)
    std::string Error;      // the message for the user when not Ok
};

// Writes the Control keys and one Hex key per map cell into fileName, merging
// into what the file holds (other sections and keys stay). A refused write
// (a write-protected file among them) leaves the old file whole and comes
// back as not Ok.
MapScriptWriteResult WriteMapScript(const std::string& fileName, const BoardArray& board,
                                    const MapShape& shape, const std::string& author = "None",
                                    const std::string& mapName = "None", int mapVersion = 1);

// The save dialog's confirmation: writes under MapScriptFileName(name) with
// the state's script texts; on success MapDir and MapFileName take the
// written file's folder and name, on failure nothing in the state changes.
MapScriptWriteResult SaveMapScript(BoardState& state, const std::string& dialogFileName,
                                   const MapShape& shape);

enum class MapScriptStatus {
    Loaded,       // the board holds the script
    Refused,      // wrong or missing control value, or a size out of range
    TooLarge,     // above MaxMapScriptBytes, not parsed
    Unreadable,   // missing, a folder, or not readable
};

struct MapScriptReadResult {
    MapScriptStatus Status = MapScriptStatus::Refused;
    int ColCount = 0, RowCount = 0;   // the script's size when Loaded
    std::string Author, MapName;      // descriptive, not used
    std::int32_t MapVersion = 0;
    bool ok() const { return Status == MapScriptStatus::Loaded; }
};

// Reads a script. Only when it is accepted does board change: every cell of
// the array becomes Pampa without RandomFill, then each map cell of the new
// size (with firstOdd) takes its Hex value when that is 1..10.
MapScriptReadResult ReadMapScript(const std::string& fileName, bool firstOdd, BoardArray& board);

// The open dialog's confirmation: MapFileName := fileName and MapDir :=
// initialDir first (so they stay so after a refusal), then ReadMapScript
// into state.Board; when loaded, MapDir and MapFileName become the file's
// folder and name. The caller sets the map's ColCount and RowCount from the
// result, redraws, synchronises the size edits and recounts; any other
// status keeps the dialog open.
MapScriptReadResult LoadMapScript(BoardState& state, const std::string& fileName,
                                  const std::string& initialDir, bool firstOdd);

// The two dialogs of the map script commands, starting in dir with the
// name fileName; the caller sets the close query.
plat::FileDialogRequest MapScriptOpenDialog(const std::string& title, const std::string& dir,
                                            const std::string& fileName);
plat::FileDialogRequest MapScriptSaveDialog(const std::string& title, const std::string& dir,
                                            const std::string& fileName);

// The question before a script saved under a changed name goes into a file
// that exists: "plan.txt" is written as "plan.tlv".
std::string ChangedNameQuestionText(const std::string& fileName);

// The save dialog's close query for the confirmed name `chosen`: when the
// file the script is written to exists, asks first (caption dialogTitle; the
// changed-name question when that file is not the one chosen; No keeps the
// dialog open); a refused write shows
// MapScriptWriteErrorText captioned "Fehler" and keeps the dialog open with
// the state unchanged. True when the script was written.
bool SaveMapScriptFromDialog(BoardState& state, const std::string& chosen, const MapShape& shape,
                             const std::string& dialogTitle);

} // namespace tolv
