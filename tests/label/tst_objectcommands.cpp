#include "LabelPainter.h"
#include "LabelWindowFixture.h"
#include "LineEdits.h"

#include <QtTest>

namespace {

const QByteArray kStyles = "100FFFFFF00100000000000000000C0Arial";

QByteArray object(const QByteArray& keyword, int l, int t, int r, int b, char mark = ' ',
                  const QByteArray& styles = kStyles) {
    return mark + QByteArray("0") + keyword + ' ' + LineCodec::writeRect(l, t, r, b) + '\t' +
           styles;
}

// The objects A, B, C, D (rectangles at 10, 20, 30, 40), the given ones selected.
LineList abcd(const QByteArray& selected) {
    LineList lines;
    for (int i = 0; i < 4; ++i) {
        const char name = char('A' + i);
        lines.append(object("RECT", 10 * (i + 1), 10, 10 * (i + 1) + 5, 15,
                            selected.contains(name) ? '*' : ' '));
    }
    return lines;
}

QByteArray order(const LabelWindowFixture& w) {
    QByteArray names;
    for (const QByteArray& line : w.objects())
        names += char('A' + LineEdits::selectionRect(line).left / 10 - 1);
    return names;
}

QByteArray marks(const LabelWindowFixture& w) {
    QByteArray text;
    for (const QByteArray& line : w.objects())
        text += line[0];
    return text;
}

} // namespace

class TestObjectCommands : public QObject {
    Q_OBJECT
private slots:
    void stacking();
    void selectionAndLocks();
    void groupsAreMadeAndUndone();
    void positionSizeAndModify();
    void nothingToChangeLeavesTheUndoAlone();
    void arrowheads();
    void bandAndArrowKeys();
    void backgroundIsOneUndoableChange();
};

void TestObjectCommands::stacking() {
    const struct {
        void (LabelCommands::*command)();
        const char* result;
    } cases[] = {{&LabelCommands::AvPlan, "ADBC"},
                 {&LabelCommands::ArPlan, "CBAD"},
                 {&LabelCommands::UnDessus, "ACBD"},
                 {&LabelCommands::UnDessous, "BCAD"}};
    for (const auto& c : cases) {
        LabelWindowFixture w(1, abcd("BC"));
        w.etiq.HasSelection = true;
        (w.etiq.*c.command)();
        QCOMPARE(order(w), QByteArray(c.result));
        QVERIFY(w.etiq.document().Modified);
        // "Annuler" brings the order back; again, it changes nothing more.
        w.etiq.Annuler();
        QCOMPARE(order(w), QByteArray("ABCD"));
        w.etiq.Annuler();
        QCOMPARE(order(w), QByteArray("ABCD"));
    }
    // With one object, nothing moves and nothing is said; nor without a selection... but
    // the stacking commands say it then.
    for (const auto& c : cases) {
        LabelWindowFixture w(1, {object("RECT", 10, 10, 20, 20, '*')});
        w.etiq.HasSelection = true;
        (w.etiq.*c.command)();
        QCOMPARE(w.objects().size(), 1);
        QVERIFY(!w.etiq.document().Modified);
        QVERIFY(w.script->messages.isEmpty());
        w.etiq.HasSelection = false;
        (w.etiq.*c.command)();
        QCOMPARE(w.script->messages.value(0).text, QString("Aucun objet sélectionné"));
    }
}

