// The uninstall run on a drive C in a scratch folder and a seeded registry.
#include "RunSupport.h"

#include "uninstaller/ControlFile.h"

using namespace uninst;
using namespace uninst::test;

namespace {

const std::string kWeb = "\\Software\\quorran\\Pakoreth_UPD_WEB";

std::string Prog(int i)
{
    return kWeb + "\\Program" + std::to_string(i);
}

// A web-update list of three installations, each entry with a subkey.
void SeedWebList(Installation& inst, const std::string& count = "3")
{
    inst.Seed(RootKey::LocalMachine, kWeb, {{"SetupCount", count}});
    for (int i = 1; i <= 3; ++i) {
        inst.Seed(RootKey::LocalMachine, Prog(i), {{"UpdateID", "id" + std::to_string(i)}});
        inst.Seed(RootKey::LocalMachine, Prog(i) + "\\Opt", {{"n", std::to_string(i)}});
    }
}

std::string WebControl(const std::string& programId)
{
    return kSigned + "UpdateFromTheWeb=1\n[UpdateFromTheWeb]\nProgramID=" + programId + "\n";
}

} // namespace

TEST(UninstallRun, FilesAreDeletedInOrderWithTheirItemLinesAndPositions)
{
    Installation inst;
    inst.File("Programme/Plan/a.txt");
    inst.File("Programme/Plan/b.txt");
    inst.File("Programme/Plan/readme.txt");
    inst.Control(kSigned +
                 "[Files]\nFileCount=2\nFile0=C:\\Programme\\Plan\\a.txt\nFile1=C:\\Programme\\Plan\\b.txt\n"
                 "File2=C:\\Programme\\Plan\\readme.txt\n");
    const RunResult r = inst.Run();
    EXPECT_TRUE(r.finished);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(inst.sink.trace, (std::vector<std::string>{
                                   "phase Dateien werden gelöscht...",
                                   "item Datei a.txtwird gelöscht... @0",
                                   "item Datei b.txtwird gelöscht... @50",
                                   "item Datei readme.txtwird gelöscht... @100",
                                   "phase Extra-Dateien werden gelöscht...",
                                   "phase Verknüpfungen werden gelöscht...",
                               }));
    EXPECT_FALSE(inst.Exists("Programme/Plan/a.txt"));
    EXPECT_FALSE(inst.Exists("Programme/Plan/readme.txt"));
    EXPECT_FALSE(fs::exists(inst.control));   // the control file goes last
}

TEST(UninstallRun, CountsOfZeroAndBelow)
{
    struct Case {
        const char* files;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {"FileCount=0\nFile0=C:\\x.txt\n", {"item Datei x.txtwird gelöscht... @100"}},
        {"FileCount=-1\nFile0=C:\\x.txt\n", {}},
        {"", {"item Datei x.txtwird gelöscht... @100"}},   // a missing count is 0: File0 still goes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.files);
        Installation inst;
        inst.File("x.txt");
        inst.Control(kSigned + "[Files]\n" + c.files + (std::string(c.files).empty() ? "File0=C:\\x.txt\n" : "") +
                     "[Links]\nLinkCount=0\n[ExtraFiles]\nExtraCount=-3\n");
        inst.Run();
        std::vector<std::string> items;
        for (const auto& t : inst.sink.trace)
            if (t.rfind("item", 0) == 0)
                items.push_back(t);
        EXPECT_EQ(items, c.items);
        EXPECT_EQ(inst.sink.trace.back(), "phase Verknüpfungen werden gelöscht...");
        EXPECT_EQ(inst.Exists("x.txt"), c.items.empty());
    }
}

