#include "CommandLine.h"
#include "ScriptedDialogs.h"
#include "TEtiq.h"

#include <QtTest>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void opensTheNamedLabel();
    void unreadableFileIsReportedAndNewLabelKept();
    void samplesLoad();
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

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
