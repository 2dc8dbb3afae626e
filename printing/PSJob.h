#pragma once
// Print jobs: a document of PageCount pages described in terms of the
// printer the job is given. A job keeps the page size, the margins, a
// header and a footer band, and derives the rectangles of a page in printer
// pixels from them (PageGeometry.h): on the physical sheet, (0, 0) at its
// top-left corner. It checks the margins against the part of the sheet the
// printer reaches, and passes every change on to the draft jobs and
// preview controls that show its pages. What a page shows is drawn by the
// job's owner through events.
//
// Setters validate and then update, as the components they mirror do.
// Properties read from a stored configuration go between BeginLoad and
// Loaded: the margins are checked once, in Loaded.
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/EnumSet.h"
#include "platform/Printer.h"
#include "platform/StoreIfChanged.h"
#include "printing/PageGeometry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace printing {

using plat::StoreIfChanged;

enum TPageMode : std::uint8_t { pmDefault, pmCustom };
enum TPageOrientation : std::uint8_t { orDefault, orPortrait, orLandscape };
enum TMarginsError : std::uint8_t { meNone, meAutoFix, meMessageBox, meException };
enum TDrawArea : std::uint8_t { daHeader, daPage, daFooter };
// 1 is never passed.
enum TDrawTarget : std::uint8_t { dtPrinter = 0, dtPreview = 2, dtPaintTo = 3 };
enum TStretchMode : std::uint8_t { sm1x1, smFit, smStretch, sm50, sm75, sm125, sm150, sm175, sm200 };
enum TAlignHorizontal : std::uint8_t { ahLeft, ahCenter, ahRight };
enum TAlignVertical : std::uint8_t { avTop, avCenter, avBottom };

using TDrawAreas = plat::EnumSet<TDrawArea, 3>;

// The print system's error.
class EPrintJobException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The margins check's texts.
inline constexpr const char* MarginsOutsideText =
    "One or more margins are set outside the printable area of the page.";
inline constexpr const char* FixMarginsQuestion = "Do you want to fix them?";

class TCustomPrintJob;

using TNotifyEvent = std::function<void(TCustomPrintJob& Sender)>;
using TInitDrawEvent =
    std::function<void(TCustomPrintJob& Sender, plat::Canvas& TheCanvas, TDrawTarget Target)>;
using TDrawEvent = std::function<void(TCustomPrintJob& Sender, plat::Canvas& TheCanvas, int PageIndex,
                                      const TRect& TheRect, TDrawArea Area, TDrawTarget Target)>;
using TAllowEvent = std::function<void(TCustomPrintJob& Sender, bool& Allow)>;
using TPSProgressEvent = std::function<void(TCustomPrintJob& Sender, int Pos, int Min, int Max)>;
using TPageNotifyEvent = std::function<void(TCustomPrintJob& Sender, int PageIndex)>;

// What a job needs of a preview control that shows its pages. The control
// registers with the job (RegisterPreview) and unregisters when it is
// destroyed or shows another job; a job being destroyed tells it first.
class TPreviewLink {
public:
    // Lay out and render the page shown again.
    virtual void Update() = 0;
    // The job is being destroyed: forget it (unregistering is allowed).
    virtual void PrintJobRemoved(TCustomPrintJob& job) = 0;

protected:
    ~TPreviewLink() = default;
};

class TCustomPrintJob {
public:
    // The job prints on, and takes its geometry from, the printer given:
    // by default the one installed. OnCreate is not fired here, where a
    // derived job is not yet built: MakePrintJob fires it.
    explicit TCustomPrintJob(plat::Printer& printer = plat::ThePrinter());
    // Fires OnDestroy (what it throws is swallowed), then tells linked
    // draft jobs and previews that the job goes.
    virtual ~TCustomPrintJob();
    TCustomPrintJob(const TCustomPrintJob&) = delete;
    TCustomPrintJob& operator=(const TCustomPrintJob&) = delete;

    std::string Name;
    int Tag = 0;

    plat::Printer& Printer() const { return printer_; }

    // ---- Reading a stored configuration: setters check no margins in
    // between; Loaded checks them once.
    void BeginLoad() { loading_ = true; }
    virtual void Loaded();
    bool Loading() const { return loading_; }

