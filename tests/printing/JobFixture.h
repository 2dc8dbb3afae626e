#pragma once
// A print job on the fake printer (600 x 300 dpi, offsets 90 x 40) with the
// dialog seam scripted, and helpers that count what a job does.
#include "platform/FakePrinter.h"
#include "platform/ScriptedDialogs.h"
#include "printing/PSJob.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace plat {
inline std::ostream& operator<<(std::ostream& os, const TRect& r)
{
    return os << '(' << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ')';
}
} // namespace plat

namespace printing {
inline std::ostream& operator<<(std::ostream& os, const TMargins& m)
{
    return os << '(' << m.Left << ", " << m.Top << ", " << m.Right << ", " << m.Bottom << ')';
}
} // namespace printing

namespace tolv::test {

// One printer whose sheet is the given geometry.
inline plat::FakePrinterSetup Setup(const std::string& name, plat::SheetGeometry sheet)
{
    return {name, sheet};
}

class JobTest : public ::testing::Test {
protected:
    JobTest() { job.OnUpdate = [this](printing::TCustomPrintJob&) { ++updates; }; }

    plat::FakePrinter printer;
    plat::ScopedPrinter printerGuard{printer};
    plat::ScopedScriptedDialogs dialogs;
    printing::TPrintJob job;
    int updates = 0;
};

} // namespace tolv::test
