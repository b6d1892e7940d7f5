#include "LabelWindowFixture.h"
#include "LineCodec.h"
#include "LineEdits.h"
#include "Selection.h"
#include "TEtiq.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

const QByteArray kStyles = "100FFFFFF00100000000000000000C0Arial";

QByteArray object(const QByteArray& keyword, int l, int t, int r, int b,
                  const QByteArray& kind = {}) {
    return " 0" + keyword + ' ' + LineCodec::writeRect(l, t, r, b) + kind + '\t' + kStyles;
}

LabelRect rectOf(const QByteArray& line) {
    return LineEdits::selectionRect(line);
}

} // namespace

class TestSelection : public QObject {
    Q_OBJECT
private slots:
    void clickSelectsTheTopmostUnlockedObject();
    void hitTestIncludesTheEdges();
    void groupsAreSelectedTogether();
    void cursorsAndHandles();
    void movingKeepsObjectsInRange();
    void resizingByHandles();
    void pictureAreaLimit();
    void textResizeScalesTheFont();
    void editsNeverCorruptALine();
    void copyCutPasteAndUndo();
};

void TestSelection::clickSelectsTheTopmostUnlockedObject() {
    LabelWindowFixture w(1, {object("RECT", 10, 10, 60, 60), object("ELLIPSE", 30, 30, 90, 90)});
    w.click({40, 40});
    QVERIFY(w.line(2).startsWith(' '));
    QVERIFY(w.line(3).startsWith('*'));
    QVERIFY(w.etiq.HasSelection);
    QCOMPARE(w.etiq.surfaceCursor(), Qt::CrossCursor);

    // A locked object lets the click through to the one below it.
    w.etiq.document().Lines[3][0] = '#';
    w.etiq.Deselectionne();
    w.click({40, 40});
    QVERIFY(w.line(2).startsWith('*'));
    QVERIFY(w.line(3).startsWith('#'));

    // Ctrl+click toggles and keeps the others; a plain click on empty ground clears all.
    w.etiq.document().Lines[3][0] = ' ';
    w.click({80, 80}, Qt::ControlModifier);
    QVERIFY(w.line(2).startsWith('*') && w.line(3).startsWith('*'));
    w.click({80, 80}, Qt::ControlModifier);
    QVERIFY(w.line(3).startsWith(' '));
    w.click({5, 5});
    QVERIFY(w.line(2).startsWith(' '));
    QVERIFY(!w.etiq.HasSelection);
}

void TestSelection::hitTestIncludesTheEdges() {
    LabelWindowFixture w(1, {object("LINE", 60, 40, 20, 10)});
    for (const QPoint hit : {QPoint(60, 40), QPoint(20, 10), QPoint(60, 25)})
        QVERIFY(Selection::objectAt(w.etiq.document().Lines, hit));
    QCOMPARE(Selection::boxOf(w.line(2)), (LabelRect{20, 10, 60, 40}));
    for (const QPoint miss : {QPoint(61, 40), QPoint(60, 41), QPoint(19, 10)})
        QVERIFY(!Selection::objectAt(w.etiq.document().Lines, miss));
}

void TestSelection::groupsAreSelectedTogether() {
    QByteArray a = object("RECT", 10, 10, 20, 20), b = object("RECT", 50, 50, 60, 60),
               c = object("RECT", 70, 70, 80, 80);
    a[1] = '3';
    b[1] = '3';
    b[0] = '#';
    LabelWindowFixture w(1, {a, b, c});
    w.click({15, 15});
    QVERIFY(w.line(2).startsWith('*'));
    QVERIFY(w.line(3).startsWith('*')); // a locked member loses its lock
    QVERIFY(w.line(4).startsWith(' '));
}

void TestSelection::cursorsAndHandles() {
    LabelWindowFixture w(1, {object("RECT", 100, 100, 200, 150)});
    w.click({150, 120});
    QCOMPARE(w.etiq.SelectionBox, (LabelRect{100, 100, 200, 150}));
    const struct {
        QPoint at;
        Qt::CursorShape cursor;
        int handle;
    } cases[] = {{{104, 104}, Qt::SizeFDiagCursor, 1}, {{105, 105}, Qt::CrossCursor, 0},
                 {{150, 152}, Qt::SizeVerCursor, 8},   {{196, 125}, Qt::SizeHorCursor, 6},
                 {{200, 100}, Qt::SizeBDiagCursor, 2}, {{250, 125}, Qt::ArrowCursor, 0}};
    for (const auto& c : cases) {
        w.etiq.FormMouseMove(c.at.x(), c.at.y());
        QCOMPARE(w.etiq.surfaceCursor(), c.cursor);
        QCOMPARE(w.etiq.HoverHandle, c.handle);
    }
}

