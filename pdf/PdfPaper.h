#pragma once
// The writer's paper table, indexed by the Windows paper-size numbers, and
// the default paper of the user's locale (glibc's LC_PAPER).
#include <array>
#include <string>

namespace pdf {

struct PaperEntry {
    const char* Name;
    int Width;    // portrait, 1/10 mm
    int Height;
};

inline constexpr int PaperA4 = 9;
inline constexpr int PaperLetter = 1;
inline constexpr int PaperLast = 41;

// 42 entries, 0 "Custom" (0 x 0) to 41 "German Legal Fanfold".
const std::array<PaperEntry, 42>& PaperTable();

// What the locale tells about paper: the size in whole millimetres and the
// international dialling prefix ("1" for the United States and Canada).
struct LocalePaperInfo {
    bool HavePaper = false;
    int WidthMm = 0;
    int HeightMm = 0;
    std::string DialPrefix;
};

LocalePaperInfo QueryLocalePaper();
// The first table entry 1..41 within half a millimetre of the size, else 0.
int PaperIndexForSize(int widthMm, int heightMm);
// A4 unless the locale's paper is in the table, or unknown with the
// country code of the United States or Canada (Letter).
int LocalePaperSizeFrom(const LocalePaperInfo& info);
int LocalePaperSize();
// Any value outside 1..41 gives A4.
int SanePaperIndex(int index);

} // namespace pdf
