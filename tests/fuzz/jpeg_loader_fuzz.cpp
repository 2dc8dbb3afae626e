// Any byte sequence as a terrain picture, through the start-up path: read,
// brightened, given its device-independent copy. The picture either loads
// whole, within the size cap, with a copy of its size, or is reported.
#include "FuzzFile.h"
#include "editor/board/TerrainPictures.h"

#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::WriteInput("Pic1.jpg", data, size);   // Pic2 .. Pic11 stay missing
    // Brightness from the input itself, white-preserving pass included.
    const int hellF = size > 0 ? data[size - 1] % 200 : 100;
    const int hellA = size > 1 ? int(data[size - 2] % 129) - 64 : 0;

    auto state = std::make_unique<tolv::BoardState>();
    int dibFaults = 0;
    const auto failures =
        tolv::LoadPictures(*state, fuzz::TempDir() + "/", hellF, hellA, [&] { ++dibFaults; });
    const tolv::Picture& pic = state->Pictures[1];

    const bool firstFailed = !failures.empty() && failures.front().Index == 1;
    if (failures.size() != (firstFailed ? 11u : 10u))
        __builtin_trap();
    if (firstFailed) {
        if (pic.Loaded || !pic.Bitmap.empty() || failures.front().Reason.empty())
            __builtin_trap();
        return 0;
    }
    if (dibFaults == 0 && !pic.Loaded)
        __builtin_trap();   // neither reported nor loaded
    if (pic.Loaded) {
        const plat::Bitmap& b = pic.Bitmap;
        if (b.width() < 1 || b.height() < 1 || unsigned(b.width()) > tolv::MaxPictureSide ||
            unsigned(b.height()) > tolv::MaxPictureSide || b.format() != plat::PixelFormat::pf24bit)
            __builtin_trap();
        if (pic.Dib.info.biWidth != b.width() || pic.Dib.info.biHeight != b.height() ||
            pic.Dib.bits.size() < std::size_t(pic.Dib.stride()) * std::size_t(b.height()))
            __builtin_trap();
    }
    return 0;
}
