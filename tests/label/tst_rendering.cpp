#include "LineCodec.h"
#include "LineEdits.h"
#include "ScriptedDialogs.h"
#include "TEtiq.h"

#include <QtTest>

namespace {

QByteArray style(int brush, ColorRef brushColor, int pen, int width, ColorRef penColor,
                 ColorRef fontColor = 0, int size = 12, int fontStyle = 0,
                 const QByteArray& font = "Arial") {
    return LineCodec::writeStyles(
        StyleBlock{brush, brushColor, pen, width, penColor, fontColor, size, fontStyle, font});
}

constexpr QRgb kWhite = 0xFFFFFFFF;

// Whether any pixel of the 5 x 5 square around (x, y) has the colour.
bool near(const QImage& image, int x, int y, QRgb color) {
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            if (image.pixel(x + dx, y + dy) == color)
                return true;
    return false;
}

bool allWhite(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != kWhite)
                return false;
    return true;
}

struct Label {
    ScriptedDialogsScope script;
    TEtiq etiq;
    explicit Label(int width = 70, int height = 42) {
        etiq.SetDim(width, height, 0, 0);
        etiq.document().Modified = false;
    }
    const QImage& draw(const LineList& objects) {
        etiq.document().Lines =
            LineList{etiq.document().Lines[0], etiq.document().Lines[1]} + objects;
        etiq.Dessine();
        return etiq.surface();
    }
};

} // namespace

class TestRendering : public QObject {
    Q_OBJECT
private slots:
    void plainLabelIsWhite();
    void cdTemplateAndBackgroundOverIt();
    void gradientBands();
    void textIsTransparentInItsOwnFont();
    void pictures();
    void unDrawnKindsStillSetAttributes();
    void fontStyleButtons();
    void clearBrushOutlinesOnly();
    void arcHalves();
    void brokenLineIsReportedOnceAndTheRestDrawn();
    void redrawKeepsTheUndoSnapshot();
    void selectionMarksComeAndGo();
};

void TestRendering::plainLabelIsWhite() {
    Label label;
    QVERIFY(allWhite(label.draw({})));
    QCOMPARE(label.etiq.surface().size(), QSize(278, 166));
}

void TestRendering::cdTemplateAndBackgroundOverIt() {
    Label label(126, 126);
    const QImage& cd = label.draw({});
    const QRgb silver = qRgb(192, 192, 192);
    QCOMPARE(cd.pixel(1, 1), silver);     // the square behind the disc
    QCOMPARE(cd.pixel(60, 188), silver);  // the ring
    QCOMPARE(cd.pixel(189, 189), silver); // the hole
    // The hole's outline, as far from the disc's centre on every side: the hole is centred.
    for (const QPoint p : {QPoint(137, 189), QPoint(241, 189), QPoint(189, 137), QPoint(189, 241)})
        QVERIFY(near(cd, p.x(), p.y(), qRgb(0, 0, 0)));
    QVERIFY(near(cd, 4, 188, qRgb(0, 0, 0))); // the disc's outline

    // A background covers the whole template.
    label.etiq.document().Lines[1] = " 0FILLRECT 000000000000\t" + style(0, 0x0000FF00, 0, 1, 0);
    label.etiq.Dessine();
    const QImage& covered = label.etiq.surface();
    for (const QPoint p : {QPoint(1, 1), QPoint(137, 189), QPoint(189, 189), QPoint(375, 375)})
        QCOMPARE(covered.pixel(p), qRgb(0, 255, 0));
}

