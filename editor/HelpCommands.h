#pragma once
// The commands of the help menu "&Hilfe" without their window: the German
// manual, the translated manual and the homepages are handed to the desktop
// through the dialog seam's shellOpen, maximised. A homepage is always
// passed as a web address, never as something a shell would interpret.
#include <optional>
#include <string>

namespace tolv {

// The German manual, an HTML file beside the program.
inline constexpr char ManualFileName[] = "Tlv10.html";

std::string ManualPath(const std::string& programDir);

// "&Bedienung(Deutsch)": opens the manual; a missing file does nothing.
// True when the desktop took the file.
bool OpenManual(const std::string& programDir);

// "B&edienung(übersetzt)": opens "langhelp.txt"; a missing file does nothing.
bool OpenTranslatedManual(const std::string& programDir);

// The web address a profile value stands for: http, https, ftp and mailto
// addresses as they are, "www." names with "http://" in front; blanks around
// the value are dropped. Anything else (empty, "NONE", a local path, other
// schemes, control characters) is no homepage.
std::optional<std::string> HomepageUrl(const std::string& profileValue);

// The homepage items and the two optional items: opens the value's address;
// a value that is no address does nothing. True when the desktop took it.
bool OpenHomepage(const std::string& profileValue);

// An optional help item (profile keys M1, M2) exists unless its caption is
// empty or exactly "NONE".
bool WantsOptionalHelpItem(const std::string& caption);

} // namespace tolv
