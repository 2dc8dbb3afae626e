#include "JobFixture.h"

#include <QGuiApplication>

using namespace printing;
using plat::MsgResult;
using plat::TRect;
using tolv::test::JobTest;

namespace {

// The fake sheet's printable area: left 90, top 40, right and bottom
// borders 60 px (600 dpi across, 300 dpi down).
constexpr TMargins Borders{90, 40, 60, 60};

const std::string BoxText = std::string(MarginsOutsideText) + "\n" + FixMarginsQuestion;

class MarginsTest : public JobTest {
protected:
    MarginsTest()
    {
        QGuiApplication::setApplicationDisplayName("Tolvaria Feldwerker");
        job.SetOptions({joMargins});
        updates = 0;
    }
};

} // namespace

TEST_F(MarginsTest, AMarginOnThePrintableEdgeIsInsideAndOnePixelLessIsOut)
{
    job.SetMarginsError(meException);
    ASSERT_NO_THROW(job.SetMargins(Borders));
    struct Row { const char* side; TMargins m; };
    const Row rows[] = {
        {"left", {89, 40, 60, 60}},
        {"top", {90, 39, 60, 60}},
        {"right", {90, 40, 59, 60}},
        {"bottom", {90, 40, 60, 59}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.side);
        EXPECT_THROW(job.SetMargins(r.m), EPrintJobException);
        EXPECT_EQ(job.Margins(), Borders);
    }
}

