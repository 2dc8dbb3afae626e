#pragma once
// The dialog seam shown with Qt widgets and the desktop's URL handler.
#include "platform/Dialogs.h"

#include <QStringList>
#include <QUrl>

#include <memory>

class QTranslator;

namespace plat {

class QtDialogs final : public DialogSeam {
public:
    // Without a QApplication there is nothing to show a box with: the text
    // goes to stderr and the box answers with its first button.
    MsgResult messageBox(const MessageBox& box) override;
    // The desktop decides how a document opens; the show mode is a wish it
    // does not take.
    bool shellOpen(const std::string& target, ShowMode mode) override;
    // QColorDialog with the custom colours in its first slots; solid
    // colours only (no alpha channel).
    std::optional<TColor> chooseColor(TColor initial,
                                      const std::vector<TColor>& customColours) override;
    // A non-native QFileDialog: its accept step resolves the name, asks
    // before overwriting (in a save dialog that wants it) and then asks the
    // close query; a refused file keeps the dialog open.
    std::optional<std::string> fileDialog(const FileDialogRequest& request) override;
    // The German print and printer-setup dialogs of QtPrintDialogs.h.
    std::optional<PrintDialogAnswer> printDialog(const PrintDialogRequest& request) override;
    std::optional<PrinterSetupAnswer> printerSetupDialog(const PrinterSetupRequest& request) override;
};

// Makes the Qt seam the program's own (see SetProgramDialogs).
void UseQtDialogs();

// Qt's own texts (the standard dialogs' buttons, columns and questions) in
// German, like every other text of the program, while the object lives.
// They come from the system's Qt translations (qtbase_de).
class GermanQtTexts {
public:
    GermanQtTexts();
    ~GermanQtTexts();
    GermanQtTexts(const GermanQtTexts&) = delete;
    GermanQtTexts& operator=(const GermanQtTexts&) = delete;
    // False when the translation is not installed: the texts stay English.
    bool installed() const { return installed_; }

private:
    std::unique_ptr<QTranslator> translator_;
    bool installed_ = false;
};

// The windows name the dialog faces of the platform they were drawn on
// ("MS Sans Serif", "Tahoma"). Those are not installed here, and
// fontconfig's stand-in (DejaVu Sans) runs a fifth wider, so captions and
// status texts laid out in pixels for them are cut off. Liberation Sans,
// with Arial's metrics, stands in for them instead. Once per program.
void SubstituteWindowsFaces();

// The Qt name filters of a "description|patterns" filter: "Tolvaria Map
// (*.tlv)"; "*.*" matches every name, as it does on the platform the
// filters come from.
QStringList QtNameFilters(const std::string& filter);

// What shellOpen hands to the desktop: an address with a scheme ("https://",
// "mailto:", "file://") as it is, anything else as a local path made absolute.
QUrl ShellUrl(const std::string& target);

} // namespace plat
