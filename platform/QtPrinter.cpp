#include "platform/QtPrinter.h"

#include "platform/Dialogs.h"
#include "platform/SafeFile.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace plat {

namespace {

// What "PDF-Datei" offers: the usual sizes of the country the program is for.
const QPageSize::PageSizeId PdfPapers[] = {QPageSize::A3, QPageSize::A4, QPageSize::A5, QPageSize::Letter,
                                           QPageSize::Legal};

constexpr QPageSize::PageSizeId PdfDefaultPaper = QPageSize::A4;

int PointsToPixels(double points)
{
    return static_cast<int>(std::nearbyint(points * QtPrinter::Resolution / 72.0));
}

Paper ToPaper(const QPageSize& size)
{
    const QSizeF points = size.size(QPageSize::Point);
    return {size.name().toStdString(), points.width(), points.height()};
}

PaperList ToPaperList(const QList<QPageSize>& sizes, const QPageSize& defaultSize)
{
    PaperList list;
    for (const QPageSize& size : sizes)
        list.papers.push_back(ToPaper(size));
    if (defaultSize.isValid())
        list.defaultIndex = FindPaper(list.papers, ToPaper(defaultSize));
    return list;
}

std::string WriteErrorText(const std::string& file, const std::error_code& error)
{
    std::string text = "Die Datei " + file + " kann nicht geschrieben werden";
    if (error)
        text += ": " + error.message();
    return text;
}

} // namespace

// The file of a "PDF-Datei" document as Qt's PDF output sees it: written
// through the safe writer, which keeps the first error.
class QtPrinter::PdfFile final : public QIODevice {
public:
    explicit PdfFile(std::string name) : name_(std::move(name)), file_(name_, 0) {}
    const std::string& Name() const { return name_; }
    bool Failed() const { return bool(file_.error()); }
    std::error_code Error() const { return file_.error(); }
    std::error_code Commit() { return file_.Commit(); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        return file_.Write(data, static_cast<std::size_t>(size)) ? size : -1;
    }

private:
    std::string name_;
    SafeFileWriter file_;
};

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
        Select(index, !current.empty());
}

void QtPrinter::Select(int index, bool keepPaper)
{
    const QPageLayout::Orientation orientation = printer_->pageLayout().orientation();
    const Paper previous = CurrentPaper();
    if (index < queueCount_) {
        printer_->setOutputFormat(QPrinter::NativeFormat);
        printer_->setPrinterName(QString::fromStdString(names_[static_cast<std::size_t>(index)]));
    } else {
        printer_->setOutputFormat(QPrinter::PdfFormat);
    }
    index_ = index;
    // The paper stays when the printer has the same sheet, else the
    // printer's default is taken; the first printer starts on its default.
    const PaperList list = Papers(index);
    const int paper = keepPaper ? KeptPaper(list, previous) : list.defaultIndex;
    if (paper >= 0)
        printer_->setPageSize(PageSizes(index)[paper]);
    printer_->setPageOrientation(orientation);
    Configure();
}

QList<QPageSize> QtPrinter::PageSizes(int printer) const
{
    if (printer < 0 || printer >= static_cast<int>(names_.size()))
        return {};
    if (printer >= queueCount_) {
        QList<QPageSize> sizes;
        for (QPageSize::PageSizeId id : PdfPapers)
            sizes.append(QPageSize(id));
        return sizes;
    }
    return QPrinterInfo::printerInfo(QString::fromStdString(names_[static_cast<std::size_t>(printer)]))
        .supportedPageSizes();
}

void QtPrinter::Configure()
{
    // Set after every change of printer: the device may have brought its
    // own resolution along.
    printer_->setResolution(Resolution);
    // Qt draws on the whole sheet; the printable area is the layer's own.
    printer_->setFullPage(true);
}

PaperList QtPrinter::Papers(int printer) const
{
    if (printer < 0 || printer >= static_cast<int>(names_.size()))
        return {};
    const QPageSize defaultSize =
        printer >= queueCount_
            ? QPageSize(PdfDefaultPaper)
            : QPrinterInfo::printerInfo(QString::fromStdString(names_[static_cast<std::size_t>(printer)]))
                  .defaultPageSize();
    return ToPaperList(PageSizes(printer), defaultSize);
}

