#include "ColorPanel.h"
#include "MainFormFixture.h"
#include "StartUp.h"
#include "ToolPanel.h"

#include <QAction>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

const int kStyleBits = FontBold | FontItalic | FontUnderline;

ColorRef colorOf(const MainFormFixture& f, const QString& panel) {
    return f.find<ColorPanel>(panel)->color();
}

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    void startValues();
    void layout();
    void paletteSwatches();
    void toolButtons_data();
    void toolButtons();
    void penStyleButtonsMayAllBeUpAndFillButtons();
    void toolBarStateReachesTheLabelWindow();
    void colourPanels();
    void fontListIsTheMachinesFontsSorted();
    void statusBar();
    void clockShowsTheTimeAtOnceAndEverySecond();
    void keyboardBelongsToTheLabel();
    void qtDialogsSpeakFrench();
};

void TestMainForm::startValues() {
    MainFormFixture f;
    QCOMPARE(f.form->toolPanel()->ToolNumber, 1);
    QCOMPARE(f.form->toolPanel()->PenStyleCode, 0);
    QCOMPARE(f.form->toolPanel()->BrushStyleCode, 1);
    QCOMPARE(f.form->PageSetup, (PageSetupValues{0, 0, 0, 0, 100}));
    const LabelFormatValues format = f.form->LabelFormat;
    QCOMPARE((QList<int>{format.width, format.height, format.hspacing, format.vspacing}),
             (QList<int>{70, 42, 0, 0}));
    for (const char* down : {"MoveButton", "SolidPen", "ClearBrush"})
        QVERIFY2(f.find<QToolButton>(down)->isChecked(), down);
    for (const char* up :
         {"TextButton", "DashPen", "SolidBrush", "BoldButton", "ItalButton", "UnderButton"})
        QVERIFY2(!f.find<QToolButton>(up)->isChecked(), up);
    QVERIFY(f.find("Panel3")->isVisible());
    QVERIFY(f.form->action(Command::Palette)->isChecked());

    const ToolBarState state = f.form->toolPanel()->GetStyles();
    QCOMPARE(state.toolNumber, 1);
    QCOMPARE(state.penStyle, 0);
    QCOMPARE(state.fillStyle, 1);
    QCOMPARE(state.penColor, ColorRef(0x000000));
    QCOMPARE(state.fillColor, ColorRef(0xFFFFFF));
    QCOMPARE(state.penWidth, 1);
    QCOMPARE(state.fontName, QString("Arial"));
    QCOMPARE(state.fontSize, 12);
    QVERIFY(!state.bold && !state.italic && !state.underline);
    // The label window starts with the tool bar's tool, not the line tool of its own start.
    QCOMPARE(f.etiq().Tool, int(TEtiq::ToolPointer));
    QCOMPARE(f.shownTitle(), QString("Sans titre - Vorlap"));
}

void TestMainForm::layout() {
    MainFormFixture f;
    const QList<QPair<const char*, QRect>> places = {
        {"NewButton", {9, 4, 25, 25}},          {"PasteButton", {239, 4, 25, 25}},
        {"RedoButton", {162, 4, 25, 25}},       {"UnderButton", {572, 4, 25, 25}},
        {"BackgroundButton", {607, 4, 25, 25}}, {"MoveButton", {1, 5, 25, 25}},
        {"RoundRectButton", {26, 105, 25, 25}}, {"BarcodeButton", {1, 130, 25, 25}},
        {"ClearPen", {26, 210, 25, 25}},        {"SolidBrush", {1, 318, 25, 25}},
        {"ForeColor", {4, 4, 25, 25}},          {"Backcolor", {20, 12, 25, 25}},
        {"Panel30", {524, 2, 20, 20}},
    };
    for (const auto& [name, rect] : places)
        QVERIFY2(f.find(name)->geometry() == rect, name);
    QCOMPARE(f.find("FontName")->geometry().left(), 277);
    QCOMPARE(f.find("SpinEdit2")->geometry().left(), 461);
    const QWidget* client = f.form->centralWidget();
    QCOMPARE(f.find("SpeedPanel")->height(), 33);
    QCOMPARE(f.find("Panel1")->geometry(), QRect(0, 33, 54, client->height() - 33));
    QCOMPARE(f.find("Panel3")->geometry(), QRect(56, client->height() - 27, 548, 25));
    const QRect label(54, 33, client->width() - 54, client->height() - 33 - 27);
    QCOMPARE(f.etiq().geometry(), label);

    // Hiding the palette leaves its strip empty.
    f.form->action(Command::Palette)->trigger();
    QVERIFY(!f.find("Panel3")->isVisible());
    QCOMPARE(f.etiq().geometry(), label);
    f.form->action(Command::Palette)->trigger();
    QVERIFY(f.find("Panel3")->isVisible());

    f.form->showNormal();
    f.form->resize(800, 600);
    QCOMPARE(f.find("StatusPanel0")->width(), 700);

    QList<QImage> pictures; // every button shows a picture of its own
    for (QToolButton* button : f.find("SpeedPanel")->findChildren<QToolButton*>() +
                                   f.find("Panel1")->findChildren<QToolButton*>()) {
        const QImage picture = button->icon().pixmap(QSize(20, 20)).toImage();
        QVERIFY2(!picture.isNull() && !pictures.contains(picture),
                 qPrintable(button->objectName()));
        pictures.append(picture);
    }
    QCOMPARE(pictures.size(), 33);
}

