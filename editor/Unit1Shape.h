#pragma once
// A palette shape of the main window: a rectangle filled with a terrain's
// colour and outlined with a black pen whose width marks the selection.
#include "editor/HexMapA/HexMapAInput.h"
#include "platform/Colour.h"

#include <QWidget>

#include <functional>

namespace tolv {

class TShape : public QWidget {
    Q_OBJECT
public:
    using TMouseEvent =
        std::function<void(TShape* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;

    explicit TShape(QWidget* parent = nullptr);

    int Tag = 0;
    TMouseEvent OnMouseUp;

    plat::TColor BrushColor() const { return brushColor_; }
    void SetBrushColor(plat::TColor c);
    int PenWidth() const { return penWidth_; }
    void SetPenWidth(int w);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    plat::TColor brushColor_ = plat::clWhite;
    int penWidth_ = 1;
};

} // namespace tolv
