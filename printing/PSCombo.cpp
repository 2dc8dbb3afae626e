#include "printing/PSCombo.h"

#include "platform/Dialogs.h"
#include "printing/PSCommon.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <cmath>
#include <exception>

namespace printing {

std::optional<int> ScaleFromText(const std::string& text)
{
    double whole = 0, fraction = 0, unit = 1;
    bool digits = false, inFraction = false;
    for (char c : text) {
        if (c == '.') {
            if (inFraction)
                break;          // a second full stop ends the number
            inFraction = true;
        } else if (c >= '0' && c <= '9') {
            digits = true;
            if (inFraction) {
                unit /= 10;
                fraction += (c - '0') * unit;
            } else if (whole <= MaxViewScale) {
                whole = whole * 10 + (c - '0');
            }
        }
    }
    if (!digits)
        return std::nullopt;
    if (whole > MaxViewScale)
        return MaxViewScale + 1;
    return static_cast<int>(std::nearbyint(whole + fraction));
}

TPreviewComboBox::TPreviewComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    // A confirmed entry sets the scale; it never becomes a line of the list.
    setInsertPolicy(QComboBox::NoInsert);
    resize(125, 21);
    lineEdit()->setText(QString::fromStdString(LoadStr(sNotLinked)));
    installEventFilter(this);
    lineEdit()->installEventFilter(this);
    connect(this, &QComboBox::activated, this, &TPreviewComboBox::Pick);
}

void TPreviewComboBox::SetPreview(TCustomPreview* preview)
{
    if (Relink(preview))
        Update();
}

void TPreviewComboBox::Update()
{
    const std::string text = preview_ ? preview_->ScaleText() : LoadStr(sNotLinked);
    lineEdit()->setText(QString::fromStdString(text));
    // The start of the text is what tells the mode.
    lineEdit()->setCursorPosition(0);
    if (OnUpdate)
        OnUpdate(*this);
}

std::string TPreviewComboBox::Text() const
{
    return lineEdit()->text().toStdString();
}

void TPreviewComboBox::RebuildItems()
{
    const QString text = lineEdit()->text();
    clear();
    addItem(QString::fromStdString(LoadStr(sWholePageItem)));
    addItem(QString::fromStdString(LoadStr(sPageWidthItem)));
    for (int step : ZoomSteps)
        addItem(QString::number(step) + '%');
    setMaxVisibleItems(count());
    // Rebuilding the list must not replace what the box shows.
    setCurrentIndex(-1);
    lineEdit()->setText(text);
}

void TPreviewComboBox::showPopup()
{
    RebuildItems();
    QComboBox::showPopup();
}

void TPreviewComboBox::Pick(int index)
{
    if (!preview_ || index < 0 || index >= count())
        return;
    if (index == 0)
        preview_->SetViewMode(vmWholePage);
    else if (index == 1)
        preview_->SetViewMode(vmPageWidth);
    else
        ApplyScaleText(itemText(index).toStdString());
}

void TPreviewComboBox::Confirm()
{
    if (!preview_)
        return;
    ApplyScaleText(Text());
    FocusPreview();
}

void TPreviewComboBox::ApplyScaleText(const std::string& text)
{
    bool failed = false;
    try {
        preview_->SetViewMode(vmCustom);
        if (const auto scale = ScaleFromText(text))
            preview_->SetViewScale(*scale);
        else
            failed = true;
    } catch (const std::exception&) {
        failed = true;
    }
    if (failed)
        plat::ShowMessage(LoadStr(sInvalidScale), QGuiApplication::applicationDisplayName().toStdString());
}

void TPreviewComboBox::FocusPreview()
{
    if (preview_ && preview_->isVisible())
        preview_->setFocus(Qt::OtherFocusReason);
}

bool TPreviewComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QComboBox::eventFilter(watched, event);
    auto* e = static_cast<QKeyEvent*>(event);
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (preview_)
            Confirm();
        return true;
    case Qt::Key_Escape:
        if (preview_) {
            FocusPreview();
            Update();
        }
        return false;
    default:
        break;
    }
    // Only digits, the full stop and Backspace are typed.
    const QString t = e->text();
    if (!t.isEmpty() && t[0].isPrint() && !(t[0].isDigit() && t[0].unicode() < 0x80) && t[0] != '.')
        return true;
    return QComboBox::eventFilter(watched, event);
}

void TPreviewComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    // An entry left unconfirmed gives way to the preview's scale.
    if (event->reason() != Qt::PopupFocusReason)
        Update();
}

} // namespace printing
