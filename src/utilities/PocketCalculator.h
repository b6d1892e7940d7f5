#pragma once

#include <QChar>
#include <QString>

// The pocket calculator without its window: strictly left to right with one pending
// operator. Buttons and keys of TPocket call these operations. A failing operation throws
// UserError and leaves the state as it was before its failing step.
class PocketCalculator {
public:
    void clear();
    void digit(int d);
    void comma();
    // "=": applies the pending operator to the accumulator and the display.
    void evaluate();
    // "+", "-", "*", "/": evaluates, then waits with op for the next number.
    void operatorKey(QChar op);
    // "1/x" and "sqr": act on the display alone, the pending operator stays.
    void reciprocal();
    void squareRoot();

    // The display's text as a number; throws UserError when it is none.
    static double read(const QString& text);
    // A result as the display shows it: decimal comma, at most 15 significant digits,
    // exponent form for very large and very small values.
    static QString format(double value);

    QString DisplayText;
    double Accumulator = 0;
    double Operand = 0;
    QChar PendingOperator; // null when none
    bool HasAccumulator = false;
    bool StartNewNumber = false;

private:
    void showResult(double value);
};
