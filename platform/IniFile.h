#pragma once
// Ini files with the Windows profile semantics: names case-insensitive,
// missing key gives the default, integers decimal or hex ("0x", "0X", "$"),
// Booleans 1/0, strings up to 2047 characters, first duplicate wins. Every
// write re-reads the file, changes only its own key and replaces the file
// atomically, so a failed write leaves the old file whole.
#include <stdexcept>
#include <string>
#include <vector>

namespace plat {

class IniWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;   // "Unable to write to <path>"
};

class IniFile {
public:
    explicit IniFile(std::string path);
    const std::string& fileName() const { return path_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) const;
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;
    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    std::vector<std::string> ReadSection(const std::string& section) const;  // key names

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

private:
    std::string path_;
};

} // namespace plat
