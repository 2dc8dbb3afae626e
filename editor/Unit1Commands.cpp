// TForm1: the menu commands — map script dialogs, print settings, the
// language file template, the manuals, the about box and the homepages.
#include "editor/Unit1.h"

#include "editor/HelpCommands.h"
#include "editor/HexMapA/HexMapA.h"
#include "editor/LangFile.h"
#include "editor/board/MapScript.h"
#include "editor/Unit1App.h"
#include "editor/Unit2.h"
#include "editor/Unit3.h"
#include "platform/Dialogs.h"

#include <QPushButton>
#include <QTimer>

namespace tolv {

namespace {

// A close query that throws keeps its dialog open; the error box shows why.
template <class F>
std::function<bool(const std::string&)> GuardedCloseQuery(F f)
{
    return [f](const std::string& name) {
        bool close = false;
        Guarded([&] { close = f(name); });
        return close;
    };
}

} // namespace

void TForm1::Laden1Click()
{
    // The dialog's close query replaces the board: a running animation must
    // not restore its backup over the loaded script later.
    EndAnimation();
    plat::FileDialogRequest request =
        MapScriptOpenDialog(OpenDialog1Title, state_.MapDir, state_.MapFileName);
    const std::string initialDir = request.initialDir;
    request.canClose = GuardedCloseQuery(
        [this, initialDir](const std::string& name) { return OpenDialog1CanClose(name, initialDir); });
    plat::Dialogs().fileDialog(request);
    // Loaded or cancelled alike.
    SyncSizeEdits();
    SetDispAnzGel(true);
}

bool TForm1::OpenDialog1CanClose(const std::string& FileName, const std::string& InitialDir)
{
    const MapScriptReadResult r = LoadMapScript(state_, FileName, InitialDir, HexMapA1->FirstOdd());
    if (!r.ok())
        return false;
    HexMapA1->SetColCount(r.ColCount);
    HexMapA1->SetRowCount(r.RowCount);
    BoardChanged();
    return true;
}

void TForm1::Speichernunter1Click()
{
    // The user's board is saved, never the animation's.
    EndAnimation();
    plat::FileDialogRequest request =
        MapScriptSaveDialog(SaveDialog1Title, state_.MapDir, state_.MapFileName);
    request.canClose =
        GuardedCloseQuery([this](const std::string& name) { return SaveDialog1CanClose(name); });
    plat::Dialogs().fileDialog(request);
}

bool TForm1::SaveDialog1CanClose(const std::string& FileName)
{
    return SaveMapScriptFromDialog(state_, FileName, CurrentMapShape(), SaveDialog1Title);
}

void TForm1::Druckeinstellungen1Click()
{
    if (Form3 && Form3->exec() == QDialog::Accepted)
        HexMapA1->RedrawAll();   // a change of the coordinates switch shows at once
}

void TForm1::WriteLanguageFile()
{
    LanguageBinding binding = MakeLanguageBinding();
    if (Form3)
        binding.printForm = Form3->languageTexts();
    // Adds only keys that are missing: a translator's texts stay.
    tolv::WriteLanguageFile(LangFilePath(paths_.ProgramDir), binding);
}

void TForm1::Contents1Click()
{
    OpenManual(paths_.ProgramDir);
}

void TForm1::Bedienungbersetzt1Click()
{
    OpenTranslatedManual(paths_.ProgramDir);
}

void TForm1::About1Click()
{
    TAboutBox* box = AboutBox();
    // During the first 1.6 s the splash is still up and its timer would
    // hide the modal box: it ends here.
    box->Timer1->stop();
    box->hide();
    box->OKButton->setVisible(true);
    box->exec();
}

void TForm1::HomepageVennhalmVerlag1Click()
{
    OpenHomepage(profileData_.wwwVennhalm);
}

void TForm1::HomepageLindsruhGamer1Click()
{
    OpenHomepage(profileData_.wwwLindsruh);
}

void TForm1::HomepageLudoveil1Click()
{
    OpenHomepage(profileData_.wwwLudoveil);
}

void TForm1::AddMenu1Click()
{
    OpenHomepage(profileData_.W1);
}

void TForm1::AddMenu2Click()
{
    OpenHomepage(profileData_.W2);
}

} // namespace tolv
