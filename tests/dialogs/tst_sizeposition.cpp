#include "LabelDialogSet.h"
#include "ScriptedDialogs.h"
#include "SpinEdit.h"
#include "TDimObj.h"
#include "TPosit.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

// Shown the way a modal run shows it, so that the focus moves as it would.
void open(QDialog& dialog) {
    dialog.show();
    QApplication::setActiveWindow(&dialog);
}

// A person replacing a box's text with `text`.
void type(SpinEdit* box, const char* text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
}

QPoint result(const TPosit& posit) {
    int dx = -1, dy = -1;
    posit.Result(dx, dy);
    return {dx, dy};
}

QPoint result(const TDimObj& dim) {
    int dw = -1, dh = -1;
    dim.Result(dw, dh);
    return {dw, dh};
}

QStringList captions(const QDialog& dialog) {
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

} // namespace

class TestSizePosition : public QObject {
    Q_OBJECT
private slots:
    void positionGivesTheMove();
    void sizeGivesTheChange();
    void proportionsFollowWhenTheFocusLeaves_data();
    void proportionsFollowWhenTheFocusLeaves();
    void flatOrReversedSelectionsKeepTheOtherBox();
    void cancelEscapeAndCloseBoxGiveNothing();
    void theLabelWindowsSeamRunsThem();
};

void TestSizePosition::positionGivesTheMove() {
    TPosit posit;
    QCOMPARE(posit.windowTitle(), QString("Position de l'objet"));
    QCOMPARE(captions(posit), QStringList({"Position X", "Position Y"}));
    QCOMPARE(posit.findChild<QPushButton*>("Button1")->text(), QString("Annuler"));
    QCOMPARE(posit.findChild<QPushButton*>("Button2")->text(), QString("OK"));
    for (const char* name : {"SpinEdit1", "SpinEdit2"}) {
        QCOMPARE(posit.findChild<SpinEdit*>(name)->minimum(), 0);
        QCOMPARE(posit.findChild<SpinEdit*>(name)->maximum(), 4096);
    }

    posit.Init({40, 30, 100, 80});
    QCOMPARE(posit.SpinEdit1->value(), 40);
    QCOMPARE(posit.SpinEdit2->value(), 30);
    open(posit);
    type(posit.SpinEdit1, "100");
    // Enter presses no button.
    QTest::keyClick(posit.SpinEdit1, Qt::Key_Return);
    QVERIFY(posit.isVisible());
    QTest::mouseClick(posit.Button2, Qt::LeftButton);
    QVERIFY(!posit.isVisible());
    QCOMPARE(result(posit), QPoint(60, 0));

    // OK without a change moves nothing; a value beyond the box is read at its bound.
    posit.Init({40, 30, 100, 80});
    posit.Button2->click();
    QCOMPARE(result(posit), QPoint(0, 0));
    posit.Init({40, 30, 100, 80});
    posit.SpinEdit2->setText("5000");
    posit.Button2->click();
    QCOMPARE(result(posit), QPoint(0, 4066));
}

void TestSizePosition::sizeGivesTheChange() {
    TDimObj dim;
    QCOMPARE(dim.windowTitle(), QString("Dimensions de l'objet"));
    QCOMPARE(captions(dim), QStringList({"Largeur", "Hauteur"}));
    QCOMPARE(dim.CheckBox1->text(), QString("Garder proportions"));
    QVERIFY(dim.CheckBox1->isChecked());
    QCOMPARE(dim.SpinEdit1->maximum(), 4096);
    QCOMPARE(dim.SpinEdit2->maximum(), 4096);

    // 200 x 100: a width of 150 typed and tabbed away from gives a height of 75.
    dim.Init({10, 20, 210, 120});
    open(dim);
    QCOMPARE(QApplication::focusWidget(), dim.SpinEdit1);
    QTest::keyClicks(dim.SpinEdit1, "150");
    QCOMPARE(dim.SpinEdit2->value(), 100); // nothing follows while typing
    QTest::keyClick(dim.SpinEdit1, Qt::Key_Up);
    QTest::keyClick(dim.SpinEdit1, Qt::Key_Down);
    QCOMPARE(dim.SpinEdit2->value(), 100); // nor with the arrows
    QTest::keyClick(dim.SpinEdit1, Qt::Key_Return);
    QVERIFY(dim.isVisible());
    QTest::keyClick(dim.SpinEdit1, Qt::Key_Tab);
    QCOMPARE(dim.SpinEdit2->value(), 75);
    dim.Button2->click();
    QCOMPARE(result(dim), QPoint(-50, -25));

    // Clicking "OK" with the mouse takes the focus first, so the height follows the last edit.
    dim.Init({10, 20, 210, 120});
    open(dim);
    type(dim.SpinEdit1, "300");
    QTest::mouseClick(dim.Button2, Qt::LeftButton);
    QCOMPARE(result(dim), QPoint(100, 50));

    // Unchecked, each box goes its own way; the box keeps its state from one use to the next.
    dim.CheckBox1->setChecked(false);
    dim.Init({10, 20, 210, 120});
    open(dim);
    type(dim.SpinEdit1, "150");
    type(dim.SpinEdit2, "30");
    dim.Button1->setFocus();
    QCOMPARE(dim.SpinEdit1->value(), 150);
    dim.Button2->click();
    QCOMPARE(result(dim), QPoint(-50, -70));
    dim.Init({0, 0, 3, 2});
    QVERIFY(!dim.CheckBox1->isChecked());
    dim.CheckBox1->setChecked(true);

    // OK without a change gives (0, 0).
    dim.Init({10, 20, 210, 120});
    dim.Button2->click();
    QCOMPARE(result(dim), QPoint(0, 0));
}

