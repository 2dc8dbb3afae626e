#include "editor/Unit3.h"
#include "editor/Unit1App.h"
#include "editor/LangWidgets.h"

#include "editor/board/BoardState.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStyle>

#include <charconv>
#include <limits>

namespace tolv {

namespace {

constexpr int VkDelete = 46;

// A spin edit whose text reads as the settings window wants it: digits with
// an optional sign may be typed, values beyond the limits read as the
// nearest limit, and a text that is no number reads as the minimum.
class PrintSpinEdit : public QSpinBox {
public:
    PrintSpinEdit(int edit, QWidget* parent) : QSpinBox(parent), edit_(edit)
    {
        setRange(PrintParamLimits[edit].min, PrintParamLimits[edit].max);
        setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    }

protected:
    QValidator::State validate(QString& input, int&) const override
    {
        const QString t = input.trimmed();
        for (int i = 0; i < t.size(); ++i) {
            const QChar c = t[i];
            if (!(c.isDigit() && c.unicode() < 128) && !(i == 0 && (c == '-' || c == '+')))
                return QValidator::Invalid;
        }
        return QValidator::Acceptable;
    }
    int valueFromText(const QString& text) const override
    {
        return SpinTextValue(text.toStdString(), edit_);
    }
    void fixup(QString& input) const override { input = QString::number(valueFromText(input)); }

private:
    int edit_;
};

int VirtualKey(const QKeyEvent& e)
{
    return e.key() == Qt::Key_Delete ? VkDelete : 0;
}

struct Geometry {
    int x, y, w, h;
};

constexpr int ClientWidth = 345;
constexpr int ClientHeight = 331;
constexpr int EditLeft = 16, EditTop = 14, EditPitch = 32, EditWidth = 81, EditHeight = 24;
constexpr int LabelLeft = 108, LabelWidth = 112;

// Which label stands beside spin edit i: Label2 beside the first, Label1
// beside the second, then Label3..Label8 in order.
constexpr plat::NumberedArray<int, 1, 8> LabelOfEdit{2, 1, 3, 4, 5, 6, 7, 8};

void Place(QWidget* w, Geometry g)
{
    w->setGeometry(g.x, g.y, g.w, g.h);
}

} // namespace

int LimitToEdit(std::int64_t value, int edit)
{
    const ParamLimits l = PrintParamLimits[edit];
    if (value < l.min)
        return l.min;
    if (value > l.max)
        return l.max;
    return int(value);
}

int SpinTextValue(std::string_view text, int edit)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return PrintParamLimits[edit].min;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);

    std::int64_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (end != text.data() + text.size() || text.empty())
        return PrintParamLimits[edit].min;
    if (ec == std::errc::result_out_of_range)
        // All digits, just too many of them: beyond the limits on that side.
        return text.front() == '-' ? PrintParamLimits[edit].min : PrintParamLimits[edit].max;
    if (ec != std::errc())
        return PrintParamLimits[edit].min;
    return LimitToEdit(v, edit);
}

PrintSettingsEdits EditsFromParams(const PrintParamArray& params)
{
    PrintSettingsEdits e;
    for (int i = 1; i <= 8; ++i)
        e.spin[i] = LimitToEdit(params[i], i);
    e.tileMode = (params[ppTileMode] == 0 || params[ppTileMode] == 1) ? params[ppTileMode] : 0;
    e.coords = params[ppShowCoords] != 0;
    return e;
}

void StoreEdits(const PrintSettingsEdits& edits, PrintParamArray& params,
                PrintParamArray& profileParams)
{
    for (int i = 1; i <= 8; ++i)
        params[i] = LimitToEdit(edits.spin[i], i);
    params[ppTileMode] = edits.tileMode == 1 ? 1 : 0;
    params[ppShowCoords] = edits.coords ? 1 : 0;
    for (int i = 1; i <= 10; ++i)
        profileParams[i] = params[i];
}

