#include "platform/Bitmap.h"

#include "platform/SafeFile.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <csignal>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace plat;
using tolv::test::ReadBytes;
using tolv::test::TempDir;

TEST(BitmapTest, FormatsAndStrides)
{
    const struct { PixelFormat f; int bpp, width, stride; } cases[] = {
        {PixelFormat::pf1bit, 1, 9, 4},    {PixelFormat::pf1bit, 1, 33, 8},
        {PixelFormat::pf4bit, 4, 9, 8},    {PixelFormat::pf8bit, 8, 5, 8},
        {PixelFormat::pf24bit, 24, 1, 4},  {PixelFormat::pf24bit, 24, 5, 16},
        {PixelFormat::pf24bit, 24, 4, 12}, {PixelFormat::pf32bit, 32, 3, 12},
    };
    for (const auto& c : cases) {
        Bitmap b(c.width, 2, c.f);
        EXPECT_EQ(b.bitsPerPixel(), c.bpp);
        EXPECT_EQ(b.stride(), c.stride) << c.bpp << " bpp, width " << c.width;
        for (int x = 0; x < c.width; ++x)
            EXPECT_EQ(b.pixel(x, 1), clWhite) << "new bitmaps are white";
    }
}

TEST(BitmapTest, TwentyFourBitRowsAreBgrTopDown)
{
    Bitmap b(2, 2);
    b.setPixel(1, 0, RGB(10, 20, 30));
    const std::uint8_t* row0 = std::as_const(b).scanLine(0);
    EXPECT_EQ(row0[3], 30);   // blue first
    EXPECT_EQ(row0[4], 20);
    EXPECT_EQ(row0[5], 10);
    EXPECT_EQ(b.pixel(1, 0), RGB(10, 20, 30));
    EXPECT_EQ(b.pixel(1, 1), clWhite);
    EXPECT_EQ(b.pixel(2, 0), -1);
    b.setPixel(5, 5, clRed);   // outside: ignored
    EXPECT_EQ(b.pixel(-1, 0), -1);
}

TEST(BitmapTest, PaletteFormatsPackAndResolve)
{
    Bitmap mono(10, 1, PixelFormat::pf1bit);
    mono.setPixel(0, 0, clBlack);
    mono.setPixel(9, 0, RGB(20, 20, 20));   // nearest is black
    EXPECT_EQ(std::as_const(mono).scanLine(0)[0], 0x7F);
    EXPECT_EQ(std::as_const(mono).scanLine(0)[1] & 0xC0, 0x80);
    EXPECT_EQ(mono.pixel(9, 0), clBlack);
    EXPECT_EQ(mono.pixel(1, 0), clWhite);

    Bitmap four(3, 1, PixelFormat::pf4bit);
    four.setPixel(1, 0, clRed);
    EXPECT_EQ(four.pixel(1, 0), clRed);
    EXPECT_EQ(std::as_const(four).scanLine(0)[0], 0xF9);   // white, red

    Bitmap eight(2, 2, PixelFormat::pf8bit);
    eight.setPalette({clBlack, clRed, clBlue});
    eight.scanLine(1)[1] = 2;
    EXPECT_EQ(eight.pixel(1, 1), clBlue);
    eight.scanLine(0)[0] = 200;   // no such entry
    EXPECT_EQ(eight.pixel(0, 0), clBlack);
}

TEST(BitmapTest, FormatConversion)
{
    Bitmap b(3, 1);
    b.setPixel(0, 0, clBlack);
    b.setPixel(1, 0, clRed);
    b.setPixel(2, 0, RGB(250, 250, 250));
    Bitmap mono = b;
    mono.setFormat(PixelFormat::pf1bit);
    EXPECT_EQ(mono.pixel(0, 0), clBlack);
    EXPECT_EQ(mono.pixel(2, 0), clWhite);
    Bitmap eight = b;
    eight.setFormat(PixelFormat::pf8bit);
    EXPECT_EQ(eight.pixel(1, 0), clRed);
    eight.setFormat(PixelFormat::pf32bit);
    EXPECT_EQ(eight.pixel(1, 0), clRed);
    EXPECT_EQ(eight.stride(), 12);
    EXPECT_EQ(std::as_const(eight).scanLine(0)[3], 0xFF);
}

TEST(BitmapTest, ResizeKeepsTopLeftAndWhitensTheRest)
{
    for (const PixelFormat f : {PixelFormat::pf24bit, PixelFormat::pf1bit, PixelFormat::pf4bit}) {
        Bitmap b(3, 3, f);
        b.fill(clBlack);
        b.setSize(5, 2);
        EXPECT_EQ(b.width(), 5);
        EXPECT_EQ(b.pixel(2, 1), clBlack);
        EXPECT_EQ(b.pixel(3, 0), clWhite);
        b.setSize(6, 4);
        EXPECT_EQ(b.pixel(0, 0), clBlack);
        EXPECT_EQ(b.pixel(0, 3), clWhite);
    }
    Bitmap b(2, 2);
    b.setSize(-5, 3);
    EXPECT_TRUE(b.empty());
    EXPECT_THROW(Bitmap(70000, 70000), std::length_error);
}

