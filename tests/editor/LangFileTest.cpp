// The language file: lookups, the start-up application through a binding,
// and "Write Language File".
#include "editor/LangFile.h"
#include "editor/LangWidgets.h"
#include "platform/IniFile.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

using namespace tolv;
using tolv::test::ReadBytes;
using tolv::test::TempDir;
using tolv::test::WriteBytes;

namespace {

// A menu tree of captions, like the main window's.
struct Menu {
    std::string caption;
    std::vector<Menu> items;
};

std::vector<LangMenuItem> Bind(std::vector<Menu>& menu)
{
    std::vector<LangMenuItem> out;
    for (Menu& m : menu) {
        LangMenuItem item;
        item.get = [&m] { return m.caption; };
        item.set = [&m](const std::string& v) { m.caption = v; };
        item.items = Bind(m.items);
        out.push_back(std::move(item));
    }
    return out;
}

// The windows' texts that the tests translate, as the main window holds them.
struct Windows {
    std::vector<Menu> menu{
        {"&Datei", {{"Script &laden ...", {}}, {"-", {}}, {"Ende", {}}}},
        {"D&rucken",
         {{"&Draft", {{"&Kacheln - auf Drucker", {}}}},
          {"&Grafik", {{"&Kacheln - auf Drucker", {}}, {"Kacheln - In &PDF-Datei", {}}}}}},
        {"-", {{"&Farben", {}}}},      // skipped together with its items
        {"", {{"&Farben", {}}}},
        {"&Hilfe", {{"&Bedienung(Deutsch)", {}}, {"B&edienung(übersetzt)", {}}}},
    };
    std::string mainCaption = "Tolvaria Feldwerker";
    std::string groupBox2 = "zufällige Geländeverteilung";
    std::string hint3 = "den als beliebig  gekennzeichneten Feldern wird ein Gelädetyp zugeordnet";
    std::string aboutCaption = "About: Tolvaria Feldwerker";
    std::string aboutOk = "OK";
    std::string label1 = "Feldwerker", label3 = "Spieleautor:", label4 = "Grafiken:";
    std::string printCaption = "Druckeinstellungen", printLabel7 = "Überlappung";
    std::string openTitle = "Öffnen eines Tolvaria Scripts", previewCaption = "Preview";

    std::string appTitle;
    bool translatedHelpShown = false;
    bool aboutPanelShown = false;

    LanguageBinding binding()
    {
        LanguageBinding b;
        b.menu = Bind(menu);
        b.mainForm = {StringOf(mainCaption), StringOf(groupBox2), StringOf(hint3)};
        b.aboutForm = AboutFormTexts(StringOf(aboutCaption), StringOf(aboutOk), StringOf(label1),
                                     StringOf(label3), StringOf(label4));
        b.printForm = {StringOf(printCaption), StringOf(printLabel7)};
        b.other = {StringOf(openTitle), StringOf(previewCaption)};
        b.setApplicationTitle = [this](const std::string& t) { appTitle = t; };
        b.showTranslatedHelp = [this] { translatedHelpShown = true; };
        b.showAboutPanel = [this] { aboutPanelShown = true; };
        return b;
    }
};

const std::string EnglishUtf8 =
    "[Menue]\n"
    "&Datei=&File\n"
    "script &LADEN ...=&Load script ...\n"
    "&Kacheln - auf Drucker=&Tiles - to printer\n"
    "&Farben=&Colours\n"
    "&Bedienung(Deutsch)=&Manual (German)\n"
    "B&edienung(übersetzt)=M&anual (translated)\n"
    "[MainForm]\n"
    "Tolvaria Feldwerker=Tolvaria Fieldworker\n"
    "zufällige Geländeverteilung=random terrain\n"
    "den als beliebig  gekennzeichneten Feldern wird ein Gelädetyp zugeordnet=fills the any cells\n"
    "[AboutForm]\n"
    "About: Tolvaria Feldwerker=About: Tolvaria Fieldworker\n"
    "Feldwerker=Fieldworker\n"
    "Spieleautor:=Game author:\n"
    "Grafiken:=Artwork:\n"
    "[Other]\n"
    "Öffnen eines Tolvaria Scripts=Open a Tolvaria script\n"
    "Preview=\n"
    "Supported language in german=Englisch\n"
    "Supported language translated=English\n"
    "Sprachvariante: Deutsch; übersetzt durch YOUR NAME=English by A. Translator\n";

// The language texts as the profile reader leaves them before applying.
LanguageTexts KeyTexts()
{
    LanguageTexts t;
    t.LanguageNameGerman = LangKeyNameGerman;
    t.LanguageNameOwn = LangKeyNameOwn;
    t.TranslationCredit = LangKeyCredit;
    return t;
}

} // namespace

