#pragma once

#include "AnsweredDialog.h"
#include "CanvasTypes.h"
#include "GdiCanvas.h"

class ColorPanel;
class PreviewBox;
class QPushButton;
class QRadioButton;

// "Dégradés": the first band's colour and the direction of a gradient page background.
class TCouleur : public AnsweredDialog {
    Q_OBJECT
public:
    // The directions Result gives.
    enum Direction { DarkToLight = 1, LightToDark = 2 };

    explicit TCouleur(QWidget* parent = nullptr);

    // Takes the first band's colour; the direction and the answer of the last use are kept.
    void Init(ColorRef color);
    // Runs the dialog modally through the program's dialog seam.
    int Execute();
    // When the dialog was closed with "OK", the colour and the direction; otherwise both
    // outputs are left as they were. Returns whether they were set.
    bool Result(ColorRef& color, int& direction) const;

    // The preview: the 50 bands the label draws for this colour and direction.
    void Calcule();
    // A press on colour button `number` (1..6) makes its colour the first band's.
    void PanelClick(int number);

    ColorRef baseColor() const { return base_; }
    // The colour of each button, Panel1 first.
    static ColorRef buttonColor(int number);

    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    PreviewBox* PaintBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

private:
    GdiCanvas canvas_;
    ColorRef base_ = 0;
};
