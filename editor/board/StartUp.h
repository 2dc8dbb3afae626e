#pragma once
// What the main window's creation fixes before anything is read: its
// directories, the JPEG quality it allows and the version of its status bar.
#include <string>
#include <vector>

namespace tolv {

// Directories fixed once by the main window's creation.
struct StartPaths {
    std::string ProgramDir;    // no trailing "/"
    std::string WorkDir;       // holds the profile; no trailing "/"
    std::string PicturesDir;   // ProgramDir + "/Pics/"
};

// args are the command-line arguments after the program name; the first one,
// when present and not empty, names the work directory.
StartPaths DeriveStartPaths(const std::string& programDir, const std::vector<std::string>& args);

// Removes trailing "/" (a lone "/" stays).
std::string StripTrailingDelimiter(std::string path);

// PdfJpgC as start-up limits it.
int ClampJpegQuality(int q);

// Status bar panel 0: the version.
std::string StatusVersionText();

} // namespace tolv
