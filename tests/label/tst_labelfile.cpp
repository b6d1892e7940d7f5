#include "FileSizeLimit.h"
#include "LabelFile.h"
#include "UserError.h"
#include "Windows1252.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <sys/stat.h>

class TestLabelFile : public QObject {
    Q_OBJECT
private slots:
    void lineEndings();
    void openingLeavesOutDamagedObjectLines();
    void writesCrLfAndReadsBack();
    void failedWriteKeepsTheOldFile();
    void replacingKeepsOwnerAndLinks();
    void onlyRegularFilesOfALabelsSizeAreRead();
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

void TestLabelFile::openingLeavesOutDamagedObjectLines() {
    // The header and the background record stay, whatever they hold.
    const QByteArray content = "\t\r\nbg\r\n 0RECT 000000010010\t0\r\n 0LINE 000\t0\n\n"
                               " 0X 1234567890\tz\r 0X 12345678901\tz";
    const LineList lines{"\t", "bg", " 0RECT 000000010010\t0", " 0X 12345678901\tz"};
    QCOMPARE(LabelFile::splitLabel(content), lines);
    QTemporaryDir dir;
    QFile file(dir.filePath("a.etq"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    QCOMPARE(LabelFile::readLabel(file.fileName()), lines);
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
    const LineList old{"04602A000000", " 0BLANK", QByteArray(150, 'o')};
    LabelFile::write(path, old);

    // A label smaller than any write buffer fails only when it reaches the disk.
    const QByteArray rect = " 0RECT 0280280C8078\t100FFFFFF00100000000000000000C0Arial";
    for (const LineList& label : {LineList{"04602A000000", " 0BLANK", rect, rect, rect, rect},
                                  LineList{"04602A000000", QByteArray(100000, 'x')}}) {
        QVERIFY(LabelFile::joinLines(label).size() > 200);
        QString error;
        {
            FileSizeLimit limit(100);
            QVERIFY(limit.active());
            try {
                LabelFile::write(path, label);
            } catch (const UserError& e) {
                error = e.message();
            }
        }
        QCOMPARE(error, "Ne peut créer le fichier " + path);
        QCOMPARE(LabelFile::read(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.etq"});
    }

    // A folder where the file should be cannot be written either.
    QVERIFY_THROWS_EXCEPTION(UserError, LabelFile::write(dir.path(), {"x"}));

    // Replacing a file keeps who may read it.
    QCOMPARE(chmod(QFile::encodeName(path).constData(), 0640), 0);
    LabelFile::write(path, {"04602A000000", " 0BLANK"});
    struct stat status {};
    QCOMPARE(stat(QFile::encodeName(path).constData(), &status), 0);
    QCOMPARE(status.st_mode & 07777, mode_t(0640));
}

void TestLabelFile::replacingKeepsOwnerAndLinks() {
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("lie.etq"));
    const QByteArray other = QFile::encodeName(dir.filePath("autre-nom.etq"));
    LabelFile::write(QFile::decodeName(path), {"04602A000000", " 0BLANK"});
    QCOMPARE(::link(path.constData(), other.constData()), 0);
    struct stat before {};
    QCOMPARE(::stat(path.constData(), &before), 0);
    const LineList saved{"05003C000000", " 0BLANK", "x"};

    // Both names of a file with two hard links see what is saved under one of them.
    LabelFile::write(QFile::decodeName(path), saved);
    QCOMPARE(LabelFile::read(QFile::decodeName(other)), saved);
    struct stat after {};
    QCOMPARE(::stat(path.constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_nlink, nlink_t(2));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    // Saved by root, another user's file stays theirs.
    if (::geteuid() != 0)
        QSKIP("only root can give a file to another user");
    QCOMPARE(::unlink(other.constData()), 0);
    QCOMPARE(::chown(path.constData(), 4321, 4322), 0);
    LabelFile::write(QFile::decodeName(path), saved);
    QCOMPARE(::stat(path.constData(), &after), 0);
    QCOMPARE(after.st_uid, uid_t(4321));
    QCOMPARE(after.st_gid, gid_t(4322));
    QCOMPARE(after.st_nlink, nlink_t(1));
}

void TestLabelFile::onlyRegularFilesOfALabelsSizeAreRead() {
    QTemporaryDir dir;
    auto messageFor = [](const QString& path) {
        try {
            LabelFile::read(path);
        } catch (const UserError& e) {
            return e.message();
        }
        return QString("read");
    };

    // Larger than any label: refused before a byte is read.
    const QString huge = dir.filePath("huge.etq");
    QFile file(huge);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(qint64(257) << 20));
    file.close();
    QCOMPARE(messageFor(huge),
             "Ne peut ouvrir le fichier " + huge + " : fichier trop grand (plus de 256 Mo)");

    // A named pipe without a writer would block the window for ever.
    const QString fifo = dir.filePath("pipe.etq");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(messageFor(fifo), "Ne peut ouvrir le fichier " + fifo);
    QCOMPARE(messageFor("/dev/zero"), QString("Ne peut ouvrir le fichier /dev/zero"));
    QCOMPARE(messageFor(dir.path()), "Ne peut ouvrir le fichier " + dir.path());
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
