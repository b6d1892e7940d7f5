#include "GdiCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <tuple>

namespace {

constexpr ColorRef red = 0x0000FF, green = 0x00FF00, blue = 0xFF0000;
const QRgb redPx = qRgb(255, 0, 0), greenPx = qRgb(0, 255, 0), bluePx = qRgb(0, 0, 255);
const QRgb whitePx = qRgb(255, 255, 255), blackPx = qRgb(0, 0, 0);

using Paint = std::function<void(GdiCanvas&)>;

// Paints on a fresh image with a red pen and a green brush; returns the pixels.
QImage draw(QSize size, const Paint& paint, QRgb ground = whitePx) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(ground);
    GdiCanvas canvas(&image);
    canvas.setPenColor(red);
    canvas.setBrushColor(green);
    paint(canvas);
    canvas.flush();
    return image;
}

// Smallest rectangle holding every pixel that differs from the ground.
QRect inked(const QImage& image, QRgb ground = whitePx) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != ground)
                box |= QRect(x, y, 1, 1);
    return box;
}

// An image of the given size, red where the pixel centre passes the test, else white.
QImage expected(QSize size, const std::function<bool(double x, double y)>& covered) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, covered(x, y) ? redPx : whitePx);
    return image;
}

double distanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double t =
        std::clamp(QPointF::dotProduct(p - a, d) / QPointF::dotProduct(d, d), 0.0, 1.0);
    const QPointF gap = p - (a + t * d);
    return std::hypot(gap.x(), gap.y());
}

int count(const QImage& image, QRgb color, QRect area = {}) {
    if (area.isNull())
        area = image.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == color;
    return n;
}

} // namespace

class TestGdiCanvas : public QObject {
    Q_OBJECT
private slots:
    void rectanglesLeaveOutRightAndBottomEdge();
    void ellipsesAndRoundRectsAreInscribedAndSymmetric();
    void linesLeaveOutLastPixel_data();
    void linesLeaveOutLastPixel();
    void polylinesAndPolygons();
    void arcsRunCounterClockwise();
    void notXorTwiceRestores();
    void hatchesPaintLinesOnly_data();
    void hatchesPaintLinesOnly();
    void penStylesAndWidths();
    void insideFramePenStaysInsideTheBox();
    void textOpaqueOrTransparent();
    void stretchDrawAndWhiten();
    void picturesCutShortDrawAsIfPaddedWithWhite();
    void attributesPersist();
    void wideLinesAreRoundEnded();
    void wideOutlinesAreCentredOnTheEdge();
    void wideArcsAreCutAlongTheOutline();
    void figuresDrawnAgainMatchTheirFirstDrawing();
    void polygonsFillAlternately();
    void dashesRunAlongOutlines();
    void textIsWhatQPainterDraws();
    void textsWiderThanTheImageAreDrawnAsFarAsTheyShow();
    void otherImageFormatsGetTheSamePixels();
    void figuresFarLargerThanTheImageShowTheirPartOfTheWholeFigure();
};

void TestGdiCanvas::rectanglesLeaveOutRightAndBottomEdge() {
    const QRect box(QPoint(10, 10), QPoint(19, 15));
    const QImage img = draw({40, 30}, [](GdiCanvas& c) { c.rectangle(10, 10, 20, 16); });
    QCOMPARE(inked(img), box);
    QCOMPARE(count(img, redPx), 2 * 10 + 2 * 4);
    QCOMPARE(count(img, greenPx, box.adjusted(1, 1, -1, -1)), 8 * 4);
    QCOMPARE(draw({40, 30}, [](GdiCanvas& c) { c.rectangle(20, 16, 10, 10); }), img);

    // Brush only, over the same box; a clear pen fills the same box.
    const QImage fill = draw({40, 30}, [](GdiCanvas& c) { c.fillRect(10, 10, 20, 16); });
    QCOMPARE(inked(fill), box);
    QCOMPARE(count(fill, greenPx), 60);
    QCOMPARE(draw({40, 30},
                  [](GdiCanvas& c) {
                      c.setPenStyle(PenClear);
                      c.rectangle(10, 16, 20, 10);
                  }),
             fill);
}

void TestGdiCanvas::ellipsesAndRoundRectsAreInscribedAndSymmetric() {
    for (const QSize size : {QSize(21, 11), QSize(10, 10), QSize(40, 5), QSize(4, 30)}) {
        const QRect box(QPoint(5, 5), size);
        const QImage img = draw({60, 50}, [&](GdiCanvas& c) {
            c.ellipse(box.left(), box.top(), box.left() + size.width(), box.top() + size.height());
        });
        QCOMPARE(inked(img), box);
        QCOMPARE(img.copy(box), img.copy(box).mirrored(true, true));
        QCOMPARE(img.copy(box), img.copy(box).mirrored(true, false));
        // Along the middle row: outline, brush, outline.
        const int y = box.center().y();
        QCOMPARE(img.pixel(box.left(), y), redPx);
        QCOMPARE(img.pixel(box.right(), y), redPx);
        QCOMPARE(img.pixel(box.center().x(), y), size.width() > 2 ? greenPx : redPx);
    }

    const QImage round = draw({60, 40}, [](GdiCanvas& c) { c.roundRect(5, 5, 45, 25, 12, 8); });
    QCOMPARE(inked(round), QRect(QPoint(5, 5), QPoint(44, 24)));
    QCOMPARE(round.pixel(5, 5), whitePx); // cut-off corner
    QCOMPARE(round.pixel(25, 5), redPx);  // straight edges
    QCOMPARE(round.pixel(5, 15), redPx);
    QCOMPARE(round.pixel(25, 15), greenPx);
    QCOMPARE(draw({60, 40}, [](GdiCanvas& c) { c.roundRect(5, 5, 45, 25, -12, -8); }), round);
    QCOMPARE(draw({60, 40}, [](GdiCanvas& c) { c.roundRect(5, 5, 45, 25, 0, 0); }),
             draw({60, 40}, [](GdiCanvas& c) { c.rectangle(5, 5, 45, 25); }));
}

void TestGdiCanvas::linesLeaveOutLastPixel_data() {
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QPoint>("beforeLast");
    QTest::newRow("right") << QPoint(30, 20) << QPoint(29, 20);
    QTest::newRow("left") << QPoint(5, 20) << QPoint(6, 20);
    QTest::newRow("down") << QPoint(20, 35) << QPoint(20, 34);
    QTest::newRow("up") << QPoint(20, 2) << QPoint(20, 3);
    QTest::newRow("up-left") << QPoint(10, 10) << QPoint(11, 11);
    QTest::newRow("steep") << QPoint(3, 38) << QPoint(4, 37);
}

void TestGdiCanvas::linesLeaveOutLastPixel() {
    QFETCH(QPoint, to);
    QFETCH(QPoint, beforeLast);
    QPoint position;
    const QImage img = draw({40, 40}, [&](GdiCanvas& c) {
        c.moveTo(20, 20);
        c.lineTo(to.x(), to.y());
        position = c.penPosition();
    });
    QCOMPARE(position, to);
    QCOMPARE(img.pixel(20, 20), redPx);
    QCOMPARE(img.pixel(beforeLast), redPx);
    QCOMPARE(img.pixel(to), whitePx);
    // Drawn back, the line covers the same pixels but for its two ends.
    QImage back = draw({40, 40}, [&](GdiCanvas& c) {
        c.moveTo(to.x(), to.y());
        c.lineTo(20, 20);
    });
    back.setPixel(to, redPx);
    back.setPixel(20, 20, redPx);
    QImage forth = img;
    forth.setPixel(to, redPx);
    QCOMPARE(back, forth);
}

