#include "CommandLineOptions.h"
#include "FileSizeLimit.h"
#include "LabelFile.h"
#include "MainFormFixture.h"
#include "SettingsFile.h"

#include <QDir>
#include <QStandardPaths>

#include <sys/stat.h>

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void readingTakesTheIntegersInOrder_data();
    void readingTakesTheIntegersInOrder();
    void writingIsOneLineEndedByCrLf();
    void firstStartWithoutAFile();
    void aShortFileFillsTheValuesItHas();
    void theFileStaysInTheStartUpDirectory();
    void aFailedWriteKeepsTheOldFile();
    void aPipeIsIgnoredLikeAMissingFile();
    void aStartUpDirectoryThatTakesNoWritesUsesTheConfigFolder();
    void theStartUpDirectoryWinsWhileItTakesWrites();
    void printerOffsetsFollowTheFirstLine();
};

void TestSettings::initTestCase() {
    // The configuration folder is a test one, never the user's.
    QStandardPaths::setTestModeEnabled(true);
}

void TestSettings::init() {
    QDir(SettingsFile::configDirectory()).removeRecursively();
}

void TestSettings::readingTakesTheIntegersInOrder_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<int>>("values");
    QTest::newRow("five") << QByteArray("10 15 10 15 100\r\n") << QList<int>{10, 15, 10, 15, 100};
    QTest::newRow("two") << QByteArray("5 5") << QList<int>{5, 5, 0, 0, 100};
    QTest::newRow("any blanks") << QByteArray("  1\t2\n3\r\n 4   5") << QList<int>{1, 2, 3, 4, 5};
    QTest::newRow("unchecked") << QByteArray("-3 0 0 0 5\r\n") << QList<int>{-3, 0, 0, 0, 5};
    QTest::newRow("more than five") << QByteArray("1 2 3 4 5 6") << QList<int>{1, 2, 3, 4, 5};
    QTest::newRow("stops at a word") << QByteArray("7 abc 9") << QList<int>{7, 0, 0, 0, 100};
    QTest::newRow("empty") << QByteArray() << QList<int>{0, 0, 0, 0, 100};
}

void TestSettings::readingTakesTheIntegersInOrder() {
    QFETCH(QByteArray, content);
    QFETCH(QList<int>, values);
    QTemporaryDir dir;
    writeBytes(SettingsFile::pathIn(dir.path()), content);
    const PageSetupValues v = SettingsFile::read(SettingsFile::pathIn(dir.path()), {});
    QCOMPARE((QList<int>{v.left, v.top, v.right, v.bottom, v.zoom}), values);
}

void TestSettings::writingIsOneLineEndedByCrLf() {
    QTemporaryDir dir;
    const QString path = SettingsFile::pathIn(dir.path());
    QCOMPARE(QFileInfo(path).fileName(), QString("Vorlap.ini"));
    QVERIFY(SettingsFile::write(path, {10, 20, 30, 40, 150}));
    QCOMPARE(fileBytes(path), QByteArray("10 20 30 40 150\r\n"));
    QVERIFY(SettingsFile::write(path, {-5, 0, 0, 0, 100}));
    QCOMPARE(fileBytes(path), QByteArray("-5 0 0 0 100\r\n"));
    // Neither a missing file nor a directory that cannot be written is an error.
    QVERIFY(!SettingsFile::write(dir.filePath("absent/Vorlap.ini"), {}));
    QCOMPARE(SettingsFile::read(dir.filePath("absent/Vorlap.ini"), {1, 2, 3, 4, 5}),
             (PageSetupValues{1, 2, 3, 4, 5}));
}

void TestSettings::firstStartWithoutAFile() {
    MainFormFixture f;
    QCOMPARE(f.form->PageSetup, (PageSetupValues{0, 0, 0, 0, 100}));
    QVERIFY(!QFile::exists(f.path("Vorlap.ini")));
    QVERIFY(f.form->close());
    QCOMPARE(fileBytes(f.path("Vorlap.ini")), QByteArray("0 0 0 0 100\r\n"));
}

