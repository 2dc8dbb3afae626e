// The print settings window: reading and limiting the edits, the OK and
// Cancel paths, Enter, loading once per showing, the Delete key and translation.
#include "editor/Unit3.h"

#include "editor/board/BoardState.h"

#include "support/Input.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

using namespace tolv;
using tolv::test::Key;
using tolv::test::TempDir;
using tolv::test::WriteBytes;

namespace {

// Replaces a spin edit's text as a user would: select all, then type.
void Type(QSpinBox* spin, const QString& text)
{
    spin->selectAll();
    if (text.isEmpty())
        Key(spin, Qt::Key_Backspace);
    for (QChar c : text) {
        int key = 0;
        if (c.isDigit())
            key = Qt::Key_0 + c.digitValue();
        else if (c.isLetter())
            key = Qt::Key_A + (c.toUpper().unicode() - 'A');
        else if (c == '-')
            key = Qt::Key_Minus;
        Key(spin, key, Qt::NoModifier, QString(c));
    }
}

class Form3Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::EnsureApplication();
        profile.Param.fill(-1);
        state.PrintParams = {341, 341, 50, 50, 50, 50, 80, 3, 0, 0};
    }

    BoardState state;
    ProfileData profile;
    TempDir dir;
};

} // namespace

TEST(Form3Values, TypedTextsReadAsTheEditTakesThem)
{
    struct Case {
        const char* text;
        int edit;
        int value;
    } cases[] = {
        {"341", 1, 341},     {" 341 ", 1, 341},  {"+50", 3, 50},
        {"5", 1, 20},        {"99999", 2, 9999}, {"-5", 3, 0},
        {"0", 8, 1},         {"", 1, 20},        {"  ", 8, 1},
        {"abc", 3, 0},       {"12a", 1, 20},     {"1.5", 7, 0},
        {"-", 4, 0},         {"99999999999999999999999", 7, 9999},
        {"-99999999999999999999999", 1, 20},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SpinTextValue(c.text, c.edit), c.value) << "'" << c.text << "' in edit " << c.edit;
}

TEST(Form3Values, LoadingLimitsAndStoringNormalises)
{
    const PrintParamArray params{5, 10000, -1, 50, 9999, 0, 80, 0, 7, 5};
    const PrintSettingsEdits e = EditsFromParams(params);
    EXPECT_EQ(e.spin[1], 20);
    EXPECT_EQ(e.spin[2], 9999);
    EXPECT_EQ(e.spin[3], 0);
    EXPECT_EQ(e.spin[6], 0);
    EXPECT_EQ(e.spin[8], 1);
    EXPECT_EQ(e.tileMode, 0);   // P9 = 7 shows "Portrait"
    EXPECT_TRUE(e.coords);      // P10 = 5 checks "Koordinaten"

    PrintParamArray stored{}, profile{};
    StoreEdits(e, stored, profile);
    EXPECT_EQ(stored, (PrintParamArray{20, 9999, 0, 50, 9999, 0, 80, 1, 0, 1}));
    EXPECT_EQ(profile, stored);

    PrintParamArray p2{341, 341, 50, 50, 50, 50, 80, 3, 1, 0};
    EXPECT_EQ(EditsFromParams(p2).tileMode, 1);
    EXPECT_FALSE(EditsFromParams(p2).coords);
}

TEST_F(Form3Test, LayoutAsTheWindowShowsIt)
{
    TForm3 form(state, profile, dir.str());
    EXPECT_EQ(form.windowTitle(), "Druckeinstellungen");
    EXPECT_EQ(form.size(), QSize(345, 331));

    const char* besideEdit[9] = {nullptr, "Hexgröße-x", "Hexgröße-y", "Rand oben", "Rand unten",
                                 "Rand links", "Rand rechts", "Überlappung", "Gridbreite(Pixel)"};
    const int mins[9] = {0, 20, 20, 0, 0, 0, 0, 0, 1};
    for (int i = 1; i <= 8; ++i) {
        QSpinBox* spin = form.SpinEdit[i];
        EXPECT_EQ(spin->minimum(), mins[i]) << i;
        EXPECT_EQ(spin->maximum(), 9999) << i;
        if (i > 1) {
            EXPECT_GT(spin->y(), form.SpinEdit[i - 1]->y()) << "one below the other";
            EXPECT_EQ(spin->x(), form.SpinEdit[1]->x());
        }
        // The label beside the edit: same row, to its right.
        const QLabel* beside = nullptr;
        for (int l = 1; l <= 8; ++l)
            if (form.Label[l]->y() == spin->y() && form.Label[l]->x() > spin->x())
                beside = form.Label[l];
        ASSERT_NE(beside, nullptr) << i;
        EXPECT_EQ(beside->text(), QString::fromUtf8(besideEdit[i]));
    }
    EXPECT_EQ(form.Label[1]->text(), "Hexgröße-y");
    EXPECT_EQ(form.Label[9]->text(), "Angaben in 1/10 mm !");
    EXPECT_EQ(form.RadioGroup1->title(), "Kachelmodus");
    EXPECT_EQ(form.RadioItems[0]->text(), "Portrait");
    EXPECT_EQ(form.RadioItems[1]->text(), "Landscape");
    EXPECT_EQ(form.CheckBox1->text(), "Koordinaten");
    EXPECT_EQ(form.BitBtn1->text(), "OK");
    EXPECT_TRUE(form.BitBtn1->isDefault());
    EXPECT_EQ(form.BitBtn2->text(), "Cancel");
    for (QWidget* w : std::initializer_list<QWidget*>{form.RadioGroup1, form.CheckBox1,
                                                      form.BitBtn1, form.BitBtn2, form.Label[9]})
        EXPECT_TRUE(QRect(0, 0, 345, 331).contains(w->geometry())) << w->objectName().toStdString();
}