void TestGdiCanvas::polylinesAndPolygons() {
    // Every corner of a polyline is drawn, its last point is not; nothing is filled.
    const QImage poly = draw({30, 30}, [](GdiCanvas& c) {
        c.polyline({{5, 5}, {20, 5}, {20, 20}, {5, 20}});
        c.polyline({{1, 1}});
        c.polyline({});
        c.polygon({{2, 2}});
        c.polygon({});
    });
    QCOMPARE(count(poly, redPx), 45);
    QCOMPARE(poly.pixel(20, 5), redPx);
    QCOMPARE(poly.pixel(20, 20), redPx);
    QCOMPARE(poly.pixel(5, 20), whitePx);

    const QImage triangle = draw({40, 40}, [](GdiCanvas& c) {
        c.polygon({{5, 5}, {35, 5}, {5, 35}});
    });
    QCOMPARE(inked(triangle), QRect(5, 5, 31, 31)); // all corners in: no edge left out
    QCOMPARE(triangle.pixel(10, 10), greenPx);

    // A five-pointed star: alternate filling leaves its centre empty.
    const QImage star = draw({100, 100}, [](GdiCanvas& c) {
        c.setPenStyle(PenClear);
        c.polygon({{50, 5}, {78, 90}, {5, 35}, {95, 35}, {22, 90}});
    });
    QCOMPARE(star.pixel(50, 50), whitePx);
    QCOMPARE(star.pixel(50, 20), greenPx);
}

void TestGdiCanvas::arcsRunCounterClockwise() {
    // Red pixels in the lower-left, upper-right, upper-left and lower-right quarter.
    auto quarters = [](const QImage& img) {
        return QList<int>{count(img, redPx, {0, 51, 49, 50}), count(img, redPx, {51, 0, 50, 49}),
                          count(img, redPx, {0, 0, 45, 45}), count(img, redPx, {55, 55, 46, 46})};
    };
    const QImage lower =
        draw({101, 101}, [](GdiCanvas& c) { c.arc(0, 0, 100, 100, 0, 0, 100, 100); });
    const QList<int> l = quarters(lower);
    QVERIFY(l[0] > 0 && l[1] == 0 && l[2] > 0 && l[3] > 0);
    QCOMPARE(lower.pixel(15, 85), redPx);
    QCOMPARE(lower.pixel(30, 70), whitePx); // a curve, never filled

    const QImage upper =
        draw({101, 101}, [](GdiCanvas& c) { c.arc(0, 0, 100, 100, 100, 100, 0, 0); });
    const QList<int> u = quarters(upper);
    QVERIFY(u[0] == 0 && u[1] > 0 && u[2] > 0 && u[3] > 0);
    QCOMPARE(upper.pixel(85, 15), redPx);

    // The same radial twice is the whole ellipse, pixel for pixel its outline.
    QCOMPARE(draw({101, 101}, [](GdiCanvas& c) { c.arc(0, 0, 100, 60, 90, 10, 90, 10); }),
             draw({101, 101}, [](GdiCanvas& c) {
                 c.setBrushStyle(BrushClear);
                 c.ellipse(0, 0, 100, 60);
             }));
}

void TestGdiCanvas::notXorTwiceRestores() {
    QImage ground(60, 50, QImage::Format_RGB32);
    for (int y = 0; y < ground.height(); ++y)
        for (int x = 0; x < ground.width(); ++x)
            ground.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) % 256));
    const QList<Paint> figures = {
        [](GdiCanvas& c) { c.rectangle(5, 5, 40, 30); },
        [](GdiCanvas& c) { c.ellipse(10, 3, 55, 45); },
        [](GdiCanvas& c) { c.roundRect(2, 2, 50, 40, 20, 10); },
        [](GdiCanvas& c) { c.arc(0, 0, 50, 40, 0, 0, 50, 40); },
        [](GdiCanvas& c) {
            c.polygon({{5, 5}, {50, 10}, {20, 45}, {30, 0}});
        },
        [](GdiCanvas& c) {
            c.polyline({{5, 5}, {50, 10}, {20, 45}, {5, 5}});
        },
        [](GdiCanvas& c) {
            c.moveTo(-5, 45);
            c.lineTo(70, 3);
        },
    };
    QImage image = ground;
    GdiCanvas c(&image);
    c.setPenMode(PenMode::NotXor);
    for (int variant = 0; variant < 4; ++variant) {
        c.setPenStyle(variant == 1 ? PenDashDot : PenSolid);
        c.setPenWidth(variant == 2 ? 4 : 1);
        c.setBrushStyle(variant == 3 ? BrushDiagCross : BrushSolid);
        for (qsizetype i = 0; i < figures.size(); ++i) {
            const QByteArray what = QByteArray::number(variant) + "/" + QByteArray::number(i);
            figures[i](c);
            c.flush();
            QVERIFY2(image != ground, what);
            figures[i](c);
            c.flush();
            QVERIFY2(image == ground, what);
        }
    }

    // On white, not-XOR gives what copy mode gives: a rubber band looks like the figure.
    const QList<Paint> bands = {
        [](GdiCanvas& c) { c.roundRect(5, 5, 35, 30, 12, 12); },
        [](GdiCanvas& c) {
            c.setBrushStyle(BrushClear);
            c.setPenStyle(PenDot);
            c.rectangle(5, 5, 35, 30);
        },
        [](GdiCanvas& c) {
            c.setBrushStyle(BrushFDiagonal);
            c.setPenWidth(3);
            c.ellipse(5, 5, 35, 30);
        },
        [](GdiCanvas& c) {
            c.setPenWidth(3);
            c.polyline({{2, 38}, {20, 2}, {38, 38}});
        },
    };
    for (const Paint& band : bands)
        QCOMPARE(draw({40, 40},
                      [&](GdiCanvas& c) {
                          c.setPenMode(PenMode::NotXor);
                          band(c);
                      }),
                 draw({40, 40}, band));
}

void TestGdiCanvas::hatchesPaintLinesOnly_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("inkPerTile");
    QTest::addColumn<QPoint>("along");
    QTest::newRow("horizontal") << int(BrushHorizontal) << 8 << QPoint(1, 0);
    QTest::newRow("vertical") << int(BrushVertical) << 8 << QPoint(0, 1);
    QTest::newRow("forward diagonal") << int(BrushFDiagonal) << 8 << QPoint(1, 1);
    QTest::newRow("backward diagonal") << int(BrushBDiagonal) << 8 << QPoint(-1, 1);
    QTest::newRow("cross") << int(BrushCross) << 15 << QPoint();
    QTest::newRow("diagonal cross") << int(BrushDiagCross) << 16 << QPoint();
}

