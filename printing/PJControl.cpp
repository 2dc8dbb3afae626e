#include "printing/PJControl.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace printing {

namespace {

// What the user sees of the widget's content: a scroll area shows it in
// its viewport; other widgets inside their frame (contents rectangle).
QImage ClientPicture(QWidget& w)
{
    if (auto* area = qobject_cast<QAbstractScrollArea*>(&w))
        return area->viewport()->grab().toImage();
    return w.grab(w.contentsRect()).toImage();
}

} // namespace

void TCustomControlPrintJob::SetControl(QWidget* v)
{
    if (control_ == v)
        return;
    control_ = v;
    // The setter drops a widget being destroyed without asking it for
    // anything and leaves a white page.
    WatchRemoval(v, [this] { SetControl(nullptr); });
    RefreshBitmap();
}

void TCustomControlPrintJob::SetEntireWindow(bool v)
{
    if (entireWindow_ == v)
        return;
    entireWindow_ = v;
    RefreshBitmap();
}

void TCustomControlPrintJob::Loaded()
{
    TCustomBitmapPrintJob::Loaded();
    RefreshBitmap();
}

void TCustomControlPrintJob::GetBitmap(plat::Bitmap& Bitmap)
{
    if (!control_) {
        ClearBitmap();
        return;
    }
    Bitmap = BitmapFromImage(entireWindow_ ? control_->grab().toImage() : ClientPicture(*control_));
}

} // namespace printing
