#include "editor/board/Prof01.h"

#include "editor/board/BoardState.h"

#include "platform/Codepage.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

namespace tolv {

namespace {

constexpr const char* kColors = "Colors";
constexpr const char* kControl = "Control";
constexpr const char* kDruck = "Druck";

constexpr const char* kDefaultVennhalm = "https://www.vennhalm-verlag.example/";
constexpr const char* kDefaultLindsruh = "https://www.lindsruh-gamer.example/";
constexpr const char* kDefaultLudoveil = "https://www.ludoveil.example/spiel/tolvaria";

// Creates an empty file where none exists; false when that is impossible.
bool CreateEmptyFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    return ::close(fd) == 0;
}


// Every key is read with its default and written straight back, so the
// file lists all of them after the first start.
class KeyPass {
public:
    explicit KeyPass(plat::IniFile& ini) : ini_(ini) {}

    std::int32_t Integer(const char* section, const std::string& key, std::int32_t def)
    {
        const std::int32_t v = ini_.ReadInteger(section, key, def);
        ini_.WriteInteger(section, key, v);
        return v;
    }
    std::int32_t Clamped(const char* section, const std::string& key, std::int32_t def,
                         std::int32_t lo, std::int32_t hi)
    {
        const std::int32_t v = std::clamp(ini_.ReadInteger(section, key, def), lo, hi);
        ini_.WriteInteger(section, key, v);
        return v;
    }
    std::string String(const char* section, const std::string& key, const std::string& def)
    {
        std::string v = ini_.ReadString(section, key, def);
        try {
            ini_.WriteString(section, key, v);
        } catch (const plat::IniWriteError&) {
            // Writes are held back, so only the text can be refused (a stray
            // NUL byte in the file): the default takes its place.
            v = def;
            try {
                ini_.WriteString(section, key, v);
            } catch (const plat::IniWriteError&) {
                // Not even the default fits (a line break in the program
                // folder's name): it serves this run without being stored.
            }
        }
        return v;
    }
    bool Bool(const char* section, const std::string& key, bool def)
    {
        const bool v = ini_.ReadBool(section, key, def);
        ini_.WriteBool(section, key, v);
        return v;
    }

private:
    plat::IniFile& ini_;
};

ProfileReadResult ReadOnlyFailure(const std::string& path)
{
    return {ProfileStatus::ReadOnly, ExitProfileReadOnly,
            "Profiledatei schreibgeschützt (CD-ROM?)" + path};
}

} // namespace

int ClampPrintParam(int index, int value)
{
    switch (index) {
    case ppHexSizeX:
    case ppHexSizeY:
    case ppMarginTop:
    case ppMarginBottom:
    case ppMarginLeft:
    case ppMarginRight:
    case ppOverlap:
    case ppGridWidth:
        return std::clamp(value, PrintParamLimits[index].min, PrintParamLimits[index].max);
    case ppTileMode:   // the window's radio group: anything but landscape is portrait
        return value == 1 ? 1 : 0;
    case ppShowCoords:  // any value other than 0 counts as on
        return value != 0 ? 1 : 0;
    default:
        return value;
    }
}

Profile::Profile() = default;
Profile::~Profile() = default;

