#include "PdfCheck.h"

#include "platform/Jpeg.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace pdftest {

std::string ReadFileBytes(const std::string& path)
{
    return tolv::test::ReadBytes(path);
}

void WriteFileBytes(const std::string& path, std::string_view bytes)
{
    tolv::test::WriteBytes(path, std::string(bytes));
}

std::string ShellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

CommandResult RunCommand(const std::string& commandLine)
{
    TempDir tmp;
    const std::string out = tmp.file("out"), err = tmp.file("err");
    const std::string full = "( " + commandLine + " ) </dev/null >" + ShellQuote(out) + " 2>" + ShellQuote(err);
    const int status = std::system(full.c_str());
    CommandResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadFileBytes(out);
    r.err = ReadFileBytes(err);
    return r;
}

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

} // namespace

::testing::AssertionResult XrefIsSound(const std::string& bytes)
{
    const std::string tail = "%%EOF\n";
    if (bytes.size() < tail.size() || bytes.compare(bytes.size() - tail.size(), tail.size(), tail) != 0)
        return ::testing::AssertionFailure() << "file does not end with %%EOF and LF";
    const std::size_t sx = bytes.rfind("\nstartxref\n");
    if (sx == std::string::npos)
        return ::testing::AssertionFailure() << "no startxref";
    const std::size_t numStart = sx + 11;
    const std::size_t numEnd = bytes.find('\n', numStart);
    const std::string num = bytes.substr(numStart, numEnd - numStart);
    if (!IsDigits(num))
        return ::testing::AssertionFailure() << "startxref value '" << num << "'";
    const std::size_t x = std::stoull(num);
    if (bytes.compare(x, 5, "xref\n") != 0 || (x > 0 && bytes[x - 1] != '\n'))
        return ::testing::AssertionFailure() << "startxref " << x << " does not point at an xref line";
    std::size_t pos = x + 5;
    const std::size_t eol = bytes.find('\n', pos);
    const std::string header = bytes.substr(pos, eol - pos);
    if (header.rfind("0 ", 0) != 0 || !IsDigits(header.substr(2)))
        return ::testing::AssertionFailure() << "xref subsection line '" << header << "'";
    const std::size_t count = std::stoull(header.substr(2));
    pos = eol + 1;
    for (std::size_t i = 0; i < count; ++i, pos += 20) {
        if (pos + 20 > bytes.size())
            return ::testing::AssertionFailure() << "xref entry " << i << " runs past the file";
        const std::string entry = bytes.substr(pos, 20);
        if (i == 0) {
            if (entry != "0000000000 65535 f\r\n")
                return ::testing::AssertionFailure() << "first xref entry '" << entry << "'";
            continue;
        }
        if (!IsDigits(entry.substr(0, 10)) || entry.substr(10) != " 00000 n\r\n")
            return ::testing::AssertionFailure() << "xref entry " << i << " is '" << entry << "'";
        const std::size_t off = std::stoull(entry.substr(0, 10));
        const std::string objLine = std::to_string(i) + " 0 obj\n";
        if (bytes.compare(off, objLine.size(), objLine) != 0 || (off > 0 && bytes[off - 1] != '\n'))
            return ::testing::AssertionFailure() << "xref entry " << i << " (offset " << off
                                                 << ") does not point at '" << i << " 0 obj'";
    }
    if (bytes.compare(pos, 8, "trailer\n") != 0)
        return ::testing::AssertionFailure() << "no trailer after " << count << " xref entries";
    const std::string size = "/Size " + std::to_string(count) + "\n";
    if (bytes.find(size, pos) == std::string::npos)
        return ::testing::AssertionFailure() << "trailer lacks " << size;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ReadersAccept(const std::string& path)
{
    const CommandResult q = RunCommand("qpdf --check " + ShellQuote(path));
    if (q.exitCode != 0)
        return ::testing::AssertionFailure() << "qpdf --check exit " << q.exitCode << ":\n" << q.out << q.err;
    TempDir tmp;
    const CommandResult m = RunCommand("timeout 20 mutool clean " + ShellQuote(path) + " " + ShellQuote(tmp.file("clean.pdf")));
    if (m.exitCode != 0 || !m.err.empty())
        return ::testing::AssertionFailure() << "mutool clean exit " << m.exitCode << ", stderr:\n" << m.err;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult PdfPassesChecks(const std::string& path)
{
    if (::testing::AssertionResult readers = ReadersAccept(path); !readers)
        return readers;
    return XrefIsSound(ReadFileBytes(path));
}

::testing::AssertionResult PdfBytesPassChecks(const std::string& bytes)
{
    TempDir tmp;
    const std::string path = tmp.file("check.pdf");
    WriteFileBytes(path, bytes);
    return PdfPassesChecks(path);
}

std::map<std::string, std::string> PdfInfo(const std::string& path)
{
    std::map<std::string, std::string> info;
    std::istringstream in(RunCommand("pdfinfo " + ShellQuote(path)).out);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::size_t v = colon + 1;
        while (v < line.size() && line[v] == ' ')
            ++v;
        info[line.substr(0, colon)] = line.substr(v);
    }
    return info;
}

std::array<int, 3> RgbImage::at(int x, int y) const
{
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

RgbImage RenderPage(const std::string& path, int page, int dpi)
{
    TempDir tmp;
    const std::string prefix = tmp.file("page");
    const CommandResult r = RunCommand("pdftoppm -r " + std::to_string(dpi) + " -f " + std::to_string(page) +
                                       " -l " + std::to_string(page) + " -singlefile " + ShellQuote(path) + " " +
                                       ShellQuote(prefix));
    RgbImage img;
    if (r.exitCode != 0)
        return img;
    const std::string ppm = ReadFileBytes(prefix + ".ppm");
    // P6 <w> <h> <max> then one whitespace byte and the samples.
    std::istringstream hdr(ppm);
    std::string magic;
    int maxval = 0;
    hdr >> magic >> img.width >> img.height >> maxval;
    if (magic != "P6" || maxval != 255)
        return RgbImage{};
    const std::size_t start = static_cast<std::size_t>(hdr.tellg()) + 1;
    img.rgb.assign(ppm.begin() + static_cast<std::ptrdiff_t>(start), ppm.end());
    if (img.rgb.size() < static_cast<std::size_t>(img.width) * img.height * 3)
        return RgbImage{};
    return img;
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

MemoryDoc::MemoryDoc(const std::string& fileName)
{
    pdf.FileSystem = &fs;
    pdf.SetFileName(fileName);
}

OpenDoc::~OpenDoc()
{
    if (pdf.Opened())
        pdf.EndDoc();
}

MemoryDoc::~MemoryDoc()
{
    if (pdf.Opened())
        return;
    for (const auto& [name, bytes] : fs.files) {
        if (bytes.empty())
            continue;
        if (standInEncryption) {
            EXPECT_TRUE(XrefIsSound(bytes)) << name;
        } else {
            EXPECT_TRUE(PdfBytesPassChecks(bytes)) << name;
        }
    }
}

std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const pdf::EPdfError& e) {
        return e.what();
    }
    return {};
}

std::vector<std::string> SplitLines(const std::string& s)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < s.size()) {
        std::size_t end = s.find('\n', start);
        if (end == std::string::npos)
            end = s.size();
        lines.push_back(s.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> ObjectLines(const std::string& bytes, int n)
{
    std::vector<std::string> obj;
    const std::string head = std::to_string(n) + " 0 obj";
    bool in = false;
    for (const std::string& l : SplitLines(bytes)) {
        if (l == head) {
            in = true;
            continue;
        }
        if (in && l == "endobj")
            break;
        if (in)
            obj.push_back(l);
    }
    return obj;
}

std::string Entry(const std::vector<std::string>& obj, const std::string& key)
{
    for (const std::string& l : obj)
        if (l.rfind(key, 0) == 0)
            return l.substr(key.size());
    return "<missing>";
}

std::vector<std::uint8_t> Ascii85Decode(std::string_view text)
{
    std::vector<std::uint8_t> out;
    std::uint32_t acc = 0;
    int n = 0;
    for (char c : text) {
        if (c == '~')
            break;
        if (c == 'z' && n == 0) {
            out.insert(out.end(), 4, 0);
            continue;
        }
        acc = acc * 85 + std::uint32_t(c - 33);
        if (++n == 5) {
            for (int k = 3; k >= 0; --k)
                out.push_back(std::uint8_t(acc >> (8 * k)));
            acc = 0;
            n = 0;
        }
    }
    if (n > 0) {
        const int m = n;
        for (; n < 5; ++n)
            acc = acc * 85 + 84;
        for (int k = 3; k > 4 - m; --k)
            out.push_back(std::uint8_t(acc >> (8 * k)));
    }
    return out;
}

std::vector<std::uint8_t> Ascii85Decode(const std::vector<std::uint8_t>& text)
{
    return Ascii85Decode(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
}

std::vector<std::uint8_t> Inflate(const std::vector<std::uint8_t>& z, bool* complete)
{
    z_stream s{};
    EXPECT_EQ(inflateInit(&s), Z_OK);
    std::vector<std::uint8_t> out;
    std::uint8_t buf[16384];
    s.next_in = const_cast<Bytef*>(z.data());
    s.avail_in = uInt(z.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        s.next_out = buf;
        s.avail_out = sizeof buf;
        rc = inflate(&s, Z_NO_FLUSH);
        out.insert(out.end(), buf, buf + (sizeof buf - s.avail_out));
        if (rc == Z_BUF_ERROR && s.avail_in == 0)
            break;
    }
    if (complete)
        *complete = rc == Z_STREAM_END;
    else
        EXPECT_EQ(rc, Z_STREAM_END);
    inflateEnd(&s);
    return out;
}

void XorEncryption::Crypt(int objectNumber, std::uint8_t* data, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
        data[i] ^= static_cast<std::uint8_t>(objectNumber | mask_);
}

std::string Xor(std::string s, int n, std::uint8_t orMask)
{
    for (char& c : s)
        c = static_cast<char>(c ^ (n | orMask));
    return s;
}

std::vector<std::uint8_t> ThrowingJpeg(const plat::Bitmap&, int)
{
    throw plat::JpegError("forced failure");
}

} // namespace pdftest
