#include "LineCodec.h"
#include "PictureCache.h"
#include "PrintDevice.h"
#include "PrintedSheet.h"
#include "SheetJob.h"
#include "SheetLayout.h"
#include "SheetPainter.h"
#include "SheetPdf.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <vector>

Q_DECLARE_METATYPE(SheetJob)

namespace {

// How far a pixel may lie outside what the other page holds around it.
constexpr int kEdgeTolerance = 72;
// How far the mean of the 3 x 3 pixels around may differ at the same time.
constexpr int kInkTolerance = 40;
// Where edges moved in both directions meet, a pixel or two may still stand out; whatever is
// really drawn otherwise shows by the hundred.
constexpr int kStrayAllowed = 8;

QByteArray style(int brushStyle, ColorRef brushColor, int penWidth, ColorRef penColor,
                 int fontSize = 10, const char* font = "Arial", ColorRef fontColor = 0) {
    StyleBlock s;
    s.brushStyle = brushStyle;
    s.brushColor = brushColor;
    s.penWidth = penWidth;
    s.penColor = penColor;
    s.fontColor = fontColor;
    s.fontSize = fontSize;
    s.fontName = font;
    return LineCodec::writeStyles(s);
}

QByteArray line(const char* keyword, int l, int t, int r, int b, const QByteArray& data,
                const QByteArray& styles) {
    return QByteArray(" 0") + keyword + ' ' + LineCodec::writeRect(l, t, r, b) + data + '\t' +
           styles;
}

QImage picture() {
    QImage image(24, 18, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 10, y * 14, (x ^ y) * 8));
    return image;
}

// A gray picture, which the PDF keeps in one channel.
QImage grayPicture() {
    QImage image(20, 16, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 12 + y, x * 12 + y, x * 12 + y));
    return image;
}

// A 70 x 42 mm label (280 x 168 label pixels) of every kind of drawing, with figures that
// reach out of the cell on every side.
LineList figures() {
    return {LineCodec::writeHeader({70, 42, 0, 0}),
            line("FILLRECT", 0, 0, 0, 0, {}, style(BrushSolid, 0xF0FFF0, 1, 0)),
            line("RECT", 10, 10, 120, 80, {}, style(BrushSolid, 0x3060C0, 2, 0x000080)),
            line("ELLIPSE", 60, 40, 200, 150, {}, style(BrushCross, 0x0000FF, 1, 0x008000)),
            line("LINE", 0, 0, 279, 167, {}, style(BrushClear, 0, 5, 0x202020)),
            line("BITMAP", 150, 20, 246, 92, LineCodec::writePicture(picture()),
                 style(BrushClear, 0, 1, 0)),
            line("BITMAP", 210, 100, 270, 148, LineCodec::writePicture(grayPicture()),
                 style(BrushClear, 0, 1, 0)),
            line("TEXT", 20, 100, 200, 130, "\xC9tiquette 42", style(BrushClear, 0, 1, 0, 14)),
            line("TEXT", 20, 130, 260, 160,
                 "exp\xE9"
                 "diteur",
                 style(BrushSolid, 0xFFFF00, 1, 0, 9, "DejaVu Sans", 0x0000C0)),
            // Out of the cell, to the left and above, then to the right and below.
            line("RECT", -40, -30, 30, 20, {}, style(BrushSolid, 0x00A0FF, 1, 0)),
            line("ELLIPSE", 250, 140, 330, 200, {}, style(BrushDiagCross, 0xC000C0, 3, 0xC000C0))};
}

