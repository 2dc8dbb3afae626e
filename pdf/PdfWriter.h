#pragma once
// The object writer of a PDF file: lines, raw bytes, numbered objects and
// their byte offsets for the cross-reference table. Objects 1..3 are the
// information dictionary, the page tree and the shared resources; every
// other object takes the next number when its writing begins.
#include "pdf/PdfOutput.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pdf {

class PdfObjectWriter;

// The standard security handler plugs in here; without one the document
// is written unencrypted.
class PdfEncryption {
public:
    virtual ~PdfEncryption() = default;
    // Encrypts (or decrypts) in place with the key of object objectNumber.
    virtual void Crypt(int objectNumber, std::uint8_t* data, std::size_t size) = 0;
    virtual std::string OwnerValue() const = 0;   // /O, 32 bytes
    virtual std::string UserValue() const = 0;    // /U, 32 bytes
    virtual std::int32_t Permissions() const = 0; // /P
};

// A resource of the document's shared resource dictionary: an image
// (/XObject, named "Im0", "Im1", ...) or a font (/Font, "F0", "F1", ...).
// The canvas owns them for the whole document. At the end of every page it
// asks each image with HasData() to WriteObject(), after the page's content
// stream and before the page object.
class PdfPageResource {
public:
    virtual ~PdfPageResource() = default;
    virtual const std::string& Name() const = 0;    // without the slash
    virtual int ObjectNumber() const = 0;           // the object the dictionary refers to; 0 until written
    virtual bool HasData() const = 0;               // encoded data still waiting to be written
    // Writes the object(s) through the writer (BeginObject ... EndObject),
    // remembers the number and drops the data.
    virtual void WriteObject(PdfObjectWriter& writer) = 0;
};

class PdfObjectWriter {
public:
    // Receives every write failure; it must not return (the component's
    // RaiseError abandons the document and throws).
    using ErrorHandler = std::function<void(const std::string& message, const std::string& detail)>;

    explicit PdfObjectWriter(ErrorHandler onError);

    // A new document goes to out (not owned); offsets start empty at position 0.
    void Start(PdfOutput* out);
    // Forgets the output and every offset.
    void Reset();

    // False suppresses every byte; offsets still advance with the position
    // of what was written before.
    bool EnableOutput() const { return enableOutput_; }
    void SetEnableOutput(bool on) { enableOutput_ = on; }

    // text + LF.
    void WriteLine(std::string_view text);
    void WriteRaw(const void* data, std::size_t size);

    // Records the position as the next object's offset, writes "n 0 obj" and
    // firstLine, returns n.
    int BeginObject(std::string_view firstLine = "<<");
    // Fills the offset of an object reserved earlier and writes "n 0 obj", "<<".
    void BeginReservedObject(int n);
    // lastLine (">>" or "endstream"), then "endobj".
    void EndObject(std::string_view lastLine = ">>");
    // Appends an empty offset entry; returns the number it reserves.
    int ReserveObject();
    static std::string ObjectRef(int n);   // "n 0 R"

    int ObjectCount() const { return static_cast<int>(offsets_.size()); }
    const std::vector<std::uint64_t>& Offsets() const { return offsets_; }
    std::uint64_t Position() const { return position_; }

    // The document's encryption, or nullptr when it is not encrypted.
    PdfEncryption* Encryption() const { return encryption_; }
    void SetEncryption(PdfEncryption* e) { encryption_ = e; }

private:
    [[noreturn]] void Fail(const char* message, const std::string& detail = {});

    ErrorHandler onError_;
    PdfOutput* out_ = nullptr;
    bool enableOutput_ = true;
    std::uint64_t position_ = 0;
    std::vector<std::uint64_t> offsets_;
    PdfEncryption* encryption_ = nullptr;
};

} // namespace pdf
