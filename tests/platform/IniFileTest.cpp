#include "platform/IniFile.h"

#include "platform/SafeFile.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <type_traits>

using namespace plat;
using tolv::test::ReadBytes;
using tolv::test::TempDir;
using tolv::test::WriteBytes;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    // A file with the given bytes, and an IniFile over it.
    IniFile With(const std::string& bytes, const std::string& name = "t.ini")
    {
        WriteBytes(dir.file(name), bytes);
        return IniFile(dir.file(name));
    }
    std::string Bytes(const std::string& name = "t.ini") const { return ReadBytes(dir.file(name)); }
    std::size_t FilesInDir() const
    {
        return std::size_t(std::distance(std::filesystem::directory_iterator(dir.path()),
                                         std::filesystem::directory_iterator()));
    }

    TempDir dir;
};

void ExpectRefused(IniFile& ini, const std::string& sec, const std::string& key, const std::string& value)
{
    try {
        ini.WriteString(sec, key, value);
        ADD_FAILURE() << "accepted [" << sec << "] " << key << "=" << value;
    } catch (const IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + ini.fileName());
    }
}

} // namespace

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    IniFile none(dir.file("none.ini"));
    EXPECT_EQ(none.ReadString("Control", "SaveDir", "dflt"), "dflt");
    EXPECT_EQ(none.ReadInteger("Control", "HexX", 13), 13);
    EXPECT_TRUE(none.ReadBool("Control", "Acrobat", true));
    EXPECT_FALSE(none.SectionExists("Control"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.ini"))) << "reading creates nothing";

    IniFile ini = With("[Control]\nEmpty=\nBlank=   \n[Other]\nKey=v\n");
    EXPECT_EQ(ini.ReadString("Control", "Key", "d"), "d");
    EXPECT_EQ(ini.ReadString("Nowhere", "Key", "d"), "d");
    EXPECT_EQ(ini.ReadString("Control", "Empty", "d"), "") << "present and empty is not missing";
    EXPECT_EQ(ini.ReadString("Control", "Blank", "d"), "");
    EXPECT_EQ(ini.ReadInteger("Control", "Empty", 7), 7);
    EXPECT_TRUE(ini.ValueExists("Control", "Empty"));
    EXPECT_FALSE(ini.ValueExists("Control", "Key"));
}

TEST_F(IniFileTest, NamesAreCaseInsensitiveAlsoBeyondAscii)
{
    IniFile ini = With("[MainForm]\nGröße=Size\n&Über...=&About...\nÄrger=trouble\n[Colors]\nColor1=255\n");
    EXPECT_EQ(ini.ReadString("mainform", "größe", ""), "Size");
    EXPECT_EQ(ini.ReadString("MAINFORM", "GRÖSSE", "none"), "none") << "no expansion of ß";
    EXPECT_EQ(ini.ReadString("MainForm", "GRÖßE", ""), "Size");
    EXPECT_EQ(ini.ReadString("MainForm", "&über...", ""), "&About...");
    EXPECT_EQ(ini.ReadString("MainForm", "ärger", ""), "trouble");
    EXPECT_EQ(ini.ReadInteger("COLORS", "color1", 0), 255);
    EXPECT_TRUE(ini.SectionExists("colors"));
}

TEST_F(IniFileTest, FirstDuplicateWinsAndBlanksAreTrimmed)
{
    IniFile ini = With("[A]\n  Key  =  first value  \nkey=second\n\tTab\t=\tx\t\n"
                       "Url=http://x/?a=b\n[a]\nKey=other section\nOnlyHere=1\n");
    EXPECT_EQ(ini.ReadString("A", "Key", ""), "first value");
    EXPECT_EQ(ini.ReadString("A", " Key ", ""), "first value");
    EXPECT_EQ(ini.ReadString("A", "Tab", ""), "x");
    EXPECT_EQ(ini.ReadString("A", "Url", ""), "http://x/?a=b");
    EXPECT_EQ(ini.ReadString("A", "OnlyHere", "d"), "d") << "the first of two equal sections is the one";
    EXPECT_EQ(ini.ReadSection("A"), (std::vector<std::string>{"Key", "Tab", "Url"}));
    EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{"A"});
}

