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
    pressed_ = event->button();
    QFrame::mousePressEvent(event);
}

void ColorPanel::mouseReleaseEvent(QMouseEvent* event) {
    // A click is a press and release of one button over the panel.
    const bool click = pressed_ == event->button() && rect().contains(event->position().toPoint());
    pressed_ = Qt::NoButton;
    QFrame::mouseReleaseEvent(event);
    if (click && event->button() == Qt::LeftButton)
        emit clicked();
    else if (click && event->button() == Qt::RightButton)
        emit rightClicked();
}
