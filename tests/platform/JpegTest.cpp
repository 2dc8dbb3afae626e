#include "platform/Jpeg.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <future>
#include <jpeglib.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace plat;
using tolv::test::ReadBytes;
using tolv::test::TempDir;
using tolv::test::WithJpegFrameSize;
using tolv::test::WriteBytes;

namespace {

Bitmap Pattern(int w, int h, PixelFormat f = PixelFormat::pf24bit)
{
    Bitmap b(w, h, f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, (x / 8 + y / 8) % 2 ? RGB(200, 30, 40) : RGB(20, 60, 220));
    return b;
}

int MaxChannelError(const Bitmap& a, const Bitmap& b, int margin)
{
    int worst = 0;
    for (int y = margin; y < a.height() - margin; ++y)
        for (int x = margin; x < a.width() - margin; ++x) {
            const TColor p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(GetRValue(p) - GetRValue(q)),
                              std::abs(GetGValue(p) - GetGValue(q)), std::abs(GetBValue(p) - GetBValue(q))});
        }
    return worst;
}

// JPEG files in colour spaces our encoder does not write, made with the library itself.
std::vector<std::uint8_t> EncodeRaw(int w, int h, int components, J_COLOR_SPACE space,
                                    const std::vector<std::uint8_t>& samples)
{
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buf, &size);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = components;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    for (int y = 0; y < h; ++y) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + std::size_t(y) * w * components);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<std::uint8_t> out(buf, buf + size);
    jpeg_destroy_compress(&c);
    std::free(buf);
    return out;
}

void ExpectJpegError(const std::vector<std::uint8_t>& data, const char* what)
{
    EXPECT_THROW(DecodeJpeg(data.data(), data.size()), JpegError) << what;
}

// Whether the file holds the given marker anywhere.
bool HasMarker(const std::vector<std::uint8_t>& data, std::uint8_t marker)
{
    for (std::size_t i = 0; i + 1 < data.size(); ++i)
        if (data[i] == 0xFF && data[i + 1] == marker)
            return true;
    return false;
}

} // namespace

TEST(JpegTest, RoundTripKeepsSizeAndColours)
{
    for (const PixelFormat f : {PixelFormat::pf24bit, PixelFormat::pf32bit, PixelFormat::pf8bit}) {
        const Bitmap src = Pattern(37, 21, f);
        const auto data = EncodeJpeg(src, 95);
        ASSERT_GT(data.size(), 100u);
        EXPECT_EQ(data[0], 0xFF);
        EXPECT_EQ(data[1], 0xD8);
        EXPECT_TRUE(HasMarker(data, 0xC0)) << "baseline frame";
        EXPECT_FALSE(HasMarker(data, 0xC2)) << "not progressive";
        const Bitmap back = DecodeJpeg(data.data(), data.size());
        EXPECT_EQ(back.format(), PixelFormat::pf24bit);
        EXPECT_EQ(back.width(), 37);
        EXPECT_EQ(back.height(), 21);
        // Away from the block edges the colours come back close.
        Bitmap flat(16, 16);
        flat.fill(RGB(200, 30, 40));
        const auto flatData = EncodeJpeg(flat, 95);
        EXPECT_LE(MaxChannelError(flat, DecodeJpeg(flatData.data(), flatData.size()), 0), 4);
        EXPECT_LE(MaxChannelError(src, back, 0), 120) << "pattern survives roughly";
    }
}

TEST(JpegTest, QualityIsClampedToTenToHundred)
{
    const Bitmap src = Pattern(32, 32);
    EXPECT_EQ(EncodeJpeg(src, -5), EncodeJpeg(src, 10));
    EXPECT_EQ(EncodeJpeg(src, 1), EncodeJpeg(src, 10));
    EXPECT_EQ(EncodeJpeg(src, 250), EncodeJpeg(src, 100));
    EXPECT_LT(EncodeJpeg(src, 10).size(), EncodeJpeg(src, 100).size());
    EXPECT_THROW(EncodeJpeg(Bitmap(), 80), JpegError);
}

TEST(JpegTest, StandardHuffmanTablesDecodeTheSame)
{
    const Bitmap src = Pattern(64, 48);
    const auto optimised = EncodeJpeg(src, 80, JpegHuffman::Optimised);
    const auto standard = EncodeJpeg(src, 80, JpegHuffman::Standard);
    EXPECT_EQ(EncodeJpeg(src, 80), optimised);
    EXPECT_NE(standard, optimised);
    EXPECT_TRUE(HasMarker(standard, 0xC0));
    const Bitmap a = DecodeJpeg(optimised.data(), optimised.size());
    const Bitmap b = DecodeJpeg(standard.data(), standard.size());
    EXPECT_EQ(MaxChannelError(a, b, 0), 0) << "only the entropy coding differs";
}

TEST(JpegTest, GreyIsExpandedToThreeChannels)
{
    std::vector<std::uint8_t> grey(16 * 8);
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = i % 16 < 8 ? 40 : 210;
    const auto data = EncodeRaw(16, 8, 1, JCS_GRAYSCALE, grey);
    const Bitmap b = DecodeJpeg(data.data(), data.size());
    ASSERT_EQ(b.width(), 16);
    const TColor left = b.pixel(2, 4), right = b.pixel(13, 4);
    EXPECT_EQ(GetRValue(left), GetGValue(left));
    EXPECT_EQ(GetRValue(left), GetBValue(left));
    EXPECT_NEAR(GetRValue(left), 40, 6);
    EXPECT_NEAR(GetBValue(right), 210, 6);
}

