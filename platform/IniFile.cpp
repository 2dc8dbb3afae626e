#include "platform/IniFile.h"

#include "platform/Codepage.h"
#include "platform/Decimal.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"
#include "platform/TextCase.h"

#include <charconv>
#include <climits>
#include <unordered_map>
#include <utility>

namespace plat {

namespace detail {

enum class Encoding { Utf8, Cp1252, Utf16Le, Utf16Be };

struct IniLine {
    enum class Kind { Other, Section, Key };
    std::string text;      // UTF-8, no line end
    Kind kind = Kind::Other;
    std::string name;      // section name or key, trimmed, original spelling
    std::string folded;    // name for comparison
};

struct IniSection {
    std::size_t header;    // line index of "[name]"
    std::size_t end;       // one past its last line
    std::unordered_map<std::string, std::size_t> keys;   // first occurrence wins
    std::vector<std::size_t> order;                      // unique keys in file order
};

struct IniDocument {
    std::string raw;       // the bytes as read, to notice any change on disk
    bool bom = false;
    Encoding encoding = Encoding::Utf8;
    std::vector<IniLine> lines;
    std::vector<IniSection> sections;
    std::unordered_map<std::string, std::size_t> sectionIndex;   // first occurrence wins
};

} // namespace detail

namespace {

using detail::Encoding;
using detail::IniDocument;
using detail::IniLine;
using detail::IniSection;

constexpr std::size_t kMaxValueChars = 2047;
constexpr std::size_t kMaxFileBytes = 64u << 20;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string Unable(const std::string& path)
{
    return "Unable to write to " + path;
}

void Classify(IniLine& line)
{
    const std::string_view t = Trim(line.text);
    line.kind = IniLine::Kind::Other;
    if (t.empty() || t.front() == ';')
        return;
    if (t.front() == '[') {
        const auto close = t.find(']');
        line.kind = IniLine::Kind::Section;
        line.name = std::string(Trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
        line.folded = FoldCase(line.name);
        return;
    }
    const auto eq = t.find('=');
    if (eq == std::string_view::npos)
        return;
    const std::string_view key = Trim(t.substr(0, eq));
    if (key.empty())
        return;
    line.kind = IniLine::Kind::Key;
    line.name = std::string(key);
    line.folded = FoldCase(key);
}

void BuildIndex(IniDocument& doc)
{
    doc.sections.clear();
    doc.sectionIndex.clear();
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        const IniLine& line = doc.lines[i];
        if (line.kind == IniLine::Kind::Section) {
            if (!doc.sections.empty())
                doc.sections.back().end = i;
            doc.sections.push_back(IniSection{i, doc.lines.size(), {}, {}});
            doc.sectionIndex.emplace(line.folded, doc.sections.size() - 1);
        } else if (line.kind == IniLine::Kind::Key && !doc.sections.empty()) {
            IniSection& sec = doc.sections.back();
            if (sec.keys.emplace(line.folded, i).second)
                sec.order.push_back(i);
        }
    }
}

// The file's text as UTF-8; notes the encoding and BOM to write it back in.
std::string Decode(std::string_view body, IniDocument& doc)
{
    if (body.starts_with(kUtf16LeBom) || body.starts_with(kUtf16BeBom)) {
        doc.bom = true;
        doc.encoding = body.starts_with(kUtf16LeBom) ? Encoding::Utf16Le : Encoding::Utf16Be;
        return Utf16ToUtf8(body.substr(2), doc.encoding == Encoding::Utf16Be);
    }
    if (body.starts_with(kUtf8Bom)) {
        doc.bom = true;
        body.remove_prefix(kUtf8Bom.size());
    }
    if (IsValidUtf8(body)) {
        doc.encoding = Encoding::Utf8;
        return std::string(body);
    }
    doc.encoding = Encoding::Cp1252;
    return Cp1252ToUtf8(body);
}

std::shared_ptr<IniDocument> Parse(std::string raw)
{
    auto doc = std::make_shared<IniDocument>();
    const std::string text = Decode(raw, *doc);
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto nl = text.find('\n', pos);
        if (nl == std::string::npos)
            nl = text.size();
        std::size_t end = nl;
        if (end > pos && text[end - 1] == '\r')
            --end;
        IniLine line;
        line.text = text.substr(pos, end - pos);
        Classify(line);
        doc->lines.push_back(std::move(line));
        pos = nl + 1;
    }
    BuildIndex(*doc);
    doc->raw = std::move(raw);
    return doc;
}

bool HasForbidden(const std::string& s)
{
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos || !IsValidUtf8(s);
}

std::string TruncateChars(std::string s, std::size_t maxChars)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (chars == maxChars) {
                s.resize(i);
                break;
            }
            ++chars;
        }
    }
    return s;
}

