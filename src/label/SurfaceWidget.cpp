#include "SurfaceWidget.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

// A padlock of 9 x 11 pixels whose body's top-right corner sits on `corner`.
QRect padlockBox(QPoint corner) {
    return QRect(corner.x() - 8, corner.y() - 5, 9, 11);
}

void drawPadlock(QPainter& painter, QPoint corner) {
    const QRect box = padlockBox(corner);
    painter.setPen(QPen(QColor(60, 60, 60), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(box.left() + 1.5, box.top() + 0.5, 6, 7), 0, 180 * 16);
    painter.drawLine(QPointF(box.left() + 1.5, box.top() + 4),
                     QPointF(box.left() + 1.5, box.top() + 5));
    painter.drawLine(QPointF(box.left() + 7.5, box.top() + 4),
                     QPointF(box.left() + 7.5, box.top() + 5));
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(QColor(230, 180, 40));
    painter.drawRect(QRectF(box.left() + 0.5, box.top() + 5.5, 8, 5));
}

} // namespace

SurfaceWidget::SurfaceWidget(const QImage* surface, QWidget* parent)
    : QWidget(parent), surface_(surface) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void SurfaceWidget::setPadlocks(QList<QPoint> corners) {
    if (corners == padlocks_)
        return;
    for (const QPoint& corner : std::as_const(padlocks_))
        update(padlockBox(corner));
    padlocks_ = std::move(corners);
    for (const QPoint& corner : std::as_const(padlocks_))
        update(padlockBox(corner));
}

void SurfaceWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), *surface_, event->rect());
    if (padlocks_.isEmpty())
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    for (const QPoint& corner : std::as_const(padlocks_))
        if (event->rect().intersects(padlockBox(corner)))
            drawPadlock(painter, corner);
}
