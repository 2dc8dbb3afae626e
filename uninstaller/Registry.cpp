#include "uninstaller/Registry.h"

#include "platform/TextCase.h"

#include <sqlite3.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

#include <sys/stat.h>

namespace uninst {

namespace {

// Root keys are rows 1..6, children of nothing.
constexpr std::int64_t kRootCount = 6;

std::int64_t RootId(RootKey root)
{
    return std::int64_t(root) + 1;
}

bool IsRootId(std::int64_t id)
{
    return id >= 1 && id <= kRootCount;
}

struct RootName {
    const char* shortName;
    const char* longName;
    RootKey root;
};
constexpr std::array<RootName, kRootCount> kRootNames = {{
    {"HKCR", "HKEY_CLASSES_ROOT", RootKey::ClassesRoot},
    {"HKCU", "HKEY_CURRENT_USER", RootKey::CurrentUser},
    {"HKLM", "HKEY_LOCAL_MACHINE", RootKey::LocalMachine},
    {"HKU", "HKEY_USERS", RootKey::Users},
    {"HKCC", "HKEY_CURRENT_CONFIG", RootKey::CurrentConfig},
    {"HKDD", "HKEY_DYN_DATA", RootKey::DynData},
}};

std::string UpperAscii(std::string_view text)
{
    std::string s(text);
    for (auto& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

// What SQLite can hold itself: the parents' references, roots exactly where
// the ids say, no key its own parent, one folded name per parent. Older
// files lack the checks; the opening check covers them.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS keys(
  id INTEGER PRIMARY KEY,
  parent INTEGER REFERENCES keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  CHECK ((parent IS NULL) = (id BETWEEN 1 AND 6)),
  CHECK (parent <> id));
CREATE UNIQUE INDEX IF NOT EXISTS keys_child ON keys(parent, folded);
CREATE TABLE IF NOT EXISTS vals(
  key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(key, folded));
INSERT INTO keys(id, parent, name, folded)
  SELECT * FROM (VALUES
    (1, NULL, 'HKEY_CLASSES_ROOT', ''), (2, NULL, 'HKEY_CURRENT_USER', ''),
    (3, NULL, 'HKEY_LOCAL_MACHINE', ''), (4, NULL, 'HKEY_USERS', ''),
    (5, NULL, 'HKEY_CURRENT_CONFIG', ''), (6, NULL, 'HKEY_DYN_DATA', ''))
  WHERE NOT EXISTS (SELECT 1 FROM keys);
)sql";

// Anything SQLite reported, or a check of the file that failed.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The tree in the file is not a tree: found while walking it.
class TreeFault : public StoreError {
public:
    using StoreError::StoreError;
};

void Check(sqlite3* db, int rc)
{
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE)
        throw StoreError(sqlite3_errmsg(db));
}

void Exec(sqlite3* db, const char* sql)
{
    Check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
}

class Stmt {
public:
    Stmt(sqlite3* db, const char* sql) : db_(db) { Check(db, sqlite3_prepare_v2(db, sql, -1, &s_, nullptr)); }
    ~Stmt() { sqlite3_finalize(s_); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    Stmt& Bind(int i, std::int64_t v)
    {
        Check(db_, sqlite3_bind_int64(s_, i, v));
        return *this;
    }
    Stmt& Bind(int i, std::string_view text)
    {
        Check(db_, sqlite3_bind_text(s_, i, text.data(), int(text.size()), SQLITE_TRANSIENT));
        return *this;
    }
    Stmt& BindBlob(int i, std::string_view data)
    {
        // A zero-length blob is still a blob, not NULL.
        Check(db_, data.empty() ? sqlite3_bind_zeroblob(s_, i, 0)
                                : sqlite3_bind_blob(s_, i, data.data(), int(data.size()), SQLITE_TRANSIENT));
        return *this;
    }
    // For the next run of the statement.
    Stmt& Reset()
    {
        Check(db_, sqlite3_reset(s_));
        Check(db_, sqlite3_clear_bindings(s_));
        return *this;
    }
    // True while a row is there.
    bool Step()
    {
        const int rc = sqlite3_step(s_);
        Check(db_, rc);
        return rc == SQLITE_ROW;
    }
    std::int64_t Int(int col) const { return sqlite3_column_int64(s_, col); }
    bool IsNull(int col) const { return sqlite3_column_type(s_, col) == SQLITE_NULL; }
    std::string Text(int col) const
    {
        const void* p = sqlite3_column_blob(s_, col);
        const int bytes = sqlite3_column_bytes(s_, col);
        if (!p && bytes > 0)
            throw StoreError(sqlite3_errmsg(db_));   // out of memory
        return p ? std::string(static_cast<const char*>(p), std::size_t(bytes)) : std::string();
    }

private:
    sqlite3* db_;
    sqlite3_stmt* s_ = nullptr;
};

// The one value a query gives.
std::int64_t Single(sqlite3* db, const char* sql)
{
    Stmt s(db, sql);
    if (!s.Step())
        throw StoreError("no result");
    return s.Int(0);
}

// One operation, one transaction: committed at Commit, rolled back when an
// exception leaves the operation first. Reads take no write lock, so a
// file that may only be read can still be read.
class Transaction {
public:
    enum Kind { Read, Write };
    Transaction(sqlite3* db, Kind kind) : db_(db) { Exec(db, kind == Write ? "BEGIN IMMEDIATE" : "BEGIN"); }
    ~Transaction()
    {
        if (db_)
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void Commit()
    {
        Exec(db_, "COMMIT");
        db_ = nullptr;
    }

private:
    sqlite3* db_;
};

// The file as SQLite sees it: pages, records and indexes.
void CheckIntegrity(sqlite3* db)
{
    Stmt integrity(db, "PRAGMA integrity_check(1)");
    const std::string verdict = integrity.Step() ? integrity.Text(0) : std::string();
    if (verdict != "ok")
        throw StoreError(verdict);
}

// A new file, or one that lacks the store's tables or roots.
bool LacksSchema(sqlite3* db)
{
    return Single(db, "SELECT count(*) FROM sqlite_master WHERE name IN ('keys', 'vals', 'keys_child')") != 3 ||
           Single(db, "SELECT count(*) FROM keys") == 0;
}

// The tree the tables hold.
void CheckTree(sqlite3* db)
{
    Transaction read(db, Transaction::Read);
    if (Stmt(db, "PRAGMA foreign_key_check").Step())
        throw StoreError("ein Schlüssel oder Wert hängt an einem Schlüssel, den es nicht gibt");
    if (Single(db, "SELECT count(*) FROM keys WHERE parent IS NULL") != kRootCount ||
        Single(db, "SELECT count(*) FROM keys WHERE parent IS NULL AND id BETWEEN 1 AND 6") != kRootCount)
        throw StoreError("die Stammschlüssel sind nicht die sechs erwarteten");
    // UNION keeps each key once, so the walk ends also on a loop.
    if (Single(db, "WITH RECURSIVE reach(id) AS (SELECT id FROM keys WHERE parent IS NULL "
                   "UNION SELECT keys.id FROM keys JOIN reach ON keys.parent = reach.id) "
                   "SELECT (SELECT count(*) FROM reach) = (SELECT count(*) FROM keys)") != 1)
        throw StoreError("Schlüssel hängen in einem Kreis statt unter einem Stammschlüssel");
    // The unique indexes hold the names apart only when each folded name is right.
    for (const char* sql : {"SELECT name, folded FROM keys WHERE parent IS NOT NULL", "SELECT name, folded FROM vals"}) {
        Stmt names(db, sql);
        while (names.Step())
            if (plat::FoldCase(names.Text(0)) != names.Text(1))
                throw StoreError("der Name '" + names.Text(0) + "' ist falsch als Vergleichsform abgelegt");
    }
    read.Commit();
}

// The child of the key with the given folded name.
std::optional<std::int64_t> FindChild(sqlite3* db, std::int64_t parent, std::string_view folded)
{
    Stmt s(db, "SELECT id FROM keys WHERE parent = ? AND folded = ?");
    s.Bind(1, parent).Bind(2, folded);
    if (!s.Step())
        return std::nullopt;
    return s.Int(0);
}

// A new child of the key; its id.
std::int64_t InsertKey(sqlite3* db, std::int64_t parent, std::string_view name, std::string_view folded)
{
    Stmt(db, "INSERT INTO keys(parent, name, folded) VALUES(?, ?, ?)")
        .Bind(1, parent).Bind(2, name).Bind(3, folded).Step();
    return sqlite3_last_insert_rowid(db);
}

bool IsStringType(std::int64_t type)
{
    return type == std::int64_t(ValueType::String) || type == std::int64_t(ValueType::ExpandString);
}

std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path)
{
    std::vector<std::string> names;
    if (path.empty())
        return names;
    std::size_t start = 0;
    while (true) {
        const auto end = path.find('\\', start);
        const auto name = path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (name.empty())
            return std::nullopt;   // never the parent in place of an empty name
        names.emplace_back(name);
        if (end == std::string_view::npos)
            return names;
        start = end + 1;
    }
}

bool SameNames(const std::vector<std::string>& a, const std::vector<std::string>& b, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (plat::FoldCase(a[i]) != plat::FoldCase(b[i]))
            return false;
    return true;
}

struct TreeKey {
    std::int64_t id;
    std::int64_t parent;
    std::string name, folded;
};

// The key and every key below it, each after its parent. The walk goes by
// rows, not by recursion: a root met below the key, or a key met twice, is
// a loop in a damaged file and ends it.
std::vector<TreeKey> Subtree(sqlite3* db, std::int64_t top)
{
    std::vector<TreeKey> keys{{top, 0, {}, {}}};
    std::unordered_set<std::int64_t> seen{top};
    Stmt children(db, "SELECT id, name, folded FROM keys WHERE parent = ? ORDER BY id");
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::int64_t parent = keys[i].id;
        children.Reset().Bind(1, parent);
        while (children.Step()) {
            const std::int64_t id = children.Int(0);
            if (IsRootId(id) || !seen.insert(id).second)
                throw TreeFault("Schlüssel hängen in einem Kreis statt unter einem Stammschlüssel");
            keys.push_back({id, parent, children.Text(1), children.Text(2)});
        }
    }
    return keys;
}

// The keys of the tree below `target`, with their values, as new rows.
void CopyTree(sqlite3* db, const std::vector<TreeKey>& tree, std::int64_t target)
{
    std::unordered_map<std::int64_t, std::int64_t> copies{{tree.front().id, target}};
    Stmt insert(db, "INSERT INTO keys(parent, name, folded) VALUES(?, ?, ?)");
    Stmt values(db, "INSERT INTO vals(key, name, folded, type, data) "
                    "SELECT ?, name, folded, type, data FROM vals WHERE key = ?");
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const TreeKey& key = tree[i];
        std::int64_t copy = target;
        if (i > 0) {
            insert.Reset().Bind(1, copies.at(key.parent)).Bind(2, key.name).Bind(3, key.folded).Step();
            copy = sqlite3_last_insert_rowid(db);
            copies.emplace(key.id, copy);
        }
        values.Reset().Bind(1, copy).Bind(2, key.id).Step();
    }
}