TEST_F(Form3Test, OkStoresTheLimitedValuesIntoParamsAndProfile)
{
    state.PrintParams[ppTileMode] = 7;
    state.PrintParams[ppShowCoords] = 5;
    TForm3 form(state, profile, dir.str());
    form.show();
    EXPECT_TRUE(form.RadioItems[0]->isChecked());
    EXPECT_TRUE(form.CheckBox1->isChecked());

    Type(form.SpinEdit[1], "400");
    Type(form.SpinEdit[2], "5");       // below the minimum of 20
    Type(form.SpinEdit[3], "");        // no number: the minimum
    form.SpinEdit[7]->setValue(120);
    form.RadioItems[1]->setChecked(true);

    form.BitBtn1->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(state.PrintParams, (PrintParamArray{400, 20, 0, 50, 50, 50, 120, 3, 1, 1}));
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(profile.Param[i], state.PrintParams[i]) << i;
    // Nothing beside P1..P10 is written: there is no slot 0 to write.
    EXPECT_FALSE(PrintParamArray::Holds(0));
}

TEST_F(Form3Test, OkWithoutChangesStillCopiesIntoTheProfile)
{
    state.PrintParams[ppTileMode] = 7;
    TForm3 form(state, profile, dir.str());
    form.show();
    form.BitBtn1->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(state.PrintParams[ppTileMode], 0);
    EXPECT_EQ(profile.Param[1], 341);
    EXPECT_EQ(profile.Param[9], 0);
}

TEST_F(Form3Test, CancelAndClosingStoreNothingAndTheNextShowingReloads)
{
    const PrintParamArray before = state.PrintParams;
    TForm3 form(state, profile, dir.str());
    for (int closeBy = 0; closeBy < 3; ++closeBy) {
        form.show();
        Type(form.SpinEdit[1], "777");
        form.CheckBox1->setChecked(true);
        if (closeBy == 0)
            form.BitBtn2->click();
        else if (closeBy == 1)
            Key(&form, Qt::Key_Escape);
        else
            form.close();
        EXPECT_EQ(form.result(), QDialog::Rejected) << closeBy;
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(state.PrintParams, before);
        EXPECT_EQ(profile.Param[1], -1);

        form.show();
        EXPECT_EQ(form.SpinEdit[1]->value(), 341);
        EXPECT_FALSE(form.CheckBox1->isChecked());
        form.hide();
    }
}

TEST_F(Form3Test, EnterPressesTheFocusedButtonElseOk)
{
    using Focus = QWidget* (*)(TForm3&);
    const Focus cancel = [](TForm3& f) -> QWidget* { return f.BitBtn2; };
    const Focus ok = [](TForm3& f) -> QWidget* { return f.BitBtn1; };
    const Focus edit = [](TForm3& f) -> QWidget* { return f.SpinEdit[1]; };
    const struct { const char* what; Focus focus; int key; bool stores; } cases[] = {
        {"Return on Cancel", cancel, Qt::Key_Return, false},
        {"Enter on Cancel", cancel, Qt::Key_Enter, false},
        {"Return on OK", ok, Qt::Key_Return, true},
        {"Return in an edit", edit, Qt::Key_Return, true},
        {"Enter in an edit", edit, Qt::Key_Enter, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BoardState s = state;
        ProfileData p = profile;
        TForm3 form(s, p, dir.str());
        form.show();
        QApplication::setActiveWindow(&form);
        Type(form.SpinEdit[1], "777");
        QWidget* focus = c.focus(form);
        focus->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        Key(focus, c.key);
        EXPECT_EQ(form.result(), c.stores ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(s.PrintParams[1], c.stores ? 777 : 341);
        EXPECT_EQ(p.Param[1], c.stores ? 777 : -1);
    }
}

TEST_F(Form3Test, ReturningToTheWindowKeepsWhatWasTyped)
{
    TForm3 form(state, profile, dir.str());
    form.show();
    Type(form.SpinEdit[4], "123");
    form.RadioItems[1]->setChecked(true);

    // The user comes back from another program: the window is activated again.
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&form, &deactivate);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&form, &activate);
    form.activateWindow();
    QApplication::processEvents();

    EXPECT_EQ(form.SpinEdit[4]->cleanText(), "123");
    EXPECT_TRUE(form.RadioItems[1]->isChecked());
    form.BitBtn1->click();
    EXPECT_EQ(state.PrintParams[ppMarginBottom], 123);
    EXPECT_EQ(state.PrintParams[ppTileMode], 1);
}

