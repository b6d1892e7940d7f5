#pragma once

#include "PocketCalculator.h"

#include <QDialog>

#include <array>
#include <functional>

class QKeyEvent;
class QLabel;
class QPushButton;

// The pocket calculator "Calculatrice": a display and twenty buttons; typed keys press the
// same buttons. Each opening starts from a clear calculator.
class TPocket : public QDialog {
    Q_OBJECT
public:
    explicit TPocket(QWidget* parent = nullptr);

    void FormActivate();
    // Turns a typed key into a click of its button; true when the key had one.
    bool FormKeyPress(QKeyEvent* event);

    const PocketCalculator& calculator() const { return calculator_; }
    QPushButton* button(int number) const { return buttons_.at(number); }

    QLabel* Label1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Runs one operation; a failure is reported and the display shows what is left.
    void run(const std::function<void()>& operation);

    PocketCalculator calculator_;
    std::array<QPushButton*, 20> buttons_{};
};
