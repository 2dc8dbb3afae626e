#pragma once
// The printer-setup dialog: Qt on Linux has none that chooses the printer,
// so this one offers the printer list, the paper sizes of the printer
// chosen and the orientation.
#include "platform/Dialogs.h"

#include <QDialog>

class QComboBox;
class QRadioButton;

namespace plat {

class PrinterSetupWindow : public QDialog {
    Q_OBJECT
public:
    explicit PrinterSetupWindow(const PrinterSetupRequest& request, QWidget* parent = nullptr);
    PrinterSetupAnswer Answer() const;

    QComboBox* printerBox() const { return printer_; }
    QComboBox* paperBox() const { return paper_; }
    QRadioButton* landscapeButton() const { return landscape_; }

private:
    void FillPapers(int printer, const std::string& keep);

    PrinterSetupRequest request_;
    QComboBox* printer_;
    QComboBox* paper_;
    QRadioButton* portrait_;
    QRadioButton* landscape_;
};

} // namespace plat
