#pragma once
// A drive C in a scratch folder, a registry database beside it and a
// control file, for the uninstall run and the program's windows.
#include "uninstaller/ControlPaths.h"
#include "uninstaller/Registry.h"
#include "uninstaller/UninstallRun.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace uninst::test {

namespace fs = std::filesystem;

inline const std::string kSigned = "[Settings]\nSignature=#$Morvelin_Pakoreth$#\n";

class RecordingSink : public ProgressSink {
public:
    std::vector<std::string> trace;
    void Phase(const std::string& text) override { trace.push_back("phase " + text); }
    void Item(const std::string& text, int position) override
    {
        trace.push_back("item " + text + " @" + std::to_string(position));
    }
    void ClearItem() override { trace.push_back("clear"); }
};

struct Installation {
    tolv::test::TempDir tmp;
    fs::path c = tmp.path() / "c";
    fs::path outside = tmp.path() / "outside";
    DriveMap drives;
    std::string registryPath = tmp.file("registry.sqlite");
    std::string control = (c / "Programme/Plan/Uninstall.inf").string();
    RecordingSink sink;

    Installation()
    {
        fs::create_directories(c / "Programme/Plan");
        fs::create_directories(outside);
        EXPECT_TRUE(drives.Map('C', c.string()));
    }
    // A file below drive C (or anywhere, given an absolute path).
    void File(const std::string& rel, const std::string& content = "x") const
    {
        const fs::path p = rel.front() == '/' ? fs::path(rel) : c / rel;
        fs::create_directories(p.parent_path());
        tolv::test::WriteBytes(p.string(), content);
    }
    bool Exists(const std::string& rel) const { return fs::exists(fs::symlink_status(c / rel)); }
    // The control file: lines joined with CR LF, as an installer writes them.
    void Control(const std::string& text) const
    {
        std::string out;
        for (char ch : text) {
            if (ch == '\n')
                out += '\r';
            out += ch;
        }
        tolv::test::WriteBytes(control, out);
    }
    void Seed(RootKey root, const std::string& key, const std::vector<std::pair<std::string, std::string>>& values = {})
    {
        TRegistry reg(registryPath);
        reg.SetRootKey(root);
        ASSERT_TRUE(reg.OpenKey(key, true)) << key;
        for (const auto& [name, value] : values)
            reg.WriteString(name, value);
    }
    bool KeyExists(RootKey root, const std::string& key)
    {
        TRegistry reg(registryPath);
        reg.SetRootKey(root);
        return reg.KeyExists(key);
    }
    // The value's text, "(none)" when the value or its key is missing.
    std::string Value(RootKey root, const std::string& key, const std::string& name)
    {
        TRegistry reg(registryPath);
        reg.SetRootKey(root);
        if (!reg.OpenKey(key, false) || !reg.ValueExists(name))
            return "(none)";
        return reg.ReadString(name);
    }
    RunResult Run(const std::string& ownFile = "")
    {
        TRegistry reg(registryPath);
        return RunUninstall(RunInput{control, drives, reg, ownFile, sink});
    }
};

} // namespace uninst::test
