#pragma once
// A job's page rendered as the preview renders it: onto a white image of
// the whole sheet, in sheet pixels.
#include "platform/Canvas.h"
#include "printing/PSJob.h"

#include <QImage>

namespace tolv::test {

inline QImage RenderPage(printing::TCustomPrintJob& job, int page,
                         printing::TDrawTarget target = printing::dtPreview)
{
    const plat::TRect extent = job.GetPageExtent();
    QImage image(extent.Width(), extent.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    plat::Canvas canvas(&image);
    job.DrawPage(canvas, page, target);
    canvas.End();
    return image;
}

// 0x00BBGGRR, as the canvas takes colours.
inline plat::TColor ColourAt(const QImage& image, int x, int y)
{
    const QRgb p = image.pixel(x, y);
    return plat::TColor(qRed(p) | (qGreen(p) << 8) | (qBlue(p) << 16));
}

} // namespace tolv::test
