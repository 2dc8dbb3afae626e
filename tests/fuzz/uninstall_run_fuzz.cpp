// Any bytes as the control file, through the whole uninstall run and then
// "&Beenden". Every side effect stays in a sandbox: drives C and D and the
// POSIX root are folders of it, the registry is a database of its own. Each
// input gets a fresh tree; canary files outside the mapped folders, reached
// from inside them through links, must survive every input, and so must the
// program's own file when it lies outside the installation. The registry
// must stay a sound store.
#include "FuzzFile.h"
#include "platform/IniFile.h"
#include "uninstaller/ControlFile.h"
#include "uninstaller/Registry.h"
#include "uninstaller/UninstallRun.h"

#include <array>
#include <filesystem>
#include <string>
#include <utility>

namespace {

namespace fs = std::filesystem;

class NoProgress : public uninst::ProgressSink {
public:
    void Phase(const std::string&) override {}
    void Item(const std::string&, int) override {}
    void ClearItem() override {}
};

const fs::path& Sandbox()
{
    static const fs::path dir = fs::path(fuzz::TempDir()) / "run";
    return dir;
}

const std::array<std::pair<const char*, const char*>, 4> kCanaries = {{
    {"outside/secret.txt", "canary 1"},
    {"outside/deep/secret2.txt", "canary 2"},
    {"outside/Tolv/Tolvplan", "canary 3"},   // the same names as inside
    {"outside/Uninstall", "canary 4"},        // the own file, when it lies outside
}};

void Write(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        std::abort();
    std::fclose(f);
}

std::string Read(const fs::path& path)
{
    std::string out;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[256];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
            out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

// An installation beside a user's files, links out of it, and the canaries.
void MakeTree()
{
    const fs::path& s = Sandbox();
    std::error_code ec;
    for (const char* dir : {"c", "d", "posix", "outside"})
        fs::remove_all(s / dir, ec);
    for (const char* file : {"c/Tolv/Tolvplan", "c/Tolv/Data.txt", "c/Tolv/DATA.txt", "c/Tolv/Pics/Pic1.jpg",
                             "c/Tolv/Pics/mine.jpg", "c/Tolv/Uninstall", "c/Other/keep.txt", "d/Spiel/x.dll",
                             "posix/opt/tolv/lib.so", "posix/home/user/notes.txt"})
        Write(s / file, file);
    fs::create_directories(s / "c/Tolv/Empty");
    for (const auto& [path, bytes] : kCanaries)
        Write(s / path, bytes);
    fs::create_directory_symlink(s / "outside", s / "c/Tolv/out");
    fs::create_directory_symlink(s / "outside", s / "c/Inst");
    fs::create_directory_symlink(s / "outside/deep", s / "d/Deep");
    fs::create_directory_symlink(s / "outside", s / "posix/home/user/link");
    fs::create_symlink(s / "outside/secret.txt", s / "c/Tolv/secret.lnk");
    fs::create_directory_symlink(s, s / "c/Sandbox");
}

// Keys of this installation and of other programs, made once and copied
// for each input.
const std::string& RegistryTemplate()
{
    static const std::string bytes = [] {
        const std::string path = (Sandbox() / "template.sqlite").string();
        uninst::TRegistry reg(path);
        reg.SetRootKey(uninst::RootKey::LocalMachine);
        const std::string web = "\\Software\\quorran\\Pakoreth_UPD_WEB";
        reg.OpenKey(web, true);
        reg.WriteString("SetupCount", "3");
        for (int i = 1; i <= 3; ++i) {
            reg.OpenKey(web + "\\Program" + std::to_string(i) + "\\Opt", true);
            reg.WriteString("n", std::to_string(i));
            reg.OpenKey(web + "\\Program" + std::to_string(i), false);
            reg.WriteString("UpdateID", i == 2 ? "tolv" : "other" + std::to_string(i));
        }
        reg.OpenKey("\\Software\\quorran\\Tolvplan\\1.0", true);
        reg.WriteString("Company", "quorran");
        reg.WriteString("Name", "Tolvplan");
        reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolvplan", true);
        reg.WriteString("DisplayName", "Tolvplan");
        reg.OpenKey("\\Software\\Other\\Keep", true);
        reg.WriteString("Val", "other");
        reg.SetRootKey(uninst::RootKey::CurrentUser);
        reg.OpenKey("\\Software\\Tolvplan", true);
        reg.WriteString("LastFile", "x");
        return Read(path);
    }();
    return bytes;
}

// Counts far beyond the file are loops over entries that are not there:
// they only make the run long, so such inputs are left out.
bool CountsAreSmall(const plat::IniFile& ini)
{
    constexpr std::array<std::pair<const char*, const char*>, 5> counts = {{
        {"Files", "FileCount"}, {"ExtraFiles", "ExtraCount"}, {"Links", "LinkCount"},
        {"Registry", "RegCount"}, {"ExtraDir", "DirCount"},
    }};
    for (const auto& [section, key] : counts) {
        int n = 0;
        if (plat::ParseIniInteger(ini.ReadString(section, key, "0"), n) && n > 64)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fs::path& s = Sandbox();
    const std::string control = (s / "c/Tolv/Uninstall.inf").string();
    const std::string& registryBytes = RegistryTemplate();
    MakeTree();
    Write(control, std::string(reinterpret_cast<const char*>(data), size));
    if (!CountsAreSmall(plat::IniFile(control)))
        return -1;   // not added to the corpus
    const std::string registry = (s / "registry.sqlite").string();
    std::error_code ec;
    fs::remove(registry + "-journal", ec);
    Write(registry, registryBytes);

    uninst::DriveMap drives;
    if (!drives.Map('C', (s / "c").string()) || !drives.Map('D', (s / "d").string()) ||
        !drives.MapPosixRoot((s / "posix").string()))
        std::abort();
    // The own file inside the installation or outside it, as the input's size says.
    const bool ownOutside = size % 2 == 1;
    const std::string ownFile = (s / (ownOutside ? "outside/Uninstall" : "c/Tolv/Uninstall")).string();
    NoProgress sink;
    uninst::RunResult result;
    {
        uninst::TRegistry reg(registry);
        result = uninst::RunUninstall(uninst::RunInput{control, drives, reg, ownFile, sink});
    }
    if (result.finished)
        uninst::DeleteOwnFile(ownFile, result.installDirs, drives);

    for (const auto& [path, bytes] : kCanaries)
        if (Read(s / path) != bytes)
            __builtin_trap();   // a file outside the mapped folders was touched

    // The run never leaves the store damaged: a new object opens it.
    try {
        uninst::TRegistry reg(registry);
        reg.SetRootKey(uninst::RootKey::LocalMachine);
        (void)reg.KeyExists("\\Software\\Other\\Keep");
    } catch (const uninst::ERegistryException&) {
        __builtin_trap();
    }
    return 0;
}