void TestRendering::gradientBands() {
    Label label;
    label.etiq.document().Lines[1] = " 0COLOR 000000000000\t" + style(0, 0, 0, 1, 0x00000000);
    label.etiq.Dessine();
    const QImage& up = label.etiq.surface();
    // 166 pixels high: bands of 3, the fiftieth from 147 to the bottom.
    for (int band = 0; band < 49; ++band) {
        QCOMPARE(qRed(up.pixel(10, 3 * band)), 5 * band);
        QCOMPARE(qRed(up.pixel(200, 3 * band + 2)), 5 * band);
    }
    QCOMPARE(qRed(up.pixel(10, 165)), 245);
    QCOMPARE(qRed(up.pixel(277, 150)), 245);

    label.etiq.document().Lines[1] = " 0COLORU 000000000000\t" + style(0, 0, 0, 1, 0x000000FF);
    label.etiq.Dessine();
    QCOMPARE(label.etiq.surface().pixel(10, 165), qRgb(10, 0, 0));
    QCOMPARE(label.etiq.surface().pixel(10, 0), qRgb(255, 0, 0));

    // The carry runs into green; a value with its top byte set is painted with its low bits.
    label.etiq.document().Lines[1] = " 0COLOR 000000000000\t" + style(0, 0, 0, 1, 0xFF0000FE);
    label.etiq.Dessine();
    QCOMPARE(label.etiq.surface().pixel(10, 0), qRgb(254, 0, 0));
    QCOMPARE(label.etiq.surface().pixel(10, 3), qRgb(3, 1, 0));
}

void TestRendering::textIsTransparentInItsOwnFont() {
    Label label;
    label.etiq.document().Lines[1] = " 0FILLRECT 000000000000\t" + style(0, 0x000000FF, 0, 1, 0);
    const QByteArray text = "Ete WWW";
    const QByteArray styles = style(0, 0x0000FF00, 0, 1, 0, 0x00000000, 20, 1, "Times New Roman");
    const QImage& image = label.draw({" 0TEXT 00A00A000000" + text + '\t' + styles});

    StyleBlock parsed;
    LineCodec::readStyles(styles, parsed);
    const QSize extent = LineEdits::textObjectExtent(text, parsed);
    int minX = 9999, maxX = -1, black = 0, green = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qGreen(p) > 200 && qRed(p) < 50)
                ++green;
            if (qRed(p) < 100 && qGreen(p) < 100) {
                ++black;
                minX = qMin(minX, x);
                maxX = qMax(maxX, x);
            }
        }
    }
    QCOMPARE(green, 0); // no opaque box in the brush colour
    QVERIFY(black > 50);
    QVERIFY(minX >= 10 && minX <= 13);
    QVERIFY2(qAbs((maxX - 10 + 1) - extent.width()) <= 3,
             qPrintable(QString("ink to %1, extent %2").arg(maxX).arg(extent.width())));
    // Inside the text box, between the glyphs, the red ground shows.
    QCOMPARE(image.pixel(10 + extent.width() / 2, 10 + 1), qRgb(255, 0, 0));
    QCOMPARE(label.etiq.CurrentText, text);
}

