#include "PrintedSheet.h"

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
        for (const QString& failure : sheet.check(pdf))
            failures << sheet.name + QStringLiteral(": ") + failure;
    }
    for (const QString& failure : failures)
        qWarning().noquote() << failure;
    QVERIFY2(failures.isEmpty(), "the sheet differs as said above");
}

QTEST_MAIN(TestTrueSize)
#include "tst_truesize.moc"
