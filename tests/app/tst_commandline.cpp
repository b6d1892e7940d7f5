#include "CommandLine.h"
#include "LabelFile.h"
#include "LineCodec.h"
#include "PrintDevice.h"
#include "PrintedSheet.h"
#include "ScriptedDialogs.h"
#include "SheetLayout.h"
#include "TEtiq.h"

#include <QProcess>
#include <QStandardPaths>
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
    void pdfExportPutsEveryCellsObjectsInPlace();
    void namesAndMessagesComeThroughWhole();
    void listSheetsAddsTheUsersOwnAndTellsItsBadLine();
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

namespace {

QByteArray toolOutput(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}

// The smallest rectangle of pixels near the colour within area.
QRect inkOf(const QImage& image, const QRect& area, QRgb colour) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAbs(qRed(p) - qRed(colour)) + qAbs(qGreen(p) - qGreen(colour)) +
                    qAbs(qBlue(p) - qBlue(colour)) <
                30)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

bool within(const QRect& got, const QRect& want, int slack) {
    return qAbs(got.left() - want.left()) <= slack && qAbs(got.top() - want.top()) <= slack &&
           qAbs(got.right() - want.right()) <= slack && qAbs(got.bottom() - want.bottom()) <= slack;
}

} // namespace

void TestCommandLine::pdfExportPutsEveryCellsObjectsInPlace() {
    for (const char* tool : {"pdftoppm", "pdftotext", "pdfinfo"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP("poppler-utils (pdftoppm, pdftotext, pdfinfo) is not installed");
    // Labels of 100 x 200 mm, 5 mm apart: two cells side by side on the sheet.
    StyleBlock filled;
    filled.brushColor = 0x0000FF;
    filled.penStyle = PenClear;
    StyleBlock text;
    text.brushStyle = BrushClear;
    text.fontSize = 10;
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(qRgb(0, 160, 0));
    const LineList lines{
        LineCodec::writeHeader({100, 200, 5, 0}), " 0BLANK",
        " 0RECT " + LineCodec::writeRect(20, 20, 100, 60) + '\t' + LineCodec::writeStyles(filled),
        " 0BITMAP " + LineCodec::writeRect(120, 20, 160, 50) + LineCodec::writePicture(picture) +
            '\t' + LineCodec::writeStyles(filled),
        " 0TEXT " + LineCodec::writeRect(20, 80, 90, 95) + "Cellule\t" +
            LineCodec::writeStyles(text)};
    QTemporaryDir dir;
    const QString label = dir.filePath("deux.etq");
    LabelFile::write(label, lines);
    const QString pdf = dir.filePath("deux.pdf");

    for (const int dpi : {300, 600}) {
        std::unique_ptr<QProcess> process(
            runHeadless({"--pdf", pdf, "--dpi", QString::number(dpi), "--zoom", "200", "--margins",
                         "10,20,0,0", label}));
        QCOMPARE(process->exitCode(), 0);
        QCOMPARE(PrintedSheet::qpdfProblems(pdf), QString());
        // Where the printing layout puts the cells' objects in device pixels.
        const PdfFileDevice device(pdf, dpi);
        SheetLayout layout;
        layout.Init2({10, 20, 0, 0, 200}, lines,
                     PaperSize{device.pagePixels(), device.pageMillimetres(), device.resolution()});
        QCOMPARE(layout.columns(), 2);
        QCOMPARE(layout.rows(), 1);
        auto place = [&](int column, int l, int t, int r, int b) {
            const CellTransform to = layout.transform(0, column);
            return QRect(QPoint(to.x(l), to.y(t)), QPoint(to.x(r) - 1, to.y(b) - 1));
        };
        const QRect reach = place(1, 0, 0, 170, 100);
        const QString base = dir.filePath("page");
        toolOutput("pdftoppm", {"-r", QString::number(dpi), "-aa", "no", "-aaVector", "no", "-W",
                                QString::number(reach.right()), "-H",
                                QString::number(reach.bottom()), "-png", "-singlefile", pdf, base});
        const QImage page = QImage(base + ".png").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(page.size(), QSize(reach.right(), reach.bottom()));
        for (int column = 0; column < 2; ++column) {
            const QRect cell = place(column, 0, 0, 170, 100) & page.rect();
            const QRect rect = place(column, 20, 20, 100, 60);
            const QRect pictureBox = place(column, 120, 20, 160, 50);
            const QRect red = inkOf(page, cell, qRgb(255, 0, 0));
            const QRect green = inkOf(page, cell, qRgb(0, 160, 0));
            QVERIFY2(within(red, rect, 1),
                     qPrintable(QStringLiteral("%1 dpi, cell %2: red at %3,%4")
                                    .arg(dpi)
                                    .arg(column)
                                    .arg(red.left())
                                    .arg(red.top())));
            QVERIFY2(within(green, pictureBox, 1),
                     qPrintable(QStringLiteral("%1 dpi, cell %2: picture at %3,%4")
                                    .arg(dpi)
                                    .arg(column)
                                    .arg(green.left())
                                    .arg(green.top())));
            // The text's glyphs lie below its top-left corner.
            const QRect glyphs = inkOf(page, cell, qRgb(0, 0, 0));
            const QPoint corner = place(column, 20, 80, 21, 81).topLeft();
            QVERIFY(!glyphs.isEmpty());
            QVERIFY(glyphs.left() >= corner.x() - 2 && glyphs.left() <= corner.x() + 20);
            QVERIFY(glyphs.top() >= corner.y() && glyphs.top() <= corner.y() + 40);
        }
        QCOMPARE(QString::fromUtf8(toolOutput("pdftotext", {pdf, "-"})).count("Cellule"), 2);
    }

    // Copies are pages of the one file.
    std::unique_ptr<QProcess> process(runHeadless({"--pdf", pdf, "--copies", "2", label}));
    QCOMPARE(process->exitCode(), 0);
    QVERIFY(QString::fromLatin1(toolOutput("pdfinfo", {pdf}))
                .contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))));

    // A background fills each cell's own rectangle, and the 5 mm between the cells stay white.
    StyleBlock yellow;
    yellow.brushColor = 0x00FFFF;
    LineList withBackground = lines;
    withBackground[1] = " 0FILLRECT 000000068090\t" + LineCodec::writeStyles(yellow);
    LabelFile::write(label, withBackground);
    process.reset(runHeadless({"--pdf", pdf, "--dpi", "100", label}));
    QCOMPARE(process->exitCode(), 0);
    const QString base = dir.filePath("fond");
    toolOutput("pdftoppm", {"-r", "100", "-aa", "no", "-png", "-singlefile", pdf, base});
    const QImage page = QImage(base + ".png").convertToFormat(QImage::Format_RGB32);
    const double perMm = 100 / 25.4;
    const QRgb yellowPixel = qRgb(255, 255, 0);
    QCOMPARE(page.pixel(int(50 * perMm), int(100 * perMm)), yellowPixel);
    QCOMPARE(page.pixel(int(150 * perMm), int(100 * perMm)), yellowPixel);
    QCOMPARE(page.pixel(int(102.5 * perMm), int(100 * perMm)), qRgb(255, 255, 255));
    QCOMPARE(page.pixel(int(50 * perMm), int(250 * perMm)), qRgb(255, 255, 255));
}

