#include "TSpinEditor.hpp"

#include "ControlAccessibility.hpp"

#include <QAccessible>
#include <QFocusEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

TSpinEditor::TSpinEditor(int minimum, int maximum, int step, int digits, QWidget* parent)
    : QAbstractSpinBox(parent)
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_step(step)
    , m_digits(digits) {
    lineEdit()->setMaxLength(digits);
    InstallControlAccessibility();
    // The base class keeps no value of its own, so nothing rewrites the text on focus loss.
    connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString& text) {
        if (QAccessible::isActive()) {
            QAccessibleValueChangeEvent event(this, Value());
            QAccessible::updateAccessibility(&event);
        }
        emit TextChanged(text);
    });
}

namespace {

// The whole number the text holds, or nothing when it holds none.
std::optional<int> ReadNumber(const std::string& text) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    int value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (begin == end || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

} // namespace

QString TSpinEditor::Text() const {
    return lineEdit()->text();
}

void TSpinEditor::SetText(const QString& text) {
    if (text != lineEdit()->text())
        lineEdit()->setText(text);
}

int TSpinEditor::Value() const {
    const std::string text = Text().toStdString();
    if (text.empty())
        return 0;
    return ReadNumber(text).value_or(m_minimum);
}

void TSpinEditor::focusOutEvent(QFocusEvent* event) {
    QAbstractSpinBox::focusOutEvent(event);
    // Text that holds no number is shown as the value it reads as, so that the operator sees
    // what the program uses. A number stays as typed, also outside the range.
    if (!ReadNumber(Text().toStdString()))
        SetText(QString::number(Value()));
}

void TSpinEditor::SetValue(int value) {
    SetText(QString::number(std::clamp(value, m_minimum, m_maximum)));
}

void TSpinEditor::stepBy(int steps) {
    const long long next = static_cast<long long>(Value()) + static_cast<long long>(steps) * m_step;
    SetValue(static_cast<int>(std::clamp<long long>(next, m_minimum, m_maximum)));
    selectAll();
}

QValidator::State TSpinEditor::validate(QString& /*input*/, int& /*pos*/) const {
    // Any text is taken; the reading rules give every text a value.
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled TSpinEditor::stepEnabled() const {
    if (isReadOnly())
        return StepNone;
    const int value = Value();
    StepEnabled enabled = StepNone;
    if (value < m_maximum)
        enabled |= StepUpEnabled;
    if (value > m_minimum)
        enabled |= StepDownEnabled;
    return enabled;
}

QSize TSpinEditor::sizeHint() const {
    ensurePolished();
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(QString(m_digits, QLatin1Char('0'))) + 6;
    const QSize content(textWidth, lineEdit()->sizeHint().height());
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, content, this);
}

QSize TSpinEditor::minimumSizeHint() const {
    return sizeHint();
}
