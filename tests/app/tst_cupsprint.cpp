#include "CupsJobs.h"
#include "MainFormFixture.h"
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
    void jobsAndPdfsAreNamedAfterTheLabel();
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

void TestCupsPrint::jobsAndPdfsAreNamedAfterTheLabel() {
    const QString label = dir_.filePath(QStringLiteral("adresse.etq"));
    QVERIFY(QFile::copy(PrintedSheet::trueSizeCases(dir_.path()).value(0).label, label));
    const QString pdf = dir_.filePath(QStringLiteral("adresse.pdf"));
    Run run = vorlap({"--pdf", pdf, label});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY(pdfinfo.waitForFinished(60000));
    const QStringList title = QString::fromUtf8(pdfinfo.readAllStandardOutput())
                                  .split('\n')
                                  .filter(QRegularExpression(QStringLiteral("^Title:")));
    QCOMPARE(title.size(), 1);
    QCOMPARE(title[0].mid(6).trimmed(), QString("adresse.etq"));

    // The command line's job, then the main window's.
    const qsizetype before = CupsJobs::settled(queue_).size();
    run = vorlap({"--print", "--printer", queue_, label});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    MainFormFixture window;
    window.etiq().Charge(label);
    QCOMPARE(window.form->printer()->printerName(), queue_);
    window.script->modalAnswers.enqueue([](QDialog*) { return int(QDialog::Accepted); });
    window.form->PrintClick();
    const QList<CupsJobs::Job> jobs = CupsJobs::settled(queue_).mid(before);
    QCOMPARE(jobs.size(), 2);
    for (const CupsJobs::Job& job : jobs) {
        QCOMPARE(job.title, QString("adresse.etq"));
        QVERIFY(job.completed);
        QCOMPARE(QFileInfo(CupsJobs::pdfOf(job)).fileName(),
                 QStringLiteral("adresse-job_%1.pdf").arg(job.id));
    }
}

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
