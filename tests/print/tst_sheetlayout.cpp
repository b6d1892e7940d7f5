#include "SheetLayout.h"
#include "UserError.h"

#include <QtTest>

#include <limits>

namespace {

// A4 at 300 and at 600 dots per inch, the whole sheet printable.
const PaperSize kA4At300{QSize(2480, 3508), QSizeF(210, 297)};
const PaperSize kA4At600{QSize(4961, 7016), QSizeF(210, 297)};

LineList label(int width, int height, int hspacing = 0, int vspacing = 0) {
    return LineCodec::newLabel({width, height, hspacing, vspacing});
}

SheetLayout printing(const LineList& lines, const PageSetupValues& setup = {},
                     const PaperSize& paper = kA4At300) {
    SheetLayout layout;
    layout.Init2(setup, lines, paper);
    return layout;
}

// A preview whose drawing area has 2 pixels per millimetre.
SheetLayout preview(const LineList& lines, const PageSetupValues& setup = {}) {
    SheetLayout layout;
    layout.Init(setup, lines, kA4At300, 868);
    layout.setArea(QSize(420, 594));
    return layout;
}

} // namespace

class TestSheetLayout : public QObject {
    Q_OBJECT
private slots:
    void cellsFitTheSheetByTheLabelSizeAlone_data();
    void cellsFitTheSheetByTheLabelSizeAlone();
    void printingTurnsLabelPixelsIntoPrinterPixels();
    void previewFitsTheDrawingArea();
    void guideLinesAndBackgroundsLieWithTheObjects();
    void badHeadersAndExtremeValues();
};

void TestSheetLayout::cellsFitTheSheetByTheLabelSizeAlone_data() {
    QTest::addColumn<LineList>("lines");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::newRow("70 x 43") << label(70, 43) << 3 << 6;
    QTest::newRow("5 mm apart") << label(70, 43, 5, 5) << 3 << 6;
    QTest::newRow("CD") << label(126, 126) << 1 << 2;
    QTest::newRow("wider than the sheet") << label(211, 40) << 0 << 7;
    QTest::newRow("no width") << label(0, 40) << 0 << 0;
    QTest::newRow("no height") << label(70, 0) << 3 << 0;
}

void TestSheetLayout::cellsFitTheSheetByTheLabelSizeAlone() {
    QFETCH(LineList, lines);
    QFETCH(int, columns);
    QFETCH(int, rows);
    const SheetLayout layout = preview(lines);
    QCOMPARE(layout.columns(), columns);
    QCOMPARE(layout.rows(), rows);
    // Guide lines only between cells; an empty sheet has none.
    const int guides = columns > 0 && rows > 0 ? columns - 1 + rows - 1 : 0;
    QCOMPARE(layout.guideLines().size(), guides);
}

void TestSheetLayout::printingTurnsLabelPixelsIntoPrinterPixels() {
    SheetLayout layout = printing(label(70, 43));
    QCOMPARE(layout.point(QPoint(100, 40)), QPoint(300, 120));
    QCOMPARE(layout.cellOrigin(1, 2), QPoint(2 * 827, 508));
    QCOMPARE(layout.fontSize(12), 12);

    // Spacing moves the cells, which then run past the sheet's edge.
    layout = printing(label(70, 43, 5, 0));
    QCOMPARE(layout.cellOrigin(0, 2).x(), 2 * 886);
    QVERIFY(layout.cellOrigin(0, 2).x() + layout.Mh(70) > kA4At300.pixels.width());

    // Zoom 0 gathers every object in the margin corner of its cell.
    layout = printing(label(70, 43), {10, 20, 0, 0, 0});
    QCOMPARE(layout.point(QPoint(400, 300)), QPoint(118, 236));

    // Halves go to the even pixel.
    layout = printing(label(70, 43), {0, 0, 0, 0, 50});
    QCOMPARE((QList<int>{layout.x(1), layout.x(3), layout.x(5)}), (QList<int>{2, 4, 8}));

    // A CD label has 3 pixels per millimetre, not 4, and the same 3 printer pixels per label
    // pixel: three quarters of the size, in cells still 126 mm apart.
    layout = printing(label(126, 126));
    QCOMPARE(layout.x(126 * 3), 1134);
    QCOMPARE(layout.cellOrigin(1, 0).y(), 1488);
    QCOMPARE(printing(label(126, 70)).x(126 * 4), 1512);

    // At 600 dpi and zoom 200, the lower rows lie far beyond 4095 printer pixels.
    layout = printing(label(70, 43), {0, 0, 0, 0, 200}, kA4At600);
    QCOMPARE(layout.cellOrigin(4, 0).y() + layout.y(160), 4 * 1016 + 960);
    QCOMPARE(layout.point(QPoint(4095, 1000)), QPoint(24570, 6000));
}

