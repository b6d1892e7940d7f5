#pragma once

#include "AnsweredDialog.h"
#include "CanvasTypes.h"
#include "GdiCanvas.h"

class ColorPanel;
class PreviewBox;
class QColorDialog;
class QPushButton;

// "Motif": the pattern of a patterned page background (one of the eight brush styles), the
// colour of its lines ("Trait") and of its ground ("Fond").
class TMotif : public AnsweredDialog {
    Q_OBJECT
public:
    explicit TMotif(QWidget* parent = nullptr);

    // Takes the pattern and both colours; the answer of the last use is kept.
    void Init(int brushStyle, ColorRef lineColor, ColorRef backColor);
    // Runs the dialog modally through the program's dialog seam.
    int Execute();
    // When the dialog was closed with "OK", the chosen pattern and colours; otherwise the
    // three outputs are left as they were. Returns whether they were set.
    bool Result(int& brushStyle, ColorRef& lineColor, ColorRef& backColor) const;

    // The preview: the pattern in the "Fond" colour over a fill in the "Trait" colour, framed
    // in the "Trait" colour, as the label draws a patterned background.
    void Apercu();
    // A press on swatch `number` (1..8) chooses its pattern.
    void ShapeMouseDown(int number);
    void Panel10Click();
    void Panel11Click();
    void Button1Click();
    void Button2Click();

    int pattern() const { return pattern_; }
    // The brush style each swatch shows, Shape1 first.
    static int swatchStyle(int number);

    ColorPanel* Panel10 = nullptr;
    ColorPanel* Panel11 = nullptr;
    PreviewBox* PaintBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QColorDialog* ColorDialog1 = nullptr;

private:
    void chooseColor(ColorPanel* panel);

    GdiCanvas canvas_;
    int pattern_ = BrushSolid;
};
