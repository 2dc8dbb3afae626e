#pragma once
// The frame the uninstaller's three windows share, and the pictures they show.
#include <QImage>
#include <QRect>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;

namespace uninst {

// A window of the uninstaller: 492 x 354 client pixels, fixed border with
// only the system menu, centred on the screen when shown, Tahoma 8 point.
class TForm : public QWidget {
    Q_OBJECT
public:
    explicit TForm(const QString& caption, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
};

// Building blocks of the windows.
QLabel* AddLabel(QWidget* parent, const char* name, const char* text, const QRect& geometry,
                 bool wordWrap = true);
void SetBackground(QWidget* widget, const QColor& colour);
// A sunken line, two pixels high, across the whole width of the parent.
QFrame* AddBevel(QWidget* parent, int top);
// A window's title line: bold and black in the given face.
void MakeHeading(QLabel* label, const char* family, int pointSize);
// The picture down the left side of the welcome and finish windows.
QLabel* AddSidebar(TForm* form);
// The panel along the bottom, 37 pixels under a line; buttons go into it.
QWidget* AddButtonPanel(TForm* form);
QPushButton* AddButton(QWidget* panel, const char* name, const char* text, int left);

// The pictures of the windows, drawn by the program.
QImage SidebarPicture(int width, int height);
QImage HeaderPicture(int size);
QImage LogoPicture(int width, int height);

} // namespace uninst
