#pragma once
// Shared helpers of the PDF tests: the checks every written file must pass
// (qpdf --check, mutool clean, our own cross-reference check), pdfinfo,
// rendering a page to pixels, temporary folders and an in-memory file
// system whose outputs can be made to fail like a full disk.
#include "pdf/PdfOutput.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
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

// Each cross-reference entry is 20 bytes and points at its "N 0 obj" line,
// startxref points at "xref", /Size matches, the file ends with "%%EOF\n".
::testing::AssertionResult XrefIsSound(const std::string& bytes);
// qpdf --check exits 0, mutool clean writes nothing on stderr, XrefIsSound.
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

// A fresh folder below the system's temporary folder, removed with its content.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Files held in memory. A file is visible from its creation; its bytes
// arrive as they are written.
class MemoryFileSystem : public pdf::PdfFileSystem {
public:
    std::map<std::string, std::string> files;
    // Failure injection for the next outputs: writes fail once the file
    // would grow beyond writeLimit; Close fails; Exists throws; Create fails.
    std::size_t writeLimit = SIZE_MAX;
    bool failClose = false;
    bool throwOnExists = false;
    bool failCreate = false;
    std::vector<std::string> removed;

    bool Exists(const std::string& path) override;
    bool Remove(const std::string& path) override;
    std::unique_ptr<pdf::PdfOutput> Create(const std::string& path) override;
};

} // namespace pdftest
