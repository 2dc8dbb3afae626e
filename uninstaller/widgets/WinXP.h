#pragma once
#include <QObject>

namespace uninst {

// Placed once on a form so that it is drawn in the desktop's current style
// (Qt always does; the component keeps its rules). Raises "Control parent
// must be a form!" for an owner that is no form, "Only one instance of
// TWinXP allowed on form" for a second one; a construction that raises
// leaves nothing behind.
class TWinXP : public QObject {
    Q_OBJECT
public:
    explicit TWinXP(QObject* owner);
};

} // namespace uninst