// Leaves first, so that no deletion cascades through more than one key.
void DeleteTree(sqlite3* db, const std::vector<TreeKey>& tree)
{
    Stmt values(db, "DELETE FROM vals WHERE key = ?");
    Stmt key(db, "DELETE FROM keys WHERE id = ?");
    for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
        values.Reset().Bind(1, it->id).Step();
        key.Reset().Bind(1, it->id).Step();
    }
}

} // namespace

std::optional<RootKey> RootKeyByName(std::string_view name)
{
    const std::string upper = UpperAscii(name);
    for (const auto& r : kRootNames)
        if (upper == r.shortName || upper == r.longName)
            return r.root;
    return std::nullopt;
}

std::string DefaultRegistryPath()
{
    if (const char* p = std::getenv("UNINSTALL_REGISTRY"); p && *p)
        return p;
    std::string data;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x == '/')
        data = x;
    else if (const char* home = std::getenv("HOME"); home && *home)
        data = std::string(home) + "/.local/share";
    else
        data = ".";
    return data + "/tolvaria/registry.sqlite";
}

TRegistry::TRegistry(std::string databasePath) : path_(std::move(databasePath)) {}

TRegistry::~TRegistry()
{
    if (db_)
        sqlite3_close(db_);
}

ERegistryException TRegistry::Unreadable(const std::string& why) const
{
    return ERegistryException("Die Registry-Datenbank " + path_ + " kann nicht gelesen werden: " + why);
}

