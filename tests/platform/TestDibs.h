#pragma once
// Pictures for the stretch tests of the platform and the board output.
#include "platform/Bitmap.h"

#include <gtest/gtest.h>

namespace plat::test {

// A bottom-up DIB whose pixel (x, y) of the picture as seen (y from the top)
// has the colour colourAt(x, y).
template <class F>
Dib DibOf(int w, int h, F colourAt)
{
    Bitmap bmp(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bmp.setPixel(x, y, colourAt(x, y));
    Dib dib;
    EXPECT_TRUE(MakeDib(bmp, dib));
    return dib;
}

} // namespace plat::test
