// Canary trees: each case a fresh drive C and a folder outside it, with the
// files the installation wrote beside files that are not its own, and a
// registry holding keys of this program and of others. After the run (and
// "&Beenden") exactly the listed entries are gone; everything else is
// compared byte for byte.
#include "RunSupport.h"

#include "platform/TextCase.h"

#include <map>
#include <set>

using namespace uninst;
using namespace uninst::test;

namespace {

// What a folder holds, each entry by its path below the sandbox: "F:" and the
// bytes of a file, "L:" and the target of a link, "D" for a folder.
std::map<std::string, std::string> TreeOf(const fs::path& root, const std::set<std::string>& skip)
{
    std::map<std::string, std::string> tree;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string rel = it->path().lexically_relative(root).string();
        if (skip.count(rel))
            continue;
        const auto status = it->symlink_status();
        if (fs::is_symlink(status))
            tree[rel] = "L:" + fs::read_symlink(it->path()).string();
        else if (fs::is_directory(status))
            tree[rel] = "D";
        else
            tree[rel] = "F:" + tolv::test::ReadBytes(it->path().string());
    }
    return tree;
}

constexpr std::array<std::pair<RootKey, const char*>, 2> kDumpedRoots = {{
    {RootKey::CurrentUser, "HKCU"},
    {RootKey::LocalMachine, "HKLM"},
}};

// Every key ("HKLM\Software\A") and every string value ("HKLM\Software\A:v=1").
void DumpKey(TRegistry& reg, const std::string& root, const std::string& path, std::set<std::string>& out)
{
    ASSERT_TRUE(reg.OpenKey(path.empty() ? "\\" : path, false)) << path;
    for (const auto& name : reg.GetValueNames())
        out.insert(root + path + ":" + name + "=" + reg.ReadString(name));
    for (const auto& name : reg.GetKeyNames()) {
        out.insert(root + path + "\\" + name);
        DumpKey(reg, root, path + "\\" + name, out);
        reg.OpenKey(path.empty() ? "\\" : path, false);
    }
}

std::set<std::string> RegistryOf(const std::string& database)
{
    std::set<std::string> out;
    if (!fs::exists(database))
        return out;
    TRegistry reg(database);
    for (const auto& [root, name] : kDumpedRoots) {
        reg.SetRootKey(root);
        DumpKey(reg, name, "", out);
    }
    return out;
}

struct Seed {
    RootKey root;
    std::string key;
    std::vector<std::pair<std::string, std::string>> values;
};

struct TreeCase {
    const char* name{};
    std::vector<std::pair<std::string, std::string>> files{};   // path below the sandbox, bytes
    std::vector<std::pair<std::string, std::string>> links{};   // path, target ("<T>" is the sandbox)
    std::vector<std::string> folders{};                         // empty folders
    std::string control{};                                      // the control file; "<T>" is the sandbox
    std::vector<Seed> registry{};
    std::vector<std::string> gone{};                            // paths below the sandbox
    std::vector<std::string> regGone{};                         // as the dump names them
    std::vector<std::string> regAdded{};
    std::string ownFile{};                                      // "&Beenden" is pressed when set
    std::vector<std::pair<char, std::string>> moreDrives{};     // letter, folder below the sandbox
};

std::string Substitute(std::string text, const std::string& sandbox)
{
    for (auto at = text.find("<T>"); at != std::string::npos; at = text.find("<T>", at + sandbox.size()))
        text.replace(at, 3, sandbox);
    return text;
}

