#pragma once
// The print system's English texts, by their string-table ids, and the
// substitution of the three format texts. Formatting is our own: a format
// text is never handed to printf, so no text a user typed can act as one.
#include <initializer_list>
#include <string>

namespace printing {

enum : int {
    sNextPage = 65280,
    sLastPage = 65281,
    sWholePage = 65282,
    sPageWidth = 65283,
    sZoomOut = 65284,
    sZoomIn = 65285,
    sRefresh = 65286,
    sClose = 65287,
    sViewModeAndScale = 65299,
    sNotLinked = 65300,
    sWholePageFormat = 65301,
    sPageWidthFormat = 65302,
    sPageOfFormat = 65303,
    sPageWidthItem = 65304,
    sWholePageItem = 65305,
    sInvalidScale = 65306,
    sPrint = 65307,
    sPrintDialog = 65308,
    sPrinterSetupDialog = 65309,
    sFirstPage = 65310,
    sPreviousPage = 65311,
};

// The text of an id; empty for an id the table does not hold.
const std::string& LoadStr(int id);

// The format text with each %d replaced by the next number (decimal) and
// %% by %. A %d without a number left becomes empty; any other % stays.
std::string FormatInts(const std::string& format, std::initializer_list<int> numbers);

} // namespace printing
