// The modal preview window: settings before and while it is open, the page
// event, placement, and the whole road to a PDF file through its toolbar.
#include "PreviewFixture.h"

#include "platform/QtPrinter.h"
#include "platform/SafeFile.h"
#include "printing/PSWindow.h"
#include "support/Input.h"
#include "tests/platform/ModalSteps.h"

#include <QScreen>
#include <QSizeGrip>
#include <QToolButton>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

using namespace printing;
using namespace tolv::test;

namespace {

// The open preview form, once its window is shown.
TPreviewForm* OpenForm(QWidget* modal)
{
    auto* form = qobject_cast<TPreviewForm*>(modal);
    return form && form->isVisible() ? form : nullptr;
}

class WindowTest : public PreviewTest {
protected:
    // Runs Execute with the steps played against the open form; the last
    // step should close it.
    void Run(std::vector<std::function<bool(TPreviewForm&)>> steps)
    {
        std::vector<ModalSteps::Step> wrapped;
        for (auto& s : steps)
            wrapped.push_back([s](QWidget* w) {
                TPreviewForm* f = OpenForm(w);
                return f && s(*f);
            });
        ModalSteps driver(std::move(wrapped));
        window.Execute();
        EXPECT_TRUE(driver.done());
        EXPECT_FALSE(driver.timedOut());
    }

    // Three pages with the markers of the fixture's job, for a job on
    // another printer.
    void LikeTheFixturesJob(TPrintJob& other)
    {
        other.SetPageCount(job.PageCount());
        other.OnDraw = job.OnDraw;
    }

    TPreviewWindow window;
};

} // namespace

TEST_F(WindowTest, DefaultsAndPageIndexWhileClosed)
{
    EXPECT_EQ(window.WindowWidth(), 400);
    EXPECT_EQ(window.WindowHeight(), 500);
    EXPECT_EQ(window.ToolbarOptions().Buttons, DefaultButtons);
    EXPECT_TRUE(window.DragScroll());
    EXPECT_EQ(window.PageIndex(), 1);
    window.SetPrintJob(&job);
    window.SetPageIndex(3);
    EXPECT_EQ(window.PageIndex(), 1);
    EXPECT_EQ(window.Form(), nullptr);
}

// The status parts are 100 pixels wide, laid out for the platform's
// dialog face; with its stand-in the scale texts of a window of the
// default size (two-digit percentages) fit whole.
TEST_F(WindowTest, TheScaleTextFitsItsStatusPart)
{
    plat::TFont font;
    font.Name = "MS Sans Serif";
    font.Height = -11;
    window.SetFont(font);
    window.SetPrintJob(&job);
    Run({[&](TPreviewForm& f) {
        const int room = f.StatusBar->ScalePanelWidth() - 2 - 5;   // bevel and text padding
        for (const char* text : {"Whole page (99%)", "Page width (99%)"})
            EXPECT_LE(f.StatusBar->fontMetrics().horizontalAdvance(QString::fromLatin1(text)), room) << text;
        f.close();
        return true;
    }});
}

TEST_F(WindowTest, SettingsBeforeAndWhileOpenReachTheWindow)
{
    window.SetPrintJob(&job);
    window.SetCaption("Vorschau");
    window.SetColor(0x00FF00);
    window.SetShadowSize(3);
    TStatusBarOptions status = window.StatusBarOptions();
    status.SizeGrip = false;
    status.UserText = "Kacheln";
    window.SetStatusBarOptions(status);
    int shows = 0;
    window.OnShow = [&](TCustomPreviewWindow& w) {
        ++shows;
        EXPECT_NE(w.Form(), nullptr);
    };
    Run({[&](TPreviewForm& f) {
             EXPECT_EQ(f.windowTitle().toStdString(), "Vorschau");
             EXPECT_EQ(f.Preview->Color(), plat::TColor(0x00FF00));
             EXPECT_EQ(f.Preview->ShadowSize(), 3);
             EXPECT_EQ(f.StatusBar->Grip(), nullptr);
             EXPECT_EQ(f.StatusBar->PartTexts().back(), "Kacheln");
             EXPECT_TRUE(f.Preview->DragScroll());
             EXPECT_EQ(f.Preview->PrintJob(), &job);
             // While open, at once.
             window.SetColor(0x0000FF);
             window.SetShadowSize(500);
             status.SizeGrip = true;
             window.SetStatusBarOptions(status);
             TToolbarOptions toolbar = window.ToolbarOptions();
             toolbar.Buttons = {btnClose};
             window.SetToolbarOptions(toolbar);
             EXPECT_EQ(f.Preview->Color(), plat::TColor(0x0000FF));
             EXPECT_EQ(f.Preview->ShadowSize(), 100);
             EXPECT_NE(f.StatusBar->Grip(), nullptr);
             EXPECT_FALSE(f.Toolbar->Button(btnPrint)->isVisibleTo(f.Toolbar));
             return true;
         },
         [&](TPreviewForm& f) {
             // Esc anywhere closes it.
             Key(f.Preview, Qt::Key_Escape);
             return true;
         }});
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(window.Form(), nullptr);
}