void TestGdiCanvas::hatchesPaintLinesOnly() {
    QFETCH(int, style);
    QFETCH(int, inkPerTile);
    QFETCH(QPoint, along);
    auto hatch = [style](const Paint& paint) {
        return draw(
            {40, 40},
            [&](GdiCanvas& c) {
                c.setBrushStyle(style);
                c.setBrushColor(blue); // the colour leaves the style alone
                c.setPenStyle(PenClear);
                paint(c);
            },
            redPx);
    };
    const QImage img = hatch([](GdiCanvas& c) { c.rectangle(0, 0, 40, 40); });
    QCOMPARE(count(img, redPx) + count(img, bluePx), 40 * 40); // gaps keep the ground
    QCOMPARE(count(img, bluePx, {0, 0, 8, 8}), inkPerTile);
    QCOMPARE(img.copy(8, 8, 32, 32), img.copy(0, 0, 32, 32)); // an 8-pixel period
    if (!along.isNull())
        QCOMPARE(img.copy(8, 8, 16, 16), img.copy(QRect(8 + along.x(), 8 + along.y(), 16, 16)));

    // The pattern is tied to the device origin, not to the figure.
    const QImage offset = hatch([](GdiCanvas& c) { c.fillRect(3, 5, 40, 40); });
    QCOMPARE(offset.copy(3, 5, 37, 35), img.copy(3, 5, 37, 35));

    // A clear brush stays clear when its colour changes: outline only.
    const QImage clear = draw(
        {30, 30},
        [](GdiCanvas& c) {
            c.setBrushStyle(BrushClear);
            c.setBrushColor(blue);
            c.rectangle(5, 5, 25, 25);
            c.fillRect(0, 0, 30, 30);
        },
        greenPx);
    QCOMPARE(clear.pixel(5, 5), redPx);
    QCOMPARE(clear.pixel(15, 15), greenPx);
    QCOMPARE(count(clear, bluePx), 0);
}

void TestGdiCanvas::penStylesAndWidths() {
    auto line = [](int style, int width) {
        return draw({70, 20}, [=](GdiCanvas& c) {
            c.setPenStyle(style);
            c.setPenWidth(width);
            c.moveTo(2, 10);
            c.lineTo(62, 10);
        });
    };
    const QImage solid = line(PenSolid, 1);
    QCOMPARE(count(solid, redPx, {2, 10, 60, 1}), 60);
    QCOMPARE(line(PenSolid, 0), solid);
    QCOMPARE(line(PenInsideFrame, 1), solid);
    QCOMPARE(inked(line(PenClear, 1)), QRect());
    // Wide lines are centred on the pixels and end round, past both end points.
    QCOMPARE(inked(line(PenSolid, 3)), QRect(QPoint(1, 9), QPoint(63, 11)));
    for (int style : {PenDash, PenDot, PenDashDot, PenDashDotDot}) {
        const int ink = count(line(style, 1), redPx, {2, 10, 60, 1});
        QVERIFY(ink > 20 && ink < 60);
        QCOMPARE(line(style, 3), line(PenSolid, 3)); // wider than a pixel: solid
    }
    // Without length, a wide line is a round dot and a thin one nothing.
    for (int width : {1, 5}) {
        const QImage dot = draw({20, 20}, [=](GdiCanvas& c) {
            c.setPenWidth(width);
            c.moveTo(10, 10);
            c.lineTo(10, 10);
        });
        QCOMPARE(inked(dot), width == 1 ? QRect() : QRect(8, 8, 5, 5));
        QCOMPARE(dot.pixel(8, 8), whitePx);
    }
    const QImage dotted = line(PenDot, 1);
    QCOMPARE(dotted.pixel(4, 10), redPx);
    QCOMPARE(dotted.pixel(5, 10), whitePx);
    QCOMPARE(dotted.pixel(8, 10), redPx);

    // A wide outline is centred on the figure's edge.
    const QImage frame = draw({40, 40}, [](GdiCanvas& c) {
        c.setPenWidth(3);
        c.setBrushStyle(BrushClear);
        c.rectangle(10, 10, 30, 30);
    });
    QCOMPARE(inked(frame), QRect(QPoint(9, 9), QPoint(30, 30)));
    QCOMPARE(frame.pixel(11, 20), redPx);
    QCOMPARE(frame.pixel(12, 20), whitePx);
}

void TestGdiCanvas::insideFramePenStaysInsideTheBox() {
    // A wide inside-frame pen draws boxes shrunk so that the pen's outer edge meets the box's
    // edges: nothing outside, something on every edge. Other figures draw it solid.
    using Figure = std::function<void(GdiCanvas&, QRect)>;
    const QList<Figure> figures = {
        [](GdiCanvas& c, QRect b) {
            c.rectangle(b.left(), b.top(), b.right() + 1, b.bottom() + 1);
        },
        [](GdiCanvas& c, QRect b) { c.ellipse(b.left(), b.top(), b.right() + 1, b.bottom() + 1); },
        [](GdiCanvas& c, QRect b) {
            c.roundRect(b.right() + 1, b.bottom() + 1, b.left(), b.top(), 20, 12);
        }};
    for (const QRect field : {QRect(10, 10, 40, 30), QRect(7, 12, 13, 37), QRect(20, 5, 5, 40)}) {
        for (const Figure& figure : figures) {
            for (int width : {2, 3, 4, 7, 10}) {
                const auto outline = [&](int style) {
                    return draw({70, 60}, [&](GdiCanvas& c) {
                        c.setPenStyle(style);
                        c.setPenWidth(width);
                        figure(c, field);
                    });
                };
                QCOMPARE(inked(outline(PenInsideFrame)), field);
            }
        }
    }
    const auto line = [](int style) {
        return draw({50, 50}, [=](GdiCanvas& c) {
            c.setPenStyle(style);
            c.setPenWidth(5);
            c.moveTo(5, 5);
            c.lineTo(40, 30);
            c.arc(5, 5, 45, 45, 5, 5, 45, 45);
            c.polygon({{10, 40}, {40, 45}, {30, 10}});
        });
    };
    QCOMPARE(line(PenInsideFrame), line(PenSolid));
}

void TestGdiCanvas::textOpaqueOrTransparent() {
    const QString text = QStringLiteral("Hxg");
    QFont font;
    auto write = [&](int brushStyle, const QString& what) {
        return draw(
            {120, 60},
            [&](GdiCanvas& c) {
                c.setFontName(QStringLiteral("Arial"));
                c.setFontSize(14);
                c.setFontColor(blue);
                c.setBrushStyle(brushStyle);
                c.textOut(10, 5, what);
                font = c.font();
            },
            redPx);
    };
    const QImage opaque = write(BrushSolid, text);
    const QFontMetrics metrics(font);
    const QRect cell(10, 5, metrics.horizontalAdvance(text), metrics.height());
    QCOMPARE(inked(opaque, redPx), cell);
    QCOMPARE(count(opaque, greenPx) + count(opaque, bluePx), cell.width() * cell.height());
    QVERIFY(count(opaque, bluePx) > 20);

    // Clear brush: the glyphs alone, in the font colour, the top of the cell at y.
    const QImage clear = write(BrushClear, QStringLiteral("H"));
    const QRect glyph = inked(clear, redPx);
    QCOMPARE(count(clear, bluePx) + count(clear, redPx), 120 * 60);
    QVERIFY(glyph.top() >= 5 && glyph.left() >= 10);
    QVERIFY(qAbs(glyph.bottom() - (5 + metrics.ascent() - 1)) <= 1); // on the baseline
}

