#pragma once
#include "support/TestSupport.h"
// Shared helpers of the PDF tests: the checks every written file must pass
// (qpdf --check, mutool clean, our own cross-reference check), pdfinfo,
// rendering a page to pixels, temporary folders, an in-memory file system
// (PdfCheckCore.h) with a document written into it, and decoders for what
// the writer encodes.
#include "PdfCheckCore.h"

#include "pdf/PdfImage.h"
#include "pdf/PdfOutput.h"
#include "pdf/PdfVell.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pdftest {

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, std::string_view bytes);

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
// Runs a shell command line, capturing its standard output and error.
CommandResult RunCommand(const std::string& commandLine);
std::string ShellQuote(const std::string& s);

// XrefProblem as an assertion.
::testing::AssertionResult XrefIsSound(const std::string& bytes);
// qpdf --check exits 0 and mutool clean writes nothing on stderr: the
// check for files another writer made (Qt's, behind the "PDF-Datei" printer).
::testing::AssertionResult ReadersAccept(const std::string& path);
// ReadersAccept and XrefIsSound: every file our writer makes.
::testing::AssertionResult PdfPassesChecks(const std::string& path);
// The same for bytes held in memory (written to a temporary file first).
::testing::AssertionResult PdfBytesPassChecks(const std::string& bytes);

// pdfinfo's output, keys to values ("Page size" -> "595.276 x 841.89 pts (A4)").
std::map<std::string, std::string> PdfInfo(const std::string& path);

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    std::array<int, 3> at(int x, int y) const;
};
// One page rendered by pdftoppm at the given resolution.
RgbImage RenderPage(const std::string& path, int page, int dpi);

// A scratch folder per test, removed afterwards.
using TempDir = tolv::test::TempDir;

// A component writing into a MemoryFileSystem. When it goes, every file it
// finished must pass the readers' checks (only the cross-reference check
// when a stand-in security handler made the file unreadable for them); a
// document still open is left to the component, which abandons it.
struct MemoryDoc {
    MemoryFileSystem fs;
    pdf::TPdfVell pdf;
    bool standInEncryption = false;

    explicit MemoryDoc(const std::string& fileName);
    virtual ~MemoryDoc();
    MemoryDoc(const MemoryDoc&) = delete;
    MemoryDoc& operator=(const MemoryDoc&) = delete;

    pdf::TPdfCanvas& canvas() { return pdf.Canvas(); }
    const std::string& bytes() { return fs.files[pdf.FileName()]; }
    bool fileExists() const { return fs.files.count(pdf.FileName()) > 0; }
};

// A MemoryDoc with its document begun; a document still open at the end is
// finished, so every document drawn in one must read back.
struct OpenDoc : MemoryDoc {
    pdf::TPdfCanvas& c = pdf.Canvas();
    explicit OpenDoc(const std::string& fileName = "/c/canvas.pdf") : MemoryDoc(fileName) { pdf.BeginDoc(); }
    ~OpenDoc() override;
    std::vector<std::string> lines() const { return c.ContentLines(); }
};

// Runs f and returns the text of the EPdfError it raised ("" when none).
std::string ErrorOf(const std::function<void()>& f);

// The lines of a text without their LFs; an empty line stays.
std::vector<std::string> SplitLines(const std::string& s);
// The lines between "n 0 obj" and its "endobj".
std::vector<std::string> ObjectLines(const std::string& bytes, int n);
// The rest of the first of an object's lines that starts with key
// ("/Length " -> "42"); "<missing>" when none does.
std::string Entry(const std::vector<std::string>& obj, const std::string& key);

// The ASCII85Decode filter: up to "~>", "z" for four zero bytes.
std::vector<std::uint8_t> Ascii85Decode(std::string_view text);
std::vector<std::uint8_t> Ascii85Decode(const std::vector<std::uint8_t>& text);
// zlib data inflated. With complete given it tells whether the data ended
// properly; without, truncated data is a test failure.
std::vector<std::uint8_t> Inflate(const std::vector<std::uint8_t>& z, bool* complete = nullptr);

// Stands in for the security handler: XOR with the object number's low byte
// OR orMask, so encrypted bytes are easy to predict. Readers cannot open
// its files.
class XorEncryption final : public pdf::PdfEncryption {
public:
    explicit XorEncryption(std::uint8_t orMask = 0x40) : mask_(orMask) {}
    void Crypt(int objectNumber, std::uint8_t* data, std::size_t size) override;
    std::string OwnerValue() const override { return std::string(32, '\x01'); }
    std::string UserValue() const override { return std::string(32, '\xab'); }
    std::int32_t Permissions() const override { return -60; }

private:
    std::uint8_t mask_;
};
// The bytes as XorEncryption(orMask) encrypts them for object n.
std::string Xor(std::string s, int n, std::uint8_t orMask = 0x40);

// A JPEG encoder that always fails, and the encoder installed for a scope.
std::vector<std::uint8_t> ThrowingJpeg(const plat::Bitmap&, int quality);
class ScopedJpegEncoder {
public:
    explicit ScopedJpegEncoder(pdf::JpegEncoderFn fn) : previous_(pdf::SetJpegEncoder(std::move(fn))) {}
    ~ScopedJpegEncoder() { pdf::SetJpegEncoder(previous_); }
    ScopedJpegEncoder(const ScopedJpegEncoder&) = delete;
    ScopedJpegEncoder& operator=(const ScopedJpegEncoder&) = delete;

private:
    pdf::JpegEncoderFn previous_;
};

} // namespace pdftest
