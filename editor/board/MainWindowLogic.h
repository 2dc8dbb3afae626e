#pragma once
// The main window's start-up and editing rules without any widget: paths,
// picture loading with the brightness pass, window placement, painting a
// cell, the hexagon fill and the coordinate texts. TForm1 calls these and
// only moves the results into its controls.
#include "editor/board/BoardState.h"
#include "platform/Bitmap.h"
#include "platform/Colour.h"
#include "platform/Jpeg.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolv {

// Directories fixed once by the main window's creation.
struct StartPaths {
    std::string ProgramDir;    // no trailing "/"
    std::string WorkDir;       // holds the profile; no trailing "/"
    std::string PicturesDir;   // ProgramDir + "/Pics/"
};

// args are the command-line arguments after the program name; the first one,
// when present and not empty, names the work directory.
StartPaths DeriveStartPaths(const std::string& programDir, const std::vector<std::string>& args);

// Removes trailing "/" (a lone "/" stays).
std::string StripTrailingDelimiter(std::string path);

// (b * hellF) div 100 + hellA, limited to 0..255.
std::uint8_t AdjustBrightness(std::uint8_t b, int hellF, int hellA);

// The pictures' brightness pass: white pixels stay white, every other pixel's
// three bytes go through AdjustBrightness. Nothing happens for 100 / 0.
void BrightnessPass(plat::Bitmap& bmp, int hellF, int hellA);

// One picture that could not be loaded, for the start-up message.
struct PictureFailure {
    int Index = 0;            // 1..11
    std::string FileName;     // "Pic<i>.jpg"
    std::string Reason;       // why it failed
};

// The terrain pictures are drawn at most a few hundred pixels wide; a larger
// one is refused from its header, before its pixels take memory (a tiny
// file may claim a picture of gigabytes).
constexpr unsigned MaxPictureSide = 4096;

// Why a picture could not be read, in the words of the start-up message.
std::string PictureFailureReason(const plat::JpegError& e);

// Loads Pic1.jpg .. Pic11.jpg from picturesDir into state.Pictures, each on
// its own: a picture that fails is left empty with Loaded false and the rest
// still load. dibFault runs when the DIB copy of a decoded picture fails (the
// picture then counts as not loaded but is not reported as a failure).
std::vector<PictureFailure> LoadPictures(BoardState& state, const std::string& picturesDir,
                                         int hellF, int hellA,
                                         const std::function<void()>& dibFault);

// The one message naming every picture that failed; empty when none did.
std::string PictureFailureMessage(const std::vector<PictureFailure>& failures,
                                  const std::string& picturesDir);

// PdfJpgC as start-up limits it.
int ClampJpegQuality(int q);

// Window placement: left, top, width, height in screen pixels.
struct WinRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    // 64 bits: profile values near the integer limits must not wrap.
    long long Right() const { return (long long)Left + Width; }
    long long Bottom() const { return (long long)Top + Height; }
    bool operator==(const WinRect&) const = default;
};
constexpr int MinUsableWidth = 320;
constexpr int MinUsableHeight = 240;

// A placement that is tiny gets defaultSize's width and height; one that lies
// off every screen (too little of it visible, or its title above the screen)
// is moved onto the screen it overlaps most (else the first), shrunk to fit;
// so is one larger than all screens together.
// screens are the available work areas, the primary first. A usable placement
// comes back unchanged.
WinRect FitOnScreens(WinRect r, const std::vector<WinRect>& screens, WinRect defaultSize);

// Painting one hexagon with the selected terrain.
enum class PaintResult { Ignored, FlagCleared, Painted };
PaintResult PaintCell(BoardState& state, int col, int row, int colCount, int rowCount);

// "löschen": the whole array back to Pampa.
void ClearBoard(BoardState& state);

// Fill colour of a hexagon: the terrain's colour, Pampa's for a bad code.
plat::TColor TerrainFillColour(const BoardState& state, int col, int row);

// The coordinate text of a cell when coordinates are on and the cell lies in
// the grid, else nothing.
std::optional<std::string> CoordinateText(const BoardState& state, int hx, int hy, int colCount,
                                          int rowCount);

// Status bar panel 0: the version.
std::string StatusVersionText();

} // namespace tolv