namespace {

// Whether a file of exactly these name bytes exists in the folder.
bool existsRaw(const QString& folder, const QByteArray& name) {
    struct stat status {};
    return ::stat((QFile::encodeName(folder) + '/' + name).constData(), &status) == 0;
}

} // namespace

void TestCommandLine::namesAndMessagesComeThroughWhole() {
    // Names made under a Latin-1 system ("\xE9" alone is not UTF-8) are read and written
    // under their own bytes; a NUL that a label's field holds is shown, not the end of the
    // message; after "--" a name may start with "-".
    QTemporaryDir dir;
    const QByteArray label = "046025000000\r\n 0BLANK\r\n 0RECT 0Z" + QByteArray(1, '\0') +
                             "000010010\t100FFFFFF00100000000000000000C0Arial\r\n";
    for (const QByteArray& name : {QByteArray("lat\xE9in.etq"), QByteArray("-x.etq")}) {
        FILE* file = std::fopen((QFile::encodeName(dir.path()) + '/' + name).constData(), "wb");
        QVERIFY(file);
        std::fwrite(label.constData(), 1, size_t(label.size()), file);
        std::fclose(file);
    }
    QProcess shell;
    shell.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    shell.setProcessEnvironment(env);
    shell.start("/bin/sh",
                {"-c",
                 "\"$0\" --pdf \"$(printf 'out\\351.pdf')\" -- \"$(printf 'lat\\351in.etq')\" "
                 "&& \"$0\" --pdf tiret.pdf -- -x.etq",
                 VORLAP_BINARY});
    QVERIFY(shell.waitForFinished(60000));
    const QByteArray errors = shell.readAllStandardError();
    QCOMPARE(shell.exitCode(), 0);
    QVERIFY(existsRaw(dir.path(), "out\xE9.pdf"));
    QVERIFY(existsRaw(dir.path(), "tiret.pdf"));
    QVERIFY2(errors.contains("vorlap: '$0Z\\x00' n'est pas une valeur enti\xC3\xA8re correcte\n"),
             errors.constData());

    // A file that is missing is named with its own bytes too.
    shell.start("/bin/sh",
                {"-c", "\"$0\" --pdf o.pdf \"$(printf 'absent\\351.etq')\"", VORLAP_BINARY});
    QVERIFY(shell.waitForFinished(60000));
    QCOMPARE(shell.exitCode(), 1);
    QVERIFY(shell.readAllStandardError().contains("Ne peut ouvrir le fichier absent\xE9.etq\n"));
}

void TestCommandLine::listSheetsAddsTheUsersOwnAndTellsItsBadLine() {
    // The user's sheets live in the configuration folder, ~/.config/Vorlap.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("Vorlap"));
    const QString userFile = dir.filePath("Vorlap/planches.txt");
    QFile file(userFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "MA1;Mes étiquettes;50;30.5;1;1;50;30.5;10;12.25;rectangle;mesurée\nMA2;Cassée;50\n");
    file.close();
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    std::unique_ptr<QProcess> process(runHeadless({"--list-sheets"}));
    if (oldConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfig);
    QCOMPARE(process->exitCode(), 0);
    const QStringList out = QString::fromUtf8(process->readAllStandardOutput()).split('\n');
    QVERIFY(out.size() > 40);
    QVERIFY(out.first().startsWith("L7160\t"));
    QVERIFY(out.contains("MA1\tMes étiquettes\t50.00\t30.50\t1\t1\t50.00\t30.50\t10.00\t12.25"));
    QCOMPARE(lastErrorLine(*process),
             "vorlap: " + userFile + ", ligne 2 : 3 champs au lieu de 12 (séparés par « ; »)");
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
