#include "printing/PJBitmap.h"

#include <QObject>

namespace printing {

TCustomBitmapPrintJob::~TCustomBitmapPrintJob()
{
    QObject::disconnect(removal_);
}

void TCustomBitmapPrintJob::WatchRemoval(QObject* component, std::function<void()> forget)
{
    QObject::disconnect(removal_);
    removal_ = {};
    if (component)
        removal_ = QObject::connect(component, &QObject::destroyed, std::move(forget));
}

void TCustomBitmapPrintJob::SetStretchMode(TStretchMode v)
{
    if (StoreIfChanged(stretchMode_, v))
        Update();
}

void TCustomBitmapPrintJob::SetAlignVertical(TAlignVertical v)
{
    if (StoreIfChanged(alignVertical_, v))
        Update();
}

void TCustomBitmapPrintJob::SetAlignHorizontal(TAlignHorizontal v)
{
    if (StoreIfChanged(alignHorizontal_, v))
        Update();
}

void TCustomBitmapPrintJob::RefreshBitmap()
{
    GetBitmap(jobBitmap_);
    Update();
}

void TCustomBitmapPrintJob::ClearBitmap()
{
    jobBitmap_.fill(plat::clWhite);
}

void TCustomBitmapPrintJob::DoDraw(plat::Canvas& Canvas, int PageIndex, const TRect& Rect, TDrawArea Area,
                                   TDrawTarget Target)
{
    if (Area != daPage) {
        TCustomPrintJob::DoDraw(Canvas, PageIndex, Rect, Area, Target);
        return;
    }
    // A bitmap larger than the area (sm200, say) must not spill onto the
    // header, the footer or the margins.
    struct RestoreClip {
        plat::Canvas& canvas;
        plat::TClip clip;
        ~RestoreClip() { canvas.SelectClip(clip); }
    } restore{Canvas, Canvas.GetClip()};
    Canvas.IntersectClipRect(Rect);
    DrawBitmap(Canvas, Rect, jobBitmap_, stretchMode_, alignHorizontal_, alignVertical_, Target);
}

plat::Bitmap BitmapFromImage(const QImage& image)
{
    if (image.isNull())
        return {};
    plat::Bitmap bitmap(image.width(), image.height(), plat::PixelFormat::pf24bit);
    plat::BitmapCanvas canvas(bitmap);
    canvas.Draw(0, 0, image);
    return bitmap;
}

} // namespace printing
