#pragma once

#include "CanvasTypes.h"

#include <QFrame>

// A panel that shows one colour and reports clicks: the pen and fill colour panels and
// the palette's swatches.
class ColorPanel : public QFrame {
    Q_OBJECT
public:
    explicit ColorPanel(ColorRef color, QWidget* parent = nullptr);

    ColorRef color() const { return color_; }
    void setColor(ColorRef color);

signals:
    void clicked();
    void rightClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    ColorRef color_;
    Qt::MouseButton pressed_ = Qt::NoButton;
};
