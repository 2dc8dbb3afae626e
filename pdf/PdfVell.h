#pragma once
// The PDF writer component: document settings, paper sizes and the life
// cycle of one PDF 1.3 file at a time. Set the properties, BeginDoc (which
// opens page 1), draw on Canvas(), NewPage between pages, EndDoc at the end.
// Every error abandons the open document (its file is deleted, OnAbort
// fires) and throws EPdfError; drawing, NewPage and EndDoc then do nothing
// until the next BeginDoc.
#include "pdf/PdfCanvas.h"
#include "pdf/PdfFormat.h"
#include "pdf/PdfImage.h"   // TPdfCompressMode
#include "pdf/PdfOutput.h"
#include "pdf/PdfSecurity.h"
#include "pdf/PdfStyle.h"
#include "pdf/PdfTypes.h"
#include "pdf/PdfWriter.h"
#include "platform/fonts/FontFace.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pdf {

class TPdfVell {
public:
    static constexpr const char* AboutText = "Ormavent Quillmark version 2.1";
    static constexpr const char* DefaultFileName = "File.pdf";
    static constexpr const char* WarningCaption = "Quillmark";

    TPdfVell();
    ~TPdfVell();   // abandons an open document
    TPdfVell(const TPdfVell&) = delete;
    TPdfVell& operator=(const TPdfVell&) = delete;

    // ---- Properties. Setters marked "refused while open" abandon the open
    // document and raise "Can't modify property when opened".
    std::string About() const { return AboutText; }
    void SetAbout(const std::string&) {}   // the text is fixed
    const std::string& Author() const { return author_; }
    void SetAuthor(const std::string& v);          // refused while open
    bool EmbedFonts() const { return embedFonts_; }
    void SetEmbedFonts(bool v);                    // refused while open
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& v);        // refused while open
    TPdfCompressMode ImageCompressMode() const { return compressMode_; }
    void SetImageCompressMode(TPdfCompressMode m) { compressMode_ = m; }
    int JpegQuality() const { return jpegQuality_; }
    void SetJpegQuality(int q);                    // 1..100
    const std::string& Keywords() const { return keywords_; }
    void SetKeywords(const std::string& v);        // refused while open
    TLengthUnit LengthUnit() const { return lengthUnit_; }
    void SetLengthUnit(TLengthUnit u);             // refused while open; converts the page size
    const std::vector<std::string>& NonEmbeddedFonts() const { return nonEmbeddedFonts_; }
    void SetNonEmbeddedFonts(std::vector<std::string> names) { nonEmbeddedFonts_ = std::move(names); }
    TPrinterOrientation Orientation() const { return orientation_; }
    void SetOrientation(TPrinterOrientation o);    // refused while open; a change swaps width and height
    int PageHeight() const { return pageHeight_; }
    void SetPageHeight(int v);                     // refused while open; paper becomes "Custom"
    int PageWidth() const { return pageWidth_; }
    void SetPageWidth(int v);                      // refused while open; paper becomes "Custom"
    const std::string& PaperSizeName() const { return paperSizeName_; }
    void SetPaperSizeName(const std::string& name); // refused while open; case-insensitive table name
    void SetPaperSize(int index);                  // refused while open; table index 0..41
    const std::string& Producer() const { return producer_; }
    void SetProducer(const std::string& v);        // refused while open; empty writes About
    const std::string& Subject() const { return subject_; }
    void SetSubject(const std::string& v);         // refused while open
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& v);           // refused while open

    // ---- Security. A user or owner password encrypts the next document
    // with the standard security handler (40-bit RC4): readers ask for the
    // user password and allow what the permissions say; the owner password
    // opens everything. Refused while open; like every per-document
    // setting they are cleared when a document ends or is abandoned.
    void SetUserPassword(const std::string& password);
    void SetOwnerPassword(const std::string& password);
    void SetPermissions(const TPdfPermissions& p);
    const TPdfPermissions& Permissions() const { return permissions_; }
    // The document being written is encrypted.
    bool Encrypted() const { return canvas_->Writer().Encryption() != nullptr; }

    // ---- Styles, outline and named destinations of the document; EndDoc
    // and Abort drop them. Canvas().SetStyle(name) applies a style.
    // The style of that name (letters in any case), made when there is none.
    TPdfStyle& DefineStyle(const std::string& name);
    // The outline's root; Outline().Add(title, page) adds a top-level item.
    TBookmark& Outline() { return canvas_->OutlineRoot(); }
    // Names a place: page from 1, x and y in the length unit from the page's
    // top-left corner. A second definition of a name moves it.
    void AddDestination(const std::string& name, int page, int x, int y);

    bool SmartStretchDraw = true;
    bool WantShow = false;   // open the finished file with the shell

    std::function<void(TPdfVell&)> OnStart;
    std::function<void(TPdfVell&)> OnEnd;
    std::function<void(TPdfVell&)> OnAbort;
    std::function<void(TPdfCanvas&)> OnNewPage;
    // What the component asks of the desktop; the program supplies both, the
    // writer itself opens no window. Unset, a warning is dropped and the
    // finished file stays closed.
    std::function<void(const std::string& text, const std::string& caption)> OnWarning;
    std::function<void(const std::string& fileName)> OnShowFile;

    TPdfCanvas& Canvas() { return *canvas_; }
    const std::vector<std::string>& SymbolFonts() const { return symbolFonts_; }   // sorted

    // ---- Life cycle.
    void BeginDoc();
    void NewPage();
    void EndDoc();
    void Abort();

    // Abandons the open document, then throws EPdfError(message, detail).
    [[noreturn]] void RaiseError(const std::string& message, const std::string& detail = {});
    // A warning (shown in a box captioned "Quillmark"); the document goes on.
    void ShowWarning(const std::string& message, const std::string& detail = {});
    // Hands the finished file to the desktop; "File not found" when it is gone.
    void ShowFile();

    bool Opened() const { return opened_; }
    bool Aborted() const { return aborted_; }
    int PageCount() const { return pageCount_; }
    const std::string& FileIdentifier() const { return fileIdentifier_; }

    // Conversion factors of the length unit.
    long double UnitToPoints() const { return unitToPoints_; }
    long double PixelToUnit() const { return pixelToUnit_; }
    long double TenthToUnit() const { return tenthToUnit_; }

    // ---- Environment. The defaults are the real clock and file system and
    // no event pump; tests and the main window replace them.
    std::function<PdfDateTime()> Clock = LocalNow;
    PdfFileSystem* FileSystem = &PosixFileSystem();
    // Runs pending window messages once at every page start.
    std::function<void()> ProcessMessages;
    // Called by BeginDoc with the file identifier; a handler returned here
    // encrypts the document in place of the standard one. Unset: documents
    // are encrypted when a password is set.
    std::function<std::unique_ptr<PdfEncryption>(const std::string& fileIdentifier)> SecuritySetup;
    // Finds the face for a font's name, bold and italic; nullptr when there
    // is none. The canvas keeps each face it was given.
    std::function<std::unique_ptr<plat::FontFace>(const std::string& name, bool bold, bool italic)> FontMatcher =
        plat::FontFace::Match;

