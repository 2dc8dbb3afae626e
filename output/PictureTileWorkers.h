#pragma once
// The per-page work of the picture export, away from the document: the tile
// rendered, encoded for the PDF writer and copied to its BMP file, on the
// calling thread or on worker threads that hand the pages to the one writer
// in page order. Nothing here touches the document or the board.
#include "output/PictureTiles.h"
#include "output/TileGeometry.h"
#include "pdf/PdfImage.h"

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tolv {

// What every page of one export needs; copied from the document when the
// export starts.
struct TileJob {
    const TileRenderer& Renderer;
    TileGrid Grid;
    pdf::TPdfImageEncoding Encoding;
    // The PDF file whose name the BMP copies take (TileBmpPath); none when empty.
    std::string BmpCopiesOf;
};

// One page, ready to be placed.
struct RenderedTile {
    // The encoded tile, or what rendering or encoding threw.
    pdf::TPdfEncodedImage Image;
    bool BmpFailed = false;
};

// Renders page into tile (made the grid's size when it is not) and encodes
// it. beforeRow runs at the start of every hexagon row; what it throws ends
// the page and passes to the caller unchanged. Anything else thrown on the
// way is caught into the result (and, when copies are wanted, the copy
// counts as failed: there is no tile to copy).
RenderedTile MakeTile(const TileJob& job, plat::Bitmap& tile, int page, const std::function<void()>& beforeRow);
// The BMP copy of the tile of page; false when it could not be written.
bool WriteTileCopy(const TileJob& job, const plat::Bitmap& tile, int page);

// Worker threads, each with a tile bitmap of its own, that take the pages in
// order. A page is handed out only when fewer pages than there are workers
// are waiting for the writer, so at most that many tiles are in flight. A
// page's BMP copy is written once the writer has begun the page, while the
// writer goes on.
class PictureTileWorkers {
public:
    // Starts up to `workers` threads; fewer when the system gives no more
    // (Workers() may then be 0: the caller does the pages itself).
    PictureTileWorkers(const TileJob& job, int pages, int workers);
    // Stops every worker at its next hexagon row (the copies of the pages
    // begun are still written) and waits for all of them.
    ~PictureTileWorkers();
    PictureTileWorkers(const PictureTileWorkers&) = delete;
    PictureTileWorkers& operator=(const PictureTileWorkers&) = delete;

    int Workers() const { return int(threads_.size()); }
    // The writer has begun the page: its BMP copy may be written.
    void Begin(int page);
    // The page, once a worker has made it; pages are taken in order, each
    // once. Meanwhile pump runs on this thread once for every hexagon row a
    // worker began.
    RenderedTile Take(int page, const std::function<void()>& pump);
    // Stops and waits as the destructor does; then the number of copies of
    // drawn pages that could not be written.
    int Finish();

private:
    struct Slot {
        int Page = 0;   // 0: free
        RenderedTile Tile;
    };

    void Run();
    void Stop();
    Slot& SlotOf(int page) { return slots_[std::size_t(page - 1) % slots_.size()]; }

    const TileJob& job_;
    const int pages_;
    std::mutex mutex_;
    std::condition_variable workCv_;   // workers: a page may be handed out, begun, or stop
    std::condition_variable doneCv_;   // the writer: a page is ready or a row began
    std::vector<Slot> slots_;
    int next_ = 1;        // the next page to hand out
    int taken_ = 0;       // the last page the writer took
    int begun_ = 0;       // the last page the writer began
    long long rows_ = 0;  // hexagon rows begun by the workers
    long long pumped_ = 0;
    int running_ = 0;     // workers that have not left
    int copyFailures_ = 0;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

} // namespace tolv
