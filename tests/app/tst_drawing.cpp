#include "LineCodec.h"
#include "MainFormFixture.h"

#include <QLineEdit>

namespace {

QByteArray geometry(const QByteArray& line) {
    return line.left(line.indexOf('\t'));
}

} // namespace

// The drawing tools as a person uses them: tool buttons of the main window and real mouse
// events on the label.
class TestDrawing : public QObject {
    Q_OBJECT
private slots:
    void rectangleAndTextWithTheMouse();
};

void TestDrawing::rectangleAndTextWithTheMouse() {
    MainFormFixture f;
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    QWidget* surface = f.find("PaintBox1");

    f.click("RectangleButton");
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(surface, QPoint(30, 20));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(50, 40));
    QCOMPARE(f.etiq().document().Lines.size(), 3);
    QCOMPARE(geometry(f.etiq().document().Lines[2]), QByteArray(" 0RECT 00A00A032028"));

    // The text tool asks the text editor, which the script fills and closes with Enter.
    f.click("TextButton");
    f.script->modalAnswers.enqueue([](QDialog* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>("Edit1");
        edit->setText(QString::fromUtf8("Noël"));
        QTest::keyClick(edit, Qt::Key_Return);
        return dialog->result();
    });
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(60, 70));
    QCOMPARE(f.etiq().document().Lines.size(), 4);
    QVERIFY(geometry(f.etiq().document().Lines[3]).startsWith(" 0TEXT 03C046"));
    QVERIFY(geometry(f.etiq().document().Lines[3]).endsWith("No\xEBl"));

    // Escape in the editor records nothing.
    f.script->modalAnswers.enqueue([](QDialog* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>("Edit1");
        edit->setText("x");
        QTest::keyClick(edit, Qt::Key_Escape);
        return dialog->result();
    });
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(80, 90));
    QCOMPARE(f.etiq().document().Lines.size(), 4);
    QCOMPARE(f.form->statusText(0), QString("Position : (80,90)"));
}

QTEST_MAIN(TestDrawing)
#include "tst_drawing.moc"
