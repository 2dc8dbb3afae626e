#include "output/PdfPictureExport.h"

#include "output/PictureTileWorkers.h"
#include "pdf/PdfVell.h"
#include "platform/Cores.h"
#include "platform/Decimal.h"

#include <algorithm>
#include <filesystem>
#include <optional>

namespace tolv {

namespace {

// Progress and bitmap memory, whatever way the export leaves.
class RunScope : public MonitorRun {
public:
    RunScope(ExportMonitor& monitor, plat::Bitmap& tile) : MonitorRun(monitor), tile_(tile) {}
    ~RunScope()
    {
        Finish();
        tile_ = plat::Bitmap();
    }

private:
    plat::Bitmap& tile_;
};

// Every worker holds a tile bitmap and an encoded tile: on a machine of
// many cores the tiles' memory, not the cores, sets the number.
int WorkersTheMemoryHolds(const TileGrid& grid)
{
    constexpr double budget = 320.0 * (1 << 20);
    const double perWorker = 1.2 * 3.0 * double(grid.BitmapWidth()) * double(grid.BitmapHeight());
    return int(std::clamp(budget / std::max(perWorker, 1.0), 1.0, 1024.0));
}

} // namespace

std::string TileBmpPath(const std::string& pdfFileName, int page)
{
    const std::filesystem::path pdf(pdfFileName);
    std::filesystem::path name = pdf.filename();
    name.replace_extension(".bmp");
    return (pdf.parent_path() / ("P" + plat::Decimal(page) + "_" + name.string())).string();
}

PictureExportResult ExportPictureTiles(pdf::TPdfVell& pdf, const OutputSnapshot& snap,
                                       const TileGrid& grid, const plat::TRect& pageRect,
                                       bool saveBmpCopies, plat::Bitmap& tileBitmap,
                                       ExportMonitor& monitor, int workers)
{
    return ExportPictureTiles(pdf, PictureTileRenderer(snap, grid), grid, pageRect, saveBmpCopies,
                              tileBitmap, monitor, workers);
}

PictureExportResult ExportPictureTiles(pdf::TPdfVell& pdf, const TileRenderer& renderer,
                                       const TileGrid& grid, const plat::TRect& pageRect,
                                       bool saveBmpCopies, plat::Bitmap& tileBitmap,
                                       ExportMonitor& monitor, int workers)
{
    PictureExportResult result;
    RunScope scope(monitor, tileBitmap);

    pdf.BeginDoc();
    scope.Start();
    int progress = 10;
    monitor.Progress(progress);
    monitor.ProcessMessages();

    const int pages = grid.PageCount();
    const TileJob job{renderer, grid, pdf.Canvas().ImageEncoding(), saveBmpCopies ? pdf.FileName() : std::string()};
    if (workers <= 0)
        workers = std::min(plat::UsableCores(), WorkersTheMemoryHolds(grid));
    workers = std::min(workers, pages);
    // Started with the first page, so that a cancel before it starts nothing.
    std::optional<PictureTileWorkers> pool;
    const auto pump = [&monitor] { monitor.ProcessMessages(); };
    for (int page = 1; page <= pages; ++page) {
        if (monitor.CancelRequested()) {
            result.Cancelled = true;
            break;
        }
        if (page > 1) {
            pdf.NewPage();
            progress += 80 / pages;
            monitor.Progress(progress);
        }
        if (page == 1 && workers > 1) {
            pool.emplace(job, pages, workers);
            if (pool->Workers() == 0)
                pool.reset();
            else
                tileBitmap = plat::Bitmap();   // the workers draw into bitmaps of their own
        }
        RenderedTile tile;
        if (pool) {
            pool->Begin(page);
            tile = pool->Take(page, pump);
        } else {
            tile = MakeTile(job, tileBitmap, page, pump);
            if (!job.BmpCopiesOf.empty() && !tile.Image.Failure && !WriteTileCopy(job, tileBitmap, page))
                tile.BmpFailed = true;
        }
        try {
            pdf.Canvas().StretchDrawEncoded(pageRect, std::move(tile.Image));
        } catch (const std::exception& e) {
            // The writer has abandoned the document; the loop runs on as
            // before, but the caller learns why no file remains.
            if (result.WriterError.empty())
                result.WriterError = e.what();
        }
        if (tile.BmpFailed)
            ++result.BmpFailures;
        ++result.PagesDone;
    }
    // No worker is left drawing or copying when the document ends.
    if (pool)
        result.BmpFailures += pool->Finish();
    pool.reset();
    monitor.Progress(100);
    scope.Finish();
    pdf.EndDoc();
    return result;
}

} // namespace tolv
