#pragma once
// Helpers every test program may use: the run's one application object,
// a scratch folder per test, and whole-file reads and writes.
#include <filesystem>
#include <string>

class QApplication;

namespace tolv::test {

// The application object of the run, made on first use and never destroyed:
// Qt's own globals are gone by the time statics are. One made elsewhere
// first (a program's own application class) is returned as it is; nullptr
// when that one is no QApplication.
QApplication* EnsureApplication();

// A scratch folder named after the running test, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The whole file as bytes; "" when it cannot be read.
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

} // namespace tolv::test
