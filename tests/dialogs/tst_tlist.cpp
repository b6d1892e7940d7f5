#include "ObjectCommands.h"
#include "ScriptedDialogs.h"
#include "TList.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

QByteArray object(const char* keyword, int l, int t, int r, int b) {
    return QByteArray(" 0") + keyword + ' ' + LineCodec::writeRect(l, t, r, b) +
           "\t000FFFFFF00100000000000000000C0Arial";
}

// Header, background and three objects on lines 2, 3 and 4.
LineList threeObjects() {
    LineList lines = LineCodec::newLabel();
    lines << object("RECT", 40, 40, 200, 120) << object("ELLIPSE", 1, 2, 3, 4)
          << object("LINE", 5, 6, 7, 8);
    return lines;
}

QStringList listed(const TList& list) {
    QStringList texts;
    for (int i = 0; i < list.ListBox1->count(); ++i)
        texts << list.ListBox1->item(i)->text();
    return texts;
}

int selectedRow(const TList& list) {
    const auto items = list.ListBox1->selectedItems();
    return items.isEmpty() ? -1 : list.ListBox1->row(items.first());
}

} // namespace

class TestTList : public QObject {
    Q_OBJECT
private slots:
    void controlsAndCaptions();
    void entriesNameTheKindAndRectangle_data();
    void entriesNameTheKindAndRectangle();
    void movesKeepTheMovedObjectSelected();
    void movesThatCannotHappenDoNothing();
    void deletingEveryObjectLeavesHeaderAndBackground();
    void choosingGivesTheLineIndex();
    void closingDecidesWhatComesBack();
    void aLabelWithoutObjectsGivesNothing();
    void aScriptedRunDrivesTheDialog();
};

void TestTList::controlsAndCaptions() {
    TList list;
    QCOMPARE(list.windowTitle(), QString("Liste des objets"));
    QCOMPARE(list.findChild<QToolButton*>("SpeedButton1")->toolTip(), QString("Un arrière"));
    QCOMPARE(list.findChild<QToolButton*>("SpeedButton2")->toolTip(), QString("Un avant"));
    QCOMPARE(list.findChild<QToolButton*>("SpeedButton3")->toolTip(), QString("Supprimer"));
    QCOMPARE(list.findChild<QPushButton*>("Button1")->text(), QString("Fermer"));
    QVERIFY(list.findChild<QListWidget*>("ListBox1"));
}

void TestTList::entriesNameTheKindAndRectangle_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("entry");
    QTest::newRow("rect") << object("RECT", 40, 40, 200, 120) << "Rectangle  (40,40,200,120)";
    const QList<std::pair<const char*, const char*>> names{
        {"LINE", "Ligne descendante"},
        {"LINEU", "Ligne montante"},
        {"POLYG", "Polygone"},
        {"POLYL", "Ligne brisée"},
        {"DRAW", "Dessin libre"},
        {"ELLIPSE", "Ellipse"},
        {"ROUNDRECT", "Rectangle arrondi"},
        {"ARCH", "Arc convexe descendant"},
        {"ARCL", "Arc concave descendant"},
        {"ARCHU", "Arc convexe montant"},
        {"ARCLU", "Arc concave montant"},
        {"CHORDH", "Hémisphère convexe descendant"},
        {"CHORDL", "Hémisphère concave descendant"},
        {"CHORDHU", "Hémisphère convexe montant"},
        {"CHORDLU", "Hémisphère concave montant"},
        {"TEXT", "Texte"},
        {"BITMAP", "Image bitmap"},
        {"META", "Image Metafile"},
        {"BARCODE", "Code-barres"},
        {"RECTANGLE", "????????????"},
        {"rect", "????????????"}};
    for (const auto& [keyword, name] : names)
        QTest::newRow(keyword) << object(keyword, 4095, 0, 10, 255)
                               << QString::fromUtf8(name) + "  (4095,0,10,255)";
    // A group that does not convert shows 0, and so do the ones after it.
    QTest::newRow("bad group") << QByteArray(" 0RECT 0280G8000000\t0") << "Rectangle  (40,0,0,0)";
    QTest::newRow("short field") << QByteArray(" 0LINE 00A0\t0") << "Ligne descendante  (10,0,0,0)";
    QTest::newRow("no blank") << QByteArray(" 0BLANK") << "????????????  (0,0,0,0)";
    QTest::newRow("barcode with its data")
        << QByteArray(" 0BARCODE 01400A0F00A0EAN13 978020137962\t0")
        << "Code-barres  (20,10,240,160)";
    QTest::newRow("text with digits")
        << QByteArray(" *TEXT 00100200300412 rue\t0") << "Texte  (1,2,3,4)";
}

void TestTList::entriesNameTheKindAndRectangle() {
    QFETCH(QByteArray, line);
    QFETCH(QString, entry);
    QCOMPARE(ObjectList::entryText(line), entry);
}

void TestTList::movesKeepTheMovedObjectSelected() {
    const LineList lines = threeObjects();
    TList list;
    list.Init(lines);
    QCOMPARE(listed(list), QStringList({"Rectangle  (40,40,200,120)", "Ellipse  (1,2,3,4)",
                                        "Ligne descendante  (5,6,7,8)"}));

    // "Un arrière" on the second entry swaps the first two objects.
    list.ListBox1->setCurrentRow(1);
    list.SpeedButton1->click();
    QCOMPARE(list.workingCopy(), LineList({lines[0], lines[1], lines[3], lines[2], lines[4]}));
    QCOMPARE(selectedRow(list), 0);
    QCOMPARE(list.ListBox1->item(0)->text(), QString("Ellipse  (1,2,3,4)"));
    QVERIFY(list.changed());

    // "Un avant" twice carries it to the front.
    list.SpeedButton2->click();
    list.SpeedButton2->click();
    QCOMPARE(list.workingCopy(), LineList({lines[0], lines[1], lines[2], lines[4], lines[3]}));
    QCOMPARE(selectedRow(list), 2);
}

