#include "printing/PSGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace printing {

namespace {

// Colours of the classic sixteen-colour palette.
const QColor Black(0, 0, 0);
const QColor Grey(128, 128, 128);
const QColor Silver(192, 192, 192);
const QColor White(255, 255, 255);
const QColor Navy(0, 0, 128);
const QColor Green(0, 128, 0);
const QColor Maroon(128, 0, 0);
const QColor Red(255, 0, 0);
const QColor Olive(128, 128, 0);
const QColor Yellow(255, 255, 0);
const QColor Teal(0, 128, 128);

void Fill(QPainter& p, int x, int y, int w, int h, const QColor& c)
{
    p.fillRect(x, y, w, h, c);
}

// A box with a one-pixel outline: x, y, w, h include the outline.
void Box(QPainter& p, int x, int y, int w, int h, const QColor& outline, const QColor& inside)
{
    Fill(p, x, y, w, h, outline);
    Fill(p, x + 1, y + 1, w - 2, h - 2, inside);
}

void Printer(QPainter& p)
{
    Box(p, 4, 1, 8, 6, Black, White);           // the sheet going in
    Box(p, 1, 6, 14, 7, Black, Silver);         // the body
    Fill(p, 2, 7, 12, 1, White);
    Fill(p, 11, 9, 2, 1, Green);                // the lamp
    Box(p, 4, 11, 8, 4, Black, White);          // the sheet coming out
    Fill(p, 5, 12, 5, 1, Grey);
}

void Triangle(QPainter& p, bool pointsLeft, int x, int top, int height, const QColor& c)
{
    // A solid arrowhead one pixel column at a time.
    const int half = height / 2;
    for (int i = 0; i <= half; ++i) {
        const int col = pointsLeft ? x + i : x + half - i;
        Fill(p, col, top + half - i, 1, 2 * i + 1, c);
    }
}

void Sheet(QPainter& p, int x, int y, int w, int h)
{
    Box(p, x, y, w, h, Black, White);
    // The dog-ear.
    Fill(p, x + w - 3, y, 3, 1, Silver);
    Fill(p, x + w - 1, y + 1, 1, 2, Silver);
    Fill(p, x + w - 3, y + 1, 2, 2, Grey);
}

void Lens(QPainter& p, bool plus)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Black, 1));
    p.setBrush(White);
    p.drawEllipse(1, 1, 10, 10);
    p.setPen(QPen(Maroon, 3, Qt::SolidLine, Qt::SquareCap));
    p.drawLine(11, 11, 14, 14);
    Fill(p, 4, 6, 5, 1, Navy);
    if (plus)
        Fill(p, 6, 4, 1, 5, Navy);
}

void DrawCell(QPainter& p, int k)
{
    switch (k) {
    case 0:     // Print
        Printer(p);
        break;
    case 1:     // Print dialog: the printer with a list of choices
        Printer(p);
        Box(p, 9, 0, 7, 9, Black, White);
        Fill(p, 10, 2, 4, 1, Navy);
        Fill(p, 10, 4, 4, 1, Navy);
        Fill(p, 10, 6, 4, 1, Navy);
        break;
    case 2:     // Printer setup: the printer with a spanner
        Printer(p);
        p.setPen(QPen(Teal, 2, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(9, 8, 14, 3);
        Fill(p, 12, 0, 4, 2, Teal);
        Fill(p, 14, 0, 2, 4, Teal);
        Fill(p, 14, 1, 1, 1, Qt::transparent);
        break;
    case 3:     // First page: bar and arrow to the left
        Fill(p, 3, 3, 2, 10, Navy);
        Triangle(p, true, 6, 3, 10, Navy);
        break;
    case 4:     // Previous page
        Triangle(p, true, 5, 3, 10, Navy);
        break;
    case 5:     // Next page
        Triangle(p, false, 6, 3, 10, Navy);
        break;
    case 6:     // Last page
        Triangle(p, false, 5, 3, 10, Navy);
        Fill(p, 11, 3, 2, 10, Navy);
        break;
    case 7:     // Whole page: a page with lines of text, all of it in view
        Sheet(p, 3, 1, 10, 14);
        for (int y = 4; y <= 11; y += 2)
            Fill(p, 5, y, 6, 1, Grey);
        break;
    case 8:     // Page width: a page cut at top and bottom, arrows at its sides
        Box(p, 3, 2, 10, 12, Black, White);
        Fill(p, 4, 2, 8, 1, White);
        Fill(p, 4, 13, 8, 1, White);
        for (int y = 4; y <= 11; y += 2)
            Fill(p, 5, y, 6, 1, Grey);
        Triangle(p, true, 0, 6, 4, Red);
        Triangle(p, false, 14, 6, 4, Red);
        break;
    case 9:     // Zoom out
        Lens(p, false);
        break;
    case 10:    // Zoom in
        Lens(p, true);
        break;
    case 11: {  // Refresh: a circular arrow
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(Green, 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 100 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(Green);
        p.drawPolygon(QPolygonF({QPointF(7, 0), QPointF(11.5, 3.5), QPointF(7, 7)}));
        break;
    }
    case 12:    // Close: a door standing open
        Box(p, 2, 1, 10, 14, Black, Silver);
        Fill(p, 3, 2, 8, 12, Black);
        {
            const QPolygon door({QPoint(3, 2), QPoint(9, 4), QPoint(9, 15), QPoint(3, 13)});
            p.setPen(Qt::NoPen);
            p.setBrush(Olive);
            p.drawPolygon(door);
        }
        Fill(p, 7, 8, 1, 2, Yellow);
        break;
    default:
        break;
    }
}

QImage MakeStrip()
{
    QImage strip(GlyphSize * GlyphCount, GlyphSize, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    for (int k = 0; k < GlyphCount; ++k) {
        QPainter p(&strip);
        p.translate(k * GlyphSize, 0);
        p.setClipRect(0, 0, GlyphSize, GlyphSize);
        DrawCell(p, k);
    }
    return strip;
}

} // namespace

const QImage& GlyphStrip()
{
    static const QImage strip = MakeStrip();
    return strip;
}

QImage Glyph(int k)
{
    if (k < 0 || k >= GlyphCount)
        return {};
    return GlyphStrip().copy(k * GlyphSize, 0, GlyphSize, GlyphSize);
}

} // namespace printing
