// TForm1: creation, show and close, and the language binding.
#include "editor/Unit1.h"

#include "editor/HelpCommands.h"
#include "editor/HexMapA/HexMapA.h"
#include "editor/LangFile.h"
#include "editor/LangWidgets.h"
#include "editor/Unit1App.h"
#include "editor/Unit1Shape.h"
#include "editor/Unit2.h"
#include "platform/Dialogs.h"
#include "platform/IniFile.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLayout>
#include <QResizeEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>

#include <cmath>

namespace tolv {

namespace {

// The form's own placement before the profile's is applied.
constexpr WinRect FormBounds{393, 120, 726, 546};

QString Q(const std::string& s)
{
    return QString::fromStdString(s);
}

std::string S(const QString& s)
{
    return s.toStdString();
}

// Palette position 1..10 of a terrain code, 0 for none.
int PaletteIndex(TerrainCode code)
{
    for (std::size_t i = 0; i < PaletteOrder.size(); ++i)
        if (PaletteOrder[i] == code)
            return int(i) + 1;
    return 0;
}

class CounterLabels final : public TerrainCounterView {
public:
    explicit CounterLabels(plat::NumberedArray<QLabel*, 1, 20>& labels) : labels_(labels) {}
    std::string text(TerrainCode code) const override
    {
        const QLabel* l = label(code);
        return l ? S(l->text()) : std::string();
    }
    void setText(TerrainCode code, const std::string& text) override
    {
        if (QLabel* l = label(code))
            l->setText(Q(text));
    }

private:
    QLabel* label(TerrainCode code) const
    {
        const int i = PaletteIndex(code);
        return i ? labels_[10 + i] : nullptr;
    }
    plat::NumberedArray<QLabel*, 1, 20>& labels_;
};

} // namespace

const std::vector<plat::TColor>& TForm1::ColorDialogCustomColours()
{
    // "ColorA=FFFFFF", "ColorB=C0DCC0"
    static const std::vector<plat::TColor> colours = {0xFFFFFF, 0xC0DCC0};
    return colours;
}

TForm1::TForm1(const StartOptions& options, QWidget* parent)
    : QMainWindow(parent), options_(options), animation_(state_.Board, state_.BoardBackup)
{
    setObjectName("Form1");
    setWindowTitle("Tolvaria Feldwerker");
    state_.OnFault = ShowFault;
    QFont formFont("MS Sans Serif");
    formFont.setPixelSize(11);
    setFont(formFont);
    move(FormBounds.Left, FormBounds.Top);
    resize(FormBounds.Width, FormBounds.Height);

    // Without a splash (it could not be made) the window keeps an about box
    // of its own, never shown as a splash.
    if (!options_.AboutBox) {
        ownAboutBox_ = std::make_unique<TAboutBox>();
        ownAboutBox_->Timer1->stop();
        options_.AboutBox = ownAboutBox_.get();
    }

    CreateComponents();
    CreateMenu();
    counterView_ = std::make_unique<CounterLabels>(StaticText);
    animation_.SetHost(this);

    FormCreate();
    created_ = true;
}

TForm1::~TForm1()
{
    animation_.SetHost(nullptr);
}

MapShape TForm1::CurrentMapShape() const
{
    return HexMapA1->Shape();
}

void TForm1::FormCreate()
{
    SetStartDefaults();
    paths_ = DeriveStartPaths(options_.ProgramDir, options_.Args);
    language_ = LanguageTexts{"Deutsch", "Deutsch", " "};
    // Without a writable profile the program does not start.
    if (!ReadStartProfile())
        return;

    // The rest of start-up always runs to its end: a step that fails is
    // shown in the error box and the next one goes on.
    Guarded([&] { TakeProfileColoursAndParams(); });
    Guarded([&] { ApplyPlacement(); });
    Guarded([&] { AddLanguageFileCommand(); });
    Guarded([&] { ApplyPaletteColours(); });
    Guarded([&] { ShowStatusTexts(); });
    Guarded([&] { ResetScriptValues(); });
    Guarded([&] { ApplyProfileBoardSize(); });
    Guarded([&] { profileData_.PdfJpgC = ClampJpegQuality(profileData_.PdfJpgC); });
    Guarded([&] { state_.TileBitmap = plat::Bitmap(); });
    Guarded([&] { LoadTerrainPictures(); });
    Guarded([&] { ResetOutputValues(); });
    Guarded([&] { AddHomepageItems(); });
}

void TForm1::SetStartDefaults()
{
    state_.TerrainCount.fill(0);
    state_.ColorTable = DefaultColorTable();
    state_.PrintParams = DefaultPrintParams();
    state_.SelectedTerrain = tcPampa;
    for (auto* board : {&state_.Board, &state_.BoardBackup})
        for (auto& column : *board)
            for (TerrainCell& cell : column)
                cell = TerrainCell{tcPampa, false};
}

bool TForm1::ReadStartProfile()
{
    ProfileSetup setup;
    setup.WorkDir = paths_.WorkDir;
    setup.ProgramDir = paths_.ProgramDir;
    setup.Colors = state_.ColorTable;
    setup.Params = state_.PrintParams;
    setup.PosLeft = x();
    setup.PosTop = y();
    setup.PosWidth = width();
    setup.PosHeight = height();
    setup.Language = &language_;
    setup.ApplyLanguage = [this] { Guarded([this] { ApplyLanguage(); }); };
    ProfileReadResult read;
    if (!Guarded([&] { read = profile_.ReadProfile(profileData_, setup); })) {
        read = {ProfileStatus::ReadOnly, ExitProfileReadOnly,
                "Profiledatei schreibgeschützt (CD-ROM?)" + profile_.Path()};
    }
    if (read.ok())
        return true;
    // A plain box: the text, the caption and an OK button, no icon.
    plat::ShowMessage(read.Text, ProfileFailureCaption, plat::MsgIcon::None, plat::MsgButtons::OK);
    fatalExitCode_ = read.ExitCode;
    return false;
}

void TForm1::TakeProfileColoursAndParams()
{
    for (int i = 1; i <= 11; ++i)
        state_.ColorTable[i] = profileData_.Colors[i];
    for (int i = 1; i <= 10; ++i)
        state_.PrintParams[i] = profileData_.Param[i];
}

void TForm1::AddLanguageFileCommand()
{
    if (!profileData_.PrivateTest1)
        return;
    WriteLanguageFile1 = Optionen1->addAction("Write Language File");
    WriteLanguageFile1->setObjectName("WriteLanguageFile1");
    Connect(WriteLanguageFile1, &QAction::triggered, this, [this] { WriteLanguageFile(); });
}

void TForm1::ApplyPaletteColours()
{
    for (int i = 1; i <= 10; ++i)
        Shape[i]->SetBrushColor(state_.ColorTable[Shape[i]->Tag]);
    HexMapA1->SetGridColor(state_.ColorTable[GridColourIndex]);
    ResetPaletteHighlight();
    Shape[1]->SetPenWidth(4);
    state_.SelectedTerrain = Shape[1]->Tag;
}

void TForm1::ResetScriptValues()
{
    state_.MapDir = profileData_.SaveDir;
    state_.MapFileName = "Tlv01.tlv";
    state_.ScriptAuthor = "None";
    state_.ScriptMapName = "None";
    state_.ScriptMapVersion = 1;
    HexMapA1->SetColor(state_.ColorTable[tcLeer]);
    SetDispAnzGel(true);
}

void TForm1::ApplyProfileBoardSize()
{
    HexMapA1->SetColCount(profileData_.HexX);
    HexMapA1->SetRowCount(profileData_.HexY);
    HexMapA1->SetHexSize(profileData_.HexSize);
    LayOutMap();
    HexMapA1->CenterOnHex(HexMapA1->ColCount() / 2, HexMapA1->RowCount() / 2);
    SyncSizeEdits();
    // The edits run their handlers only for values that changed; the
    // counters must show the profile's board in every case.
    BoardChanged();
}

void TForm1::LoadTerrainPictures()
{
    // Each picture on its own; one message names all that failed.
    missingPictures_ = LoadPictures(state_, paths_.PicturesDir, profileData_.HellF,
                                    profileData_.HellA, [] { ShowFault("Create: getDib failed", 1); });
    if (!missingPictures_.empty())
        plat::ShowMessage(PictureFailureMessage(missingPictures_, paths_.PicturesDir),
                          ApplicationTitle(), plat::MsgIcon::Error, plat::MsgButtons::OK);
}

void TForm1::ResetOutputValues()
{
    state_.CancelRequested = false;
    state_.PdfFileName = "TolvariaPlan01.pdf";
    state_.PdfDir = paths_.ProgramDir;
}

void TForm1::AddHomepageItems()
{
    if (WantsOptionalHelpItem(profileData_.M1)) {
        AddMenu1 = Hilfe1->addAction(Q(profileData_.M1));
        AddMenu1->setObjectName("AddMenu1");
        Connect(AddMenu1, &QAction::triggered, this, [this] { AddMenu1Click(); });
    }
    if (WantsOptionalHelpItem(profileData_.M2)) {
        AddMenu2 = Hilfe1->addAction(Q(profileData_.M2));
        AddMenu2->setObjectName("AddMenu2");
        Connect(AddMenu2, &QAction::triggered, this, [this] { AddMenu2Click(); });
    }
}

void TForm1::ApplyPlacement()
{
    std::vector<WinRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        const QRect a = primary->availableGeometry();
        screens.push_back({a.x(), a.y(), a.width(), a.height()});
    }
    for (QScreen* s : QGuiApplication::screens()) {
        if (s == QGuiApplication::primaryScreen())
            continue;
        const QRect a = s->availableGeometry();
        screens.push_back({a.x(), a.y(), a.width(), a.height()});
    }
    const WinRect r = FitOnScreens(
        {profileData_.PosLeft, profileData_.PosTop, profileData_.PosWidth, profileData_.PosHeight},
        screens, FormBounds);
    // The record keeps the usable placement, so showing applies it again.
    profileData_.PosLeft = r.Left;
    profileData_.PosTop = r.Top;
    profileData_.PosWidth = r.Width;
    profileData_.PosHeight = r.Height;
    move(r.Left, r.Top);
    resize(r.Width, r.Height);
}

