#include "ScriptedDialogs.h"
#include "SheetCatalogue.h"
#include "SpinEdit.h"
#include "TNouveau.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
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
    QComboBox* sheets() { return findChild<QComboBox*>(QStringLiteral("Planche")); }
    QLineEdit* search() { return findChild<QLineEdit*>(QStringLiteral("PlancheFiltre")); }
    QList<int> boxes() {
        return {box(1)->value(), box(2)->value(), box(3)->value(), box(4)->value()};
    }
    QString chosenCode() const {
        const auto stock = chosenStock();
        return stock ? stock->code : QString("(calculée)");
    }
    // Shown the way a modal run shows it, so that the focus moves as it would.
    void open() {
        show();
        QApplication::setActiveWindow(this);
    }
};

SheetCatalogue testCatalogue(const QByteArray& extra = {}) {
    SheetCatalogue catalogue;
    catalogue.read("L7160;Avery, étiquettes adresse;63.5;38.1;3;7;66;38.1;7.2;15.15;arrondi;x\n" +
                       extra +
                       "3475;Avery Zweckform, universelles;70;36;3;8;70;36;0;4.5;rectangle;x\n"
                       "L7676;Avery, CD/DVD;117;117;1;2;117;137;46.5;21.5;rond;x\n",
                   "essai.txt");
    return catalogue;
}

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
    void aSheetChosenFillsTheBoxesAndComesWithTheAnswer();
    void theSearchFiltersTheListAndTheArrowsGoThroughIt();
    void theLabelsOwnSheetIsShown();
    void theCataloguesProblemsAreToldOnce();
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
    // Below, the sheet: a search field over the list, which starts with the computed sheet.
    auto* sheetGroup = d.findChild<QGroupBox*>("PlancheGroupe");
    QCOMPARE(sheetGroup->title(), QString("Planche"));
    QCOMPARE(d.size(), QSize(374, 275));
    QVERIFY(d.rect().contains(sheetGroup->geometry()));
    QCOMPARE(d.sheets()->itemText(0), QString("Calculée (A4)"));
    QCOMPARE(d.sheets()->parent(), sheetGroup);
    QCOMPARE(d.search()->parent(), sheetGroup);
}

void TestNouveau::aSheetChosenFillsTheBoxesAndComesWithTheAnswer() {
    const SheetCatalogue catalogue = testCatalogue();
    Dialog d;
    d.setCatalogue(&catalogue);
    d.Init(100, 50, 3, 4);
    QCOMPARE(d.sheets()->count(), 4);
    QCOMPARE(d.chosenCode(), QString("(calculée)"));
    // Whole millimetres rounded down, and what the pitch leaves: 66 - 63 = 3, 38.1 - 38 = 0.
    d.sheets()->setCurrentIndex(1);
    QCOMPARE(d.boxes(), (QList<int>{63, 38, 3, 0}));
    QCOMPARE(d.sheets()->currentText(),
             QString("L7160 — Avery, étiquettes adresse — 63,5 x 38,1 mm, 3 x 7"));
    d.button("Button2")->click();
    QCOMPARE(d.result(), (QList<int>{63, 38, 3, 0}));
    QCOMPARE(d.chosenCode(), QString("L7160"));
    QCOMPARE(d.chosenStock()->hPitch, 6600);

    // One column, two rows of 117 mm, 137 apart.
    d.sheets()->setCurrentIndex(3);
    QCOMPARE(d.boxes(), (QList<int>{117, 117, 0, 20}));
    // A box changed by hand keeps the sheet: it is only the drawing area.
    d.box(1)->setText("110");
    d.button("Button2")->click();
    QCOMPARE(d.result(), (QList<int>{110, 117, 0, 20}));
    QCOMPARE(d.chosenCode(), QString("L7676"));

    // "Calculée (A4)" gives no sheet and leaves the boxes as they are.
    d.sheets()->setCurrentIndex(0);
    d.button("Button2")->click();
    QCOMPARE(d.chosenCode(), QString("(calculée)"));
    QCOMPARE(d.result(), (QList<int>{110, 117, 0, 20}));
}