TEST(LangFile, LookupKeepsGermanForMissingKeysAndHonoursEmptyValues)
{
    TempDir dir;
    WriteBytes(dir.file("lang.ini"), EnglishUtf8);
    LanguageFile lang(LangFilePath(dir.str()));

    struct Case {
        const char* section;
        const char* german;
        const char* expected;
    } cases[] = {
        {"Menue", "&Datei", "&File"},
        {"menue", "&DATEI", "&File"},                          // names in other letter case
        {"Menue", "Script &laden ...", "&Load script ..."},
        {"MainForm", "zufällige Geländeverteilung", "random terrain"},
        {"MainForm", "den als beliebig  gekennzeichneten Feldern wird ein Gelädetyp zugeordnet",
         "fills the any cells"},                              // double blank and typo are the key
        {"MainForm", "den als beliebig gekennzeichneten Feldern wird ein Gelädetyp zugeordnet",
         "den als beliebig gekennzeichneten Feldern wird ein Gelädetyp zugeordnet"},
        {"Other", "Preview", ""},                               // present but empty
        {"Other", "Speichern der PDF-Datei", "Speichern der PDF-Datei"},
        {"PrintForm", "Rand oben", "Rand oben"},               // section missing
        {"Menue", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lang.translate(c.section, c.german), c.expected) << c.section << "/" << c.german;
}

TEST(LangFile, Windows1252FileApplies)
{
    TempDir dir;
    // "Überlappung=Chevauchement", "Rand oben=Marge supérieure", "Größe=Taille ‹x›"
    WriteBytes(dir.file("lang.ini"),
               "[PrintForm]\r\n\xDC" "berlappung=Chevauchement\r\n"
               "Rand oben=Marge sup\xE9rieure\r\n"
               "[MainForm]\r\nGr\xF6\xDF" "e=Taille \x8Bx\x9B\r\n");
    LanguageFile lang(LangFilePath(dir.str()));
    EXPECT_EQ(lang.translate("PrintForm", "Überlappung"), "Chevauchement");
    EXPECT_EQ(lang.translate("PrintForm", "Rand oben"), "Marge supérieure");
    EXPECT_EQ(lang.translate("MainForm", "Größe"), "Taille ‹x›");
}

TEST(LangFile, ApplyTranslatesEveryBoundText)
{
    TempDir dir;
    WriteBytes(dir.file("lang.ini"), EnglishUtf8);
    Windows w;
    LanguageTexts texts = KeyTexts();
    LanguageFile lang(LangFilePath(dir.str()));
    ApplyLanguage(lang, dir.str(), w.binding(), texts);

    // Menu: depth first; "-" and empty top-level items are skipped with their items.
    EXPECT_EQ(w.menu[0].caption, "&File");
    EXPECT_EQ(w.menu[0].items[0].caption, "&Load script ...");
    EXPECT_EQ(w.menu[0].items[1].caption, "-");
    EXPECT_EQ(w.menu[0].items[2].caption, "Ende");
    EXPECT_EQ(w.menu[1].items[0].items[0].caption, "&Tiles - to printer");
    EXPECT_EQ(w.menu[1].items[1].items[0].caption, "&Tiles - to printer");   // one key, twice
    EXPECT_EQ(w.menu[2].items[0].caption, "&Farben");
    EXPECT_EQ(w.menu[3].items[0].caption, "&Farben");
    EXPECT_EQ(w.menu[4].items[1].caption, "M&anual (translated)");

    EXPECT_EQ(w.mainCaption, "Tolvaria Fieldworker");
    EXPECT_EQ(w.appTitle, "Tolvaria Fieldworker");
    EXPECT_EQ(w.groupBox2, "random terrain");
    EXPECT_EQ(w.hint3, "fills the any cells");

    EXPECT_EQ(w.aboutCaption, "About: Tolvaria Fieldworker");
    EXPECT_EQ(w.aboutOk, "OK");
    EXPECT_EQ(w.label1, "Tolvaria Fieldworker V1.1");
    EXPECT_EQ(w.label3, "Game author: Ansgar Quendler");
    EXPECT_EQ(w.label4, "Artwork: Torben Rauhfels");

    EXPECT_EQ(w.openTitle, "Open a Tolvaria script");
    EXPECT_EQ(w.previewCaption, "");
    // The settings window translates itself when it is created.
    EXPECT_EQ(w.printCaption, "Druckeinstellungen");

    EXPECT_EQ(texts.LanguageNameGerman, "Englisch");
    EXPECT_EQ(texts.LanguageNameOwn, "English");
    EXPECT_EQ(texts.TranslationCredit, "English by A. Translator");
    EXPECT_EQ(CreditPanelText(texts), "English by A. Translator     ");

    EXPECT_TRUE(w.aboutPanelShown);
    EXPECT_FALSE(w.translatedHelpShown);   // no langhelp.txt
}

TEST(LangFile, TranslatedManualItemNeedsLanghelpBesideTheLanguageFile)
{
    TempDir dir;
    EXPECT_FALSE(LangFileExists(dir.str()));
    WriteBytes(dir.file("langhelp.txt"), "Manual\n");
    EXPECT_TRUE(LangHelpExists(dir.str()));
    WriteBytes(dir.file("lang.ini"), "[Menue]\n");
    EXPECT_TRUE(LangFileExists(dir.str()));

    Windows w;
    LanguageTexts texts = KeyTexts();
    ApplyLanguage(LanguageFile(LangFilePath(dir.str())), dir.str(), w.binding(), texts);
    EXPECT_TRUE(w.translatedHelpShown);
    // Keys missing: the three texts fall back to their keys, as the template has them.
    EXPECT_EQ(texts.TranslationCredit, LangKeyCredit);
}

TEST(LangFile, StatusCreditWithoutLanguageFile)
{
    LanguageTexts texts;
    EXPECT_EQ(texts.LanguageNameGerman, "Deutsch");
    EXPECT_EQ(CreditPanelText(texts), "      ");
}

TEST(LangFile, WriteIntoNewFileListsEveryTextInSectionOrder)
{
    TempDir dir;
    Windows w;
    const std::string path = LangFilePath(dir.str());
    const int added = WriteLanguageFile(path, w.binding());

    LanguageFile lang(path);
    EXPECT_EQ(lang.translate("Menue", "Script &laden ..."), "Script &laden ...");
    EXPECT_EQ(lang.translate("Menue", "B&edienung(übersetzt)"), "B&edienung(übersetzt)");
    EXPECT_EQ(lang.translate("PrintForm", "Überlappung"), "Überlappung");
    EXPECT_EQ(lang.translate("Other", "Supported language in german"), "Deutsch");
    EXPECT_EQ(lang.translate("Other", "Supported language translated"), "Deutsch");
    EXPECT_EQ(lang.translate("Other", LangKeyCredit), LangKeyCredit);

    const std::string text = ReadBytes(path);
    std::vector<std::string::size_type> at;
    for (const char* s : {"[Menue]", "[MainForm]", "[AboutForm]", "[PrintForm]", "[Other]"}) {
        at.push_back(text.find(s));
        ASSERT_NE(at.back(), std::string::npos) << s;
    }
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end()));
    EXPECT_EQ(text.find("-="), std::string::npos);
    EXPECT_EQ(text.find("&Farben"), std::string::npos);   // only below skipped items
    EXPECT_LT(text.find("&Datei=&Datei"), text.find("Script &laden ...=Script &laden ..."));
    EXPECT_LT(text.find("Script &laden ..."), text.find("Ende=Ende"));

    // 11 menu keys (the shared one once), 3 + 5 + 2 + 2 texts, 3 language texts.
    EXPECT_EQ(added, 11 + 3 + 5 + 2 + 2 + 3);
}

