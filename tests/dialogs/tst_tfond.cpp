#include "ColorPanel.h"
#include "LabelDialogSet.h"
#include "PreviewBox.h"
#include "ScriptedDialogs.h"

#include <QColorDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

using Answer = std::function<int(QDialog*)>;

// The colour-choice dialog answered with `color`.
Answer pickColor(ColorRef color) {
    return [color](QDialog* dialog) {
        static_cast<QColorDialog*>(dialog)->setCurrentColor(colorFromRef(color));
        return int(QDialog::Accepted);
    };
}

Answer cancelled() {
    return [](QDialog*) { return int(QDialog::Rejected); };
}

// A dialog shown, handled by `act`, then closed with its button `name`.
Answer closeWith(const char* name, std::function<void(QDialog*)> act = {}) {
    return [name, act](QDialog* dialog) {
        dialog->show();
        if (act)
            act(dialog);
        dialog->findChild<QPushButton*>(name)->click();
        return dialog->result();
    };
}

const char* const kOk = "Button2";
const char* const kCancel = "Button1";

// The preview as a repaint shows it.
QImage shown(TFond& fond) {
    return fond.PaintBox1->grab().toImage();
}

QRgb rgb(ColorRef color) {
    return colorFromRef(color).rgb();
}

// The preview is 105 x 145: its last column and row are never covered.
void checkWhiteEdges(const QImage& preview) {
    QCOMPARE(preview.size(), QSize(105, 145));
    for (int y = 0; y < 145; ++y)
        QCOMPARE(preview.pixel(104, y), rgb(0xFFFFFF));
    for (int x = 0; x < 105; ++x)
        QCOMPARE(preview.pixel(x, 144), rgb(0xFFFFFF));
}

const QByteArray kRedFill = " 0FILLRECT 000000068090\t0000000FF001000000FF00000000080Arial";

} // namespace

class TestTFond : public QObject {
    Q_OBJECT
private slots:
    void openingAndClosing();
    void noneWritesABlankRecordWithTheStyles();
    void colourChoice();
    void gradientChoice();
    void patternChoice();
    void theCheckedChoiceOpensItsDialogAgain();
};

void TestTFond::openingAndClosing() {
    ScriptedDialogsScope script;
    LabelDialogSet dialogs;
    TFond& fond = dialogs.Fond;
    QCOMPARE(fond.windowTitle(), QString("Fond de page"));
    QCOMPARE(fond.RadioButton4->text(), QString("Dégradé"));
    QCOMPARE(fond.RadioButton5->text(), QString("Texture"));
    QVERIFY(fond.RadioButton5->isHidden());
    QCOMPARE(fond.GroupBox1->title(), QString("Fond de page"));

    // At the first opening "Aucun" is checked: clicking it does nothing, "OK" gives the
    // record back as it came.
    QVERIFY(fond.RadioButton1->isChecked());
    script->modalAnswers.enqueue(closeWith(kOk, [&](QDialog*) { fond.RadioButton1->click(); }));
    QCOMPARE(dialogs.background(kRedFill), kRedFill);
    QCOMPARE(shown(fond).pixel(50, 50), rgb(0x0000FF));

    // "Annuler" and the close box give nothing, whatever the answer before.
    script->modalAnswers.enqueue(closeWith(kCancel));
    script->modalAnswers.enqueue(closeWith(kOk));
    script->modalAnswers.enqueue([](QDialog* dialog) {
        dialog->show();
        dialog->close();
        return dialog->result();
    });
    for (const QByteArray& expected : {QByteArray(), kRedFill, QByteArray()})
        QCOMPARE(dialogs.background(kRedFill), expected);
    QCOMPARE(script->modalRuns, 4);
}

void TestTFond::noneWritesABlankRecordWithTheStyles() {
    ScriptedDialogsScope script;
    LabelDialogSet dialogs;
    TFond& fond = dialogs.Fond;
    fond.Init(kRedFill);
    script->modalAnswers.enqueue(pickColor(0x00FF00));
    fond.RadioButton2->click();

    // A hatched green fill, a wide blue pen, a font in bold: "Aucun" keeps every field but
    // the font style.
    const QByteArray coloured =
        " 0FILLRECT 000000068090\t20000FF0000300FF0000001234560C1Times New Roman";
    fond.Init(coloured);
    fond.RadioButton1->click();
    QCOMPARE(fond.record(), QByteArray(" 0BLANK 000000068090\t"
                                       "20000FF0000300FF0000001234560C0Times New Roman"));
    const QImage preview = shown(fond);
    for (int y = 0; y < 145; ++y)
        for (int x = 0; x < 105; ++x)
            QCOMPARE(preview.pixel(x, y), rgb(0xFFFFFF));
    fond.Button2->click();
    QCOMPARE(fond.Result(), fond.record());
}

