#include "uninstaller/ControlFile.h"

#include "platform/Paths.h"

#include <filesystem>

namespace uninst {

int StrToInt(const std::string& text)
{
    int v = 0;
    if (!plat::ParseIniInteger(text, v))
        throw EConvertError("'" + text + "' ist kein gültiger Integerwert");
    return v;
}

int ReadCount(const plat::IniFile& ini, const std::string& section, const std::string& key,
              const std::string& def)
{
    return StrToInt(ini.ReadString(section, key, def));
}

std::string ControlFilePath(const std::vector<std::string>& args, const std::string& workingDir)
{
    if (args.empty() || args.front().empty())
        return {};
    const std::filesystem::path p(args.front());
    if (p.is_absolute())
        return p.string();
    return (std::filesystem::path(workingDir) / p).lexically_normal().string();
}

StartInfo CheckControlFile(const std::string& controlFile)
{
    StartInfo info;
    if (controlFile.empty() || !plat::FileExists(controlFile))
        return info;
    const plat::IniFile ini(controlFile);
    if (ini.ReadString("Settings", "Signature", "") != kSignature) {
        info.check = StartCheck::BadSignature;
        return info;
    }
    info.check = StartCheck::Ok;
    info.name = ini.ReadString("Settings", "AppName", "%s") + " " + ini.ReadString("Settings", "Version", "2.0");
    return info;
}

std::string FormatCaption(const std::string& caption, const std::string& text)
{
    const auto at = caption.find("%s");
    if (at == std::string::npos)
        return caption;
    return caption.substr(0, at) + text + caption.substr(at + 2);
}

} // namespace uninst
