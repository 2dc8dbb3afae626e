#include "editor/board/MapScript.h"

#include "platform/IniFile.h"
#include "platform/SafeFile.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace tolv;
using tolv::test::ReadBytes;
using tolv::test::WriteBytes;
namespace fs = std::filesystem;

namespace {

class MapScriptTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    // Lines without line ends.
    static std::vector<std::string> Lines(const std::string& path)
    {
        return test::Lines(ReadBytes(path));
    }
    // The key lines of one section, in file order.
    static std::vector<std::string> SectionLines(const std::string& path, const std::string& section)
    {
        std::vector<std::string> out;
        bool in = false;
        for (const std::string& line : Lines(path)) {
            if (!line.empty() && line.front() == '[') {
                in = line == "[" + section + "]";
                continue;
            }
            if (in && !line.empty())
                out.push_back(line);
        }
        return out;
    }

    static std::unique_ptr<BoardArray> Board(TerrainCode fill = tcPampa, bool flag = false)
    {
        auto b = std::make_unique<BoardArray>();
        for (auto& column : *b)
            for (TerrainCell& cell : column)
                cell = TerrainCell{fill, flag};
        return b;
    }

    test::TempDir tmp_;
    const std::string dir_ = tmp_.str();
};

std::string Script(int cols, int rows, const std::string& hex, const std::string& version = "QXTRV0101")
{
    return "[Control]\r\nVersion=" + version + "\r\nColCount=" + std::to_string(cols) +
           "\r\nRowCount=" + std::to_string(rows) + "\r\n[Hex]\r\n" + hex;
}

} // namespace

TEST_F(MapScriptTest, WritesControlKeysThenHexKeysInCellWalkOrder)
{
    auto board = Board();
    (*board)[1][0].Terrain = tcWasser;
    (*board)[12][35].Terrain = tcBerg;
    const std::string file = Path("a.tlv");
    const MapScriptWriteResult r = WriteMapScript(file, *board, MapShape{13, 37, true});
    ASSERT_TRUE(r.Ok) << r.Error;

    EXPECT_EQ(SectionLines(file, "Control"),
              (std::vector<std::string>{"Version=QXTRV0101", "ColCount=13", "RowCount=37",
                                        "Author=None", "MapName=None", "MapVersion=1"}));
    const std::vector<std::string> hex = SectionLines(file, "Hex");
    ASSERT_EQ(hex.size(), 240u);
    EXPECT_EQ(std::vector<std::string>(hex.begin(), hex.begin() + 7),
              (std::vector<std::string>{"100=10", "300=2", "500=2", "700=2", "900=2", "1100=2", "1=2"}));
    EXPECT_NE(std::find(hex.begin(), hex.end(), "1235=7"), hex.end());
    EXPECT_EQ(Lines(file).front(), "[Control]");   // sections in this order in a new file
}

TEST_F(MapScriptTest, HexKeys)
{
    EXPECT_EQ(HexKey(0, 1), "1");
    EXPECT_EQ(HexKey(1, 0), "100");
    EXPECT_EQ(HexKey(12, 35), "1235");
    EXPECT_EQ(HexKey(39, 79), "3979");
}

TEST_F(MapScriptTest, RoundTripGivesTheMapCellsBackAndPampaElsewhere)
{
    auto board = Board();
    std::mt19937 rng(7);
    for (int c = 0; c < BoardCols; ++c)
        for (int r = 0; r < BoardRows; ++r)
            (*board)[c][r] = TerrainCell{int(rng() % 10) + 1, rng() % 2 == 0};
    const std::string file = Path("round.tlv");
    ASSERT_TRUE(WriteMapScript(file, *board, MapShape{40, 80, true}).Ok);

    auto loaded = Board(tcMarkt, true);
    const MapScriptReadResult r = ReadMapScript(file, true, *loaded);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.ColCount, 40);
    EXPECT_EQ(r.RowCount, 80);
    for (int c = 0; c < BoardCols; ++c)
        for (int row = 0; row < BoardRows; ++row) {
            const bool mapCell = c < 40 && row < 80 && ((c ^ row) & 1) == 1;
            const TerrainCell& cell = (*loaded)[c][row];
            ASSERT_EQ(cell.Terrain, mapCell ? (*board)[c][row].Terrain : tcPampa) << c << "," << row;
            ASSERT_FALSE(cell.RandomFill);
        }
}

