#include "pdf/PdfCompress.h"

#include "PdfCheck.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>

using namespace pdf;
using pdftest::Inflate;

namespace {

std::vector<std::uint8_t> Noise(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v)
        b = std::uint8_t(rng());
    return v;
}

// A destination whose writes fail once a byte budget is spent.
class FailingStream : public TMemoryStream {
public:
    explicit FailingStream(std::size_t budget) : budget_(budget) {}
    std::size_t Write(const void* buffer, std::size_t count) override
    {
        if (count > budget_)
            return 0;
        budget_ -= count;
        return TMemoryStream::Write(buffer, count);
    }

private:
    std::size_t budget_;
};

} // namespace

TEST(CompressStream, EmptyStreamIsCompleteZlibData)
{
    // Finished explicitly or only destroyed: the same complete, empty data.
    for (bool finish : {true, false}) {
        SCOPED_TRACE(finish ? "Finish" : "destructor");
        TMemoryStream dest;
        {
            TCompressionStream z(TCompressionLevel::clDefault, dest);
            if (finish)
                z.Finish();
        }
        // Header (0x78 0x9C for the default level), an empty final block, Adler-32 of nothing.
        ASSERT_GE(dest.DataSize(), 8u);
        EXPECT_EQ(dest.Bytes()[0], 0x78);
        EXPECT_EQ(dest.Bytes()[1], 0x9C);
        const std::vector<std::uint8_t> tail(dest.Bytes().end() - 4, dest.Bytes().end());
        EXPECT_EQ(tail, (std::vector<std::uint8_t>{0, 0, 0, 1}));
        bool complete = false;
        EXPECT_TRUE(Inflate(dest.Bytes(), &complete).empty());
        EXPECT_TRUE(complete);
    }
}

TEST(CompressStream, RoundTripAndPosition)
{
    TMemoryStream dest;
    const auto data = Noise(1000, 1);
    TCompressionStream z(TCompressionLevel::clDefault, dest);
    z.WriteBuffer(data.data(), 600);
    EXPECT_EQ(z.Position(), 600);
    EXPECT_EQ(z.Write(data.data() + 600, 400), 400u);
    EXPECT_EQ(z.Position(), 1000);
    z.Finish();
    EXPECT_TRUE(z.Finished());
    bool complete = false;
    EXPECT_EQ(Inflate(dest.Bytes(), &complete), data);
    EXPECT_TRUE(complete);
}

TEST(CompressStream, LevelIndexTable)
{
    EXPECT_EQ(ZlibLevel(TCompressionLevel::clNone), 0);
    EXPECT_EQ(ZlibLevel(TCompressionLevel::clFastest), 1);
    EXPECT_EQ(ZlibLevel(TCompressionLevel::clDefault), -1);
    EXPECT_EQ(ZlibLevel(TCompressionLevel::clMax), 9);

    // The default index gives the same bytes as zlib's default level.
    std::vector<std::uint8_t> text;
    for (int i = 0; i < 5000; ++i)
        text.push_back(std::uint8_t("hexagon tiles "[i % 14]));
    TMemoryStream dest;
    TCompressionStream z(TCompressionLevel::clDefault, dest);
    z.WriteBuffer(text.data(), text.size());
    z.Finish();
    std::vector<std::uint8_t> ref(compressBound(uLong(text.size())));
    uLongf refLen = uLongf(ref.size());
    ASSERT_EQ(compress2(ref.data(), &refLen, text.data(), uLong(text.size()), Z_DEFAULT_COMPRESSION), Z_OK);
    ref.resize(refLen);
    EXPECT_EQ(dest.Bytes(), ref);
}

TEST(CompressStream, ProgressOncePerFull64K)
{
    // Incompressible data: the output grows about as fast as the input.
    const auto data = Noise(4 * 65536 + 1000, 7);
    TMemoryStream dest;
    TCompressionStream z(TCompressionLevel::clDefault, dest);
    int progress = 0;
    std::vector<std::size_t> sizesAtProgress;
    z.OnProgress = [&](TCustomZlibStream&) {
        ++progress;
        sizesAtProgress.push_back(dest.DataSize());
    };
    z.WriteBuffer(data.data(), 1000);
    EXPECT_EQ(progress, 0);                 // below 64 KB of output: nothing yet
    z.WriteBuffer(data.data() + 1000, data.size() - 1000);
    const int whileWriting = progress;
    EXPECT_EQ(dest.DataSize(), std::size_t(progress) * 65536);   // nothing partial passed on yet
    z.Finish();
    EXPECT_EQ(progress, whileWriting);      // finishing raises none
    for (std::size_t i = 0; i < sizesAtProgress.size(); ++i)
        EXPECT_EQ(sizesAtProgress[i], (i + 1) * 65536);   // whole buffers only
    EXPECT_GE(progress, 3);
    EXPECT_EQ(Inflate(dest.Bytes()), data);
}

