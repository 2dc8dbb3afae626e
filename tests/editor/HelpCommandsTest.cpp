// The help menu's commands hand files and web addresses to the desktop
// through the dialog seam, and nothing when there is nothing to open.
#include "editor/HelpCommands.h"

#include "platform/ScriptedDialogs.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

using namespace tolv;
using tolv::test::WriteBytes;

TEST(HelpCommands, ManualsOpenMaximisedWhenTheFileExists)
{
    test::TempDir dir;
    plat::ScopedScriptedDialogs seam;

    EXPECT_FALSE(OpenManual(dir.str()));
    EXPECT_FALSE(OpenTranslatedManual(dir.str()));
    EXPECT_TRUE(seam.calls().empty()) << "a missing file opens nothing and says nothing";

    const std::string manual = dir.file("Tlv10.html");
    const std::string translated = dir.file("langhelp.txt");
    WriteBytes(manual, "x\n");
    WriteBytes(translated, "x\n");
    EXPECT_EQ(ManualPath(dir.str()), manual);
    EXPECT_TRUE(OpenManual(dir.str()));
    EXPECT_TRUE(OpenTranslatedManual(dir.str()));

    const auto calls = seam.shellCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].target, manual);
    EXPECT_EQ(calls[0].mode, plat::ShowMode::Maximized);
    EXPECT_EQ(calls[1].target, translated);
    EXPECT_TRUE(seam.messageBoxes().empty());

    // The desktop refusing is passed on, without a message of our own.
    seam.shellAnswers.push(false);
    EXPECT_FALSE(OpenManual(dir.str()));
    EXPECT_TRUE(seam.messageBoxes().empty());
}

TEST(HelpCommands, ProfileValuesBecomeWebAddresses)
{
    struct Case {
        const char* value;
        const char* url;   // nullptr: not an address
    } cases[] = {
        {"http://www.vennhalm-verlag.de/", "http://www.vennhalm-verlag.de/"},
        {"HTTPS://example.org/tolvaria?x=1&y=2", "HTTPS://example.org/tolvaria?x=1&y=2"},
        {"  https://example.org/  ", "https://example.org/"},
        {"ftp://files.example.org/plan.tlv", "ftp://files.example.org/plan.tlv"},
        {"mailto:spiel@example.org", "mailto:spiel@example.org"},
        {"www.lindsruh-gamer.de", "http://www.lindsruh-gamer.de"},
        {"WWW.example.org", "http://WWW.example.org"},
        {"NONE", nullptr},
        {"", nullptr},
        {"   ", nullptr},
        {"http://", nullptr},
        {"www.", nullptr},
        {"/usr/bin/xterm", nullptr},
        {"file:///etc/passwd", nullptr},
        {"javascript:alert(1)", nullptr},
        {"--help", nullptr},
        {"example.org; rm -rf ~", nullptr},
        {"http://example.org/\nrm", nullptr},
    };
    for (const Case& c : cases) {
        const auto url = HomepageUrl(c.value);
        if (c.url) {
            ASSERT_TRUE(url.has_value()) << c.value;
            EXPECT_EQ(*url, c.url);
        } else {
            EXPECT_FALSE(url.has_value()) << c.value << " gave " << url.value_or("");
        }
    }
}

TEST(HelpCommands, HomepagesGoToTheSeamAsAddresses)
{
    plat::ScopedScriptedDialogs seam;
    EXPECT_TRUE(OpenHomepage("www.ludoveil.example/spiel/tolvaria"));
    EXPECT_FALSE(OpenHomepage("NONE"));            // an optional item whose W1 was left unset
    EXPECT_FALSE(OpenHomepage("rm -rf /"));
    const auto calls = seam.shellCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].target, "http://www.ludoveil.example/spiel/tolvaria");
    EXPECT_EQ(calls[0].mode, plat::ShowMode::Maximized);
}

TEST(HelpCommands, OptionalItemsExistUnlessNoneOrEmpty)
{
    EXPECT_TRUE(WantsOptionalHelpItem("Regeln"));
    EXPECT_TRUE(WantsOptionalHelpItem("none"));    // only the exact "NONE" means none
    EXPECT_TRUE(WantsOptionalHelpItem(" "));
    EXPECT_FALSE(WantsOptionalHelpItem("NONE"));
    EXPECT_FALSE(WantsOptionalHelpItem(""));
}

TEST(HelpCommands, ManualShipsAsUtf8Html)
{
    std::ifstream in(std::string(TOLV_SOURCE_DIR) + "/editor/doc/Tlv10.html", std::ios::binary);
    ASSERT_TRUE(in.good());
    const std::string html{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(html.find("Druckeinstellungen"), std::string::npos);
    EXPECT_NE(html.find("</html>"), std::string::npos);
}
