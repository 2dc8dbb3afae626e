#include "JobFixture.h"
#include "PageImage.h"
#include "support/TestSupport.h"

#include "printing/PJControl.h"
#include "printing/PJImage.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QScrollArea>

#include <memory>
#include <vector>

using namespace printing;
using plat::TColor;
using plat::TRect;
using tolv::test::ColourAt;
using tolv::test::RenderPage;

namespace {

// A frame of 400 x 300 with a 2-pixel black border around a green client.
std::unique_ptr<QFrame> FramedControl(const QColor& client = Qt::green)
{
    auto frame = std::make_unique<QFrame>();
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(2);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, client);
    palette.setColor(QPalette::WindowText, Qt::black);
    frame->setPalette(palette);
    frame->setAutoFillBackground(true);
    frame->resize(400, 300);
    return frame;
}

// A label showing a picture of one colour.
std::unique_ptr<QLabel> PictureLabel(int w, int h, const QColor& colour = Qt::red)
{
    QPixmap pixmap(w, h);
    pixmap.fill(colour);
    auto label = std::make_unique<QLabel>();
    label->setPixmap(pixmap);
    return label;
}

class BitmapJobTest : public ::testing::Test {
protected:
    BitmapJobTest()
    {
        tolv::test::EnsureApplication();
        auto count = [this](TCustomPrintJob&) { ++updates; };
        control.OnUpdate = count;
        image.OnUpdate = count;
    }

    plat::FakePrinter printer;
    plat::ScopedPrinter printerGuard{printer};
    plat::ScopedScriptedDialogs dialogs;
    TControlPrintJob control;
    TImagePrintJob image;
    int updates = 0;
};

} // namespace

TEST_F(BitmapJobTest, CapturesTheWholeControlOrItsClientArea)
{
    EXPECT_TRUE(control.JobBitmap().empty());
    auto frame = FramedControl();
    control.SetEntireWindow(true);
    control.SetControl(frame.get());
    const plat::Bitmap& bmp = control.JobBitmap();
    ASSERT_EQ(bmp.width(), 400);
    ASSERT_EQ(bmp.height(), 300);
    EXPECT_EQ(bmp.pixel(0, 0), plat::clBlack);
    EXPECT_EQ(bmp.pixel(1, 150), plat::clBlack);
    EXPECT_EQ(bmp.pixel(200, 150), plat::clLime);

    control.SetEntireWindow(false);
    ASSERT_EQ(bmp.width(), 396);
    ASSERT_EQ(bmp.height(), 296);
    EXPECT_EQ(bmp.pixel(0, 0), plat::clLime);
    EXPECT_EQ(bmp.pixel(395, 295), plat::clLime);

    // A scroll area's client is its viewport: no frame, no scroll bars.
    QScrollArea area;
    area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    area.resize(300, 200);
    control.SetControl(&area);
    EXPECT_EQ(QSize(bmp.width(), bmp.height()), area.viewport()->size());
    EXPECT_LT(bmp.width(), 300);
    control.SetEntireWindow(true);
    EXPECT_EQ(QSize(bmp.width(), bmp.height()), QSize(300, 200));
}

TEST_F(BitmapJobTest, CapturesOnlyWhenTheControlChangesOrAfterLoading)
{
    auto frame = FramedControl();
    control.SetControl(frame.get());
    const int before = updates;
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, Qt::blue);
    frame->setPalette(palette);
    control.SetControl(frame.get());
    (void)RenderPage(control, 1);
    EXPECT_EQ(control.JobBitmap().pixel(10, 10), plat::clLime);
    EXPECT_EQ(updates, before);

    control.BeginLoad();
    control.Loaded();
    EXPECT_EQ(control.JobBitmap().pixel(10, 10), plat::clBlue);
    EXPECT_EQ(updates, before + 1);
}

TEST_F(BitmapJobTest, AFreedControlOrImageLeavesAWhitePageOfTheLastSize)
{
    auto frame = FramedControl();
    control.SetControl(frame.get());
    int before = updates;
    frame.reset();
    EXPECT_EQ(control.Control(), nullptr);
    EXPECT_EQ(control.JobBitmap().width(), 396);
    EXPECT_EQ(control.JobBitmap().height(), 296);
    EXPECT_EQ(control.JobBitmap().pixel(200, 150), plat::clWhite);
    EXPECT_EQ(updates, before + 1);

    auto label = PictureLabel(120, 80);
    image.SetImage(label.get());
    EXPECT_EQ(image.JobBitmap().width(), 120);
    EXPECT_EQ(image.JobBitmap().pixel(5, 5), plat::clRed);
    before = updates;
    label.reset();
    EXPECT_EQ(image.Image(), nullptr);
    EXPECT_EQ(image.JobBitmap().width(), 120);
    EXPECT_EQ(image.JobBitmap().pixel(5, 5), plat::clWhite);
    EXPECT_EQ(updates, before + 1);

    // A label without a picture gives nothing to draw.
    QLabel text("kein Bild");
    image.SetImage(&text);
    EXPECT_TRUE(image.JobBitmap().empty());
    const QImage page = RenderPage(image, 1);
    EXPECT_EQ(ColourAt(page, 10, 10), plat::clWhite);

    // A job that goes first no longer hears of its control.
    auto frame2 = FramedControl();
    {
        TControlPrintJob shortLived;
        shortLived.SetControl(frame2.get());
    }
    frame2.reset();
}