TEST_F(MarginsTest, AutoFixMovesOnlyTheSidesThatAreOutOntoTheEdge)
{
    job.SetMargins({0, 0, 0, 0});
    EXPECT_EQ(job.Margins(), Borders);
    EXPECT_EQ(job.GetMarginsRect(), (TRect{90, 40, 2340, 1740}));

    job.SetMarginsUnits(unMillimeters);
    job.SetMargins({5, 1, 5, 10});
    // 1 mm down is 11.8 px < 40; 40 px at 300 dpi is 3.387 mm, fixed up to 3.39.
    EXPECT_EQ(job.Margins(), (TMargins{5, 3.39, 5, 10}));
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(MarginsTest, MessageBoxAsksWithTheTitleAndFixesOnlyOnYes)
{
    job.SetMarginsError(meMessageBox);
    // The setter checks the margins given, then its update checks them again.
    dialogs.messageAnswers.setDefault(MsgResult::No);
    EXPECT_NO_THROW(job.SetMargins({10, 10, 10, 10}));
    EXPECT_EQ(job.Margins(), (TMargins{10, 10, 10, 10}));
    ASSERT_EQ(dialogs.messageBoxes().size(), 2u);
    const plat::MessageBox box = dialogs.messageBoxes()[0];
    EXPECT_EQ(box.text, BoxText);
    EXPECT_EQ(box.caption, "Tolvaria Feldwerker");
    EXPECT_EQ(box.icon, plat::MsgIcon::Warning);
    EXPECT_EQ(box.buttons, plat::MsgButtons::YesNo);

    dialogs.answerMessage(MsgResult::Yes);
    job.Update();
    EXPECT_EQ(job.Margins(), Borders);
    EXPECT_EQ(dialogs.messageBoxes().size(), 3u);
    job.Update();   // inside now: no more questions
    EXPECT_EQ(dialogs.messageBoxes().size(), 3u);
}

TEST_F(MarginsTest, ExceptionCarriesTheOneSentenceAndChangesNothing)
{
    job.SetMarginsError(meException);
    job.SetMargins({100, 100, 100, 100});
    updates = 0;
    try {
        job.SetMargins({0, 100, 100, 100});
        FAIL() << "no exception";
    } catch (const EPrintJobException& e) {
        EXPECT_STREQ(e.what(), MarginsOutsideText);
    }
    EXPECT_EQ(job.Margins(), (TMargins{100, 100, 100, 100}));

    // Written directly, the margins are refused by the next update.
    job.Margins() = {0, 100, 100, 100};
    EXPECT_THROW(job.Update(), EPrintJobException);
    EXPECT_EQ(job.Margins(), (TMargins{0, 100, 100, 100}));
    EXPECT_EQ(updates, 0);
}

TEST_F(MarginsTest, SwitchingTheModeChecksAtOnceWithoutAnUpdate)
{
    job.SetMarginsError(meNone);
    job.SetMargins({0, 0, 0, 0});
    EXPECT_EQ(job.Margins(), TMargins{});
    updates = 0;

    job.SetMarginsError(meAutoFix);
    EXPECT_EQ(job.Margins(), Borders);
    EXPECT_EQ(updates, 0);

    job.Margins() = {};
    job.SetMarginsError(meNone);
    EXPECT_EQ(job.Margins(), TMargins{});
    job.SetMarginsError(meMessageBox);   // out: asks at once
    EXPECT_EQ(dialogs.messageBoxes().size(), 1u);
}

// Without joMargins the page is the whole sheet, always beyond the borders:
// no mode may act on margins the job does not use.
TEST_F(MarginsTest, NothingIsCheckedWithoutMarginsInUse)
{
    // The image job of the main window, as it is configured.
    TPrintJob image;
    image.BeginLoad();
    image.SetMargins({80, 70, 80, 119});
    image.SetOrientation(orPortrait);
    image.Loaded();
    EXPECT_EQ(image.Margins(), (TMargins{80, 70, 80, 119}));

    job.SetOptions({});
    job.Margins() = {0, 0, 0, 0};
    updates = 0;
    for (TMarginsError mode : {meAutoFix, meMessageBox, meException}) {
        SCOPED_TRACE(mode);
        job.SetMarginsError(mode);
        EXPECT_NO_THROW(job.Update());
        EXPECT_EQ(job.Margins(), TMargins{});
    }
    EXPECT_TRUE(dialogs.calls().empty());
    EXPECT_EQ(updates, 3);
}

// A fix rounded to the nearest step of the unit can land inside the border
// again; it is rounded toward the printable side instead.
TEST_F(MarginsTest, AFixRoundsTowardThePrintableSide)
{
    // 2400 dpi, a 13 px border all round: 13 px = 0.00542 in.
    printer.printers = {tolv::test::Setup("fein", {2400, 2400, 19200, 26400, 13, 13, 19174, 26374, -1})};
    job.SetMarginsUnits(unInches);
    job.SetMarginsError(meMessageBox);
    dialogs.answerMessage(MsgResult::Yes);
    job.SetMargins({0, 0, 0, 0});
    EXPECT_EQ(job.Margins(), (TMargins{0.006, 0.006, 0.006, 0.006}));
    EXPECT_EQ(job.GetMarginsRect(), (TRect{14, 14, 19186, 26386}));
    job.Update();
    EXPECT_EQ(dialogs.messageBoxes().size(), 1u);

    // The same in percent and millimetres: each fix lies inside at once.
    for (TUnits units : {unPercents, unMillimeters}) {
        SCOPED_TRACE(units);
        job.SetMarginsError(meAutoFix);
        job.SetMarginsUnits(units);
        job.SetMargins({0, 0, 0, 0});
        const TRect r = job.GetMarginsRect();
        EXPECT_GE(r.Left, 13);
        EXPECT_GE(r.Top, 13);
        EXPECT_LE(r.Right, 19187);
        EXPECT_LE(r.Bottom, 26387);
    }
}

TEST_F(MarginsTest, LoadingChecksTheMarginsOnceAfterAllPropertiesAreSet)
{
    job.BeginLoad();
    job.SetMarginsError(meMessageBox);
    job.SetMarginsUnits(unMillimeters);
    job.SetMargins({0, 0, 0, 0});
    job.SetOrientation(orPortrait);
    EXPECT_TRUE(dialogs.calls().empty());
    EXPECT_TRUE(job.Loading());

    dialogs.answerMessage(MsgResult::Yes);
    job.Loaded();
    EXPECT_FALSE(job.Loading());
    EXPECT_EQ(dialogs.messageBoxes().size(), 1u);
    EXPECT_EQ(job.Margins(), (TMargins{3.81, 3.39, 2.54, 5.08}));
}
