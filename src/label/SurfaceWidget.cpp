#include "SurfaceWidget.h"

#include <QPaintEvent>
#include <QPainter>

SurfaceWidget::SurfaceWidget(const QImage* surface, QWidget* parent)
    : QWidget(parent), surface_(surface) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void SurfaceWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), *surface_, event->rect());
}
