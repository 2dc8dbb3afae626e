#pragma once
// TPreviewComboBox: the scale box. Its list offers the whole page, the page
// width and the zoom steps; typing a percentage and Enter sets it. It shows
// the linked preview's scale text and is refreshed after each of the
// preview's updates.
#include "printing/PSPreview.h"

#include <QComboBox>

#include <functional>
#include <optional>
#include <string>

namespace printing {

// The percentage a typed or picked text stands for: its digits, with at most
// one fraction after a full stop, rounded half to even ("12.5" is 12);
// every other character is ignored. Nothing when there are no digits.
// Large values come out as MaxViewScale + 1 at most, so they still clamp.
std::optional<int> ScaleFromText(const std::string& text);

class TPreviewComboBox : public QComboBox, public TPreviewLinkedControl {
    Q_OBJECT

public:
    using TComboEvent = std::function<void(TPreviewComboBox& Sender)>;

    explicit TPreviewComboBox(QWidget* parent = nullptr);

    void SetPreview(TCustomPreview* preview) override;

    // At the end of every Update.
    TComboEvent OnUpdate;

    // The text := the preview's scale text, or "not linked".
    void Update() override;

    // The thirteen lines of the list, built anew at every drop-down.
    void RebuildItems();
    // The user picked line `index`.
    void Pick(int index);
    // Enter on the edit text.
    void Confirm();

    std::string Text() const;

    void showPopup() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Sets vmCustom and the scale the text gives; the message on failure.
    void ApplyScaleText(const std::string& text);
    void FocusPreview();
};

} // namespace printing
