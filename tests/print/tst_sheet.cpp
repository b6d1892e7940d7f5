#include "GdiCanvas.h"
#include "LabelDocument.h"
#include "PrintDevice.h"
#include "ScriptedDialogs.h"
#include "SheetPainter.h"
#include "SpinEdit.h"
#include "TEcran.h"

#include <QCursor>
#include <QFrame>
#include <QGuiApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

QByteArray style(int brush, ColorRef brushColor, ColorRef penColor = 0, int penStyle = 0,
                 int fontSize = 12) {
    StyleBlock s;
    s.brushStyle = brush;
    s.brushColor = brushColor;
    s.penStyle = penStyle;
    s.penColor = penColor;
    s.fontSize = fontSize;
    return LineCodec::writeStyles(s);
}

QByteArray object(const QByteArray& keyword, int l, int t, int r, int b, const QByteArray& styles,
                  const QByteArray& kind = {}, char mark = ' ') {
    return mark + QByteArray("0") + keyword + ' ' + LineCodec::writeRect(l, t, r, b) + kind + '\t' +
           styles;
}

constexpr double kDotsPerMm = 300 / 25.4;

// Millimetres on the 300-dpi page, to the pixel they fall in.
int px(double mm) {
    return int(mm * kDotsPerMm);
}

// The printed page of the lines at 300 dots per inch, the whole A4 sheet printable.
QImage printed(const LineList& lines, const PageSetupValues& setup = {}, int copies = 1) {
    ImagePagesDevice device(300);
    SheetLayout layout;
    layout.Init2(setup, lines,
                 PaperSize{device.pagePixels(), device.pageMillimetres(), device.resolution()});
    printSheet(device, layout, lines, copies);
    return device.pages().value(0);
}

int inked(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixel(x, y) != kWhite;
    return count;
}

} // namespace

class TestSheet : public QObject {
    Q_OBJECT
private slots:
    void everyCellOnPaperAtItsPlace();
    void sheetDrawingDiffersFromTheWindowAsItShould();
    void backgroundsFillTheirOwnCell();
    void previewAndZoom();
    void thePreviewPagesThroughAList();
    void theSheetLaysOutTheLabelAsOpened();
    void printingShowsTheBusyCursorAndThenSaysWhatFailed();
};

void TestSheet::everyCellOnPaperAtItsPlace() {
    // 70 x 43 mm: 3 columns, 6 rows. A black square at label pixels (100, 40)-(120, 60) is
    // 25-30 mm across and 10-15 mm down in each cell at zoom 100, on a page of 300 dpi.
    LineList lines = LineCodec::newLabel({70, 43, 0, 0});
    lines.append(object("RECT", 100, 40, 120, 60, style(0, 0)));
    const QImage page = printed(lines);
    QCOMPARE(page.size(), QSize(2480, 3508));
    const auto at = [](double x, double y) { return QPoint(px(x), px(y)); };
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 3; ++column) {
            const double left = 70.0 * column, top = 43.0 * row;
            QCOMPARE(page.pixel(at(left + 25.2, top + 10.2)), kBlack);
            QCOMPARE(page.pixel(at(left + 29.8, top + 14.8)), kBlack);
            QCOMPARE(page.pixel(at(left + 24.8, top + 12.5)), kWhite);
            QCOMPARE(page.pixel(at(left + 30.2, top + 12.5)), kWhite);
        }
    }
    const double square = 18 * std::pow(5 * kDotsPerMm, 2);
    QVERIFY(std::abs(inked(page, page.rect()) - square) < 0.05 * square);

    // The margins move every object by exactly their millimetres; a selected or locked
    // object prints like the others.
    LineList marked = lines;
    marked[2][0] = '*';
    const QImage shifted = printed(marked, PageSetupValues{10, 5, 0, 0, 100});
    QCOMPARE(shifted.pixel(at(10 + 25.2, 5 + 10.2)), kBlack);
    QCOMPARE(shifted.pixel(at(10 + 24.8, 5 + 10.2)), kWhite);
    QCOMPARE(shifted.pixel(at(10 + 25.2, 5 + 9.8)), kWhite);
    QVERIFY(std::abs(inked(shifted, shifted.rect()) - square) < 0.05 * square);
}

