#pragma once

#include "AnsweredDialog.h"

class QPushButton;
class SpinEdit;

// The label format dialog: width, height and the spacings between copies, in millimetres.
// "Nouveau" opens it before a new label, "Redimensionner" before a resize.
class TNouveau : public AnsweredDialog {
    Q_OBJECT
public:
    explicit TNouveau(QWidget* parent = nullptr);

    void Init(int width, int height, int hspacing, int vspacing);
    void Init2(int width, int height, int hspacing, int vspacing);
    // width becomes 0 unless the dialog was last closed with "OK"; the other three are
    // written only then.
    void Result(int& width, int& height, int& hspacing, int& vspacing) const;

    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fill(int width, int height, int hspacing, int vspacing);

    SpinEdit* SpinEdit1;
    SpinEdit* SpinEdit2;
    SpinEdit* SpinEdit3;
    SpinEdit* SpinEdit4;
    QPushButton* Button1;
    QPushButton* Button2;
};
