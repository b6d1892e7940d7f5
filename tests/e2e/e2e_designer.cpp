#include "CupsJobs.h"
#include "PrintedSheet.h"
#include "TMainForm.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

// The designer as a person meets it: the real program on a real X server, pointer and keys
// sent by xdotool through X and Qt, Qt's own file and print dialogs, a real CUPS server.
// run-on-x.sh starts the X server and with-cups.sh the print server; this program fails only
// when the designer does.
namespace {

// For any one step; a loaded machine may be slow, a broken step never ends.
constexpr int kPatience = 20000;

QString xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

bool waitUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > kPatience)
            return false;
        QTest::qWait(50);
    }
    return true;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString hex3(int value) {
    return QString::asprintf("%03X", value);
}

} // namespace

class TestDesignerOnX : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString queue_;
    QProcess program_;
    QString window_;
    // The main window laid out as the program's, never shown, to find controls by name.
    std::unique_ptr<TMainForm> twin_;

    QString path(const QString& name) const { return dir_.filePath(name); }
    QString visibleWindow(const QString& pattern) const;
    QString waitForWindow(const QString& pattern);
    bool waitUntilGone(const QString& window);
    QString title() const { return xdotool({"getwindowname", window_}); }
    const QWidget& control(const char* name) const;
    // A point of a control of the program's window, in that window's coordinates.
    QPoint place(const char* name, QPoint inside) const;
    void click(const char* name);
    void clickOnLabel(QPoint at);
    void dragOnLabel(QPoint from, QPoint to);
    void keys(const QString& window, const QStringList& keys);
    void type(const QString& window, const QString& text);
    bool runFileDialog(const QString& titlePattern, const QString& file);

private slots:
    void initTestCase();
    void drawsWithThePointerAndTheKeyboard();
    void savesThroughTheFileDialogAndOpensTheSameBytes();
    void printsTrueSizeThroughThePrintDialog();
    void aRefusedPrintIsShownInAMessageBox();
    void cleanup();
    void cleanupTestCase();
};

QString TestDesignerOnX::visibleWindow(const QString& pattern) const {
    return xdotool({"search", "--all", "--onlyvisible", "--pid",
                    QString::number(program_.processId()), "--name", pattern})
        .section(QLatin1Char('\n'), 0, 0);
}

QString TestDesignerOnX::waitForWindow(const QString& pattern) {
    QString found;
    waitUntil([&] {
        found = visibleWindow(pattern);
        return !found.isEmpty();
    });
    return found;
}

bool TestDesignerOnX::waitUntilGone(const QString& window) {
    return waitUntil([&] {
        return !xdotool({"search", "--all", "--onlyvisible", "--pid",
                         QString::number(program_.processId()), "--name", "."})
                    .split(QLatin1Char('\n'))
                    .contains(window);
    });
}

const QWidget& TestDesignerOnX::control(const char* name) const {
    const auto* widget = twin_->findChild<QWidget*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no control %s", name);
    return *widget;
}

QPoint TestDesignerOnX::place(const char* name, QPoint inside) const {
    return control(name).mapTo(twin_.get(), inside);
}

void TestDesignerOnX::click(const char* name) {
    const QPoint at = place(name, control(name).rect().center());
    xdotool({"mousemove", "--window", window_, QString::number(at.x()), QString::number(at.y()),
             "click", "1"});
}

void TestDesignerOnX::clickOnLabel(QPoint at) {
    const QPoint p = place("PaintBox1", at);
    xdotool({"mousemove", "--window", window_, QString::number(p.x()), QString::number(p.y()),
             "click", "1"});
}

void TestDesignerOnX::dragOnLabel(QPoint from, QPoint to) {
    const QPoint a = place("PaintBox1", from);
    const QPoint m = place("PaintBox1", (from + to) / 2);
    const QPoint b = place("PaintBox1", to);
    xdotool({"mousemove", "--window", window_, QString::number(a.x()), QString::number(a.y()),
             "mousedown", "1", "mousemove", "--window", window_, QString::number(m.x()),
             QString::number(m.y()), "mousemove", "--window", window_, QString::number(b.x()),
             QString::number(b.y()), "mouseup", "1"});
}

// With no window manager, keys go to the window that holds the X focus, so give it first.
void TestDesignerOnX::keys(const QString& window, const QStringList& keys) {
    xdotool(QStringList{"windowfocus", "--sync", window, "key", "--clearmodifiers"} + keys);
}

void TestDesignerOnX::type(const QString& window, const QString& text) {
    xdotool({"windowfocus", "--sync", window, "type", "--delay", "5", text});
}

