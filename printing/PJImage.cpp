#include "printing/PJImage.h"

#include <QLabel>
#include <QPixmap>

namespace printing {

TCustomImagePrintJob::TCustomImagePrintJob(TNotifyEvent onCreate) : TCustomBitmapPrintJob(std::move(onCreate))
{
}

TCustomImagePrintJob::~TCustomImagePrintJob()
{
    QObject::disconnect(destroyed_);
}

void TCustomImagePrintJob::SetImage(QLabel* v)
{
    if (image_ == v)
        return;
    image_ = v;
    QObject::disconnect(destroyed_);
    destroyed_ = {};
    // A label being destroyed is half gone: the setter drops it without
    // asking it for anything.
    if (v)
        destroyed_ = QObject::connect(v, &QObject::destroyed, [this] { SetImage(nullptr); });
    RefreshBitmap();
}

void TCustomImagePrintJob::GetBitmap(plat::Bitmap& Bitmap)
{
    if (!image_) {
        ClearBitmap();
        return;
    }
    Bitmap = BitmapFromImage(image_->pixmap().toImage());
}

} // namespace printing
