// Images on PDF pages: placement, reuse, the image objects in the file and
// what readers make of them (pdfimages, qpdf, mutool, pdftoppm).
#include "pdf/PdfImage.h"
#include "pdf/PdfVell.h"

#include "AllocationLimit.h"
#include "PdfCheck.h"

#include "platform/Bitmap.h"
#include "platform/Jpeg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using namespace pdf;
using plat::PixelFormat;
using pdftest::ObjectLines;
using pdftest::SplitLines;
using pdftest::ThrowingJpeg;

namespace {

const PdfDateTime Jan2nd2006{2006, 1, 2, 15, 30, 0, 0};

struct MemDoc : pdftest::MemoryDoc {
    explicit MemDoc(const char* name = "/tmp/images.pdf") : MemoryDoc(name) { pdf.Clock = [] { return Jan2nd2006; }; }
};

std::size_t Count(const std::string& hay, const std::string& needle)
{
    std::size_t n = 0;
    for (std::size_t p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1))
        ++n;
    return n;
}

plat::Bitmap Solid(int w, int h, plat::TColor c, PixelFormat fmt = PixelFormat::pf24bit)
{
    plat::Bitmap bmp(w, h, fmt);
    bmp.fill(c);
    return bmp;
}

struct ListedImage {
    int width = 0, height = 0, bpc = 0;
    std::string color, enc;
};

std::vector<ListedImage> PdfImagesList(const std::string& path)
{
    const auto r = pdftest::RunCommand("pdfimages -list " + pdftest::ShellQuote(path));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<ListedImage> out;
    const auto lines = SplitLines(r.out);
    for (std::size_t i = 2; i < lines.size(); ++i) {
        std::istringstream f(lines[i]);
        std::string page, num, type, comp, interp;
        ListedImage img;
        if (f >> page >> num >> type >> img.width >> img.height >> img.color >> comp >> img.bpc >> img.enc)
            out.push_back(img);
    }
    return out;
}

} // namespace

TEST(ImagePlacement, PlacementRectangles)
{
    const long double px = 254.0L / 96;   // tenths of a millimetre per pixel at 96 dpi
    struct Case {
        plat::TRect in;
        int w, h;
        bool smart;
        plat::TRect out;
    };
    const Case cases[] = {
        // Square target: wide image centred vertically, tall image horizontally.
        {{0, 0, 1000, 1000}, 200, 100, true, {0, 250, 1000, 750}},
        {{0, 0, 1000, 1000}, 100, 200, true, {250, 0, 750, 1000}},
        {{100, 200, 1100, 1200}, 200, 100, true, {100, 450, 1100, 950}},
        // Halves round to even: (1000 - 999) / 2 = 0.5 -> 0, (1000 - 333) / 2 = 333.5 -> 334.
        {{0, 0, 1000, 333}, 3, 1, true, {0, 0, 999, 333}},
        {{0, 0, 1000, 1000}, 3, 1, true, {0, 334, 1000, 667}},
        // Without smart stretch the rectangle stands.
        {{0, 0, 1000, 1000}, 200, 100, false, {0, 0, 1000, 1000}},
        // Right = Left or Bottom = Top: natural size, pixels x 254 / 96.
        {{50, 60, 50, 900}, 100, 10, true, {50, 60, 315, 86}},
        {{50, 60, 500, 60}, 96, 96, false, {50, 60, 304, 314}},
        // The tile of the default print parameters on A4 portrait.
        {{0, 0, 2100, 2970}, 2362, 3389, true, {15, 0, 2085, 2970}},
    };
    for (const auto& c : cases) {
        const auto placed = PlacementRect(c.in, c.w, c.h, px, c.smart);
        ASSERT_TRUE(placed);
        const plat::TRect r = *placed;
        EXPECT_EQ((std::vector<int>{r.Left, r.Top, r.Right, r.Bottom}),
                  (std::vector<int>{c.out.Left, c.out.Top, c.out.Right, c.out.Bottom}))
            << c.w << "x" << c.h << " into " << c.in.Left << "," << c.in.Top << "," << c.in.Right << "," << c.in.Bottom;
    }
}

