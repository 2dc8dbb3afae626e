// TForm1: the board output commands. The window only asks, shows and
// keeps the progress up to date; the tiles are made in the output library.
#include "editor/Unit1.h"

#include "editor/HexMapA/HexMapA.h"
#include "editor/Unit1App.h"
#include "output/CountingStrip.h"
#include "output/OutputGate.h"
#include "output/PdfDraftExport.h"
#include "output/PdfPictureExport.h"
#include "output/PdfTileCommand.h"
#include "output/PictureTiles.h"
#include "output/StripTiles.h"
#include "pdf/PdfVell.h"
#include "platform/Dialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

#include <functional>
#include <memory>
#include <optional>

namespace tolv {

struct TForm1::OutputComponents {
    pdf::TPdfVell PdfVell1;
    OutputGate Gate;
};

namespace {

// The gauge and the "Abbruch" button of the left panel; an export without
// cancel shows the gauge alone.
class WindowExportMonitor final : public ExportMonitor {
public:
    WindowExportMonitor(QProgressBar* gauge, QPushButton* cancel, bool& cancelFlag)
        : gauge_(gauge), cancel_(cancel), flag_(&cancelFlag) {}
    explicit WindowExportMonitor(QProgressBar* gauge) : gauge_(gauge) {}

    void Started() override
    {
        if (cancel_) {
            *flag_ = false;
            cancel_->setVisible(true);
        }
        gauge_->setVisible(true);
    }
    void Progress(int percent) override { gauge_->setValue(percent); }
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    bool CancelRequested() override { return flag_ && *flag_; }
    void Finished() override
    {
        gauge_->setVisible(false);
        gauge_->setValue(0);
        if (cancel_) {
            cancel_->setVisible(false);
            *flag_ = false;
        }
    }

private:
    QProgressBar* gauge_;
    QPushButton* cancel_ = nullptr;
    bool* flag_ = nullptr;
};

// One output at a time: the outputs process messages (and the preview is
// a window of its own), so the menu stays within reach: its outputs are
// shut while one runs. Nothing while another output runs.
std::optional<OutputGate::Pass> EnterOutputGate(OutputGate& gate, QMenu* outputs)
{
    return gate.Enter([outputs](bool busy) { outputs->menuAction()->setEnabled(!busy); });
}

// A PDF command's start: one output at a time, the board as it is now, the
// writer set up for its print parameters. Nothing while another output runs.
struct PdfCommandRun {
    OutputGate::Pass Pass;
    OutputSnapshot Snap;
};
std::optional<PdfCommandRun> StartPdfCommand(OutputGate& gate, QMenu* outputs, pdf::TPdfVell& pdf,
                                             int jpegQuality, const std::function<OutputSnapshot()>& snapshot)
{
    std::optional<OutputGate::Pass> pass = EnterOutputGate(gate, outputs);
    if (!pass)
        return std::nullopt;
    std::optional<PdfCommandRun> run{PdfCommandRun{std::move(*pass), snapshot()}};
    SetUpTileDocument(pdf, jpegQuality, run->Snap.PrintParams);
    return run;
}

// The refusal when margins and overlap leave no room for a tile.
bool TileRoomOrRefuse(const std::optional<TileGrid>& grid)
{
    if (!grid)
        plat::ShowMessage(NoTileRoomText, ApplicationTitle(), plat::MsgIcon::Error);
    return grid.has_value();
}

// What every PDF command asks once the writer is set up: the file in the
// save dialog, and the old file of that name out of the way. False when
// the user cancelled or the old file stays (after saying so); else the
// writer has the file, which is proposed next time, and opens it at the end
// when the profile says so.
bool ChoosePdfTarget(const std::string& title, pdf::TPdfVell& pdf, BoardState& state, bool showFile)
{
    std::optional<std::string> file =
        plat::Dialogs().fileDialog(PdfSaveDialogRequest(title, state.PdfDir, state.PdfFileName));
    if (!file)
        return false;
    if (!ClearPdfTarget(*file)) {
        plat::ShowMessage(CannotWriteText(*file), CannotWriteCaption, plat::MsgIcon::Error);
        return false;
    }
    pdf.SetFileName(*file);
    state.PdfFileName = *file;
    pdf.WantShow = showFile;
    return true;
}

} // namespace

pdf::TPdfVell& TForm1::PdfVell1()
{
    if (!output_) {
        output_ = std::make_shared<OutputComponents>();
        pdf::TPdfVell& pdf = output_->PdfVell1;
        pdf.ProcessMessages = [] { QCoreApplication::processEvents(); };
        pdf.OnShowFile = [](const std::string& name) { plat::Dialogs().shellOpen(name, plat::ShowMode::Show); };
        pdf.OnWarning = [](const std::string& text, const std::string& caption) {
            plat::ShowMessage(text, caption, plat::MsgIcon::Warning);
        };
    }
    return output_->PdfVell1;
}

bool TForm1::OutputRunning() const
{
    return output_ && output_->Gate.Busy();
}

std::optional<OutputGate::Pass> TForm1::EnterOutput()
{
    PdfVell1();
    return EnterOutputGate(output_->Gate, Drucken1);
}

void TForm1::BitBtn6Click()
{
    state_.CancelRequested = true;
}

void TForm1::KachelnPDF1Click()
{
    ExportPdfTiles(false);
}

void TForm1::est1PdfRahmen1Click()
{
    ExportPdfTiles(true);
}

void TForm1::ExportPdfTiles(bool withStrip)
{
    pdf::TPdfVell& pdf = PdfVell1();
    const std::optional<PdfCommandRun> run = StartPdfCommand(
        output_->Gate, Drucken1, pdf, profileData_.PdfJpgC, [this] { return TakeOutputSnapshot(state_, CurrentMapShape()); });
    if (!run)
        return;
    const OutputSnapshot& snap = run->Snap;
    const int lastPicture = withStrip ? StripPicture : tcWasser;
    if (const std::vector<int> missing = tolv::MissingPictures(snap, lastPicture); !missing.empty()) {
        plat::ShowMessage(MissingPicturesText(missing), ApplicationTitle(), plat::MsgIcon::Error);
        return;
    }
    const std::optional<TileGrid> grid = withStrip ? PdfStripTileGrid(snap.PrintParams, snap.Map)
                                                   : PdfPictureTileGrid(snap.PrintParams, snap.Map);
    if (!TileRoomOrRefuse(grid))
        return;
    std::optional<CountingStripLayout> strip;
    if (withStrip) {
        strip = MakeCountingStrip(grid->Hex, snap.Map.ColCount, snap.Map.RowCount, profileData_.MitZahl);
        if (!strip) {
            plat::ShowMessage(StripTooSmallText, ApplicationTitle(), plat::MsgIcon::Error);
            return;
        }
    }
    if (!ChoosePdfTarget(SaveDialog2Title, pdf, state_, profileData_.Acrobat))
        return;

    WindowExportMonitor monitor(Gauge1, BitBtn6, state_.CancelRequested);
    std::unique_ptr<TileRenderer> renderer;
    if (strip)
        renderer = std::make_unique<StripTileRenderer>(snap, *grid, *strip);
    else
        renderer = std::make_unique<PictureTileRenderer>(snap, *grid);
    const PictureExportResult result = ExportPictureTiles(
        pdf, *renderer, *grid, PdfPageRect(snap.PrintParams), profileData_.MitBMP, state_.TileBitmap, monitor);
    if (!result.WriterError.empty())
        plat::ShowMessage(result.WriterError, ApplicationTitle(), plat::MsgIcon::Error);
}

void TForm1::est22Click()
{
    pdf::TPdfVell& pdf = PdfVell1();
    const std::optional<PdfCommandRun> run = StartPdfCommand(
        output_->Gate, Drucken1, pdf, profileData_.PdfJpgC, [this] { return TakeOutputSnapshot(state_, CurrentMapShape()); });
    if (!run)
        return;
    const std::optional<TileGrid> grid = PdfDraftTileGrid(run->Snap.PrintParams, run->Snap.Map);
    if (!TileRoomOrRefuse(grid) || !ChoosePdfTarget(SaveDialog2Title, pdf, state_, profileData_.Acrobat))
        return;

    // An error of the writer passes on to the default error box; the
    // gauge and the gate are closed on the way out.
    WindowExportMonitor monitor(Gauge1);
    ExportDraftTiles(pdf, run->Snap, *grid, monitor);
}

} // namespace tolv
