#include "CommandLine.h"
#include "ScriptedDialogs.h"
#include "TEtiq.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

// AddressSanitizer cannot start under a limit of the address space.
#if defined(__SANITIZE_ADDRESS__)
#define VORLAP_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VORLAP_ADDRESS_SANITIZER 1
#endif
#endif

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void opensTheNamedLabel();
    void unreadableFileIsReportedAndNewLabelKept();
    void samplesLoad();
    void pngExportDrawsAsTheWindow();
    void pngExportOfUnreadableFileFails();
    void pngExportFailsCleanlyOnSpecialFilesAndAFullDisk();
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
    QCOMPARE(etiq.document().Lines, (LineList{"04602A000000", " 0BLANK"}));
    QVERIFY(etiq.document().FileName.isEmpty());
}

void TestCommandLine::samplesLoad() {
    ScriptedDialogsScope script;
    TEtiq etiq;
    etiq.Charge(QFINDTESTDATA("../../examples/adresse.etq"));
    QCOMPARE(etiq.frameSize(), QSize(280, 168));
    QVERIFY(etiq.document().Lines.size() >= 8);
    QVERIFY(etiq.document().Lines.join().contains("H\xE9l\xE8ne"));
}

namespace {

QProcess* runHeadless(const QStringList& arguments, std::function<void()> inChild = {}) {
    auto* process = new QProcess;
    if (inChild)
        process->setChildProcessModifier(inChild);
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

// Qt may print warnings of its own before the program's message.
QString lastErrorLine(QProcess& process) {
    return QString::fromLocal8Bit(process.readAllStandardError()).trimmed().split('\n').last();
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
    std::unique_ptr<QProcess> process(
        runHeadless({"--png", dir.filePath("x.png"), "/nonexistent/y.etq"}));
    QVERIFY(process->exitCode() != 0);
    QVERIFY(QString::fromLocal8Bit(process->readAllStandardError())
                .contains(QString("Ne peut ouvrir le fichier /nonexistent/y.etq")));
    QVERIFY(!QFile::exists(dir.filePath("x.png")));
}

void TestCommandLine::pngExportFailsCleanlyOnSpecialFilesAndAFullDisk() {
    QTemporaryDir dir;
    const QString png = dir.filePath("out.png");
    const QString fifo = dir.filePath("pipe.etq");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& label : {QString("/dev/zero"), fifo}) {
        std::unique_ptr<QProcess> process(runHeadless({"--png", png, label}));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 1);
        QCOMPARE(lastErrorLine(*process), "vorlap: Ne peut ouvrir le fichier " + label);
        QVERIFY(!QFile::exists(png));
    }

    // A disk that fills up half-way through the picture leaves no partial PNG behind.
    std::unique_ptr<QProcess> process(
        runHeadless({"--png", png, QFINDTESTDATA("../../examples/adresse.etq")}, [] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = 200;
            setrlimit(RLIMIT_FSIZE, &limit);
        }));
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 1);
    QCOMPARE(lastErrorLine(*process), "vorlap: Ne peut créer le fichier " + png);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{"pipe.etq"});

#ifndef VORLAP_ADDRESS_SANITIZER
    // Memory that runs out ends the run with a message, not an abort: a (sparse) label of
    // 250 MiB in a process that may map only 200 MiB.
    const QString large = dir.filePath("large.etq");
    QFile file(large);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(qint64(250) << 20));
    file.close();
    process.reset(runHeadless({"--png", png, large}, [] {
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = rlim_t(200) << 20;
        setrlimit(RLIMIT_AS, &limit);
    }));
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 1);
    QCOMPARE(lastErrorLine(*process), QString("vorlap: Mémoire insuffisante"));
    QVERIFY(!QFile::exists(png));
#endif
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
