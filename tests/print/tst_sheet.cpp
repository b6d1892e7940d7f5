#include "GdiCanvas.h"
#include "PrintDevice.h"
#include "ScriptedDialogs.h"
#include "SheetPainter.h"
#include "SpinEdit.h"
#include "TEcran.h"

#include <QCursor>
#include <QFrame>
#include <QGuiApplication>
#include <QPushButton>
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

// The printed page of the lines at 300 dots per inch, the whole A4 sheet printable.
QImage printed(const LineList& lines, const PageSetupValues& setup = {}, int copies = 1) {
    ImagePagesDevice device(300);
    SheetLayout layout;
    layout.Init2(setup, lines, PaperSize{device.pagePixels(), device.pageMillimetres()});
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
    void printingShowsTheBusyCursorAndThenSaysWhatFailed();
};

void TestSheet::everyCellOnPaperAtItsPlace() {
    // 70 x 43 mm: 3 columns, 6 rows. A black square at label pixels (100, 40)-(120, 60)
    // lands at (300, 120)-(360, 180) printer pixels in each cell at zoom 100.
    LineList lines = LineCodec::newLabel({70, 43, 0, 0});
    lines.append(object("RECT", 100, 40, 120, 60, style(0, 0)));
    const QImage page = printed(lines);
    QCOMPARE(page.size(), QSize(2480, 3508));
    const int cellWidth = qRound(2480 / 210.0 * 70);  // Mh(70)
    const int cellHeight = qRound(3508 / 297.0 * 43); // Mv(43)
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QPoint origin(column * cellWidth, row * cellHeight);
            QCOMPARE(page.pixel(origin + QPoint(330, 150)), kBlack);
            QCOMPARE(page.pixel(origin + QPoint(298, 150)), kWhite);
        }
    }
    QCOMPARE(inked(page, page.rect()), 18 * 60 * 60);

    // The margins move every object by Mh(left) and Mv(top); a selected or locked object
    // prints like the others.
    LineList marked = lines;
    marked[2][0] = '*';
    const QImage shifted = printed(marked, PageSetupValues{10, 5, 0, 0, 100});
    const QPoint margin(qRound(2480 / 210.0 * 10), qRound(3508 / 297.0 * 5));
    QCOMPARE(shifted.pixel(margin + QPoint(330, 150)), kBlack);
    QCOMPARE(inked(shifted, shifted.rect()), 18 * 60 * 60);
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
    // the gap stays white; the bands of a gradient start again at the top of each cell.
    LineList lines = LineCodec::newLabel({95, 290, 10, 0});
    lines[1] = " 0COLOR 000000000000\t" + style(0, 0, 0x00000000);
    const QImage page = printed(lines);
    const int cell = qRound(2480 / 210.0 * 95);
    const int step = qRound(2480 / 210.0 * 105);
    QCOMPARE(page.pixel(5, 5), kBlack);
    QCOMPARE(page.pixel(step + 5, 5), kBlack);
    QCOMPARE(page.pixel(cell + 20, 5), kWhite);
    const int band = qRound(3508 / 297.0 * 290) / 50;
    QCOMPARE(page.pixel(5, band + 1), qRgb(5, 0, 0));
    QCOMPARE(page.pixel(step + 5, band + 1), qRgb(5, 0, 0));
}

void TestSheet::previewAndZoom() {
    ScriptedDialogsScope script;
    ImagePagesDevice printer(300);
    TEcran ecran;
    ecran.setPrinter(&printer);
    // Two cells of 100 x 160 mm with a black background, and zoom 50 asked in the box.
    LineList lines = LineCodec::newLabel({100, 160, 0, 0});
    lines[1] = " 0FILLRECT 000000000000\t" + style(0, 0);
    ecran.Init(0, 0, 0, 0, 100, lines);
    ecran.resize(640, 700);
    ecran.show();
    ecran.FormPaint();
    const QImage area = ecran.drawingArea();
    QCOMPARE(area.size(), ecran.PaintBox1->size());
    const int cellWidth = qRound(area.width() / 210.0 * 100);
    const int cellHeight = qRound(area.width() / 210.0 * 160);
    QCOMPARE(area.pixel(cellWidth / 2, cellHeight / 2), kBlack);
    QCOMPARE(area.pixel(cellWidth + cellWidth / 2, cellHeight / 2), kBlack);
    QCOMPARE(area.pixel(cellWidth / 2, cellHeight + 5), kWhite);
    QCOMPARE(area.pixel(2 * cellWidth + 3, 5), kWhite);
    // The sheet keeps the printer's page ratio, centred.
    QCOMPARE(ecran.Panel2->height(), 600);
    QCOMPARE(ecran.Panel2->width(), qRound(2480.0 / 3508 * 600));
    QCOMPARE(ecran.Panel2->x(), (640 - ecran.Panel2->width()) / 2);

    ecran.SpinEdit1->setText("50");
    ecran.SpeedButton5->click();
    QCOMPARE(ecran.Result(), 50);
    // Any number is taken, even one that makes no sense, without a fault.
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
