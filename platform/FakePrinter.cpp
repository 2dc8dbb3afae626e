#include "platform/FakePrinter.h"

#include <cmath>

namespace plat {

FakePrinter::FakePrinter() : FakePrinter(std::vector<FakePrinterSetup>{FakePrinterSetup{}}) {}

FakePrinter::FakePrinter(std::vector<FakePrinterSetup> list)
    : printers(std::move(list)), canvas_(std::make_unique<Canvas>())
{
}

FakePrinter::~FakePrinter()
{
    canvas_->End();
}

SheetGeometry FakePrinter::Sheet() const
{
    if (printers.empty())
        return {};
    const SheetGeometry& s = printers[static_cast<std::size_t>(index_)].sheet;
    return orientation_ == TPrinterOrientation::poLandscape ? s.Turned() : s;
}

std::vector<std::string> FakePrinter::Printers() const
{
    std::vector<std::string> names;
    for (const auto& p : printers)
        names.push_back(p.name);
    return names;
}

void FakePrinter::SetPrinterIndex(int index)
{
    if (printing_)
        throw EPrinter("Der Drucker kann während des Druckens nicht gewechselt werden");
    if (index < 0 || index >= static_cast<int>(printers.size()))
        throw EPrinter("Druckerauswahl ungültig");
    index_ = index;
    log.push_back("Printer " + printers[static_cast<std::size_t>(index)].name);
    const PaperList list = Papers(index);
    if (const int kept = KeptPaper(list, paper_); kept >= 0)
        paper_ = list.papers[static_cast<std::size_t>(kept)];
}

bool FakePrinter::HasDevice() const
{
    if (throwOnHasDevice)
        throw EPrinter("Drucker antwortet nicht");
    return hasDevice && !printers.empty();
}

int FakePrinter::GetDeviceCaps(DeviceCap cap) const
{
    return HasDevice() ? Sheet().Cap(cap) : 0;
}

void FakePrinter::SetOrientation(TPrinterOrientation orientation)
{
    if (printing_)
        throw EPrinter("Die Ausrichtung kann während des Druckens nicht geändert werden");
    orientation_ = orientation;
    log.push_back(orientation == TPrinterOrientation::poLandscape ? "Orientation landscape"
                                                                  : "Orientation portrait");
}

PaperList FakePrinter::Papers(int printer) const
{
    if (printer < 0 || printer >= static_cast<int>(printers.size()))
        return {};
    const FakePrinterSetup& p = printers[static_cast<std::size_t>(printer)];
    return {p.papers, p.defaultPaper};
}

void FakePrinter::SetPaper(const Paper& paper)
{
    if (printing_)
        throw EPrinter("Das Papier kann während des Druckens nicht gewechselt werden");
    const std::vector<Paper> papers = Papers(index_).papers;
    const int found = FindPaper(papers, paper);
    if (found < 0)
        throw EPrinter("Das Papierformat " + paper.name + " gibt es auf diesem Drucker nicht");
    paper_ = papers[static_cast<std::size_t>(found)];
    log.push_back("Paper " + paper_.name);
}

void FakePrinter::SetTitle(const std::string& title)
{
    title_ = title;
    log.push_back("Title " + title);
}

bool FakePrinter::BeginDoc()
{
    if (printing_)
        throw EPrinter("Es ist bereits ein Druckauftrag offen");
    if (!HasDevice())
        throw EPrinter("Kein Drucker verfügbar");
    if (failBeginDoc)
        throw EPrinter("Druckauftrag abgelehnt");
    log.push_back("BeginDoc");
    if (cancelBeginDoc)
        return false;
    documents.push_back({printers[static_cast<std::size_t>(index_)].name, title_, {}, false, false});
    printing_ = true;
    pageNumber_ = 1;
    StartPage();
    return true;
}

void FakePrinter::NewPage()
{
    if (!printing_)
        throw EPrinter("Kein Druckauftrag offen");
    if (failNewPageAt == pageNumber_ + 1)
        throw EPrinter("Seite abgelehnt");
    log.push_back("NewPage");
    FinishPage();
    ++pageNumber_;
    StartPage();
}

void FakePrinter::EndDoc()
{
    if (!printing_)
        throw EPrinter("Kein Druckauftrag offen");
    if (failEndDoc)
        throw EPrinter("Druckauftrag abgelehnt");
    log.push_back("EndDoc");
    CloseDocument(false);
}

void FakePrinter::Abort()
{
    if (!printing_)
        return;
    log.push_back("Abort");
    CloseDocument(true);
}

void FakePrinter::CloseDocument(bool aborted)
{
    FinishPage();
    (aborted ? documents.back().aborted : documents.back().ended) = true;
    printing_ = false;
    pageNumber_ = 0;
}

void FakePrinter::StartPage()
{
    const SheetGeometry s = Sheet();
    // A fresh canvas per page, as a device context starts each page with
    // its defaults.
    canvas_ = std::make_unique<Canvas>();
    page_ = QImage(keepPages ? s.horzRes : 1, keepPages ? s.vertRes : 1, QImage::Format_RGB32);
    page_.fill(Qt::white);
    page_.setDotsPerMeterX(static_cast<int>(std::lround(s.dpiX / 0.0254)));
    page_.setDotsPerMeterY(static_cast<int>(std::lround(s.dpiY / 0.0254)));
    canvas_->Begin(&page_);
}

void FakePrinter::FinishPage()
{
    canvas_->End();
    canvas_ = std::make_unique<Canvas>();
    documents.back().pages.push_back(std::move(page_));
    page_ = QImage();
}

} // namespace plat
