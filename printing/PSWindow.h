#pragma once
// TPreviewWindow: every setting of a modal print-preview window, and the
// window on request. Execute builds the window (preview, toolbar, status
// bar), applies the settings and runs it modally; it returns when the user
// closes it. Settings written while it is open reach the live controls at
// once; its placement is copied back, so the next opening restores it.
#include "platform/Canvas.h"
#include "platform/EnumSet.h"
#include "printing/PSPreview.h"
#include "printing/PSStatusBar.h"
#include "printing/PSToolbar.h"

#include <QDialog>
#include <QIcon>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace printing {

enum TBorderIcon : std::uint8_t { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = plat::EnumSet<TBorderIcon, 4>;
enum class TFormBorderStyle : std::uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition : std::uint8_t {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
    poMainFormCenter, poOwnerFormCenter,
};
enum TWindowState : std::uint8_t { wsNormal, wsMinimized, wsMaximized };

class TCustomPreviewWindow;

// The live window: the preview fills it, the toolbar above, the status bar
// below. Esc anywhere in it closes it.
class TPreviewForm : public QDialog {
    Q_OBJECT

public:
    TPreviewForm(TCustomPreviewWindow& window, QWidget* parent);

    TPreview* Preview = nullptr;
    TPreviewToolbar* Toolbar = nullptr;
    TPreviewStatusBar* StatusBar = nullptr;

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    TCustomPreviewWindow& window_;
};

class TCustomPreviewWindow {
public:
    using TWindowEvent = std::function<void(TCustomPreviewWindow& Sender)>;

    // parent: the window the modal preview belongs to (may be null).
    // onCreate fires at the end of construction.
    explicit TCustomPreviewWindow(QWidget* parent = nullptr, TWindowEvent onCreate = {});
    virtual ~TCustomPreviewWindow();
    TCustomPreviewWindow(const TCustomPreviewWindow&) = delete;
    TCustomPreviewWindow& operator=(const TCustomPreviewWindow&) = delete;

    // Opens the window modally; returns when it is closed.
    void Execute();
    // The live preview renders again (when a job is set and a window is open).
    virtual void UpdatePreview();
    // Copies every setting onto a window, each through the target's setter.
    void ApplySettings(TPreviewForm& form);
    // The live window (null while none is open).
    TPreviewForm* Form() const { return form_; }

    // ---- Properties.
    TCustomPrintJob* PrintJob() const { return job_; }
    void SetPrintJob(TCustomPrintJob* v);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons v);
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle v);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v);
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool v) { ctl3D_ = v; }
    const plat::TFont& Font() const { return font_; }
    void SetFont(const plat::TFont& v);
    const QIcon& Icon() const { return icon_; }
    void SetIcon(const QIcon& v);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition v);
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState v);
    int WindowLeft() const { return left_; }
    void SetWindowLeft(int v);
    int WindowTop() const { return top_; }
    void SetWindowTop(int v);
    int WindowWidth() const { return width_; }
    void SetWindowWidth(int v);
    int WindowHeight() const { return height_; }
    void SetWindowHeight(int v);
    plat::TColor Color() const { return color_; }
    void SetColor(plat::TColor v);
    plat::TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(plat::TColor v);
    int ShadowSize() const { return shadowSize_; }
    void SetShadowSize(int v);
    // The live preview's page; 1 and ignored while no window is open.
    int PageIndex() const;
    void SetPageIndex(int v);
    bool DragScroll() const { return dragScroll_; }
    void SetDragScroll(bool v);
    bool ScrollTracking() const { return scrollTracking_; }
    void SetScrollTracking(bool v);
    TViewMode ViewMode() const { return viewMode_; }
    void SetViewMode(TViewMode v);
    int ViewScale() const { return viewScale_; }
    void SetViewScale(int v);
    // The toolbar's and the status bar's settings, each set handed on
    // whole to the open window's bar, which takes only what changed.
    const TToolbarOptions& ToolbarOptions() const { return toolbar_; }
    void SetToolbarOptions(const TToolbarOptions& v);
    const TStatusBarOptions& StatusBarOptions() const { return statusBar_; }
    void SetStatusBarOptions(const TStatusBarOptions& v);

    // ---- Events.
    TWindowEvent OnDestroy;
    TWindowEvent OnShow;        // settings applied, window not yet shown
    TWindowEvent OnClose;
    TWindowEvent OnUpdate;      // kept for callers; nothing fires it
    TWindowEvent OnPageChanged; // every write of the live preview's page
    const TCustomPreviewToolbar::TToolbarEvent& OnUserButtonClick() const { return onUserButtonClick_; }
    void SetOnUserButtonClick(TCustomPreviewToolbar::TToolbarEvent v);

    // ---- The live window's handlers.
    void FormClose();
    void PreviewPageChanged();
    // The window moved, was resized or changed its state.
    void PlacementChanged(TPreviewForm& form);

private:
    void ApplyPlacement(TPreviewForm& form);
    void ApplyFlags(TPreviewForm& form);
    template <class T, class Apply>
    void Forward(T& field, const T& v, Apply apply)
    {
        if (StoreIfChanged(field, v) && form_)
            apply(*form_);
    }

    QWidget* parent_;
    TPreviewForm* form_ = nullptr;
    TCustomPrintJob* job_ = nullptr;
    TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    std::string caption_;
    bool ctl3D_ = true;
    plat::TFont font_;
    QIcon icon_;
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    int left_ = 0, top_ = 0, width_ = 400, height_ = 500;
    // A placement was taken from an open window: later openings apply it.
    bool placementSeen_ = false;
    plat::TColor color_ = 0x808080;
    plat::TColor shadowColor_ = 0x404040;
    int shadowSize_ = 8;
    bool dragScroll_ = true;
    bool scrollTracking_ = false;
    TViewMode viewMode_ = vmWholePage;
    int viewScale_ = 0;
    TToolbarOptions toolbar_;
    TStatusBarOptions statusBar_;
    TCustomPreviewToolbar::TToolbarEvent onUserButtonClick_;
};

class TPreviewWindow : public TCustomPreviewWindow {
public:
    using TCustomPreviewWindow::TCustomPreviewWindow;
};

// The window's font as Qt draws it.
QFont ToQFont(const plat::TFont& font);

} // namespace printing
