#include "printing/PSStatusBar.h"

#include <QPainter>
#include <QSizeGrip>
#include <QStyleOption>
#include <qdrawutil.h>

#include <algorithm>

namespace printing {

TCustomPreviewStatusBar::TCustomPreviewStatusBar(QWidget* parent) : QWidget(parent)
{
    setFixedHeight(BarHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    CreateGrip();
}

void TCustomPreviewStatusBar::SetPreview(TCustomPreview* preview)
{
    if (Relink(preview))
        Update();
}

void TCustomPreviewStatusBar::SetOptions(const TStatusBarOptions& v)
{
    SetPagePanelWidth(v.PagePanelWidth);
    SetPanels(v.Panels);
    SetScalePanelWidth(v.ScalePanelWidth);
    SetUserText(v.UserText);
    SetSizeGrip(v.SizeGrip);
}

void TCustomPreviewStatusBar::SetPanels(TPanels v)
{
    if (StoreIfChanged(options_.Panels, v))
        Update();
}

void TCustomPreviewStatusBar::SetPagePanelWidth(int v)
{
    if (StoreIfChanged(options_.PagePanelWidth, v))
        Update();
}

void TCustomPreviewStatusBar::SetScalePanelWidth(int v)
{
    if (StoreIfChanged(options_.ScalePanelWidth, v))
        Update();
}

void TCustomPreviewStatusBar::SetUserText(const std::string& v)
{
    if (StoreIfChanged(options_.UserText, v))
        Update();
}

void TCustomPreviewStatusBar::SetSizeGrip(bool v)
{
    if (!StoreIfChanged(options_.SizeGrip, v))
        return;
    CreateGrip();
    Update();
}

// The grip is made anew with the style, as the bar's window would be.
void TCustomPreviewStatusBar::CreateGrip()
{
    delete grip_;
    grip_ = nullptr;
    if (!options_.SizeGrip)
        return;
    grip_ = new QSizeGrip(this);
    PlaceGrip();
    grip_->show();
}

void TCustomPreviewStatusBar::PlaceGrip()
{
    if (!grip_)
        return;
    const QSize s = grip_->sizeHint().boundedTo(QSize(BarHeight, BarHeight));
    grip_->setGeometry(width() - s.width(), height() - s.height(), s.width(), s.height());
}

void TCustomPreviewStatusBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceGrip();
}

void TCustomPreviewStatusBar::Update()
{
    if (parentWidget() && preview_) {
        const TStatusBarOptions& o = options_;
        edges_.clear();
        texts_.clear();
        if (o.Panels.Contains(pnPage)) {
            edges_.push_back(o.PagePanelWidth);
            texts_.push_back(preview_->PageText());
        }
        if (o.Panels.Contains(pnScale)) {
            edges_.push_back(o.ScalePanelWidth + (o.Panels.Contains(pnPage) ? o.PagePanelWidth : 0));
            texts_.push_back(preview_->ScaleText());
        }
        edges_.push_back(preview_->width());
        texts_.push_back(o.UserText);
        QWidget::update();
    }
    if (OnUpdate)
        OnUpdate(*this);
}

void TCustomPreviewStatusBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    int left = 0;
    const int gripWidth = grip_ ? grip_->width() : 0;
    for (std::size_t i = 0; i < edges_.size(); ++i) {
        int right = std::min(edges_[i], width());
        // The last part leaves the grip its corner.
        if (i + 1 == edges_.size())
            right = std::min(right, width() - gripWidth);
        if (right <= left + 2)
            break;
        const QRect part(left, 2, right - left - 2, height() - 2);
        qDrawShadePanel(&p, part, palette(), true, 1);
        p.setPen(palette().color(QPalette::ButtonText));
        const QRect textRect = part.adjusted(3, 0, -2, 0);
        p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                   fontMetrics().elidedText(QString::fromStdString(texts_[i]), Qt::ElideRight, textRect.width()));
        left = right;
    }
}

} // namespace printing
