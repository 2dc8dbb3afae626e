#include "uninstaller/Registry.h"

#include "platform/TextCase.h"

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace uninst {

namespace {

// Root keys are rows 1..6, children of nothing.
std::int64_t RootId(RootKey root)
{
    return std::int64_t(root) + 1;
}

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS keys(
  id INTEGER PRIMARY KEY,
  parent INTEGER REFERENCES keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  folded TEXT NOT NULL);
CREATE UNIQUE INDEX IF NOT EXISTS keys_child ON keys(parent, folded);
CREATE TABLE IF NOT EXISTS vals(
  key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(key, folded));
INSERT OR IGNORE INTO keys(id, parent, name, folded) VALUES
  (1, NULL, 'HKEY_CLASSES_ROOT', ''), (2, NULL, 'HKEY_CURRENT_USER', ''),
  (3, NULL, 'HKEY_LOCAL_MACHINE', ''), (4, NULL, 'HKEY_USERS', ''),
  (5, NULL, 'HKEY_CURRENT_CONFIG', ''), (6, NULL, 'HKEY_DYN_DATA', '');
)sql";

class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void Check(sqlite3* db, int rc)
{
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE)
        throw StoreError(sqlite3_errmsg(db));
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
    // True while a row is there.
    bool Step()
    {
        const int rc = sqlite3_step(s_);
        Check(db_, rc);
        return rc == SQLITE_ROW;
    }
    std::int64_t Int(int col) const { return sqlite3_column_int64(s_, col); }
    std::string Text(int col) const
    {
        const void* p = sqlite3_column_blob(s_, col);
        return p ? std::string(static_cast<const char*>(p), std::size_t(sqlite3_column_bytes(s_, col)))
                 : std::string();
    }

private:
    sqlite3* db_;
    sqlite3_stmt* s_ = nullptr;
};

// One operation, one transaction: committed at Commit, rolled back when an
// exception leaves the operation first.
class Transaction {
public:
    explicit Transaction(sqlite3* db) : db_(db) { Check(db, sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr)); }
    ~Transaction()
    {
        if (db_)
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void Commit()
    {
        Check(db_, sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr));
        db_ = nullptr;
    }

private:
    sqlite3* db_;
};

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

void CopyKey(sqlite3* db, std::int64_t from, std::int64_t to)
{
    Stmt(db, "INSERT INTO vals(key, name, folded, type, data) "
             "SELECT ?, name, folded, type, data FROM vals WHERE key = ?")
        .Bind(1, to).Bind(2, from).Step();
    struct Child {
        std::int64_t id;
        std::string name, folded;
    };
    std::vector<Child> children;
    Stmt list(db, "SELECT id, name, folded FROM keys WHERE parent = ? ORDER BY id");
    list.Bind(1, from);
    while (list.Step())
        children.push_back({list.Int(0), list.Text(1), list.Text(2)});
    for (const auto& c : children)
        CopyKey(db, c.id, InsertKey(db, to, c.name, c.folded));
}

} // namespace

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
        throw StoreError(why);
    }
    sqlite3_busy_timeout(db, 5000);
    const int rc = sqlite3_exec(db, "PRAGMA foreign_keys = ON;", nullptr, nullptr, nullptr);
    const int rcSchema = rc == SQLITE_OK ? sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) : rc;
    if (rcSchema != SQLITE_OK) {
        const std::string why = sqlite3_errmsg(db);
        sqlite3_close(db);
        throw StoreError(why);
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
    try {
        sqlite3* db = Db(create);
        if (!db)
            return false;
        Transaction t(db);
        const bool found = create ? (CreateKey(db, *loc), true) : FindKey(db, *loc).has_value();
        t.Commit();
        if (found)
            open_ = loc;
        return found;
    } catch (const StoreError&) {
        return false;
    }
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
    try {
        sqlite3* db = Db(false);
        return db && FindKey(db, *loc).has_value();
    } catch (const StoreError&) {
        return false;
    }
}

bool TRegistry::ValueExists(std::string_view name)
{
    return GetDataType(name).has_value();
}