void TestTList::movesThatCannotHappenDoNothing() {
    const LineList lines = threeObjects();
    TList list;
    list.Init(lines);
    list.SpeedButton2->click(); // nothing selected
    list.SpeedButton1->click();
    list.SpeedButton3->click();
    list.ListBox1->setCurrentRow(2);
    list.SpeedButton2->click(); // already in front
    list.ListBox1->setCurrentRow(0);
    list.SpeedButton1->click(); // already at the back
    QCOMPARE(list.workingCopy(), lines);
    QVERIFY(!list.changed());

    LineList copy = lines;
    QVERIFY(!ObjectCommands::moveBack(copy, 0));
    QVERIFY(!ObjectCommands::moveForward(copy, 2));
    QVERIFY(!ObjectCommands::remove(copy, 3));
    QVERIFY(!ObjectCommands::remove(copy, -1));
    QCOMPARE(copy, lines);
}

void TestTList::deletingEveryObjectLeavesHeaderAndBackground() {
    LineList lines = threeObjects();
    TList list;
    list.Init(lines);
    list.ListBox1->setCurrentRow(1);
    list.SpeedButton3->click();
    QCOMPARE(listed(list).size(), 2);
    QCOMPARE(selectedRow(list), -1);
    // The Delete key in the list does the same.
    list.ListBox1->setCurrentRow(0);
    QTest::keyClick(list.ListBox1, Qt::Key_Delete);
    list.ListBox1->setCurrentRow(0);
    list.SpeedButton3->click();
    QCOMPARE(list.ListBox1->count(), 0);
    list.SpeedButton3->click();
    QTest::keyClick(list.ListBox1, Qt::Key_Delete);

    list.Button1->click();
    QCOMPARE(list.Result(lines), -1);
    QCOMPARE(lines, LineCodec::newLabel());
}

void TestTList::choosingGivesTheLineIndex() {
    LineList lines = threeObjects();
    TList list;
    list.Init(lines);
    list.ListBox1->setCurrentRow(2);
    emit list.ListBox1->itemDoubleClicked(list.ListBox1->item(2));
    QCOMPARE(list.result(), int(QDialog::Accepted));
    QCOMPARE(list.Result(lines), 4);
    QCOMPARE(lines, threeObjects());

    // Enter in the list, after a move: the moved object is chosen and the move kept.
    list.Init(lines);
    list.ListBox1->setCurrentRow(1);
    list.SpeedButton1->click();
    QTest::keyClick(list.ListBox1, Qt::Key_Return);
    QCOMPARE(list.Result(lines), 2);
    QCOMPARE(ObjectList::entryText(lines[2]), QString("Ellipse  (1,2,3,4)"));
}

void TestTList::closingDecidesWhatComesBack() {
    // "Fermer" keeps the moves, chooses nothing, and never touches the header.
    LineList lines = threeObjects();
    TList list;
    list.Init(lines);
    list.ListBox1->setCurrentRow(0);
    list.SpeedButton2->click();
    list.Button1->click();
    QCOMPARE(list.Result(lines), -1);
    QCOMPARE(lines[0], threeObjects()[0]);
    QCOMPARE(ObjectList::entryText(lines[2]), QString("Ellipse  (1,2,3,4)"));

    // Escape is "Fermer".
    lines = threeObjects();
    list.Init(lines);
    list.ListBox1->setCurrentRow(0);
    list.SpeedButton3->click();
    QTest::keyClick(list.ListBox1, Qt::Key_Escape);
    QCOMPARE(list.Result(lines), -1);
    QCOMPARE(lines.size(), 4);

    // The title bar's close box throws the changes away.
    lines = threeObjects();
    list.Init(lines);
    list.ListBox1->setCurrentRow(0);
    list.SpeedButton3->click();
    list.ListBox1->setCurrentRow(0);
    list.close();
    QCOMPARE(list.Result(lines), -1);
    QCOMPARE(lines, threeObjects());
}

void TestTList::aLabelWithoutObjectsGivesNothing() {
    LineList lines = threeObjects();
    TList list;
    list.Init(lines);
    list.Init(LineCodec::newLabel());
    QCOMPARE(list.ListBox1->count(), 0);
    list.SpeedButton3->click();
    list.Button1->click();
    QCOMPARE(list.Result(lines), -1);
    QCOMPARE(lines, threeObjects());
}

void TestTList::aScriptedRunDrivesTheDialog() {
    ScriptedDialogsScope script;
    script->modalAnswers.enqueue([](QDialog* dialog) {
        auto* box = dialog->findChild<QListWidget*>("ListBox1");
        box->setCurrentRow(1);
        emit box->itemDoubleClicked(box->item(1));
        return dialog->result();
    });
    TList list;
    LineList lines = threeObjects();
    list.Init(lines);
    QCOMPARE(list.Execute(), int(QDialog::Accepted));
    QCOMPARE(script->modalRuns, 1);
    QCOMPARE(list.Result(lines), 3);
}

QTEST_MAIN(TestTList)
#include "tst_tlist.moc"
