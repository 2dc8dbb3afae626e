// The pictures written at build time: each decodes with our JPEG code and
// with djpeg, terrain pictures are white outside their hexagon, and the
// counting strip is large enough for every section the outputs copy.
#include "platform/Jpeg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const std::string Pics = std::string(TOLV_BIN_DIR) + "/Pics/";

std::string PicPath(int i) { return Pics + "Pic" + std::to_string(i) + ".jpg"; }

bool IsWhite(const plat::Bitmap& b, int x, int y)
{
    const std::uint8_t* p = b.scanLine(y) + 3 * x;
    return p[0] == 255 && p[1] == 255 && p[2] == 255;
}

} // namespace

TEST(Pictures, AllElevenDecodeWithOurCodecAndWithDjpeg)
{
    ASSERT_EQ(std::system("command -v djpeg >/dev/null 2>&1"), 0) << "djpeg is part of the set-up";
    const auto out = std::filesystem::temp_directory_path() / "tolv_pics_test.ppm";
    for (int i = 1; i <= 11; ++i) {
        SCOPED_TRACE(PicPath(i));
        const plat::Bitmap b = plat::LoadJpegFile(PicPath(i));
        EXPECT_EQ(b.format(), plat::PixelFormat::pf24bit);
        const std::string cmd = "djpeg -pnm '" + PicPath(i) + "' > '" + out.string() + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        EXPECT_GT(std::filesystem::file_size(out), std::uintmax_t(b.width()) * b.height() * 3);
    }
    std::filesystem::remove(out);
}

TEST(Pictures, TerrainPicturesAreHexagonsOnWhite)
{
    for (int i = 1; i <= 10; ++i) {
        SCOPED_TRACE(i);
        const plat::Bitmap b = plat::LoadJpegFile(PicPath(i));
        const int w = b.width(), h = b.height();
        ASSERT_GT(w, 100);
        // Flat-topped: as wide as the picture, 0.866 of that high.
        EXPECT_NEAR(double(h) / w, 0.866, 0.01);
        for (auto [x, y] : {std::pair{2, 2}, {w - 3, 2}, {2, h - 3}, {w - 3, h - 3}, {w / 8, h / 8}})
            EXPECT_TRUE(IsWhite(b, x, y)) << x << "," << y;
        EXPECT_FALSE(IsWhite(b, w / 2, h / 2));
    }
}

TEST(Pictures, CountingStripCoversEverySection)
{
    // Sections start at (65, 65) and reach at most 65 + 226 + 223 pixels.
    const plat::Bitmap b = plat::LoadJpegFile(PicPath(11));
    EXPECT_GE(b.width(), 515);
    EXPECT_GE(b.height(), 515);
}
