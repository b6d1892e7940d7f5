#pragma once

#include <QByteArrayView>

// Every kind of object line and background record the label file knows, in one table: its
// keyword, whether a point list follows its rectangle field, and how the program names it.
// The keywords are written here and nowhere else; adding a kind is a row here and a drawing
// case in LineRenderer.
enum class ObjectKind {
    Line,   // down from the top-left corner
    LineUp, // up from the bottom-left corner
    Rect,
    Ellipse,
    RoundRect,
    ArcL,
    ArcH,
    ArcLU,
    ArcHU,
    ChordL,
    ChordH,
    ChordLU,
    ChordHU,
    Polygon,
    Polyline,
    FreeHand,
    Text,
    Bitmap,
    Metafile,
    // A barcode or 2-D code: the symbology and its data follow the rectangle field.
    Barcode,
    // Background records (line 1).
    Blank,
    FillRect,
    Shape,
    Gradient,   // bands growing lighter
    GradientUp, // bands growing darker
    Mosaic,
    // The label's sheet of pre-cut labels: kept apart from the objects, never drawn.
    Sheet,
    // The address list the label is printed from: kept apart like the sheet.
    Merge,
    Unknown,
};

// The page of "Modifier objet" that shows a kind's attributes.
enum class ModifyPage { Lines, Shapes, Text, Barcode, None };

struct ObjectKindInfo {
    ObjectKind kind;
    const char* keyword;
    // A point list follows the rectangle field, and moves and scales with it.
    bool pointList;
    // A background record, drawn over the whole label rather than in its rectangle.
    bool background;
    // The name in the object list, and the title of "Modifier objet" (UTF-8).
    const char* listName;
    const char* modifyTitle;
    ModifyPage page;
};

namespace ObjectKinds {

// The row of a keyword as it stands in a line (exact, case included); Unknown's row for any
// other word.
const ObjectKindInfo& of(QByteArrayView keyword);
const ObjectKindInfo& info(ObjectKind kind);
QByteArrayView keyword(ObjectKind kind);
// Whether moves and resizes treat what follows the rectangle as points: the point-list kinds,
// and any other keyword holding "POLY" or "DRAW", as the edits have always read them.
bool editsPointList(QByteArrayView keyword);

} // namespace ObjectKinds