ERegistryException TRegistry::Unwritable(const std::string& why) const
{
    return ERegistryException("Die Registry-Datenbank " + path_ + " kann nicht geschrieben werden: " + why);
}

sqlite3* TRegistry::Db(bool create)
{
    if (db_)
        return db_;
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) {
        if (!create)
            return nullptr;
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
    }
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(path_.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        const std::string why = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw Unreadable(why);
    }
    try {
        Check(db, sqlite3_busy_timeout(db, 5000));
        Exec(db, "PRAGMA foreign_keys = ON");
        // Checked before anything is written: a damaged file stays as it is.
        CheckIntegrity(db);
        if (LacksSchema(db)) {
            Transaction t(db, Transaction::Write);
            Exec(db, kSchema);
            t.Commit();
        }
        CheckTree(db);
    } catch (const StoreError& e) {
        sqlite3_close(db);
        throw Unreadable(e.what());
    }
    db_ = db;
    return db_;
}

std::optional<TRegistry::Location> TRegistry::Resolve(std::string_view path) const
{
    if (path.empty())
        return std::nullopt;
    Location loc{root_, {}};
    if (path.front() == '\\') {
        path.remove_prefix(1);
    } else if (open_) {
        loc.names = open_->names;
    }
    auto names = SplitKeyPath(path);
    if (!names)
        return std::nullopt;
    loc.names.insert(loc.names.end(), names->begin(), names->end());
    return loc;
}

