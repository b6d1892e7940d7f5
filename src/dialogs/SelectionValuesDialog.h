#pragma once

#include "AnsweredDialog.h"

#include <QPoint>

class QGridLayout;
class QPushButton;
class SpinEdit;

// Two values of the selection box typed into boxes ("Position X" and "Position Y",
// "Largeur" and "Hauteur"), given back as their change when the dialog is closed with "OK".
class SelectionValuesDialog : public AnsweredDialog {
    Q_OBJECT
public:
    // Runs the dialog modally through the program's dialog seam.
    int Execute();

    void Button1Click();
    void Button2Click();

    SpinEdit* SpinEdit1 = nullptr;
    SpinEdit* SpinEdit2 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

protected:
    // The boxes take 0..4096.
    static constexpr int kLargestValue = 4096;

    SelectionValuesDialog(const QString& name, const QString& title, const char* firstCaption,
                          const char* secondCaption, QWidget* parent);
    // Shows the two starting values and forgets any previous answer.
    void start(int first, int second);
    // What was typed minus the starting values; (0, 0) unless closed with "OK". A box left as
    // shown changes nothing, even where it had to bring its start within its bounds.
    QPoint change() const;
    QGridLayout* grid() const { return grid_; }
    void showEvent(QShowEvent* event) override;

private:
    QGridLayout* grid_ = nullptr;
    QPoint start_;
    QPoint shown_;
};
