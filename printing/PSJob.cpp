#include "printing/PSJob.h"

#include "platform/Dialogs.h"

#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace printing {

using plat::DeviceCap;

namespace {

// Steps per unit that a converted length keeps.
double Precision(TUnits units)
{
    switch (units) {
    case unPixels: return 1;
    case unPercents:
    case unInches: return 1000;
    case unMillimeters: return 100;
    }
    return 1;
}

// Half to even, at the unit's precision.
double RoundToUnit(double v, TUnits units)
{
    const double f = Precision(units);
    return std::nearbyint(v * f) / f;
}

int Round(double v)
{
    return static_cast<int>(std::nearbyint(v));
}

std::string ApplicationTitle()
{
    return QGuiApplication::applicationDisplayName().toStdString();
}

} // namespace

TCustomPrintJob::TCustomPrintJob(TNotifyEvent onCreate) : OnCreate(std::move(onCreate))
{
    UpdatePageSize();
    if (OnCreate)
        OnCreate(*this);
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
    if (Assign(marginsUnits_, v))
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
    if (Assign(header_, v))
        Update();
}

void TCustomPrintJob::SetHeaderUnits(TUnits v)
{
    if (Assign(headerUnits_, v))
        Update();
}

void TCustomPrintJob::SetFooter(double v)
{
    if (Assign(footer_, v))
        Update();
}

void TCustomPrintJob::SetFooterUnits(TUnits v)
{
    if (Assign(footerUnits_, v))
        Update();
}

void TCustomPrintJob::SetPageMode(TPageMode v)
{
    if (!Assign(pageMode_, v))
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
    if (!Assign(pageUnits_, v))
        return;
    UpdatePageSize();
    Update();
}

void TCustomPrintJob::SetOrientation(TPageOrientation v)
{
    if (!Assign(orientation_, v))
        return;
    UpdatePageSize();
    Update();
}

void TCustomPrintJob::SetOptions(TJobOptionsSet v)
{
    if (Assign(options_, v))
        Update();
}

void TCustomPrintJob::SetRelativeCoords(bool v)
{
    if (Assign(relativeCoords_, v))
        Update();
}

void TCustomPrintJob::SetDefaultDrawing(TDrawAreas v)
{
    if (Assign(defaultDrawing_, v))
        Update();
}

// ---- The printer -------------------------------------------------------------

bool TCustomPrintJob::PrinterAvailable() const
{
    try {
        plat::Printer& printer = plat::ThePrinter();
        return printer.HasDevice() && !printer.Printers().empty();
    } catch (...) {
        return false;
    }
}

int TCustomPrintJob::Cap(DeviceCap cap) const
{
    return plat::ThePrinter().GetDeviceCaps(cap);
}

int TCustomPrintJob::PrinterDpiX() const
{
    return PrinterAvailable() ? Cap(DeviceCap::LOGPIXELSX) : NoPrinterDpi;
}

int TCustomPrintJob::PrinterDpiY() const
{
    return PrinterAvailable() ? Cap(DeviceCap::LOGPIXELSY) : NoPrinterDpi;
}

int TCustomPrintJob::PhysicalPageWidth() const
{
    return PrinterAvailable() ? Cap(DeviceCap::PHYSICALWIDTH) : NoPrinterWidth;
}

int TCustomPrintJob::PhysicalPageHeight() const
{
    return PrinterAvailable() ? Cap(DeviceCap::PHYSICALHEIGHT) : NoPrinterHeight;
}

// ---- Units ---------------------------------------------------------------------

double TCustomPrintJob::MmToPixels(bool Vertical, double Mm) const
{
    return Mm * (Vertical ? PrinterDpiY() : PrinterDpiX()) / 25.4;
}

double TCustomPrintJob::PixelsToMm(bool Vertical, double Px) const
{
    return Px * 25.4 / (Vertical ? PrinterDpiY() : PrinterDpiX());
}

