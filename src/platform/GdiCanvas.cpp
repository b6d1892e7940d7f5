#include "GdiCanvas.h"

#include <QFontMetrics>

QColor colorFromRef(ColorRef value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

ColorRef refFromColor(const QColor& color) {
    return ColorRef(color.red()) | (ColorRef(color.green()) << 8) | (ColorRef(color.blue()) << 16);
}

GdiCanvas::GdiCanvas() = default;

GdiCanvas::GdiCanvas(QPaintDevice* device, int dpi) { setDevice(device, dpi); }

GdiCanvas::~GdiCanvas() { setDevice(nullptr); }

void GdiCanvas::setDevice(QPaintDevice* device, int dpi) {
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
    device_ = device;
    dpi_ = dpi > 0 ? dpi : 96;
}

QPainter* GdiCanvas::painter() {
    if (!device_)
        return nullptr;
    if (!painter_) {
        painter_ = std::make_unique<QPainter>(device_);
        painter_->setRenderHint(QPainter::Antialiasing, false);
    }
    return painter_.get();
}

void GdiCanvas::setPenColor(ColorRef color) { penColor_ = color; }
void GdiCanvas::setPenStyle(int style) { penStyle_ = style; }
void GdiCanvas::setPenWidth(int width) { penWidth_ = width; }
void GdiCanvas::setPenMode(PenMode mode) { penMode_ = mode; }
void GdiCanvas::setBrushColor(ColorRef color) { brushColor_ = color; }
void GdiCanvas::setBrushStyle(int style) { brushStyle_ = style; }
void GdiCanvas::setFontName(const QString& name) { fontName_ = name; }
void GdiCanvas::setFontSize(int points) { fontSize_ = points; }
void GdiCanvas::setFontColor(ColorRef color) { fontColor_ = color; }
void GdiCanvas::setFontStyle(int flags) { fontStyle_ = flags; }

QFont GdiCanvas::font() const {
    QFont f(fontName_);
    // Windows rounds points to pixels with MulDiv: half a pixel goes up.
    const int pixels = (qAbs(fontSize_) * dpi_ + 36) / 72;
    f.setPixelSize(qMax(1, pixels));
    f.setBold(fontStyle_ & FontBold);
    f.setItalic(fontStyle_ & FontItalic);
    f.setUnderline(fontStyle_ & FontUnderline);
    f.setStrikeOut(fontStyle_ & FontStrikeOut);
    return f;
}

QSize GdiCanvas::textExtent(const QString& text) const {
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text), metrics.height());
}

// Drawing primitives are filled in with the renderer.
void GdiCanvas::moveTo(int x, int y) { penPos_ = QPoint(x, y); }
void GdiCanvas::lineTo(int x, int y) { penPos_ = QPoint(x, y); }
void GdiCanvas::rectangle(int, int, int, int) {}
void GdiCanvas::ellipse(int, int, int, int) {}
void GdiCanvas::roundRect(int, int, int, int, int, int) {}
void GdiCanvas::arc(int, int, int, int, int, int, int, int) {}
void GdiCanvas::polygon(const QList<QPoint>&) {}
void GdiCanvas::polyline(const QList<QPoint>&) {}
void GdiCanvas::fillRect(int, int, int, int) {}
void GdiCanvas::textOut(int, int, const QString&) {}
void GdiCanvas::stretchDraw(int, int, int, int, const QImage&) {}
void GdiCanvas::whiten(int left, int top, int right, int bottom) {
    if (QPainter* p = painter())
        p->fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), Qt::white);
}
void GdiCanvas::applyPen(QPainter&) const {}
void GdiCanvas::applyBrush(QPainter&) const {}
