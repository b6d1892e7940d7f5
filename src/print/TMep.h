#pragma once

#include "AnsweredDialog.h"

class QPushButton;
class SpinEdit;

// The page setup dialog: the four page margins in millimetres and the zoom of preview and
// printing, in boxes without limits.
class TMep : public AnsweredDialog {
    Q_OBJECT
public:
    explicit TMep(QWidget* parent = nullptr);

    // The zoom box shows 100 for a zoom below 20.
    void Init(int left, int top, int right, int bottom, int zoom);
    // When the dialog was last closed with "OK", writes the five boxes, a zoom below 20 becoming
    // 100, and returns true; otherwise leaves the values alone and returns false.
    bool Result(int& left, int& top, int& right, int& bottom, int& zoom) const;

    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    SpinEdit* SpinEdit1;
    SpinEdit* SpinEdit2;
    SpinEdit* SpinEdit3;
    SpinEdit* SpinEdit4;
    SpinEdit* SpinEdit5;
    QPushButton* Button1;
    QPushButton* Button2;
};
