#include "SheetCatalogue.h"

#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString writeFile(const QTemporaryDir& dir, const QByteArray& text) {
    const QString path = dir.filePath("planches.txt");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QStringList codes(const QList<const SheetStock*>& entries) {
    QStringList list;
    for (const SheetStock* entry : entries)
        list.append(entry->code);
    return list;
}

} // namespace

class TestSheetCatalogue : public QObject {
    Q_OBJECT
private slots:
    void theInstalledCatalogueHoldsValidA4Sheets();
    void aMalformedLineIsOneProblemAndTheOthersLoad();
    void theUsersEntryReplacesTheInstalledOne();
    void searchFindsBrandCodeAndSize();
};

void TestSheetCatalogue::theInstalledCatalogueHoldsValidA4Sheets() {
    SheetCatalogue catalogue;
    catalogue.readFile(SheetCatalogue::installedFile());
    QCOMPARE(catalogue.problems(), QStringList());
    QVERIFY(catalogue.entries().size() >= 40);
    QSet<QString> seen;
    for (const SheetStock& entry : catalogue.entries()) {
        QVERIFY2(entry.isValid(), qPrintable(entry.code));
        QVERIFY2(!entry.description.isEmpty() && !entry.source.isEmpty(), qPrintable(entry.code));
        // The last label of the row and of the column ends on the paper, 210 x 297 mm.
        QVERIFY2(entry.left + (entry.columns - 1) * entry.hPitch + entry.labelWidth <= 21000,
                 qPrintable(entry.code));
        QVERIFY2(entry.top + (entry.rows - 1) * entry.vPitch + entry.labelHeight <= 29700,
                 qPrintable(entry.code));
        QVERIFY2(!seen.contains(entry.code.toUpper()), qPrintable(entry.code));
        seen.insert(entry.code.toUpper());
    }
    // The 21-up address sheet, the 2-up CD sheet and the sheet of round labels.
    const SheetStock* address = catalogue.find(u"l7160");
    QVERIFY(address);
    QCOMPARE((QList<int>{address->labelWidth, address->labelHeight, address->columns, address->rows,
                         address->hPitch, address->vPitch, address->left, address->top}),
             (QList<int>{6350, 3810, 3, 7, 6600, 3810, 720, 1515}));
    const SheetStock* cd = catalogue.find(u"L7676");
    QVERIFY(cd && cd->shape == SheetStock::Shape::Round && cd->labelWidth == 11700 &&
            cd->columns * cd->rows == 2);
    const SheetStock* round = catalogue.find(u"L7670");
    QVERIFY(round && round->shape == SheetStock::Shape::Round &&
            round->columns * round->rows == 12);
}

void TestSheetCatalogue::aMalformedLineIsOneProblemAndTheOthersLoad() {
    const QByteArray good1 = "A1;Avant;50;30;4;9;52.5;31;0;0.5;rectangle;mesurée\n";
    const QByteArray good2 = "A2;Après; 20.25 ;10;2;2;20.25;10.00;1;1;ROND;mesurée; le 3 mai\n";
    const struct {
        QByteArray line;
        QString why;
    } bad[] = {
        {"B;Trop court;50;30;4;9;52.5;31;0;0.5;rectangle", "11 champs au lieu de 12"},
        {"B;Virgule;63,5;38.1;3;7;66;38.1;7.2;15.15;arrondi;x", "largeur « 63,5 »"},
        {"B;Trois décimales;63.5;38.1;3;7;66.004;38.1;7.2;15.15;arrondi;x", "pas horizontal"},
        {"B;Colonnes;63.5;38.1;0;7;66;38.1;7.2;15.15;arrondi;x", "colonnes « 0 »"},
        {"B;Forme;63.5;38.1;3;7;66;38.1;7.2;15.15;ovale;x", "forme « ovale »"},
        {"B;Pas;63.5;38.1;3;7;60;38.1;7.2;15.15;arrondi;x", "pas horizontal est plus petit"},
        {"B;Hors A4;63.5;38.1;3;7;66;38.1;7.2;30.35;arrondi;x", "rangée finit à 297,05 mm"},
        {";Sans code;63.5;38.1;3;7;66;38.1;7.2;15.15;arrondi;x", "le code est vide"},
    };
    for (const auto& [line, why] : bad) {
        QTemporaryDir dir;
        const QString path = writeFile(dir, "# mes planches\n\n" + good1 + line + "\r\n" + good2);
        const SheetCatalogue catalogue = SheetCatalogue::load(path);
        QCOMPARE(catalogue.problems().size(), 1);
        const QString problem = catalogue.problems().first();
        QVERIFY2(problem.startsWith(path + ", ligne 4 : ") && problem.contains(why),
                 qPrintable(problem));
        QVERIFY(catalogue.find(u"A1") && !catalogue.find(u"B"));
        const SheetStock* after = catalogue.find(u"a2");
        QVERIFY(after);
        QCOMPARE((QList<int>{after->labelWidth, after->hPitch, after->vPitch, after->left}),
                 (QList<int>{2025, 2025, 1000, 100}));
        QCOMPARE(after->shape, SheetStock::Shape::Round);
        QCOMPARE(after->source, QString("mesurée; le 3 mai"));
    }
    // A user's file that cannot be read is one problem too, and the installed sheets stay.
    QTemporaryDir dir;
    const SheetCatalogue unreadable = SheetCatalogue::load(dir.path());
    QCOMPARE(unreadable.problems(), QStringList{"Ne peut ouvrir le fichier " + dir.path()});
    QVERIFY(unreadable.find(u"L7160"));
}

