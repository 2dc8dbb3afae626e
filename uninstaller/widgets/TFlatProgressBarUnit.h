#pragma once
// A flat progress bar drawn by the program itself: a one-pixel frame around
// a background, and either one continuous bar or a row of blocks separated
// by one pixel of background, horizontal (growing to the right) or vertical
// (growing upward).
#include "platform/Canvas.h"
#include "platform/Colour.h"

#include <QWidget>

#include <cstdint>
#include <vector>

namespace uninst {

enum class TProgressBarOrientation { pbHorizontal, pbVertical };
enum class TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// What decides where the bar's elements go.
struct BarLayout {
    int Width = 147;
    int Height = 16;
    bool Smooth = false;
    TProgressBarOrientation Orientation = TProgressBarOrientation::pbHorizontal;
    TBiDiMode BiDiMode = TBiDiMode::bdLeftToRight;
    int BlockWidth = 8;
    int Position = 0;
    int Min = 0;
    int Max = 100;
};

// The length a block bar takes so that whole blocks fill it: at least 12,
// else BlockWidth + 1 per block plus 3 for the frame and the last gap.
int SnappedLength(int length, int blockWidth);
// The filled rectangles: one for a smooth bar (none while empty), one per
// filled block. An empty range or a bar too short for one block fills nothing.
std::vector<plat::TRect> ElementRects(const BarLayout& layout);

class TFlatProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit TFlatProgressBar(QWidget* parent = nullptr);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool v);
    bool UseAdvColors() const { return useAdvColors_; }
    void SetUseAdvColors(bool v);
    int AdvColorBorder() const { return advColorBorder_; }
    void SetAdvColorBorder(int v);   // 0..100
    TProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TProgressBarOrientation v);
    TBiDiMode BiDiMode() const { return biDiMode_; }
    void SetBiDiMode(TBiDiMode v);
    int BlockWidth() const { return blockWidth_; }
    plat::TColor ColorElement() const { return colors_[0]; }
    plat::TColor ColorBorder() const { return colors_[1]; }
    // Index 0 the bar, 1 the frame; other indexes store nothing.
    void SetColors(int index, plat::TColor value);
    void SetColorElement(plat::TColor v) { SetColors(0, v); }
    void SetColorBorder(plat::TColor v) { SetColors(1, v); }
    // The background: the parent's colour while ParentColor is set.
    plat::TColor Color() const;
    void SetColor(plat::TColor v);   // clears ParentColor
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);

    int Position() const { return position_; }
    // Clamped to Max, then to Min (Min wins when above Max). Growth paints
    // the filled part at once; a smaller value repaints the whole bar.
    void SetPosition(int v);
    int Min() const { return min_; }
    void SetMin(int v);              // Position stays where it is
    int Max() const { return max_; }
    void SetMax(int v);              // lowers Position when below it
    int Step() const { return step_; }
    void SetStep(int v);

    BarLayout Layout() const;
    // Block mode: the length along the orientation made a whole number of blocks.
    void SnapToBlocks();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void RefreshAdvColors();
    void PaintElements(plat::Canvas& canvas);

    bool transparent_ = false;
    bool smooth_ = false;
    bool useAdvColors_ = false;
    int advColorBorder_ = 50;
    TProgressBarOrientation orientation_ = TProgressBarOrientation::pbHorizontal;
    TBiDiMode biDiMode_ = TBiDiMode::bdLeftToRight;
    int blockWidth_ = 8;
    plat::TColor colors_[2] = {0x996633, 0x8396A0};
    plat::TColor color_ = 0xE1EAEB;
    bool parentColor_ = true;
    int position_ = 0;
    int min_ = 0;
    int max_ = 100;
    int step_ = 10;
};

} // namespace uninst