TEST_F(IniFileTest, CommentsStrayLinesAndKeysBeforeAnySection)
{
    IniFile ini = With("Lost=1\n; comment=1\n[S]\n;Key=commented\nno equals sign\n=no key\nKey=2\n");
    EXPECT_EQ(ini.ReadInteger("S", "Key", 0), 2);
    EXPECT_EQ(ini.ReadString("S", ";Key", "d"), "d");
    EXPECT_EQ(ini.ReadString("", "Lost", "d"), "d");
    EXPECT_EQ(ini.ReadSection("S"), std::vector<std::string>{"Key"});
}

TEST_F(IniFileTest, Integers)
{
    const struct { const char* text; int expected; } cases[] = {
        {"12", 12}, {"-7", -7}, {"+5", 5}, {"007", 7}, {" 42 ", 42},
        {"0x10", 16}, {"0X1f", 31}, {"$FF", 255}, {"$ff", 255}, {"-0x10", -16},
        {"0xFFFFFFFF", -1}, {"0x80000005", -2147483643},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"16777215", 16777215}, {"-2147483643", -2147483643},
        // anything else is the default, 99
        {"2147483648", 99}, {"-2147483649", 99}, {"0x100000000", 99}, {"99999999999999999999", 99},
        {"abc", 99}, {"12abc", 99}, {"1 2", 99}, {"1.5", 99}, {"0x", 99}, {"$", 99},
        {"-", 99}, {"+", 99}, {"--1", 99}, {"0xG", 99}, {"x10", 99}, {"1e3", 99}, {"", 99},
    };
    for (const auto& c : cases) {
        IniFile ini = With(std::string("[Control]\r\nHexX=") + c.text + "\r\n");
        EXPECT_EQ(ini.ReadInteger("Control", "HexX", 99), c.expected) << '"' << c.text << '"';
    }
    int v = 0;
    EXPECT_TRUE(ParseIniInteger("0x0A", v));
    EXPECT_EQ(v, 10);
}

TEST_F(IniFileTest, Booleans)
{
    const struct { const char* text; bool defFalse, defTrue; } cases[] = {
        {"1", true, true}, {"0", false, false}, {"2", true, true}, {"-1", true, true},
        {"0x0", false, false}, {"$1", true, true}, {"yes", false, true}, {"", false, true},
    };
    for (const auto& c : cases) {
        IniFile ini = With(std::string("[Control]\nAcrobat=") + c.text + "\n");
        EXPECT_EQ(ini.ReadBool("Control", "Acrobat", false), c.defFalse) << c.text;
        EXPECT_EQ(ini.ReadBool("Control", "Acrobat", true), c.defTrue) << c.text;
    }
    IniFile ini(dir.file("b.ini"));
    ini.WriteBool("Control", "MitBMP", true);
    ini.WriteBool("Control", "MitZahl", false);
    EXPECT_EQ(ReadBytes(dir.file("b.ini")), "[Control]\r\nMitBMP=1\r\nMitZahl=0\r\n");
}

TEST_F(IniFileTest, StringsAreReadUpTo2047Characters)
{
    const std::string longAscii(3000, 'x');
    std::string longUmlaut;
    for (int i = 0; i < 3000; ++i)
        longUmlaut += "ä";
    IniFile ini = With("[S]\nA=" + longAscii + "\nU=" + longUmlaut + "\n");
    EXPECT_EQ(ini.ReadString("S", "A", ""), std::string(2047, 'x'));
    const std::string u = ini.ReadString("S", "U", "");
    EXPECT_EQ(u.size(), 2047u * 2) << "characters, not bytes";
    EXPECT_EQ(ini.ReadString("S", "Missing", longAscii).size(), 2047u);
}

TEST_F(IniFileTest, LineEndsAndByteOrderMark)
{
    const struct { const char* name; std::string bytes; } cases[] = {
        {"crlf", "[Control]\r\nHexX=5\r\nHexY=6\r\n"},
        {"lf", "[Control]\nHexX=5\nHexY=6\n"},
        {"mixed, no final line end", "[Control]\r\nHexX=5\nHexY=6"},
        {"bom", "\xEF\xBB\xBF[Control]\r\nHexX=5\r\nHexY=6\r\n"},
    };
    for (const auto& c : cases) {
        IniFile ini = With(c.bytes);
        EXPECT_EQ(ini.ReadInteger("Control", "HexX", 0), 5) << c.name;
        EXPECT_EQ(ini.ReadInteger("Control", "HexY", 0), 6) << c.name;
    }
}