TEST_F(MapScriptTest, WritingMergesIntoAnExistingFile)
{
    // A 20 x 20 board saved first, then a 10 x 10 board over it.
    auto big = Board(tcWald);
    const std::string file = Path("merge.tlv");
    ASSERT_TRUE(WriteMapScript(file, *big, MapShape{20, 20, true}).Ok);
    {
        std::ofstream(file, std::ios::binary | std::ios::app) << "[Notes]\r\nText=keep me\r\n";
    }
    auto small = Board(tcMoor);
    ASSERT_TRUE(WriteMapScript(file, *small, MapShape{10, 10, true}, "None", "None", 1).Ok);

    const std::vector<std::string> hex = SectionLines(file, "Hex");
    EXPECT_EQ(hex.size(), 200u);   // every key of the 20 x 20 board is still there
    EXPECT_NE(std::find(hex.begin(), hex.end(), "1918=4"), hex.end());   // old, outside 10 x 10
    EXPECT_NE(std::find(hex.begin(), hex.end(), "1=5"), hex.end());      // rewritten
    EXPECT_EQ(SectionLines(file, "Notes"), (std::vector<std::string>{"Text=keep me"}));
    EXPECT_EQ(SectionLines(file, "Control")[1], "ColCount=10");

    auto loaded = Board();
    const MapScriptReadResult r = ReadMapScript(file, true, *loaded);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.ColCount, 10);
    EXPECT_EQ(r.RowCount, 10);
    EXPECT_EQ((*loaded)[19][18].Terrain, tcPampa);   // outside the loaded size
    EXPECT_EQ((*loaded)[0][1].Terrain, tcMoor);
}

TEST_F(MapScriptTest, ReaderChecksAndSilentRefusals)
{
    struct Case {
        const char* name;
        std::string text;
        bool loaded;
        int cols = 0, rows = 0;
    };
    const Case cases[] = {
        {"good", Script(13, 37, "1=3\r\n"), true, 13, 37},
        {"three columns", Script(3, 37, ""), true, 3, 37},
        {"smallest", Script(2, 2, ""), true, 2, 2},
        {"largest", Script(40, 80, ""), true, 40, 80},
        {"hex sizes", "[Control]\nVersion=QXTRV0101\nColCount=0x0A\nRowCount=0X14\n", true, 10, 20},
        {"sizes missing: 13 x 37", "[Control]\nVersion=QXTRV0101\n", true, 13, 37},
        {"case-insensitive names", "[CONTROL]\nversion=QXTRV0101\ncolcount=5\nROWCOUNT=6\n", true, 5, 6},
        {"blanks around the value", "[Control]\nVersion = QXTRV0101 \n", true, 13, 37},
        {"lower-case control value", Script(13, 37, "", "qxtrv0101"), false},
        {"control value Error", Script(13, 37, "", "Error"), false},
        {"other control value", Script(13, 37, "", "QXTRV0102"), false},
        {"no Control section", "[Hex]\r\n1=3\r\n", false},
        {"empty file", "", false},
        {"one column", Script(1, 37, ""), false},
        {"41 columns", Script(41, 37, ""), false},
        {"one row", Script(13, 1, ""), false},
        {"81 rows", Script(13, 81, ""), false},
        {"negative", Script(-5, 37, ""), false},
        {"size not a number: default", "[Control]\nVersion=QXTRV0101\nColCount=abc\nRowCount=9\n", true, 13, 9},
    };
    for (const Case& c : cases) {
        const std::string file = Path("check.tlv");
        WriteBytes(file, c.text);
        auto board = Board(tcMarkt, true);
        const MapScriptReadResult r = ReadMapScript(file, true, *board);
        EXPECT_EQ(r.ok(), c.loaded) << c.name;
        if (c.loaded) {
            EXPECT_EQ(r.ColCount, c.cols) << c.name;
            EXPECT_EQ(r.RowCount, c.rows) << c.name;
        } else {
            EXPECT_EQ(r.Status, MapScriptStatus::Refused) << c.name;
            bool untouched = true;
            for (const auto& column : *board)
                for (const TerrainCell& cell : column)
                    untouched = untouched && cell.Terrain == tcMarkt && cell.RandomFill;
            EXPECT_TRUE(untouched) << c.name;
        }
    }
}

