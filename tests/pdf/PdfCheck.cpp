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

::testing::AssertionResult XrefIsSound(const std::string& bytes)
{
    const std::string problem = XrefProblem(bytes);
    if (!problem.empty())
        return ::testing::AssertionFailure() << problem;
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
