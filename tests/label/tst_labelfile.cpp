#include "LabelFile.h"
#include "UserError.h"
#include "Windows1252.h"

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

class TestLabelFile : public QObject {
    Q_OBJECT
private slots:
    void lineEndings();
    void writesCrLfAndReadsBack();
    void failedWriteKeepsTheOldFile();
    void extension();
    void windows1252();
};

void TestLabelFile::lineEndings() {
    using LabelFile::splitLines;
    QCOMPARE(splitLines("a\r\nb\nc\rd"), (LineList{"a", "b", "c", "d"}));
    QCOMPARE(splitLines("a\r\n"), (LineList{"a"}));
    QCOMPARE(splitLines("a\n\nb\r\r"), (LineList{"a", "", "b", ""}));
    QCOMPARE(splitLines(""), LineList{});
    QCOMPARE(splitLines("\r\n"), (LineList{""}));
}

void TestLabelFile::writesCrLfAndReadsBack() {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.etq");
    const LineList lines{"04602A000000", " 0BLANK", QByteArray("\xE9\x80\xFF\x00z", 5)};
    LabelFile::write(path, lines);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("04602A000000\r\n 0BLANK\r\n\xE9\x80\xFF\x00z\r\n", 30));
    QCOMPARE(LabelFile::read(path), lines);

    try {
        LabelFile::read(dir.filePath("missing.etq"));
        QFAIL("no error");
    } catch (const UserError& e) {
        QCOMPARE(e.message(), "Ne peut ouvrir le fichier " + dir.filePath("missing.etq"));
    }
}

void TestLabelFile::failedWriteKeepsTheOldFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("old.etq");
    LabelFile::write(path, {"04602A000000", " 0BLANK"});

    // A file size limit makes the write fail half-way, whatever our privileges.
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool failed = false;
    try {
        LabelFile::write(path, {"04602A000000", QByteArray(100000, 'x')});
    } catch (const UserError& e) {
        failed = e.message() == "Ne peut créer le fichier " + path;
    }
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    QVERIFY(failed);
    QCOMPARE(LabelFile::read(path), (LineList{"04602A000000", " 0BLANK"}));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.etq"});

    // A folder where the file should be cannot be written either.
    QVERIFY_THROWS_EXCEPTION(UserError, LabelFile::write(dir.path(), {"x"}));
}

void TestLabelFile::extension() {
    QCOMPARE(LabelFile::withExtension("/tmp/label"), QString("/tmp/label.etq"));
    QCOMPARE(LabelFile::withExtension("/tmp/label.txt"), QString("/tmp/label.txt"));
    // Any '.' in the path counts, even one in a folder name.
    QCOMPARE(LabelFile::withExtension("/tmp/v1.0/label"), QString("/tmp/v1.0/label"));
}

void TestLabelFile::windows1252() {
    QCOMPARE(Windows1252::toUnicode("\xE9t\xE9 \x80"), QString::fromUtf8("été €"));
    QCOMPARE(Windows1252::fromUnicode(QString::fromUtf8("Noël œ €")),
             QByteArray("No\xEBl \x9C \x80"));
    // No byte for it: '?'; TAB and line breaks would break the line.
    QCOMPARE(Windows1252::fromUnicode(QString::fromUtf8("a\tb\nc\r✓😀")), QByteArray("a b c ??"));
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        if (b != '\t' && b != '\n' && b != '\r')
            all += char(b);
    QCOMPARE(Windows1252::fromUnicode(Windows1252::toUnicode(all)), all);
}

QTEST_MAIN(TestLabelFile)
#include "tst_labelfile.moc"
