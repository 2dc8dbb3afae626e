#pragma once
// The windows' side of the language file: translatable texts and the menu
// tree described over Qt widgets, for the widget-free walk in LangFile.
#include "editor/LangFile.h"

#include <QAbstractButton>
#include <QLabel>
#include <QString>

#include <string>
#include <vector>

class QGroupBox;
class QMenuBar;
class QWidget;

namespace tolv {

// A control's text (labels, buttons, check and radio boxes).
template <typename W>
LangText TextOf(W* w)
{
    return MakeLangText([w] { return w->text().toStdString(); },
                        [w](const std::string& s) { w->setText(QString::fromStdString(s)); });
}
LangText TitleOf(QGroupBox* w);     // a group box's title
LangText HintOf(QWidget* w);        // a tooltip
LangText CaptionOf(QWidget* w);     // a window's title
LangText StringOf(std::string& s);  // a text the window keeps (dialog titles); s must outlive it

// The menu tree of a menu bar: every action's text (a sub-menu's title)
// with its sub-items; separators have no text and are skipped by the walk.
// The actions must outlive the returned tree.
std::vector<LangMenuItem> LangMenuFromMenuBar(QMenuBar& bar);

} // namespace tolv
