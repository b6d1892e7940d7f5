#include "ButtonIcons.h"

#include <QLinearGradient>

#include <QPainter>
#include <QPainterPath>

namespace {

// Every picture is drawn on a 20 x 20 grid and rendered at twice that for sharp scaling.
constexpr int kGrid = 20;
constexpr qreal kScale = 2.0;

const QColor kInk(20, 20, 20);
const QColor kPaper(255, 255, 255);
const QColor kBlue(30, 80, 190);
const QColor kYellow(240, 200, 40);

QPen ink(qreal width = 1.2) {
    return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void page(QPainter& p, QRectF r) {
    const qreal fold = 4;
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(ink());
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawPolyline(QPolygonF({{r.right() - fold, r.top()},
                              {r.right() - fold, r.top() + fold},
                              {r.right(), r.top() + fold}}));
}

void letter(QPainter& p, const QString& text, bool bold, bool italic, bool underline) {
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(15);
    font.setBold(bold);
    font.setItalic(italic);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRectF(0, 0, kGrid, kGrid - 2), Qt::AlignCenter, text);
    if (underline) {
        p.setPen(ink(1.5));
        p.drawLine(QPointF(5, 17.5), QPointF(15, 17.5));
    }
}

// A horizontal line in one of the pen styles, drawn piece by piece so the pattern reads
// at 20 pixels whatever the platform's dash lengths are.
void penPattern(QPainter& p, const QList<qreal>& pattern) {
    p.setPen(QPen(kInk, 2.4, Qt::SolidLine, Qt::FlatCap));
    qreal x = 2;
    int i = 0;
    while (x < 18 && !pattern.isEmpty()) {
        const qreal length = pattern[i % pattern.size()];
        if (i % 2 == 0)
            p.drawLine(QPointF(x, 10), QPointF(qMin<qreal>(x + length, 18), 10));
        x += length;
        ++i;
    }
}

void draw(QPainter& p, ButtonPicture picture) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    switch (picture) {
    case ButtonPicture::New:
        page(p, QRectF(4, 2, 12, 16));
        break;
    case ButtonPicture::Open: {
        p.setPen(ink());
        p.setBrush(kYellow);
        p.drawPolygon(QPolygonF({{2, 5}, {7, 5}, {9, 7}, {16, 7}, {16, 16}, {2, 16}}));
        p.setBrush(kYellow.lighter(125));
        p.drawPolygon(QPolygonF({{2, 16}, {5, 10}, {19, 10}, {16, 16}}));
        break;
    }
    case ButtonPicture::Save:
        p.setPen(ink());
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(3, 3, 14, 14), 1.5, 1.5);
        p.setBrush(kPaper);
        p.drawRect(QRectF(6, 3, 8, 5));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(6, 11, 8, 6));
        break;
    case ButtonPicture::Print:
        page(p, QRectF(6, 2, 8, 7));
        p.setPen(ink());
        p.setBrush(QColor(190, 190, 190));
        p.drawRoundedRect(QRectF(2, 8, 16, 7), 1.5, 1.5);
        p.setBrush(kPaper);
        p.drawRect(QRectF(6, 13, 8, 5));
        break;
    case ButtonPicture::Preview:
        page(p, QRectF(2, 2, 11, 15));
        p.setPen(ink(1.4));
        p.setBrush(QColor(200, 230, 255));
        p.drawEllipse(QPointF(12, 11), 4, 4);
        p.setPen(ink(2.2));
        p.drawLine(QPointF(15, 14), QPointF(18.5, 17.5));
        break;
    case ButtonPicture::Background: {
        // A label whose ground runs from blue to yellow.
        QLinearGradient ground(0, 3, 0, 17);
        ground.setColorAt(0, kBlue);
        ground.setColorAt(1, kYellow);
        p.setPen(ink());
        p.setBrush(ground);
        p.drawRoundedRect(QRectF(2.5, 3.5, 15, 13), 2, 2);
        p.setPen(QPen(kPaper, 1.6));
        p.drawLine(QPointF(6, 9), QPointF(14, 9));
        p.drawLine(QPointF(6, 12.5), QPointF(11, 12.5));
        break;
    }
    case ButtonPicture::Redo: {
        // The undo arrow, turned the other way.
        QPainterPath path;
        path.moveTo(14, 8);
        path.cubicTo(8, 3, 1, 7, 4, 14);
        p.setPen(QPen(kBlue, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawPolygon(QPolygonF({{18, 9}, {12, 4}, {11.5, 11}}));
        break;
    }
    case ButtonPicture::Undo: {
        QPainterPath path;
        path.moveTo(6, 8);
        path.cubicTo(12, 3, 19, 7, 16, 14);
        p.setPen(QPen(kBlue, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawPolygon(QPolygonF({{2, 9}, {8, 4}, {8.5, 11}}));
        break;
    }
    case ButtonPicture::Cut:
        p.setPen(ink(1.4));
        p.drawLine(QPointF(6, 2), QPointF(12, 13));
        p.drawLine(QPointF(14, 2), QPointF(8, 13));
        p.drawEllipse(QPointF(6.5, 15), 2.6, 2.6);
        p.drawEllipse(QPointF(13.5, 15), 2.6, 2.6);
        break;
    case ButtonPicture::Copy:
        page(p, QRectF(2, 2, 10, 12));
        page(p, QRectF(8, 6, 10, 12));
        break;
    case ButtonPicture::Paste:
        p.setPen(ink());
        p.setBrush(QColor(180, 130, 70));
        p.drawRoundedRect(QRectF(3, 4, 12, 14), 1.5, 1.5);
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(6, 2, 6, 4));
        page(p, QRectF(9, 8, 9, 11));
        break;
    case ButtonPicture::Bold:
        letter(p, QStringLiteral("G"), true, false, false);
        break;
    case ButtonPicture::Italic:
        letter(p, QStringLiteral("I"), false, true, false);
        break;
    case ButtonPicture::Underline:
        letter(p, QStringLiteral("S"), false, false, true);
        break;
    case ButtonPicture::Pointer:
        p.setPen(ink(1));
        p.setBrush(kPaper);
        p.drawPolygon(QPolygonF(
            {{5, 2}, {5, 16}, {8.5, 12.5}, {11, 18}, {13, 17}, {10.5, 11.5}, {15, 11.5}}));
        break;
    case ButtonPicture::Text: {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(16);
        font.setBold(true);
        p.setFont(font);
        p.setPen(kInk);
        p.drawText(QRectF(0, 0, kGrid, kGrid), Qt::AlignCenter, QStringLiteral("A"));
        break;
    }
    case ButtonPicture::Picture:
        p.setPen(ink());
        p.setBrush(QColor(190, 225, 255));
        p.drawRect(QRectF(2, 3, 16, 14));
        p.setPen(Qt::NoPen);
        p.setBrush(kYellow);
        p.drawEllipse(QPointF(13.5, 7), 2, 2);
        p.setBrush(QColor(60, 150, 60));
        p.drawPolygon(QPolygonF({{2.5, 16.5}, {7, 9}, {11, 14}, {13, 12}, {17.5, 16.5}}));
        break;
    case ButtonPicture::Line:
        p.setPen(ink(1.6));
        p.drawLine(QPointF(3, 17), QPointF(17, 3));
        break;
    case ButtonPicture::Arc:
        p.setPen(ink(1.6));
        p.drawArc(QRectF(3, 5, 14, 14), 0, 180 * 16);
        break;
    case ButtonPicture::Polyline:
        p.setPen(ink(1.6));
        p.drawPolyline(QPolygonF({{2, 16}, {7, 5}, {11, 13}, {18, 3}}));
        break;
    case ButtonPicture::Polygon:
        p.setPen(ink(1.4));
        p.setBrush(QColor(200, 200, 200));
        p.drawPolygon(QPolygonF({{10, 2}, {18, 8}, {15, 18}, {4, 17}, {2, 8}}));
        break;
    case ButtonPicture::Rectangle:
        p.setPen(ink(1.6));
        p.drawRect(QRectF(3, 5, 14, 10));
        break;
    case ButtonPicture::Ellipse:
        p.setPen(ink(1.6));
        p.drawEllipse(QRectF(2.5, 5, 15, 10));
        break;
    case ButtonPicture::RoundRect:
        p.setPen(ink(1.6));
        p.drawRoundedRect(QRectF(3, 5, 14, 10), 4, 4);
        break;
    case ButtonPicture::Barcode: {
        // Bars of one, two and three widths over a strip of digits.
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        const qreal bars[][2] = {{3, 1}, {5, 2}, {8.5, 1}, {10.5, 3}, {14.5, 1}, {16, 1.5}};
        for (const auto& bar : bars)
            p.fillRect(QRectF(bar[0], 3, bar[1], 11), kInk);
        for (qreal x = 3.5; x < 17; x += 3)
            p.fillRect(QRectF(x, 15.5, 2, 1.5), kInk);
        break;
    }
    case ButtonPicture::SolidPen:
        penPattern(p, {16});
        break;
    case ButtonPicture::DashPen:
        penPattern(p, {5, 2.5});
        break;
    case ButtonPicture::DotPen:
        penPattern(p, {1.6, 2});
        break;
    case ButtonPicture::DashDotPen:
        penPattern(p, {5, 2, 1.6, 2});
        break;
    case ButtonPicture::DashDotDotPen:
        penPattern(p, {4, 1.6, 1.4, 1.6, 1.4, 1.6});
        break;
    case ButtonPicture::ClearPen:
        // No line: a faint track crossed out.
        p.setPen(QPen(QColor(170, 170, 170), 1, Qt::DotLine));
        p.drawLine(QPointF(2, 10), QPointF(18, 10));
        p.setPen(QPen(QColor(200, 30, 30), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 5), QPointF(15, 15));
        p.drawLine(QPointF(15, 5), QPointF(5, 15));
        break;
    case ButtonPicture::SolidBrush:
        p.setPen(ink());
        p.setBrush(QColor(90, 90, 90));
        p.drawRect(QRectF(3, 3, 14, 14));
        break;
    case ButtonPicture::ClearBrush:
        p.setPen(ink());
        p.drawRect(QRectF(3, 3, 14, 14));
        break;
    }
}

} // namespace

QIcon buttonIcon(ButtonPicture picture) {
    QPixmap pixmap(int(kGrid * kScale), int(kGrid * kScale));
    pixmap.setDevicePixelRatio(kScale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    draw(painter, picture);
    painter.end();
    return QIcon(pixmap);
}

QPixmap programPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 20.0, size / 20.0);
    // A sheet with a row of labels, one of them drawn on.
    p.setPen(ink(0.6));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3, 1, 14, 18));
    p.setBrush(QColor(255, 240, 160));
    for (int row = 0; row < 3; ++row)
        p.drawRoundedRect(QRectF(4.5, 2.5 + 5.5 * row, 11, 4.5), 1, 1);
    p.setPen(QPen(kBlue, 0.8));
    p.drawLine(QPointF(6, 4.2), QPointF(12, 4.2));
    p.drawLine(QPointF(6, 5.6), QPointF(10, 5.6));
    p.setPen(QPen(QColor(200, 40, 40), 0.8));
    p.drawEllipse(QRectF(12.2, 3.4, 2.4, 2.4));
    return pixmap;
}
