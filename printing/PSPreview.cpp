#include "printing/PSPreview.h"

#include "platform/QtColour.h"
#include "printing/PSCommon.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <exception>

namespace printing {

namespace {

// Halves to the even neighbour.
int Nearest(double v)
{
    return static_cast<int>(std::nearbyint(v));
}

// Above this many pixels the replayed page is not cached: a page at a high
// zoom would take hundreds of megabytes.
constexpr qint64 MaxCachedPixels = qint64(4096) * 4096;

void FillBackground(QWidget* w, plat::TColor c)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, plat::ToQColor(c));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

} // namespace

// ---- Scroll box -------------------------------------------------------------------------------

TSpecialScrollBox::TSpecialScrollBox(QWidget* parent) : QScrollArea(parent)
{
    setWidgetResizable(false);
    // The preview takes the focus and the keys; the box only shows.
    setFocusPolicy(Qt::NoFocus);
    viewport()->setFocusPolicy(Qt::NoFocus);
}

// ---- Metafile ---------------------------------------------------------------------------------

class PageMetafile::Part final : public QPicture {
public:
    explicit Part(const PageMetafile& page) : page_(page) {}

protected:
    int metric(PaintDeviceMetric m) const override { return page_.Metric(m); }

private:
    const PageMetafile& page_;
};

PageMetafile::PageMetafile() = default;
PageMetafile::~PageMetafile() = default;

void PageMetafile::Reset(int width, int height, int dpiX, int dpiY)
{
    static_cast<QPicture&>(*this) = QPicture();
    parts_.clear();
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    dpiX_ = dpiX > 0 ? dpiX : 96;
    dpiY_ = dpiY > 0 ? dpiY : 96;
}

int PageMetafile::metric(PaintDeviceMetric m) const
{
    switch (m) {
    case PdmWidth: return width_;
    case PdmHeight: return height_;
    case PdmDpiX:
    case PdmPhysicalDpiX: return dpiX_;
    case PdmDpiY:
    case PdmPhysicalDpiY: return dpiY_;
    case PdmWidthMM: return Nearest(width_ * 25.4 / dpiX_);
    case PdmHeightMM: return Nearest(height_ * 25.4 / dpiY_);
    default: return QPicture::metric(m);
    }
}

QPaintDevice* PageMetafile::KeepImage(plat::KeptImage image)
{
    parts_.push_back({std::move(image), std::make_unique<Part>(*this)});
    return parts_.back().after.get();
}

qint64 PageMetafile::RecordedBytes() const
{
    qint64 bytes = size();
    for (const Kept& k : parts_)
        bytes += k.after->size();
    return bytes;
}

void PageMetafile::PlayInto(QPainter& painter, const QRect& target) const
{
    if (width_ <= 0 || height_ <= 0 || target.isEmpty())
        return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(double(target.width()) / width_, double(target.height()) / height_);
    const QTransform page = painter.transform();
    // A picture leaves the painter as its last command left it.
    const auto play = [&painter](const QPicture& picture) {
        painter.save();
        // Replaying reads the recording only; QPicture::play is merely not const.
        const_cast<QPicture&>(picture).play(&painter);
        painter.restore();
    };
    play(*this);
    for (const Kept& k : parts_) {
        const plat::KeptImage& kept = k.image;
        painter.save();
        painter.setTransform(page);
        if (kept.clip)
            painter.setClipRegion(*kept.clip, Qt::IntersectClip);
        painter.setTransform(kept.transform * page);
        // Reduced, the image is averaged as paper shows it: picked pixels
        // would draw the thin light seams between its parts as dashes.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(kept.target, kept.image, QRectF(kept.image.rect()));
        painter.restore();
        play(*k.after);
    }
    painter.restore();
}

// ---- Page panel -------------------------------------------------------------------------------

TDrawPanel::TDrawPanel(TCustomPreview* owner) : QWidget(nullptr), owner_(owner), color_(owner->Color())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(8, 8, 46, 67);
}

