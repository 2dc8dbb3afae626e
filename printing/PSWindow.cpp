#include "printing/PSWindow.h"

#include <QGuiApplication>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

namespace printing {

QFont ToQFont(const plat::TFont& font)
{
    QFont f(QString::fromStdString(font.Name));
    // A negative height is the character height in pixels; a positive one
    // the whole cell, near enough the same for a window's text.
    f.setPixelSize(std::max(1, font.Height < 0 ? -font.Height : font.Height));
    f.setBold((font.Style & plat::fsBold) != 0);
    f.setItalic((font.Style & plat::fsItalic) != 0);
    return f;
}

// ---- The live window ----------------------------------------------------------------------------

TPreviewForm::TPreviewForm(TCustomPreviewWindow& window, QWidget* parent) : QDialog(parent), window_(window)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Preview = new TPreview(this);
    Toolbar = new TPreviewToolbar(this);
    Toolbar->SetPreview(Preview);
    StatusBar = new TPreviewStatusBar(this);
    StatusBar->SetPreview(Preview);
    layout->addWidget(Toolbar);
    layout->addWidget(Preview, 1);
    layout->addWidget(StatusBar);
    // Esc closes the window from wherever the focus is.
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, [this] { window_.FormClose(); });
}

void TPreviewForm::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    window_.PlacementChanged(*this);
}

void TPreviewForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    window_.PlacementChanged(*this);
}

void TPreviewForm::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        window_.PlacementChanged(*this);
}

// ---- The component ------------------------------------------------------------------------------

TCustomPreviewWindow::TCustomPreviewWindow(QWidget* parent, TWindowEvent onCreate) : parent_(parent)
{
    if (onCreate)
        onCreate(*this);
}

TCustomPreviewWindow::~TCustomPreviewWindow()
{
    if (OnDestroy)
        OnDestroy(*this);
    delete form_;
}

void TCustomPreviewWindow::Execute()
{
    if (!form_)
        form_ = new TPreviewForm(*this, parent_);
    // Freed only once its modal loop has returned, never from inside it: a
    // print run started from the toolbar may still be on the stack when the
    // window closes.
    std::unique_ptr<TPreviewForm> form(form_);
    // Forgotten before it is freed, also when applying the settings throws.
    struct Forget {
        TPreviewForm*& live;
        TPreviewForm* mine;
        ~Forget()
        {
            if (live == mine)
                live = nullptr;
        }
    } forget{form_, form.get()};
    ApplySettings(*form);
    if (OnShow)
        OnShow(*this);
    form->exec();
}

void TCustomPreviewWindow::FormClose()
{
    if (OnClose)
        OnClose(*this);
    form_ = nullptr;
}

void TCustomPreviewWindow::UpdatePreview()
{
    if (job_ && form_ && form_->Preview)
        form_->Preview->Update();
}

void TCustomPreviewWindow::PreviewPageChanged()
{
    if (OnPageChanged)
        OnPageChanged(*this);
}

void TCustomPreviewWindow::ApplyFlags(TPreviewForm& form)
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (borderIcons_.Contains(biSystemMenu))
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (borderIcons_.Contains(biMinimize))
        flags |= Qt::WindowMinimizeButtonHint;
    if (borderIcons_.Contains(biMaximize))
        flags |= Qt::WindowMaximizeButtonHint;
    if (borderIcons_.Contains(biHelp))
        flags |= Qt::WindowContextHelpButtonHint;
    switch (borderStyle_) {
    case TFormBorderStyle::bsNone: flags |= Qt::FramelessWindowHint; break;
    case TFormBorderStyle::bsToolWindow:
    case TFormBorderStyle::bsSizeToolWin: flags |= Qt::Tool; break;
    default: break;
    }
    const bool visible = form.isVisible();
    form.setWindowFlags(flags);
    const bool fixed = borderStyle_ == TFormBorderStyle::bsSingle || borderStyle_ == TFormBorderStyle::bsDialog ||
                       borderStyle_ == TFormBorderStyle::bsToolWindow;
    form.setSizeGripEnabled(false);
    if (fixed)
        form.setFixedSize(form.size());
    else {
        form.setMinimumSize(0, 0);
        form.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    // Changing the flags hides a window.
    if (visible)
        form.show();
}

