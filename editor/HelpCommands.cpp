#include "editor/HelpCommands.h"

#include "editor/LangFile.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cctype>

namespace tolv {

namespace {

bool OpenIfExists(const std::string& path)
{
    if (!plat::FileExists(path))
        return false;
    return plat::Dialogs().shellOpen(path, plat::ShowMode::Maximized);
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

bool StartsWithNoCase(const std::string& s, const std::string& lowerPrefix)
{
    return s.size() >= lowerPrefix.size() && Lower(s.substr(0, lowerPrefix.size())) == lowerPrefix;
}

} // namespace

std::string ManualPath(const std::string& programDir)
{
    return plat::JoinPath(programDir, ManualFileName);
}

bool OpenManual(const std::string& programDir)
{
    return OpenIfExists(ManualPath(programDir));
}

bool OpenTranslatedManual(const std::string& programDir)
{
    return OpenIfExists(LangHelpFilePath(programDir));
}

std::optional<std::string> HomepageUrl(const std::string& profileValue)
{
    const auto first = profileValue.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::nullopt;
    const auto last = profileValue.find_last_not_of(" \t");
    std::string url = profileValue.substr(first, last - first + 1);

    if (std::any_of(url.begin(), url.end(),
                    [](unsigned char c) { return c < 0x20 || c == 0x7F; }))
        return std::nullopt;

    for (const char* scheme : {"http://", "https://", "ftp://"}) {
        if (StartsWithNoCase(url, scheme))
            return url.size() > std::char_traits<char>::length(scheme) ? std::optional(url)
                                                                       : std::nullopt;
    }
    if (StartsWithNoCase(url, "mailto:"))
        return url.size() > 7 ? std::optional(url) : std::nullopt;
    if (StartsWithNoCase(url, "www.") && url.size() > 4)
        return "http://" + url;
    return std::nullopt;
}

bool OpenHomepage(const std::string& profileValue)
{
    const auto url = HomepageUrl(profileValue);
    if (!url)
        return false;
    return plat::Dialogs().shellOpen(*url, plat::ShowMode::Maximized);
}

bool WantsOptionalHelpItem(const std::string& caption)
{
    return !caption.empty() && caption != "NONE";
}

} // namespace tolv