void TestObjectCommands::selectionAndLocks() {
    LabelWindowFixture w(1, abcd("B"));
    w.etiq.document().Lines[4][0] = '#'; // C locked
    // Delete without a selection says nothing.
    w.etiq.Supprimer();
    QVERIFY(w.script->messages.isEmpty());
    QCOMPARE(order(w), QByteArray("ABCD"));
    // Select all takes the locked one too, and its box is the objects' own, wherever the
    // window's box was; select none leaves no mark.
    w.etiq.ToutSel();
    QCOMPARE(marks(w), QByteArray("****"));
    QVERIFY(w.etiq.HasSelection);
    QCOMPARE(w.etiq.SelectionBox, (LabelRect{10, 10, 45, 15}));
    w.etiq.ToutDesel();
    QCOMPARE(marks(w), QByteArray("    "));
    // Lock then unlock all: every object plain and unselected, the selection mode on.
    // A locked object wears a padlock at its top-right corner on the screen, never on the
    // surface that the PNG export and the sheet draw.
    auto* box = w.etiq.findChild<QWidget*>("PaintBox1");
    const QImage unlocked = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage surfaceBefore = w.etiq.surface();
    w.click({32, 12});
    w.etiq.Verrouiller();
    QCOMPARE(marks(w), QByteArray("  # "));
    const QImage locked = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect corner(QPoint(35 - 8, 10 - 5), QSize(9, 11));
    QVERIFY(locked.copy(corner) != unlocked.copy(corner));
    QCOMPARE(locked.copy(QRect(50, 0, 50, 50)), unlocked.copy(QRect(50, 0, 50, 50)));
    QCOMPARE(w.etiq.surface(), surfaceBefore);
    w.etiq.Deverrouiller();
    QCOMPARE(marks(w), QByteArray("    "));
    QVERIFY(w.etiq.HasSelection);
    QCOMPARE(box->grab().toImage().convertToFormat(QImage::Format_RGB32), unlocked);
    // Delete removes the selected objects only.
    w.click({12, 12});
    w.click({42, 12}, Qt::ControlModifier);
    w.etiq.Supprimer();
    QCOMPARE(order(w), QByteArray("BC"));
}

QByteArray groups(const LabelWindowFixture& w) {
    QByteArray digits;
    for (const QByteArray& line : w.objects())
        digits += line[1];
    return digits;
}

void TestObjectCommands::groupsAreMadeAndUndone() {
    LabelWindowFixture w(1, abcd(""));
    w.etiq.document().Lines[4][1] = '1'; // C already in group 1
    // A and D grouped: the lowest free digit, 2; a click on one then selects both.
    w.click({12, 12});
    w.click({42, 12}, Qt::ControlModifier);
    w.etiq.Grouper();
    QCOMPARE(groups(w), QByteArray("2012"));
    QVERIFY(w.etiq.document().Modified);
    w.etiq.ToutDesel();
    w.click({42, 12});
    QCOMPARE(marks(w), QByteArray("*  *"));
    // One undo takes the group away again; ungrouping is one step too.
    w.etiq.Annuler();
    QCOMPARE(groups(w), QByteArray("0010"));
    w.etiq.ToutSel();
    w.etiq.Dissocier();
    QCOMPARE(groups(w), QByteArray("0000"));
    w.etiq.Annuler();
    QCOMPARE(groups(w), QByteArray("0010"));
    // Without a selection: the usual message. With the nine digits taken by other
    // objects: a message, and nothing changes.
    w.etiq.ToutDesel();
    w.etiq.Grouper();
    QCOMPARE(w.script->messages.takeLast().text, QString("Aucun objet sélectionné"));
    LineList nine;
    for (int i = 0; i < 10; ++i) {
        QByteArray line = object("RECT", 10 * (i + 1), 10, 10 * (i + 1) + 5, 15);
        line[1] = char('0' + i);
        nine.append(line);
    }
    LabelWindowFixture full(1, nine);
    full.click({12, 12});
    full.etiq.Grouper();
    QCOMPARE(full.script->messages.size(), 1);
    QVERIFY(full.script->messages[0].text.startsWith("Les neuf groupes (1 à 9) sont déjà pris"));
    QCOMPARE(groups(full), QByteArray("0123456789"));
    QVERIFY(!full.etiq.document().Modified);
}