void TestNouveau::theSearchFiltersTheListAndTheArrowsGoThroughIt() {
    const SheetCatalogue catalogue = testCatalogue();
    Dialog d;
    d.setCatalogue(&catalogue);
    d.Init(70, 42, 0, 0);
    const auto items = [&] {
        QStringList list;
        for (int i = 1; i < d.sheets()->count(); ++i)
            list.append(d.sheets()->itemText(i).section(" — ", 0, 0));
        return list;
    };
    d.search()->setText("zweckform");
    QCOMPARE(items(), QStringList{"3475"});
    d.search()->setText("63.5x38.1");
    QCOMPARE(items(), QStringList{"L7160"});
    d.search()->setText("rien de tel");
    QCOMPARE(items(), QStringList());
    QCOMPARE(d.sheets()->itemText(0), QString("Calculée (A4)"));

    // From the keyboard: type in the search field, go down the list with the arrow.
    d.open();
    d.search()->clear();
    d.search()->setFocus();
    QTest::keyClicks(d.search(), "cd");
    QCOMPARE(items(), QStringList{"L7676"});
    QTest::keyClick(d.search(), Qt::Key_Down);
    QCOMPARE(d.chosenCode(), QString("L7676"));
    QCOMPARE(d.boxes(), (QList<int>{117, 117, 0, 20}));
    QCOMPARE(QApplication::focusWidget(), d.search());
    // Searching further never drops the sheet chosen.
    d.search()->setText("zweckform");
    QCOMPARE(items(), (QStringList{"L7676", "3475"}));
    QCOMPARE(d.chosenCode(), QString("L7676"));
    QTest::keyClick(d.search(), Qt::Key_Down);
    QCOMPARE(d.chosenCode(), QString("3475"));
    QTest::keyClick(d.search(), Qt::Key_Up);
    QTest::keyClick(d.search(), Qt::Key_Up);
    QCOMPARE(d.chosenCode(), QString("(calculée)"));
    // Alt+P and Alt+R reach the list and the search field.
    QTest::keyClick(d.search(), Qt::Key_P, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), d.sheets());
    QTest::keyClick(d.sheets(), Qt::Key_R, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), d.search());
    QTest::keyClick(d.search(), Qt::Key_Return);
    QVERIFY(!d.isVisible());
    QCOMPARE(d.QDialog::result(), int(QDialog::Accepted));
}

void TestNouveau::theLabelsOwnSheetIsShown() {
    const SheetCatalogue catalogue = testCatalogue();
    Dialog d;
    d.setCatalogue(&catalogue);
    // As the label's file keeps it: the figures and the code, no description.
    SheetStock fromFile = *catalogue.find(u"L7160");
    fromFile.code = "l7160";
    fromFile.description.clear();
    d.Init2(60, 30, 1, 1, fromFile);
    QCOMPARE(d.windowTitle(), QString("Redimensionner"));
    QVERIFY(d.sheets()->currentText().startsWith("L7160 — Avery, étiquettes adresse"));
    QCOMPARE(d.boxes(), (QList<int>{60, 30, 1, 1}));
    QVERIFY(d.chosenStock() == *catalogue.find(u"L7160"));

    // A sheet the catalogue does not know, or knows with other figures, is offered as it is.
    fromFile.code = "PERSO";
    d.Init2(60, 30, 1, 1, fromFile);
    QCOMPARE(d.sheets()->currentIndex(), 1);
    QCOMPARE(d.sheets()->currentText(),
             QString("PERSO — planche de l'étiquette — 63,5 x 38,1 mm, 3 x 7"));
    QVERIFY(d.chosenStock() == fromFile);
    d.Init(60, 30, 1, 1);
    QCOMPARE(d.sheets()->currentIndex(), 0);
    QCOMPARE(d.sheets()->count(), 4);
}

void TestNouveau::theCataloguesProblemsAreToldOnce() {
    ScriptedDialogsScope script;
    const SheetCatalogue catalogue = testCatalogue("CASSE;trop court\n");
    Dialog d;
    d.setCatalogue(&catalogue);
    d.Init(70, 42, 0, 0);
    d.open();
    QTRY_COMPARE(script->messages.size(), 1);
    QCOMPARE(script->messages[0].icon, QMessageBox::Warning);
    QCOMPARE(script->messages[0].text,
             QString("Des lignes du catalogue des planches ont été laissées de côté :\n\n"
                     "essai.txt, ligne 2 : 2 champs au lieu de 12 (séparés par « ; »)"));
    d.close();
    d.open();
    QTest::qWait(20);
    QCOMPARE(script->messages.size(), 1);
    QCOMPARE(d.sheets()->count(), 4);
}

QTEST_MAIN(TestNouveau)
#include "tst_tnouveau.moc"
