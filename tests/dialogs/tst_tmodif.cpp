#include "LabelDialogSet.h"
#include "ScriptedDialogs.h"
#include "SpinEdit.h"
#include "TModif.h"

#include <QApplication>
#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

#include "ColorPanel.h"

namespace {

// Brush, brush colour, pen, pen width, pen colour, font colour, font size, font style, name.
QByteArray styles(char brush, const char* brushColor, char pen, const char* width,
                  const char* penColor, const char* fontColor, const char* size, char fontStyle,
                  const char* name) {
    return QByteArray(1, brush) + brushColor + pen + width + penColor + fontColor + size +
           fontStyle + name;
}

const QByteArray kStyles =
    styles('0', "00FFFFFF", '0', "07", "000000FF", "00008000", "0C", '0', "Arial");
const QByteArray kRect = " 0RECT 01002003004A";
const QByteArray kLine = " *LINE 010020030040";

void open(QDialog& dialog) {
    dialog.show();
    QApplication::setActiveWindow(&dialog);
}

// Key presses carrying each character, accented ones included.
void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

QToolButton* button(const TModif& modif, const char* name) {
    return modif.findChild<QToolButton*>(name);
}

QByteArray ok(TModif& modif) {
    modif.Button2->click();
    return modif.Result();
}

QByteArray stylesOf(const QByteArray& line) {
    return line.mid(line.indexOf('\t') + 1);
}

} // namespace

class TestTModif : public QObject {
    Q_OBJECT
private slots:
    void eachKindOpensItsPage_data();
    void eachKindOpensItsPage();
    void okWithoutChangeGivesTheLineBack_data();
    void okWithoutChangeGivesTheLineBack();
    void pointeButtonsWriteTheArrowMarker();
    void styleButtonsWriteTheirStyle();
    void boxesTakeTheToolBarRangesAndKeepUntouchedValues();
    void textPageEditsTextFontAndStyle();
    void picturesComeBackWithTheirPixels();
    void aLineWithoutTabGetsTheDefaultStyles();
    void swatchesShareOneColourChoice();
    void cancelEscapeAndCloseBoxGiveNothing();
};

void TestTModif::eachKindOpensItsPage_data() {
    QTest::addColumn<QByteArray>("keyword");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("title");
    const QList<std::tuple<const char*, int, const char*>> kinds{
        {"LINE", 0, "Ligne"},
        {"LINEU", 0, "Ligne"},
        {"POLYL", 0, "Ligne brisée"},
        {"DRAW", 0, "Dessin libre"},
        {"ARCL", 0, "Arc"},
        {"ARCH", 0, "Arc"},
        {"ARCLU", 0, "Arc"},
        {"ARCHU", 0, "Arc"},
        {"POLYG", 1, "Polygône"},
        {"RECT", 1, "Rectangle"},
        {"ELLIPSE", 1, "Ellipse"},
        {"ROUNDRECT", 1, "Rectangle arrondi"},
        {"CHORDL", 1, "Hémicycle"},
        {"CHORDH", 1, "Hémicycle"},
        {"CHORDLU", 1, "Hémicycle"},
        {"CHORDHU", 1, "Hémicycle"},
        {"TEXT", 2, "Texte"},
        {"BITMAP", 1, "Image bitmap"},
        {"META", 1, "Image Metafile"},
        {"RECTANGLE", 1, "????????????"},
        // A background record has no page of its own: it opens as an unknown kind.
        {"BLANK", 1, "????????????"}};
    for (const auto& [keyword, page, title] : kinds)
        QTest::newRow(keyword) << QByteArray(keyword) << page << QString::fromUtf8(title);
}

void TestTModif::eachKindOpensItsPage() {
    QFETCH(QByteArray, keyword);
    QFETCH(int, page);
    QFETCH(QString, title);
    TModif modif;
    QCOMPARE(modif.windowTitle(), QString("Modifier objet"));
    // From every page to every other.
    for (const char* before : {"LINE", "RECT", "TEXT"}) {
        modif.Init(" 0" + QByteArray(before) + " 010020030040\t" + kStyles);
        modif.Init(" 0" + keyword + " 010020030040\t" + kStyles);
        QCOMPARE(modif.Notebook1->currentIndex(), page);
        const QLabel* titles[] = {modif.Label1, modif.Label2, modif.Label3};
        QCOMPARE(titles[page]->text(), title);
        QVERIFY(titles[page]->isVisibleTo(&modif));
    }
}

