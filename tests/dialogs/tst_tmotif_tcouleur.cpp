#include "ColorPanel.h"
#include "PreviewBox.h"
#include "ScriptedDialogs.h"
#include "TCouleur.h"
#include "TMotif.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

using Answer = std::function<int(QDialog*)>;

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

Answer closeBox(std::function<void(QDialog*)> act = {}) {
    return [act](QDialog* dialog) {
        dialog->show();
        if (act)
            act(dialog);
        dialog->close();
        return dialog->result();
    };
}

Answer escape() {
    return [](QDialog* dialog) {
        dialog->show();
        QTest::keyClick(dialog, Qt::Key_Escape);
        return dialog->result();
    };
}

const char* const kOk = "Button2";
const char* const kCancel = "Button1";

QRgb rgb(ColorRef color) {
    return colorFromRef(color).rgb();
}

ColorRef refAt(const QImage& image, int x, int y) {
    return refFromColor(QColor(image.pixel(x, y)));
}

// The preview as the screen shows it: the window's backing store, not a fresh rendering.
QImage onScreen(QWidget* widget) {
    QCoreApplication::processEvents();
    const QRect area(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
    return widget->screen()
        ->grabWindow(widget->window()->winId(), area.x(), area.y(), area.width(), area.height())
        .toImage();
}

// The 50 band colours the gradient preview shows on screen (49 one-row bands, the last from
// row 49 to 73); its last row and column stay white.
QList<ColorRef> shownBands(TCouleur& dialog) {
    const QImage preview = onScreen(dialog.PaintBox1);
    QList<ColorRef> bands;
    for (int y = 0; y < 49; ++y)
        bands << refAt(preview, 0, y);
    bands << refAt(preview, 71, 49);
    for (int y = 49; y < 74; ++y)
        if (refAt(preview, 36, y) != bands.last())
            return {};
    for (int y = 0; y < 75; ++y)
        if (refAt(preview, 72, y) != 0xFFFFFF)
            return {};
    for (int x = 0; x < 73; ++x)
        if (refAt(preview, x, 74) != 0xFFFFFF)
            return {};
    return bands;
}

QList<ColorRef> bandRun(quint32 first, int step) {
    QList<ColorRef> bands;
    for (int band = 0; band < 50; ++band)
        bands << ((first + quint32(step * band)) & 0xFFFFFF);
    return bands;
}

} // namespace

class TestMotifCouleur : public QObject {
    Q_OBJECT
private slots:
    void patternSwatches();
    void patternInAndOut();
    void patternCancelKeepsThePresets();
    void gradientBands();
    void gradientInAndOut();
};

