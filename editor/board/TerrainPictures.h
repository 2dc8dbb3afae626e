#pragma once
// The eleven terrain pictures of the program folder: loading each on its
// own, the brightness pass the profile asks for, and the start-up message
// naming every picture that failed.
#include "editor/board/BoardState.h"
#include "platform/Bitmap.h"
#include "platform/Jpeg.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tolv {

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

} // namespace tolv
