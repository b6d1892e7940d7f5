#include "Barcode.h"
#include "LabelPainter.h"
#include "LabelWindowFixture.h"
#include "LineRenderer.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr char kStyle[] = "000FFFFFF00100000000000000000A0Arial";

const SymbologyInfo& symbology(const char* keyword) {
    return *Barcodes::find(keyword);
}

// The bars' pixels (black) of a surface drawn from these object lines.
int blackPixels(const QImage& surface, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += (surface.pixel(x, y) & 0xFFFFFF) == 0;
    return count;
}

} // namespace

class TestBarcode : public QObject {
    Q_OBJECT
private slots:
    void badDataIsRefusedInFrench_data();
    void badDataIsRefusedInFrench();
    void theToolRecordsWhatTheDialogGives();
    void aFileWithABarcodeRoundTrips();
    void hostileLinesDrawNothingAndQuickly();
    void theSymbolFillsItsBoxInWholeModules();
};

void TestBarcode::badDataIsRefusedInFrench_data() {
    QTest::addColumn<QByteArray>("keyword");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("message");
    QTest::newRow("EAN-13 court") << QByteArray("EAN13") << QByteArray("97802013796")
                                  << "Donnée invalide pour EAN-13 : 12 chiffres attendus";
    QTest::newRow("EAN-13 et son chiffre de contrôle")
        << QByteArray("EAN13") << QByteArray("9780201379624")
        << "Donnée invalide pour EAN-13 : 12 chiffres attendus";
    QTest::newRow("EAN-8") << QByteArray("EAN8") << QByteArray("12345a7")
                           << "Donnée invalide pour EAN-8 : 7 chiffres attendus";
    QTest::newRow("UPC-A") << QByteArray("UPCA") << QByteArray("")
                           << "Donnée invalide pour UPC-A : 11 chiffres attendus";
    QTest::newRow("Code 128 hors Latin-1")
        << QByteArray("CODE128") << QByteArray("prix 5 \x80")
        << "Donnée invalide pour Code 128 : lettres, chiffres et signes de l'alphabet latin "
           "(ISO 8859-1) attendus";
    QTest::newRow("Code 128 long")
        << QByteArray("CODE128") << QByteArray(161, 'A') << "Donnée trop longue pour Code 128";
    QTest::newRow("Code 39") << QByteArray("CODE39") << QByteArray("REF_12")
                             << "Donnée invalide pour Code 39 : chiffres, lettres, espace et - . "
                                "$ / + % attendus";
    QTest::newRow("ITF-14") << QByteArray("ITF14") << QByteArray("12345678901234")
                            << "Donnée invalide pour ITF-14 : 13 chiffres attendus";
    QTest::newRow("QR Code vide") << QByteArray("QRCODE") << QByteArray()
                                  << "Donnée invalide pour QR Code : texte non vide attendu";
    QTest::newRow("QR Code trop long")
        << QByteArray("QRCODE") << QByteArray(7090, '7') << "Donnée trop longue pour QR Code";
    QTest::newRow("Data Matrix") << QByteArray("DATAMATRIX") << QByteArray(3117, '7')
                                 << "Donnée trop longue pour Data Matrix";
    QTest::newRow("PDF417") << QByteArray("PDF417") << QByteArray()
                            << "Donnée invalide pour PDF417 : texte non vide attendu";
    QTest::newRow("au-delà de tout")
        << QByteArray("PDF417") << QByteArray(200000, 'x') << "Donnée trop longue pour PDF417";
}

void TestBarcode::badDataIsRefusedInFrench() {
    QFETCH(QByteArray, keyword);
    QFETCH(QByteArray, data);
    QFETCH(QString, message);
    QCOMPARE(Barcodes::check(symbology(keyword), data), message);
    // The same data makes no object: the dialog keeps it, and a line holding it draws nothing.
    LabelWindowFixture f(1, {" 0BARCODE 00A00A1901F0" + keyword + ' ' + data + '\t' + kStyle});
    f.etiq.Dessine();
    QCOMPARE(blackPixels(f.etiq.surface(), f.etiq.surface().rect()), 0);
}

void TestBarcode::theToolRecordsWhatTheDialogGives() {
    LabelWindowFixture f(12);
    QCOMPARE(f.etiq.Tool, int(TEtiq::ToolBarcode));
    const QImage blank = f.etiq.surface();

    // Cancelled: no object, and the dotted band is gone from the surface.
    f.drag({40, 20}, {240, 160});
    QCOMPARE(f.dialogs.barcodeRuns, 1);
    QVERIFY(f.objects().isEmpty());
    QVERIFY(f.etiq.surface() == blank);
    QVERIFY(!f.etiq.document().Modified);

    // A gesture too short to draw a box asks nothing.
    f.drag({40, 20}, {42, 22});
    QCOMPARE(f.dialogs.barcodeRuns, 1);

    f.dialogs.barcode = NewBarcode{"EAN13 978020137962", true};
    f.drag({240, 160}, {40, 20});
    const QByteArray styles = f.etiq.GetStyles();
    QCOMPARE(f.objects(), LineList{" 0BARCODE 0280140F00A0EAN13 978020137962\t" + styles});
    QVERIFY(blackPixels(f.etiq.surface(), QRect(40, 20, 200, 140)) > 1000);

    // Without its text, the line's font size is 0.
    f.dialogs.barcode = NewBarcode{"QRCODE Vorlap", false};
    f.drag({250, 10}, {350, 110});
    QCOMPARE(f.objects().size(), 2);
    QCOMPARE(f.objects()[1], " 0BARCODE 0FA00A15E06EQRCODE Vorlap\t" +
                                 LineCodec::withStyleField(styles, StyleField::FontSize, "00"));
}

