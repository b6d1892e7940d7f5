#pragma once

#include "LineCodec.h"

#include <QPoint>
#include <QSize>

#include <QString>
#include <array>

// Edits of object lines that need no window.
namespace LineEdits {

// Width and height of a text object's text in the font of its own style block.
QSize textObjectExtent(const QByteArray& text, const StyleBlock& style);

// The rectangle the selection uses for a line: the 12 digits after the first blank (before
// the TAB); a number that does not read leaves it and the ones after it at 0.
LabelRect selectionRect(const QByteArray& line);

// The eight handles of a box, handle 1 first: the corners left top, right top, left bottom,
// right bottom, then the middles of the left, right, top and bottom sides.
std::array<QPoint, 8> handlePoints(const LabelRect& box);

// Fits a TEXT line's rectangle to its text; other lines, and lines whose corner does not
// read, come back unchanged.
QByteArray Recadre(const QByteArray& line);

} // namespace LineEdits

// Geometry edits of one object line, as the move and resize gestures apply them.
namespace LineEdits {

// Translates an object; an object that any part of would leave 0..4095 stays where it is.
QByteArray MoveXY(const QByteArray& line, int dx, int dy);

// Resizes an object from one of the eight handles of the selection box. `resizeFontSize`
// is the text size the gesture started from (0: take it from this line). A step that
// would put an edge or a point outside 0..4095 leaves the line as it was.
QByteArray RedimXY(const QByteArray& line, int dx, int dy, int handle, int& resizeFontSize);

// The point-list part of a resize: moves the points the handle does not hold and returns
// their bounding box through the four edges.
QByteArray RedimPoly(QByteArrayView pointList, int handle, int dx, int dy, int& left, int& top,
                     int& right, int& bottom);

// The text part of a resize: the font size that makes the text as wide as right - left.
QByteArray RedimText(const QByteArray& styleBlock, const QByteArray& text, int left, int right,
                     int& resizeFontSize);

} // namespace LineEdits
