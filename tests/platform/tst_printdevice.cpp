#include "FileSizeLimit.h"
#include "PrintDevice.h"
#include "PrintedSheet.h"
#include "UserError.h"

#include <QDir>
#include <QPageLayout>
#include <QPaintEngine>
#include <QPrintEngine>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int pdfPageCount(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page\\b(?!s)"));
    return int(QString::fromLatin1(pdf).count(page));
}

void drawMark(QPainter& painter) {
    painter.fillRect(QRect(100, 100, 50, 50), Qt::black);
}

// A printer as CUPS presents one to Qt, without CUPS: it may count copies itself, and it
// records what the job asked of it.
class FakeEngine : public QPaintEngine, public QPrintEngine {
public:
    FakeEngine() : QPaintEngine(AllFeatures) {}

    bool countsCopies = true;
    int copies = 1;
    int pages = 0;
    int jobs = 0;
    bool aborted = false;
    bool fullPage = false;
    QString outputFile;
    QPrinter::PrinterState state = QPrinter::Idle;

    bool begin(QPaintDevice*) override {
        state = QPrinter::Active;
        pages = 1;
        aborted = false;
        return true;
    }
    bool end() override {
        state = QPrinter::Idle;
        jobs += aborted ? 0 : 1;
        return true;
    }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    Type type() const override { return User; }

    void setProperty(PrintEnginePropertyKey key, const QVariant& value) override {
        if (key == PPK_CopyCount)
            copies = value.toInt();
        if (key == PPK_FullPage)
            fullPage = value.toBool();
    }
    QVariant property(PrintEnginePropertyKey key) const override {
        switch (key) {
        case PPK_SupportsMultipleCopies:
            return countsCopies;
        case PPK_CopyCount:
            return copies;
        case PPK_Resolution:
            return 300;
        case PPK_FullPage:
            return fullPage;
        case PPK_OutputFileName:
            return outputFile;
        case PPK_QPageLayout:
            return QVariant::fromValue(
                QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        default:
            return {};
        }
    }
    bool newPage() override {
        ++pages;
        return true;
    }
    bool abort() override {
        aborted = true;
        return true;
    }
    int metric(QPaintDevice::PaintDeviceMetric metric) const override {
        switch (metric) {
        case QPaintDevice::PdmWidth:
            return 2480;
        case QPaintDevice::PdmHeight:
            return 3508;
        case QPaintDevice::PdmWidthMM:
            return 210;
        case QPaintDevice::PdmHeightMM:
            return 297;
        case QPaintDevice::PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        case QPaintDevice::PdmDepth:
            return 32;
        case QPaintDevice::PdmNumColors:
            return INT_MAX;
        case QPaintDevice::PdmDevicePixelRatio:
            return 1;
        default:
            return 300;
        }
    }
    QPrinter::PrinterState printerState() const override { return state; }
};

class FakePrinter : public QPrinter {
public:
    // A printer that prints to a file: whether the machine has a default printer plays no part.
    FakePrinter() {
        setOutputFormat(QPrinter::PdfFormat);
        setEngines(&engine, &engine);
    }
    FakeEngine engine;
};

} // namespace

class TestPrintDevice : public QObject {
    Q_OBJECT
private slots:
    void aPdfAppearsOnlyWhenTheJobEnds();
    void aFailedPdfLeavesNoFile();
    void copiesAreRepeatedPagesWhereTheDeviceCannotCountThem();
    void aPrinterThatCountsCopiesGetsOneJobOfOnePage();
    void imagePagesAreA4AtTheirResolution();
};

void TestPrintDevice::aPdfAppearsOnlyWhenTheJobEnds() {
    QTemporaryDir dir;
    const QString path = dir.filePath("planche.pdf");
    PdfFileDevice device(path, 300);
    QCOMPARE(device.pageMillimetres(), QSizeF(210, 297));
    QVERIFY(device.begin());
    // The painter spans the whole page that the layout is told about.
    QCOMPARE(QSize(device.painter()->device()->width(), device.painter()->device()->height()),
             device.pagePixels());
    QCOMPARE(device.painter()->device()->logicalDpiX(), 300);
    QVERIFY(device.painter()->testRenderHint(QPainter::LosslessImageRendering));
    drawMark(*device.painter());
    // Pages go to the disk as they are done, beside the target: pictures that do not compress
    // are there before the job ends, and the memory does not hold them.
    for (int page = 0; page < 3; ++page) {
        QImage noise(512, 512, QImage::Format_RGB32);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, QRandomGenerator::global()->generate());
        device.painter()->drawImage(QPoint(100, 100), noise);
        QVERIFY(device.newPage());
    }
    const QFileInfoList during = QDir(dir.path()).entryInfoList(QDir::Files | QDir::Hidden);
    QCOMPARE(during.size(), 1);
    QVERIFY(during[0].fileName().startsWith("planche.pdf."));
    QVERIFY2(during[0].size() > 3 * 512 * 512 * 3, qPrintable(QString::number(during[0].size())));
    QVERIFY(device.end());
    QVERIFY(fileBytes(path).startsWith("%PDF"));
    QCOMPARE(pdfPageCount(fileBytes(path)), 4);
    QCOMPARE(PrintedSheet::qpdfProblems(path), QString());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"planche.pdf"});

    // Three copies, three identical pages, whatever the resolution; the file it replaces keeps
    // its permissions.
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(path, permissions));
    PdfFileDevice fine(path, 600);
    printCopies(fine, 3, [&](QPainter& painter) {
        QCOMPARE(QSize(painter.device()->width(), painter.device()->height()), fine.pagePixels());
        drawMark(painter);
    });
    QCOMPARE(pdfPageCount(fileBytes(path)), 3);
    QCOMPARE(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser), permissions);
}

