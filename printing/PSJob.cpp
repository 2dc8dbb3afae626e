#include "printing/PSJob.h"

#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace printing {

using plat::DeviceCap;

namespace {

int Round(double v)
{
    return static_cast<int>(std::nearbyint(v));
}

// A bitmap's canvas has the screen's resolution, as the platform's bitmaps
// report it.
constexpr int BitmapDpi = 96;

// Product first, then the division truncating toward zero, in 64 bits.
int MulDivTrunc(int a, int b, int c)
{
    return c == 0 ? 0 : static_cast<int>(std::int64_t(a) * b / c);
}

std::string ApplicationTitle()
{
    return QGuiApplication::applicationDisplayName().toStdString();
}

} // namespace

TCustomPrintJob::TCustomPrintJob(plat::Printer& printer) : printer_(printer)
{
    UpdatePageSize();
}

TCustomPrintJob::~TCustomPrintJob()
{
    if (OnDestroy) {
        try {
            OnDestroy(*this);
        } catch (...) {
            // Destruction goes on whatever the handler wanted.
        }
    }
    // Whoever still shows this job forgets it now; each may unregister
    // itself while being told, so the lists are walked as copies.
    const auto drafts = draftJobs_;
    for (TCustomPrintJob* d : drafts)
        d->PrintJobRemoved(*this);
    const auto previews = previews_;
    for (TPreviewLink* p : previews)
        p->PrintJobRemoved(*this);
    draftJobs_.clear();
    previews_.clear();
}

void TCustomPrintJob::Loaded()
{
    loading_ = false;
    CheckMargins(margins_);
}

// ---- Properties ------------------------------------------------------------

void TCustomPrintJob::SetPageCount(int v)
{
    if (v < 1)
        v = 1;
    if (v == pageCount_)
        return;
    pageCount_ = v;
    Update();
}

void TCustomPrintJob::SetMargins(const TMargins& m)
{
    TMargins checked = m;
    CheckMargins(checked);
    margins_ = checked;
    Update();
}

void TCustomPrintJob::SetMarginsUnits(TUnits v)
{
    if (StoreIfChanged(marginsUnits_, v))
        Update();
}

void TCustomPrintJob::SetMarginsError(TMarginsError v)
{
    if (v == marginsError_)
        return;
    marginsError_ = v;
    if (v != meNone)
        CheckMargins(margins_);
}

void TCustomPrintJob::SetHeader(double v)
{
    if (StoreIfChanged(header_, v))
        Update();
}

void TCustomPrintJob::SetHeaderUnits(TUnits v)
{
    if (StoreIfChanged(headerUnits_, v))
        Update();
}

void TCustomPrintJob::SetFooter(double v)
{
    if (StoreIfChanged(footer_, v))
        Update();
}

void TCustomPrintJob::SetFooterUnits(TUnits v)
{
    if (StoreIfChanged(footerUnits_, v))
        Update();
}

void TCustomPrintJob::SetPageMode(TPageMode v)
{
    if (!StoreIfChanged(pageMode_, v))
        return;
    UpdatePageSize();
    Update();
}

void TCustomPrintJob::SetPageWidth(double v)
{
    if (v == pageWidth_)
        return;
    if (pageMode_ == pmCustom)
        pageWidth_ = v;
    else
        UpdatePageSize();   // the printer's sheet holds
    Update();
}

void TCustomPrintJob::SetPageHeight(double v)
{
    if (v == pageHeight_)
        return;
    if (pageMode_ == pmCustom)
        pageHeight_ = v;
    else
        UpdatePageSize();
    Update();
}

void TCustomPrintJob::SetPageUnits(TUnits v)
{
    if (!StoreIfChanged(pageUnits_, v))
        return;
    UpdatePageSize();
    Update();
}

void TCustomPrintJob::SetOrientation(TPageOrientation v)
{
    if (!StoreIfChanged(orientation_, v))
        return;
    UpdatePageSize();
    Update();
}

void TCustomPrintJob::SetOptions(TJobOptionsSet v)
{
    if (StoreIfChanged(options_, v))
        Update();
}

void TCustomPrintJob::SetRelativeCoords(bool v)
{
    if (StoreIfChanged(relativeCoords_, v))
        Update();
}

