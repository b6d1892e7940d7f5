#include "PrintedSheet.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray kStyle = "100FFFFFF00100000000000000000C0Arial";

struct Run {
    int exitCode = -1;
    QString errors;
};

Run runVorlap(const QStringList& arguments) {
    QProcess vorlap;
    vorlap.start(QStringLiteral(VORLAP_BINARY), arguments);
    Run run;
    if (!vorlap.waitForFinished(60000))
        return run;
    run.exitCode = vorlap.exitCode();
    run.errors = QString::fromUtf8(vorlap.readAllStandardError());
    return run;
}

// What poppler reads on a page, or within an area of it in millimetres.
QString pageText(const QString& pdf, int page, const QRectF& area = {}) {
    QStringList arguments = {"-f", QString::number(page), "-l", QString::number(page)};
    if (!area.isNull()) {
        // pdftotext crops in pixels at 72 dots per inch.
        const auto px = [](double mm) { return QString::number(qRound(mm / 25.4 * 72)); };
        arguments << "-x" << px(area.x()) << "-y" << px(area.y()) << "-W" << px(area.width())
                  << "-H" << px(area.height());
    }
    QProcess pdftotext;
    pdftotext.start("pdftotext", arguments << pdf << "-");
    pdftotext.waitForFinished(30000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
}

int pageCount(const QString& pdf) {
    QProcess pdfinfo;
    pdfinfo.start("pdfinfo", {pdf});
    pdfinfo.waitForFinished(30000);
    const auto match =
        QRegularExpression("Pages:\\s+(\\d+)").match(pdfinfo.readAllStandardOutput());
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

// A label printed from an address list, one row a cell, sheet after sheet, read back from the
// PDF by poppler.
class TestMergeSheet : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString label_;

private slots:
    void initTestCase();
    void rowsFillTheCellsSheetAfterSheet();
    void aBadListIsSaidAndNothingElseLost();
    void theExampleLabelPrintsItsList();
};

void TestMergeSheet::initTestCase() {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext is not installed (Debian package poppler-utils)");
    // 70 x 37 mm with the margins at 0: 3 columns of 8 rows, 24 cells, cell n at
    // ((n - 1) % 3 x 70, (n - 1) / 3 x 37) mm.
    label_ = dir_.filePath("nom.etq");
    writeFile(label_,
              "046025000000\r\n 0BLANK\r\n 0TEXT 010010100030{Nom} {{n}}\t" + kStyle + "\r\n");
    QByteArray list = "Nom,Ville\r\n";
    for (int i = 1; i <= 50; ++i)
        list += "Ligne" + QByteArray::number(i) + ",Ville\r\n";
    writeFile(dir_.filePath("liste.csv"), list);
}

void TestMergeSheet::rowsFillTheCellsSheetAfterSheet() {
    struct Case {
        QStringList options;
        QList<int> rowsPerPage;
    };
    // From cell 5: 20 rows on the first sheet, then 24 a sheet.
    const QList<Case> cases = {{{}, {20, 24, 6}}, {{"--count", "30"}, {20, 10}}};
    for (const Case& c : cases) {
        const QString pdf = dir_.filePath("liste.pdf");
        const Run run =
            runVorlap(QStringList{"--pdf", pdf, "--margins", "0,0,0,0", "--zoom", "100", "--first",
                                  "5", "--merge", dir_.filePath("liste.csv")} +
                      c.options + QStringList{label_});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(!run.errors.contains("vorlap:"), qPrintable(run.errors));
        QCOMPARE(PrintedSheet::qpdfProblems(pdf), QString());
        QCOMPARE(pageCount(pdf), c.rowsPerPage.size());
        int row = 0;
        for (int page = 1; page <= c.rowsPerPage.size(); ++page) {
            QStringList expected;
            for (int i = 0; i < c.rowsPerPage[page - 1]; ++i)
                expected << QString("Ligne%1 {n}").arg(++row);
            QCOMPARE(pageText(pdf, page), expected.join(' '));
        }
        // The first row in the fifth cell, the 21st in the first cell of the second sheet.
        QCOMPARE(pageText(pdf, 1, QRectF(70, 37, 70, 37)), QString("Ligne1 {n}"));
        QCOMPARE(pageText(pdf, 2, QRectF(0, 0, 70, 37)), QString("Ligne21 {n}"));
    }
}

void TestMergeSheet::aBadListIsSaidAndNothingElseLost() {
    const QString pdf = dir_.filePath("mauvaise.pdf");
    // A short row and a column the list lacks: said once each, the rest printed.
    writeFile(dir_.filePath("courte.csv"), "Prenom;Ville\nA;Paris\nB\n");
    Run run = runVorlap({"--pdf", pdf, "--merge", dir_.filePath("courte.csv"), label_});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.errors.count("courte.csv, ligne 3"), 1);
    QCOMPARE(run.errors.count(QString::fromUtf8("\xC2\xAB Nom \xC2\xBB")), 1);
    QCOMPARE(PrintedSheet::qpdfProblems(pdf), QString());
    QCOMPARE(pageText(pdf, 1), QString("{Nom} {n} {Nom} {n}"));
    // An empty list prints nothing, and a missing one neither: no file is left.
    writeFile(dir_.filePath("vide.csv"), "Nom;Ville\r\n");
    for (const QString& list : {dir_.filePath("vide.csv"), dir_.filePath("absente.csv")}) {
        QFile::remove(pdf);
        run = runVorlap({"--pdf", pdf, "--merge", list, label_});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains(QFileInfo(list).fileName()), qPrintable(run.errors));
        QVERIFY(!QFile::exists(pdf));
    }
}

void TestMergeSheet::theExampleLabelPrintsItsList() {
    // The label names its list beside it; the list's quoted separator and line break, its
    // doubled quotes and its accents reach the page.
    const QString pdf = dir_.filePath("exemple.pdf");
    const Run run = runVorlap({"--pdf", pdf, QFINDTESTDATA("../../examples/adresses-fusion.etq")});
    QCOMPARE(run.exitCode, 0);
    const QString text = pageText(pdf, 1);
    for (const char* filled :
         {"Mme H\xC3\xA9l\xC3\xA8ne Dupr\xC3\xA9",
          "12, rue des \xC3\x89"
          "coles",
          "75005 Paris",
          "B\xC3\xA2t. B 3 all\xC3\xA9"
          "e des Pins",
          "ZI du Moulin; lot 7", "5, impasse du \"Vieux Puits\"", "13001 Marseille"})
        QVERIFY2(text.contains(QString::fromUtf8(filled)), qPrintable(text));
    QVERIFY2(!text.contains('{'), qPrintable(text));
}

QTEST_MAIN(TestMergeSheet)
#include "tst_mergesheet.moc"
