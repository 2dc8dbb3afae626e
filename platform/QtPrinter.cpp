#include "platform/QtPrinter.h"

#include "platform/Dialogs.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>

namespace plat {

namespace {

int PointsToPixels(double points)
{
    return static_cast<int>(std::nearbyint(points * QtPrinter::Resolution / 72.0));
}

} // namespace

QtPrinter::QtPrinter(bool withPdfPrinter)
    : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)), withPdf_(withPdfPrinter)
{
    Refresh();
}

QtPrinter::~QtPrinter()
{
    Abort();
}

void QtPrinter::Refresh()
{
    const std::string current = index_ >= 0 ? names_[static_cast<std::size_t>(index_)] : std::string();
    names_.clear();
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        names_.push_back(name.toStdString());
    queueCount_ = static_cast<int>(names_.size());
    if (withPdf_)
        names_.push_back(PdfPrinterName);

    auto find = [this](const std::string& name) {
        const auto it = std::find(names_.begin(), names_.end(), name);
        return it == names_.end() ? -1 : static_cast<int>(it - names_.begin());
    };
    int index = current.empty() ? -1 : find(current);
    if (index < 0)
        index = find(QPrinterInfo::defaultPrinterName().toStdString());
    if (index < 0 && !names_.empty())
        index = 0;
    index_ = -1;
    if (index >= 0)
        Select(index);
}

void QtPrinter::Select(int index)
{
    const QPageLayout::Orientation orientation = printer_->pageLayout().orientation();
    if (index < queueCount_) {
        printer_->setOutputFormat(QPrinter::NativeFormat);
        printer_->setPrinterName(QString::fromStdString(names_[static_cast<std::size_t>(index)]));
    } else if (!IsPdfPrinter() || index_ < 0) {
        printer_->setOutputFormat(QPrinter::PdfFormat);
        // The sheet a German user expects from a file printer.
        printer_->setPageSize(QPageSize(QPageSize::A4));
    }
    index_ = index;
    printer_->setPageOrientation(orientation);
    Configure();
}

void QtPrinter::Configure()
{
    // Set after every change of printer: the device may have brought its
    // own resolution along.
    printer_->setResolution(Resolution);
    // Qt draws on the whole sheet; the printable area is the layer's own.
    printer_->setFullPage(true);
}

void QtPrinter::Adopt()
{
    if (printing_)
        return;
    int index = -1;
    if (printer_->outputFormat() == QPrinter::PdfFormat) {
        if (withPdf_)
            index = static_cast<int>(names_.size()) - 1;
    } else {
        const std::string name = printer_->printerName().toStdString();
        for (int i = 0; i < queueCount_; ++i)
            if (names_[static_cast<std::size_t>(i)] == name)
                index = i;
    }
    if (index >= 0)
        index_ = index;
    Configure();
}

bool QtPrinter::IsPdfPrinter() const
{
    return withPdf_ && index_ >= queueCount_;
}

std::string QtPrinter::PaperName() const
{
    return printer_->pageLayout().pageSize().name().toStdString();
}

void QtPrinter::SetPrinterIndex(int index)
{
    if (printing_)
        throw EPrinter("Der Drucker kann während des Druckens nicht gewechselt werden");
    if (index < 0 || index >= static_cast<int>(names_.size()))
        throw EPrinter("Druckerauswahl ungültig");
    Select(index);
}

bool QtPrinter::HasDevice() const
{
    if (index_ < 0)
        return false;
    return IsPdfPrinter() || printer_->isValid();
}

