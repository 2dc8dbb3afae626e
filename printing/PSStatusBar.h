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

class TCustomPreviewStatusBar : public QWidget, public TPreviewLinkedControl {
    Q_OBJECT

public:
    using TStatusEvent = std::function<void(TCustomPreviewStatusBar& Sender)>;

    static constexpr int BarHeight = 19;

    explicit TCustomPreviewStatusBar(QWidget* parent = nullptr);

    void SetPreview(TCustomPreview* preview) override;
    TPanels Panels() const { return panels_; }
    void SetPanels(TPanels v);
    int PagePanelWidth() const { return pageWidth_; }
    void SetPagePanelWidth(int v);
    int ScalePanelWidth() const { return scaleWidth_; }
    void SetScalePanelWidth(int v);
    const std::string& UserText() const { return userText_; }
    void SetUserText(const std::string& v);
    bool SizeGrip() const { return sizeGrip_; }
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

    TPanels panels_{pnPage, pnScale};
    int pageWidth_ = 100;
    int scaleWidth_ = 100;
    std::string userText_;
    bool sizeGrip_ = true;
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
