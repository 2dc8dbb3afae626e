#pragma once
// TPreviewStatusBar: the preview's page and scale and a caller's text in
// sunken parts of fixed width, the last part stretching, with a size grip.
#include "platform/EnumSet.h"
#include "printing/PSPreview.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QSizeGrip;

namespace printing {

enum TPanelKind : std::uint8_t { pnPage, pnScale };
using TPanels = plat::EnumSet<TPanelKind, 2>;

// The status bar's settings as one value, so that the preview window keeps
// and hands on the set as a whole.
struct TStatusBarOptions {
    int PagePanelWidth = 100;
    TPanels Panels{pnPage, pnScale};
    int ScalePanelWidth = 100;
    std::string UserText;
    bool SizeGrip = true;
    friend bool operator==(const TStatusBarOptions&, const TStatusBarOptions&) = default;
};

class TCustomPreviewStatusBar : public QWidget, public TPreviewLinkedControl {
    Q_OBJECT

public:
    using TStatusEvent = std::function<void(TCustomPreviewStatusBar& Sender)>;

    static constexpr int BarHeight = 19;

    explicit TCustomPreviewStatusBar(QWidget* parent = nullptr);

    void SetPreview(TCustomPreview* preview) override;
    // All settings at once, each through its setter below, in the order
    // of the members.
    const TStatusBarOptions& Options() const { return options_; }
    void SetOptions(const TStatusBarOptions& v);
    TPanels Panels() const { return options_.Panels; }
    void SetPanels(TPanels v);
    int PagePanelWidth() const { return options_.PagePanelWidth; }
    void SetPagePanelWidth(int v);
    int ScalePanelWidth() const { return options_.ScalePanelWidth; }
    void SetScalePanelWidth(int v);
    const std::string& UserText() const { return options_.UserText; }
    void SetUserText(const std::string& v);
    bool SizeGrip() const { return options_.SizeGrip; }
    void SetSizeGrip(bool v);

    TStatusEvent OnUpdate;

    // The parts' right edges and texts from the panels and the preview.
    void Update() override;

    // What the bar shows: the right edge of each part and its text.
    const std::vector<int>& PartEdges() const { return edges_; }
    const std::vector<std::string>& PartTexts() const { return texts_; }
    QSizeGrip* Grip() const { return grip_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateGrip();
    void PlaceGrip();

    TStatusBarOptions options_;
    QSizeGrip* grip_ = nullptr;
    std::vector<int> edges_;
    std::vector<std::string> texts_;
};

class TPreviewStatusBar : public TCustomPreviewStatusBar {
    Q_OBJECT

public:
    using TCustomPreviewStatusBar::TCustomPreviewStatusBar;
};

} // namespace printing