void RunCase(const TreeCase& tc)
{
    SCOPED_TRACE(tc.name);
    Installation inst;
    const fs::path sandbox = inst.tmp.path();
    for (const auto& [path, bytes] : tc.files)
        inst.File((sandbox / path).string(), bytes);
    for (const auto& [path, target] : tc.links) {
        fs::create_directories((sandbox / path).parent_path());
        fs::create_symlink(Substitute(target, sandbox.string()), sandbox / path);
    }
    for (const auto& path : tc.folders)
        fs::create_directories(sandbox / path);
    for (const auto& [letter, dir] : tc.moreDrives)
        ASSERT_TRUE(inst.drives.Map(letter, (sandbox / dir).string()));
    for (const auto& seed : tc.registry)
        inst.Seed(seed.root, seed.key, seed.values);
    inst.Control(kSigned + Substitute(tc.control, sandbox.string()));

    const std::set<std::string> skip = {"registry.sqlite", fs::path(inst.control).lexically_relative(sandbox).string()};
    auto expectedTree = TreeOf(sandbox, skip);
    for (const auto& path : tc.gone) {
        SCOPED_TRACE(path);
        ASSERT_EQ(expectedTree.erase(path), 1u);   // the case names what is there
    }
    auto expectedRegistry = RegistryOf(inst.registryPath);
    for (const auto& entry : tc.regGone)
        ASSERT_EQ(expectedRegistry.erase(entry), 1u) << entry;
    for (const auto& entry : tc.regAdded)
        expectedRegistry.insert(entry);

    const RunResult r = inst.Run(tc.ownFile.empty() ? "" : (sandbox / tc.ownFile).string());
    EXPECT_TRUE(r.finished);
    EXPECT_FALSE(r.error) << *r.error;
    EXPECT_FALSE(fs::exists(inst.control));
    if (!tc.ownFile.empty())
        DeleteOwnFile((sandbox / tc.ownFile).string(), r.installDirs, inst.drives);

    EXPECT_EQ(TreeOf(sandbox, skip), expectedTree);
    EXPECT_EQ(RegistryOf(inst.registryPath), expectedRegistry);
}

const std::string kWeb = "\\Software\\quorran\\Pakoreth_UPD_WEB";

} // namespace

TEST(CanaryTree, AnInstallationBesideTheUsersFilesAndOtherPrograms)
{
    RunCase({
        .name = "installed files, a user's file, another program",
        .files = {{"c/Tolv/Tolvplan", "prog"}, {"c/Tolv/Pics/Pic1.jpg", "jpg"}, {"c/Tolv/Pics/mine.jpg", "user"},
                  {"c/Tolv/Uninstall", "self"}, {"c/Other/Other.exe", "other"}, {"outside/secret.txt", "keep"}},
        .links = {{"c/Tolv/out", "<T>/outside"}},
        .folders = {"c/Tolv/Empty"},
        .control = "AppName=Tolvplan\nVersion=1.0\nCompany=quorran\nStandardReg=1\n"
                   "[Files]\nFileCount=2\nFile0=C:\\Tolv\\Tolvplan\nFile1=C:\\Tolv\\Pics\\Pic1.jpg\n"
                   "File2=C:\\Tolv\\out\\secret.txt\n"
                   "[ExtraDir]\nDirCount=3\nDir1=C:\\Tolv\\Pics\\\nDir2=C:\\Tolv\\Empty\\\nDir3=C:\\Tolv\\out\\\n"
                   "[Directories]\nMainDir=C:\\Tolv\\\n",
        .registry = {{RootKey::LocalMachine, "\\Software\\quorran\\Tolvplan\\1.0", {{"Name", "Tolvplan"}}},
                     {RootKey::LocalMachine, "\\Software\\quorran\\Other\\2.0", {{"Name", "Other"}}}},
        .gone = {"c/Tolv/Tolvplan", "c/Tolv/Pics/Pic1.jpg", "c/Tolv/Empty", "c/Tolv/Uninstall"},
        .regGone = {"HKLM\\Software\\quorran\\Tolvplan", "HKLM\\Software\\quorran\\Tolvplan\\1.0",
                    "HKLM\\Software\\quorran\\Tolvplan\\1.0:Name=Tolvplan"},
        .ownFile = "c/Tolv/Uninstall",
    });
}

