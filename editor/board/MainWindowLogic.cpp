#include "editor/board/MainWindowLogic.h"

#include "platform/Jpeg.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <new>
#include <stdexcept>

namespace tolv {

std::string StripTrailingDelimiter(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

StartPaths DeriveStartPaths(const std::string& programDir, const std::vector<std::string>& args)
{
    StartPaths p;
    p.ProgramDir = StripTrailingDelimiter(programDir);
    if (!args.empty() && !args.front().empty())
        p.WorkDir = StripTrailingDelimiter(args.front());
    else
        p.WorkDir = p.ProgramDir;
    p.PicturesDir = p.ProgramDir + "/Pics/";
    return p;
}

std::uint8_t AdjustBrightness(std::uint8_t b, int hellF, int hellA)
{
    // 64 bits: profile values are taken as they stand, so a huge factor must
    // saturate instead of wrapping.
    const std::int64_t v = (std::int64_t(b) * hellF) / 100 + hellA;
    return std::uint8_t(std::clamp<std::int64_t>(v, 0, 255));
}

void BrightnessPass(plat::Bitmap& bmp, int hellF, int hellA)
{
    if ((hellF == 100 && hellA == 0) || bmp.empty() || bmp.format() != plat::PixelFormat::pf24bit)
        return;
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = AdjustBrightness(std::uint8_t(b), hellF, hellA);
    for (int y = 0; y < bmp.height(); ++y) {
        std::uint8_t* p = bmp.scanLine(y);
        for (int x = 0; x < bmp.width(); ++x, p += 3) {
            if (p[0] == 255 && p[1] == 255 && p[2] == 255)
                continue;
            p[0] = table[p[0]];
            p[1] = table[p[1]];
            p[2] = table[p[2]];
        }
    }
}

namespace {

// errno of a failed read in the words of the picture message.
std::string ReadFailureReason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return "Datei nicht lesbar: keine Berechtigung";
    case EIO:
        return "Datei nicht lesbar: Ein-/Ausgabefehler";
    case EMFILE:
    case ENFILE:
        return "Datei nicht lesbar: zu viele offene Dateien";
    case ENAMETOOLONG:
    case ELOOP:
        return "Datei nicht lesbar: ungültiger Pfad";
    default:
        return "Datei nicht lesbar (Fehler " + std::to_string(error) + ")";
    }
}

} // namespace

std::string PictureFailureReason(const plat::JpegError& e)
{
    switch (e.Fault()) {
    case plat::JpegFault::Invalid:
        return "kein gültiges JPEG-Bild (beschädigt oder unvollständig)";
    case plat::JpegFault::Unsupported:
        return "Farbmodell nicht unterstützt (nur RGB und Graustufen)";
    case plat::JpegFault::TooLarge:
        return "Bild zu groß (höchstens " + std::to_string(MaxPictureSide) + " × " +
               std::to_string(MaxPictureSide) + " Pixel)";
    case plat::JpegFault::FileTooLarge:
        return "Datei zu groß";
    case plat::JpegFault::NoFile:
        return "Datei nicht gefunden";
    case plat::JpegFault::NotRegular:
        return "keine gewöhnliche Datei";
    case plat::JpegFault::ReadFailed:
        return ReadFailureReason(e.SysError());
    }
    return "unbekannter Fehler";
}

std::vector<PictureFailure> LoadPictures(BoardState& state, const std::string& picturesDir,
                                         int hellF, int hellA,
                                         const std::function<void()>& dibFault)
{
    std::vector<PictureFailure> failures;
    for (int i = 1; i <= PictureCount; ++i) {
        Picture& pic = state.Pictures[i];
        pic = Picture{};
        const std::string name = "Pic" + std::to_string(i) + ".jpg";
        const std::string path = picturesDir + name;
        std::string reason;
        try {
            plat::Bitmap bmp = plat::LoadJpegFile(path, MaxPictureSide);
            if (bmp.empty()) {
                reason = "leeres Bild";
            } else {
                if (bmp.format() != plat::PixelFormat::pf24bit)
                    bmp.setFormat(plat::PixelFormat::pf24bit);
                BrightnessPass(bmp, hellF, hellA);
                pic.Bitmap = std::move(bmp);
            }
        } catch (const plat::JpegError& e) {
            reason = PictureFailureReason(e);
        } catch (const std::bad_alloc&) {
            reason = "nicht genug Arbeitsspeicher";
        } catch (const std::exception&) {
            reason = "unerwarteter Fehler beim Laden";
        }
        if (!reason.empty()) {
            pic = Picture{};
            failures.push_back({i, name, std::move(reason)});
            continue;
        }
        if (!plat::MakeDib(pic.Bitmap, pic.Dib)) {
            pic.Dib = plat::Dib{};
            if (dibFault)
                dibFault();
            continue;
        }
        pic.Loaded = true;
    }
    return failures;
}