void TestObjectCommands::positionSizeAndModify() {
    LabelWindowFixture w(
        1, {object("RECT", 30, 10, 60, 40, '*'), object("RECT", 100, 10, 140, 30, '*')});
    w.etiq.HasSelection = true;
    w.etiq.SelectionBox = LabelRect{30, 10, 140, 40};
    // Each object widens at its own right edge.
    w.dialogs.resize = QPoint(20, 0);
    w.etiq.Taille();
    QCOMPARE(LineEdits::selectionRect(w.line(2)), (LabelRect{30, 10, 80, 40}));
    QCOMPARE(LineEdits::selectionRect(w.line(3)), (LabelRect{100, 10, 160, 30}));
    // -50 would take the first object past the left edge: it stays; the other moves.
    w.dialogs.move = QPoint(-50, 0);
    w.etiq.Position();
    QCOMPARE(LineEdits::selectionRect(w.line(2)), (LabelRect{30, 10, 80, 40}));
    QCOMPARE(LineEdits::selectionRect(w.line(3)), (LabelRect{50, 10, 110, 30}));
    // Two selected objects cannot be modified; one can.
    w.etiq.Modifier();
    QCOMPARE(w.script->messages.value(0).text, QString("Sélection multiple non modifiable"));
    QVERIFY(w.dialogs.given.isEmpty());
    w.etiq.document().Lines[3][0] = ' ';
    w.dialogs.modifiedLine = object("RECT", 30, 10, 80, 40, '*', "000FF0000" + kStyles.mid(9));
    w.etiq.Modifier();
    QCOMPARE(w.dialogs.given.value(0), object("RECT", 30, 10, 80, 40, '*'));
    QCOMPARE(w.line(2), w.dialogs.modifiedLine);
    w.etiq.Annuler();
    QCOMPARE(w.line(2), object("RECT", 30, 10, 80, 40, '*'));
}

void TestObjectCommands::nothingToChangeLeavesTheUndoAlone() {
    // A real change, then commands that find no marked line (after a lock, a delete...).
    LabelWindowFixture w(1, abcd("B"));
    w.etiq.HasSelection = true;
    w.etiq.Supprimer();
    const LineList afterDelete = w.etiq.document().Lines;
    w.etiq.document().Modified = false;
    for (void (LabelCommands::*command)() :
         {&LabelCommands::AvPlan, &LabelCommands::ArPlan, &LabelCommands::UnDessus,
          &LabelCommands::UnDessous, &LabelCommands::Supprimer, &LabelCommands::Verrouiller}) {
        (w.etiq.*command)();
        QVERIFY(!w.etiq.document().Modified);
    }
    w.dialogs.move = QPoint(5, 5);
    w.etiq.Position();
    w.etiq.Liste();
    QVERIFY(!w.etiq.document().Modified);
    QCOMPARE(w.etiq.document().Lines, afterDelete);
    // The delete can still be taken back.
    w.etiq.Annuler();
    QCOMPARE(order(w), QByteArray("ABCD"));
}

void TestObjectCommands::arrowheads() {
    // A horizontal line from (20, 50) to (120, 50): ">1" a head at its start, ">2" at its
    // end, ">3" at both; nothing drawn for "--" beyond the line itself.
    auto drawn = [](const QByteArray& arrow) {
        LabelWindowFixture w(
            1, {" 0LINE " + LineCodec::writeRect(20, 50, 120, 50) + '\t' + arrow + kStyles});
        w.etiq.Dessine();
        return w.etiq.surface().copy();
    };
    auto inkAround = [](const QImage& image, int x) {
        int ink = 0;
        for (int y = 40; y <= 60; ++y)
            for (int dx = -1; dx <= 12; ++dx)
                ink += y != 50 && image.pixel(x + (x > 60 ? -dx : dx), y) != qRgb(255, 255, 255);
        return ink;
    };
    const QImage none = drawn("");
    const QImage start = drawn(">1");
    const QImage end = drawn(">2");
    const QImage both = drawn(">3");
    QCOMPARE(inkAround(none, 20) + inkAround(none, 119), 0);
    QVERIFY(inkAround(start, 20) > 6 && inkAround(start, 119) == 0);
    QVERIFY(inkAround(end, 119) > 6 && inkAround(end, 20) == 0);
    QVERIFY(inkAround(both, 20) > 6 && inkAround(both, 119) > 6);
    // On the sheet the head is there as well, scaled with the drawing.
    GdiCanvas canvas;
    QImage page(800, 400, QImage::Format_RGB32);
    page.fill(Qt::white);
    canvas.setDevice(&page);
    CellTransform twice;
    twice.scale = 2;
    LabelPainter(canvas).paint(
        {"04602A000000", " 0BLANK",
         " 0LINE " + LineCodec::writeRect(20, 50, 120, 50) + "\t>1" + kStyles},
        RenderOptions::printedCell(twice, QRect(0, 0, 800, 400)));
    canvas.flush();
    int ink = 0;
    for (int y = 80; y <= 120; ++y)
        for (int x = 40; x <= 70; ++x)
            ink += y != 100 && page.pixel(x, y) != qRgb(255, 255, 255);
    QVERIFY(ink > 12);
}

