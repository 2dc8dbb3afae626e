#pragma once
// Reading a whole file that the program is given (profile, language file,
// map script, picture): only regular files, never waiting on a FIFO or a
// device in the file's place, and never more than a limit.
#include <cstddef>
#include <string>

namespace plat {

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