void TestSettings::aShortFileFillsTheValuesItHas() {
    QTemporaryDir dir;
    writeBytes(dir.filePath("Vorlap.ini"), "5 5\r\n");
    ScriptedDialogsScope script;
    TMainForm form(dir.path());
    form.show();
    QCOMPARE(form.PageSetup, (PageSetupValues{5, 5, 0, 0, 100}));
    // The label window has the page setup as soon as the window shows.
    const TEtiq& etiq = *form.etiq();
    QCOMPARE((QList<int>{etiq.MarginLeft, etiq.MarginTop, etiq.MarginRight, etiq.Zoom}),
             (QList<int>{5, 5, 0, 100}));
    form.PageSetup = {10, 20, 30, 40, 150};
    QVERIFY(form.close());
    QCOMPARE(fileBytes(dir.filePath("Vorlap.ini")), QByteArray("10 20 30 40 150\r\n"));
}

void TestSettings::theFileStaysInTheStartUpDirectory() {
    QTemporaryDir elsewhere;
    const QString previous = QDir::currentPath();
    MainFormFixture f;
    LabelFile::write(elsewhere.filePath("ailleurs.etq"), newLabel(70, 42));
    f.script->fileAnswers.enqueue(elsewhere.filePath("ailleurs.etq"));
    f.form->FileOpenItemClick();
    QDir::setCurrent(elsewhere.path());
    f.etiq().Zoom = 300; // a zoom changed in the preview is not the page setup
    const bool closed = f.form->close();
    QDir::setCurrent(previous);
    QVERIFY(closed);
    QCOMPARE(fileBytes(f.path("Vorlap.ini")), QByteArray("0 0 0 0 100\r\n"));
    QVERIFY(!QFile::exists(elsewhere.filePath("Vorlap.ini")));

    // A start-up directory that is gone never blocks quitting.
    auto gone = std::make_unique<QTemporaryDir>();
    TMainForm form(gone->path());
    form.show();
    const QString path = gone->path();
    gone.reset();
    QVERIFY(form.close());
    QVERIFY(!QFile::exists(path + "/Vorlap.ini"));
    QVERIFY(f.script->messages.isEmpty());
}

void TestSettings::aFailedWriteKeepsTheOldFile() {
    QTemporaryDir dir;
    const QString path = SettingsFile::pathIn(dir.path());
    QVERIFY(SettingsFile::write(path, {1, 2, 3, 4, 100}));
    bool written = true;
    {
        FileSizeLimit limit(5);
        QVERIFY(limit.active());
        written = SettingsFile::write(path, {10, 20, 30, 40, 150});
    }
    QVERIFY(!written);
    QCOMPARE(fileBytes(path), QByteArray("1 2 3 4 100\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Vorlap.ini"});
}

void TestSettings::aPipeIsIgnoredLikeAMissingFile() {
    QTemporaryDir dir;
    QCOMPARE(mkfifo(QFile::encodeName(dir.filePath("Vorlap.ini")).constData(), 0600), 0);
    ScriptedDialogsScope script;
    TMainForm form(dir.path());
    form.show();
    QCOMPARE(form.PageSetup, (PageSetupValues{0, 0, 0, 0, 100}));
    QVERIFY(form.close());
    QVERIFY(script->messages.isEmpty());
}

void TestSettings::aStartUpDirectoryThatTakesNoWritesUsesTheConfigFolder() {
    // No one may create files in /proc, not even root.
    const QString closed = QStringLiteral("/proc");
    const QString user = SettingsFile::pathIn(SettingsFile::configDirectory());
    {
        ScriptedDialogsScope script;
        TMainForm form(closed);
        form.show();
        QCOMPARE(form.PageSetup, (PageSetupValues{0, 0, 0, 0, 100}));
        form.PageSetup = {10, 20, 30, 40, 150};
        QVERIFY(form.close());
        QVERIFY(script->messages.isEmpty());
    }
    QCOMPARE(fileBytes(user), QByteArray("10 20 30 40 150\r\n"));
    {
        ScriptedDialogsScope script;
        TMainForm form(closed);
        form.show();
        QCOMPARE(form.PageSetup, (PageSetupValues{10, 20, 30, 40, 150}));
        QVERIFY(form.close());
    }
    QCOMPARE(CommandLineOptions().pageSetup(closed), (PageSetupValues{10, 20, 30, 40, 150}));

    // A start-up directory without a file starts from the user's, then keeps a file of its own.
    QTemporaryDir dir;
    ScriptedDialogsScope script;
    TMainForm form(dir.path());
    form.show();
    QCOMPARE(form.PageSetup, (PageSetupValues{10, 20, 30, 40, 150}));
    form.PageSetup = {1, 2, 3, 4, 100};
    QVERIFY(form.close());
    QCOMPARE(fileBytes(dir.filePath("Vorlap.ini")), QByteArray("1 2 3 4 100\r\n"));
    QCOMPARE(fileBytes(user), QByteArray("10 20 30 40 150\r\n"));
}

