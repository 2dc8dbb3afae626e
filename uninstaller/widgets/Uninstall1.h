#pragma once
// The welcome window: checks the control file named on the command line
// and asks whether the installation is to be removed.
#include "uninstaller/widgets/FormFrame.h"

class QLabel;
class QPushButton;

namespace uninst {

class TWinXP;
class UninstallProgram;

class TWelcome : public TForm {
    Q_OBJECT
public:
    explicit TWelcome(UninstallProgram& program);

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* Button1 = nullptr;   // "&Nein"
    QPushButton* Button2 = nullptr;   // "&Ja"
    TWinXP* WinXP1 = nullptr;

    // The control-file check, once per start.
    void FormShow();
    void Button2Click();
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void PlaceLabel4();

    UninstallProgram& program_;
    bool checked_ = false;
};

} // namespace uninst
