#include "LabelFile.h"
#include "LabelWindowFixture.h"
#include "LineEdits.h"
#include "TEtiq.h"
#include "UserError.h"

#include <QFrame>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QByteArray kStyles = "1FFFFFFFF00100000000000000000C0Arial";

QByteArray fittedText(const QByteArray& text, const QByteArray& styles, int left, int top) {
    StyleBlock style;
    LineCodec::readStyles(styles, style);
    const QSize extent = LineEdits::textObjectExtent(text, style);
    return " 0TEXT " +
           LineCodec::writeRect(left, top, left + extent.width(), top + extent.height()) + text +
           '\t' + styles;
}

} // namespace

class TestEtiq : public QObject {
    Q_OBJECT
private slots:
    void init();
    void newLabelIsTwoLines();
    void roundTripKeepsEveryByte();
    void loadRules();
    void fileThatCannotBeOpenedChangesNothing();
    void shortFilesAreCompleted();
    void saveRules();
    void saveQuestion();
    void yesThatDoesNotSaveStops();
    void cancelledSaveAsWritesNothing();
    void failedSaveKeepsOldFileAndChanges();
    void surfaceSizes();
    void clearKeepsSizeAndName();
    void toolChoice();
    void undoBelongsToOneLabel();
    void eachOpeningReportsItsBrokenLines();

private:
    QTemporaryDir dir_;
};

void TestEtiq::init() {
    QVERIFY(dir_.isValid());
}

void TestEtiq::newLabelIsTwoLines() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    QCOMPARE(etiq.document().Lines, (LineList{"04602A000000", " 0BLANK"}));
    QCOMPARE(etiq.caption(), QString("Sans titre"));
    QVERIFY(!etiq.document().Modified);

    const QString path = dir_.filePath("new");
    script->fileAnswers.enqueue(path);
    QVERIFY(etiq.Sauve(0));
    QCOMPARE(fileBytes(path + ".etq"), QByteArray("04602A000000\r\n 0BLANK\r\n"));
    QCOMPARE(etiq.document().FileName, path + ".etq");
    QCOMPARE(etiq.caption(), QString("new.etq"));
}

void TestEtiq::roundTripKeepsEveryByte() {
    ScriptedDialogsScope script;
    // One line of every keyword, arrow markers, group digits, locked lines, accented text
    // and bytes 0x80..0xFF in a text and in a font name.
    QByteArray high;
    for (int b = 0x80; b <= 0xFF; ++b)
        high += char(b);
    const QByteArray accented = "\xC9t\xE9 \xE0 No\xEBl \x80 5 \xA7";
    LineList lines{
        "08C05A005003",
        " 0COLOR 0000000000FF\t00000FF00001000000FF00000000C0Arial",
        " 0LINE 00A00A05005A\t" + kStyles,
        "#0LINEU 00A00A05005A\t>1" + kStyles,
        " 2RECT 01001002003C\t>3" + kStyles,
        " 2ELLIPSE 01001002003C\t" + kStyles,
        " 0ROUNDRECT 01001002003C\t0FF00000000301000000FF0000000010" + high,
        " 0POLYG 01001003003000A00A01001402003C\t" + kStyles,
        " 0POLYL 01001003003000A00A01001402003C\t>2" + kStyles,
        " 0DRAW 010010030030010010030030\t" + kStyles,
        " 0ARCL 01001002003C\t" + kStyles,
        " 0ARCH 01001002003C\t" + kStyles,
        " 0ARCLU 01001002003C\t" + kStyles,
        " 0ARCHU 01001002003C\t" + kStyles,
        " 0CHORDL 01001002003C\t" + kStyles,
        " 0CHORDH 01001002003C\t" + kStyles,
        " 0CHORDLU 01001002003C\t" + kStyles,
        " 0CHORDHU 01001002003C\t" + kStyles,
        fittedText(accented, "1FFFFFFFF00100000000000000000E1Times New Roman", 20, 30),
        fittedText(high, kStyles, 5, 6),
        " 0BITMAP 020020022022002002FF000000FF0000FF00FFFFFF\t" + kStyles,
        " 0META 020020022022001001123456\t" + kStyles,
        " 0MOSAIC 000000000000\t" + kStyles,
        " 0UNKNOWN 000000000000\t" + kStyles,
    };
    const QString path = dir_.filePath("round.etq");
    writeBytes(path, LabelFile::joinLines(lines));

    TEtiq etiq;
    etiq.Charge(path);
    QCOMPARE(etiq.document().Lines, lines);
    QCOMPARE(etiq.document().LabelWidth, 140);
    QCOMPARE(etiq.document().LabelHeight, 90);
    QCOMPARE(etiq.document().HSpacing, 5);
    QCOMPARE(etiq.document().VSpacing, 3);
    const QString copy = dir_.filePath("copy.etq");
    script->fileAnswers.enqueue(copy);
    QVERIFY(etiq.Sauve(1));
    QCOMPARE(fileBytes(copy), fileBytes(path));

    // What a save changes by design: marks '*' cleared, header rebuilt, text refitted,
    // line endings.
    LineList changed = lines;
    changed[0] = "08Cxyz005003";
    changed[2][0] = '*';
    changed[18] =
        " 0TEXT 01401E000000" + accented + "\t1FFFFFFFF00100000000000000000E1Times New Roman";
    QByteArray unixEndings = changed.join('\n');
    writeBytes(path, unixEndings);
    etiq.Charge(path);
    QCOMPARE(etiq.document().LabelHeight, 90); // held from the load before
    etiq.document().Modified = true;
    QVERIFY(etiq.Sauve(0));
    // The header is rebuilt from the values held.
    QCOMPARE(LabelFile::read(path), lines);
}

