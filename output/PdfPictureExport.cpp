#include "output/PdfPictureExport.h"

#include "pdf/PdfVell.h"
#include "platform/Decimal.h"

#include <filesystem>

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
                                       ExportMonitor& monitor)
{
    return ExportPictureTiles(pdf, PictureTileRenderer(snap, grid), grid, pageRect, saveBmpCopies,
                              tileBitmap, monitor);
}

PictureExportResult ExportPictureTiles(pdf::TPdfVell& pdf, const TileRenderer& renderer,
                                       const TileGrid& grid, const plat::TRect& pageRect,
                                       bool saveBmpCopies, plat::Bitmap& tileBitmap,
                                       ExportMonitor& monitor)
{
    PictureExportResult result;
    RunScope scope(monitor, tileBitmap);
    tileBitmap = MakeTileBitmap(grid);

    pdf.BeginDoc();
    scope.Start();
    int progress = 10;
    monitor.Progress(progress);
    monitor.ProcessMessages();

    const int pages = grid.PageCount();
    const auto beforeRow = [&monitor] { monitor.ProcessMessages(); };
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
        renderer.Render(tileBitmap, page, beforeRow);
        try {
            pdf.Canvas().StretchDraw(pageRect.Left, pageRect.Top, pageRect.Right, pageRect.Bottom,
                                     &tileBitmap);
        } catch (const std::exception& e) {
            // The writer has abandoned the document; the loop runs on as
            // before, but the caller learns why no file remains.
            if (result.WriterError.empty())
                result.WriterError = e.what();
        }
        if (saveBmpCopies) {
            try {
                plat::SaveBmp(tileBitmap, TileBmpPath(pdf.FileName(), page));
            } catch (const std::exception&) {
                ++result.BmpFailures;
            }
        }
        ++result.PagesDone;
    }
    monitor.Progress(100);
    scope.Finish();
    pdf.EndDoc();
    return result;
}

} // namespace tolv
