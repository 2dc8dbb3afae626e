// TForm1: the window's components, one builder per panel, and the main menu
// from its table.
#include "editor/Unit1.h"

#include "editor/HexMapA/HexMapA.h"
#include "editor/Unit1App.h"
#include "editor/Unit1Shape.h"
#include "platform/QtColour.h"

#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>

namespace tolv {

namespace {

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
        p.setBrush(plat::ToQColor(colours[random ? mixed[i] : plain[i]]));
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

// A raised side panel of fixed width.
QFrame* MakePanel(QWidget* parent, const char* name, int width)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setFixedWidth(width);
    return panel;
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

void TForm1::CreateComponents()
{
    CreatePreviewWindow();
    CreatePrintJob11();
    CreateDraftPrintJobs();

    // Left to right: the palette panel, the board view, the size panel.
    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    setCentralWidget(central);
    row->addWidget(BuildPalettePanel(central));
    row->addWidget(BuildMapView(central), 1);
    row->addWidget(BuildSizePanel(central));

    BuildStatusBar();
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(TerrainAnimation::DefaultInterval);
    Connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

void TForm1::CreatePreviewWindow()
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
    printing::TToolbarOptions toolbar = PreviewWindow1->ToolbarOptions();
    toolbar.Buttons = {printing::btnPrint,     printing::btnPrintDialog, printing::btnPrinterSetupDialog,
                       printing::btnFirstPage, printing::btnPrevPage,    printing::btnNextPage,
                       printing::btnLastPage,  printing::btnWholePage,   printing::btnPageWidth,
                       printing::btnClose};
    toolbar.UserButtonEnabled = false;
    PreviewWindow1->SetToolbarOptions(toolbar);
}

QFrame* TForm1::BuildPalettePanel(QWidget* parent)
{
    Panel1 = MakePanel(parent, "Panel1", 217);
    BuildPalette(Panel1);
    BuildRandomButtons(Panel1);
    BuildOutputProgress(Panel1);
    return Panel1;
}

void TForm1::BuildPalette(QWidget* panel)
{
    GroupBox1 = new QGroupBox(QString::fromUtf8("Geländetyp"), panel);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(8, 4, 201, 306);
    // One row per terrain: its shape, its name, its counter.
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
}

void TForm1::BuildRandomButtons(QWidget* panel)
{
    GroupBox2 = new QGroupBox(QString::fromUtf8("zufällige Geländeverteilung"), panel);
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
}

void TForm1::BuildOutputProgress(QWidget* panel)
{
    // Shown only while a PDF output runs.
    Gauge1 = new QProgressBar(panel);
    Gauge1->setObjectName("Gauge1");
    Gauge1->setToolTip("PDF Print Progress");
    Gauge1->setGeometry(8, 416, 201, 20);
    Gauge1->setVisible(false);
    BitBtn6 = MakeButton(panel, "BitBtn6", "Abbruch", "Abbruch der Ausgabe", QRect(8, 442, 201, 29));
    BitBtn6->setVisible(false);
    Connect(BitBtn6, &QPushButton::clicked, this, [this] { BitBtn6Click(); });
}

THexMapA* TForm1::BuildMapView(QWidget* parent)
{
    HexMapA1 = new THexMapA(parent);
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
    return HexMapA1;
}

QFrame* TForm1::BuildSizePanel(QWidget* parent)
{
    Panel2 = MakePanel(parent, "Panel2", 106);

    // The board size: columns, rows, hexagon size.
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

    // The two pictures; the second shows while the animation runs.
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
    return Panel2;
}

void TForm1::BuildStatusBar()
{
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
}

namespace {

using F = TForm1;

// One row of the main menu. The rows run in the order the bar shows them;
// a row's parent menu comes before it.
struct MenuRow {
    enum Kind { Submenu, Command, ColourCommand, Separator, BarItem };
    Kind kind = Command;
    QMenu* F::*parent = nullptr;        // nullptr: on the bar itself
    QMenu* F::*menu = nullptr;          // Submenu
    QAction* F::*action = nullptr;      // Command, ColourCommand, BarItem
    const char* name = "";
    const char* caption = nullptr;      // nullptr: none
    void (F::*handler)() = nullptr;     // Command
    TerrainCode colour = 0;             // ColourCommand: name and caption from the terrain table
    int shortcut = 0;                   // a Qt key, 0 for none
    bool visible = true;
    bool enabled = true;
};

constexpr MenuRow Menu(QMenu* F::*parent, QMenu* F::*menu, const char* name, const char* caption)
{
    MenuRow r;
    r.kind = MenuRow::Submenu;
    r.parent = parent;
    r.menu = menu;
    r.name = name;
    r.caption = caption;
    return r;
}

constexpr MenuRow Item(QMenu* F::*parent, QAction* F::*action, const char* name, const char* caption,
                       void (F::*handler)())
{
    MenuRow r;
    r.parent = parent;
    r.action = action;
    r.name = name;
    r.caption = caption;
    r.handler = handler;
    return r;
}

// An item of "&Farben": the colour of a terrain, or the grid's.
constexpr MenuRow Colour(QAction* F::*action, TerrainCode code)
{
    MenuRow r;
    r.kind = MenuRow::ColourCommand;
    r.parent = &F::Farben1;
    r.action = action;
    r.colour = code;
    return r;
}

constexpr MenuRow Separator(QMenu* F::*parent)
{
    MenuRow r;
    r.kind = MenuRow::Separator;
    r.parent = parent;
    return r;
}

// An item on the bar itself, without caption.
constexpr MenuRow OnTheBar(QAction* F::*action, const char* name)
{
    MenuRow r;
    r.kind = MenuRow::BarItem;
    r.action = action;
    r.name = name;
    return r;
}

constexpr MenuRow WithShortcut(MenuRow r, int key)
{
    r.shortcut = key;
    return r;
}

constexpr MenuRow Hidden(MenuRow r)
{
    r.visible = false;
    return r;
}

constexpr MenuRow Disabled(MenuRow r)
{
    r.enabled = false;
    return r;
}

// The optional items (the language file's command, M1 and M2) are added at
// start-up, after the profile is read.
constexpr MenuRow MainMenuRows[] = {
    Menu(nullptr, &F::Datei1, "Datei1", "&Datei"),
    Item(&F::Datei1, &F::Laden1, "Laden1", "Script &laden ...", &F::Laden1Click),
    Item(&F::Datei1, &F::Speichernunter1, "Speichernunter1", "Script &speichern unter ...",
         &F::Speichernunter1Click),
    Item(&F::Datei1, &F::Ende1, "Ende1", "Ende", &F::Ende1Click),

    Menu(nullptr, &F::Drucken1, "Drucken1", "D&rucken"),
    Menu(&F::Drucken1, &F::Draft1, "Draft1", "&Draft"),
    Item(&F::Draft1, &F::est12, "est12", "&Bildschirmansicht", &F::est12Click),
    Item(&F::Draft1, &F::est31, "est31", "Kacheln &Überblick", &F::est31Click),
    Item(&F::Draft1, &F::est21, "est21", "&Kacheln - auf Drucker", &F::est21Click),
    Item(&F::Draft1, &F::est22, "est22", "Kacheln - in &PDF-Datei", &F::est22Click),
    Menu(&F::Drucken1, &F::Grafik1, "Grafik1", "&Grafik"),
    Item(&F::Grafik1, &F::Kacheln1, "Kacheln1", "&Kacheln - auf Drucker", &F::Kacheln1Click),
    Item(&F::Grafik1, &F::KachelnPDF1, "KachelnPDF1", "Kacheln - In &PDF-Datei", &F::KachelnPDF1Click),
    Item(&F::Grafik1, &F::est1PdfRahmen1, "est1PdfRahmen1", "Kacheln - In PDF-Datei mit &Zählleiste",
         &F::est1PdfRahmen1Click),

    Menu(nullptr, &F::Optionen1, "Optionen1", "&Optionen"),
    Menu(&F::Optionen1, &F::Farben1, "Farben1", "&Farben"),
    Colour(&F::beliebig1, tcBeliebig),
    Colour(&F::Pampa1, tcPampa),
    Colour(&F::N11, tcWiese),
    Colour(&F::N21, tcWald),
    Colour(&F::N31, tcMoor),
    Colour(&F::G41, tcFels),
    Colour(&F::G51, tcBerg),
    Colour(&F::Markt1, tcMarkt),
    Colour(&F::See1, tcWasser),
    Colour(&F::Grid1, GridColourIndex),
    Colour(&F::leer1, tcLeer),
    Item(&F::Optionen1, &F::Druckeinstellungen1, "Druckeinstellungen1", "&Druckeinstellungen ...",
         &F::Druckeinstellungen1Click),

    // A top-level item without caption and without items.
    Disabled(OnTheBar(&F::N1, "N1")),

    Menu(nullptr, &F::Hilfe1, "Hilfe1", "&Hilfe"),
    WithShortcut(Item(&F::Hilfe1, &F::Contents1, "Contents1", "&Bedienung(Deutsch)", &F::Contents1Click),
                 Qt::Key_F1),
    // Shown once a language file brings a translated manual.
    Hidden(Item(&F::Hilfe1, &F::Bedienungbersetzt1, "Bedienungbersetzt1", "B&edienung(übersetzt)",
                &F::Bedienungbersetzt1Click)),
    Item(&F::Hilfe1, &F::About1, "About1", "&Über...", &F::About1Click),
    Separator(&F::Hilfe1),
    Item(&F::Hilfe1, &F::HomepageVennhalmVerlag1, "HomepageVennhalmVerlag1", "Homepage &Vennhalm Verlag",
         &F::HomepageVennhalmVerlag1Click),
    Item(&F::Hilfe1, &F::HomepageLindsruhGamer1, "HomepageLindsruhGamer1", "Homepage &Lindsruh Gamer",
         &F::HomepageLindsruhGamer1Click),
    Item(&F::Hilfe1, &F::HomepageLudoveil1, "HomepageLudoveil1", "Homepage Ludo&veil",
         &F::HomepageLudoveil1Click),
};

} // namespace

void TForm1::CreateMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    for (const MenuRow& row : MainMenuRows) {
        QMenu* parent = row.parent ? this->*row.parent : nullptr;
        if (row.kind == MenuRow::Separator) {
            parent->addSeparator();
            continue;
        }
        const TerrainInfo* colour = row.kind == MenuRow::ColourCommand ? FindTerrain(row.colour) : nullptr;
        const char* name = colour ? colour->ColorMenuItem : row.name;
        const char* text = colour ? colour->ColorMenuCaption : row.caption;
        const QString caption = text ? QString::fromUtf8(text) : QString();
        if (row.kind == MenuRow::Submenu) {
            QMenu* m = parent ? parent->addMenu(caption) : bar->addMenu(caption);
            m->setObjectName(name);
            this->*row.menu = m;
            continue;
        }
        QAction* a = parent ? parent->addAction(caption) : bar->addAction(caption);
        a->setObjectName(name);
        if (row.shortcut)
            a->setShortcut(QKeySequence(row.shortcut));
        a->setVisible(row.visible);
        a->setEnabled(row.enabled);
        this->*row.action = a;
        if (row.kind == MenuRow::Command) {
            const auto handler = row.handler;
            Connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        } else if (colour && colour->Code == GridColourIndex) {
            Connect(a, &QAction::triggered, this, [this] { Grid1Click(); });
        } else if (colour) {
            const TerrainCode code = colour->Code;
            Connect(a, &QAction::triggered, this, [this, code] { ColourCommand(code); });
        }
    }
}

} // namespace tolv
