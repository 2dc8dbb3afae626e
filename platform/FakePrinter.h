#pragma once
// A printer for tests: any number of printers with settable sheets
// (resolutions may differ across and down, offsets too), failures on
// demand, and a record of every document with its pages kept as images
// drawn through the real canvas. No test needs a print system to check
// geometry or the print loop.
#include "platform/Printer.h"

#include <QImage>

#include <memory>
#include <string>
#include <vector>

namespace plat {

// Papers for fake printers, in points.
inline const Paper FakeA4{"A4", 595.28, 841.89};
inline const Paper FakeA5{"A5", 419.53, 595.28};
inline const Paper FakeLetter{"Letter", 612, 792};

struct FakePrinterSetup {
    std::string name = "Testdrucker";
    // Portrait. Small enough that recorded pages stay cheap, with unequal
    // resolutions and offsets so that a swapped axis shows: 4 x 6 inches.
    SheetGeometry sheet{600, 300, 2400, 1800, 90, 40, 2250, 1700, -1};
    // Choosing a paper is recorded; the sheet stays as set.
    std::vector<Paper> papers{FakeA4, FakeA5};
    int defaultPaper = 0;
};

class FakePrinter final : public Printer {
public:
    struct Document {
        std::string printer;
        std::string title;
        std::vector<QImage> pages;  // printable area, origin at its corner
        bool ended = false;
        bool aborted = false;
    };

    FakePrinter();                                  // one printer, the default setup
    explicit FakePrinter(std::vector<FakePrinterSetup> printers);
    ~FakePrinter() override;

    // The printers; change them between documents.
    std::vector<FakePrinterSetup> printers;
    bool hasDevice = true;              // false: a printer without a device
    bool throwOnHasDevice = false;      // asking for the device throws
    bool cancelBeginDoc = false;        // the user cancels the next documents
    bool failBeginDoc = false;          // EPrinter from BeginDoc
    int failNewPageAt = 0;              // EPrinter when page n would start
    bool failEndDoc = false;            // EPrinter from EndDoc
    bool keepPages = true;              // false: pages are counted, not kept

    std::vector<Document> documents;
    // Every call that changes state, in order: "BeginDoc", "NewPage",
    // "EndDoc", "Abort", "Orientation portrait|landscape", "Printer <name>",
    // "Title <title>", "Paper <name>" (SetPaper), "BeginRun", "EndRun".
    std::vector<std::string> log;

    // The current printer's sheet in its current orientation.
    SheetGeometry Sheet() const;

    std::vector<std::string> Printers() const override;
    int PrinterIndex() const override { return printers.empty() ? -1 : index_; }
    void SetPrinterIndex(int index) override;
    bool HasDevice() const override;
    int GetDeviceCaps(DeviceCap cap) const override;
    TPrinterOrientation Orientation() const override { return orientation_; }
    void SetOrientation(TPrinterOrientation orientation) override;
    PaperList Papers(int printer) const override;
    Paper CurrentPaper() const override { return paper_; }
    void SetPaper(const Paper& paper) override;
    void BeginRun() override { log.push_back("BeginRun"); }
    void EndRun() override { log.push_back("EndRun"); }
    std::string Title() const override { return title_; }
    void SetTitle(const std::string& title) override;
    bool BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;
    bool Printing() const override { return printing_; }
    int PageNumber() const override { return printing_ ? pageNumber_ : 0; }
    Canvas& PrinterCanvas() override { return *canvas_; }

private:
    void StartPage();
    void FinishPage();
    void CloseDocument(bool aborted);

    int index_ = 0;
    TPrinterOrientation orientation_ = TPrinterOrientation::poPortrait;
    std::string title_;
    Paper paper_ = FakeA4;
    bool printing_ = false;
    int pageNumber_ = 0;
    QImage page_;
    std::unique_ptr<Canvas> canvas_;
};

} // namespace plat