std::optional<ValueType> TRegistry::GetDataType(std::string_view name)
{
    try {
        sqlite3* db = Db(false);
        const auto key = OpenKeyId(db);
        if (!key)
            return std::nullopt;
        Stmt s(db, "SELECT type FROM vals WHERE key = ? AND folded = ?");
        s.Bind(1, *key).Bind(2, plat::FoldCase(name));
        if (!s.Step())
            return std::nullopt;
        return ValueType(s.Int(0));
    } catch (const StoreError&) {
        return std::nullopt;
    }
}

std::string TRegistry::ReadString(std::string_view name)
{
    std::int64_t type = 0;
    std::string data;
    try {
        sqlite3* db = Db(false);
        const auto key = OpenKeyId(db);
        if (!key)
            return {};
        Stmt s(db, "SELECT type, data FROM vals WHERE key = ? AND folded = ?");
        s.Bind(1, *key).Bind(2, plat::FoldCase(name));
        if (!s.Step())
            return {};
        type = s.Int(0);
        data = s.Text(1);
    } catch (const StoreError&) {
        return {};
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
    try {
        sqlite3* db = Db(true);
        Transaction t(db);
        const auto key = FindKey(db, *open_);
        if (!key)
            throw fail();
        Stmt(db, "INSERT INTO vals(key, name, folded, type, data) VALUES(?, ?, ?, ?, ?) "
                 "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data")
            .Bind(1, *key).Bind(2, name).Bind(3, plat::FoldCase(name))
            .Bind(4, std::int64_t(type)).BindBlob(5, data).Step();
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
    try {
        sqlite3* db = Db(false);
        if (!db || !open_)
            return false;
        Transaction t(db);
        const auto key = FindKey(db, *open_);
        if (!key)
            return false;
        Stmt(db, "DELETE FROM vals WHERE key = ? AND folded = ?").Bind(1, *key).Bind(2, plat::FoldCase(name)).Step();
        const bool deleted = sqlite3_changes(db) > 0;
        t.Commit();
        return deleted;
    } catch (const StoreError&) {
        return false;
    }
}

bool TRegistry::DeleteKey(std::string_view path)
{
    const auto loc = Resolve(path);
    if (!loc || loc->names.empty())
        return false;
    try {
        sqlite3* db = Db(false);
        if (!db)
            return false;
        Transaction t(db);
        const auto key = FindKey(db, *loc);
        if (!key)
            return false;
        // Subkeys and values go with it through the cascade.
        Stmt(db, "DELETE FROM keys WHERE id = ?").Bind(1, *key).Step();
        t.Commit();
        return true;
    } catch (const StoreError&) {
        return false;
    }
}

void TRegistry::MoveKey(std::string_view oldPath, std::string_view newPath, bool deleteOld)
{
    const auto from = Resolve(oldPath);
    const auto to = Resolve(newPath);
    const auto createFailed = [&] {
        return ERegistryException("Erzeugung von Schlüssel " + std::string(newPath) + " misslungen");
    };
    sqlite3* db = nullptr;
    try {
        db = from ? Db(false) : nullptr;
    } catch (const StoreError&) {
        return;
    }
    if (!db)
        return;
    try {
        Transaction t(db);
        const auto source = FindKey(db, *from);
        if (!source || (to && FindKey(db, *to)))
            return;
        // A copy into the key itself would copy itself without end.
        if (!to || from->names.empty() ||
            (to->root == from->root && to->names.size() > from->names.size() &&
             SameNames(to->names, from->names, from->names.size())))
            throw createFailed();
        const std::int64_t target = CreateKey(db, *to);
        CopyKey(db, *source, target);
        if (deleteOld)
            Stmt(db, "DELETE FROM keys WHERE id = ?").Bind(1, *source).Step();
        t.Commit();
    } catch (const StoreError&) {
        throw createFailed();
    }
}

std::vector<std::string> TRegistry::Names(const char* sql)
{
    std::vector<std::string> out;
    try {
        sqlite3* db = Db(false);
        const auto key = OpenKeyId(db);
        if (!key)
            return out;
        Stmt s(db, sql);
        s.Bind(1, *key);
        while (s.Step())
            out.push_back(s.Text(0));
    } catch (const StoreError&) {
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
