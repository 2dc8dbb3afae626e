#pragma once
// Paper sizes as printers offer them. Print systems name one size in
// several ways ("US Letter" on a queue, "Letter / ANSI A" for a file
// printer), so a paper is told by its size, never by its name.
#include <string>
#include <vector>

namespace plat {

// A paper a printer offers: its name there and the sheet in points, upright.
struct Paper {
    std::string name;
    double width = 0;
    double height = 0;
    friend bool operator==(const Paper&, const Paper&) = default;
};

// The papers of one printer, and which of them it takes unless told (-1: none).
struct PaperList {
    std::vector<Paper> papers;
    int defaultIndex = -1;
};

// The same sheet: both sides within a point.
bool SameSheet(const Paper& a, const Paper& b);
// The index of the paper of the list that is the same sheet; -1 when none.
int FindPaper(const std::vector<Paper>& papers, const Paper& paper);
// What stays of `paper` on a printer with these papers: the same sheet when
// it has it, else its default paper (-1 when it has none of either).
int KeptPaper(const PaperList& list, const Paper& paper);

} // namespace plat
