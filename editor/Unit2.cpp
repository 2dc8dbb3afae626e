#include "editor/Unit2.h"
#include "editor/Unit1App.h"
#include "editor/board/BoardState.h"
#include "platform/QtColour.h"

#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPolygonF>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <array>
#include <cmath>

namespace tolv {

SplashTicker::Step SplashTicker::Tick()
{
    if (count_ >= RaiseTicks)
        return Step::Hide;
    ++count_;
    return Step::Raise;
}

QImage AboutPicture(int width, int height)
{
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(QColor(240, 232, 200));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // The terrain colours of the palette, in its order.
    static constexpr std::array<TerrainCode, 9> terrains = {
        tcBeliebig, tcPampa, tcWiese, tcWald, tcMoor, tcFels, tcBerg, tcMarkt, tcWasser};
    const auto colours = DefaultColorTable();
    const double size = 46.0, quarter = size / 4, half = size / 2;
    const double halfHeight = std::nearbyint(size * 0.433);
    const double pitch = half + quarter;
    p.setPen(QPen(plat::ToQColor(colours[GridColourIndex]), 1.5));
    for (int col = 0; col * pitch < width + size; ++col) {
        for (int row = col % 2; row * halfHeight < height + size; row += 2) {
            const double cx = col * pitch, cy = row * halfHeight;
            // A fixed scatter of the colours, the same on every start.
            const unsigned h = (unsigned(col) * 2654435761u) ^ (unsigned(row) * 40503u);
            p.setBrush(plat::ToQColor(colours[std::size_t(terrains[(h >> 7) % terrains.size()])]));
            const auto outline = HexOutlineAround<QPointF>(cx, cy, quarter, half, halfHeight);
            p.drawPolygon(outline.data(), int(outline.size()));
        }
    }
    // A plate for the title.
    const QRectF plate(24, 40, width - 48, 110);
    p.setPen(QPen(QColor(80, 40, 0), 3));
    p.setBrush(QColor(250, 244, 220, 235));
    p.drawRoundedRect(plate, 10, 10);
    QFont f("MS Sans Serif");
    f.setPixelSize(34);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(120, 60, 0));
    p.drawText(plate.adjusted(0, 8, 0, -44), Qt::AlignCenter, "Tolvaria");
    f.setPixelSize(22);
    p.setFont(f);
    p.drawText(plate.adjusted(0, 60, 0, -6), Qt::AlignCenter, "Feldwerker");
    return img;
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName("AboutBox");
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle("About: Tolvaria Feldwerker");
    setFixedSize(369, 359);
    QFont formFont("MS Sans Serif");
    formFont.setPixelSize(11);
    setFont(formFont);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));   // clBtnFace
    setPalette(pal);
    setAutoFillBackground(true);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(0, 0, 369, 359);
    Image1->setPixmap(QPixmap::fromImage(AboutPicture(369, 359)));

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(0, 359 - 35, 369, 35);
    QFont bold16 = formFont;
    bold16.setPixelSize(16);
    bold16.setBold(true);
    OKButton->setFont(bold16);
    OKButton->setDefault(true);
    OKButton->setVisible(false);   // shown by the modal use only
    Connect(OKButton, &QPushButton::clicked, this, [this] { accept(); });

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(20, 212, 326, 101);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(3);
    QPalette panelPal = Panel1->palette();
    panelPal.setColor(QPalette::Window, QColor(215, 107, 0));      // 27607
    panelPal.setColor(QPalette::WindowText, QColor(255, 209, 164)); // 10801663
    Panel1->setPalette(panelPal);
    Panel1->setAutoFillBackground(true);
    Panel1->setVisible(false);     // shown once a language file was applied
    auto makeLabel = [&](const char* name, const char* text, int top) {
        auto* l = new QLabel(QString::fromUtf8(text), Panel1);
        l->setObjectName(name);
        l->setGeometry((326 - 309) / 2, top, 309, 20);
        l->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        l->setFont(bold16);
        l->setPalette(panelPal);
        return l;
    };
    Label1 = makeLabel("Label1", "Feldwerker", 8);
    Label3 = makeLabel("Label3", "Spieleautor:", 50);
    Label4 = makeLabel("Label4", "Grafiken:", 72);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(100);
    Connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    FormCreate();
    Timer1->start();

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - QPoint(width() / 2, height() / 2));
    }
}

void TAboutBox::FormCreate()
{
    ticker_.Reset();
}

void TAboutBox::Timer1Timer()
{
    if (ticker_.Tick() == SplashTicker::Step::Hide) {
        Timer1->stop();
        hide();
    } else {
        BringToFront();
    }
}

void TAboutBox::BringToFront()
{
    raise();
    // On X the raise is only queued, and without a window manager nothing
    // sends it on until the box paints again: it paints at once, so that it
    // comes up in front now and not at some later repaint.
    repaint();
}

} // namespace tolv
