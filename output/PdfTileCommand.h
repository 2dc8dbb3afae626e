#pragma once
// The start every PDF tile command shares: the writer's document
// properties, the save dialog's request, and clearing the target file.
// The window runs the dialog and shows the messages; these only say what.
#include "output/TileGeometry.h"
#include "platform/Dialogs.h"

#include <string>

namespace pdf {
class TPdfVell;
}

namespace tolv {

// Title, author and the other document properties, A4 in 1/10 mm, JPEG
// images at the given quality placed at 300 dpi, a new image object per
// placement (one bitmap carries every tile), the page turned with the tiles.
void SetUpTileDocument(pdf::TPdfVell& pdf, int jpegQuality, const PrintParamArray& params);

// The save dialog for the PDF file, opened at dir with fileName proposed.
plat::FileDialogRequest PdfSaveDialogRequest(const std::string& title, const std::string& dir,
                                             const std::string& fileName);

// Deletes the target when it exists; false when it exists and stays.
bool ClearPdfTarget(const std::string& path);

// The refusal when the target cannot be deleted, and its caption.
std::string CannotWriteText(const std::string& path);
constexpr const char* CannotWriteCaption = "Fehler";

} // namespace tolv