void TCustomPrintJob::SetDefaultDrawing(TDrawAreas v)
{
    if (StoreIfChanged(defaultDrawing_, v))
        Update();
}

// ---- The printer -------------------------------------------------------------

bool TCustomPrintJob::PrinterAvailable() const
{
    try {
        return printer_.HasDevice() && !printer_.Printers().empty();
    } catch (...) {
        return false;
    }
}

int TCustomPrintJob::Cap(DeviceCap cap) const
{
    return printer_.GetDeviceCaps(cap);
}

plat::SheetGeometry TCustomPrintJob::PrinterSheet() const
{
    plat::SheetGeometry s;
    s.dpiX = Cap(DeviceCap::LOGPIXELSX);
    s.dpiY = Cap(DeviceCap::LOGPIXELSY);
    s.width = Cap(DeviceCap::PHYSICALWIDTH);
    s.height = Cap(DeviceCap::PHYSICALHEIGHT);
    s.offsetX = Cap(DeviceCap::PHYSICALOFFSETX);
    s.offsetY = Cap(DeviceCap::PHYSICALOFFSETY);
    s.horzRes = Cap(DeviceCap::HORZRES);
    s.vertRes = Cap(DeviceCap::VERTRES);
    s.numColors = Cap(DeviceCap::NUMCOLORS);
    return s;
}

PrinterCaps TCustomPrintJob::Caps() const
{
    if (!PrinterAvailable())
        return {};
    return {true, PrinterSheet()};
}

int TCustomPrintJob::SheetCap(DeviceCap cap) const
{
    return PrinterAvailable() ? Cap(cap) : NoPrinterSheet.Cap(cap);
}

TRect TCustomPrintJob::PrintableOnSheet() const
{
    return PrintableArea(PrinterSheet());
}

int TCustomPrintJob::PrinterDpiX() const
{
    return SheetCap(DeviceCap::LOGPIXELSX);
}

int TCustomPrintJob::PrinterDpiY() const
{
    return SheetCap(DeviceCap::LOGPIXELSY);
}

int TCustomPrintJob::PhysicalPageWidth() const
{
    return SheetCap(DeviceCap::PHYSICALWIDTH);
}

int TCustomPrintJob::PhysicalPageHeight() const
{
    return SheetCap(DeviceCap::PHYSICALHEIGHT);
}

// ---- Units ---------------------------------------------------------------------

double TCustomPrintJob::MmToPixels(bool Vertical, double Mm) const
{
    return Caps().MmToPixels(Vertical, Mm);
}

double TCustomPrintJob::PixelsToMm(bool Vertical, double Px) const
{
    return Caps().PixelsToMm(Vertical, Px);
}

double TCustomPrintJob::ConvertUnits(TUnits FromUnits, TUnits ToUnits, double Value, bool Vertical,
                                     double Base) const
{
    return Caps().ConvertUnits(FromUnits, ToUnits, Value, Vertical, Base);
}

// ---- Rectangles --------------------------------------------------------------------

PageSettings TCustomPrintJob::Settings() const
{
    return {pageUnits_, pageWidth_,  pageHeight_, margins_,     marginsUnits_,
            header_,    headerUnits_, footer_,    footerUnits_, options_};
}

PageRects TCustomPrintJob::Rects()
{
    const PrinterCaps caps = Caps();
    if (!caps.available)
        StoreSheetSize(caps);
    return ComputePageRects(caps, Settings());
}

TRect TCustomPrintJob::GetPageExtent()
{
    return Rects().PageExtent;
}

TRect TCustomPrintJob::GetPrintableExtent()
{
    return Rects().PrintableExtent;
}

TRect TCustomPrintJob::GetMarginsRect()
{
    return Rects().MarginsRect;
}

// A band not in use asks nothing of the page, so it stores no fallback sheet.
TRect TCustomPrintJob::GetHeaderRect()
{
    return options_.Contains(joHeader) ? Rects().HeaderRect : TRect{};
}

TRect TCustomPrintJob::GetFooterRect()
{
    return options_.Contains(joFooter) ? Rects().FooterRect : TRect{};
}