void TDrawPanel::MetafileChanged()
{
    cacheValid_ = false;
    cache_ = QImage();
}

void TDrawPanel::SetColor(plat::TColor c)
{
    if (c == color_)
        return;
    color_ = c;
    update();
}

void TDrawPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    MetafileChanged();
}

void TDrawPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    Paint(p);
}

const QImage* TDrawPanel::PageImage(const QSize& size)
{
    if (size.isEmpty() || qint64(size.width()) * size.height() > MaxCachedPixels)
        return nullptr;
    if (!cacheValid_ || cache_.size() != size) {
        cache_ = QImage(size, QImage::Format_RGB32);
        cache_.fill(Qt::white);
        QPainter ip(&cache_);
        metafile_.PlayInto(ip, QRect(QPoint(0, 0), size));
        cacheValid_ = true;
    }
    return &cache_;
}

void TDrawPanel::Paint(QPainter& p)
{
    const QRect C = rect();
    p.fillRect(C, plat::ToQColor(color_));
    TCustomPrintJob* job = owner_ ? owner_->PrintJob() : nullptr;
    if (!job)
        return;
    TCustomPrintJob* j = job->GetPrintJob(owner_->PageIndex());
    j->UpdatePageSize();
    plat::Printer& printer = j->Printer();
    const auto cap = [&](plat::DeviceCap c) { return printer.GetDeviceCaps(c); };
    const int physW = cap(plat::DeviceCap::PHYSICALWIDTH);
    const int physH = cap(plat::DeviceCap::PHYSICALHEIGHT);
    // The printer went away since the page was rendered: the sheet has no
    // size to map the printable area with.
    if (physW <= 0 || physH <= 0)
        return;

    const int S = owner_->ShadowSize();
    const QRect P(C.left(), C.top(), C.width() - S, C.height() - S);
    if (P.width() <= 0 || P.height() <= 0)
        return;
    const auto scaled = [](int a, int b, int c) { return int(std::int64_t(a) * b / c); };
    const int qLeft = P.left() + 1 + scaled(cap(plat::DeviceCap::PHYSICALOFFSETX), P.width(), physW);
    const int qTop = P.top() + 1 + scaled(cap(plat::DeviceCap::PHYSICALOFFSETY), P.height(), physH);
    const QRect Q(qLeft, qTop, scaled(cap(plat::DeviceCap::HORZRES), P.width(), physW),
                  scaled(cap(plat::DeviceCap::VERTRES), P.height(), physH));

    if (S > 0) {
        p.setClipRegion(QRegion(C) - QRegion(P));
        p.fillRect(QRect(C.left() + S, C.top() + S, C.width() - S, C.height() - S),
                   plat::ToQColor(owner_->ShadowColor()));
        p.setClipping(false);
    }

    // The frame, with the sheet white inside it; the content then shows
    // only inside the printable area, so the margins the printer cannot
    // reach stay white.
    const QRect inner = P.adjusted(1, 1, -1, -1);
    p.fillRect(P, Qt::black);
    p.fillRect(inner, Qt::white);
    p.setClipRect(Q);
    if (const QImage* img = PageImage(inner.size()))
        p.drawImage(inner.topLeft(), *img);
    else
        metafile_.PlayInto(p, inner);
    p.setClipping(false);
}

void TDrawPanel::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    pressed_ = true;
    if (owner_ && owner_->DragScroll()) {
        dragging_ = true;
        setCursor(Qt::SizeAllCursor);
        const QPoint pos = event->position().toPoint();
        dragStart_ = {pos.x(), pos.y()};
    }
}

void TDrawPanel::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    if (!dragging_ || !owner_)
        return;
    // The panel moves with the scroll, so the grabbed point stays under
    // the cursor without moving the start.
    const QPoint pos = event->position().toPoint();
    owner_->SetHorzPosition(owner_->HorzPosition() + dragStart_.X - pos.x());
    owner_->SetVertPosition(owner_->VertPosition() + dragStart_.Y - pos.y());
}

void TDrawPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (dragging_) {
        dragging_ = false;
        setCursor(owner_ ? owner_->Cursor() : Qt::ArrowCursor);
    }
    QWidget::mouseReleaseEvent(event);
    // A click gives the preview the focus.
    if (pressed_ && rect().contains(event->position().toPoint()) && owner_)
        owner_->setFocus(Qt::MouseFocusReason);
    pressed_ = false;
}

// ---- Preview ----------------------------------------------------------------------------------

TCustomPreview::TCustomPreview(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    resize(100, 150);

    box_ = new TSpecialScrollBox(this);
    box_->setGeometry(rect());
    box_->horizontalScrollBar()->setSingleStep(Increment);
    box_->verticalScrollBar()->setSingleStep(Increment);
    desk_ = new QWidget;
    desk_->setFocusPolicy(Qt::NoFocus);
    box_->setWidget(desk_);
    FillBackground(box_->viewport(), color_);
    FillBackground(desk_, color_);
    ApplyFrame();
    SetScrollTracking(false);

    panel_ = new TDrawPanel(this);
    panel_->setParent(desk_);
    panel_->setGeometry(8, 8, 46, 67);

    // Keys and the wheel reach the preview first, wherever they land.
    for (QObject* o : {static_cast<QObject*>(box_), static_cast<QObject*>(box_->viewport()),
                       static_cast<QObject*>(desk_), static_cast<QObject*>(panel_)})
        o->installEventFilter(this);

    constructed_ = true;
    Update();
}

TCustomPreview::~TCustomPreview()
{
    // The linked controls forget this preview; each unregisters itself.
    const auto linked = linked_;
    for (TPreviewLinked* c : linked)
        c->PreviewRemoved(*this);
    linked_.clear();
    if (job_)
        job_->UnregisterPreview(this);
    job_ = nullptr;
}

