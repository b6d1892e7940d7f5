#include "LabelFile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

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

} // namespace

class TestExport : public QObject {
    Q_OBJECT
private slots:
    void svgHasTheLabelsSizeShapesAndText();
};

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

QTEST_MAIN(TestExport)
#include "tst_export.moc"