TEST(UninstallRun, ExtraFilesCollectTheirFoldersOnceWithoutRegardToCase)
{
    Installation inst;
    inst.File("App/Data/x.dll");
    inst.File("App/Data/y.dll");
    inst.File("App/More/z.dll");
    inst.File("App/More/user.txt");
    inst.File("Link/Plan.lnk");
    inst.Control(kSigned +
                 "[Directories]\nMainDir=C:\\Elsewhere\\\n"
                 "[ExtraFiles]\nExtraCount=3\nExFile1=C:\\App\\Data\\x.dll\nExFile2=c:\\app\\data\\y.dll\n"
                 "ExFile3=C:\\App\\More\\z.dll\n"
                 "[Links]\nLinkCount=1\n[Link1]\nPath=C:\\Link\\Plan.lnk\n");
    const RunResult r = inst.Run();
    EXPECT_EQ(r.collectedDirs, (std::vector<std::string>{"C:\\App\\Data\\", "C:\\App\\More\\"}));
    EXPECT_FALSE(inst.Exists("App/Data"));             // emptied, then removed
    EXPECT_TRUE(inst.Exists("App/More/user.txt"));     // not empty: stays
    EXPECT_FALSE(inst.Exists("Link/Plan.lnk"));
    const std::vector<std::string> tail(inst.sink.trace.end() - 5, inst.sink.trace.end());
    EXPECT_EQ(tail, (std::vector<std::string>{
                        "item Datei x.dllwird gelöscht... @33",
                        "item Datei y.dllwird gelöscht... @66",
                        "item Datei z.dllwird gelöscht... @100",
                        "phase Verknüpfungen werden gelöscht...",
                        "item Verknüpfung Plan.lnkwird gelöscht... @100",
                    }));
}

