// TForm1: components, main menu, creation, show and close.
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
#include "platform/QtColour.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QResizeEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
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

// The two small pictures of the right panel: a hexagon rosette, and the
// same rosette in the random terrains while the animation runs.
QPixmap PanelPicture(bool random)
{
    const int w = 80, h = 72;
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(0xC0, 0xC0, 0xC0));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double quarter = 6, half = 13, halfHeight = 11;   // a hexagon of size 26
    const double pitch = half + quarter;
    const QPointF centre(w / 2.0, h / 2.0);
    const QPointF cells[] = {{0, 0}, {0, -2}, {0, 2}, {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    const TerrainCode plain[] = {tcPampa, tcWiese, tcWald, tcMoor, tcFels, tcBerg, tcMarkt};
    const TerrainCode mixed[] = {tcBeliebig, tcWald, tcFels, tcWiese, tcBerg, tcMoor, tcWald};
    const auto colours = DefaultColorTable();
    p.setPen(QPen(plat::ToQColor(colours[GridColourIndex]), 1));
    for (int i = 0; i < 7; ++i) {
        const double cx = centre.x() + cells[i].x() * pitch;
        const double cy = centre.y() + cells[i].y() * halfHeight;
        p.setBrush(plat::ToQColor(colours[std::size_t(random ? mixed[i] : plain[i])]));
        const auto outline = HexOutlineAround<QPointF>(cx, cy, quarter, half, halfHeight);
        p.drawPolygon(outline.data(), int(outline.size()));
    }
    return QPixmap::fromImage(img);
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, const char* hint,
                        QRect geometry)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(name);
    b->setToolTip(QString::fromUtf8(hint));
    b->setGeometry(geometry);
    return b;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                  bool bold, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(geometry);
    l->setAlignment(align);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

QSpinBox* MakeSpin(QWidget* parent, const char* name, int min, int max, int value,
                   const char* hint, QRect geometry)
{
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(min, max);
    s->setValue(value);
    s->setToolTip(QString::fromUtf8(hint));
    s->setGeometry(geometry);
    // The value is stepped, never typed.
    if (auto* edit = s->findChild<QLineEdit*>())
        edit->setReadOnly(true);
    return s;
}

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

void TForm1::CreateComponents()
{
    PreviewWindow1 = std::make_unique<printing::TPreviewWindow>(this);
    PreviewWindow1->SetCaption("Preview");
    plat::TFont previewFont;
    previewFont.Name = "MS Sans Serif";
    previewFont.Height = -11;
    PreviewWindow1->SetFont(previewFont);
    PreviewWindow1->SetPosition(printing::poDesktopCenter);
    PreviewWindow1->SetWindowLeft(0);
    PreviewWindow1->SetWindowTop(0);
    PreviewWindow1->SetWindowWidth(400);
    PreviewWindow1->SetWindowHeight(500);
    PreviewWindow1->SetButtons({printing::btnPrint, printing::btnPrintDialog, printing::btnPrinterSetupDialog,
                                printing::btnFirstPage, printing::btnPrevPage, printing::btnNextPage,
                                printing::btnLastPage, printing::btnWholePage, printing::btnPageWidth,
                                printing::btnClose});
    PreviewWindow1->SetUserButtonEnabled(false);
    CreatePrintJob11();
    CreateDraftPrintJobs();

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    setCentralWidget(central);

    // Left panel: palette with counters, random distribution, PDF progress.
    Panel1 = new QFrame(central);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFixedWidth(217);
    row->addWidget(Panel1);

    GroupBox1 = new QGroupBox(QString::fromUtf8("Geländetyp"), Panel1);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(8, 4, 201, 306);
    for (int i = 1; i <= 10; ++i) {
        const TerrainCode code = PaletteOrder[i - 1];
        const TerrainInfo* info = FindTerrain(code);
        const int top = 20 + (i - 1) * 28;
        auto* shape = new TShape(GroupBox1);
        shape->setObjectName(QString("Shape%1").arg(i));
        shape->setGeometry(10, top, 45, 23);
        shape->Tag = code;
        shape->OnMouseUp = [this](TShape* s, TMouseButton b, TShiftState sh, int x, int y) {
            Shape1MouseUp(s, b, sh, x, y);
        };
        Shape[i] = shape;
        StaticText[i] = MakeLabel(GroupBox1, "", QString::fromUtf8(info->Name),
                                  QRect(64, top + 3, 76, 17), true);
        StaticText[i]->setObjectName(QString("StaticText%1").arg(i));
        StaticText[10 + i] = MakeLabel(GroupBox1, "", "G1", QRect(142, top + 3, 48, 17), true,
                                       Qt::AlignRight | Qt::AlignVCenter);
        StaticText[10 + i]->setObjectName(QString("StaticText%1").arg(10 + i));
    }

    GroupBox2 = new QGroupBox(QString::fromUtf8("zufällige Geländeverteilung"), Panel1);
    GroupBox2->setObjectName("GroupBox2");
    GroupBox2->setGeometry(8, 316, 201, 92);
    BitBtn3 = MakeButton(GroupBox2, "BitBtn3", "ergänzen",
                         "den als beliebig  gekennzeichneten Feldern wird ein Gelädetyp zugeordnet",
                         QRect(10, 20, 181, 29));
    BitBtn4 = MakeButton(GroupBox2, "BitBtn4", "alle Gelände",
                         "alle Geländetypen werden zufällig neu verteilt", QRect(10, 55, 181, 29));
    for (QPushButton* b : {BitBtn3, BitBtn4}) {
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
    }
    Connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    Connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn4Click(); });

    Gauge1 = new QProgressBar(Panel1);
    Gauge1->setObjectName("Gauge1");
    Gauge1->setToolTip("PDF Print Progress");
    Gauge1->setGeometry(8, 416, 201, 20);
    Gauge1->setVisible(false);
    BitBtn6 = MakeButton(Panel1, "BitBtn6", "Abbruch", "Abbruch der Ausgabe",
                         QRect(8, 442, 201, 29));
    BitBtn6->setVisible(false);
    Connect(BitBtn6, &QPushButton::clicked, this, [this] { BitBtn6Click(); });

    // The board view.
    HexMapA1 = new THexMapA(central);
    HexMapA1->setObjectName("HexMapA1");
    HexMapA1->SetColor(plat::clCream);
    HexMapA1->SetColCount(14);
    HexMapA1->SetRowCount(38);
    HexMapA1->SetFirstOdd(true);
    HexMapA1->SetGridColor(plat::clGray);
    HexMapA1->SetHexSize(26);
    HexMapA1->SetCellWidth(48);
    HexMapA1->SetCellHeight(42);
    HexMapA1->SetMargin(15);
    HexMapA1->SetOptions({hmGrid, hmDblClickCenter, hmRightBtnDrag});
    HexMapA1->OnDrawHex = [this](THexMapA*, int hx, int hy, plat::Canvas& c, int cx, int cy,
                                 THexMapADrawState st) { HexMapA1DrawHex(hx, hy, c, cx, cy, st); };
    HexMapA1->OnDrawExtra = [this](THexMapA*, int hx, int hy, plat::Canvas& c, int cx, int cy,
                                   THexMapADrawState st) {
        HexMapA1DrawExtra(hx, hy, c, cx, cy, st);
    };
    HexMapA1->OnMouseMove = [this](THexMapA*, TShiftState sh, int x, int y) {
        HexMapA1MouseMove(sh, x, y);
    };
    HexMapA1->OnMouseUp = [this](THexMapA*, TMouseButton b, TShiftState sh, int x, int y) {
        HexMapA1MouseUp(b, sh, x, y);
    };
    row->addWidget(HexMapA1, 1);

    // Right panel: board size, clear, end, the two pictures.
    Panel2 = new QFrame(central);
    Panel2->setObjectName("Panel2");
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setFixedWidth(106);
    row->addWidget(Panel2);

    Label1 = MakeLabel(Panel2, "Label1", "Spalten", QRect(8, 8, 90, 16), false);
    SpinEditCol = MakeSpin(Panel2, "SpinEditCol", 4, 40, 14, "Spielplangröße: Anzahl Spalten",
                           QRect(8, 24, 90, 22));
    Label2 = MakeLabel(Panel2, "Label2", "Zeilen", QRect(8, 54, 90, 16), false);
    SpinEdit1 = MakeSpin(Panel2, "SpinEdit1", 4, 80, 38, "Spielplangröße: Anzahl  Zeilen",
                         QRect(8, 70, 90, 22));
    Label3 = MakeLabel(Panel2, "Label3", QString::fromUtf8("Größe"), QRect(8, 100, 90, 16), false);
    SpinEdit2 = MakeSpin(Panel2, "SpinEdit2", 10, 99, 26, "Größe eines Hexfeldes",
                         QRect(8, 116, 90, 22));
    for (QSpinBox* s : {SpinEditCol, SpinEdit1, SpinEdit2}) {
        s->installEventFilter(this);
        if (auto* edit = s->findChild<QLineEdit*>())
            edit->installEventFilter(this);
    }
    Connect(SpinEditCol, &QSpinBox::valueChanged, this, [this] { SpinEditColChange(); });
    Connect(SpinEdit1, &QSpinBox::valueChanged, this, [this] { SpinEdit1Change(); });
    Connect(SpinEdit2, &QSpinBox::valueChanged, this, [this] { SpinEdit2Change(); });

    BitBtn5 = MakeButton(Panel2, "BitBtn5", "Standard", "Standardgröße des Spielfeldes einstellen",
                         QRect(8, 152, 90, 29));
    BitBtn1 = MakeButton(Panel2, "BitBtn1", "löschen", "alle Felder werden gelöscht",
                         QRect(8, 187, 90, 29));
    BitBtn2 = MakeButton(Panel2, "BitBtn2", "&Ende", "Programm beenden", QRect(8, 222, 90, 29));
    Connect(BitBtn5, &QPushButton::clicked, this, [this] { BitBtn5Click(); });
    Connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    Connect(BitBtn2, &QPushButton::clicked, this, [this] { close(); });

    Image1 = new QLabel(Panel2);
    Image1->setObjectName("Image1");
    Image1->setGeometry(13, 266, 80, 72);
    Image1->setPixmap(PanelPicture(false));
    Image1->installEventFilter(this);
    Image2 = new QLabel(Panel2);
    Image2->setObjectName("Image2");
    Image2->setGeometry(13, 346, 80, 72);
    Image2->setPixmap(PanelPicture(true));
    Image2->setVisible(false);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    setStatusBar(StatusBar1);
    StatusPanel[0] = new QLabel(StatusBar1);
    StatusPanel[0]->setFixedWidth(190);
    StatusPanel[1] = new QLabel(StatusBar1);
    // The last panel reaches to the bar's right end, as a status bar's last
    // part does: a translator's credit longer than 100 pixels stays readable.
    StatusPanel[1]->setMinimumWidth(100);
    StatusPanel[1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    StatusBar1->addWidget(StatusPanel[0]);
    StatusBar1->addWidget(StatusPanel[1], 1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(TerrainAnimation::DefaultInterval);
    Connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

void TForm1::CreateMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    auto item = [this](QMenu* menu, const char* name, const char* caption) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(name);
        return a;
    };

    Datei1 = bar->addMenu("&Datei");
    Datei1->setObjectName("Datei1");
    Laden1 = item(Datei1, "Laden1", "Script &laden ...");
    Speichernunter1 = item(Datei1, "Speichernunter1", "Script &speichern unter ...");
    Ende1 = item(Datei1, "Ende1", "Ende");
    Connect(Laden1, &QAction::triggered, this, [this] { Laden1Click(); });
    Connect(Speichernunter1, &QAction::triggered, this, [this] { Speichernunter1Click(); });
    Connect(Ende1, &QAction::triggered, this, [this] { Ende1Click(); });

    Drucken1 = bar->addMenu("D&rucken");
    Drucken1->setObjectName("Drucken1");
    Draft1 = Drucken1->addMenu("&Draft");
    Draft1->setObjectName("Draft1");
    est12 = item(Draft1, "est12", "&Bildschirmansicht");
    est31 = item(Draft1, "est31", "Kacheln &Überblick");
    est21 = item(Draft1, "est21", "&Kacheln - auf Drucker");
    est22 = item(Draft1, "est22", "Kacheln - in &PDF-Datei");
    Grafik1 = Drucken1->addMenu("&Grafik");
    Grafik1->setObjectName("Grafik1");
    Kacheln1 = item(Grafik1, "Kacheln1", "&Kacheln - auf Drucker");
    KachelnPDF1 = item(Grafik1, "KachelnPDF1", "Kacheln - In &PDF-Datei");
    est1PdfRahmen1 = item(Grafik1, "est1PdfRahmen1", "Kacheln - In PDF-Datei mit &Zählleiste");
    Connect(Kacheln1, &QAction::triggered, this, [this] { Kacheln1Click(); });
    Connect(est12, &QAction::triggered, this, [this] { est12Click(); });
    Connect(est31, &QAction::triggered, this, [this] { est31Click(); });
    Connect(est21, &QAction::triggered, this, [this] { est21Click(); });
    Connect(KachelnPDF1, &QAction::triggered, this, [this] { KachelnPDF1Click(); });
    Connect(est1PdfRahmen1, &QAction::triggered, this, [this] { est1PdfRahmen1Click(); });
    Connect(est22, &QAction::triggered, this, [this] { est22Click(); });

    Optionen1 = bar->addMenu("&Optionen");
    Optionen1->setObjectName("Optionen1");
    Farben1 = Optionen1->addMenu("&Farben");
    Farben1->setObjectName("Farben1");
    struct ColourItem {
        QAction** action;
        TerrainCode code;
    };
    const ColourItem colourItems[] = {
        {&beliebig1, tcBeliebig}, {&Pampa1, tcPampa}, {&N11, tcWiese},   {&N21, tcWald},
        {&N31, tcMoor},           {&G41, tcFels},     {&G51, tcBerg},    {&Markt1, tcMarkt},
        {&See1, tcWasser},        {&Grid1, GridColourIndex}, {&leer1, tcLeer},
    };
    for (const ColourItem& ci : colourItems) {
        const TerrainInfo* info = FindTerrain(ci.code);
        *ci.action = item(Farben1, info->ColorMenuItem, info->ColorMenuCaption);
        const TerrainCode code = ci.code;
        if (code == GridColourIndex)
            Connect(*ci.action, &QAction::triggered, this, [this] { Grid1Click(); });
        else
            Connect(*ci.action, &QAction::triggered, this, [this, code] { ColourCommand(code); });
    }
    Druckeinstellungen1 = item(Optionen1, "Druckeinstellungen1", "&Druckeinstellungen ...");
    Connect(Druckeinstellungen1, &QAction::triggered, this, [this] { Druckeinstellungen1Click(); });

    // A top-level item without caption and without items.
    N1 = bar->addAction(QString());
    N1->setObjectName("N1");
    N1->setEnabled(false);

    Hilfe1 = bar->addMenu("&Hilfe");
    Hilfe1->setObjectName("Hilfe1");
    Contents1 = item(Hilfe1, "Contents1", "&Bedienung(Deutsch)");
    Contents1->setShortcut(QKeySequence(Qt::Key_F1));
    Bedienungbersetzt1 = item(Hilfe1, "Bedienungbersetzt1", "B&edienung(übersetzt)");
    Bedienungbersetzt1->setVisible(false);
    About1 = item(Hilfe1, "About1", "&Über...");
    Hilfe1->addSeparator();
    HomepageVennhalmVerlag1 = item(Hilfe1, "HomepageVennhalmVerlag1", "Homepage &Vennhalm Verlag");
    HomepageLindsruhGamer1 = item(Hilfe1, "HomepageLindsruhGamer1", "Homepage &Lindsruh Gamer");
    HomepageLudoveil1 = item(Hilfe1, "HomepageLudoveil1", "Homepage Ludo&veil");
    const std::pair<QAction*, void (TForm1::*)()> help[] = {
        {Contents1, &TForm1::Contents1Click},
        {Bedienungbersetzt1, &TForm1::Bedienungbersetzt1Click},
        {About1, &TForm1::About1Click},
        {HomepageVennhalmVerlag1, &TForm1::HomepageVennhalmVerlag1Click},
        {HomepageLindsruhGamer1, &TForm1::HomepageLindsruhGamer1Click},
        {HomepageLudoveil1, &TForm1::HomepageLudoveil1Click},
    };
    for (const auto& [action, handler] : help)
        Connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
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
