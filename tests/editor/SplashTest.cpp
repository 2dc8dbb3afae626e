// The start-up splash: raised on ticks 1..15 of its timer, hidden on the 16th.
#include "editor/Unit2.h"

#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tolv;

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
