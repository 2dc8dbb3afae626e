#include "editor/board/StartUp.h"

#include <algorithm>

namespace tolv {

std::string StripTrailingDelimiter(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

StartPaths DeriveStartPaths(const std::string& programDir, const std::vector<std::string>& args)
{
    StartPaths p;
    p.ProgramDir = StripTrailingDelimiter(programDir);
    if (!args.empty() && !args.front().empty())
        p.WorkDir = StripTrailingDelimiter(args.front());
    else
        p.WorkDir = p.ProgramDir;
    p.PicturesDir = p.ProgramDir + "/Pics/";
    return p;
}

int ClampJpegQuality(int q)
{
    return std::clamp(q, 10, 100);
}

std::string StatusVersionText()
{
    return "   V1.10 / 02.01.2006";
}

} // namespace tolv
