#pragma once
// TForm1, the main window of Tolvplan: the board view, the terrain palette
// with its counters, the size edits, the random-distribution buttons and the
// main menu. The window owns the board state and the profile record for the
// whole run; the rules it applies live in the board library (BoardState,
// BoardEdits, CellDrawing, RandomFill, Prof01, StartUp, TerrainPictures,
// WindowPlacement), so the handlers here only move values between those
// and the controls.
#include "editor/board/BoardState.h"
#include "editor/board/Prof01.h"
#include "editor/board/RandomFill.h"
#include "editor/board/StartUp.h"
#include "editor/board/TerrainPictures.h"
#include "editor/board/WindowPlacement.h"
#include "editor/HexMapA/HexMapAInput.h"
#include "output/OutputGate.h"
#include "printing/PJControl.h"
#include "printing/PJDraft.h"
#include "printing/PJImage.h"
#include "printing/PSWindow.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStatusBar;
class QTimer;

namespace plat {
class Canvas;
}
namespace pdf {
class TPdfVell;
}

namespace tolv {

class THexMapA;
struct THexMapADrawState;
class TAboutBox;
class TForm3;
class TShape;
struct LanguageBinding;
class PrinterDraftTiles;

// What the program's main sequence hands to the main window.
struct StartOptions {
    std::string ProgramDir;                // from the program's own path
    std::vector<std::string> Args;         // command-line arguments after the program name
    TAboutBox* AboutBox = nullptr;         // the splash, translated with the window; may be null
};

class TForm1 : public QMainWindow, private AnimationHost {
    Q_OBJECT
public:
    explicit TForm1(const StartOptions& options, QWidget* parent = nullptr);
    ~TForm1() override;

    // Non-zero when the profile made start-up fail: the program shows the
    // message box already shown and ends with this code.
    int FatalExitCode() const { return fatalExitCode_; }

    BoardState& State() { return state_; }
    ProfileData& ProfileRecord() { return profileData_; }
    tolv::Profile& ProfileFile() { return profile_; }
    const StartPaths& Paths() const { return paths_; }
    LanguageTexts& Language() { return language_; }
    // The pictures that failed at start-up (empty when all loaded).
    const std::vector<PictureFailure>& MissingPictures() const { return missingPictures_; }
    TerrainAnimation& Animation() { return animation_; }
    MapShape CurrentMapShape() const;

    // Every command that changes the board calls this first: a running
    // animation ends and the user's board is back before the change.
    void EndAnimation();
    // Every edit of the board or of its size ends here: the map repaints and
    // the counters recount, so that no edit can leave one of them stale.
    // With a cell, only that hexagon repaints (painting with the mouse).
    void BoardChanged();
    void BoardChanged(int Col, int Row);

    // Components, named as the form names them.
    THexMapA* HexMapA1 = nullptr;
    QFrame* Panel1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    plat::NumberedArray<TShape*, 1, 10> Shape{};        // Shape1 .. Shape10
    plat::NumberedArray<QLabel*, 1, 20> StaticText{};   // names 1..10, counters 11..20
    QGroupBox* GroupBox2 = nullptr;
    QPushButton* BitBtn3 = nullptr;           // "ergänzen"
    QPushButton* BitBtn4 = nullptr;           // "alle Gelände"
    QProgressBar* Gauge1 = nullptr;
    QPushButton* BitBtn6 = nullptr;           // "Abbruch"
    QFrame* Panel2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QSpinBox* SpinEditCol = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QSpinBox* SpinEdit2 = nullptr;
    QPushButton* BitBtn5 = nullptr;           // "Standard"
    QPushButton* BitBtn1 = nullptr;           // "löschen"
    QPushButton* BitBtn2 = nullptr;           // "&Ende"
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 2> StatusPanel{};
    QTimer* Timer1 = nullptr;

