#pragma once

#include "LineCodec.h"
#include "ObjectKinds.h"

#include <QList>
#include <QPoint>

// The object lines the drawing tools make from a gesture: from the press to the release,
// through the collected points of a polygon or polyline.
namespace NewObjects {

// The drawing tools, by the label window's tool codes.
enum ToolCode {
    ToolLine = 0,
    ToolRect = 1,
    ToolEllipse = 2,
    ToolRoundRect = 3,
    ToolPointer = 4,
    ToolText = 6,
    ToolPicture = 7,
    ToolPolygon = 8,
    ToolPolyline = 9,
    ToolArc = 10,
    ToolBarcode = 11,
};

// What a tool's gesture from `from` to `to` records; Unknown for a tool that records nothing.
// `metafile` tells a picture read from a metafile from a bitmap; `otherHalf` is Ctrl held.
ObjectKind kindForTool(int tool, QPoint from, QPoint to, bool otherHalf, bool metafile);

// A line drawn from `from` to `to`: its rectangle is normalised, so the kind says which
// diagonal it runs along.
ObjectKind lineKind(QPoint from, QPoint to);
// The half-ellipse drawn from `from` to `to`; with Ctrl, the other half.
ObjectKind arcKind(QPoint from, QPoint to, bool otherHalf);

// The object line: mark ' ', group '0', the kind's keyword, the rectangle enclosing the two
// corners (and the points, for a point list, which then is its kind data), the kind data
// and the style block.
QByteArray line(ObjectKind kind, QPoint from, QPoint to, const QList<QPoint>& points,
                QByteArrayView kindData, QByteArrayView styles);

} // namespace NewObjects
