#pragma once
// The picture tiles written into a PDF file: one A4 page per tile, each
// tile rendered at 300 dpi and placed inside the margins, with progress,
// cancel and an optional BMP copy per tile.
#include "output/PictureTiles.h"
#include "output/TileGeometry.h"
#include "platform/Bitmap.h"

#include <optional>
#include <string>
#include <utility>

namespace pdf {
class TPdfVell;
}

namespace tolv {

// The window's side of a running export.
class ExportMonitor {
public:
    virtual ~ExportMonitor() = default;
    // The document is open: show the progress and the cancel button, clear the cancel flag.
    virtual void Started() {}
    virtual void Progress(int percent) {}
    // Pending window messages, once per hexagon row drawn; always on the
    // thread that runs the export.
    virtual void ProcessMessages() {}
    // Tested before every page: a page begun is always finished.
    virtual bool CancelRequested() { return false; }
    // Also when an error ends the export: progress and button hidden, cancel flag cleared.
    virtual void Finished() {}
};

// The monitor's run: Started once the document is open, Finished when the
// export leaves, also when an error of the writer ends it, so the progress
// never stays up after a failed page.
class MonitorRun {
public:
    explicit MonitorRun(ExportMonitor& monitor) : monitor_(monitor) {}
    ~MonitorRun() { Finish(); }
    MonitorRun(const MonitorRun&) = delete;
    MonitorRun& operator=(const MonitorRun&) = delete;

    void Start()
    {
        started_ = true;
        monitor_.Started();
    }
    void Finish()
    {
        if (std::exchange(started_, false))
            monitor_.Finished();
    }

private:
    ExportMonitor& monitor_;
    bool started_ = false;
};

struct PictureExportResult {
    int PagesDone = 0;
    bool Cancelled = false;
    // The writer's message when it abandoned the document while a tile was
    // placed; the document then holds nothing and no file remains.
    std::string WriterError;
    // BMP copies that could not be written (the export goes on without them).
    int BmpFailures = 0;
};

// "P" + page + "_" + the PDF file's name with the extension ".bmp", in the
// PDF file's folder: C:/Maps/Plan.pdf, page 3 gives C:/Maps/P3_Plan.bmp.
std::string TileBmpPath(const std::string& pdfFileName, int page);

// Runs the export on a writer whose properties and file name are set
// (SetUpTileDocument): BeginDoc, one page per tile, EndDoc, also after a
// cancel. Errors of BeginDoc, NewPage and EndDoc pass to the caller; an
// error while a tile is drawn, encoded or placed, or its BMP copy saved,
// does not stop the loop.
//
// workers > 1 (0: one per usable core, as many as about 320 MB of tiles
// hold, at most one per page) draws and encodes the tiles and writes their
// BMP copies on that many threads while this thread places the pages in
// order, processes the monitor's messages once per hexagon row any worker
// begins and tests the cancel flag before every page; the file is byte for
// byte the one a single thread writes, and every worker has stopped when
// the export returns. With one worker all of it happens on this thread, in
// tileBitmap. Either way tileBitmap is released at the end. The renderer
// draws every tile of the grid, from any thread.
PictureExportResult ExportPictureTiles(pdf::TPdfVell& pdf, const TileRenderer& renderer,
                                       const TileGrid& grid, const plat::TRect& pageRect,
                                       bool saveBmpCopies, plat::Bitmap& tileBitmap,
                                       ExportMonitor& monitor, int workers = 0);
// The board's picture tiles.
PictureExportResult ExportPictureTiles(pdf::TPdfVell& pdf, const OutputSnapshot& snap,
                                       const TileGrid& grid, const plat::TRect& pageRect,
                                       bool saveBmpCopies, plat::Bitmap& tileBitmap,
                                       ExportMonitor& monitor, int workers = 0);

} // namespace tolv
