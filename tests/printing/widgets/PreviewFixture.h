#pragma once
// A preview of a three-page job on a fake A4 printer at 600 dpi, shown
// offscreen in a frameless 400 x 500 box, so the layouts can be worked out
// by hand. Each page draws a marker: a filled black square whose side grows
// with the page number, in the page area's top-left corner.
#include "../PageImage.h"

#include "platform/FakePrinter.h"
#include "platform/ScriptedDialogs.h"
#include "printing/PSPreview.h"
#include "support/Input.h"
#include "support/TestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

namespace tolv::test {

// A4 at 600 dpi with a printable area inset 100 and 120 pixels.
inline plat::SheetGeometry A4At600()
{
    return {600, 600, 4960, 7016, 100, 120, 4760, 6776, -1};
}

// The marker of a page: black, 300 printer pixels per page number.
inline void DrawMarker(plat::Canvas& c, int page, const plat::TRect& r)
{
    c.Brush.Color = plat::clBlack;
    c.FillRect({r.Left, r.Top, r.Left + 300 * page, r.Top + 300 * page});
}

struct AppFirst {
    AppFirst() { EnsureApplication(); }
};

class PreviewTest : public ::testing::Test, protected AppFirst {
protected:
    PreviewTest()
    {
        job.SetPageCount(3);
        job.OnDraw = [this](printing::TCustomPrintJob&, plat::Canvas& c, int page, const plat::TRect& r,
                            printing::TDrawArea, printing::TDrawTarget) {
            ++draws;
            DrawMarker(c, page, r);
        };
        preview.SetBorderStyle(printing::bsNone);
        preview.resize(400, 500);
        ShowExposed(preview);
    }

    plat::FakePrinter printer{{{"A4", A4At600()}}};
    plat::ScopedPrinter printerGuard{printer};
    plat::ScopedScriptedDialogs dialogs;
    printing::TPrintJob job;
    printing::TPreview preview;
    int draws = 0;
};

} // namespace tolv::test
