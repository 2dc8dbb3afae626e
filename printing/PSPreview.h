#pragma once
// TPreview: one page of a print job, rendered once into a metafile the size
// of the printed page in printer pixels and painted scaled on a page panel
// with a drop shadow, on a coloured desk inside a scroll area. The page is
// rendered only by Update (a setter, a resize, the job's own update, a page
// change); painting, scrolling and dragging replay the stored page.
//
// Three view modes size the page: the whole page fits the window, the page
// width fills it, or a zoom percentage applies. Keys, the wheel and
// dragging scroll; PgUp and PgDn turn pages at the ends of a page. The
// scale box, toolbar and status bar link themselves to a preview and are
// refreshed after each of its updates.
#include "platform/Canvas.h"
#include "printing/PSJob.h"

#include <QImage>
#include <QPicture>
#include <QScrollArea>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace printing {

enum TViewMode : std::uint8_t { vmWholePage, vmPageWidth, vmCustom };
enum TBorderStyle : std::uint8_t { bsNone, bsSingle };

// The zoom percentages, smallest first; the first and the last bound ViewScale.
inline constexpr std::array<int, 11> ZoomSteps{10, 25, 50, 75, 100, 150, 200, 300, 500, 700, 1000};
inline constexpr int MinViewScale = ZoomSteps.front();
inline constexpr int MaxViewScale = ZoomSteps.back();

class TCustomPreview;

// A control that shows a preview's state. The preview refreshes it after
// every update that found a page to show, and tells it when the preview
// goes away.
class TPreviewLinked {
public:
    virtual void Update() = 0;
    // The preview is being destroyed: forget it.
    virtual void PreviewRemoved(TCustomPreview& preview) = 0;

protected:
    ~TPreviewLinked() = default;
};

// The desk: a scroll area whose content is laid out by the preview alone.
class TSpecialScrollBox : public QScrollArea {
    Q_OBJECT

public:
    explicit TSpecialScrollBox(QWidget* parent);
};

// A page rendered by a job: a QPicture keeps no size, so the page's size in
// printer pixels is kept beside it. The printer is the reference device:
// the canvas drawing into it reports the printer's resolution.
//
// Large images (a picture tile is a page-sized bitmap) are not encoded into
// the picture, which would compress them on every render and decode them on
// every replay: the recording is split there, and the image is kept as it
// is between the parts and drawn straight from memory on replay.
class PageMetafile : public QPicture, public plat::ImageKeepingDevice {
public:
    PageMetafile();
    ~PageMetafile() override;
    void Reset(int width, int height, int dpiX, int dpiY);
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The page stretched into the rectangle (its own size 1:1 for
    // width x height of the metafile).
    void PlayInto(QPainter& painter, const QRect& target) const;
    // The bytes of the recording itself, the kept images not counted.
    qint64 RecordedBytes() const;
    int KeptImages() const { return static_cast<int>(parts_.size()); }

    QPaintDevice* KeepImage(plat::KeptImage image) override;
    int Metric(PaintDeviceMetric m) const { return metric(m); }

protected:
    int metric(PaintDeviceMetric m) const override;

private:
    // A part of the recording after a kept image, with the page's metrics.
    class Part;
    struct Kept {
        plat::KeptImage image;
        std::unique_ptr<Part> after;
    };

    std::vector<Kept> parts_;
    int width_ = 0, height_ = 0;
    int dpiX_ = 96, dpiY_ = 96;
};

// The page panel: paints the rendered page with its frame and shadow, and
// scrolls the preview while dragged.
class TDrawPanel : public QWidget {
    Q_OBJECT

public:
    explicit TDrawPanel(TCustomPreview* owner);

    PageMetafile& Metafile() { return metafile_; }
    const PageMetafile& Metafile() const { return metafile_; }
    // The page changed: the cached replay is dropped.
    void MetafileChanged();

    plat::TColor Color() const { return color_; }
    void SetColor(plat::TColor c);
    plat::TPoint DragStart() const { return dragStart_; }
    bool Dragging() const { return dragging_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Paint(QPainter& p);
    const QImage* PageImage(const QSize& size);

    TCustomPreview* owner_;
    PageMetafile metafile_;
    plat::TColor color_;
    plat::TPoint dragStart_;
    bool dragging_ = false;
    bool pressed_ = false;
    // The page replayed at the panel's size, so that scrolling and
    // repainting do not replay it again; not kept for very large sizes.
    QImage cache_;
    bool cacheValid_ = false;
};

class TCustomPreview : public QWidget, public TPreviewLink {
    Q_OBJECT

public:
    using TPreviewEvent = std::function<void(TCustomPreview& Sender)>;

    // The scroll bars move by this many pixels per step.
    static constexpr int Increment = 8;
    // Free space around the page on the desk.
    static constexpr int DeskMargin = 8;

    explicit TCustomPreview(QWidget* parent = nullptr);
    ~TCustomPreview() override;

