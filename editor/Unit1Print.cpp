// TForm1: the board on the printer without pictures: draft tiles, their
// overview and a copy of the map control. A command only prepares a job
// and opens the modal preview; printing starts from the preview's toolbar.
#include "editor/Unit1.h"

#include "editor/HexMapA/HexMapA.h"
#include "editor/Unit1App.h"
#include "output/PrinterDraft.h"
#include "output/PrinterTiles.h"
#include "platform/Dialogs.h"

namespace tolv {

void TForm1::CreateDraftPrintJobs()
{
    draftTiles_ = std::make_shared<PrinterDraftTiles>();

    PrintJob10 = std::make_unique<printing::TPrintJob>();
    printing::TPrintJob& tiles = *PrintJob10;
    tiles.Name = "PrintJob10";
    tiles.BeginLoad();
    tiles.SetMarginsUnits(printing::unMillimeters);
    tiles.SetOptions({printing::joMargins});
    tiles.SetRelativeCoords(true);
    tiles.Loaded();
    tiles.OnInitDraw = [this](printing::TCustomPrintJob& s, plat::Canvas& c, printing::TDrawTarget t) {
        PrintJob10InitDraw(s, c, t);
    };
    tiles.OnDraw = [this](printing::TCustomPrintJob& s, plat::Canvas& c, int page, const printing::TRect& r,
                          printing::TDrawArea a, printing::TDrawTarget t) { PrintJob10Draw(s, c, page, r, a, t); };
    tiles.OnUpdate = [this](printing::TCustomPrintJob& s) { PrintJob10Update(s); };
    tiles.OnPrinterSetupChange = tiles.OnUpdate;

    DraftPrintJob1 = std::make_unique<printing::TDraftPrintJob>();
    printing::TDraftPrintJob& overview = *DraftPrintJob1;
    overview.Name = "DraftPrintJob1";
    overview.BeginLoad();
    overview.SetPrintJob(&tiles);
    overview.SetScale(3);
    overview.SetSeparators(true);
    overview.SetTitle("Draft");
    overview.Loaded();
    overview.OnUpdate = tiles.OnUpdate;
    overview.OnPrinterSetupChange = tiles.OnUpdate;

    ControlPrintJob1 = std::make_unique<printing::TControlPrintJob>();
    printing::TControlPrintJob& copy = *ControlPrintJob1;
    copy.Name = "ControlPrintJob1";
    copy.BeginLoad();
    copy.SetEntireWindow(true);
    copy.SetStretchMode(printing::smFit);
    copy.SetTitle("Tolvaria");
    copy.SetMarginsUnits(printing::unMillimeters);
    copy.SetOptions({printing::joMargins, printing::joHeader, printing::joFooter});
    copy.Loaded();

    ImagePrintJob1 = std::make_unique<printing::TImagePrintJob>();
    printing::TImagePrintJob& image = *ImagePrintJob1;
    image.Name = "ImagePrintJob1";
    image.BeginLoad();
    image.Margins() = {80, 70, 80, 119};   // pixels
    image.SetOrientation(printing::orPortrait);
    image.Loaded();
}

void TForm1::PrintJob10Update(printing::TCustomPrintJob&)
{
    // Whichever job fired, the grid is PrintJob10's. A printer chosen in
    // the open preview that leaves no room for a tile is told once; the
    // pages then show nothing until a printer with room is chosen.
    if (draftTiles_->Update(*PrintJob10, *DraftPrintJob1) && PreviewWindow1->Form())
        plat::ShowMessage(NoTileRoomText, ApplicationTitle(), plat::MsgIcon::Error);
}

void TForm1::PrintJob10InitDraw(printing::TCustomPrintJob&, plat::Canvas&, printing::TDrawTarget)
{
}

void TForm1::PrintJob10Draw(printing::TCustomPrintJob&, plat::Canvas& TheCanvas, int PageIndex,
                            const printing::TRect& TheRect, printing::TDrawArea Area, printing::TDrawTarget)
{
    if (Area == printing::daPage)
        draftTiles_->DrawPage(TheCanvas, PageIndex, TheRect);
}

bool TForm1::PrepareDraftTiles()
{
    const PrintParamArray params = state_.PrintParams;
    draftTiles_->Start(TakeOutputSnapshot(state_, CurrentMapShape()));
    SetUpTileJob(*PrintJob10, params);
    PrintJob10->Update();
    // Without a printer the job's update stops before its event; the grid
    // then rests on the sheet the job falls back to.
    if (!PrintJob10->PrinterAvailable())
        PrintJob10Update(*PrintJob10);
    if (!draftTiles_->Grid()) {
        plat::ShowMessage(NoTileRoomText, ApplicationTitle(), plat::MsgIcon::Error);
        return false;
    }
    return true;
}

void TForm1::PreviewDraftTiles(printing::TCustomPrintJob& shown)
{
    const std::optional<OutputGate::Pass> pass = EnterOutput();
    if (!pass || !PrepareDraftTiles())
        return;
    PreviewWindow1->SetPrintJob(&shown);
    PreviewWindow1->Execute();
}

void TForm1::est21Click()
{
    PreviewDraftTiles(*PrintJob10);
}

void TForm1::est31Click()
{
    PreviewDraftTiles(*DraftPrintJob1);
}

void TForm1::est12Click()
{
    const std::optional<OutputGate::Pass> pass = EnterOutput();
    if (!pass)
        return;
    printing::TControlPrintJob& copy = *ControlPrintJob1;
    copy.SetControl(HexMapA1);
    // The map is let go when the preview closes, also when it ends by an
    // exception: the job must not keep a widget it does not own.
    struct Release {
        printing::TControlPrintJob& job;
        ~Release() { job.SetControl(nullptr); }
    } release{copy};
    SetUpTileJob(copy, state_.PrintParams);
    copy.Update();
    PreviewWindow1->SetPrintJob(&copy);
    PreviewWindow1->Execute();
}

} // namespace tolv