    // Main menu.
    QMenu* Datei1 = nullptr;
    QAction* Laden1 = nullptr;
    QAction* Speichernunter1 = nullptr;
    QAction* Ende1 = nullptr;
    QMenu* Drucken1 = nullptr;
    QMenu* Draft1 = nullptr;
    QAction* est12 = nullptr;
    QAction* est31 = nullptr;
    QAction* est21 = nullptr;
    QAction* est22 = nullptr;
    QMenu* Grafik1 = nullptr;
    QAction* Kacheln1 = nullptr;
    QAction* KachelnPDF1 = nullptr;
    QAction* est1PdfRahmen1 = nullptr;
    QMenu* Optionen1 = nullptr;
    QMenu* Farben1 = nullptr;
    QAction* beliebig1 = nullptr;
    QAction* Pampa1 = nullptr;
    QAction* N11 = nullptr;
    QAction* N21 = nullptr;
    QAction* N31 = nullptr;
    QAction* G41 = nullptr;
    QAction* G51 = nullptr;
    QAction* Markt1 = nullptr;
    QAction* See1 = nullptr;
    QAction* Grid1 = nullptr;
    QAction* leer1 = nullptr;
    QAction* Druckeinstellungen1 = nullptr;
    QAction* WriteLanguageFile1 = nullptr;   // only with PrivateTest1
    QAction* N1 = nullptr;                   // the empty top-level item
    QMenu* Hilfe1 = nullptr;
    QAction* Contents1 = nullptr;
    QAction* Bedienungbersetzt1 = nullptr;
    QAction* About1 = nullptr;
    QAction* HomepageVennhalmVerlag1 = nullptr;
    QAction* HomepageLindsruhGamer1 = nullptr;
    QAction* HomepageLudoveil1 = nullptr;
    QAction* AddMenu1 = nullptr;             // optional items from M1, M2
    QAction* AddMenu2 = nullptr;

    // Dialog titles (translated with the window).
    std::string OpenDialog1Title = "Öffnen eines Tolvaria Scripts";
    std::string SaveDialog1Title = "Speichern eines Tolvaria Scripts";
    std::string SaveDialog2Title = "Speichern der PDF-Datei";
    // The print preview the board output opens; its caption is translated
    // with the window.
    std::unique_ptr<printing::TPreviewWindow> PreviewWindow1;

    // The print settings window, created right after this window; set by
    // the program's main sequence (null: "&Druckeinstellungen ..." does nothing).
    TForm3* Form3 = nullptr;
    // The about box: the splash handed over at start, else one of the window's own.
    TAboutBox* AboutBox() const { return options_.AboutBox; }

    // The colour dialog's fixed custom colours (ColorA, ColorB).
    static const std::vector<plat::TColor>& ColorDialogCustomColours();

