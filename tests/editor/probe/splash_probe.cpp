// For the splash test on a private X server: shows the about box, covers it
// with a window over the whole screen, lets both paint, then gives the box
// one tick of its timer and processes no event after it. What the screen
// shows then is what that tick alone did. Writes "ticked" when it is done
// and ends when its standard input closes.
#include "editor/Unit2.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    tolv::TAboutBox box;
    box.Timer1->stop();   // the one tick is given by hand
    box.show();
    QWidget cover;
    cover.setGeometry(QGuiApplication::primaryScreen()->geometry());
    cover.show();

    QElapsedTimer clock;
    clock.start();
    while (!(cover.windowHandle() && cover.windowHandle()->isExposed()) && clock.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    // Whatever the cover's first paint brought along has gone out by now.
    for (clock.restart(); clock.elapsed() < 300;)
        QApplication::processEvents(QEventLoop::AllEvents, 50);

    box.Timer1Timer();
    std::puts("ticked");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}
