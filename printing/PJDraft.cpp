#include "printing/PJDraft.h"

#include <QRect>
#include <QRegion>

#include <algorithm>

namespace printing {

using plat::DeviceCap;

namespace {

// Puts back the canvas's mapping and clipping found at construction.
class CanvasStateGuard {
public:
    explicit CanvasStateGuard(plat::Canvas& canvas)
        : canvas_(canvas),
          mode_(canvas.MapMode()),
          windowOrg_(canvas.WindowOrg()),
          viewportOrg_(canvas.ViewportOrg()),
          windowExt_(canvas.WindowExt()),
          viewportExt_(canvas.ViewportExt()),
          clip_(canvas.GetClip())
    {
    }
    ~CanvasStateGuard()
    {
        canvas_.SelectClip(clip_);
        canvas_.SetViewportOrg(viewportOrg_.X, viewportOrg_.Y);
        canvas_.SetWindowOrg(windowOrg_.X, windowOrg_.Y);
        canvas_.SetViewportExt(viewportExt_.cx, viewportExt_.cy);
        canvas_.SetWindowExt(windowExt_.cx, windowExt_.cy);
        canvas_.SetMapMode(mode_);
    }
    CanvasStateGuard(const CanvasStateGuard&) = delete;
    CanvasStateGuard& operator=(const CanvasStateGuard&) = delete;

