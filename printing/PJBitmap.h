#pragma once
// A print job whose page is one bitmap: the job owns it and draws it into
// the page area, sized and aligned by its stretch and alignment settings
// and cut off at the area's edges. What the bitmap shows is up to the
// descendant (GetBitmap); it is taken only when RefreshBitmap runs, never
// while a page is drawn. The header and footer stay the owner's, drawn
// through OnDraw.
#include "platform/Bitmap.h"
#include "printing/PSJob.h"

#include <QMetaObject>

#include <functional>

class QObject;

namespace printing {

class TCustomBitmapPrintJob : public TCustomPrintJob {
public:
    using TCustomPrintJob::TCustomPrintJob;
    ~TCustomBitmapPrintJob() override;

    // Empty until the first capture; an empty bitmap draws nothing.
    const plat::Bitmap& JobBitmap() const { return jobBitmap_; }

    TStretchMode StretchMode() const { return stretchMode_; }
    void SetStretchMode(TStretchMode v);
    TAlignVertical AlignVertical() const { return alignVertical_; }
    void SetAlignVertical(TAlignVertical v);
    TAlignHorizontal AlignHorizontal() const { return alignHorizontal_; }
    void SetAlignHorizontal(TAlignHorizontal v);

    // Takes the page content anew (GetBitmap), then updates the job, which
    // re-renders the previews showing it.
    void RefreshBitmap();
    // White all over; the size stays.
    void ClearBitmap();

    // The page area shows the bitmap, clipped to the area; the clipping in
    // force before is restored afterwards.
    void DoDraw(plat::Canvas& Canvas, int PageIndex, const TRect& Rect, TDrawArea Area,
                TDrawTarget Target) override;

protected:
    // Fills the bitmap (always JobBitmap) with the page content.
    virtual void GetBitmap(plat::Bitmap& Bitmap) = 0;
    // The removal notice: `forget` runs when the component the page comes
    // from is destroyed (it must not ask the half-gone component anything).
    // Replaces the watch held before; nullptr watches nothing.
    void WatchRemoval(QObject* component, std::function<void()> forget);

private:
    plat::Bitmap jobBitmap_;
    QMetaObject::Connection removal_;
    TStretchMode stretchMode_ = sm1x1;
    TAlignVertical alignVertical_ = avTop;
    TAlignHorizontal alignHorizontal_ = ahLeft;
};

// The picture as a 24-bit bitmap of its size (empty for a null image).
plat::Bitmap BitmapFromImage(const QImage& image);

} // namespace printing
