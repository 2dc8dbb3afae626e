#include "output/PictureTileWorkers.h"

#include "output/PdfPictureExport.h"

#include <stdexcept>
#include <system_error>
#include <utility>

namespace tolv {

namespace {

// Thrown by a worker's row callback when the export stops.
struct WorkerStopped {};

std::exception_ptr Unknown(const char* what)
{
    return std::make_exception_ptr(std::runtime_error(what));
}

} // namespace

RenderedTile MakeTile(const TileJob& job, plat::Bitmap& tile, int page, const std::function<void()>& beforeRow)
{
    RenderedTile out;
    const bool copies = !job.BmpCopiesOf.empty();
    // What the row callback throws is told apart from the drawing's own
    // failures: it leaves the page as it came.
    std::exception_ptr rowException;
    const auto row = [&] {
        if (!beforeRow)
            return;
        try {
            beforeRow();
        } catch (...) {
            rowException = std::current_exception();
            throw;
        }
    };
    try {
        if (tile.width() != job.Grid.BitmapWidth() || tile.height() != job.Grid.BitmapHeight() ||
            tile.format() != plat::PixelFormat::pf24bit)
            tile = MakeTileBitmap(job.Grid);
        job.Renderer.Render(tile, page, row);
    } catch (const std::exception&) {
        if (rowException)
            std::rethrow_exception(rowException);
        out.Image.Failure = std::current_exception();
    } catch (...) {
        if (rowException)
            std::rethrow_exception(rowException);
        out.Image.Failure = Unknown("unknown failure while drawing a tile");
    }
    if (out.Image.Failure) {
        out.BmpFailed = copies;
        return out;
    }
    out.Image = pdf::EncodePdfImageAside(tile, job.Encoding);
    return out;
}

bool WriteTileCopy(const TileJob& job, const plat::Bitmap& tile, int page)
{
    // A copy can be made again: it is not synced to the disk, which would
    // cost more than the whole export.
    try {
        plat::SaveBmp(tile, TileBmpPath(job.BmpCopiesOf, page), plat::Durability::Unsynced);
        return true;
    } catch (...) {
        return false;
    }
}

PictureTileWorkers::PictureTileWorkers(const TileJob& job, int pages, int workers)
    : job_(job), pages_(pages), slots_(std::size_t(workers > 0 ? workers : 1))
{
    threads_.reserve(slots_.size());
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        {
            const std::lock_guard lock(mutex_);
            ++running_;
        }
        try {
            threads_.emplace_back([this] { Run(); });
        } catch (const std::system_error&) {
            // The system gives no more threads: the ones running do the work.
            const std::lock_guard lock(mutex_);
            --running_;
            break;
        }
    }
}

PictureTileWorkers::~PictureTileWorkers()
{
    Stop();
}

int PictureTileWorkers::Finish()
{
    Stop();
    return copyFailures_;   // no worker is left to change it
}

void PictureTileWorkers::Stop()
{
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    workCv_.notify_all();
    for (std::thread& t : threads_)
        t.join();
    threads_.clear();
}

void PictureTileWorkers::Begin(int page)
{
    {
        const std::lock_guard lock(mutex_);
        begun_ = page;
    }
    workCv_.notify_all();
}

RenderedTile PictureTileWorkers::Take(int page, const std::function<void()>& pump)
{
    std::unique_lock lock(mutex_);
    for (;;) {
        while (pumped_ < rows_) {
            ++pumped_;
            lock.unlock();
            if (pump)
                pump();
            lock.lock();
        }
        Slot& slot = SlotOf(page);
        if (slot.Page == page || running_ == 0) {
            RenderedTile tile;
            if (slot.Page == page) {
                tile = std::move(slot.Tile);
                slot = Slot{};
            } else {
                tile.Image.Failure = Unknown("no worker left to draw the tile");
                tile.BmpFailed = !job_.BmpCopiesOf.empty();
            }
            taken_ = page;
            lock.unlock();
            workCv_.notify_all();
            return tile;
        }
        doneCv_.wait(lock);
    }
}

void PictureTileWorkers::Run()
{
    plat::Bitmap tile;   // this worker's, for all its pages
    int held = 0;        // the page this worker is making
    std::unique_lock lock(mutex_, std::defer_lock);
    const auto row = [this] {
        const std::lock_guard guard(mutex_);
        if (stop_)
            throw WorkerStopped{};
        ++rows_;
        doneCv_.notify_one();
    };
    try {
        lock.lock();
        const int window = int(slots_.size());
        for (;;) {
            workCv_.wait(lock, [&] { return stop_ || next_ > pages_ || next_ <= taken_ + window; });
            if (stop_ || next_ > pages_)
                break;
            held = next_++;
            lock.unlock();
            const int page = held;
            RenderedTile made;
            try {
                made = MakeTile(job_, tile, page, row);
            } catch (const WorkerStopped&) {
                lock.lock();
                held = 0;
                break;
            }
            const bool copy = !job_.BmpCopiesOf.empty() && !made.Image.Failure;
            lock.lock();
            Slot& slot = SlotOf(page);
            slot.Page = page;
            slot.Tile = std::move(made);
            held = 0;
            doneCv_.notify_one();
            if (!copy)
                continue;
            // Only a page the writer has begun gets its copy; a stop leaves
            // the others without one, but never a page begun.
            workCv_.wait(lock, [&] { return stop_ || begun_ >= page; });
            if (begun_ < page)
                break;
            lock.unlock();
            const bool written = WriteTileCopy(job_, tile, page);
            lock.lock();
            if (!written)
                ++copyFailures_;
        }
    } catch (...) {
        // A failure outside the page's own work: the page still reaches
        // the writer, as a failed one, so the writer never waits for it.
        if (!lock.owns_lock())
            lock.lock();
        if (held != 0) {
            Slot& slot = SlotOf(held);
            slot.Page = held;
            slot.Tile = RenderedTile{};
            slot.Tile.Image.Failure = std::current_exception();
            slot.Tile.BmpFailed = !job_.BmpCopiesOf.empty();
        }
    }
    if (!lock.owns_lock())
        lock.lock();
    --running_;
    lock.unlock();
    doneCv_.notify_one();
}

} // namespace tolv