void TestEtiq::loadRules() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    const QString path = dir_.filePath("rules.etq");
    auto load = [&](const QByteArray& content) {
        writeBytes(path, content);
        etiq.SetIni(1, 1, 0, 0, 0xFFFFFF, 1);
        etiq.Charge(path);
    };

    load("005064000000\r\n 0BLANK\r\n");
    QCOMPARE(etiq.document().LabelWidth, 70);
    QCOMPARE(etiq.document().LabelHeight, 100);
    load("064005000000\r\n 0BLANK\r\n");
    QCOMPARE(etiq.document().LabelWidth, 100);
    QCOMPARE(etiq.document().LabelHeight, 42);

    // A field that does not convert keeps what was held before the load.
    etiq.SetDim(120, 80, 7, 8);
    writeBytes(path, "050ZZZ003004\r\n 0BLANK\r\n");
    etiq.Charge(path);
    QCOMPARE(etiq.document().LabelWidth, 80);
    QCOMPARE(etiq.document().LabelHeight, 80);
    QCOMPARE(etiq.document().HSpacing, 7);
    QCOMPARE(etiq.document().VSpacing, 8);
    QVERIFY(!etiq.document().Modified);
    // ... and a width read before it is still corrected: not a label 5 mm wide.
    writeBytes(path, "005ZZZ000000\r\n 0BLANK\r\n");
    etiq.Charge(path);
    QCOMPARE(etiq.document().LabelWidth, 70);
    QCOMPARE(etiq.document().LabelHeight, 80);
    // A header asking for a huge label is brought back to the largest one.
    load("FFFFFF000000\r\n 0BLANK\r\n");
    QCOMPARE(etiq.document().LabelWidth, 300);
    QCOMPARE(etiq.frameSize(), QSize(1200, 1200));

    // Lines whose TAB is not beyond column 15 go, whatever the line endings.
    const QByteArray rect = " 0RECT 000000010010\t" + kStyles;
    for (const QByteArray eol : {"\r\n", "\n", "\r"}) {
        load("04602A000000" + eol + " 0BLANK" + eol + rect + eol + " 0LINE 000\t" + kStyles + eol +
             "no tab at all" + eol + rect);
        QCOMPARE(etiq.document().Lines, (LineList{"04602A000000", " 0BLANK", rect, rect}));
    }
    QCOMPARE(etiq.caption(), QString("rules.etq"));
    QCOMPARE(etiq.document().FileName, path);
}

void TestEtiq::fileThatCannotBeOpenedChangesNothing() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    const QString good = dir_.filePath("good.etq");
    writeBytes(good, "05002A000000\r\n 0BLANK\r\n 0RECT 000000010010\t" + kStyles + "\r\n");
    etiq.Charge(good);
    etiq.document().Lines.append(" 0RECT 000000020020\t" + kStyles);
    etiq.document().Modified = true;
    const LineList before = etiq.document().Lines;

    const QString missing = dir_.filePath("nowhere/missing.etq");
    try {
        etiq.Charge(missing);
        QFAIL("no error");
    } catch (const UserError& e) {
        QCOMPARE(e.message(), "Ne peut ouvrir le fichier " + missing);
    }
    QCOMPARE(etiq.document().FileName, good);
    QCOMPARE(etiq.document().Lines, before);
    QVERIFY(etiq.document().Modified);
    QCOMPARE(etiq.document().LabelWidth, 80);
    // A later save goes to the file that was open, not to the one that failed.
    QVERIFY(etiq.Sauve(0));
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(LabelFile::read(good).size(), 4);
}