bool TestDesignerOnX::runFileDialog(const QString& titlePattern, const QString& file) {
    const QString dialog = waitForWindow(titlePattern);
    if (dialog.isEmpty())
        return false;
    // Qt's own dialog opens with the keyboard in its file name field.
    type(dialog, file);
    keys(dialog, {"Return"});
    return waitUntilGone(dialog);
}

void TestDesignerOnX::initTestCase() {
    QVERIFY(dir_.isValid());
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "run through run-on-x.sh, which starts an X server");
    queue_ = qEnvironmentVariable("VORLAP_TEST_PRINTER");
    QVERIFY2(!queue_.isEmpty(), "run through with-cups.sh, which starts a print server");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("HOME", dir_.path());
    env.insert("XDG_CONFIG_HOME", path("config"));
    // CUPS_SERVER names the test's own print server, whose default queue writes PDF files.
    // Qt's own dialogs, not a desktop's.
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "QT_QPA_PLATFORMTHEME",
                             "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID"})
        env.remove(name);
    program_.setProcessEnvironment(env);
    program_.setWorkingDirectory(dir_.path());
    program_.setProcessChannelMode(QProcess::ForwardedChannels);
    program_.start(QStringLiteral(VORLAP_BINARY), {});
    QVERIFY2(program_.waitForStarted(), "the program did not start");
    window_ = waitForWindow(QStringLiteral("^Sans titre - Vorlap$"));
    QVERIFY2(!window_.isEmpty(), "the main window never showed");

    QSize size;
    for (const QString& line : xdotool({"getwindowgeometry", "--shell", window_}).split('\n')) {
        if (line.startsWith(QLatin1String("WIDTH=")))
            size.setWidth(line.mid(6).toInt());
        if (line.startsWith(QLatin1String("HEIGHT=")))
            size.setHeight(line.mid(7).toInt());
    }
    QVERIFY(size.isValid());
    QDir().mkpath(path("twin"));
    twin_ = std::make_unique<TMainForm>(path("twin"));
    twin_->setAttribute(Qt::WA_DontShowOnScreen);
    twin_->resize(size);
    twin_->show();
}

void TestDesignerOnX::drawsWithThePointerAndTheKeyboard() {
    click("RectangleButton");
    dragOnLabel({20, 16}, {120, 70});
    click("TextButton");
    clickOnLabel({30, 100});
    const QString editor = waitForWindow(QStringLiteral("^Editeur de texte"));
    QVERIFY2(!editor.isEmpty(), "the text tool did not open its editor");
    type(editor, QStringLiteral("Bonjour Vorlap"));
    keys(editor, {"Return"});
    QVERIFY(waitUntilGone(editor));
    click("EllipseButton");
    dragOnLabel({150, 20}, {250, 120});

    keys(window_, {"ctrl+s"});
    QVERIFY2(runFileDialog(QStringLiteral("^Enregistrer sous"), path("dessin.etq")),
             "the save dialog did not take the file name");
    QVERIFY(waitUntil([&] { return QFile::exists(path("dessin.etq")); }));
    QVERIFY(waitUntil([&] { return title() == QLatin1String("dessin.etq - Vorlap"); }));

    const QList<QByteArray> lines = fileBytes(path("dessin.etq")).split('\n');
    QCOMPARE(lines.size(), 6);
    QCOMPARE(lines[0], QByteArray("04602A000000\r"));
    QCOMPARE(lines[1], QByteArray(" 0BLANK\r"));
    // Each object lies where the pointer pressed and let go, in label pixels.
    const QString rect = " 0RECT " + hex3(20) + hex3(16) + hex3(120) + hex3(70) + "\t";
    QVERIFY2(lines[2].startsWith(rect.toLatin1()), lines[2].constData());
    const QString text = " 0TEXT " + hex3(30) + hex3(100);
    QVERIFY2(lines[3].startsWith(text.toLatin1()) && lines[3].contains("Bonjour Vorlap\t"),
             lines[3].constData());
    const QString ellipse = " 0ELLIPSE " + hex3(150) + hex3(20) + hex3(250) + hex3(120) + "\t";
    QVERIFY2(lines[4].startsWith(ellipse.toLatin1()), lines[4].constData());
    QCOMPARE(lines[5], QByteArray());
}