TRect TCustomPrintJob::GetPageRect()
{
    return Rects().PageRect;
}

TRect TCustomPrintJob::GetPrintablePageRect()
{
    return Rects().PrintablePageRect;
}

// ---- Page size -------------------------------------------------------------------------

void TCustomPrintJob::StoreSheetSize(const PrinterCaps& caps)
{
    // A custom size is the user's: asking for the geometry without a
    // printer must not replace it with the fallback sheet.
    if (pageMode_ == pmCustom)
        return;
    const SheetSize sheet = SheetSizeIn(caps, pageUnits_);
    pageWidth_ = sheet.Width;
    pageHeight_ = sheet.Height;
}

void TCustomPrintJob::UpdatePageSize()
{
    if (PrinterAvailable() && orientation_ != orDefault && !printer_.Printing())
        printer_.SetOrientation(orientation_ == orLandscape ? plat::TPrinterOrientation::poLandscape
                                                            : plat::TPrinterOrientation::poPortrait);
    StoreSheetSize(Caps());
}

// ---- Margins check ---------------------------------------------------------------------

void TCustomPrintJob::CheckMargins(TMargins& M)
{
    if (loading_)
        return;
    if (marginsError_ == meNone || !PrinterAvailable())
        return;
    // Without margins in use the page is the whole sheet, which is outside
    // the printable area on any printer with borders: checking it would fix
    // margins nobody uses, ask on every update or refuse every update.
    if (!options_.Contains(joMargins))
        return;

    const PrinterCaps caps = Caps();
    PageSettings page = Settings();
    page.Margins = M;
    const MarginSides out = SidesOutside(caps, page);
    if (!out.Any())
        return;

    switch (marginsError_) {
    case meNone:
        return;
    case meAutoFix:
        break;
    case meMessageBox:
        if (plat::ShowMessage(std::string(MarginsOutsideText) + "\n" + FixMarginsQuestion,
                              ApplicationTitle(), plat::MsgIcon::Warning, plat::MsgButtons::YesNo)
            != plat::MsgResult::Yes)
            return;
        break;
    case meException:
        throw EPrintJobException(MarginsOutsideText);
    }
    M = FixedMargins(caps, page, out);
    margins_ = M;
}

// ---- Update cascade --------------------------------------------------------------------

void TCustomPrintJob::Update()
{
    DoUpdate();
}

void TCustomPrintJob::DoUpdate()
{
    if (IsUpdateLocked() || !PrinterAvailable())
        return;
    UpdatePageSize();
    CheckMargins(margins_);
    // Walked by index: a linked job or preview may unregister while it
    // updates.
    if (!IsDraftNotifyLocked()) {
        for (std::size_t i = 0; i < draftJobs_.size(); ++i) {
            try {
                draftJobs_[i]->Update();
            } catch (...) {
                // One failing draft job does not keep the others stale.
            }
        }
    }
    for (std::size_t i = 0; i < previews_.size(); ++i) {
        try {
            previews_[i]->Update();
        } catch (...) {
            // Nor does a failing preview.
        }
    }
    if (OnUpdate)
        OnUpdate(*this);
}

// ---- Links ------------------------------------------------------------------------------

void TCustomPrintJob::RegisterPreview(TPreviewLink* P)
{
    if (P && std::find(previews_.begin(), previews_.end(), P) == previews_.end())
        previews_.push_back(P);
}

void TCustomPrintJob::UnregisterPreview(TPreviewLink* P)
{
    std::erase(previews_, P);
}

void TCustomPrintJob::RegisterDraftJob(TCustomPrintJob* D)
{
    if (D && std::find(draftJobs_.begin(), draftJobs_.end(), D) == draftJobs_.end())
        draftJobs_.push_back(D);
}

void TCustomPrintJob::UnregisterDraftJob(TCustomPrintJob* D)
{
    std::erase(draftJobs_, D);
}

// ---- Drawing a page -------------------------------------------------------------------------

void TCustomPrintJob::PaintTo(plat::Canvas& Canvas, int PageIndex)
{
    DrawPage(Canvas, PageIndex, dtPaintTo);
}

