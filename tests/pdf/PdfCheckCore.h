#pragma once
// The parts of the PDF checks that need neither GoogleTest nor a reader
// program, so the fuzz target shares them: the writer's own cross-reference
// check and an in-memory file system whose outputs can fail like a full disk.
#include "pdf/PdfOutput.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pdftest {

// Empty when the file is sound: each cross-reference entry is 20 bytes and
// points at its "N 0 obj" line, startxref points at "xref", /Size matches,
// the file ends with "%%EOF\n". Otherwise what is wrong.
std::string XrefProblem(std::string_view bytes);

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
