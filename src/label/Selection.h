#pragma once

#include "LineCodec.h"

#include <QList>
#include <QPoint>
#include <QRect>

// The selection lives in the lines themselves: '*' in the mark column, with '#' for a locked
// object and the group digit after it. These are the reads and edits of it, for the window,
// the object commands and the tests alike; none needs a widget.
namespace Selection {

constexpr char kSelected = '*';
constexpr char kLocked = '#';
constexpr char kPlain = ' ';
// The box of no selection: empty, ready to grow.
constexpr LabelRect kNone{8182, 8182, 0, 0};

bool isSelected(const QByteArray& line);
// The object lines (from line 2) that are selected.
qsizetype count(const LineList& lines);
// The only selected object line, or -1 when there are none or several.
qsizetype single(const LineList& lines);

// An object's rectangle as the selection reads it, normalised.
LabelRect boxOf(const QByteArray& line);
// The union of the selected objects' boxes; kNone when nothing is selected.
LabelRect box(const LineList& lines);
// Whether an unlocked object lies under the point.
bool objectAt(const LineList& lines, QPoint point);

// A click at the point: the topmost unlocked object under it changes its mark, and the
// other members of its group are selected with it. Returns whether an object was hit.
bool click(LineList& lines, QPoint point);
// Every unlocked object wholly inside the rectangle is selected.
void selectInside(LineList& lines, const QRect& band);
// Every object becomes selected, a locked one too.
void selectAll(LineList& lines);
// Every mark but a lock becomes plain, and every text's rectangle is fitted to its text.
// Returns whether something was selected.
bool clear(LineList& lines);

// The top-right corners of the locked objects.
QList<QPoint> lockedCorners(const LineList& lines);

// Which of the box's eight handles (1..8, as LineEdits::handlePoints numbers them) the point
// is within reach of, the last one that is; 0 for none.
int handleAt(const LabelRect& box, QPoint point);
// Whether the point lies strictly inside the box, where a press moves the selection.
bool insideBox(const LabelRect& box, QPoint point);

} // namespace Selection