void TestRendering::pictures() {
    Label label;
    // A stretched 2 x 2 picture: red top-left, green bottom-left, blue top-right, black
    // bottom-right (column by column, blue green red).
    const QByteArray picture = "002002"
                               "0000FF"
                               "00FF00"
                               "FF0000"
                               "000000";
    const QImage& image =
        label.draw({" 0BITMAP 014014078078" + picture + '\t' + style(1, 0, 0, 1, 0)});
    QCOMPARE(image.pixel(20, 20), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(69, 20), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(20, 119), qRgb(0, 255, 0));
    QCOMPARE(image.pixel(119, 20), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(119, 119), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(70, 70), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(120, 120), kWhite);

    // Drawn the same with and without the cache, and decoded once for two equal pictures.
    const QImage cached = label.draw(
        {" 0BITMAP 014014078078" + picture + "\t1", " 0META 0A00A00C80C8" + picture + "\t1"});
    QCOMPARE(label.etiq.pictureCache().size(), 1);
    label.etiq.setPictureCacheEnabled(false);
    label.etiq.Dessine();
    QCOMPARE(label.etiq.surface(), cached);
    QCOMPARE(label.etiq.pictureCache().size(), 0);

    // Pictures that declare 4095 x 4095 pixels and carry three cost their three pixels, not
    // their declared size: every one is kept, and what they lack is drawn white.
    label.etiq.setPictureCacheEnabled(true);
    label.etiq.document().Lines = {label.etiq.document().Lines[0], label.etiq.document().Lines[1]};
    label.etiq.document().Lines[1] = " 0FILLRECT 000000000000\t" + style(0, 0x00FF0000, 0, 1, 0);
    for (int i = 0; i < 20; ++i)
        label.etiq.document().Lines.append(" 0BITMAP " +
                                           LineCodec::writeRect(10 + i, 0, 4095, 4095) +
                                           "FFFFFF0000FF00FF00" + LineCodec::hex(i, 6) + "\t1");
    label.etiq.Dessine();
    QCOMPARE(label.etiq.pictureCache().size(), 20);
    QVERIFY(label.etiq.pictureCache().bytes() <= 20 * 4095 * 4);
    const QImage& surface = label.etiq.surface();
    QCOMPARE(surface.pixel(29, 0), qRgb(255, 0, 0));
    QCOMPARE(surface.pixel(29, 1), qRgb(0, 255, 0));
    QCOMPARE(surface.pixel(29, 2), qRgb(19, 0, 0));
    QCOMPARE(surface.pixel(29, 3), kWhite);
    QCOMPARE(surface.pixel(30, 0), kWhite);
    QCOMPARE(surface.pixel(5, 5), qRgb(0, 0, 255)); // the background

    // A short pixel list: what is missing stays white.
    const QImage& shortList = label.draw({" 0BITMAP 014014078078002002"
                                          "0000FF"
                                          "00FF00"
                                          "\t1"});
    QCOMPARE(shortList.pixel(20, 20), qRgb(255, 0, 0));
    QCOMPARE(shortList.pixel(119, 20), kWhite);
    QCOMPARE(shortList.pixel(119, 119), kWhite);
}

void TestRendering::unDrawnKindsStillSetAttributes() {
    Label label;
    label.etiq.document().Lines[1] =
        " 0MOSAIC 000000000000\t" + style(0, 0x00FF0000, 0, 1, 0x000000FF);
    const QImage& image =
        label.draw({" 0CHORDL 000000064064\t" + style(0, 0x00FF0000, 0, 3, 0x000000FF),
                    " 0LINE 00A03C0C803C"}); // no style block of its own
    QCOMPARE(image.pixel(50, 20), kWhite);   // inside the chord: nothing drawn
    QCOMPARE(image.pixel(100, 60), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(100, 61), qRgb(255, 0, 0)); // the chord's 3-pixel pen
    QCOMPARE(label.etiq.canvas().penWidth(), 3);
    int nonWhite = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            nonWhite += image.pixel(x, y) != kWhite;
    QVERIFY(nonWhite <= 3 * 190 + 12);
}

void TestRendering::fontStyleButtons() {
    Label label;
    label.etiq.SetStyle1('+');
    label.etiq.SetStyle2('+');
    label.etiq.SetStyle3('+');
    label.etiq.SetStyle2('-');
    QCOMPARE(label.etiq.canvas().fontStyle(), int(FontBold | FontUnderline));
    label.etiq.SetStyle1('-');
    QCOMPARE(label.etiq.canvas().fontStyle(), int(FontUnderline));
    label.etiq.SetBrush(BrushSolid);
    QCOMPARE(label.etiq.CurBrushStyle, int(BrushSolid));
    label.etiq.SetColors(0x000000FF, 0x00FF0000);
    QCOMPARE(label.etiq.canvas().penColor(), 0x000000FFu);
    QCOMPARE(label.etiq.canvas().brushColor(), 0x00FF0000u);
}