void TestTFond::colourChoice() {
    ScriptedDialogsScope script;
    LabelDialogSet dialogs;
    TFond& fond = dialogs.Fond;
    fond.Init(LineCodec::kBlankRecord);
    script->modalAnswers.enqueue(pickColor(0x0000FF));
    fond.RadioButton2->click();
    QCOMPARE(fond.record(), kRedFill);
    const QImage preview = shown(fond);
    QCOMPARE(preview.pixel(0, 0), rgb(0x0000FF));
    QCOMPARE(preview.pixel(103, 143), rgb(0x0000FF));
    checkWhiteEdges(preview);

    // A cancelled colour choice changes nothing, and "Couleur" can be chosen again; a hatched
    // pattern's brush style stays for the colour.
    const QByteArray pattern = " 0SHAPE 000000068090\t60000FFFF0010000000000000000080Arial";
    fond.RadioButton1->click();
    fond.Init(pattern);
    script->modalAnswers.enqueue(cancelled());
    fond.RadioButton2->click();
    QCOMPARE(fond.record(), pattern);
    QVERIFY(fond.RadioButton1->isChecked());
    script->modalAnswers.enqueue(pickColor(0x0000FF));
    fond.RadioButton2->click();
    QCOMPARE(fond.record(),
             QByteArray(" 0FILLRECT 000000068090\t6000000FF001000000FF00000000080Arial"));
    QCOMPARE(script->modalRuns, 3);
}

void TestTFond::gradientChoice() {
    ScriptedDialogsScope script;
    LabelDialogSet dialogs;
    TFond& fond = dialogs.Fond;
    TCouleur& couleur = dialogs.Couleur;

    // Black going darker leaves the colour range: each band is painted in the low 24 bits
    // of its value.
    fond.Init(LineCodec::kBlankRecord);
    script->modalAnswers.enqueue(closeWith(kOk, [&](QDialog*) { couleur.RadioButton2->click(); }));
    fond.RadioButton4->click();
    QCOMPARE(fond.record(),
             QByteArray(" 0COLORU 000000068090\t0000000000010000000000000000080Arial"));
    QImage preview = shown(fond);
    QCOMPARE(preview.pixel(50, 0), rgb(0x000000));
    QCOMPARE(preview.pixel(50, 2), rgb(0xFFFFFB));
    QCOMPARE(preview.pixel(50, 143), rgb(0xFFFF0B));

    // A cancelled gradient dialog keeps the background as it was.
    fond.RadioButton1->click();
    fond.Init(kRedFill);
    ColorRef offered = 1;
    script->modalAnswers.enqueue(closeWith(kCancel, [&](QDialog*) {
        offered = couleur.baseColor();
        couleur.PanelClick(2);
    }));
    fond.RadioButton4->click();
    QCOMPARE(offered, ColorRef(0x0000FF));
    QCOMPARE(fond.record(), kRedFill);
    QVERIFY(fond.RadioButton1->isChecked());
    QCOMPARE(shown(fond).pixel(50, 50), rgb(0x0000FF));

    // Red going darker: 50 bands from 255 down to 10, 49 of two rows and the last of 46.
    script->modalAnswers.enqueue(closeWith(kOk, [&](QDialog*) {
        couleur.PanelClick(1);
        couleur.RadioButton2->setChecked(true);
    }));
    fond.RadioButton4->click();
    QCOMPARE(fond.record(),
             QByteArray(" 0COLORU 000000068090\t0000000FF001000000FF00000000080Arial"));
    preview = shown(fond);
    for (int band = 0; band < 49; ++band)
        for (int y : {2 * band, 2 * band + 1})
            for (int x : {0, 103})
                QCOMPARE(preview.pixel(x, y), rgb(0xFF - 5 * band));
    for (int y = 98; y < 144; ++y)
        QCOMPARE(preview.pixel(0, y), rgb(0x0A));
    checkWhiteEdges(preview);
    fond.Button2->click();
    QCOMPARE(fond.Result(), fond.record());

    // After a hatched pattern the gradient is solid: every pixel of a band has its colour.
    fond.RadioButton1->click();
    fond.Init(" 0SHAPE 000000068090\t60000FFFF0010000000000000000080Arial");
    script->modalAnswers.enqueue(closeWith(kOk, [&](QDialog*) {
        couleur.PanelClick(1);
        couleur.RadioButton1->setChecked(true);
    }));
    fond.RadioButton4->click();
    QCOMPARE(fond.record(),
             QByteArray(" 0COLOR 000000068090\t0000000FF001000000FF00000000080Arial"));
    preview = shown(fond);
    for (int y : {2, 3})
        for (int x = 0; x < 104; ++x)
            QCOMPARE(preview.pixel(x, y), rgb(0x000104));
}