void TestSelection::movingKeepsObjectsInRange() {
    LabelWindowFixture w(1, {object("RECT", 100, 100, 200, 150),
                             object("POLYG", 10, 10, 40, 30, "00A00A02801E01E014")});
    w.click({150, 120});
    w.click({20, 20}, Qt::ControlModifier);
    w.hoverDrag({150, 120}, {170, 110});
    QCOMPARE(rectOf(w.line(2)), (LabelRect{120, 90, 220, 140}));
    QCOMPARE(LineCodec::splitLine(w.line(3)).geometry, QByteArrayView("01E00003C014"
                                                                      "01E000"
                                                                      "03C014"
                                                                      "03200A"));
    QVERIFY(w.etiq.document().Modified);
    // The click that ends the drag keeps what was dragged, and the box follows it.
    QVERIFY(w.line(2).startsWith('*') && w.line(3).startsWith('*'));
    QCOMPARE(w.etiq.SelectionBox, (LabelRect{30, 0, 220, 140}));
    // The polygon would leave the label upward: it stays; the rectangle still moves.
    w.hoverDrag({150, 120}, {150, 100});
    QCOMPARE(rectOf(w.line(2)), (LabelRect{120, 70, 220, 120}));
    QVERIFY(LineCodec::splitLine(w.line(3)).geometry.startsWith("01E00003C014"));
    // Undo takes the whole gesture back.
    w.etiq.Annuler();
    QCOMPARE(rectOf(w.line(2)), (LabelRect{120, 90, 220, 140}));

    // Nothing leaves 0..4095 on the far side either.
    const QByteArray far = object("RECT", 4000, 10, 4090, 20);
    QCOMPARE(LineEdits::MoveXY(far, 10, 0), far);
    QCOMPARE(rectOf(LineEdits::MoveXY(far, 5, 0)), (LabelRect{4005, 10, 4095, 20}));
}

void TestSelection::resizingByHandles() {
    int size = 0;
    const QByteArray rect = object("RECT", 100, 100, 200, 150);
    QCOMPARE(rectOf(LineEdits::RedimXY(rect, 10, 4, 5, size)), (LabelRect{110, 104, 200, 150}));
    QCOMPARE(rectOf(LineEdits::RedimXY(rect, 10, 4, 8, size)), (LabelRect{100, 100, 210, 154}));
    QCOMPARE(rectOf(LineEdits::RedimXY(rect, 10, 4, 2, size)), (LabelRect{100, 104, 210, 150}));
    QCOMPARE(rectOf(LineEdits::RedimXY(rect, 10, 4, 3, size)), (LabelRect{110, 100, 200, 154}));
    // Refused when an edge would leave the label's range.
    QCOMPARE(LineEdits::RedimXY(rect, -101, 0, 1, size), rect);
    QCOMPARE(LineEdits::RedimXY(rect, 4000, 0, 4, size), rect);

    // Handle 6 on a polygon moves the points off its left edge, horizontally only.
    const QByteArray poly = object("POLYG", 10, 10, 50, 40, "00A00A03201E01E028");
    const QByteArray resized = LineEdits::RedimXY(poly, 10, 7, 6, size);
    QCOMPARE(resized, object("POLYG", 10, 10, 60, 40, "00A00A03C01E028028"));
    // A point pushed out of range refuses the step.
    QCOMPARE(LineEdits::RedimXY(poly, -45, 0, 5, size), poly);

    // Through the window: handle 5 dragged by (10, 4).
    LabelWindowFixture w(1, {object("RECT", 100, 100, 200, 150)});
    w.click({150, 120});
    w.hoverDrag({100, 125}, {110, 129});
    QCOMPARE(rectOf(w.line(2)), (LabelRect{110, 104, 200, 150}));
}

void TestSelection::pictureAreaLimit() {
    int size = 0;
    const QByteArray small = object("BITMAP", 0, 0, 140, 140, "001001FFFFFF");
    QCOMPARE(LineEdits::RedimXY(small, 10, 10, 4, size), small);
    const QByteArray big = object("BITMAP", 0, 0, 160, 160, "001001FFFFFF");
    QCOMPARE(rectOf(LineEdits::RedimXY(big, -10, -10, 4, size)), (LabelRect{0, 0, 150, 150}));
}

