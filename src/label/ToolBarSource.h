#pragma once

#include "GdiCanvas.h"

#include <QString>

// The drawing attributes the main window's tool bar holds.
struct ToolBarState {
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
};

// What the label window needs from the main window; the main window implements it and
// tests fake it.
class ToolBarSource {
public:
    virtual ~ToolBarSource() = default;
    virtual ToolBarState GetStyles() = 0;
    // The pen-width box ("Epaisseur de trait").
    virtual void setPenWidthField(int width) = 0;
    // Status bar panel 0 ("Position : (%d,%d)").
    virtual void showStatus(const QString& /*text*/) {}
};

// The label window's tool code for the main window's tool number; -1 leaves it unchanged
// and 6 (text) is chosen through SetText.
int toolForToolNumber(int toolNumber);
