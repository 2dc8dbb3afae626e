#include "printing/PageGeometry.h"

#include <algorithm>
#include <cmath>

namespace printing {

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

int Round(double v)
{
    return static_cast<int>(std::nearbyint(v));
}

double InchesToMm(double x)
{
    return x * 25.4;
}

double MmToInches(double x)
{
    return x / 25.4;
}

// The height of a band in pixels; percentages of the margins rectangle.
int BandHeight(const PrinterCaps& caps, double value, TUnits units, const TRect& marginsRect)
{
    return Round(caps.ConvertUnits(units, unPixels, value, true, marginsRect.Height()));
}

TRect MarginsRectOf(const PrinterCaps& caps, const PageSettings& page, const TRect& pageExtent)
{
    if (!page.Options.Contains(joMargins))
        return pageExtent;
    const TMargins px = ConvertedMargins(caps, pageExtent, page.Margins, page.MarginsUnits, unPixels);
    return {Round(pageExtent.Left + px.Left), Round(pageExtent.Top + px.Top), Round(pageExtent.Right - px.Right),
            Round(pageExtent.Bottom - px.Bottom)};
}

} // namespace

// ---- Units ---------------------------------------------------------------------

double PrinterCaps::MmToPixels(bool vertical, double mm) const
{
    return mm * (vertical ? sheet.dpiY : sheet.dpiX) / 25.4;
}

double PrinterCaps::PixelsToMm(bool vertical, double px) const
{
    return px * 25.4 / (vertical ? sheet.dpiY : sheet.dpiX);
}

double PrinterCaps::ConvertUnitsExact(TUnits from, TUnits to, double value, bool vertical, double base) const
{
    if (from == to)
        return value;
    double mm = value;
    switch (from) {
    case unPixels: mm = PixelsToMm(vertical, value); break;
    case unPercents: mm = PixelsToMm(vertical, value * base / 100); break;
    case unInches: mm = InchesToMm(value); break;
    case unMillimeters: break;
    }
    switch (to) {
    case unPixels: return MmToPixels(vertical, mm);
    // A percentage of nothing is nothing, not a division by zero.
    case unPercents: return base == 0 ? 0 : MmToPixels(vertical, mm) * 100 / base;
    case unInches: return MmToInches(mm);
    case unMillimeters: return mm;
    }
    return mm;
}

double PrinterCaps::ConvertUnits(TUnits from, TUnits to, double value, bool vertical, double base) const
{
    const double f = Precision(to);
    return std::nearbyint(ConvertUnitsExact(from, to, value, vertical, base) * f) / f;
}

TMargins ConvertedMargins(const PrinterCaps& caps, const TRect& pageExtent, const TMargins& m, TUnits from,
                          TUnits to)
{
    return {caps.ConvertUnits(from, to, m.Left, false, pageExtent.Right),
            caps.ConvertUnits(from, to, m.Top, true, pageExtent.Bottom),
            caps.ConvertUnits(from, to, m.Right, false, pageExtent.Right),
            caps.ConvertUnits(from, to, m.Bottom, true, pageExtent.Bottom)};
}

SheetSize SheetSizeIn(const PrinterCaps& caps, TUnits units)
{
    const int w = caps.sheet.width;
    const int h = caps.sheet.height;
    return {caps.ConvertUnits(unPixels, units, w, false, w), caps.ConvertUnits(unPixels, units, h, true, h)};
}

// ---- Rectangles --------------------------------------------------------------------

TRect PrintableArea(const plat::SheetGeometry& sheet)
{
    return {sheet.offsetX, sheet.offsetY, sheet.offsetX + sheet.horzRes, sheet.offsetY + sheet.vertRes};
}

PageRects ComputePageRects(const PrinterCaps& caps, const PageSettings& page)
{
    PageRects r;
    if (caps.available) {
        const int w = caps.sheet.width;
        const int h = caps.sheet.height;
        r.PageExtent = {0, 0, Round(caps.ConvertUnits(page.PageUnits, unPixels, page.PageWidth, false, w)),
                        Round(caps.ConvertUnits(page.PageUnits, unPixels, page.PageHeight, true, h))};
        r.PrintableExtent = {0, 0, caps.sheet.horzRes, caps.sheet.vertRes};
    } else {
        r.PageExtent = {0, 0, caps.sheet.width, caps.sheet.height};
        r.PrintableExtent = r.PageExtent;
    }
    r.MarginsRect = MarginsRectOf(caps, page, r.PageExtent);

    // Both bands are measured on the margins rectangle before either is
    // taken off.
    r.PageRect = r.MarginsRect;
    if (page.Options.Contains(joHeader)) {
        const int header = BandHeight(caps, page.Header, page.HeaderUnits, r.MarginsRect);
        r.HeaderRect = r.MarginsRect;
        r.HeaderRect.Bottom = r.MarginsRect.Top + header;
        r.PageRect.Top += header;
    }
    if (page.Options.Contains(joFooter)) {
        const int footer = BandHeight(caps, page.Footer, page.FooterUnits, r.MarginsRect);
        r.FooterRect = r.MarginsRect;
        r.FooterRect.Top = r.MarginsRect.Bottom - footer;
        r.PageRect.Bottom -= footer;
    }

    const TRect& p = r.PrintableExtent;
    r.PrintablePageRect = {std::max(r.PageRect.Left, p.Left), std::max(r.PageRect.Top, p.Top),
                           std::min(r.PageRect.Right, p.Right), std::min(r.PageRect.Bottom, p.Bottom)};
    return r;
}

// ---- Margins check ---------------------------------------------------------------------

MarginSides SidesOutside(const PrinterCaps& caps, const PageSettings& page)
{
    const TRect r = ComputePageRects(caps, page).MarginsRect;
    const TRect p = PrintableArea(caps.sheet);
    return {r.Left < p.Left, r.Top < p.Top, r.Right > p.Right, r.Bottom > p.Bottom};
}

TMargins FixedMargins(const PrinterCaps& caps, const PageSettings& page, MarginSides sides)
{
    const TRect p = PrintableArea(caps.sheet);
    const int sheetW = caps.sheet.width;
    const int sheetH = caps.sheet.height;
    const TUnits units = page.MarginsUnits;
    const double f = Precision(units);

    // Rounded toward the printable side: the nearest step of the unit may
    // lie inside the border again (13 px at 2400 dpi is 0.0054 in; 0.005 in
    // is 12 px), and the margin would be out after being fixed.
    auto inward = [&](int px, bool vertical, int base) {
        const double v = caps.ConvertUnitsExact(unPixels, units, px, vertical, base);
        return std::ceil(v * f - 1e-9) / f;
    };
    auto oneStepMore = [&](double& margin) { margin = (std::nearbyint(margin * f) + 1) / f; };
    PageSettings fixed = page;
    TMargins& M = fixed.Margins;
    if (sides.Left)
        M.Left = inward(p.Left, false, sheetW);
    if (sides.Top)
        M.Top = inward(p.Top, true, sheetH);
    if (sides.Right)
        M.Right = inward(sheetW - p.Right, false, sheetW);
    if (sides.Bottom)
        M.Bottom = inward(sheetH - p.Bottom, true, sheetH);

    // The page extent is the sheet rounded through PageUnits and may be a
    // pixel off it: step on until each fixed side is really inside.
    for (int i = 0; i < 8; ++i) {
        const MarginSides out = SidesOutside(caps, fixed);
        const bool l = sides.Left && out.Left;
        const bool t = sides.Top && out.Top;
        const bool rt = sides.Right && out.Right;
        const bool b = sides.Bottom && out.Bottom;
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
    return M;
}

} // namespace printing
