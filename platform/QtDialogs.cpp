#include "platform/QtDialogs.h"

#include "platform/QtColour.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>
#include <vector>

namespace plat {

namespace {

QMessageBox::Icon ToQtIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Error: return QMessageBox::Critical;
    case MsgIcon::Warning: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSpec {
    QMessageBox::StandardButton button;
    MsgResult result;
};

std::vector<ButtonSpec> ButtonsOf(MsgButtons buttons)
{
    using B = QMessageBox;
    switch (buttons) {
    case MsgButtons::OK: return {{B::Ok, MsgResult::OK}};
    case MsgButtons::OKCancel: return {{B::Ok, MsgResult::OK}, {B::Cancel, MsgResult::Cancel}};
    case MsgButtons::YesNo: return {{B::Yes, MsgResult::Yes}, {B::No, MsgResult::No}};
    case MsgButtons::YesNoCancel:
        return {{B::Yes, MsgResult::Yes}, {B::No, MsgResult::No}, {B::Cancel, MsgResult::Cancel}};
    case MsgButtons::RetryCancel: return {{B::Retry, MsgResult::Retry}, {B::Cancel, MsgResult::Cancel}};
    case MsgButtons::AbortRetryIgnore:
        return {{B::Abort, MsgResult::Abort}, {B::Retry, MsgResult::Retry}, {B::Ignore, MsgResult::Ignore}};
    }
    return {{B::Ok, MsgResult::OK}};
}

// The answer of a box closed without a button (Escape, the title bar's
// close): Cancel where there is one, as the platform's boxes answer.
MsgResult CloseAnswer(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OKCancel:
    case MsgButtons::YesNoCancel:
    case MsgButtons::RetryCancel: return MsgResult::Cancel;
    case MsgButtons::YesNo: return MsgResult::No;
    case MsgButtons::AbortRetryIgnore: return MsgResult::Abort;
    case MsgButtons::OK: break;
    }
    return MsgResult::OK;
}

} // namespace

MsgResult QtDialogs::messageBox(const MessageBox& box)
{
    const auto specs = ButtonsOf(box.buttons);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s: %s\n", box.caption.c_str(), box.text.c_str());
        return specs.front().result;
    }
    QMessageBox mb(ToQtIcon(box.icon), QString::fromStdString(box.caption),
                   QString::fromStdString(box.text), QMessageBox::NoButton,
                   QApplication::activeWindow());
    for (const auto& s : specs)
        mb.addButton(s.button);
    mb.setDefaultButton(specs.front().button);
    mb.exec();
    const auto clicked = mb.standardButton(mb.clickedButton());
    for (const auto& s : specs)
        if (s.button == clicked)
            return s.result;
    return CloseAnswer(box.buttons);
}

QUrl ShellUrl(const std::string& target)
{
    const QString t = QString::fromStdString(target);
    const QUrl asUrl(t);
    const bool isUrl = asUrl.isValid() && !t.startsWith('/') &&
                       (t.contains(QStringLiteral("://")) || asUrl.scheme() == QStringLiteral("mailto"));
    if (isUrl)
        return asUrl;
    return QUrl::fromLocalFile(QFileInfo(t).absoluteFilePath());
}

bool QtDialogs::shellOpen(const std::string& target, ShowMode)
{
    // Handed to the desktop as a URL, never through a shell command line.
    if (target.empty() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    return QDesktopServices::openUrl(ShellUrl(target));
}

std::optional<TColor> QtDialogs::chooseColor(TColor initial,
                                             const std::vector<TColor>& customColours)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return std::nullopt;
    for (std::size_t i = 0; i < customColours.size() && int(i) < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(int(i), ToQColor(customColours[i]));
    QColorDialog dlg(ToQColor(initial), QApplication::activeWindow());
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return FromQColor(dlg.selectedColor());
}

} // namespace plat