TEST(ImagePlacement, ExtremeRectanglesNeitherWrapNorOverflow)
{
    const long double px = 254.0L / 96;
    const int big = 2000000000;
    // The width is more than an int holds; the smart placement of a square
    // image in it is small again.
    const auto centred = PlacementRect({-big, 0, big, 100}, 10, 10, px, true);
    ASSERT_TRUE(centred);
    EXPECT_EQ((std::vector<int>{centred->Left, centred->Top, centred->Right, centred->Bottom}),
              (std::vector<int>{-50, 0, 50, 100}));
    const auto tall = PlacementRect({0, -big, 100, big}, 10, 10, px, true);
    ASSERT_TRUE(tall);
    EXPECT_EQ((std::vector<int>{tall->Left, tall->Top, tall->Right, tall->Bottom}),
              (std::vector<int>{0, -50, 100, 50}));
    // A natural size beyond int is no rectangle at all.
    EXPECT_FALSE(PlacementRect({big, 0, big, 0}, 30000, 30000, 10000.0L, true));
    EXPECT_FALSE(PlacementRect({0, big, 10, big}, 30000, 30000, 10000.0L, false));
    EXPECT_FALSE(PlacementRect({big, 0, big, 0}, 30000, 30000, 1e30L, false));
    EXPECT_FALSE(PlacementRect({-big, 0, -big, 0}, 30000, 30000, -1e30L, false));
}

TEST(ImagePlacement, WhatAPageCannotHoldIsRefused)
{
    const plat::Bitmap bmp = Solid(10, 10, plat::clRed);
    const int big = 2000000000;
    // Smart stretch centres the image where a page holds it.
    {
        MemDoc d;
        d.pdf.BeginDoc();
        d.canvas().StretchDraw(-big, 0, big, 100, &bmp);
        EXPECT_EQ(d.canvas().ContentLines()[1], "28.063 0 0 28.063 -14.173 813.543 cm");
        d.pdf.EndDoc();
        EXPECT_TRUE(pdftest::PdfBytesPassChecks(d.bytes()));
    }
    const plat::TRect refused[] = {{-big, 0, big, 100}, {0, 0, big, big}, {big, 0, big + 100, 100}, {0, 0, 100, -big}};
    for (const plat::TRect& r : refused) {
        SCOPED_TRACE(std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
                     std::to_string(r.Bottom));
        MemDoc d;
        d.pdf.SmartStretchDraw = false;
        d.pdf.BeginDoc();
        EXPECT_EQ(pdftest::ErrorOf([&] { d.canvas().StretchDraw(r, &bmp); }), "Invalid property value: StretchDraw");
        EXPECT_FALSE(d.pdf.Opened());
    }
}

TEST(ImagePlacement, ContentLinesOfOnePlacement)
{
    MemDoc d;
    d.pdf.BeginDoc();
    const plat::Bitmap bmp = Solid(200, 100, plat::clRed);
    d.canvas().StretchDraw(100, 200, 1100, 1200, &bmp);
    // Smart stretch: 1000 x 500 units at (100, 450); the scale is one unit
    // less on each axis: 999 and 499 tenths of a millimetre in points.
    EXPECT_EQ(d.canvas().ContentLines(),
              (std::vector<std::string>{"q", "283.181 0 0 141.449 28.346 572.598 cm", "/Im0 Do", "Q"}));

    d.pdf.SmartStretchDraw = false;
    d.canvas().StretchDraw(plat::TRect{0, 0, 2100, 2970}, &bmp);
    EXPECT_EQ(d.canvas().ContentLines()[5], "594.992 0 0 841.606 0 0 cm");
    EXPECT_EQ(d.canvas().ContentLines()[6], "/Im0 Do");
    d.pdf.EndDoc();
    EXPECT_TRUE(pdftest::PdfBytesPassChecks(d.bytes()));
}

