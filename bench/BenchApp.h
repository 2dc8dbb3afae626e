#pragma once
// The application object that widgets and text need in a benchmark program,
// made on first use (offscreen unless the environment names a platform).
#include <QApplication>

namespace bench {

inline QApplication& App()
{
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: Qt's own globals are gone by the time statics are.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

} // namespace bench
