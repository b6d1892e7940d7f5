#include "CommandLine.h"
#include "ScriptedDialogs.h"
#include "TEtiq.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void opensTheNamedLabel();
    void unreadableFileIsReportedAndNewLabelKept();
    void samplesLoad();
    void pngExportDrawsAsTheWindow();
    void pngExportOfUnreadableFileFails();
};

void TestCommandLine::opensTheNamedLabel() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    openFromCommandLine(etiq, {"vorlap"});
    QCOMPARE(etiq.caption(), QString("Sans titre"));
    openFromCommandLine(etiq, {"vorlap", QFINDTESTDATA("../../examples/cd-vacances.etq")});
    QVERIFY(etiq.CdLabel);
    QCOMPARE(etiq.caption(), QString("cd-vacances.etq"));
    QCOMPARE(script->messages.size(), 0);
}

void TestCommandLine::unreadableFileIsReportedAndNewLabelKept() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    openFromCommandLine(etiq, {"vorlap", "/nonexistent/x.etq"});
    QCOMPARE(script->messages.size(), 1);
    QCOMPARE(script->messages[0].text, QString("Ne peut ouvrir le fichier /nonexistent/x.etq"));
    QCOMPARE(etiq.Lines, (LineList{"04602A000000", " 0BLANK"}));
    QVERIFY(etiq.FileName.isEmpty());
}

void TestCommandLine::samplesLoad() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    etiq.Charge(QFINDTESTDATA("../../examples/adresse.etq"));
    QCOMPARE(etiq.frameSize(), QSize(280, 168));
    QVERIFY(etiq.Lines.size() >= 8);
    QVERIFY(etiq.Lines.join().contains("H\xE9l\xE8ne"));
}

namespace {

QProcess* runHeadless(const QStringList& arguments) {
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display at all: the export must not need one.
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    process->setProcessEnvironment(env);
    process->start(VORLAP_BINARY, arguments);
    process->waitForFinished(60000);
    return process;
}

} // namespace

void TestCommandLine::pngExportDrawsAsTheWindow() {
    QTemporaryDir dir;
    for (const char* sample : {"adresse.etq", "cd-vacances.etq"}) {
        const QString label = QFINDTESTDATA(QString("../../examples/") + sample);
        const QString png = dir.filePath("out.png");
        std::unique_ptr<QProcess> process(runHeadless({"--png", png, label}));
        QCOMPARE(process->exitCode(), 0);
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);

        ScriptedDialogsScope script;
        TEtiq etiq;
        etiq.Charge(label);
        const QImage exported(png);
        QCOMPARE(exported.size(), etiq.surface().size());
        QCOMPARE(exported.convertToFormat(QImage::Format_RGB32), etiq.surface());
    }
}

void TestCommandLine::pngExportOfUnreadableFileFails() {
    QTemporaryDir dir;
    std::unique_ptr<QProcess> process(runHeadless({"--png", dir.filePath("x.png"), "/nonexistent/y.etq"}));
    QVERIFY(process->exitCode() != 0);
    QVERIFY(QString::fromLocal8Bit(process->readAllStandardError())
                .contains(QString("Ne peut ouvrir le fichier /nonexistent/y.etq")));
    QVERIFY(!QFile::exists(dir.filePath("x.png")));
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
