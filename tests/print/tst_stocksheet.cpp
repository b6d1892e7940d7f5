#include "LabelDocument.h"
#include "PrintedSheet.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

const QByteArray kStyle = "100FFFFFF00100000000000000000C0Arial";

// A label of `width` x `height` whole millimetres with a frame on its border.
void writeFrameLabel(const QString& path, int width, int height, const QByteArray& extra = {}) {
    const QByteArray header = LineCodec::writeHeader({width, height, 0, 0});
    QByteArray content = header + "\r\n 0BLANK\r\n 0RECT " +
                         LineCodec::writeRect(0, 0, 4 * width, 4 * height) + '\t' + kStyle +
                         "\r\n" + extra;
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

bool runVorlap(const QStringList& arguments, QByteArray* out = nullptr) {
    QProcess vorlap;
    vorlap.start(QStringLiteral(VORLAP_BINARY), arguments);
    if (!vorlap.waitForFinished(60000) || vorlap.exitCode() != 0) {
        qWarning().noquote() << vorlap.readAllStandardError();
        return false;
    }
    if (out)
        *out = vorlap.readAllStandardOutput();
    return true;
}

} // namespace

// Sheets measured on the page poppler draws: a partly used sheet prints only the cells asked
// for, and a label printed on catalogue stock lands where the maker's figures say.
class TestStockSheet : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase();
    void aPartlyUsedSheetPrintsTheCellsAskedFor();
    void theStockTravelsWithTheLabel();
    void catalogueSheetsLandWhereTheirFiguresSay();
};

void TestStockSheet::initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        QSKIP("pdftoppm is not installed (Debian package poppler-utils)");
    QVERIFY(dir_.isValid());
}

void TestStockSheet::aPartlyUsedSheetPrintsTheCellsAskedFor() {
    // 70 x 37 mm: 3 columns of 8 rows, cell n at ((n - 1) % 3 x 70, (n - 1) / 3 x 37) mm.
    const QString label = dir_.filePath("cadre.etq");
    writeFrameLabel(label, 70, 37);
    const QString pdf = dir_.filePath("partie.pdf");
    QVERIFY(runVorlap({"--pdf", pdf, "--margins", "0,0,0,0", "--zoom", "100", "--first", "5",
                       "--count", "4", label}));
    QCOMPARE(PrintedSheet::qpdfProblems(pdf), QString());
    QList<QPointF> insides;
    for (int n = 1; n <= 24; ++n)
        insides.append(QPointF((n - 1) % 3 * 70 + 5, (n - 1) / 3 * 37 + 5));
    const QList<QRectF> frames = PrintedSheet::framesAround(pdf, insides, 300);
    QStringList printed;
    for (int n = 1; n <= 24; ++n)
        if (!frames[n - 1].isNull())
            printed.append(QString::number(n));
    QCOMPARE(printed, (QStringList{"5", "6", "7", "8"}));
}

