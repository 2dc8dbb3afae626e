#pragma once
// The registry the uninstaller removes its entries from: a store of keys and
// typed values under six roots, kept in one SQLite database file. Key and
// value names compare without regard to case and keep the spelling they were
// created with. Every operation is one transaction, so a process killed
// between (or inside) operations leaves the store as it was before or after.
//
// The file is checked when it is first opened: SQLite's own integrity check,
// then the tree (every key below one of the six roots, no loop, every value
// on a key, names unique per parent without regard to case). A file that
// fails, or that SQLite cannot read, is never taken for an empty or smaller
// registry: each operation that needs it raises "Die Registry-Datenbank
// <path> kann nicht gelesen werden: <why>" and changes nothing. A deletion
// the store could not make raises "... kann nicht geschrieben werden: <why>".
//
// TRegistry is the object the uninstall run works through: a root, at most
// one open key, and paths that begin with "\" (from the root) or are taken
// relative to the open key.
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace uninst {

enum class RootKey { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig, DynData };

// The root its short ("HKLM") or long name ("HKEY_LOCAL_MACHINE") gives, in
// any case of its ASCII letters; nothing for any other name.
std::optional<RootKey> RootKeyByName(std::string_view name);

// Numbered as the platform numbers its value types.
enum class ValueType : int { String = 1, ExpandString = 2, Binary = 3, Integer = 4 };

class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// UNINSTALL_REGISTRY, else $XDG_DATA_HOME/tolvaria/registry.sqlite, with
// ~/.local/share when XDG_DATA_HOME is unset.
std::string DefaultRegistryPath();

class TRegistry {
public:
    // The database is opened on first use. A missing file is an empty
    // registry: reading and deleting never create it, only writing does.
    explicit TRegistry(std::string databasePath);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    RootKey Root() const { return root_; }
    // A different root closes the open key; the same root keeps it open.
    void SetRootKey(RootKey root);

    // On success the key becomes the open key; on failure the open key stays.
    // An empty path or an empty name in it is refused; "\" is the root.
    bool OpenKey(std::string_view path, bool create);
    // The key the path names becomes the open key, as opening it with
    // create would make it, but nothing is created: while it is missing,
    // reads find nothing, deletions delete nothing and writes fail. A
    // refused path keeps the open key and returns false.
    bool SelectKey(std::string_view path);
    void CloseKey();
    bool HasCurrentKey() const { return open_.has_value(); }
    // The open key's path from its root ("\Software\quorran"); empty when none.
    std::string CurrentPath() const;

    bool KeyExists(std::string_view path);
    bool ValueExists(std::string_view name);
    // Empty when the open key or the value is missing; a value of another
    // type raises "Ungültiger Datentyp für '<name>'".
    std::string ReadString(std::string_view name);
    // Raises "Konnte Daten für '<name>' nicht setzen" without an open key,
    // when the store cannot be written, and when the value does not read
    // back as written.
    void WriteString(std::string_view name, std::string_view text);
    void WriteValue(std::string_view name, ValueType type, std::string_view data);
    std::optional<ValueType> GetDataType(std::string_view name);
    bool DeleteValue(std::string_view name);
    // The key with all its subkeys and values; the open key stays open (a
    // deleted open key then reads as missing). A root is never deleted.
    bool DeleteKey(std::string_view path);
    // Only when the old key exists and the new one does not: the new key is
    // created (a failure, also a new key inside the old one or a loop in the
    // old one's tree, raises "Erzeugung von Schlüssel <new> misslungen"),
    // values and subkeys are copied into it and, when asked, the old key is
    // deleted.
    void MoveKey(std::string_view oldPath, std::string_view newPath, bool deleteOld);

    // Names in the open key, in the order they were created.
    std::vector<std::string> GetKeyNames();
    std::vector<std::string> GetValueNames();

private:
    struct Location {
        RootKey root;
        std::vector<std::string> names;
    };
    std::optional<Location> Resolve(std::string_view path) const;
    // The checked database, nullptr when the file is missing and not to be made.
    sqlite3* Db(bool create);
    ERegistryException Unreadable(const std::string& why) const;
    ERegistryException Unwritable(const std::string& why) const;
    std::optional<std::int64_t> FindKey(sqlite3* db, const Location& loc);
    std::int64_t CreateKey(sqlite3* db, const Location& loc);
    std::optional<std::int64_t> OpenKeyId(sqlite3* db);
    // The names the query lists for the open key (bound as its one parameter).
    std::vector<std::string> Names(const char* sql);

    std::string path_;
    sqlite3* db_ = nullptr;
    RootKey root_ = RootKey::CurrentUser;
    std::optional<Location> open_;
};

} // namespace uninst
