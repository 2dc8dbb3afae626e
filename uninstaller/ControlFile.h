#pragma once
// The control file "Uninstall.inf" as the uninstaller reads it: the start-up
// check, counts, and the name the windows' captions take.
#include "platform/IniFile.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace uninst {

inline constexpr const char* kSignature = "#$Morvelin_Pakoreth$#";
inline constexpr const char* kApplicationTitle = "Pakoreth UnInstaller";

// A count that is not an integer: "'<text>' ist kein gültiger Integerwert".
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

int StrToInt(const std::string& text);
// The value as a signed 32-bit count; a missing key reads as `def`.
int ReadCount(const plat::IniFile& ini, const std::string& section, const std::string& key,
              const std::string& def);

// The control file named by the first argument, made absolute once against
// the working directory, so that the check, the reads and the final
// deletion all mean the same file. Empty without an argument.
std::string ControlFilePath(const std::vector<std::string>& args, const std::string& workingDir);

enum class StartCheck { NotFound, BadSignature, Ok };
struct StartInfo {
    StartCheck check = StartCheck::NotFound;
    std::string name;   // AppName + " " + Version, when the check passed
};
StartInfo CheckControlFile(const std::string& controlFile);

// The caption's one "%s" replaced by the text as it is (no other format
// character of the text or the caption has any meaning).
std::string FormatCaption(const std::string& caption, const std::string& text);

inline constexpr const char* kNotFoundText =
    "Die Steuerdatei \"Uninstall.inf\" wurde nicht gefunden. Die Deinstallation kann nicht ausgeführt werden.";
inline constexpr const char* kNotFoundCaption = "Fehler beim Initialisieren";
// The line break is a carriage return alone, as in the message's first form.
inline constexpr const char* kSignatureText =
    "Der Steuerdatei \"Uninstall.inf\" fehlt die korrekte Signatur. Es handelt sich hierbei wahrscheinlich"
    "\rnicht um eine Pakoreth-Installation oder es liegt ein Versionskonflikt vor.";
inline constexpr const char* kSignatureCaption = "Fehlende Signatur";

} // namespace uninst