void TCustomPreview::ApplyFrame()
{
    box_->setFrameShape(borderStyle_ == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
    box_->setFrameShadow(ctl3D_ ? QFrame::Sunken : QFrame::Plain);
}

// ---- Properties -------------------------------------------------------------------------------

void TCustomPreview::SetPrintJob(TCustomPrintJob* job)
{
    if (job == job_)
        return;
    if (job_)
        job_->UnregisterPreview(this);
    job_ = job;
    if (job_)
        job_->RegisterPreview(this);
    SetPageIndex(1);
    panel_->setVisible(job_ != nullptr);
    Update();
}

void TCustomPreview::PrintJobRemoved(TCustomPrintJob& job)
{
    if (&job == job_)
        SetPrintJob(nullptr);
}

void TCustomPreview::SetBorderStyle(TBorderStyle v)
{
    borderStyle_ = v;
    ApplyFrame();
}

void TCustomPreview::SetCursor(Qt::CursorShape v)
{
    cursor_ = v;
    if (!panel_->Dragging())
        panel_->setCursor(v);
}

void TCustomPreview::SetCtl3D(bool v)
{
    ctl3D_ = v;
    ApplyFrame();
}

void TCustomPreview::SetColor(plat::TColor v)
{
    if (v == color_)
        return;
    color_ = v;
    FillBackground(box_->viewport(), v);
    FillBackground(desk_, v);
    panel_->SetColor(v);
}

void TCustomPreview::SetShadowColor(plat::TColor v)
{
    if (v == shadowColor_)
        return;
    shadowColor_ = v;
    panel_->update();
}

void TCustomPreview::SetShadowSize(int v)
{
    v = std::clamp(v, 0, 100);
    if (v == shadowSize_)
        return;
    shadowSize_ = v;
    Update();
}

void TCustomPreview::SetViewMode(TViewMode v)
{
    if (v == viewMode_)
        return;
    viewMode_ = v;
    // Entering vmCustom takes the scale last computed, within the bounds.
    SetViewScale(viewScale_);
    Update();
}

void TCustomPreview::SetViewScale(int v)
{
    if (viewMode_ != vmCustom)
        return;
    v = std::clamp(v, MinViewScale, MaxViewScale);
    if (v == viewScale_)
        return;
    viewScale_ = v;
    Update();
}

void TCustomPreview::SetPageIndex(int v)
{
    v = job_ ? std::clamp(v, 1, std::max(1, job_->PageCount())) : 1;
    if (v != pageIndex_) {
        pageIndex_ = v;
        SetHorzPosition(0);
        SetVertPosition(0);
        Update();
    }
    if (OnPageChanged)
        OnPageChanged(*this);
}

void TCustomPreview::SetScrollTracking(bool v)
{
    scrollTracking_ = v;
    box_->horizontalScrollBar()->setTracking(v);
    box_->verticalScrollBar()->setTracking(v);
}

// ---- Linked controls, zoom and texts ----------------------------------------------------------

void TCustomPreview::AddLinkedControl(TPreviewLinked* control)
{
    if (control && std::find(linked_.begin(), linked_.end(), control) == linked_.end())
        linked_.push_back(control);
}

void TCustomPreview::RemoveLinkedControl(TPreviewLinked* control)
{
    std::erase(linked_, control);
}

void TCustomPreview::ZoomIn()
{
    SetViewMode(vmCustom);
    for (int step : ZoomSteps)
        if (step > viewScale_) {
            SetViewScale(step);
            return;
        }
}

void TCustomPreview::ZoomOut()
{
    SetViewMode(vmCustom);
    for (auto it = ZoomSteps.rbegin(); it != ZoomSteps.rend(); ++it)
        if (*it < viewScale_) {
            SetViewScale(*it);
            return;
        }
}

std::string TCustomPreview::ScaleText() const
{
    switch (viewMode_) {
    case vmWholePage: return FormatInts(LoadStr(sWholePageFormat), {viewScale_});
    case vmPageWidth: return FormatInts(LoadStr(sPageWidthFormat), {viewScale_});
    case vmCustom: break;
    }
    return FormatInts("%d%%", {viewScale_});
}

std::string TCustomPreview::PageText() const
{
    if (!job_)
        return {};
    return FormatInts(LoadStr(sPageOfFormat), {pageIndex_, job_->PageCount()});
}

void TCustomPreview::Repaint()
{
    repaint();
    panel_->repaint();
}

// ---- Desk -------------------------------------------------------------------------------------

int TCustomPreview::HorzPosition() const { return box_->horizontalScrollBar()->value(); }
int TCustomPreview::VertPosition() const { return box_->verticalScrollBar()->value(); }
void TCustomPreview::SetHorzPosition(int v) { box_->horizontalScrollBar()->setValue(v); }
void TCustomPreview::SetVertPosition(int v) { box_->verticalScrollBar()->setValue(v); }
int TCustomPreview::BoxClientWidth() const { return box_->viewport()->width(); }
int TCustomPreview::BoxClientHeight() const { return box_->viewport()->height(); }

int TCustomPreview::ScreenPixelsPerInch() const
{
    return logicalDpiX();
}

void TCustomPreview::SetRanges(int horizontal, int vertical)
{
    hRange_ = std::max(0, horizontal);
    vRange_ = std::max(0, vertical);
    FitDesk();
}

// The desk covers the view and reaches as far as the ranges: a scroll bar
// shows exactly when its range exceeds the view.
void TCustomPreview::FitDesk()
{
    const QSize size(std::max(hRange_, BoxClientWidth()), std::max(vRange_, BoxClientHeight()));
    if (desk_->size() != size)
        desk_->resize(size);
}

// ---- Update -----------------------------------------------------------------------------------

void TCustomPreview::PageSizeInPixels(TCustomPrintJob& j, double& Wp, double& Hp) const
{
    Wp = j.ConvertUnits(j.PageUnits(), unPixels, j.PageWidth(), false, j.PhysicalPageWidth());
    Hp = j.ConvertUnits(j.PageUnits(), unPixels, j.PageHeight(), true, j.PhysicalPageHeight());
}

bool TCustomPreview::Layout()
{
    TCustomPrintJob& j = *job_->GetPrintJob(pageIndex_);
    double Wp = 0, Hp = 0;
    PageSizeInPixels(j, Wp, Hp);
    // A page without a width or height has no shape to show.
    if (Wp < 1 || Hp < 1)
        return false;

    const int S = shadowSize_;
    const auto heightFor = [&](int width) { return Nearest((width - S - 2) * Hp / Wp) + S + 2; };
    int left = 0, top = 0, w = 0, h = 0;
    switch (viewMode_) {
    case vmWholePage:
        SetRanges(0, 0);
        SetHorzPosition(0);
        SetVertPosition(0);
        h = BoxClientHeight() - 2 * DeskMargin - S;
        w = Nearest((h - S - 2) * Wp / Hp) + S + 2;
        if (BoxClientWidth() - 2 * DeskMargin < w) {
            w = BoxClientWidth() - 2 * DeskMargin;
            h = heightFor(w);
        }
        w = std::max(0, w);
        h = std::max(0, h);
        left = (BoxClientWidth() - w) / 2;
        top = (BoxClientHeight() - h) / 2;
        break;
    case vmPageWidth:
        left = DeskMargin;
        top = DeskMargin;
        w = std::max(0, box_->width() - 20 - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box_));
        h = std::max(0, heightFor(w));
        SetRanges(0, h + 2 * DeskMargin);
        break;
    case vmCustom: {
        SetHorzPosition(0);
        SetVertPosition(0);
        // The whole client width stands for the page at the scale: no shadow added.
        w = std::max(0, Nearest(Wp * viewScale_ * ScreenPixelsPerInch() / j.PrinterDpiX() / 100) + 2);
        h = std::max(0, heightFor(w));
        SetRanges(w + 2 * DeskMargin, vRange_);
        left = BoxClientWidth() > hRange_ ? (BoxClientWidth() - w) / 2 : DeskMargin;
        SetRanges(hRange_, h + 2 * DeskMargin);
        top = BoxClientHeight() > vRange_ ? (BoxClientHeight() - h) / 2 : DeskMargin;
        break;
    }
    }
    panel_->setGeometry(left, top, w, h);
    if (viewMode_ != vmCustom)
        viewScale_ = Nearest(double(std::int64_t(w) * 100 * j.PrinterDpiX()) / Wp / ScreenPixelsPerInch());
    return true;
}

