// The PDF canvas's part that writes the file around the drawing: header
// and information dictionary, the start and end of every page, named
// destinations, the document end with catalog, page tree, shared
// resources, cross-reference table and trailer, and the reset between
// documents.
#include "pdf/PdfCanvas.h"

#include "pdf/PdfVell.h"
#include "platform/fonts/FontFace.h"

namespace pdf {

namespace {

constexpr int PagesObject = 2;
constexpr int ResourcesObject = 3;

std::string XrefOffset(std::uint64_t offset)
{
    std::string digits = FormatInteger(static_cast<long long>(offset));
    if (digits.size() < 10)
        digits.insert(0, 10 - digits.size(), '0');
    return digits;
}

} // namespace

void TPdfCanvas::WriteHeader(const PdfDateTime& created)
{
    PdfObjectWriter& w = writer_;
    w.WriteLine("%PDF-1.3");
    const int info = w.BeginObject("<<");
    w.WriteLine("/CreationDate" + TextString(PdfDate(created), info));
    w.WriteLine("/Title" + TextString(owner_.Title(), info));
    if (!owner_.Author().empty())
        w.WriteLine("/Author" + TextString(owner_.Author(), info));
    if (!owner_.Subject().empty())
        w.WriteLine("/Subject" + TextString(owner_.Subject(), info));
    if (!owner_.Keywords().empty())
        w.WriteLine("/Keywords" + TextString(owner_.Keywords(), info));
    w.WriteLine("/Producer" + TextString(owner_.Producer().empty() ? owner_.About() : owner_.Producer(), info));
    w.EndObject(">>");
    w.ReserveObject();   // 2: page tree
    w.ReserveObject();   // 3: shared resources
}

void TPdfCanvas::StartPage()
{
    ++owner_.pageCount_;
    // A non-zero spacing becomes the first line of the new page.
    const int s = characterSpacing_;
    characterSpacing_ = 0;
    SetCharacterSpacing(s);
    if (owner_.OnNewPage) {
        // The handler may change the font for its own drawing; the page
        // then starts in the current style again.
        TPdfStyle* style = currentStyle_;
        owner_.OnNewPage(*this);
        currentStyle_ = style;
        if (style)
            style->ApplyStyle();
    }
    if (owner_.ProcessMessages)
        owner_.ProcessMessages();
}

void TPdfCanvas::FinishPage()
{
    PdfObjectWriter& w = writer_;
    const int contents = w.BeginObject("<<");
    std::size_t length = 0;
    for (const std::string& line : content_)
        length += line.size() + 1;
    w.WriteLine("/Length " + FormatInteger(static_cast<long long>(length)));
    w.WriteLine(">>");
    w.WriteLine("stream");
    if (PdfEncryption* e = w.Encryption()) {
        std::string block;
        block.reserve(length);
        for (const std::string& line : content_) {
            block += line;
            block += '\n';
        }
        e->Crypt(contents, reinterpret_cast<std::uint8_t*>(block.data()), block.size());
        w.WriteRaw(block.data(), block.size());
    } else {
        for (const std::string& line : content_)
            w.WriteLine(line);
    }
    w.EndObject("endstream");

    // An image first placed on this page gets its object now.
    for (const auto& image : images_)
        if (image->HasData())
            image->WriteObject(w);

    const int page = w.BeginObject("<<");
    pageObjects_.push_back(page);
    w.WriteLine("/Type/Page");
    w.WriteLine("/Parent " + PdfObjectWriter::ObjectRef(PagesObject));
    w.WriteLine("/MediaBox[ 0 0 " + FormatNumber(owner_.PageWidth() * UnitToPoints()) + " " +
                FormatNumber(owner_.PageHeight() * UnitToPoints()) + " ]");
    w.WriteLine("/Contents " + PdfObjectWriter::ObjectRef(contents));
    w.EndObject(">>");

    content_.clear();
    penPos_ = {};
}

void TPdfCanvas::FinishDocument()
{
    PdfObjectWriter& w = writer_;
    FinishPage();

    int outlines = 0;
    if (!outlineRoot_->Children().empty()) {
        int counter = w.ObjectCount();
        outlineRoot_->Number(counter);
        outlineRoot_->WriteOutlineItem(w);
        outlines = outlineRoot_->ObjectNumber();
    }
    int names = 0;
    if (!destinations_.empty())
        WriteDestinations(names);

    int encrypt = 0;
    if (PdfEncryption* e = w.Encryption()) {
        encrypt = w.BeginObject("<<");
        w.WriteLine("/Filter/Standard");
        w.WriteLine("/V 1");
        w.WriteLine("/R 2");
        w.WriteLine("/O " + HexString(e->OwnerValue()));
        w.WriteLine("/U " + HexString(e->UserValue()));
        w.WriteLine("/P " + FormatInteger(e->Permissions()));
        w.EndObject(">>");
    }

    const int catalog = w.BeginObject("<<");
    w.WriteLine("/Type/Catalog");
    w.WriteLine("/Pages " + PdfObjectWriter::ObjectRef(PagesObject));
    if (outlines > 0)
        w.WriteLine("/Outlines " + PdfObjectWriter::ObjectRef(outlines));
    if (names > 0)
        w.WriteLine("/Names " + PdfObjectWriter::ObjectRef(names));
    w.EndObject(">>");

    w.BeginReservedObject(PagesObject);
    w.WriteLine("/Type/Pages");
    w.WriteLine("/Kids[");
    for (int page : pageObjects_)
        w.WriteLine(PdfObjectWriter::ObjectRef(page));
    w.WriteLine("]");
    w.WriteLine("/Count " + FormatInteger(owner_.PageCount()));
    w.WriteLine("/Resources " + PdfObjectWriter::ObjectRef(ResourcesObject));
    w.EndObject(">>");

    w.BeginReservedObject(ResourcesObject);
    w.WriteLine("/ProcSet[/PDF/Text/ImageC]");
    w.WriteLine("/Font<<");
    for (std::size_t i = 0; i < fonts_.size(); ++i)
        w.WriteLine("/F" + FormatInteger(static_cast<long long>(i)) + " " +
                    PdfObjectWriter::ObjectRef(fonts_[i]->ObjectNumber()));
    w.WriteLine(">>");
    if (!images_.empty()) {
        w.WriteLine("/XObject <<");
        for (const auto& image : images_)
            w.WriteLine("/" + image->Name() + " " + PdfObjectWriter::ObjectRef(image->ObjectNumber()));
        w.WriteLine(" >>");
    }
    w.EndObject(">>");

    const std::uint64_t xref = w.Position();
    const std::string size = FormatInteger(w.ObjectCount() + 1);
    w.WriteLine("xref");
    w.WriteLine("0 " + size);
    w.WriteLine("0000000000 65535 f\r");
    for (std::uint64_t offset : w.Offsets())
        w.WriteLine(XrefOffset(offset) + " 00000 n\r");

    const std::string& id = owner_.FileIdentifier();
    w.WriteLine("trailer");
    w.WriteLine("<<");
    w.WriteLine("/Size " + size);
    w.WriteLine("/Root " + PdfObjectWriter::ObjectRef(catalog));
    w.WriteLine("/Info " + PdfObjectWriter::ObjectRef(1));
    w.WriteLine("/ID[(" + id + ")(" + id + ")]");
    if (encrypt > 0)
        w.WriteLine("/Encrypt " + PdfObjectWriter::ObjectRef(encrypt));
    w.WriteLine(">>");
    w.WriteLine("startxref");
    w.WriteLine(FormatInteger(static_cast<long long>(xref)));
    w.WriteLine("%%EOF");
}

void TPdfCanvas::AddDestination(const std::string& name, const TPdfDestination& dest)
{
    destinations_[name] = dest;
}

void TPdfCanvas::WriteDestinations(int& nameDictionary)
{
    PdfObjectWriter& w = writer_;
    for (auto& [name, dest] : destinations_) {
        // A page the document does not have cannot be referred to.
        if (dest.Page < 1 || dest.Page > static_cast<int>(pageObjects_.size()))
            owner_.RaiseError(msg::BadParameters, "Destination " + name);
        dest.ObjectNumber = w.BeginObject("<<");
        w.WriteLine("/D [" + PdfObjectWriter::ObjectRef(pageObjects_[std::size_t(dest.Page - 1)]) + " /XYZ " +
                    FormatNumber(ToPointsX(dest.X)) + " " + FormatNumber(ToPageY(dest.Y)) + " null ]");
        w.EndObject(">>");
    }
    const int tree = w.BeginObject("<<");
    std::string line = "/Names [";
    for (const auto& [name, dest] : destinations_)
        line += EncodeText(name, 0, tree) + PdfObjectWriter::ObjectRef(dest.ObjectNumber);
    w.WriteLine(line + "]");
    w.WriteLine("/Limits [" + EncodeText(destinations_.begin()->first, 0, tree) +
                EncodeText(destinations_.rbegin()->first, 0, tree) + "]");
    w.EndObject(">>");
    nameDictionary = w.BeginObject("<<");
    w.WriteLine("/Dests " + PdfObjectWriter::ObjectRef(tree));
    w.EndObject(">>");
}

void TPdfCanvas::Reset()
{
    images_.clear();
    fonts_.clear();
    faces_.clear();   // the next document may find its faces elsewhere
    styles_.clear();
    currentStyle_ = nullptr;
    outlineRoot_->ClearChildren();
    destinations_.clear();
    pageObjects_.clear();
    content_.clear();
    writer_.Reset();
    penPos_ = {};
    Font.Name = "Arial";
    Font.Size = 10;
    Font.Style = 0;
    Pen = TPen{};
    Brush = TBrush{};
}

} // namespace pdf