// "&Beenden" deletes the program's own file only inside the installation's
// folder, taken as the run takes paths.
TEST(CanaryTree, TheOwnFileGoesOnlyFromInsideTheInstallation)
{
    const TreeCase cases[] = {
        {.name = "ProgramPath a link to /",
         .files = {{"outside/Uninstall", "self"}},
         .links = {{"c/Link", "/"}},
         .control = "[ProgramPath]\nPath=C:\\Link\n",
         .ownFile = "outside/Uninstall"},
        {.name = "MainDir a link to the program's folder",
         .files = {{"outside/Uninstall", "self"}},
         .links = {{"c/Inst", "<T>/outside"}},
         .control = "[Directories]\nMainDir=C:\\Inst\\\n",
         .ownFile = "outside/Uninstall"},
        {.name = "MainDir the drive root",
         .files = {{"c/Other/Uninstall", "self"}},
         .control = "[Directories]\nMainDir=C:\\\n",
         .ownFile = "c/Other/Uninstall"},
        {.name = "MainDir /",
         .files = {{"outside/Uninstall", "self"}},
         .control = "[Directories]\nMainDir=/\n",
         .ownFile = "outside/Uninstall"},
        {.name = "MainDir another drive's root",
         .files = {{"c/Programme/Uninstall", "self"}},
         .control = "[Directories]\nMainDir=C:\\Programme\\\n",
         .ownFile = "c/Programme/Uninstall",
         .moreDrives = {{'D', "c/Programme"}}},
        {.name = "the program's folder a link inside the installation",
         .files = {{"outside/Uninstall", "self"}, {"c/Tolv/keep", "k"}},
         .links = {{"c/Tolv/bin", "<T>/outside"}},
         .control = "[Directories]\nMainDir=C:\\Tolv\\\n",
         .ownFile = "c/Tolv/bin/Uninstall"},
        {.name = "inside a folder below MainDir",
         .files = {{"c/Tolv/bin/Uninstall", "self"}, {"c/Tolv/keep", "k"}},
         .control = "[Directories]\nMainDir=C:\\TOLV\\\n",
         .gone = {"c/Tolv/bin/Uninstall"},
         .ownFile = "c/Tolv/bin/Uninstall"},
        {.name = "inside ProgramPath, spelt as Windows would",
         .files = {{"c/Tolv/Uninstall", "self"}},
         .control = "[Directories]\nMainDir=C:\\Elsewhere\\\n[ProgramPath]\nPath=C:\\\\Tolv.\\\n",
         .gone = {"c/Tolv/Uninstall"},
         .ownFile = "c/Tolv/Uninstall"},
    };
    for (const auto& c : cases)
        RunCase(c);
}

// Windows takes names without regard to case: entries equal so name one
// entry, of which at most one goes, and never one the installation did not write.
TEST(CanaryTree, CaseVariantsNameOneEntry)
{
    const TreeCase cases[] = {
        {.name = "two spellings, the first as it is on disk",
         .files = {{"c/Tolv/Data.txt", "installed"}, {"c/Tolv/DATA.txt", "user"}},
         .control = "[Files]\nFileCount=1\nFile0=C:\\Tolv\\Data.txt\nFile1=C:\\Tolv\\data.TXT\n",
         .gone = {"c/Tolv/Data.txt"}},
        {.name = "spellings in two lists and a folder spelt otherwise",
         .files = {{"c/Tolv/Data.txt", "installed"}, {"c/Tolv/data.txt", "user"}},
         .control = "[Files]\nFileCount=0\nFile0=C:\\Tolv\\Data.txt\n"
                    "[ExtraFiles]\nExtraCount=1\nExFile1=C:\\TOLV\\DATA.TXT\n",
         .gone = {"c/Tolv/Data.txt"}},
        {.name = "no spelling as it is and two candidates",
         .files = {{"c/Tolv/DATA.txt", "a"}, {"c/Tolv/data.Txt", "b"}},
         .control = "[Files]\nFileCount=1\nFile0=C:\\Tolv\\Data.txt\nFile1=C:\\Tolv\\data.txt\n"},
        {.name = "one candidate for every spelling",
         .files = {{"c/Tolv/DATA.txt", "installed"}},
         .control = "[Files]\nFileCount=1\nFile0=C:\\Tolv\\Data.txt\nFile1=C:\\Tolv\\data.TXT\n",
         .gone = {"c/Tolv/DATA.txt"}},
        {.name = "empty folders spelt two ways",
         .folders = {"c/Tolv/Sub", "c/Tolv/SUB"},
         .control = "[ExtraDir]\nDirCount=2\nDir1=C:\\Tolv\\Sub\\\nDir2=C:\\Tolv\\SUB\\\n",
         .gone = {"c/Tolv/Sub"}},
    };
    for (const auto& c : cases)
        RunCase(c);
}

