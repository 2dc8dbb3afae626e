#include "output/PdfTileCommand.h"

#include "pdf/PdfVell.h"

#include <filesystem>
#include <system_error>

namespace tolv {

void SetUpTileDocument(pdf::TPdfVell& pdf, int jpegQuality, const PrintParamArray& params)
{
    pdf.SetAuthor("J. Harmsdorf");
    pdf.SetProducer("Tolvaria Feldwerker / Vennhalm");
    pdf.SetSubject("Tolvaria Feldwerker / Vennhalm");
    pdf.SetTitle("Tolvaria Spielplan");
    pdf.SetKeywords("Tolvaria,Spielplan,Vennhalm,Harmsdorf,Quendler");
    pdf.SetPaperSizeName("A4");
    pdf.SetLengthUnit(pdf::TLengthUnit::luTenth);
    pdf.SetImageCompressMode(pdf::TPdfCompressMode::cpJpeg);
    pdf.SetJpegQuality(jpegQuality);
    pdf.Canvas().ImageResolution = TileDpi;
    pdf.SmartStretchDraw = true;
    pdf.Canvas().AlwaysNewImage = true;
    pdf.SetOrientation(Landscape(params) ? pdf::TPrinterOrientation::poLandscape
                                         : pdf::TPrinterOrientation::poPortrait);
}

plat::FileDialogRequest PdfSaveDialogRequest(const std::string& title, const std::string& dir,
                                             const std::string& fileName)
{
    plat::FileDialogRequest r;
    r.kind = plat::FileDialogKind::Save;
    r.title = title;
    r.filter = "PDF Dateien|*.pdf|alle Dateien|*.*";
    r.defaultExt = "pdf";
    r.initialDir = dir;
    r.fileName = fileName;
    r.options.overwritePrompt = true;
    r.options.hideReadOnly = true;
    r.options.resizable = true;
    return r;
}

bool ClearPdfTarget(const std::string& path)
{
    std::error_code ec;
    const auto st = std::filesystem::symlink_status(path, ec);
    if (!std::filesystem::exists(st))
        return true;
    // A folder of that name is no file to replace.
    if (std::filesystem::is_directory(st))
        return false;
    return std::filesystem::remove(path, ec) && !ec;
}

std::string CannotWriteText(const std::string& path)
{
    return "Datei " + path + " kann nicht beschrieben werden !";
}

} // namespace tolv