SheetGeometry QtPrinter::Sheet() const
{
    SheetGeometry s;
    if (index_ < 0)
        return s;
    const QPageLayout layout = printer_->pageLayout();
    // From the paper's size in millimetres: Qt's own pixel sizes go through
    // whole points and miss A4 by up to three pixels at 600 dpi.
    const QSizeF mm = layout.pageSize().size(QPageSize::Millimeter);
    s.dpiX = s.dpiY = Resolution;
    s.width = static_cast<int>(std::nearbyint(mm.width() * Resolution / 25.4));
    s.height = static_cast<int>(std::nearbyint(mm.height() * Resolution / 25.4));
    s.horzRes = s.width;
    s.vertRes = s.height;
    if (!IsPdfPrinter()) {
        // The hardware margins as Qt read them from the queue, taken in
        // portrait: whether Qt turns them with the sheet is not ours to
        // rely on, the turn is done below.
        QPageLayout portrait = layout;
        portrait.setOrientation(QPageLayout::Portrait);
        portrait.setUnits(QPageLayout::Point);
        const QMarginsF m = portrait.minimumMargins();
        s.offsetX = PointsToPixels(m.left());
        s.offsetY = PointsToPixels(m.top());
        s.horzRes = std::max(0, s.width - s.offsetX - PointsToPixels(m.right()));
        s.vertRes = std::max(0, s.height - s.offsetY - PointsToPixels(m.bottom()));
        if (printer_->colorMode() == QPrinter::GrayScale
            && !QPrinterInfo(*printer_).supportedColorModes().contains(QPrinter::Color))
            s.numColors = 2;
    }
    return layout.orientation() == QPageLayout::Landscape ? s.Turned() : s;
}

int QtPrinter::GetDeviceCaps(DeviceCap cap) const
{
    return HasDevice() ? Sheet().Cap(cap) : 0;
}

TPrinterOrientation QtPrinter::Orientation() const
{
    return printer_->pageLayout().orientation() == QPageLayout::Landscape
               ? TPrinterOrientation::poLandscape
               : TPrinterOrientation::poPortrait;
}

void QtPrinter::SetOrientation(TPrinterOrientation orientation)
{
    if (printing_)
        throw EPrinter("Die Ausrichtung kann während des Druckens nicht geändert werden");
    printer_->setPageOrientation(orientation == TPrinterOrientation::poLandscape
                                     ? QPageLayout::Landscape
                                     : QPageLayout::Portrait);
}

bool QtPrinter::BeginDoc()
{
    if (printing_)
        throw EPrinter("Es ist bereits ein Druckauftrag offen");
    if (!HasDevice())
        throw EPrinter("Kein Drucker verfügbar");
    if (IsPdfPrinter()) {
        FileDialogRequest request;
        request.kind = FileDialogKind::Save;
        request.title = "Druckausgabe speichern unter";
        request.filter = "PDF-Dateien (*.pdf)|*.pdf";
        request.defaultExt = "pdf";
        request.options.overwritePrompt = true;
        request.options.hideReadOnly = true;
        const auto file = Dialogs().fileDialog(request);
        if (!file)
            return false;
        printer_->setOutputFileName(QString::fromStdString(*file));
    }
    printer_->setDocName(QString::fromStdString(title_));
    Configure();
    const SheetGeometry sheet = Sheet();
    if (!painter_.begin(printer_.get())) {
        if (IsPdfPrinter())
            throw EPrinter("Die Datei " + printer_->outputFileName().toStdString()
                           + " kann nicht geschrieben werden");
        throw EPrinter("Der Drucker " + names_[static_cast<std::size_t>(index_)]
                       + " nimmt keinen Druckauftrag an");
    }
    // The device's origin is the printable corner, as on the platform the
    // jobs were written for.
    painter_.translate(sheet.offsetX, sheet.offsetY);
    canvas_.Begin(&painter_);
    printing_ = true;
    pageNumber_ = 1;
    return true;
}

void QtPrinter::NewPage()
{
    if (!printing_)
        throw EPrinter("Kein Druckauftrag offen");
    if (!printer_->newPage())
        throw EPrinter("Der Drucker hat keine neue Seite begonnen");
    ++pageNumber_;
}

void QtPrinter::EndDoc()
{
    if (!printing_)
        throw EPrinter("Kein Druckauftrag offen");
    CloseDocument();
    if (printer_->printerState() == QPrinter::Error)
        throw EPrinter("Der Druckauftrag konnte nicht abgeschlossen werden");
}

void QtPrinter::Abort()
{
    if (!printing_)
        return;
    printer_->abort();
    CloseDocument();
}

void QtPrinter::CloseDocument()
{
    canvas_.End();
    painter_.end();
    printing_ = false;
    pageNumber_ = 0;
}

} // namespace plat