WinRect TForm1::CurrentNormalGeometry() const
{
    if (isMaximized() || isMinimized() || isFullScreen()) {
        const QRect n = normalGeometry();
        if (n.isValid()) {
            // normalGeometry is the client area; placement counts from the frame.
            const QPoint frameOffset = geometry().topLeft() - frameGeometry().topLeft();
            return {n.x() - frameOffset.x(), n.y() - frameOffset.y(), n.width(), n.height()};
        }
    }
    return {x(), y(), width(), height()};
}

// A hidden window is laid out only when first shown, and its children get
// their size messages then; centring at start-up needs the map's real view.
void TForm1::LayOutMap()
{
    if (layout())
        layout()->activate();
    if (centralWidget() && centralWidget()->layout())
        centralWidget()->layout()->activate();
    if (HexMapA1->testAttribute(Qt::WA_PendingResizeEvent)) {
        QResizeEvent size(HexMapA1->size(), QSize());
        QCoreApplication::sendEvent(HexMapA1, &size);
        HexMapA1->setAttribute(Qt::WA_PendingResizeEvent, false);
    }
}

void TForm1::FormShow()
{
    move(profileData_.PosLeft, profileData_.PosTop);
    resize(profileData_.PosWidth, profileData_.PosHeight);
}

void TForm1::FormClose()
{
    if (closed_ || fatalExitCode_ != 0)
        return;
    closed_ = true;
    Timer1->stop();
    // A running animation must not leave its random board behind.
    animation_.StopAndRestore();
    const WinRect r = CurrentNormalGeometry();
    profileData_.PosLeft = r.Left;
    profileData_.PosTop = r.Top;
    profileData_.PosWidth = r.Width;
    profileData_.PosHeight = r.Height;
    profileData_.HexX = HexMapA1->ColCount();
    profileData_.HexY = HexMapA1->RowCount();
    profileData_.HexSize = HexMapA1->HexSize();
    profileData_.SaveDir = state_.MapDir;
    // A refused write is shown, and the program closes all the same.
    try {
        profile_.WriteProfile(profileData_);
    } catch (const plat::IniWriteError& e) {
        plat::ShowMessage(e.what(), ApplicationTitle(), plat::MsgIcon::Error, plat::MsgButtons::OK);
    }
    for (int i = 1; i <= PictureCount; ++i)
        state_.Pictures[i] = Picture{};
    state_.TileBitmap = plat::Bitmap();
}

