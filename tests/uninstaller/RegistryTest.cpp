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

// Changes the database behind the store's back, as damage would: with the
// checks SQLite could make switched off.
void Tamper(const std::string& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, ("PRAGMA ignore_check_constraints = ON;" + sql).c_str(), nullptr, nullptr, &error),
              SQLITE_OK)
        << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

// One byte of every copy of the text in the pages of the named index
// changed: the index stays a sound tree but no longer finds the rows.
void CorruptIndex(const std::string& path, const std::string& index, const std::string& text)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM sqlite_master "
                                     "WHERE name = ?", -1, &s, nullptr), SQLITE_OK);
    sqlite3_bind_text(s, 1, index.c_str(), -1, SQLITE_TRANSIENT);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    const auto page = std::size_t(sqlite3_column_int64(s, 0));
    const auto pageSize = std::size_t(sqlite3_column_int64(s, 1));
    sqlite3_finalize(s);
    sqlite3_close(db);
    std::string bytes = tolv::test::ReadBytes(path);
    std::string_view body(bytes.data() + (page - 1) * pageSize, pageSize);
    std::size_t changed = 0;
    for (auto at = body.find(text); at != std::string_view::npos; at = body.find(text, at + 1), ++changed)
        bytes[(page - 1) * pageSize + at + text.size() - 1] ^= 0x20;
    ASSERT_GT(changed, 0u);
    tolv::test::WriteBytes(path, bytes);
}

const std::string kList = "\\Software\\quorran\\Pakoreth_UPD_WEB";

