#include "PocketCalculator.h"
#include "ScriptedDialogs.h"
#include "TPocket.h"
#include "UserError.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

// An open calculator, driven as a person would: typed keys land on the focused "=" button.
struct Pocket : TPocket {
    Pocket() {
        show();
        QApplication::setActiveWindow(this);
    }
    QString type(const QString& keys) {
        for (const QChar c : keys)
            key(0, QString(c));
        return display();
    }
    void key(int code, const QString& text = QString()) {
        QWidget* focus = QApplication::focusWidget();
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
        QApplication::sendEvent(focus ? focus : this, &press);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
        QApplication::sendEvent(focus ? focus : this, &release);
    }
    QString click(const QList<int>& buttons) {
        for (const int number : buttons)
            button(number)->click();
        return display();
    }
    QString display() const { return Label1->text(); }
};

} // namespace

class TestTPocket : public QObject {
    Q_OBJECT
private slots:
    void computesLeftToRightWithOnePendingOperator();
    void resultsShowAsTheNumberTheyAre();
    void errorsAreReportedAndTheStateStays();
    void eachKeyPressesItsButton();
    void reopeningClears();
};

void TestTPocket::computesLeftToRightWithOnePendingOperator() {
    ScriptedDialogsScope script;
    Pocket p;
    QCOMPARE(p.type("2+3="), QString("5"));
    // "=" again applies the pending operator to the value shown.
    QCOMPARE(p.type("="), QString("10"));
    QCOMPARE(p.type("="), QString("20"));
    p.type("c");
    QCOMPARE(p.type("7=5="), QString("7"));
    p.type("c");
    QCOMPARE(p.type("9s"), QString("3"));
    QCOMPARE(p.type("+1="), QString("4"));
    p.type("c");
    QCOMPARE(p.type("2+3*4="), QString("20"));
    // A digit after a result starts a new number; a comma is added to the result.
    QCOMPARE(p.type("5"), QString("5"));
    QCOMPARE(p.type("=,"), QString("100,"));
    QCOMPARE(p.type("8"), QString("8"));
    QVERIFY(script->messages.isEmpty());
}

void TestTPocket::resultsShowAsTheNumberTheyAre() {
    ScriptedDialogsScope script;
    Pocket p;
    const auto fresh = [&](const QString& keys) {
        p.type("c");
        return p.type(keys);
    };
    QCOMPARE(fresh("0,1+0,2="), QString("0,3"));
    QCOMPARE(fresh("2+0,05="), QString("2,05"));
    QCOMPARE(fresh("1/3="), QString("0,333333333333333"));
    QCOMPARE(fresh("3x"), QString("0,333333333333333"));
    QCOMPARE(fresh("2s"), QString("1,4142135623731"));
    QCOMPARE(fresh("123456789012345+0="), QString("123456789012345"));
    QCOMPARE(fresh("1000000000*1000000000000="), QString("1e+21"));
    QCOMPARE(fresh("1/1000000="), QString("1e-06"));
    // A result in exponent form reads back as the number it is.
    QCOMPARE(p.type("x"), QString("1000000"));
    QCOMPARE(fresh("0,0001+0="), QString("0,0001"));
    QCOMPARE(fresh("0-1*0="), QString("0"));
    QCOMPARE(fresh("0-2,5="), QString("-2,5"));
    QVERIFY(script->messages.isEmpty());
}