void TestTModif::okWithoutChangeGivesTheLineBack_data() {
    QTest::addColumn<QByteArray>("line");
    // Every hatched fill, although the page offers only "Plein" and "Vide".
    for (char brush = '0'; brush <= '7'; ++brush)
        QTest::newRow(QByteArray("brush ") + brush)
            << kRect + '\t' +
                   styles(brush, "00FF8000", '1', "07", "000000FF", "00000000", "0C", '0', "Arial");
    for (const char* arrow : {"", ">1", ">2", ">3"})
        QTest::newRow(arrow) << kLine + '\t' + arrow + kStyles;
    // Strike-out, which the text page cannot show, stays.
    for (char style = '0'; style <= '4'; ++style)
        QTest::newRow(QByteArray("font style ") + style)
            << " 0TEXT 00A00B0440201Bonjour \xE0 tous\t" + styles('1', "00FFFFFF", '0', "01",
                                                                  "00000000", "00FF0000", "10",
                                                                  style, "Times New Roman");
    QTest::newRow("inside frame, system colour, width 255")
        << " 0ELLIPSE 010020030040\t" +
               styles('6', "80000005", '6', "FF", "8000000F", "00000000", "0C", '0', "Arial");
    QTest::newRow("polygon") << " 0POLYG 000000010010000000010010\t>2" + kStyles;
    QTest::newRow("group digit") << " 3CHORDHU 010020030040\t" + kStyles;
}

void TestTModif::okWithoutChangeGivesTheLineBack() {
    QFETCH(QByteArray, line);
    TModif modif;
    modif.Initfont({"Arial", "Times New Roman"});
    modif.Init(line);
    open(modif);
    QCOMPARE(ok(modif), line);
}

void TestTModif::pointeButtonsWriteTheArrowMarker() {
    TModif modif;
    const char* names[] = {"SpeedButton7", "SpeedButton8", "SpeedButton9", "SpeedButton10"};
    QCOMPARE(button(modif, names[0])->text(), QString("--"));
    QCOMPARE(button(modif, names[1])->text(), QString("←"));
    QCOMPARE(button(modif, names[2])->text(), QString("→"));
    QCOMPARE(button(modif, names[3])->text(), QString("↔"));

    // Each marker opens with its button down, and each button writes its marker.
    for (int shown = 0; shown < 4; ++shown) {
        const QByteArray marker = shown ? ">" + QByteArray::number(shown) : QByteArray();
        modif.Init(kLine + '\t' + marker + kStyles);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(button(modif, names[i])->isChecked(), i == shown);
        for (int pressed = 0; pressed < 4; ++pressed) {
            modif.Init(kLine + '\t' + marker + kStyles);
            button(modif, names[pressed])->click();
            const QByteArray written = pressed ? ">" + QByteArray::number(pressed) : QByteArray();
            QCOMPARE(ok(modif), kLine + '\t' + written + kStyles);
        }
    }

    // The closed shapes and texts have no "Pointe": their marker stays, whatever the buttons.
    modif.Init(kLine + "\t>3" + kStyles);
    button(modif, names[0])->click();
    const QByteArray text = " 0TEXT 010020030040A\t>1" + kStyles;
    modif.Init(text);
    QCOMPARE(ok(modif), text);
}

void TestTModif::styleButtonsWriteTheirStyle() {
    TModif modif;
    const QList<const char*> linePens{"SolidPen",   "DashPen",       "DotPen",
                                      "DashDotPen", "DashDotDotPen", "ClearPen"};
    const QList<const char*> shapePens{"SpeedButton1", "SpeedButton2", "SpeedButton3",
                                       "SpeedButton4", "SpeedButton5", "SpeedButton6"};
    for (const char* name : linePens + shapePens)
        QCOMPARE(button(modif, name)->toolTip(), QString("Style de trait"));
    QCOMPARE(button(modif, "SolidBrush")->toolTip(), QString("Motif de remplissage"));
    QCOMPARE(button(modif, "ClearBrush")->toolTip(), QString("Motif de remplissage"));

    // Pen styles 0..5 show their button and pressing one writes its style; the inside-frame
    // pen shows none and stays until one is pressed.
    for (const auto& [head, names] : {std::pair(kLine, linePens), std::pair(kRect, shapePens)}) {
        for (int style = 0; style <= 6; ++style) {
            const QByteArray block =
                LineCodec::withStyleField(kStyles, StyleField::PenStyle, QByteArray::number(style));
            modif.Init(head + '\t' + block);
            for (int i = 0; i < 6; ++i)
                QCOMPARE(button(modif, names[i])->isChecked(), i == style);
            button(modif, names[(style + 1) % 6])->click();
            QCOMPARE(ok(modif), head + '\t' +
                                    LineCodec::withStyleField(kStyles, StyleField::PenStyle,
                                                              QByteArray::number((style + 1) % 6)));
        }
    }

    // A hatched fill shows as "Plein" and stays; pressing "Plein" makes it solid, "Vide" clear.
    const QByteArray hatched = LineCodec::withStyleField(kStyles, StyleField::BrushStyle, "5");
    modif.Init(kRect + '\t' + hatched);
    QVERIFY(button(modif, "SolidBrush")->isChecked());
    button(modif, "SolidBrush")->click();
    QCOMPARE(stylesOf(ok(modif)), kStyles);
    modif.Init(kRect + '\t' + hatched);
    button(modif, "ClearBrush")->click();
    QCOMPARE(stylesOf(ok(modif)), LineCodec::withStyleField(kStyles, StyleField::BrushStyle, "1"));
    modif.Init(kRect + '\t' + LineCodec::withStyleField(kStyles, StyleField::BrushStyle, "1"));
    QVERIFY(button(modif, "ClearBrush")->isChecked());
}