TEST(ImagePlacement, ReuseByIdentityAndAlwaysNewImage)
{
    for (bool alwaysNew : {false, true}) {
        // Drawn twice unchanged: one image object and two placements of Im0;
        // with AlwaysNewImage each placement its own object, Im0 and Im1.
        SCOPED_TRACE(alwaysNew ? "AlwaysNewImage" : "reuse");
        MemDoc d;
        d.canvas().AlwaysNewImage = alwaysNew;
        d.pdf.BeginDoc();
        const plat::Bitmap bmp = Solid(8, 8, plat::clBlue);
        d.canvas().StretchDraw(0, 0, 100, 100, &bmp);
        d.canvas().StretchDraw(200, 0, 300, 100, &bmp);
        d.pdf.EndDoc();
        EXPECT_EQ(Count(d.bytes(), "/Subtype/Image"), alwaysNew ? 2u : 1u);
        EXPECT_EQ(Count(d.bytes(), "/Im0 Do"), alwaysNew ? 1u : 2u);
        if (alwaysNew)
            EXPECT_EQ(Count(d.bytes(), "/Im1 Do"), 1u);
        else
            EXPECT_EQ(Count(d.bytes(), "/Im1"), 0u);
    }
    {
        // A bitmap redrawn between placements is a new image, even without
        // AlwaysNewImage: the stale picture is never repeated.
        MemDoc d;
        d.pdf.BeginDoc();
        plat::Bitmap bmp = Solid(8, 8, plat::clBlue);
        d.canvas().StretchDraw(0, 0, 100, 100, &bmp);
        bmp.fill(plat::clRed);
        d.canvas().StretchDraw(200, 0, 300, 100, &bmp);
        d.canvas().StretchDraw(400, 0, 500, 100, &bmp);   // unchanged since: reused
        d.pdf.EndDoc();
        EXPECT_EQ(Count(d.bytes(), "/Subtype/Image"), 2u);
        EXPECT_EQ(Count(d.bytes(), "/Im0 Do"), 1u);
        EXPECT_EQ(Count(d.bytes(), "/Im1 Do"), 2u);
    }
    {
        // An empty bitmap has no identity: it matches nothing and, having no
        // pixels, is neither registered nor placed.
        MemDoc d;
        d.pdf.BeginDoc();
        const plat::Bitmap empty;
        d.canvas().StretchDraw(0, 0, 100, 100, &empty);
        d.canvas().StretchDraw(0, 0, 100, 100, &empty);
        EXPECT_TRUE(d.canvas().Images().empty());
        EXPECT_TRUE(d.canvas().ContentLines().empty());
        EXPECT_EQ(FindImage(d.canvas(), empty), nullptr);
        d.pdf.EndDoc();
        EXPECT_EQ(Count(d.bytes(), "/XObject"), 0u);
        EXPECT_TRUE(pdftest::PdfBytesPassChecks(d.bytes()));
    }
}

TEST(ImagePlacement, WrittenOnceAtTheEndOfItsFirstPage)
{
    MemDoc d;
    d.pdf.BeginDoc();
    const plat::Bitmap bmp = Solid(4, 4, plat::clLime);
    d.canvas().StretchDraw(0, 0, 100, 100, &bmp);
    d.pdf.NewPage();
    d.canvas().StretchDraw(0, 0, 100, 100, &bmp);
    d.pdf.EndDoc();
    const std::string& b = d.bytes();
    // 4 content, 5 image, 6 page; 7 content, 8 page.
    const auto image = ObjectLines(b, 5);
    ASSERT_GE(image.size(), 10u);
    EXPECT_EQ(image[1], "/Type/XObject");
    EXPECT_EQ(ObjectLines(b, 6)[1], "/Type/Page");
    EXPECT_EQ(ObjectLines(b, 8)[1], "/Type/Page");
    EXPECT_EQ(Count(b, "/Subtype/Image"), 1u);
    EXPECT_NE(b.find("/XObject <<\n/Im0 5 0 R\n >>\n"), std::string::npos);
    EXPECT_TRUE(pdftest::PdfBytesPassChecks(b));
}

TEST(ImagePlacement, ErrorsAndAbandonedDocuments)
{
    MemDoc d;
    const plat::Bitmap bmp = Solid(4, 4, plat::clLime);
    try {
        d.canvas().StretchDraw(0, 0, 10, 10, &bmp);
        ADD_FAILURE() << "no document open";
    } catch (const EPdfError& e) {
        EXPECT_STREQ(e.what(), "Document not opened");
    }

    d.pdf.BeginDoc();
    try {
        d.canvas().StretchDraw(0, 0, 10, 10, nullptr);
        ADD_FAILURE() << "no graphic";
    } catch (const EPdfError& e) {
        EXPECT_STREQ(e.what(), "Invalid method call");
    }
    EXPECT_FALSE(d.pdf.Opened());
    EXPECT_TRUE(d.pdf.Aborted());
    EXPECT_EQ(d.fs.files.count(d.pdf.FileName()), 0u) << "the partial file is deleted";
    // After the abandonment drawing is silently ignored.
    EXPECT_NO_THROW(d.canvas().StretchDraw(0, 0, 10, 10, &bmp));
    EXPECT_NO_THROW(d.canvas().StretchDraw(0, 0, 10, 10, nullptr));
    EXPECT_TRUE(d.canvas().Images().empty());
}

