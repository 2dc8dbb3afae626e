#include "uninstaller/widgets/UnInstForm.h"

#include "uninstaller/Registry.h"
#include "uninstaller/widgets/Fretig.h"
#include "uninstaller/widgets/TFlatProgressBarUnit.h"
#include "uninstaller/widgets/UninstallApp.h"
#include "uninstaller/widgets/WinXP.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>

namespace uninst {

TUnInst::TUnInst(UninstallProgram& program)
    : TForm(QString::fromUtf8("Deinstallieren.")), program_(program)
{
    setObjectName("UnInst");

    auto* header = new QWidget(this);
    header->setObjectName("Panel1");
    header->setGeometry(0, 0, width(), 57);
    SetBackground(header, Qt::white);
    HeaderTitle = AddLabel(header, "Label1", "Deinstallationsstatus.", QRect(16, 8, 380, 16), false);
    QFont bold = font();
    bold.setBold(true);
    HeaderTitle->setFont(bold);
    HeaderText = AddLabel(header, "Label3", "", QRect(28, 26, 380, 28));
    HeaderImage = new QLabel(header);
    HeaderImage->setObjectName("Image1");
    HeaderImage->setGeometry(width() - 53 - 6, 2, 53, 53);
    HeaderImage->setPixmap(QPixmap::fromImage(HeaderPicture(53)));
    AddBevel(this, 57);

    Label12 = AddLabel(this, "Label12", "Der %s Deinstallations Assistent führt die gewünschten Operationen aus.",
                       QRect(28, 76, 436, 30));
    Label2 = AddLabel(this, "Label2", "Setup bereitet die Deinstallation vor...", QRect(28, 132, 436, 16), false);
    ProgressBar1 = new TFlatProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setGeometry(28, 152, 363, 17);
    ProgressBar1->SetMin(0);
    ProgressBar1->SetMax(100);
    ProgressBar1->SetSmooth(true);
    Label5 = AddLabel(this, "Label5", "Initialisierung...", QRect(28, 176, 436, 16), false);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(28, 200, 185, 89);
    Memo1->setVisible(false);

    AddBevel(this, height() - 39);
    FooterName = AddLabel(this, "Label6", "Pakoreth", QRect(8, height() - 28, 60, 16), false);
    FooterName->setFont(bold);
    FooterName->setEnabled(false);
    FooterVersion = AddLabel(this, "Label7", "1.2", QRect(70, height() - 28, 30, 16), false);
    FooterVersion->setEnabled(false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TUnInst::Timer1Timer);

    WinXP1 = new TWinXP(this);
}

void TUnInst::showEvent(QShowEvent* event)
{
    TForm::showEvent(event);
    FormShow();
}

void TUnInst::FormShow()
{
    Timer1->start();
}

// The run happens once, inside this one tick; the lines and the bar are
// repainted as they change because no other message is handled meanwhile.
void TUnInst::Timer1Timer()
{
    Timer1->stop();
    RunResult result;
    {
        TRegistry registry(program_.Options().registryPath);
        result = RunUninstall(RunInput{program_.ControlFile(), program_.Options().drives, registry,
                                       program_.Options().ownFile, *this});
    }
    program_.InstallDirs = result.installDirs;
    for (const auto& dir : result.collectedDirs)
        Memo1->appendPlainText(QString::fromStdString(dir));
    if (result.finished) {
        program_.Fertig->show();
        hide();
    }
    if (!result.error)
        return;
    ShowError(*result.error);
    program_.SetExitCode(1);
    // After the run came to its end the finish page is the way out, as
    // after a run without error; otherwise the window that refuses to close
    // would stay for good.
    if (!result.finished)
        program_.End();
}

void TUnInst::Phase(const std::string& text)
{
    Label2->setText(QString::fromStdString(text));
    Label2->repaint();
}

void TUnInst::Item(const std::string& text, int position)
{
    Label5->setText(QString::fromStdString(text));
    Label5->repaint();
    ProgressBar1->SetPosition(position);
    ProgressBar1->repaint();
}

void TUnInst::ClearItem()
{
    Label5->clear();
    Label5->repaint();
}

void TUnInst::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

} // namespace uninst