void TestTModif::boxesTakeTheToolBarRangesAndKeepUntouchedValues() {
    ScriptedDialogsScope script;
    TModif modif;
    const QByteArray text = " 0TEXT 010020030040A";
    // Only a colour changes: a width or a size, even one beyond what the boxes offer, comes
    // back as the line held it, whatever the box shows.
    const struct {
        QByteArray head;
        StyleField field;
        const char* value;
        SpinEdit* box;
        int shown;
        ColorPanel* panel;
        StyleField colour;
    } kept[] = {
        {kLine, StyleField::PenWidth, "1E", modif.SpinEdit1, 30, modif.Panel1,
         StyleField::PenColor},
        {kLine, StyleField::PenWidth, "00", modif.SpinEdit1, 1, modif.Panel1, StyleField::PenColor},
        {kRect, StyleField::PenWidth, "64", modif.SpinEdit2, 100, modif.Panel2,
         StyleField::PenColor},
        {kRect, StyleField::PenWidth, "FF", modif.SpinEdit2, 100, modif.Panel3,
         StyleField::BrushColor},
        {text, StyleField::FontSize, "64", modif.SpinEdit3, 100, modif.Panel4,
         StyleField::FontColor},
        {text, StyleField::FontSize, "C8", modif.SpinEdit3, 100, modif.Panel4,
         StyleField::FontColor},
        {text, StyleField::FontSize, "02", modif.SpinEdit3, 4, modif.Panel4,
         StyleField::FontColor}};
    for (const auto& c : kept) {
        const QByteArray block = LineCodec::withStyleField(kStyles, c.field, c.value);
        modif.Init(c.head + '\t' + block);
        open(modif);
        QCOMPARE(c.box->value(), c.shown);
        script->modalAnswers.enqueue([](QDialog* dialog) {
            static_cast<QColorDialog*>(dialog)->setCurrentColor(QColor(0, 0, 255));
            return int(QDialog::Accepted);
        });
        QTest::mouseClick(c.panel, Qt::LeftButton);
        QCOMPARE(stylesOf(ok(modif)), LineCodec::withStyleField(block, c.colour, "00FF0000"));
    }

    // A value typed is taken within the tool bar's ranges, pen widths 1 to 100 and font sizes
    // 4 to 100, and brought to the nearer bound when the focus leaves the box.
    const struct {
        QByteArray head;
        SpinEdit* box;
        const char* typed;
        StyleField field;
        const char* written;
    } typed[] = {{kLine, modif.SpinEdit1, "50", StyleField::PenWidth, "32"},
                 {kLine, modif.SpinEdit1, "150", StyleField::PenWidth, "64"},
                 {kRect, modif.SpinEdit2, "300", StyleField::PenWidth, "64"},
                 {kRect, modif.SpinEdit2, "0", StyleField::PenWidth, "01"},
                 {text, modif.SpinEdit3, "99", StyleField::FontSize, "63"},
                 {text, modif.SpinEdit3, "101", StyleField::FontSize, "64"}};
    for (const auto& t : typed) {
        modif.Init(t.head + '\t' + kStyles);
        open(modif);
        t.box->setFocus();
        t.box->selectAll();
        QTest::keyClicks(t.box, t.typed);
        modif.Button1->setFocus();
        QCOMPARE(stylesOf(ok(modif)), LineCodec::withStyleField(kStyles, t.field, t.written));
    }
}

