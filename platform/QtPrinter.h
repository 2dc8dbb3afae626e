#pragma once
// The printer over Qt PrintSupport: the CUPS queues Qt lists, then always
// one more printer, "PDF-Datei", that writes Qt's PDF output to a file
// asked for through the dialog seam when a document begins. With it a
// machine without any queue still previews and prints.
//
// The geometry does not depend on Qt's defaults: the resolution is set to
// 600 dpi, the sheet is the paper size chosen, and the printable area is
// the queue's hardware margins (its minimum margins; none for "PDF-Datei").
// Qt draws on the whole sheet; the canvas of a page is moved to the
// printable corner, where the jobs expect the device's origin.
//
// "PDF-Datei" writes through the safe file writer: Qt's PDF output reports
// no failed write, so a full disk would leave a cut file and the printer
// would write nothing more. Here a failed write ends the document with the
// file's name and the cause, and no part of the file is left.
#include "platform/Printer.h"

#include <QList>
#include <QPageSize>
#include <QPainter>

#include <memory>
#include <string>
#include <vector>

class QPdfWriter;
class QPrinter;

namespace plat {

class QtPrinter final : public Printer {
public:
    static constexpr const char* PdfPrinterName = "PDF-Datei";
    static constexpr int Resolution = 600;

    // withPdfPrinter false leaves "PDF-Datei" out of the list (with no
    // queue either there is no printer at all).
    explicit QtPrinter(bool withPdfPrinter = true);
    ~QtPrinter() override;

    // Reads the list of queues again; the current printer stays when it is
    // still there, else the default queue (or the first printer) is taken.
    void Refresh();
    bool IsPdfPrinter() const;
    // The paper of the current printer: "A4", "US Letter", ... as the
    // printer names it.
    std::string PaperName() const { return CurrentPaper().name; }

    std::vector<std::string> Printers() const override { return names_; }
    int PrinterIndex() const override { return index_; }
    void SetPrinterIndex(int index) override;
    bool HasDevice() const override;
    int GetDeviceCaps(DeviceCap cap) const override;
    TPrinterOrientation Orientation() const override;
    void SetOrientation(TPrinterOrientation orientation) override;
    // The paper sizes a queue offers, its default as it says; for
    // "PDF-Datei" the common ones, A4 by default.
    PaperList Papers(int printer) const override;
    Paper CurrentPaper() const override;
    void SetPaper(const Paper& paper) override;
    // In a run the "PDF-Datei" printer asks for its file once; further
    // documents go to the same name numbered: plan.pdf, plan-2.pdf, ...
    void BeginRun() override;
    void EndRun() override;
    std::string Title() const override { return title_; }
    void SetTitle(const std::string& title) override { title_ = title; }
    bool BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;
    bool Printing() const override { return printing_; }
    int PageNumber() const override { return printing_ ? pageNumber_ : 0; }
    Canvas& PrinterCanvas() override { return canvas_; }

    // The sheet in its current orientation, as the capabilities report it.
    SheetGeometry Sheet() const;

private:
    class PdfFile;

    void Select(int index, bool keepPaper);
    void Configure();
    QList<QPageSize> PageSizes(int printer) const;
    void CloseDocument();
    // The file of the next "PDF-Datei" document; empty when the user cancelled.
    std::string PdfFileForDocument();
    bool BeginPdfDocument();
    // A failed write of "PDF-Datei": the document is abandoned, nothing of
    // the file stays, and the error names the file and the cause.
    [[noreturn]] void PdfWriteFailed();

    std::unique_ptr<QPrinter> printer_;
    // The open document of "PDF-Datei": the file, and Qt's PDF output into it.
    std::unique_ptr<PdfFile> pdfFile_;
    std::unique_ptr<QPdfWriter> pdfWriter_;
    bool withPdf_;
    std::vector<std::string> names_;  // the queues, then "PDF-Datei"
    int queueCount_ = 0;
    int index_ = -1;
    std::string title_;
    bool inRun_ = false;
    std::string runFile_;       // the file asked for in this run
    int runDocuments_ = 0;
    bool printing_ = false;
    int pageNumber_ = 0;
    QPainter painter_;
    Canvas canvas_;
};

} // namespace plat