void TestStockSheet::theStockTravelsWithTheLabel() {
    // A label saved with its stock opens with it, and a reader's lines never show it.
    SheetStock stock;
    stock.code = "TEST 21";
    stock.labelWidth = 6350;
    stock.labelHeight = 3810;
    stock.columns = 3;
    stock.rows = 7;
    stock.hPitch = 6600;
    stock.vPitch = 3810;
    stock.left = 720;
    stock.top = 1515;
    const QString path = dir_.filePath("stock.etq");
    LabelDocument document;
    document.setFormat(stock.format());
    document.Stock = stock;
    document.save(path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> saved = file.readAll().split('\n');
    // The header keeps its 12 characters; the stock is an object line of its own.
    QCOMPARE(saved[0], QByteArray("03F026003000\r"));
    QVERIFY(
        saved[2].startsWith(" 0SHEET 000000000000018CE00EE2019C800EE2002D0005EB03070TEST 21\t"));
    LabelDocument reopened;
    reopened.load(path);
    QCOMPARE(reopened.Stock, std::optional<SheetStock>(stock));
    QCOMPARE(reopened.Lines, (LineList{"03F026003000", " 0BLANK"}));

    // Printed from the file alone, the cells follow the stock: 7.2 mm from the left edge and
    // 15.15 mm from the top, 66 mm and 38.1 mm apart, whatever the page setup's margins.
    writeFrameLabel(path, 63, 38, StockLine::write(stock) + "\r\n");
    const QString pdf = dir_.filePath("stock.pdf");
    QVERIFY(runVorlap({"--pdf", pdf, "--margins", "20,20,0,0", "--zoom", "100", path}));
    QCOMPARE(PrintedSheet::qpdfProblems(pdf), QString());
    QList<QPointF> corners;
    for (int row = 0; row < 7; ++row)
        for (int column = 0; column < 3; ++column)
            corners.append(QPointF(7.2 + 66.0 * column, 15.15 + 38.1 * row));
    QList<QPointF> insides;
    for (const QPointF& corner : corners)
        insides.append(corner + QPointF(5, 5));
    const int dpi = 600;
    const QList<QRectF> frames = PrintedSheet::framesAround(pdf, insides, dpi);
    const double tolerance = 0.1 + PrintedSheet::pixelMillimetres(dpi);
    for (int i = 0; i < corners.size(); ++i) {
        QVERIFY2(!frames[i].isNull(), qPrintable(QString("no frame in cell %1").arg(i + 1)));
        QVERIFY2(std::abs(frames[i].left() - corners[i].x()) <= tolerance &&
                     std::abs(frames[i].top() - corners[i].y()) <= tolerance,
                 qPrintable(QString("cell %1 at %2, %3 mm, not %4, %5")
                                .arg(i + 1)
                                .arg(frames[i].left())
                                .arg(frames[i].top())
                                .arg(corners[i].x())
                                .arg(corners[i].y())));
    }
}

void TestStockSheet::catalogueSheetsLandWhereTheirFiguresSay() {
    // The figures come from the catalogue file as written; the program's listing must give the
    // same, and the frames printed with --sheet must sit on them, the page setup's margins
    // notwithstanding. A 21-up address sheet, a 2-up CD sheet, a sheet of round labels.
    QFile data(QFINDTESTDATA("../../data/planches.txt"));
    QVERIFY(data.open(QIODevice::ReadOnly | QIODevice::Text));
    QMap<QString, QStringList> figures;
    for (const QByteArray& line : data.readAll().split('\n')) {
        const QStringList fields = QString::fromUtf8(line).split(';');
        if (fields.size() > 10 && !line.startsWith('#'))
            figures.insert(fields[0], fields);
    }
    QByteArray listing;
    QVERIFY(runVorlap({"--list-sheets"}, &listing));
    const int dpi = 600;
    const double tolerance = 0.1 + PrintedSheet::pixelMillimetres(dpi);
    for (const QString code : {"L7160", "L7676", "L7670"}) {
        const QStringList f = figures.value(code);
        QVERIFY2(f.size() > 10, qPrintable(code + " is not in the catalogue"));
        const auto mm = [&](int field) { return f[field].toDouble(); };
        const double width = mm(2), height = mm(3), hPitch = mm(6), vPitch = mm(7);
        const double left = mm(8), top = mm(9);
        const int columns = f[4].toInt(), rows = f[5].toInt();
        const QByteArray listed = (QStringList{code, f[1]} + f.mid(2, 8)).join('\t').toUtf8();
        QVERIFY2(listing.split('\n').contains(listed), listed.constData());

        const QString label = dir_.filePath(code + ".etq");
        writeFrameLabel(label, int(width), int(height));
        const QString pdf = dir_.filePath(code + ".pdf");
        QVERIFY(runVorlap(
            {"--pdf", pdf, "--margins", "20,20,0,0", "--zoom", "100", "--sheet", code, label}));
        QCOMPARE(PrintedSheet::qpdfProblems(pdf), QString());
        QList<QPointF> corners;
        QList<QPointF> insides;
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < columns; ++column) {
                corners.append(QPointF(left + hPitch * column, top + vPitch * row));
                insides.append(corners.last() + QPointF(5, 5));
            }
        const QList<QRectF> frames = PrintedSheet::framesAround(pdf, insides, dpi);
        for (int i = 0; i < corners.size(); ++i)
            QVERIFY2(std::abs(frames[i].left() - corners[i].x()) <= tolerance &&
                         std::abs(frames[i].top() - corners[i].y()) <= tolerance,
                     qPrintable(QString("%1, cell %2 at %3, %4 mm, not %5, %6")
                                    .arg(code)
                                    .arg(i + 1)
                                    .arg(frames[i].left())
                                    .arg(frames[i].top())
                                    .arg(corners[i].x())
                                    .arg(corners[i].y())));
    }
}

QTEST_MAIN(TestStockSheet)
#include "tst_stocksheet.moc"