void TestRendering::clearBrushOutlinesOnly() {
    Label label;
    const QImage& image =
        label.draw({" 0RECT 00A00A06406E\t" + style(1, 0x000000FF, 0, 1, 0x00FF0000)});
    QCOMPARE(image.pixel(50, 50), kWhite);
    QCOMPARE(image.pixel(10, 50), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(99, 50), qRgb(0, 0, 255)); // right edge is right - 1
    QCOMPARE(image.pixel(100, 50), kWhite);
    QCOMPARE(image.pixel(50, 109), qRgb(0, 0, 255));
    const QImage& solid =
        label.draw({" 0RECT 00A00A06406E\t" + style(0, 0x000000FF, 0, 1, 0x00FF0000)});
    QCOMPARE(solid.pixel(50, 50), qRgb(255, 0, 0));
}

void TestRendering::arcHalves() {
    // Centre (60, 60), radius 50: the four diagonal points of the circle.
    const QPoint upperRight(95, 25), lowerLeft(25, 95), upperLeft(25, 25), lowerRight(95, 95);
    const QRgb ink = qRgb(0, 0, 0);
    const struct {
        QByteArray keyword;
        QPoint drawn, missing;
    } cases[] = {{"ARCH", upperRight, lowerLeft},
                 {"ARCL", lowerLeft, upperRight},
                 {"ARCHU", upperLeft, lowerRight},
                 {"ARCLU", lowerRight, upperLeft}};
    for (const auto& c : cases) {
        Label label(70, 42);
        const QImage& image =
            label.draw({" 0" + c.keyword + " 00A00A06E06E\t" + style(1, 0, 0, 1, 0)});
        QVERIFY2(near(image, c.drawn.x(), c.drawn.y(), ink), c.keyword.constData());
        QVERIFY2(!near(image, c.missing.x(), c.missing.y(), ink), c.keyword.constData());
        QCOMPARE(image.pixel(60, 60), kWhite); // a curve only, never filled
    }
}

void TestRendering::brokenLineIsReportedOnceAndTheRestDrawn() {
    Label label;
    const QImage& image = label.draw({" 0RECT 00A0ZZ06406E\t" + style(0, 0x000000FF, 0, 1, 0),
                                      " 0RECT 07807808C08C\t" + style(0, 0x000000FF, 0, 1, 0)});
    QCOMPARE(label.script->messages.size(), 1);
    QCOMPARE(label.script->messages[0].text,
             QString("'$0ZZ' n'est pas une valeur entière correcte"));
    QCOMPARE(image.pixel(130, 130), qRgb(255, 0, 0));
    label.etiq.Dessine();
    label.etiq.Dessine();
    QCOMPARE(label.script->messages.size(), 1);
}

void TestRendering::redrawKeepsTheUndoSnapshot() {
    Label label;
    label.draw({" 0RECT 00A00A06406E\t" + style(1, 0, 0, 1, 0)});
    label.etiq.Effacer();
    label.etiq.Redessine();
    QCOMPARE(label.etiq.document().history().undoSteps(), 1);
    QVERIFY(!label.etiq.document().canRedo());
}

void TestRendering::selectionMarksComeAndGo() {
    Label label;
    const QByteArray rect = " 0RECT 01401408C050\t" + style(1, 0, 0, 1, 0x00FF0000);
    const QImage plain = label.draw({rect});
    QByteArray selected = rect;
    selected[0] = '*';
    const QImage marked = label.draw({selected});
    QVERIFY(marked != plain);
    // A handle dot at the middle of the top edge, on an otherwise white spot.
    QVERIFY(marked.pixel(80, 18) != kWhite);
    QCOMPARE(plain.pixel(80, 18), kWhite);
    // A second Affsel erases what the first drew.
    label.etiq.Affsel();
    label.etiq.canvas().flush();
    QCOMPARE(label.etiq.surface(), plain);
}

QTEST_MAIN(TestRendering)
#include "tst_rendering.moc"