void TestGdiCanvas::stretchDrawAndWhiten() {
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.setPixel(0, 0, redPx);
    picture.setPixel(1, 0, greenPx);
    picture.setPixel(0, 1, bluePx);
    picture.setPixel(1, 1, blackPx);
    QImage image(120, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    GdiCanvas c(&image);
    c.stretchDraw(10, 10, 110, 110, picture);
    c.flush();
    QCOMPARE(inked(image), QRect(10, 10, 100, 100));
    const QList<std::pair<QPoint, QRgb>> blocks = {
        {{10, 10}, redPx},   {{59, 59}, redPx},  {{60, 10}, greenPx}, {{109, 59}, greenPx},
        {{10, 109}, bluePx}, {{59, 60}, bluePx}, {{60, 60}, blackPx}, {{109, 109}, blackPx}};
    for (const auto& [at, color] : blocks)
        QCOMPARE(image.pixel(at), color);

    // Painting resumes after a flush. Reversed corners mirror the picture.
    c.stretchDraw(110, 10, 10, 110, picture);
    // White whatever the pen, brush and mode.
    c.setPenMode(PenMode::NotXor);
    c.setBrushStyle(BrushClear);
    c.setPenStyle(PenClear);
    c.whiten(20, 20, 100, 100);
    c.flush();
    QCOMPARE(image.pixel(10, 10), greenPx);
    QCOMPARE(image.pixel(109, 109), bluePx);
    QCOMPARE(count(image, whitePx, {20, 20, 80, 80}), 80 * 80);
    QCOMPARE(image.pixel(100, 100), bluePx);
}

void TestGdiCanvas::picturesCutShortDrawAsIfPaddedWithWhite() {
    // Only the first columns of a picture are given: the pixels are those of the whole
    // picture, its other columns white, stretched, mirrored or partly off the image.
    QRandomGenerator rng(1);
    for (int i = 0; i < 400; ++i) {
        const QSize size(1 + int(rng.bounded(i % 4 ? 20 : 1500)),
                         1 + int(rng.bounded(i % 5 ? 20 : 300)));
        const int known = int(rng.bounded(std::min(size.width(), 40) + 1));
        QImage whole(size, QImage::Format_RGB32);
        whole.fill(whitePx);
        for (int x = 0; x < known; ++x)
            for (int y = 0; y < size.height(); ++y)
                whole.setPixel(x, y, qRgb(x & 255, y & 255, int(rng.bounded(256))));
        const QImage columns = known ? whole.copy(0, 0, known, size.height()) : QImage();
        const int left = int(rng.bounded(-50, 150)), top = int(rng.bounded(-50, 150));
        const int right = int(rng.bounded(-50, 250)), bottom = int(rng.bounded(-50, 250));
        const auto stretched = [&](const QImage& picture, QSize declared) {
            return draw(
                {120, 100},
                [&](GdiCanvas& c) { c.stretchDraw(left, top, right, bottom, picture, declared); },
                blackPx);
        };
        QVERIFY2(stretched(columns, size) == stretched(whole, size),
                 qPrintable(QStringLiteral("%1x%2, %3 columns, %4 %5 %6 %7")
                                .arg(size.width())
                                .arg(size.height())
                                .arg(known)
                                .arg(left)
                                .arg(top)
                                .arg(right)
                                .arg(bottom)));
    }

    // Through QPainter, on an image whose pixels are not 32-bit.
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.fill(whitePx);
    picture.setPixel(0, 0, redPx);
    picture.setPixel(0, 1, bluePx);
    QImage packed(120, 120, QImage::Format_RGB888);
    packed.fill(Qt::black);
    GdiCanvas c(&packed);
    c.stretchDraw(110, 10, 10, 110, picture.copy(0, 0, 1, 2), QSize(2, 2));
    c.flush();
    QCOMPARE(
        packed.convertToFormat(QImage::Format_RGB32),
        draw(
            {120, 120}, [&](GdiCanvas& c) { c.stretchDraw(110, 10, 10, 110, picture); }, blackPx));
}

void TestGdiCanvas::attributesPersist() {
    QImage first(30, 30, QImage::Format_RGB32), second(30, 30, QImage::Format_RGB32);
    first.fill(Qt::white);
    second.fill(Qt::white);
    GdiCanvas c(&first, 300);
    c.setPenColor(blue);
    c.setPenStyle(PenDash);
    c.setPenWidth(2);
    c.setBrushColor(red);
    c.setBrushStyle(BrushVertical);
    c.setFontName(QStringLiteral("DejaVu Sans"));
    c.setFontSize(9);
    c.setFontColor(green);
    c.setFontStyle(FontBold | FontUnderline);
    c.rectangle(1, 1, 20, 20);
    c.textOut(2, 2, QStringLiteral("a"));
    c.lineTo(10, 10);
    QCOMPARE(c.font().pixelSize(), (9 * 300 + 36) / 72);

    c.setDevice(&second);
    QCOMPARE(std::tuple(c.penColor(), c.penStyle(), c.penWidth(), c.brushColor(), c.brushStyle()),
             std::tuple(blue, int(PenDash), 2, red, int(BrushVertical)));
    QCOMPARE(std::tuple(c.fontName(), c.fontSize(), c.fontColor(), c.fontStyle()),
             std::tuple(QStringLiteral("DejaVu Sans"), 9, green, FontBold | FontUnderline));
    QVERIFY(c.font().bold() && c.font().underline() && !c.font().italic());
    QCOMPARE(refFromColor(colorFromRef(0x563412)), ColorRef(0x563412));

    c.setPenWidth(1);
    c.setPenStyle(PenSolid);
    c.setBrushStyle(BrushSolid);
    c.rectangle(5, 5, 15, 15);
    c.flush();
    QCOMPARE(second.pixel(5, 5), bluePx);
    QCOMPARE(second.pixel(10, 10), redPx);
}

void TestGdiCanvas::wideLinesAreRoundEnded() {
    // An odd-width line covers the pixels whose centres lie within half its width of the
    // segment, end points included: lines, polylines with their round joins, either way.
    const QList<QList<QPoint>> paths = {
        {{10, 8}, {20, 8}}, {{5, 5}, {25, 15}}, {{25, 15}, {5, 5}}, {{10, 30}, {30, 10}, {50, 30}}};
    for (int width : {3, 5}) {
        for (const QList<QPoint>& path : paths) {
            const QImage img = draw({60, 40}, [&](GdiCanvas& c) {
                c.setPenWidth(width);
                if (path.size() == 2) {
                    c.moveTo(path[0].x(), path[0].y());
                    c.lineTo(path[1].x(), path[1].y());
                } else {
                    c.polyline(path);
                }
            });
            QCOMPARE(img, expected({60, 40}, [&](double x, double y) {
                         double nearest = INFINITY;
                         for (qsizetype i = 1; i < path.size(); ++i)
                             nearest =
                                 std::min(nearest, distanceToSegment({x, y}, path[i - 1], path[i]));
                         return nearest <= width / 2.0;
                     }));
        }
    }
    // An even width has centres on the edges of the band: the upper edge and the round
    // ends' outermost points stay out, the lower edge is in, as Qt strokes it.
    const QImage two = draw({12, 6}, [](GdiCanvas& c) {
        c.setPenWidth(2);
        c.moveTo(3, 2);
        c.lineTo(8, 2);
    });
    QCOMPARE(inked(two), QRect(QPoint(3, 2), QPoint(8, 3)));
    QCOMPARE(count(two, redPx), 6 + 5);
    QCOMPARE(two.pixel(3, 3), whitePx);
}

void TestGdiCanvas::wideOutlinesAreCentredOnTheEdge() {
    // A circle through the centres of its box's edge pixels, centre (30, 30), radius 20:
    // the pen covers what lies within 1.5 of it, the brush what lies further inside.
    const QImage circle = draw({61, 61}, [](GdiCanvas& c) {
        c.setPenWidth(3);
        c.ellipse(10, 10, 51, 51);
    });
    QImage pen = circle, brush = circle;
    for (int y = 0; y < 61; ++y)
        for (int x = 0; x < 61; ++x) {
            pen.setPixel(x, y, circle.pixel(x, y) == redPx ? redPx : whitePx);
            brush.setPixel(x, y, circle.pixel(x, y) == greenPx ? redPx : whitePx);
        }
    QCOMPARE(pen, expected({61, 61}, [](double x, double y) {
                 return std::abs(std::hypot(x - 30, y - 30) - 20) <= 1.5;
             }));
    QCOMPARE(brush, expected({61, 61},
                             [](double x, double y) { return std::hypot(x - 30, y - 30) < 18.5; }));

    // An even width, pixel by pixel as Qt strokes it: round outer corners, the band's
    // upper and left edges left out, its lower and right edges in.
    const QImage frame = draw({16, 14}, [](GdiCanvas& c) {
        c.setPenWidth(2);
        c.rectangle(4, 4, 12, 10);
    });
    const char* rows[] = {"....########....", "....#########...", "....##ooooo##...",
                          "....##ooooo##...", "....##ooooo##...", "....#########...",
                          ".....#######...."};
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 16; ++x) {
            const char want = y >= 4 && y < 11 ? rows[y - 4][x] : '.';
            const QRgb px = frame.pixel(x, y);
            QCOMPARE(px == redPx ? '#' : px == greenPx ? 'o' : '.', want);
        }

    // Flat, tall and small boxes, with corners curving more tightly than the pen is
    // wide: pixels well within the pen's reach of the outline are pen, those well inside
    // beyond it are brush.
    for (const QSize size : {QSize(5, 30), QSize(30, 5), QSize(12, 8), QSize(40, 18)}) {
        for (const QSize corner : {size, size / 2}) {
            const QImage img = draw(size + QSize(12, 12), [&](GdiCanvas& c) {
                c.setPenWidth(3);
                c.roundRect(6, 6, 6 + size.width(), 6 + size.height(), corner.width(),
                            corner.height());
            });
            // The outline through the centres of the box's edge pixels: straight sides
            // between elliptic corners.
            const double rx = (corner.width() - 1) / 2.0, ry = (corner.height() - 1) / 2.0;
            const double dx = (size.width() - 1) / 2.0 - rx, dy = (size.height() - 1) / 2.0 - ry;
            const QPointF centre(6 + (size.width() - 1) / 2.0, 6 + (size.height() - 1) / 2.0);
            QList<QPointF> outline;
            for (int i = 0; i <= 400; ++i) {
                const double t = std::numbers::pi / 2 * i / 400;
                outline.append(QPointF(dx + rx * std::cos(t), dy + ry * std::sin(t)));
            }
            for (double v = -dy; v <= dy; v += 0.05)
                outline.append(QPointF(dx + rx, v));
            for (double u = -dx; u <= dx; u += 0.05)
                outline.append(QPointF(u, dy + ry));
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const QPointF p(std::abs(x - centre.x()), std::abs(y - centre.y()));
                    double nearest = INFINITY;
                    for (const QPointF& q : outline)
                        nearest = std::min(nearest, std::hypot(p.x() - q.x(), p.y() - q.y()));
                    const QPointF out = p - QPointF(dx, dy);
                    const bool inside = (out.x() <= 0 && out.y() <= ry) ||
                                        (out.y() <= 0 && out.x() <= rx) ||
                                        std::pow(out.x() / rx, 2) + std::pow(out.y() / ry, 2) <= 1;
                    if (std::abs(nearest - 1.5) > 0.1)
                        QCOMPARE(img.pixel(x, y), nearest < 1.5 ? redPx
                                                  : inside      ? greenPx
                                                                : whitePx);
                }
        }
    }

    // A wide figure is the same wherever its box lies.
    auto rounded = [](QPoint at) {
        return draw({90, 70}, [=](GdiCanvas& c) {
            c.setPenWidth(3);
            c.setBrushStyle(BrushDiagCross);
            c.roundRect(at.x(), at.y(), at.x() + 40, at.y() + 24, 20, 12);
            c.arc(at.x(), at.y() + 30, at.x() + 30, at.y() + 50, at.x(), at.y() + 30, at.x() + 30,
                  at.y() + 50);
        });
    };
    // Eight pixels apart so that the hatch lines up too.
    QCOMPARE(rounded({3, 2}).copy(0, 0, 50, 60), rounded({35, 10}).copy(32, 8, 50, 60));
}

