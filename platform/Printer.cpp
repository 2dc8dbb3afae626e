#include "platform/Printer.h"

namespace plat {

SheetGeometry SheetGeometry::Turned() const
{
    SheetGeometry t = *this;
    t.dpiX = dpiY;
    t.dpiY = dpiX;
    t.width = height;
    t.height = width;
    t.offsetX = height - offsetY - vertRes;   // the bottom border
    t.offsetY = offsetX;                      // the left border
    t.horzRes = vertRes;
    t.vertRes = horzRes;
    return t;
}

int SheetGeometry::Cap(DeviceCap cap) const
{
    switch (cap) {
    case DeviceCap::LOGPIXELSX: return dpiX;
    case DeviceCap::LOGPIXELSY: return dpiY;
    case DeviceCap::HORZRES: return horzRes;
    case DeviceCap::VERTRES: return vertRes;
    case DeviceCap::PHYSICALWIDTH: return width;
    case DeviceCap::PHYSICALHEIGHT: return height;
    case DeviceCap::PHYSICALOFFSETX: return offsetX;
    case DeviceCap::PHYSICALOFFSETY: return offsetY;
    case DeviceCap::NUMCOLORS: return numColors;
    }
    return 0;
}

namespace {

// What the program sees before a printer is installed: no printer at all.
class NoPrinter final : public Printer {
public:
    std::vector<std::string> Printers() const override { return {}; }
    int PrinterIndex() const override { return -1; }
    void SetPrinterIndex(int) override { throw EPrinter("Kein Drucker installiert"); }
    bool HasDevice() const override { return false; }
    int GetDeviceCaps(DeviceCap) const override { return 0; }
    TPrinterOrientation Orientation() const override { return TPrinterOrientation::poPortrait; }
    void SetOrientation(TPrinterOrientation) override {}
    PaperList Papers(int) const override { return {}; }
    Paper CurrentPaper() const override { return {}; }
    void SetPaper(const Paper&) override {}
    std::string Title() const override { return title_; }
    void SetTitle(const std::string& title) override { title_ = title; }
    bool BeginDoc() override { throw EPrinter("Kein Drucker installiert"); }
    void NewPage() override { throw EPrinter("Kein Druckauftrag offen"); }
    void EndDoc() override { throw EPrinter("Kein Druckauftrag offen"); }
    void Abort() override {}
    bool Printing() const override { return false; }
    int PageNumber() const override { return 0; }
    Canvas& PrinterCanvas() override { return canvas_; }

private:
    std::string title_;
    Canvas canvas_;
};

Printer* gInstalled = nullptr;

} // namespace

Printer& ThePrinter()
{
    if (gInstalled)
        return *gInstalled;
    static NoPrinter none;
    return none;
}

void SetPrinter(Printer* printer)
{
    gInstalled = printer;
}

Printer* InstalledPrinter()
{
    return gInstalled;
}

} // namespace plat
