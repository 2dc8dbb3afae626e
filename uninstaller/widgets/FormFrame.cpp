#include "uninstaller/widgets/FormFrame.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace uninst {

TForm::TForm(const QString& caption, QWidget* parent) : QWidget(parent)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(caption);
    setFixedSize(492, 354);
    QFont font("Tahoma");
    font.setPointSize(8);
    setFont(font);
}

void TForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

QLabel* AddLabel(QWidget* parent, const char* name, const char* text, const QRect& geometry, bool wordWrap)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setWordWrap(wordWrap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void SetBackground(QWidget* widget, const QColor& colour)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, colour);
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

QFrame* AddBevel(QWidget* parent, int top)
{
    auto* line = new QFrame(parent);
    line->setGeometry(0, top, parent->width(), 2);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    return line;
}

void MakeHeading(QLabel* label, const char* family, int pointSize)
{
    QFont heading(family);
    heading.setPointSize(pointSize);
    heading.setBold(true);
    label->setFont(heading);
    QPalette black = label->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(black);
}

QLabel* AddSidebar(TForm* form)
{
    auto* image = new QLabel(form);
    image->setObjectName("Image1");
    image->setGeometry(0, 0, 163, 314);
    image->setScaledContents(true);
    image->setPixmap(QPixmap::fromImage(SidebarPicture(163, 314)));
    return image;
}

QWidget* AddButtonPanel(TForm* form)
{
    AddBevel(form, form->height() - 39)->setObjectName("Bevel1");
    auto* panel = new QWidget(form);
    panel->setObjectName("Panel1");
    panel->setGeometry(0, form->height() - 37, form->width(), 37);
    SetBackground(panel, form->palette().color(QPalette::Button));
    return panel;
}

QPushButton* AddButton(QWidget* panel, const char* name, const char* text, int left)
{
    auto* button = new QPushButton(QString::fromUtf8(text), panel);
    button->setObjectName(name);
    button->setGeometry(left, 6, 75, 25);
    return button;
}

QImage SidebarPicture(int width, int height)
{
    QImage img(width, height, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(0x1E, 0x3C, 0x78));
    sky.setColorAt(1, QColor(0x5A, 0x8C, 0xC8));
    p.fillRect(img.rect(), sky);
    // A box being emptied: what the program does, drawn plainly.
    const QRectF box(width * 0.2, height * 0.55, width * 0.6, height * 0.22);
    p.setPen(QPen(QColor(0xF0, 0xF0, 0xF0), 2));
    p.setBrush(QColor(0xC8, 0x96, 0x50));
    p.drawRect(box);
    p.setBrush(QColor(0xE6, 0xB4, 0x6E));
    QPolygonF lid({box.topLeft(), box.topLeft() + QPointF(-width * 0.08, -height * 0.07),
                   box.topLeft() + QPointF(width * 0.25, -height * 0.07), box.topLeft() + QPointF(width * 0.3, 0)});
    p.drawPolygon(lid);
    p.setBrush(QColor(255, 255, 255, 200));
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(box.center().x() - 10 + i * 14, box.top() - 40 - i * 26, 16, 20));
    QFont f("Tahoma");
    f.setPixelSize(20);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, height * 0.08, width, 30), Qt::AlignCenter, "Pakoreth");
    f.setPixelSize(12);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRectF(0, height * 0.08 + 28, width, 20), Qt::AlignCenter, "UnInstaller");
    return img;
}

QImage HeaderPicture(int size)
{
    QImage img(size, size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x1E, 0x3C, 0x78), 2));
    p.setBrush(QColor(0x5A, 0x8C, 0xC8));
    p.drawEllipse(QRectF(4, 4, size - 8, size - 8));
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(size * 0.3, size * 0.5), QPointF(size * 0.7, size * 0.5));
    return img;
}

QImage LogoPicture(int width, int height)
{
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1E, 0x3C, 0x78));
    p.drawRoundedRect(QRectF(1, 1, width - 2, height - 2), 6, 6);
    QFont f("Tahoma");
    f.setPixelSize(18);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(img.rect(), Qt::AlignCenter, "quorran");
    return img;
}

} // namespace uninst