void TestSelection::textResizeScalesTheFont() {
    const QByteArray text = LineEdits::Recadre(" 0TEXT 014014000000Bonjour\t" + kStyles);
    const LabelRect fitted = rectOf(text);
    const int width = fitted.right - fitted.left;
    int size = 0;
    const QByteArray wider = LineEdits::RedimXY(text, width, 0, 4, size);
    QCOMPARE(size, 12);
    const LineParts parts = LineCodec::splitLine(wider);
    QCOMPARE(parts.styles.sliced(28, 2), QByteArrayView("18"));
    QCOMPARE(rectOf(wider).right, fitted.right + width);
    // Shrinking below one point is refused: the text would become an unclickable dot.
    size = 0;
    QCOMPARE(LineEdits::RedimXY(text, -width + 2, 0, 4, size), text);

    // A click elsewhere clears the selection and refits the rectangle to the text.
    LabelWindowFixture w(1, {wider});
    w.etiq.document().Lines[2][0] = '*';
    w.etiq.HasSelection = true;
    w.click({300, 300});
    StyleBlock style;
    LineCodec::readStyles(LineCodec::splitLine(w.line(2)).styles, style);
    const QSize extent = LineEdits::textObjectExtent("Bonjour", style);
    QCOMPARE(rectOf(w.line(2)), (LabelRect{20, 20, 20 + extent.width(), 20 + extent.height()}));
}

void TestSelection::editsNeverCorruptALine() {
    // Whatever the step, an edited line keeps its grammar and its coordinates in range.
    QRandomGenerator rng(5);
    const LineList samples{object("RECT", 5, 5, 90, 60),
                           object("POLYL", 0, 0, 30, 40,
                                  "000000"
                                  "01E028"
                                  "00A005"),
                           object("TEXT", 3, 4, 50, 20, "Texte"),
                           object("BITMAP", 1, 1, 3, 3, "001001FFFFFF"),
                           " 0BLANK",
                           "garbage",
                           "*0RECT 0Z0000000000\t1",
                           " 0DRAW 000000FFFFFF00\t"};
    for (int round = 0; round < 3000; ++round) {
        QByteArray line = samples[rng.bounded(samples.size())];
        int size = 0;
        for (int step = 0; step < 8; ++step) {
            const int dx = rng.bounded(-3000, 3000), dy = rng.bounded(-3000, 3000);
            line = rng.bounded(2) ? LineEdits::MoveXY(line, dx, dy)
                                  : LineEdits::RedimXY(line, dx, dy, 1 + rng.bounded(8), size);
        }
        const LineParts parts = LineCodec::splitLine(line);
        if (const auto r = LineCodec::tryReadRect(parts.geometry))
            QVERIFY(r->left >= 0 && r->right <= 4095 && r->top >= 0 && r->bottom <= 4095);
        QVERIFY(line.count('\t') <= 1);
    }
}

void TestSelection::copyCutPasteAndUndo() {
    LabelWindowFixture w(1, {object("RECT", 10, 10, 20, 20), object("RECT", 30, 30, 40, 40),
                             object("RECT", 50, 50, 60, 60)});
    // Nothing selected: a message and the clipboard as it was.
    w.clipboard = {"kept"};
    w.etiq.Copier(w.clipboard);
    QCOMPARE(w.script->messages.last().text, QString("Aucun objet sélectionné"));
    QCOMPARE(w.clipboard, LineList{"kept"});

    w.click({15, 15});
    w.click({35, 35}, Qt::ControlModifier);
    const LineList before = w.etiq.document().Lines;
    w.etiq.Couper(w.clipboard);
    QCOMPARE(w.etiq.document().Lines.size(), 3);
    QCOMPARE(w.clipboard,
             (LineList{object("RECT", 10, 10, 20, 20), object("RECT", 30, 30, 40, 40)}));
    QVERIFY(w.etiq.document().Modified);
    w.etiq.Redessine(); // a repaint does not spoil the undo
    w.etiq.Annuler();
    QCOMPARE(w.etiq.document().Lines, before);
    w.etiq.Annuler();
    QCOMPARE(w.etiq.document().Lines, before);

    w.etiq.Couper(w.clipboard);
    w.etiq.Coller(w.clipboard);
    QCOMPARE(w.etiq.document().Lines.mid(2),
             (LineList{object("RECT", 50, 50, 60, 60), object("RECT", 10, 10, 20, 20),
                       object("RECT", 30, 30, 40, 40)}));
    w.etiq.Annuler();
    QCOMPARE(w.etiq.document().Lines.size(), 3);

    // Locked objects are not copied: the clipboard ends up empty.
    w.etiq.document().Lines[2][0] = '#';
    w.etiq.HasSelection = true;
    w.etiq.Copier(w.clipboard);
    QVERIFY(w.clipboard.isEmpty());

    // Objects travel to a new label.
    LabelWindowFixture other(1, {object("ELLIPSE", 1, 2, 30, 40)});
    other.click({10, 10});
    other.etiq.Copier(w.clipboard);
    w.etiq.SetIni(1, 1, 0, 0, 0xFFFFFF, 1);
    w.etiq.SetDim(70, 42, 0, 0);
    w.etiq.Effacer();
    w.etiq.Coller(w.clipboard);
    QCOMPARE(w.etiq.document().Lines.mid(2), LineList{object("ELLIPSE", 1, 2, 30, 40)});
}

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