TEST(LangFile, WriteAddsOnlyMissingKeysAndKeepsTranslations)
{
    TempDir dir;
    const std::string path = LangFilePath(dir.str());
    WriteBytes(path,
               "; translator's notes\n"
               "[Menue]\n&Datei=&File\n"
               "[Other]\nSupported language in german=Englisch\n"
               "[Extra]\nmine=kept\n");
    Windows w;
    WriteLanguageFile(path, w.binding());

    LanguageFile lang(path);
    EXPECT_EQ(lang.translate("Menue", "&Datei"), "&File");
    EXPECT_EQ(lang.translate("Other", "Supported language in german"), "Englisch");
    EXPECT_EQ(lang.translate("Extra", "mine"), "kept");
    EXPECT_EQ(lang.translate("Menue", "Ende"), "Ende");      // added
    EXPECT_EQ(lang.translate("Other", "Supported language translated"), "Deutsch");

    // A second run finds everything present and changes nothing.
    const std::string before = ReadBytes(path);
    EXPECT_EQ(WriteLanguageFile(path, w.binding()), 0);
    EXPECT_EQ(ReadBytes(path), before);
}

TEST(LangFile, WriteIntoAWriteProtectedFileIsRefused)
{
    TempDir dir;
    const std::string path = LangFilePath(dir.str());
    WriteBytes(path, std::string("[Menue]\n&Datei=&File\n"));
    namespace fs = std::filesystem;
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Windows w;
    EXPECT_THROW(WriteLanguageFile(path, w.binding()), plat::IniWriteError);
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(ReadBytes(path), "[Menue]\n&Datei=&File\n");
}