// A label printed from a list: a field text under a rectangle drawn after it, a field
// barcode, a fixed text over everything.
LineList addressLabel() {
    return {LineCodec::writeHeader({70, 42, 0, 0}),
            " 0BLANK",
            line("RECT", 4, 4, 276, 164, {}, style(BrushClear, 0, 2, 0)),
            line("TEXT", 10, 10, 250, 40, "{Nom}", style(BrushClear, 0, 1, 0, 14)),
            line("RECT", 40, 20, 120, 60, {}, style(BrushSolid, 0x80C0FF, 1, 0x000000)),
            line("TEXT", 10, 60, 250, 90, "{Ville} {{{Code}}}", style(BrushClear, 0, 1, 0, 10)),
            line("BARCODE", 160, 95, 270, 160, "CODE128 {Code}", style(BrushClear, 0, 1, 0, 8)),
            line("TEXT", 10, 130, 150, 160, "Fragile", style(BrushSolid, 0xFFFFFF, 1, 0, 12))};
}

// Each channel's least, greatest and mean value over the pixels within `reach` of each pixel.
struct Surroundings {
    int width = 0;
    std::vector<uchar> low, high, mean;

    Surroundings(const QImage& image, int reach) : width(image.width()) {
        const int w = image.width(), h = image.height();
        std::vector<uchar> rowLow(size_t(w) * h * 3), rowHigh(rowLow.size());
        std::vector<int> rowSum(rowLow.size());
        for (int y = 0; y < h; ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c) {
                    int least = 255, most = 0, sum = 0;
                    for (int nx = std::max(0, x - reach); nx <= std::min(w - 1, x + reach); ++nx) {
                        const int v = (line[nx] >> (16 - 8 * c)) & 0xFF;
                        least = std::min(least, v);
                        most = std::max(most, v);
                        sum += v;
                    }
                    const size_t at = (size_t(y) * w + x) * 3 + c;
                    rowLow[at] = uchar(least);
                    rowHigh[at] = uchar(most);
                    rowSum[at] = sum;
                }
        }
        low.resize(rowLow.size());
        high.resize(rowLow.size());
        mean.resize(rowLow.size());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int across = std::min(w - 1, x + reach) - std::max(0, x - reach) + 1;
                for (int c = 0; c < 3; ++c) {
                    int least = 255, most = 0, sum = 0, count = 0;
                    for (int ny = std::max(0, y - reach); ny <= std::min(h - 1, y + reach); ++ny) {
                        const size_t at = (size_t(ny) * w + x) * 3 + c;
                        least = std::min<int>(least, rowLow[at]);
                        most = std::max<int>(most, rowHigh[at]);
                        sum += rowSum[at];
                        count += across;
                    }
                    const size_t at = (size_t(y) * w + x) * 3 + c;
                    low[at] = uchar(least);
                    high[at] = uchar(most);
                    mean[at] = uchar(sum / count);
                }
            }
    }
};

// The inks of the figures' hatches.
constexpr QRgb kHatchInks[] = {qRgb(0xFF, 0, 0), qRgb(0xC0, 0, 0xC0)};

// Pixels of `a` that lie further than the tolerance outside the values `b` has within two
// pixels, while the ink of the 3 x 3 pixels around differs too. An edge moved by a fraction of
// a drawing pixel shares its ink out among other pixels, or moves by one pixel where the
// rasteriser snaps it to the grid; a missing, moved or recoloured object or objects drawn in the
// wrong order do more. Where a hatched figure's edge moves by a pixel, a hatch line shows one
// pixel more or less along it: hatch ink is left to hatchesInStep().
int strayPixels(const QImage& a, const QImage& b, QPoint* first) {
    const Surroundings nearB(b, 2), aroundA(a, 1), aroundB(b, 1);
    int stray = 0;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (std::any_of(std::begin(kHatchInks), std::end(kHatchInks), [&](QRgb ink) {
                    return std::abs(qRed(ink) - qRed(line[x])) <= kInkTolerance &&
                           std::abs(qGreen(ink) - qGreen(line[x])) <= kInkTolerance &&
                           std::abs(qBlue(ink) - qBlue(line[x])) <= kInkTolerance;
                }))
                continue;
            for (int c = 0; c < 3; ++c) {
                const int v = (line[x] >> (16 - 8 * c)) & 0xFF;
                const size_t at = (size_t(y) * a.width() + x) * 3 + c;
                const bool outside =
                    v < nearB.low[at] - kEdgeTolerance || v > nearB.high[at] + kEdgeTolerance;
                if (outside && std::abs(aroundA.mean[at] - aroundB.mean[at]) > kInkTolerance) {
                    if (stray++ == 0)
                        *first = QPoint(x, y);
                    break;
                }
            }
        }
    }
    return stray;
}

