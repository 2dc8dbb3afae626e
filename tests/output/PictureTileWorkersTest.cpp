#include "output/PictureTileWorkers.h"

#include "output/PdfPictureExport.h"
#include "pdf/Ascii85.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <thread>

namespace tolv {
namespace {

using namespace std::chrono_literals;

// Tiles 40 x 30 pixels, 3 across and 4 down.
TileGrid SmallGrid()
{
    TileGrid g;
    g.TileWidth = 40;
    g.TileHeight = 30;
    g.TilesAcross = 3;
    g.TilesDown = 4;
    return g;
}

plat::TColor PageColour(int page)
{
    return plat::RGB(page, 255 - page, 7);
}

// Fills the tile in its page's colour after `rows` rows of rowTime each,
// and watches how far ahead of the writer the workers draw.
class ProbeRenderer : public TileRenderer {
public:
    int rows = 3;
    std::chrono::milliseconds rowTime{0};
    int failPage = 0;            // this page throws
    bool failStandard = true;    // a std::runtime_error, else an int
    std::atomic<int> taken{0};   // set by the test's writer
    mutable std::atomic<int> mostAhead{0};
    mutable std::atomic<int> drawing{0};
    mutable std::atomic<int> rowsBegun{0};

    void Render(plat::Bitmap& tile, int page, const std::function<void()>& beforeRow) const override
    {
        ++drawing;
        struct Leave {
            std::atomic<int>& n;
            ~Leave() { --n; }
        } leave{drawing};
        int ahead = page - taken.load();
        for (int seen = mostAhead.load(); ahead > seen && !mostAhead.compare_exchange_weak(seen, ahead);)
            ;
        for (int r = 0; r < rows; ++r) {
            beforeRow();
            ++rowsBegun;
            std::this_thread::sleep_for(rowTime);
        }
        if (page == failPage) {
            if (failStandard)
                throw std::runtime_error("tile lost");
            throw 42;
        }
        tile.fill(PageColour(page));
    }
};

// The "JPEG" of a tile is the red, green and blue of its first pixel.
pdf::TPdfImageEncoding FirstPixelEncoding()
{
    return {pdf::TPdfCompressMode::cpJpeg, 90, [](const plat::Bitmap& b, int) {
                const plat::TColor c = b.pixel(0, 0);
                return std::vector<std::uint8_t>{std::uint8_t(plat::GetRValue(c)),
                                                 std::uint8_t(plat::GetGValue(c)),
                                                 std::uint8_t(plat::GetBValue(c))};
            }};
}

std::vector<std::uint8_t> DataOfPage(int page)
{
    const plat::TColor c = PageColour(page);
    const std::uint8_t rgb[] = {std::uint8_t(plat::GetRValue(c)), std::uint8_t(plat::GetGValue(c)),
                                std::uint8_t(plat::GetBValue(c))};
    std::vector<std::uint8_t> out;
    pdf::Ascii85Encode(rgb, 3, out);
    return out;
}

TEST(PictureTileWorkers, PagesReachTheWriterInOrderNeverMoreInFlightThanWorkers)
{
    for (const int workers : {1, 3, 8, 20}) {
        SCOPED_TRACE(workers);
        ProbeRenderer renderer;
        renderer.rowTime = 1ms;
        const TileJob job{renderer, SmallGrid(), FirstPixelEncoding(), {}};
        const int pages = job.Grid.PageCount();
        int pumped = 0;
        {
            PictureTileWorkers pool(job, pages, workers);
            ASSERT_EQ(pool.Workers(), workers);
            for (int page = 1; page <= pages; ++page) {
                pool.Begin(page);
                // Set before the pool's own count moves: the distance seen
                // is never more than the real one.
                renderer.taken = page;
                const RenderedTile tile = pool.Take(page, [&] { ++pumped; });
                ASSERT_FALSE(tile.Image.Failure);
                EXPECT_EQ(tile.Image.Data.Data, DataOfPage(page)) << page;
                EXPECT_EQ(tile.Image.Data.Width, 40);
                EXPECT_EQ(tile.Image.Data.Height, 30);
                EXPECT_FALSE(tile.BmpFailed);
                std::this_thread::sleep_for(5ms);   // a slow writer: the workers wait for it
            }
        }
        // Page p is begun only after page p - workers was taken.
        EXPECT_LE(renderer.mostAhead.load(), workers);
        EXPECT_EQ(pumped, pages * renderer.rows);   // once for every row
        EXPECT_EQ(renderer.drawing.load(), 0);
    }
}

TEST(PictureTileWorkers, GoingAwayStopsEveryWorkerAtItsNextRow)
{
    ProbeRenderer renderer;
    renderer.rows = 1000;
    renderer.rowTime = 5ms;   // 5 s a tile
    const TileJob job{renderer, SmallGrid(), FirstPixelEncoding(), {}};
    std::optional<PictureTileWorkers> pool;
    pool.emplace(job, job.Grid.PageCount(), 4);
    while (renderer.rowsBegun.load() < 8)
        std::this_thread::sleep_for(1ms);
    const auto start = std::chrono::steady_clock::now();
    pool.reset();
    const auto stopping = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(renderer.drawing.load(), 0);
    EXPECT_LT(stopping, 1s);   // a row, not the seconds left of the tiles
    const int rows = renderer.rowsBegun.load();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(renderer.rowsBegun.load(), rows) << "nothing draws after the pool is gone";
}

TEST(PictureTileWorkers, AFailedPageReachesTheWriterAsThatPageAndTheOthersGoOn)
{
    for (const bool standard : {true, false}) {
        SCOPED_TRACE(standard);
        for (const int workers : {1, 4}) {
            ProbeRenderer renderer;
            renderer.failPage = 5;
            renderer.failStandard = standard;
            const TileJob job{renderer, SmallGrid(), FirstPixelEncoding(), {}};
            PictureTileWorkers pool(job, job.Grid.PageCount(), workers);
            for (int page = 1; page <= job.Grid.PageCount(); ++page) {
                pool.Begin(page);
                const RenderedTile tile = pool.Take(page, {});
                if (page != 5) {
                    EXPECT_FALSE(tile.Image.Failure) << page;
                    EXPECT_EQ(tile.Image.Data.Data, DataOfPage(page)) << page;
                    continue;
                }
                ASSERT_TRUE(tile.Image.Failure);
                try {
                    std::rethrow_exception(tile.Image.Failure);
                } catch (const std::exception& e) {
                    EXPECT_STREQ(e.what(), standard ? "tile lost" : "unknown failure while drawing a tile");
                }
            }
        }
    }
}

TEST(PictureTileWorkers, ACopyIsWrittenOnceItsPageIsBegunAndNeverForAPageNotBegun)
{
    test::TempDir dir;
    ProbeRenderer renderer;
    const TileJob job{renderer, SmallGrid(), FirstPixelEncoding(), dir.file("Plan.pdf")};
    {
        PictureTileWorkers pool(job, job.Grid.PageCount(), 4);
        pool.Begin(1);
        EXPECT_FALSE(pool.Take(1, {}).BmpFailed);
        // Pages 2 to 5 are drawn meanwhile, but never begun.
        while (renderer.rowsBegun.load() < 5 * renderer.rows)
            std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(20ms);
        EXPECT_EQ(pool.Finish(), 0);
        EXPECT_TRUE(std::filesystem::exists(dir.file("P1_Plan.bmp")));
    }
    for (int page = 2; page <= job.Grid.PageCount(); ++page)
        EXPECT_FALSE(std::filesystem::exists(TileBmpPath(dir.file("Plan.pdf"), page))) << page;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()),
              1);
}

} // namespace
} // namespace tolv
