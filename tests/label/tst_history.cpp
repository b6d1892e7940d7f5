#include "LabelDocument.h"
#include "LabelWindowFixture.h"
#include "LineEdits.h"
#include "Selection.h"

#include <QtTest>

namespace {

const QByteArray kStyles = "100FFFFFF00100000000000000000C0Arial";

QByteArray rect(int l, int t, int r, int b, char mark = ' ') {
    return mark + QByteArray("0RECT ") + LineCodec::writeRect(l, t, r, b) + '\t' + kStyles;
}

} // namespace

// "Annuler" and "Rétablir" over many steps, in the document and through the window's gestures.
class TestHistory : public QObject {
    Q_OBJECT
private slots:
    void manyStepsBackAndForth();
    void gesturesKeepTheLastChangeUndoable();
};

void TestHistory::manyStepsBackAndForth() {
    LabelDocument document;
    int heard = 0;
    document.setListener([&](LabelDocument::Change) { ++heard; });
    // 150 changes of three kinds: an object added, one moved, one taken away.
    QList<LineList> states{document.Lines};
    for (int i = 0; i < 150; ++i) {
        document.edit([&](LineList& lines) {
            if (i % 3 == 2 && lines.size() > 3)
                lines.removeAt(2);
            else if (i % 3 == 1)
                lines.last() = LineEdits::MoveXY(lines.last(), 1, 0);
            else
                lines.append(rect(i, i, i + 10, i + 10));
        });
        states.append(document.Lines);
    }
    QCOMPARE(heard, 150);
    QVERIFY(document.Modified);
    for (int k = 1; k <= 100; ++k) {
        QVERIFY(document.undo());
        QCOMPARE(document.Lines, states[150 - k]);
    }
    for (int k = 1; k <= 50; ++k) {
        QVERIFY(document.redo());
        QCOMPARE(document.Lines, states[50 + k]);
    }
    QVERIFY(document.canRedo());
    // A new change drops what was left to redo; a change that changes nothing is no step.
    document.edit([](LineList& lines) { lines.append(rect(1, 1, 5, 5)); });
    QVERIFY(!document.canRedo());
    const int steps = document.history().undoSteps();
    QVERIFY(!document.edit([](LineList&) {}));
    QCOMPARE(document.history().undoSteps(), steps);

    // The history keeps its last 200 steps; Nouveau and Ouvrir leave nothing.
    for (int i = 0; i < 300; ++i)
        document.edit([&](LineList& lines) { lines[1] = " 0BLANK" + QByteArray::number(i); });
    QCOMPARE(document.history().undoSteps(), LineHistory::kMaxSteps);
    document.forgetUndo();
    QVERIFY(!document.undo());

    // Steps that each change a whole large label are dropped, oldest first, beyond the
    // history's byte limit; the last one always stays.
    LineHistory big;
    big.setByteLimit(1 << 20);
    LineList label = LineCodec::newLabel();
    for (int i = 0; i < 10; ++i) {
        label.append(QByteArray(200 * 1024, char('a' + i)));
        big.record(label);
    }
    QVERIFY(big.undoSteps() >= 1 && big.undoSteps() <= 6);
    QVERIFY(big.undo(label));
    QCOMPARE(label.size(), 2 + 10);

    // A gesture is one step, heard of once, when it ends.
    heard = 0;
    document.beginGesture();
    for (int i = 0; i < 30; ++i)
        document.edit(
            [&](LineList& lines) { lines.last() = LineEdits::MoveXY(lines.last(), 1, 1); });
    QCOMPARE(heard, 0);
    QVERIFY(document.endGesture());
    QCOMPARE(heard, 1);
    QCOMPARE(document.history().undoSteps(), 1);
}

void TestHistory::gesturesKeepTheLastChangeUndoable() {
    // The pointer tool on a shown window, driven by real mouse and key events.
    LabelWindowFixture w(1, {rect(20, 20, 40, 40), rect(60, 20, 80, 40), rect(0, 60, 20, 80)});
    w.etiq.resize(600, 500);
    w.etiq.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.etiq));
    QWidget* surface = w.etiq.findChild<QWidget*>("PaintBox1");
    QWidget* keys = w.etiq.focusProxy();
    // The pointer passing over the surface with no button down, as the window system
    // reports it: the selection's cursor zones are known at the next press.
    const auto hover = [&](QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, surface->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(surface, &move);
    };
    const auto click = [&](QPoint at) {
        hover(at);
        QTest::mouseClick(surface, Qt::LeftButton, {}, at);
    };
    const auto boxOf = [&](int line) { return Selection::boxOf(w.line(line)); };

    // Moved with the arrow keys, then clicked: "Annuler" still takes the move back.
    click({30, 30});
    QTest::keyClick(keys, Qt::Key_Right);
    QTest::keyClick(keys, Qt::Key_Right);
    QCOMPARE(boxOf(2).left, 22);
    click({30, 30});
    w.etiq.Annuler();
    QCOMPARE(boxOf(2).left, 20);
    w.etiq.Retablir();
    QCOMPARE(boxOf(2).left, 22);

    // One object deleted, the remaining selected one clicked: "Annuler" brings it back.
    click({70, 30});
    w.etiq.Supprimer();
    QCOMPARE(w.objects().size(), 2);
    click({10, 70});
    click({10, 70});
    w.etiq.Annuler();
    QCOMPARE(w.objects().size(), 3);
    QCOMPARE(boxOf(3), (LabelRect{60, 20, 80, 40}));

    // A drag against the label's left edge moves nothing, and is no step.
    click({10, 70});
    const int steps = w.etiq.document().history().undoSteps();
    hover({10, 70});
    QTest::mousePress(surface, Qt::LeftButton, {}, {10, 70});
    QTest::mouseMove(surface, {2, 70});
    QTest::mouseRelease(surface, Qt::LeftButton, {}, {2, 70});
    QCOMPARE(w.etiq.document().history().undoSteps(), steps);

    // A drag of 30 motions is one step.
    hover({10, 70});
    QTest::mousePress(surface, Qt::LeftButton, {}, {10, 70});
    for (int i = 1; i <= 30; ++i)
        QTest::mouseMove(surface, {10 + 2 * i, 70});
    QTest::mouseRelease(surface, Qt::LeftButton, {}, {70, 70});
    QCOMPARE(boxOf(4).left, 60);
    QCOMPARE(w.etiq.document().history().undoSteps(), steps + 1);
    w.etiq.Annuler();
    QCOMPARE(boxOf(4).left, 0);
    // Before it, the object that was deleted and brought back is still there.
    QCOMPARE(w.objects().size(), 3);
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
