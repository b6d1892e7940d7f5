#include "CupsJobs.h"
#include "PrintedSheet.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Printing through a real CUPS server: the one with-cups.sh starts, with a cups-pdf queue whose
// PDF files are what the printer would have put on paper.
class TestCupsPrint : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString queue_;

private slots:
    void initTestCase();
    void commandLinePrintsTrueSize();
};

namespace {

struct Run {
    int exitCode = -1;
    QString errors;
};

Run vorlap(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(VORLAP_BINARY), arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardError())};
}

} // namespace

void TestCupsPrint::initTestCase() {
    queue_ = qEnvironmentVariable("VORLAP_TEST_PRINTER");
    QVERIFY2(!queue_.isEmpty(), "run through tests/support/with-cups.sh, which starts the server");
    QVERIFY(dir_.isValid());
}

void TestCupsPrint::commandLinePrintsTrueSize() {
    const QList<PrintedSheet::TrueSizeCase> cases = PrintedSheet::trueSizeCases(dir_.path());
    const qsizetype before = CupsJobs::settled(queue_).size();
    for (const PrintedSheet::TrueSizeCase& sheet : cases) {
        const Run run = vorlap(QStringList{"--print", "--printer", queue_} + sheet.options +
                               QStringList{sheet.label});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    }
    const QList<CupsJobs::Job> jobs = CupsJobs::settled(queue_).mid(before);
    QCOMPARE(jobs.size(), cases.size());
    QStringList failures;
    for (int i = 0; i < cases.size(); ++i) {
        QVERIFY2(jobs[i].completed, qPrintable(cases[i].name));
        const QString pdf = CupsJobs::pdfOf(jobs[i]);
        QVERIFY2(!pdf.isEmpty(), qPrintable(cases[i].name));
        for (const QString& failure : cases[i].check(pdf))
            failures << cases[i].name + QStringLiteral(": ") + failure;
    }
    for (const QString& failure : failures)
        qWarning().noquote() << failure;
    QVERIFY2(failures.isEmpty(), "the sheet differs as said above");
}

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