TEST_F(MapScriptTest, HexValuesOutsideOneToTenLeavePampa)
{
    // Cells of a 4 x 4 board with FirstOdd true: (0,1) (0,3) (1,0) (1,2) (2,1) (2,3) (3,0) (3,2).
    const std::string file = Path("values.tlv");
    WriteBytes(file, Script(4, 4,
                           "1=0x0A\r\n3=11\r\n100=0\r\n102=-3\r\n201=abc\r\n203=\r\n300=1\r\n"
                           "2=7\r\n"));   // (0,2) is no map cell: ignored
    auto board = Board(tcMarkt, true);
    ASSERT_TRUE(ReadMapScript(file, true, *board).ok());
    EXPECT_EQ((*board)[0][1].Terrain, tcWasser);   // 0x0A
    EXPECT_EQ((*board)[0][3].Terrain, tcPampa);    // 11
    EXPECT_EQ((*board)[1][0].Terrain, tcPampa);    // 0
    EXPECT_EQ((*board)[1][2].Terrain, tcPampa);    // negative
    EXPECT_EQ((*board)[2][1].Terrain, tcPampa);    // not a number
    EXPECT_EQ((*board)[2][3].Terrain, tcPampa);    // empty
    EXPECT_EQ((*board)[3][0].Terrain, tcLeer);     // 1
    EXPECT_EQ((*board)[3][2].Terrain, tcPampa);    // missing
    EXPECT_EQ((*board)[0][2].Terrain, tcPampa);
    EXPECT_EQ((*board)[40][80].Terrain, tcPampa);  // the whole array is cleared
}

TEST_F(MapScriptTest, ReaderFollowsTheMapParity)
{
    const std::string file = Path("parity.tlv");
    WriteBytes(file, Script(4, 4, "0=3\r\n1=4\r\n"));
    auto odd = Board(), even = Board();
    ASSERT_TRUE(ReadMapScript(file, true, *odd).ok());
    ASSERT_TRUE(ReadMapScript(file, false, *even).ok());
    EXPECT_EQ((*odd)[0][0].Terrain, tcPampa);
    EXPECT_EQ((*odd)[0][1].Terrain, tcWald);
    EXPECT_EQ((*even)[0][0].Terrain, tcWiese);
    EXPECT_EQ((*even)[0][1].Terrain, tcPampa);
}

TEST_F(MapScriptTest, UnreadableTooLargeAndBinaryFiles)
{
    auto board = Board(tcMarkt, true);
    EXPECT_EQ(ReadMapScript(Path("missing.tlv"), true, *board).Status, MapScriptStatus::Unreadable);
    fs::create_directory(Path("folder.tlv"));
    EXPECT_EQ(ReadMapScript(Path("folder.tlv"), true, *board).Status, MapScriptStatus::Unreadable);
    EXPECT_EQ(ReadMapScript("", true, *board).Status, MapScriptStatus::Unreadable);

    // A huge file that starts like a good script is refused without being read.
    const std::string huge = Path("huge.tlv");
    WriteBytes(huge, Script(13, 37, "1=3\r\n"));
    fs::resize_file(huge, 64ull * 1024 * 1024);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadMapScript(huge, true, *board).Status, MapScriptStatus::TooLarge);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(200));

    // Just under the limit is still read.
    const std::string edge = Path("edge.tlv");
    WriteBytes(edge, Script(13, 37, "1=3\r\n"));
    fs::resize_file(edge, MaxMapScriptBytes);
    EXPECT_NE(ReadMapScript(edge, true, *board).Status, MapScriptStatus::TooLarge);

    std::mt19937 rng(3);
    std::string junk(200000, '\0');
    for (char& ch : junk)
        ch = char(rng());
    const std::string bin = Path("binary.tlv");
    WriteBytes(bin, junk);
    auto untouched = Board(tcMarkt, true);
    EXPECT_EQ(ReadMapScript(bin, true, *untouched).Status, MapScriptStatus::Refused);
    EXPECT_EQ((*untouched)[5][5].Terrain, tcMarkt);

    // Binary junk around a valid control section still loads what it can.
    const std::string mixed = Path("mixed.tlv");
    WriteBytes(mixed, junk.substr(0, 500) + "\r\n" + Script(4, 4, "1=6\r\n") + junk.substr(500, 500));
    auto m = Board();
    EXPECT_NO_THROW(ReadMapScript(mixed, true, *m));
}

