#include "editor/Unit1Shape.h"

#include "platform/QtColour.h"

#include <QMouseEvent>
#include <QPainter>

namespace tolv {

TShape::TShape(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TShape::SetBrushColor(plat::TColor c)
{
    if (c == brushColor_)
        return;
    brushColor_ = c;
    update();
}

void TShape::SetPenWidth(int w)
{
    if (w == penWidth_)
        return;
    penWidth_ = w;
    update();
}

void TShape::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // The pen lies inside the bounds, as a shape's outline does.
    const int w = std::max(penWidth_, 1);
    p.fillRect(rect(), Qt::black);
    p.fillRect(rect().adjusted(w, w, -w, -w), plat::ToQColor(brushColor_));
}

void TShape::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (OnMouseUp) {
        const QPoint pos = event->position().toPoint();
        OnMouseUp(this, MouseButtonOf(event->button()),
                  ShiftStateOf(event->buttons(), event->modifiers()), pos.x(), pos.y());
    }
}

} // namespace tolv
