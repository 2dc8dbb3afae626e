#include "pdf/PdfPaper.h"

#include <cstdint>
#include <cstdlib>
#include <langinfo.h>
#include <locale.h>

namespace pdf {

const std::array<PaperEntry, 42>& PaperTable()
{
    // B6 stands wider than high, as the table always had it.
    static const std::array<PaperEntry, 42> table = {{
        {"Custom", 0, 0},
        {"Letter", 2159, 2794},
        {"LetterSmall", 2159, 2794},
        {"Tabloid", 2794, 4318},
        {"Ledger", 4318, 2794},
        {"Legal", 2159, 3556},
        {"Statement", 1270, 2159},
        {"Executive", 1842, 2667},
        {"A3", 2970, 4200},
        {"A4", 2100, 2970},
        {"A4 Small", 2100, 2970},
        {"A5", 1480, 2100},
        {"B4", 2500, 3540},
        {"B5", 1820, 2570},
        {"Folio", 2159, 3302},
        {"Quarto", 2150, 2750},
        {"10 x 14 in", 2540, 3556},
        {"11 x 17 in", 2794, 4318},
        {"Note", 2159, 2794},
        {"Envelope #9", 984, 2254},
        {"Envelope #10", 1048, 2413},
        {"Envelope #11", 1043, 2635},
        {"Envelope #12", 1207, 2794},
        {"Envelope #14", 1270, 2921},
        {"C size sheet", 4318, 5588},
        {"D size sheet", 5588, 8636},
        {"E size sheet", 8636, 11176},
        {"DL", 1100, 2200},
        {"C5", 1620, 2290},
        {"C3", 3240, 4580},
        {"C4", 2290, 3240},
        {"C6", 1140, 1620},
        {"C65", 1140, 2290},
        {"B4", 2500, 3530},
        {"B5", 1760, 2500},
        {"B6", 1760, 1250},
        {"Envelope Italy", 1100, 2300},
        {"Monarch", 984, 1905},
        {"Envelope Personal", 921, 1651},
        {"US Standard Fanfold", 3778, 2794},
        {"German Standard Fanfold", 2159, 3048},
        {"German Legal Fanfold", 2159, 3302},
    }};
    return table;
}

namespace {

// glibc hands numeric items back in the pointer's bits.
unsigned int WordItem(nl_item item, locale_t loc)
{
    union {
        unsigned int word;
        char* string;
    } v{};
    v.string = nl_langinfo_l(item, loc);
    return v.word;
}

} // namespace

LocalePaperInfo QueryLocalePaper()
{
    LocalePaperInfo info;
    if (locale_t loc = newlocale(LC_PAPER_MASK, "", static_cast<locale_t>(nullptr))) {
        const unsigned int h = WordItem(_NL_PAPER_HEIGHT, loc);
        const unsigned int w = WordItem(_NL_PAPER_WIDTH, loc);
        if (w > 0 && h > 0 && w < 100000 && h < 100000) {
            info.HavePaper = true;
            info.WidthMm = static_cast<int>(w);
            info.HeightMm = static_cast<int>(h);
        }
        freelocale(loc);
    }
    if (locale_t loc = newlocale(LC_TELEPHONE_MASK, "", static_cast<locale_t>(nullptr))) {
        if (const char* p = nl_langinfo_l(_NL_TELEPHONE_INT_PREFIX, loc))
            info.DialPrefix = p;
        freelocale(loc);
    }
    return info;
}

int PaperIndexForSize(int widthMm, int heightMm)
{
    const auto& table = PaperTable();
    for (int i = 1; i <= PaperLast; ++i) {
        const PaperEntry& e = table[static_cast<std::size_t>(i)];
        if (std::abs(widthMm * 10 - e.Width) <= 5 && std::abs(heightMm * 10 - e.Height) <= 5)
            return i;
    }
    return 0;
}

int LocalePaperSizeFrom(const LocalePaperInfo& info)
{
    if (info.HavePaper) {
        if (int i = PaperIndexForSize(info.WidthMm, info.HeightMm); i > 0)
            return i;
    }
    if (info.DialPrefix == "1" || info.DialPrefix == "2")
        return PaperLetter;
    return PaperA4;
}

int LocalePaperSize()
{
    return LocalePaperSizeFrom(QueryLocalePaper());
}

int SanePaperIndex(int index)
{
    return index >= 1 && index <= PaperLast ? index : PaperA4;
}

} // namespace pdf