void TestMainForm::paletteSwatches() {
    MainFormFixture f;
    auto swatch = [&](int i) { return colorOf(f, QStringLiteral("Panel%1").arg(i + 4)); };
    const QList<QPair<int, ColorRef>> expected = {
        {0, 0x000000}, {1, 0x00007F},  {2, 0x0000FF},  {3, 0x007F00},  {5, 0x007FFF},
        {9, 0x7F0000}, {13, 0x7F7F7F}, {16, 0x7FFF7F}, {20, 0xFF00FF}, {26, 0xFFFFFF},
    };
    for (const auto& [index, color] : expected)
        QCOMPARE(swatch(index), color);
    QSet<ColorRef> seen;
    for (int i = 0; i < 27; ++i)
        seen.insert(swatch(i));
    QCOMPARE(seen.size(), 27);

    // A swatch sets the pen colour only; the label window reads it at its next need.
    f.etiq().SetColors(0x000000, 0xFFFFFF);
    f.click("Panel6");
    QCOMPARE(colorOf(f, "ForeColor"), ColorRef(0x0000FF));
    QCOMPARE(colorOf(f, "Backcolor"), ColorRef(0xFFFFFF));
    QCOMPARE(f.etiq().canvas().penColor(), ColorRef(0x000000));
    QCOMPARE(f.form->toolPanel()->GetStyles().penColor, ColorRef(0x0000FF));
    QCOMPARE(f.script->modalRuns, 0);
    // A right click sets the fill colour.
    QTest::mouseClick(f.find("Panel8"), Qt::RightButton);
    QCOMPARE(colorOf(f, "Backcolor"), paletteColor(4));
    QCOMPARE(colorOf(f, "ForeColor"), ColorRef(0x0000FF));
}

void TestMainForm::toolButtons_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("tool");
    QTest::addColumn<int>("toolNumber");
    QTest::newRow("Trait") << "LineButton" << 0 << 2;
    QTest::newRow("Rectangle") << "RectangleButton" << 1 << 3;
    QTest::newRow("Ellipse") << "EllipseButton" << 2 << 4;
    QTest::newRow("Rectangle arrondi") << "RoundRectButton" << 3 << 5;
    QTest::newRow("Image") << "PictButton" << 7 << 6;
    QTest::newRow("Polygone") << "PolyButton" << 8 << 8;
    QTest::newRow("Texte") << "TextButton" << 6 << 9;
    QTest::newRow("Ligne brisee") << "PolylButton" << 9 << 10;
    QTest::newRow("Arc") << "ArcButton" << 10 << 11;
    QTest::newRow("Code-barres") << "BarcodeButton" << 11 << 12;
}

void TestMainForm::toolButtons() {
    QFETCH(QString, button);
    QFETCH(int, tool);
    QFETCH(int, toolNumber);
    MainFormFixture f;
    f.etiq().canvas().setPenWidth(7);
    f.click(button);
    QCOMPARE(f.etiq().Tool, tool);
    QCOMPARE(f.form->toolPanel()->ToolNumber, toolNumber);
    QVERIFY(f.find<QToolButton>(button)->isChecked());
    QVERIFY(!f.find<QToolButton>("MoveButton")->isChecked());
    f.etiq().RestoreStyles(); // reads the same tool back
    QCOMPARE(f.etiq().Tool, tool);
    if (tool != TEtiq::ToolText) // a frame tool shows the label's pen width
        QCOMPARE(f.find<SpinEdit>("SpinEdit1")->value(), 7);
    f.click("MoveButton");
    QCOMPARE(f.etiq().Tool, int(TEtiq::ToolPointer));
    QCOMPARE(f.form->toolPanel()->ToolNumber, 1);
}

