#pragma once
// The profile "Tolvaria.ini" in the work directory: read once at start-up
// (creating it when missing, every key written straight back so the file
// always lists them all) and written in part when the main window closes.
#include "editor/board/BoardState.h"
#include "platform/Colour.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace plat {
class IniFile;
}

namespace tolv {

struct ProfileData {
    TerrainColours Colors{};
    std::int32_t PosLeft = 0, PosTop = 0, PosWidth = 0, PosHeight = 0;
    std::int32_t HexX = 0, HexY = 0, HexSize = 0;
    std::string SaveDir;
    PrintParamArray Param{};
    std::int32_t PdfJpgC = 0;
    std::string wwwVennhalm, wwwLindsruh, wwwLudoveil;
    bool Acrobat = false, MitZahl = false, MitBMP = false;
    std::string M1, W1, M2, W2;
    std::int32_t HellF = 0, HellA = 0;
    bool PrivateTest1 = false;
};

constexpr const char* ProfileFileName = "Tolvaria.ini";
constexpr const char* LanguageFileName = "lang.ini";

// The limits a profile value is held to when it is read: board sizes as the
// map and the reader of map scripts accept them, print parameters as the
// settings window's fields. Out-of-range values are replaced in the file.
constexpr int MinHexX = 2, MaxHexX = 40;
constexpr int MinHexY = 2, MaxHexY = 80;
constexpr int MinHexSize = 10, MaxHexSize = 99;
int ClampPrintParam(int index, int value);   // index 1..10

// The three texts of the language; the main window starts them as
// "Deutsch", "Deutsch", " ".
struct LanguageTexts {
    std::string LanguageNameGerman = "Deutsch";
    std::string LanguageNameOwn = "Deutsch";
    std::string TranslationCredit = " ";
};
// The keys under which the three language texts are looked up in the
// language file; the texts hold them while the file is applied.
inline constexpr char LangKeyNameGerman[] = "Supported language in german";
inline constexpr char LangKeyNameOwn[] = "Supported language translated";
inline constexpr char LangKeyCredit[] = "Sprachvariante: Deutsch; übersetzt durch YOUR NAME";

// What the main window knows when it reads the profile: the directories and
// the values that serve as defaults.
struct ProfileSetup {
    std::string WorkDir;      // holds the profile; no trailing "/"
    std::string ProgramDir;   // SaveDir's default; holds lang.ini
    TerrainColours Colors{16777215, 11992989, 50688,   32768,    15921664, 28637,
                          8421504,  4194368,  16738047, 16711680, 131586};
    PrintParamArray Params{341, 341, 50, 50, 50, 50, 80, 3, 0, 0};
    std::int32_t PosLeft = 393, PosTop = 120, PosWidth = 726, PosHeight = 546;
    // Set to the key texts before the language file is applied; may be null.
    LanguageTexts* Language = nullptr;
    // Applies lang.ini to the main window; called only when the file exists.
    std::function<void()> ApplyLanguage;
};

enum class ProfileStatus { Ok, NotCreatable, ReadOnly };

// How reading ended. A failure carries the message box and the exit code.
struct ProfileReadResult {
    ProfileStatus Status = ProfileStatus::Ok;
    int ExitCode = 0;          // 102 not creatable, 103 read-only or not writable
    std::string Text;          // the message box's text
    bool ok() const { return Status == ProfileStatus::Ok; }
};
constexpr const char* ProfileFailureCaption = "Schwerer Fehler";
constexpr int ExitProfileNotCreatable = 102;
constexpr int ExitProfileReadOnly = 103;

class Profile {
public:
    Profile();
    ~Profile();
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

    // Reads every key with its default into data and writes it back at once.
    // A missing file is created; one that cannot be created, is read-only, or
    // refuses the write-back gives a failure result and nothing else runs.
    ProfileReadResult ReadProfile(ProfileData& data, const ProfileSetup& setup);

    // PrivateTest1: read only, never written.
    void ReadPrivateTest(ProfileData& data);

    // Writes the colours, placement, board size, SaveDir, print parameters
    // and PdfJpgC; every other key keeps what the file holds. Throws
    // plat::IniWriteError ("Unable to write to <path>") when refused.
    void WriteProfile(const ProfileData& data);

    // The profile's full path; empty before ReadProfile.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::unique_ptr<plat::IniFile> ini_;
};

} // namespace tolv
