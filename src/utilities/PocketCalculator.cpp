#include "PocketCalculator.h"

#include "UserError.h"

#include <QRegularExpression>

#include <cmath>

namespace {

UserError divisionByZero() {
    return UserError(QStringLiteral("Division flottante par zéro"));
}

UserError invalidOperation() {
    return UserError(QStringLiteral("Opération flottante incorrecte"));
}

// Arithmetic that reports what a floating-point unit would trap on.
double checked(double result) {
    if (std::isnan(result))
        throw invalidOperation();
    if (std::isinf(result))
        throw UserError(QStringLiteral("Dépassement de capacité flottante"));
    return result;
}

double divide(double dividend, double divisor) {
    if (divisor == 0)
        throw dividend == 0 ? invalidOperation() : divisionByZero();
    return checked(dividend / divisor);
}

} // namespace

void PocketCalculator::clear() {
    DisplayText.clear();
    Accumulator = 0;
    Operand = 0;
    HasAccumulator = false;
    PendingOperator = QChar();
}

void PocketCalculator::digit(int d) {
    if (StartNewNumber)
        DisplayText.clear();
    DisplayText += QChar(u'0' + d);
    StartNewNumber = false;
}

void PocketCalculator::comma() {
    DisplayText += u',';
}

void PocketCalculator::evaluate() {
    if (!HasAccumulator) {
        // The first number is taken as typed; a display that is no number is just cleared.
        try {
            Accumulator = read(DisplayText);
        } catch (const UserError&) {
            DisplayText.clear();
            return;
        }
        HasAccumulator = true;
        StartNewNumber = true;
        return;
    }
    Operand = read(DisplayText);
    double result = Accumulator;
    switch (PendingOperator.unicode()) {
    case u'+':
        result = checked(Accumulator + Operand);
        break;
    case u'-':
        result = checked(Accumulator - Operand);
        break;
    case u'*':
        result = checked(Accumulator * Operand);
        break;
    case u'/':
        result = divide(Accumulator, Operand);
        break;
    default:
        break;
    }
    Accumulator = result;
    showResult(result);
}

void PocketCalculator::operatorKey(QChar op) {
    evaluate();
    PendingOperator = op;
}

void PocketCalculator::reciprocal() {
    Operand = read(DisplayText);
    const double result = divide(1, Operand);
    Accumulator = result;
    HasAccumulator = true;
    showResult(result);
}

void PocketCalculator::squareRoot() {
    Operand = read(DisplayText);
    if (Operand < 0)
        throw invalidOperation();
    const double result = std::sqrt(Operand);
    Accumulator = result;
    HasAccumulator = true;
    showResult(result);
}

void PocketCalculator::showResult(double value) {
    DisplayText = format(value);
    StartNewNumber = true;
}

double PocketCalculator::read(const QString& text) {
    // Digits with one decimal comma, as typed, or a result with its exponent.
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(\\d+,?\\d*|,\\d+)([eE][+-]?\\d+)?\\s*$"));
    bool ok = number.match(text).hasMatch();
    double value = 0;
    if (ok) {
        QString c = text.trimmed();
        c.replace(u',', u'.');
        value = c.toDouble(&ok);
    }
    if (!ok || !std::isfinite(value))
        throw UserError(QStringLiteral("'%1' n'est pas une valeur flottante correcte").arg(text));
    return value;
}

QString PocketCalculator::format(double value) {
    // Fifteen significant digits hide the binary noise: 0.1 + 0.2 shows 0,3.
    QString text = QString::number(value == 0 ? 0.0 : value, 'g', 15);
    text.replace(u'.', u',');
    return text;
}
