#include "pdf/PdfImage.h"

#include "PdfCheck.h"

#include "platform/Bitmap.h"
#include "platform/Jpeg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using namespace pdf;
using plat::PixelFormat;
using pdftest::Ascii85Decode;
using pdftest::Inflate;
using pdftest::ThrowingJpeg;

namespace {

// The serialisation rule written out pixel by pixel through pixel(), the
// slow road the scanline reader must match byte for byte.
std::vector<std::uint8_t> ReferenceSamples(const plat::Bitmap& bmp, int bpc)
{
    std::vector<std::uint8_t> out;
    for (int y = 0; y < bmp.height(); ++y) {
        unsigned acc = 0;
        int used = 0;
        auto put = [&](unsigned v, int bits) {
            acc = (acc << bits) | v;
            used += bits;
            while (used >= 8) {
                used -= 8;
                out.push_back(std::uint8_t(acc >> used));
            }
        };
        for (int x = 0; x < bmp.width(); ++x) {
            const plat::TColor c = bmp.pixel(x, y);
            if (bpc == 1) {
                put(c != 0 ? 1 : 0, 1);
            } else if (bpc == 8) {
                out.push_back(std::uint8_t(plat::GetRValue(c)));
                out.push_back(std::uint8_t(plat::GetGValue(c)));
                out.push_back(std::uint8_t(plat::GetBValue(c)));
            } else {
                put(unsigned(plat::GetRValue(c)) >> (8 - bpc), bpc);
                put(unsigned(plat::GetGValue(c)) >> (8 - bpc), bpc);
                put(unsigned(plat::GetBValue(c)) >> (8 - bpc), bpc);
            }
        }
        if (used > 0)
            out.push_back(std::uint8_t(acc << (8 - used)));
    }
    return out;
}

// Random bytes in every pixel's bits (indices past a short palette included).
plat::Bitmap RandomBitmap(int w, int h, PixelFormat fmt, unsigned seed)
{
    plat::Bitmap bmp(w, h, fmt);
    std::mt19937 rng(seed);
    const int rowBytes = (w * bmp.bitsPerPixel() + 7) / 8;
    for (int y = 0; y < h; ++y) {
        std::uint8_t* line = bmp.scanLine(y);
        for (int i = 0; i < rowBytes; ++i)
            line[i] = std::uint8_t(rng());
        if (fmt == PixelFormat::pf32bit)
            for (int x = 0; x < w; ++x)
                line[4 * x + 3] = 0xFF;
    }
    return bmp;
}

const PixelFormat kAllFormats[] = {PixelFormat::pf1bit, PixelFormat::pf4bit, PixelFormat::pf8bit,
                                   PixelFormat::pf24bit, PixelFormat::pf32bit};

} // namespace

TEST(ImageEncode, BitsPerComponentModeAndRowSize)
{
    EXPECT_EQ(ImageBitsPerComponent(PixelFormat::pf1bit), 1);
    EXPECT_EQ(ImageBitsPerComponent(PixelFormat::pf4bit), 2);
    EXPECT_EQ(ImageBitsPerComponent(PixelFormat::pf8bit), 4);
    EXPECT_EQ(ImageBitsPerComponent(PixelFormat::pf24bit), 8);
    EXPECT_EQ(ImageBitsPerComponent(PixelFormat::pf32bit), 8);

    using M = TPdfCompressMode;
    struct ModeCase { int bpc; M requested, expected; };
    const ModeCase modes[] = {
        {8, M::cpJpeg, M::cpJpeg}, {8, M::cpZlib, M::cpZlib}, {8, M::cpNone, M::cpNone},
        {1, M::cpJpeg, M::cpZlib}, {2, M::cpJpeg, M::cpZlib}, {4, M::cpZlib, M::cpZlib},
        {1, M::cpNone, M::cpNone}, {4, M::cpNone, M::cpNone},
    };
    for (const auto& c : modes)
        EXPECT_EQ(ImageModeFor(c.bpc, c.requested), c.expected) << c.bpc;

    struct RowCase { int width, bpc; std::size_t bytes; };
    const RowCase rows[] = {
        {9, 1, 2}, {8, 1, 1}, {1, 1, 1}, {1, 2, 1}, {2, 2, 2}, {3, 2, 3}, {1, 4, 2},
        {3, 4, 5}, {5, 8, 15}, {0, 8, 0},
    };
    for (const auto& c : rows)
        EXPECT_EQ(ImageBytesPerRow(c.width, c.bpc), c.bytes) << c.width << " x " << c.bpc;
}

