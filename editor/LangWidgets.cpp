#include "editor/LangWidgets.h"

#include <QAction>
#include <QGroupBox>
#include <QList>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace tolv {

namespace {

void AddMenuItems(const QList<QAction*>& actions, std::vector<LangMenuItem>& out)
{
    for (QAction* action : actions) {
        LangMenuItem item;
        item.get = [action] { return action->text().toStdString(); };
        item.set = [action](const std::string& text) { action->setText(QString::fromStdString(text)); };
        if (QMenu* sub = action->menu())
            AddMenuItems(sub->actions(), item.items);
        out.push_back(std::move(item));
    }
}

} // namespace

LangText TitleOf(QGroupBox* w)
{
    return MakeLangText([w] { return w->title().toStdString(); },
                        [w](const std::string& s) { w->setTitle(QString::fromStdString(s)); });
}

LangText HintOf(QWidget* w)
{
    return MakeLangText([w] { return w->toolTip().toStdString(); },
                        [w](const std::string& s) { w->setToolTip(QString::fromStdString(s)); });
}

LangText CaptionOf(QWidget* w)
{
    return MakeLangText([w] { return w->windowTitle().toStdString(); },
                        [w](const std::string& s) { w->setWindowTitle(QString::fromStdString(s)); });
}

LangText StringOf(std::string& s)
{
    return MakeLangText([&s] { return s; }, [&s](const std::string& t) { s = t; });
}

std::vector<LangMenuItem> LangMenuFromMenuBar(QMenuBar& bar)
{
    std::vector<LangMenuItem> menu;
    AddMenuItems(bar.actions(), menu);
    return menu;
}

} // namespace tolv
