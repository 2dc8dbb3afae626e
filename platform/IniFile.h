#pragma once
// Ini files with the Windows profile semantics: names case-insensitive,
// missing key gives the default, integers decimal or hex ("0x", "0X", "$"),
// Booleans 1/0, strings up to 2047 characters, first duplicate wins. Every
// write re-reads the file, changes only its own key and replaces the file
// through the safe writer (SafeFile.h), so a failed write leaves the old
// file whole.
//
// Files are read as UTF-16 (little or big endian) when they start with its
// BOM, else as UTF-8 (a BOM is skipped) or, when they are not valid UTF-8,
// as Windows-1252; a write keeps the file's encoding as long as the new text
// fits it, else the whole file becomes UTF-8. Lines end in CRLF or
// LF when read and in CRLF when written. Lines starting with ";" are
// comments; lines without "=" are kept but hold no key.
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

class IniWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;   // "Unable to write to <path>"
};

namespace detail {
struct IniDocument;
}

class IniFile {
public:
    explicit IniFile(std::string path);
    ~IniFile();
    // Held-back writes belong to one object: a copy would commit them twice.
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;
    IniFile(IniFile&&) noexcept;
    IniFile& operator=(IniFile&&) noexcept;
    const std::string& fileName() const { return path_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) const;
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;
    bool SectionExists(const std::string& section) const;   // its header is present
    bool ValueExists(const std::string& section, const std::string& key) const;
    std::vector<std::string> ReadSection(const std::string& section) const;  // key names
    // Section names in file order, each once, as first spelt.
    std::vector<std::string> ReadSections() const;

    // Each write reaches the disk before it returns, unless held back by
    // BeginUpdate. Refused (IniWriteError) when the file cannot be read or
    // replaced, and for text that could not be read back as written: a line
    // break or NUL anywhere, an empty key, a key with "=" or starting with
    // "[" or ";", a section with "]", text that is not UTF-8.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

    // For long series of writes (a map script has up to 1600 keys): from
    // BeginUpdate on, writes are held back, and reads see them; UpdateFile
    // then applies them, in order, to the file as it is at that moment and
    // replaces it once. Without BeginUpdate, UpdateFile does nothing.
    // Writes still held back when the object dies or the next BeginUpdate
    // starts a new series are discarded: a series that stops half-way (a
    // refused value) leaves the file as it was.
    void BeginUpdate();
    void UpdateFile();

private:
    struct PendingWrite {
        std::string section, key, value;
    };
    std::shared_ptr<const detail::IniDocument> load(bool forWrite) const;
    std::shared_ptr<const detail::IniDocument> view() const;
    void commit(const std::vector<PendingWrite>& writes);

    std::string path_;
    mutable std::shared_ptr<const detail::IniDocument> cache_;
    bool holding_ = false;
    std::vector<PendingWrite> pending_;
    std::shared_ptr<detail::IniDocument> pendingView_;   // the file as reads see it meanwhile
};

// The integer notation of the profile: optional sign, then decimal digits or
// hex digits after "0x", "0X" or "$". Hex may give the full 32-bit pattern
// ("0xFFFFFFFF" is -1); anything else, overflow included, is refused.
bool ParseIniInteger(std::string_view text, int& value);

} // namespace plat
