#include "platform/QtPrinter.h"

#include "platform/Dialogs.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

#include <QFile>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace plat {

namespace {

// What "PDF-Datei" offers: the usual sizes of the country the program is for.
const QPageSize::PageSizeId PdfPapers[] = {QPageSize::A3, QPageSize::A4, QPageSize::A5, QPageSize::Letter,
                                           QPageSize::Legal};

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
    // Qt's dialog asked for the file already; the run takes it.
    if (IsPdfPrinter() && !printer_->outputFileName().isEmpty())
        chosenFile_ = printer_->outputFileName().toStdString();
    Configure();
}

std::vector<std::string> QtPrinter::PaperNames(int printer) const
{
    std::vector<std::string> names;
    if (printer < 0 || printer >= static_cast<int>(names_.size()))
        return names;
    if (printer >= queueCount_) {
        for (QPageSize::PageSizeId id : PdfPapers)
            names.push_back(QPageSize(id).name().toStdString());
        return names;
    }
    const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(names_[static_cast<std::size_t>(printer)]));
    for (const QPageSize& size : info.supportedPageSizes())
        names.push_back(size.name().toStdString());
    return names;
}

void QtPrinter::SetPaper(const std::string& name)
{
    if (printing_)
        throw EPrinter("Das Papier kann während des Druckens nicht gewechselt werden");
    QList<QPageSize> sizes;
    if (IsPdfPrinter()) {
        for (QPageSize::PageSizeId id : PdfPapers)
            sizes.append(QPageSize(id));
    } else {
        sizes = QPrinterInfo(*printer_).supportedPageSizes();
    }
    for (const QPageSize& size : sizes) {
        if (size.name().toStdString() == name) {
            printer_->setPageSize(size);
            Configure();
            return;
        }
    }
    throw EPrinter("Das Papierformat " + name + " gibt es auf diesem Drucker nicht");
}

void QtPrinter::BeginRun()
{
    inRun_ = true;
    runFile_.clear();
    runDocuments_ = 0;
}

void QtPrinter::EndRun()
{
    inRun_ = false;
    runFile_.clear();
    runDocuments_ = 0;
}

std::string QtPrinter::PdfFileForDocument()
{
    if (inRun_ && !runFile_.empty()) {
        // Each document of the run survives: plan.pdf, plan-2.pdf, ...
        const std::filesystem::path first(runFile_);
        ++runDocuments_;
        return (first.parent_path()
                / (first.stem().string() + "-" + std::to_string(runDocuments_) + first.extension().string()))
            .string();
    }
    std::string file;
    if (!chosenFile_.empty()) {
        file = chosenFile_;
        chosenFile_.clear();
    } else {
        FileDialogRequest request;
        request.kind = FileDialogKind::Save;
        request.title = "Druckausgabe speichern unter";
        request.filter = "PDF-Dateien (*.pdf)|*.pdf";
        request.defaultExt = "pdf";
        request.options.overwritePrompt = true;
        request.options.hideReadOnly = true;
        const auto chosen = Dialogs().fileDialog(request);
        if (!chosen)
            return {};
        file = *chosen;
    }
    if (inRun_) {
        runFile_ = file;
        runDocuments_ = 1;
    }
    return file;
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
        const std::string file = PdfFileForDocument();
        if (file.empty())
            return false;
        printer_->setOutputFileName(QString::fromStdString(file));
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
    // An abandoned document leaves no half-written file behind.
    if (IsPdfPrinter())
        QFile::remove(printer_->outputFileName());
}

void QtPrinter::CloseDocument()
{
    canvas_.End();
    painter_.end();
    printing_ = false;
    pageNumber_ = 0;
}

} // namespace plat