TEST(UninstallRun, WebUpdateListLosesOnlyThisInstallationsEntry)
{
    struct Case {
        const char* name;
        std::string programId;
        std::string setupCount;
        std::vector<std::string> idsAfter;   // UpdateID of Program1.. after the run
        std::string countAfter;
    };
    const Case cases[] = {
        {"match at 2", "id2", "3", {"id1", "id3"}, "2"},
        {"match at 3", "id3", "3", {"id1", "id2"}, "2"},
        {"match at 1", "id1", "3", {"id2", "id3"}, "2"},
        {"no match", "id9", "3", {"id1", "id2", "id3"}, "3"},
        {"count 0", "id1", "0", {"id1", "id2", "id3"}, "0"},
        {"empty identity", "", "3", {"id1", "id2", "id3"}, "3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Installation inst;
        SeedWebList(inst, c.setupCount);
        inst.Control(WebControl(c.programId));
        const RunResult r = inst.Run();
        EXPECT_FALSE(r.error);
        std::vector<std::string> ids;
        for (int i = 1; i <= 3 && inst.KeyExists(RootKey::LocalMachine, Prog(i)); ++i)
            ids.push_back(inst.Value(RootKey::LocalMachine, Prog(i), "UpdateID"));
        EXPECT_EQ(ids, c.idsAfter);
        EXPECT_EQ(inst.Value(RootKey::LocalMachine, kWeb, "SetupCount"), c.countAfter);
        // Each entry moved with its subkeys.
        for (std::size_t i = 0; i < ids.size(); ++i)
            EXPECT_EQ(inst.Value(RootKey::LocalMachine, Prog(int(i) + 1) + "\\Opt", "n"), ids[i].substr(2));
    }
}

TEST(UninstallRun, WebUpdateListEntriesThatAreNobodysMatchNothing)
{
    {
        SCOPED_TRACE("an empty identity and an entry whose key is missing");
        Installation inst;
        SeedWebList(inst);
        inst.Seed(RootKey::LocalMachine, kWeb, {{"SetupCount", "4"}});
        inst.Control(WebControl(""));
        inst.Run();
        EXPECT_EQ(inst.Value(RootKey::LocalMachine, Prog(3), "UpdateID"), "id3");
        EXPECT_EQ(inst.Value(RootKey::LocalMachine, kWeb, "SetupCount"), "4");
    }
    {
        SCOPED_TRACE("a missing entry is not read from the key still open");
        Installation inst;
        inst.Seed(RootKey::LocalMachine, kWeb, {{"SetupCount", "3"}, {"UpdateID", "mine"}});
        inst.Seed(RootKey::LocalMachine, Prog(2), {{"UpdateID", "other"}});
        inst.Seed(RootKey::LocalMachine, Prog(3), {{"UpdateID", "third"}});
        inst.Control(WebControl("mine"));
        inst.Run();
        EXPECT_EQ(inst.Value(RootKey::LocalMachine, Prog(2), "UpdateID"), "other");
        EXPECT_EQ(inst.Value(RootKey::LocalMachine, Prog(3), "UpdateID"), "third");
        EXPECT_EQ(inst.Value(RootKey::LocalMachine, kWeb, "SetupCount"), "3");
    }
    {
        SCOPED_TRACE("a list without SetupCount holds nothing");
        Installation inst;
        inst.Seed(RootKey::LocalMachine, Prog(1), {{"UpdateID", "id1"}});
        inst.Control(WebControl("id1"));
        EXPECT_FALSE(inst.Run().error);
        EXPECT_TRUE(inst.KeyExists(RootKey::LocalMachine, Prog(1)));
    }
}

TEST(UninstallRun, RegistryValuesByRootAndChainedKeys)
{
    const std::string reg = kSigned + "StandardReg=1\n";
    struct Case {
        const char* name;
        std::string control;
        bool webFirst;
        RootKey root;         // where Software\A\v goes
    };
    const Case cases[] = {
        {"hklm", reg + "[Registry]\nRegCount=1\n[Reg1]\nRoot=hklm\nKey=\\Software\\A\nTitle=v\n", false,
         RootKey::LocalMachine},
        {"long name", reg + "[Registry]\nRegCount=1\n[Reg1]\nRoot=HKEY_LOCAL_MACHINE\nKey=\\Software\\A\nTitle=v\n",
         false, RootKey::LocalMachine},
        {"hkcu", reg + "[Registry]\nRegCount=1\n[Reg1]\nRoot=HKCU\nKey=\\Software\\A\nTitle=v\n", false,
         RootKey::CurrentUser},
        {"missing root", reg + "[Registry]\nRegCount=1\n[Reg1]\nKey=\\Software\\A\nTitle=v\n", false,
         RootKey::LocalMachine},
        {"XYZ keeps the user root", reg + "[Registry]\nRegCount=1\n[Reg1]\nRoot=XYZ\nKey=\\Software\\A\nTitle=v\n",
         false, RootKey::CurrentUser},
        {"XYZ after the web list", reg + "UpdateFromTheWeb=1\n[Registry]\nRegCount=1\n[Reg1]\nRoot=XYZ\nKey=\\Software\\A\nTitle=v\n",
         true, RootKey::LocalMachine},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Installation inst;
        for (RootKey root : {RootKey::CurrentUser, RootKey::LocalMachine})
            inst.Seed(root, "\\Software\\A", {{"v", "1"}, {"keep", "1"}});
        inst.Control(c.control);
        EXPECT_FALSE(inst.Run().error);
        const RootKey other = c.root == RootKey::LocalMachine ? RootKey::CurrentUser : RootKey::LocalMachine;
        EXPECT_EQ(inst.Value(c.root, "\\Software\\A", "v"), "(none)");
        EXPECT_EQ(inst.Value(c.root, "\\Software\\A", "keep"), "1");
        EXPECT_EQ(inst.Value(other, "\\Software\\A", "v"), "1");
        EXPECT_EQ(inst.sink.trace.back(), "clear");
    }
}

TEST(UninstallRun, RelativeKeysChainAndMissingKeysAreNeitherCreatedNorStoodInFor)
{
    Installation inst;
    inst.Seed(RootKey::CurrentUser, "\\Software\\A\\B", {{"v2", "1"}, {"v3", "1"}});
    inst.Seed(RootKey::CurrentUser, "\\Software\\A", {{"v1", "1"}, {"v3", "1"}});
    inst.Control(kSigned + "StandardReg=1\n[Registry]\nRegCount=3\n"
                           "[Reg1]\nRoot=HKCU\nKey=Software\\A\nTitle=v1\n"
                           "[Reg2]\nRoot=HKCU\nKey=B\nTitle=v2\n"
                           "[Reg3]\nRoot=HKCU\nKey=Missing\nTitle=v3\n");
    EXPECT_FALSE(inst.Run().error);
    EXPECT_EQ(inst.Value(RootKey::CurrentUser, "\\Software\\A", "v1"), "(none)");
    EXPECT_EQ(inst.Value(RootKey::CurrentUser, "\\Software\\A\\B", "v2"), "(none)");
    // The missing key is not made, and the key still open keeps its value.
    EXPECT_FALSE(inst.KeyExists(RootKey::CurrentUser, "\\Software\\A\\B\\Missing"));
    EXPECT_EQ(inst.Value(RootKey::CurrentUser, "\\Software\\A\\B", "v3"), "1");
    EXPECT_EQ(inst.Value(RootKey::CurrentUser, "\\Software\\A", "v3"), "1");
}

TEST(UninstallRun, ProgramSettingsAndUninstallEntry)
{
    const std::string uninstall = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    struct Case {
        const char* name;
        std::string settings;
        std::vector<std::string> gone;
        std::vector<std::string> kept;
    };
    const Case cases[] = {
        {"named", "AppName=Plan\nVersion=1.1\nCompany=quorran\n",
         {"\\Software\\quorran\\Plan", uninstall + "Plan"},
         {"\\Software\\quorran", "\\Software\\quorran\\Other", uninstall + "Other", "\\Software\\1"}},
        {"all missing: the defaults 1", "",
         {"\\Software\\1\\1", uninstall + "1"},
         {"\\Software\\1", "\\Software\\quorran\\Plan", uninstall + "Plan"}},
        {"blank company", "AppName=Plan\nVersion=1.1\nCompany=\n",
         {uninstall + "Plan"},
         {"\\Software\\quorran\\Plan", "\\Software\\quorran\\Other", "\\Software\\1\\1"}},
        {"blank name", "AppName=\nVersion=1.1\nCompany=quorran\n",
         {},
         {"\\Software\\quorran\\Plan", "\\Software\\quorran\\Other", uninstall + "Plan", uninstall + "Other"}},
        {"name with a backslash", "AppName=\\\nVersion=1.1\nCompany=quorran\n",
         {},
         {"\\Software\\quorran\\Other", uninstall + "Other"}},
        {"blank version", "AppName=Plan\nVersion= \nCompany=quorran\n",
         {uninstall + "Plan"},
         {"\\Software\\quorran\\Plan\\1.1", "\\Software\\quorran\\Other"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Installation inst;
        inst.Seed(RootKey::LocalMachine, "\\Software\\quorran\\Plan\\1.1", {{"Company", "q"}, {"Name", "n"}});
        inst.Seed(RootKey::LocalMachine, "\\Software\\quorran\\Plan\\1.0");
        inst.Seed(RootKey::LocalMachine, "\\Software\\quorran\\Other\\2.0");
        inst.Seed(RootKey::LocalMachine, "\\Software\\1\\1\\1");
        for (const char* app : {"Plan", "Other", "1"})
            inst.Seed(RootKey::LocalMachine, uninstall + app, {{"DisplayName", app}, {"UninstallString", "x"}});
        inst.Control("[Settings]\nStandardReg=1\n" + c.settings);
        EXPECT_FALSE(inst.Run().error);
        for (const auto& k : c.gone)
            EXPECT_FALSE(inst.KeyExists(RootKey::LocalMachine, k)) << k;
        for (const auto& k : c.kept)
            EXPECT_TRUE(inst.KeyExists(RootKey::LocalMachine, k)) << k;
    }
    Installation fresh;
    fresh.Control("[Settings]\nStandardReg=1\n");
    fresh.Run();
    EXPECT_FALSE(fs::exists(fresh.registryPath));   // nothing was there: nothing is made
}

TEST(UninstallRun, AConversionErrorEndsTheRunWhereItHappens)
{
    Installation inst;
    inst.File("Programme/Plan/a.txt");
    inst.Control(kSigned + "[Files]\nFileCount=0\nFile0=C:\\Programme\\Plan\\a.txt\n[ExtraFiles]\nExtraCount=zwei\n");
    const RunResult r = inst.Run();
    EXPECT_FALSE(r.finished);
    EXPECT_EQ(r.error, "'zwei' ist kein gültiger Integerwert");
    EXPECT_FALSE(inst.Exists("Programme/Plan/a.txt"));
    EXPECT_TRUE(fs::exists(inst.control));
    EXPECT_EQ(inst.sink.trace.back(), "item Datei a.txtwird gelöscht... @100");
}

// A registry database that cannot be read is reported where the run first
// needs it, and the run ends there as after any registry error.
TEST(UninstallRun, ADamagedRegistryEndsTheRunWhereItIsNeeded)
{
    struct Case {
        const char* settings;
        bool error;
    };
    const Case cases[] = {
        {"UpdateFromTheWeb=1\n", true},
        {"StandardReg=1\n", true},
        {"", false},   // the registry is not needed: nothing to report
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        Installation inst;
        inst.File("Programme/Plan/a.txt");
        const std::string junk(700, '\x5a');
        tolv::test::WriteBytes(inst.registryPath, junk);
        inst.Control(kSigned + c.settings + "[Files]\nFileCount=0\nFile0=C:\\Programme\\Plan\\a.txt\n");
        const RunResult r = inst.Run();
        EXPECT_FALSE(inst.Exists("Programme/Plan/a.txt"));
        EXPECT_EQ(r.finished, !c.error);
        EXPECT_EQ(fs::exists(inst.control), c.error);
        if (c.error) {
            EXPECT_EQ(r.error, "Die Registry-Datenbank " + inst.registryPath +
                                   " kann nicht gelesen werden: file is not a database");
        } else {
            EXPECT_FALSE(r.error);
        }
        EXPECT_TRUE(tolv::test::ReadBytes(inst.registryPath) == junk);
    }
}

TEST(UninstallRun, AnErrorAmongTheListedFoldersStillEndsTheRun)
{
    Installation inst;
    fs::create_directories(inst.c / "Programme/Plan/Pics");
    fs::create_directories(inst.c / "Extra");
    inst.Control(kSigned + "[ExtraDir]\nDirCount=x\nDir1=C:\\Programme\\Plan\\Pics\\\n"
                           "[Directories]\nMainDir=C:\\Programme\\Plan\\Pics\n[ProgramPath]\nPath=C:\\Extra\\\n");
    const RunResult r = inst.Run();
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(r.error, "'x' ist kein gültiger Integerwert");
    EXPECT_FALSE(inst.Exists("Programme/Plan/Pics"));
    EXPECT_FALSE(inst.Exists("Extra"));
    EXPECT_FALSE(fs::exists(inst.control));
}

TEST(UninstallRun, HostileEntriesAreSkippedAndEveryCanarySurvives)
{
    Installation inst;
    inst.File((inst.outside / "x").string(), "canary");
    inst.File((inst.outside / "secret.txt").string(), "canary");
    inst.File("Programme/Plan/user.txt", "canary");
    inst.File("Programme/Plan/prog.bin");
    fs::create_directory_symlink(inst.outside, inst.c / "Programme/Plan/out");
    // Relative names would be looked up where the program runs: a canary there too.
    const fs::path cwd = fs::current_path();
    fs::current_path(inst.outside);
    inst.File((inst.outside / "0").string(), "canary");
    inst.File((inst.outside / "x.txt").string(), "canary");
    inst.Control(kSigned +
                 "[Files]\nFileCount=6\nFile0=C:\\..\\outside\\x\nFile1=D:\\x\nFile2=\\\\server\\share\\x\n"
                 "File3=x.txt\nFile5=C:\\Programme\\Plan\\out\\secret.txt\nFile6=C:\\Programme\\Plan\\prog.bin\n"
                 "[ExtraDir]\nDirCount=2\nDir1=C:\\\nDir2=C:\\Programme\\Plan\\out\\\n"
                 "[Directories]\nMainDir=C:\\Programme\\Plan\\\n");
    const RunResult r = inst.Run();
    fs::current_path(cwd);
    EXPECT_TRUE(r.finished);
    EXPECT_FALSE(r.error);
    EXPECT_FALSE(inst.Exists("Programme/Plan/prog.bin"));
    for (const char* name : {"x", "secret.txt", "0", "x.txt"})
        EXPECT_EQ(tolv::test::ReadBytes((inst.outside / name).string()), "canary") << name;
    EXPECT_EQ(tolv::test::ReadBytes((inst.c / "Programme/Plan/user.txt").string()), "canary");
    EXPECT_TRUE(fs::is_symlink(inst.c / "Programme/Plan/out"));
    EXPECT_TRUE(fs::is_directory(inst.c));
}

TEST(UninstallRun, TheProgramsOwnFileIsLeftForTheFinishPage)
{
    Installation inst;
    inst.File("Programme/Plan/Uninstall");
    inst.File("Programme/Plan/other.bin");
    inst.Control(kSigned + "[Files]\nFileCount=1\nFile0=C:\\Programme\\Plan\\UNINSTALL\n"
                           "File1=C:\\Programme\\Plan\\other.bin\n[Directories]\nMainDir=C:\\Programme\\Plan\\\n");
    const RunResult r = inst.Run((inst.c / "Programme/Plan/Uninstall").string());
    EXPECT_TRUE(inst.Exists("Programme/Plan/Uninstall"));
    EXPECT_FALSE(inst.Exists("Programme/Plan/other.bin"));
    ASSERT_EQ(r.installDirs.size(), 1u);

    // Outside the installation's folders it stays; inside it goes.
    inst.File((inst.outside / "Uninstall").string());
    EXPECT_FALSE(DeleteOwnFile((inst.outside / "Uninstall").string(), r.installDirs, inst.drives));
    EXPECT_TRUE(fs::exists(inst.outside / "Uninstall"));
    EXPECT_FALSE(DeleteOwnFile((inst.outside / "Uninstall").string(), {}, inst.drives));
    EXPECT_TRUE(DeleteOwnFile((inst.c / "Programme/Plan/Uninstall").string(), r.installDirs, inst.drives));
    EXPECT_FALSE(inst.Exists("Programme/Plan/Uninstall"));
}
