#include "ColorPanel.h"

#include <QMouseEvent>

ColorPanel::ColorPanel(ColorRef color, QWidget* parent) : QFrame(parent), color_(color) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    setColor(color);
}

void ColorPanel::setColor(ColorRef color) {
    color_ = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, colorFromRef(color));
    setPalette(p);
}

void ColorPanel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QFrame::mousePressEvent(event);
}

void ColorPanel::mouseReleaseEvent(QMouseEvent* event) {
    // A click is a press and release of the left button over the panel.
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    QFrame::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}