TEST(BitmapTest, IdentityChangesOnEveryMutableAccess)
{
    Bitmap empty;
    EXPECT_EQ(empty.identity(), 0u);
    Bitmap b(4, 4);
    const Bitmap& cb = b;
    std::set<std::uint64_t> seen{b.identity()};
    EXPECT_NE(b.identity(), 0u);

    (void)cb.scanLine(0);
    (void)cb.bits();
    (void)cb.pixel(0, 0);
    EXPECT_EQ(seen.count(b.identity()), 1u) << "reading keeps the identity";

    auto mutate = [&](auto&& f) {
        f();
        EXPECT_TRUE(seen.insert(b.identity()).second);
    };
    mutate([&] { b.scanLine(1); });
    mutate([&] { b.bits(); });
    mutate([&] { b.setPixel(0, 0, clRed); });
    mutate([&] { b.fill(clBlue); });
    mutate([&] { b.setSize(5, 5); });
    mutate([&] { b.setFormat(PixelFormat::pf32bit); });
    mutate([&] { b.setPalette({}); });
    mutate([&] { b.touch(); });

    Bitmap other(4, 4);
    EXPECT_EQ(seen.count(other.identity()), 0u) << "identities are never shared by chance";
    Bitmap copy = b;
    EXPECT_EQ(copy.identity(), b.identity());
    copy.setPixel(0, 0, clBlack);
    EXPECT_NE(copy.identity(), b.identity());
    Bitmap moved = std::move(copy);
    EXPECT_TRUE(copy.empty());
    EXPECT_EQ(copy.identity(), 0u);
    EXPECT_FALSE(moved.empty());
    b.setSize(0, 3);
    EXPECT_EQ(b.identity(), 0u);
    EXPECT_THROW(b.scanLine(0), std::out_of_range);
}

TEST(BitmapTest, DibIsBottomUpTwentyFourBit)
{
    Bitmap b(3, 2, PixelFormat::pf32bit);
    b.setPixel(0, 0, RGB(1, 2, 3));   // top-left
    b.setPixel(2, 1, RGB(7, 8, 9));   // bottom-right
    std::size_t infoSize = 0, bitsSize = 0;
    ASSERT_TRUE(DibSizes(b, infoSize, bitsSize));
    EXPECT_EQ(infoSize, 40u);
    EXPECT_EQ(bitsSize, 12u * 2);

    Dib dib;
    ASSERT_TRUE(MakeDib(b, dib));
    EXPECT_EQ(dib.info.biSize, 40);
    EXPECT_EQ(dib.info.biWidth, 3);
    EXPECT_EQ(dib.info.biHeight, 2);
    EXPECT_EQ(dib.info.biPlanes, 1);
    EXPECT_EQ(dib.info.biBitCount, 24);
    EXPECT_EQ(dib.info.biCompression, 0);
    EXPECT_EQ(dib.info.biSizeImage, 24);
    EXPECT_EQ(dib.stride(), 12);
    ASSERT_EQ(dib.bits.size(), bitsSize);
    // Row 0 of the DIB is the picture's bottom row.
    EXPECT_EQ(dib.row(0)[6], 9);
    EXPECT_EQ(dib.row(0)[8], 7);
    EXPECT_EQ(dib.row(1)[0], 3);
    EXPECT_EQ(dib.row(1)[2], 1);
    EXPECT_EQ(dib.row(1)[9], 0) << "padding is zero";

    Bitmap none;
    EXPECT_FALSE(DibSizes(none, infoSize, bitsSize));
    EXPECT_FALSE(MakeDib(none, dib));
    EXPECT_TRUE(dib.empty());
}

namespace {

// ImageMagick's view of a file: "width height" and the colour of two pixels.
std::string Identify(const std::string& path)
{
    const std::string cmd = "identify -format '%w %h %[pixel:p{0,0}] %[pixel:p{2,1}]' '" + path + "' 2>&1";
    std::string out;
    if (FILE* p = ::popen(cmd.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p))
            out += buf;
        ::pclose(p);
    }
    return out;
}

bool HaveImageMagick()
{
    // identify, not convert: some machines put a stand-in convert first on the PATH.
    return std::system("identify -version 2>/dev/null | grep -q ImageMagick") == 0;
}

} // namespace