TEST(JpegTest, CmykIsRefused)
{
    const std::vector<std::uint8_t> cmyk(8 * 8 * 4, 100);
    const auto data = EncodeRaw(8, 8, 4, JCS_CMYK, cmyk);
    try {
        DecodeJpeg(data.data(), data.size());
        FAIL() << "CMYK must be refused";
    } catch (const JpegError& e) {
        EXPECT_NE(std::string(e.what()).find("CMYK"), std::string::npos) << e.what();
    }
}

TEST(JpegTest, AbsurdSizesAreRefusedBeforeDecoding)
{
    const auto good = EncodeJpeg(Pattern(16, 16), 80);
    ExpectJpegError(WithJpegFrameSize(good, 30001, 16), "too wide");
    ExpectJpegError(WithJpegFrameSize(good, 16, 40000), "too high");
    ExpectJpegError(WithJpegFrameSize(good, 20000, 20000), "too many pixels");
}

TEST(JpegTest, ACallersSideLimitRefusesFromTheHeader)
{
    // The scan holds 16 x 16 pixels; for a larger frame the library pads the
    // rest, so only the header stands between a tiny file and its gigabytes.
    const auto good = EncodeJpeg(Pattern(16, 16), 80);
    struct Case {
        int w, h;
        bool refused;
    };
    const Case cases[] = {{4097, 16, true}, {16, 4097, true}, {14000, 14000, true}, {4096, 16, false}, {16, 4096, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        const auto data = WithJpegFrameSize(good, c.w, c.h);
        try {
            const Bitmap b = DecodeJpeg(data.data(), data.size(), 4096);
            EXPECT_FALSE(c.refused);
            EXPECT_EQ(b.width(), c.w);
            EXPECT_EQ(b.height(), c.h);
        } catch (const JpegError& e) {
            EXPECT_TRUE(c.refused) << e.what();
            EXPECT_EQ(e.Fault(), JpegFault::TooLarge) << e.what();
        }
    }
}

TEST(JpegTest, GarbageAndTruncationGiveErrorsNeverACrash)
{
    ExpectJpegError({}, "empty");
    EXPECT_THROW(DecodeJpeg(nullptr, 10), JpegError);
    const std::string text = "this is not a JPEG file";
    ExpectJpegError(std::vector<std::uint8_t>(text.begin(), text.end()), "text");
    std::mt19937 rng(7);
    std::vector<std::uint8_t> noise(4096);
    for (auto& b : noise)
        b = std::uint8_t(rng());
    ExpectJpegError(noise, "noise");

    // Every cut of a valid file fails cleanly, down to a missing end marker.
    const auto good = EncodeJpeg(Pattern(24, 24), 75);
    for (std::size_t n = 0; n < good.size(); ++n) {
        const std::vector<std::uint8_t> cut(good.begin(), good.begin() + std::ptrdiff_t(n));
        ExpectJpegError(cut, "truncated");
    }
    EXPECT_NO_THROW(DecodeJpeg(good.data(), good.size()));

    // Flipped bytes in the scan data must not crash either.
    for (int i = 0; i < 200; ++i) {
        auto bad = good;
        for (int k = 0; k < 8; ++k)
            bad[bad.size() / 3 + rng() % (bad.size() / 2)] = std::uint8_t(rng());
        try {
            DecodeJpeg(bad.data(), bad.size());
        } catch (const JpegError&) {
        }
    }
}

TEST(JpegTest, FilesLoadAndOthersDecodeWhatWeWrite)
{
    TempDir dir;
    const auto data = EncodeJpeg(Pattern(40, 30), 80);
    const std::string path = dir.file("Pic1.jpg");
    WriteBytes(path, std::string(data.begin(), data.end()));
    const Bitmap b = LoadJpegFile(path);
    EXPECT_EQ(b.width(), 40);
    EXPECT_EQ(b.height(), 30);

    try {
        LoadJpegFile(dir.file("Pic99.jpg"));
        FAIL();
    } catch (const JpegError& e) {
        EXPECT_NE(std::string(e.what()).find("Pic99.jpg"), std::string::npos);
    }
    WriteBytes(dir.file("bad.jpg"), "\xFF\xD8\xFF");
    EXPECT_THROW(LoadJpegFile(dir.file("bad.jpg")), JpegError);

    if (std::system("command -v djpeg >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "djpeg not installed";
    const std::string cmd = "djpeg -bmp '" + path + "' > '" + dir.file("out.bmp") + "' 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_GT(ReadBytes(dir.file("out.bmp")).size(), 40u * 30 * 3);
}

TEST(JpegTest, AFifoInThePlaceOfAPictureIsRefusedWithoutWaiting)
{
    TempDir dir;
    const std::string path = dir.file("Pic3.jpg");
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    auto load = std::async(std::launch::async, [&] {
        try {
            LoadJpegFile(path);
            return std::string("loaded");
        } catch (const JpegError& e) {
            return std::string(e.what());
        }
    });
    const bool quick = load.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
    if (!quick) {
        // Let a reader blocked in open() go, so that the run can end.
        const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    EXPECT_TRUE(quick) << "the load waited for a writer";
    const std::string what = load.get();
    EXPECT_NE(what, "loaded");
    EXPECT_NE(what.find("Pic3.jpg"), std::string::npos) << what;
}

TEST(JpegTest, TheProgramsPicturesDecode)
{
    const std::string pics = std::string(TOLV_BIN_DIR) + "/Pics/";
    if (!std::filesystem::exists(pics + "Pic1.jpg"))
        GTEST_SKIP() << "pictures not generated in " << pics;
    for (int i = 1; i <= 11; ++i) {
        const Bitmap b = LoadJpegFile(pics + "Pic" + std::to_string(i) + ".jpg");
        EXPECT_FALSE(b.empty()) << i;
        EXPECT_EQ(b.format(), PixelFormat::pf24bit);
    }
}
