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
        {"C:\\App\\...\\x", std::nullopt},      // dots and blanks alone climb as ".." would
        {"C:\\App\\. \\x", std::nullopt},
        {"/opt/../x", std::nullopt},
        // Spelt otherwise, read as Windows reads them.
        {"C:\\App\\.\\x", PlacedPath{"/srv/c", {"App", "x"}}},
        {"C:\\App\\\\x", PlacedPath{"/srv/c", {"App", "x"}}},
        {"C:\\\\App\\x\\\\", PlacedPath{"/srv/c", {"App", "x"}}},
        {"C:\\Tolv.\\Tolvplan. .", PlacedPath{"/srv/c", {"Tolv", "Tolvplan"}}},
        {"C:\\ App\\.x", PlacedPath{"/srv/c", {" App", ".x"}}},
        {"C:\\.\\", PlacedPath{"/srv/c", {}}},
        {"/opt//./x.", PlacedPath{"/", {"opt", "x."}}},   // a name of this system keeps its dot
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(PlacePath(c.path, drives), c.placed);
    }
    EXPECT_EQ(PlacePath(std::string_view("/tmp/a\0b", 8), drives), std::nullopt);

    ASSERT_TRUE(drives.MapPosixRoot("/sandbox/root"));
    EXPECT_FALSE(drives.MapPosixRoot("relative"));
    EXPECT_EQ(PlacePath("/opt/x", drives), (PlacedPath{"/sandbox/root", {"opt", "x"}}));
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

// The spellings of one entry are looked up together: the first there as it
// is, else the one candidate without regard to case. Acting on the result
// takes the names as they are.
TEST(ControlPaths, ResolvesEverySpellingOfAnEntryTogether)
{
    Tree t;
    t.file("Tolv/Data.txt");
    t.file("Tolv/DATA.txt");
    t.file("Tolv/Only.TXT");
    t.file("Other/Data.txt");
    t.file("other/data.txt");
    const auto place = [&](const char* p) { return *PlacePath(p, t.drives); };
    struct Case {
        const char* path;
        std::vector<const char*> spellings;
        std::optional<std::vector<std::string>> names;
    };
    const Case cases[] = {
        {"C:\\Tolv\\data.TXT", {"C:\\Tolv\\Data.txt"}, std::vector<std::string>{"Tolv", "Data.txt"}},
        {"C:\\Tolv\\DATA.txt", {"C:\\Tolv\\Data.txt"}, std::vector<std::string>{"Tolv", "DATA.txt"}},
        {"C:\\Tolv\\data.TXT", {}, std::nullopt},                        // two candidates
        {"C:\\TOLV\\only.txt", {"C:\\tolv\\ONLY.txt"}, std::vector<std::string>{"Tolv", "Only.TXT"}},
        {"C:\\OTHER\\DATA.TXT", {}, std::nullopt},                       // the folder is ambiguous
        {"C:\\OTHER\\DATA.TXT", {"C:\\other\\Data.txt"}, std::vector<std::string>{"other", "data.txt"}},
        {"C:\\Tolv\\Data.txt", {"C:\\Elsewhere\\DATA.txt"}, std::vector<std::string>{"Tolv", "Data.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::vector<PlacedPath> spellings;
        for (const char* s : c.spellings)
            spellings.push_back(place(s));
        const auto resolved = ResolvePlacedPath(place(c.path), spellings);
        ASSERT_EQ(resolved.has_value(), c.names.has_value());
        if (resolved) {
            EXPECT_EQ(resolved->names, *c.names);
        }
    }
    EXPECT_FALSE(DeletePlacedFile(place("C:\\tolv\\Data.txt")));   // as it is: no such folder
    EXPECT_TRUE(DeletePlacedFile(place("C:\\Tolv\\Data.txt")));
    EXPECT_FALSE(DeletePlacedFile(place("C:\\Tolv\\Data.txt")));
    EXPECT_TRUE(fs::exists(t.c / "Tolv/DATA.txt"));
}

TEST(ControlPaths, FolderIdentityFollowsNoLinkBelowTheBase)
{
    Tree t;
    fs::create_directories(t.c / "Real/Sub");
    fs::create_directory_symlink(t.c / "Real", t.c / "Link");
    const auto id = [&](const char* p) { return PlacedFolderId(*PlacePath(p, t.drives)); };
    EXPECT_EQ(id("C:\\Real\\Sub"), FolderIdOf((t.c / "Real/Sub").string()));
    EXPECT_EQ(id("C:\\"), FolderIdOf(t.c.string()));
    EXPECT_NE(id("C:\\Real"), id("C:\\Real\\Sub"));
    EXPECT_EQ(id("C:\\Link"), std::nullopt);
    EXPECT_EQ(id("C:\\Link\\Sub"), std::nullopt);
    EXPECT_EQ(id("C:\\Missing"), std::nullopt);
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