void TestPrintDevice::aFailedPdfLeavesNoFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("planche.pdf");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    const auto onlyTheOldFile = [&] {
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"planche.pdf"});
        QCOMPARE(fileBytes(path), QByteArray("old"));
    };

    PdfFileDevice device(path, 300);
    QVERIFY(device.begin());
    drawMark(*device.painter());
    device.abort();
    onlyTheOldFile();

    // A drawing that throws half-way through the copies aborts the job.
    int drawn = 0;
    QVERIFY_THROWS_EXCEPTION(UserError, printCopies(device, 3, [&](QPainter& painter) {
                                 drawMark(painter);
                                 if (++drawn == 2)
                                     throw UserError::notAnInteger("$XYZ");
                             }));
    QCOMPARE(drawn, 2);
    onlyTheOldFile();
    QVERIFY(!device.painter());

    // A disk that fills up during the write.
    FileSizeLimit limit(200);
    QVERIFY(limit.active());
    QVERIFY(device.begin());
    for (int i = 0; i < 200; ++i)
        device.painter()->drawText(10, 40 + 20 * i, QString::number(i));
    QVERIFY(!device.end());
    QCOMPARE(device.errorText(),
             QString("Ne peut créer le fichier %1").arg(QDir::toNativeSeparators(path)));
    onlyTheOldFile();

    // A folder that does not exist.
    PdfFileDevice nowhere(dir.filePath("absent/planche.pdf"), 300);
    QVERIFY(!nowhere.begin());
    QVERIFY(nowhere.errorText().startsWith("Ne peut créer le fichier "));
}

void TestPrintDevice::copiesAreRepeatedPagesWhereTheDeviceCannotCountThem() {
    ImagePagesDevice device(100);
    int drawn = 0;
    printCopies(device, 3, [&](QPainter& painter) {
        // Each copy starts from the same painter, whatever the previous one left.
        QCOMPARE(painter.pen().color(), QColor(Qt::black));
        painter.setPen(Qt::red);
        painter.drawLine(0, 0, 50, 50);
        ++drawn;
    });
    QCOMPARE(drawn, 3);
    QCOMPARE(device.pages().size(), 3);
    QCOMPARE(device.pages()[2], device.pages()[0]);
    QCOMPARE(device.pages()[0].pixel(20, 20), qRgb(255, 0, 0));

    // A drawing that throws leaves nothing printed.
    QVERIFY_THROWS_EXCEPTION(UserError, printCopies(device, 2, [](QPainter&) {
                                 throw UserError::notAnInteger("$XYZ");
                             }));
    QVERIFY(device.pages().isEmpty());
    QVERIFY(!device.painter());

    // A printer that prints to a PDF file cannot count copies either.
    QTemporaryDir dir;
    QPrinter printer;
    printer.setOutputFileName(dir.filePath("imprimante.pdf"));
    PrinterDevice toFile(printer);
    QCOMPARE(toFile.setCopies(2), 2);
    QCOMPARE(toFile.pageMillimetres(), QSizeF(210, 297));
}

void TestPrintDevice::aPrinterThatCountsCopiesGetsOneJobOfOnePage() {
    QTemporaryDir dir;
    FakePrinter printer;
    printer.engine.outputFile = dir.filePath("fake");
    PrinterDevice device(printer);
    QVERIFY(printer.fullPage());
    int drawn = 0;
    printCopies(device, 2, [&](QPainter& painter) {
        QVERIFY(painter.testRenderHint(QPainter::LosslessImageRendering));
        ++drawn;
    });
    QCOMPARE(drawn, 1);
    QCOMPARE(printer.engine.pages, 1);
    QCOMPARE(printer.engine.copies, 2);
    QCOMPARE(printer.engine.jobs, 1);

    // A drawing that throws: the job is withdrawn and the printer is free again.
    QVERIFY_THROWS_EXCEPTION(UserError, printCopies(device, 1, [](QPainter&) {
                                 throw UserError::notAnInteger("$XYZ");
                             }));
    QVERIFY(printer.engine.aborted);
    QCOMPARE(printer.engine.jobs, 1);
    QVERIFY(!printer.paintingActive());
    QCOMPARE(printer.engine.state, QPrinter::Idle);

    // One that cannot count them gets the pages.
    printer.engine.countsCopies = false;
    printCopies(device, 3, [&](QPainter&) { ++drawn; });
    QCOMPARE(printer.engine.pages, 3);
    QCOMPARE(printer.engine.copies, 1);

    PrinterDevice missing(QStringLiteral("Imprimante-absente"));
    QVERIFY(!missing.begin());
    QCOMPARE(missing.errorText(), QString("L'imprimante Imprimante-absente n'existe pas"));
}

void TestPrintDevice::imagePagesAreA4AtTheirResolution() {
    ImagePagesDevice device(300);
    QCOMPARE(device.pagePixels(), QSize(2480, 3508));
    QCOMPARE(device.pageMillimetres(), QSizeF(210, 297));
    printCopies(device, 1, [](QPainter& painter) {
        // Fonts given in points take the page's resolution, as on a printer.
        QCOMPARE(painter.device()->logicalDpiX(), 300);
        QCOMPARE(painter.device()->logicalDpiY(), 300);
    });
    const QImage& page = device.pages().value(0);
    QCOMPARE(page.size(), QSize(2480, 3508));
    QCOMPARE(page.format(), QImage::Format_RGB32);
    QCOMPARE(page.pixel(2479, 3507), qRgb(255, 255, 255));
}

QTEST_MAIN(TestPrintDevice)
#include "tst_printdevice.moc"