TEST_F(IniFileTest, Windows1252FileReadsRight)
{
    IniFile ini = With("[PrintForm]\r\nGr\xF6\xDF" "e=Gr\xF6\xDF" "e \x80\r\n"
                       "\xDC" "berlappung=Overlap\r\n");
    EXPECT_EQ(ini.ReadString("PrintForm", "Größe", ""), "Größe €");
    EXPECT_EQ(ini.ReadString("printform", "überlappung", ""), "Overlap");
}

TEST_F(IniFileTest, FirstWriteCreatesTheFileSectionsInOrder)
{
    IniFile ini(dir.file("Tolvaria.ini"));
    ini.WriteInteger("Colors", "Color1", 16777215);
    ini.WriteInteger("Control", "HexX", 13);
    ini.WriteString("Control", "SaveDir", "/home/u/Karten");
    ini.WriteInteger("Druck", "Param1", 341);
    ini.WriteInteger("Control", "PdfJpgC", 80);
    ini.WriteInteger("Colors", "Color11", -2147483643);
    EXPECT_EQ(ReadBytes(dir.file("Tolvaria.ini")),
              "[Colors]\r\nColor1=16777215\r\nColor11=-2147483643\r\n"
              "[Control]\r\nHexX=13\r\nSaveDir=/home/u/Karten\r\nPdfJpgC=80\r\n"
              "[Druck]\r\nParam1=341\r\n");
    EXPECT_EQ(ini.ReadInteger("Colors", "Color11", 0), -2147483643);
}

TEST_F(IniFileTest, WriteChangesOnlyItsKeyAndKeepsEveryOtherLine)
{
    IniFile ini = With("; hand-written\n\n[Control]\nHexX = 13 \nhexx=dup\n  odd line\n"
                       "Url=http://a\n\n[Druck]\nParam1=341\n");
    ini.WriteInteger("control", "HEXX", 20);     // in place, first of the two, old spelling
    ini.WriteString("Control", "NewKey", "v");   // end of its section, before the blank line
    ini.WriteString("Neu", "K", "1");            // new section at the end
    EXPECT_EQ(Bytes(), "; hand-written\r\n\r\n[Control]\r\nHexX=20\r\nhexx=dup\r\n  odd line\r\n"
                       "Url=http://a\r\nNewKey=v\r\n\r\n[Druck]\r\nParam1=341\r\n[Neu]\r\nK=1\r\n");
    EXPECT_EQ(ini.ReadInteger("Control", "HexX", 0), 20);
}

TEST_F(IniFileTest, EveryWriteRereadsTheFile)
{
    IniFile a = With("[S]\nX=1\n");
    IniFile b(dir.file("t.ini"));
    a.WriteString("S", "A", "1");
    b.WriteString("S", "B", "2");
    a.WriteString("S", "C", "3");
    WriteBytes(dir.file("t.ini"), ReadBytes(dir.file("t.ini")) + "[Hand]\r\nEdit=yes\r\n");
    b.WriteString("S", "X", "9");
    EXPECT_EQ(Bytes(), "[S]\r\nX=9\r\nA=1\r\nB=2\r\nC=3\r\n[Hand]\r\nEdit=yes\r\n");
    EXPECT_EQ(a.ReadString("Hand", "Edit", ""), "yes");
    EXPECT_EQ(a.ReadInteger("S", "X", 0), 9);
}

