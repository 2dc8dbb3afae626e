#include "uninstaller/widgets/Uninstall1.h"

#include "platform/Dialogs.h"
#include "uninstaller/ControlFile.h"
#include "uninstaller/widgets/Fretig.h"
#include "uninstaller/widgets/UnInstForm.h"
#include "uninstaller/widgets/UninstallApp.h"
#include "uninstaller/widgets/WinXP.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextLayout>
#include <QTimer>

namespace uninst {

namespace {

void FormatLabel(QLabel* label, const std::string& name)
{
    label->setText(QString::fromStdString(FormatCaption(label->text().toStdString(), name)));
}

} // namespace

TWelcome::TWelcome(UninstallProgram& program)
    : TForm(QString::fromUtf8("Willkommen.")), program_(program)
{
    setObjectName("Welcome");
    SetBackground(this, Qt::white);
    Image1 = AddSidebar(this);

    Label1 = AddLabel(this, "Label1", "Willkommen zum Pakoreth-Deinstallations Assistenten für %s",
                      QRect(176, 12, 300, 54));
    MakeHeading(Label1, "MS Sans Serif", 10);
    Label2 = AddLabel(this, "Label2", "Mit diesem Programm können Sie %s von Ihrem Computer entfernen.",
                      QRect(176, 72, 300, 30));
    Label3 = AddLabel(this, "Label3",
                      "Bitte bestätigen Sie nochmals, dass Sie das Programm wirklich deinstallieren möchten. "
                      "Wenn Sie auf [Ja] klicken, wird es von Ihrem Computer entfernt "
                      "(Konfigurationsdateien können erhalten bleiben). Klicken Sie auf [Nein], wird die "
                      "Deinstallation",
                      QRect(176, 114, 300, 84));
    Label4 = AddLabel(this, "Label4", "beendet.", QRect(176, 198, 60, 14), false);
    Label5 = AddLabel(this, "Label5", "Wollen Sie %s deinstallieren?", QRect(176, 240, 300, 30));
    PlaceLabel4();

    QWidget* panel = AddButtonPanel(this);
    Button2 = AddButton(panel, "Button2", "&Ja", 322);
    Button1 = AddButton(panel, "Button1", "&Nein", 405);
    setTabOrder(Button2, Button1);
    Button2->setDefault(true);
    connect(Button2, &QPushButton::clicked, this, &TWelcome::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &TWelcome::Button1Click);

    WinXP1 = new TWinXP(this);
}

// "beendet." continues the last line of the text above it.
void TWelcome::PlaceLabel4()
{
    QTextLayout layout(Label3->text(), Label3->font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    QTextLine last;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(Label3->width());
        line.setPosition(QPointF(0, y));
        y += line.height();
        last = line;
    }
    layout.endLayout();
    if (!last.isValid())
        return;
    const int spaceWidth = QFontMetrics(Label3->font()).horizontalAdvance(' ');
    int left = Label3->x() + int(last.naturalTextWidth()) + spaceWidth;
    int top = Label3->y() + int(last.y());
    if (left + Label4->width() > Label3->geometry().right()) {
        left = Label3->x();
        top += int(last.height());
    }
    Label4->move(left, top);
}

void TWelcome::showEvent(QShowEvent* event)
{
    TForm::showEvent(event);
    // After the window is up, so that the boxes have it as their background.
    if (!checked_) {
        checked_ = true;
        QTimer::singleShot(0, this, &TWelcome::FormShow);
    }
}

void TWelcome::FormShow()
{
    const StartInfo info = CheckControlFile(program_.ControlFile());
    if (info.check == StartCheck::Ok) {
        for (QLabel* label : {Label1, Label2, program_.Fertig->Label1, program_.UnInst->Label12, Label5})
            FormatLabel(label, info.name);
        return;
    }
    if (info.check == StartCheck::NotFound)
        plat::ShowMessage(kNotFoundText, kNotFoundCaption, plat::MsgIcon::Error, plat::MsgButtons::OK);
    else
        plat::ShowMessage(kSignatureText, kSignatureCaption, plat::MsgIcon::Error, plat::MsgButtons::OK);
    program_.SetExitCode(1);
    close();
}

void TWelcome::Button2Click()
{
    hide();
    program_.UnInst->show();
}

void TWelcome::Button1Click()
{
    close();
}

void TWelcome::closeEvent(QCloseEvent* event)
{
    event->accept();
    program_.End();
}

} // namespace uninst