void TestSheet::sheetDrawingDiffersFromTheWindowAsItShould() {
    // A text keeps its brush on paper: a white box over the black ground behind it.
    LineList lines = LineCodec::newLabel({100, 100, 0, 0});
    lines.append(object("RECT", 0, 0, 300, 100, style(0, 0)));
    lines.append(object("TEXT", 10, 10, 60, 30, style(0, 0x00FFFFFF, 0x00FFFFFF, 0, 12), "iiii"));
    QImage page = printed(lines);
    int whiteInBox = 0;
    for (int x = 30; x < 60; ++x)
        whiteInBox += page.pixel(x, 45) == kWhite;
    QVERIFY(whiteInBox > 10);

    // A polygon of 350 points is drawn with its first 300; "CHORD" draws nothing.
    QList<QPoint> points;
    for (int i = 0; i < 350; ++i)
        points.append(QPoint(i < 300 ? 10 + i % 50 : 200, i < 300 ? 10 + i / 6 : 300));
    const QByteArray pointList = LineCodec::writePoints(points);
    LineList polygon = LineCodec::newLabel({100, 100, 0, 0});
    polygon.append(object("POLYG", 10, 10, 200, 300, style(1, 0), pointList));
    LineList first300 = LineCodec::newLabel({100, 100, 0, 0});
    first300.append(object("POLYG", 10, 10, 200, 300, style(1, 0), pointList.first(300 * 6)));
    first300.append(object("CHORDL", 0, 0, 300, 300, style(0, 0)));
    QCOMPARE(printed(polygon), printed(first300));

    // A line without a style block takes nothing over from the line before it.
    LineList plain = LineCodec::newLabel({100, 100, 0, 0});
    plain.append(object("RECT", 0, 0, 50, 50, style(0, 0x000000FF)));
    plain.append(" 0RECT 0000000000C80C8");
    page = printed(plain);
    QCOMPARE(page.pixel(300, 300), kWhite);
    QCOMPARE(page.pixel(75, 75), qRgb(255, 0, 0));
}

void TestSheet::backgroundsFillTheirOwnCell() {
    // Two cells side by side with 10 mm between them: each gets its own background, and
    // the gap stays white; the bands of a gradient start again at the top of each cell, and
    // are solid even where the record kept the cross hatch of a pattern chosen before.
    LineList lines = LineCodec::newLabel({95, 290, 10, 0});
    lines[1] = " 0COLOR 000000000000\t" + style(BrushCross, 0, 0x00000000);
    const QImage page = printed(lines);
    QCOMPARE(page.pixel(px(1), px(1)), kBlack);
    QCOMPARE(page.pixel(px(106), px(1)), kBlack);
    QCOMPARE(page.pixel(px(94.5), px(1)), kBlack);
    QCOMPARE(page.pixel(px(95.5), px(1)), kWhite);
    QCOMPARE(page.pixel(px(104.5), px(1)), kWhite);
    // Bands of 290 / 50 = 5.8 mm.
    QCOMPARE(page.pixel(px(1), px(6.5)), qRgb(5, 0, 0));
    QCOMPARE(page.pixel(px(106), px(6.5)), qRgb(5, 0, 0));
}

// The width of the first frame drawn in the middle row of the drawing area, as a share of
// the area's width: the paper's width is 210 mm.
double frameShare(const QImage& area, int y) {
    int left = -1, right = -1;
    for (int x = 0; x < area.width(); ++x) {
        if (area.pixel(x, y) != kBlack)
            continue;
        if (left < 0)
            left = x;
        else if (x > left + 2) {
            right = x;
            break;
        }
    }
    return left < 0 || right < 0 ? 0.0 : double(right - left + 1) / area.width();
}

void TestSheet::previewAndZoom() {
    ScriptedDialogsScope script;
    ImagePagesDevice printer(300);
    TEcran ecran;
    ecran.setPrinter(&printer);
    // A frame on the border of a 100 x 120 mm label: in the preview it fills its cell,
    // 100 / 210 of the sheet's width, at every opening, as it does on paper.
    LineList lines = LineCodec::newLabel({100, 120, 0, 0});
    lines.append(object("RECT", 0, 0, 400, 480, style(1, 0)));
    const auto open = [&](int zoom) {
        ecran.Init(0, 0, 0, 0, zoom, lines);
        ecran.show();
        if (!QTest::qWaitForWindowExposed(&ecran))
            return QImage();
        ecran.PaintBox1->repaint();
        return ecran.drawingArea();
    };
    for (int opening = 1; opening <= 2; ++opening) {
        const QImage area = open(100);
        QCOMPARE(area.size(), ecran.PaintBox1->size());
        const double share = frameShare(area, area.height() / 4);
        QVERIFY2(std::abs(share / (100.0 / 210) - 1) < 0.02,
                 qPrintable(QString("opening %1: %2 of the width").arg(opening).arg(share)));
        ecran.Button1->click();
        QVERIFY(!ecran.isVisible());
    }
    // The sheet keeps the printer's page ratio, centred.
    QCOMPARE(ecran.Panel2->width(), qRound(2480.0 / 3508 * ecran.Panel2->height()));
    QCOMPARE(ecran.Panel2->x(), (ecran.width() - ecran.Panel2->width()) / 2);

    // Zoom 50 in the box halves the frame; the cells stay where they are.
    open(100);
    ecran.SpinEdit1->setText("50");
    ecran.SpeedButton5->click();
    ecran.PaintBox1->repaint();
    QCOMPARE(ecran.Result(), 50);
    const QImage half = ecran.drawingArea();
    QVERIFY(std::abs(frameShare(half, half.height() / 8) / (50.0 / 210) - 1) < 0.04);
    ecran.Button1->click();
    // Any number is taken, even one that makes no sense, without a fault; only what shows
    // of the frame costs.
    LineList background = lines;
    background[1] = " 0FILLRECT 000000000000\t" + style(0, 0);
    ecran.Init(0, 0, 0, 0, 100, background);
    ecran.show();
    for (const char* zoom : {"0", "-80", "2000000000"}) {
        ecran.SpinEdit1->setText(zoom);
        ecran.SpeedButton5Click();
        ecran.FormPaint();
    }
    QCOMPARE(ecran.Result(), 2000000000);
    QVERIFY(script->messages.isEmpty());
    ecran.Button1->click();
    QVERIFY(!ecran.isVisible());
}

