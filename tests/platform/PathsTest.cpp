#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace plat;

TEST(PathsTest, ProgramDirIsTheExecutablesFolder)
{
    const std::string dir = ProgramDir();
    EXPECT_TRUE(DirectoryExists(dir));
    EXPECT_NE(dir.back(), '/');
    EXPECT_EQ(std::filesystem::canonical(dir), std::filesystem::canonical(TOLV_BIN_DIR));
}

TEST(PathsTest, Parts)
{
    const struct { const char *path, *folder, *name, *ext; } cases[] = {
        {"/home/a/Plan.pdf", "/home/a/", "Plan.pdf", ".pdf"},
        {"Plan.pdf", "", "Plan.pdf", ".pdf"},
        {"/dir.x/noext", "/dir.x/", "noext", ""},
        {"/a/b/", "/a/b/", "", ""},
        {"/a/.profile", "/a/", ".profile", ""},
        {"/a/archive.tar.gz", "/a/", "archive.tar.gz", ".gz"},
        {"/a/name.", "/a/", "name.", "."},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFilePath(c.path), c.folder) << c.path;
        EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
        EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
    }
}

TEST(PathsTest, ChangeFileExtReplacesOrAppends)
{
    EXPECT_EQ(ChangeFileExt("/m/plan.txt", ".tlv"), "/m/plan.tlv");
    EXPECT_EQ(ChangeFileExt("/m/plan", ".tlv"), "/m/plan.tlv");
    EXPECT_EQ(ChangeFileExt("/m.d/plan", ".tlv"), "/m.d/plan.tlv");
    EXPECT_EQ(ChangeFileExt("/m/.hidden", ".tlv"), "/m/.hidden.tlv");
    EXPECT_EQ(ChangeFileExt("/Maps/Plan.pdf", ".bmp"), "/Maps/Plan.bmp");
    EXPECT_EQ(ChangeFileExt("a.b.c", ""), "a.b");
}

TEST(PathsTest, JoinUsesOneSlash)
{
    EXPECT_EQ(JoinPath("/w", "Tolvaria.ini"), "/w/Tolvaria.ini");
    EXPECT_EQ(JoinPath("/w/", "Tolvaria.ini"), "/w/Tolvaria.ini");
    EXPECT_EQ(JoinPath("/w//", "/Pics/"), "/w/Pics/");
    EXPECT_EQ(JoinPath("/", "x"), "/x");
    EXPECT_EQ(JoinPath("", "x"), "x");
}

TEST(PathsTest, ExistenceAndReadOnly)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("tolv-paths-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string file = (dir / "f.txt").string();
    std::ofstream(file) << "x";

    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(dir.string()));
    EXPECT_TRUE(DirectoryExists(dir.string()));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(FileExists(file + ".missing"));
    EXPECT_FALSE(FileExists(""));

    EXPECT_FALSE(IsReadOnlyFile(file));
    ::chmod(file.c_str(), 0444);
    EXPECT_TRUE(IsReadOnlyFile(file));   // also as root, from the mode bits
    EXPECT_TRUE(IsReadOnlyFile(file + ".missing"));
    fs::remove_all(dir);
}
