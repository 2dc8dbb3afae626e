// TForm1: the board output commands. The window only asks, shows and
// keeps the progress up to date; the tiles are made in the output library.
#include "editor/Unit1.h"

#include "editor/HexMapA/HexMapA.h"
#include "editor/Unit1App.h"
#include "output/CountingStrip.h"
#include "output/OutputGate.h"
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

#include <memory>
#include <optional>

namespace tolv {

struct TForm1::OutputComponents {
    pdf::TPdfVell PdfVell1;
    OutputGate Gate;
};

namespace {

// The gauge and the "Abbruch" button of the left panel.
class WindowExportMonitor final : public ExportMonitor {
public:
    WindowExportMonitor(QProgressBar* gauge, QPushButton* cancel, bool& cancelFlag)
        : gauge_(gauge), cancel_(cancel), flag_(cancelFlag) {}

    void Started() override
    {
        flag_ = false;
        cancel_->setVisible(true);
        gauge_->setVisible(true);
    }
    void Progress(int percent) override { gauge_->setValue(percent); }
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    bool CancelRequested() override { return flag_; }
    void Finished() override
    {
        gauge_->setVisible(false);
        gauge_->setValue(0);
        cancel_->setVisible(false);
        flag_ = false;
    }

private:
    QProgressBar* gauge_;
    QPushButton* cancel_;
    bool& flag_;
};

// What every PDF command asks once the writer is set up: the file in the
// save dialog, and the old file of that name out of the way. Nothing when
// the user cancelled or the old file stays (after saying so).
std::optional<std::string> ChoosePdfTarget(const std::string& title, const std::string& dir,
                                           const std::string& proposed)
{
    std::optional<std::string> file = plat::Dialogs().fileDialog(PdfSaveDialogRequest(title, dir, proposed));
    if (file && !ClearPdfTarget(*file)) {
        plat::ShowMessage(CannotWriteText(*file), CannotWriteCaption, plat::MsgIcon::Error);
        return std::nullopt;
    }
    return file;
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
    // The export processes messages, so the menu stays within reach: its
    // outputs are shut while one runs.
    std::optional<OutputGate::Pass> pass =
        output_->Gate.Enter([this](bool busy) { Drucken1->menuAction()->setEnabled(!busy); });
    if (!pass)
        return;
    const OutputSnapshot snap = TakeOutputSnapshot(state_, CurrentMapShape());

    SetUpTileDocument(pdf, profileData_.PdfJpgC, snap.PrintParams);
    const int lastPicture = withStrip ? StripPicture : tcWasser;
    if (const std::vector<int> missing = tolv::MissingPictures(snap, lastPicture); !missing.empty()) {
        plat::ShowMessage(MissingPicturesText(missing), ApplicationTitle(), plat::MsgIcon::Error);
        return;
    }
    const std::optional<TileGrid> grid = withStrip ? PdfStripTileGrid(snap.PrintParams, snap.Map)
                                                   : PdfPictureTileGrid(snap.PrintParams, snap.Map);
    if (!grid) {
        plat::ShowMessage(NoTileRoomText, ApplicationTitle(), plat::MsgIcon::Error);
        return;
    }
    std::optional<CountingStripLayout> strip;
    if (withStrip) {
        strip = MakeCountingStrip(grid->Hex, snap.Map.ColCount, snap.Map.RowCount, profileData_.MitZahl);
        if (!strip) {
            plat::ShowMessage(StripTooSmallText, ApplicationTitle(), plat::MsgIcon::Error);
            return;
        }
    }

    const std::optional<std::string> file = ChoosePdfTarget(SaveDialog2Title, state_.PdfDir, state_.PdfFileName);
    if (!file)
        return;
    pdf.SetFileName(*file);
    state_.PdfFileName = *file;
    pdf.WantShow = profileData_.Acrobat;

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

} // namespace tolv