Paper QtPrinter::CurrentPaper() const
{
    return ToPaper(printer_->pageLayout().pageSize());
}

void QtPrinter::SetPaper(const Paper& paper)
{
    if (printing_)
        throw EPrinter("Das Papier kann während des Druckens nicht gewechselt werden");
    for (const QPageSize& size : PageSizes(index_)) {
        if (SameSheet(ToPaper(size), paper)) {
            printer_->setPageSize(size);
            Configure();
            return;
        }
    }
    throw EPrinter("Das Papierformat " + paper.name + " gibt es auf diesem Drucker nicht");
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
    const std::string file = *chosen;
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

void QtPrinter::SetPrinterIndex(int index)
{
    if (printing_)
        throw EPrinter("Der Drucker kann während des Druckens nicht gewechselt werden");
    if (index < 0 || index >= static_cast<int>(names_.size()))
        throw EPrinter("Druckerauswahl ungültig");
    Select(index, true);
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
    Configure();
    const SheetGeometry sheet = Sheet();
    if (IsPdfPrinter()) {
        if (!BeginPdfDocument())
            return false;
    } else {
        printer_->setDocName(QString::fromStdString(title_));
        if (!painter_.begin(printer_.get()))
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

bool QtPrinter::BeginPdfDocument()
{
    const std::string file = PdfFileForDocument();
    if (file.empty())
        return false;
    auto pdfFile = std::make_unique<PdfFile>(file);
    if (pdfFile->Failed() || !pdfFile->open(QIODevice::WriteOnly))
        throw EPrinter(WriteErrorText(file, pdfFile->Error()));
    auto writer = std::make_unique<QPdfWriter>(pdfFile.get());
    writer->setResolution(Resolution);
    // The whole sheet is the page: no margins of Qt's own.
    const QPageLayout layout = printer_->pageLayout();
    writer->setPageLayout(QPageLayout(layout.pageSize(), layout.orientation(), QMarginsF(0, 0, 0, 0)));
    writer->setTitle(QString::fromStdString(title_));
    writer->setCreator(QCoreApplication::applicationName());
    if (!painter_.begin(writer.get()))
        throw EPrinter(WriteErrorText(file, pdfFile->Error()));
    pdfWriter_ = std::move(writer);
    pdfFile_ = std::move(pdfFile);
    return true;
}

void QtPrinter::PdfWriteFailed()
{
    const std::string text = WriteErrorText(pdfFile_->Name(), pdfFile_->Error());
    Abort();
    throw EPrinter(text);
}

void QtPrinter::NewPage()
{
    if (!printing_)
        throw EPrinter("Kein Druckauftrag offen");
    const bool started = pdfWriter_ ? pdfWriter_->newPage() : printer_->newPage();
    // The page before went out as the new one began: a full disk shows here.
    if (pdfFile_ && pdfFile_->Failed())
        PdfWriteFailed();
    if (!started)
        throw EPrinter("Der Drucker hat keine neue Seite begonnen");
    ++pageNumber_;
}

void QtPrinter::EndDoc()
{
    if (!printing_)
        throw EPrinter("Kein Druckauftrag offen");
    if (pdfFile_) {
        canvas_.End();
        painter_.end();
        if (pdfFile_->Failed())
            PdfWriteFailed();
        const std::error_code error = pdfFile_->Commit();
        const std::string name = pdfFile_->Name();
        CloseDocument();
        if (error)
            throw EPrinter(WriteErrorText(name, error));
        return;
    }
    CloseDocument();
    if (printer_->printerState() == QPrinter::Error)
        throw EPrinter("Der Druckauftrag konnte nicht abgeschlossen werden");
}

void QtPrinter::Abort()
{
    if (!printing_)
        return;
    if (!pdfFile_)
        printer_->abort();
    // An abandoned "PDF-Datei" document is never committed: nothing of it
    // stays, and a file it was to replace keeps its old content.
    CloseDocument();
}

void QtPrinter::CloseDocument()
{
    canvas_.End();
    if (painter_.isActive())
        painter_.end();
    // The writer goes before the file it writes into.
    pdfWriter_.reset();
    pdfFile_.reset();
    printing_ = false;
    pageNumber_ = 0;
}

} // namespace plat
