#include "output/PrinterTiles.h"

#include "printing/PSJob.h"

namespace tolv {

void SetUpTileJob(printing::TCustomPrintJob& job, const PrintParamArray& params)
{
    job.SetOrientation(Landscape(params) ? printing::orLandscape : printing::orPortrait);
    const JobMargins m = PrinterJobMargins(params);
    printing::TMargins& fields = job.Margins();
    fields.Left = m.Left;
    fields.Top = m.Top;
    fields.Right = m.Right;
    fields.Bottom = m.Bottom;
}

std::optional<TileGrid> JobTileGrid(printing::TCustomPrintJob& job, const PrintParamArray& params,
                                    const MapShape& map)
{
    const printing::TRect printable = job.GetPrintablePageRect();
    return PrinterTileGrid(params, map, job.PrinterDpiX(), job.PrinterDpiY(), printable.Width(),
                           printable.Height());
}

} // namespace tolv
