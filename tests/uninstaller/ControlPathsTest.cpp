// Control-file paths placed through the drive map and removed without
// following links or reaching beyond the named entry.
#include "uninstaller/ControlPaths.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace uninst;
namespace fs = std::filesystem;
using tolv::test::TempDir;
using tolv::test::WriteBytes;

namespace {

struct Tree {
    TempDir tmp;
    fs::path c = tmp.path() / "c";
    DriveMap drives;
    Tree()
    {
        fs::create_directories(c);
        EXPECT_TRUE(drives.Map('C', c.string()));
    }
    void file(const fs::path& rel) const
    {
        fs::create_directories((c / rel).parent_path());
        WriteBytes((c / rel).string(), "x");
    }
};

} // namespace

TEST(ControlPaths, PlacesDrivePathsAndRefusesWhatItCannotPlaceSafely)
{
    DriveMap drives;
    ASSERT_TRUE(drives.Map('c', "/srv/c"));
    EXPECT_FALSE(drives.Map('D', "relative/dir"));
    EXPECT_FALSE(drives.Map('1', "/x"));
    struct Case {
        const char* path;
        std::optional<PlacedPath> placed;
    };
    const Case cases[] = {
        {"C:\\App\\readme.txt", PlacedPath{"/srv/c", {"App", "readme.txt"}}},
        {"c:/App/Data/", PlacedPath{"/srv/c", {"App", "Data"}}},
        {"C:\\", PlacedPath{"/srv/c", {}}},
        {"/opt/app/x.so", PlacedPath{"/", {"opt", "app", "x.so"}}},
        {"/", PlacedPath{"/", {}}},
        {"D:\\x", std::nullopt},             // unmapped drive
        {"\\\\server\\share\\x", std::nullopt},   // UNC
        {"\\App\\x", std::nullopt},          // root of the current drive
        {"x.txt", std::nullopt},             // relative
        {"0", std::nullopt},                 // a missing entry's default
        {"", std::nullopt},
        {"C:x.txt", std::nullopt},           // relative to the drive's current folder
        {"C:", std::nullopt},
        {"C:\\..\\x", std::nullopt},
        {"C:\\App\\.\\x", std::nullopt},
        {"C:\\App\\\\x", std::nullopt},
        {"/opt//x", std::nullopt},
        {"C:\\App\\x\\\\", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(PlacePath(c.path, drives), c.placed);
    }
    EXPECT_EQ(PlacePath(std::string_view("/tmp/a\0b", 8), drives), std::nullopt);
}

TEST(ControlPaths, DirectoryAndFileNameParts)
{
    EXPECT_EQ(DirectoryPart("C:\\App\\Data\\x.dll"), "C:\\App\\Data\\");
    EXPECT_EQ(FileNamePart("C:\\App\\Data\\x.dll"), "x.dll");
    EXPECT_EQ(DirectoryPart("C:x.dll"), "C:");
    EXPECT_EQ(FileNamePart("C:x.dll"), "x.dll");
    EXPECT_EQ(DirectoryPart("/opt/app/x.so"), "/opt/app/");
    EXPECT_EQ(DirectoryPart("x.txt"), "");
    EXPECT_EQ(FileNamePart("x.txt"), "x.txt");
}

TEST(ControlPaths, DeletesThroughTheMapMatchingCaseOnlyWhenUnique)
{
    Tree t;
    t.file("App/readme.txt");
    t.file("App/Data/Mixed.TXT");
    t.file("Amb/a.txt");
    t.file("Amb/A.txt");
    t.file("Amb2/b.txt");
    t.file("Amb2/B.txt");
    t.file("posix.txt");
    struct Case {
        std::string path;
        bool deleted;
        const char* gone;   // relative to drive C, or nullptr
    };
    const Case cases[] = {
        {"C:\\App\\readme.txt", true, "App/readme.txt"},
        {"c:\\app\\data\\mixed.txt", true, "App/Data/Mixed.TXT"},
        {"C:\\Amb\\a.txt", true, "Amb/a.txt"},         // the exact name wins
        {"C:\\Amb2\\b.TXT", false, nullptr},            // two entries match without case
        {"C:\\App\\Data", false, nullptr},              // a folder is no file
        {"C:\\App\\nothing.txt", false, nullptr},
        {"D:\\posix.txt", false, nullptr},
        {"posix.txt", false, nullptr},
        {(t.c / "posix.txt").string(), true, "posix.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(DeleteControlFile(c.path, t.drives), c.deleted);
        if (c.gone) {
            EXPECT_FALSE(fs::exists(t.c / c.gone));
        }
    }
    EXPECT_TRUE(fs::exists(t.c / "Amb/A.txt"));
    EXPECT_TRUE(fs::exists(t.c / "Amb2/b.txt"));
    EXPECT_TRUE(fs::exists(t.c / "Amb2/B.txt"));
    EXPECT_TRUE(fs::is_directory(t.c / "App/Data"));
}

TEST(ControlPaths, LocatesTheEntryAsTheLookupFindsIt)
{
    Tree t;
    t.file("Programme/Plan/Uninstall");
    EXPECT_EQ(LocatePlacedPath(*PlacePath("C:\\PROGRAMME\\plan\\", t.drives)),
              (t.c / "Programme/Plan").string());
    EXPECT_EQ(LocatePlacedPath(*PlacePath("C:\\", t.drives)), t.c.string());
    EXPECT_EQ(LocatePlacedPath(*PlacePath("C:\\Programme\\Nope", t.drives)), std::nullopt);
}

// Everything the list names is removed; nothing it does not name is touched,
// whatever links or user files lie in the tree.
TEST(ControlPaths, CanariesOutsideTheListSurvive)
{
    Tree t;
    const fs::path outside = t.tmp.path() / "outside";
    fs::create_directories(outside / "deep");
    WriteBytes((outside / "secret.txt").string(), "keep");
    WriteBytes((outside / "deep/secret2.txt").string(), "keep");
    t.file("App/prog.bin");
    t.file("App/Data/user.txt");     // the user's own file in a listed folder
    fs::create_directories(t.c / "App/Empty");
    fs::create_directory_symlink(outside, t.c / "App/link");
    fs::create_symlink(outside / "secret.txt", t.c / "App/filelink");
    fs::create_directory_symlink(outside / "deep", t.c / "App/Empty2");

    const char* files[] = {
        "C:\\App\\prog.bin",
        "C:\\App\\link\\secret.txt",     // through a link to a folder outside
        "C:\\App\\LINK\\deep\\secret2.txt",
        "C:\\App\\filelink",             // a link to a file outside: the link goes
        "C:\\App\\Empty2\\secret2.txt",
    };
    for (const char* f : files)
        DeleteControlFile(f, t.drives);
    DeleteControlFile((t.c / "App/link/secret.txt").string(), t.drives);
    const char* dirs[] = {"C:\\App\\Empty\\", "C:\\App\\Data\\", "C:\\App\\link\\",
                          "C:\\App\\Empty2", "C:\\App\\", "C:\\", "C:\\..\\outside\\deep"};
    for (const char* d : dirs)
        RemoveControlDir(d, t.drives);
    RemoveControlDir("/", t.drives);

    EXPECT_FALSE(fs::exists(t.c / "App/prog.bin"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(t.c / "App/filelink")));
    EXPECT_FALSE(fs::exists(t.c / "App/Empty"));
    EXPECT_EQ(tolv::test::ReadBytes((outside / "secret.txt").string()), "keep");
    EXPECT_EQ(tolv::test::ReadBytes((outside / "deep/secret2.txt").string()), "keep");
    EXPECT_TRUE(fs::exists(t.c / "App/Data/user.txt"));
    EXPECT_TRUE(fs::is_symlink(t.c / "App/link"));
    EXPECT_TRUE(fs::is_symlink(t.c / "App/Empty2"));
    EXPECT_TRUE(fs::is_directory(outside / "deep"));
    EXPECT_TRUE(fs::is_directory(t.c / "App"));
    EXPECT_TRUE(fs::is_directory(t.c));
}
