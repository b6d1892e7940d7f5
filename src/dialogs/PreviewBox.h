#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QWidget>

#include <functional>

class GdiCanvas;
class QFrame;

// A dialog's preview: an image of a fixed size, drawn from the dialog's state each time it
// is painted, so that it never shows anything but what "OK" would give.
class PreviewBox : public QWidget {
    Q_OBJECT
public:
    PreviewBox(QSize size, QWidget* parent = nullptr);
    // A preview inside a sunken frame of that name, white around the image or not.
    enum class Ground { White, Window };
    static PreviewBox* inFrame(QWidget* parent, QSize size, const QString& frameName, Ground ground,
                               QFrame** frame);

    QImage& image() { return image_; }
    // What draws the image; runs before every paint.
    void setDrawing(std::function<void()> draw) { draw_ = std::move(draw); }
    // Draws the image at once and has it shown.
    void redraw();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
    std::function<void()> draw_;
};

// Draws a background record into a preview of `size` with the label's renderer. A fill of
// the preview leaves out its last column and row, which stay as they were.
void drawBackgroundPreview(GdiCanvas& canvas, const QByteArray& record, QSize size);
