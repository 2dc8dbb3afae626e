// Shared entry point of the test programs. Tests that need widgets create
// the application object on first use and keep it for the whole run. The
// process ends without running static destructors: Qt's global objects may
// already be gone when a static application or widget is destroyed, and
// that crash after a passed run would count as a failure.
//
// No test sees this machine's printers: the print system's client is
// pointed at a server socket that does not exist, so Qt lists no queue and
// has no default one. The CUPS tests start a server of their own, which
// takes over the variable before the first test.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

int main(int argc, char** argv)
{
    ::setenv("CUPS_SERVER", "/nonexistent/tolv-tests-have-no-print-server", 1);
    testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(rc);
}