void TestTPocket::errorsAreReportedAndTheStateStays() {
    ScriptedDialogsScope script;
    Pocket p;
    const auto lastMessage = [&] {
        return script->messages.isEmpty() ? QString() : script->messages.takeLast().text;
    };
    QCOMPARE(p.type("1/0="), QString("0"));
    QCOMPARE(lastMessage(), QString("Division flottante par zéro"));
    QCOMPARE(p.calculator().Accumulator, 1.0);
    // The failed "=" changed nothing else: another number can still be divided.
    QCOMPARE(p.type("4="), QString("0,25"));

    p.type("c");
    QCOMPARE(p.type("0/0="), QString("0"));
    QCOMPARE(lastMessage(), QString("Opération flottante incorrecte"));
    p.type("c");
    QCOMPARE(p.type("0x"), QString("0"));
    QCOMPARE(lastMessage(), QString("Division flottante par zéro"));
    QVERIFY(!p.calculator().HasAccumulator);
    p.type("c");
    QCOMPARE(p.type("0-4=s"), QString("-4"));
    QCOMPARE(lastMessage(), QString("Opération flottante incorrecte"));
    QCOMPARE(p.calculator().Accumulator, -4.0);

    // With an accumulator, a display that is no number is reported and kept...
    p.type("c");
    QCOMPARE(p.type("1+2,,5="), QString("2,,5"));
    QCOMPARE(lastMessage(), QString("'2,,5' n'est pas une valeur flottante correcte"));
    QCOMPARE(p.calculator().Accumulator, 1.0);
    // ...and an operator key fails the same way, leaving "+" pending.
    QCOMPARE(p.type("*"), QString("2,,5"));
    QCOMPARE(lastMessage(), QString("'2,,5' n'est pas une valeur flottante correcte"));
    QCOMPARE(p.calculator().PendingOperator, QChar(u'+'));
    QCOMPARE(p.type("c,s"), QString(","));
    QCOMPARE(lastMessage(), QString("',' n'est pas une valeur flottante correcte"));
    // ...while the first "=" just clears it.
    p.type("c");
    QCOMPARE(p.type("3,,1="), QString());
    QVERIFY(script->messages.isEmpty());
    QVERIFY(!p.calculator().HasAccumulator);

    PocketCalculator engine;
    engine.DisplayText = QStringLiteral("1e308");
    engine.evaluate();
    engine.operatorKey(u'*');
    engine.DisplayText = QStringLiteral("10");
    QVERIFY_THROWS_EXCEPTION(UserError, engine.evaluate());
    QCOMPARE(engine.Accumulator, 1e308);
}

void TestTPocket::eachKeyPressesItsButton() {
    ScriptedDialogsScope script;
    const QList<QPair<QString, int>> keys = {
        {"0", 0},  {"1", 1},  {"2", 2},  {"3", 3},  {"4", 4},  {"5", 5},  {"6", 6},  {"7", 7},
        {"8", 8},  {"9", 9},  {",", 10}, {".", 10}, {"=", 11}, {"+", 12}, {"-", 13}, {"*", 14},
        {"/", 15}, {"x", 16}, {"X", 16}, {"s", 17}, {"S", 17}, {"c", 18}, {"C", 18}};
    for (const auto& [key, number] : keys) {
        // The same start, then the key or its button, then one more step that shows any
        // difference in the pending operator.
        Pocket byKey;
        byKey.type("8+2");
        byKey.type(key);
        const QString keyDisplay = byKey.display();
        byKey.type("4=");
        Pocket byButton;
        byButton.click({8, 12, 2, number});
        QVERIFY2(byButton.display() == keyDisplay, qPrintable(key));
        QVERIFY2(byButton.click({4, 11}) == byKey.display(), qPrintable(key));
    }
    // Enter and Space press "=", which holds the focus; Esc closes the window.
    Pocket p;
    QCOMPARE(QApplication::focusWidget(), p.button(11));
    p.type("6+1");
    p.key(Qt::Key_Return);
    QCOMPARE(p.display(), QString("7"));
    p.key(Qt::Key_Space, " ");
    QCOMPARE(p.display(), QString("14"));
    p.key(Qt::Key_Escape);
    QVERIFY(!p.isVisible());
    p.show();
    p.button(19)->click();
    QVERIFY(!p.isVisible());
    QVERIFY(script->messages.isEmpty());
}

void TestTPocket::reopeningClears() {
    Pocket p;
    p.type("5+");
    p.hide();
    p.show();
    QCOMPARE(p.display(), QString());
    QCOMPARE(p.type("3="), QString("3"));
    QCOMPARE(p.type("="), QString("3"));
}

QTEST_MAIN(TestTPocket)
#include "tst_tpocket.moc"
