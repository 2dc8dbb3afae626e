#pragma once
// The drawing surface of the PDF writer. Coordinates are in the component's
// length unit from the page's top-left corner; the canvas turns brush, pen
// and drawing calls into content-stream lines and writes the file's
// structure (header, pages, resources, cross-reference table, trailer).
// Its members are defined by part, each in a file named for it:
// PdfCanvas.cpp, PdfCanvasText.cpp, PdfCanvasImage.cpp and
// PdfCanvasStructure.cpp.
#include "pdf/PdfFormat.h"
#include "pdf/PdfImage.h"
#include "pdf/PdfStyle.h"
#include "pdf/PdfTypes.h"
#include "pdf/PdfWriter.h"
#include "platform/Bitmap.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plat {
class FontFace;
}

namespace pdf {

class TPdfVell;
class TPdfFont;

class TPdfCanvas {
public:
    // Resolution of the private measuring surface: natural image sizes and
    // text measurements convert pixels to length units at this rate.
    static constexpr int MeasureDpi = 96;

    explicit TPdfCanvas(TPdfVell& owner);
    ~TPdfCanvas();
    TPdfCanvas(const TPdfCanvas&) = delete;
    TPdfCanvas& operator=(const TPdfCanvas&) = delete;

    TPdfVell& Owner() const { return owner_; }

    // Settings; setting them writes nothing, drawing reads them.
    TBrush Brush;
    TPen Pen;
    TFont Font;
    std::uint16_t ImageResolution = 600;   // dpi for rasterising vector graphics
    bool AlwaysNewImage = false;

    int CharacterSpacing() const { return characterSpacing_; }
    // A change adds "<s in points> Tc" to the open page.
    void SetCharacterSpacing(int s);
    bool EnableOutput() const { return writer_.EnableOutput(); }
    void SetEnableOutput(bool on);   // refused while a document is open
    long double TextAngle() const { return textAngle_; }   // radians

    // Drawing. Each does nothing after Abort and raises "Document not
    // opened" when no document is open.
    void Polygon(std::span<const plat::TPoint> points);
    void Polygon(std::initializer_list<plat::TPoint> points)
    {
        Polygon(std::span<const plat::TPoint>(points.begin(), points.size()));
    }
    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    plat::TPoint PenPos() const { return penPos_; }

    // Text in the canvas's Font (PdfCanvasText.cpp). Y is the top of the
    // text; with a Hebrew or Arabic charset X is its right end.
    void TextOut(int X, int Y, const std::string& Text);
    // The text's extent in the length unit, measured as drawn (1 after Abort).
    int TextWidth(const std::string& Text);
    int TextHeight(const std::string& Text);
    // Makes the named style current: its font, character spacing and text
    // angle ("Invalid style name" for a name never defined). An empty name
    // restores the default font (Arial 10, default charset, black), no
    // spacing, no angle.
    void SetStyle(const std::string& name);
    TPdfStyle* CurrentStyle() const { return currentStyle_; }
    // The style of that name (any case); with create a new one is made when
    // there is none, else "Invalid style name". An empty name gives nullptr.
    TPdfStyle* FindStyle(const std::string& name, bool create);
    // The outline's root: its children are the top-level items.
    TBookmark& OutlineRoot() { return *outlineRoot_; }
    // Defines (or moves) a named destination.
    void AddDestination(const std::string& name, const TPdfDestination& dest);
    const std::map<std::string, TPdfDestination>& Destinations() const { return destinations_; }

    // Images: the bitmap drawn stretched into the rectangle (PdfCanvasImage.cpp).
    void StretchDraw(int X1, int Y1, int X2, int Y2, const plat::Bitmap* graphic);
    void StretchDraw(const plat::TRect& rect, const plat::Bitmap* graphic);
    // StretchDraw of a bitmap encoded beforehand with ImageEncoding(),
    // perhaps on another thread: always a new image. A failure of the
    // encoding is the writer's error, as it is in StretchDraw.
    void StretchDrawEncoded(const plat::TRect& rect, TPdfEncodedImage encoded);
    // The owner's image settings and the JPEG encoder now installed.
    TPdfImageEncoding ImageEncoding() const;

    // ---- For the canvas's resources (images, fonts) and their drawing code.

