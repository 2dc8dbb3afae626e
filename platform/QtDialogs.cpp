#include "platform/QtDialogs.h"

#include "platform/Paths.h"
#include "platform/QtColour.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFont>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

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

class CloseQueryFileDialog final : public QFileDialog {
public:
    CloseQueryFileDialog(const FileDialogRequest& request, DialogSeam& seam, QWidget* parent)
        : QFileDialog(parent), request_(request), seam_(seam)
    {
    }
    const std::optional<std::string>& accepted() const { return accepted_; }

protected:
    // QFileDialog's own accept step has already gone into a folder the user
    // typed; what arrives here is the file the user confirmed.
    void done(int result) override
    {
        if (result == QDialog::Accepted) {
            const QStringList files = selectedFiles();
            if (files.isEmpty())
                return;
            const std::string name = ResolveDialogFileName(request_, files.first().toStdString());
            // A folder only named by the default extension goes to the close
            // query, which refuses it with its own message.
            if (name.empty())
                return;
            if (request_.kind == FileDialogKind::Save && request_.options.overwritePrompt &&
                FileExists(name) &&
                seam_.messageBox({OverwriteQuestionText(name), request_.title, MsgIcon::Warning,
                                  MsgButtons::YesNo}) != MsgResult::Yes)
                return;
            if (request_.canClose && !request_.canClose(name))
                return;
            accepted_ = name;
        }
        QFileDialog::done(result);
    }

private:
    const FileDialogRequest& request_;
    DialogSeam& seam_;
    std::optional<std::string> accepted_;
};

} // namespace

GermanQtTexts::GermanQtTexts()
    : translator_(std::make_unique<QTranslator>())
{
    installed_ = translator_->load(QStringLiteral("qtbase_de"),
                                   QLibraryInfo::path(QLibraryInfo::TranslationsPath))
                 && QCoreApplication::installTranslator(translator_.get());
}

GermanQtTexts::~GermanQtTexts()
{
    if (installed_)
        QCoreApplication::removeTranslator(translator_.get());
}

void SubstituteWindowsFaces()
{
    for (const char* face : {"MS Sans Serif", "Tahoma", "MS Shell Dlg", "MS Shell Dlg 2"})
        QFont::insertSubstitution(QString::fromLatin1(face), QStringLiteral("Liberation Sans"));
}

QStringList QtNameFilters(const std::string& filter)
{
    QStringList out;
    for (const FileFilter& f : ParseFileFilter(filter)) {
        QStringList patterns;
        for (const std::string& p : f.patterns)
            patterns << (p == "*.*" ? QStringLiteral("*") : QString::fromStdString(p));
        out << QString::fromStdString(f.description) + " (" + patterns.join(' ') + ")";
    }
    return out;
}

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
    // A local file by its bytes, percent-encoded: a folder's name need not be
    // valid UTF-8 (the program's own folder among them), and QString would
    // turn such bytes into another name.
    std::string path = target;
    if (path.empty() || path.front() != '/')
        path = JoinPath(CurrentDir(), path);
    return QUrl::fromEncoded(QByteArrayLiteral("file://") +
                             QByteArray::fromStdString(path).toPercentEncoding("/"));
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

std::optional<std::string> QtDialogs::fileDialog(const FileDialogRequest& request)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return std::nullopt;
    CloseQueryFileDialog dlg(request, *this, QApplication::activeWindow());
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    // Asked in done(), about the name with its default extension.
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    dlg.setAcceptMode(request.kind == FileDialogKind::Save ? QFileDialog::AcceptSave
                                                          : QFileDialog::AcceptOpen);
    // A name that is no file reaches the close query, which refuses it.
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setWindowTitle(QString::fromStdString(request.title));
    const QStringList filters = QtNameFilters(request.filter);
    if (!filters.isEmpty())
        dlg.setNameFilters(filters);
    dlg.setSizeGripEnabled(request.options.resizable);
    if (DirectoryExists(request.initialDir))
        dlg.setDirectory(QString::fromStdString(request.initialDir));
    if (!request.fileName.empty()) {
        // The shown name is a bare name; a full one (a refused file's) also
        // moves to its folder.
        const std::string dir = ExtractFilePath(request.fileName);
        if (!dir.empty() && DirectoryExists(dir))
            dlg.setDirectory(QString::fromStdString(dir));
        dlg.selectFile(QString::fromStdString(ExtractFileName(request.fileName)));
    }
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return dlg.accepted();
}

void UseQtDialogs()
{
    static QtDialogs qt;
    SetProgramDialogs(&qt);
}

} // namespace plat
