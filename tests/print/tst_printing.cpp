#include "GdiCanvas.h"
#include "PrintDevice.h"
#include "PrintedSheet.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr ColorRef red = 0x0000FF, green = 0x00FF00, navy = 0x800000, orange = 0x0080FF;
// Where the figures lie on the page, in device pixels.
const QSize kFigures(1000, 940);
const QString kText = QStringLiteral("Vorlap Zürich");

bool hasPoppler() {
    for (const char* tool : {"pdftoppm", "pdftotext", "pdfimages"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return false;
    return true;
}

QByteArray output(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}

// The top-left `size` of a PDF page rasterised at dpi, without smoothing.
QImage renderBack(const QString& pdf, int dpi, QSize size, int page = 1) {
    const QString base = pdf + QStringLiteral("-page");
    const QStringList options = {"-r", QString::number(dpi), "-aa", "no", "-aaVector", "no"};
    const QStringList area = {"-x", "0",
                              "-y", "0",
                              "-W", QString::number(size.width()),
                              "-H", QString::number(size.height())};
    const QStringList pages = {"-f", QString::number(page), "-l", QString::number(page)};
    output(QStringLiteral("pdftoppm"),
           options + area + pages + QStringList{"-png", "-singlefile", pdf, base});
    return QImage(base + ".png").convertToFormat(QImage::Format_RGB32);
}

// A picture of smooth colours, no two columns alike.
QImage smoothPicture() {
    QImage picture(50, 40, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 5, 40 + y * 5, 200 - x * 2 - y));
    return picture;
}

// One of every figure the canvas draws, with pens of width 1 and 5, dashes, hatches, an
// inside frame, texts and a picture drawn twice.
void drawFigures(GdiCanvas& c, const QImage& picture, const QImage& cutShort) {
    c.setPenColor(navy);
    c.setBrushColor(green);
    for (int row = 0; row < 2; ++row) {
        const int y = 20 + row * 130;
        c.setPenWidth(row ? 5 : 1);
        c.rectangle(20, y, 180, y + 100);
        c.ellipse(200, y, 360, y + 100);
        c.roundRect(380, y, 540, y + 100, 60, 40);
        c.arc(560, y, 720, y + 100, 560, y, 720, y + 100);
        c.arc(740, y + 100, 900, y, 900, y, 740, y + 100);
        c.moveTo(920, y);
        c.lineTo(990, y + 100);
        c.polygon({{20, y + 210}, {180, y + 120}, {180, y + 210}, {20, y + 120}});
        c.polyline({{200, y + 120}, {360, y + 210}, {280, y + 120}});
    }
    c.setPenWidth(1);
    int x = 380;
    for (int style : {BrushHorizontal, BrushVertical, BrushFDiagonal, BrushBDiagonal, BrushCross,
                      BrushDiagCross}) {
        c.setBrushStyle(style);
        c.setBrushColor(red);
        c.rectangle(x, 270, x + 90, 360);
        x += 100;
    }
    c.setBrushStyle(BrushSolid);
    c.setBrushColor(orange);
    c.setPenStyle(PenInsideFrame);
    c.setPenWidth(8);
    c.rectangle(20, 400, 180, 500);
    c.ellipse(200, 400, 360, 500);
    c.roundRect(380, 400, 540, 500, 50, 50);
    c.setPenStyle(PenClear);
    c.ellipse(560, 400, 720, 500);
    c.setPenWidth(1);
    x = 20;
    for (int style : {PenDash, PenDot, PenDashDot, PenDashDotDot}) {
        c.setPenStyle(style);
        c.setBrushStyle(BrushClear);
        c.rectangle(x, 530, x + 150, 620);
        x += 170;
    }
    c.setPenStyle(PenSolid);
    c.setBrushStyle(BrushSolid);
    c.setBrushColor(0x00FFFF);
    c.setFontName(QStringLiteral("Arial"));
    c.setFontSize(14);
    c.setFontColor(navy);
    c.textOut(20, 650, kText);
    c.setBrushStyle(BrushClear);
    c.setFontName(QStringLiteral("Times New Roman"));
    c.setFontStyle(FontItalic);
    c.textOut(500, 650, kText);
    c.stretchDraw(20, 760, 120, 840, picture);
    c.stretchDraw(240, 760, 140, 840, picture);
    // Only the first 30 of its 50 columns: the rest is white.
    c.stretchDraw(260, 760, 360, 840, cutShort, picture.size());
    c.setBrushStyle(BrushCross);
    c.fillRect(400, 760, 520, 840);
    c.whiten(420, 780, 440, 800);
}

QImage drawnOnImage(int dpi) {
    QImage image(kFigures, QImage::Format_RGB32);
    image.fill(Qt::white);
    GdiCanvas canvas(&image, dpi);
    const QImage picture = smoothPicture();
    drawFigures(canvas, picture, picture.copy(0, 0, 30, 40));
    canvas.flush();
    return image;
}

bool near(QRgb a, QRgb b) {
    return qAbs(qRed(a) - qRed(b)) <= 24 && qAbs(qGreen(a) - qGreen(b)) <= 24 &&
           qAbs(qBlue(a) - qBlue(b)) <= 24;
}

// Whether a pixel of `colour` lies within one pixel of (x, y) in the image.
bool nearby(const QImage& image, int x, int y, QRgb colour) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.rect().contains(x + dx, y + dy) && near(image.pixel(x + dx, y + dy), colour))
                return true;
    return false;
}

