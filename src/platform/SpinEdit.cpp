#include "SpinEdit.h"

#include <QLineEdit>

#include <limits>

SpinEdit::SpinEdit(int minimum, int maximum, int value, QWidget* parent) : QSpinBox(parent) {
    setRange(minimum, maximum);
    setValue(value);
    // Typing shows in the text, a value set by the program only in valueChanged.
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { emit changed(readValue()); });
    connect(this, &QSpinBox::valueChanged, this, [this] { emit changed(readValue()); });
    connect(lineEdit(), &QLineEdit::returnPressed, this, &SpinEdit::entered);
}

void SpinEdit::setUnlimited() {
    setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    notANumber_ = 0;
}

int SpinEdit::valueOf(const QString& text) const {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? qBound(minimum(), value, maximum()) : notANumber_.value_or(minimum());
}

int SpinEdit::readValue() const {
    return valueOf(lineEdit()->text());
}

void SpinEdit::setText(const QString& text) {
    lineEdit()->setText(text);
}

QValidator::State SpinEdit::validate(QString& input, int& /*pos*/) const {
    // Any integer may be typed, even beyond the range: "350" must not stop at "35"; it is
    // brought to the nearer bound when the focus leaves the box.
    const QString text = input.trimmed();
    qsizetype digits = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128)
            ++digits;
        else if (i != 0 || (c != u'-' && c != u'+'))
            return QValidator::Invalid;
    }
    if (digits > 9)
        return QValidator::Invalid;
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= minimum() && value <= maximum() ? QValidator::Acceptable
                                                          : QValidator::Intermediate;
}

void SpinEdit::fixup(QString& input) const {
    input = QString::number(valueOf(input));
}

void SpinEdit::focusOutEvent(QFocusEvent* event) {
    // Without this the box would fall back to its last valid value instead of the bound.
    const int value = readValue();
    if (lineEdit()->text() != QString::number(value) || QSpinBox::value() != value)
        setValue(value);
    QSpinBox::focusOutEvent(event);
}

void SpinEdit::stepBy(int steps) {
    // Step from what the text says, not from a value the text no longer shows.
    if (QSpinBox::value() != readValue())
        setValue(readValue());
    QSpinBox::stepBy(steps);
    emit stepped();
}
