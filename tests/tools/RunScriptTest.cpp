// run.sh on a machine without a graphical session: it says so and stops
// before it installs or builds anything.
#include "support/TestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

TEST(RunScript, WithoutADisplayStopsBeforeBuilding)
{
    tolv::test::TempDir tmp;
    // A cmake that only leaves a mark: a run.sh that went on would build
    // into the scratch folder, never into the real build.
    const fs::path bin = tmp.path() / "bin";
    fs::create_directories(bin);
    tolv::test::WriteBytes((bin / "cmake").string(), "#!/bin/sh\ntouch \"$(dirname \"$0\")/built\"\nexit 1\n");
    fs::permissions(bin / "cmake", fs::perms::owner_all);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("TOLV_BUILD", QString::fromStdString(tmp.file("build")));
    env.insert("PATH", QString::fromStdString(bin.string()) + ":" + env.value("PATH"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start("bash", {QString(TOLV_SOURCE_DIR) + "/run.sh"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    const std::string err = p.readAllStandardError().toStdString();
    EXPECT_NE(err.find("no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set)"), std::string::npos)
        << err;
    EXPECT_FALSE(fs::exists(bin / "built"));
    EXPECT_FALSE(fs::exists(tmp.file("build")));
}