void TForm1::Ende1Click()
{
    close();
}

void TForm1::ShowStatusTexts()
{
    StatusPanel[0]->setText(Q(StatusVersionText()));
    StatusPanel[1]->setText(Q(CreditPanelText(language_)));
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        Guarded([this] { FormShow(); });
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // An export processes messages while it reads the board and the pictures.
    if (OutputRunning()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
    emit Closed();
}

LanguageBinding TForm1::MakeLanguageBinding()
{
    LanguageBinding b;
    b.menu = LangMenuFromMenuBar(*menuBar());
    b.mainForm = {CaptionOf(this), TitleOf(GroupBox1), TitleOf(GroupBox2)};
    for (QPushButton* btn : {BitBtn1, BitBtn2, BitBtn3, BitBtn4, BitBtn5, BitBtn6})
        b.mainForm.push_back(TextOf(btn));
    for (QPushButton* btn : {BitBtn1, BitBtn2, BitBtn3, BitBtn4, BitBtn5, BitBtn6})
        b.mainForm.push_back(HintOf(btn));
    for (QLabel* l : {Label1, Label2, Label3})
        b.mainForm.push_back(TextOf(l));
    for (QWidget* w : {static_cast<QWidget*>(SpinEdit1), static_cast<QWidget*>(SpinEdit2),
                       static_cast<QWidget*>(SpinEditCol)})
        b.mainForm.push_back(HintOf(w));
    for (int i = 1; i <= 10; ++i)
        b.mainForm.push_back(TextOf(StaticText[i]));
    b.mainForm.push_back(HintOf(Gauge1));

    if (TAboutBox* about = options_.AboutBox) {
        b.aboutForm = AboutFormTexts(CaptionOf(about), TextOf(about->OKButton),
                                     TextOf(about->Label1), TextOf(about->Label3),
                                     TextOf(about->Label4));
        b.showAboutPanel = [about] {
            about->Panel1->setVisible(true);
            about->update();
        };
    }
    b.other = {StringOf(OpenDialog1Title), StringOf(SaveDialog1Title), StringOf(SaveDialog2Title),
               MakeLangText([this] { return PreviewWindow1->Caption(); },
                            [this](const std::string& t) { PreviewWindow1->SetCaption(t); })};
    b.setApplicationTitle = [](const std::string& t) { SetApplicationTitle(t); };
    b.showTranslatedHelp = [this] { Bedienungbersetzt1->setVisible(true); };
    return b;
}

void TForm1::ApplyLanguage()
{
    const LanguageFile lang(LangFilePath(paths_.ProgramDir));
    tolv::ApplyLanguage(lang, paths_.ProgramDir, MakeLanguageBinding(), language_);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress &&
        (watched == SpinEditCol || watched == SpinEdit1 || watched == SpinEdit2 ||
         (watched->parent() && (watched->parent() == SpinEditCol || watched->parent() == SpinEdit1 ||
                                watched->parent() == SpinEdit2)))) {
        auto* ke = static_cast<QKeyEvent*>(event);
        int key = VirtualKeyOf(ke->key());
        if (SpinEditColKeyDown(key, ShiftStateOf(Qt::NoButton, ke->modifiers())))
            return true;
    }
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        const QPoint p = me->position().toPoint();
        Image1MouseUp(MouseButtonOf(me->button()), ShiftStateOf(me->buttons(), me->modifiers()),
                      p.x(), p.y());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tolv
