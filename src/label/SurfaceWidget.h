#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QWidget>

// Shows the label window's surface, and over it marks that belong to the screen only (the
// padlocks of locked objects), so that they never reach the surface, the PNG export or paper.
class SurfaceWidget : public QWidget {
    Q_OBJECT
public:
    SurfaceWidget(const QImage* surface, QWidget* parent);

    // Where the padlocks go: the top-right corners of the locked objects.
    void setPadlocks(QList<QPoint> corners);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage* surface_;
    QList<QPoint> padlocks_;
};
