// Any bytes as the registry database: every operation the uninstall run
// makes either works or raises the store's own error; nothing crashes or
// hangs, and a write that reported success reads back as written.
#include "FuzzFile.h"
#include "uninstaller/Registry.h"

#include <filesystem>
#include <string>

namespace {

const std::string kWeb = "\\Software\\quorran\\Pakoreth_UPD_WEB";

// One operation; the store's errors are answers, anything else escapes.
template <class F>
void Try(F f)
{
    try {
        f();
    } catch (const uninst::ERegistryException&) {
    }
}

// Names and values a few levels down, as far as the store gives them.
void Walk(uninst::TRegistry& reg, const std::string& path, int depth)
{
    if (depth > 3 || !reg.OpenKey(path, false))
        return;
    for (const auto& name : reg.GetValueNames())
        Try([&] { (void)reg.ReadString(name); });
    const auto keys = reg.GetKeyNames();
    for (std::size_t i = 0; i < keys.size() && i < 8; ++i)
        Try([&] { Walk(reg, path + (path == "\\" ? "" : "\\") + keys[i], depth + 1); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::TempDir() + "/registry.sqlite";
    std::error_code ec;
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        std::filesystem::remove(path + suffix, ec);
    fuzz::WriteInput("registry.sqlite", data, size);

    uninst::TRegistry reg(path);
    for (auto root : {uninst::RootKey::LocalMachine, uninst::RootKey::CurrentUser}) {
        reg.SetRootKey(root);
        Try([&] { Walk(reg, "\\", 0); });
    }
    reg.SetRootKey(uninst::RootKey::LocalMachine);
    Try([&] {
        if (reg.OpenKey(kWeb, false))
            (void)reg.ReadString("SetupCount");
    });
    Try([&] { reg.MoveKey(kWeb + "\\Program2", kWeb + "\\Program1", true); });
    Try([&] { reg.MoveKey(kWeb + "\\Program3", kWeb + "\\Program2", true); });
    Try([&] { (void)reg.DeleteKey("\\Software\\quorran\\Tolvplan"); });
    Try([&] {
        if (reg.SelectKey("\\Software\\Shared"))
            (void)reg.DeleteValue("Val");
    });
    Try([&] {
        if (!reg.OpenKey(kWeb, true))
            return;
        reg.WriteString("SetupCount", "2");
        if (reg.ReadString("SetupCount") != "2")
            __builtin_trap();   // a write that reported success must read back
    });
    return 0;
}