void TestSheetLayout::previewFitsTheDrawingArea() {
    SheetLayout layout = preview(label(70, 43));
    QCOMPARE(layout.PageRatio, 2480.0 / 3508);
    QCOMPARE(layout.BaseScale, 768.0 / 3508);
    QCOMPARE(layout.CellWidth, 140);
    QCOMPARE(layout.CellHeight, 86);
    QCOMPARE(layout.cellOrigin(1, 2), QPoint(280, 86));
    QCOMPARE(layout.Mh(70), 140);

    layout.FormResize(QSize(420, 594));
    QCOMPARE(layout.Scale, 420.0 / 2480 * 3);
    QCOMPARE(layout.x(100), 51);
    QCOMPARE(layout.fontSize(12), 6);

    layout.Actualiser(50);
    QCOMPARE(layout.ZoomFactor, 1.5);
    QCOMPARE(layout.x(100), 25);
    // Any integer is a zoom.
    layout.Actualiser(-100);
    QCOMPARE(layout.x(100), -51);
    layout.Actualiser(0);
    QCOMPARE(layout.x(100), 0);
}

void TestSheetLayout::guideLinesAndBackgroundsLieWithTheObjects() {
    // 2 preview pixels per mm: margins of 10 and 20 mm move everything by 20 and 40 pixels.
    const SheetLayout layout = preview(label(70, 43, 5, 3), {10, 20, 0, 0, 100});
    QCOMPARE(layout.x(0), 20);
    QCOMPARE(layout.y(0), 40);
    QCOMPARE(layout.guideLines(), (QList<QLine>{QLine(160, 0, 160, 594), QLine(310, 0, 310, 594),
                                                QLine(0, 126, 420, 126), QLine(0, 218, 420, 218),
                                                QLine(0, 310, 420, 310), QLine(0, 402, 420, 402),
                                                QLine(0, 494, 420, 494)}));
    QCOMPARE(layout.backgroundRect(0, 0), QRect(20, 40, 140, 86));
    QCOMPARE(layout.backgroundRect(1, 2), QRect(320, 132, 140, 86));

    const SheetLayout paper = printing(label(70, 43, 5, 3), {10, 20, 0, 0, 100});
    QCOMPARE(paper.backgroundRect(1, 1), QRect(886 + 118, 543 + 236, 827, 508));
}

void TestSheetLayout::badHeadersAndExtremeValues() {
    SheetLayout layout;
    const auto errorOf = [&](const QByteArray& header) {
        try {
            layout.Init2({}, {header, LineCodec::kBlankRecord}, kA4At300);
        } catch (const UserError& error) {
            return error.message();
        }
        return QString();
    };
    QCOMPARE(errorOf("0460ZZ000000"), QString("'$0ZZ' n'est pas une valeur entière correcte"));
    QCOMPARE(errorOf("046"), QString("'$' n'est pas une valeur entière correcte"));

    // Margins and zoom from anywhere in the int range stay pixels that can be added up.
    constexpr int most = std::numeric_limits<int>::max();
    constexpr int least = std::numeric_limits<int>::min();
    constexpr int limit = SheetLayout::kPixelLimit;
    layout = printing(label(70, 43), {most, least, 0, 0, most});
    QCOMPARE(layout.x(0), limit);
    QCOMPARE(layout.x(4095), limit);
    QCOMPARE(layout.y(0), -limit);
    QCOMPARE(layout.backgroundRect(5, 2), QRect(limit, -limit + 5 * 508, 827, 508));

    // A printer that reports no paper gives an empty scale, not a division fault.
    layout.Init({}, label(70, 43), PaperSize{}, 868);
    layout.FormResize(QSize(420, 594));
    QCOMPARE(layout.Mh(10), 0);
    QCOMPARE(layout.x(100), 0);
    QCOMPARE(layout.PageRatio, 0.0);
}

QTEST_MAIN(TestSheetLayout)
#include "tst_sheetlayout.moc"