void TestEtiq::shortFilesAreCompleted() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    const QString path = dir_.filePath("short.etq");
    writeBytes(path, "");
    etiq.Charge(path);
    QCOMPARE(etiq.document().Lines, (LineList{"04602A000000", " 0BLANK"}));
    writeBytes(path, "06402A000000\r\n");
    etiq.Charge(path);
    QCOMPARE(etiq.document().Lines, (LineList{"06402A000000", " 0BLANK"}));
    QCOMPARE(etiq.document().LabelWidth, 100);
}

void TestEtiq::saveRules() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    // No '.' in the path: ".etq" is added; a '.' in a folder name is enough to keep it off.
    QVERIFY(QDir(dir_.path()).mkpath("v1.0"));
    const QString dotted = dir_.filePath("v1.0/label");
    script->fileAnswers.enqueue(dotted);
    etiq.document().Modified = true;
    QVERIFY(etiq.Sauve(0));
    QVERIFY(QFile::exists(dotted));
    QCOMPARE(etiq.document().FileName, dotted);

    // Unchanged and named: nothing is written.
    QVERIFY(QFile::remove(dotted));
    QVERIFY(etiq.Sauve(0));
    QVERIFY(!QFile::exists(dotted));
    QVERIFY(script->fileCaptions.size() == 1);

    // Under a new name: written even unchanged.
    const QString other = dir_.filePath("other");
    script->fileAnswers.enqueue(other);
    QVERIFY(etiq.Sauve(1));
    QCOMPARE(fileBytes(other + ".etq"), QByteArray("04602A000000\r\n 0BLANK\r\n"));
    QVERIFY(!etiq.document().Modified);

    // Selection marks do not reach the file; locked marks do.
    etiq.document().Lines.append("*0RECT 000000010010\t" + kStyles);
    etiq.document().Lines.append("#0RECT 000000010010\t" + kStyles);
    etiq.HasSelection = true;
    etiq.document().Modified = true;
    QVERIFY(etiq.Sauve(0));
    const LineList saved = LabelFile::read(other + ".etq");
    QCOMPARE(saved[2][0], ' ');
    QCOMPARE(saved[3][0], '#');
    QVERIFY(!etiq.HasSelection);
}

void TestEtiq::saveQuestion() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    QVERIFY(etiq.SaveQuery()); // unchanged: no question
    QCOMPARE(script->messages.size(), 0);

    etiq.document().Modified = true;
    script->messageAnswers.enqueue(QMessageBox::No);
    QVERIFY(etiq.SaveQuery());
    QCOMPARE(script->messages.last().text, QString("Enregistrer modifications dans  ?"));
    QCOMPARE(script->messages.last().buttons,
             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QVERIFY(etiq.document().Modified);

    script->messageAnswers.enqueue(QMessageBox::Cancel);
    QVERIFY(!etiq.SaveQuery());

    const QString path = dir_.filePath("asked.etq");
    script->messageAnswers.enqueue(QMessageBox::Yes);
    script->fileAnswers.enqueue(path);
    QVERIFY(etiq.SaveQuery());
    QVERIFY(QFile::exists(path));
    QVERIFY(!etiq.document().Modified);

    etiq.document().Modified = true;
    script->messageAnswers.enqueue(QMessageBox::Cancel);
    bool canClose = true;
    etiq.FormCloseQuery(canClose);
    QVERIFY(!canClose);
    QCOMPARE(script->messages.last().text, QString("Enregistrer modifications dans asked.etq ?"));
}

void TestEtiq::yesThatDoesNotSaveStops() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    etiq.document().Modified = true;
    // Yes, then the name is not given.
    script->messageAnswers.enqueue(QMessageBox::Yes);
    QVERIFY(!etiq.SaveQuery());
    QVERIFY(etiq.document().Modified);
    // Yes, then the file cannot be written: the error is shown and the answer is stop.
    const QString bad = dir_.filePath("no/such/folder/x.etq");
    script->messageAnswers.enqueue(QMessageBox::Yes);
    script->fileAnswers.enqueue(bad);
    QVERIFY(!etiq.SaveQuery());
    QCOMPARE(script->messages.last().text, "Ne peut créer le fichier " + bad);
    QCOMPARE(script->messages.last().icon, QMessageBox::Critical);
    QVERIFY(etiq.document().Modified);
    QVERIFY(etiq.document().FileName.isEmpty());
}

