#pragma once
// TPreviewToolbar: fourteen flat buttons and the scale box that work a
// preview: printing, the print and printer-setup dialogs, paging, view
// modes, zoom, refresh, close and one button for the caller. The buttons
// are placed in kind order, the scale box in the slot before ScaleBoxPos.
#include "platform/EnumSet.h"
#include "printing/PSCombo.h"
#include "printing/PSPreview.h"

#include <QFrame>
#include <QImage>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class QToolButton;

namespace printing {

enum TButtonKind : std::uint8_t {
    btnPrint, btnPrintDialog, btnPrinterSetupDialog, btnFirstPage, btnPrevPage, btnNextPage,
    btnLastPage, btnWholePage, btnPageWidth, btnZoomOut, btnZoomIn, btnRefresh, btnClose, btnUser,
};
inline constexpr int ButtonKindCount = 14;

using TButtons = plat::EnumSet<TButtonKind, ButtonKindCount>;

inline constexpr TButtons DefaultButtons{btnPrint,    btnPrinterSetupDialog, btnFirstPage, btnPrevPage,
                                         btnNextPage, btnLastPage,           btnZoomOut,   btnZoomIn};

// The toolbar's settings as one value, so that the preview window keeps
// and hands on the set as a whole.
struct TToolbarOptions {
    TButtons Buttons = DefaultButtons;
    bool Flat = true;
    bool ScaleBox = true;
    TButtonKind ScaleBoxPos = btnZoomOut;
    bool ShowHint = true;
    bool UserButtonEnabled = true;
    QImage UserButtonGlyph;
    std::string UserButtonHint;
    friend bool operator==(const TToolbarOptions&, const TToolbarOptions&) = default;
};

class TCustomPreviewToolbar : public QFrame, public TPreviewLinkedControl {
    Q_OBJECT

public:
    using TToolbarEvent = std::function<void(TCustomPreviewToolbar& Sender)>;
    using TButtonClickEvent =
        std::function<void(TCustomPreviewToolbar& Sender, TButtonKind Button, bool& AllowDefault)>;

    static constexpr int ButtonSize = 24;
    static constexpr int BarHeight = 26;

    explicit TCustomPreviewToolbar(QWidget* parent = nullptr);

    void SetPreview(TCustomPreview* preview) override;
    // All settings at once, each through its setter below, in the order
    // of the members.
    const TToolbarOptions& Options() const { return options_; }
    void SetOptions(const TToolbarOptions& v);
    TButtons Buttons() const { return options_.Buttons; }
    void SetButtons(TButtons v);
    bool Flat() const { return options_.Flat; }
    void SetFlat(bool v);
    bool ScaleBox() const { return options_.ScaleBox; }
    void SetScaleBox(bool v);
    TButtonKind ScaleBoxPos() const { return options_.ScaleBoxPos; }
    void SetScaleBoxPos(TButtonKind v);
    bool ShowHint() const { return options_.ShowHint; }
    void SetShowHint(bool v);
    bool UserButtonEnabled() const { return options_.UserButtonEnabled; }
    void SetUserButtonEnabled(bool v);
    const QImage& UserButtonGlyph() const { return options_.UserButtonGlyph; }
    void SetUserButtonGlyph(const QImage& glyph);
    const std::string& UserButtonHint() const { return options_.UserButtonHint; }
    void SetUserButtonHint(const std::string& v);

    TToolbarEvent OnUpdate;
    TToolbarEvent OnUserButtonClick;
    // May veto a button's action (AllowDefault := false), Close included.
    TButtonClickEvent OnButtonClick;

    // Places the buttons and the scale box; then the button states.
    void ArrangeButtons();
    // Enables paging and zoom by the preview's page and scale.
    void UpdateButtons();
    // What a click on a button does.
    virtual void ButtonClick(TButtonKind Button);
    void Update() override;

    QToolButton* Button(TButtonKind k) const { return btns_[k]; }
    TPreviewComboBox* ScaleBoxControl() const { return box_; }
    // A print, print dialog or printer setup started here is running.
    bool PrintActionRunning() const { return printAction_; }

private:
    void ApplyHints();
    void RunPrintAction(TCustomPrintJob& job, void (TCustomPrintJob::*action)());

    std::array<QToolButton*, ButtonKindCount> btns_{};
    TPreviewComboBox* box_ = nullptr;
    TToolbarOptions options_;
    bool printAction_ = false;
};

class TPreviewToolbar : public TCustomPreviewToolbar {
    Q_OBJECT

public:
    using TCustomPreviewToolbar::TCustomPreviewToolbar;
};

// The hint of a kind from the string table; empty for the user button.
const std::string& ButtonHint(TButtonKind k);

} // namespace printing
