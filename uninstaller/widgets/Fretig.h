#pragma once
// The finish window. "&Beenden" ends the program and removes its own file;
// closing the window ends it and leaves the file.
#include "uninstaller/widgets/FormFrame.h"

class QLabel;
class QPushButton;

namespace uninst {

class TWinXP;
class UninstallProgram;

inline constexpr const char* kMakerWebPage = "https://www.quorran.example/pakoreth/";

class TFertig : public TForm {
    Q_OBJECT
public:
    explicit TFertig(UninstallProgram& program);

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Image2 = nullptr;   // the maker's logo
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label8 = nullptr;   // the link to the maker's web page
    QPushButton* Button1 = nullptr;
    TWinXP* WinXP1 = nullptr;

    void Button1Click();
    void Label8Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    UninstallProgram& program_;
};

} // namespace uninst
