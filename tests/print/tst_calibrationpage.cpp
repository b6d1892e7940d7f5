#include "CalibrationPage.h"
#include "PrintDevice.h"
#include "PrintedSheet.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The calibration page's crosses lie where it says, at every resolution and moved by the
// offset it was printed with, measured on the page that poppler draws from its PDF.
class TestCalibrationPage : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase();
    void crossesAtTheirPlaces_data();
    void crossesAtTheirPlaces();
};

void TestCalibrationPage::initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        QSKIP("pdftoppm is not installed (Debian package poppler-utils)");
    QVERIFY(dir_.isValid());
}

void TestCalibrationPage::crossesAtTheirPlaces_data() {
    QTest::addColumn<bool>("commandLine");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QPointF>("offset");
    QTest::newRow("150 dpi") << false << 150 << QPointF();
    QTest::newRow("1200 dpi") << false << 1200 << QPointF();
    QTest::newRow("offset 0.7,-0.4") << false << 600 << QPointF(0.7, -0.4);
    QTest::newRow("vorlap --offset 1.5,-2") << true << 300 << QPointF(1.5, -2);
}

void TestCalibrationPage::crossesAtTheirPlaces() {
    QFETCH(bool, commandLine);
    QFETCH(int, dpi);
    QFETCH(QPointF, offset);
    const QString pdf = dir_.filePath(QStringLiteral("calibrage.pdf"));
    if (commandLine) {
        QProcess vorlap;
        vorlap.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        vorlap.start(QStringLiteral(VORLAP_BINARY),
                     {"--calibration-page", "--pdf", pdf, "--dpi", QString::number(dpi), "--offset",
                      QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())});
        QVERIFY(vorlap.waitForFinished(60000));
        QCOMPARE(vorlap.exitCode(), 0);
    } else {
        PdfFileDevice device(pdf, dpi);
        printCalibrationPage(device, offset, QStringLiteral("Bureau"));
    }
    QCOMPARE(PrintedSheet::qpdfProblems(pdf), QString());

    const QList<QPointF> meant = calibrationCrosses(QSizeF(210, 297));
    QCOMPARE(meant.size(), 8);
    QList<QPointF> expected;
    for (const QPointF& cross : meant)
        expected.append(cross + offset);
    const QList<std::optional<QPointF>> found = PrintedSheet::crossCentres(pdf, expected, 600);
    QStringList failures;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        if (!found[i]) {
            failures
                << QStringLiteral("no cross near %1, %2").arg(expected[i].x()).arg(expected[i].y());
            continue;
        }
        const QPointF error = *found[i] - expected[i];
        qInfo("cross %.0f, %.0f mm: at %.3f, %.3f mm", meant[i].x(), meant[i].y(), found[i]->x(),
              found[i]->y());
        // Half the tenth of a millimetre to which the page is read: a page shrunk by 0.05 %
        // misses it.
        if (qAbs(error.x()) > 0.05 || qAbs(error.y()) > 0.05)
            failures << QStringLiteral("the cross meant at %1, %2 mm is at %3, %4 mm")
                            .arg(expected[i].x())
                            .arg(expected[i].y())
                            .arg(found[i]->x(), 0, 'f', 3)
                            .arg(found[i]->y(), 0, 'f', 3);
    }
    for (const QString& failure : failures)
        qWarning().noquote() << failure;
    QVERIFY2(failures.isEmpty(), "the crosses are off as said above");

    // The page says which offset it carries and how to read it, in French.
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
    QVERIFY(text.waitForFinished(60000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    const QString french = QLocale(QLocale::French).toString(offset.x(), 'f', 1);
    for (const QString& said :
         {QStringLiteral("Page de calibrage de l'imprimante"),
          QStringLiteral("Imprimante : %1").arg(commandLine ? "aucune (fichier)" : "Bureau"),
          QStringLiteral("horizontal %1 mm").arg(french),
          QStringLiteral("21,5 mm du bord gauche, entrez -1,5 comme décalage horizontal")})
        QVERIFY2(words.contains(said), qPrintable(said + " not in: " + words));
}

QTEST_MAIN(TestCalibrationPage)
#include "tst_calibrationpage.moc"
