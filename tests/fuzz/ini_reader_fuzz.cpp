// Any byte sequence as an ini file: reads of every kind, then one write that
// re-reads and replaces the file, and a read of the rewritten file.
#include "FuzzFile.h"
#include "platform/IniFile.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::WriteInput("fuzz.ini", data, size);
    plat::IniFile ini(path);

    // Sections and keys named by the input itself, besides fixed ones.
    std::string section = "Control", key = "HexX";
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto open = text.find('['); open != std::string::npos) {
        const auto close = text.find(']', open);
        section = text.substr(open + 1, close == std::string::npos ? 8 : close - open - 1);
    }
    if (const auto eq = text.find('='); eq != std::string::npos) {
        const auto start = text.rfind('\n', eq);
        key = text.substr(start == std::string::npos ? 0 : start + 1,
                          eq - (start == std::string::npos ? 0 : start + 1));
    }

    for (const std::string& s : {section, std::string("Control"), std::string("Hex")}) {
        (void)ini.SectionExists(s);
        for (const std::string& k : ini.ReadSection(s)) {
            (void)ini.ReadString(s, k, "def");
            (void)ini.ReadInteger(s, k, -1);
        }
        (void)ini.ReadString(s, key, "def");
        (void)ini.ReadInteger(s, key, 7);
        (void)ini.ReadBool(s, key, true);
        (void)ini.ValueExists(s, key);
    }

    try {
        ini.WriteString(section, key, "value");
    } catch (const plat::IniWriteError&) {
        // Refused names (line breaks) are fine; anything else escapes.
    }
    bool wrote = false;
    try {
        ini.WriteInteger("Fuzz", "Number", -12345);
        wrote = true;
    } catch (const plat::IniWriteError&) {
    }
    if (wrote && ini.ReadInteger("Fuzz", "Number", 0) != -12345)
        __builtin_trap();   // a write that reported success must read back
    return 0;
}
