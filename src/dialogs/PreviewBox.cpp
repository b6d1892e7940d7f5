#include "PreviewBox.h"

#include <QFrame>
#include <QVBoxLayout>

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

PreviewBox* PreviewBox::inFrame(QWidget* parent, QSize size, const QString& frameName,
                                Ground ground, QFrame** frame) {
    auto* bevel = new QFrame(parent);
    bevel->setObjectName(frameName);
    bevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (ground == Ground::White) {
        bevel->setAutoFillBackground(true);
        QPalette white = bevel->palette();
        white.setColor(QPalette::Window, Qt::white);
        bevel->setPalette(white);
    }
    auto* box = new PreviewBox(size, bevel);
    box->setObjectName(QStringLiteral("PaintBox1"));
    auto* layout = new QVBoxLayout(bevel);
    const int margin = ground == Ground::White ? 4 : 2;
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(box);
    *frame = bevel;
    return box;
}
