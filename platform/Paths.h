#pragma once
// Path helpers. Paths use "/" throughout; the name part of ".profile" has no
// extension (a leading dot starts a hidden name, not an extension).
#include <cstddef>
#include <string>

namespace plat {

// Directory of the running executable (from /proc/self/exe), no trailing slash.
std::string ProgramDir();
// The working directory, as bytes; "." when it cannot be told.
std::string CurrentDir();
// Joins with a single "/".
std::string JoinPath(const std::string& dir, const std::string& name);
std::string ExtractFilePath(const std::string& path);   // up to and including the last "/"
std::string ExtractFileName(const std::string& path);   // after the last "/"
std::string ExtractFileExt(const std::string& path);    // ".ext" of the name part, or ""
std::string ChangeFileExt(const std::string& path, const std::string& ext);  // replace or append
// The system reads a name only up to a NUL byte: an empty name or one that
// holds a NUL would reach another file than the one named.
bool IsNameable(const std::string& path);
bool FileExists(const std::string& path);        // exists and is not a directory
bool DirectoryExists(const std::string& path);
// True when the file's mode has no write bit, or the process may not write it
// (also when it does not exist). Root passes access(), so the mode bits are
// what mark a file read-only there.
bool IsReadOnlyFile(const std::string& path);

// Reading a whole file that the program is given (profile, language file,
// map script, picture): only regular files, never waiting on a FIFO or a
// device in the file's place, and never more than a limit.
enum class FileReadResult {
    Ok,
    Missing,      // no such file (or a folder on the way is missing)
    NotRegular,   // a folder, FIFO, device or socket
    TooLarge,     // more than the limit
    Failed,       // could not be opened or read; errno tells why
};
// Reads the file at path into out (cleared first).
FileReadResult ReadRegularFile(const std::string& path, std::string& out, std::size_t maxBytes);

} // namespace plat
