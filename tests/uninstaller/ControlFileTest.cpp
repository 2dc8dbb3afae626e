// The start-up check of the control file and the captions it fills.
#include "RunSupport.h"

#include "uninstaller/ControlFile.h"

using namespace uninst;
using namespace uninst::test;

TEST(ControlFile, SignatureAndNameOfTheInstallation)
{
    struct Case {
        const char* name;
        std::string text;
        StartCheck check;
        std::string installation;
    };
    const Case cases[] = {
        {"exact", kSigned + "AppName=Plan\nVersion=1.1\n", StartCheck::Ok, "Plan 1.1"},
        {"defaults", kSigned, StartCheck::Ok, "%s 2.0"},
        {"surrounding blanks", "[settings]\nsignature =  #$Morvelin_Pakoreth$#  \n", StartCheck::Ok, "%s 2.0"},
        {"case differs", "[Settings]\nSignature=#$morvelin_pakoreth$#\n", StartCheck::BadSignature, ""},
        {"missing", "[Settings]\nAppName=Plan\n", StartCheck::BadSignature, ""},
        {"empty file", "", StartCheck::BadSignature, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Installation inst;
        inst.Control(c.text);
        const StartInfo info = CheckControlFile(inst.control);
        EXPECT_EQ(info.check, c.check);
        EXPECT_EQ(info.name, c.installation);
    }
    Installation inst;
    EXPECT_EQ(CheckControlFile(inst.control).check, StartCheck::NotFound);
    EXPECT_EQ(CheckControlFile("").check, StartCheck::NotFound);
    EXPECT_EQ(CheckControlFile(inst.c.string()).check, StartCheck::NotFound);   // a folder
}

TEST(ControlFile, TheArgumentIsMadeAbsoluteOnce)
{
    EXPECT_EQ(ControlFilePath({"sub/Uninstall.inf"}, "/home/u"), "/home/u/sub/Uninstall.inf");
    EXPECT_EQ(ControlFilePath({"../x/Uninstall.inf", "more"}, "/home/u"), "/home/x/Uninstall.inf");
    EXPECT_EQ(ControlFilePath({"/opt/Uninstall.inf"}, "/home/u"), "/opt/Uninstall.inf");
    EXPECT_EQ(ControlFilePath({}, "/home/u"), "");
    EXPECT_EQ(ControlFilePath({""}, "/home/u"), "");
}

TEST(ControlFile, CaptionsTakeTheNameLiterally)
{
    EXPECT_EQ(FormatCaption("Wollen Sie %s deinstallieren?", "Plan 1.1"), "Wollen Sie Plan 1.1 deinstallieren?");
    EXPECT_EQ(FormatCaption("für %s", "%s %d %n 100%"), "für %s %d %n 100%");
    EXPECT_EQ(FormatCaption("ohne", "Plan"), "ohne");
}

TEST(ControlFile, CountsAreIntegersOrAConversionError)
{
    EXPECT_EQ(StrToInt("12"), 12);
    EXPECT_EQ(StrToInt("-3"), -3);
    EXPECT_EQ(StrToInt("0x10"), 16);
    for (const char* bad : {"x", "", "1.5", "99999999999"}) {
        SCOPED_TRACE(bad);
        try {
            StrToInt(bad);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(bad) + "' ist kein gültiger Integerwert");
        }
    }
}
