#include "pdf/PdfVell.h"

#include "pdf/PdfPaper.h"
#include "platform/Codepage.h"
#include "platform/Paths.h"

#include <utility>

namespace pdf {

namespace {

// Runs its action when the scope ends, also when an exception passes.
template <class F>
struct Finally {
    F f;
    ~Finally() { f(); }
};
template <class F>
Finally(F) -> Finally<F>;

} // namespace

TPdfVell::TPdfVell()
    : canvas_(std::make_unique<TPdfCanvas>(*this)),
      nonEmbeddedFonts_{"Arial", "Courier New", "Symbol", "Times New Roman"},
      symbolFonts_{"Symbol", "Webdings", "Wingdings"}
{
    ResetState();
    SetFactors(lengthUnit_);
    // A locale value the table does not know must not keep the window from
    // being created: it gives A4.
    SetPaperSize(SanePaperIndex(LocalePaperSize()));
}

TPdfVell::~TPdfVell()
{
    try {
        Abort();
    } catch (...) {
    }
}

// ---- Properties

void TPdfVell::RefuseWhileOpen(const char* detail)
{
    if (opened_)
        RaiseError(msg::CantModifyWhenOpened, detail);
}

void TPdfVell::StoreString(std::string& field, const std::string& value, const char* detail)
{
    RefuseWhileOpen(detail);
    field = value;
}

void TPdfVell::SetAuthor(const std::string& v) { StoreString(author_, v, "Author"); }
void TPdfVell::SetFileName(const std::string& v) { StoreString(fileName_, v, "FileName"); }
void TPdfVell::SetKeywords(const std::string& v) { StoreString(keywords_, v, "Keywords"); }
void TPdfVell::SetProducer(const std::string& v) { StoreString(producer_, v, "Producer"); }
void TPdfVell::SetSubject(const std::string& v) { StoreString(subject_, v, "Subject"); }
void TPdfVell::SetTitle(const std::string& v) { StoreString(title_, v, "Title"); }

void TPdfVell::SetEmbedFonts(bool v)
{
    RefuseWhileOpen("EmbedFonts");
    embedFonts_ = v;
}

void TPdfVell::SetUserPassword(const std::string& password)
{
    StoreString(userPassword_, password, "UserPassword");
}

void TPdfVell::SetOwnerPassword(const std::string& password)
{
    StoreString(ownerPassword_, password, "OwnerPassword");
}

void TPdfVell::SetPermissions(const TPdfPermissions& p)
{
    RefuseWhileOpen("Permissions");
    permissions_ = p;
}

TPdfStyle& TPdfVell::DefineStyle(const std::string& name)
{
    if (name.empty())
        RaiseError(msg::InvalidStyleName);
    return *canvas_->FindStyle(name, true);
}

void TPdfVell::AddDestination(const std::string& name, int page, int x, int y)
{
    if (name.empty() || page < 1)
        RaiseError(msg::BadParameters, "AddDestination");
    canvas_->AddDestination(name, TPdfDestination{page, x, y, 0});
}

void TPdfVell::SetJpegQuality(int q)
{
    if (q < 1 || q > 100)
        RaiseError(msg::InvalidValueForProperty, "JpegQuality");
    jpegQuality_ = q;
}

void TPdfVell::SetFactors(TLengthUnit u)
{
    const long double d = TPdfCanvas::MeasureDpi;
    if (u == TLengthUnit::luPoint) {
        unitToPoints_ = 1.0L;
        pixelToUnit_ = 72.0L / d;
        tenthToUnit_ = 72.0L / 254.0L;
    } else {
        unitToPoints_ = 72.0L / 254.0L;
        pixelToUnit_ = 254.0L / d;
        tenthToUnit_ = 1.0L;
    }
}

void TPdfVell::SetLengthUnit(TLengthUnit u)
{
    RefuseWhileOpen("LengthUnit");
    SetFactors(u);
    if (u == TLengthUnit::luPoint && lengthUnit_ == TLengthUnit::luTenth) {
        pageHeight_ = RoundToInt(pageHeight_ * 72.0L / 254.0L);
        pageWidth_ = RoundToInt(pageWidth_ * 72.0L / 254.0L);
    } else if (u == TLengthUnit::luTenth && lengthUnit_ == TLengthUnit::luPoint) {
        pageHeight_ = RoundToInt(pageHeight_ * 254.0L / 72.0L);
        pageWidth_ = RoundToInt(pageWidth_ * 254.0L / 72.0L);
    }
    lengthUnit_ = u;
}

void TPdfVell::SetOrientation(TPrinterOrientation o)
{
    RefuseWhileOpen("Orientation (use NewSection method)");
    if (o != orientation_)
        std::swap(pageWidth_, pageHeight_);
    orientation_ = o;
}

void TPdfVell::SetPageHeight(int v)
{
    RefuseWhileOpen("PageHeight (use NewSection method)");
    pageHeight_ = v;
    paperSizeName_ = "Custom";
}

void TPdfVell::SetPageWidth(int v)
{
    RefuseWhileOpen("PageWidth (use NewSection method)");
    pageWidth_ = v;
    paperSizeName_ = "Custom";
}

void TPdfVell::SetPaperSize(int index)
{
    RefuseWhileOpen("PaperSize (use NewSection method)");
    if (index < 0 || index > PaperLast)
        RaiseError(msg::InvalidPropertyValue, "PaperSize");
    const PaperEntry& e = PaperTable()[static_cast<std::size_t>(index)];
    paperSizeName_ = e.Name;
    const int w = RoundToInt(e.Width * tenthToUnit_);
    const int h = RoundToInt(e.Height * tenthToUnit_);
    if (orientation_ == TPrinterOrientation::poPortrait) {
        pageWidth_ = w;
        pageHeight_ = h;
    } else {
        pageWidth_ = h;
        pageHeight_ = w;
    }
}

void TPdfVell::SetPaperSizeName(const std::string& name)
{
    RefuseWhileOpen("PaperSizeName (use NewSection method)");
    for (int i = 1; i <= PaperLast; ++i) {
        if (SameTextNoCase(PaperTable()[static_cast<std::size_t>(i)].Name, name)) {
            SetPaperSize(i);
            return;
        }
    }
    RaiseError(msg::InvalidPropertyValue, "PaperSizeName");
}

// ---- Life cycle

void TPdfVell::BeginDoc()
{
    if (opened_)
        RaiseError(msg::AlreadyOpen);
    // A size of zero or less would give an empty or inverted MediaBox; one
    // beyond MaxPdfReal points a number no reader takes.
    const auto fits = [this](int size) { return size > 0 && size * unitToPoints_ <= MaxPdfReal; };
    if (!fits(pageHeight_))
        RaiseError(msg::InvalidPropertyValue, "PageHeight");
    if (!fits(pageWidth_))
        RaiseError(msg::InvalidPropertyValue, "PageWidth");
    aborted_ = false;

    if (fileName_.empty())
        fileName_ = DefaultFileName;
    if (plat::ExtractFilePath(fileName_).empty())
        fileName_ = plat::JoinPath(plat::ProgramDir(), fileName_);

    bool locked = false;
    try {
        if (FileSystem->Exists(fileName_))
            FileSystem->Remove(fileName_);   // a failed deletion shows when the file is created
    } catch (...) {
        locked = true;
    }
    if (locked)
        RaiseError(msg::FileLocked, fileName_);

    output_ = FileSystem->Create(fileName_);
    if (!output_)
        RaiseError(msg::CantOpenFile, fileName_);

    opened_ = true;
    PdfObjectWriter& w = canvas_->Writer();
    w.Start(output_.get());

    const PdfDateTime now = Clock ? Clock() : LocalNow();
    fileIdentifier_ = pdf::FileIdentifier(now, fileName_);
    if (SecuritySetup) {
        encryption_ = SecuritySetup(fileIdentifier_);
    } else if (!userPassword_.empty() || !ownerPassword_.empty()) {
        // Passwords are bytes of the Windows ANSI page, as readers try them.
        encryption_ = std::make_unique<TStandardSecurity>(plat::Utf8ToCp1252(userPassword_),
                                                          plat::Utf8ToCp1252(ownerPassword_), permissions_,
                                                          fileIdentifier_);
    }
    w.SetEncryption(encryption_.get());

    canvas_->WriteHeader(now);
    pageCount_ = 0;
    if (OnStart)
        OnStart(*this);
    NewPage();
}

void TPdfVell::NewPage()
{
    if (aborted_)
        return;
    if (!opened_)
        RaiseError(msg::DocumentNotOpened);
    if (pageCount_ > 0)
        canvas_->FinishPage();
    canvas_->StartPage();
}

void TPdfVell::EndDoc()
{
    if (!opened_)
        return;
    canvas_->FinishDocument();
    // Bytes still buffered reach the disk only now; a full disk must not
    // end as a finished file.
    const bool closed = output_->Close();
    canvas_->Writer().Reset();
    output_.reset();
    if (!closed)
        RaiseError(msg::WriteError);
    {
        Finally reset{[this] { ResetState(); }};
        if (OnEnd)
            OnEnd(*this);
    }
    if (WantShow && canvas_->EnableOutput())
        ShowFile();
}

void TPdfVell::Abort()
{
    if (!opened_)
        return;
    canvas_->Writer().Reset();
    output_.reset();
    // The partial file goes even when the file system cannot tell whether
    // it is there.
    bool exists = true;
    try {
        exists = FileSystem->Exists(fileName_);
    } catch (...) {
    }
    try {
        if (exists)
            FileSystem->Remove(fileName_);
    } catch (...) {
    }
    aborted_ = true;
    // No longer open: an error raised by the handler must not abandon it twice.
    opened_ = false;
    Finally reset{[this] { ResetState(); }};
    if (OnAbort)
        OnAbort(*this);
}

void TPdfVell::ResetState()
{
    encryption_.reset();
    userPassword_.clear();
    ownerPassword_.clear();
    permissions_ = TPdfPermissions{};
    canvas_->Reset();
    opened_ = false;
}

void TPdfVell::RaiseError(const std::string& message, const std::string& detail)
{
    try {
        Abort();
    } catch (...) {
    }
    throw EPdfError(message, detail);
}

void TPdfVell::ShowWarning(const std::string& message, const std::string& detail)
{
    if (OnWarning)
        OnWarning(detail.empty() ? message : message + ": " + detail, WarningCaption);
}

void TPdfVell::ShowFile()
{
    // A file system that cannot test for the file is reported as BeginDoc
    // reports it, in the writer's own error.
    bool exists = false;
    try {
        exists = FileSystem->Exists(fileName_);
    } catch (...) {
        RaiseError(msg::FileLocked, fileName_);
    }
    if (!exists)
        RaiseError(msg::FileNotFound, fileName_);
    if (OnShowFile)
        OnShowFile(fileName_);
}

} // namespace pdf
