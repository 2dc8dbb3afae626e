#pragma once
// The control file names files and folders as Windows paths. Here they are
// placed on this system through a drive map, and removed without following
// symbolic links and without ever touching anything beyond the named entry:
// an uninstaller runs with the user's rights over a whole home folder, and a
// control file is not trusted to stay inside the installation.
#include <array>
#include <cstdint>
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
    // The folders of all mapped drives.
    std::vector<std::string> Folders() const;
    // Where absolute POSIX paths of the control file lie: "/" unless a test
    // keeps them inside a sandbox. Only an absolute folder is taken.
    bool MapPosixRoot(const std::string& dir);
    const std::string& PosixRoot() const { return posixRoot_; }

private:
    std::array<std::string, 26> dirs_;
    std::string posixRoot_ = "/";
};

// A control-file path placed here: a base folder that is trusted as it is
// (a mapped drive's folder or "/") and the names below it, walked one by one.
struct PlacedPath {
    std::string base;
    std::vector<std::string> names;   // none: the base itself
    friend bool operator==(const PlacedPath&, const PlacedPath&) = default;
};

// An absolute POSIX path ("/...") is taken as it is (below the POSIX root
// of the map); "X:\..." goes through
// the drive map. "\" and "/" both separate names. Read as Windows reads a
// path: repeated separators and "." names fall away, and on a drive each
// name loses its trailing dots and blanks ("Tolvplan. " is "Tolvplan").
// Refused (nothing): an unmapped drive, a drive-relative "X:name", a UNC or
// root-relative "\..." path, any other relative path, a NUL byte, and a
// name of nothing but dots and blanks (".." above all): nothing climbs out
// of the folder it names.
std::optional<PlacedPath> PlacePath(std::string_view path, const DriveMap& drives);

// Paths that Windows takes for the same entry have the same key: the base,
// and the names without regard to case.
std::string EntryKey(const PlacedPath& path);

// The Windows parts of a control-file path: the folder part up to and with
// the last "\", "/" or ":", and the name after it.
std::string DirectoryPart(std::string_view path);
std::string FileNamePart(std::string_view path);

// The entry as it lies on disk, each name looked up in its folder as Windows
// would find it: the path's own spelling, then each of `spellings` (other
// paths with the same EntryKey, in their order), where one is there as it
// is; else the one entry that equals it without regard to case. Two or more
// such entries, a missing name, or a link or file on the way give nothing.
// A link as the last name is the entry itself.
std::optional<PlacedPath> ResolvePlacedPath(const PlacedPath& path,
                                            const std::vector<PlacedPath>& spellings = {});

// On a path whose names are spelt as they lie on disk (as ResolvePlacedPath
// gives them): no lookup without regard to case, no link followed.
//
// Deletes a file, a link or any other entry that is no folder.
bool DeletePlacedFile(const PlacedPath& resolved);
// Removes an empty folder (never recursively); never the base itself.
bool RemovePlacedDir(const PlacedPath& resolved);

// The path of this system that the placed path stands for, names as they are.
std::string JoinPlacedPath(const PlacedPath& path);
// The path on disk of the entry as ResolvePlacedPath finds it (a link not
// resolved), nothing when a name is missing or ambiguous.
std::optional<std::string> LocatePlacedPath(const PlacedPath& path);

// Shorthands: place, resolve, then act; a refused path is a failed deletion.
bool DeleteControlFile(std::string_view path, const DriveMap& drives);
bool RemoveControlDir(std::string_view path, const DriveMap& drives);

// A folder's identity on disk, whatever path reaches it.
struct FolderId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FolderId&, const FolderId&) = default;
};
// The folder a resolved path names, when it is one: no link at any level,
// the last name included.
std::optional<FolderId> PlacedFolderId(const PlacedPath& resolved);
// The folder at a path of this system, links followed.
std::optional<FolderId> FolderIdOf(const std::string& dir);

// A file the program was given by a path of this system (its control file,
// its own file): the folders on the way may be links and are followed; the
// file itself is removed as an entry, a link as a link.
bool DeleteGivenFile(const std::string& path);

enum class InsideDeletion { Deleted, Outside, Failed };
// As DeleteGivenFile, but only when the folder the file really lies in is
// one of `folders` or lies below one of them.
InsideDeletion DeleteGivenFileInside(const std::string& path, const std::vector<FolderId>& folders);

} // namespace uninst