std::optional<std::int64_t> TRegistry::FindKey(sqlite3* db, const Location& loc)
{
    std::int64_t id = RootId(loc.root);
    for (const auto& name : loc.names) {
        const auto child = FindChild(db, id, plat::FoldCase(name));
        if (!child)
            return std::nullopt;
        id = *child;
    }
    return id;
}

std::int64_t TRegistry::CreateKey(sqlite3* db, const Location& loc)
{
    std::int64_t id = RootId(loc.root);
    for (const auto& name : loc.names) {
        const std::string folded = plat::FoldCase(name);
        const auto child = FindChild(db, id, folded);
        id = child ? *child : InsertKey(db, id, name, folded);
    }
    return id;
}

std::optional<std::int64_t> TRegistry::OpenKeyId(sqlite3* db)
{
    if (!db || !open_)
        return std::nullopt;
    return FindKey(db, *open_);
}

void TRegistry::SetRootKey(RootKey root)
{
    if (root == root_)
        return;
    CloseKey();
    root_ = root;
}

bool TRegistry::OpenKey(std::string_view path, bool create)
{
    const auto loc = Resolve(path);
    if (!loc)
        return false;
    sqlite3* db = Db(create);
    if (!db)
        return false;
    bool found = false;
    try {
        Transaction t(db, create ? Transaction::Write : Transaction::Read);
        found = create ? (CreateKey(db, *loc), true) : FindKey(db, *loc).has_value();
        t.Commit();
    } catch (const StoreError& e) {
        throw create ? Unwritable(e.what()) : Unreadable(e.what());
    }
    if (found)
        open_ = loc;
    return found;
}

bool TRegistry::SelectKey(std::string_view path)
{
    auto loc = Resolve(path);
    if (!loc)
        return false;
    open_ = std::move(loc);
    return true;
}

void TRegistry::CloseKey()
{
    open_.reset();
}

std::string TRegistry::CurrentPath() const
{
    if (!open_)
        return {};
    std::string out;
    for (const auto& n : open_->names)
        out += "\\" + n;
    return out.empty() ? "\\" : out;
}

bool TRegistry::KeyExists(std::string_view path)
{
    const auto loc = Resolve(path);
    if (!loc)
        return false;
    sqlite3* db = Db(false);
    try {
        return db && FindKey(db, *loc).has_value();
    } catch (const StoreError& e) {
        throw Unreadable(e.what());
    }
}

bool TRegistry::ValueExists(std::string_view name)
{
    return GetDataType(name).has_value();
}

std::optional<ValueType> TRegistry::GetDataType(std::string_view name)
{
    sqlite3* db = Db(false);
    try {
        const auto key = OpenKeyId(db);
        if (!key)
            return std::nullopt;
        Stmt s(db, "SELECT type FROM vals WHERE key = ? AND folded = ?");
        s.Bind(1, *key).Bind(2, plat::FoldCase(name));
        if (!s.Step())
            return std::nullopt;
        return ValueType(s.Int(0));
    } catch (const StoreError& e) {
        throw Unreadable(e.what());
    }
}

std::string TRegistry::ReadString(std::string_view name)
{
    std::int64_t type = 0;
    std::string data;
    sqlite3* db = Db(false);
    try {
        const auto key = OpenKeyId(db);
        if (!key)
            return {};
        Stmt s(db, "SELECT type, data FROM vals WHERE key = ? AND folded = ?");
        s.Bind(1, *key).Bind(2, plat::FoldCase(name));
        if (!s.Step())
            return {};
        type = s.Int(0);
        data = s.Text(1);
    } catch (const StoreError& e) {
        throw Unreadable(e.what());
    }
    if (!IsStringType(type))
        throw ERegistryException("Ungültiger Datentyp für '" + std::string(name) + "'");
    return data;
}

