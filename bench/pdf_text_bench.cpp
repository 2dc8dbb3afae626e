// Coordinates written on a draft page as the board output writes them: one
// label "column,row" per hexagon of a full 40 x 80 board, each measured for
// centring and then drawn, in the default font. Also the first use of a
// font in a document (fontconfig match, metrics, widths) on its own.
#include "pdf/PdfVell.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include <unistd.h>

namespace {

std::string ScratchFile()
{
    return "/tmp/tolv_text_bench_" + std::to_string(::getpid()) + ".pdf";
}

void BM_HexLabels(benchmark::State& state)
{
    pdf::TPdfVell pdf;
    pdf.SetFileName(ScratchFile());
    for (auto _ : state) {
        pdf.BeginDoc();
        pdf::TPdfCanvas& c = pdf.Canvas();
        c.Font.Size = 6;
        for (int col = 0; col < 40; ++col)
            for (int row = 0; row < 80; ++row) {
                const std::string label = std::to_string(col) + "," + std::to_string(row);
                const int w = c.TextWidth(label);
                c.TextOut(50 + col * 50 - w / 2, 50 + row * 35, label);
            }
        pdf.EndDoc();
    }
    state.SetItemsProcessed(state.iterations() * 40 * 80);
    std::remove(pdf.FileName().c_str());
}
BENCHMARK(BM_HexLabels)->Unit(benchmark::kMillisecond);

void BM_FirstUseOfAFont(benchmark::State& state)
{
    pdf::TPdfVell pdf;
    pdf.SetFileName(ScratchFile());
    for (auto _ : state) {
        pdf.BeginDoc();
        pdf.Canvas().TextOut(100, 100, "x");
        pdf.EndDoc();
    }
    std::remove(pdf.FileName().c_str());
}
BENCHMARK(BM_FirstUseOfAFont)->Unit(benchmark::kMillisecond);

} // namespace
