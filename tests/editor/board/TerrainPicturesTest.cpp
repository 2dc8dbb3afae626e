// The terrain pictures: the brightness pass, loading each on its own and
// the start-up message naming the failures.
#include "editor/board/TerrainPictures.h"

#include "platform/Jpeg.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include <sys/resource.h>

using namespace tolv;

namespace {

struct BrightnessCase {
    int b, f, a, expected;
};

TEST(Unit1Logic, AdjustBrightnessTable)
{
    const BrightnessCase cases[] = {
        {250, 120, 0, 255},     // 300 limited
        {10, 100, -20, 0},      // -10 limited
        {200, 50, 10, 110},
        {100, 50, 10, 60},
        {0, 50, 10, 10},
        {255, 100, 0, 255},
        {99, 33, 0, 32},        // 32.67 truncated
        {255, 2000000000, 0, 255},   // no wrap-around with absurd factors
        {1, -2000000000, 0, 0},
        {128, 100, 2147483647, 255},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AdjustBrightness(std::uint8_t(c.b), c.f, c.a), c.expected)
            << c.b << " " << c.f << " " << c.a;
}

plat::Bitmap ThreePixels()
{
    plat::Bitmap bmp(3, 1);
    bmp.setPixel(0, 0, plat::RGB(0, 100, 200));     // bytes b=200 g=100 r=0
    bmp.setPixel(1, 0, plat::RGB(255, 255, 255));
    bmp.setPixel(2, 0, plat::RGB(254, 255, 255));
    return bmp;
}

TEST(Unit1Logic, BrightnessPassLeavesWhiteAlone)
{
    plat::Bitmap bmp = ThreePixels();
    BrightnessPass(bmp, 50, 10);
    const std::uint8_t* p = bmp.scanLine(0);
    EXPECT_EQ(p[0], 110);   // 200 -> 110
    EXPECT_EQ(p[1], 60);    // 100 -> 60
    EXPECT_EQ(p[2], 10);    // 0 -> 10
    EXPECT_EQ(bmp.pixel(1, 0), plat::RGB(255, 255, 255));
    EXPECT_EQ(bmp.pixel(2, 0), plat::RGB(137, 137, 137));   // not pure white: adjusted

    plat::Bitmap same = ThreePixels();
    BrightnessPass(same, 100, 0);
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(same.pixel(x, 0), ThreePixels().pixel(x, 0));
}

// A temporary pictures folder.
class Unit1Pictures : public ::testing::Test {
protected:
    std::string Dir() const { return dir_.str() + "/"; }
    std::string PicturePath(int i) const { return dir_.file("Pic" + std::to_string(i) + ".jpg"); }
    void WriteJpeg(int i, plat::TColor colour)
    {
        plat::Bitmap bmp(8, 6);
        bmp.fill(colour);
        test::WriteBytes(PicturePath(i), plat::EncodeJpeg(bmp, 100));
    }
    void WriteGarbage(int i) { test::WriteBytes(PicturePath(i), "not a picture"); }
    test::TempDir dir_;
};

TEST_F(Unit1Pictures, AllPicturesLoad)
{
    for (int i = 1; i <= 11; ++i)
        WriteJpeg(i, plat::RGB(200, 100, 0));
    BoardState st;
    int dibFaults = 0;
    const auto failures = LoadPictures(st, Dir(), 50, 10, [&] { ++dibFaults; });
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(dibFaults, 0);
    EXPECT_TRUE(PictureFailureMessage(failures, Dir()).empty());
    for (int i = 1; i <= 11; ++i) {
        const Picture& p = st.Pictures[i];
        ASSERT_TRUE(p.Loaded) << i;
        EXPECT_EQ(p.Bitmap.width(), 8);
        EXPECT_EQ(p.Bitmap.height(), 6);
        EXPECT_EQ(p.Dib.info.biWidth, 8);
        EXPECT_EQ(p.Dib.info.biHeight, 6);
        // The brightness pass ran: red about 200*50/100+10, blue about 10.
        const plat::TColor c = p.Bitmap.pixel(4, 3);
        EXPECT_NEAR(plat::GetRValue(c), 110, 3);
        EXPECT_NEAR(plat::GetBValue(c), 10, 3);
    }
}

TEST_F(Unit1Pictures, EveryFailureIsReportedAndTheRestLoad)
{
    for (int i = 1; i <= 11; ++i)
        if (i != 3 && i != 7 && i != 11)
            WriteJpeg(i, plat::RGB(10, 20, 30));
    WriteGarbage(7);
    BoardState st;
    const auto failures = LoadPictures(st, Dir(), 100, 0, {});
    ASSERT_EQ(failures.size(), 3u);
    EXPECT_EQ(failures[0].Index, 3);
    EXPECT_EQ(failures[1].Index, 7);
    EXPECT_EQ(failures[2].Index, 11);
    for (int i = 1; i <= 11; ++i)
        EXPECT_EQ(st.Pictures[i].Loaded, i != 3 && i != 7 && i != 11) << i;
    EXPECT_TRUE(st.Pictures[7].Bitmap.empty());

    const std::string msg = PictureFailureMessage(failures, Dir());
    for (const char* name : {"Pic3.jpg", "Pic7.jpg", "Pic11.jpg"})
        EXPECT_NE(msg.find(name), std::string::npos) << name;
    EXPECT_EQ(msg.find("Pic1.jpg"), std::string::npos);
    EXPECT_NE(msg.find(Dir()), std::string::npos);
}

TEST_F(Unit1Pictures, ReasonsAreGermanAndTheFileIsNamed)
{
    for (int i = 1; i <= 11; ++i)
        WriteJpeg(i, plat::RGB(10, 20, 30));
    std::filesystem::remove(PicturePath(2));
    WriteGarbage(3);
    std::filesystem::remove(PicturePath(4));
    std::filesystem::create_directory(PicturePath(4));
    plat::Bitmap small(16, 16);
    small.fill(plat::RGB(1, 2, 3));
    const auto good = plat::EncodeJpeg(small, 80);
    test::WriteBytes(PicturePath(5), test::WithJpegFrameSize(good, MaxPictureSide + 1, 16));
    test::WriteBytes(PicturePath(6), std::vector<std::uint8_t>(good.begin(), good.begin() + 40));

    BoardState st;
    const auto failures = LoadPictures(st, Dir(), 100, 0, {});
    const std::pair<int, std::string> expected[] = {
        {2, "Datei nicht gefunden"},
        {3, "kein gültiges JPEG-Bild (beschädigt oder unvollständig)"},
        {4, "keine gewöhnliche Datei"},
        {5, "Bild zu groß (höchstens 4096 × 4096 Pixel)"},
        {6, "kein gültiges JPEG-Bild (beschädigt oder unvollständig)"},
    };
    ASSERT_EQ(failures.size(), std::size(expected));
    for (std::size_t k = 0; k < failures.size(); ++k) {
        EXPECT_EQ(failures[k].Index, expected[k].first);
        EXPECT_EQ(failures[k].FileName, "Pic" + std::to_string(expected[k].first) + ".jpg");
        EXPECT_EQ(failures[k].Reason, expected[k].second) << failures[k].FileName;
    }
    const std::string msg = PictureFailureMessage(failures, Dir());
    EXPECT_NE(msg.find("\nPic5.jpg: Bild zu groß"), std::string::npos) << msg;
    for (const char* english : {"JPEG error", "Cannot open", "regular file", "std::"})
        EXPECT_EQ(msg.find(english), std::string::npos) << english << " in " << msg;
}

TEST_F(Unit1Pictures, AHugeHeaderIsRefusedBeforeItsPixelsTakeMemory)
{
    // A few hundred bytes that claim 14000 x 14000 pixels: decoded, they
    // would take more than half a gigabyte, twice with the DIB copy.
    plat::Bitmap small(16, 16);
    small.fill(plat::RGB(1, 2, 3));
    const auto file = test::WithJpegFrameSize(plat::EncodeJpeg(small, 80), 14000, 14000);
    for (int i = 1; i <= 11; ++i)
        test::WriteBytes(PicturePath(i), file);

    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    BoardState st;
    const auto failures = LoadPictures(st, Dir(), 50, 10, {});
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);

    ASSERT_EQ(failures.size(), 11u);
    for (const PictureFailure& f : failures)
        EXPECT_EQ(f.Reason, "Bild zu groß (höchstens 4096 × 4096 Pixel)") << f.FileName;
    // The peak resident size (kilobytes) hardly moved.
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024);
}

TEST_F(Unit1Pictures, MissingFolderReportsAllEleven)
{
    BoardState st;
    const auto failures = LoadPictures(st, Dir() + "nowhere/", 100, 0, {});
    EXPECT_EQ(failures.size(), 11u);
    for (int i = 1; i <= 11; ++i)
        EXPECT_FALSE(st.Pictures[i].Loaded);
}

} // namespace
