// tools/throwaway-install.sh: the installation it makes, and the command it
// prints run as a user would, on a private X server with keys for "&Ja" and
// "&Beenden": afterwards only what the uninstall leaves by design is there.
// Also tolv-registry-seed, which writes the installation's registry.
#include "support/TestSupport.h"
#include "support/XServer.h"
#include "uninstaller/Registry.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using tolv::test::PrivateXServer;

namespace {

const std::string Script = std::string(TOLV_SOURCE_DIR) + "/tools/throwaway-install.sh";
const QString Seed = QString(TOLV_BIN_DIR) + "/tolv-registry-seed";

struct Result {
    int exitCode = -1;
    std::string out, err;
};

Result RunProgram(const QString& program, const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Result r;
    if (!p.waitForFinished(60000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

// The script takes the programs of this build.
QProcessEnvironment ScriptEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TOLV_BUILD", QString::fromStdString(fs::path(TOLV_BIN_DIR).parent_path().string()));
    return env;
}

// Every entry below the folder, as relative paths, sorted.
std::vector<std::string> Tree(const fs::path& dir)
{
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        out.push_back(e.path().lexically_relative(dir).string());
    std::sort(out.begin(), out.end());
    return out;
}

// The registry's values as "Key\Path Name=Text" lines, sorted, read through
// the store Uninstall reads.
std::vector<std::string> RegistryValues(const std::string& db)
{
    uninst::TRegistry reg(db);
    std::vector<std::string> out;
    const auto walk = [&](const auto& self, const std::string& shown, const std::string& path) -> void {
        EXPECT_TRUE(reg.OpenKey(path, false)) << shown;
        for (const auto& name : reg.GetValueNames())
            out.push_back(shown + " " + name + "=" + reg.ReadString(name));
        for (const auto& key : reg.GetKeyNames())
            self(self, shown + "\\" + key, (path == "\\" ? path : path + "\\") + key);
    };
    for (const char* root : {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                             "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"}) {
        reg.SetRootKey(uninst::RootKeyByName(root).value());
        walk(walk, root, "\\");
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Waits for the program's window of that caption and presses space on its
// focused button.
::testing::AssertionResult PressOn(const PrivateXServer& x, const QString& caption)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", x.Display());
    const Result found = RunProgram("timeout", {"30", "xdotool", "search", "--sync", "--onlyvisible", "--name",
                                         "^" + caption + "$"}, env);
    const std::vector<std::string> ids = tolv::test::Lines(found.out);
    if (found.exitCode != 0 || ids.empty())
        return ::testing::AssertionFailure() << "no window \"" << caption.toStdString() << "\": " << found.err;
    // No window manager gives the focus: the window takes it here.
    const Result pressed = RunProgram("xdotool", {"windowfocus", "--sync", QString::fromStdString(ids.front()), "key", "space"}, env);
    if (pressed.exitCode != 0)
        return ::testing::AssertionFailure() << "xdotool: " << pressed.err;
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(ThrowawayInstall, ThePrintedCommandRemovesWhatTheScriptMade)
{
    tolv::test::EnsureApplication();
    tolv::test::TempDir tmp;
    const fs::path dir = tmp.path() / "install";
    const Result made = RunProgram("bash", {QString::fromStdString(Script), QString::fromStdString(dir.string())},
                                   ScriptEnvironment());
    ASSERT_EQ(made.exitCode, 0) << made.err;

    EXPECT_EQ(Tree(dir), (std::vector<std::string>{
                             "C",
                             "C/Programme",
                             "C/Programme/Tolvaria",
                             "C/Programme/Tolvaria/Karten",
                             "C/Programme/Tolvaria/Pics",
                             "C/Programme/Tolvaria/Pics/Pic1.jpg",
                             "C/Programme/Tolvaria/Tlv10.html",
                             "C/Programme/Tolvaria/Tolvplan",
                             "C/Startmenue",
                             "C/Startmenue/Tolvaria",
                             "C/Startmenue/Tolvaria/Tolvaria Feldwerker.lnk",
                             "Uninstall.inf",
                             "registry.sqlite",
                         }));
    EXPECT_TRUE(fs::is_symlink(dir / "C/Startmenue/Tolvaria/Tolvaria Feldwerker.lnk"));
    const std::string db = (dir / "registry.sqlite").string();
    EXPECT_EQ(RegistryValues(db).size(), 8u);

    // The command is the last line, as a user would paste it.
    const std::vector<std::string> lines = tolv::test::Lines(made.out);
    ASSERT_FALSE(lines.empty());
    const std::string command = lines.back();
    EXPECT_NE(command.find("UNINSTALL_DRIVE_C="), std::string::npos) << command;
    EXPECT_NE(command.find(std::string(TOLV_BIN_DIR) + "/Uninstall "), std::string::npos) << command;

    PrivateXServer x;
    ASSERT_FALSE(x.Display().isEmpty()) << "Xvfb did not start";
    QProcess uninstall;
    ASSERT_TRUE(x.Start(uninstall, "bash", {"-c", QString::fromStdString(command)}));
    EXPECT_TRUE(PressOn(x, "Willkommen."));
    EXPECT_TRUE(PressOn(x, "Fertig."));
    const bool ended = uninstall.waitForFinished(30000);
    if (!ended)
        uninstall.kill();
    ASSERT_TRUE(ended) << uninstall.readAllStandardError().toStdString();
    EXPECT_EQ(uninstall.exitCode(), 0) << uninstall.readAllStandardError().toStdString();

    // Folders go only when listed and empty: the drive's two parents stay.
    EXPECT_EQ(Tree(dir), (std::vector<std::string>{"C", "C/Programme", "C/Startmenue", "registry.sqlite"}));
    // Of the values only the other installation's web-update entry stays,
    // in a list one entry shorter.
    EXPECT_EQ(RegistryValues(db), (std::vector<std::string>{
                                      "HKEY_LOCAL_MACHINE\\Software\\quorran\\Pakoreth_UPD_WEB SetupCount=1",
                                      "HKEY_LOCAL_MACHINE\\Software\\quorran\\Pakoreth_UPD_WEB\\Program1 "
                                      "UpdateID=ANDERES-PROGRAMM",
                                  }));
}

TEST(ThrowawayInstall, RefusesAFolderThatHoldsSomething)
{
    tolv::test::TempDir tmp;
    tolv::test::WriteBytes(tmp.file("mine.txt"), "keep");
    const Result r = RunProgram("bash", {QString::fromStdString(Script), QString::fromStdString(tmp.str())},
                                ScriptEnvironment());
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("not empty"), std::string::npos) << r.err;
    EXPECT_EQ(Tree(tmp.path()), (std::vector<std::string>{"mine.txt"}));
}

// tolv-registry-seed, which writes the installation's registry: a database
// the store refuses is refused, and left as it was.
TEST(RegistrySeed, RefusesADamagedDatabase)
{
    tolv::test::TempDir tmp;
    const std::string db = tmp.file("registry.sqlite");
    const Result made = RunProgram(Seed, {QString::fromStdString(db), "HKLM\\Software\\A", "v", "1"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    // Cut short, as by a full disk: the header promises pages that are gone.
    std::string bytes = tolv::test::ReadBytes(db);
    ASSERT_GT(bytes.size(), 8192u);
    bytes.resize(8192);
    tolv::test::WriteBytes(db, bytes);

    const Result r = RunProgram(Seed, {QString::fromStdString(db), "HKLM\\Software\\B", "v", "2"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("HKLM\\Software\\B v: Die Registry-Datenbank " + db + " kann nicht gelesen werden: "),
              std::string::npos)
        << r.err;
    EXPECT_EQ(tolv::test::ReadBytes(db), bytes);
}

// Every entry is checked before the first is written: a refused command
// line leaves no database behind.
TEST(RegistrySeed, RefusesBadEntriesBeforeWritingAny)
{
    tolv::test::TempDir tmp;
    tolv::test::WriteBytes(tmp.file("file"), "");
    struct Case {
        const char* what;
        std::string db;
        QStringList entries;
        int exitCode;
        std::string message;
    };
    const std::string db = tmp.file("registry.sqlite");
    const Case cases[] = {
        {"no root", db, {"HKLM\\Software\\A", "v", "1", "HKXX\\Software", "v", "2"}, 1,
         "tolv-registry-seed: HKXX\\Software: \"HKXX\" is no registry root"},
        {"an empty name", db, {"HKCU\\Software\\\\A", "v", "1"}, 1,
         "tolv-registry-seed: HKCU\\Software\\\\A: no key path"},
        {"a value without its text", db, {"HKLM\\Software\\A", "v"}, 2, "usage: tolv-registry-seed DATABASE"},
        {"no entry", db, {}, 2, "usage: tolv-registry-seed DATABASE"},
        {"a database below a file", tmp.file("file/registry.sqlite"), {"HKLM\\Software\\A", "v", "1"}, 1,
         "tolv-registry-seed: HKLM\\Software\\A v: Die Registry-Datenbank " + tmp.file("file/registry.sqlite") +
             " kann nicht gelesen werden: unable to open database file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = RunProgram(Seed, QStringList{QString::fromStdString(c.db)} + c.entries);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(Tree(tmp.path()), std::vector<std::string>{"file"});
        fs::remove(db);   // one case's fault stays its own
    }
}