private:
    friend class TPdfCanvas;

    void ResetState();
    void RefuseWhileOpen(const char* detail);
    void StoreString(std::string& field, const std::string& value, const char* detail);
    void SetFactors(TLengthUnit u);

    std::unique_ptr<TPdfCanvas> canvas_;
    std::string author_, fileName_, keywords_, producer_, subject_, title_;
    std::string paperSizeName_;
    bool embedFonts_ = false;
    TPdfCompressMode compressMode_ = TPdfCompressMode::cpJpeg;
    int jpegQuality_ = 90;
    TLengthUnit lengthUnit_ = TLengthUnit::luTenth;
    TPrinterOrientation orientation_ = TPrinterOrientation::poPortrait;
    int pageWidth_ = 0, pageHeight_ = 0;
    std::vector<std::string> nonEmbeddedFonts_;
    std::vector<std::string> symbolFonts_;

    long double unitToPoints_ = 72.0L / 254.0L;
    long double pixelToUnit_ = 254.0L / TPdfCanvas::MeasureDpi;
    long double tenthToUnit_ = 1.0L;

    bool opened_ = false;
    bool aborted_ = false;
    int pageCount_ = 0;
    std::unique_ptr<PdfOutput> output_;
    std::string fileIdentifier_;
    std::unique_ptr<PdfEncryption> encryption_;
    std::string userPassword_, ownerPassword_;
    TPdfPermissions permissions_;
};

} // namespace pdf
