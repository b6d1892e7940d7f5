#pragma once

#include "LineCodec.h"

#include <QString>

// The dialogs the label window opens; they live above it, so it reaches them through this.
class LabelDialogs {
public:
    virtual ~LabelDialogs() = default;
    // The text editor: the typed line, empty when nothing was typed or it was cancelled.
    virtual QString editText() = 0;
    // The object list over `lines`: changes them when the user closed it by a choice or
    // "Fermer"; returns the chosen line's index, or -1 for none.
    virtual int objectList(LineList& lines) = 0;
    // The label's properties.
    virtual void properties(const QString& fileName, const LineList& lines) = 0;
};