void TRegistry::WriteValue(std::string_view name, ValueType type, std::string_view data)
{
    const auto fail = [&] {
        return ERegistryException("Konnte Daten für '" + std::string(name) + "' nicht setzen");
    };
    if (!open_)
        throw fail();
    sqlite3* db = Db(true);
    try {
        Transaction t(db, Transaction::Write);
        const auto key = FindKey(db, *open_);
        if (!key)
            throw fail();
        const std::string folded = plat::FoldCase(name);
        Stmt(db, "INSERT INTO vals(key, name, folded, type, data) VALUES(?, ?, ?, ?, ?) "
                 "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data")
            .Bind(1, *key).Bind(2, name).Bind(3, folded)
            .Bind(4, std::int64_t(type)).BindBlob(5, data).Step();
        if (sqlite3_changes(db) != 1)
            throw fail();
        // What a later read will find, read the way it will be read: the
        // file's own triggers may have had a say.
        const auto readKey = FindKey(db, *open_);
        Stmt back(db, "SELECT type, data FROM vals WHERE key = ? AND folded = ?");
        back.Bind(1, readKey.value_or(0)).Bind(2, folded);
        if (!readKey || !back.Step() || back.Int(0) != std::int64_t(type) || back.Text(1) != data)
            throw fail();
        t.Commit();
    } catch (const StoreError&) {
        throw fail();
    }
}

void TRegistry::WriteString(std::string_view name, std::string_view text)
{
    WriteValue(name, ValueType::String, text);
}

bool TRegistry::DeleteValue(std::string_view name)
{
    sqlite3* db = Db(false);
    if (!db || !open_)
        return false;
    try {
        Transaction t(db, Transaction::Write);
        const auto key = FindKey(db, *open_);
        if (!key)
            return false;
        Stmt(db, "DELETE FROM vals WHERE key = ? AND folded = ?").Bind(1, *key).Bind(2, plat::FoldCase(name)).Step();
        const bool deleted = sqlite3_changes(db) > 0;
        t.Commit();
        return deleted;
    } catch (const StoreError& e) {
        throw Unwritable(e.what());
    }
}

bool TRegistry::DeleteKey(std::string_view path)
{
    const auto loc = Resolve(path);
    if (!loc || loc->names.empty())
        return false;
    sqlite3* db = Db(false);
    if (!db)
        return false;
    try {
        Transaction t(db, Transaction::Write);
        const auto key = FindKey(db, *loc);
        if (!key)
            return false;
        DeleteTree(db, Subtree(db, *key));
        t.Commit();
        return true;
    } catch (const TreeFault& e) {
        throw Unreadable(e.what());
    } catch (const StoreError& e) {
        throw Unwritable(e.what());
    }
}

void TRegistry::MoveKey(std::string_view oldPath, std::string_view newPath, bool deleteOld)
{
    const auto from = Resolve(oldPath);
    const auto to = Resolve(newPath);
    const auto createFailed = [&] {
        return ERegistryException("Erzeugung von Schlüssel " + std::string(newPath) + " misslungen");
    };
    sqlite3* db = from ? Db(false) : nullptr;
    if (!db)
        return;
    try {
        Transaction t(db, Transaction::Write);
        const auto source = FindKey(db, *from);
        if (!source || (to && FindKey(db, *to)))
            return;
        // A copy into the key itself would copy itself without end.
        if (!to || from->names.empty() ||
            (to->root == from->root && to->names.size() > from->names.size() &&
             SameNames(to->names, from->names, from->names.size())))
            throw createFailed();
        // Taken before the new key exists, so that the copy cannot meet itself.
        const auto tree = Subtree(db, *source);
        CopyTree(db, tree, CreateKey(db, *to));
        if (deleteOld)
            DeleteTree(db, tree);
        t.Commit();
    } catch (const StoreError&) {
        throw createFailed();
    }
}

std::vector<std::string> TRegistry::Names(const char* sql)
{
    std::vector<std::string> out;
    sqlite3* db = Db(false);
    try {
        const auto key = OpenKeyId(db);
        if (!key)
            return out;
        Stmt s(db, sql);
        s.Bind(1, *key);
        while (s.Step())
            out.push_back(s.Text(0));
    } catch (const StoreError& e) {
        throw Unreadable(e.what());
    }
    return out;
}

std::vector<std::string> TRegistry::GetKeyNames()
{
    return Names("SELECT name FROM keys WHERE parent = ? ORDER BY id");
}

std::vector<std::string> TRegistry::GetValueNames()
{
    return Names("SELECT name FROM vals WHERE key = ? ORDER BY rowid");
}

} // namespace uninst