void TestSettings::theStartUpDirectoryWinsWhileItTakesWrites() {
    QTemporaryDir dir;
    QTemporaryDir config;
    writeBytes(SettingsFile::pathIn(dir.path()), "1 2 3 4 100\r\n");
    writeBytes(SettingsFile::pathIn(config.path()), "5 6 7 8 200\r\n");
    QCOMPARE(SettingsFile::load(dir.path(), {}, config.path()), (PageSetupValues{1, 2, 3, 4, 100}));
    // Once it refuses writes, its file is stale: every save since went to the user's folder.
    PageSetupValues read;
    {
        FileSizeLimit limit(0);
        QVERIFY(limit.active());
        read = SettingsFile::load(dir.path(), {}, config.path());
    }
    QCOMPARE(read, (PageSetupValues{5, 6, 7, 8, 200}));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Vorlap.ini"});
}

void TestSettings::printerOffsetsFollowTheFirstLine() {
    QTemporaryDir dir;
    const QString path = SettingsFile::pathIn(dir.path());
    // Sorted by name, in tenths of a millimetre; a zero offset needs no line, and one beyond
    // ±10 mm is brought back to it.
    QVERIFY(SettingsFile::write(path, {10, 15, 10, 15, 100},
                                {{"Bureau", {-15, 8}}, {"Atelier", {0, 0}}, {"Cave", {250, -3}}}));
    QCOMPARE(fileBytes(path), QByteArray("10 15 10 15 100\r\nBureau\t-15\t8\r\nCave\t100\t-3\r\n"));
    // The reader of the five integers, older versions' own, stops after them.
    QCOMPARE(SettingsFile::read(path, {}), (PageSetupValues{10, 15, 10, 15, 100}));
    const SettingsFile::PrinterOffsets both{{"Bureau", {-15, 8}}, {"Cave", {100, -3}}};
    QCOMPARE(SettingsFile::readOffsets(path), both);

    // An older version's file has no offsets; lines that are not "name, x, y" are skipped.
    writeBytes(path, "5 5\r\n");
    QCOMPARE(SettingsFile::readOffsets(path), SettingsFile::PrinterOffsets());
    QCOMPARE(SettingsFile::read(path, {}), (PageSetupValues{5, 5, 0, 0, 100}));
    writeBytes(path, "0 0 0 0 100\nA\t-300\t7\nB\t1\nC\tx\t2\n\t1\t2\nD\t1\t2\t3\nE\t4\t5");
    QCOMPARE(SettingsFile::readOffsets(path),
             (SettingsFile::PrinterOffsets{{"A", {-100, 7}}, {"E", {4, 5}}}));
    QCOMPARE(SettingsFile::readOffsets(dir.filePath("absent")), SettingsFile::PrinterOffsets());

    // The main window reads them at start and writes them back on leaving, with a change from
    // "Mise en page" for the current printer.
    writeBytes(path, "1 2 3 4 100\r\nBureau\t-15\t8\r\nCave\t100\t-3\r\n");
    ScriptedDialogsScope script;
    TMainForm form(dir.path());
    form.show();
    QCOMPARE(form.PageSetup, (PageSetupValues{1, 2, 3, 4, 100}));
    QCOMPARE(form.PrinterOffsets, both);
    form.PrinterOffsets.remove("Cave");
    form.PrinterOffsets.insert("Garage", {3, 0});
    QVERIFY(form.close());
    QCOMPARE(fileBytes(path), QByteArray("1 2 3 4 100\r\nBureau\t-15\t8\r\nGarage\t3\t0\r\n"));
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