TEST(ImagePlacement, EncodingThatRunsOutOfMemoryAbandonsTheDocument)
{
    // The export swallows what StretchDraw raises and goes on; an image that
    // could not be made must not leave a finished file with a blank page.
    for (TPdfCompressMode mode : {TPdfCompressMode::cpNone, TPdfCompressMode::cpZlib, TPdfCompressMode::cpJpeg}) {
        SCOPED_TRACE(int(mode));
        MemDoc d;
        int aborts = 0;
        d.pdf.OnAbort = [&](TPdfVell&) { ++aborts; };
        d.pdf.SetImageCompressMode(mode);
        d.pdf.BeginDoc();
        // Noise: even its JPEG file is far above the limit.
        plat::Bitmap bmp(600, 400);
        std::uint32_t seed = 1;
        for (int y = 0; y < bmp.height(); ++y)
            for (int x = 0; x < bmp.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                bmp.setPixel(x, y, plat::TColor(seed >> 8));
            }
        std::string error;
        {
            pdftest::ScopedAllocationLimit limit(100000);
            try {
                d.canvas().StretchDraw(0, 0, 2100, 2970, &bmp);
            } catch (const EPdfError& e) {
                error = e.what();
            } catch (const std::exception& e) {
                error = std::string("escaped: ") + e.what();
            }
        }
        EXPECT_EQ(error, "Internal error: std::bad_alloc");
        EXPECT_FALSE(d.pdf.Opened());
        EXPECT_EQ(aborts, 1);
        EXPECT_EQ(d.fs.files.count(d.pdf.FileName()), 0u);
        EXPECT_TRUE(d.canvas().Images().empty());
        EXPECT_NO_THROW(d.pdf.EndDoc());
        EXPECT_EQ(d.fs.files.count(d.pdf.FileName()), 0u);
    }
}

TEST(ImagePlacement, AnImageEncodedAsideIsTheImageStretchDrawMakes)
{
    for (TPdfCompressMode mode : {TPdfCompressMode::cpNone, TPdfCompressMode::cpZlib, TPdfCompressMode::cpJpeg}) {
        SCOPED_TRACE(int(mode));
        plat::Bitmap bmp = Solid(30, 20, plat::clBlue);
        bmp.setPixel(3, 4, plat::clYellow);
        const auto write = [&](bool aside) {
            MemDoc d;
            d.pdf.SetImageCompressMode(mode);
            d.pdf.BeginDoc();
            d.canvas().AlwaysNewImage = true;
            for (const int x : {0, 300}) {
                if (aside)
                    d.canvas().StretchDrawEncoded({x, 0, x + 200, 100},
                                                  EncodePdfImageAside(bmp, d.canvas().ImageEncoding()));
                else
                    d.canvas().StretchDraw(x, 0, x + 200, 100, &bmp);
            }
            d.pdf.EndDoc();
            return d.bytes();
        };
        const std::string direct = write(false);
        EXPECT_EQ(Count(direct, "/Subtype/Image"), 2u);
        EXPECT_TRUE(write(true) == direct);
    }
}

TEST(ImagePlacement, AFailureOfTheEncodingAsideAbandonsTheDocumentWhenPlaced)
{
    const plat::Bitmap bmp = Solid(8, 8, plat::clRed);
    TPdfImageEncoding encoding{TPdfCompressMode::cpZlib, 90, {}};
    // Nothing a failed encoding leaves escapes it: what it threw is kept.
    TPdfEncodedImage failed;
    {
        pdftest::ScopedAllocationLimit limit(16);
        failed = EncodePdfImageAside(bmp, encoding);
    }
    ASSERT_TRUE(failed.Failure);
    EXPECT_TRUE(failed.Data.Data.empty());

    MemDoc d;
    d.pdf.BeginDoc();
    try {
        d.canvas().StretchDrawEncoded({0, 0, 100, 100}, failed);
        ADD_FAILURE() << "the failure is the writer's";
    } catch (const EPdfError& e) {
        EXPECT_STREQ(e.what(), "Internal error: std::bad_alloc");
    }
    EXPECT_TRUE(d.pdf.Aborted());
    EXPECT_EQ(d.fs.files.count(d.pdf.FileName()), 0u);
    // Abandoned: further placements do nothing, as StretchDraw's do.
    EXPECT_NO_THROW(d.canvas().StretchDrawEncoded({0, 0, 100, 100}, EncodePdfImageAside(bmp, encoding)));
    EXPECT_TRUE(d.canvas().Images().empty());

    // An image of no pixels is neither registered nor placed.
    MemDoc e;
    e.pdf.BeginDoc();
    e.canvas().StretchDrawEncoded({0, 0, 100, 100}, EncodePdfImageAside(plat::Bitmap(), encoding));
    EXPECT_TRUE(e.canvas().Images().empty());
    EXPECT_TRUE(e.canvas().ContentLines().empty());
    e.pdf.EndDoc();
}

