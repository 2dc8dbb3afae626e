#pragma once
// A print job whose page is the picture an image label shows (its pixmap).
// The picture is copied when Image changes; a label that is destroyed is
// forgotten, leaving a white page of the last size.
#include "printing/PJBitmap.h"

class QLabel;

namespace printing {

class TCustomImagePrintJob : public TCustomBitmapPrintJob {
public:
    using TCustomBitmapPrintJob::TCustomBitmapPrintJob;

    // Not owned.
    QLabel* Image() const { return image_; }
    void SetImage(QLabel* v);

protected:
    // The label's picture at its own size; a label without one gives an
    // empty bitmap, which draws nothing.
    void GetBitmap(plat::Bitmap& Bitmap) override;

private:
    QLabel* image_ = nullptr;
};

class TImagePrintJob : public TCustomImagePrintJob {
public:
    using TCustomImagePrintJob::TCustomImagePrintJob;
};

} // namespace printing
