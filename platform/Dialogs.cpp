#include "platform/Dialogs.h"

#include "platform/Paths.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace plat {

namespace {

DialogSeam* gInstalled = nullptr;
DialogSeam* gProgram = nullptr;

class UnattendedDialogs final : public DialogSeam {
public:
    MsgResult messageBox(const MessageBox& box) override
    {
        std::fprintf(stderr, "[%s] %s\n", box.caption.c_str(), box.text.c_str());
        return FirstButton(box.buttons);
    }
    bool shellOpen(const std::string&, ShowMode) override { return false; }
};

} // namespace

MsgResult FirstButton(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OK:
    case MsgButtons::OKCancel: return MsgResult::OK;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel: return MsgResult::Yes;
    case MsgButtons::RetryCancel: return MsgResult::Retry;
    case MsgButtons::AbortRetryIgnore: return MsgResult::Abort;
    }
    return MsgResult::OK;
}

DialogSeam& Dialogs()
{
    if (gInstalled)
        return *gInstalled;
    if (gProgram)
        return *gProgram;
    static UnattendedDialogs unattended;
    return unattended;
}

void SetProgramDialogs(DialogSeam* seam)
{
    gProgram = seam;
}

void SetDialogs(DialogSeam* seam)
{
    gInstalled = seam;
}

DialogSeam* InstalledDialogs()
{
    return gInstalled;
}

std::vector<FileFilter> ParseFileFilter(const std::string& filter)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start <= filter.size()) {
        const auto bar = filter.find('|', start);
        const auto end = bar == std::string::npos ? filter.size() : bar;
        parts.push_back(filter.substr(start, end - start));
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    std::vector<FileFilter> out;
    // Pairs of description and patterns; a description without patterns is dropped.
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        FileFilter f;
        f.description = parts[i];
        std::string::size_type p = 0;
        const std::string& list = parts[i + 1];
        while (p <= list.size()) {
            const auto semi = list.find(';', p);
            const auto end = semi == std::string::npos ? list.size() : semi;
            std::string pattern = list.substr(p, end - p);
            const auto first = pattern.find_first_not_of(' ');
            if (first != std::string::npos)
                f.patterns.push_back(pattern.substr(first, pattern.find_last_not_of(' ') - first + 1));
            if (semi == std::string::npos)
                break;
            p = semi + 1;
        }
        if (!f.patterns.empty())
            out.push_back(std::move(f));
    }
    return out;
}

std::string BareExtension(const std::string& defaultExt)
{
    std::string e = defaultExt;
    if (e.rfind("*", 0) == 0)
        e.erase(0, 1);
    if (e.rfind(".", 0) == 0)
        e.erase(0, 1);
    // A wildcard is no extension to append.
    if (e.find_first_of("*?/") != std::string::npos)
        return {};
    return e;
}

std::string ResolveDialogFileName(const FileDialogRequest& request, const std::string& entry)
{
    if (entry.empty())
        return {};
    std::filesystem::path p(entry);
    if (p.is_relative() && !request.initialDir.empty())
        p = std::filesystem::path(request.initialDir) / p;
    std::error_code ec;
    const auto abs = std::filesystem::absolute(p, ec);
    std::string name = (ec ? p : abs).lexically_normal().string();
    const std::string ext = BareExtension(request.defaultExt);
    if (!ext.empty() && ExtractFileExt(name).empty() && !ExtractFileName(name).empty() &&
        (request.kind == FileDialogKind::Save || !FileExists(name)))
        name += "." + ext;
    return name;
}

std::string OverwriteQuestionText(const std::string& fileName)
{
    return ExtractFileName(fileName) + " ist bereits vorhanden.\nMöchten Sie die Datei ersetzen?";
}

MsgResult ShowMessage(const std::string& text, const std::string& caption, MsgIcon icon,
                      MsgButtons buttons)
{
    return Dialogs().messageBox(MessageBox{text, caption, icon, buttons});
}

} // namespace plat
