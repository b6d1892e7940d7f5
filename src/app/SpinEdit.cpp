#include "SpinEdit.h"

#include <QLineEdit>

SpinEdit::SpinEdit(int minimum, int maximum, int value, QWidget* parent) : QSpinBox(parent) {
    setRange(minimum, maximum);
    setValue(value);
    // Typing shows in the text, a value set by the program only in valueChanged.
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { emit changed(readValue()); });
    connect(this, &QSpinBox::valueChanged, this, [this] { emit changed(readValue()); });
    connect(lineEdit(), &QLineEdit::returnPressed, this, &SpinEdit::entered);
}

int SpinEdit::valueOf(const QString& text) const {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? qBound(minimum(), value, maximum()) : minimum();
}

int SpinEdit::readValue() const {
    return valueOf(lineEdit()->text());
}

void SpinEdit::setText(const QString& text) {
    lineEdit()->setText(text);
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
