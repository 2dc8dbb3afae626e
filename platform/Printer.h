#pragma once
// The printer as the print jobs see it: the current printer of a list that
// dialogs may switch, its device capabilities in device pixels, and a
// document made of pages drawn through a Canvas. The geometry follows the
// platform the jobs were written for: the sheet's top-left corner is (0, 0)
// for the capabilities, but the canvas of a page has its origin at the
// corner of the printable area (PHYSICALOFFSETX, PHYSICALOFFSETY).
//
// Implementations: the Qt one over CUPS with its "PDF-Datei" printer
// (QtPrinter.h), and the fake one of the tests (FakePrinter.h).
#include "platform/Canvas.h"
#include "platform/Paper.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace plat {

// The device capabilities the print jobs ask for.
enum class DeviceCap {
    LOGPIXELSX,       // pixels per inch across
    LOGPIXELSY,       // pixels per inch down
    HORZRES,          // printable width in pixels
    VERTRES,          // printable height in pixels
    PHYSICALWIDTH,    // sheet width in pixels
    PHYSICALHEIGHT,   // sheet height in pixels
    PHYSICALOFFSETX,  // sheet's left edge to the printable area
    PHYSICALOFFSETY,  // sheet's top edge to the printable area
    NUMCOLORS,        // 2 on a black-and-white device
};

enum class TPrinterOrientation { poPortrait, poLandscape };

// A sheet as a device sees it, in its pixels.
struct SheetGeometry {
    int dpiX = 0, dpiY = 0;
    int width = 0, height = 0;          // the whole sheet
    int offsetX = 0, offsetY = 0;       // top-left corner of the printable area
    int horzRes = 0, vertRes = 0;       // the printable area's size
    int numColors = -1;                 // as the platform reports it; -1 above 256 colours

    // The same sheet turned to landscape. The page is turned a quarter
    // counter-clockwise on the paper, as drivers do by default: the
    // page's top lies along the paper's left edge, so the paper's left
    // border becomes the top one and its bottom border the left one.
    SheetGeometry Turned() const;
    int Cap(DeviceCap cap) const;
    friend bool operator==(const SheetGeometry&, const SheetGeometry&) = default;
};

// A failure of the printer object: no printer, a document already open,
// a device that refused a document or a page.
class EPrinter : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Printer {
public:
    virtual ~Printer() = default;

    // The installed printers in list order, and the current one (-1 when
    // the list is empty). Choosing another printer is refused while a
    // document is open.
    virtual std::vector<std::string> Printers() const = 0;
    virtual int PrinterIndex() const = 0;
    virtual void SetPrinterIndex(int index) = 0;

    // Whether the current printer can be drawn on at all; may throw when
    // the device cannot be asked.
    virtual bool HasDevice() const = 0;
    // A capability of the current printer in its current orientation; 0
    // when there is no device.
    virtual int GetDeviceCaps(DeviceCap cap) const = 0;

    // Turning the sheet swaps the axes of every capability. Refused while
    // a document is open.
    virtual TPrinterOrientation Orientation() const = 0;
    virtual void SetOrientation(TPrinterOrientation orientation) = 0;

    // The papers a printer of the list offers, and the current paper.
    // Choosing another printer keeps the paper when that printer has the
    // same sheet, else takes that printer's default paper (KeptPaper).
    virtual PaperList Papers(int printer) const = 0;
    virtual Paper CurrentPaper() const = 0;
    // The current printer's paper that is the same sheet; EPrinter when it
    // has none, or while a document is open.
    virtual void SetPaper(const Paper& paper) = 0;

    // A print run of one or more documents: the "PDF-Datei" printer asks
    // for its file once per run and numbers the files of further documents.
    virtual void BeginRun() {}
    virtual void EndRun() {}

    // The document name in the print queue.
    virtual std::string Title() const = 0;
    virtual void SetTitle(const std::string& title) = 0;

    // A document: BeginDoc opens it with its first page; NewPage starts
    // each further page; EndDoc sends it. BeginDoc answers false when the
    // user cancelled it (the file name of the "PDF-Datei" printer): then
    // no document is open and nothing is written. EPrinter on failure,
    // also for BeginDoc while a document is open.
    virtual bool BeginDoc() = 0;
    virtual void NewPage() = 0;
    virtual void EndDoc() = 0;
    // Ends the open document early, discarding what the device allows to
    // discard; nothing when no document is open.
    virtual void Abort() = 0;
    virtual bool Printing() const = 0;
    // The page being drawn, from 1; 0 outside a document.
    virtual int PageNumber() const = 0;

    // The canvas of the current page, origin at the printable corner;
    // unbound (every call does nothing) outside a document.
    virtual Canvas& PrinterCanvas() = 0;
};

// The printer object in force: the one installed, else a printer with an
// empty list and no device. The program installs its Qt printer at start;
// tests install a fake one.
Printer& ThePrinter();
// Installs a printer (not owned); nullptr goes back to none.
void SetPrinter(Printer* printer);
Printer* InstalledPrinter();

// Installs a printer for the lifetime of the guard, then restores the one
// installed before.
class ScopedPrinter {
public:
    explicit ScopedPrinter(Printer& printer) : previous_(InstalledPrinter()) { SetPrinter(&printer); }
    ~ScopedPrinter() { SetPrinter(previous_); }
    ScopedPrinter(const ScopedPrinter&) = delete;
    ScopedPrinter& operator=(const ScopedPrinter&) = delete;

private:
    Printer* previous_;
};

} // namespace plat