    // ---- Properties.
    TCustomPrintJob* PrintJob() const { return job_; }
    void SetPrintJob(TCustomPrintJob* job);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    Qt::CursorShape Cursor() const { return cursor_; }
    void SetCursor(Qt::CursorShape v);
    // One flag of the desk under two names, as the component had it.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool v);
    bool ParentCtl3D() const { return ctl3D_; }
    void SetParentCtl3D(bool v) { SetCtl3D(v); }
    plat::TColor Color() const { return color_; }
    void SetColor(plat::TColor v);
    plat::TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(plat::TColor v);
    int ShadowSize() const { return shadowSize_; }
    void SetShadowSize(int v);                  // 0..100
    TViewMode ViewMode() const { return viewMode_; }
    void SetViewMode(TViewMode v);
    // Percent; taken only in vmCustom, 10..1000. The other modes compute it.
    int ViewScale() const { return viewScale_; }
    void SetViewScale(int v);
    // From 1; kept within the job's pages, 1 without a job. Every write
    // fires OnPageChanged.
    int PageIndex() const { return pageIndex_; }
    void SetPageIndex(int v);
    bool ScrollTracking() const { return scrollTracking_; }
    void SetScrollTracking(bool v);
    bool DragScroll() const { return dragScroll_; }
    void SetDragScroll(bool v) { dragScroll_ = v; }

    // At the end of every update that found a job and a printer.
    TPreviewEvent OnUpdate;
    TPreviewEvent OnPageChanged;

    // ---- Operations.
    void AddLinkedControl(TPreviewLinked* control);
    void RemoveLinkedControl(TPreviewLinked* control);
    const std::vector<TPreviewLinked*>& LinkedControls() const { return linked_; }
    // The next zoom step up or down, in vmCustom.
    void ZoomIn();
    void ZoomOut();
    // "Whole page (37%)", "Page width (50%)" or "150%".
    std::string ScaleText() const;
    // "Page 2 of 7"; empty without a job.
    std::string PageText() const;
    // Layout and rendering of the page shown; refreshes the linked controls.
    void Update() override;
    void Repaint();

    // ---- The desk, for the linked controls and tests.
    TSpecialScrollBox* ScrollBox() const { return box_; }
    TDrawPanel* Panel() const { return panel_; }
    int HorzPosition() const;
    int VertPosition() const;
    void SetHorzPosition(int v);
    void SetVertPosition(int v);
    int HorzRange() const { return hRange_; }
    int VertRange() const { return vRange_; }
    int BoxClientWidth() const;
    int BoxClientHeight() const;
    // The screen's resolution the custom scale refers to.
    int ScreenPixelsPerInch() const;

    // The keys the preview acts on; true when it did (the key goes no further).
    bool HandleKey(int key, Qt::KeyboardModifiers modifiers);
    // One wheel turn of delta eighths of a degree (120 a notch).
    void HandleWheel(int delta);

    // TPreviewLink.
    void PrintJobRemoved(TCustomPrintJob& job) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    friend class TDrawPanel;

    // The page's size in printer pixels, as the job's page properties give it.
    void PageSizeInPixels(TCustomPrintJob& j, double& Wp, double& Hp) const;
    // Places the panel for the view mode; false when the page has no size.
    bool Layout();
    void Render();
    void RefreshLinked();
    void SetRanges(int horizontal, int vertical);
    void FitDesk();
    void ApplyFrame();

    TCustomPrintJob* job_ = nullptr;
    std::vector<TPreviewLinked*> linked_;
    TSpecialScrollBox* box_ = nullptr;
    QWidget* desk_ = nullptr;
    TDrawPanel* panel_ = nullptr;

    TBorderStyle borderStyle_ = bsSingle;
    Qt::CursorShape cursor_ = Qt::ArrowCursor;
    bool ctl3D_ = true;
    plat::TColor color_ = 0x808080;
    plat::TColor shadowColor_ = 0x404040;
    int shadowSize_ = 8;
    TViewMode viewMode_ = vmWholePage;
    int viewScale_ = 0;
    int pageIndex_ = 1;
    bool scrollTracking_ = false;
    bool dragScroll_ = false;

    int hRange_ = 0, vRange_ = 0;
    // What a wheel turn left over below one pixel, so that the small steps
    // of a touchpad add up.
    int wheelRemainder_ = 0;
    bool constructed_ = false;
    // Inside the layout: the view changing size under its own scroll bars.
    bool inLayout_ = false;
};

// The Preview property of a control that shows a preview's state: linking
// registers the control with the preview, a preview going away unlinks it,
// and so does the control's destruction.
class TPreviewLinkedControl : public TPreviewLinked {
public:
    TCustomPreview* Preview() const { return preview_; }
    // Relinks and refreshes the control (each control its own way).
    virtual void SetPreview(TCustomPreview* preview) = 0;
    void PreviewRemoved(TCustomPreview& preview) override
    {
        if (&preview == preview_)
            SetPreview(nullptr);
    }

protected:
    ~TPreviewLinkedControl()
    {
        if (preview_)
            preview_->RemoveLinkedControl(this);
    }
    // Moves the link; false when the preview is the one linked already.
    bool Relink(TCustomPreview* preview)
    {
        if (preview == preview_)
            return false;
        if (preview_)
            preview_->RemoveLinkedControl(this);
        preview_ = preview;
        if (preview_)
            preview_->AddLinkedControl(this);
        return true;
    }

    TCustomPreview* preview_ = nullptr;
};

// The preview as the windows use it.
class TPreview : public TCustomPreview {
    Q_OBJECT

public:
    using TCustomPreview::TCustomPreview;
};

} // namespace printing