void TestEtiq::cancelledSaveAsWritesNothing() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    const QString path = dir_.filePath("named.etq");
    script->fileAnswers.enqueue(path);
    etiq.document().Modified = true;
    QVERIFY(etiq.Sauve(0));
    const QByteArray before = fileBytes(path);

    etiq.document().Lines.append(" 0RECT 000000010010\t" + kStyles);
    etiq.document().Modified = true;
    QVERIFY(!etiq.Sauve(1)); // the name is not given
    QCOMPARE(fileBytes(path), before);
    QVERIFY(etiq.document().Modified);
    QCOMPARE(etiq.document().FileName, path);
}

void TestEtiq::failedSaveKeepsOldFileAndChanges() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    const QString path = dir_.filePath("kept.etq");
    script->fileAnswers.enqueue(path);
    etiq.document().Modified = true;
    QVERIFY(etiq.Sauve(0));
    const QByteArray before = fileBytes(path);

    etiq.document().Lines.append(" 0TEXT 000000000000" + QByteArray(60000, 'x') + '\t' + kStyles);
    etiq.document().Modified = true;
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    bool thrown = false;
    try {
        etiq.Sauve(0);
    } catch (const UserError& e) {
        thrown = e.message() == "Ne peut créer le fichier " + path;
    }
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    QVERIFY(thrown);
    QCOMPARE(fileBytes(path), before);
    QVERIFY(etiq.document().Modified);
    QCOMPARE(etiq.document().FileName, path);
}

void TestEtiq::surfaceSizes() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    etiq.SetDim(70, 43, 0, 0);
    QCOMPARE(etiq.frameSize(), QSize(280, 172));
    QCOMPARE(etiq.surfaceSize(), QSize(278, 170));
    QCOMPARE(etiq.document().Lines[0], QByteArray("04602B000000"));
    QVERIFY(etiq.document().Modified);
    QVERIFY(etiq.panel()->mask().isEmpty());

    etiq.SetDim(126, 126, 0, 0);
    QVERIFY(etiq.CdLabel);
    QCOMPARE(etiq.frameSize(), QSize(378, 378));
    const QRegion mask = etiq.panel()->mask();
    QVERIFY(mask.contains(QPoint(180, 180)));
    QVERIFY(mask.contains(QPoint(180, 6)));
    QVERIFY(!mask.contains(QPoint(6, 6)));
    QVERIFY(!mask.contains(QPoint(370, 180)));

    // Leaving the CD format leaves its circle too.
    etiq.SetDim(120, 80, 0, 0);
    QVERIFY(!etiq.CdLabel);
    QVERIFY(etiq.panel()->mask().isEmpty());
    QCOMPARE(etiq.frameSize(), QSize(480, 320));

    // Higher than 100 mm: the whole label at four pixels a millimetre.
    etiq.SetDim(80, 250, 0, 0);
    QCOMPARE(etiq.frameSize(), QSize(320, 1000));
    QCOMPARE(etiq.surfaceSize(), QSize(318, 998));
}

void TestEtiq::clearKeepsSizeAndName() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    const QString path = dir_.filePath("clear.etq");
    writeBytes(path, "064032000000\r\n 0COLOR 000000000000\t" + kStyles +
                         "\r\n 0RECT 000000010010\t" + kStyles + "\r\n");
    etiq.Charge(path);
    const LineList before = etiq.document().Lines;
    etiq.Effacer();
    QCOMPARE(etiq.document().Lines, (LineList{"064032000000", " 0BLANK"}));
    QVERIFY(etiq.document().Modified);
    etiq.Annuler();
    QCOMPARE(etiq.document().Lines, before);
    etiq.Retablir();
    QCOMPARE(etiq.document().Lines, (LineList{"064032000000", " 0BLANK"}));
    QCOMPARE(etiq.document().FileName, path);
    QCOMPARE(etiq.frameSize(), QSize(400, 200));

    etiq.SetNew();
    QVERIFY(!etiq.document().Modified);
}