void TestDesignerOnX::savesThroughTheFileDialogAndOpensTheSameBytes() {
    const QByteArray saved = fileBytes(path("dessin.etq"));
    QVERIFY(!saved.isEmpty());
    // A new label first, so that what comes back can only come from the file.
    click("NewButton");
    const QString format = waitForWindow(QStringLiteral("^Nouveau"));
    QVERIFY2(!format.isEmpty(), "the label format dialog did not open");
    keys(format, {"Return"});
    QVERIFY(waitUntilGone(format));
    QVERIFY(waitUntil([&] { return title() == QLatin1String("Sans titre - Vorlap"); }));

    click("OpenButton");
    QVERIFY2(runFileDialog(QStringLiteral("^Ouvrir"), path("dessin.etq")),
             "the open dialog did not take the file name");
    QVERIFY(waitUntil([&] { return title() == QLatin1String("dessin.etq - Vorlap"); }));

    keys(window_, {"alt+f", "s"});
    QVERIFY2(runFileDialog(QStringLiteral("^Enregistrer sous"), path("copie.etq")),
             "\"Enregistrer sous...\" did not take the file name");
    QVERIFY(waitUntil([&] { return QFile::exists(path("copie.etq")); }));
    QCOMPARE(fileBytes(path("copie.etq")), saved);
}

void TestDesignerOnX::printsTrueSizeThroughThePrintDialog() {
    // The 70 x 37 mm label with a frame on its border, at zoom 100 without margins.
    const PrintedSheet::TrueSizeCase sheet = PrintedSheet::trueSizeCases(dir_.path()).value(0);
    click("OpenButton");
    QVERIFY2(runFileDialog(QStringLiteral("^Ouvrir"), sheet.label),
             "the open dialog did not take the file name");
    QVERIFY(waitUntil([&] { return title() == QLatin1String("cadre.etq - Vorlap"); }));

    const qsizetype before = CupsJobs::settled(queue_).size();
    click("PrintButton");
    const QString dialog = waitForWindow(QStringLiteral("^Imprimer"));
    QVERIFY2(!dialog.isEmpty(), "the print dialog did not open");
    // The print server's default queue is the one the dialog offers first.
    keys(dialog, {"Return"});
    QVERIFY2(waitUntilGone(dialog), "the print dialog did not close");
    QList<CupsJobs::Job> jobs;
    QVERIFY(waitUntil([&] {
        jobs = CupsJobs::settled(queue_).mid(before);
        return !jobs.isEmpty();
    }));
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(jobs[0].title, QString("cadre.etq"));
    QVERIFY(jobs[0].completed);
    const QString pdf = CupsJobs::pdfOf(jobs[0]);
    QVERIFY2(!pdf.isEmpty(), "cups-pdf wrote no file for the job");
    const QStringList failures = sheet.check(pdf);
    for (const QString& failure : failures)
        qWarning().noquote() << failure;
    QVERIFY2(failures.isEmpty(), "the printed sheet differs as said above");
}

void TestDesignerOnX::aRefusedPrintIsShownInAMessageBox() {
    // The queue refuses jobs, as cupsreject leaves it; tst_cupsprint checks the message's text.
    QCOMPARE(QProcess::execute(QStringLiteral("cupsreject"), {queue_}), 0);
    const qsizetype before = CupsJobs::settled(queue_).size();
    click("PrintButton");
    const QString dialog = waitForWindow(QStringLiteral("^Imprimer"));
    QVERIFY2(!dialog.isEmpty(), "the print dialog did not open");
    keys(dialog, {"Return"});
    QVERIFY2(waitUntilGone(dialog), "the print dialog did not close");
    const QString message = waitForWindow(QStringLiteral("^Vorlap$"));
    QVERIFY2(!message.isEmpty(), "no message box said that the print failed");
    keys(message, {"Return"});
    QVERIFY(waitUntilGone(message));
    QCOMPARE(QProcess::execute(QStringLiteral("cupsaccept"), {queue_}), 0);
    QCOMPARE(CupsJobs::settled(queue_).size(), before);

    keys(window_, {"alt+f", "q"});
    QVERIFY2(program_.waitForFinished(kPatience), "the program did not quit");
    QCOMPARE(program_.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program_.exitCode(), 0);
}

void TestDesignerOnX::cleanup() {
    // What the screen showed when a step went wrong, beside the test's other output.
    if (QTest::currentTestFailed()) {
        const QString shot = QDir::current().filePath(
            QStringLiteral("e2e-%1.png").arg(QString::fromLatin1(QTest::currentTestFunction())));
        if (QGuiApplication::primaryScreen()->grabWindow(0).save(shot))
            qInfo("screen at the failure: %s", qPrintable(shot));
    }
}

void TestDesignerOnX::cleanupTestCase() {
    twin_.reset();
    if (program_.state() != QProcess::NotRunning) {
        program_.kill();
        program_.waitForFinished();
    }
}

QTEST_MAIN(TestDesignerOnX)
#include "e2e_designer.moc"
