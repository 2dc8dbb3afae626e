// The editor's code needs the program's own application class (its event
// delivery shows escaped exceptions): every test of this program that asks
// for the application object gets a TApplication.
#include "editor/Unit1App.h"

#include "support/TestSupport.h"

namespace {

QApplication* MakeEditorApplication(int& argc, char** argv)
{
    return new tolv::TApplication(argc, argv);
}

[[maybe_unused]] const bool installed =
    (tolv::test::SetApplicationFactory(MakeEditorApplication), true);

} // namespace