TEST(ImagePlacement, ImageDataIsEncryptedUnderItsObjectKey)
{
    MemDoc d;
    d.standInEncryption = true;
    d.pdf.SetImageCompressMode(TPdfCompressMode::cpNone);
    d.pdf.SecuritySetup = [](const std::string&) { return std::make_unique<pdftest::XorEncryption>(0); };
    d.pdf.BeginDoc();
    const plat::Bitmap bmp = Solid(1, 1, plat::RGB(1, 2, 3));
    d.canvas().StretchDraw(0, 0, 10, 10, &bmp);
    d.pdf.EndDoc();
    // Samples 01 02 03 are ASCII85 "!<N?", then "~>"; XOR with object 5.
    EXPECT_NE(d.bytes().find("/Length 6\n/Filter[/ASCII85Decode]\n>>\nstream\n" + pdftest::Xor("!<N?~>", 5, 0) +
                             "\nendstream\nendobj\n"),
              std::string::npos);
}

// Every image kind the writer produces, checked by the readers.
TEST(ImageFiles, EveryKindListsChecksAndRenders)
{
    struct Kind {
        const char* label;
        PixelFormat fmt;
        TPdfCompressMode mode;
        bool failJpeg;
        const char* color;   // pdfimages: gray / rgb
        int bpc;
        const char* enc;     // pdfimages: jpeg / image
        const char* filter;  // after "/Filter[/ASCII85Decode"
    };
    const Kind kinds[] = {
        {"24-bit JPEG", PixelFormat::pf24bit, TPdfCompressMode::cpJpeg, false, "rgb", 8, "jpeg", "/DCTDecode]"},
        {"32-bit JPEG", PixelFormat::pf32bit, TPdfCompressMode::cpJpeg, false, "rgb", 8, "jpeg", "/DCTDecode]"},
        {"24-bit Flate", PixelFormat::pf24bit, TPdfCompressMode::cpZlib, false, "rgb", 8, "image", "/FlateDecode]"},
        {"24-bit raw", PixelFormat::pf24bit, TPdfCompressMode::cpNone, false, "rgb", 8, "image", "]"},
        {"24-bit failed JPEG", PixelFormat::pf24bit, TPdfCompressMode::cpJpeg, true, "rgb", 8, "image", "/FlateDecode]"},
        {"8-bit palette", PixelFormat::pf8bit, TPdfCompressMode::cpJpeg, false, "rgb", 4, "image", "/FlateDecode]"},
        {"4-bit palette", PixelFormat::pf4bit, TPdfCompressMode::cpJpeg, false, "rgb", 2, "image", "/FlateDecode]"},
        {"1-bit", PixelFormat::pf1bit, TPdfCompressMode::cpJpeg, false, "gray", 1, "image", "/FlateDecode]"},
        {"1-bit raw", PixelFormat::pf1bit, TPdfCompressMode::cpNone, false, "gray", 1, "image", "]"},
    };
    pdftest::TempDir dir;
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.label);
        const bool mono = k.fmt == PixelFormat::pf1bit;
        // Background and a block in the top-left quarter, in colours every
        // format holds exactly.
        const plat::TColor back = mono ? plat::clBlack : plat::RGB(0, 0, 255);
        const plat::TColor block = mono ? plat::clWhite : plat::RGB(255, 255, 0);
        plat::Bitmap bmp(90, 120, k.fmt);
        bmp.fill(back);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 30; ++x)
                bmp.setPixel(x, y, block);

        const std::string path = dir.file(std::string("kind") + std::to_string(&k - kinds) + ".pdf");
        TPdfVell pdf;
        pdf.SetFileName(path);
        pdf.SetImageCompressMode(k.mode);
        pdf.SetJpegQuality(95);
        {
            const pdftest::ScopedJpegEncoder encoder(k.failJpeg ? JpegEncoderFn(ThrowingJpeg) : CurrentJpegEncoder());
            pdf.BeginDoc();
            // 90 x 120 into the A4 page (2100 x 2970): 2100 x 2800 from y = 85.
            pdf.Canvas().StretchDraw(0, 0, 2100, 2970, &bmp);
            pdf.EndDoc();
        }

        EXPECT_TRUE(pdftest::PdfPassesChecks(path));
        const std::string bytes = pdftest::ReadFileBytes(path);
        EXPECT_NE(bytes.find(std::string("/Filter[/ASCII85Decode") + k.filter), std::string::npos);

        const auto list = PdfImagesList(path);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].width, 90);
        EXPECT_EQ(list[0].height, 120);
        EXPECT_EQ(list[0].color, k.color);
        EXPECT_EQ(list[0].bpc, k.bpc);
        EXPECT_EQ(list[0].enc, k.enc);

        // At 30 dpi the page is about 248 x 351 pixels; the image spans x 0..248,
        // y 10..341. Its centre is the background, the block sits top-left.
        const pdftest::RgbImage page = pdftest::RenderPage(path, 1, 30);
        ASSERT_NEAR(page.width, 248, 1);
        ASSERT_NEAR(page.height, 351, 1);
        const int tol = k.enc == std::string("jpeg") ? 12 : 2;
        const auto expectColour = [&](int x, int y, plat::TColor c) {
            const auto px = page.at(x, y);
            EXPECT_NEAR(px[0], plat::GetRValue(c), tol) << "at " << x << "," << y;
            EXPECT_NEAR(px[1], plat::GetGValue(c), tol) << "at " << x << "," << y;
            EXPECT_NEAR(px[2], plat::GetBValue(c), tol) << "at " << x << "," << y;
        };
        expectColour(124, 175, back);
        expectColour(40, 60, block);        // image pixel (14, 18)
        expectColour(200, 300, back);
        expectColour(124, 4, plat::clWhite);   // above the image: paper
    }
}