void TCustomPrintJob::InitDraw(plat::Canvas& Canvas, TDrawTarget Target)
{
    Canvas.Font.Name = "Arial";
    Canvas.Font.Color = plat::clBlack;
    Canvas.Font.Style = 0;
    Canvas.Font.SetSize(10);
    Canvas.Pen.Color = plat::clBlack;
    Canvas.Pen.Mode = plat::pmCopy;
    Canvas.Pen.Style = plat::psSolid;
    Canvas.Pen.Width = 0;
    Canvas.Brush.Color = plat::clWhite;
    Canvas.Brush.Style = plat::bsSolid;
    Canvas.FillRect(GetPageExtent());
    if (OnInitDraw)
        OnInitDraw(*this, Canvas, Target);
}

void TCustomPrintJob::DrawPage(plat::Canvas& Canvas, int PageIndex, TDrawTarget Target)
{
    // A reduced mapping (the draft job's cells) scales every origin shift.
    double sx = 1, sy = 1;
    if (Canvas.MapMode() == plat::mmAnisotropic) {
        const plat::TSize window = Canvas.WindowExt();
        const plat::TSize viewport = Canvas.ViewportExt();
        if (window.cx != 0)
            sx = double(viewport.cx) / window.cx;
        if (window.cy != 0)
            sy = double(viewport.cy) / window.cy;
    }
    UpdatePageSize();
    // Point sizes mean printer points on every target.
    Canvas.Font.PixelsPerInch = PrinterDpiY();
    const plat::TPoint origin = Canvas.ViewportOrg();
    InitDraw(Canvas, Target);
    // The canvas applies its font, pen and brush at every call: nothing
    // needs selecting anew between the areas.
    DrawArea(Canvas, PageIndex, GetPageRect(), daPage, Target, origin, sx, sy);
    if (options_.Contains(joHeader))
        DrawArea(Canvas, PageIndex, GetHeaderRect(), daHeader, Target, origin, sx, sy);
    if (options_.Contains(joFooter))
        DrawArea(Canvas, PageIndex, GetFooterRect(), daFooter, Target, origin, sx, sy);
}

void TCustomPrintJob::DrawArea(plat::Canvas& Canvas, int PageIndex, TRect R, TDrawArea Area,
                               TDrawTarget Target, plat::TPoint origin, double sx, double sy)
{
    // The printer's origin is its printable corner, not the sheet's.
    if (Target == dtPrinter)
        SubtractPrinterOffset(R);
    auto draw = [&](const TRect& r) {
        if (defaultDrawing_.Contains(Area))
            DoDraw(Canvas, PageIndex, r, Area, Target);
        else if (OnDraw)
            OnDraw(*this, Canvas, PageIndex, r, Area, Target);
    };
    if (!relativeCoords_) {
        draw(R);
        return;
    }
    const plat::TPoint replaced =
        Canvas.SetViewportOrg(origin.X + Round(R.Left * sx), origin.Y + Round(R.Top * sy));
    struct RestoreOrigin {
        plat::Canvas& canvas;
        plat::TPoint origin;
        ~RestoreOrigin() { canvas.SetViewportOrg(origin.X, origin.Y); }
    } restore{Canvas, replaced};
    draw({0, 0, R.Width(), R.Height()});
}

void TCustomPrintJob::DoDraw(plat::Canvas& Canvas, int PageIndex, const TRect& Rect, TDrawArea Area,
                             TDrawTarget Target)
{
    if (OnDraw)
        OnDraw(*this, Canvas, PageIndex, Rect, Area, Target);
}

// ---- Events of the print loop ---------------------------------------------------------------

void TCustomPrintJob::DoPrinterSetupChange()
{
    if (OnPrinterSetupChange)
        OnPrinterSetupChange(*this);
}

bool TCustomPrintJob::DoAllowPrint()
{
    bool allow = true;
    if (OnAllowPrint)
        OnAllowPrint(*this, allow);
    return allow;
}

void TCustomPrintJob::DoStartPrint()
{
    if (OnStartPrint)
        OnStartPrint(*this);
}

void TCustomPrintJob::DoEndPrint()
{
    if (OnEndPrint)
        OnEndPrint(*this);
}

void TCustomPrintJob::DoPrintProgress(int Pos, int Min, int Max)
{
    if (OnPrintProgress)
        OnPrintProgress(*this, Pos, Min, Max);
}