void TestGdiCanvas::wideArcsAreCutAlongTheOutline() {
    // The left half of the width-3 circle of centre (30, 30) and radius 20, from the
    // radial towards (33, 10) counter-clockwise to the one towards (27, 50), whose ends
    // lie where the outline runs nearly level: the pixels within 1.5 of the arc, so cut
    // square across the outline and round beyond its ends.
    const QImage img = draw({61, 61}, [](GdiCanvas& c) {
        c.setPenWidth(3);
        c.arc(10, 10, 51, 51, 33, 10, 27, 50);
    });
    const QPointF end = QPointF(3, -20) / std::hypot(3, 20) * 20;
    QCOMPARE(img, expected({61, 61}, [&](double x, double y) {
                 const QPointF p(x - 30, y - 30);
                 if (3 * -p.y() - 20 * p.x() >= 0)
                     return std::abs(std::hypot(p.x(), p.y()) - 20) <= 1.5;
                 const QPointF a = p - end, b = p + end;
                 return std::min(std::hypot(a.x(), a.y()), std::hypot(b.x(), b.y())) <= 1.5;
             }));

    // Flat, tall and small boxes, the four ways labels draw arcs: pixels well within
    // the pen's reach of the curve between the ends are drawn, those well beyond are not.
    for (const QSize size : {QSize(5, 30), QSize(30, 5), QSize(12, 8), QSize(40, 18)}) {
        const int l = 6, t = 6, r = l + size.width(), b = t + size.height();
        const QList<std::array<int, 8>> arcs = {{l, t, r, b, l, t, r, b},
                                                {l, t, r, b, r, b, l, t},
                                                {l, b, r, t, l, b, r, t},
                                                {l, b, r, t, r, t, l, b}};
        for (const auto& a : arcs) {
            const QImage img = draw({r + 6, b + 6}, [&](GdiCanvas& c) {
                c.setPenWidth(3);
                c.arc(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
            });
            // The curve through the centres of the box's edge pixels, from radial to radial.
            const double cx = (l + r - 1) / 2.0, cy = (t + b - 1) / 2.0;
            const double rx = (size.width() - 1) / 2.0, ry = (size.height() - 1) / 2.0;
            auto along = [&](int x, int y) {
                return std::atan2(rx * (cy - y), ry * (x - cx)); // parametric angle
            };
            const double from = along(a[4], a[5]);
            double sweep =
                std::fmod(along(a[6], a[7]) - from + 4 * std::numbers::pi, 2 * std::numbers::pi);
            QList<QPointF> curve;
            for (int i = 0; i <= 1000; ++i)
                curve.append(QPointF(cx + rx * std::cos(from + sweep * i / 1000),
                                     cy - ry * std::sin(from + sweep * i / 1000)));
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    double nearest = INFINITY;
                    for (const QPointF& q : curve)
                        nearest = std::min(nearest, std::hypot(x - q.x(), y - q.y()));
                    if (std::abs(nearest - 1.5) > 0.1)
                        QCOMPARE(img.pixel(x, y) == redPx, nearest < 1.5);
                }
        }
    }
}