ProfileReadResult Profile::ReadProfile(ProfileData& data, const ProfileSetup& setup)
{
    path_ = plat::JoinPath(setup.WorkDir, ProfileFileName);

    // A folder under the profile's name is no file: creating one there fails.
    if (!plat::FileExists(path_) && !CreateEmptyFile(path_))
        return {ProfileStatus::NotCreatable, ExitProfileNotCreatable,
                "Datei nicht erzeugbar: " + path_};

    // Root passes access() on a 0444 file: the mode bits decide there.
    if (plat::IsReadOnlyFile(path_))
        return ReadOnlyFailure(path_);

    ini_ = std::make_unique<plat::IniFile>(path_);
    try {
        // Held back and written in one replace when the profile is flushed.
        ini_->BeginUpdate();
        KeyPass k(*ini_);
        for (int i = 1; i <= 11; ++i)
            data.Colors[i] = k.Integer(kColors, "Color" + std::to_string(i), setup.Colors[i]);
        data.PosLeft = k.Integer(kControl, "PosLeft", setup.PosLeft);
        data.PosTop = k.Integer(kControl, "PosTop", setup.PosTop);
        data.PosWidth = k.Integer(kControl, "PosWidth", setup.PosWidth);
        data.PosHeight = k.Integer(kControl, "PosHeight", setup.PosHeight);
        // Sizes are applied to the map as they stand: out of range they
        // would divide by zero, read past the board or flip its parity.
        data.HexX = k.Clamped(kControl, "HexX", 13, MinHexX, MaxHexX);
        data.HexY = k.Clamped(kControl, "HexY", 37, MinHexY, MaxHexY);
        data.HexSize = k.Clamped(kControl, "HexSize", 26, MinHexSize, MaxHexSize);
        data.SaveDir = k.String(kControl, "SaveDir", setup.ProgramDir);
        for (int i = 1; i <= 10; ++i) {
            const std::string key = "Param" + std::to_string(i);
            const int v = ClampPrintParam(i, ini_->ReadInteger(kDruck, key, setup.Params[i]));
            ini_->WriteInteger(kDruck, key, v);
            data.Param[i] = v;
        }
        data.PdfJpgC = k.Integer(kControl, "PdfJpgC", 80);
        data.wwwVennhalm = k.String(kControl, "wwwVennhalm", kDefaultVennhalm);
        data.wwwLindsruh = k.String(kControl, "wwwLindsruh", kDefaultLindsruh);
        data.wwwLudoveil = k.String(kControl, "wwwLudoveil", kDefaultLudoveil);
        data.Acrobat = k.Bool(kControl, "Acrobat", true);
        data.MitBMP = k.Bool(kControl, "MitBMP", false);
        data.MitZahl = k.Bool(kControl, "MitZahl", true);
        data.M1 = k.String(kControl, "M1", "NONE");
        data.M2 = k.String(kControl, "M2", "NONE");
        data.W1 = k.String(kControl, "W1", "NONE");
        data.W2 = k.String(kControl, "W2", "NONE");
        data.HellF = k.Integer(kControl, "HellF", 100);
        data.HellA = k.Integer(kControl, "HellA", 0);
        ReadPrivateTest(data);
        ini_->UpdateFile();
    } catch (const plat::IniWriteError&) {
        // A profile we cannot write back would lose every change at close.
        ini_.reset();
        return ReadOnlyFailure(path_);
    }

    const std::string langFile = plat::JoinPath(setup.ProgramDir, LanguageFileName);
    if (plat::FileExists(langFile)) {
        if (setup.Language) {
            setup.Language->LanguageNameGerman = LangKeyNameGerman;
            setup.Language->LanguageNameOwn = LangKeyNameOwn;
            setup.Language->TranslationCredit = LangKeyCredit;
        }
        if (setup.ApplyLanguage)
            setup.ApplyLanguage();
    }
    return {};
}

void Profile::ReadPrivateTest(ProfileData& data)
{
    data.PrivateTest1 = ini_ ? ini_->ReadBool(kControl, "PrivateTest1", false) : false;
}

void Profile::WriteProfile(const ProfileData& data)
{
    if (!ini_)
        throw plat::IniWriteError("Unable to write to " + path_);
    plat::IniFile& ini = *ini_;
    ini.BeginUpdate();
    for (int i = 1; i <= 11; ++i)
        ini.WriteInteger(kColors, "Color" + std::to_string(i), data.Colors[i]);
    ini.WriteInteger(kControl, "PosLeft", data.PosLeft);
    ini.WriteInteger(kControl, "PosTop", data.PosTop);
    ini.WriteInteger(kControl, "PosWidth", data.PosWidth);
    ini.WriteInteger(kControl, "PosHeight", data.PosHeight);
    ini.WriteInteger(kControl, "HexX", data.HexX);
    ini.WriteInteger(kControl, "HexY", data.HexY);
    ini.WriteInteger(kControl, "HexSize", data.HexSize);
    // A folder name the file cannot hold (a line break in it) is not stored;
    // everything else still is, and the failure is reported afterwards. A
    // name that is not UTF-8 comes only from the system (the program folder
    // as the default) and cannot be stored so that it reads back the same:
    // the key keeps what the file holds, and the next start gets it again.
    bool refused = false;
    if (plat::IsValidUtf8(data.SaveDir)) {
        try {
            ini.WriteString(kControl, "SaveDir", data.SaveDir);
        } catch (const plat::IniWriteError&) {
            refused = true;
        }
    }
    for (int i = 1; i <= 10; ++i)
        ini.WriteInteger(kDruck, "Param" + std::to_string(i), data.Param[i]);
    ini.WriteInteger(kControl, "PdfJpgC", data.PdfJpgC);
    ini.UpdateFile();
    if (refused)
        throw plat::IniWriteError("Unable to write to " + path_);
}

} // namespace tolv
