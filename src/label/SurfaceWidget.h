#pragma once

#include <QImage>
#include <QWidget>

// Shows the label window's drawing surface; the picture itself is drawn elsewhere, so a
// paint event only copies it to the screen.
class SurfaceWidget : public QWidget {
    Q_OBJECT
public:
    SurfaceWidget(const QImage* surface, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage* surface_;
};