void TestMainForm::penStyleButtonsMayAllBeUpAndFillButtons() {
    MainFormFixture f;
    f.click("DashPen");
    QCOMPARE(f.form->toolPanel()->PenStyleCode, 1);
    QCOMPARE(f.etiq().canvas().penStyle(), 1);
    QVERIFY(!f.find<QToolButton>("SolidPen")->isChecked());
    // Clicking the pressed button raises it and still hands its style over.
    f.etiq().canvas().setPenStyle(0);
    f.click("DashPen");
    for (QToolButton* pen :
         f.find("Panel1")->findChildren<QToolButton*>(QRegularExpression("Pen$")))
        QVERIFY2(!pen->isChecked(), qPrintable(pen->objectName()));
    QCOMPARE(f.etiq().canvas().penStyle(), 1);
    const QStringList pens = {"SolidPen",   "DashPen",       "DotPen",
                              "DashDotPen", "DashDotDotPen", "ClearPen"};
    for (int style = 0; style < pens.size(); ++style) {
        f.click(pens[style]);
        QCOMPARE(f.etiq().canvas().penStyle(), style);
        QCOMPARE(f.form->toolPanel()->GetStyles().penStyle, style);
    }

    f.click("SolidBrush");
    QCOMPARE(f.form->toolPanel()->BrushStyleCode, 0);
    QCOMPARE(f.etiq().CurBrushStyle, 0);
    QVERIFY(!f.find<QToolButton>("ClearBrush")->isChecked());
    f.click("ClearBrush");
    QCOMPARE(f.form->toolPanel()->GetStyles().fillStyle, 1);
    QCOMPARE(f.etiq().canvas().brushStyle(), 1);
}

void TestMainForm::toolBarStateReachesTheLabelWindow() {
    MainFormFixture f;
    auto* width = f.find<SpinEdit>("SpinEdit1");
    auto* size = f.find<SpinEdit>("SpinEdit2");
    width->setValue(5);
    QCOMPARE(f.etiq().canvas().penWidth(), 5);
    f.find<QComboBox>("FontName")->setEditText("Liberation Serif");
    QCOMPARE(f.etiq().canvas().fontName(), QString("Liberation Serif"));
    size->setValue(20);
    QCOMPARE(f.etiq().canvas().fontSize(), 20);
    f.click("BoldButton");
    QCOMPARE(f.etiq().canvas().fontStyle() & kStyleBits, int(FontBold));
    f.click("ItalButton");
    f.click("BoldButton");
    QCOMPARE(f.etiq().canvas().fontStyle() & kStyleBits, int(FontItalic));

    // GetStyles reads the controls; the label takes the three toggles over with the rest
    // whenever it reads the tool bar, whatever it did meanwhile.
    f.etiq().canvas().setFontStyle(FontBold | FontUnderline);
    width->setText("150");
    size->setText("30");
    ToolBarState state = f.form->toolPanel()->GetStyles();
    QCOMPARE(state.fontName, QString("Liberation Serif"));
    QCOMPARE(state.fontSize, 30);
    QCOMPARE(state.penWidth, 100); // beyond the range: the nearer bound
    QVERIFY(state.italic && !state.bold && !state.underline);
    f.etiq().RestoreStyles();
    QCOMPARE(f.etiq().canvas().fontStyle() & kStyleBits, int(FontItalic));

    width->setText("abc");
    size->setText("");
    state = f.form->toolPanel()->GetStyles();
    QCOMPARE(state.penWidth, 1);
    QCOMPARE(state.fontSize, 4);
    QVERIFY(f.script->messages.isEmpty());
}

void TestMainForm::colourPanels() {
    MainFormFixture f;
    QColor offered;
    auto choose = [&](QColor color, int answer) {
        return [&offered, color, answer](QDialog* dialog) {
            auto* colors = qobject_cast<QColorDialog*>(dialog);
            offered = colors->currentColor();
            colors->setCurrentColor(color);
            return answer;
        };
    };
    f.script->modalAnswers.enqueue(choose(QColor(10, 20, 30), QDialog::Accepted));
    f.click("Backcolor");
    QCOMPARE(offered, QColor(Qt::white));
    QCOMPARE(colorOf(f, "Backcolor"), ColorRef(0x1E140A));
    QCOMPARE(f.etiq().canvas().brushColor(), ColorRef(0x1E140A));
    QCOMPARE(f.etiq().canvas().penColor(), ColorRef(0));

    // Cancelled: the panel keeps its colour, and the label is still told both colours.
    f.etiq().SetColors(0x123456, 0x654321);
    f.script->modalAnswers.enqueue(choose(QColor(1, 2, 3), QDialog::Rejected));
    f.click("ForeColor");
    QCOMPARE(offered, QColor(Qt::black));
    QCOMPARE(colorOf(f, "ForeColor"), ColorRef(0));
    QCOMPARE(f.etiq().canvas().penColor(), ColorRef(0));
    QCOMPARE(f.etiq().canvas().brushColor(), ColorRef(0x1E140A));
}

