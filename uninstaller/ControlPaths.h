#pragma once
// The control file names files and folders as Windows paths. Here they are
// placed on this system through a drive map, and removed without following
// symbolic links and without ever touching anything beyond the named entry:
// an uninstaller runs with the user's rights over a whole home folder, and a
// control file is not trusted to stay inside the installation.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace uninst {

// Where each drive letter of the control file lies: UNINSTALL_DRIVE_C=/dir
// maps "C:\". Only absolute folders are taken; a drive without a folder is
// unmapped and every path on it is refused.
class DriveMap {
public:
    static DriveMap FromEnvironment();
    // Returns false (and maps nothing) for a letter that is none or a folder that is not absolute.
    bool Map(char letter, const std::string& dir);
    // The folder of the drive, nullptr when unmapped.
    const std::string* Find(char letter) const;

private:
    std::array<std::string, 26> dirs_;
};

// A control-file path placed here: a base folder that is trusted as it is
// (a mapped drive's folder or "/") and the names below it, walked one by one.
struct PlacedPath {
    std::string base;
    std::vector<std::string> names;   // none: the base itself
    friend bool operator==(const PlacedPath&, const PlacedPath&) = default;
};

// An absolute POSIX path ("/...") is taken as it is; "X:\..." goes through
// the drive map. "\" and "/" both separate names, and one separator may end
// the path. Refused (nothing): an unmapped drive, a drive-relative "X:name",
// a UNC or root-relative "\..." path, any other relative path, an empty,
// "." or ".." name, a NUL byte.
std::optional<PlacedPath> PlacePath(std::string_view path, const DriveMap& drives);

// The Windows parts of a control-file path: the folder part up to and with
// the last "\", "/" or ":", and the name after it.
std::string DirectoryPart(std::string_view path);
std::string FileNamePart(std::string_view path);

// Each name is looked up in its folder as Windows would find it: the exact
// name first, else the one entry that equals it without regard to case; two
// or more such entries match nothing. No symbolic link is followed on the
// way; a link as the last name is the entry itself.
//
// Deletes a file, a link or any other entry that is no folder.
bool DeletePlacedFile(const PlacedPath& path);
// Removes an empty folder (never recursively); never the base itself.
bool RemovePlacedDir(const PlacedPath& path);
// The path on disk of the entry as the lookup finds it (a link not
// resolved), nothing when a name is missing or ambiguous.
std::optional<std::string> LocatePlacedPath(const PlacedPath& path);

// Shorthands: place, then act; a refused path is a failed deletion.
bool DeleteControlFile(std::string_view path, const DriveMap& drives);
bool RemoveControlDir(std::string_view path, const DriveMap& drives);

} // namespace uninst
