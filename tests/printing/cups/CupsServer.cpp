#include "CupsServer.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tolv::test {

namespace {

// Where Debian puts the scheduler and its admin tools, beside PATH.
std::string FindTool(const std::string& name)
{
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    path += ":/usr/sbin:/sbin:/usr/bin";
    std::stringstream dirs(path);
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const fs::path candidate = fs::path(dir) / name;
        if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return {};
}

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path) << text;
}

} // namespace

CupsServer::CupsServer()
{
    const std::string cupsd = FindTool("cupsd");
    if (cupsd.empty() || FindTool("lpadmin").empty()) {
        missing_ = true;
        failure_ = "cupsd or lpadmin is not installed (package cups)";
        return;
    }
    std::string pattern = (fs::temp_directory_path() / "tolv-cups-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        failure_ = "no temporary folder";
        return;
    }
    dir_ = pattern;
    // The scheduler runs its filters as another user when started as root:
    // they must reach the folders and write the printed files.
    ::chmod(dir_.c_str(), 0755);
    for (const char* sub : {"spool", "tmp", "cache", "state", "log", "out", "ppd"}) {
        fs::create_directory(dir_ / sub);
        ::chmod((dir_ / sub).c_str(), 01777);
    }
    const std::string socket = (dir_ / "cups.sock").string();
    WriteText(dir_ / "cupsd.conf",
              "Listen " + socket + "\n"
              "LogLevel info\nWebInterface No\nBrowsing No\n"
              "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
              "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
              "<Policy default>\n  <Limit All>\n    Order allow,deny\n    Allow all\n  </Limit>\n</Policy>\n");
    const std::string d = dir_.string();
    WriteText(dir_ / "cups-files.conf",
              "ServerRoot " + d + "\nRequestRoot " + d + "/spool\nTempDir " + d + "/tmp\n"
              "CacheDir " + d + "/cache\nStateDir " + d + "/state\n"
              "ErrorLog " + d + "/log/error_log\nAccessLog " + d + "/log/access_log\n"
              "PageLog " + d + "/log/page_log\nFileDevice Yes\nSandboxing Relaxed\n");

    pid_ = ::fork();
    if (pid_ == 0) {
        const std::string conf = d + "/cupsd.conf";
        const std::string files = d + "/cups-files.conf";
        ::execl(cupsd.c_str(), "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::setenv("CUPS_SERVER", socket.c_str(), 1);
    for (int i = 0; i < 100; ++i) {
        if (fs::exists(socket) && run("lpstat -r").find("is running") != std::string::npos)
            return;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            failure_ = "cupsd ended at start: " + errorLog();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    failure_ = "cupsd did not answer: " + errorLog();
}

CupsServer::~CupsServer()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    if (!dir_.empty()) {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
}

std::string CupsServer::run(const std::string& command) const
{
    const std::string line = "CUPS_SERVER='" + (dir_ / "cups.sock").string() + "' PATH=\"$PATH:/usr/sbin:/sbin\" "
                             + command + " 2>&1";
    std::string out;
    if (FILE* p = ::popen(line.c_str(), "r")) {
        std::array<char, 512> buf{};
        while (std::fgets(buf.data(), static_cast<int>(buf.size()), p))
            out += buf.data();
        ::pclose(p);
    }
    return out;
}

std::string CupsServer::addQueue(const std::string& name, const std::string& driver)
{
    const std::string out = run("lpadmin -p '" + name + "' -E -v 'file://" + output(name).string()
                                + "' -m '" + driver + "' && echo QUEUE-ADDED");
    if (out.find("QUEUE-ADDED") != std::string::npos)
        return {};
    return out.empty() ? "lpadmin failed" : out;
}

std::string CupsServer::setDefault(const std::string& name)
{
    const std::string out = run("lpadmin -d '" + name + "' && echo DEFAULT-SET");
    return out.find("DEFAULT-SET") != std::string::npos ? std::string() : out;
}

bool CupsServer::waitIdle(int seconds)
{
    for (int i = 0; i < seconds * 10; ++i) {
        if (run("lpstat -o").empty())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

std::string CupsServer::errorLog() const
{
    std::ifstream in(dir_ / "log" / "error_log");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

namespace {

class CupsEnvironment : public ::testing::Environment {
public:
    void SetUp() override { server = std::make_unique<CupsServer>(); }
    void TearDown() override { server.reset(); }
    std::unique_ptr<CupsServer> server;
};

CupsEnvironment* const gEnvironment =
    static_cast<CupsEnvironment*>(::testing::AddGlobalTestEnvironment(new CupsEnvironment));

} // namespace

CupsServer& SharedCupsServer()
{
    return *gEnvironment->server;
}

void CupsTest::SetUp()
{
    ASSERT_NE(EnsureApplication(), nullptr);
    if (SharedCupsServer().missing())
        GTEST_SKIP() << SharedCupsServer().failure();
    ASSERT_EQ(SharedCupsServer().failure(), "");
}

int CupsTest::IndexOf(const plat::QtPrinter& printer, const std::string& name)
{
    const auto names = printer.Printers();
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

} // namespace tolv::test