TEST_F(BitmapJobTest, FitAndCentreFillTheAreasHeightCentredAcross)
{
    auto label = PictureLabel(100, 200);
    image.SetImage(label.get());
    image.SetStretchMode(smFit);
    image.SetAlignHorizontal(ahCenter);
    // The page is 2400 x 1800: the picture becomes 900 x 1800 at x = 750.
    const QImage page = RenderPage(image, 1);
    EXPECT_EQ(ColourAt(page, 749, 900), plat::clWhite);
    EXPECT_EQ(ColourAt(page, 750, 900), plat::clRed);
    EXPECT_EQ(ColourAt(page, 1649, 0), plat::clRed);
    EXPECT_EQ(ColourAt(page, 1649, 1799), plat::clRed);
    EXPECT_EQ(ColourAt(page, 1650, 900), plat::clWhite);
}

TEST_F(BitmapJobTest, TheBitmapIsCutOffAtThePageAreaAndTheClippingRestored)
{
    auto label = PictureLabel(300, 300);
    image.SetImage(label.get());
    image.SetOptions({joMargins, joHeader, joFooter});
    image.SetMargins({300, 300, 300, 300});
    image.SetHeader(100);
    image.SetFooter(100);
    image.SetStretchMode(sm200);   // 3750 x 1875 pixels: larger than the page
    std::vector<TDrawArea> fired;
    image.OnDraw = [&](TCustomPrintJob&, plat::Canvas&, int, const TRect&, TDrawArea area, TDrawTarget) {
        fired.push_back(area);
    };

    QImage page(2400, 1800, QImage::Format_RGB32);
    page.fill(Qt::white);
    plat::Canvas canvas(&page);
    canvas.IntersectClipRect({0, 0, 2000, 1800});
    const plat::TClip clip = canvas.GetClip();
    image.DrawPage(canvas, 1, dtPreview);
    ASSERT_TRUE(canvas.GetClip().region.has_value());
    EXPECT_EQ(*canvas.GetClip().region, *clip.region);
    canvas.End();

    // Header and footer are the owner's: only OnDraw, no picture.
    EXPECT_EQ(fired, (std::vector<TDrawArea>{daHeader, daFooter}));
    struct Probe { int x, y; TColor colour; };
    for (const Probe p : {Probe{400, 450, plat::clRed}, Probe{1999, 1399, plat::clRed},
                          Probe{2050, 900, plat::clWhite},     // beyond the canvas's own clip
                          Probe{250, 450, plat::clWhite},      // left margin
                          Probe{400, 350, plat::clWhite},      // header band
                          Probe{2150, 900, plat::clWhite},     // right margin
                          Probe{400, 1450, plat::clWhite}}) {  // footer band
        SCOPED_TRACE(testing::Message() << p.x << ", " << p.y);
        EXPECT_EQ(ColourAt(page, p.x, p.y), p.colour);
    }
}

TEST_F(BitmapJobTest, WithoutThePageInDefaultDrawingThePageAreaIsTheOwners)
{
    auto label = PictureLabel(300, 300);
    image.SetImage(label.get());
    image.SetDefaultDrawing({daHeader, daFooter});
    std::vector<TDrawArea> fired;
    image.OnDraw = [&](TCustomPrintJob&, plat::Canvas&, int, const TRect&, TDrawArea area, TDrawTarget) {
        fired.push_back(area);
    };
    const QImage page = RenderPage(image, 1);
    EXPECT_EQ(fired, std::vector<TDrawArea>{daPage});
    EXPECT_EQ(ColourAt(page, 10, 10), plat::clWhite);
}

TEST_F(BitmapJobTest, PrintedThePictureSitsInThePageAreaLessThePrinterOffsets)
{
    auto frame = FramedControl(Qt::red);
    control.SetControl(frame.get());
    control.SetOptions({joMargins});
    control.SetMargins({300, 300, 300, 300});
    control.SetStretchMode(smStretch);
    control.Print();
    ASSERT_EQ(printer.documents.size(), 1u);
    const QImage printed = printer.documents[0].pages.at(0);
    // The page area (300, 300, 2100, 1500) on a canvas whose origin is the
    // printable corner (90, 40).
    EXPECT_EQ(ColourAt(printed, 210 - 1, 260 + 5), plat::clWhite);
    EXPECT_EQ(ColourAt(printed, 210 + 1, 260 + 5), plat::clRed);
    EXPECT_EQ(ColourAt(printed, 2010 - 2, 1460 - 2), plat::clRed);
    EXPECT_EQ(ColourAt(printed, 2010 + 1, 1460 - 2), plat::clWhite);
}