TEST(ImageEncode, ScanlineSerialisationMatchesPixelReads)
{
    for (PixelFormat fmt : kAllFormats) {
        for (int w : {1, 2, 3, 7, 9, 13, 33}) {
            const plat::Bitmap bmp = RandomBitmap(w, 5, fmt, unsigned(w) * 31 + unsigned(fmt));
            const int bpc = ImageBitsPerComponent(fmt);
            const auto samples = SerialiseImageSamples(bmp, bpc);
            EXPECT_EQ(samples.size(), ImageBytesPerRow(w, bpc) * 5);
            EXPECT_EQ(samples, ReferenceSamples(bmp, bpc)) << "format " << int(fmt) << " width " << w;
        }
    }
}

TEST(ImageEncode, CustomAndShortPalettes)
{
    // 1 bit: a palette without black still gives 0 only for black.
    plat::Bitmap one(10, 1, PixelFormat::pf1bit);
    one.setPalette({plat::RGB(0, 0, 1), plat::clBlack});
    one.scanLine(0)[0] = 0b10100000;   // pixels 0 and 2 use index 1 (black)
    one.scanLine(0)[1] = 0;
    EXPECT_EQ(SerialiseImageSamples(one, 1), (std::vector<std::uint8_t>{0b01011111, 0b11000000}));

    // 4 bits with a two-entry palette: indices past it read as black.
    plat::Bitmap four(3, 1, PixelFormat::pf4bit);
    four.setPalette({plat::RGB(255, 128, 64), plat::RGB(0, 255, 0)});
    four.scanLine(0)[0] = 0x01;
    four.scanLine(0)[1] = 0x50;
    // red 255>>6=3, 128>>6=2, 64>>6=1 | 0,3,0 | 0,0,0 packed in 2-bit samples.
    EXPECT_EQ(SerialiseImageSamples(four, 2), (std::vector<std::uint8_t>{0b11100100, 0b11000000, 0b00000000}));
    EXPECT_EQ(SerialiseImageSamples(four, 2), ReferenceSamples(four, 2));
}

TEST(ImageEncode, RawAndDeflateCarryTheSamples)
{
    for (PixelFormat fmt : kAllFormats) {
        const plat::Bitmap bmp = RandomBitmap(17, 6, fmt, 99 + unsigned(fmt));
        const int bpc = ImageBitsPerComponent(fmt);
        const auto samples = SerialiseImageSamples(bmp, bpc);

        const TPdfImageData raw = EncodePdfImage(bmp, TPdfCompressMode::cpNone, 80);
        EXPECT_EQ(raw.Mode, TPdfCompressMode::cpNone);
        EXPECT_EQ(Ascii85Decode(raw.Data), samples);

        const TPdfImageData flate = EncodePdfImage(bmp, TPdfCompressMode::cpZlib, 80);
        EXPECT_EQ(flate.Mode, TPdfCompressMode::cpZlib);
        EXPECT_EQ(Inflate(Ascii85Decode(flate.Data)), samples);
        EXPECT_EQ(flate.Width, 17);
        EXPECT_EQ(flate.Height, 6);
        EXPECT_EQ(flate.BitsPerComponent, bpc);
        EXPECT_EQ(flate.IsGray(), bpc == 1);

        // JPEG is asked for but only 8-bit images take it.
        const TPdfImageData jpeg = EncodePdfImage(bmp, TPdfCompressMode::cpJpeg, 80);
        EXPECT_EQ(jpeg.Mode, bpc == 8 ? TPdfCompressMode::cpJpeg : TPdfCompressMode::cpZlib);
        const std::string text(jpeg.Data.begin(), jpeg.Data.end());
        EXPECT_EQ(text.substr(text.size() - 2), "~>");
        EXPECT_EQ(text.find_first_of("\r\n "), std::string::npos);
    }
}