TEST_F(MapScriptTest, FileNamesAndMessages)
{
    EXPECT_EQ(MapScriptFileName("/x/plan.txt"), "/x/plan.tlv");
    EXPECT_EQ(MapScriptFileName("/x/plan"), "/x/plan.tlv");
    EXPECT_EQ(MapScriptFileName("/x/plan.tlv"), "/x/plan.tlv");
    EXPECT_EQ(MapScriptWriteErrorText("/x/plan.tlv"), "Datei /x/plan.tlv kann nicht beschrieben werden !");
}

TEST_F(MapScriptTest, SaveUnderOtherExtensionSetsMapDirAndName)
{
    auto state = std::make_unique<BoardState>();
    state->MapDir = "/old/";
    const MapScriptWriteResult r = SaveMapScript(*state, Path("plan.txt"), MapShape{13, 37, true});
    ASSERT_TRUE(r.Ok);
    EXPECT_EQ(r.FileName, Path("plan.tlv"));
    EXPECT_TRUE(fs::exists(Path("plan.tlv")));
    EXPECT_FALSE(fs::exists(Path("plan.txt")));
    EXPECT_EQ(state->MapFileName, "plan.tlv");
    EXPECT_EQ(state->MapDir, dir_ + "/");
}

TEST_F(MapScriptTest, SavedScriptsAlwaysCarryNone)
{
    const std::string file = Path("authored.tlv");
    WriteBytes(file, "[Control]\r\nVersion=QXTRV0101\r\nColCount=4\r\nRowCount=4\r\n"
                    "Author=Somebody\r\nMapName=Insel\r\nMapVersion=7\r\n");
    auto state = std::make_unique<BoardState>();
    const MapScriptReadResult r = LoadMapScript(*state, file, "/start", true);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.Author, "Somebody");
    EXPECT_EQ(r.MapVersion, 7);
    ASSERT_TRUE(SaveMapScript(*state, file, MapShape{4, 4, true}).Ok);
    const std::vector<std::string> control = SectionLines(file, "Control");
    EXPECT_EQ(std::vector<std::string>(control.begin() + 3, control.end()),
              (std::vector<std::string>{"Author=None", "MapName=None", "MapVersion=1"}));
}

TEST_F(MapScriptTest, LoadSetsMapDirAndNameAndARefusalKeepsTheBoard)
{
    auto state = std::make_unique<BoardState>();
    state->Board[3][4] = TerrainCell{tcWald, true};

    const std::string bad = Path("bad.tlv");
    WriteBytes(bad, Script(13, 37, "1=3\r\n", "qxtrv0101"));
    MapScriptReadResult r = LoadMapScript(*state, bad, "/start/here", true);
    EXPECT_EQ(r.Status, MapScriptStatus::Refused);
    EXPECT_EQ(state->MapFileName, bad);          // the full name, until the next success
    EXPECT_EQ(state->MapDir, "/start/here");
    EXPECT_EQ(state->Board[3][4].Terrain, tcWald);
    EXPECT_TRUE(state->Board[3][4].RandomFill);

    const std::string good = Path("good.tlv");
    WriteBytes(good, Script(5, 6, "1=9\r\n"));
    r = LoadMapScript(*state, good, "/start/here", true);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(state->MapFileName, "good.tlv");
    EXPECT_EQ(state->MapDir, dir_ + "/");
    EXPECT_EQ(state->Board[0][1].Terrain, tcMarkt);
    EXPECT_EQ(state->Board[3][4].Terrain, tcPampa);
    EXPECT_FALSE(state->Board[3][4].RandomFill);
}

