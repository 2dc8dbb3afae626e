#include "platform/QtPrintDialogs.h"

#include "platform/QtDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace plat {

namespace {

QDialogButtonBox* OkCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    buttons->button(QDialogButtonBox::Cancel)->setText("Abbrechen");
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QComboBox* PrinterBox(const std::vector<std::string>& printers, int current)
{
    auto* box = new QComboBox;
    for (const std::string& name : printers)
        box->addItem(QString::fromStdString(name));
    if (current >= 0)
        box->setCurrentIndex(current);
    return box;
}

bool HaveApplication()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

PrintWindow::PrintWindow(const PrintDialogRequest& request, QWidget* parent)
    : QDialog(parent), printer_(PrinterBox(request.printers, request.printer)),
      all_(new QRadioButton("&Alles")), range_(new QRadioButton("&Seiten")), from_(new QSpinBox),
      to_(new QSpinBox)
{
    setWindowTitle("Drucken");
    for (QSpinBox* box : {from_, to_})
        box->setRange(request.minPage, std::max(request.minPage, request.maxPage));
    from_->setValue(request.fromPage);
    to_->setValue(request.toPage);
    all_->setChecked(true);
    // A range runs upwards: each end pushes the other along.
    connect(from_, &QSpinBox::valueChanged, this, [this](int v) {
        if (to_->value() < v)
            to_->setValue(v);
    });
    connect(to_, &QSpinBox::valueChanged, this, [this](int v) {
        if (from_->value() > v)
            from_->setValue(v);
    });
    for (QSpinBox* box : {from_, to_})
        connect(box, &QSpinBox::valueChanged, this, [this] { range_->setChecked(true); });

    auto* form = new QFormLayout;
    form->addRow("&Drucker:", printer_);
    auto* pages = new QGroupBox("Druckbereich");
    auto* pagesLayout = new QGridLayout(pages);
    pagesLayout->addWidget(all_, 0, 0, 1, 5);
    pagesLayout->addWidget(range_, 1, 0);
    auto* fromLabel = new QLabel("&von");
    fromLabel->setBuddy(from_);
    auto* toLabel = new QLabel("&bis");
    toLabel->setBuddy(to_);
    pagesLayout->addWidget(fromLabel, 1, 1);
    pagesLayout->addWidget(from_, 1, 2);
    pagesLayout->addWidget(toLabel, 1, 3);
    pagesLayout->addWidget(to_, 1, 4);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(pages);
    layout->addWidget(OkCancel(this));
}

PrintDialogAnswer PrintWindow::Answer() const
{
    return {printer_->currentIndex(), all_->isChecked(), from_->value(), to_->value()};
}

PrinterSetupWindow::PrinterSetupWindow(const PrinterSetupRequest& request, QWidget* parent)
    : QDialog(parent), request_(request), printer_(PrinterBox(request.printers, request.printer)),
      paper_(new QComboBox), portrait_(new QRadioButton("&Hochformat")),
      landscape_(new QRadioButton("&Querformat"))
{
    setWindowTitle("Druckereinrichtung");
    FillPapers(request.printer, request.paper);
    connect(printer_, &QComboBox::currentIndexChanged, this,
            [this](int index) { FillPapers(index, ChosenPaper()); });
    (request.landscape ? landscape_ : portrait_)->setChecked(true);

    auto* form = new QFormLayout;
    form->addRow("&Drucker:", printer_);
    form->addRow("&Papier:", paper_);
    auto* orientation = new QGroupBox("Ausrichtung");
    auto* orientationLayout = new QVBoxLayout(orientation);
    orientationLayout->addWidget(portrait_);
    orientationLayout->addWidget(landscape_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(orientation);
    layout->addWidget(OkCancel(this));
}

void PrinterSetupWindow::FillPapers(int printer, const Paper& keep)
{
    paper_->clear();
    papers_.clear();
    if (printer < 0 || !request_.papers)
        return;
    const PaperList list = request_.papers(printer);
    papers_ = list.papers;
    for (const Paper& paper : papers_)
        paper_->addItem(QString::fromStdString(paper.name));
    // The paper stays when the other printer has the same sheet, else that
    // printer's default paper is offered.
    paper_->setCurrentIndex(KeptPaper(list, keep));
}

Paper PrinterSetupWindow::ChosenPaper() const
{
    const int index = paper_->currentIndex();
    return index >= 0 && index < static_cast<int>(papers_.size()) ? papers_[static_cast<std::size_t>(index)]
                                                                  : Paper{};
}

PrinterSetupAnswer PrinterSetupWindow::Answer() const
{
    PrinterSetupAnswer answer{printer_->currentIndex(), std::nullopt, landscape_->isChecked()};
    if (paper_->currentIndex() >= 0)
        answer.paper = ChosenPaper();
    return answer;
}

std::optional<PrinterSetupAnswer> QtDialogs::printerSetupDialog(const PrinterSetupRequest& request)
{
    if (!HaveApplication())
        return std::nullopt;
    PrinterSetupWindow window(request, QApplication::activeWindow());
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.Answer();
}

std::optional<PrintDialogAnswer> QtDialogs::printDialog(const PrintDialogRequest& request)
{
    if (!HaveApplication())
        return std::nullopt;
    PrintWindow window(request, QApplication::activeWindow());
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.Answer();
}

} // namespace plat