TForm3::TForm3(BoardState& state, ProfileData& profile, const std::string& programDir,
               QWidget* parent)
    : QDialog(parent), state_(state), profile_(profile)
{
    setObjectName("Form3");
    setWindowTitle("Druckeinstellungen");
    setFixedSize(ClientWidth, ClientHeight);
    setWindowFlags((windowFlags() | Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
                   & ~Qt::WindowContextHelpButtonHint);

    static const char* const labelTexts[10] = {
        nullptr, "Hexgröße-y", "Hexgröße-x", "Rand oben", "Rand unten", "Rand links",
        "Rand rechts", "Überlappung", "Gridbreite(Pixel)", "Angaben in 1/10 mm !"};
    for (int i = 1; i <= 9; ++i) {
        Label[i] = new QLabel(QString::fromUtf8(labelTexts[i]), this);
        Label[i]->setObjectName(QString("Label%1").arg(i));
    }

    for (int i = 1; i <= 8; ++i) {
        auto* spin = new PrintSpinEdit(i, this);
        spin->setObjectName(QString("SpinEdit%1").arg(i));
        const int y = EditTop + (i - 1) * EditPitch;
        Place(spin, {EditLeft, y, EditWidth, EditHeight});
        spin->installEventFilter(this);
        SpinEdit[i] = spin;
        QLabel* label = Label[LabelOfEdit[i]];
        Place(label, {LabelLeft, y, LabelWidth, EditHeight});
        label->setBuddy(spin);
    }
    Place(Label[9], {EditLeft, EditTop + 8 * EditPitch - 4, 200, 20});

    RadioGroup1 = new QGroupBox("Kachelmodus", this);
    RadioGroup1->setObjectName("RadioGroup1");
    Place(RadioGroup1, {224, 8, 109, 82});
    RadioItems[0] = new QRadioButton("Portrait", RadioGroup1);
    RadioItems[1] = new QRadioButton("Landscape", RadioGroup1);
    Place(RadioItems[0], {10, 24, 94, 22});
    Place(RadioItems[1], {10, 50, 94, 22});
    RadioItems[0]->setChecked(true);

    CheckBox1 = new QCheckBox("Koordinaten", this);
    CheckBox1->setObjectName("CheckBox1");
    Place(CheckBox1, {232, 104, 101, 22});

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    BitBtn1->setAutoDefault(true);
    Place(BitBtn1, {140, 295, 92, 28});
    BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Cancel", this);
    BitBtn2->setObjectName("BitBtn2");
    // Enter on a focused button presses that button, not OK.
    BitBtn2->setAutoDefault(true);
    Place(BitBtn2, {241, 295, 92, 28});

    Connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    Connect(BitBtn2, &QPushButton::clicked, this, [this] { reject(); });

    FormCreate(programDir);
    FormActivate();
}

void TForm3::FormCreate(const std::string& programDir)
{
    if (!LangFileExists(programDir))
        return;
    LanguageFile lang(LangFilePath(programDir));
    lang.apply(LangPrintForm, languageTexts());
}

std::vector<LangText> TForm3::languageTexts()
{
    std::vector<LangText> texts;
    texts.push_back(CaptionOf(this));
    texts.push_back(TitleOf(RadioGroup1));
    texts.push_back(TextOf(RadioItems[0]));
    texts.push_back(TextOf(RadioItems[1]));
    texts.push_back(TextOf(CheckBox1));
    for (int i = 1; i <= 9; ++i)
        texts.push_back(TextOf(Label[i]));
    texts.push_back(TextOf(BitBtn1));
    texts.push_back(TextOf(BitBtn2));
    return texts;
}

void TForm3::FormActivate()
{
    const PrintSettingsEdits e = EditsFromParams(state_.PrintParams);
    for (int i = 1; i <= 8; ++i)
        SpinEdit[i]->setValue(e.spin[i]);
    RadioItems[e.tileMode]->setChecked(true);
    CheckBox1->setChecked(e.coords);
}

PrintSettingsEdits TForm3::edits() const
{
    PrintSettingsEdits e;
    // The shown text counts, also one still being typed.
    for (int i = 1; i <= 8; ++i)
        e.spin[i] = SpinTextValue(SpinEdit[i]->cleanText().toStdString(), i);
    e.tileMode = RadioItems[1]->isChecked() ? 1 : 0;
    e.coords = CheckBox1->isChecked();
    return e;
}

void TForm3::BitBtn1Click()
{
    StoreEdits(edits(), state_.PrintParams, profile_.Param);
    accept();
}

bool TForm3::SpinEdit1KeyDown(int key)
{
    return key == VkDelete;
}

void TForm3::showEvent(QShowEvent* event)
{
    // Load once per showing: activation also comes when the user returns
    // from another program and must not reset what was typed meanwhile. A
    // spontaneous show (restored from minimised) is the same showing.
    if (!event->spontaneous())
        FormActivate();
    QDialog::showEvent(event);
}

bool TForm3::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress
        && SpinEdit1KeyDown(VirtualKey(*static_cast<QKeyEvent*>(event)))) {
        event->accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tolv
