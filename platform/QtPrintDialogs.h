#pragma once
// The print and printer-setup dialogs of the Qt seam. Both work on the
// program's own printer list: Qt's print dialog lists the print system's
// queues of its own, preselects the system's default queue whatever the
// program's printer is, and sets its own paper on the printer it returns;
// and Qt on Linux has no dialog that only chooses a printer.
//   PrintWindow         the printer and the pages to print
//   PrinterSetupWindow  the printer, the paper sizes of the printer chosen
//                       and the orientation
#include "platform/Dialogs.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QRadioButton;
class QSpinBox;

namespace plat {

class PrintWindow : public QDialog {
    Q_OBJECT
public:
    explicit PrintWindow(const PrintDialogRequest& request, QWidget* parent = nullptr);
    PrintDialogAnswer Answer() const;

    QComboBox* printerBox() const { return printer_; }
    QRadioButton* allButton() const { return all_; }
    QRadioButton* rangeButton() const { return range_; }
    QSpinBox* fromBox() const { return from_; }
    QSpinBox* toBox() const { return to_; }

private:
    QComboBox* printer_;
    QRadioButton* all_;
    QRadioButton* range_;
    QSpinBox* from_;
    QSpinBox* to_;
};

class PrinterSetupWindow : public QDialog {
    Q_OBJECT
public:
    explicit PrinterSetupWindow(const PrinterSetupRequest& request, QWidget* parent = nullptr);
    PrinterSetupAnswer Answer() const;

    QComboBox* printerBox() const { return printer_; }
    QComboBox* paperBox() const { return paper_; }
    QRadioButton* landscapeButton() const { return landscape_; }

private:
    void FillPapers(int printer, const Paper& keep);
    Paper ChosenPaper() const;

    PrinterSetupRequest request_;
    std::vector<Paper> papers_;   // those of the printer chosen, as the box lists them
    QComboBox* printer_;
    QComboBox* paper_;
    QRadioButton* portrait_;
    QRadioButton* landscape_;
};

} // namespace plat