void TestTModif::textPageEditsTextFontAndStyle() {
    TModif modif;
    const QByteArray head = " *TEXT 01002003004A";
    const QByteArray bold = LineCodec::withStyleField(kStyles, StyleField::FontStyle, "1");
    modif.Initfont({"Arial", "Courier New", "Times New Roman"});
    QCOMPARE(modif.ComboBox1->count(), 3);
    modif.Init(head + "Prix : 3 \x80\t" + bold);
    QCOMPARE(modif.Edit1->text(), QString("Prix : 3 €"));
    QCOMPARE(modif.ComboBox1->currentText(), QString("Arial"));
    QCOMPARE(modif.SpinEdit3->value(), 12);
    QCOMPARE(modif.Panel4->color(), ColorRef(0x00008000));
    QVERIFY(modif.findChild<QRadioButton*>("RadioButton1")->isChecked());

    // The style choices write their digit.
    const std::pair<const char*, const char*> choices[] = {
        {"RadioButton2", "2"}, {"RadioButton4", "0"}, {"RadioButton3", "3"}, {"RadioButton1", "1"}};
    for (const auto& [name, digit] : choices) {
        modif.Init(head + "A\t" + bold);
        modif.findChild<QRadioButton*>(name)->click();
        QCOMPARE(stylesOf(ok(modif)),
                 LineCodec::withStyleField(kStyles, StyleField::FontStyle, digit));
    }
    // Strike-out shows as "Aucun" and goes only when another style is chosen.
    const QByteArray strike = LineCodec::withStyleField(kStyles, StyleField::FontStyle, "4");
    modif.Init(head + "A\t" + strike);
    QVERIFY(modif.findChild<QRadioButton*>("RadioButton4")->isChecked());
    modif.findChild<QRadioButton*>("RadioButton2")->click();
    QCOMPARE(stylesOf(ok(modif)), LineCodec::withStyleField(kStyles, StyleField::FontStyle, "2"));

    // Font name and size as typed.
    modif.Initfont({"Arial", "Courier New", "Times New Roman"});
    modif.Init(head + "A\t" + kStyles);
    modif.ComboBox1->setCurrentIndex(1);
    QCOMPARE(stylesOf(ok(modif)),
             LineCodec::withStyleField(kStyles, StyleField::FontName, "Courier New"));
    modif.Init(head + "A\t" + kStyles);
    modif.SpinEdit3->setText("30");
    modif.ComboBox1->setEditText("DejaVu Sans");
    QCOMPARE(
        stylesOf(ok(modif)),
        LineCodec::withStyleField(LineCodec::withStyleField(kStyles, StyleField::FontSize, "1E"),
                                  StyleField::FontName, "DejaVu Sans"));
    // Closing empties the font list; the next opening brings it again.
    QCOMPARE(modif.ComboBox1->count(), 0);

    // A 300-character text shows its first 255 and stays whole unless the field changes;
    // then the text is the field's content, in the label's code page.
    const QByteArray longText(300, 'x');
    modif.Init(head + longText + '\t' + kStyles);
    QCOMPARE(modif.Edit1->text(), QString(255, u'x'));
    QCOMPARE(ok(modif), head + longText + '\t' + kStyles);
    modif.Init(head + longText + '\t' + kStyles);
    open(modif);
    modif.Edit1->setFocus();
    modif.Edit1->end(false);
    typeText(modif.Edit1, "é€");
    modif.Edit1->insert("\t日"); // as pasted
    QCOMPARE(modif.Edit1->text().mid(250), QString("xxxxxé€ ?"));
    QCOMPARE(ok(modif), head + QByteArray(255, 'x') + "\xE9\x80 ?\t" + kStyles);
}

void TestTModif::picturesComeBackWithTheirPixels() {
    TModif modif;
    // The text field still holds a text of the previous use.
    modif.Init(" 0TEXT 010020030040Avant\t" + kStyles);
    modif.Edit1->setText("Après");
    ok(modif);

    QByteArray pixels = "002003";
    for (int i = 0; i < 6; ++i)
        pixels += "FF8000";
    for (const char* keyword : {"BITMAP", "META"}) {
        const QByteArray head = " *" + QByteArray(keyword) + " 010020030040" + pixels;
        const QByteArray block =
            styles('1', "00FFFFFF", '2', "03", "000000FF", "00000000", "0C", '0', "Arial");
        modif.Init(head + '\t' + block);
        QCOMPARE(modif.Notebook1->currentIndex(), int(TModif::ShapesPage));
        QCOMPARE(modif.Panel2->color(), ColorRef(0x000000FF));
        QCOMPARE(modif.SpinEdit2->value(), 3);
        modif.Edit1->setText("ignoré");
        modif.SpinEdit2->setText("5");
        QCOMPARE(ok(modif),
                 head + '\t' + LineCodec::withStyleField(block, StyleField::PenWidth, "05"));
    }
}

