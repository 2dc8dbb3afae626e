#pragma once
// The print settings window: edits the ten print parameters. It lives for
// the whole run and is shown modally from "&Optionen" / "&Druckeinstellungen ...";
// exec() returns QDialog::Accepted when the user pressed OK.
#include "editor/LangFile.h"
#include "editor/board/BoardState.h"
#include "editor/board/Prof01.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QShowEvent;
class QSpinBox;

namespace tolv {

struct BoardState;

// A value set into spin edit `edit`, limited to its range.
int LimitToEdit(std::int64_t value, int edit);
// The value of a typed text: a whole number (blanks around it allowed) is
// limited to the edit's range; anything else reads as the edit's minimum.
int SpinTextValue(std::string_view text, int edit);

// What the window shows.
struct PrintSettingsEdits {
    plat::NumberedArray<int, 1, 8> spin{};
    int tileMode = 0;            // selected radio item: 0 Portrait, 1 Landscape
    bool coords = false;
};

// Loading: each edit limits its value; P9 other than 0 or 1 selects
// "Portrait"; P10 other than 0 checks "Koordinaten".
PrintSettingsEdits EditsFromParams(const PrintParamArray& params);
// OK: the edits into the print parameters, copied into the profile record's.
void StoreEdits(const PrintSettingsEdits& edits, PrintParamArray& params,
                PrintParamArray& profileParams);

class TForm3 : public QDialog {
    Q_OBJECT
public:
    // The language file of programDir translates the window once, now.
    TForm3(BoardState& state, ProfileData& profile, const std::string& programDir,
           QWidget* parent = nullptr);

    plat::NumberedArray<QSpinBox*, 1, 8> SpinEdit{};
    plat::NumberedArray<QLabel*, 1, 9> Label{};
    QGroupBox* RadioGroup1 = nullptr;
    std::array<QRadioButton*, 2> RadioItems{};
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* BitBtn1 = nullptr;           // OK
    QPushButton* BitBtn2 = nullptr;           // Cancel

    // Loads the edits from the print parameters; runs once per showing.
    void FormActivate();
    // OK: stores the edits and closes with the result Accepted.
    void BitBtn1Click();
    // The Delete key is swallowed in the spin edits; true when it was.
    static bool SpinEdit1KeyDown(int key);

    PrintSettingsEdits edits() const;
    // The texts of the "PrintForm" section, in the file's order.
    std::vector<LangText> languageTexts();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate(const std::string& programDir);

    BoardState& state_;
    ProfileData& profile_;
};

} // namespace tolv
