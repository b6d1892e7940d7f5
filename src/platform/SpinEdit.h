#pragma once

#include <QSpinBox>

#include <optional>

// A number box that reads forgivingly: text that is not an
// integer counts as the minimum, and a number out of range as the nearer bound, which the
// box also shows once the focus leaves it.
class SpinEdit : public QSpinBox {
    Q_OBJECT
public:
    SpinEdit(int minimum, int maximum, int value, QWidget* parent = nullptr);

    // No limits: any int is taken, and text that is not an integer reads as 0.
    void setUnlimited();

    int readValue() const;
    // What the user sees and types, as QLineEdit::setText would put it there.
    void setText(const QString& text);
    void stepBy(int steps) override;

signals:
    // Emitted on every change of the text, with the value as read.
    void changed(int value);
    // Emitted when the arrows or the arrow keys stepped the value.
    void stepped();
    // Emitted when Enter is pressed in the box.
    void entered();

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int valueOf(const QString& text) const;

    std::optional<int> notANumber_;
};