// The 16 x 16 pixels around the middle of the cross-hatched ellipse of figures() in each
// printed cell of a page, at the same distance from the label's lower right pixel, where its
// hatches start: the same hatch, pixel for pixel, in every copy of the label.
QList<QImage> hatchPatches(const QImage& page, const SheetLayout& layout, int sheet) {
    const QPoint size = QPoint(layout.LabelWidth, layout.LabelHeight) * layout.labelPixelsPerMm();
    const CellTransform first = layout.transform(0, 0);
    const QPoint middle = first.map(QPoint(130, 95)) - first.map(size);
    QList<QImage> patches;
    for (int row = 0; row < layout.rows(); ++row)
        for (int column = 0; column < layout.columns(); ++column) {
            if (!layout.printsCell(row, column, sheet))
                continue;
            const QPoint corner = layout.transform(row, column).map(size);
            patches.append(page.copy(QRect(corner + middle - QPoint(8, 8), QSize(16, 16))));
        }
    return patches;
}

QStringList sortedWords(const QString& pdf) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    pdftotext.waitForFinished(30000);
    QStringList words = QString::fromUtf8(pdftotext.readAllStandardOutput())
                            .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    words.sort();
    return words;
}

} // namespace

// The sheet's PDF with the label drawn once and placed in each cell, against the same sheet
// drawn cell by cell on QPdfWriter (as printing still draws it), both read back by poppler.
class TestSheetPdf : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase();
    void looksAsEachCellDrawnAlone_data();
    void looksAsEachCellDrawnAlone();
};

