// TForm1: the picture tiles on the printer. The window prepares the job
// and opens the preview; printing starts from the preview's toolbar. The
// pages are made in the output library.
#include "editor/Unit1.h"

#include "editor/Unit1App.h"
#include "output/PictureTiles.h"
#include "output/PrinterPictureTiles.h"
#include "output/PrinterTiles.h"
#include "platform/Dialogs.h"

namespace tolv {

// The board as it was when the command began, and the pages made from it,
// for as long as the preview is open.
struct TForm1::PrinterPictureRun {
    explicit PrinterPictureRun(OutputSnapshot s) : snap(std::move(s)), pages(snap) {}
    PrinterPictureRun(const PrinterPictureRun&) = delete;   // the pages read this snapshot
    PrinterPictureRun& operator=(const PrinterPictureRun&) = delete;
    OutputSnapshot snap;
    PrinterPicturePages pages;
};

void TForm1::CreatePrintJob11()
{
    PrintJob11 = std::make_unique<printing::TPrintJob>();
    PrintJob11->Name = "PrintJob11";
    PrintJob11->SetMarginsUnits(printing::unMillimeters);
    PrintJob11->SetOptions({printing::joMargins});
    PrintJob11->SetRelativeCoords(true);
    PrintJob11->OnDraw = [this](printing::TCustomPrintJob& sender, plat::Canvas& canvas, int page,
                                const plat::TRect& rect, printing::TDrawArea area,
                                printing::TDrawTarget target) {
        PrintJob11Draw(sender, canvas, page, rect, area, target);
    };
    PrintJob11->OnUpdate = [this](printing::TCustomPrintJob& sender) { PrintJob11Update(sender); };
    PrintJob11->OnPrinterSetupChange = PrintJob11->OnUpdate;
}

void TForm1::Kacheln1Click()
{
    const std::optional<OutputGate::Pass> pass = EnterOutput();
    if (!pass)
        return;
    auto run = std::make_shared<PrinterPictureRun>(TakeOutputSnapshot(state_, CurrentMapShape()));
    if (const std::vector<int> missing = tolv::MissingPictures(run->snap, tcWasser); !missing.empty()) {
        plat::ShowMessage(MissingPicturesText(missing), ApplicationTitle(), plat::MsgIcon::Error);
        return;
    }

    // Whatever ends the command, the pages and the tile's memory go with it.
    struct EndRun {
        TForm1& form;
        ~EndRun()
        {
            form.printerPictures_.reset();
            form.state_.TileBitmap = plat::Bitmap();
        }
    } endRun{*this};
    printerPictures_ = run;
    SetUpTileJob(*PrintJob11, run->snap.PrintParams);
    PrintJob11->Update();
    // Without a printer the job fires no update: the pages are made at its
    // fallback resolution all the same.
    if (!PrintJob11->PrinterAvailable())
        PrintJob11Update(*PrintJob11);
    if (!run->pages.Tiles()) {
        plat::ShowMessage(NoTileRoomText, ApplicationTitle(), plat::MsgIcon::Error);
        return;
    }
    PreviewWindow1->SetPrintJob(PrintJob11.get());
    PreviewWindow1->Execute();
}

void TForm1::PrintJob11Update(printing::TCustomPrintJob& Sender)
{
    // Outside the command there is nothing to show.
    if (printerPictures_)
        printerPictures_->pages.Update(Sender, state_.TileBitmap);
}

void TForm1::PrintJob11Draw(printing::TCustomPrintJob&, plat::Canvas& TheCanvas, int PageIndex,
                            const plat::TRect& TheRect, printing::TDrawArea Area, printing::TDrawTarget)
{
    if (printerPictures_)
        printerPictures_->pages.Draw(TheCanvas, PageIndex, TheRect, Area, state_.TileBitmap);
}

} // namespace tolv