    // ---- Properties.
    bool MultiDoc() const { return multiDoc_; }
    void SetMultiDoc(bool v) { multiDoc_ = v; }
    int PageCount() const { return pageCount_; }
    void SetPageCount(int v);                       // below 1 becomes 1
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& v) { title_ = v; }
    // Direct access to the four fields, as the board output writes them.
    TMargins& Margins() { return margins_; }
    const TMargins& Margins() const { return margins_; }
    void SetMargins(const TMargins& m);             // check, copy, Update
    TUnits MarginsUnits() const { return marginsUnits_; }
    void SetMarginsUnits(TUnits v);
    TMarginsError MarginsError() const { return marginsError_; }
    void SetMarginsError(TMarginsError v);          // checks, no Update
    double Header() const { return header_; }
    void SetHeader(double v);
    TUnits HeaderUnits() const { return headerUnits_; }
    void SetHeaderUnits(TUnits v);
    double Footer() const { return footer_; }
    void SetFooter(double v);
    TUnits FooterUnits() const { return footerUnits_; }
    void SetFooterUnits(TUnits v);
    TPageMode PageMode() const { return pageMode_; }
    void SetPageMode(TPageMode v);
    double PageWidth() const { return pageWidth_; }
    void SetPageWidth(double v);                    // taken only in pmCustom
    double PageHeight() const { return pageHeight_; }
    void SetPageHeight(double v);                   // taken only in pmCustom
    TUnits PageUnits() const { return pageUnits_; }
    void SetPageUnits(TUnits v);
    TPageOrientation Orientation() const { return orientation_; }
    void SetOrientation(TPageOrientation v);
    TJobOptionsSet Options() const { return options_; }
    void SetOptions(TJobOptionsSet v);
    bool RelativeCoords() const { return relativeCoords_; }
    void SetRelativeCoords(bool v);
    TDrawAreas DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(TDrawAreas v);

    // ---- Events; each fires only when assigned.
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TInitDrawEvent OnInitDraw;
    TDrawEvent OnDraw;
    TNotifyEvent OnPrinterSetupChange;
    TAllowEvent OnAllowPrint;
    TNotifyEvent OnStartPrint;
    TNotifyEvent OnEndPrint;
    TPSProgressEvent OnPrintProgress;
    TPageNotifyEvent OnStartPrintPage;
    TPageNotifyEvent OnEndPrintPage;
    TNotifyEvent OnUpdate;

    // ---- The job that draws a page; the base draws its own.
    virtual TCustomPrintJob* GetPrintJob(int PageIndex) { return this; }

    // ---- Drawing a page: the same on every target. Page indices run from
    // 1 to PageCount.
    // DrawPage on any canvas, as dtPaintTo.
    virtual void PaintTo(plat::Canvas& Canvas, int PageIndex);
    // Canvas defaults (Arial 10 pt, thin black pen, white brush), the page
    // filled white, then OnInitDraw.
    virtual void InitDraw(plat::Canvas& Canvas, TDrawTarget Target);
    // The page area, then the header and footer areas when in use. On the
    // printer the rectangles are moved by the printer's offsets: its origin
    // is the printable corner. With RelativeCoords each area is drawn with
    // its own top-left corner as the origin, scaled with the canvas's
    // current mapping.
    virtual void DrawPage(plat::Canvas& Canvas, int PageIndex, TDrawTarget Target);
    // The job's own drawing of an area in DefaultDrawing: fires OnDraw.
    virtual void DoDraw(plat::Canvas& Canvas, int PageIndex, const TRect& Rect, TDrawArea Area,
                        TDrawTarget Target);

    // ---- Events of the print loop and the dialogs.
    virtual void DoPrinterSetupChange();
    virtual bool DoAllowPrint();
    virtual void DoStartPrint();
    virtual void DoEndPrint();
    virtual void DoPrintProgress(int Pos, int Min, int Max);
    virtual void DoStartPrintPage(int PageIndex);
    virtual void DoEndPrintPage(int PageIndex);

    // ---- Printing.
    // All pages, as one document or one per page (MultiDoc).
    virtual void Print();
    // The print dialog with a page range; the chosen printer and range are
    // printed after the job was updated for that printer.
    virtual void PrintDialog();
    // The printer-setup dialog: printer, paper and orientation.
    virtual void PrinterSetupDialog();
    // Stops the print loop before its next page.
    virtual void Abort();
    bool AbortRequested() const { return abortRequested_; }
    // Pages From..To. An error while a page is drawn or sent abandons the
    // open document, ends the run (OnEndPrint fires) and is raised again.
    void PrintRange(int From, int To, bool MultiDoc);

    // ---- Bitmaps on a page.
    // Sizes the bitmap by the stretch mode and aligns it in R; nothing for
    // an empty bitmap. What lies outside R is the caller's to clip.
    void DrawBitmap(plat::Canvas& Canvas, const TRect& R, const plat::Bitmap& Bitmap,
                    TStretchMode StretchMode, TAlignHorizontal AlignHorizontal,
                    TAlignVertical AlignVertical, TDrawTarget Target);
    // The rectangle DrawBitmap places the bitmap in.
    TRect BitmapRect(const TRect& R, const plat::Bitmap& Bitmap, TStretchMode StretchMode,
                     TAlignHorizontal AlignHorizontal, TAlignVertical AlignVertical) const;
    // Draws the bitmap into R: on the printer as a device-independent
    // bitmap the device stretches (grey on a black-and-white device).
    void StretchBitmap(plat::Canvas& Canvas, const TRect& R, TDrawTarget Target,
                       const plat::Bitmap& Graphic);
    // R moved by (-PHYSICALOFFSETX, -PHYSICALOFFSETY).
    void SubtractPrinterOffset(TRect& R) const;

    // ---- Page rectangles in printer pixels on the sheet.
    // (0, 0, W, H): the page size in pixels; without a printer the
    // fallback sheet.
    virtual TRect GetPageExtent();
    // (0, 0, HORZRES, VERTRES); without a printer the page extent.
    virtual TRect GetPrintableExtent();
    // The page extent inset by the margins when joMargins is on.
    virtual TRect GetMarginsRect();
    // The header band atop the margins rectangle; empty without joHeader.
    virtual TRect GetHeaderRect();
    // The margins rectangle less the header and footer bands.
    virtual TRect GetPageRect();
    // The footer band at the margins rectangle's bottom; empty without joFooter.
    virtual TRect GetFooterRect();
    // The page rectangle cut to (0, 0, HORZRES, VERTRES), unshifted by the
    // printer's offsets: the tile grid of the board output rests on it.
    virtual TRect GetPrintablePageRect();

    // Takes the printer's orientation and, in pmDefault, its sheet size.
    virtual void UpdatePageSize();
    // A printer with a device and a non-empty printer list; false when
    // asking fails.
    virtual bool PrinterAvailable() const;
    // Recompute and notify: the base runs DoUpdate.
    virtual void Update();

    // ---- Units and the printer's geometry, as PrinterCaps has them.
    double ConvertUnits(TUnits FromUnits, TUnits ToUnits, double Value, bool Vertical, double Base) const;
    double MmToPixels(bool Vertical, double Mm) const;   // not rounded
    double PixelsToMm(bool Vertical, double Px) const;   // not rounded
    int PrinterDpiX() const;            // 300 without a printer
    int PrinterDpiY() const;
    int PhysicalPageWidth() const;      // 2000 without a printer
    int PhysicalPageHeight() const;     // 3000 without a printer
    // The printer as the geometry sees it now; the fallback sheet without one.
    PrinterCaps Caps() const;
    // The settings the page rectangles derive from.
    PageSettings Settings() const;

    // ---- Links. Registering twice adds once; unregistering what is not
    // there does nothing.
    void RegisterPreview(TPreviewLink* P);
    void UnregisterPreview(TPreviewLink* P);
    void RegisterDraftJob(TCustomPrintJob* D);
    void UnregisterDraftJob(TCustomPrintJob* D);
    const std::vector<TPreviewLink*>& Previews() const { return previews_; }
    const std::vector<TCustomPrintJob*>& DraftJobs() const { return draftJobs_; }

    // ---- Locks, raised and lowered in pairs (UpdateLockGuard,
    // DraftNotifyLockGuard).
    void LockUpdate() { ++updateLock_; }
    void UnlockUpdate() { if (updateLock_ > 0) --updateLock_; }
    bool IsUpdateLocked() const { return updateLock_ > 0; }
    void LockDraftNotify() { ++draftNotifyLock_; }
    void UnlockDraftNotify() { if (draftNotifyLock_ > 0) --draftNotifyLock_; }
    bool IsDraftNotifyLocked() const { return draftNotifyLock_ > 0; }