void TestSheetPdf::initTestCase() {
    for (const char* tool : {"pdftoppm", "pdftotext"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP("poppler-utils (pdftoppm, pdftotext) is not installed");
    QVERIFY(dir_.isValid());
    QFile list(dir_.filePath(QStringLiteral("adresses.csv")));
    QVERIFY(list.open(QIODevice::WriteOnly));
    QByteArray rows = "Nom;Ville;Code\n";
    for (int i = 1; i <= 25; ++i)
        rows += "M. Dupr\xC3\xA9 " + QByteArray::number(i) + ";Lyon;" +
                QByteArray::number(69000 + i) + '\n';
    list.write(rows);
}

void TestSheetPdf::looksAsEachCellDrawnAlone_data() {
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<SheetJob>("job");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("copies");
    // Whether the label can be drawn once: not when a cell's first style would be what the
    // cell before it left.
    QTest::addColumn<bool>("drawnOnce");

    SheetJob computed;
    computed.setup = {10, 15, 0, 0, 100};
    computed.name = QStringLiteral("figures.etq");
    QTest::newRow("computed sheet with margins, figures out of their cells, 2 copies")
        << figures() << computed << 300 << 2 << true;

    SheetJob stock;
    stock.setup = {0, 0, 0, 0, 80};
    stock.stock =
        SheetStock{QStringLiteral("T1"),         QString(), 6350, 3810, 3, 7, 6600, 3810, 720, 1515,
                   SheetStock::Shape::Rectangle, QString()};
    stock.first = 4;
    stock.count = 9;
    stock.offset = QPointF(1.3, -0.7);
    QTest::newRow("partly used stock with an offset, zoom 80, 150 dpi")
        << figures() << stock << 150 << 1 << true;

    SheetJob merge;
    merge.setup = {5, 5, 0, 0, 100};
    merge.first = 4;
    merge.mergeFile = dir_.filePath(QStringLiteral("adresses.csv"));
    QTest::newRow("address list over two sheets, fields under other objects, 2 copies")
        << addressLabel() << merge << 300 << 2 << true;

    LineList inherited = figures();
    // A brush digit out of range keeps the brush the line before left: in the cell before.
    inherited[1] = line("RECT", 0, 0, 279, 167, {}, "9" + style(0, 0x00C000, 1, 0).mid(1));
    QTest::newRow("first style carried over from the cell before")
        << inherited << computed << 300 << 1 << false;
}

void TestSheetPdf::looksAsEachCellDrawnAlone() {
    QFETCH(QByteArrayList, lines);
    QFETCH(SheetJob, job);
    QFETCH(int, dpi);
    QFETCH(int, copies);
    QFETCH(bool, drawnOnce);
    job.lines = lines;
    const QString tag = QString::fromLatin1(QTest::currentDataTag()).left(12);
    const QString alone = dir_.filePath(tag + QStringLiteral(" alone.pdf"));
    const QString once = dir_.filePath(tag + QStringLiteral(" once.pdf"));

    PdfFileDevice device(alone, dpi);
    device.setDocumentName(job.name);
    SheetLayout layout;
    layout.Init2(job,
                 PaperSize{device.pagePixels(), device.pageMillimetres(), device.resolution()});
    PictureCache cache;
    const QList<BrokenLine> brokenAlone = printSheet(device, layout, lines, copies, &cache);
    const std::optional<QList<BrokenLine>> brokenOnce =
        SheetPdf::write(once, layout, lines, copies, job.name, &cache);
    QCOMPARE(PrintedSheet::qpdfProblems(alone), QString());
    QCOMPARE(brokenOnce.has_value(), drawnOnce);
    if (!drawnOnce) {
        // Nothing is written: the caller draws each cell.
        QVERIFY(!QFile::exists(once));
        return;
    }
    QCOMPARE(brokenOnce->size(), brokenAlone.size());
    QCOMPARE(PrintedSheet::qpdfProblems(once), QString());

    // At the drawing's resolution: a cell placed from the label drawn once lands within a
    // drawing pixel of where it was drawn on its own.
    const QList<QImage> before = PrintedSheet::pageImages(alone, dpi);
    const QList<QImage> after = PrintedSheet::pageImages(once, dpi);
    QVERIFY(!before.isEmpty());
    QCOMPARE(after.size(), before.size());
    for (qsizetype page = 0; page < before.size(); ++page) {
        QCOMPARE(after[page].size(), before[page].size());
        for (const bool added : {true, false}) {
            QPoint first;
            const int stray = added ? strayPixels(after[page], before[page], &first)
                                    : strayPixels(before[page], after[page], &first);
            QVERIFY2(stray <= kStrayAllowed,
                     qPrintable(QStringLiteral("page %1: %2 pixels %3, the first at %4, %5")
                                    .arg(page + 1)
                                    .arg(stray)
                                    .arg(added ? "not drawn before" : "no longer drawn")
                                    .arg(first.x())
                                    .arg(first.y())));
        }
    }
    // The hatch is in step in every cell, as each cell drawn alone shows it.
    if (lines == figures()) {
        const QList<QImage> alonePatches = hatchPatches(before.first(), layout, 0);
        const QList<QImage> oncePatches = hatchPatches(after.first(), layout, 0);
        QVERIFY(!alonePatches.isEmpty());
        for (qsizetype cell = 0; cell < alonePatches.size(); ++cell) {
            QCOMPARE(oncePatches[cell], alonePatches[cell]);
            QCOMPARE(oncePatches[cell], oncePatches.first());
        }
    }
    // Texts stay texts, every one of them.
    QCOMPARE(sortedWords(once), sortedWords(alone));
}

QTEST_MAIN(TestSheetPdf)
#include "tst_sheetpdf.moc"
