// The PDF canvas itself: its settings, the coordinates and their checks,
// the paint state, lines and polygons, text strings and the resource lists.
// Its text (PdfCanvasText.cpp), its images (PdfCanvasImage.cpp) and the
// file's structure (PdfCanvasStructure.cpp) are parts of their own.
#include "pdf/PdfCanvas.h"

#include "pdf/PdfVell.h"
#include "pdf/PdfFont.h"
#include "platform/fonts/FontFace.h"

#include <cmath>
#include <cstdlib>

namespace pdf {

TPdfCanvas::TPdfCanvas(TPdfVell& owner)
    : owner_(owner),
      writer_([this](const std::string& message, const std::string& detail) {
          owner_.RaiseError(message, detail);
      }),
      outlineRoot_(std::make_unique<TBookmark>(*this, nullptr))
{
    SetStyle({});
}

TPdfCanvas::~TPdfCanvas() = default;

void TPdfCanvas::SetCharacterSpacing(int s)
{
    if (s == characterSpacing_)
        return;
    characterSpacing_ = s;
    // Outside a document the value waits for the next page start, which
    // issues it again.
    if (owner_.Opened())
        AddContentLine(FormatNumber(s * UnitToPoints()) + " Tc");
}

void TPdfCanvas::SetEnableOutput(bool on)
{
    if (owner_.Opened())
        owner_.RaiseError(msg::CantModifyWhenOpened, "EnableOutput");
    writer_.SetEnableOutput(on);
}

bool TPdfCanvas::BeginDrawing()
{
    if (owner_.Aborted())
        return false;
    if (!owner_.Opened())
        owner_.RaiseError(msg::DocumentNotOpened);
    return true;
}

long double TPdfCanvas::UnitToPoints() const { return owner_.UnitToPoints(); }
long double TPdfCanvas::PixelToUnit() const { return owner_.PixelToUnit(); }

long double TPdfCanvas::ToPointsX(long double x) const
{
    return x * owner_.UnitToPoints();
}

long double TPdfCanvas::ToPageY(long double y) const
{
    return (owner_.PageHeight() - y) * owner_.UnitToPoints();
}

long double TPdfCanvas::CheckedPoints(long double points, const char* call)
{
    if (!(std::fabs(points) <= MaxPdfReal))
        owner_.RaiseError(msg::InvalidPropertyValue, call);
    return points;
}

int TPdfCanvas::FontSizePoints()
{
    // In 64 bits: the magnitude of INT_MIN is no int.
    const long long size = std::llabs(static_cast<long long>(Font.Size));
    if (size > static_cast<long long>(MaxPdfReal))
        owner_.RaiseError(msg::InvalidPropertyValue, "Font.Size");
    return static_cast<int>(size);
}

std::string TPdfCanvas::SetPaintState(bool penWanted, bool brushWanted)
{
    const bool fill = brushWanted && Brush.Style != TBrushStyle::bsClear;
    const bool stroke = penWanted && Pen.Style != TPenStyle::psClear && Pen.Width > 0;
    if (fill)
        AddContentLine(ColorToPdf(Brush.Color) + "rg");
    if (stroke) {
        AddContentLine(ColorToPdf(Pen.Color) + "RG");
        AddContentLine(Pen.Style == TPenStyle::psSolid ? "[]0 d" : "[3 3]0 d");
        AddContentLine(FormatNumber(Pen.Width * UnitToPoints()) + " w");
    }
    if (stroke && fill)
        return "B";
    if (stroke)
        return "S";
    if (fill)
        return "f";
    return {};
}

void TPdfCanvas::Polygon(std::span<const plat::TPoint> points)
{
    if (!BeginDrawing())
        return;
    if (points.size() < 2)
        owner_.RaiseError(msg::BadParameters, "Polygon");
    const std::string op = SetPaintState(true, true);
    if (op.empty())
        return;
    auto point = [this](const plat::TPoint& p) {
        return FormatNumber(PagePointsX(p.X, "Polygon")) + " " + FormatNumber(PagePointsY(p.Y, "Polygon"));
    };
    const std::string first = point(points[0]);
    AddContentLine(first + " m");
    for (std::size_t i = 1; i < points.size(); ++i)
        AddContentLine(point(points[i]) + " l");
    AddContentLine(first + " l");
    AddContentLine(op);
}

void TPdfCanvas::MoveTo(int X, int Y)
{
    if (!BeginDrawing())
        return;
    penPos_ = {X, Y};
}

void TPdfCanvas::LineTo(int X, int Y)
{
    if (!BeginDrawing())
        return;
    const std::string op = SetPaintState(true, false);
    if (!op.empty()) {
        AddContentLine(FormatNumber(PagePointsX(penPos_.X, "LineTo")) + " " +
                       FormatNumber(PagePointsY(penPos_.Y, "LineTo")) + " m");
        AddContentLine(FormatNumber(PagePointsX(X, "LineTo")) + " " + FormatNumber(PagePointsY(Y, "LineTo")) + " l S");
    }
    penPos_ = {X, Y};
}

std::string TPdfCanvas::EncodeText(std::string_view text, int rtlSlot, int objectNumber)
{
    std::string bytes(text);
    if (rtlSlot == 1 || rtlSlot == 2)
        bytes = ReorderRTL(bytes, SharedRtlTable().Flags[static_cast<std::size_t>(rtlSlot)]);
    if (objectNumber > 0 && writer_.Encryption()) {
        writer_.Encryption()->Crypt(objectNumber, reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
    }
    return EscapeLiteral(bytes);
}

std::string TPdfCanvas::TextString(std::string_view text, int objectNumber)
{
    return EncodeText(PdfTextStringBytes(text), 0, objectNumber);
}

PdfPageResource& TPdfCanvas::AddImage(std::unique_ptr<PdfPageResource> image)
{
    images_.push_back(std::move(image));
    return *images_.back();
}

std::string TPdfCanvas::NextImageName() const
{
    return "Im" + FormatInteger(static_cast<long long>(images_.size()));
}

PdfPageResource& TPdfCanvas::AddFont(std::unique_ptr<PdfPageResource> font)
{
    fonts_.push_back(std::move(font));
    return *fonts_.back();
}

} // namespace pdf
