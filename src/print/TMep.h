#pragma once

#include "AnsweredDialog.h"

#include <QPoint>

class QDoubleSpinBox;
class QLabel;
class QPushButton;
class SpinEdit;

// The page setup dialog: the four page margins in millimetres and the zoom of preview and
// printing, in boxes without limits; and the current printer's calibration offset, the feed
// error that printing makes good on paper.
class TMep : public AnsweredDialog {
    Q_OBJECT
public:
    explicit TMep(QWidget* parent = nullptr);

    // The zoom box shows 100 for a zoom below 20.
    void Init(int left, int top, int right, int bottom, int zoom);
    // When the dialog was last closed with "OK", writes the five boxes, a zoom below 20 becoming
    // 100, and returns true; otherwise leaves the values alone and returns false.
    bool Result(int& left, int& top, int& right, int& bottom, int& zoom) const;
    // The printer's name and its offset across and down in tenths of a millimetre, within
    // ±10 mm; without a printer the offset boxes are greyed.
    void InitOffset(const QString& printer, QPoint offset);
    // When the dialog was last closed with "OK" and has a printer, writes its offset and
    // returns true.
    bool ResultOffset(QPoint& offset) const;

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
    QLabel* PrinterName;
    QDoubleSpinBox* OffsetX;
    QDoubleSpinBox* OffsetY;
    QPushButton* Button1;
    QPushButton* Button2;
};
