#pragma once
// A print job whose page is a picture of a widget: the whole widget with
// EntireWindow (frame and scroll bars included), else its client area (a
// scroll area's viewport, or the area inside a frame). The widget is
// rendered, not copied off the screen, so windows lying over it or parts
// scrolled off the screen do not show. It is taken when Control or
// EntireWindow change and after loading; a widget that is destroyed is
// forgotten, leaving a white page of the last size.
#include "printing/PJBitmap.h"

class QWidget;

namespace printing {

class TCustomControlPrintJob : public TCustomBitmapPrintJob {
public:
    using TCustomBitmapPrintJob::TCustomBitmapPrintJob;

    // Not owned.
    QWidget* Control() const { return control_; }
    void SetControl(QWidget* v);
    bool EntireWindow() const { return entireWindow_; }
    void SetEntireWindow(bool v);

    // The margins check, then the capture.
    void Loaded() override;

protected:
    void GetBitmap(plat::Bitmap& Bitmap) override;

private:
    QWidget* control_ = nullptr;
    bool entireWindow_ = false;
};

class TControlPrintJob : public TCustomControlPrintJob {
public:
    using TCustomControlPrintJob::TCustomControlPrintJob;
};

} // namespace printing