void TCustomPrintJob::DoStartPrintPage(int PageIndex)
{
    if (OnStartPrintPage)
        OnStartPrintPage(*this, PageIndex);
}

void TCustomPrintJob::DoEndPrintPage(int PageIndex)
{
    if (OnEndPrintPage)
        OnEndPrintPage(*this, PageIndex);
}

// ---- Printing ---------------------------------------------------------------------------------

void TCustomPrintJob::Print()
{
    PrintRange(1, pageCount_, multiDoc_);
}

void TCustomPrintJob::Abort()
{
    abortRequested_ = true;
}

void TCustomPrintJob::PrintRange(int From, int To, bool MultiDoc)
{
    if (!DoAllowPrint())
        return;
    abortRequested_ = false;
    if (orientation_ == orPortrait)
        printer_.SetOrientation(plat::TPrinterOrientation::poPortrait);
    else if (orientation_ == orLandscape)
        printer_.SetOrientation(plat::TPrinterOrientation::poLandscape);
    printer_.SetTitle(title_);
    DoStartPrint();
    run_ = {From, To, MultiDoc};
    printer_.BeginRun();
    try {
        // A document the user cancelled (the PDF printer's file) ends the
        // run without pages.
        bool open = MultiDoc || printer_.BeginDoc();
        for (int page = From; open && page <= To; ++page) {
            if (abortRequested_) {
                abortRequested_ = false;
                break;
            }
            // The next sheet is started only for a page that follows: an
            // abort after a page leaves no blank sheet at the end.
            if (!MultiDoc && page > From)
                printer_.NewPage();
            open = PrintPage(page);
        }
        if (!MultiDoc && open)
            printer_.EndDoc();
    } catch (...) {
        // A failed page must not leave the document open: every later
        // print would fail on it. The run ends as an aborted one, then the
        // error goes on to the caller.
        try {
            printer_.Abort();
            printer_.EndRun();
        } catch (...) {
        }
        abortRequested_ = false;
        try {
            DoEndPrint();
        } catch (...) {
            // The first error is the one to report.
        }
        throw;
    }
    printer_.EndRun();
    DoEndPrint();
}

bool TCustomPrintJob::PrintPage(int PageIndex)
{
    if (run_.multiDoc && !printer_.BeginDoc())
        return false;
    DoStartPrintPage(PageIndex);
    DrawPage(printer_.PrinterCanvas(), PageIndex, dtPrinter);
    DoEndPrintPage(PageIndex);
    if (run_.multiDoc)
        printer_.EndDoc();
    DoPrintProgress(PageIndex - run_.from + 1, 1, run_.to - run_.from + 1);
    // The window stays alive, and a button may call Abort between pages.
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    return true;
}

void TCustomPrintJob::PrintDialog()
{
    plat::PrintDialogRequest request;
    request.printers = printer_.Printers();
    request.printer = printer_.PrinterIndex();
    request.minPage = 1;
    request.maxPage = pageCount_;
    request.fromPage = 1;
    request.toPage = pageCount_;
    const auto answer = plat::Dialogs().printDialog(request);
    if (!answer)
        return;
    if (answer->printer >= 0 && answer->printer != printer_.PrinterIndex())
        printer_.SetPrinterIndex(answer->printer);
    Update();
    abortRequested_ = false;
    printer_.SetTitle(title_);
    Update();
    DoPrinterSetupChange();
    // The updates recomputed the pages for the printer chosen: "all" means
    // all of them now, and a range the dialog offered is kept within them.
    int from = 1;
    int to = pageCount_;
    if (!answer->allPages) {
        from = std::max(1, answer->fromPage);
        to = std::min(pageCount_, answer->toPage);
    }
    PrintRange(from, to, multiDoc_);
}

