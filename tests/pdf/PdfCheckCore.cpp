#include "PdfCheckCore.h"

#include <stdexcept>

namespace pdftest {

namespace {

bool IsDigits(std::string_view s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// The text stands at pos (false when pos lies beyond the end).
bool At(std::string_view bytes, std::size_t pos, std::string_view text)
{
    return pos <= bytes.size() && bytes.substr(pos, text.size()) == text;
}

// A decimal number of up to 18 digits, so it cannot overflow.
bool Number(std::string_view s, std::size_t& value)
{
    if (!IsDigits(s) || s.size() > 18)
        return false;
    value = 0;
    for (char c : s)
        value = value * 10 + std::size_t(c - '0');
    return true;
}

std::string Str(std::size_t n)
{
    return std::to_string(n);
}

} // namespace

std::string XrefProblem(std::string_view bytes)
{
    if (!bytes.ends_with("%%EOF\n"))
        return "file does not end with %%EOF and LF";
    const std::size_t sx = bytes.rfind("\nstartxref\n");
    if (sx == std::string_view::npos)
        return "no startxref";
    const std::size_t numStart = sx + 11;
    const std::string_view num = bytes.substr(numStart, bytes.find('\n', numStart) - numStart);
    std::size_t x = 0;
    if (!Number(num, x))
        return "startxref value '" + std::string(num) + "'";
    if (!At(bytes, x, "xref\n") || (x > 0 && bytes[x - 1] != '\n'))
        return "startxref " + Str(x) + " does not point at an xref line";
    std::size_t pos = x + 5;
    const std::size_t eol = bytes.find('\n', pos);
    if (eol == std::string_view::npos)
        return "no line after xref";
    const std::string_view header = bytes.substr(pos, eol - pos);
    std::size_t count = 0;
    if (!header.starts_with("0 ") || !Number(header.substr(2), count))
        return "xref subsection line '" + std::string(header) + "'";
    pos = eol + 1;
    for (std::size_t i = 0; i < count; ++i, pos += 20) {
        if (pos + 20 > bytes.size())
            return "xref entry " + Str(i) + " runs past the file";
        const std::string_view entry = bytes.substr(pos, 20);
        if (i == 0) {
            if (entry != "0000000000 65535 f\r\n")
                return "first xref entry '" + std::string(entry) + "'";
            continue;
        }
        std::size_t off = 0;
        if (!Number(entry.substr(0, 10), off) || entry.substr(10) != " 00000 n\r\n")
            return "xref entry " + Str(i) + " is '" + std::string(entry) + "'";
        const std::string objLine = Str(i) + " 0 obj\n";
        if (!At(bytes, off, objLine) || (off > 0 && bytes[off - 1] != '\n'))
            return "xref entry " + Str(i) + " (offset " + Str(off) + ") does not point at '" + Str(i) + " 0 obj'";
    }
    if (!At(bytes, pos, "trailer\n"))
        return "no trailer after " + Str(count) + " xref entries";
    const std::string size = "/Size " + Str(count) + "\n";
    if (bytes.find(size, pos) == std::string_view::npos)
        return "trailer lacks " + size;
    return {};
}

namespace {

class MemoryOutput final : public pdf::PdfOutput {
public:
    MemoryOutput(std::string& file, std::size_t limit, bool failClose)
        : file_(file), limit_(limit), failClose_(failClose) {}
    bool Write(const void* data, std::size_t size) override
    {
        if (file_.size() + size > limit_)
            return false;
        file_.append(static_cast<const char*>(data), size);
        return true;
    }
    bool Close() override { return !failClose_; }

private:
    std::string& file_;
    std::size_t limit_;
    bool failClose_;
};

} // namespace

bool MemoryFileSystem::Exists(const std::string& path)
{
    if (throwOnExists)
        throw std::runtime_error("sharing violation");
    return files.count(path) > 0;
}

bool MemoryFileSystem::Remove(const std::string& path)
{
    removed.push_back(path);
    return files.erase(path) > 0;
}

std::unique_ptr<pdf::PdfOutput> MemoryFileSystem::Create(const std::string& path)
{
    if (failCreate)
        return nullptr;
    std::string& f = files[path];
    f.clear();
    return std::make_unique<MemoryOutput>(f, writeLimit, failClose);
}

} // namespace pdftest