TEST_F(WindowTest, PageChangedFiresOnlyAfterTheSettingsAndForEveryWrite)
{
    TPrintJob other;
    other.SetPageCount(2);
    window.SetPrintJob(&job);
    int changed = 0, closed = 0;
    window.OnPageChanged = [&](TCustomPreviewWindow&) { ++changed; };
    window.OnClose = [&](TCustomPreviewWindow&) { ++closed; };
    Run({[&](TPreviewForm& f) {
             EXPECT_EQ(changed, 0);
             f.Toolbar->ButtonClick(btnLastPage);
             EXPECT_EQ(changed, 1);
             EXPECT_EQ(window.PageIndex(), 3);
             Key(f.Preview, Qt::Key_PageDown);   // the last page stays, the event fires
             EXPECT_EQ(changed, 2);
             EXPECT_EQ(window.PageIndex(), 3);
             window.SetPageIndex(2);
             EXPECT_EQ(changed, 3);
             // Clearing the job leaves the window showing it; another job
             // shows from its first page.
             window.SetPrintJob(nullptr);
             EXPECT_EQ(f.Preview->PrintJob(), &job);
             window.SetPrintJob(&other);
             EXPECT_EQ(f.Preview->PrintJob(), &other);
             EXPECT_EQ(window.PageIndex(), 1);
             return true;
         },
         [&](TPreviewForm& f) {
             f.Toolbar->ButtonClick(btnClose);
             return true;
         }});
    EXPECT_EQ(closed, 1);
    window.SetPrintJob(nullptr);
}

TEST_F(WindowTest, EachExecuteBuildsItsOwnWindow)
{
    window.SetPrintJob(&job);
    int shows = 0, freed = 0;
    window.OnShow = [&](TCustomPreviewWindow& w) {
        ++shows;
        QObject::connect(w.Form(), &QObject::destroyed, [&] { ++freed; });
    };
    for (int i = 0; i < 2; ++i)
        Run({[&](TPreviewForm& f) {
            f.close();
            return true;
        }});
    EXPECT_EQ(shows, 2);
    EXPECT_EQ(freed, 2);
}

TEST_F(WindowTest, PlacementIsFedBackAndRestored)
{
    window.SetPrintJob(&job);
    window.SetWindowLeft(40);
    window.SetWindowTop(30);
    Run({[&](TPreviewForm& f) {
        EXPECT_EQ(f.pos(), QPoint(40, 30));
        EXPECT_EQ(f.size(), QSize(400, 500));
        f.move(70, 60);
        f.resize(520, 610);
        return true;
    },
         [&](TPreviewForm& f) {
             f.close();
             return true;
         }});
    EXPECT_EQ(window.WindowLeft(), 70);
    EXPECT_EQ(window.WindowTop(), 60);
    EXPECT_EQ(window.WindowWidth(), 520);
    EXPECT_EQ(window.WindowHeight(), 610);

    // Minimised: the normal placement is kept and the window never reopens
    // minimised.
    Run({[&](TPreviewForm& f) {
        EXPECT_EQ(f.pos(), QPoint(70, 60));
        EXPECT_EQ(f.size(), QSize(520, 610));
        f.setWindowState(Qt::WindowMinimized);
        return true;
    },
         [&](TPreviewForm& f) {
             f.close();
             return true;
         }});
    EXPECT_EQ(window.WindowState(), wsNormal);
    EXPECT_EQ(window.WindowWidth(), 520);
    window.SetWindowState(wsMinimized);
    Run({[&](TPreviewForm& f) {
        EXPECT_FALSE(f.windowState() & Qt::WindowMinimized);
        f.close();
        return true;
    }});
}

