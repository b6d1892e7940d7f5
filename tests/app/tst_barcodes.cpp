// Barcodes as a reader sees them: the program draws each symbology into a PDF at 300 dpi and a
// PNG export, and Debian's zbar (zbarimg) reads them back from poppler's raster.
#include "PrintedSheet.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

namespace {

constexpr char kStyle[] = "000FFFFFF00100000000000000000A0Arial";

struct Code {
    const char* keyword;
    QByteArray data; // Windows-1252
    bool matrix;
    // What zbarimg prints for it, the check digit worked out by hand; empty where zbar reads no
    // such symbology (it has no Data Matrix decoder, and its PDF417 one reads nothing).
    QString reading;
};

QList<Code> codes() {
    return {
        {"EAN13", "978020137962", false, "EAN-13:9780201379624"},
        {"EAN8", "1234567", false, "EAN-8:12345670"},
        {"UPCA", "03600029145", false, "UPC-A:036000291452"},
        {"CODE128", "Vorlap-128 /x", false, "CODE-128:Vorlap-128 /x"},
        {"CODE39", "VORLAP-39", false, "CODE-39:VORLAP-39"},
        {"ITF14", "1234567890123", false, "I2/5:12345678901231"},
        {"QRCODE", "https://exemple.fr/\xE9tiquette?n=42", true,
         QStringLiteral("QR-Code:https://exemple.fr/étiquette?n=42")},
        {"DATAMATRIX", "Vorlap Data Matrix", true, {}},
        {"PDF417", "Vorlap PDF417", true, {}},
    };
}

QByteArray barcodeLine(const Code& code, int left, int top, int width, int height) {
    return " 0BARCODE " +
           QStringLiteral("%1%2%3%4")
               .arg(left, 3, 16, QChar('0'))
               .arg(top, 3, 16, QChar('0'))
               .arg(left + width, 3, 16, QChar('0'))
               .arg(top + height, 3, 16, QChar('0'))
               .toUpper()
               .toLatin1() +
           code.keyword + ' ' + code.data + '\t' + kStyle;
}

void writeLabel(const QString& path, const QByteArray& header, const QList<QByteArray>& objects) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(header + "\r\n 0BLANK\r\n");
    for (const QByteArray& line : objects)
        file.write(line + "\r\n");
}

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return QStringLiteral("(timed out)");
    return QString::fromUtf8(process.readAllStandardOutput());
}

// What zbarimg reads in an image, one "SYMBOLOGY:data" a symbol, sorted.
QStringList readings(const QString& image) {
    QStringList lines = run(QStringLiteral("zbarimg"), {"-q", "-Supca.enable", image})
                            .split('\n', Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}

// The widths of the dark and light runs across one row of an image, within [from, to).
QList<int> runs(const QImage& image, int y, int from, int to) {
    QList<int> widths;
    bool dark = qGray(image.pixel(from, y)) < 128;
    int start = from;
    for (int x = from; x < to; ++x) {
        const bool d = qGray(image.pixel(x, y)) < 128;
        if (d != dark) {
            widths.append(x - start);
            start = x;
            dark = d;
        }
    }
    return widths;
}

} // namespace

class TestBarcodes : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everySymbologyReadsBackFromThePdf();
    void thePngExportReadsBackAtScreenSize();
};

void TestBarcodes::initTestCase() {
    for (const char* tool : {"zbarimg", "pdftoppm", "pdfimages"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed (zbar-tools, poppler-utils)")
                                 .arg(QString::fromLatin1(tool))));
}

void TestBarcodes::everySymbologyReadsBackFromThePdf() {
    // A 180 x 250 mm label, one sheet a page: three codes a row, 1-D ones 50 x 27.5 mm, the
    // others 40 mm square.
    QTemporaryDir dir;
    QList<QByteArray> objects;
    const QList<Code> all = codes();
    for (int i = 0; i < all.size(); ++i) {
        const int width = all[i].matrix ? 160 : 200;
        const int height = all[i].matrix ? 160 : 110;
        objects.append(barcodeLine(all[i], (i % 3) * 240 + 20, (i / 3) * 330 + 20, width, height));
    }
    const QString label = dir.filePath("codes.etq");
    writeLabel(label, "0B40FA000000", objects);
    const QString pdf = dir.filePath("codes.pdf");
    QProcess vorlap;
    vorlap.start(QStringLiteral(VORLAP_BINARY),
                 {"--pdf", pdf, "--dpi", "300", "--margins", "10,10,10,10", "--count", "1", label});
    QVERIFY(vorlap.waitForFinished(60000));
    QCOMPARE(vorlap.exitCode(), 0);
    QCOMPARE(PrintedSheet::qpdfProblems(pdf), QString());

    // Vector output: the page holds no picture at all.
    const QStringList images = run("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(images.size(), 2); // the listing's two header lines

    const QString page = dir.filePath("page");
    run("pdftoppm", {"-r", "300", "-png", "-singlefile", pdf, page});
    QStringList expected;
    for (const Code& code : all)
        if (!code.reading.isEmpty())
            expected.append(code.reading);
    expected.sort();
    QCOMPARE(readings(page + ".png"), expected);

    // Whole modules: across the EAN-13 every bar and space is a whole number of the narrowest
    // one's pixels (at 300 dpi, the PDF's own pixels). The label's corner is 10 mm in, the code
    // 5 mm further; its bars are at least 20 mm high.
    const QImage raster(page + ".png");
    const int y = int((15 + 10) / 25.4 * 300);
    const int from = int(10 / 25.4 * 300);
    const int to = int((15 + 50 + 2) / 25.4 * 300);
    QList<int> widths = runs(raster, y, from, to);
    QVERIFY(widths.size() > 2);
    widths = widths.mid(1);      // the margin before the quiet zone; the one after ends no run
    QCOMPARE(widths.size(), 59); // 30 bars and the 29 spaces between them
    const int module = *std::min_element(widths.begin(), widths.end());
    QCOMPARE(module, 5); // 50 mm hold 113 modules of 5 pixels (quiet zones included), not 6
    for (int width : widths)
        QVERIFY2(width % module == 0 && width <= 4 * module, qPrintable(QString::number(width)));
}

void TestBarcodes::thePngExportReadsBackAtScreenSize() {
    // One code a label, as the label window shows it: 4 pixels a millimetre, so a module is 2 or
    // 3 screen pixels in these boxes.
    QTemporaryDir dir;
    for (const Code& code : codes()) {
        if (code.reading.isEmpty())
            continue;
        const QString label = dir.filePath(QString::fromLatin1(code.keyword) + ".etq");
        writeLabel(label, "06E03C000000", {barcodeLine(code, 8, 8, 420, code.matrix ? 200 : 120)});
        const QString png = dir.filePath(QString::fromLatin1(code.keyword) + ".png");
        QProcess vorlap;
        vorlap.start(QStringLiteral(VORLAP_BINARY), {"--png", png, label});
        QVERIFY(vorlap.waitForFinished(60000));
        QCOMPARE(vorlap.exitCode(), 0);
        QCOMPARE(readings(png), QStringList{code.reading});
    }
}

QTEST_MAIN(TestBarcodes)
#include "tst_barcodes.moc"
