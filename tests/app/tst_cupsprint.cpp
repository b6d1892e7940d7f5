#include "CupsJobs.h"
#include "MainFormFixture.h"
#include "PrintedSheet.h"
#include "UserError.h"

#include <QDoubleSpinBox>
#include <QPrintEngine>
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
    void aRefusedJobIsReported();
    void thePrintDialogsOptionsReachCups();
    void theWindowMakesGoodThePrintersOffset();
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
    QCOMPARE(PrintedSheet::qpdfProblems(pdf), QString());
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
        QCOMPARE(PrintedSheet::qpdfProblems(CupsJobs::pdfOf(job)), QString());
    }
}

void TestCupsPrint::aRefusedJobIsReported() {
    const QString label = PrintedSheet::trueSizeCases(dir_.path()).value(0).label;
    const QString refusing = QStringLiteral("Refus");
    QCOMPARE(
        QProcess::execute(QStringLiteral("lpadmin"), {"-p", refusing, "-v", "cups-pdf:/", "-E"}),
        0);
    QCOMPARE(QProcess::execute(QStringLiteral("cupsreject"), {refusing}), 0);
    // CUPS's reason, as its own lp command gives it after its name: "lp: <reason>".
    QProcess lp;
    lp.start(QStringLiteral("lp"), {"-d", refusing, label});
    QVERIFY(lp.waitForFinished(60000));
    QVERIFY(lp.exitCode() != 0);
    const QString said = QString::fromLocal8Bit(lp.readAllStandardError()).trimmed();
    const QString reason = said.section(QStringLiteral(": "), 1);
    QVERIFY2(!reason.isEmpty(), qPrintable(said));
    const QString expected = QStringLiteral("L'impression sur Refus a échoué : ") + reason;

    const Run run = vorlap({"--print", "--printer", refusing, label});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.errors.trimmed().split('\n').last(), QStringLiteral("vorlap: ") + expected);

    // "Imprimer..." in the main window: the error that the program shows in a message box.
    MainFormFixture window;
    window.etiq().Charge(label);
    window.form->printer()->setPrinterName(refusing);
    window.script->modalAnswers.enqueue([](QDialog*) { return int(QDialog::Accepted); });
    QString shown;
    try {
        window.form->PrintClick();
    } catch (const UserError& error) {
        shown = error.message();
    }
    QCOMPARE(shown, expected);
    QVERIFY(CupsJobs::settled(refusing).isEmpty());
}

void TestCupsPrint::thePrintDialogsOptionsReachCups() {
    MainFormFixture window;
    window.etiq().Charge(PrintedSheet::trueSizeCases(dir_.path()).value(0).label);
    QPrinter& printer = *window.form->printer();
    // As the print dialog leaves the printer: copies, collation, a page range, and the options
    // that Qt keeps for CUPS alone (here the job's priority).
    printer.setCopyCount(2);
    printer.setCollateCopies(true);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(1, 1);
    printer.printEngine()->setProperty(QPrintEngine::PrintEnginePropertyKey(0xfe00),
                                       QStringList{"job-priority", "70"});
    const qsizetype before = CupsJobs::settled(queue_).size();
    window.script->modalAnswers.enqueue([](QDialog*) { return int(QDialog::Accepted); });
    window.form->PrintClick();
    const QList<CupsJobs::Job> jobs = CupsJobs::settled(queue_).mid(before);
    QCOMPARE(jobs.size(), 1);
    const QMap<QString, QString> job = CupsJobs::attributes(jobs[0]);
    QCOMPARE(job.value("copies"), QString("2"));
    QCOMPARE(job.value("Collate"), QString("true"));
    QCOMPARE(job.value("page-ranges"), QString("1-1"));
    QCOMPARE(job.value("job-priority"), QString("70"));
    QCOMPARE(job.value("sides"), QString("one-sided"));
    QVERIFY2(job.value("media").contains("a4", Qt::CaseInsensitive),
             qPrintable(job.value("media")));
}

void TestCupsPrint::theWindowMakesGoodThePrintersOffset() {
    MainFormFixture window;
    window.etiq().Charge(PrintedSheet::trueSizeCases(dir_.path()).value(0).label);
    window.form->PageSetup = {10, 15, 0, 0, 100};
    window.etiq().SetPage(10, 15, 0, 0, 100);
    const auto accept = [](QDialog*) { return int(QDialog::Accepted); };
    const qsizetype before = CupsJobs::settled(queue_).size();
    window.script->modalAnswers.enqueue(accept);
    window.form->PrintClick();

    // "Mise en page" sets the offset of the printer chosen, which the next jobs make good.
    window.script->modalAnswers.enqueue([](QDialog* dialog) {
        dialog->findChild<QDoubleSpinBox*>("OffsetX")->setValue(1.5);
        dialog->findChild<QDoubleSpinBox*>("OffsetY")->setValue(-2);
        dialog->findChild<QPushButton*>("Button2")->click();
        return dialog->result();
    });
    window.form->Miseenpage1Click();
    QCOMPARE(window.form->PrinterOffsets.value(queue_), QPoint(15, -20));
    window.script->modalAnswers.enqueue(accept);
    window.form->PrintClick();
    // The offset went with the job: nothing else drawn from the label takes it.
    QCOMPARE(window.etiq().PrinterOffset, QPointF());
    window.script->modalAnswers.enqueue(accept);
    window.form->CalibrationPageClick();

    const QList<CupsJobs::Job> jobs = CupsJobs::settled(queue_).mid(before);
    QCOMPARE(jobs.size(), 3);
    QStringList pdfs;
    for (const CupsJobs::Job& job : jobs) {
        QVERIFY(job.completed);
        pdfs.append(CupsJobs::pdfOf(job));
    }
    QCOMPARE(jobs[2].title, QString("Page de calibrage"));
    const QRectF area(0, 0, 90, 60);
    const QRectF plain = PrintedSheet::frameAround(pdfs[0], area, {11, 16}, 1200);
    const QRectF moved = PrintedSheet::frameAround(pdfs[1], area, {12.5, 14}, 1200);
    QVERIFY(!plain.isNull() && !moved.isNull());
    const QPointF shift = moved.topLeft() - plain.topLeft();
    qInfo("the frame's corner, on paper: at %.3f, %.3f mm, with the offset at %.3f, %.3f mm",
          plain.left(), plain.top(), moved.left(), moved.top());
    // Within a pixel of the 1200 dpi raster.
    QVERIFY2(qAbs(shift.x() - 1.5) <= 0.0212 && qAbs(shift.y() + 2) <= 0.0212,
             qPrintable(QStringLiteral("moved %1, %2 mm").arg(shift.x()).arg(shift.y())));

    // The calibration page, printed with the offset it states, shows the correction.
    const QPointF first(20, 20);
    const std::optional<QPointF> cross =
        PrintedSheet::crossCentres(pdfs[2], {first + QPointF(1.5, -2)}, 600).value(0);
    QVERIFY(cross);
    qInfo("the cross meant at 20, 20 mm: at %.3f, %.3f mm", cross->x(), cross->y());
    QVERIFY(qAbs(cross->x() - 21.5) <= 0.05 && qAbs(cross->y() - 18) <= 0.05);
}

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