const IniLine* FindKey(const IniDocument& doc, const std::string& section, const std::string& key)
{
    const auto sec = doc.sectionIndex.find(FoldCase(Trim(section)));
    if (sec == doc.sectionIndex.end())
        return nullptr;
    const IniSection& s = doc.sections[sec->second];
    const auto k = s.keys.find(FoldCase(Trim(key)));
    return k == s.keys.end() ? nullptr : &doc.lines[k->second];
}

std::string ValueOf(const IniLine& line)
{
    const auto eq = line.text.find('=');
    return std::string(Trim(std::string_view(line.text).substr(eq + 1)));
}

// Applies one write to the document and keeps its index current. Returns
// whether the new text fits Windows-1252.
bool ApplyWrite(IniDocument& doc, std::string_view sec, std::string_view key, const std::string& value)
{
    const std::string entry = std::string(key) + "=" + value;
    const std::string foldedKey = FoldCase(key);
    const auto s = doc.sectionIndex.find(FoldCase(sec));
    if (s == doc.sectionIndex.end()) {
        IniLine header{"[" + std::string(sec) + "]", IniLine::Kind::Section, std::string(sec), FoldCase(sec)};
        doc.sections.push_back(IniSection{doc.lines.size(), doc.lines.size() + 2, {}, {}});
        doc.sectionIndex.emplace(header.folded, doc.sections.size() - 1);
        if (doc.sections.size() > 1)
            doc.sections[doc.sections.size() - 2].end = doc.lines.size();
        doc.lines.push_back(std::move(header));
        doc.sections.back().keys.emplace(foldedKey, doc.lines.size());
        doc.sections.back().order.push_back(doc.lines.size());
        doc.lines.push_back(IniLine{entry, IniLine::Kind::Key, std::string(key), foldedKey});
    } else {
        const std::size_t si = s->second;
        IniSection& is = doc.sections[si];
        const auto existing = is.keys.find(foldedKey);
        if (existing != is.keys.end()) {
            IniLine& line = doc.lines[existing->second];
            line.text = line.name + "=" + value;
        } else {
            // After the section's last non-blank line, before blank lines that
            // separate it from the next section.
            std::size_t at = is.end;
            while (at > is.header + 1 && Trim(doc.lines[at - 1].text).empty())
                --at;
            doc.lines.insert(doc.lines.begin() + std::ptrdiff_t(at),
                             IniLine{entry, IniLine::Kind::Key, std::string(key), foldedKey});
            is.keys.emplace(foldedKey, at);
            is.order.push_back(at);
            ++is.end;
            // Only blank lines of this section lay behind the insertion point;
            // the sections after it move down by one line.
            for (std::size_t t = si + 1; t < doc.sections.size(); ++t) {
                IniSection& later = doc.sections[t];
                ++later.header;
                ++later.end;
                for (auto& k : later.keys)
                    ++k.second;
                for (auto& i : later.order)
                    ++i;
            }
        }
    }
    return FitsCp1252(sec) && FitsCp1252(key) && FitsCp1252(value);
}

bool HasHighBytes(std::string_view s)
{
    for (const char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

// The bytes of the document: CRLF line ends, its BOM, its encoding. Windows-1252
// bytes that happen to form UTF-8 would be read back as UTF-8, other text than
// was written: such a document is written as UTF-8 instead, and becomes so.
std::string Serialise(IniDocument& doc)
{
    std::size_t size = 3;
    for (const IniLine& line : doc.lines)
        size += line.text.size() + 2;
    std::string text;
    text.reserve(size);
    for (const IniLine& line : doc.lines) {
        text += line.text;
        text += "\r\n";
    }
    if (doc.encoding == Encoding::Utf16Le)
        return std::string(kUtf16LeBom) + Utf8ToUtf16(text, false);
    if (doc.encoding == Encoding::Utf16Be)
        return std::string(kUtf16BeBom) + Utf8ToUtf16(text, true);
    std::string bytes = doc.bom ? std::string(kUtf8Bom) : "";
    if (doc.encoding == Encoding::Cp1252) {
        std::string cp = Utf8ToCp1252(text);
        if (!HasHighBytes(cp) || !IsValidUtf8(cp))
            return bytes + cp;
        doc.encoding = Encoding::Utf8;
    }
    return bytes + text;
}

void CheckWritable(const std::string& path, std::string_view sec, std::string_view key,
                   const std::string& section, const std::string& rawKey, const std::string& value)
{
    if (HasForbidden(section) || HasForbidden(rawKey) || HasForbidden(value) || sec.empty() ||
        sec.find(']') != std::string_view::npos || key.empty() ||
        key.find('=') != std::string_view::npos || key.front() == '[' || key.front() == ';')
        throw IniWriteError(Unable(path));
}

} // namespace

bool ParseIniInteger(std::string_view text, int& value)
{
    std::string_view s = Trim(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    } else if (!s.empty() && s.front() == '$') {
        base = 16;
        s.remove_prefix(1);
    }
    if (s.empty())
        return false;
    unsigned long long magnitude = 0;
    for (const char c : s) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        magnitude = magnitude * unsigned(base) + unsigned(digit);
        if (magnitude > 0xFFFFFFFFull)
            return false;
    }
    long long v;
    if (negative) {
        if (magnitude > 0x80000000ull)
            return false;
        v = -static_cast<long long>(magnitude);
    } else if (base == 16) {
        v = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
    } else {
        if (magnitude > 0x7FFFFFFFull)
            return false;
        v = static_cast<long long>(magnitude);
    }
    value = int(v);
    return true;
}

