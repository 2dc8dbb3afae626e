// Any byte sequence as a map script: the reader either refuses it and leaves
// the board alone, or loads a board of valid terrain codes.
#include "FuzzFile.h"
#include "editor/board/MapScript.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::WriteInput("fuzz.tlv", data, size);
    auto board = std::make_unique<tolv::BoardArray>();
    for (auto& column : *board)
        for (auto& cell : column)
            cell = tolv::TerrainCell{tolv::tcMarkt, true};

    const bool firstOdd = size % 2 == 0;
    const tolv::MapScriptReadResult r = tolv::ReadMapScript(path, firstOdd, *board);
    for (const auto& column : *board)
        for (const auto& cell : column) {
            if (!r.ok() && !(cell.Terrain == tolv::tcMarkt && cell.RandomFill))
                __builtin_trap();   // a refused file changed the board
            if (r.ok() && (cell.Terrain < 1 || cell.Terrain > 10 || cell.RandomFill))
                __builtin_trap();
        }
    if (r.ok() && (r.ColCount < 2 || r.ColCount > 40 || r.RowCount < 2 || r.RowCount > 80))
        __builtin_trap();
    return 0;
}