// Spellings Windows maps to an installed file: "." names, repeated
// separators, trailing dots and blanks. ".." still climbs nowhere.
TEST(CanaryTree, WindowsSpellingsReachTheirFiles)
{
    RunCase({
        .name = "collapsed and trimmed names",
        .files = {{"c/Tolv/Tolvplan", "1"}, {"c/Tolv/x", "2"}, {"c/Tolv/Pics/y.jpg", "3"}, {"c/Tolv/z", "4"},
                  {"c/Tolv/y.jpg", "user"}, {"c/keep", "user"}, {"outside/keep", "user"}},
        .folders = {"c/Tolv/Sub"},
        .control = "[Files]\nFileCount=6\nFile0=C:\\Tolv\\\\Tolvplan\nFile1=C:\\Tolv\\.\\x\n"
                   "File2=C:\\Tolv\\Pics.\\y.jpg. \nFile3=C:\\\\Tolv\\z...\nFile4=C:\\Tolv\\..\\keep\n"
                   "File5=C:\\..\\outside\\keep\nFile6=C:\\Tolv\\...\\keep\n"
                   "[ExtraDir]\nDirCount=2\nDir1=C:\\Tolv\\Sub. \\\nDir2=C:\\Tolv\\Pics\\.\\\n",
        .gone = {"c/Tolv/Tolvplan", "c/Tolv/x", "c/Tolv/Pics/y.jpg", "c/Tolv/z", "c/Tolv/Sub", "c/Tolv/Pics"},
    });
}

// Each Reg section's key is taken as opening it with create would take it:
// a relative key goes on from the key the previous section named, also
// when that one is missing.
TEST(CanaryTree, RegSectionsChainOnTheKeyTheyName)
{
    RunCase({
        .name = "a missing key, then relative keys",
        .control = "StandardReg=1\n[Registry]\nRegCount=4\n"
                   "[Reg1]\nRoot=HKLM\nKey=\\Software\\Tolvplan\\Gone\nTitle=x\n"
                   "[Reg2]\nKey=Software\\Shared\nTitle=Val\n"
                   "[Reg3]\nRoot=HKLM\nKey=\\Software\\Tolvplan\nTitle=Own\n"
                   "[Reg4]\nRoot=HKLM\nKey=Sub\nTitle=Deep\n",
        .registry = {{RootKey::LocalMachine, "\\Software\\Shared", {{"Val", "other program"}}},
                     {RootKey::LocalMachine, "\\Software\\Tolvplan", {{"Own", "1"}, {"Keep", "1"}}},
                     {RootKey::LocalMachine, "\\Software\\Tolvplan\\Sub", {{"Deep", "1"}}}},
        .regGone = {"HKLM\\Software\\Tolvplan:Own=1", "HKLM\\Software\\Tolvplan\\Sub:Deep=1"},
    });
}

TEST(CanaryTree, AnEmptyProgramIdTakesTheFirstEntryWithoutUpdateId)
{
    const std::vector<Seed> list = {
        {RootKey::LocalMachine, kWeb, {{"SetupCount", "3"}}},
        {RootKey::LocalMachine, kWeb + "\\Program1", {{"UpdateID", "other"}}},
        {RootKey::LocalMachine, kWeb + "\\Program2", {}},
        {RootKey::LocalMachine, kWeb + "\\Program3", {{"UpdateID", "third"}}},
    };
    const std::string hklm = "HKLM" + kWeb;
    const std::vector<std::string> gone = {hklm + "\\Program3", hklm + "\\Program3:UpdateID=third",
                                           hklm + ":SetupCount=3"};
    const std::vector<std::string> added = {hklm + "\\Program2:UpdateID=third", hklm + ":SetupCount=2"};
    for (const std::string id : {"", "[UpdateFromTheWeb]\nProgramID=\n"})
        RunCase({.name = id.empty() ? "ProgramID missing" : "ProgramID empty",
                 .control = "UpdateFromTheWeb=1\n" + id,
                 .registry = list,
                 .regGone = gone,
                 .regAdded = added});
}
