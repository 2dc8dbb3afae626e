#include "editor/board/Prof01.h"

#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "platform/ScriptedDialogs.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace tolv;
using tolv::test::ReadBytes;
using tolv::test::WriteBytes;
namespace fs = std::filesystem;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(dir_ + "/work");
        fs::create_directory(dir_ + "/prog");
        setup_.WorkDir = dir_ + "/work";
        setup_.ProgramDir = dir_ + "/prog";
    }
    void TearDown() override
    {
        // A test may leave the profile read-only.
        std::error_code ec;
        fs::permissions(ProfilePath(), fs::perms::owner_all, ec);
    }

    std::string ProfilePath() const { return dir_ + "/work/Tolvaria.ini"; }

    // "section/key" for every key line, in file order.
    std::vector<std::string> Keys() const
    {
        std::vector<std::string> out;
        std::string section;
        for (const std::string& line : test::Lines(ReadBytes(ProfilePath()))) {
            if (line.empty())
                continue;
            if (line.front() == '[')
                section = line.substr(1, line.size() - 2);
            else
                out.push_back(section + "/" + line.substr(0, line.find('=')));
        }
        return out;
    }
    std::string Value(const std::string& section, const std::string& key) const
    {
        return plat::IniFile(ProfilePath()).ReadString(section, key, "<missing>");
    }

    test::TempDir tmp_;
    const std::string dir_ = tmp_.str();
    ProfileSetup setup_;
};

const std::vector<std::string> kAllKeys = [] {
    std::vector<std::string> k;
    for (int i = 1; i <= 11; ++i)
        k.push_back("Colors/Color" + std::to_string(i));
    for (const char* n : {"PosLeft", "PosTop", "PosWidth", "PosHeight", "HexX", "HexY", "HexSize",
                          "SaveDir"})
        k.push_back(std::string("Control/") + n);
    // Keys of Control read after Druck still join their own section.
    for (const char* n : {"PdfJpgC", "wwwVennhalm", "wwwLindsruh", "wwwLudoveil", "Acrobat",
                          "MitBMP", "MitZahl", "M1", "M2", "W1", "W2", "HellF", "HellA"})
        k.push_back(std::string("Control/") + n);
    for (int i = 1; i <= 10; ++i)
        k.push_back("Druck/Param" + std::to_string(i));
    return k;
}();

} // namespace

TEST_F(ProfileTest, FirstStartCreatesACompleteProfile)
{
    Profile profile;
    ProfileData data;
    const ProfileReadResult r = profile.ReadProfile(data, setup_);
    ASSERT_TRUE(r.ok()) << r.Text;
    EXPECT_EQ(profile.Path(), ProfilePath());
    EXPECT_EQ(Keys(), kAllKeys);   // every key but PrivateTest1, sections in order

    EXPECT_EQ(data.Colors[1], 16777215);
    EXPECT_EQ(data.Colors[11], 131586);
    EXPECT_EQ(Value("Colors", "Color2"), "11992989");
    EXPECT_EQ(data.PosLeft, 393);
    EXPECT_EQ(data.PosHeight, 546);
    EXPECT_EQ(data.HexX, 13);
    EXPECT_EQ(data.HexY, 37);
    EXPECT_EQ(data.HexSize, 26);
    EXPECT_EQ(data.SaveDir, setup_.ProgramDir);
    EXPECT_EQ(data.Param, (PrintParamArray{341, 341, 50, 50, 50, 50, 80, 3, 0, 0}));
    EXPECT_EQ(data.PdfJpgC, 80);
    EXPECT_TRUE(data.Acrobat);
    EXPECT_FALSE(data.MitBMP);
    EXPECT_TRUE(data.MitZahl);
    EXPECT_EQ(data.M1, "NONE");
    EXPECT_EQ(data.W2, "NONE");
    EXPECT_EQ(data.HellF, 100);
    EXPECT_EQ(data.HellA, 0);
    EXPECT_FALSE(data.PrivateTest1);
    EXPECT_FALSE(data.wwwVennhalm.empty());
    EXPECT_EQ(Value("Control", "Acrobat"), "1");
    EXPECT_EQ(Value("Control", "PrivateTest1"), "<missing>");
}

