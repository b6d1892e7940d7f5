#include "FileSizeLimit.h"
#include "LabelFile.h"
#include "MainFormFixture.h"
#include "PrintedSheet.h"
#include "SheetStock.h"

#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <optional>

#include <unistd.h>

namespace {

// A red rectangle at (20,20)-(100,60) label pixels and "Bonjour" below it.
LineList sampleLines(int width, int height) {
    StyleBlock red;
    red.brushColor = 0x0000FF;
    red.penStyle = PenClear;
    StyleBlock text;
    text.brushStyle = BrushClear;
    text.fontSize = 12;
    return {LineCodec::writeHeader({width, height, 0, 0}), " 0BLANK",
            " 0RECT " + LineCodec::writeRect(20, 20, 100, 60) + '\t' + LineCodec::writeStyles(red),
            " 0TEXT " + LineCodec::writeRect(20, 80, 120, 100) + "Bonjour\t" +
                LineCodec::writeStyles(text)};
}

// Whether the program ran in the folder and succeeded; its messages go to the test's log.
bool runVorlap(const QStringList& arguments, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(VORLAP_BINARY, arguments);
    const bool ran = process.waitForFinished(60000) &&
                     process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!ran)
        qWarning("%s", process.readAllStandardError().constData());
    return ran;
}

// Opens the label in the window.
void open(MainFormFixture& f, const QString& label) {
    f.script->fileAnswers.enqueue(label);
    f.form->FileOpenItemClick();
}

// Runs the command, which is given `name` in the folder as the file's name.
void exportAs(MainFormFixture& f, Command command, const QString& name) {
    f.script->fileAnswers.enqueue(f.path(name));
    f.form->runCommand(command);
}

QImage rasterised(const QString& pdf) {
    QProcess::execute(
        "pdftoppm", {"-r", "100", "-aa", "no", "-aaVector", "no", "-png", "-singlefile", pdf, pdf});
    return QImage(pdf + ".png").convertToFormat(QImage::Format_RGB32);
}

// The red pixels' box within the area.
QRect redOf(const QImage& image, const QRect& area) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == qRgb(255, 0, 0))
                box |= QRect(x, y, 1, 1);
    return box;
}

// Millimetres on the page at 100 dpi.
QRect pixelsOf(double left, double top, double right, double bottom) {
    const auto px = [](double mm) { return int(std::lround(mm * 100 / 25.4)); };
    return QRect(QPoint(px(left), px(top)), QPoint(px(right) - 1, px(bottom) - 1));
}

bool near(const QRect& got, const QRect& want) {
    return qAbs(got.left() - want.left()) <= 1 && qAbs(got.top() - want.top()) <= 1 &&
           qAbs(got.right() - want.right()) <= 1 && qAbs(got.bottom() - want.bottom()) <= 1;
}

QString filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System).join(',');
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT
private slots:
    void pdfIsTheCommandLinesSheet();
    void imageIsTheCommandLinesDrawing();
    void svgHasTheLabelsSizeShapesAndText();
    void aFailedWriteSaysSoAndLeavesNothing();
};

void TestExport::pdfIsTheCommandLinesSheet() {
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty())
        QSKIP("poppler-utils (pdftoppm) is not installed");
    // A sheet of stock: 70 x 42 mm labels, two across at a 90 mm pitch, the first 15 mm from
    // the paper's left edge and 20 mm from its top.
    SheetStock stock;
    stock.code = "ESSAI";
    stock.labelWidth = 7000;
    stock.labelHeight = 4200;
    stock.columns = 2;
    stock.rows = 5;
    stock.hPitch = 9000;
    stock.vPitch = 5000;
    stock.left = 1500;
    stock.top = 2000;
    struct Case {
        LineList lines;
        int first, count, zoom, marginLeft, marginTop;
        // Where the first red rectangle printed lies on the page.
        QRect red;
    };
    const QList<Case> cases = {
        // The second cell only; the window's printer offset stays out of the PDF.
        {sampleLines(70, 42) << StockLine::write(stock), 1, 1, 100, 0, 0,
         pixelsOf(105 + 5, 20 + 5, 105 + 25, 20 + 15)},
        // The computed sheet, its margins and zoom.
        {sampleLines(70, 42), 0, -1, 150, 10, 20, pixelsOf(17.5, 27.5, 47.5, 42.5)},
    };
    for (const Case& c : cases) {
        MainFormFixture f;
        const QString label = f.path("planche.etq");
        LabelFile::write(label, c.lines);
        open(f, label);
        f.etiq().SetPage(c.marginLeft, c.marginTop, 0, 0, c.zoom);
        f.etiq().FirstCell = c.first;
        f.etiq().CellCount = c.count;
        f.etiq().PrinterOffset = QPointF(3, 4);
        exportAs(f, Command::ExportPdf, "fenetre");
        QCOMPARE(f.script->fileFilters.last(), QString("Documents PDF (*.pdf)"));
        QStringList arguments = {
            "--pdf",     "ligne.pdf",
            "--zoom",    QString::number(c.zoom),
            "--margins", QString("%1,%2,0,0").arg(c.marginLeft).arg(c.marginTop)};
        if (c.count >= 0)
            arguments << "--first" << QString::number(c.first + 1) << "--count"
                      << QString::number(c.count);
        QVERIFY(runVorlap(arguments << label, f.dir.path()));
        QCOMPARE(PrintedSheet::qpdfProblems(f.path("fenetre.pdf")), QString());
        QCOMPARE(PrintedSheet::qpdfProblems(f.path("ligne.pdf")), QString());
        const QImage window = rasterised(f.path("fenetre.pdf"));
        QVERIFY(!window.isNull());
        QVERIFY(window == rasterised(f.path("ligne.pdf")));
        const QRect firstCell = redOf(window, c.red.adjusted(-9, -9, 9, 9));
        QVERIFY2(near(firstCell, c.red), qPrintable(QString("red at %1,%2, %3 x %4")
                                                        .arg(firstCell.x())
                                                        .arg(firstCell.y())
                                                        .arg(firstCell.width())
                                                        .arg(firstCell.height())));
    }
}