double TCustomPrintJob::ConvertUnitsExact(TUnits FromUnits, TUnits ToUnits, double Value,
                                          bool Vertical, double Base) const
{
    if (FromUnits == ToUnits)
        return Value;
    double mm = Value;
    switch (FromUnits) {
    case unPixels: mm = PixelsToMm(Vertical, Value); break;
    case unPercents: mm = PixelsToMm(Vertical, Value * Base / 100); break;
    case unInches: mm = InchesToMm(Value); break;
    case unMillimeters: break;
    }
    switch (ToUnits) {
    case unPixels: return MmToPixels(Vertical, mm);
    // A percentage of nothing is nothing, not a division by zero.
    case unPercents: return Base == 0 ? 0 : MmToPixels(Vertical, mm) * 100 / Base;
    case unInches: return MmToInches(mm);
    case unMillimeters: return mm;
    }
    return mm;
}

double TCustomPrintJob::ConvertUnits(TUnits FromUnits, TUnits ToUnits, double Value, bool Vertical,
                                     double Base) const
{
    return RoundToUnit(ConvertUnitsExact(FromUnits, ToUnits, Value, Vertical, Base), ToUnits);
}

void TCustomPrintJob::ConvertMargins(TMargins& M, TUnits FromUnits, TUnits ToUnits)
{
    const TRect page = GetPageExtent();
    M.Left = ConvertUnits(FromUnits, ToUnits, M.Left, false, page.Right);
    M.Right = ConvertUnits(FromUnits, ToUnits, M.Right, false, page.Right);
    M.Top = ConvertUnits(FromUnits, ToUnits, M.Top, true, page.Bottom);
    M.Bottom = ConvertUnits(FromUnits, ToUnits, M.Bottom, true, page.Bottom);
}

// ---- Rectangles --------------------------------------------------------------------

TRect TCustomPrintJob::GetPageExtent()
{
    if (!PrinterAvailable()) {
        StoreSheetSize();
        return {0, 0, NoPrinterWidth, NoPrinterHeight};
    }
    const int w = Round(ConvertUnits(pageUnits_, unPixels, pageWidth_, false, PhysicalPageWidth()));
    const int h = Round(ConvertUnits(pageUnits_, unPixels, pageHeight_, true, PhysicalPageHeight()));
    return {0, 0, w, h};
}

TRect TCustomPrintJob::GetPrintableExtent()
{
    if (!PrinterAvailable())
        return GetPageExtent();
    return {0, 0, Cap(DeviceCap::HORZRES), Cap(DeviceCap::VERTRES)};
}

TRect TCustomPrintJob::MarginsRectOf(const TMargins& M)
{
    TRect r = GetPageExtent();
    if (!options_.Contains(joMargins))
        return r;
    TMargins px = M;
    ConvertMargins(px, marginsUnits_, unPixels);
    r.Left = Round(r.Left + px.Left);
    r.Top = Round(r.Top + px.Top);
    r.Right = Round(r.Right - px.Right);
    r.Bottom = Round(r.Bottom - px.Bottom);
    return r;
}

TRect TCustomPrintJob::GetMarginsRect()
{
    return MarginsRectOf(margins_);
}

int TCustomPrintJob::BandHeight(double value, TUnits units, const TRect& marginsRect) const
{
    return Round(ConvertUnits(units, unPixels, value, true, marginsRect.Height()));
}

TRect TCustomPrintJob::GetHeaderRect()
{
    if (!options_.Contains(joHeader))
        return {};
    TRect r = GetMarginsRect();
    r.Bottom = r.Top + BandHeight(header_, headerUnits_, r);
    return r;
}

TRect TCustomPrintJob::GetFooterRect()
{
    if (!options_.Contains(joFooter))
        return {};
    TRect r = GetMarginsRect();
    r.Top = r.Bottom - BandHeight(footer_, footerUnits_, r);
    return r;
}

TRect TCustomPrintJob::GetPageRect()
{
    const TRect margins = GetMarginsRect();
    TRect r = margins;
    if (options_.Contains(joHeader))
        r.Top += BandHeight(header_, headerUnits_, margins);
    if (options_.Contains(joFooter))
        r.Bottom -= BandHeight(footer_, footerUnits_, margins);
    return r;
}