TEST(LangFile, WriteAfterApplyAddsTheShownTexts)
{
    TempDir dir;
    const std::string path = LangFilePath(dir.str());
    WriteBytes(path, EnglishUtf8);
    Windows w;
    LanguageTexts texts = KeyTexts();
    ApplyLanguage(LanguageFile(path), dir.str(), w.binding(), texts);
    WriteLanguageFile(path, w.binding());

    LanguageFile lang(path);
    // The translator's entries stay; the composed about line is a new key.
    EXPECT_EQ(lang.translate("Menue", "&Datei"), "&File");
    EXPECT_EQ(lang.translate("AboutForm", "Feldwerker"), "Fieldworker");
    const std::string text = ReadBytes(path);
    EXPECT_NE(text.find("Tolvaria Fieldworker V1.1=Tolvaria Fieldworker V1.1"), std::string::npos);
}

TEST(LangFile, WriteIntoWindows1252FileKeepsItsTexts)
{
    TempDir dir;
    const std::string path = LangFilePath(dir.str());
    WriteBytes(path, "[PrintForm]\r\n\xDC" "berlappung=Chevauchement\r\nDruckeinstellungen=R\xE9glages\r\n");
    Windows w;
    WriteLanguageFile(path, w.binding());

    LanguageFile lang(path);
    EXPECT_EQ(lang.translate("PrintForm", "Überlappung"), "Chevauchement");
    EXPECT_EQ(lang.translate("PrintForm", "Druckeinstellungen"), "Réglages");
    EXPECT_EQ(lang.translate("MainForm", "zufällige Geländeverteilung"),
              "zufällige Geländeverteilung");
}

TEST(LangFile, TextsNoIniLineCanHoldAreNotWritten)
{
    TempDir dir;
    std::string eq = "a=b", blank = " lead", empty, semi = ";x", good = "Rand oben";
    LanguageBinding b;
    b.printForm = {StringOf(eq), StringOf(blank), StringOf(empty), StringOf(semi), StringOf(good)};
    const std::string path = LangFilePath(dir.str());
    EXPECT_EQ(WriteLanguageFile(path, b), 1 + 3);
    LanguageFile lang(path);
    EXPECT_EQ(lang.translate("PrintForm", "Rand oben"), "Rand oben");
    EXPECT_EQ(lang.translate("PrintForm", "a=b"), "a=b");
}

TEST(LangFile, QtMenuBarIsWalkedLikeTheMenu)
{
    test::EnsureApplication();
    TempDir dir;
    WriteBytes(dir.file("lang.ini"), EnglishUtf8);

    QMenuBar bar;
    QMenu* datei = bar.addMenu("&Datei");
    datei->addAction("Script &laden ...");
    datei->addSeparator();
    datei->addAction("Ende");
    bar.addMenu("");                       // the empty top-level item
    QMenu* hilfe = bar.addMenu("&Hilfe");
    hilfe->addAction("&Bedienung(Deutsch)");
    QAction* translated = hilfe->addAction("B&edienung(übersetzt)");
    translated->setVisible(false);

    LanguageBinding b;
    b.menu = LangMenuFromMenuBar(bar);
    LanguageTexts texts;
    ApplyLanguage(LanguageFile(LangFilePath(dir.str())), dir.str(), b, texts);

    EXPECT_EQ(datei->title(), "&File");
    EXPECT_EQ(datei->actions()[0]->text(), "&Load script ...");
    EXPECT_TRUE(datei->actions()[1]->isSeparator());
    EXPECT_EQ(datei->actions()[2]->text(), "Ende");
    EXPECT_EQ(hilfe->title(), "&Hilfe");   // no key: stays German
    EXPECT_EQ(hilfe->actions()[0]->text(), "&Manual (German)");
    EXPECT_EQ(translated->text(), "M&anual (translated)");   // hidden items are translated too
    EXPECT_FALSE(translated->isVisible());
    // No key for the language texts: they keep what they were.
    EXPECT_EQ(texts.LanguageNameGerman, "Deutsch");

    // The template from the same bar: separators and the empty item are left out.
    const std::string path = dir.file("template.ini");
    WriteLanguageFile(path, b);
    const std::string text = ReadBytes(path);
    EXPECT_NE(text.find("&File=&File"), std::string::npos);
    EXPECT_EQ(text.find("\n=\n"), std::string::npos);
    EXPECT_EQ(text.find("\n="), std::string::npos);
}