struct Comparison {
    int ink = 0;       // pixels of the reference that are not white
    int differing = 0; // pixels whose colours differ
    int misplaced = 0; // differing pixels further than one pixel from their colour
};

Comparison compare(const QImage& reference, const QImage& printed) {
    Comparison result;
    for (int y = 0; y < reference.height(); ++y) {
        for (int x = 0; x < reference.width(); ++x) {
            const QRgb want = reference.pixel(x, y), got = printed.pixel(x, y);
            result.ink += want != qRgb(255, 255, 255);
            if (near(want, got))
                continue;
            ++result.differing;
            if (!nearby(printed, x, y, want) || !nearby(reference, x, y, got))
                ++result.misplaced;
        }
    }
    return result;
}

// The uncompressed content streams of a PDF's pages.
QByteArray pageContents(const QByteArray& pdf) {
    QByteArray contents;
    static const QRegularExpression reference(QStringLiteral("/Contents (\\d+) 0 R"));
    const QString text = QString::fromLatin1(pdf);
    for (auto it = reference.globalMatch(text); it.hasNext();) {
        const qsizetype object = text.indexOf('\n' + it.next().captured(1) + " 0 obj");
        const qsizetype begin = text.indexOf(QStringLiteral("stream\n"), object) + 7;
        const qsizetype end = text.indexOf(QStringLiteral("endstream"), begin);
        if (object < 0 || begin < 7 || end < 0)
            return {};
        // qUncompress wants the size first, and grows its buffer when that is short.
        contents += qUncompress(QByteArray("\0\1\0\0", 4) + pdf.mid(begin, end - begin));
    }
    return contents;
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void figuresGoToPdfAsPathsTextAndOnePicture_data();
    void figuresGoToPdfAsPathsTextAndOnePicture();
};

void TestPrinting::initTestCase() {
    if (!hasPoppler())
        QSKIP("poppler-utils (pdftoppm, pdftotext, pdfimages) is not installed");
}

void TestPrinting::figuresGoToPdfAsPathsTextAndOnePicture_data() {
    QTest::addColumn<int>("dpi");
    QTest::newRow("300 dpi") << 300;
    QTest::newRow("600 dpi") << 600;
}

void TestPrinting::figuresGoToPdfAsPathsTextAndOnePicture() {
    QFETCH(int, dpi);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("figures.pdf");
    PdfFileDevice device(pdf, dpi);
    const QImage picture = smoothPicture();
    const QImage cutShort = picture.copy(0, 0, 30, 40);
    printCopies(device, 2, [&](QPainter& painter) {
        GdiCanvas canvas;
        canvas.setPainter(&painter, dpi);
        drawFigures(canvas, picture, cutShort);
        canvas.flush();
    });

    QCOMPARE(PrintedSheet::qpdfProblems(pdf), QString());
    // Both pages look as the figures do on screen at the same resolution, but for pixels
    // along the edges.
    const QImage reference = drawnOnImage(dpi);
    for (int page = 1; page <= 2; ++page) {
        const Comparison c = compare(reference, renderBack(pdf, dpi, kFigures, page));
        QVERIFY2(c.differing < c.ink / 20 && c.misplaced < c.ink / 1000,
                 qPrintable(QStringLiteral("page %1: %2 ink pixels, %3 differ, %4 out of place")
                                .arg(page)
                                .arg(c.ink)
                                .arg(c.differing)
                                .arg(c.misplaced)));
    }

    // Paths, not pixels: a few operators a figure.
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString contents = QString::fromLatin1(pageContents(file.readAll()));
    static const QRegularExpression pathOperator(QStringLiteral("\\s(m|l|c|re)\\s"));
    const qsizetype operators = contents.count(pathOperator);
    QVERIFY2(operators > 100 && operators < 1000, qPrintable(QString::number(operators)));

    // Texts are texts. The pictures are stored once each, losslessly, for their six draws.
    QCOMPARE(QString::fromUtf8(output("pdftotext", {pdf, "-"})).count(kText), 4);
    QStringList draws =
        QString::fromLatin1(output("pdfimages", {"-list", pdf})).split('\n', Qt::SkipEmptyParts);
    draws = draws.mid(2);
    QCOMPARE(draws.size(), 6);
    QSet<QString> stored;
    for (const QString& draw : std::as_const(draws)) {
        const QStringList fields = draw.simplified().split(' ');
        QCOMPARE(fields.value(8), QString("image"));
        stored.insert(fields.value(10));
    }
    QCOMPARE(stored.size(), 2);
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
