#pragma once

#include "ToolBarState.h"

#include <QString>

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