void TCustomPreviewWindow::ApplyPlacement(TPreviewForm& form)
{
    form.resize(width_, height_);
    switch (position_) {
    case poScreenCenter:
    case poDesktopCenter:
        if (QScreen* screen = form.screen() ? form.screen() : QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            form.move(area.left() + (area.width() - width_) / 2, area.top() + (area.height() - height_) / 2);
        }
        break;
    case poDesigned:
        form.move(left_, top_);
        break;
    default:
        break;      // the window manager places it
    }
    // Once the window has been open, it comes back where it was last seen:
    // the position rule places only a window that was never shown.
    if (placementSeen_)
        form.move(left_, top_);
    // A window reopened minimised would look like nothing happened.
    form.setWindowState(windowState_ == wsMaximized ? Qt::WindowMaximized : Qt::WindowNoState);
}

void TCustomPreviewWindow::PlacementChanged(TPreviewForm& form)
{
    if (&form != form_ || !form.isVisible())
        return;
    const Qt::WindowStates state = form.windowState();
    if (state & Qt::WindowMinimized)
        return;     // the normal placement stays what it was
    windowState_ = (state & Qt::WindowMaximized) ? wsMaximized : wsNormal;
    // A maximised window keeps the bounds it returns to.
    const QRect g = (state & Qt::WindowMaximized) ? form.normalGeometry() : form.geometry();
    if (g.isValid()) {
        placementSeen_ = true;
        left_ = form.pos().x() - form.geometry().x() + g.x();
        top_ = form.pos().y() - form.geometry().y() + g.y();
        width_ = g.width();
        height_ = g.height();
    }
}

void TCustomPreviewWindow::ApplySettings(TPreviewForm& form)
{
    ApplyFlags(form);
    form.setWindowTitle(QString::fromStdString(caption_));
    form.setFont(ToQFont(font_));
    form.setWindowIcon(icon_);
    ApplyPlacement(form);

    TPreview& p = *form.Preview;
    // Page writes made while applying do not reach OnPageChanged.
    p.OnPageChanged = nullptr;
    p.SetPageIndex(1);
    p.SetDragScroll(dragScroll_);
    p.SetScrollTracking(scrollTracking_);
    p.SetViewMode(viewMode_);
    p.SetViewScale(viewScale_);
    p.SetColor(color_);
    p.SetShadowColor(shadowColor_);
    p.SetShadowSize(shadowSize_);
    p.SetPrintJob(job_);
    p.OnPageChanged = [this](TCustomPreview&) { PreviewPageChanged(); };

    form.Toolbar->SetOptions(toolbar_);
    form.Toolbar->OnUserButtonClick = onUserButtonClick_;
    form.StatusBar->SetOptions(statusBar_);
}

// ---- Setters ------------------------------------------------------------------------------------

void TCustomPreviewWindow::SetPrintJob(TCustomPrintJob* v)
{
    if (v == job_)
        return;
    job_ = v;
    // Clearing the job leaves the live window showing what it shows.
    if (job_ && form_)
        form_->Preview->SetPrintJob(job_);
    UpdatePreview();
}

void TCustomPreviewWindow::SetBorderIcons(TBorderIcons v)
{
    Forward(borderIcons_, v, [this](TPreviewForm& f) { ApplyFlags(f); });
}

void TCustomPreviewWindow::SetBorderStyle(TFormBorderStyle v)
{
    Forward(borderStyle_, v, [this](TPreviewForm& f) { ApplyFlags(f); });
}

void TCustomPreviewWindow::SetCaption(const std::string& v)
{
    Forward(caption_, v, [&](TPreviewForm& f) { f.setWindowTitle(QString::fromStdString(v)); });
}

