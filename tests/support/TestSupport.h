#pragma once
// Helpers every test program may use: the run's one application object,
// a scratch folder per test, whole-file reads and writes, and text lines.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class QApplication;

namespace tolv::test {

// Makes the application object from the run's argc/argv; both live to the
// end of the process.
using ApplicationFactory = QApplication* (*)(int& argc, char** argv);

// A program whose code needs its own application class installs its factory
// before the first EnsureApplication, from a static initialiser, so that no
// test can make a plain QApplication first.
void SetApplicationFactory(ApplicationFactory factory);

// The application object of the run, made on first use (through the
// installed factory, else a plain QApplication) and never destroyed: Qt's own
// globals are gone by the time statics are. One made elsewhere first is
// returned as it is; nullptr when that one is no QApplication.
QApplication* EnsureApplication();

// A scratch folder of its own, named after the running test, removed
// afterwards. Several may live at once.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

// The whole file as bytes; "" when it cannot be read.
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// A baseline JPEG file whose frame header claims w x h pixels; its scan
// data stays that of the picture it was made from.
std::vector<std::uint8_t> WithJpegFrameSize(std::vector<std::uint8_t> data, int w, int h);

// The text's lines without their line ends (LF or CR LF); a last line
// without a line end counts, nothing after a final line end does.
std::vector<std::string> Lines(const std::string& text);

} // namespace tolv::test