void TCustomPreview::Render()
{
    TCustomPrintJob& j = *job_->GetPrintJob(pageIndex_);
    j.UpdatePageSize();
    const TRect R = j.GetPageExtent();
    PageMetafile& meta = panel_->Metafile();
    meta.Reset(R.Right, R.Bottom, j.PrinterDpiX(), j.PrinterDpiY());
    {
        // Ends the recording also when drawing throws.
        plat::Canvas canvas(&meta);
        struct Done {
            TDrawPanel* panel;
            ~Done() { panel->MetafileChanged(); }
        } done{panel_};
        canvas.FillRect({0, 0, meta.Width(), meta.Height()});
        job_->DrawPage(canvas, pageIndex_, dtPreview);
    }
    panel_->update();
    panel_->show();
}

void TCustomPreview::RefreshLinked()
{
    const auto linked = linked_;
    for (TPreviewLinked* c : linked) {
        try {
            c->Update();
        } catch (...) {
            // One control's fault does not keep the others stale.
        }
    }
}

void TCustomPreview::Update()
{
    if (!constructed_)
        return;
    if (!job_ || !job_->PrinterAvailable()) {
        panel_->hide();
        return;
    }
    if (pageIndex_ > job_->PageCount())
        pageIndex_ = job_->PageCount();
    panel_->SetColor(color_);

    std::exception_ptr layoutError;
    bool pageHasSize = true;
    try {
        const bool outer = inLayout_;
        inLayout_ = true;
        struct Restore {
            bool& flag;
            bool value;
            ~Restore() { flag = value; }
        } restore{inLayout_, outer};
        pageHasSize = Layout();
    } catch (...) {
        layoutError = std::current_exception();
    }
    if (pageHasSize)
        Render();
    else
        panel_->hide();
    if (layoutError)
        std::rethrow_exception(layoutError);
    RefreshLinked();
    if (OnUpdate)
        OnUpdate(*this);
}