TEST_F(ProfileTest, ValuesAreReadAndWrittenBackNormalised)
{
    WriteBytes(ProfilePath(),
              "[control]\r\nhexx=0x10\r\nHexY=abc\r\nHexSize=$1A\r\nAcrobat=5\r\nHellF=-40\r\n"
              "SaveDir=/home/k\xc3\xa4the/Karten\r\nPrivateTest1=1\r\n[Colors]\r\nColor3=0xFF\r\n");
    Profile profile;
    ProfileData data;
    ASSERT_TRUE(profile.ReadProfile(data, setup_).ok());
    EXPECT_EQ(data.HexX, 16);
    EXPECT_EQ(data.HexY, 37);
    EXPECT_EQ(data.HexSize, 26);
    EXPECT_TRUE(data.Acrobat);
    EXPECT_EQ(data.HellF, -40);
    EXPECT_EQ(data.Colors[3], 255);
    EXPECT_EQ(data.SaveDir, "/home/k\xc3\xa4the/Karten");
    EXPECT_TRUE(data.PrivateTest1);
    EXPECT_EQ(Value("Control", "HexX"), "16");
    EXPECT_EQ(Value("Control", "HexY"), "37");
    EXPECT_EQ(Value("Control", "Acrobat"), "1");
    EXPECT_EQ(Value("Colors", "Color3"), "255");
    EXPECT_EQ(Value("Control", "PrivateTest1"), "1");   // read, never rewritten
}

TEST_F(ProfileTest, SizesAndPrintParametersAreClampedAndWrittenBack)
{
    struct Case {
        const char* section;
        const char* key;
        const char* stored;
        int expected;
    };
    const Case cases[] = {
        {"Control", "HexX", "1", 2},         {"Control", "HexX", "999", 40},
        {"Control", "HexX", "40", 40},       {"Control", "HexY", "0", 2},
        {"Control", "HexY", "81", 80},       {"Control", "HexY", "-5", 2},
        {"Control", "HexSize", "0", 10},     {"Control", "HexSize", "100", 99},
        {"Control", "HexSize", "9", 10},     {"Druck", "Param1", "19", 20},
        {"Druck", "Param2", "10000", 9999},  {"Druck", "Param3", "-1", 0},
        {"Druck", "Param7", "12000", 9999},  {"Druck", "Param8", "0", 1},
        {"Druck", "Param9", "7", 0},         {"Druck", "Param9", "1", 1},
        {"Druck", "Param10", "5", 1},        {"Druck", "Param10", "0", 0},
        {"Druck", "Param6", "2147483647", 9999},
    };
    for (const Case& c : cases) {
        WriteBytes(ProfilePath(), std::string("[") + c.section + "]\r\n" + c.key + "=" + c.stored + "\r\n");
        Profile profile;
        ProfileData data;
        ASSERT_TRUE(profile.ReadProfile(data, setup_).ok());
        const std::string k = c.key;
        const int got = k == "HexX" ? data.HexX
                        : k == "HexY" ? data.HexY
                        : k == "HexSize" ? data.HexSize
                                         : data.Param[std::stoi(k.substr(5))];
        EXPECT_EQ(got, c.expected) << c.key << "=" << c.stored;
        EXPECT_EQ(Value(c.section, c.key), std::to_string(c.expected)) << c.key << "=" << c.stored;
    }
}

