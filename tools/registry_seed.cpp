// Writes string values into a registry database through Uninstall's own
// store, so that an installation made to try Uninstall on holds exactly what
// the store would have written (tools/throwaway-install.sh uses it).
//
// Usage: tolv-registry-seed DATABASE KEY NAME TEXT [KEY NAME TEXT ...]
//
// KEY is a root and the key's path, "HKLM\Software\Tolvaria" (the root by
// its short or long name, in any case); the key is made with its parents
// and the value written as a string, replacing one of that name. All entries
// are checked before the first is written. A database the store refuses (a
// damaged one) stays as it is. Exit 0 when all is written, 1 when something
// could not be, 2 on a wrong command line.
#include "uninstaller/Registry.h"

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kTool = "tolv-registry-seed";

struct Entry {
    std::string_view key;   // as given, for messages
    uninst::RootKey root;
    std::string path;       // from the root: "\Software\Tolvaria", "\" for the root itself
    std::string_view name, text;
};

// The entry the three arguments give; false after a message on stderr.
bool ParseEntry(uninst::TRegistry& reg, const char* key, const char* name, const char* text, Entry& out)
{
    const std::string_view full(key);
    const auto slash = full.find('\\');
    const std::string_view rootName = full.substr(0, slash);
    const auto root = uninst::RootKeyByName(rootName);
    if (!root) {
        std::fprintf(stderr,
                     "%s: %s: \"%.*s\" is no registry root (HKCR, HKCU, HKLM, HKU, HKCC, HKDD or their long names)\n",
                     kTool, key, int(rootName.size()), rootName.data());
        return false;
    }
    const std::string path = slash == std::string_view::npos ? std::string("\\") : std::string(full.substr(slash));
    out = {full, *root, path, name, text};
    // Selecting touches no file: a path the store refuses is found before
    // anything is written.
    reg.SetRootKey(out.root);
    if (!reg.SelectKey(out.path)) {
        std::fprintf(stderr, "%s: %s: no key path (a name in it is empty)\n", kTool, key);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5 || (argc - 2) % 3 != 0) {
        std::fprintf(stderr, "usage: %s DATABASE KEY NAME TEXT [KEY NAME TEXT ...]\n"
                             "  KEY: a root and the key's path, e.g. HKLM\\Software\\Tolvaria\n", kTool);
        return 2;
    }
    uninst::TRegistry reg(argv[1]);
    std::vector<Entry> entries((std::size_t(argc) - 2) / 3);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        char** args = argv + 2 + 3 * i;
        if (!ParseEntry(reg, args[0], args[1], args[2], entries[i]))
            return 1;
    }
    for (const Entry& e : entries) {
        try {
            reg.SetRootKey(e.root);
            if (!reg.OpenKey(e.path, true))
                throw uninst::ERegistryException("the key could not be made");
            reg.WriteString(e.name, e.text);
        } catch (const std::exception& ex) {
            std::fprintf(stderr, "%s: %.*s %.*s: %s\n", kTool, int(e.key.size()), e.key.data(), int(e.name.size()),
                         e.name.data(), ex.what());
            return 1;
        }
    }
    return 0;
}
