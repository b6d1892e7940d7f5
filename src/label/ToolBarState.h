#pragma once

#include "CanvasTypes.h"

#include <QString>

class GdiCanvas;

// The drawing attributes the main window's tool bar holds.
struct ToolBarState {
    // What the pen-width and font-size boxes offer; the modify dialog offers the same.
    static constexpr int kSmallestPenWidth = 1;
    static constexpr int kLargestPenWidth = 100;
    static constexpr int kSmallestFontSize = 4;
    static constexpr int kLargestFontSize = 100;

    int toolNumber = 1;
    int penWidth = 1;
    int penStyle = PenSolid;
    ColorRef penColor = 0x00000000;
    ColorRef fillColor = 0x00FFFFFF;
    int fillStyle = BrushClear;
    QString fontName = QStringLiteral("Arial");
    int fontSize = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;

    // Sets the canvas's pen, brush and font from the tool bar. The three style buttons
    // replace bold, italic and underline; strike-out and the font colour stay.
    void applyTo(GdiCanvas& canvas) const;
};