protected:
    // The margins check: tests M against the printable part of the sheet
    // and acts by MarginsError; a fix is written into M and into Margins.
    void CheckMargins(TMargins& M);
    // The cascade Update runs: page size, margins check, draft jobs,
    // previews (what each throws is swallowed), OnUpdate.
    virtual void DoUpdate();
    // The job this draft job shows is being destroyed.
    virtual void PrintJobRemoved(TCustomPrintJob& job) {}

    // A capability of the printer as it answers (0 without a device).
    int Cap(plat::DeviceCap cap) const;
    // The part of the sheet the printer reaches, in sheet pixels: HORZRES x
    // VERTRES from (PHYSICALOFFSETX, PHYSICALOFFSETY).
    TRect PrintableOnSheet() const;

    bool abortRequested_ = false;

private:
    // The printer's sheet as its capabilities give it.
    plat::SheetGeometry PrinterSheet() const;
    // A capability of the printer, or of the fallback sheet without one.
    int SheetCap(plat::DeviceCap cap) const;
    // All rectangles of the page; without a printer the page size is
    // first set to the fallback sheet (but for a custom size).
    PageRects Rects();
    void StoreSheetSize(const PrinterCaps& caps);
    void DrawArea(plat::Canvas& Canvas, int PageIndex, TRect R, TDrawArea Area, TDrawTarget Target,
                  plat::TPoint origin, double sx, double sy);
    bool PrintPage(int PageIndex);

    // The print run in progress.
    struct Run {
        int from = 0;
        int to = 0;
        bool multiDoc = false;
    };
    Run run_;

    plat::Printer& printer_;
    bool loading_ = false;
    int updateLock_ = 0;
    int draftNotifyLock_ = 0;
    std::vector<TPreviewLink*> previews_;
    std::vector<TCustomPrintJob*> draftJobs_;

    bool multiDoc_ = false;
    int pageCount_ = 1;
    std::string title_;
    TMargins margins_;
    TUnits marginsUnits_ = unPixels;
    TMarginsError marginsError_ = meAutoFix;
    double header_ = 0;
    TUnits headerUnits_ = unPixels;
    double footer_ = 0;
    TUnits footerUnits_ = unPixels;
    TPageMode pageMode_ = pmDefault;
    double pageWidth_ = 0;
    double pageHeight_ = 0;
    TUnits pageUnits_ = unPixels;
    TPageOrientation orientation_ = orDefault;
    TJobOptionsSet options_;
    bool relativeCoords_ = false;
    TDrawAreas defaultDrawing_{daHeader, daPage, daFooter};
};

