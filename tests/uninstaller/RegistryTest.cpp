// The registry store: keys and typed values under six roots in one SQLite file.
#include "uninstaller/Registry.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using namespace uninst;
namespace fs = std::filesystem;
using tolv::test::TempDir;

namespace {

struct Store {
    TempDir tmp;
    std::string path = tmp.file("reg/registry.sqlite");
};

// The database's own checks: pages, indexes and references all sound.
void ExpectSound(const std::string& path)
{
    sqlite3* db = nullptr;
    // Read-write: a hot journal left by the killed writer is rolled back on opening.
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    std::vector<std::string> rows;
    auto collect = [](void* out, int n, char** values, char**) {
        static_cast<std::vector<std::string>*>(out)->push_back(n > 0 && values[0] ? values[0] : "");
        return 0;
    };
    EXPECT_EQ(sqlite3_exec(db, "PRAGMA integrity_check", collect, &rows, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    EXPECT_EQ(rows, std::vector<std::string>{"ok"});
    rows.clear();
    sqlite3_exec(db, "PRAGMA foreign_key_check", collect, &rows, nullptr);
    EXPECT_TRUE(rows.empty());
    sqlite3_close(db);
}

std::string Message(const std::function<void()>& f)
{
    try {
        f();
    } catch (const ERegistryException& e) {
        return e.what();
    }
    return "(nothing raised)";
}

} // namespace

TEST(Registry, AMissingDatabaseIsEmptyAndIsNotCreatedByReadingOrDeleting)
{
    Store s;
    TRegistry reg(s.path);
    reg.SetRootKey(RootKey::LocalMachine);
    EXPECT_FALSE(reg.OpenKey("\\Software\\quorran", false));
    EXPECT_EQ(reg.ReadString("SetupCount"), "");
    EXPECT_FALSE(reg.DeleteValue("x"));
    EXPECT_FALSE(reg.DeleteKey("\\Software"));
    EXPECT_FALSE(reg.KeyExists("\\Software"));
    reg.MoveKey("\\A", "\\B", true);
    EXPECT_FALSE(fs::exists(s.path));
    EXPECT_TRUE(reg.OpenKey("\\Software\\quorran", true));
    EXPECT_TRUE(fs::exists(s.path));
}

TEST(Registry, OpenResolvesFromTheRootOrTheOpenKeyWithoutCase)
{
    Store s;
    TRegistry reg(s.path);
    reg.SetRootKey(RootKey::LocalMachine);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Quorran", true));
    struct Case {
        const char* path;
        bool create;
        bool opens;
        const char* openAfter;   // the open key afterwards
    };
    const Case cases[] = {
        {"\\SOFTWARE\\quorran", false, true, "\\SOFTWARE\\quorran"},
        {"Sub\\Deeper", false, false, "\\SOFTWARE\\quorran"},   // failure keeps the open key
        {"Sub\\Deeper", true, true, "\\SOFTWARE\\quorran\\Sub\\Deeper"},
        {"B", true, true, "\\SOFTWARE\\quorran\\Sub\\Deeper\\B"},   // chained on the open key
        {"\\Software\\\\X", true, false, "\\SOFTWARE\\quorran\\Sub\\Deeper\\B"},
        {"\\Software\\X\\", true, false, "\\SOFTWARE\\quorran\\Sub\\Deeper\\B"},
        {"", true, false, "\\SOFTWARE\\quorran\\Sub\\Deeper\\B"},
        {"\\", false, true, "\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(reg.OpenKey(c.path, c.create), c.opens);
        EXPECT_EQ(reg.CurrentPath(), c.openAfter);
    }
    EXPECT_FALSE(reg.KeyExists("\\Software\\X"));   // an empty name never stood for its parent
    ASSERT_TRUE(reg.OpenKey("\\software", false));
    EXPECT_EQ(reg.GetKeyNames(), std::vector<std::string>{"Quorran"});   // spelling kept

    // Another root is another tree; setting the same root keeps the key open.
    reg.SetRootKey(RootKey::LocalMachine);
    EXPECT_TRUE(reg.HasCurrentKey());
    reg.SetRootKey(RootKey::CurrentUser);
    EXPECT_FALSE(reg.HasCurrentKey());
    EXPECT_FALSE(reg.KeyExists("\\Software"));
}

TEST(Registry, ASelectedKeyIsTheOpenKeyWithoutBeingMade)
{
    Store s;
    TRegistry reg(s.path);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Shared", true));
    reg.WriteString("Val", "other");
    ASSERT_TRUE(reg.SelectKey("\\Software\\Gone"));
    ASSERT_TRUE(reg.SelectKey("Software\\Shared"));   // goes on from the missing key
    EXPECT_EQ(reg.CurrentPath(), "\\Software\\Gone\\Software\\Shared");
    EXPECT_EQ(reg.ReadString("Val"), "");
    EXPECT_FALSE(reg.DeleteValue("Val"));
    EXPECT_EQ(Message([&] { reg.WriteString("Val", "x"); }), "Konnte Daten für 'Val' nicht setzen");
    EXPECT_FALSE(reg.KeyExists("\\Software\\Gone"));
    EXPECT_FALSE(reg.SelectKey("A\\\\B"));
    EXPECT_EQ(reg.CurrentPath(), "\\Software\\Gone\\Software\\Shared");
    ASSERT_TRUE(reg.SelectKey("\\Software\\Shared"));
    EXPECT_EQ(reg.ReadString("Val"), "other");
}

TEST(Registry, ValuesAreTypedAndReadWithoutCase)
{
    Store s;
    TRegistry reg(s.path);
    EXPECT_EQ(Message([&] { reg.WriteString("Name", "x"); }), "Konnte Daten für 'Name' nicht setzen");
    ASSERT_TRUE(reg.OpenKey("\\Software\\A", true));
    reg.WriteString("Name", "Plan");
    reg.WriteValue("Count", ValueType::Integer, std::string("\x03\0\0\0", 4));
    EXPECT_EQ(reg.ReadString("NAME"), "Plan");
    EXPECT_EQ(reg.ReadString("missing"), "");
    EXPECT_EQ(Message([&] { reg.ReadString("count"); }), "Ungültiger Datentyp für 'count'");
    reg.WriteString("name", "Plan 2");   // replaces, keeps its first spelling
    EXPECT_EQ(reg.GetValueNames(), (std::vector<std::string>{"Name", "Count"}));
    EXPECT_EQ(reg.ReadString("Name"), "Plan 2");
    EXPECT_TRUE(reg.DeleteValue("NAME"));
    EXPECT_FALSE(reg.DeleteValue("Name"));
    EXPECT_FALSE(reg.ValueExists("Name"));
}

TEST(Registry, DeleteKeyTakesTheWholeTreeAndKeepsTheOpenKeyOpen)
{
    Store s;
    TRegistry reg(s.path);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Co\\App\\1.0\\Sub", true));
    reg.WriteString("v", "1");
    ASSERT_TRUE(reg.OpenKey("\\Software\\Co\\Other", true));
    ASSERT_TRUE(reg.OpenKey("\\Software\\Co\\App", false));
    EXPECT_FALSE(reg.DeleteKey("\\Software\\Co\\"));    // an empty name, not the company key
    EXPECT_FALSE(reg.DeleteKey("\\"));                  // never a root
    EXPECT_TRUE(reg.DeleteKey("\\software\\CO\\app"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\Co\\App"));
    EXPECT_TRUE(reg.KeyExists("\\Software\\Co\\Other"));
    EXPECT_EQ(reg.CurrentPath(), "\\Software\\Co\\App");
    EXPECT_EQ(reg.ReadString("v"), "");
    EXPECT_FALSE(reg.DeleteKey("\\Software\\Co\\App"));
}

TEST(Registry, MoveKeyCopiesValuesAndSubkeysOnlyOntoAFreeName)
{
    Store s;
    TRegistry reg(s.path);
    reg.SetRootKey(RootKey::LocalMachine);
    const std::string list = "\\Software\\quorran\\Pakoreth_UPD_WEB";
    ASSERT_TRUE(reg.OpenKey(list + "\\Program3\\Deep", true));
    reg.WriteString("d", "deep");
    ASSERT_TRUE(reg.OpenKey(list + "\\Program3", false));
    reg.WriteString("UpdateID", "three");
    ASSERT_TRUE(reg.OpenKey(list + "\\Program1", true));
    reg.WriteString("UpdateID", "one");

    reg.MoveKey(list + "\\Program3", list + "\\Program1", true);   // the target exists: nothing
    EXPECT_TRUE(reg.KeyExists(list + "\\Program3"));
    EXPECT_EQ(reg.ReadString("UpdateID"), "one");
    reg.MoveKey(list + "\\Program9", list + "\\Program2", true);   // no source: nothing
    EXPECT_FALSE(reg.KeyExists(list + "\\Program2"));

    reg.MoveKey(list + "\\Program3", list + "\\Program2", true);
    EXPECT_FALSE(reg.KeyExists(list + "\\Program3"));
    ASSERT_TRUE(reg.OpenKey(list + "\\Program2", false));
    EXPECT_EQ(reg.ReadString("UpdateID"), "three");
    ASSERT_TRUE(reg.OpenKey("Deep", false));
    EXPECT_EQ(reg.ReadString("d"), "deep");

    reg.MoveKey(list + "\\Program2", list + "\\Program4", false);   // copy, old kept
    EXPECT_TRUE(reg.KeyExists(list + "\\Program2\\Deep"));
    EXPECT_TRUE(reg.KeyExists(list + "\\Program4\\Deep"));

    EXPECT_EQ(Message([&] { reg.MoveKey(list + "\\Program1", list + "\\program1\\Inner", true); }),
              "Erzeugung von Schlüssel " + list + "\\program1\\Inner misslungen");
    EXPECT_EQ(Message([&] { reg.MoveKey(list + "\\Program1", list + "\\\\P", true); }),
              "Erzeugung von Schlüssel " + list + "\\\\P misslungen");
    EXPECT_TRUE(reg.KeyExists(list + "\\Program1"));
}

// A process killed at any moment leaves every operation done or undone: the
// key moved back and forth is always there exactly once, with all it holds.
TEST(Registry, AKilledProcessLeavesTheStoreConsistent)
{
    Store s;
    {
        TRegistry reg(s.path);
        ASSERT_TRUE(reg.OpenKey("\\Software\\A\\Sub1\\Sub2", true));
        reg.WriteString("v", "2");
        ASSERT_TRUE(reg.OpenKey("\\Software\\A", false));
        for (int i = 0; i < 20; ++i)
            reg.WriteString("v" + std::to_string(i), std::string(200, 'x'));
    }
    for (int round = 0; round < 4; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TRegistry reg(s.path);
            for (;;) {
                reg.MoveKey("\\Software\\A", "\\Software\\B", true);
                reg.MoveKey("\\Software\\B", "\\Software\\A", true);
            }
        }
        usleep(useconds_t(30000 + 25000 * round));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);

        ExpectSound(s.path);
        TRegistry reg(s.path);
        const bool a = reg.KeyExists("\\Software\\A");
        const bool b = reg.KeyExists("\\Software\\B");
        ASSERT_NE(a, b) << "round " << round;
        const std::string key = a ? "\\Software\\A" : "\\Software\\B";
        ASSERT_TRUE(reg.OpenKey(key, false));
        EXPECT_EQ(reg.GetValueNames().size(), 20u);
        ASSERT_TRUE(reg.OpenKey(key + "\\Sub1\\Sub2", false));
        EXPECT_EQ(reg.ReadString("v"), "2");
    }
}
