#include "support/TestSupport.h"

#include "platform/QtDialogs.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace tolv::test {

namespace {

// Constant-initialised, so a factory installed from another file's static
// initialiser is never overwritten.
ApplicationFactory g_factory = nullptr;

QApplication* MakePlainApplication(int& argc, char** argv)
{
    return new QApplication(argc, argv);
}

// The folder name part for a test: parameterised tests are named "Name/0".
std::string FolderPart(const char* name)
{
    std::string s = name ? name : "test";
    for (char& c : s)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-'))
            c = '_';
    return s;
}

} // namespace

void SetApplicationFactory(ApplicationFactory factory)
{
    g_factory = factory;
}

QApplication* EnsureApplication()
{
    if (QCoreApplication* existing = QCoreApplication::instance())
        return qobject_cast<QApplication*>(existing);
    // The program's own name, as a real start would pass it.
    static int argc = 1;
    static char* argv[] = {program_invocation_short_name, nullptr};
    static QApplication* app = [] {
        QApplication* made = (g_factory ? g_factory : MakePlainApplication)(argc, argv);
        // The faces the programs' windows see.
        plat::SubstituteWindowsFaces();
        return made;
    }();
    return app;
}

TempDir::TempDir()
{
    // A number per folder keeps two of one test apart.
    static std::atomic<int> made{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("tolv-" + FolderPart(info ? info->name() : nullptr) + "-" + std::to_string(::getpid()) +
             "-" + std::to_string(made++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out.push_back(line);
    }
    return out;
}

std::vector<std::uint8_t> WithJpegFrameSize(std::vector<std::uint8_t> data, int w, int h)
{
    for (std::size_t i = 0; i + 9 < data.size(); ++i)
        if (data[i] == 0xFF && data[i + 1] == 0xC0) {
            data[i + 5] = std::uint8_t(h >> 8);
            data[i + 6] = std::uint8_t(h);
            data[i + 7] = std::uint8_t(w >> 8);
            data[i + 8] = std::uint8_t(w);
            return data;
        }
    ADD_FAILURE() << "no SOF0 marker";
    return data;
}

} // namespace tolv::test