    const plat::TClip& Clip() const { return clip_; }

private:
    plat::Canvas& canvas_;
    plat::TMapMode mode_;
    plat::TPoint windowOrg_, viewportOrg_;
    plat::TSize windowExt_, viewportExt_;
    plat::TClip clip_;
};

// Whether showing `source` would make `job` show itself, directly or
// through a chain of draft jobs.
bool LeadsTo(const TCustomPrintJob* source, const TCustomPrintJob* job)
{
    for (const TCustomPrintJob* j = source; j; ) {
        if (j == job)
            return true;
        const auto* draft = dynamic_cast<const TCustomDraftPrintJob*>(j);
        j = draft ? draft->PrintJob() : nullptr;
    }
    return false;
}

} // namespace

TCustomDraftPrintJob::~TCustomDraftPrintJob()
{
    if (source_)
        source_->UnregisterDraftJob(this);
}

void TCustomDraftPrintJob::SetPrintJob(TCustomPrintJob* J)
{
    // Refusing only a direct self-link would let A -> B -> A recurse in
    // DrawPage until the stack runs out.
    if (J && LeadsTo(J, this))
        throw EPrintJobException(DraftSelfLinkText);
    if (J == source_)
        return;
    if (source_)
        source_->UnregisterDraftJob(this);
    source_ = J;
    if (J)
        J->RegisterDraftJob(this);
    Update();
}

void TCustomDraftPrintJob::SetScale(int v)
{
    v = std::clamp(v, MinScale, MaxScale);
    if (v == scale_)
        return;
    scale_ = v;
    UpdateWithoutDraftNotify();
}

void TCustomDraftPrintJob::SetSeparators(bool v)
{
    if (v == separators_)
        return;
    separators_ = v;
    UpdateWithoutDraftNotify();
}

void TCustomDraftPrintJob::UpdateWithoutDraftNotify()
{
    DraftNotifyLockGuard lock(*this);
    Update();
}

void TCustomDraftPrintJob::PrintJobRemoved(TCustomPrintJob& job)
{
    if (&job == source_)
        SetPrintJob(nullptr);
}

void TCustomDraftPrintJob::Update()
{
    if (IsUpdateLocked())
        return;
    {
        // The setters' own updates return at once while the lock is held;
        // their page-size steps still run.
        UpdateLockGuard lock(*this);
        if (source_) {
            const int cells = scale_ * scale_;
            SetPageCount(source_->PageCount() / cells + (source_->PageCount() % cells != 0 ? 1 : 0));
            SetPageUnits(source_->PageUnits());
            SetPageMode(source_->PageMode());
            SetPageWidth(source_->PageWidth());
            SetPageHeight(source_->PageHeight());
            SetOrientation(source_->Orientation());
        }
    }
    DraftNotifyLockGuard lock(*this);
    TCustomPrintJob::Update();
}

TRect TCustomDraftPrintJob::CellsRect()
{
    if (!source_)
        return {};
    // The source's page size in pixels, whatever unit it keeps it in.
    const TRect page = source_->GetPageExtent();
    const TRect p = PrintableOnSheet();
    return {std::max(page.Left, p.Left), std::max(page.Top, p.Top), std::min(page.Right, p.Right),
            std::min(page.Bottom, p.Bottom)};
}

void TCustomDraftPrintJob::DrawPage(plat::Canvas& Canvas, int PageIndex, TDrawTarget Target)
{
    // An update the sources' drawing triggers on this job returns at once.
    UpdateLockGuard lock(*this);
    if (!source_)
        return;
    source_->UpdatePageSize();
    const TRect R = CellsRect();
    // A printable area that misses the page leaves no cell to draw into.
    if (R.Width() <= 0 || R.Height() <= 0)
        return;
    // The printer's origin is its printable corner: the cells, clips and
    // separators are sheet coordinates, moved once for the whole sheet.
    plat::TPoint shift;
    if (Target == dtPrinter)
        shift = {Cap(DeviceCap::PHYSICALOFFSETX), Cap(DeviceCap::PHYSICALOFFSETY)};
    DrawCells(Canvas, PageIndex, Target, R, shift);
    if (!separators_)
        return;
    const int rw = R.Width();
    const int rh = R.Height();
    for (int q = 1; q < scale_; ++q) {
        const int x = rw * q / scale_ + R.Left - shift.X;
        DrawSeparator(Canvas, {x, R.Top - shift.Y}, {x, R.Bottom - shift.Y});
        const int y = rh * q / scale_ + R.Top - shift.Y;
        DrawSeparator(Canvas, {R.Left - shift.X, y}, {R.Right - shift.X, y});
    }
}

void TCustomDraftPrintJob::DrawCells(plat::Canvas& Canvas, int PageIndex, TDrawTarget Target, const TRect& R,
                                     plat::TPoint shift)
{
    const TRect page = source_->GetPageExtent();
    const int rw = R.Width();
    const int rh = R.Height();
    const int cellW = rw / scale_;
    const int cellH = rh / scale_;
    CanvasStateGuard restore(Canvas);
    // A whole source page maps onto one cell.
    Canvas.SetMapMode(plat::mmAnisotropic);
    Canvas.SetWindowExt(page.Width(), page.Height());
    Canvas.SetViewportExt(cellW, cellH);
    // A source on the printer takes the offsets off its rectangles again;
    // the window origin gives them back, so it draws as on the sheet.
    Canvas.SetWindowOrg(-shift.X, -shift.Y);
    const int cells = scale_ * scale_;
    for (int k = 1; k <= cells; ++k) {
        const int n = cells * (PageIndex - 1) + k;
        if (n > source_->PageCount())
            break;
        const int c = (k - 1) % scale_;
        const int r = (k - 1) / scale_;
        const int left = c * rw / scale_ + R.Left - shift.X;
        const int top = r * rh / scale_ + R.Top - shift.Y;
        Canvas.SetViewportOrg(left, top);
        // Within the clipping in force, in device pixels.
        plat::TClip cell;
        const QRegion cellRegion(QRect(left, top, cellW, cellH));
        cell.region = restore.Clip().region ? restore.Clip().region->intersected(cellRegion) : cellRegion;
        Canvas.SelectClip(cell);
        source_->DrawPage(Canvas, n, Target);
    }
}

void TCustomDraftPrintJob::DrawSeparator(plat::Canvas& Canvas, const plat::TPoint& From, const plat::TPoint& To)
{
    struct RestoreTools {
        plat::Canvas& canvas;
        plat::TPen pen;
        plat::TBrush brush;
        ~RestoreTools()
        {
            canvas.Pen = pen;
            canvas.Brush = brush;
        }
    } restore{Canvas, Canvas.Pen, Canvas.Brush};
    Canvas.Brush.Style = plat::bsClear;
    Canvas.Pen.Style = plat::psDot;
    Canvas.Pen.Color = plat::clBlack;
    Canvas.Pen.Mode = plat::pmCopy;
    Canvas.MoveTo(From.X, From.Y);
    Canvas.LineTo(To.X, To.Y);
}

} // namespace printing