void TestEtiq::toolChoice() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    FakeToolBar toolBar;
    etiq.setToolBarSource(&toolBar);

    toolBar.state.toolNumber = 3;
    toolBar.state.penWidth = 4;
    toolBar.state.penColor = 0x0000FF;
    toolBar.state.fontName = "Courier New";
    toolBar.state.fontSize = 20;
    toolBar.state.bold = true;
    etiq.RestoreStyles();
    QCOMPARE(etiq.Tool, int(TEtiq::ToolRect));
    QCOMPARE(etiq.canvas().penWidth(), 4);
    QCOMPARE(etiq.canvas().penColor(), 0x0000FFu);
    QCOMPARE(etiq.canvas().fontName(), QString("Courier New"));
    QCOMPARE(etiq.canvas().fontStyle(), int(FontBold));

    const QList<QPair<int, int>> mapping{{1, 4}, {2, 0}, {3, 1}, {4, 2},  {5, 3},
                                         {6, 7}, {8, 8}, {9, 6}, {10, 9}, {11, 10}};
    for (const auto& [number, tool] : mapping) {
        toolBar.state.toolNumber = number;
        etiq.RestoreStyles();
        QCOMPARE(etiq.Tool, tool);
    }
    toolBar.state.toolNumber = 7; // no tool: the current one stays
    etiq.RestoreStyles();
    QCOMPARE(etiq.Tool, 10);

    etiq.SetFrame(TEtiq::ToolEllipse);
    QCOMPARE(etiq.Tool, int(TEtiq::ToolEllipse));
    QCOMPARE(toolBar.penWidthsShown.last(), 4);
    etiq.SetText();
    QCOMPARE(etiq.Tool, int(TEtiq::ToolText));

    // The style block written for a new object is the surface's pen, brush and font.
    etiq.RestoreStyles();
    QCOMPARE(etiq.GetStyles(), QByteArray("100FFFFFF004000000FF00000000141Courier New"));
    LineRenderer(etiq.canvas()).applyStyles("60000FF00301000000FF00FF00000C7Arial");
    QCOMPARE(etiq.canvas().fontStyle(), int(FontBold)); // digit 7 keeps the style
    QCOMPARE(etiq.canvas().brushStyle(), 6);
}

void TestEtiq::undoBelongsToOneLabel() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    const QString a = dir_.filePath("a.etq");
    const QString b = dir_.filePath("b.etq");
    writeBytes(a, "04602A000000\r\n 0BLANK\r\n 0RECT 000000010010\t" + kStyles + "\r\n");
    writeBytes(b, "05002A000000\r\n 0BLANK\r\n 0ELLIPSE 000000020020\t" + kStyles + "\r\n");

    // Opening, making and resizing a label leave nothing to undo.
    etiq.Charge(a);
    etiq.Effacer();
    etiq.Charge(b);
    const LineList bLines = etiq.document().Lines;
    etiq.Annuler();
    QCOMPARE(etiq.document().Lines, bLines);
    QVERIFY(!etiq.document().Modified);
    etiq.Effacer();
    etiq.SetDim(70, 42, 0, 0);
    etiq.SetNew();
    etiq.Annuler();
    QCOMPARE(etiq.document().Lines, (LineList{"04602A000000", " 0BLANK"}));
    etiq.Charge(b);
    etiq.SetDim(90, 60, 0, 0);
    etiq.Annuler();
    QCOMPARE(etiq.document().Lines[0], QByteArray("05A03C000000"));
    QCOMPARE(etiq.document().Lines.size(), 3);

    // Clearing can be taken back; an undo after a save is an unsaved change.
    etiq.Charge(a);
    const LineList aLines = etiq.document().Lines;
    etiq.Effacer();
    QVERIFY(etiq.Sauve(0));
    QVERIFY(!etiq.document().Modified);
    etiq.Annuler();
    QCOMPARE(etiq.document().Lines, aLines);
    QVERIFY(etiq.document().Modified);
    etiq.document().Modified = false;
    etiq.Annuler(); // nothing left to take back, so nothing to ask about
    QVERIFY(!etiq.document().Modified);
}

void TestEtiq::eachOpeningReportsItsBrokenLines() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    const QString path = dir_.filePath("broken.etq");
    writeBytes(path, "04602A000000\r\n 0BLANK\r\n 0RECT 0ZZ000010010\t" + kStyles + "\r\n");
    etiq.Charge(path);
    etiq.Dessine();
    QCOMPARE(script->messages.size(), 1);
    etiq.Charge(path);
    QCOMPARE(script->messages.size(), 2);
    QCOMPARE(script->messages.last().text, QString("'$0ZZ' n'est pas une valeur entière correcte"));
}

QTEST_MAIN(TestEtiq)
#include "tst_tetiq.moc"
