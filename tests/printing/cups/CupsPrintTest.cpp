#include "CupsServer.h"

#include "platform/QtPrinter.h"
#include "platform/ScriptedDialogs.h"
#include "printing/PSJob.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

using tolv::test::SharedCupsServer;

namespace {

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
        ++n;
    return n;
}

} // namespace

// Three pages through the printer layer into a queue of the sample
// PostScript driver (12 pt borders), printing into a file.
TEST(CupsPrintTest, AThreePageJobReachesTheQueueAsThreePages)
{
    ASSERT_NE(tolv::test::EnsureApplication(), nullptr);
    if (SharedCupsServer().missing())
        GTEST_SKIP() << SharedCupsServer().failure();
    ASSERT_EQ(SharedCupsServer().failure(), "");
    ASSERT_EQ(SharedCupsServer().addQueue("Laser-PS", "drv:///sample.drv/generic.ppd"), "");

    plat::QtPrinter printer;
    const auto names = printer.Printers();
    const auto it = std::find(names.begin(), names.end(), "Laser-PS");
    ASSERT_NE(it, names.end());
    printer.SetPrinterIndex(static_cast<int>(it - names.begin()));
    // 12 pt borders are 100 px at 600 dpi.
    EXPECT_EQ(printer.GetDeviceCaps(plat::DeviceCap::PHYSICALOFFSETX), 100);
    EXPECT_EQ(printer.GetDeviceCaps(plat::DeviceCap::PHYSICALOFFSETY), 100);

    plat::ScopedPrinter guard(printer);
    plat::ScopedScriptedDialogs dialogs;
    printing::TPrintJob job;
    job.SetTitle("Tolvaria Kacheln");
    job.SetPageCount(3);
    job.SetOptions({printing::joMargins});
    job.SetMarginsUnits(printing::unMillimeters);
    job.SetMargins({10, 10, 10, 10});
    std::vector<int> drawn;
    job.OnDraw = [&](printing::TCustomPrintJob&, plat::Canvas& c, int page, const plat::TRect& r,
                     printing::TDrawArea, printing::TDrawTarget) {
        drawn.push_back(page);
        c.Rectangle(r);
        c.TextOut(r.Left + 100, r.Top + 100, "Seite " + std::to_string(page));
    };
    job.Print();
    EXPECT_EQ(drawn, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(printer.Printing());
    ASSERT_TRUE(SharedCupsServer().waitIdle()) << SharedCupsServer().errorLog();

    const std::string out = tolv::test::ReadBytes(SharedCupsServer().output("Laser-PS").string());
    ASSERT_FALSE(out.empty()) << SharedCupsServer().errorLog();
    EXPECT_EQ(out.substr(0, 4), "%!PS");
    EXPECT_EQ(Count(out, "\n%%Page: "), 3);
    EXPECT_NE(out.find("%%Pages: 3"), std::string::npos);
}
