#include "pdf/PdfWriter.h"

#include "pdf/PdfFormat.h"
#include "pdf/PdfTypes.h"

#include <stdexcept>
#include <utility>

namespace pdf {

PdfObjectWriter::PdfObjectWriter(ErrorHandler onError) : onError_(std::move(onError)) {}

void PdfObjectWriter::Start(PdfOutput* out)
{
    out_ = out;
    position_ = 0;
    offsets_.clear();
}

void PdfObjectWriter::Reset()
{
    out_ = nullptr;
    position_ = 0;
    offsets_.clear();
    encryption_ = nullptr;
}

void PdfObjectWriter::Fail(const char* message, const std::string& detail)
{
    if (onError_)
        onError_(message, detail);
    throw EPdfError(message, detail);   // reached only when the handler returned
}

void PdfObjectWriter::WriteRaw(const void* data, std::size_t size)
{
    if (!enableOutput_ || size == 0)
        return;
    if (!out_)
        Fail(msg::InvalidStreamOperation);
    if (!out_->Write(data, size))
        Fail(msg::WriteError);
    position_ += size;
}

void PdfObjectWriter::WriteLine(std::string_view text)
{
    if (!enableOutput_)
        return;
    if (!out_)
        Fail(msg::InvalidStreamOperation);
    if (!out_->Write(text.data(), text.size()) || !out_->Write("\n", 1))
        Fail(msg::WriteError);
    position_ += text.size() + 1;
}

int PdfObjectWriter::BeginObject(std::string_view firstLine)
{
    offsets_.push_back(position_);
    const int n = ObjectCount();
    WriteLine(FormatInteger(n) + " 0 obj");
    WriteLine(firstLine);
    return n;
}

void PdfObjectWriter::BeginReservedObject(int n)
{
    if (n < 1 || n > ObjectCount())
        Fail(msg::InternalError, "BeginReservedObject");
    offsets_[static_cast<std::size_t>(n - 1)] = position_;
    WriteLine(FormatInteger(n) + " 0 obj");
    WriteLine("<<");
}

void PdfObjectWriter::EndObject(std::string_view lastLine)
{
    WriteLine(lastLine);
    WriteLine("endobj");
}

int PdfObjectWriter::ReserveObject()
{
    offsets_.push_back(0);
    return ObjectCount();
}

std::string PdfObjectWriter::ObjectRef(int n)
{
    return FormatInteger(n) + " 0 R";
}

} // namespace pdf
