#include "uninstaller/widgets/Fretig.h"

#include "platform/Dialogs.h"
#include "uninstaller/UninstallRun.h"
#include "uninstaller/widgets/Uninstall1.h"
#include "uninstaller/widgets/UninstallApp.h"
#include "uninstaller/widgets/WinXP.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

namespace uninst {

TFertig::TFertig(UninstallProgram& program) : TForm(QString::fromUtf8("Fertig.")), program_(program)
{
    setObjectName("Fertig");
    SetBackground(this, Qt::white);
    Image1 = AddSidebar(this);

    Label1 = AddLabel(this, "Label1", "Die Deinstallation von %s wurde erfolgreich durchgeführt.",
                      QRect(176, 12, 300, 52));
    MakeHeading(Label1, "Tahoma", 9);
    Label2 = AddLabel(this, "Label2",
                      "Die Programmdateien, Verknüpfungen und Registry-Einträge wurden entfernt. Es kann "
                      "dennnoch sein, dass einige Reste (insbesondere leere Ordner) erhalten geblieben sind. "
                      "Sie können diese Dateireste nach einem Neustart gefahrlos löschen.",
                      QRect(176, 68, 300, 78));
    Label3 = AddLabel(this, "Label3",
                      "Sollten Sie an Pakoreth, dem kostenlosen Installationsprogramm von quorran, Interesse "
                      "haben, wenden Sie sich bitte an:",
                      QRect(176, 150, 300, 44));
    Image2 = new QLabel(this);
    Image2->setObjectName("Image2");
    Image2->setGeometry(176, 202, 93, 45);
    Image2->setPixmap(QPixmap::fromImage(LogoPicture(93, 45)));
    Label4 = AddLabel(this, "Label4", "Postfach 10 20 30", QRect(280, 208, 196, 16), false);
    Label5 = AddLabel(this, "Label5", "12345 Musterstadt", QRect(280, 226, 196, 16), false);

    Label8 = new QLabel(QString::fromUtf8(kMakerWebPage), this);
    Label8->setObjectName("Label8");
    Label8->setGeometry(176, 262, 300, 16);
    QFont link("MS Sans Serif");
    link.setPointSize(8);
    link.setUnderline(true);
    Label8->setFont(link);
    QPalette navy = Label8->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 0x80));
    Label8->setPalette(navy);
    Label8->setCursor(Qt::PointingHandCursor);
    Label8->installEventFilter(this);

    QWidget* panel = AddButtonPanel(this);
    Button1 = AddButton(panel, "Button1", "&Beenden", 405);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TFertig::Button1Click);

    WinXP1 = new TWinXP(this);
}

bool TFertig::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label8 && event->type() == QEvent::MouseButtonRelease) {
        Label8Click();
        return true;
    }
    return TForm::eventFilter(watched, event);
}

// There is no batch file to leave behind here: the running program's file
// can be unlinked at once, and is, when it belongs to the installation.
void TFertig::Button1Click()
{
    DeleteOwnFile(program_.Options().ownFile, program_.InstallDirs, program_.Options().drives);
    program_.Welcome->close();
}

void TFertig::Label8Click()
{
    plat::Dialogs().shellOpen(kMakerWebPage, plat::ShowMode::Normal);
}

void TFertig::closeEvent(QCloseEvent* event)
{
    event->accept();
    program_.Welcome->close();
}

} // namespace uninst
