#include "platform/Paper.h"

#include <cmath>

namespace plat {

bool SameSheet(const Paper& a, const Paper& b)
{
    return std::abs(a.width - b.width) <= 1 && std::abs(a.height - b.height) <= 1;
}

int FindPaper(const std::vector<Paper>& papers, const Paper& paper)
{
    for (std::size_t i = 0; i < papers.size(); ++i)
        if (SameSheet(papers[i], paper))
            return static_cast<int>(i);
    return -1;
}

int KeptPaper(const PaperList& list, const Paper& paper)
{
    const int same = FindPaper(list.papers, paper);
    if (same >= 0)
        return same;
    const bool hasDefault = list.defaultIndex >= 0 && list.defaultIndex < static_cast<int>(list.papers.size());
    return hasDefault ? list.defaultIndex : -1;
}

} // namespace plat
