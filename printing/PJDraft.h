#pragma once
// A print job without content of its own: each sheet shows Scale x Scale
// pages of another job, its source, reduced into a grid of cells filled
// row by row, optionally with dotted lines between the cells. It follows
// the source: whenever the source updates, the draft job takes over its
// page count (reduced), page size and orientation.
#include "printing/PSJob.h"

namespace printing {

// The refusal of a link that would make a job show itself.
inline constexpr const char* DraftSelfLinkText = "TDraftPrintJob cannot link with himself";

class TCustomDraftPrintJob : public TCustomPrintJob {
public:
    static constexpr int MinScale = 2;
    static constexpr int MaxScale = 10;

    using TCustomPrintJob::TCustomPrintJob;
    ~TCustomDraftPrintJob() override;

    // The source, not owned. A link whose source chain leads back to this
    // job throws EPrintJobException and changes nothing.
    TCustomPrintJob* PrintJob() const { return source_; }
    void SetPrintJob(TCustomPrintJob* J);
    // Cells per sheet edge, kept within 2..10.
    int Scale() const { return scale_; }
    void SetScale(int v);
    bool Separators() const { return separators_; }
    void SetSeparators(bool v);

    // Takes over the source's page count and geometry, then runs the
    // update cascade without notifying draft jobs of its own.
    void Update() override;
    // The source's pages of this sheet, each into its cell. Cells cover the
    // part of the sheet the printer reaches, in sheet coordinates on every
    // target: on the printer the offsets are taken off once, for the whole
    // sheet, and the sources draw as they would on the sheet.
    void DrawPage(plat::Canvas& Canvas, int PageIndex, TDrawTarget Target) override;
    // A dotted black line; the canvas's pen and brush are kept.
    virtual void DrawSeparator(plat::Canvas& Canvas, const plat::TPoint& From, const plat::TPoint& To);

    // The cells of a sheet on the sheet: the source page size in pixels cut
    // to the printable part of the sheet.
    TRect CellsRect();

protected:
    void PrintJobRemoved(TCustomPrintJob& job) override;

private:
    void UpdateWithoutDraftNotify();
    void DrawCells(plat::Canvas& Canvas, int PageIndex, TDrawTarget Target, const TRect& R,
                   plat::TPoint shift);

    TCustomPrintJob* source_ = nullptr;
    int scale_ = MinScale;
    bool separators_ = false;
};

class TDraftPrintJob : public TCustomDraftPrintJob {
public:
    using TCustomDraftPrintJob::TCustomDraftPrintJob;
};

} // namespace printing
