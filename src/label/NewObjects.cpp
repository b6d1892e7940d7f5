#include "NewObjects.h"

namespace NewObjects {

ObjectKind lineKind(QPoint from, QPoint to) {
    const bool upward = to.y() < from.y();
    const bool leftward = to.x() < from.x();
    return (leftward ? to.y() > from.y() : upward) ? ObjectKind::LineUp : ObjectKind::Line;
}

ObjectKind arcKind(QPoint from, QPoint to, bool otherHalf) {
    // The keyword names the corner of the normalised rectangle the arc starts from.
    const bool upward = to.y() < from.y();
    const bool leftward = to.x() < from.x();
    if (!leftward)
        return upward ? (otherHalf ? ObjectKind::ArcLU : ObjectKind::ArcHU)
                      : (otherHalf ? ObjectKind::ArcL : ObjectKind::ArcH);
    return upward ? (otherHalf ? ObjectKind::ArcH : ObjectKind::ArcL)
                  : (otherHalf ? ObjectKind::ArcHU : ObjectKind::ArcLU);
}

ObjectKind kindForTool(int tool, QPoint from, QPoint to, bool otherHalf, bool metafile) {
    switch (tool) {
    case ToolLine:
        return lineKind(from, to);
    case ToolRect:
        return ObjectKind::Rect;
    case ToolEllipse:
        return ObjectKind::Ellipse;
    case ToolRoundRect:
        return ObjectKind::RoundRect;
    case ToolPolygon:
        return ObjectKind::Polygon;
    case ToolPolyline:
        return ObjectKind::Polyline;
    case ToolText:
        return ObjectKind::Text;
    case ToolPicture:
        return metafile ? ObjectKind::Metafile : ObjectKind::Bitmap;
    case ToolArc:
        return arcKind(from, to, otherHalf);
    case ToolBarcode:
        return ObjectKind::Barcode;
    default:
        return ObjectKind::Unknown;
    }
}

QByteArray line(ObjectKind kind, QPoint from, QPoint to, const QList<QPoint>& points,
                QByteArrayView kindData, QByteArrayView styles) {
    int left = qMin(from.x(), to.x());
    int top = qMin(from.y(), to.y());
    int right = qMax(from.x(), to.x());
    int bottom = qMax(from.y(), to.y());
    QByteArray data = kindData.toByteArray();
    if (ObjectKinds::info(kind).pointList) {
        for (const QPoint& p : points) {
            left = qMin(left, p.x());
            top = qMin(top, p.y());
            right = qMax(right, p.x());
            bottom = qMax(bottom, p.y());
        }
        data = LineCodec::writePoints(points);
    }
    return LineCodec::objectLine(ObjectKinds::keyword(kind),
                                 LineCodec::writeRect(left, top, right, bottom), data, styles);
}

} // namespace NewObjects