IniFile::IniFile(std::string path)
    : path_(std::move(path))
{
}

IniFile::~IniFile() = default;
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;

// The file is read on every access, as the profile functions see every
// change; parsing is repeated only when the bytes differ from the last read.
std::shared_ptr<const IniDocument> IniFile::load(bool forWrite) const
{
    std::string raw;
    switch (ReadRegularFile(path_, raw, kMaxFileBytes)) {
    case FileReadResult::Missing:
    case FileReadResult::Ok:
        break;
    default:
        // Unreadable: reads see an empty file, writes are refused.
        if (forWrite)
            throw IniWriteError(Unable(path_));
        raw.clear();
        break;
    }
    if (!cache_ || cache_->raw != raw)
        cache_ = Parse(std::move(raw));
    return cache_;
}

// What reads see: the held-back writes over the file, or the file itself.
std::shared_ptr<const IniDocument> IniFile::view() const
{
    if (pendingView_)
        return pendingView_;
    return load(false);
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& def) const
{
    const auto doc = view();
    const IniLine* line = FindKey(*doc, section, key);
    return TruncateChars(line ? ValueOf(*line) : def, kMaxValueChars);
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int def) const
{
    const auto doc = view();
    const IniLine* line = FindKey(*doc, section, key);
    int v;
    if (line && ParseIniInteger(TruncateChars(ValueOf(*line), kMaxValueChars), v))
        return v;
    return def;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::SectionExists(const std::string& section) const
{
    const auto doc = view();
    return doc->sectionIndex.count(FoldCase(Trim(section))) != 0;
}

bool IniFile::ValueExists(const std::string& section, const std::string& key) const
{
    const auto doc = view();
    return FindKey(*doc, section, key) != nullptr;
}

std::vector<std::string> IniFile::ReadSection(const std::string& section) const
{
    const auto doc = view();
    std::vector<std::string> out;
    const auto sec = doc->sectionIndex.find(FoldCase(Trim(section)));
    if (sec != doc->sectionIndex.end())
        for (const std::size_t i : doc->sections[sec->second].order)
            out.push_back(doc->lines[i].name);
    return out;
}

std::vector<std::string> IniFile::ReadSections() const
{
    const auto doc = view();
    std::vector<std::string> out;
    for (std::size_t i = 0; i < doc->sections.size(); ++i) {
        const IniLine& header = doc->lines[doc->sections[i].header];
        // A later section of the same name is hidden behind the first.
        if (doc->sectionIndex.at(header.folded) == i)
            out.push_back(header.name);
    }
    return out;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    const std::string_view sec = Trim(section);
    const std::string_view k = Trim(key);
    CheckWritable(path_, sec, k, section, key, value);
    if (holding_) {
        if (!pendingView_)
            pendingView_ = std::make_shared<IniDocument>(*load(false));
        ApplyWrite(*pendingView_, sec, k, value);
        pending_.push_back(PendingWrite{std::string(sec), std::string(k), value});
        return;
    }
    commit({PendingWrite{std::string(sec), std::string(k), value}});
}

void IniFile::commit(const std::vector<PendingWrite>& writes)
{
    auto doc = std::make_shared<IniDocument>(*load(true));
    bool fits = true;
    for (const PendingWrite& w : writes)
        fits = ApplyWrite(*doc, w.section, w.key, w.value) && fits;
    if (!fits && doc->encoding == Encoding::Cp1252)
        doc->encoding = Encoding::Utf8;   // the whole file, not a mixture
    std::string bytes = Serialise(*doc);
    if (WriteFileSafely(path_, bytes))
        throw IniWriteError(Unable(path_));
    doc->raw = std::move(bytes);
    cache_ = std::move(doc);
}

void IniFile::BeginUpdate()
{
    pending_.clear();
    pendingView_.reset();
    holding_ = true;
}

void IniFile::UpdateFile()
{
    holding_ = false;
    if (pending_.empty())
        return;
    std::vector<PendingWrite> writes = std::move(pending_);
    pending_.clear();
    pendingView_.reset();
    commit(writes);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value)
{
    WriteString(section, key, Decimal(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

} // namespace plat