void TCustomPreviewWindow::SetFont(const plat::TFont& v)
{
    font_ = v;
    if (form_)
        form_->setFont(ToQFont(font_));
}

void TCustomPreviewWindow::SetIcon(const QIcon& v)
{
    icon_ = v;
    if (form_)
        form_->setWindowIcon(icon_);
}

void TCustomPreviewWindow::SetPosition(TPosition v)
{
    Forward(position_, v, [this](TPreviewForm& f) { ApplyPlacement(f); });
}

void TCustomPreviewWindow::SetWindowState(TWindowState v)
{
    Forward(windowState_, v, [&](TPreviewForm& f) {
        f.setWindowState(v == wsMaximized ? Qt::WindowMaximized : v == wsMinimized ? Qt::WindowMinimized
                                                                                    : Qt::WindowNoState);
    });
}

void TCustomPreviewWindow::SetWindowLeft(int v)
{
    Forward(left_, v, [&](TPreviewForm& f) { f.move(v, f.pos().y()); });
}

void TCustomPreviewWindow::SetWindowTop(int v)
{
    Forward(top_, v, [&](TPreviewForm& f) { f.move(f.pos().x(), v); });
}

void TCustomPreviewWindow::SetWindowWidth(int v)
{
    Forward(width_, v, [&](TPreviewForm& f) { f.resize(v, f.height()); });
}

void TCustomPreviewWindow::SetWindowHeight(int v)
{
    Forward(height_, v, [&](TPreviewForm& f) { f.resize(f.width(), v); });
}

void TCustomPreviewWindow::SetColor(plat::TColor v)
{
    Forward(color_, v, [&](TPreviewForm& f) { f.Preview->SetColor(v); });
}

void TCustomPreviewWindow::SetShadowColor(plat::TColor v)
{
    Forward(shadowColor_, v, [&](TPreviewForm& f) { f.Preview->SetShadowColor(v); });
}

void TCustomPreviewWindow::SetShadowSize(int v)
{
    Forward(shadowSize_, v, [&](TPreviewForm& f) { f.Preview->SetShadowSize(v); });
}

int TCustomPreviewWindow::PageIndex() const
{
    return form_ ? form_->Preview->PageIndex() : 1;
}

void TCustomPreviewWindow::SetPageIndex(int v)
{
    if (form_)
        form_->Preview->SetPageIndex(v);
}

void TCustomPreviewWindow::SetDragScroll(bool v)
{
    Forward(dragScroll_, v, [&](TPreviewForm& f) { f.Preview->SetDragScroll(v); });
}

void TCustomPreviewWindow::SetScrollTracking(bool v)
{
    Forward(scrollTracking_, v, [&](TPreviewForm& f) { f.Preview->SetScrollTracking(v); });
}

void TCustomPreviewWindow::SetViewMode(TViewMode v)
{
    Forward(viewMode_, v, [&](TPreviewForm& f) { f.Preview->SetViewMode(v); });
}

void TCustomPreviewWindow::SetViewScale(int v)
{
    Forward(viewScale_, v, [&](TPreviewForm& f) { f.Preview->SetViewScale(v); });
}

void TCustomPreviewWindow::SetToolbarOptions(const TToolbarOptions& v)
{
    Forward(toolbar_, v, [&](TPreviewForm& f) { f.Toolbar->SetOptions(v); });
}

void TCustomPreviewWindow::SetStatusBarOptions(const TStatusBarOptions& v)
{
    Forward(statusBar_, v, [&](TPreviewForm& f) { f.StatusBar->SetOptions(v); });
}

void TCustomPreviewWindow::SetOnUserButtonClick(TCustomPreviewToolbar::TToolbarEvent v)
{
    onUserButtonClick_ = std::move(v);
    if (form_)
        form_->Toolbar->OnUserButtonClick = onUserButtonClick_;
}

} // namespace printing