void TestGdiCanvas::polygonsFillAlternately() {
    // Without a pen, the inside exactly as QPainter fills it in odd-even mode: the
    // pixels whose centres are inside, where overlapping parts cancel out.
    const QList<QList<QPoint>> shapes = {{{5, 5}, {35, 5}, {5, 35}},
                                         {{10, 10}, {60, 50}, {60, 10}, {10, 50}},
                                         {{3, 40}, {40, 3}, {77, 40}, {40, 77}},
                                         {{10, 10}, {90, 20}, {30, 80}, {50, 5}, {80, 85}}};
    for (const QList<QPoint>& shape : shapes) {
        QImage painted(100, 100, QImage::Format_RGB32);
        painted.fill(whitePx);
        QPainter p(&painted);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(greenPx));
        p.drawPolygon(shape.constData(), int(shape.size()), Qt::OddEvenFill);
        p.end();
        QCOMPARE(draw({100, 100},
                      [&](GdiCanvas& c) {
                          c.setPenStyle(PenClear);
                          c.polygon(shape);
                      }),
                 painted);
    }
    // A pen's outline is the polyline closed back to the first point.
    const QList<QPoint> zigzag = {{5, 5}, {50, 12}, {20, 30}, {55, 45}, {8, 40}};
    for (int width : {1, 3}) {
        const QImage outline = draw({64, 52}, [&](GdiCanvas& c) {
            c.setPenWidth(width);
            c.setBrushStyle(BrushClear);
            c.polygon(zigzag);
        });
        QCOMPARE(outline, draw({64, 52}, [&](GdiCanvas& c) {
                     c.setPenWidth(width);
                     c.polyline(zigzag + QList<QPoint>{zigzag[0], zigzag[1]});
                 }));
    }
}

void TestGdiCanvas::dashesRunAlongOutlines() {
    // Dashes keep pixels of the solid outline and leave gaps along it.
    const QList<Paint> figures = {
        [](GdiCanvas& c) { c.rectangle(5, 5, 60, 40); },
        [](GdiCanvas& c) { c.ellipse(5, 5, 60, 40); },
        [](GdiCanvas& c) { c.roundRect(5, 5, 60, 40, 20, 14); },
        [](GdiCanvas& c) { c.arc(5, 5, 60, 40, 5, 5, 60, 40); },
        [](GdiCanvas& c) {
            c.polygon({{5, 5}, {60, 20}, {30, 40}});
        },
    };
    for (const Paint& figure : figures) {
        auto outline = [&](int style) {
            return draw({66, 46}, [&](GdiCanvas& c) {
                c.setBrushStyle(BrushClear);
                c.setPenStyle(style);
                figure(c);
            });
        };
        const QImage solid = outline(PenSolid), dotted = outline(PenDot);
        const int all = count(solid, redPx), kept = count(dotted, redPx);
        for (int y = 0; y < 46; ++y)
            for (int x = 0; x < 66; ++x)
                if (dotted.pixel(x, y) == redPx)
                    QCOMPARE(solid.pixel(x, y), redPx);
        QVERIFY2(kept > all * 2 / 5 && kept < all * 3 / 5,
                 QByteArray::number(kept) + " of " + QByteArray::number(all));
    }
}

void TestGdiCanvas::textIsWhatQPainterDraws() {
    // Texts are drawn from pixels kept from drawing them once: wherever they go, even
    // partly off the image, they are QPainter's own, decorations included.
    struct Sample {
        QString font;
        int size, style;
        QPoint at;
    };
    const QList<Sample> samples = {{QStringLiteral("Arial"), 14, 0, {10, 5}},
                                   {QStringLiteral("Arial"), 14, 0, {47, 31}},
                                   {QStringLiteral("Times New Roman"), 20, FontUnderline, {-9, 40}},
                                   {QStringLiteral("DejaVu Sans"), 9, FontStrikeOut, {150, 70}},
                                   {QStringLiteral("Arial"), 11, FontBold | FontItalic, {30, 60}}};
    const QString text = QStringLiteral("\u00c9tiquette 42 fjg");
    QImage reference(200, 90, QImage::Format_RGB32);
    reference.fill(whitePx);
    const QImage canvas = draw(reference.size(), [&](GdiCanvas& c) {
        c.setFontColor(blue);
        c.setBrushStyle(BrushClear);
        QPainter p(&reference);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setPen(QColor(bluePx));
        for (const Sample& s : samples) {
            c.setFontName(s.font);
            c.setFontSize(s.size);
            c.setFontStyle(s.style);
            c.textOut(s.at.x(), s.at.y(), text);
            QFont font = c.font();
            font.setStyleStrategy(QFont::NoAntialias);
            p.setFont(font);
            p.drawText(s.at + QPoint(0, QFontMetrics(font).ascent()), text);
        }
    });
    QCOMPARE(canvas, reference);
}

void TestGdiCanvas::textsWiderThanTheImageAreDrawnAsFarAsTheyShow() {
    // Far wider than any image (20,000 W at 255 points is 6 million pixels), or in a font larger
    // than the image: only what shows is laid out, and it is what QPainter draws, wherever the
    // text starts.
    QString sentence = QStringLiteral("\u00c9tiquette du lot 42 : caf\u00e9, AVAT Yo LT. ");
    QString longText;
    while (longText.size() < 6000)
        longText += sentence;
    struct Sample {
        QString font;
        int size, style;
        QPoint at;
        QString text;
    };
    const QList<Sample> samples = {
        {QStringLiteral("Arial"), 255, 0, {8, 8}, QString(20000, QLatin1Char('W'))},
        {QStringLiteral("Arial"), 100, 0, {0, 50}, QString(131000, QLatin1Char('W'))},
        {QStringLiteral("Times New Roman"), 72, FontUnderline, {5, 20}, longText.left(1024)},
        {QStringLiteral("DejaVu Sans"), 12, FontStrikeOut, {3, 200}, longText},
        {QStringLiteral("Times New Roman"), 72, FontUnderline, {-5000, 120}, longText.left(1024)},
        {QStringLiteral("Arial"), 20, FontItalic, {-30000, 300}, longText},
        {QStringLiteral("Arial"), 1000, 0, {-150, -200}, QStringLiteral("Wg")}};
    for (const Sample& s : samples) {
        for (const int brush : {BrushClear, BrushSolid}) {
            QFont font;
            const QImage canvas = draw({600, 400}, [&](GdiCanvas& c) {
                c.setFontName(s.font);
                c.setFontSize(s.size);
                c.setFontStyle(s.style);
                c.setFontColor(blue);
                c.setBrushStyle(brush);
                c.textOut(s.at.x(), s.at.y(), s.text);
                font = c.font();
            });
            font.setStyleStrategy(QFont::NoAntialias);
            const QFontMetrics metrics(font);
            // Drawn whole by QPainter, but for what lies beyond the right edge.
            QString shown = s.text;
            if (s.at.x() >= 0) {
                qsizetype n = 1;
                while (metrics.horizontalAdvance(shown.left(n)) < 600 + 2 * font.pixelSize())
                    n *= 2;
                shown = shown.left(n);
            }
            QImage reference(600, 400, QImage::Format_RGB32);
            reference.fill(whitePx);
            QPainter p(&reference);
            if (brush == BrushSolid)
                p.fillRect(QRect(s.at.x(), s.at.y(), 600 - s.at.x(), metrics.height()), greenPx);
            p.setRenderHint(QPainter::TextAntialiasing, false);
            p.setFont(font);
            p.setPen(QColor(bluePx));
            p.drawText(s.at + QPoint(0, metrics.ascent()), shown);
            p.end();
            QVERIFY(count(canvas, bluePx) > 100);
            QVERIFY2(canvas == reference, qPrintable(s.font + QString::number(s.at.x())));
            // The same through QPainter, on an image whose pixels are not 32-bit.
            QImage packed(600, 400, QImage::Format_RGB888);
            packed.fill(Qt::white);
            GdiCanvas c(&packed);
            c.setBrushColor(green);
            c.setBrushStyle(brush);
            c.setFontName(s.font);
            c.setFontSize(s.size);
            c.setFontStyle(s.style);
            c.setFontColor(blue);
            c.textOut(s.at.x(), s.at.y(), s.text);
            c.flush();
            QVERIFY(packed.convertToFormat(QImage::Format_RGB32) == reference);
        }
    }

    // A font larger than any image, as the preview's greatest zooms give, is drawn as far as it
    // shows without a sheet for the whole text and its margins.
    draw({600, 400}, [](GdiCanvas& c) {
        c.setFontSize(60000);
        c.textOut(-3000, -5000, QStringLiteral("Wg"));
    });

    // A long text is measured item by item, to the same width.
    GdiCanvas measure;
    measure.setFontName(QStringLiteral("Times New Roman"));
    measure.setFontSize(11);
    QFont font = measure.font();
    QCOMPARE(measure.textExtent(longText),
             QSize(QFontMetrics(font).horizontalAdvance(longText), QFontMetrics(font).height()));
}

