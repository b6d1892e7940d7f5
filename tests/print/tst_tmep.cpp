#include "SpinEdit.h"
#include "TMep.h"

#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

struct Dialog : TMep {
    SpinEdit* box(int number) {
        return findChild<SpinEdit*>(QStringLiteral("SpinEdit%1").arg(number));
    }
    QPushButton* button(const char* name) {
        return findChild<QPushButton*>(QString::fromLatin1(name));
    }
    // The five outputs, starting from values the dialog must leave alone unless it answers.
    QList<int> result(bool* answered = nullptr) const {
        int left = -1, top = -2, right = -3, bottom = -4, zoom = -5;
        const bool ok = Result(left, top, right, bottom, zoom);
        if (answered)
            *answered = ok;
        return {left, top, right, bottom, zoom};
    }
    void open() {
        show();
        QApplication::setActiveWindow(this);
    }
};

const QList<int> kUntouched{-1, -2, -3, -4, -5};

} // namespace

class TestMep : public QObject {
    Q_OBJECT
private slots:
    void okGivesTheBoxesWithASmallZoomAsOneHundred();
    void cancelEscapeAndCloseBoxLeaveThePageSetup();
    void captionsAndFocus();
    void theOffsetOfThePrinterInTenthsOfAMillimetre();
};

void TestMep::okGivesTheBoxesWithASmallZoomAsOneHundred() {
    Dialog d;
    d.Init(10, 20, 30, 40, 150);
    d.button("Button2")->click();
    bool answered = false;
    QCOMPARE(d.result(&answered), (QList<int>{10, 20, 30, 40, 150}));
    QVERIFY(answered);

    // A zoom below 20 shows as 100, and is taken as 100 when typed.
    d.Init(0, 0, 0, 0, 19);
    QCOMPARE(d.box(5)->text(), QString("100"));
    d.Init(0, 0, 0, 0, 20);
    QCOMPARE(d.box(5)->text(), QString("20"));
    d.box(5)->setText("10");
    d.button("Button2")->click();
    QCOMPARE(d.result().value(4), 100);

    // No limits: negative and large margins stay, text that is not a number reads as 0.
    d.Init(-5, 2000000000, 0, 0, 100);
    d.box(3)->setText("abc");
    d.box(4)->setText("");
    d.button("Button2")->click();
    QCOMPARE(d.result(), (QList<int>{-5, 2000000000, 0, 0, 100}));
    d.open();
    d.box(3)->setFocus();
    d.box(3)->setText("x");
    d.box(4)->setFocus();
    QCOMPARE(d.box(3)->text(), QString("0"));
}

void TestMep::cancelEscapeAndCloseBoxLeaveThePageSetup() {
    Dialog d;
    d.Init(10, 20, 30, 40, 150);
    d.button("Button2")->click();
    d.button("Button1")->click();
    QCOMPARE(d.QDialog::result(), int(QDialog::Rejected));
    bool answered = true;
    QCOMPARE(d.result(&answered), kUntouched);
    QVERIFY(!answered);

    d.button("Button2")->click();
    d.open();
    QTest::keyClick(&d, Qt::Key_Escape);
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), kUntouched);

    // The close box drops the edits, whatever the answer before: Escape, then "OK".
    d.open();
    d.close();
    QCOMPARE(d.result(), kUntouched);
    d.button("Button2")->click();
    d.Init(5, 6, 7, 8, 120);
    d.open();
    d.box(1)->setText("9");
    d.close();
    QVERIFY(!d.isVisible());
    QCOMPARE(d.QDialog::result(), int(QDialog::Rejected));
    QCOMPARE(d.result(), kUntouched);
}

void TestMep::captionsAndFocus() {
    Dialog d;
    QCOMPARE(d.windowTitle(), QString("Mise en page"));
    auto* group = d.findChild<QGroupBox*>();
    QCOMPARE(group->title(), QString("Marges en mm"));
    QStringList captions;
    for (int i = 1; i <= 5; ++i) {
        QCOMPARE(d.box(i)->minimum(), std::numeric_limits<int>::min());
        QCOMPARE(d.box(i)->maximum(), std::numeric_limits<int>::max());
        for (QLabel* label : d.findChildren<QLabel*>()) {
            if (label->buddy() == d.box(i))
                captions.append(label->text());
        }
    }
    QCOMPARE(captions,
             (QStringList{"Marge gauche", "Marge haute", "Marge droite", "Marge basse", "Zoom"}));
    QCOMPARE(d.box(5)->parent(), &d);
    QCOMPARE(d.button("Button1")->text(), QString("Annuler"));
    QCOMPARE(d.button("Button2")->text(), QString("OK"));
    d.open();
    QCOMPARE(QApplication::focusWidget(), d.button("Button2"));
}

void TestMep::theOffsetOfThePrinterInTenthsOfAMillimetre() {
    Dialog d;
    auto* across = d.findChild<QDoubleSpinBox*>("OffsetX");
    auto* down = d.findChild<QDoubleSpinBox*>("OffsetY");
    QStringList captions;
    for (QLabel* label : d.findChildren<QLabel*>())
        if (label->buddy() == across || label->buddy() == down)
            captions.append(label->text());
    QCOMPARE(captions, (QStringList{"Décalage horizontal", "Décalage vertical"}));

    // Shown the French way, for the printer named.
    d.InitOffset("Bureau", QPoint(-15, 8));
    QCOMPARE(d.findChild<QLabel*>("PrinterName")->text(), QString("Imprimante : Bureau"));
    QCOMPARE(across->text(), QString("-1,5 mm"));
    QCOMPARE(down->text(), QString("0,8 mm"));
    QPoint offset(99, 99);
    QVERIFY(!d.ResultOffset(offset)); // not answered yet
    QCOMPARE(offset, QPoint(99, 99));

    // Typed with a comma or a point; "OK" gives tenths of a millimetre.
    d.open();
    across->selectAll();
    QTest::keyClicks(across, "2.3");
    down->selectAll();
    QTest::keyClicks(down, "-0,4");
    d.button("Button2")->click();
    QVERIFY(d.ResultOffset(offset));
    QCOMPARE(offset, QPoint(23, -4));

    // Beyond ±10 mm the box holds the limit; a digit that would pass it is refused.
    d.InitOffset("Bureau", QPoint(250, -101));
    QCOMPARE(across->value(), 10.0);
    QCOMPARE(down->value(), -10.0);
    d.open();
    across->selectAll();
    QTest::keyClicks(across, "12");
    QCOMPARE(across->value(), 1.0);
    d.button("Button2")->click();
    QVERIFY(d.ResultOffset(offset));
    QCOMPARE(offset, QPoint(10, -100));

    // "Annuler" leaves it; without a printer there is nothing to set.
    d.button("Button1")->click();
    offset = QPoint(7, 7);
    QVERIFY(!d.ResultOffset(offset));
    d.InitOffset(QString(), QPoint());
    QCOMPARE(d.findChild<QLabel*>("PrinterName")->text(), QString("Aucune imprimante"));
    QVERIFY(!across->isEnabled() && !down->isEnabled());
    d.button("Button2")->click();
    QVERIFY(!d.ResultOffset(offset));
    QCOMPARE(offset, QPoint(7, 7));
}

QTEST_MAIN(TestMep)
#include "tst_tmep.moc"