TEST(CompressStream, InvalidOperationsRaise)
{
    TMemoryStream dest;
    TCompressionStream z(TCompressionLevel::clDefault, dest);
    std::uint8_t b[4];
    const auto expectInvalid = [](auto&& op) {
        try {
            op();
            ADD_FAILURE() << "no exception";
        } catch (const ECompressionError& e) {
            EXPECT_STREQ(e.what(), "Invalid stream operation");
        }
    };
    expectInvalid([&] { z.Read(b, 4); });
    expectInvalid([&] { z.Seek(1, TSeekOrigin::soCurrent); });
    expectInvalid([&] { z.Seek(0, TSeekOrigin::soBeginning); });
    expectInvalid([&] { z.Seek(0, TSeekOrigin::soEnd); });
    expectInvalid([&] { z.Size(); });
    z.Finish();
    z.Finish();   // a second finish does nothing
    expectInvalid([&] { z.Write("x", 1); });
}

TEST(CompressStream, WritesAtItsOwnPositionInTheDestination)
{
    // Something else moving the destination's position in between does not
    // scatter the compressed bytes.
    TMemoryStream dest;
    dest.WriteBuffer("HEAD", 4);
    const auto data = Noise(200000, 3);
    TCompressionStream z(TCompressionLevel::clDefault, dest);
    z.WriteBuffer(data.data(), 100000);
    dest.SetPosition(0);
    z.WriteBuffer(data.data() + 100000, 100000);
    dest.SetPosition(1);
    z.Finish();
    ASSERT_GT(dest.DataSize(), 4u);
    EXPECT_EQ(std::memcmp(dest.Memory(), "HEAD", 4), 0);
    const std::vector<std::uint8_t> body(dest.Bytes().begin() + 4, dest.Bytes().end());
    EXPECT_EQ(Inflate(body), data);
}

TEST(CompressStream, FailedDestinationWriteRaisesAndReleases)
{
    const auto data = Noise(300000, 5);
    {
        // Fails while compressing (the first full buffer).
        FailingStream dest(1000);
        TCompressionStream z(TCompressionLevel::clDefault, dest);
        EXPECT_THROW(z.WriteBuffer(data.data(), data.size()), EStreamError);
    }
    {
        // Fails only in the final write: Finish raises, the destructor is quiet.
        FailingStream dest(65536);
        auto z = std::make_unique<TCompressionStream>(TCompressionLevel::clDefault, dest);
        z->WriteBuffer(data.data(), 70000);
        EXPECT_THROW(z->Finish(), EStreamError);
        EXPECT_FALSE(z->Finished());
        EXPECT_THROW(z->Finish(), ECompressionError);   // deflate's state is gone
        EXPECT_NO_THROW(z.reset());
    }
    {
        // The destructor's own final write fails: it stays quiet.
        FailingStream dest(65536);
        auto z = std::make_unique<TCompressionStream>(TCompressionLevel::clDefault, dest);
        z->WriteBuffer(data.data(), 70000);
        EXPECT_NO_THROW(z.reset());
        EXPECT_EQ(dest.DataSize(), 65536u);
    }
}

TEST(CompressStream, DestroyedWithoutFinishLeavesCompleteData)
{
    // Short data, and data that filled whole buffers while it was written.
    for (std::size_t n : {std::size_t(3), std::size_t(3 * 65536 + 17)}) {
        SCOPED_TRACE(n);
        const auto data = Noise(n, 11);
        TMemoryStream dest;
        int progress = 0;
        auto z = std::make_unique<TCompressionStream>(TCompressionLevel::clDefault, dest);
        z->OnProgress = [&](TCustomZlibStream&) { ++progress; };
        z->WriteBuffer(data.data(), data.size());
        const int whileWriting = progress;
        z.reset();
        EXPECT_EQ(progress, whileWriting) << "finishing raises no progress";
        bool complete = false;
        EXPECT_EQ(Inflate(dest.Bytes(), &complete), data);
        EXPECT_TRUE(complete);
    }
}