void TestGdiCanvas::otherImageFormatsGetTheSamePixels() {
    // Images whose pixels are not 32-bit are painted through QPainter, with the same
    // figures and texts.
    const Paint label = [](GdiCanvas& c) {
        c.setBrushStyle(BrushCross);
        c.setPenWidth(3);
        c.ellipse(5, 5, 60, 40);
        c.arc(50, 10, 110, 70, 50, 10, 110, 70);
        c.setPenWidth(1);
        c.setPenStyle(PenDashDot);
        c.roundRect(20, 30, 90, 75, 16, 16);
        c.setPenStyle(PenSolid);
        c.setBrushStyle(BrushSolid);
        c.polygon({{70, 5}, {115, 20}, {80, 45}});
        c.setFontName(QStringLiteral("Arial"));
        c.setFontSize(12);
        c.textOut(10, 50, QStringLiteral("Hxg"));
    };
    QImage packed(120, 80, QImage::Format_RGB888);
    packed.fill(Qt::white);
    GdiCanvas canvas(&packed);
    canvas.setPenColor(red);
    canvas.setBrushColor(green);
    label(canvas);
    canvas.flush();
    QCOMPARE(packed.convertToFormat(QImage::Format_RGB32), draw({120, 80}, label));
}

void TestGdiCanvas::figuresDrawnAgainMatchTheirFirstDrawing() {
    // Figures of one size and pen are traced once and then reused wherever they lie; arcs
    // share the outline of their whole ellipse. A canvas that has drawn thousands of
    // figures, many alike, must draw each as a fresh canvas does.
    QRandomGenerator rng(11);
    struct Figure {
        int kind, l, t, r, b, pen, x1, y1, x2, y2;
    };
    std::vector<Figure> figures;
    for (int i = 0; i < 3000; ++i) {
        const int l = int(rng.bounded(180)), t = int(rng.bounded(180));
        const int r = l + 2 + int(rng.bounded(12)), b = t + 2 + int(rng.bounded(12));
        figures.push_back({int(rng.bounded(4)), l, t, r, b, 1 + int(rng.bounded(4)),
                           l + int(rng.bounded(r - l)), t, r, t + int(rng.bounded(b - t))});
    }
    auto paint = [](GdiCanvas& c, const Figure& f) {
        c.setPenWidth(f.pen);
        c.setPenColor(ColorRef(0x010203 * (f.kind + 1) + f.pen));
        c.setBrushColor(ColorRef(0x30A000 + f.l));
        switch (f.kind) {
        case 0:
            c.arc(f.l, f.t, f.r, f.b, f.x1, f.y1, f.x2, f.y2);
            break;
        case 1:
            c.ellipse(f.l, f.t, f.r, f.b);
            break;
        case 2:
            c.roundRect(f.l, f.t, f.r, f.b, 6, 4);
            break;
        default:
            c.rectangle(f.l, f.t, f.r, f.b);
            break;
        }
    };
    QImage reused(200, 200, QImage::Format_RGB32), fresh(200, 200, QImage::Format_RGB32);
    reused.fill(whitePx);
    fresh.fill(whitePx);
    {
        GdiCanvas canvas(&reused);
        for (const Figure& f : figures)
            paint(canvas, f);
    }
    for (const Figure& f : figures) {
        GdiCanvas canvas(&fresh);
        paint(canvas, f);
    }
    QCOMPARE(reused, fresh);
}