TEST_F(ProfileTest, CloseWritesItsKeysAndKeepsHandEdits)
{
    {
        Profile profile;
        ProfileData data;
        ASSERT_TRUE(profile.ReadProfile(data, setup_).ok());
    }
    // Hand edits between two runs.
    {
        plat::IniFile ini(ProfilePath());
        ini.WriteString("Control", "wwwVennhalm", "https://example.org/v");
        ini.WriteString("Control", "M1", "Regeln");
        ini.WriteString("Control", "W2", "https://example.org/w2");
        ini.WriteInteger("Control", "HellF", 120);
        ini.WriteInteger("Control", "HellA", -15);
        ini.WriteBool("Control", "MitBMP", true);
        ini.WriteString("Extra", "Note", "mine");
    }
    Profile profile;
    ProfileData data;
    ASSERT_TRUE(profile.ReadProfile(data, setup_).ok());
    EXPECT_EQ(data.M1, "Regeln");
    EXPECT_EQ(data.HellA, -15);

    data.Colors[4] = 0x123456;
    data.PosLeft = 10;
    data.PosTop = 20;
    data.PosWidth = 800;
    data.PosHeight = 600;
    data.HexX = 20;
    data.HexY = 50;
    data.HexSize = 30;
    data.SaveDir = "/maps/";
    data.Param[9] = 1;
    data.PdfJpgC = 100;
    // Changed in the record but not the close's business: must not be written.
    data.M1 = "changed";
    data.HellF = 50;
    data.MitBMP = false;
    profile.WriteProfile(data);

    EXPECT_EQ(Value("Colors", "Color4"), std::to_string(0x123456));
    EXPECT_EQ(Value("Control", "PosLeft"), "10");
    EXPECT_EQ(Value("Control", "PosHeight"), "600");
    EXPECT_EQ(Value("Control", "HexX"), "20");
    EXPECT_EQ(Value("Control", "HexY"), "50");
    EXPECT_EQ(Value("Control", "HexSize"), "30");
    EXPECT_EQ(Value("Control", "SaveDir"), "/maps/");
    EXPECT_EQ(Value("Druck", "Param9"), "1");
    EXPECT_EQ(Value("Control", "PdfJpgC"), "100");
    EXPECT_EQ(Value("Control", "wwwVennhalm"), "https://example.org/v");
    EXPECT_EQ(Value("Control", "M1"), "Regeln");
    EXPECT_EQ(Value("Control", "W2"), "https://example.org/w2");
    EXPECT_EQ(Value("Control", "HellF"), "120");
    EXPECT_EQ(Value("Control", "HellA"), "-15");
    EXPECT_EQ(Value("Control", "MitBMP"), "1");
    EXPECT_EQ(Value("Extra", "Note"), "mine");
    EXPECT_EQ(Value("Control", "PrivateTest1"), "<missing>");

    // And the next start reads back what the close wrote.
    Profile again;
    ProfileData next;
    ASSERT_TRUE(again.ReadProfile(next, setup_).ok());
    EXPECT_EQ(next.HexX, 20);
    EXPECT_EQ(next.Colors[4], 0x123456);
    EXPECT_EQ(next.SaveDir, "/maps/");
}

TEST_F(ProfileTest, WindowBoundsAreTheDefaultsOfThePlacement)
{
    setup_.PosLeft = 1;
    setup_.PosTop = 2;
    setup_.PosWidth = 3;
    setup_.PosHeight = 4;
    setup_.Colors[8] = 0x42;
    setup_.Params[7] = 99;
    Profile profile;
    ProfileData data;
    ASSERT_TRUE(profile.ReadProfile(data, setup_).ok());
    EXPECT_EQ(data.PosLeft, 1);
    EXPECT_EQ(data.PosHeight, 4);
    EXPECT_EQ(data.Colors[8], 0x42);
    EXPECT_EQ(data.Param[7], 99);
}

TEST_F(ProfileTest, NotCreatableEndsWith102)
{
    plat::ScopedScriptedDialogs dialogs;
    struct Case {
        const char* name;
        std::string workDir;
    };
    WriteBytes(dir_ + "/plainfile", "x");
    // A folder under the profile's name is no file, and none can be made there.
    fs::create_directories(dir_ + "/folderwork/Tolvaria.ini");
    const Case cases[] = {
        {"missing folder", dir_ + "/does/not/exist"},
        {"a file as folder", dir_ + "/plainfile"},
        {"a folder in the profile's place", dir_ + "/folderwork"},
    };
    for (const Case& c : cases) {
        setup_.WorkDir = c.workDir;
        Profile profile;
        ProfileData data;
        const ProfileReadResult r = profile.ReadProfile(data, setup_);
        EXPECT_EQ(r.Status, ProfileStatus::NotCreatable) << c.name;
        EXPECT_EQ(r.ExitCode, 102) << c.name;
        EXPECT_EQ(r.Text, "Datei nicht erzeugbar: " + c.workDir + "/Tolvaria.ini") << c.name;
    }
    EXPECT_TRUE(dialogs.calls().empty());   // the window shows the failure, not the reader
}