TEST_F(IniFileTest, FileKeepsItsEncodingWhereTheTextFits)
{
    const std::string cp = "[MainForm]\r\nGr\xF6\xDF" "e=Gr\xF6\xDF" "e\r\n";
    {
        IniFile ini = With(cp, "a.ini");
        ini.WriteString("MainForm", "Spalten", "Spalten");
        ini.WriteString("MainForm", "Zeilen", "Zeilen ä €");
        EXPECT_EQ(Bytes("a.ini"), cp + "Spalten=Spalten\r\nZeilen=Zeilen \xE4 \x80\r\n")
            << "stays Windows-1252";
        EXPECT_EQ(ini.ReadString("MainForm", "Zeilen", ""), "Zeilen ä €");
    }
    {
        IniFile ini = With(cp, "b.ini");
        ini.WriteString("MainForm", "Sprache", "日本語");
        EXPECT_EQ(Bytes("b.ini"), "[MainForm]\r\nGröße=Größe\r\nSprache=日本語\r\n")
            << "becomes UTF-8 as a whole";
        EXPECT_EQ(ini.ReadString("MainForm", "größe", ""), "Größe");
    }
    {
        IniFile ini = With("\xEF\xBB\xBF[S]\nA=ä\n", "c.ini");
        ini.WriteString("S", "B", "ö");
        EXPECT_EQ(Bytes("c.ini"), "\xEF\xBB\xBF[S]\r\nA=ä\r\nB=ö\r\n") << "UTF-8 keeps its BOM";
    }
    {
        IniFile ini(dir.file("d.ini"));
        ini.WriteString("S", "Ä", "ü");
        EXPECT_EQ(Bytes("d.ini"), "[S]\r\nÄ=ü\r\n") << "new files are UTF-8";
    }
    {
        // Windows-1252 "Ã¤" is also UTF-8 "ä": once the write replaces the
        // only byte that marked the file as Windows-1252, it would read back
        // differently, so the file becomes UTF-8 with the same text.
        IniFile ini = With("[S]\r\nA=\xC3\xA4\r\nB=\xFC\r\n", "e.ini");
        ASSERT_EQ(ini.ReadString("S", "A", ""), "Ã¤");
        ini.WriteString("S", "B", "x");
        EXPECT_EQ(IniFile(dir.file("e.ini")).ReadString("S", "A", ""), "Ã¤");
        EXPECT_EQ(Bytes("e.ini"), "[S]\r\nA=Ã¤\r\nB=x\r\n");
        ini.WriteString("S", "C", "plain");
        EXPECT_EQ(IniFile(dir.file("e.ini")).ReadString("S", "A", ""), "Ã¤");
    }
}

TEST_F(IniFileTest, LineBreaksAndUnreadableNamesAreRefused)
{
    const std::string before = "[Control]\r\nSaveDir=/old\r\n";
    IniFile ini = With(before);
    // A folder name with a line break must not plant keys in the profile.
    ExpectRefused(ini, "Control", "SaveDir", "/tmp/evil\r\n[Control]\r\nHexX=99");
    ExpectRefused(ini, "Control", "SaveDir", "a\nb");
    ExpectRefused(ini, "Control", "SaveDir", "a\rb");
    ExpectRefused(ini, "Control", std::string("Save\0Dir", 8), "x");
    ExpectRefused(ini, "Control", "Key\nHexX", "1");
    ExpectRefused(ini, "Con\ntrol", "Key", "1");
    ExpectRefused(ini, "Control", "a=b", "1");
    ExpectRefused(ini, "Control", "  ", "1");
    ExpectRefused(ini, "Control", "[Druck]", "1");
    ExpectRefused(ini, "Control", ";c", "1");
    ExpectRefused(ini, "Con]trol", "Key", "1");
    ExpectRefused(ini, "", "Key", "1");
    ExpectRefused(ini, "Control", "Key", "Gr\xF6\xDF" "e");   // not UTF-8
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(ini.ReadString("Control", "SaveDir", ""), "/old");
}

TEST_F(IniFileTest, FailedWriteLeavesTheOldFileWhole)
{
    const std::string before = "[Control]\nHexX=13\n; keep me\n";
    IniFile ini = With(before);
    for (const WriteFault f : {WriteFault::CreateTemp, WriteFault::Write, WriteFault::Sync, WriteFault::Rename}) {
        const ScopedWriteFault fail(f);
        EXPECT_THROW(ini.WriteInteger("Control", "HexX", 40), IniWriteError) << int(f);
        EXPECT_EQ(Bytes(), before) << int(f);
        EXPECT_EQ(FilesInDir(), 1u) << "no temporary file left behind, fault " << int(f);
    }
    ini.WriteInteger("Control", "HexX", 40);
    EXPECT_EQ(Bytes(), "[Control]\r\nHexX=40\r\n; keep me\r\n");
}