void TestSheetCatalogue::theUsersEntryReplacesTheInstalledOne() {
    const SheetCatalogue installed = SheetCatalogue::load(QString());
    QTemporaryDir dir;
    const QString path = writeFile(dir, "l7160;Mes adresses;63.5;38.1;3;7;66;38.1;7.5;15.5;"
                                        "arrondi;mesurée\nMIEN;Les miennes;40;20;5;14;41;21;0;"
                                        "0;rectangle;mesurée\n");
    const SheetCatalogue catalogue = SheetCatalogue::load(path);
    QCOMPARE(catalogue.problems(), QStringList());
    QCOMPARE(catalogue.entries().size(), installed.entries().size() + 1);
    QCOMPARE(catalogue.entries().last().code, QString("MIEN"));
    const SheetStock* replaced = catalogue.find(u"L7160");
    QVERIFY(replaced);
    QCOMPARE(replaced->description, QString("Mes adresses"));
    QCOMPARE(replaced->left, 750);
    QCOMPARE(replaced->top, 1550);
}

void TestSheetCatalogue::searchFindsBrandCodeAndSize() {
    SheetCatalogue catalogue;
    catalogue.read("L7160;Avery, étiquettes adresse;63.5;38.1;3;7;66;38.1;7.2;15.15;arrondi;x\n"
                   "3475;Avery Zweckform, universelles;70;36;3;8;70;36;0;4.5;rectangle;x\n"
                   "L7163;Avery, adresse et colis;99.1;38.1;2;7;101.6;38.1;4.65;15.15;arrondi;x\n"
                   "J8160;Avery, étiquettes adresse;63.5;38.1;3;7;66;38.1;7.2;15.15;arrondi;x\n"
                   "L7676;Avery, CD/DVD;117;117;1;2;117;137;46.5;21.5;rond;x\n",
                   "essai.txt");
    QCOMPARE(catalogue.problems(), QStringList());
    QCOMPARE(codes(catalogue.search("")).size(), 5);
    QCOMPARE(codes(catalogue.search("zweckform")), QStringList{"3475"});
    QCOMPARE(codes(catalogue.search("  l7160 ")), QStringList{"L7160"});
    QCOMPARE(codes(catalogue.search("ETIQUETTES avery")), (QStringList{"L7160", "J8160"}));
    for (const char* size : {"63,5 x 38,1", "63.5x38.1", "63,5 × 38,1", "63.5×38.1"})
        QCOMPARE(codes(catalogue.search(size)), (QStringList{"L7160", "J8160"}));
    QCOMPARE(codes(catalogue.search("x 38,1 colis")), QStringList{"L7163"});
    QCOMPARE(codes(catalogue.search("117 x 117")), QStringList{"L7676"});
    QCOMPARE(codes(catalogue.search("herma")), QStringList());
    QCOMPARE(SheetCatalogue::sizeText(*catalogue.find(u"L7163")), QString("99,1 x 38,1"));
}

QTEST_MAIN(TestSheetCatalogue)
#include "tst_sheetcatalogue.moc"