void TestTModif::aLineWithoutTabGetsTheDefaultStyles() {
    TModif modif;
    const QByteArray plain = LineCodec::writeStyles(StyleBlock{});
    modif.Init(kRect + '\t' + LineCodec::withStyleField(kStyles, StyleField::PenWidth, "09"));
    ok(modif);

    modif.Init(kRect);
    QCOMPARE(modif.Notebook1->currentIndex(), int(TModif::ShapesPage));
    QCOMPARE(modif.SpinEdit2->value(), 1);
    QCOMPARE(modif.Panel3->color(), ColorRef(0x00FFFFFF));
    QCOMPARE(ok(modif), kRect + '\t' + plain);

    const QByteArray text = " 0TEXT 010020030040Sans tabulation";
    modif.Init(text);
    QCOMPARE(modif.Edit1->text(), QString("Sans tabulation"));
    QCOMPARE(ok(modif), text + '\t' + plain);

    modif.Init(kLine);
    button(modif, "SpeedButton9")->click();
    QCOMPARE(ok(modif), kLine + "\t>2" + plain);
}

void TestTModif::swatchesShareOneColourChoice() {
    ScriptedDialogsScope script;
    TModif modif;
    QList<QDialog*> shown;
    const auto choosing = [&](QColor color) {
        return [&shown, color](QDialog* dialog) {
            shown.append(dialog);
            static_cast<QColorDialog*>(dialog)->setCurrentColor(color);
            return color.isValid() ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
    };
    const struct {
        const char* head;
        ColorPanel* panel;
        StyleField field;
    } swatches[] = {{" 0LINE 010020030040", modif.Panel1, StyleField::PenColor},
                    {" 0RECT 010020030040", modif.Panel2, StyleField::PenColor},
                    {" 0RECT 010020030040", modif.Panel3, StyleField::BrushColor},
                    {" 0TEXT 010020030040A", modif.Panel4, StyleField::FontColor}};
    for (const auto& swatch : swatches) {
        modif.Init(swatch.head + QByteArray("\t") + kStyles);
        open(modif);
        script->modalAnswers.enqueue(choosing(QColor(0x12, 0x34, 0x56)));
        QTest::mouseClick(swatch.panel, Qt::LeftButton);
        QCOMPARE(swatch.panel->color(), ColorRef(0x00563412));
        // A cancelled choice keeps the colour.
        script->modalAnswers.enqueue(choosing(QColor()));
        QTest::mouseClick(swatch.panel, Qt::LeftButton);
        QCOMPARE(stylesOf(ok(modif)), LineCodec::withStyleField(kStyles, swatch.field, "00563412"));
    }
    QCOMPARE(shown.size(), 8);
    for (QDialog* dialog : shown)
        QCOMPARE(dialog, modif.ColorDialog1);
}

void TestTModif::cancelEscapeAndCloseBoxGiveNothing() {
    ScriptedDialogsScope script;
    LabelDialogSet set;
    TModif& modif = set.Modif;
    const QByteArray line = kRect + '\t' + kStyles;
    // Through the label window's seam: the dialog's answer, or nothing.
    script->modalAnswers.enqueue([](QDialog* dialog) {
        dialog->findChild<QPushButton*>("Button2")->click();
        return dialog->result();
    });
    QCOMPARE(set.modifyObject(line), line);
    script->modalAnswers.enqueue([](QDialog* dialog) {
        dialog->findChild<QPushButton*>("Button1")->click();
        return dialog->result();
    });
    QCOMPARE(set.modifyObject(line), QByteArray());

    modif.Init(line);
    open(modif);
    QTest::keyClick(modif.SpinEdit2, Qt::Key_Escape);
    QVERIFY(!modif.isVisible());
    QCOMPARE(modif.Result(), QByteArray());

    // The close box counts as "Annuler", even after an "OK".
    modif.Init(line);
    ok(modif);
    open(modif);
    modif.close();
    QCOMPARE(modif.Result(), QByteArray());
}

QTEST_MAIN(TestTModif)
#include "tst_tmodif.moc"