void TestObjectCommands::bandAndArrowKeys() {
    LabelWindowFixture w(1, {object("RECT", 20, 20, 40, 40), object("ELLIPSE", 50, 20, 90, 60),
                             object("RECT", 20, 100, 40, 120, '#')});
    // A band from empty ground takes the unlocked objects it encloses, not the others.
    w.hoverDrag({10, 10}, {95, 130});
    QCOMPARE(marks(w), QByteArray("**#"));
    QVERIFY(w.etiq.HasSelection);
    QCOMPARE(w.etiq.SelectionBox, (LabelRect{20, 20, 90, 60}));
    w.hoverDrag({5, 5}, {45, 45});
    QCOMPARE(marks(w), QByteArray("* #"));
    // Ctrl adds to the selection.
    w.etiq.FormMouseMove(45, 15);
    w.etiq.FormMouseDown(45, 15, Qt::ControlModifier);
    w.etiq.FormMouseMove(95, 65);
    w.etiq.PaintBox1Click();
    w.etiq.FormMouseUp(95, 65);
    QCOMPARE(marks(w), QByteArray("**#"));

    // The arrow keys move the selection, one pixel or ten with Shift; a run of them on the
    // same objects is one step to undo. The keys reach the label window through the widget
    // that holds its keyboard focus.
    QWidget* keys = w.etiq.focusProxy();
    QVERIFY(keys);
    const int steps = w.etiq.document().history().undoSteps();
    QTest::keyClick(keys, Qt::Key_Right);
    QCOMPARE(LineEdits::selectionRect(w.line(2)).left, 21);
    QTest::keyClick(keys, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(LineEdits::selectionRect(w.line(3)), (LabelRect{51, 30, 91, 70}));
    QCOMPARE(w.etiq.document().history().undoSteps(), steps + 1);
    w.etiq.Annuler();
    QCOMPARE(LineEdits::selectionRect(w.line(3)), (LabelRect{50, 20, 90, 60}));
    // Past the left edge an object stays where it is.
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(keys, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(LineEdits::selectionRect(w.line(2)).left, 0);
    QCOMPARE(LineEdits::selectionRect(w.line(3)).left, 20);
}

void TestObjectCommands::backgroundIsOneUndoableChange() {
    LabelWindowFixture w(1, {object("RECT", 20, 20, 40, 40)});
    // The dialog cancelled, or giving back the same record: nothing changes.
    w.etiq.FondPage();
    w.dialogs.backgroundRecord = w.line(1);
    w.etiq.FondPage();
    QVERIFY(!w.etiq.document().Modified);
    QCOMPARE(w.dialogs.given.value(0), QByteArray(" 0BLANK"));

    w.dialogs.backgroundRecord = " 0FILLRECT 000000068090\t0000000FF00100000000000000000C0Arial";
    w.etiq.FondPage();
    QCOMPARE(w.line(1), w.dialogs.backgroundRecord);
    QVERIFY(w.etiq.document().Modified);
    QCOMPARE(w.etiq.surface().pixel(300, 200), qRgb(255, 0, 0));
    w.etiq.Annuler();
    QCOMPARE(w.line(1), QByteArray(" 0BLANK"));
    QCOMPARE(w.etiq.surface().pixel(300, 200), qRgb(255, 255, 255));
}

QTEST_MAIN(TestObjectCommands)
#include "tst_objectcommands.moc"
