#pragma once

#include "LineCodec.h"

#include <QDialog>

class QKeyEvent;
class QPushButton;
class SpinEdit;

// "Position de l'objet": the selection's left and top typed in, given back as a move.
class TPosit : public QDialog {
    Q_OBJECT
public:
    explicit TPosit(QWidget* parent = nullptr);

    // Shows the selection's left and top and forgets any previous answer.
    void Init(const LabelRect& selection);
    // Runs the dialog modally through the program's dialog seam.
    int Execute();
    // The move typed, when the dialog was closed with "OK"; (0, 0) otherwise.
    void Result(int& dx, int& dy) const;

    void Button1Click();
    void Button2Click();
    bool accepted() const { return accepted_; }

    // Escape and the close box both land here and count as "Annuler".
    void reject() override;

    SpinEdit* SpinEdit1 = nullptr;
    SpinEdit* SpinEdit2 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int startLeft_ = 0;
    int startTop_ = 0;
    int shownLeft_ = 0;
    int shownTop_ = 0;
    bool accepted_ = false;
};
