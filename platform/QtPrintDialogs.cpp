#include "platform/QtPrintDialogs.h"

#include "platform/QtDialogs.h"
#include "platform/QtPrinter.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace plat {

PrinterSetupWindow::PrinterSetupWindow(const PrinterSetupRequest& request, QWidget* parent)
    : QDialog(parent), request_(request), printer_(new QComboBox), paper_(new QComboBox),
      portrait_(new QRadioButton("&Hochformat")), landscape_(new QRadioButton("&Querformat"))
{
    setWindowTitle("Druckereinrichtung");
    for (const std::string& name : request.printers)
        printer_->addItem(QString::fromStdString(name));
    if (request.printer >= 0)
        printer_->setCurrentIndex(request.printer);
    FillPapers(request.printer, request.paper);
    connect(printer_, &QComboBox::currentIndexChanged, this,
            [this](int index) { FillPapers(index, paper_->currentText().toStdString()); });
    (request.landscape ? landscape_ : portrait_)->setChecked(true);

    auto* form = new QFormLayout;
    form->addRow("&Drucker:", printer_);
    form->addRow("&Papier:", paper_);
    auto* orientation = new QGroupBox("Ausrichtung");
    auto* orientationLayout = new QVBoxLayout(orientation);
    orientationLayout->addWidget(portrait_);
    orientationLayout->addWidget(landscape_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    buttons->button(QDialogButtonBox::Cancel)->setText("Abbrechen");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(orientation);
    layout->addWidget(buttons);
}

void PrinterSetupWindow::FillPapers(int printer, const std::string& keep)
{
    paper_->clear();
    if (printer < 0 || !request_.papers)
        return;
    for (const std::string& name : request_.papers(printer))
        paper_->addItem(QString::fromStdString(name));
    // The paper stays when the other printer has it too.
    const int index = paper_->findText(QString::fromStdString(keep));
    if (index >= 0)
        paper_->setCurrentIndex(index);
}

PrinterSetupAnswer PrinterSetupWindow::Answer() const
{
    return {printer_->currentIndex(), paper_->currentText().toStdString(), landscape_->isChecked()};
}

std::optional<PrinterSetupAnswer> QtDialogs::printerSetupDialog(const PrinterSetupRequest& request)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return std::nullopt;
    PrinterSetupWindow window(request, QApplication::activeWindow());
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.Answer();
}

std::optional<PrintDialogAnswer> QtDialogs::printDialog(const PrintDialogRequest& request)
{
    auto* printer = dynamic_cast<QtPrinter*>(&ThePrinter());
    if (!printer || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return std::nullopt;
    QPrintDialog dialog(&printer->Device(), QApplication::activeWindow());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(request.minPage, request.maxPage);
    dialog.setFromTo(request.fromPage, request.toPage);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    // The dialog may have chosen another queue, paper or file.
    printer->Adopt();
    PrintDialogAnswer answer;
    answer.printer = printer->PrinterIndex();
    answer.allPages = dialog.printRange() != QAbstractPrintDialog::PageRange;
    answer.fromPage = dialog.fromPage();
    answer.toPage = dialog.toPage();
    return answer;
}

} // namespace plat
