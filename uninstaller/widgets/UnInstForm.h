#pragma once
// The progress window: one tick of its timer performs the whole run, then
// the finish window follows. It never lets itself be closed.
#include "uninstaller/UninstallRun.h"
#include "uninstaller/widgets/FormFrame.h"

class QLabel;
class QPlainTextEdit;
class QTimer;

namespace uninst {

class TFlatProgressBar;
class TWinXP;
class UninstallProgram;

class TUnInst : public TForm, public ProgressSink {
    Q_OBJECT
public:
    explicit TUnInst(UninstallProgram& program);

    QLabel* HeaderTitle = nullptr;
    QLabel* HeaderText = nullptr;
    QLabel* HeaderImage = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label2 = nullptr;        // the phase line
    TFlatProgressBar* ProgressBar1 = nullptr;
    QLabel* Label5 = nullptr;        // the item line
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* FooterName = nullptr;
    QLabel* FooterVersion = nullptr;
    QTimer* Timer1 = nullptr;
    TWinXP* WinXP1 = nullptr;

    void FormShow();
    void Timer1Timer();

    void Phase(const std::string& text) override;
    void Item(const std::string& text, int position) override;
    void ClearItem() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    UninstallProgram& program_;
};

} // namespace uninst