void TestGdiCanvas::figuresFarLargerThanTheImageShowTheirPartOfTheWholeFigure() {
    // A figure far larger than the image shows, in a 200 x 200 image, the pixels it has in that
    // window when drawn whole on an image that holds all of it. Figures are drawn at `o`.
    using Figure = std::function<void(GdiCanvas&, QPoint o)>;
    auto pen = [](int style, int width, int brush, const Figure& figure) -> Figure {
        return [=](GdiCanvas& c, QPoint o) {
            c.setPenStyle(style);
            c.setPenWidth(width);
            c.setBrushStyle(brush);
            figure(c, o);
        };
    };
    auto box = [](void (GdiCanvas::*kind)(int, int, int, int), QRect b) -> Figure {
        return [=](GdiCanvas& c, QPoint o) {
            (c.*kind)(o.x() + b.left(), o.y() + b.top(), o.x() + b.right(), o.y() + b.bottom());
        };
    };
    auto round = [](QRect b, int w, int h) -> Figure {
        return [=](GdiCanvas& c, QPoint o) {
            c.roundRect(o.x() + b.left(), o.y() + b.top(), o.x() + b.right(), o.y() + b.bottom(), w,
                        h);
        };
    };
    auto arc = [](QRect b, QPoint from, QPoint to) -> Figure {
        return [=](GdiCanvas& c, QPoint o) {
            c.arc(o.x() + b.left(), o.y() + b.top(), o.x() + b.right(), o.y() + b.bottom(),
                  o.x() + from.x(), o.y() + from.y(), o.x() + to.x(), o.y() + to.y());
        };
    };
    auto points = [](void (GdiCanvas::*kind)(const QList<QPoint>&), QList<QPoint> p) -> Figure {
        return [=](GdiCanvas& c, QPoint o) {
            QList<QPoint> moved = p;
            for (QPoint& q : moved)
                q += o;
            (c.*kind)(moved);
        };
    };
    auto lines = [](QList<QPoint> p) -> Figure {
        return [=](GdiCanvas& c, QPoint o) {
            c.moveTo(o.x() + p[0].x(), o.y() + p[0].y());
            for (qsizetype i = 1; i < p.size(); ++i)
                c.lineTo(o.x() + p[i].x(), o.y() + p[i].y());
        };
    };
    const QRect flat(0, 0, 20000, 400), round2800(0, 0, 2800, 2801), tall(0, 0, 301, 20000);
    struct Case {
        const char* what;
        Figure figure;
        QRect extent;          // all the figure's pixels, pen included
        QList<QPoint> windows; // top left corners of the windows shown
    };
    const QList<Case> cases = {
        {"ellipse",
         pen(PenSolid, 1, BrushSolid, box(&GdiCanvas::ellipse, flat)),
         flat,
         {{9000, 0}, {0, 100}, {19800, 150}, {300, 0}, {1000, 200}}},
        {"circle, dashed",
         pen(PenDashDot, 1, BrushCross, box(&GdiCanvas::ellipse, round2800)),
         round2800,
         {{1300, 0}, {350, 350}, {2300, 2300}, {2600, 1300}, {900, 2601}, {2300, 300}}},
        {"tall ellipse, dotted",
         pen(PenDot, 1, BrushClear, box(&GdiCanvas::ellipse, tall)),
         tall,
         {{0, 9000}, {100, 19800}, {50, 0}, {101, 10}, {0, 19700}}},
        {"wide ellipse",
         pen(PenSolid, 57, BrushDiagCross, box(&GdiCanvas::ellipse, round2800)),
         round2800.adjusted(-30, -30, 30, 30),
         {{1300, -30}, {350, 350}, {2300, 2300}}},
        {"rectangle, dash-dot-dot",
         pen(PenDashDotDot, 1, BrushFDiagonal, box(&GdiCanvas::rectangle, flat)),
         flat,
         {{11000, 0}, {19800, 200}, {0, 0}, {8000, 200}}},
        {"wide rectangle",
         pen(PenSolid, 40, BrushSolid, box(&GdiCanvas::rectangle, flat)),
         flat.adjusted(-21, -21, 21, 21),
         {{11000, -21}, {19821, 221}, {-21, 100}}},
        {"inside frame",
         pen(PenInsideFrame, 30, BrushClear, box(&GdiCanvas::ellipse, round2800)),
         round2800,
         {{1300, 2601}, {2600, 1300}, {0, 1300}}},
        {"inside frame, round",
         pen(PenInsideFrame, 10, BrushClear, round(round2800, 900, 700)),
         round2800,
         {{1300, 2601}, {2600, 1300}, {2600, 2601}}},
        {"round rectangle, dashed",
         pen(PenDash, 1, BrushHorizontal, round(flat, 3000, 390)),
         flat,
         {{9000, 200}, {0, 100}, {19800, 0}, {800, 0}, {18800, 200}}},
        {"wide round rectangle",
         pen(PenSolid, 9, BrushVertical, round(tall, 250, 5000)),
         tall.adjusted(-5, -5, 5, 5),
         {{0, 9000}, {100, 19805}, {0, 1200}}},
        {"arc",
         pen(PenSolid, 1, BrushSolid, arc(round2800, {-500, 2000}, {3000, -7000})),
         round2800,
         {{0, 1750}, {1600, 0}, {1400, 2600}, {2600, 1300}, {2300, 2300}}},
        {"arc, dashed",
         pen(PenDash, 1, BrushSolid, arc(round2800, {2800, 2300}, {-9000, 2000})),
         round2800,
         {{350, 350}, {2450, 2050}, {2600, 1300}, {0, 1400}, {1300, 0}}},
        {"arc, dotted, flat",
         pen(PenDot, 1, BrushSolid, arc(flat, {19000, -90}, {10000, 900})),
         flat,
         {{9850, 200}, {0, 150}, {15000, 0}, {12000, 0}, {5000, 200}}},
        {"whole ellipse as an arc, dotted",
         pen(PenDot, 1, BrushSolid, arc(round2800, {900, 0}, {900, 0})),
         round2800,
         {{350, 350}, {2300, 2300}, {2600, 1300}}},
        {"wide arc",
         pen(PenSolid, 45, BrushSolid, arc(round2800, {3000, 2500}, {-200, 2100})),
         round2800.adjusted(-23, -23, 23, 23),
         {{2450, 2100}, {2620, 1300}, {0, 1900}, {1300, -23}}},
        {"arc, dashed, one pixel wide, along its start",
         pen(PenDash, 1, BrushSolid, arc(QRect(0, 0, 2, 20001), {0, 30000}, {1, 10500})),
         QRect(-100, 0, 200, 20000),
         {{-100, 9800}, {-100, 19800}}},
        {"wide arc, one pixel wide",
         pen(PenSolid, 11, BrushSolid, arc(QRect(0, 0, 2, 20001), {0, 0}, {0, 1})),
         QRect(-100, -6, 200, 20012),
         {{-100, 9000}, {-100, -6}}},
        {"polygon",
         pen(PenDashDot, 1, BrushDiagCross,
             points(&GdiCanvas::polygon, {{0, 0}, {20000, 150}, {9000, 400}, {3000, 20}})),
         QRect(0, 0, 20001, 401),
         {{8900, 200}, {2950, 0}, {15000, 0}}},
        {"wide polyline",
         pen(PenSolid, 25, BrushClear,
             points(&GdiCanvas::polyline, {{0, 390}, {20000, 10}, {0, 10}})),
         QRect(-13, -3, 20027, 407),
         {{10000, 0}, {19814, -3}, {-13, 0}}},
        {"lines, dashed",
         pen(PenDashDotDot, 1, BrushClear, lines({{20000, 0}, {0, 400}, {40, 0}})),
         QRect(0, 0, 20001, 401),
         {{10000, 150}, {0, 0}, {19500, 0}, {0, 200}}},
        {"dot of a wide pen",
         pen(PenSolid, 2001, BrushClear, lines({{1000, 1000}, {1000, 1000}})),
         QRect(0, 0, 2001, 2001),
         {{0, 900}, {800, 800}, {1600, 1600}}},
    };
    for (const Case& c : cases) {
        QImage whole(c.extent.size(), QImage::Format_RGB32);
        whole.fill(whitePx);
        {
            GdiCanvas canvas(&whole);
            canvas.setPenColor(red);
            canvas.setBrushColor(green);
            c.figure(canvas, -c.extent.topLeft());
        }
        for (QPoint at : c.windows) {
            // Hatches line up with the device's origin: windows lie a multiple of 8 pixels from it.
            at -= QPoint((at.x() - c.extent.left()) % 8, (at.y() - c.extent.top()) % 8);
            const QRect window(at, QSize(200, 200));
            QVERIFY(c.extent.contains(window));
            const QImage shown =
                draw({200, 200}, [&](GdiCanvas& canvas) { c.figure(canvas, -at); });
            QVERIFY2(
                shown == whole.copy(window.translated(-c.extent.topLeft())),
                qPrintable(QStringLiteral("%1 at %2, %3").arg(c.what).arg(at.x()).arg(at.y())));
        }
    }

    // Figures as large as the preview makes them at its greatest zoom: drawing them merely has to
    // end, which the test's time limit watches.
    constexpr int far = 1 << 27;
    const QRect huge(-far, -far + 90, 2 * far, far + 7);
    const QList<Figure> figures = {
        box(&GdiCanvas::ellipse, huge),
        box(&GdiCanvas::rectangle, huge),
        round(huge, far / 3, far / 5),
        arc(huge, {-far, 0}, {far, 99}),
        arc(huge, {0, far}, {0, far}),
        points(&GdiCanvas::polygon, {{-far, -far}, {far, 50}, {0, far}}),
        points(&GdiCanvas::polyline, {{-far, 150}, {far, 40}, {0, -far}}),
        lines({{far, -far}, {-far, far}, {-far, 100}})};
    for (const Figure& figure : figures)
        for (const int style : {PenSolid, PenDash, PenInsideFrame})
            for (const int width : {1, 2, 255, 4095, 1000000})
                for (const QPoint at :
                     {QPoint(-100, 0), QPoint(far - 300, 0), QPoint(-far / 2, -far / 3)})
                    draw({200, 200}, [&](GdiCanvas& canvas) {
                        canvas.setPenStyle(style);
                        canvas.setPenWidth(width);
                        canvas.setBrushStyle(BrushBDiagonal);
                        figure(canvas, -at);
                    });
}

QTEST_MAIN(TestGdiCanvas)
#include "tst_gdicanvas.moc"