void TestMotifCouleur::patternSwatches() {
    TMotif motif;
    QCOMPARE(motif.windowTitle(), QString("Motif"));
    QStringList captions;
    for (const QLabel* label : motif.findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        captions << label->text();
    QCOMPARE(captions, QStringList({"Trait", "Fond"}));
    QCOMPARE(motif.Panel10->color(), ColorRef(0x000000));
    QCOMPARE(motif.Panel11->color(), ColorRef(0xFFFFFF));
    motif.show();

    // Two columns of four: backward diagonal, clear / cross, diagonal cross / forward
    // diagonal, horizontal / solid, vertical. Any button chooses.
    const int styles[8] = {5, 1, 6, 7, 4, 2, 0, 3};
    const QPoint first = motif.findChild<QWidget*>("Shape1")->mapTo(&motif, QPoint(0, 0));
    for (int number = 1; number <= 8; ++number) {
        auto* shape = motif.findChild<QWidget*>(QStringLiteral("Shape%1").arg(number));
        const QPoint at = shape->mapTo(&motif, QPoint(0, 0));
        QCOMPARE(at.x() > first.x(), number % 2 == 0);
        QCOMPARE(at.y() > first.y(), number > 2);
        QCOMPARE(shape->size(), QSize(40, 40));
        QTest::mousePress(shape, number == 4 ? Qt::RightButton : Qt::LeftButton);
        QCOMPARE(motif.pattern(), styles[number - 1]);
    }
    // Each swatch shows its pattern in black over the whole panel.
    const QImage solid = motif.findChild<QWidget*>("Shape7")->grab().toImage();
    const QImage clear = motif.findChild<QWidget*>("Shape2")->grab().toImage();
    QCOMPARE(solid.pixel(20, 20), rgb(0));
    QCOMPARE(solid.pixel(39, 39), rgb(0));
    QCOMPARE(clear.pixel(20, 20), rgb(0xFFFFFF));
}

void TestMotifCouleur::patternInAndOut() {
    ScriptedDialogsScope script;
    TMotif motif;
    // Opened with (6, black, yellow), the preview shows that pattern from the first paint
    // on, after every repaint, and "OK" gives the same three back.
    motif.Init(6, 0x000000, 0x00FFFF);
    QImage first, again;
    script->modalAnswers.enqueue(closeWith(kOk, [&](QDialog*) {
        first = motif.PaintBox1->grab().toImage();
        motif.repaint();
        again = motif.PaintBox1->grab().toImage();
    }));
    motif.Execute();
    int style = -1;
    ColorRef line = 1, back = 2;
    QVERIFY(motif.Result(style, line, back));
    QCOMPARE(style, 6);
    QCOMPARE(line, ColorRef(0x000000));
    QCOMPARE(back, ColorRef(0x00FFFF));
    QCOMPARE(again, first);
    QCOMPARE(first.size(), QSize(73, 65));
    QCOMPARE(first.pixel(0, 0), rgb(0x000000));
    QCOMPARE(first.pixel(71, 63), rgb(0x000000));
    QCOMPARE(first.pixel(72, 10), rgb(0xFFFFFF));
    QCOMPARE(first.pixel(10, 64), rgb(0xFFFFFF));
    int yellow = 0, white = 0;
    for (int y = 1; y < 63; ++y)
        for (int x = 1; x < 71; ++x) {
            yellow += first.pixel(x, y) == rgb(0x00FFFF);
            white += first.pixel(x, y) == rgb(0xFFFFFF);
        }
    QCOMPARE(yellow + white, 70 * 62);
    QVERIFY(yellow > 300 && white > 2000);
}

void TestMotifCouleur::patternCancelKeepsThePresets() {
    ScriptedDialogsScope script;
    TMotif motif;
    auto change = [&](QDialog*) {
        QTest::mousePress(motif.findChild<QWidget*>("Shape5"), Qt::LeftButton);
    };
    // "Annuler", Escape and the close box each come after a use closed with "OK".
    for (const Answer& cancel : {closeWith(kCancel, change), escape(), closeBox(change)}) {
        script->modalAnswers.enqueue(closeWith(kOk));
        motif.Execute();
        motif.Init(6, 0x000000, 0x00FFFF);
        script->modalAnswers.enqueue(cancel);
        motif.Execute();
        int style = 3;
        ColorRef line = 0x123456, back = 0x654321;
        QVERIFY(!motif.Result(style, line, back));
        QCOMPARE(style, 3);
        QCOMPARE(line, ColorRef(0x123456));
        QCOMPARE(back, ColorRef(0x654321));
    }
}

void TestMotifCouleur::gradientBands() {
    TCouleur couleur;
    QCOMPARE(couleur.windowTitle(), QString("Dégradés"));
    QCOMPARE(couleur.RadioButton1->text(), QString("Foncé -> clair"));
    QCOMPARE(couleur.RadioButton2->text(), QString("Clair -> foncé"));
    QVERIFY(couleur.RadioButton1->isChecked());
    couleur.show();
    QVERIFY(QTest::qWaitForWindowExposed(&couleur));
    // Red, blue, teal above; green, gray, lime below.
    const ColorRef colors[6] = {0x0000FF, 0xFF0000, 0x008000, 0x808080, 0x808000, 0x00FF00};
    const int rows[6] = {0, 0, 1, 1, 0, 1};
    const int top = couleur.findChild<ColorPanel*>("Panel1")->y();
    for (int number = 1; number <= 6; ++number) {
        auto* panel = couleur.findChild<ColorPanel*>(QStringLiteral("Panel%1").arg(number));
        QCOMPARE(panel->color(), colors[number - 1]);
        QCOMPARE(panel->y() > top, rows[number - 1] == 1);
    }

    QTest::mouseClick(couleur.findChild<ColorPanel*>("Panel2"), Qt::LeftButton);
    QCOMPARE(shownBands(couleur), bandRun(0xFF0000, 5));
    // Red's byte wraps into green: 0x0000FF, 0x000104, ... 0x0001F4.
    couleur.PanelClick(1);
    QCOMPARE(shownBands(couleur), bandRun(0x0000FF, 5));
    QCOMPARE(shownBands(couleur).value(1), ColorRef(0x000104));
    // Each direction redraws the preview at once.
    QTest::mouseClick(couleur.RadioButton2, Qt::LeftButton);
    QCOMPARE(shownBands(couleur), bandRun(0x0000FF, -5));
    QCOMPARE(shownBands(couleur).last(), ColorRef(0x00000A));
    QTest::mouseClick(couleur.RadioButton1, Qt::LeftButton);
    QCOMPARE(shownBands(couleur), bandRun(0x0000FF, 5));
    QTest::mouseClick(couleur.RadioButton2, Qt::LeftButton);
    // Black going darker leaves the colour range: the bands show their low 24 bits.
    couleur.Init(0x000000);
    QCOMPARE(shownBands(couleur).value(1), ColorRef(0xFFFFFB));
    QCOMPARE(shownBands(couleur), bandRun(0, -5));
}

void TestMotifCouleur::gradientInAndOut() {
    ScriptedDialogsScope script;
    TCouleur couleur;
    ColorRef color = 1;
    int direction = 0;
    // Teal with either direction, then "OK".
    script->modalAnswers.enqueue(closeWith(kOk, [&](QDialog*) {
        couleur.PanelClick(5);
        couleur.RadioButton2->click();
    }));
    couleur.Execute();
    QVERIFY(couleur.Result(color, direction));
    QCOMPARE(color, ColorRef(0x808000));
    QCOMPARE(direction, 2);
    couleur.Init(0x808000);
    script->modalAnswers.enqueue(closeWith(kOk, [&](QDialog*) { couleur.RadioButton1->click(); }));
    couleur.Execute();
    QVERIFY(couleur.Result(color, direction));
    QCOMPARE(color, ColorRef(0x808000));
    QCOMPARE(direction, 1);

    // "Annuler", Escape and the close box leave both outputs alone, after a use closed with
    // "OK" as well.
    auto change = [&](QDialog*) { couleur.PanelClick(2); };
    for (const Answer& cancel : {closeWith(kCancel, change), escape(), closeBox(change)}) {
        script->modalAnswers.enqueue(closeWith(kOk));
        couleur.Execute();
        couleur.Init(0x0000FF);
        script->modalAnswers.enqueue(cancel);
        couleur.Execute();
        color = 0x123456;
        direction = 7;
        QVERIFY(!couleur.Result(color, direction));
        QCOMPARE(color, ColorRef(0x123456));
        QCOMPARE(direction, 7);
    }
}

QTEST_MAIN(TestMotifCouleur)
#include "tst_tmotif_tcouleur.moc"
