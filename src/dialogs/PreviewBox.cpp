#include "PreviewBox.h"

#include "GdiCanvas.h"
#include "LabelPainter.h"

#include <QPaintEvent>
#include <QPainter>

PreviewBox::PreviewBox(QSize size, QWidget* parent)
    : QWidget(parent), image_(size, QImage::Format_RGB32) {
    image_.fill(Qt::white);
    setFixedSize(size);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewBox::redraw() {
    if (draw_)
        draw_();
    update();
}

void PreviewBox::paintEvent(QPaintEvent* event) {
    if (draw_)
        draw_();
    QPainter painter(this);
    painter.drawImage(event->rect(), image_, event->rect());
}

void drawBackgroundPreview(GdiCanvas& canvas, const QByteArray& record, QSize size) {
    RenderOptions options = RenderOptions::dialogPreview(size);
    options.background.right = size.width() - 1;
    options.background.bottom = size.height() - 1;
    LabelPainter(canvas).paint({QByteArray(), record}, options);
    canvas.flush();
}
