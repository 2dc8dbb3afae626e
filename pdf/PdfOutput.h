#pragma once
// Where the bytes of a PDF file go. The component reaches the file system
// only through PdfFileSystem, so tests can hand it memory files or outputs
// that fail the way a full disk does.
#include <cstddef>
#include <memory>
#include <string>

namespace pdf {

class PdfOutput {
public:
    virtual ~PdfOutput() = default;   // releases the file without reporting anything
    // False when the bytes could not be taken.
    virtual bool Write(const void* data, std::size_t size) = 0;
    // Flushes and closes; false when any byte may not have reached the file
    // (a full disk often shows only here).
    virtual bool Close() = 0;
};

class PdfFileSystem {
public:
    virtual ~PdfFileSystem() = default;
    virtual bool Exists(const std::string& path) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // Creates or truncates the file; nullptr when it cannot be opened.
    virtual std::unique_ptr<PdfOutput> Create(const std::string& path) = 0;
};

// The real file system, with buffered output that checks every write, the
// final flush, fsync and close.
PdfFileSystem& PosixFileSystem();

} // namespace pdf
