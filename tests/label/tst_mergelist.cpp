#include "LabelDocument.h"
#include "MergeList.h"
#include "UserError.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The address list as spreadsheets write it, and the label's texts filled from it.
class TestMergeList : public QObject {
    Q_OBJECT
private slots:
    void readsWhatSpreadsheetsWrite();
    void saysWhatIsWrongWithTheList();
    void fillsTheTextsFromARow();
    void theLabelKeepsItsList();
};

void TestMergeList::readsWhatSpreadsheetsWrite() {
    struct Case {
        const char* name;
        QByteArray bytes;
        QStringList columns;
        QList<QStringList> rows;
        QList<int> rowLines;
    };
    const QList<Case> cases = {
        {"semicolons, a quoted separator, a doubled quote and a line break inside quotes",
         "Nom;Adresse;Ville\r\n\"Dupont; Jean\";\"5 \"\"Le Clos\"\"\r\nB\xC3\xA2t. B\";Paris\r\n"
         "Martin;3 rue Haute;Lyon\r\n",
         {"Nom", "Adresse", "Ville"},
         {{"Dupont; Jean", QString::fromUtf8("5 \"Le Clos\"\r\nB\xC3\xA2t. B"), "Paris"},
          {"Martin", "3 rue Haute", "Lyon"}},
         {2, 4}},
        {"commas and a UTF-8 byte order mark, no final line break",
         "\xEF\xBB\xBFNom,Ville\nH\xC3\xA9l\xC3\xA8ne,\"Saint-\xC3\x89tienne, Loire\"",
         {"Nom", "Ville"},
         {{QString::fromUtf8("H\xC3\xA9l\xC3\xA8ne"),
           QString::fromUtf8("Saint-\xC3\x89tienne, Loire")}},
         {2}},
        {"Windows-1252 accents and the euro sign, TAB separated, blank lines skipped",
         "Nom\tPrix\r\n\r\nCr\xE8me br\xFBl\xE9\x65\t5 \x80\r\n\r\n",
         {"Nom", "Prix"},
         {{QString::fromUtf8("Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9\x65"),
           QString::fromUtf8("5 \xE2\x82\xAC")}},
         {3}},
        {"a header alone: no rows", "Nom;Ville\r\n", {"Nom", "Ville"}, {}, {}},
        {"an empty file", "", {}, {}, {}},
        {"one column, one row", "Nom\nA", {"Nom"}, {{"A"}}, {2}},
    };
    for (const Case& c : cases) {
        const MergeTable table = MergeTable::parse(c.bytes, "liste.csv");
        QVERIFY2(table.columns == c.columns, c.name);
        QVERIFY2(table.rows == c.rows, c.name);
        QVERIFY2(table.rowLines == c.rowLines, c.name);
        QVERIFY2(table.problems.isEmpty(), qPrintable(table.problems.join('|')));
    }
}

void TestMergeList::saysWhatIsWrongWithTheList() {
    // A short row: named by file, line and the first column left empty; the rest still reads.
    MergeTable table =
        MergeTable::parse("Nom;Rue;Ville\nA;1 rue;Paris\nB\nC;2 rue;Lyon\n", "a.csv");
    QCOMPARE(table.rows.size(), 3);
    QCOMPARE(table.rows[1], (QStringList{"B", "", ""}));
    QCOMPARE(table.problems,
             QStringList{QString::fromUtf8("a.csv, ligne 3 : 1 champ(s) pour 3 colonnes, la "
                                           "colonne \xC2\xAB Rue \xC2\xBB est vide")});
    // A quote never closed takes the rest of the file, and says where it began.
    table = MergeTable::parse("Nom\n\"A\nB\n", "b.csv");
    QCOMPARE(table.problems,
             QStringList{QString::fromUtf8("b.csv, ligne 2 : guillemet jamais ferm\xC3\xA9")});
    // Characters no label can hold: one warning with their count (a character beyond the BMP
    // is one).
    table = MergeTable::parse("Nom\n\xC5\x81\xC3\xB3\x64\xC5\xBA\n\xF0\x9F\x98\x80\n", "c.csv");
    QCOMPARE(table.problems.size(), 1);
    QVERIFY2(table.problems[0].startsWith("c.csv : 3 caract"), qPrintable(table.problems[0]));
    // A missing file says so, and no table comes back.
    QVERIFY_THROWS_EXCEPTION(UserError, MergeTable::load("/nonexistent/liste.csv"));
}