void TestExport::imageIsTheCommandLinesDrawing() {
    // A selection in the window is no part of the picture.
    for (const char* sample : {"adresse.etq", "cd-vacances.etq"}) {
        const QString label = QFINDTESTDATA(QString("../../examples/") + sample);
        MainFormFixture f;
        open(f, label);
        f.etiq().ToutSel();
        exportAs(f, Command::ExportImage, "dessin");
        exportAs(f, Command::ExportImage, "dessin.svg");
        QCOMPARE(f.script->fileFilters.last(), QString("Image PNG (*.png);;Image SVG (*.svg)"));
        QVERIFY(runVorlap({"--png", "ligne.png", label}, f.dir.path()));
        QVERIFY(runVorlap({"--svg", "ligne.svg", label}, f.dir.path()));
        QVERIFY(!fileBytes(f.path("dessin.png")).isEmpty());
        QVERIFY(fileBytes(f.path("dessin.png")) == fileBytes(f.path("ligne.png")));
        QVERIFY(fileBytes(f.path("dessin.svg")).startsWith("<?xml"));
        QVERIFY(fileBytes(f.path("dessin.svg")) == fileBytes(f.path("ligne.svg")));
    }
}

void TestExport::svgHasTheLabelsSizeShapesAndText() {
    struct Case {
        int side[2];
        const char* width;
        const char* height;
        const char* viewBox;
    };
    // Label pixels are 0.25 mm, and 1/3 mm on a CD label.
    for (const Case& c : {Case{{70, 42}, "70mm", "42mm", "0 0 280 168"},
                          Case{{126, 126}, "126mm", "126mm", "0 0 378 378"}}) {
        QTemporaryDir dir;
        LabelFile::write(dir.filePath("a.etq"), sampleLines(c.side[0], c.side[1]));
        QVERIFY(runVorlap({"--svg", "a.svg", "a.etq"}, dir.path()));
        QFile file(dir.filePath("a.svg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader svg(&file);
        QStringList texts;
        bool rectangle = false;
        while (!svg.atEnd()) {
            if (svg.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QXmlStreamAttributes a = svg.attributes();
            if (svg.name() == u"svg") {
                QCOMPARE(a.value("width"), QString(c.width));
                QCOMPARE(a.value("height"), QString(c.height));
                QCOMPARE(a.value("viewBox"), QString(c.viewBox));
            } else if (svg.name() == u"text") {
                texts.append(svg.readElementText());
            } else if (svg.name() == u"rect") {
                // In the viewBox's units, the label's own pixels.
                const QRectF box(a.value("x").toDouble(), a.value("y").toDouble(),
                                 a.value("width").toDouble(), a.value("height").toDouble());
                rectangle =
                    rectangle || (qAbs(box.left() - 20) <= 1 && qAbs(box.top() - 20) <= 1 &&
                                  qAbs(box.right() - 100) <= 1 && qAbs(box.bottom() - 60) <= 1);
            }
        }
        QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
        QVERIFY(rectangle);
        QCOMPARE(texts, QStringList{"Bonjour"});
    }
}

void TestExport::aFailedWriteSaysSoAndLeavesNothing() {
    MainFormFixture f;
    const QString folder = f.path("sortie");
    QVERIFY(QDir().mkdir(folder));
    const QString old = folder + "/ancien.pdf";
    {
        QFile file(old);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("ancien") == 6);
    }
    // A disk that fills up, whatever our privileges; then a folder that takes no writes,
    // unless root, whom its permissions do not stop.
    for (const bool full : {true, false}) {
        if (!full && ::geteuid() == 0)
            break;
        for (const QString name : {"ancien.pdf", "dessin", "dessin.svg"}) {
            f.script->messages.clear();
            {
                std::optional<FileSizeLimit> limit;
                if (full)
                    limit.emplace(64);
                else
                    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
                exportAs(f, name.endsWith(".pdf") ? Command::ExportPdf : Command::ExportImage,
                         "sortie/" + name);
                QFile::setPermissions(folder,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            }
            const QString written = folder + '/' + (name.contains('.') ? name : name + ".png");
            QCOMPARE(f.script->messages.size(), 1);
            QCOMPARE(f.script->messages[0].text, "Ne peut créer le fichier " + written);
            QCOMPARE(filesIn(folder), QString("ancien.pdf"));
            QCOMPARE(fileBytes(old), QByteArray("ancien"));
        }
    }
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
