#pragma once
// The printer outputs' share: a print job set up for the tiles (page turned
// with the tile mode, margins in whole millimetres) and the tile grid in
// that job's printer pixels.
#include "output/TileGeometry.h"

#include <optional>

namespace printing {
class TCustomPrintJob;
}

namespace tolv {

// The title of the tile jobs' documents.
constexpr const char* TileJobTitle = "Tolvaria";

// Orientation from the tile mode, then the margins written straight into
// the job's fields without an update per field; the caller runs the job's
// Update once everything is set.
void SetUpTileJob(printing::TCustomPrintJob& job, const PrintParamArray& params);

// The grid on the job's printer: hexagons and overlap at its resolution,
// the tile size from its printable page less the overlap. Nothing when no
// tile fits.
std::optional<TileGrid> JobTileGrid(printing::TCustomPrintJob& job, const PrintParamArray& params,
                                    const MapShape& map);

} // namespace tolv
