#include "uninstaller/widgets/WinXP.h"

#include "uninstaller/widgets/FormFrame.h"

#include <stdexcept>

namespace uninst {

namespace {

// Checked before the object joins its owner, so a refused one is never a child.
QObject* CheckedOwner(QObject* owner)
{
    if (!qobject_cast<TForm*>(owner))
        throw std::runtime_error("Control parent must be a form!");
    if (!owner->findChildren<TWinXP*>(Qt::FindDirectChildrenOnly).isEmpty())
        throw std::runtime_error("Only one instance of TWinXP allowed on form");
    return owner;
}

} // namespace

TWinXP::TWinXP(QObject* owner) : QObject(CheckedOwner(owner)) {}

} // namespace uninst