void TestTFond::patternChoice() {
    ScriptedDialogsScope script;
    LabelDialogSet dialogs;
    TFond& fond = dialogs.Fond;
    TMotif& motif = dialogs.Motif;
    fond.Init(LineCodec::kBlankRecord);
    script->modalAnswers.enqueue(closeWith(kOk, [&](QDialog*) {
        QTest::mousePress(motif.findChild<QWidget*>("Shape3"), Qt::LeftButton);
        QTest::mouseClick(motif.Panel10, Qt::LeftButton);
        QTest::mouseClick(motif.Panel11, Qt::LeftButton);
    }));
    script->modalAnswers.enqueue(pickColor(0x000000));
    script->modalAnswers.enqueue(pickColor(0x00FFFF));
    fond.RadioButton3->click();
    QCOMPARE(script->modalRuns, 3);
    QCOMPARE(fond.record(),
             QByteArray(" 0SHAPE 000000068090\t60000FFFF0010000000000000000080Arial"));

    // Yellow cross lines on white, framed in black.
    const QImage preview = shown(fond);
    QCOMPARE(preview.pixel(0, 0), rgb(0x000000));
    QCOMPARE(preview.pixel(103, 143), rgb(0x000000));
    int yellow = 0, white = 0;
    for (int y = 1; y < 143; ++y)
        for (int x = 1; x < 103; ++x) {
            const QRgb p = preview.pixel(x, y);
            yellow += p == rgb(0x00FFFF);
            white += p == rgb(0xFFFFFF);
        }
    QCOMPARE(yellow + white, 102 * 142);
    QVERIFY(yellow > 1000 && white > 5000);
    checkWhiteEdges(preview);
}

void TestTFond::theCheckedChoiceOpensItsDialogAgain() {
    ScriptedDialogsScope script;
    LabelDialogSet dialogs;
    TFond& fond = dialogs.Fond;
    TCouleur& couleur = dialogs.Couleur;
    fond.Init(LineCodec::kBlankRecord);

    // Each choice that opens a dialog opens it again when clicked while checked, and the
    // second answer is the background.
    script->modalAnswers.enqueue(pickColor(0x0000FF));
    script->modalAnswers.enqueue(pickColor(0x00FF00));
    fond.RadioButton2->click();
    fond.RadioButton2->click();
    QCOMPARE(fond.record(),
             QByteArray(" 0FILLRECT 000000068090\t00000FF000010000FF0000000000080Arial"));

    script->modalAnswers.enqueue(closeWith(kOk, [&](QDialog*) { couleur.PanelClick(1); }));
    script->modalAnswers.enqueue(closeWith(kOk, [&](QDialog*) {
        couleur.PanelClick(5);
        couleur.RadioButton2->setChecked(true);
    }));
    fond.RadioButton4->click();
    fond.RadioButton4->click();
    QCOMPARE(fond.record(),
             QByteArray(" 0COLORU 000000068090\t0008080000010080800000000000080Arial"));

    fond.Init(kRedFill);
    for (const char* shape : {"Shape3", "Shape5"})
        script->modalAnswers.enqueue(closeWith(kOk, [&dialogs, shape](QDialog*) {
            QTest::mousePress(dialogs.Motif.findChild<QWidget*>(shape), Qt::LeftButton);
        }));
    fond.RadioButton3->click();
    fond.RadioButton3->click();
    QCOMPARE(fond.record(),
             QByteArray(" 0SHAPE 000000068090\t4000000FF001000000FF00000000080Arial"));
    QCOMPARE(script->modalRuns, 6);
    QVERIFY(fond.RadioButton3->isChecked());
}

QTEST_MAIN(TestTFond)
#include "tst_tfond.moc"
