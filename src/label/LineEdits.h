#pragma once

#include "LineCodec.h"

#include <QSize>
#include <QString>

// Edits of object lines that need no window.
namespace LineEdits {

// Width and height of a text object's text in the font of its own style block.
QSize textObjectExtent(const QByteArray& text, const StyleBlock& style);

// Fits a TEXT line's rectangle to its text; other lines, and lines whose corner does not
// read, come back unchanged.
QByteArray Recadre(const QByteArray& line);

// Every mark but '#' becomes ' ' and every text rectangle is refitted. Returns whether a
// line was selected.
bool clearMarks(LineList& lines);

} // namespace LineEdits
