#pragma once
// The language file "lang.ini" in the program directory: the keys are the
// German texts exactly as the windows show them (accelerator marks, double
// blanks and misspellings included), the values their translations.
//
// The windows describe their translatable texts as getter/setter pairs
// (LangText) and their menu as a tree (LangMenuItem); the functions here
// walk those descriptions, so the logic needs no widget and the windows
// keep their own widgets.
#include "editor/board/Prof01.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plat {
class IniFile;
}

namespace tolv {

inline constexpr char LangHelpFileName[] = "langhelp.txt";

// Section names of the language file.
inline constexpr char LangMenue[] = "Menue";
inline constexpr char LangMainForm[] = "MainForm";
inline constexpr char LangAboutForm[] = "AboutForm";
inline constexpr char LangPrintForm[] = "PrintForm";
inline constexpr char LangOther[] = "Other";

std::string LangFilePath(const std::string& programDir);
std::string LangHelpFilePath(const std::string& programDir);
bool LangFileExists(const std::string& programDir);
// The translated-manual item is shown only when a language file is applied
// and this file exists beside it.
bool LangHelpExists(const std::string& programDir);

// One translatable text of a window. On applying, the text is looked up
// under its current (German) text and set to prefix + translation + suffix;
// on writing the template, the current text is both key and value.
struct LangText {
    std::function<std::string()> get;
    std::function<void(const std::string&)> set;
    std::string prefix;
    std::string suffix;
};

inline LangText MakeLangText(std::function<std::string()> get,
                             std::function<void(const std::string&)> set)
{
    LangText t;
    t.get = std::move(get);
    t.set = std::move(set);
    return t;
}

// One menu item with its sub-items. Items captioned "" or "-" are skipped
// together with everything below them, as separators and placeholders.
struct LangMenuItem {
    std::function<std::string()> get;
    std::function<void(const std::string&)> set;
    std::vector<LangMenuItem> items;
};

// The about box's labels are composed around their translations.
inline constexpr char AboutLabel1Prefix[] = "Tolvaria ";
inline constexpr char AboutLabel1Suffix[] = " V1.1";
inline constexpr char AboutLabel3Suffix[] = " Ansgar Quendler";
inline constexpr char AboutLabel4Suffix[] = " Torben Rauhfels";
// The AboutForm list in its order, with those compositions filled in.
std::vector<LangText> AboutFormTexts(LangText caption, LangText okButton, LangText label1,
                                     LangText label3, LangText label4);

// Text of status bar panel 1: the translator's credit, then five blanks.
std::string CreditPanelText(const LanguageTexts& texts);

// A language file opened for reading. Missing keys give the German text
// back; a key present with an empty value gives an empty text. Files made
// on Windows (Windows-1252) read as well as UTF-8 ones.
class LanguageFile {
public:
    explicit LanguageFile(const std::string& path);
    ~LanguageFile();
    LanguageFile(const LanguageFile&) = delete;
    LanguageFile& operator=(const LanguageFile&) = delete;

    const std::string& fileName() const;
    std::string translate(const std::string& section, const std::string& german) const;

    // Each text in order, looked up under its current text.
    void apply(const std::string& section, const std::vector<LangText>& texts) const;
    // The menu walk, depth first; a sub-item is looked up under its own
    // (still German) caption after its parent was translated.
    void applyMenu(const std::vector<LangMenuItem>& menu) const;

private:
    std::unique_ptr<plat::IniFile> ini_;
};

// Everything the main window hands over to apply or write the file.
struct LanguageBinding {
    std::vector<LangMenuItem> menu;      // the main menu's top-level items, in order
    std::vector<LangText> mainForm;      // first the window caption, then the list's order
    std::vector<LangText> aboutForm;     // caption, OK, Label1, Label3, Label4 (with their prefixes/suffixes)
    std::vector<LangText> printForm;     // the settings window's texts (TForm3::languageTexts)
    std::vector<LangText> other;         // the three dialog titles, the preview caption
    std::function<void(const std::string&)> setApplicationTitle;
    std::function<void()> showTranslatedHelp;   // makes "B&edienung(übersetzt)" visible
    std::function<void()> showAboutPanel;       // shows the about box's text panel and repaints
};

// Applies the file at start-up (the profile reader calls it after setting
// the language texts to their keys): menu, translated-manual item (when
// "langhelp.txt" exists), main window and application title, about box,
// dialog titles and preview caption, then the three language texts, each
// replaced by the value stored under its current text. printForm is not
// applied here: the settings window translates itself when it is created.
void ApplyLanguage(const LanguageFile& lang, const std::string& programDir,
                   const LanguageBinding& binding, LanguageTexts& texts);

// "Write Language File": adds every current text as key = value to the file
// (created when missing), in the order Menue, MainForm, AboutForm,
// PrintForm, Other, then the three language texts with their template
// values. A key already in the file is never replaced, so a translator's
// work survives. Throws plat::IniWriteError when the file cannot be written
// or is write-protected.
// Returns the number of keys added.
int WriteLanguageFile(const std::string& path, const LanguageBinding& binding);

} // namespace tolv