void TestSizePosition::proportionsFollowWhenTheFocusLeaves_data() {
    QTest::addColumn<LabelRect>("selection");
    QTest::addColumn<bool>("typedWidth");
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QPoint>("boxes");
    // Ratio 1.5; rounding takes halves to the even neighbour.
    QTest::newRow("width 5") << LabelRect{0, 0, 3, 2} << true << QByteArray("5") << QPoint(5, 3);
    QTest::newRow("height 5") << LabelRect{0, 0, 3, 2} << false << QByteArray("5") << QPoint(8, 5);
    QTest::newRow("height 3") << LabelRect{0, 0, 3, 2} << false << QByteArray("3") << QPoint(4, 3);
    QTest::newRow("beyond the box")
        << LabelRect{0, 0, 3, 2} << false << QByteArray("4000") << QPoint(4096, 4000);
    QTest::newRow("typed beyond") << LabelRect{0, 0, 100, 200} << true << QByteArray("9999")
                                  << QPoint(4096, 4096);
}

void TestSizePosition::proportionsFollowWhenTheFocusLeaves() {
    QFETCH(LabelRect, selection);
    QFETCH(bool, typedWidth);
    QFETCH(QByteArray, typed);
    QFETCH(QPoint, boxes);
    TDimObj dim;
    dim.Init(selection);
    open(dim);
    SpinEdit* box = typedWidth ? dim.SpinEdit1 : dim.SpinEdit2;
    type(box, typed.constData());
    (typedWidth ? dim.SpinEdit2 : dim.SpinEdit1)->setFocus();
    QCOMPARE(QPoint(dim.SpinEdit1->value(), dim.SpinEdit2->value()), boxes);
}

void TestSizePosition::flatOrReversedSelectionsKeepTheOtherBox() {
    TDimObj dim;
    // A horizontal line has no height to keep in proportion, a vertical one no width.
    for (const LabelRect& flat : {LabelRect{10, 50, 110, 50}, LabelRect{50, 10, 50, 110}}) {
        const QPoint start(flat.right - flat.left, flat.bottom - flat.top);
        dim.Init(flat);
        dim.SpinEdit1->setText("60");
        dim.SpinEdit1Exit();
        QCOMPARE(dim.SpinEdit2->value(), start.y());
        dim.SpinEdit1->setValue(start.x());
        dim.SpinEdit2->setText("30");
        dim.SpinEdit2Exit();
        QCOMPARE(dim.SpinEdit1->value(), start.x());
        dim.Button2->click();
        QCOMPARE(result(dim), QPoint(0, 30 - start.y()));
    }

    // A selection read from a line written right to left shows a width of 0; left as it is,
    // it changes nothing.
    dim.Init({120, 10, 100, 50});
    QCOMPARE(dim.SpinEdit1->value(), 0);
    dim.SpinEdit2->setText("80");
    dim.SpinEdit2Exit();
    QCOMPARE(dim.SpinEdit1->value(), 0);
    dim.Button2->click();
    QCOMPARE(result(dim), QPoint(0, 40));
    dim.Init({120, 10, 100, 50});
    dim.SpinEdit1->setText("10");
    dim.Button2->click();
    QCOMPARE(result(dim), QPoint(30, 0));
}

void TestSizePosition::cancelEscapeAndCloseBoxGiveNothing() {
    TPosit posit;
    TDimObj dim;
    const auto answers = [&](QDialog& dialog) {
        return &dialog == &posit ? result(posit) : result(dim);
    };
    for (QDialog* dialog : {static_cast<QDialog*>(&posit), static_cast<QDialog*>(&dim)}) {
        auto* box = dialog->findChild<SpinEdit*>("SpinEdit1");
        auto* ok = dialog->findChild<QPushButton*>("Button2");
        const auto init = [&] {
            if (dialog == &posit)
                posit.Init({40, 40, 140, 90});
            else
                dim.Init({40, 40, 140, 90});
        };
        init();
        box->setText("60");
        dialog->findChild<QPushButton*>("Button1")->click();
        QCOMPARE(answers(*dialog), QPoint(0, 0));

        init();
        open(*dialog);
        type(box, "60");
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(answers(*dialog), QPoint(0, 0));

        // After an "OK", the close box still counts as "Annuler".
        init();
        box->setText("60");
        ok->click();
        QVERIFY(answers(*dialog) != QPoint(0, 0));
        open(*dialog);
        dialog->close();
        QCOMPARE(answers(*dialog), QPoint(0, 0));
    }
}

void TestSizePosition::theLabelWindowsSeamRunsThem() {
    ScriptedDialogsScope script;
    LabelDialogSet set;
    const auto typing = [](const char* text) {
        return [text](QDialog* dialog) {
            dialog->findChild<SpinEdit*>("SpinEdit1")->setText(text);
            dialog->findChild<QPushButton*>("Button2")->click();
            return dialog->result();
        };
    };
    script->modalAnswers.enqueue(typing("100"));
    QCOMPARE(set.moveOf({40, 30, 100, 80}), QPoint(60, 0));
    script->modalAnswers.enqueue(typing("100"));
    QCOMPARE(set.resizeOf({0, 0, 60, 50}), QPoint(40, 0));
    // A run left unanswered is a cancel, even after an "OK".
    QCOMPARE(set.moveOf({40, 30, 100, 80}), QPoint(0, 0));
    QCOMPARE(set.resizeOf({0, 0, 60, 50}), QPoint(0, 0));
    QCOMPARE(script->modalRuns, 4);
}

QTEST_MAIN(TestSizePosition)
#include "tst_sizeposition.moc"
