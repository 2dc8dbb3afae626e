#include "editor/LangFile.h"

#include "platform/IniFile.h"
#include "platform/Paths.h"


namespace tolv {

namespace {

bool SkippedMenuCaption(const std::string& caption)
{
    return caption.empty() || caption == "-";
}

// A text that no ini line can hold as a key matches nothing.
bool LookupKey(const std::string& key)
{
    return !key.empty() && key.find_first_of("=\r\n") == std::string::npos;
}

// Writing also skips texts that would not read back as the same key: the
// profile functions trim blanks around a key, and a line starting with ';'
// or '[' is a comment or a section.
bool StorableKey(const std::string& key)
{
    if (!LookupKey(key) || key.front() == ';' || key.front() == '[')
        return false;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !blank(key.front()) && !blank(key.back());
}

class TemplateWriter {
public:
    // All keys go into the file in one replace.
    explicit TemplateWriter(const std::string& path) : ini_(path) { ini_.BeginUpdate(); }
    void finish() { ini_.UpdateFile(); }

    void add(const std::string& section, const std::string& key, const std::string& value)
    {
        if (!StorableKey(key) || ini_.ValueExists(section, key))
            return;
        ini_.WriteString(section, key, value);
        ++added_;
    }
    void addTexts(const std::string& section, const std::vector<LangText>& texts)
    {
        for (const LangText& t : texts) {
            const std::string text = t.get();
            add(section, text, text);
        }
    }
    void addMenu(const std::vector<LangMenuItem>& menu)
    {
        for (const LangMenuItem& item : menu) {
            const std::string caption = item.get();
            if (SkippedMenuCaption(caption))
                continue;
            add(LangMenue, caption, caption);
            addMenu(item.items);
        }
    }
    int added() const { return added_; }

private:
    plat::IniFile ini_;
    int added_ = 0;
};

} // namespace

std::string LangFilePath(const std::string& programDir)
{
    return plat::JoinPath(programDir, LanguageFileName);
}

std::string LangHelpFilePath(const std::string& programDir)
{
    return plat::JoinPath(programDir, LangHelpFileName);
}

bool LangFileExists(const std::string& programDir)
{
    return plat::FileExists(LangFilePath(programDir));
}

bool LangHelpExists(const std::string& programDir)
{
    return plat::FileExists(LangHelpFilePath(programDir));
}

std::string CreditPanelText(const LanguageTexts& texts)
{
    return texts.TranslationCredit + "     ";
}

std::vector<LangText> AboutFormTexts(LangText caption, LangText okButton, LangText label1,
                                     LangText label3, LangText label4)
{
    label1.prefix = AboutLabel1Prefix;
    label1.suffix = AboutLabel1Suffix;
    label3.suffix = AboutLabel3Suffix;
    label4.suffix = AboutLabel4Suffix;
    return {std::move(caption), std::move(okButton), std::move(label1), std::move(label3),
            std::move(label4)};
}

LanguageFile::LanguageFile(const std::string& path)
    : ini_(std::make_unique<plat::IniFile>(path))
{
}

LanguageFile::~LanguageFile() = default;

const std::string& LanguageFile::fileName() const
{
    return ini_->fileName();
}

std::string LanguageFile::translate(const std::string& section, const std::string& german) const
{
    if (!LookupKey(german))
        return german;
    return ini_->ReadString(section, german, german);
}

void LanguageFile::apply(const std::string& section, const std::vector<LangText>& texts) const
{
    for (const LangText& t : texts)
        t.set(t.prefix + translate(section, t.get()) + t.suffix);
}

void LanguageFile::applyMenu(const std::vector<LangMenuItem>& menu) const
{
    for (const LangMenuItem& item : menu) {
        const std::string caption = item.get();
        if (SkippedMenuCaption(caption))
            continue;
        item.set(translate(LangMenue, caption));
        applyMenu(item.items);
    }
}

void ApplyLanguage(const LanguageFile& lang, const std::string& programDir,
                   const LanguageBinding& binding, LanguageTexts& texts)
{
    lang.applyMenu(binding.menu);
    if (LangHelpExists(programDir) && binding.showTranslatedHelp)
        binding.showTranslatedHelp();

    // The main window's caption is also the application's title.
    if (!binding.mainForm.empty()) {
        const LangText& caption = binding.mainForm.front();
        caption.set(caption.prefix + lang.translate(LangMainForm, caption.get()) + caption.suffix);
        if (binding.setApplicationTitle)
            binding.setApplicationTitle(caption.get());
        lang.apply(LangMainForm,
                   std::vector<LangText>(binding.mainForm.begin() + 1, binding.mainForm.end()));
    }

    lang.apply(LangAboutForm, binding.aboutForm);
    lang.apply(LangOther, binding.other);
    texts.LanguageNameGerman = lang.translate(LangOther, texts.LanguageNameGerman);
    texts.LanguageNameOwn = lang.translate(LangOther, texts.LanguageNameOwn);
    texts.TranslationCredit = lang.translate(LangOther, texts.TranslationCredit);

    if (binding.showAboutPanel)
        binding.showAboutPanel();
}

int WriteLanguageFile(const std::string& path, const LanguageBinding& binding)
{
    TemplateWriter w(path);
    w.addMenu(binding.menu);
    w.addTexts(LangMainForm, binding.mainForm);
    w.addTexts(LangAboutForm, binding.aboutForm);
    w.addTexts(LangPrintForm, binding.printForm);
    w.addTexts(LangOther, binding.other);
    w.add(LangOther, LangKeyNameGerman, "Deutsch");
    w.add(LangOther, LangKeyNameOwn, "Deutsch");
    w.add(LangOther, LangKeyCredit, LangKeyCredit);
    w.finish();
    return w.added();
}

} // namespace tolv