void TCustomPrintJob::PrinterSetupDialog()
{
    plat::PrinterSetupRequest request;
    request.printers = printer_.Printers();
    request.printer = printer_.PrinterIndex();
    request.papers = [this](int index) { return printer_.Papers(index); };
    request.paper = printer_.CurrentPaper();
    request.landscape = printer_.Orientation() == plat::TPrinterOrientation::poLandscape;
    const auto answer = plat::Dialogs().printerSetupDialog(request);
    if (!answer)
        return;
    if (answer->printer >= 0 && answer->printer != printer_.PrinterIndex())
        printer_.SetPrinterIndex(answer->printer);
    if (answer->paper)
        printer_.SetPaper(*answer->paper);
    printer_.SetOrientation(answer->landscape ? plat::TPrinterOrientation::poLandscape
                                             : plat::TPrinterOrientation::poPortrait);
    Update();
    DoPrinterSetupChange();
    Update();
}

// ---- Bitmaps ----------------------------------------------------------------------------------

TRect TCustomPrintJob::BitmapRect(const TRect& R, const plat::Bitmap& Bitmap, TStretchMode StretchMode,
                                  TAlignHorizontal AlignHorizontal, TAlignVertical AlignVertical) const
{
    if (StretchMode == smStretch)
        return R;
    const int bw = Bitmap.width();
    const int bh = Bitmap.height();
    const int rw = R.Width();
    const int rh = R.Height();
    int w = 0;
    int h = 0;
    if (StretchMode == smFit) {
        // The largest size with the bitmap's aspect that fits R.
        w = rw;
        h = MulDivTrunc(bh, rw, bw);
        if (rh < h) {
            w = MulDivTrunc(bw, rh, bh);
            h = rh;
        }
    } else {
        w = MulDivTrunc(bw, PrinterDpiX(), BitmapDpi);
        h = MulDivTrunc(bh, PrinterDpiY(), BitmapDpi);
        struct Scale { int mul, div; };
        // sm75 is three quarters, as its name says.
        static constexpr Scale scales[] = {
            {1, 1}, {1, 1}, {1, 1}, {1, 2}, {3, 4}, {5, 4}, {3, 2}, {7, 4}, {2, 1},
        };
        const Scale s = scales[StretchMode];
        w = MulDivTrunc(w, s.mul, s.div);
        h = MulDivTrunc(h, s.mul, s.div);
    }
    int x = R.Left;
    if (AlignHorizontal == ahCenter)
        x = R.Left + (rw - w) / 2;
    else if (AlignHorizontal == ahRight)
        x = R.Right - w;
    int y = R.Top;
    if (AlignVertical == avCenter)
        y = R.Top + (rh - h) / 2;
    else if (AlignVertical == avBottom)
        y = R.Bottom - h;
    return {x, y, x + w, y + h};
}

void TCustomPrintJob::DrawBitmap(plat::Canvas& Canvas, const TRect& R, const plat::Bitmap& Bitmap,
                                 TStretchMode StretchMode, TAlignHorizontal AlignHorizontal,
                                 TAlignVertical AlignVertical, TDrawTarget Target)
{
    if (Bitmap.empty())
        return;
    StretchBitmap(Canvas, BitmapRect(R, Bitmap, StretchMode, AlignHorizontal, AlignVertical), Target,
                  Bitmap);
}

void TCustomPrintJob::StretchBitmap(plat::Canvas& Canvas, const TRect& R, TDrawTarget Target,
                                    const plat::Bitmap& Graphic)
{
    if (Target != dtPrinter) {
        Canvas.StretchDraw(R, Graphic);
        return;
    }
    // The device stretches the bitmap at its own resolution: no page-sized
    // copy at printer resolution is made.
    plat::Bitmap copy = Graphic;
    if (Cap(DeviceCap::NUMCOLORS) == 2)
        copy.setFormat(plat::PixelFormat::pf8bit);
    plat::Dib dib;
    if (!plat::MakeDib(copy, dib))
        return;
    Canvas.StretchDIBits(R.Left, R.Top, R.Width(), R.Height(), 0, 0, dib.info.biWidth, dib.info.biHeight,
                         dib, plat::SRCCOPY);
}

void TCustomPrintJob::SubtractPrinterOffset(TRect& R) const
{
    const int ox = Cap(DeviceCap::PHYSICALOFFSETX);
    const int oy = Cap(DeviceCap::PHYSICALOFFSETY);
    R = {R.Left - ox, R.Top - oy, R.Right - ox, R.Bottom - oy};
}

} // namespace printing
