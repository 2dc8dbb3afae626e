#include "printing/PSCommon.h"

#include <array>
#include <charconv>
#include <utility>

namespace printing {

namespace {

constexpr std::array<std::pair<int, const char*>, 21> StringTable{{
    {sNextPage, "Next page"},
    {sLastPage, "Last page"},
    {sWholePage, "Whole page"},
    {sPageWidth, "Page width"},
    {sZoomOut, "Zoom out"},
    {sZoomIn, "Zoom in"},
    {sRefresh, "Refresh"},
    {sClose, "Close"},
    {sViewModeAndScale, "View mode and scale"},
    {sNotLinked, "not linked"},
    {sWholePageFormat, "Whole page (%d%%)"},
    {sPageWidthFormat, "Page width (%d%%)"},
    {sPageOfFormat, "Page %d of %d"},
    {sPageWidthItem, "Page width"},
    {sWholePageItem, "Whole page"},
    {sInvalidScale, "Invalid scale value"},
    {sPrint, "Print"},
    {sPrintDialog, "Print dialog"},
    {sPrinterSetupDialog, "Printer setup dialog"},
    {sFirstPage, "First page"},
    {sPreviousPage, "Previous page"},
}};

} // namespace

const std::string& LoadStr(int id)
{
    // Built once: callers keep references for their lifetime.
    static const std::array<std::string, StringTable.size()> texts = [] {
        std::array<std::string, StringTable.size()> t;
        for (std::size_t i = 0; i < StringTable.size(); ++i)
            t[i] = StringTable[i].second;
        return t;
    }();
    static const std::string none;
    for (std::size_t i = 0; i < StringTable.size(); ++i)
        if (StringTable[i].first == id)
            return texts[i];
    return none;
}

std::string FormatInts(const std::string& format, std::initializer_list<int> numbers)
{
    std::string out;
    auto next = numbers.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '%' && i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            ++i;
        } else if (c == '%' && i + 1 < format.size() && format[i + 1] == 'd') {
            if (next != numbers.end()) {
                char buf[16];
                const auto r = std::to_chars(buf, buf + sizeof buf, *next++);
                out.append(buf, r.ptr);
            }
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace printing
