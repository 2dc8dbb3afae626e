// The Qt side of the print and printer-setup dialogs, driven as a user
// would: the program's printer is the Qt one, the dialogs are Qt's.
#include "platform/ModalSteps.h"
#include "platform/QtDialogs.h"
#include "platform/QtPrintDialogs.h"
#include "platform/QtPrinter.h"
#include "printing/PSJob.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QRadioButton>

using tolv::test::ModalSteps;

namespace {

class QtPrintDialogsTest : public ::testing::Test {
protected:
    bool application = tolv::test::EnsureApplication() != nullptr;
    plat::QtPrinter printer;
    plat::ScopedPrinter guard{printer};
    plat::QtDialogs qt;
    plat::ScopedDialogs seam{qt};
    int pdf = static_cast<int>(printer.Printers().size()) - 1;
};

// Closes a dialog as OK or Cancel would.
bool Close(QWidget* w, bool ok)
{
    auto* d = qobject_cast<QDialog*>(w);
    if (!d)
        return false;
    ok ? d->accept() : d->reject();
    return true;
}

} // namespace

TEST_F(QtPrintDialogsTest, PrintDialogAnswersWithThePrinterAndRangeOrCancels)
{
    ASSERT_TRUE(application);
    printer.SetPrinterIndex(pdf);
    plat::PrintDialogRequest request{printer.Printers(), pdf, 1, 7, 1, 7};
    {
        ModalSteps steps({[](QWidget* w) { return qobject_cast<plat::PrintWindow*>(w) && Close(w, true); }});
        const auto answer = qt.printDialog(request);
        ASSERT_TRUE(steps.done());
        ASSERT_TRUE(answer.has_value());
        EXPECT_EQ(answer->printer, pdf);
        EXPECT_TRUE(answer->allPages);
    }
    {
        ModalSteps steps({[](QWidget* w) { return Close(w, false); }});
        EXPECT_FALSE(qt.printDialog(request).has_value());
        EXPECT_TRUE(steps.done());
    }
}

TEST_F(QtPrintDialogsTest, PrinterSetupChangesPaperAndOrientationOfTheJobsPrinter)
{
    ASSERT_TRUE(application);
    printer.SetPrinterIndex(pdf);
    printing::TPrintJob job;
    int changes = 0;
    job.OnPrinterSetupChange = [&](printing::TCustomPrintJob&) { ++changes; };
    ModalSteps steps({[](QWidget* w) {
        auto* window = qobject_cast<plat::PrinterSetupWindow*>(w);
        if (!window)
            return false;
        window->paperBox()->setCurrentText("A5");
        window->landscapeButton()->setChecked(true);
        window->accept();
        return true;
    }});
    job.PrinterSetupDialog();
    ASSERT_TRUE(steps.done());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(printer.PaperName(), "A5");
    // A5 landscape at 600 dpi: 210 x 148 mm.
    EXPECT_EQ(job.PageWidth(), 4961);
    EXPECT_EQ(job.PageHeight(), 3496);
}