void TestBarcode::aFileWithABarcodeRoundTrips() {
    // Opened, moved and saved by the window, the file comes back byte for byte: data with blanks and
    // accents, a code without text, another on a hatched background, one with a symbology
    // this version does not know.
    const QByteArray content = "04B032000000\r\n 0BLANK\r\n"
                               " 0BARCODE 01400A0F00A0EAN13 978020137962\t000FFFFFF00100000000"
                               "000000000A0Arial\r\n"
                               "#0BARCODE 0100C80C8118QRCODE Caf\xE9 cr\xE8me  \xE0 2 \x80\t1000000"
                               "00000000FF0000FF0000001Times New Roman\r\n"
                               " 3BARCODE 0FA0141A40C8CODE128 A-1 \t>240080FF00501000000000000"
                               "00FF0C2Arial\r\n"
                               " 0BARCODE 0FA0C81A4118AZTEC what is this\t000FFFFFF001000000000"
                               "0000000A0Arial\r\n";
    QTemporaryDir dir;
    const QString path = dir.filePath("codes.etq");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    LabelWindowFixture f;
    f.etiq.Charge(path);
    QCOMPARE(f.objects().size(), 4);
    // Moved there and back with the arrow keys' command, each code keeps its data.
    LineList& lines = f.etiq.document().Lines;
    for (qsizetype i = 2; i < lines.size(); ++i)
        if (lines[i].startsWith(' '))
            lines[i][0] = '*';
    f.etiq.moveSelectionBy(8, 4);
    f.etiq.moveSelectionBy(-8, -4);
    f.etiq.document().Modified = true;
    QVERIFY(f.etiq.Sauve(0));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

void TestBarcode::hostileLinesDrawNothingAndQuickly() {
    // Whatever a file holds, a barcode line draws in bounded time and never throws past its
    // rectangle: data no symbology holds, names unknown, boxes empty, reversed or huge.
    const LineList lines = {
        " 0BARCODE 000000FFFFFFQRCODE " + QByteArray(131072, '9') + '\t' + kStyle,
        " 0BARCODE 000000FFFFFFDATAMATRIX " + QByteArray(131072, '\xFF') + '\t' + kStyle,
        " 0BARCODE 000000FFFFFFPDF417 " + QByteArray(131072, '\x01') + '\t' + kStyle,
        " 0BARCODE 000000FFFFFFCODE128 " + QByteArray(2000, 'x') + '\t' + kStyle,
        " 0BARCODE 0C80C8000000EAN13 978020137962\t" + QByteArray(kStyle),
        " 0BARCODE 0C80C80C80C8QRCODE x\t" + QByteArray(kStyle),
        " 0BARCODE 000000001001ITF14 1234567890123\t" + QByteArray(kStyle),
        " 0BARCODE 000000FFFFFF\t" + QByteArray(kStyle),
        " 0BARCODE 000000FFFFFFQRCODE\t" + QByteArray(kStyle),
        " 0BARCODE 000000FFFFFF qrcode x\t" + QByteArray(kStyle),
        " 0BARCODE 000000FFFFFFEAN13 978020137962\t0",
    };
    QImage image(1200, 1200, QImage::Format_RGB32);
    GdiCanvas canvas(&image);
    LineRenderer renderer(canvas);
    QElapsedTimer timer;
    timer.start();
    for (const QByteArray& line : lines) {
        RenderState state;
        renderer.draw(line, RenderOptions::editor({300, 300, 0, 0}, 1200), state);
    }
    // A preview zoomed far in: the symbol is far larger than the image.
    CellTransform huge;
    huge.scale = 1e5;
    huge.origin = QPointF(-3e6, -3e6);
    RenderState state;
    renderer.draw(" 0BARCODE 000000FFFFFFQRCODE x\t" + QByteArray(kStyle),
                  RenderOptions::previewCell(huge, QRect(0, 0, 1200, 1200)), state);
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
}

void TestBarcode::theSymbolFillsItsBoxInWholeModules() {
    // A QR code of version 1 is 21 modules and 4 of quiet zone each side: 29 across. In a
    // 100 x 60 box it takes 2 pixels a module (58 pixels), centred, the rest of the box white.
    LabelWindowFixture f(1, {" 0BARCODE 00A00A06E046QRCODE Vorlap\t" + QByteArray(kStyle)});
    f.etiq.Dessine();
    const QImage& surface = f.etiq.surface();
    // The box is 10..109 across and 10..69 down; the symbol 58 pixels from (31, 11).
    const QRect symbol(31 + 8, 11 + 8, 42, 42); // without its quiet zone
    QCOMPARE(blackPixels(surface, QRect(10, 10, 100, 60)), blackPixels(surface, symbol));
    // The finder pattern in the top-left corner: 7 modules of dark frame, 14 pixels.
    for (int i = 0; i < 14; ++i) {
        QCOMPARE(surface.pixel(symbol.left() + i, symbol.top()) & 0xFFFFFF, 0u);
        QCOMPARE(surface.pixel(symbol.left(), symbol.top() + i) & 0xFFFFFF, 0u);
    }
    QCOMPARE(surface.pixel(symbol.left() + 14, symbol.top()) & 0xFFFFFF, 0xFFFFFFu);
    QCOMPARE(surface.pixel(symbol.left() - 1, symbol.top()) & 0xFFFFFF, 0xFFFFFFu);
    QCOMPARE(surface.pixel(symbol.left() + 2, symbol.top() + 2) & 0xFFFFFF, 0xFFFFFFu);
    QCOMPARE(surface.pixel(symbol.left() + 4, symbol.top() + 4) & 0xFFFFFF, 0u);
}

QTEST_MAIN(TestBarcode)
#include "tst_barcode.moc"
