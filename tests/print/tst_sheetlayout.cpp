#include "SheetLayout.h"
#include "UserError.h"

#include <QtTest>

#include <limits>

namespace {

// Papers whose pixels are whole tenths and fifths of a millimetre, so that every expected
// place below is millimetres times 10 or times 5, worked out by hand.
const PaperSize kA4TenPerMm{QSize(2100, 2970), QSizeF(210, 297)};
const PaperSize kA4FivePerMm{QSize(1050, 1485), QSizeF(210, 297)};

LineList label(int width, int height, int hspacing = 0, int vspacing = 0) {
    return LineCodec::newLabel({width, height, hspacing, vspacing});
}

SheetLayout printing(const LineList& lines, const PageSetupValues& setup = {},
                     const PaperSize& paper = kA4TenPerMm) {
    SheetLayout layout;
    layout.Init2(setup, lines, paper);
    return layout;
}

// A preview whose drawing area has 2 pixels per millimetre.
SheetLayout preview(const LineList& lines, const PageSetupValues& setup = {}) {
    SheetLayout layout;
    layout.Init(setup, lines, kA4TenPerMm);
    layout.setArea(QSize(420, 594));
    return layout;
}

} // namespace

class TestSheetLayout : public QObject {
    Q_OBJECT
private slots:
    void cellsFitTheSheetByTheLabelSizeAlone_data();
    void cellsFitTheSheetByTheLabelSizeAlone();
    void zoom100IsTrueSizeOnEveryPaper();
    void previewIsThePaperAtTheAreasScale();
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

void TestSheetLayout::zoom100IsTrueSizeOnEveryPaper() {
    // A label pixel is 0.25 mm: (100, 40) is (25 mm, 10 mm), 250 and 100 tenths.
    SheetLayout layout = printing(label(70, 43));
    QCOMPARE(layout.transform(0, 0).map(QPoint(100, 40)), QPoint(250, 100));
    QCOMPARE(layout.cellOrigin(1, 2), QPoint(1400, 430));
    // 12 points at 10 pixels per mm: 254 pixels an inch; a pen unit is 1/300 inch.
    QCOMPARE(layout.fontDpi(), 254.0);
    QCOMPARE(layout.penScale(), 254.0 / 300);
    // The same sizes on a coarser paper: half as many pixels.
    layout = printing(label(70, 43), {}, kA4FivePerMm);
    QCOMPARE(layout.transform(0, 0).map(QPoint(100, 40)), QPoint(125, 50));
    QCOMPARE(layout.cellOrigin(1, 2), QPoint(700, 215));

    // Margins of 10 and 15 mm, and 5 mm between columns: exact millimetres, cells running
    // past the sheet's edge.
    layout = printing(label(70, 43, 5, 0), {10, 15, 0, 0, 100});
    QCOMPARE(layout.transform(0, 0).map(QPoint(0, 0)), QPoint(100, 150));
    QCOMPARE(layout.transform(2, 2).map(QPoint(4, 4)), QPoint(100 + 1500 + 10, 150 + 860 + 10));
    QCOMPARE(layout.backgroundRect(1, 1), QRect(850, 580, 700, 430));

    // Zoom 50 halves the drawing from the cell's corner, texts and pens with it; the cells
    // keep their steps. Zoom 0 gathers every object in that corner.
    layout = printing(label(70, 43), {10, 20, 0, 0, 50});
    QCOMPARE(layout.transform(0, 1).map(QPoint(400, 160)), QPoint(100 + 700 + 500, 200 + 200));
    QCOMPARE(layout.fontDpi(), 127.0);
    layout = printing(label(70, 43), {10, 20, 0, 0, 0});
    QCOMPARE(layout.transform(0, 0).map(QPoint(400, 300)), QPoint(100, 200));

    // A CD label has 3 pixels per millimetre: its 378-pixel disc is 126 mm on paper, in
    // cells 126 mm apart.
    layout = printing(label(126, 126));
    QCOMPARE(layout.transform(0, 0).x(378), 1260);
    QCOMPARE(layout.cellOrigin(1, 0).y(), 1260);
    QCOMPARE(printing(label(126, 70)).transform(0, 0).x(126 * 4), 1260);

    // At zoom 200 the lower rows lie far beyond 4095 pixels, and still exactly.
    layout = printing(label(70, 43), {0, 0, 0, 0, 200});
    QCOMPARE(layout.transform(4, 0).y(160), 4 * 430 + 800);
    QCOMPARE(layout.transform(0, 0).map(QPoint(4095, 1000)), QPoint(20475, 5000));
}

void TestSheetLayout::previewIsThePaperAtTheAreasScale() {
    // 2 preview pixels per millimetre, however the preview was opened before.
    SheetLayout layout = preview(label(70, 43, 5, 3), {10, 20, 0, 0, 100});
    QCOMPARE(layout.PageRatio, 2100.0 / 2970);
    QCOMPARE(layout.CellWidth, 140);
    QCOMPARE(layout.CellHeight, 86);
    QCOMPARE(layout.transform(0, 0).map(QPoint(0, 0)), QPoint(20, 40));
    QCOMPARE(layout.transform(0, 0).x(100), 20 + 50);
    QCOMPARE(layout.cellOrigin(1, 2), QPoint(300, 92));
    QCOMPARE(layout.guideLines(), (QList<QLine>{QLine(160, 0, 160, 594), QLine(310, 0, 310, 594),
                                                QLine(0, 126, 420, 126), QLine(0, 218, 420, 218),
                                                QLine(0, 310, 420, 310), QLine(0, 402, 420, 402),
                                                QLine(0, 494, 420, 494)}));
    QCOMPARE(layout.backgroundRect(1, 2), QRect(320, 132, 140, 86));
    // 2 pixels per mm is 50.8 per inch.
    QCOMPARE(layout.fontDpi(), 50.8);

    // A larger area scales everything with it.
    layout.FormResize(QSize(840, 1188));
    QCOMPARE(layout.transform(0, 0).x(100), 40 + 100);
    QCOMPARE(layout.CellWidth, 280);

    layout.Actualiser(50);
    QCOMPARE(layout.transform(0, 0).x(100), 40 + 50);
    // Any integer is a zoom.
    layout.Actualiser(-100);
    QCOMPARE(layout.transform(0, 0).x(100), 40 - 100);
    layout.Actualiser(0);
    QCOMPARE(layout.transform(0, 0).x(100), 40);
}

void TestSheetLayout::badHeadersAndExtremeValues() {
    SheetLayout layout;
    const auto errorOf = [&](const QByteArray& header) {
        try {
            layout.Init2({}, {header, LineCodec::kBlankRecord}, kA4TenPerMm);
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
    QCOMPARE(layout.transform(0, 0).x(0), limit);
    QCOMPARE(layout.transform(0, 0).x(4095), limit);
    QCOMPARE(layout.transform(0, 0).y(0), -limit);
    QCOMPARE(layout.backgroundRect(5, 2), QRect(limit, -limit, 0, 0));

    // A printer that reports no paper gives an empty scale, not a division fault.
    layout.Init({}, label(70, 43), PaperSize{});
    layout.FormResize(QSize(420, 594));
    QCOMPARE(layout.Mh(10), 0);
    QCOMPARE(layout.transform(0, 0).x(100), 0);
    QCOMPARE(layout.PageRatio, 0.0);
}

QTEST_MAIN(TestSheetLayout)
#include "tst_sheetlayout.moc"
