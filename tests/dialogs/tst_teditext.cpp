#include "ScriptedDialogs.h"
#include "TEditext.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// Key presses carrying each character, accented ones included (QTest's own helper
// knows only ASCII).
void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

// A person typing `text` into the open editor, then pressing `key`.
std::function<int(QDialog*)> typing(const QString& text, Qt::Key key) {
    return [text, key](QDialog* dialog) {
        dialog->show();
        auto* edit = dialog->findChild<QLineEdit*>("Edit1");
        if (!edit->text().isEmpty())
            return -1; // the field must open empty
        typeText(edit, text);
        QTest::keyClick(edit, key);
        return dialog->result();
    };
}

} // namespace

class TestTEditext : public QObject {
    Q_OBJECT
private slots:
    void enterGivesTheWord();
    void escapeGivesNothing();
    void closeBoxCountsAsEscape();
    void tabsAndLineBreaksNeverEnter();
};

void TestTEditext::enterGivesTheWord() {
    ScriptedDialogsScope script;
    TEditext editor;
    QCOMPARE(editor.windowTitle(), QString("Editeur de texte"));
    script->modalAnswers.enqueue(typing("Bonjour à tous", Qt::Key_Return));
    editor.Init();
    QCOMPARE(editor.Execute(), int(QDialog::Accepted));
    QCOMPARE(editor.Result(), QString("Bonjour à tous"));
    QVERIFY(editor.isHidden());

    // Reopened, even without Init, it starts empty; the keypad's Enter works as well.
    script->modalAnswers.enqueue(typing("Prix", Qt::Key_Enter));
    QCOMPARE(editor.Execute(), int(QDialog::Accepted));
    QCOMPARE(editor.Result(), QString("Prix"));

    // The same with the mouse: "OK" gives the text, "Annuler" nothing.
    for (const char* name : {"OKButton", "CancelButton"}) {
        script->modalAnswers.enqueue([name](QDialog* dialog) {
            dialog->show();
            typeText(dialog->findChild<QLineEdit*>("Edit1"), "Souris");
            QTest::mouseClick(dialog->findChild<QPushButton*>(name), Qt::LeftButton);
            return dialog->result();
        });
        editor.Execute();
        QCOMPARE(editor.Result(), QString(name == QByteArray("OKButton") ? "Souris" : ""));
    }
}

void TestTEditext::escapeGivesNothing() {
    ScriptedDialogsScope script;
    TEditext editor;
    script->modalAnswers.enqueue(typing("oublié", Qt::Key_Escape));
    editor.Init();
    QCOMPARE(editor.Execute(), int(QDialog::Rejected));
    QCOMPARE(editor.Result(), QString());
    QCOMPARE(editor.Edit1->text(), QString("oublié"));
}

void TestTEditext::closeBoxCountsAsEscape() {
    ScriptedDialogsScope script;
    TEditext editor;
    script->modalAnswers.enqueue(typing("premier", Qt::Key_Return));
    editor.Init();
    editor.Execute();
    script->modalAnswers.enqueue([](QDialog* dialog) {
        dialog->show();
        QTest::keyClicks(dialog->findChild<QLineEdit*>("Edit1"), "second");
        dialog->close();
        return dialog->result();
    });
    editor.Init();
    QCOMPARE(editor.Execute(), int(QDialog::Rejected));
    QCOMPARE(editor.Result(), QString());
}

void TestTEditext::tabsAndLineBreaksNeverEnter() {
    TEditext editor;
    editor.show();
    QTest::keyClicks(editor.Edit1, "a");
    QTest::keyClick(editor.Edit1, Qt::Key_Tab);
    QTest::keyClicks(editor.Edit1, "b");
    QCOMPARE(editor.Edit1->text(), QString("ab"));
    QVERIFY(editor.isVisible());

    // Pasted text: every TAB or line break becomes a blank, the cursor stays put.
    editor.Edit1->insert(QString("1\t2\n3\r4") + QChar(QChar::LineSeparator) + "5");
    QCOMPARE(editor.Edit1->text(), QString("ab1 2 3 4 5"));
    QCOMPARE(editor.Edit1->cursorPosition(), 11);
    QTest::keyClick(editor.Edit1, Qt::Key_Return);
    QCOMPARE(editor.Result(), QString("ab1 2 3 4 5"));
}

QTEST_MAIN(TestTEditext)
#include "tst_teditext.moc"