TEST_F(MapScriptTest, FailedWriteIsReportedAndChangesNothing)
{
    auto state = std::make_unique<BoardState>();
    state->MapDir = "/kept/";
    state->MapFileName = "kept.tlv";

    // A folder that does not exist cannot take the file.
    const std::string name = Path("no/such/folder/plan.tlv");
    MapScriptWriteResult r = SaveMapScript(*state, name, MapShape{13, 37, true});
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.FileName, name);
    EXPECT_EQ(r.Error, "Datei " + name + " kann nicht beschrieben werden !");
    EXPECT_EQ(state->MapDir, "/kept/");
    EXPECT_EQ(state->MapFileName, "kept.tlv");

    // A folder in the way of the file name.
    fs::create_directory(Path("taken.tlv"));
    r = SaveMapScript(*state, Path("taken.tlv"), MapShape{13, 37, true});
    EXPECT_FALSE(r.Ok);
    EXPECT_TRUE(fs::is_directory(Path("taken.tlv")));
    EXPECT_EQ(state->MapFileName, "kept.tlv");
}

TEST_F(MapScriptTest, ReadOnlyScriptIsNotReplaced)
{
    // Write protection is the user's "keep this file": the save is refused
    // like any other write, even where the folder would allow a replace.
    const std::string file = Path("kept.tlv");
    auto old = Board(tcFels);
    ASSERT_TRUE(WriteMapScript(file, *old, MapShape{10, 10, true}).Ok);
    const std::string before = ReadBytes(file);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    auto state = std::make_unique<BoardState>();
    state->MapFileName = "other.tlv";
    const MapScriptWriteResult r = SaveMapScript(*state, file, MapShape{13, 37, true});
    fs::permissions(file, fs::perms::owner_write, std::filesystem::perm_options::add);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Error, "Datei " + file + " kann nicht beschrieben werden !");
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_EQ(state->MapFileName, "other.tlv");
}

TEST_F(MapScriptTest, ARefusedValueLeavesTheOldFileByteIdentical)
{
    // The author and map name come after the board size: when one of them
    // is refused, nothing written before it may reach the file.
    const std::string file = Path("old.tlv");
    auto old = Board(tcFels);
    ASSERT_TRUE(WriteMapScript(file, *old, MapShape{10, 10, true}).Ok);
    const std::string before = ReadBytes(file);
    const auto board = Board(tcWald);
    const struct { const char* what; std::string author, mapName; } cases[] = {
        {"author with a line break", "Anna\r\n[Hex]\r\n0000=3", "Plan"},
        {"map name with a NUL byte", "Anna", std::string("Pl\0an", 5)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const MapScriptWriteResult r =
            WriteMapScript(file, *board, MapShape{40, 80, true}, c.author, c.mapName, 2);
        EXPECT_FALSE(r.Ok);
        EXPECT_EQ(r.Error, "Datei " + file + " kann nicht beschrieben werden !");
        EXPECT_EQ(ReadBytes(file), before);
    }
}

TEST_F(MapScriptTest, AFailedWriteLeavesTheOldFileWhole)
{
    // An old 10 x 10 script, then a 40 x 80 save that fails at each step of
    // the replace in turn (full disk, read-only folder ...).
    const std::string file = Path("old.tlv");
    auto old = Board(tcFels);
    ASSERT_TRUE(WriteMapScript(file, *old, MapShape{10, 10, true}).Ok);
    WriteBytes(file, ReadBytes(file) + "[Notes]\r\nText=mine\r\n");
    const std::string before = ReadBytes(file);

    auto state = std::make_unique<BoardState>();
    state->MapFileName = "kept.tlv";
    for (plat::WriteFault fault : {plat::WriteFault::CreateTemp, plat::WriteFault::Write,
                                   plat::WriteFault::Sync, plat::WriteFault::Rename}) {
        const MapScriptWriteResult r = [&] {
            const plat::ScopedWriteFault fail(fault);
            return SaveMapScript(*state, file, MapShape{40, 80, true});
        }();
        EXPECT_FALSE(r.Ok) << int(fault);
        EXPECT_EQ(r.Error, "Datei " + file + " kann nicht beschrieben werden !");
        EXPECT_EQ(ReadBytes(file), before) << int(fault);
        EXPECT_EQ(state->MapFileName, "kept.tlv");
    }
    // No temporary file is left behind.
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"old.tlv"}));

    // And the next save goes through.
    ASSERT_TRUE(SaveMapScript(*state, file, MapShape{40, 80, true}).Ok);
    EXPECT_EQ(SectionLines(file, "Notes"), (std::vector<std::string>{"Text=mine"}));
}

