// The preview window with a three-page job on the real printers (the CUPS
// queues and "PDF-Datei"), configured as the main window configures its own.
// For looking at the window without the rest of the program.
//   preview_demo [--page N] [--zoom PERCENT] [--shot FILE.png]
// With --shot the window is grabbed once it is shown and the program ends.
#include "platform/QtPrinter.h"
#include "printing/PSWindow.h"

#include <QApplication>
#include <QTimer>

#include <cstring>
#include <string>

using namespace printing;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int page = 1, zoom = 0;
    std::string shot;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--page") && i + 1 < argc)
            page = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--zoom") && i + 1 < argc)
            zoom = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--shot") && i + 1 < argc)
            shot = argv[++i];
    }

    plat::QtPrinter printer;
    plat::ScopedPrinter guard(printer);
    TPrintJob job;
    job.SetTitle("Vorschau");
    job.SetPageCount(3);
    job.SetOptions({joMargins});
    job.SetMarginsUnits(unMillimeters);
    job.SetMargins({15, 15, 15, 15});
    job.SetRelativeCoords(true);
    job.OnDraw = [](TCustomPrintJob& j, plat::Canvas& c, int p, const plat::TRect& r, TDrawArea, TDrawTarget) {
        c.Pen.Width = 4;
        c.Brush.Color = 0xE0F0FF;
        c.Rectangle(r);
        const int mm = int(j.MmToPixels(false, 1));
        c.Brush.Color = plat::clBlack;
        c.FillRect({0, 0, 10 * mm * p, 10 * mm * p});
        c.Brush.Style = plat::bsClear;
        c.Font.SetSize(28);
        c.TextOut(20 * mm, r.Height() / 2, "Seite " + std::to_string(p) + " – Übersicht");
    };

    TPreviewWindow window;
    window.SetPrintJob(&job);
    window.SetCaption("Preview");
    plat::TFont font;
    font.Name = "MS Sans Serif";
    font.Height = -11;
    window.SetFont(font);
    window.SetPosition(poDesktopCenter);
    TToolbarOptions toolbar = window.ToolbarOptions();
    toolbar.Buttons = {btnPrint,    btnPrintDialog, btnPrinterSetupDialog, btnFirstPage, btnPrevPage,
                       btnNextPage, btnLastPage,    btnWholePage,          btnPageWidth, btnClose};
    toolbar.UserButtonEnabled = false;
    window.SetToolbarOptions(toolbar);
    window.OnShow = [&](TCustomPreviewWindow& w) {
        if (shot.empty())
            return;
        QTimer::singleShot(300, [&] {
            TPreviewForm* form = w.Form();
            if (!form)
                return;
            form->Preview->SetPageIndex(page);
            if (zoom > 0) {
                form->Preview->SetViewMode(vmCustom);
                form->Preview->SetViewScale(zoom);
            }
            QTimer::singleShot(300, [form, &shot] {
                form->grab().save(QString::fromStdString(shot));
                form->close();
            });
        });
    };
    window.Execute();
    return 0;
}
