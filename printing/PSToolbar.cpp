#include "printing/PSToolbar.h"

#include "platform/Dialogs.h"
#include "platform/Printer.h"
#include "printing/PSCommon.h"
#include "printing/PSGlyphs.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QToolButton>

#include <exception>

namespace printing {

namespace {

constexpr std::array<int, GlyphCount> HintIds{
    sPrint,     sPrintDialog, sPrinterSetupDialog, sFirstPage, sPreviousPage, sNextPage, sLastPage,
    sWholePage, sPageWidth,   sZoomOut,            sZoomIn,    sRefresh,      sClose,
};

QIcon IconOf(const QImage& image)
{
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

} // namespace

const std::string& ButtonHint(TButtonKind k)
{
    static const std::string none;
    return k < GlyphCount ? LoadStr(HintIds[k]) : none;
}

TCustomPreviewToolbar::TCustomPreviewToolbar(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFixedHeight(BarHeight);
    for (int k = 0; k < ButtonKindCount; ++k) {
        const auto kind = TButtonKind(k);
        auto* b = new QToolButton(this);
        b->setGeometry(0, 1, ButtonSize, ButtonSize);
        b->setIconSize(QSize(GlyphSize, GlyphSize));
        b->setFocusPolicy(Qt::NoFocus);
        if (k < GlyphCount)
            b->setIcon(IconOf(Glyph(k)));
        b->setProperty("tag", k);
        connect(b, &QToolButton::clicked, this, [this, kind] {
            // Nothing thrown may cross the event loop: show it as the
            // application's error box would.
            try {
                ButtonClick(kind);
            } catch (const std::exception& e) {
                plat::ShowMessage(e.what(), QGuiApplication::applicationDisplayName().toStdString(),
                                  plat::MsgIcon::Error);
            }
        });
        btns_[k] = b;
        if (kind == options_.ScaleBoxPos) {
            box_ = new TPreviewComboBox(this);
            box_->move(0, (BarHeight - box_->height()) / 2);
            box_->setToolTip(QString::fromStdString(LoadStr(sViewModeAndScale)));
        }
    }
    ApplyHints();
    SetFlat(true);
    ArrangeButtons();
}

void TCustomPreviewToolbar::SetPreview(TCustomPreview* preview)
{
    if (!Relink(preview))
        return;
    box_->SetPreview(preview);
    ArrangeButtons();
}

void TCustomPreviewToolbar::SetOptions(const TToolbarOptions& v)
{
    SetButtons(v.Buttons);
    SetFlat(v.Flat);
    SetScaleBox(v.ScaleBox);
    SetScaleBoxPos(v.ScaleBoxPos);
    SetShowHint(v.ShowHint);
    SetUserButtonEnabled(v.UserButtonEnabled);
    SetUserButtonGlyph(v.UserButtonGlyph);
    SetUserButtonHint(v.UserButtonHint);
}

void TCustomPreviewToolbar::SetButtons(TButtons v)
{
    if (StoreIfChanged(options_.Buttons, v))
        ArrangeButtons();
}

void TCustomPreviewToolbar::SetFlat(bool v)
{
    options_.Flat = v;
    for (QToolButton* b : btns_)
        b->setAutoRaise(v);
}

void TCustomPreviewToolbar::SetScaleBox(bool v)
{
    if (StoreIfChanged(options_.ScaleBox, v))
        ArrangeButtons();
}

void TCustomPreviewToolbar::SetScaleBoxPos(TButtonKind v)
{
    if (StoreIfChanged(options_.ScaleBoxPos, v))
        ArrangeButtons();
}

void TCustomPreviewToolbar::SetShowHint(bool v)
{
    options_.ShowHint = v;
    ApplyHints();
}

void TCustomPreviewToolbar::ApplyHints()
{
    for (int k = 0; k < ButtonKindCount; ++k) {
        const std::string& hint = k == btnUser ? options_.UserButtonHint : ButtonHint(TButtonKind(k));
        btns_[k]->setToolTip(options_.ShowHint ? QString::fromStdString(hint) : QString());
    }
    box_->setToolTip(options_.ShowHint ? QString::fromStdString(LoadStr(sViewModeAndScale)) : QString());
}

void TCustomPreviewToolbar::SetUserButtonEnabled(bool v)
{
    if (StoreIfChanged(options_.UserButtonEnabled, v))
        btns_[btnUser]->setEnabled(v);
}

void TCustomPreviewToolbar::SetUserButtonGlyph(const QImage& glyph)
{
    options_.UserButtonGlyph = glyph;
    btns_[btnUser]->setIcon(IconOf(options_.UserButtonGlyph));
}

void TCustomPreviewToolbar::SetUserButtonHint(const std::string& v)
{
    if (StoreIfChanged(options_.UserButtonHint, v))
        ApplyHints();
}

void TCustomPreviewToolbar::ArrangeButtons()
{
    int n = 0;
    const TToolbarOptions& o = options_;
    box_->setVisible(o.ScaleBox);
    for (int k = 0; k < ButtonKindCount; ++k) {
        QToolButton* b = btns_[k];
        const bool visible = o.Buttons.Contains(TButtonKind(k));
        b->setVisible(visible);
        const int slot = 1 + ButtonSize * n;
        b->move(slot, b->y());
        if (visible)
            ++n;
        if (o.ScaleBox && k >= o.ScaleBoxPos)
            b->move(b->x() + box_->width() + 4, b->y());
        // The box takes the slot that button k takes or would take.
        if (o.ScaleBox && k == o.ScaleBoxPos)
            box_->move(slot + 2, box_->y());
    }
    btns_[btnUser]->setIcon(IconOf(o.UserButtonGlyph));
    UpdateButtons();
}

void TCustomPreviewToolbar::UpdateButtons()
{
    if (!preview_ || !preview_->PrintJob() || !preview_->PrintJob()->PrinterAvailable())
        return;
    const int page = preview_->PageIndex();
    const int pages = preview_->PrintJob()->PageCount();
    btns_[btnFirstPage]->setEnabled(page > 1);
    btns_[btnPrevPage]->setEnabled(page > 1);
    btns_[btnNextPage]->setEnabled(page < pages);
    btns_[btnLastPage]->setEnabled(page < pages);
    btns_[btnZoomOut]->setEnabled(preview_->ViewScale() > MinViewScale);
    btns_[btnZoomIn]->setEnabled(preview_->ViewScale() < MaxViewScale);
    box_->setEnabled(true);
}

void TCustomPreviewToolbar::RunPrintAction(TCustomPrintJob& job, void (TCustomPrintJob::*action)())
{
    // The print loop keeps the window alive between pages: a second click
    // would start a run inside the running one.
    if (printAction_ || job.Printer().Printing())
        return;
    printAction_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{printAction_};
    (job.*action)();
}

void TCustomPreviewToolbar::ButtonClick(TButtonKind Button)
{
    struct Refresh {
        TCustomPreviewToolbar& bar;
        ~Refresh() { bar.UpdateButtons(); }
    } refresh{*this};

    bool allowDefault = true;
    if (OnButtonClick)
        OnButtonClick(*this, Button, allowDefault);
    if (!allowDefault)
        return;
    if (Button == btnClose) {
        if (QWidget* form = window(); form && form != this)
            form->close();
    } else if (Button == btnUser) {
        if (OnUserButtonClick)
            OnUserButtonClick(*this);
    }
    if (!preview_ || !preview_->PrintJob())
        return;
    TCustomPreview& p = *preview_;
    TCustomPrintJob& job = *p.PrintJob();
    switch (Button) {
    case btnPrint: RunPrintAction(job, &TCustomPrintJob::Print); break;
    case btnPrintDialog: RunPrintAction(job, &TCustomPrintJob::PrintDialog); break;
    case btnPrinterSetupDialog: RunPrintAction(job, &TCustomPrintJob::PrinterSetupDialog); break;
    case btnFirstPage: p.SetPageIndex(1); break;
    case btnPrevPage: p.SetPageIndex(p.PageIndex() - 1); break;
    case btnNextPage: p.SetPageIndex(p.PageIndex() + 1); break;
    case btnLastPage: p.SetPageIndex(job.PageCount()); break;
    case btnWholePage: p.SetViewMode(vmWholePage); break;
    case btnPageWidth: p.SetViewMode(vmPageWidth); break;
    case btnZoomOut: p.ZoomOut(); break;
    case btnZoomIn: p.ZoomIn(); break;
    case btnRefresh: job.Update(); break;
    case btnClose:
    case btnUser: break;
    }
}

void TCustomPreviewToolbar::Update()
{
    UpdateButtons();
    if (OnUpdate)
        OnUpdate(*this);
}

} // namespace printing
