#pragma once
// The readers under test take file names: each input is written to a file in
// a private temporary folder first.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace fuzz {

inline const std::string& TempDir()
{
    static const std::string dir = [] {
        std::string base = "/dev/shm";
        if (access(base.c_str(), W_OK) != 0) {
            const char* tmp = std::getenv("TMPDIR");
            base = tmp && *tmp ? tmp : "/tmp";
        }
        std::string templ = base + "/tolvfuzz.XXXXXX";
        if (!mkdtemp(templ.data()))
            std::abort();
        return templ;
    }();
    static const bool cleanup = [] {
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(TempDir(), ec);
        });
        return true;
    }();
    (void)cleanup;
    return dir;
}

// Writes the input to name inside the temp folder and returns the path.
inline std::string WriteInput(const char* name, const std::uint8_t* data, std::size_t size)
{
    const std::string path = TempDir() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    if (size && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
    return path;
}

} // namespace fuzz