void TestSheet::thePreviewPagesThroughAList() {
    ScriptedDialogsScope script;
    ImagePagesDevice printer(300);
    TEcran ecran;
    ecran.setPrinter(&printer);
    QTemporaryDir dir;
    QFile list(dir.filePath("liste.csv"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("Nom\nA\nB\nC\nD\nE\n");
    list.close();
    // 100 x 120 mm: 2 x 2 cells. Five rows from the third cell: two on the first sheet, the
    // first three of the second; each printed cell black at its centre.
    SheetJob job;
    job.setup = {0, 0, 0, 0, 100};
    job.lines = LineCodec::newLabel({100, 120, 0, 0});
    job.lines.append(object("RECT", 0, 0, 400, 480, style(0, 0)));
    job.first = 2;
    job.mergeFile = list.fileName();
    ecran.Init(job);
    ecran.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ecran));
    const auto centres = [&] {
        ecran.PaintBox1->repaint();
        const QImage& area = ecran.drawingArea();
        QString seen;
        for (const QPointF mm :
             {QPointF(50, 60), QPointF(150, 60), QPointF(50, 180), QPointF(150, 180)}) {
            const QRgb pixel =
                area.pixel(int(mm.x() / 210 * area.width()), int(mm.y() / 297 * area.height()));
            seen += pixel == kBlack ? 'X' : pixel == kWhite ? '.' : 'u';
        }
        return ecran.SheetLabel->text() + ' ' + seen;
    };
    QVERIFY(ecran.SheetLabel->isVisible() && !ecran.PreviousSheetButton->isEnabled());
    QCOMPARE(centres(), QString("Page 1 / 2 uuXX"));
    QTest::keyClick(&ecran, Qt::Key_PageDown);
    QCOMPARE(centres(), QString("Page 2 / 2 XXX."));
    QVERIFY(!ecran.NextSheetButton->isEnabled());
    ecran.PreviousSheetButton->click();
    QCOMPARE(centres(), QString("Page 1 / 2 uuXX"));
    // Without a list the sheet has no pages to go through.
    job.mergeFile.clear();
    ecran.Init(job);
    QVERIFY(!ecran.SheetLabel->isVisible() && !ecran.NextSheetButton->isVisible());
    QCOMPARE(centres().right(4), QString("uuXX"));
    ecran.Button1->click();
}

void TestSheet::theSheetLaysOutTheLabelAsOpened() {
    // A header of 1 x 1 mm opens as the 70 x 42 mm label the window shows: 3 columns and
    // 7 rows on paper, not 62,370 cells of a label nobody sees.
    QTemporaryDir dir;
    const QString path = dir.filePath("petit.etq");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("001001000000\r\n 0BLANK\r\n 0RECT 000000118094\t" + style(1, 0) + "\r\n");
    file.close();
    LabelDocument document;
    document.load(path);
    QCOMPARE(document.format(), (LabelFormatValues{70, 42, 0, 0}));
    const QImage page = printed(document.Lines);
    // The frame of the last cell, 140-210 mm across and 252-294 mm down, and nothing beyond.
    QCOMPARE(page.pixel(px(140 + 35), px(252 + 0.05)), kBlack);
    QCOMPARE(page.pixel(px(140 + 35), px(294 + 1)), kWhite);
    QCOMPARE(page.pixel(px(70 + 35), px(42 + 0.05)), kBlack);
}

// A printer page that notes the cursor the program shows while it draws.
class WatchedPages : public ImagePagesDevice {
public:
    WatchedPages() : ImagePagesDevice(150) {}
    bool begin() override {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        busy = cursor && cursor->shape() == Qt::WaitCursor;
        return ImagePagesDevice::begin();
    }
    bool busy = false;
};

void TestSheet::printingShowsTheBusyCursorAndThenSaysWhatFailed() {
    ScriptedDialogsScope script;
    WatchedPages printer;
    TEcran ecran;
    LineList lines = LineCodec::newLabel({70, 42, 0, 0});
    lines.append(" 0RECT 0ZZ000010010\t" + style(0, 0));
    ecran.Init2(0, 0, 0, 0, 100, lines);
    ecran.Imprime(printer, 1);
    QVERIFY(printer.busy);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    // The line that cannot be drawn is said once for the whole sheet of 18 cells.
    QCOMPARE(script->messages.size(), 1);
    QCOMPARE(script->messages[0].text, QString("'$0ZZ' n'est pas une valeur entière correcte"));
    QCOMPARE(printer.pages().size(), 1);
}

QTEST_MAIN(TestSheet)
#include "tst_sheet.moc"
