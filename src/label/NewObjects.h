#pragma once

#include "LineCodec.h"
#include "ObjectKinds.h"

#include <QList>
#include <QPoint>

// The object lines the drawing tools make from a gesture: from the press to the release,
// through the collected points of a polygon or polyline.
namespace NewObjects {

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