// ---- Input ------------------------------------------------------------------------------------

bool TCustomPreview::HandleKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers & Qt::ControlModifier;
    const int clientW = BoxClientWidth();
    const int clientH = BoxClientHeight();
    QScrollBar* hbar = box_->horizontalScrollBar();
    QScrollBar* vbar = box_->verticalScrollBar();
    switch (key) {
    case Qt::Key_PageUp:
        if (ctrl)
            vbar->setValue(0);
        else if (vbar->value() > 0)
            vbar->setValue(vbar->value() - clientH + Increment);
        else
            SetPageIndex(pageIndex_ - 1);
        return true;
    case Qt::Key_PageDown:
        if (ctrl)
            vbar->setValue(vbar->maximum());
        else if (vbar->value() < vbar->maximum())
            vbar->setValue(vbar->value() + clientH - Increment);
        else
            SetPageIndex(pageIndex_ + 1);
        return true;
    case Qt::Key_Up:
        vbar->setValue(vbar->value() - Increment);
        return true;
    case Qt::Key_Down:
        vbar->setValue(vbar->value() + Increment);
        return true;
    case Qt::Key_Left:
        hbar->setValue(hbar->value() - (ctrl ? clientW - Increment : Increment));
        return true;
    case Qt::Key_Right:
        hbar->setValue(hbar->value() + (ctrl ? clientW - Increment : Increment));
        return true;
    case Qt::Key_Home:
        hbar->setValue(0);
        if (ctrl)
            vbar->setValue(0);
        return true;
    case Qt::Key_End:
        hbar->setValue(hbar->maximum());
        if (ctrl)
            vbar->setValue(vbar->maximum());
        return true;
    default:
        return false;
    }
}

void TCustomPreview::HandleWheel(int delta)
{
    const std::int64_t total = std::int64_t(delta) * viewScale_ + wheelRemainder_;
    const std::int64_t step = total / 480;
    wheelRemainder_ = int(total - step * 480);
    SetVertPosition(VertPosition() - int(step));
}

bool TCustomPreview::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* e = static_cast<QKeyEvent*>(event);
        if (HandleKey(e->key(), e->modifiers()))
            return true;
        break;
    }
    case QEvent::Wheel: {
        auto* e = static_cast<QWheelEvent*>(event);
        if (e->angleDelta().y() != 0) {
            HandleWheel(e->angleDelta().y());
            return true;
        }
        break;
    }
    case QEvent::Resize:
        // The view's size is settled only once the box has been laid out,
        // which for a window not yet shown happens when it shows: a new
        // size is the preview's resize. A size the layout's own scroll
        // bars cause is not.
        if (watched == box_->viewport()) {
            FitDesk();
            if (!inLayout_)
                Update();
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TCustomPreview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The box's view follows, and its resize updates the preview.
    box_->setGeometry(rect());
}

void TCustomPreview::keyPressEvent(QKeyEvent* event)
{
    if (HandleKey(event->key(), event->modifiers()))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void TCustomPreview::wheelEvent(QWheelEvent* event)
{
    if (event->angleDelta().y() != 0) {
        HandleWheel(event->angleDelta().y());
        event->accept();
    } else {
        QWidget::wheelEvent(event);
    }
}

} // namespace printing