TEST_F(IniFileTest, UnwritablePlacesRaiseUnableToWrite)
{
    IniFile missingFolder(dir.file("no/such/folder/Tolvaria.ini"));
    ExpectRefused(missingFolder, "Control", "HexX", "1");

    // The system would read the name only up to the NUL and write "cut".
    IniFile nul(dir.file(std::string("cut\0.ini", 8)));
    EXPECT_THROW(nul.WriteString("Control", "HexX", "1"), IniWriteError);
    EXPECT_FALSE(std::filesystem::exists(dir.file("cut")));

    std::filesystem::create_directory(dir.file("adir"));
    IniFile aDirectory(dir.file("adir"));
    EXPECT_EQ(aDirectory.ReadInteger("Control", "HexX", 13), 13);
    ExpectRefused(aDirectory, "Control", "HexX", "1");
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("adir")));
}

TEST_F(IniFileTest, WriteProtectedFileIsRefusedAndKeptWhole)
{
    // The replacement goes through the folder, which would pass over the
    // file's own protection (as root, even access() would allow it).
    IniFile ini = With("[S]\nA=1\n");
    ::chmod(dir.file("t.ini").c_str(), 0444);
    ExpectRefused(ini, "S", "A", "2");
    ini.BeginUpdate();
    ini.WriteString("S", "B", "3");
    EXPECT_THROW(ini.UpdateFile(), IniWriteError);
    EXPECT_EQ(Bytes(), "[S]\nA=1\n");
    struct stat st;
    ASSERT_EQ(::stat(dir.file("t.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

TEST_F(IniFileTest, ReplacementIsAtomicAndKeepsModeAndLinks)
{
    IniFile ini = With("[S]\nA=1\n");
    ::chmod(dir.file("t.ini").c_str(), 0640);
    struct stat before, after;
    ASSERT_EQ(::stat(dir.file("t.ini").c_str(), &before), 0);
    ini.WriteString("S", "A", "2");
    ASSERT_EQ(::stat(dir.file("t.ini").c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino) << "a new file renamed over the old, not rewritten in place";
    EXPECT_EQ(after.st_mode & 07777, 0640u);

    const mode_t old = ::umask(022);
    IniFile fresh(dir.file("fresh.ini"));
    fresh.WriteString("S", "A", "1");
    ::umask(old);
    ASSERT_EQ(::stat(dir.file("fresh.ini").c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0644u);

    std::filesystem::create_symlink(dir.file("t.ini"), dir.file("link.ini"));
    IniFile viaLink(dir.file("link.ini"));
    viaLink.WriteString("S", "B", "3");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.ini")));
    EXPECT_EQ(Bytes(), "[S]\r\nA=2\r\nB=3\r\n");
}

TEST_F(IniFileTest, HeldBackWritesReplaceTheFileOnce)
{
    IniFile ini = With("[Control]\nVersion=old\n[Hex]\n100=2\n");
    ini.BeginUpdate();
    ini.WriteString("Control", "Version", "QXTRV0101");
    ini.WriteInteger("Hex", "300", 4);
    ini.WriteInteger("Hex", "100", 3);
    EXPECT_EQ(Bytes(), "[Control]\nVersion=old\n[Hex]\n100=2\n") << "nothing written yet";
    EXPECT_EQ(ini.ReadInteger("Hex", "100", 0), 3) << "reads see the held-back writes";
    EXPECT_EQ(ini.ReadString("Control", "Version", ""), "QXTRV0101");
    // A change made meanwhile by someone else survives: the writes are
    // applied to the file as it is when they are committed.
    WriteBytes(dir.file("t.ini"), "[Control]\nVersion=old\nAuthor=hand\n[Hex]\n100=2\n");
    ini.UpdateFile();
    EXPECT_EQ(Bytes(), "[Control]\r\nVersion=QXTRV0101\r\nAuthor=hand\r\n[Hex]\r\n100=3\r\n300=4\r\n");
    ini.WriteInteger("Hex", "500", 5);   // back to writing at once
    EXPECT_EQ(IniFile(dir.file("t.ini")).ReadInteger("Hex", "500", 0), 5);
}

TEST_F(IniFileTest, HeldBackWritesNeedUpdateFileWhichReportsFailures)
{
    const std::string before = "[S]\r\nA=1\r\n";
    {
        IniFile ini = With(before);
        ini.BeginUpdate();
        ini.WriteInteger("S", "A", 2);
        ini.WriteInteger("T", "New", 3);
        ExpectRefused(ini, "S", "B", "x\ny");   // refused at once, not at the end
    }
    EXPECT_EQ(Bytes(), before) << "a series that stopped half-way is discarded with its object";

    IniFile ini(dir.file("t.ini"));
    ini.BeginUpdate();
    ini.WriteInteger("S", "A", 2);
    ExpectRefused(ini, "S", "B", "x\ny");
    ini.BeginUpdate();   // a new series, without what the stopped one held
    EXPECT_EQ(ini.ReadInteger("S", "A", 0), 1);
    ini.WriteInteger("S", "C", 3);
    ini.UpdateFile();
    EXPECT_EQ(Bytes(), "[S]\r\nA=1\r\nC=3\r\n");

    ini.BeginUpdate();
    ini.WriteInteger("S", "A", 2);
    {
        const ScopedWriteFault fail(WriteFault::Rename);
        EXPECT_THROW(ini.UpdateFile(), IniWriteError);
    }
    EXPECT_EQ(Bytes(), "[S]\r\nA=1\r\nC=3\r\n");
    EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(IniFileTest, MovingTakesTheHeldBackWritesAlong)
{
    static_assert(!std::is_copy_constructible_v<IniFile> && !std::is_copy_assignable_v<IniFile>,
                  "copies would share held-back writes and commit them twice");
    IniFile first = With("[S]\r\nA=1\r\n");
    first.BeginUpdate();
    first.WriteInteger("S", "A", 2);
    IniFile second = std::move(first);
    EXPECT_EQ(second.ReadInteger("S", "A", 0), 2);
    IniFile third(dir.file("other.ini"));
    third = std::move(second);
    third.WriteInteger("S", "B", 3);
    EXPECT_EQ(Bytes(), "[S]\r\nA=1\r\n");
    third.UpdateFile();
    EXPECT_EQ(Bytes(), "[S]\r\nA=2\r\nB=3\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("other.ini")));
}

TEST_F(IniFileTest, IndexStaysRightThroughManyWrites)
{
    // Writes into earlier sections shift the later ones; after each write the
    // object's own view must agree with a fresh read of the file, and holding
    // the writes back must give the same bytes.
    const std::string start = "[A]\nk0=a\n\n[B]\nK1=b\n\n\n[c]\n; note\nk2=c\n[A]\nk9=dup section\n";
    WriteBytes(dir.file("one.ini"), start);
    WriteBytes(dir.file("held.ini"), start);
    IniFile one(dir.file("one.ini"));
    IniFile held(dir.file("held.ini"));
    held.BeginUpdate();
    const char* sections[] = {"A", "b", "C", "D", "a"};
    unsigned seed = 12345;
    auto rnd = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int i = 0; i < 300; ++i) {
        const std::string sec = sections[rnd() % 5];
        const std::string key = (rnd() % 2 ? "k" : "K") + std::to_string(rnd() % 12);
        const std::string value = std::to_string(i);
        one.WriteString(sec, key, value);
        held.WriteString(sec, key, value);
        if (i % 25 == 0) {
            IniFile fresh(dir.file("one.ini"));
            for (const char* s : sections)
                for (int k = 0; k < 12; ++k) {
                    const std::string kk = "k" + std::to_string(k);
                    ASSERT_EQ(one.ReadString(s, kk, "-"), fresh.ReadString(s, kk, "-")) << s << kk;
                    ASSERT_EQ(held.ReadString(s, kk, "-"), fresh.ReadString(s, kk, "-")) << s << kk;
                }
        }
    }
    held.UpdateFile();
    EXPECT_EQ(Bytes("held.ini"), Bytes("one.ini"));
}

TEST_F(IniFileTest, AFifoInThePlaceOfTheFileNeitherHangsNorIsReplaced)
{
    ASSERT_EQ(::mkfifo(dir.file("fifo.ini").c_str(), 0644), 0);
    IniFile ini(dir.file("fifo.ini"));
    EXPECT_EQ(ini.ReadInteger("S", "A", 3), 3);
    ExpectRefused(ini, "S", "A", "1");
    struct stat st;
    ASSERT_EQ(::stat(dir.file("fifo.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

namespace {

// UTF-16 bytes of text, with its byte-order mark.
std::string Utf16Bytes(std::u16string_view text, bool bigEndian)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t u : text) {
        const char hi = char(u >> 8), lo = char(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

} // namespace

TEST_F(IniFileTest, Utf16FilesWithAByteOrderMarkAreReadAndWrittenBackAsUtf16)
{
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big endian" : "little endian");
        IniFile ini = With(Utf16Bytes(u"; Profil\r\n[Control]\r\nSaveDir=C:\\Karten\\Größe €\r\n"
                                      u"[Sprache]\r\nNote=\U0001D11E\r\n",
                                      bigEndian));
        EXPECT_EQ(ini.ReadString("Control", "SaveDir", ""), "C:\\Karten\\Größe €");
        EXPECT_EQ(ini.ReadString("sprache", "note", ""), "\U0001D11E") << "a surrogate pair";
        ini.WriteString("Control", "HexX", "13");
        ini.WriteString("Sprache", "Name", "日本語");
        EXPECT_EQ(Bytes(), Utf16Bytes(u"; Profil\r\n[Control]\r\nSaveDir=C:\\Karten\\Größe €\r\n"
                                      u"HexX=13\r\n[Sprache]\r\nNote=\U0001D11E\r\nName=日本語\r\n",
                                      bigEndian));
    }
    // Broken UTF-16 still reads: an unpaired surrogate and a lone last byte
    // become replacement characters.
    IniFile broken = With(Utf16Bytes(u"[S]\r\nA=x\xD800y\r\nB=z", false) + "\x41");
    EXPECT_EQ(broken.ReadString("S", "A", ""), "x\uFFFDy");
    EXPECT_EQ(broken.ReadString("S", "B", ""), "z\uFFFD");
}

TEST_F(IniFileTest, AFolderThatTakesNoNewFileGetsAWritableFileWrittenInPlace)
{
    // A shared install: the folder belongs to someone else, the file is
    // writable. Shorter and longer contents both come out exact.
    IniFile ini = With("[Control]\nHexX=13\nSaveDir=/a/rather/long/folder/name\n");
    struct stat before, after;
    ASSERT_EQ(::stat(dir.file("t.ini").c_str(), &before), 0);
    {
        const ScopedWriteFault denied(WriteFault::FolderDenied);
        ini.WriteString("Control", "SaveDir", "/b");
        EXPECT_EQ(Bytes(), "[Control]\r\nHexX=13\r\nSaveDir=/b\r\n");
        ini.WriteString("Control", "PdfJpgC", "80");
        EXPECT_EQ(Bytes(), "[Control]\r\nHexX=13\r\nSaveDir=/b\r\nPdfJpgC=80\r\n");

        // What the folder cannot take and the file refuses stays refused.
        IniFile missing(dir.file("new.ini"));
        ExpectRefused(missing, "S", "A", "1");
        IniFile protectedFile = With("[S]\nA=1\n", "ro.ini");
        ::chmod(dir.file("ro.ini").c_str(), 0444);
        ExpectRefused(protectedFile, "S", "A", "2");
        EXPECT_EQ(Bytes("ro.ini"), "[S]\nA=1\n");
    }
    ASSERT_EQ(::stat(dir.file("t.ini").c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino) << "the same file, written in place";
    EXPECT_EQ(FilesInDir(), 2u) << "no temporary file, nothing created";
}

TEST_F(IniFileTest, AFolderOfAnotherUserGetsAWritableFileWrittenInPlace)
{
    // The real thing: a process that may write the file but not the folder.
    WriteBytes(dir.file("t.ini"), "[Control]\nHexX=13\n");
    ::chmod(dir.file("t.ini").c_str(), 0666);
    const bool root = ::geteuid() == 0;
    if (!root)
        ::chmod(dir.str().c_str(), 0555);
    const pid_t child = root ? ::fork() : 0;
    ASSERT_GE(child, 0);
    if (child == 0) {
        bool ok = true;
        if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(77);
        try {
            IniFile(dir.file("t.ini")).WriteInteger("Control", "HexX", 20);
        } catch (const IniWriteError&) {
            ok = false;
        }
        if (root)
            ::_exit(ok ? 0 : 1);
        ::chmod(dir.str().c_str(), 0755);
        EXPECT_TRUE(ok);
    } else {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 77)
            GTEST_SKIP() << "cannot become another user";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the write was refused";
    }
    EXPECT_EQ(Bytes(), "[Control]\r\nHexX=20\r\n");
    EXPECT_EQ(FilesInDir(), 1u);
}
