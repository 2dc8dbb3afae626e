#pragma once
// One application object for every widget test of this program: the
// program's own TApplication when no other test made one first.
#include "editor/Unit1App.h"

#include <QApplication>

namespace tolv::flow {

inline QApplication* EnsureApplication()
{
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return app;
    static int argc = 1;
    static char name[] = "editor_tests";
    static char* argv[] = {name, nullptr};
    static TApplication app(argc, argv);
    return &app;
}

} // namespace tolv::flow
