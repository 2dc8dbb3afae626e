#include "printing/PJImage.h"

#include <QLabel>
#include <QPixmap>

namespace printing {

void TCustomImagePrintJob::SetImage(QLabel* v)
{
    if (image_ == v)
        return;
    image_ = v;
    WatchRemoval(v, [this] { SetImage(nullptr); });
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