TRect TCustomPrintJob::GetPrintablePageRect()
{
    TRect r = GetPageRect();
    const TRect p = GetPrintableExtent();
    r.Left = std::max(r.Left, p.Left);
    r.Right = std::min(r.Right, p.Right);
    r.Bottom = std::min(r.Bottom, p.Bottom);
    r.Top = std::max(r.Top, p.Top);
    return r;
}

// ---- Page size -------------------------------------------------------------------------

void TCustomPrintJob::StoreSheetSize()
{
    // A custom size is the user's: asking for the geometry without a
    // printer must not replace it with the fallback sheet.
    if (pageMode_ == pmCustom)
        return;
    const int w = PhysicalPageWidth();
    const int h = PhysicalPageHeight();
    pageWidth_ = ConvertUnits(unPixels, pageUnits_, w, false, w);
    pageHeight_ = ConvertUnits(unPixels, pageUnits_, h, true, h);
}

void TCustomPrintJob::UpdatePageSize()
{
    if (PrinterAvailable() && orientation_ != orDefault) {
        plat::Printer& printer = plat::ThePrinter();
        if (!printer.Printing())
            printer.SetOrientation(orientation_ == orLandscape ? plat::TPrinterOrientation::poLandscape
                                                               : plat::TPrinterOrientation::poPortrait);
    }
    StoreSheetSize();
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

    const TRect r = MarginsRectOf(M);
    const int ox = Cap(DeviceCap::PHYSICALOFFSETX);
    const int oy = Cap(DeviceCap::PHYSICALOFFSETY);
    const int pw = Cap(DeviceCap::HORZRES);
    const int ph = Cap(DeviceCap::VERTRES);
    // On the printable edge is inside.
    const bool left = r.Left < ox;
    const bool top = r.Top < oy;
    const bool right = r.Right > ox + pw;
    const bool bottom = r.Bottom > oy + ph;
    if (!left && !top && !right && !bottom)
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
    FixMargins(M, left, top, right, bottom);
    margins_ = M;
}

void TCustomPrintJob::FixMargins(TMargins& M, bool left, bool top, bool right, bool bottom)
{
    const int ox = Cap(DeviceCap::PHYSICALOFFSETX);
    const int oy = Cap(DeviceCap::PHYSICALOFFSETY);
    const int pw = Cap(DeviceCap::HORZRES);
    const int ph = Cap(DeviceCap::VERTRES);
    const int sheetW = Cap(DeviceCap::PHYSICALWIDTH);
    const int sheetH = Cap(DeviceCap::PHYSICALHEIGHT);
    const double f = Precision(marginsUnits_);

    // Rounded toward the printable side: the nearest step of the unit may
    // lie inside the border again (13 px at 2400 dpi is 0.0054 in; 0.005 in
    // is 12 px), and the margin would be out after being fixed.
    auto inward = [&](int px, bool vertical, int base) {
        const double v = ConvertUnitsExact(unPixels, marginsUnits_, px, vertical, base);
        return std::ceil(v * f - 1e-9) / f;
    };
    auto oneStepMore = [&](double& margin) { margin = (std::nearbyint(margin * f) + 1) / f; };
    if (left)
        M.Left = inward(ox, false, sheetW);
    if (top)
        M.Top = inward(oy, true, sheetH);
    if (right)
        M.Right = inward(sheetW - (ox + pw), false, sheetW);
    if (bottom)
        M.Bottom = inward(sheetH - (oy + ph), true, sheetH);

    // The page extent is the sheet rounded through PageUnits and may be a
    // pixel off it: step on until each fixed side is really inside.
    for (int i = 0; i < 8; ++i) {
        const TRect r = MarginsRectOf(M);
        const bool l = left && r.Left < ox;
        const bool t = top && r.Top < oy;
        const bool rt = right && r.Right > ox + pw;
        const bool b = bottom && r.Bottom > oy + ph;
        if (!l && !t && !rt && !b)
            break;
        if (l)
            oneStepMore(M.Left);
        if (t)
            oneStepMore(M.Top);
        if (rt)
            oneStepMore(M.Right);
        if (b)
            oneStepMore(M.Bottom);
    }
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

} // namespace printing