TEST(ImageEncode, JpegPathDecodesToThePicture)
{
    plat::Bitmap bmp(64, 48, PixelFormat::pf24bit);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            bmp.setPixel(x, y, x < 32 ? plat::RGB(200, 40, 30) : plat::RGB(20, 60, 220));
    const TPdfImageData img = EncodePdfImage(bmp, TPdfCompressMode::cpJpeg, 90);
    ASSERT_EQ(img.Mode, TPdfCompressMode::cpJpeg);
    const auto file = Ascii85Decode(img.Data);
    ASSERT_GE(file.size(), 4u);
    EXPECT_EQ(file[0], 0xFF);
    EXPECT_EQ(file[1], 0xD8);
    const plat::Bitmap back = plat::DecodeJpeg(file.data(), file.size());
    ASSERT_EQ(back.width(), 64);
    ASSERT_EQ(back.height(), 48);
    const plat::TColor left = back.pixel(8, 24), right = back.pixel(56, 24);
    EXPECT_NEAR(plat::GetRValue(left), 200, 12);
    EXPECT_NEAR(plat::GetBValue(left), 30, 12);
    EXPECT_NEAR(plat::GetRValue(right), 20, 12);
    EXPECT_NEAR(plat::GetBValue(right), 220, 12);
}

TEST(ImageEncode, JpegQualityReachesTheEncoder)
{
    plat::Bitmap bmp(4, 4);
    int seen = -1;
    const JpegEncoderFn spy = [&](const plat::Bitmap& b, int q) {
        seen = q;
        return plat::EncodeJpeg(b, q);
    };
    EncodePdfImage(bmp, TPdfCompressMode::cpJpeg, 37, spy);
    EXPECT_EQ(seen, 37);
}

TEST(ImageEncode, FailedJpegFallsBackToDeflate)
{
    const plat::Bitmap bmp = RandomBitmap(21, 7, PixelFormat::pf24bit, 5);
    const auto samples = SerialiseImageSamples(bmp, 8);

    // Passed explicitly...
    const TPdfImageData a = EncodePdfImage(bmp, TPdfCompressMode::cpJpeg, 80, ThrowingJpeg);
    EXPECT_EQ(a.Mode, TPdfCompressMode::cpZlib);
    EXPECT_EQ(Inflate(Ascii85Decode(a.Data)), samples);

    // ...or installed for every image; any exception type counts.
    TPdfImageData b;
    {
        const pdftest::ScopedJpegEncoder failing([](const plat::Bitmap&, int) -> std::vector<std::uint8_t> {
            throw std::bad_alloc();
        });
        b = EncodePdfImage(bmp, TPdfCompressMode::cpJpeg, 80);
    }
    EXPECT_EQ(b.Mode, TPdfCompressMode::cpZlib);
    EXPECT_EQ(b.Data, a.Data);

    const TPdfImageData c = EncodePdfImage(bmp, TPdfCompressMode::cpJpeg, 80);
    EXPECT_EQ(c.Mode, TPdfCompressMode::cpJpeg);
}

TEST(ImageEncode, DictionaryLines)
{
    TPdfImageData img;
    img.Width = 2362;
    img.Height = 3389;
    img.BitsPerComponent = 8;
    img.Mode = TPdfCompressMode::cpJpeg;
    img.Data.assign(1234, 'a');
    EXPECT_EQ(ImageDictionaryLines(img),
              (std::vector<std::string>{"/Type/XObject", "/Subtype/Image", "/Width 2362", "/Height 3389",
                                        "/ColorSpace/DeviceRGB", "/BitsPerComponent 8", "/Length 1234",
                                        "/Filter[/ASCII85Decode/DCTDecode]"}));
    img.BitsPerComponent = 1;
    img.Mode = TPdfCompressMode::cpZlib;
    const auto gray = ImageDictionaryLines(img);
    EXPECT_EQ(gray[4], "/ColorSpace/DeviceGray");
    EXPECT_EQ(gray[5], "/BitsPerComponent 1");
    EXPECT_EQ(gray[7], "/Filter[/ASCII85Decode/FlateDecode]");
    img.Mode = TPdfCompressMode::cpNone;
    EXPECT_EQ(ImageDictionaryLines(img)[7], "/Filter[/ASCII85Decode]");
}