// The job that publishes the base job's properties.
class TPrintJob : public TCustomPrintJob {
public:
    using TCustomPrintJob::TCustomPrintJob;
};

// Holds one of a job's locks for a scope, so it is lowered when an
// exception passes.
template <void (TCustomPrintJob::*Lock)(), void (TCustomPrintJob::*Unlock)()>
class JobLockGuard {
public:
    explicit JobLockGuard(TCustomPrintJob& job) : job_(job) { (job_.*Lock)(); }
    ~JobLockGuard() { (job_.*Unlock)(); }
    JobLockGuard(const JobLockGuard&) = delete;
    JobLockGuard& operator=(const JobLockGuard&) = delete;

private:
    TCustomPrintJob& job_;
};

using UpdateLockGuard = JobLockGuard<&TCustomPrintJob::LockUpdate, &TCustomPrintJob::UnlockUpdate>;
using DraftNotifyLockGuard = JobLockGuard<&TCustomPrintJob::LockDraftNotify, &TCustomPrintJob::UnlockDraftNotify>;

// A job of class Job built from args, with onCreate as its OnCreate handler,
// fired once the job is whole: the handler sees the derived job's own
// settings and overrides. What the handler throws propagates, and the job
// is destroyed as any other.
template <class Job, class... Args>
std::unique_ptr<Job> MakePrintJob(TNotifyEvent onCreate, Args&&... args)
{
    auto job = std::make_unique<Job>(std::forward<Args>(args)...);
    job->OnCreate = std::move(onCreate);
    if (job->OnCreate)
        job->OnCreate(*job);
    return job;
}

} // namespace printing