// A three-page job, shown in the window and printed from its toolbar on
// "PDF-Datei", the file name answered by the dialog seam.
TEST_F(WindowTest, PrintFromTheToolbarWritesAPdfOfThreePages)
{
    plat::QtPrinter qt;
    qt.SetPrinterIndex(int(qt.Printers().size()) - 1);
    ASSERT_TRUE(qt.IsPdfPrinter());
    TPrintJob onQt(qt);
    LikeTheFixturesJob(onQt);
    TempDir dir;
    const std::string pdf = dir.file("vorschau.pdf");
    dialogs.answerFiles({pdf});
    window.SetPrintJob(&onQt);
    TToolbarOptions toolbar = window.ToolbarOptions();
    toolbar.Buttons = {btnPrint,    btnPrintDialog, btnPrinterSetupDialog, btnFirstPage, btnPrevPage,
                       btnNextPage, btnLastPage,    btnWholePage,          btnPageWidth, btnClose};
    window.SetToolbarOptions(toolbar);
    Run({[&](TPreviewForm& f) {
             ClickLater(f.Toolbar->Button(btnPrint));
             return true;
         },
         [&](TPreviewForm& f) {
             if (!std::filesystem::exists(pdf) || qt.Printing())
                 return false;
             ClickLater(f.Toolbar->Button(btnClose));
             return true;
         }});
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_EQ(std::system(("qpdf --check '" + pdf + "' > /dev/null").c_str()), 0);
    ASSERT_EQ(std::system(("pdftoppm -r 50 -png '" + pdf + "' '" + dir.file("p") + "'").c_str()), 0);
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        QImage img(QString::fromStdString(dir.file("p-" + std::to_string(page) + ".png")));
        ASSERT_FALSE(img.isNull());
        // The marker: 300 device pixels per page number at 600 dpi is half
        // an inch, 25 pixels at 50 dpi, from the sheet's corner.
        const int side = 25 * page;
        EXPECT_LT(qGray(img.pixel(side - 4, side - 4)), 64);
        EXPECT_GT(qGray(img.pixel(side + 4, side + 4)), 192);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("p-4.png")));
}

// On a full disk (the safe writer's fault hook) the print from the toolbar
// ends with the error box, naming the file and the cause; the window stays,
// and its next print writes the whole file.
TEST_F(WindowTest, AFailedPrintIsToldAndTheNextOneWritesTheWholeFile)
{
    plat::QtPrinter qt;
    qt.SetPrinterIndex(int(qt.Printers().size()) - 1);
    TPrintJob onQt(qt);
    LikeTheFixturesJob(onQt);
    TempDir dir;
    const std::string full = dir.file("voll.pdf");
    const std::string next = dir.file("weiter.pdf");
    dialogs.answerFiles({full});
    window.SetPrintJob(&onQt);
    std::optional<plat::ScopedWriteFault> diskFull;
    diskFull.emplace(plat::WriteFault::DiskFull);
    Run({[&](TPreviewForm& f) {
             ClickLater(f.Toolbar->Button(btnPrint));
             return true;
         },
         [&](TPreviewForm& f) {
             if (dialogs.messageBoxes().empty() || qt.Printing())
                 return false;
             diskFull.reset();
             dialogs.answerFiles({next});
             ClickLater(f.Toolbar->Button(btnPrint));
             return true;
         },
         [&](TPreviewForm& f) {
             if (!std::filesystem::exists(next) || qt.Printing())
                 return false;
             ClickLater(f.Toolbar->Button(btnClose));
             return true;
         }});
    ASSERT_EQ(dialogs.messageBoxes().size(), 1u);
    const plat::MessageBox box = dialogs.messageBoxes()[0];
    EXPECT_EQ(box.text, "Die Datei " + full + " kann nicht geschrieben werden: "
                            + std::error_code(ENOSPC, std::generic_category()).message());
    EXPECT_EQ(box.icon, plat::MsgIcon::Error);
    EXPECT_FALSE(std::filesystem::exists(full));
    EXPECT_EQ(std::system(("qpdf --check '" + next + "' > /dev/null").c_str()), 0);
    EXPECT_NE(tolv::test::ReadBytes(next).find("/Count 3"), std::string::npos);
}

// A centred window opens centred once; moved and resized, it reopens where
// the user left it.
TEST_F(WindowTest, ACentredWindowReopensWhereItWasLeft)
{
    window.SetPrintJob(&job);
    window.SetPosition(poDesktopCenter);
    QPoint centred;
    Run({[&](TPreviewForm& f) {
             const QRect area = f.screen()->availableGeometry();
             centred = QPoint(area.left() + (area.width() - 400) / 2, area.top() + (area.height() - 500) / 2);
             EXPECT_EQ(f.pos(), centred);
             f.move(100, 50);
             f.resize(520, 610);
             return true;
         },
         [&](TPreviewForm& f) {
             f.close();
             return true;
         }});
    ASSERT_NE(centred, QPoint(100, 50));
    Run({[&](TPreviewForm& f) {
        EXPECT_EQ(f.pos(), QPoint(100, 50));
        EXPECT_EQ(f.size(), QSize(520, 610));
        f.close();
        return true;
    }});
    EXPECT_EQ(window.Position(), poDesktopCenter);
}