    // Handlers.
    void FormCreate();
    void FormShow();
    void LayOutMap();
    void FormClose();
    void Ende1Click();
    void ShowStatusTexts();
    void Shape1MouseUp(TShape* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ResetPaletteHighlight();
    void HexMapA1MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    void HexMapA1MouseMove(TShiftState Shift, int X, int Y);
    void HexMapA1DrawHex(int HX, int HY, plat::Canvas& ACanvas, int CX, int CY,
                         THexMapADrawState AState);
    void HexMapA1DrawExtra(int HX, int HY, plat::Canvas& ACanvas, int CX, int CY,
                           THexMapADrawState AState);
    void BitBtn1Click();   // "löschen"
    void BitBtn3Click();   // "ergänzen"
    void BitBtn4Click();   // "alle Gelände"
    void BitBtn5Click();   // "Standard"
    void SpinEditColChange();
    void SpinEdit1Change();
    void SpinEdit2Change();
    // The Delete key (46) is swallowed; true when it was.
    static bool SpinEditColKeyDown(int& Key, TShiftState Shift);
    void SyncSizeEdits();
    // The ten colour commands by terrain code, and the grid colour.
    void ColourCommand(TerrainCode code);
    void Grid1Click();
    void Image1MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    void Timer1Timer();
    // The recount with the ten counter labels.
    void SetDispAnzGel(bool Recount);
    // Applies lang.ini (called by the profile reader when the file exists).
    void ApplyLanguage();

    // Map scripts: the dialogs, and their close queries (true closes the dialog).
    void Laden1Click();
    void Speichernunter1Click();
    bool OpenDialog1CanClose(const std::string& FileName, const std::string& InitialDir);
    bool SaveDialog1CanClose(const std::string& FileName);
    // "&Druckeinstellungen ...": the settings window, modally.
    void Druckeinstellungen1Click();
    // "Write Language File": adds the missing keys of the current texts to lang.ini.
    void WriteLanguageFile();
    // Board output into PDF files; one output at a time.
    void KachelnPDF1Click();
    void est1PdfRahmen1Click();   // the same, framed by the counting strip
    void est22Click();            // draft tiles
    void BitBtn6Click();   // "Abbruch"
    bool OutputRunning() const;
    pdf::TPdfVell& PdfVell1();
    // Picture tiles on the printer, through the preview.
    std::unique_ptr<printing::TPrintJob> PrintJob11;
    void Kacheln1Click();
    void PrintJob11Update(printing::TCustomPrintJob& Sender);
    void PrintJob11Draw(printing::TCustomPrintJob& Sender, plat::Canvas& TheCanvas, int PageIndex,
                        const plat::TRect& TheRect, printing::TDrawArea Area, printing::TDrawTarget Target);

    // Board output on the printer: draft tiles (one tile per page), their
    // overview (the tile pages reduced, several to a sheet) and a copy of
    // the map control, each shown in PreviewWindow1 for the user to print.
    std::unique_ptr<printing::TPrintJob> PrintJob10;
    std::unique_ptr<printing::TDraftPrintJob> DraftPrintJob1;
    std::unique_ptr<printing::TControlPrintJob> ControlPrintJob1;
    // The window carries an image job that no command uses.
    std::unique_ptr<printing::TImagePrintJob> ImagePrintJob1;
    void est21Click();   // "&Kacheln - auf Drucker" (draft)
    void est31Click();   // "Kacheln &Überblick"
    void est12Click();   // "&Bildschirmansicht"
    void PrintJob10Update(printing::TCustomPrintJob& Sender);
    void PrintJob10InitDraw(printing::TCustomPrintJob& Sender, plat::Canvas& TheCanvas,
                            printing::TDrawTarget Target);
    void PrintJob10Draw(printing::TCustomPrintJob& Sender, plat::Canvas& TheCanvas, int PageIndex,
                        const printing::TRect& TheRect, printing::TDrawArea Area, printing::TDrawTarget Target);
    // Help menu.
    void Contents1Click();
    void Bedienungbersetzt1Click();
    void About1Click();
    void HomepageVennhalmVerlag1Click();
    void HomepageLindsruhGamer1Click();
    void HomepageLudoveil1Click();
    void AddMenu1Click();
    void AddMenu2Click();

signals:
    // The window was closed: the program ends.
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window's parts, one builder per panel; the menu from its table.
    void CreateComponents();
    void CreatePreviewWindow();
    QFrame* BuildPalettePanel(QWidget* parent);   // Panel1: the three below
    void BuildPalette(QWidget* panel);            // shapes, names and counters
    void BuildRandomButtons(QWidget* panel);      // "ergänzen", "alle Gelände"
    void BuildOutputProgress(QWidget* panel);     // the PDF gauge and "Abbruch"
    THexMapA* BuildMapView(QWidget* parent);
    QFrame* BuildSizePanel(QWidget* parent);      // Panel2: size edits, buttons, pictures
    void BuildStatusBar();
    void CreateDraftPrintJobs();
    // Sets up PrintJob10 for the tiles of the board as it is now; false
    // (after saying why) when no tile fits on the page.
    bool PrepareDraftTiles();
    // The draft tiles, shown as the job's pages (the tiles or their overview).
    void PreviewDraftTiles(printing::TCustomPrintJob& shown);
    void CreateMenu();
    // The picture tiles into a PDF file, bare or with the counting strip.
    void ExportPdfTiles(bool withStrip);
    LanguageBinding MakeLanguageBinding();
    // The steps of FormCreate after the defaults, in their order.
    void SetStartDefaults();
    bool ReadStartProfile();   // false: the program ends with FatalExitCode
    void TakeProfileColoursAndParams();
    void ApplyPlacement();
    void AddLanguageFileCommand();
    void ApplyPaletteColours();
    void ResetScriptValues();
    void ApplyProfileBoardSize();
    void LoadTerrainPictures();
    void ResetOutputValues();
    void AddHomepageItems();
    WinRect CurrentNormalGeometry() const;
    void PaintAt(int X, int Y);
    // AnimationHost
    void AnimationRunning(bool running) override;
    void BoardReplaced() override;

    StartOptions options_;
    StartPaths paths_;
    BoardState state_;
    ProfileData profileData_;
    tolv::Profile profile_;
    LanguageTexts language_;
    TerrainAnimation animation_;
    std::vector<PictureFailure> missingPictures_;
    std::unique_ptr<TerrainCounterView> counterView_;
    std::unique_ptr<TAboutBox> ownAboutBox_;
    struct OutputComponents;                     // the PDF writer and the output gate
    std::shared_ptr<OutputComponents> output_;
    // One output at a time: a pass, or nothing while another one runs.
    std::optional<OutputGate::Pass> EnterOutput();
    void CreatePrintJob11();
    struct PrinterPictureRun;                    // what the picture preview's pages are made from
    std::shared_ptr<PrinterPictureRun> printerPictures_;
    std::shared_ptr<PrinterDraftTiles> draftTiles_;   // the draft tiles of the last printer command
    int fatalExitCode_ = 0;
    bool created_ = false;
    bool closed_ = false;
};

} // namespace tolv
