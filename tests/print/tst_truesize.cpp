#include "PrintedSheet.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// Zoom 100 is true size on paper: `vorlap --pdf` at any resolution prints the labels' frames,
// circle and text at their size in millimetres, measured on the page that poppler draws.
class TestTrueSize : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QList<PrintedSheet::TrueSizeCase> cases_;

private slots:
    void initTestCase();
    void pdfAtEveryResolution_data();
    void pdfAtEveryResolution();
    void theOffsetMovesEverythingOnPaperOnly();
};

void TestTrueSize::initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        QSKIP("pdftoppm is not installed (Debian package poppler-utils)");
    QVERIFY(dir_.isValid());
    cases_ = PrintedSheet::trueSizeCases(dir_.path());
}

void TestTrueSize::pdfAtEveryResolution_data() {
    QTest::addColumn<int>("dpi");
    for (const int dpi : {150, 300, 600, 1200})
        QTest::addRow("%d dpi", dpi) << dpi;
}

void TestTrueSize::pdfAtEveryResolution() {
    QFETCH(int, dpi);
    QStringList failures;
    for (const PrintedSheet::TrueSizeCase& sheet : cases_) {
        const QString pdf = dir_.filePath(QStringLiteral("planche.pdf"));
        QProcess vorlap;
        vorlap.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        vorlap.start(QStringLiteral(VORLAP_BINARY),
                     QStringList{"--pdf", pdf, "--dpi", QString::number(dpi)} + sheet.options +
                         QStringList{sheet.label});
        QVERIFY(vorlap.waitForFinished(60000));
        QCOMPARE(vorlap.exitCode(), 0);
        QCOMPARE(PrintedSheet::qpdfProblems(pdf), QString());
        for (const QString& failure : sheet.check(pdf))
            failures << sheet.name + QStringLiteral(": ") + failure;
    }
    for (const QString& failure : failures)
        qWarning().noquote() << failure;
    QVERIFY2(failures.isEmpty(), "the sheet differs as said above");
}

namespace {

// The first two frames of the address label's sheet, printed into a PDF by `vorlap --pdf` run
// in `startDir` with the extra options, each measured from a point just inside its corner.
QList<QRectF> printedFrames(const QString& label, const QString& startDir,
                            const QStringList& options, QPointF inside) {
    const QString pdf = QDir(startDir).filePath(QStringLiteral("planche.pdf"));
    QProcess vorlap;
    vorlap.setWorkingDirectory(startDir);
    vorlap.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    vorlap.start(QStringLiteral(VORLAP_BINARY),
                 QStringList{"--pdf", pdf, "--dpi", "1200", "--margins", "10,15,0,0"} + options +
                     QStringList{label});
    if (!vorlap.waitForFinished(60000) || vorlap.exitCode() != 0 ||
        !PrintedSheet::qpdfProblems(pdf).isEmpty())
        return {};
    const QRectF area(0, 0, 160, 60);
    return {PrintedSheet::frameAround(pdf, area, inside, 1200),
            PrintedSheet::frameAround(pdf, area, inside + QPointF(70, 0), 1200)};
}

} // namespace

void TestTrueSize::theOffsetMovesEverythingOnPaperOnly() {
    // The settings hold offsets for printers, which a PDF never takes.
    QTemporaryDir withOffsets;
    QFile ini(withOffsets.filePath(QStringLiteral("Vorlap.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("0 0 0 0 100\r\nVorlapPDF\t30\t-30\r\nPDF\t-15\t20\r\n");
    ini.close();
    const QString label = cases_.value(0).label;
    const QList<QRectF> plain = printedFrames(label, dir_.path(), {}, {11, 16});
    const QList<QRectF> settled = printedFrames(label, withOffsets.path(), {}, {11, 16});
    const QList<QRectF> moved =
        printedFrames(label, withOffsets.path(), {"--offset", "1.5,-2"}, {12.5, 14});
    QCOMPARE(plain.size(), 2);
    QCOMPARE(settled, plain);
    QCOMPARE(moved.size(), 2);
    // A raster pixel at 1200 dpi, on which the PDF's own pixels fall.
    const double pixel = 25.4 / 1200;
    for (int i = 0; i < 2; ++i) {
        QVERIFY(!plain[i].isNull() && !moved[i].isNull());
        // Both corners, so that the frame moves whole rather than stretching.
        for (const auto corner : {&QRectF::topLeft, &QRectF::bottomRight}) {
            const QPointF shift = (moved[i].*corner)() - (plain[i].*corner)();
            qInfo("frame %d: corner at %.3f, %.3f mm, with the offset at %.3f, %.3f mm: moved "
                  "%.4f, %.4f mm",
                  i + 1, (plain[i].*corner)().x(), (plain[i].*corner)().y(),
                  (moved[i].*corner)().x(), (moved[i].*corner)().y(), shift.x(), shift.y());
            QVERIFY2(qAbs(shift.x() - 1.5) <= pixel && qAbs(shift.y() + 2) <= pixel,
                     qPrintable(QStringLiteral("moved %1, %2 mm").arg(shift.x()).arg(shift.y())));
        }
    }
}

QTEST_MAIN(TestTrueSize)
#include "tst_truesize.moc"