std::string PictureFailureMessage(const std::vector<PictureFailure>& failures,
                                  const std::string& picturesDir)
{
    if (failures.empty())
        return {};
    std::string text = failures.size() == 1
        ? "Ein Bild konnte nicht geladen werden"
        : std::to_string(failures.size()) + " Bilder konnten nicht geladen werden";
    text += " (Ordner " + picturesDir + "):\n";
    for (const PictureFailure& f : failures)
        text += "\n" + f.FileName + ": " + f.Reason;
    text += "\n\nDie Ausgaben mit Geländebildern sind nicht möglich.";
    return text;
}

int ClampJpegQuality(int q)
{
    return std::clamp(q, 10, 100);
}

namespace {

// Width and height of the overlap of two rectangles (0 when apart).
std::pair<long long, long long> Overlap(const WinRect& a, const WinRect& b)
{
    const long long w = std::min(a.Right(), b.Right()) - std::max(a.Left, b.Left);
    const long long h = std::min(a.Bottom(), b.Bottom()) - std::max(a.Top, b.Top);
    return {std::max(w, 0LL), std::max(h, 0LL)};
}

bool Reachable(const WinRect& r, const WinRect& s)
{
    // Enough of the window to grab it, with its title bar not above the screen.
    const auto [w, h] = Overlap(r, s);
    return w >= std::min(100, r.Width) && h >= std::min(50, r.Height) && r.Top >= s.Top &&
           r.Top < s.Bottom();
}

// Left or top edge that keeps a length inside [lo, hi).
int ClampEdge(int edge, int length, int lo, long long hi)
{
    return int(std::max<long long>(lo, std::min<long long>(edge, hi - length)));
}

} // namespace

WinRect FitOnScreens(WinRect r, const std::vector<WinRect>& screens, WinRect defaultSize)
{
    if (r.Width < MinUsableWidth || r.Height < MinUsableHeight) {
        r.Width = defaultSize.Width;
        r.Height = defaultSize.Height;
    }
    if (screens.empty())
        return r;
    // A window larger than every screen together (a giant one cannot even be
    // drawn) is moved into them and then fitted onto one screen below.
    WinRect all = screens.front();
    long long allRight = all.Right(), allBottom = all.Bottom();
    for (const WinRect& s : screens) {
        all.Left = std::min(all.Left, s.Left);
        all.Top = std::min(all.Top, s.Top);
        allRight = std::max(allRight, s.Right());
        allBottom = std::max(allBottom, s.Bottom());
    }
    const long long allWidth = allRight - all.Left, allHeight = allBottom - all.Top;
    const bool oversized = r.Width > allWidth || r.Height > allHeight;
    if (oversized) {
        r.Width = int(std::min<long long>(r.Width, allWidth));
        r.Height = int(std::min<long long>(r.Height, allHeight));
        r.Left = ClampEdge(r.Left, r.Width, all.Left, allRight);
        r.Top = ClampEdge(r.Top, r.Height, all.Top, allBottom);
    }
    for (const WinRect& s : screens)
        if (!oversized && Reachable(r, s))
            return r;
    // Move it onto the screen it overlaps most, the primary one when none.
    const WinRect* target = &screens.front();
    long long best = 0;
    for (const WinRect& s : screens) {
        const auto [w, h] = Overlap(r, s);
        if (w * h > best) {
            best = w * h;
            target = &s;
        }
    }
    const WinRect& s = *target;
    r.Width = std::min(r.Width, s.Width);
    r.Height = std::min(r.Height, s.Height);
    r.Left = ClampEdge(r.Left, r.Width, s.Left, s.Right());
    r.Top = ClampEdge(r.Top, r.Height, s.Top, s.Bottom());
    return r;
}

PaintResult PaintCell(BoardState& state, int col, int row, int colCount, int rowCount)
{
    if (col < 0 || row < 0 || col > BoardCols - 1 || row > BoardRows - 1 || col >= colCount ||
        row >= rowCount)
        return PaintResult::Ignored;
    TerrainCell& cell = state.Board[col][row];
    if (cell.Terrain == state.SelectedTerrain) {
        cell.RandomFill = false;
        return PaintResult::FlagCleared;
    }
    cell.Terrain = state.SelectedTerrain;
    cell.RandomFill = false;
    return PaintResult::Painted;
}

void ClearBoard(BoardState& state)
{
    for (auto& column : state.Board)
        for (TerrainCell& cell : column)
            cell = TerrainCell{tcPampa, false};
}

plat::TColor TerrainFillColour(const BoardState& state, int col, int row)
{
    int code = tcPampa;
    if (col >= 0 && col < BoardCols && row >= 0 && row < BoardRows)
        code = state.Board[col][row].Terrain;
    if (code < 1 || code > GridColourIndex)
        code = tcPampa;
    return state.ColorTable[code];
}

std::optional<std::string> CoordinateText(const BoardState& state, int hx, int hy, int colCount,
                                          int rowCount)
{
    if (state.PrintParams[ppShowCoords] == 0)
        return std::nullopt;
    if (hx < 0 || hx >= colCount || hy < 0 || hy >= rowCount)
        return std::nullopt;
    return std::to_string(hx) + "," + std::to_string(hy);
}

std::string StatusVersionText()
{
    return "   V1.10 / 02.01.2006";
}

} // namespace tolv