void TestMainForm::fontListIsTheMachinesFontsSorted() {
    MainFormFixture f;
    auto* box = f.find<QComboBox>("FontName");
    QStringList listed;
    for (int i = 0; i < box->count(); ++i)
        listed.append(box->itemText(i));
    for (int i = 1; i < listed.size(); ++i)
        QVERIFY(QString::compare(listed[i - 1], listed[i], Qt::CaseInsensitive) <= 0);
    // Each family of the machine once, whole, without its foundry; and the names label files
    // use, even where only their metric twins exist.
    const QSet<QString> offered(listed.begin(), listed.end());
    QCOMPARE(offered.size(), listed.size());
    for (const char* name : {"Arial", "Times New Roman", "Courier New"})
        QVERIFY(offered.contains(name));
    for (const QString& name : listed)
        QVERIFY2(!name.contains('['), qPrintable(name));
    QProcess fcList;
    fcList.start("fc-list", {":", "family"});
    if (fcList.waitForFinished(20000)) {
        const QStringList families =
            QString::fromUtf8(fcList.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QVERIFY(!families.isEmpty());
        for (const QString& family : families)
            QVERIFY2(offered.contains(family.section(',', 0, 0)), qPrintable(family));
    }
    QCOMPARE(box->currentText(), QString("Arial")); // filling the list keeps the choice
}

void TestMainForm::statusBar() {
    MainFormFixture f;
    QAction* save = f.form->action(Command::FileSave);
    save->showStatusText(f.form->menuBar()); // what a menu does while the entry is lit
    QCOMPARE(f.form->statusText(0), QString("Enregistrer le fichier en cours"));
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(f.find("EllipseButton"), &enter);
    QCOMPARE(f.form->statusText(0), QString("Ellipse"));
    // The label window writes the pointer position there; whichever writes last is shown.
    f.click("RectangleButton");
    f.etiq().FormMouseDown(12, 34);
    QCOMPARE(f.form->statusText(0), QString("Position : (12,34)"));
    save->showStatusText(f.form->menuBar());
    QCOMPARE(f.form->statusText(0), QString("Enregistrer le fichier en cours"));
}

void TestMainForm::clockShowsTheTimeAtOnceAndEverySecond() {
    QTime now(13, 5, 9);
    MainFormFixture f([&] { return now; });
    QCOMPARE(f.form->statusText(1), "    " + longTimeText(QTime(13, 5, 9)));
    QVERIFY(longTimeText(now).contains("05:09"));
    QVERIFY(!longTimeText(now).contains("UTC"));
    auto* timer = f.find<QTimer>("Timer1");
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 1000);
    now = QTime(13, 5, 10);
    // The timer's own event, rather than waiting a second.
    QTimerEvent tick(timer->timerId());
    QCoreApplication::sendEvent(timer, &tick);
    QCOMPARE(f.form->statusText(1), "    " + longTimeText(QTime(13, 5, 10)));
}

void TestMainForm::keyboardBelongsToTheLabel() {
    MainFormFixture f;
    QApplication::setActiveWindow(f.form.get());
    QTRY_VERIFY(f.etiq().hasFocus());
    // Typing at start-up goes nowhere near the font name.
    QTest::keyClicks(QApplication::focusWidget(), "xyz");
    QCOMPARE(f.find<QComboBox>("FontName")->currentText(), QString("Arial"));
    // The pen-width box gives the keyboard back once a value is entered.
    auto* width = f.find<SpinEdit>("SpinEdit1");
    width->setFocus();
    QTest::keyClick(width, Qt::Key_Up);
    QVERIFY(f.etiq().hasFocus());
    f.click("RectangleButton");
    QVERIFY(f.etiq().hasFocus());
    // So Ctrl+C is the label's "Copier", with its message when nothing is selected.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(f.script->messages.value(0).text, QString("Aucun objet sélectionné"));
}

void TestMainForm::qtDialogsSpeakFrench() {
    if (!installFrenchTranslations())
        QSKIP("Qt's French translation is not installed (qt6-translations-l10n)");
    QMessageBox box(QMessageBox::Warning, "", "",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Yes)->text().remove('&'), QString("Oui"));
    QCOMPARE(box.button(QMessageBox::No)->text().remove('&'), QString("Non"));
    QCOMPARE(box.button(QMessageBox::Cancel)->text().remove('&'), QString("Annuler"));
    QCOMPARE(QLocale().language(), QLocale::French);
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