// An entry of the web-update list with a key below it that holds a value.
void MakeDeepEntry(TRegistry& reg)
{
    reg.SetRootKey(RootKey::LocalMachine);
    ASSERT_TRUE(reg.OpenKey(kList + "\\Program3\\Deep", true));
    reg.WriteString("d", "deep");
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

TEST(Registry, RootsGoByTheirShortOrLongNameInAnyCase)
{
    const std::pair<const char*, std::optional<RootKey>> cases[] = {
        {"HKCR", RootKey::ClassesRoot},         {"HKEY_CLASSES_ROOT", RootKey::ClassesRoot},
        {"hkcu", RootKey::CurrentUser},         {"HKEY_Current_User", RootKey::CurrentUser},
        {"HKLM", RootKey::LocalMachine},        {"hkey_local_machine", RootKey::LocalMachine},
        {"HKU", RootKey::Users},                {"HKEY_USERS", RootKey::Users},
        {"HKCC", RootKey::CurrentConfig},       {"HKEY_CURRENT_CONFIG", RootKey::CurrentConfig},
        {"HKDD", RootKey::DynData},             {"HKEY_DYN_DATA", RootKey::DynData},
        {"", std::nullopt},                     {"HKEY", std::nullopt},
        {" HKLM", std::nullopt},                {"HKLM\\Software", std::nullopt},
    };
    for (const auto& [name, root] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(RootKeyByName(name), root);
    }
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
    MakeDeepEntry(reg);
    const std::string& list = kList;
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

// A store that cannot be trusted is reported at the first operation, never
// read as empty or as something else; the file is left as it was.
TEST(Registry, ADamagedDatabaseIsReportedWhenOpened)
{
    struct Case {
        const char* name;
        std::function<void(const std::string&)> damage;
        const char* why;
    };
    const Case cases[] = {
        {"not a database", [](const std::string& p) { tolv::test::WriteBytes(p, std::string(600, 'x')); },
         "file is not a database"},
        {"an index that lost its rows",
         [](const std::string& p) { CorruptIndex(p, "sqlite_autoindex_vals_1", "setupcount"); }, "index"},
        {"a root below one of its keys",
         [](const std::string& p) { Tamper(p, "UPDATE keys SET parent = (SELECT id FROM keys WHERE name = 'Deep') "
                                              "WHERE id = 3"); },
         ""},
        {"a key its own parent",
         [](const std::string& p) { Tamper(p, "INSERT INTO keys VALUES(100, 100, 'Self', 'self')"); }, ""},
        {"two keys each the other's parent",
         [](const std::string& p) {
             Tamper(p, "INSERT INTO keys VALUES(100, 101, 'A', 'a'); INSERT INTO keys VALUES(101, 100, 'B', 'b')");
         },
         ""},
        {"a key whose parent is missing",
         [](const std::string& p) { Tamper(p, "INSERT INTO keys VALUES(100, 999, 'Lost', 'lost')"); }, ""},
        {"a value whose key is missing",
         [](const std::string& p) { Tamper(p, "INSERT INTO vals VALUES(999, 'v', 'v', 1, x'00')"); }, ""},
        {"sibling names equal without regard to case",
         [](const std::string& p) { Tamper(p, "INSERT INTO keys(parent, name, folded) VALUES(3, 'SOFTWARE', 'SOFTWARE')"); },
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Store s;
        {
            TRegistry reg(s.path);
            MakeDeepEntry(reg);
            ASSERT_TRUE(reg.OpenKey(kList, false));
            reg.WriteString("SetupCount", "3");
        }
        c.damage(s.path);
        const std::string before = tolv::test::ReadBytes(s.path);
        TRegistry reg(s.path);
        reg.SetRootKey(RootKey::LocalMachine);
        const std::string message = Message([&] { reg.OpenKey(kList, false); });
        EXPECT_EQ(message.rfind("Die Registry-Datenbank " + s.path + " kann nicht gelesen werden: ", 0), 0u) << message;
        EXPECT_NE(message.find(c.why), std::string::npos) << message;
        EXPECT_NE(Message([&] { reg.ReadString("SetupCount"); }), "(nothing raised)");
        EXPECT_NE(Message([&] { reg.WriteString("SetupCount", "2"); }), "(nothing raised)");
        EXPECT_TRUE(tolv::test::ReadBytes(s.path) == before) << "the file was changed";
    }
}

// What SQLite can refuse itself, a file the store made refuses to anyone.
TEST(Registry, ANewFileRefusesWhatWouldBreakTheTree)
{
    Store s;
    {
        TRegistry reg(s.path);
        ASSERT_TRUE(reg.OpenKey("\\Software", true));
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(s.path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr), SQLITE_OK);
    for (const char* sql : {
             "INSERT INTO keys VALUES(100, 100, 'Self', 'self')",
             "INSERT INTO keys VALUES(100, 999, 'Lost', 'lost')",
             "INSERT INTO keys(parent, name, folded) VALUES(2, 'software', 'software')",
             "INSERT INTO keys(parent, name, folded) VALUES(NULL, 'Root', 'root')",
             "UPDATE keys SET parent = 7 WHERE id = 3",
             "INSERT INTO vals VALUES(999, 'v', 'v', 1, x'00')",
         }) {
        SCOPED_TRACE(sql);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_CONSTRAINT);
    }
    sqlite3_close(db);
}

// Nothing in SQLite failed, yet the row was not written: a trigger of the
// file throws the write away.
TEST(Registry, AWriteThatDidNotHappenRaises)
{
    Store s;
    TRegistry reg(s.path);
    ASSERT_TRUE(reg.OpenKey(kList, true));
    reg.WriteString("SetupCount", "3");
    Tamper(s.path, "CREATE TRIGGER lost_insert BEFORE INSERT ON vals BEGIN SELECT RAISE(IGNORE); END;"
                   "CREATE TRIGGER lost_update BEFORE UPDATE ON vals BEGIN SELECT RAISE(IGNORE); END;");
    EXPECT_EQ(Message([&] { reg.WriteString("SetupCount", "2"); }), "Konnte Daten für 'SetupCount' nicht setzen");
    EXPECT_EQ(Message([&] { reg.WriteString("New", "n"); }), "Konnte Daten für 'New' nicht setzen");
    EXPECT_EQ(reg.ReadString("SetupCount"), "3");
}

// A loop in the tree that appears while the store is open: moving or
// deleting a key through it raises, and changes nothing.
TEST(Registry, ALoopMetOnTheWayRaisesInsteadOfRecursing)
{
    Store s;
    TRegistry reg(s.path);
    MakeDeepEntry(reg);
    const std::string& list = kList;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Other", true));
    Tamper(s.path, "UPDATE keys SET parent = (SELECT id FROM keys WHERE name = 'Deep') WHERE id = 3");
    const std::string before = tolv::test::ReadBytes(s.path);
    EXPECT_EQ(Message([&] { reg.MoveKey(list + "\\Program3", list + "\\Program2", true); }),
              "Erzeugung von Schlüssel " + list + "\\Program2 misslungen");
    EXPECT_NE(Message([&] { reg.DeleteKey(list + "\\Program3"); }), "(nothing raised)");
    EXPECT_TRUE(tolv::test::ReadBytes(s.path) == before) << "the file was changed";
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
