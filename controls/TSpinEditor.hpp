#pragma once

#include <QAbstractSpinBox>

// A whole-number spin editor whose text is what the operator typed, kept as it stands. Its value
// is read from the text: empty text is 0, text that is no whole number is the minimum, and a
// number outside the range is taken as it is. A value set by the program, and a step by the
// arrows or keys, is clamped into the range. TextChanged fires at every change of the text,
// whoever made it. Leaving the editor shows text that holds no number as the value it reads as.
class TSpinEditor : public QAbstractSpinBox {
    Q_OBJECT
public:
    TSpinEditor(int minimum, int maximum, int step, int digits, QWidget* parent = nullptr);

    int Minimum() const { return m_minimum; }
    int Maximum() const { return m_maximum; }
    int Step() const { return m_step; }

    QString Text() const;
    void SetText(const QString& text);
    int Value() const;
    void SetValue(int value);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void TextChanged(const QString& text);

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    const int m_minimum;
    const int m_maximum;
    const int m_step;
    const int m_digits;
};