TEST(ImageFiles, JpegAndFlateTilesInOneDocument)
{
    // Two tile-like pages: coloured hexagon rows, written once as JPEG and
    // once through the deflate fallback (a forced JPEG failure).
    plat::Bitmap tile(472, 678);
    for (int y = 0; y < tile.height(); ++y) {
        std::uint8_t* line = tile.scanLine(y);
        for (int x = 0; x < tile.width(); ++x) {
            const int row = y / 113, col = (x + (row % 2) * 59) / 118;
            const bool border = (y % 113) < 6 || ((x + (row % 2) * 59) % 118) < 6;
            static const std::uint8_t colours[4][3] = {{40, 150, 60}, {200, 180, 90}, {90, 90, 90}, {60, 120, 210}};
            const std::uint8_t* c = colours[(row * 3 + col) % 4];
            const int grain = int((x * 7 + y * 13) % 17) - 8;
            for (int i = 0; i < 3; ++i) {
                const int v = border ? 20 : std::clamp(int(c[2 - i]) + grain, 0, 255);
                line[3 * x + i] = std::uint8_t(v);
            }
        }
    }
    pdftest::TempDir dir;
    const std::string path = dir.file("tiles.pdf");
    TPdfVell pdf;
    pdf.SetFileName(path);
    pdf.SetJpegQuality(80);
    pdf.Canvas().AlwaysNewImage = true;
    pdf.BeginDoc();
    pdf.Canvas().StretchDraw(0, 0, 2100, 2970, &tile);
    pdf.NewPage();
    {
        const pdftest::ScopedJpegEncoder failing(ThrowingJpeg);
        pdf.Canvas().StretchDraw(0, 0, 2100, 2970, &tile);
    }
    pdf.EndDoc();

    ASSERT_TRUE(pdftest::PdfPassesChecks(path));
    const auto list = PdfImagesList(path);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].enc, "jpeg");
    EXPECT_EQ(list[1].enc, "image");

    // Both pages show the same picture.
    const pdftest::RgbImage a = pdftest::RenderPage(path, 1, 40);
    const pdftest::RgbImage b = pdftest::RenderPage(path, 2, 40);
    ASSERT_EQ(a.width, b.width);
    ASSERT_EQ(a.height, b.height);
    long long diff = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i)
        diff += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    EXPECT_LT(double(diff) / double(a.rgb.size()), 4.0);
    if (const char* keep = std::getenv("TOLV_KEEP_PDF"))
        pdftest::WriteFileBytes(keep, pdftest::ReadFileBytes(path));
}
