#pragma once
// The about box. At start it is the splash: shown without modality, brought
// to the front by its 100 ms timer on ticks 1..15 and hidden on the 16th.
#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;
class QFrame;
class QTimer;

namespace tolv {

// The splash timer's rule, apart from the window.
class SplashTicker {
public:
    enum class Step { Raise, Hide };
    static constexpr int RaiseTicks = 15;

    void Reset() { count_ = 0; }
    Step Tick();
    int Count() const { return count_; }

private:
    int count_ = 0;
};

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* Image1 = nullptr;
    QPushButton* OKButton = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QTimer* Timer1 = nullptr;

    void FormCreate();
    void Timer1Timer();
    // Above every other window of the program, at once.
    void BringToFront();
    const SplashTicker& Ticker() const { return ticker_; }

private:
    SplashTicker ticker_;
};

// The about box's picture, drawn once (hexagons in the terrain colours).
QImage AboutPicture(int width, int height);

} // namespace tolv