TEST_F(Form3Test, ShowingLoadsTheCurrentParams)
{
    TForm3 form(state, profile, dir.str());
    state.PrintParams[ppOverlap] = 12000;
    state.PrintParams[ppGridWidth] = 0;
    state.PrintParams[ppTileMode] = 1;
    form.show();
    EXPECT_EQ(form.SpinEdit[7]->value(), 9999);
    EXPECT_EQ(form.SpinEdit[8]->value(), 1);
    EXPECT_TRUE(form.RadioItems[1]->isChecked());
    form.hide();
}

TEST_F(Form3Test, DeleteKeyIsSwallowedBackspaceEdits)
{
    EXPECT_TRUE(TForm3::SpinEdit1KeyDown(46));
    EXPECT_FALSE(TForm3::SpinEdit1KeyDown(8));

    TForm3 form(state, profile, dir.str());
    form.show();
    for (int i = 1; i <= 8; ++i) {
        QSpinBox* spin = form.SpinEdit[i];
        const QString before = spin->cleanText();
        spin->selectAll();
        Key(spin, Qt::Key_Delete);
        EXPECT_EQ(spin->cleanText(), before) << i;
        Key(spin, Qt::Key_Backspace);
        EXPECT_EQ(spin->cleanText(), "") << i;
    }
    form.hide();
}

TEST_F(Form3Test, TypingAcceptsOnlyNumbers)
{
    TForm3 form(state, profile, dir.str());
    form.show();
    Type(form.SpinEdit[5], "4x2");
    EXPECT_EQ(form.SpinEdit[5]->cleanText(), "42");
    form.hide();
}

TEST_F(Form3Test, LanguageFileTranslatesTheWindowOnce)
{
    WriteBytes(dir.file("lang.ini"),
               "[PrintForm]\n"
               "Druckeinstellungen=Print settings\n"
               "Kachelmodus=Tile mode\n"
               "Portrait=Upright\n"
               "Koordinaten=Coordinates\n"
               "Hexgröße-y=Hex size y\n"
               "Überlappung=Overlap\n"
               "Angaben in 1/10 mm !=Values in 1/10 mm!\n"
               "Cancel=\n");
    TForm3 form(state, profile, dir.str());
    EXPECT_EQ(form.windowTitle(), "Print settings");
    EXPECT_EQ(form.RadioGroup1->title(), "Tile mode");
    EXPECT_EQ(form.RadioItems[0]->text(), "Upright");
    EXPECT_EQ(form.RadioItems[1]->text(), "Landscape");
    EXPECT_EQ(form.CheckBox1->text(), "Coordinates");
    EXPECT_EQ(form.Label[1]->text(), "Hex size y");
    EXPECT_EQ(form.Label[2]->text(), "Hexgröße-x");
    EXPECT_EQ(form.Label[7]->text(), "Overlap");
    EXPECT_EQ(form.Label[9]->text(), "Values in 1/10 mm!");
    EXPECT_EQ(form.BitBtn1->text(), "OK");
    EXPECT_EQ(form.BitBtn2->text(), "");

    // The texts for "Write Language File", in the file's order.
    const auto texts = form.languageTexts();
    ASSERT_EQ(texts.size(), 16u);
    EXPECT_EQ(texts[0].get(), "Print settings");
    EXPECT_EQ(texts[3].get(), "Landscape");
    EXPECT_EQ(texts[6].get(), "Hexgröße-x");
    EXPECT_EQ(texts[14].get(), "OK");
}

TEST_F(Form3Test, Windows1252LanguageFileApplies)
{
    WriteBytes(dir.file("lang.ini"), "[PrintForm]\r\n\xDC" "berlappung=Chevauchement\r\n"
                                     "Druckeinstellungen=R\xE9glages d'impression\r\n");
    TForm3 form(state, profile, dir.str());
    EXPECT_EQ(form.windowTitle(), "Réglages d'impression");
    EXPECT_EQ(form.Label[7]->text(), "Chevauchement");
}
