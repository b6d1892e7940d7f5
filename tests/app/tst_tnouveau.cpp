#include "ScriptedDialogs.h"
#include "SpinEdit.h"
#include "TNouveau.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

struct Dialog : TNouveau {
    SpinEdit* box(int number) {
        return findChild<SpinEdit*>(QStringLiteral("SpinEdit%1").arg(number));
    }
    QPushButton* button(const char* name) {
        return findChild<QPushButton*>(QString::fromLatin1(name));
    }
    // The four outputs, starting from values the dialog must leave alone unless it answers.
    QList<int> result() const {
        int width = -1, height = -2, hspacing = -3, vspacing = -4;
        Result(width, height, hspacing, vspacing);
        return {width, height, hspacing, vspacing};
    }
    // Shown the way a modal run shows it, so that the focus moves as it would.
    void open() {
        show();
        QApplication::setActiveWindow(this);
    }
};

} // namespace

class TestNouveau : public QObject {
    Q_OBJECT
private slots:
    void okGivesTheBoxes();
    void aWidthTypedBelowTheRangeBecomesTenWhenTheFocusLeaves();
    void boxesReadTheMinimumOrTheNearerBound();
    void cancelGivesWidthZeroAndLeavesTheRest();
    void closeBoxIsCancel();
    void layout();
};

void TestNouveau::okGivesTheBoxes() {
    Dialog d;
    d.Init(100, 50, 3, 4);
    QCOMPARE(d.windowTitle(), QString("Nouveau"));
    d.Init2(80, 40, 1, 2);
    QCOMPARE(d.windowTitle(), QString("Redimensionner"));
    d.box(1)->setText("120");
    d.button("Button2")->click();
    QCOMPARE(d.QDialog::result(), int(QDialog::Accepted));
    QCOMPARE(d.result(), (QList<int>{120, 40, 1, 2}));
}

void TestNouveau::aWidthTypedBelowTheRangeBecomesTenWhenTheFocusLeaves() {
    Dialog d;
    d.Init(70, 42, 0, 0);
    d.open();
    d.box(1)->setFocus();
    d.box(1)->selectAll();
    QTest::keyClicks(d.box(1), "5");
    QCOMPARE(d.box(1)->text(), QString("5"));
    QTest::mouseClick(d.button("Button2"), Qt::LeftButton);
    QCOMPARE(d.box(1)->text(), QString("10"));
    QCOMPARE(d.result().value(0), 10);

    // Typed above the range, every digit stays until the focus leaves, then the bound.
    d.open();
    d.box(1)->setFocus();
    d.box(1)->selectAll();
    QTest::keyClicks(d.box(1), "350");
    QCOMPARE(d.box(1)->text(), QString("350"));
    d.box(2)->setFocus();
    QCOMPARE(d.box(1)->text(), QString("300"));
    QTest::mouseClick(d.button("Button2"), Qt::LeftButton);
    QCOMPARE(d.result().value(0), 300);
}

void TestNouveau::boxesReadTheMinimumOrTheNearerBound() {
    // "OK" from the keyboard: the focus never left the boxes.
    Dialog d;
    d.Init(70, 42, 6, 6);
    d.box(1)->setText("400");
    d.box(2)->setText("abc");
    d.box(3)->setText("250");
    d.box(4)->setText("x");
    d.button("Button2")->click();
    QCOMPARE(d.result(), (QList<int>{300, 10, 200, 0}));
}

void TestNouveau::cancelGivesWidthZeroAndLeavesTheRest() {
    Dialog d;
    d.Init(100, 50, 3, 4);
    d.button("Button2")->click();
    d.Init(100, 50, 3, 4);
    d.button("Button1")->click();
    QCOMPARE(d.QDialog::result(), int(QDialog::Rejected));
    QCOMPARE(d.result(), (QList<int>{0, -2, -3, -4}));
    // Esc presses "Annuler" too.
    d.button("Button2")->click();
    d.open();
    QTest::keyClick(&d, Qt::Key_Escape);
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result().value(0), 0);
}

void TestNouveau::closeBoxIsCancel() {
    Dialog d;
    d.Init(90, 45, 0, 0);
    d.open();
    d.close(); // never answered: counts as "Annuler"
    QCOMPARE(d.result().value(0), 0);
    d.open();
    d.button("Button2")->click();
    QCOMPARE(d.result(), (QList<int>{90, 45, 0, 0}));
    // After an "OK", the close box still changes nothing.
    d.Init(110, 55, 1, 1);
    d.open();
    d.box(2)->setText("60");
    d.close();
    QCOMPARE(d.result().value(0), 0);
}

void TestNouveau::layout() {
    Dialog d;
    QCOMPARE(d.size(), QSize(374, 235));
    auto* group = d.findChild<QGroupBox*>();
    QCOMPARE(group->title(), QString("Format de l'étiquette (en mm)"));
    QStringList captions;
    for (QLabel* label : group->findChildren<QLabel*>())
        captions.append(label->text());
    QCOMPARE(captions,
             (QStringList{"Largeur", "Hauteur", "Espacement horizontal", "Espacement vertical"}));
    const int ranges[4][2] = {{10, 300}, {10, 300}, {0, 200}, {0, 200}};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(d.box(i + 1)->minimum(), ranges[i][0]);
        QCOMPARE(d.box(i + 1)->maximum(), ranges[i][1]);
        QCOMPARE(d.box(i + 1)->geometry().left(), 176);
    }
    QCOMPARE(d.button("Button1")->text(), QString("Annuler"));
    QCOMPARE(d.button("Button1")->geometry(), QRect(288, 134, 75, 25));
    QCOMPARE(d.button("Button2")->text(), QString("OK"));
    QCOMPARE(d.button("Button2")->geometry(), QRect(288, 174, 75, 25));
    d.open();
    QCOMPARE(QApplication::focusWidget(), d.button("Button2"));
}

QTEST_MAIN(TestNouveau)
#include "tst_tnouveau.moc"
