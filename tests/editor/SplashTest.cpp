// The start-up splash: raised on ticks 1..15 of its timer, hidden on the 16th.
#include "editor/Unit2.h"

#include "support/TestSupport.h"
#include "support/XServer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using namespace tolv;
using tolv::test::PrivateXServer;

TEST(Splash, TickerRaisesFifteenTimesThenHides)
{
    SplashTicker t;
    for (int i = 1; i <= 15; ++i) {
        EXPECT_EQ(t.Tick(), SplashTicker::Step::Raise) << i;
        EXPECT_EQ(t.Count(), i);
    }
    EXPECT_EQ(t.Tick(), SplashTicker::Step::Hide);
    EXPECT_EQ(t.Count(), 15);
}

TEST(Splash, BoxLayoutAndTexts)
{
    test::EnsureApplication();
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), QString("About: Tolvaria Feldwerker"));
    EXPECT_EQ(box.size(), QSize(369, 359));
    EXPECT_TRUE(box.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(box.Image1->geometry(), QRect(0, 0, 369, 359));
    EXPECT_FALSE(box.Image1->pixmap().isNull());
    EXPECT_EQ(box.OKButton->text(), QString("OK"));
    EXPECT_EQ(box.OKButton->geometry(), QRect(0, 324, 369, 35));
    EXPECT_TRUE(box.OKButton->isDefault());
    EXPECT_TRUE(box.OKButton->font().bold());
    EXPECT_EQ(box.OKButton->font().pixelSize(), 16);
    EXPECT_EQ(box.Panel1->geometry(), QRect(20, 212, 326, 101));
    EXPECT_EQ(box.Label1->text(), QString("Feldwerker"));
    EXPECT_EQ(box.Label3->text(), QString("Spieleautor:"));
    EXPECT_EQ(box.Label4->text(), QString("Grafiken:"));
    EXPECT_EQ(box.Label3->geometry(), QRect(8, 50, 309, 20));
    EXPECT_EQ(box.Timer1->interval(), 100);
    EXPECT_TRUE(box.Timer1->isActive());
    box.show();
    // Without a language file only the picture shows.
    EXPECT_FALSE(box.Panel1->isVisible());
    EXPECT_FALSE(box.OKButton->isVisible());
}

TEST(Splash, SixteenthTickHidesAndStopsTheTimer)
{
    test::EnsureApplication();
    TAboutBox box;
    box.Timer1->stop();   // ticks driven by hand
    box.show();
    for (int i = 1; i <= 15; ++i) {
        box.Timer1Timer();
        ASSERT_TRUE(box.isVisible()) << "tick " << i;
    }
    box.Timer1->start();
    box.Timer1Timer();
    EXPECT_FALSE(box.isVisible());
    EXPECT_FALSE(box.Timer1->isActive());
}

TEST(Splash, HidesItselfAfterAboutOnePointSixSeconds)
{
    test::EnsureApplication();
    TAboutBox box;
    box.show();
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    qint64 hiddenAfter = -1;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!box.isVisible()) {
            hiddenAfter = clock.elapsed();
            loop.quit();
        } else if (clock.elapsed() > 8000) {
            loop.quit();
        }
    });
    poll.start(20);
    loop.exec();
    ASSERT_GE(hiddenAfter, 0) << "splash never hid";
    EXPECT_GE(hiddenAfter, 1450);
    EXPECT_EQ(box.Ticker().Count(), 15);
}

namespace {

// Mean difference per channel of the two pictures' common rows from `top` down.
double MeanDifference(const QImage& a, const QImage& b, int top)
{
    double sum = 0;
    long n = 0;
    for (int y = top; y < a.height() && y < b.height(); ++y)
        for (int x = 0; x < a.width() && x < b.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
            n += 3;
        }
    return n ? sum / double(n) : 1e9;
}

// The about box as it shows when nothing covers it (below its title plate,
// which holds the only text, so no font can make a difference).
bool ShowsTheBoxInFront(const QImage& screen)
{
    const QImage picture = AboutPicture(369, 359);
    const QPoint boxAt((PrivateXServer::Width - 1) / 2 - 369 / 2, (PrivateXServer::Height - 1) / 2 - 359 / 2);
    return MeanDifference(screen.copy(QRect(boxAt, picture.size())), picture, 170) < 2.0;
}

} // namespace

// One tick brings the box in front by itself: no event processed after it
// (on X without a window manager a raise alone is only queued).
TEST(Splash, ATickBringsTheBoxInFrontAtOnceOnAnXServer)
{
    test::EnsureApplication();
    PrivateXServer x;
    ASSERT_FALSE(x.Display().isEmpty()) << "Xvfb did not start";
    QProcess probe;
    ASSERT_TRUE(x.Start(probe, std::string(TOLV_BIN_DIR) + "/splash_probe"));
    QByteArray out;
    while (!out.contains("ticked") && probe.waitForReadyRead(30000))
        out += probe.readAllStandardOutput();
    ASSERT_TRUE(out.contains("ticked")) << probe.readAllStandardError().toStdString();
    const QImage screen = x.Screenshot();
    probe.closeWriteChannel();
    probe.waitForFinished(10000);
    ASSERT_FALSE(screen.isNull()) << "no screenshot";
    EXPECT_TRUE(ShowsTheBoxInFront(screen));
}

// Without a window manager that keeps the box on top, the program itself
// brings it in front of the main window, which opens after it and over it.
TEST(Splash, ShowsInFrontOfTheMainWindowOnAnXServerThenHides)
{
    test::EnsureApplication();
    const std::string exe = std::string(TOLV_BIN_DIR) + "/Tolvplan";
    ASSERT_TRUE(std::filesystem::exists(exe)) << exe;
    PrivateXServer x;
    ASSERT_FALSE(x.Display().isEmpty()) << "Xvfb did not start";

    // A first start: the main window at its default place, 726 x 546 at
    // (393, 120), under most of the centred box.
    test::TempDir work;
    const QPoint mainOnly(1000, 200);   // the size edits: main window, not the box
    QProcess program;
    ASSERT_TRUE(x.Start(program, exe, {QString::fromStdString(work.str())}));

    bool mainSeen = false, inFrontOfMain = false, hidden = false;
    QImage last;
    QElapsedTimer clock;
    clock.start();
    while (!hidden && clock.elapsed() < 60000 && program.state() == QProcess::Running) {
        last = x.Screenshot();
        if (last.isNull())
            break;
        const bool mainShown = last.pixel(mainOnly) != qRgb(0, 0, 0);
        mainSeen = mainSeen || mainShown;
        if (mainShown && ShowsTheBoxInFront(last))
            inFrontOfMain = true;
        else if (inFrontOfMain)
            hidden = true;
        QThread::msleep(50);
    }
    program.terminate();
    program.waitForFinished(10000);

    ASSERT_FALSE(last.isNull()) << "no screenshot";
    ASSERT_TRUE(mainSeen) << "the main window never showed";
    EXPECT_TRUE(inFrontOfMain) << "the splash stayed behind the main window";
    EXPECT_TRUE(hidden) << "the splash did not hide";
}
