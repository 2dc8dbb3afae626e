#pragma once
// A print job's page geometry as values: from the printer's capabilities
// and the job's page settings come the unit conversions, the rectangles of
// a page in printer pixels on the physical sheet ((0, 0) at its top-left
// corner), the sheet's size in the page unit and what the margins check
// finds and fixes. Nothing here asks the printer: the job reads it afresh
// for every question and passes what it read.
#include "platform/Canvas.h"
#include "platform/EnumSet.h"
#include "platform/Printer.h"

#include <cstdint>

namespace printing {

using plat::TRect;

enum TUnits : std::uint8_t { unPixels, unPercents, unInches, unMillimeters };
enum TJobOptions : std::uint8_t { joMargins, joHeader, joFooter };
using TJobOptionsSet = plat::EnumSet<TJobOptions, 3>;

// Four margins in the owning job's MarginsUnits. Writing the fields runs
// no check and no update: call the job's Update afterwards.
struct TMargins {
    double Left = 0;
    double Top = 0;
    double Right = 0;
    double Bottom = 0;
    friend bool operator==(const TMargins&, const TMargins&) = default;
};

// The sheet a job works on without a printer: 2000 x 3000 pixels at
// 300 dpi, printable all over.
inline constexpr plat::SheetGeometry NoPrinterSheet{300, 300, 2000, 3000, 0, 0, 2000, 3000, -1};

// What a job knows of its printer at one moment: whether there is one, and
// its sheet in its current orientation; without a printer the fallback.
struct PrinterCaps {
    bool available = false;
    plat::SheetGeometry sheet = NoPrinterSheet;

    double MmToPixels(bool vertical, double mm) const;   // not rounded
    double PixelsToMm(bool vertical, double px) const;   // not rounded
    // Through millimetres, each axis at its own resolution; base is the
    // length in pixels that percentages refer to. Not rounded.
    double ConvertUnitsExact(TUnits from, TUnits to, double value, bool vertical, double base) const;
    // The same, rounded half to even at the target unit's precision (pixels
    // whole, percent and inches 1/1000, mm 1/100), also when both units
    // are the same.
    double ConvertUnits(TUnits from, TUnits to, double value, bool vertical, double base) const;
};

// The part of the sheet the printer reaches, in sheet pixels: HORZRES x
// VERTRES from (PHYSICALOFFSETX, PHYSICALOFFSETY).
TRect PrintableArea(const plat::SheetGeometry& sheet);

// The job's settings its page rectangles derive from.
struct PageSettings {
    TUnits PageUnits = unPixels;
    double PageWidth = 0;
    double PageHeight = 0;
    TMargins Margins;
    TUnits MarginsUnits = unPixels;
    double Header = 0;
    TUnits HeaderUnits = unPixels;
    double Footer = 0;
    TUnits FooterUnits = unPixels;
    TJobOptionsSet Options;
};

// A page's rectangles in printer pixels on the sheet.
struct PageRects {
    // (0, 0, W, H): the page size in pixels; without a printer the
    // fallback sheet, whatever the settings say.
    TRect PageExtent;
    // (0, 0, HORZRES, VERTRES); without a printer the page extent.
    TRect PrintableExtent;
    // The page extent inset by the margins when joMargins is on.
    TRect MarginsRect;
    // The header band atop the margins rectangle; empty without joHeader.
    TRect HeaderRect;
    // The margins rectangle less the header and footer bands.
    TRect PageRect;
    // The footer band at the margins rectangle's bottom; empty without joFooter.
    TRect FooterRect;
    // The page rectangle cut to the printable extent, unshifted by the
    // printer's offsets.
    TRect PrintablePageRect;
    friend bool operator==(const PageRects&, const PageRects&) = default;
};

PageRects ComputePageRects(const PrinterCaps& caps, const PageSettings& page);

// The four margins converted between units, the percentages of the page
// extent's width (left, right) and height (top, bottom).
TMargins ConvertedMargins(const PrinterCaps& caps, const TRect& pageExtent, const TMargins& m, TUnits from,
                          TUnits to);

// The sheet's size in a unit: what PageWidth and PageHeight hold while the
// page size is the printer's (100 x 100 in percent).
struct SheetSize {
    double Width = 0;
    double Height = 0;
    friend bool operator==(const SheetSize&, const SheetSize&) = default;
};
SheetSize SheetSizeIn(const PrinterCaps& caps, TUnits units);

// The sides of the margins rectangle outside the printable area. On the
// printable edge is inside.
struct MarginSides {
    bool Left = false;
    bool Top = false;
    bool Right = false;
    bool Bottom = false;
    bool Any() const { return Left || Top || Right || Bottom; }
    friend bool operator==(const MarginSides&, const MarginSides&) = default;
};
MarginSides SidesOutside(const PrinterCaps& caps, const PageSettings& page);

// The settings' margins with the given sides moved onto the printable
// edge, in MarginsUnits; the other sides stay as they are.
TMargins FixedMargins(const PrinterCaps& caps, const PageSettings& page, MarginSides sides);

} // namespace printing