TEST(BitmapTest, SaveBmpWritesAFileOthersRead)
{
    TempDir dir;
    Bitmap b(3, 2);
    b.setPixel(0, 0, clRed);
    b.setPixel(2, 1, clBlue);
    const std::string path = dir.file("P1_Plan.bmp");
    SaveBmp(b, path);
    const std::string bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 14u + 40 + 12 * 2);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    // Bottom row first: its last pixel is blue.
    EXPECT_EQ(std::uint8_t(bytes[54 + 6]), 255);

    Bitmap mono(3, 2, PixelFormat::pf1bit);
    mono.setPixel(0, 0, clBlack);
    SaveBmp(mono, dir.file("mono.bmp"));
    EXPECT_EQ(ReadBytes(dir.file("mono.bmp")).size(), 14u + 40 + 8 + 4 * 2);

    if (!HaveImageMagick())
        GTEST_SKIP() << "ImageMagick not installed";
    EXPECT_EQ(Identify(path), "3 2 srgb(255,0,0) srgb(0,0,255)");
    EXPECT_EQ(Identify(dir.file("mono.bmp")).substr(0, 4), "3 2 ");
}

TEST(BitmapTest, SaveBmpWritesEveryRowBottomUpInEveryFormat)
{
    // Taller than one gathered write takes pieces; one pixel wide, where a
    // 32-bit row is as long as the file's padded 24-bit row.
    TempDir dir;
    for (const PixelFormat fmt : {PixelFormat::pf24bit, PixelFormat::pf32bit, PixelFormat::pf8bit}) {
        for (const int w : {1, 5}) {
            SCOPED_TRACE(testing::Message() << int(fmt) << " " << w);
            const int h = 2500;
            Bitmap b(w, h, fmt);
            for (int y = 0; y < h; ++y)
                b.setPixel(w - 1, y, y % 2 ? clBlack : clWhite);
            for (const Durability d : {Durability::Synced, Durability::Unsynced}) {
                const std::string path = dir.file("rows.bmp");
                SaveBmp(b, path, d);
                const std::string bytes = ReadBytes(path);
                const int bpp = fmt == PixelFormat::pf8bit ? 8 : 24;
                const std::size_t stride = std::size_t((w * bpp + 31) / 32 * 4);
                const std::size_t offBits = 14 + 40 + (bpp == 8 ? 256 * 4 : 0);
                ASSERT_EQ(bytes.size(), offBits + stride * h);
                const std::size_t last = std::size_t(w - 1) * std::size_t(bpp / 8);
                for (int row = 0; row < h; ++row) {
                    const int y = h - 1 - row;
                    const std::uint8_t first = std::uint8_t(bytes[offBits + stride * std::size_t(row) + last]);
                    ASSERT_EQ(first != 0, y % 2 == 0) << "row " << y;
                }
            }
        }
    }
    // Each save replaced the one before and left nothing beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()),
              1);
}

TEST(BitmapTest, SaveBmpFailuresThrowAndLeaveNothing)
{
    TempDir dir;
    EXPECT_THROW(SaveBmp(Bitmap(), dir.file("empty.bmp")), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(dir.file("empty.bmp")));
    EXPECT_THROW(SaveBmp(Bitmap(2, 2), dir.file("missing/x.bmp")), std::runtime_error);
    if (std::filesystem::exists("/dev/full")) {
        try {
            SaveBmp(Bitmap(200, 200), "/dev/full");
            ADD_FAILURE() << "a full disk must be reported";
        } catch (const std::runtime_error&) {
        }
    }
}

TEST(BitmapTest, AFailedSaveKeepsTheOldPicture)
{
    TempDir dir;
    const std::string path = dir.file("P1_Plan.bmp");
    SaveBmp(Bitmap(3, 2), path);
    const std::string before = ReadBytes(path);
    const Bitmap big(400, 300);

    // A disk that fills up half-way, for real: a file size limit.
    {
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit small = old;
        small.rlim_cur = 4096;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        EXPECT_THROW(SaveBmp(big, path), std::runtime_error);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_EQ(ReadBytes(path), before);
    }
    // Unsynced copies skip the sync, not the temporary file.
    for (const Durability d : {Durability::Synced, Durability::Unsynced})
        for (const WriteFault f : {WriteFault::CreateTemp, WriteFault::Write, WriteFault::DiskFull,
                                   WriteFault::Sync, WriteFault::Rename}) {
            if (f == WriteFault::Sync && d == Durability::Unsynced)
                continue;
            const ScopedWriteFault fail(f);
            EXPECT_THROW(SaveBmp(big, path, d), std::runtime_error) << int(f);
            EXPECT_EQ(ReadBytes(path), before) << int(f);
        }
    // A write-protected picture is not replaced through its folder.
    ::chmod(path.c_str(), 0444);
    EXPECT_THROW(SaveBmp(big, path), std::runtime_error);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file left behind";
}