TEST_F(ProfileTest, ReadOnlyEndsWith103EvenForRoot)
{
    WriteBytes(ProfilePath(), "[Control]\r\nHexX=20\r\n");
    ASSERT_EQ(::chmod(ProfilePath().c_str(), 0444), 0);
    const std::string before = ReadBytes(ProfilePath());

    plat::ScopedScriptedDialogs dialogs;
    Profile profile;
    ProfileData data;
    const ProfileReadResult r = profile.ReadProfile(data, setup_);
    EXPECT_EQ(r.Status, ProfileStatus::ReadOnly);
    EXPECT_EQ(r.ExitCode, 103);
    EXPECT_EQ(r.Text, "Profiledatei schreibgeschützt (CD-ROM?)" + ProfilePath());
    EXPECT_TRUE(dialogs.calls().empty());
    EXPECT_EQ(ReadBytes(ProfilePath()), before);   // nothing written
}

TEST_F(ProfileTest, AWriteBackFailureAtStartIsTreatedAsReadOnly)
{
    // The file's attributes say writable, but the disk refuses the write-back.
    WriteBytes(ProfilePath(), "[Control]\r\nHexX=20\r\n");
    const std::string before = ReadBytes(ProfilePath());
    Profile profile;
    ProfileData data;
    const ProfileReadResult r = [&] {
        const plat::ScopedWriteFault fail(plat::WriteFault::Rename);
        return profile.ReadProfile(data, setup_);
    }();
    EXPECT_EQ(r.Status, ProfileStatus::ReadOnly);
    EXPECT_EQ(r.ExitCode, 103);
    EXPECT_EQ(r.Text, "Profiledatei schreibgeschützt (CD-ROM?)" + ProfilePath());
    EXPECT_EQ(ReadBytes(ProfilePath()), before);
}

TEST_F(ProfileTest, AFailedWriteAtCloseNamesTheFile)
{
    Profile profile;
    ProfileData data;
    ASSERT_TRUE(profile.ReadProfile(data, setup_).ok());
    fs::remove_all(dir_ + "/work");   // the disk went away

    plat::ScopedScriptedDialogs dialogs;
    try {
        profile.WriteProfile(data);
        ADD_FAILURE() << "the write was not refused";
    } catch (const plat::IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + ProfilePath());
    }
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(ProfileTest, TextTheFileCannotHoldFallsBackOrIsReported)
{
    // A stray NUL byte in a value cannot be written back: the default is used
    // and the program starts.
    WriteBytes(ProfilePath(), std::string("[Control]\r\nM1=ab\0cd\r\nHexX=20\r\n", 30));
    Profile profile;
    ProfileData data;
    ASSERT_TRUE(profile.ReadProfile(data, setup_).ok());
    EXPECT_EQ(data.M1, "NONE");
    EXPECT_EQ(data.HexX, 20);
    EXPECT_EQ(Value("Control", "M1"), "NONE");

    // A folder name with a line break must not plant lines in the profile;
    // the rest of the close's keys are still written, and the failure shown.
    data.SaveDir = "/maps\r\n[Evil]\r\nx=1";
    data.HexX = 33;
    EXPECT_THROW(profile.WriteProfile(data), plat::IniWriteError);
    EXPECT_EQ(Value("Control", "HexX"), "33");
    EXPECT_EQ(Value("Control", "SaveDir"), setup_.ProgramDir);
    EXPECT_FALSE(plat::IniFile(ProfilePath()).SectionExists("Evil"));
}

