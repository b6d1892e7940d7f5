#include "BarcodeDialog.h"
#include "ColorPanel.h"
#include "LabelDialogSet.h"
#include "ScriptedDialogs.h"
#include "TModif.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

namespace {

const QByteArray kStyle = "000FFFFFF00100000000000000000A0Arial";
const QByteArray kLine = " *BARCODE 01400A0F00A0EAN13 978020137962\t" + kStyle;

void choose(BarcodeFields* fields, const char* symbology, const QString& data) {
    fields->Symbology->setCurrentText(QString::fromUtf8(symbology));
    fields->Data->setText(data);
}

} // namespace

class TestBarcodeDialog : public QObject {
    Q_OBJECT
private slots:
    void theDialogRefusesBadDataAndKeepsItOpen();
    void modifyObjectHasABarcodePage();
};

void TestBarcodeDialog::theDialogRefusesBadDataAndKeepsItOpen() {
    ScriptedDialogsScope script;
    LabelDialogSet set;
    BarcodeDialog& dialog = set.Barcode;
    QCOMPARE(dialog.windowTitle(), QString("Code-barres"));
    QStringList hints;
    script->modalAnswers.enqueue([&](QDialog*) {
        // What each symbology takes is shown under the field; 2-D codes have no text to show.
        choose(dialog.Fields, "EAN-13", "12345");
        hints.append(dialog.Fields->Hint->text());
        const bool linearText = dialog.Fields->HumanReadable->isEnabled();
        choose(dialog.Fields, "QR Code", "x");
        hints.append(dialog.Fields->Hint->text());
        if (!linearText || dialog.Fields->HumanReadable->isEnabled())
            hints.append("texte lisible mal proposé");

        choose(dialog.Fields, "EAN-13", "12345");
        dialog.Button2->click(); // refused, the dialog stays open
        if (dialog.result() == QDialog::Accepted)
            return int(QDialog::Accepted);
        // Accents and the euro are Windows-1252 and stay; a character beyond it becomes '?'.
        choose(dialog.Fields, "Code 39", "ABC");
        dialog.Fields->Data->setText(QStringLiteral("A€é✓"));
        hints.append(dialog.Fields->Data->text());
        choose(dialog.Fields, "Code 128", "R-2024 é");
        dialog.Fields->HumanReadable->setChecked(false);
        dialog.Button2->click();
        return dialog.result();
    });
    const std::optional<NewBarcode> barcode = set.newBarcode();
    QCOMPARE(script->messages.size(), 1);
    QCOMPARE(script->messages[0].text,
             QString("Donnée invalide pour EAN-13 : 12 chiffres attendus"));
    QCOMPARE(hints, (QStringList{"12 chiffres attendus ; le chiffre de contrôle est ajouté",
                                 "Texte non vide attendu", "A€é?"}));
    QVERIFY(barcode);
    QCOMPARE(barcode->kindData, QByteArray("CODE128 R-2024 \xE9"));
    QVERIFY(!barcode->humanReadable);

    // A field of the address list is checked row by row when printing, not here.
    script->modalAnswers.enqueue([&](QDialog*) {
        choose(dialog.Fields, "EAN-13", "{R\u00e9f}");
        dialog.Button2->click();
        return dialog.result();
    });
    const std::optional<NewBarcode> field = set.newBarcode();
    QVERIFY(field);
    QCOMPARE(field->kindData, QByteArray("EAN13 {R\xE9" "f}"));
    QCOMPARE(script->messages.size(), 1);

    // The next barcode starts from the same symbology with no data; Escape gives nothing.
    script->modalAnswers.enqueue([&](QDialog*) {
        hints = {dialog.Fields->Symbology->currentText(), dialog.Fields->Data->text()};
        QTest::keyClick(dialog.Fields->Data, Qt::Key_Escape);
        return dialog.result();
    });
    dialog.show();
    QVERIFY(!set.newBarcode());
    QCOMPARE(hints, (QStringList{"EAN-13", ""}));
}

void TestBarcodeDialog::modifyObjectHasABarcodePage() {
    ScriptedDialogsScope script;
    TModif modif;
    modif.Initfont({"Arial", "Courier New"});
    modif.Init(kLine);
    QCOMPARE(modif.Notebook1->currentIndex(), int(TModif::BarcodePage));
    QCOMPARE(modif.Label4->text(), QString("Code-barres"));
    QCOMPARE(modif.Fields->Symbology->currentText(), QString("EAN-13"));
    QCOMPARE(modif.Fields->Data->text(), QString("978020137962"));
    QVERIFY(modif.Fields->HumanReadable->isChecked());
    modif.show();

    // Bad data: the message, and the dialog is still open with nothing to give.
    modif.Fields->Data->setText("97802013796");
    modif.Button2->click();
    QCOMPARE(script->messages.size(), 1);
    QCOMPARE(script->messages[0].text,
             QString("Donnée invalide pour EAN-13 : 12 chiffres attendus"));
    QVERIFY(modif.isVisible());
    QVERIFY(modif.Result().isEmpty());

    // New data and symbology, the bars blue, no background, no text.
    choose(modif.Fields, "Data Matrix", "Lot 42");
    modif.Fields->HumanReadable->setChecked(false);
    modif.ColorDialog1->setCurrentColor(QColor(0, 0, 255));
    script->modalAnswers.enqueue([](QDialog*) { return int(QDialog::Accepted); });
    QTest::mouseClick(modif.Panel5, Qt::LeftButton);
    modif.findChild<QToolButton*>("ClearBrush2")->click();
    modif.Button2->click();
    // Clear brush, white; solid pen 1, blue; black text of size 0, plain, Arial.
    QCOMPARE(modif.Result(), QByteArray(" *BARCODE 01400A0F00A0DATAMATRIX Lot 42\t"
                                        "1"
                                        "00FFFFFF"
                                        "0"
                                        "01"
                                        "00FF0000"
                                        "00000000"
                                        "00"
                                        "0"
                                        "Arial"));

    // Text back on: it comes back at a size the tool bar offers.
    modif.Init(modif.Result());
    QVERIFY(!modif.Fields->HumanReadable->isChecked());
    modif.Fields->HumanReadable->setChecked(true);
    modif.Button2->click();
    QCOMPARE(modif.Result().right(8), QByteArray("0C0Arial"));

    // Cancelled: nothing.
    modif.Init(kLine);
    modif.Button1->click();
    QVERIFY(modif.Result().isEmpty());
}

QTEST_MAIN(TestBarcodeDialog)
#include "tst_barcodedialog.moc"
