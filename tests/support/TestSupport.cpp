#include "support/TestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace tolv::test {

QApplication* EnsureApplication()
{
    if (QCoreApplication* existing = QCoreApplication::instance())
        return qobject_cast<QApplication*>(existing);
    // The program's own name, as a real start would pass it.
    static int argc = 1;
    static char* argv[] = {program_invocation_short_name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return app;
}

TempDir::TempDir()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("tolv-" + std::string(info ? info->name() : "test") + "-" + std::to_string(::getpid()));
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

} // namespace tolv::test