TEST_F(ProfileTest, AProgramFolderTheFileCannotHoldStillStarts)
{
    // SaveDir's default is the program folder; a line break in its name
    // cannot be stored, which is no reason to refuse the start.
    setup_.ProgramDir = dir_ + "/pro\ngram";
    fs::create_directory(setup_.ProgramDir);
    WriteBytes(ProfilePath(), "[Control]\r\nHexX=20\r\n");
    Profile profile;
    ProfileData data;
    const ProfileReadResult r = profile.ReadProfile(data, setup_);
    ASSERT_TRUE(r.ok()) << r.Text;
    EXPECT_EQ(data.SaveDir, setup_.ProgramDir);
    EXPECT_EQ(data.HexX, 20);
    EXPECT_EQ(Value("Control", "SaveDir"), "<missing>");
    EXPECT_EQ(Value("Control", "HellF"), "100");   // the keys after it are written
    EXPECT_FALSE(plat::IniFile(ProfilePath()).SectionExists("gram"));
}

TEST_F(ProfileTest, AProgramFolderNamedInAnotherEncodingCausesNoErrorAtClose)
{
    // A folder name that is not UTF-8 (Latin-1 "Karten für Müller") is the
    // default SaveDir. It cannot be stored so that it reads back the same, so
    // the key is left alone, and the close reports nothing.
    setup_.ProgramDir = dir_ + "/Karten f\xFCr M\xFCller";
    fs::create_directory(setup_.ProgramDir);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run == 0 ? "first start" : "second start");
        Profile profile;
        ProfileData data;
        ASSERT_TRUE(profile.ReadProfile(data, setup_).ok());
        EXPECT_EQ(data.SaveDir, setup_.ProgramDir);
        data.HexX = 30 + run;
        EXPECT_NO_THROW(profile.WriteProfile(data));
        EXPECT_EQ(Value("Control", "HexX"), std::to_string(30 + run));
        EXPECT_EQ(Value("Control", "SaveDir"), "<missing>");
    }
}

TEST_F(ProfileTest, AProfileInAFolderThatTakesNoNewFileIsWrittenInPlace)
{
    // A shared install started without a work directory: the folder takes
    // no temporary file, the profile itself is writable.
    WriteBytes(ProfilePath(), "[Control]\r\nHexX=20\r\n");
    struct stat before, after;
    ASSERT_EQ(::stat(ProfilePath().c_str(), &before), 0);
    {
        const plat::ScopedWriteFault denied(plat::WriteFault::FolderDenied);
        Profile profile;
        ProfileData data;
        const ProfileReadResult r = profile.ReadProfile(data, setup_);
        ASSERT_TRUE(r.ok()) << r.Text;
        EXPECT_EQ(Keys().size(), kAllKeys.size()) << "every key written back";
        data.HexX = 33;
        EXPECT_NO_THROW(profile.WriteProfile(data));
        EXPECT_EQ(Value("Control", "HexX"), "33");

        // Only a profile that is itself write-protected ends the start.
        fs::permissions(ProfilePath(), fs::perms::owner_read);
        Profile again;
        EXPECT_EQ(again.ReadProfile(data, setup_).ExitCode, 103);
    }
    ASSERT_EQ(::stat(ProfilePath().c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(ProfileTest, LanguageFileSetsTheKeyTextsAndIsApplied)
{
    LanguageTexts texts;
    int applied = 0;
    setup_.Language = &texts;
    setup_.ApplyLanguage = [&] { ++applied; };
    {
        Profile profile;
        ProfileData data;
        ASSERT_TRUE(profile.ReadProfile(data, setup_).ok());
    }
    EXPECT_EQ(applied, 0);   // no lang.ini: nothing changes
    EXPECT_EQ(texts.LanguageNameGerman, "Deutsch");
    EXPECT_EQ(texts.TranslationCredit, " ");

    WriteBytes(setup_.ProgramDir + "/lang.ini", "[Other]\r\n");
    Profile profile;
    ProfileData data;
    ASSERT_TRUE(profile.ReadProfile(data, setup_).ok());
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(texts.LanguageNameGerman, "Supported language in german");
    EXPECT_EQ(texts.LanguageNameOwn, "Supported language translated");
    EXPECT_EQ(texts.TranslationCredit, "Sprachvariante: Deutsch; übersetzt durch YOUR NAME");
}
