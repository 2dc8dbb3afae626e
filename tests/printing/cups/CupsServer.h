#pragma once
// A CUPS scheduler of the test's own: configuration, spool, logs and
// printed files in a temporary folder, reached through its own socket.
// Nothing outside the folder is touched. CUPS_SERVER points at it for the
// rest of the process.
#include "platform/QtPrinter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace tolv::test {

class CupsServer {
public:
    CupsServer();
    ~CupsServer();
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;

    // Empty when the scheduler runs; else why it does not.
    const std::string& failure() const { return failure_; }
    // true when this machine has no scheduler to start: tests skip then.
    bool missing() const { return missing_; }

    // Adds an enabled queue with the driver (an lpinfo -m name) that prints
    // into the file out/<name>; empty on success, else lpadmin's words.
    std::string addQueue(const std::string& name, const std::string& driver);
    // Makes the queue the server's default destination; empty on success.
    std::string setDefault(const std::string& name);
    // The file a queue prints into.
    std::filesystem::path output(const std::string& name) const { return dir_ / "out" / name; }
    // Waits until no job is pending; false after the timeout.
    bool waitIdle(int seconds = 60);
    std::string errorLog() const;

private:
    std::string run(const std::string& command) const;

    std::filesystem::path dir_;
    std::string failure_;
    bool missing_ = false;
    pid_t pid_ = -1;
};

// The one server of the test program: started before the first test,
// stopped after the last (the program ends without static destructors).
CupsServer& SharedCupsServer();

// Tests on the shared server: skipped where the machine has no scheduler.
class CupsTest : public ::testing::Test {
protected:
    void SetUp() override;
    // A printer's index in the Qt printer's list; -1 when it is not there.
    static int IndexOf(const plat::QtPrinter& printer, const std::string& name);
};

} // namespace tolv::test