    // The usual checks: false when the document was abandoned (do nothing),
    // raises "Document not opened" when none is open, else true.
    bool BeginDrawing();
    long double ToPointsX(long double x) const;   // x in points
    long double ToPageY(long double y) const;     // (PageHeight - y) in points, from the bottom
    // Every page coordinate a drawing call writes goes through these. A
    // number beyond MaxPdfReal points lies beyond the largest page and is
    // one no PDF 1.3 reader takes: the call is refused with "Invalid
    // property value" and its name, as a page size beyond it is.
    long double CheckedPoints(long double points, const char* call);
    long double PagePointsX(long double x, const char* call) { return CheckedPoints(ToPointsX(x), call); }
    long double PagePointsY(long double y, const char* call) { return CheckedPoints(ToPageY(y), call); }
    // The size of Font in points (its magnitude), refused beyond what the
    // largest page holds: "Invalid property value: Font.Size".
    int FontSizePoints();
    long double UnitToPoints() const;
    long double PixelToUnit() const;
    // Writes the fill/stroke colour, dash and width lines that are needed and
    // returns the painting operator: "B", "S", "f" or "" (nothing to paint).
    std::string SetPaintState(bool penWanted, bool brushWanted);
    void AddContentLine(std::string line) { content_.push_back(std::move(line)); }
    // A horizontal line under or through text drawn at the baseline (bx, by)
    // in points: thickness and position per point of size, as long as the
    // text's width (in the length unit).
    void DecorationLine(long double thickness, long double position, long double size, long double bx,
                        long double by, int width);
    const std::vector<std::string>& ContentLines() const { return content_; }

    // Code-page bytes as a literal string: rtlSlot 1 or 2 reorders
    // right-to-left text; objectNumber > 0 encrypts it for that object when
    // the document is encrypted.
    std::string EncodeText(std::string_view bytes, int rtlSlot, int objectNumber);
    // A UTF-8 text as a text string of object objectNumber (information
    // entries): PDFDocEncoding where that holds every character, else
    // UTF-16BE with its byte-order mark; then as EncodeText.
    std::string TextString(std::string_view text, int objectNumber);

    // The document's font for f, created (and written) on its first use.
    TPdfFont& FindFont(const TFont& f);
    // The face text in f is measured with; nullptr when the system has no
    // font at all. Faces are kept for the canvas's lifetime.
    const plat::FontFace* MeasuringFace(const TFont& f);

    PdfObjectWriter& Writer() { return writer_; }

    // Images of the document in creation order; the canvas owns them until
    // the document is reset. New images take NextImageName().
    PdfPageResource& AddImage(std::unique_ptr<PdfPageResource> image);
    const std::vector<std::unique_ptr<PdfPageResource>>& Images() const { return images_; }
    std::string NextImageName() const;
    // Fonts in order of first use; font i is "/F<i>" in the resources.
    PdfPageResource& AddFont(std::unique_ptr<PdfPageResource> font);
    const std::vector<std::unique_ptr<PdfPageResource>>& Fonts() const { return fonts_; }

    // Object numbers of the pages written so far.
    const std::vector<int>& PageObjects() const { return pageObjects_; }

    // ---- The document's structure, driven by the component (PdfCanvasStructure.cpp).
    void WriteHeader(const PdfDateTime& created);
    void StartPage();
    void FinishPage();
    void FinishDocument();
    void WriteDestinations(int& nameDictionary);
    // Empties every document list and restores the default font, pen and brush.
    void Reset();

private:
    // Registers the image make() encodes; errors other than the writer's
    // become the writer's internal error, which abandons the document.
    TPdfImage& AddNewImage(const std::function<std::unique_ptr<TPdfImage>()>& make);

    TPdfVell& owner_;
    PdfObjectWriter writer_;
    std::vector<std::string> content_;
    std::vector<int> pageObjects_;
    std::vector<std::unique_ptr<PdfPageResource>> images_;
    std::vector<std::unique_ptr<PdfPageResource>> fonts_;
    std::map<std::string, std::unique_ptr<plat::FontFace>> faces_;
    std::vector<std::unique_ptr<TPdfStyle>> styles_;
    TPdfStyle* currentStyle_ = nullptr;
    std::unique_ptr<TBookmark> outlineRoot_;
    std::map<std::string, TPdfDestination> destinations_;
    plat::TPoint penPos_;
    int characterSpacing_ = 0;
    long double textAngle_ = 0;
};

} // namespace pdf