void TestMergeList::fillsTheTextsFromARow() {
    const MergeTable table = MergeTable::parse(
        "Nom;Ville;Note\nH\xC3\xA9l\xC3\xA8ne;Paris;\xC5\x81\xC3\xB3\x64\xC5\xBA\n", "a.csv");
    struct Case {
        QByteArray text, filled;
    };
    const QList<Case> cases = {
        {"{Nom}", "H\xE9l\xE8ne"},
        {"{ Nom } habite {Ville}.", "H\xE9l\xE8ne habite Paris."},
        {"{{Nom}} et {Nom}}}", "{Nom} et H\xE9l\xE8ne}"},
        {"{Pays} {Ville", "{Pays} {Ville"},
        {"{Note}", "?\xF3\x64?"},
        {"Sans champ", "Sans champ"},
        {"Un } seul", "Un } seul"},
    };
    for (const Case& c : cases)
        QCOMPARE(MergeFields::fill(c.text, table, 0), c.filled);

    const QByteArray style = "100FFFFFF00100000000000000000C0Arial";
    const LineList lines = {"046025000000", " 0BLANK", " 0TEXT 008008100020{Nom}, {Pays}\t" + style,
                            " 0RECT 008008100020{Nom}\t" + style,
                            " 0BARCODE 008008100020QRCODE {Ville}\t" + style};
    const LineList filled = MergeFields::fill(lines, table, 0);
    QCOMPARE(filled[2], " 0TEXT 008008100020H\xE9l\xE8ne, {Pays}\t" + style);
    QCOMPARE(filled[3], lines[3]);
    QCOMPARE(filled[4], " 0BARCODE 008008100020QRCODE Paris\t" + style);
    const QStringList unknown = MergeFields::unknownColumns(lines, table);
    QCOMPARE(unknown.size(), 1);
    QVERIFY2(unknown[0].contains(QString::fromUtf8("\xC2\xAB Pays \xC2\xBB")),
             qPrintable(unknown[0]));
    // A barcode whose data a row makes unreadable is said once, with its first row and count.
    const MergeTable codes = MergeTable::parse("Code\n400638133393\nabc\n123\n", "codes.csv");
    const LineList barcodes = {"046025000000", " 0BLANK",
                               " 0BARCODE 008008100020EAN13 {Code}\t" + style,
                               " 0BARCODE 008008100020QRCODE {Code}\t" + style};
    QCOMPARE(MergeFields::refusedBarcodes(barcodes, codes),
             QStringList{QString::fromUtf8("codes.csv, ligne 3 : Donn\xC3\xA9"
                                           "e invalide pour EAN-13 : 12 chiffres attendus "
                                           "(2 \xC3\xA9tiquette(s) sans code-barres)")});
}

void TestMergeList::theLabelKeepsItsList() {
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath("listes")));
    const QString list = dir.filePath("listes/adresses d'\xC3\xA9t\xC3\xA9.csv");
    LabelDocument document;
    document.MergeFile = list;
    document.save(dir.filePath("a.etq"));
    QFile file(dir.filePath("a.etq"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    // Beside the label: its name relative to the label's folder, the bytes no line may hold
    // escaped; a reader that knows nothing of lists keeps it as an object it cannot draw.
    QCOMPARE(file.readAll().split('\n').value(2),
             " 0MERGE 000000000000listes/adresses%20d%27%C3%A9t%C3%A9.csv\t"
             "000FFFFFF00100000000000000000C0Arial\r");
    // Moved together, the label finds its list; its lines hold no trace of it.
    QVERIFY(QDir().rename(dir.path(), dir.path() + "-moved"));
    LabelDocument reopened;
    reopened.load(dir.path() + "-moved/a.etq");
    QCOMPARE(reopened.MergeFile, dir.path() + "-moved/listes/adresses d'\xC3\xA9t\xC3\xA9.csv");
    QCOMPARE(reopened.Lines.size(), 2);
    // Saved elsewhere, it names the list in full.
    QTemporaryDir other;
    reopened.save(other.filePath("b.etq"));
    LabelDocument copy;
    copy.load(other.filePath("b.etq"));
    QCOMPARE(copy.MergeFile, reopened.MergeFile);
    QVERIFY(QDir().rename(dir.path() + "-moved", dir.path()));
}

QTEST_MAIN(TestMergeList)
#include "tst_mergelist.moc"
