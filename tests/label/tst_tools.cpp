#include "LabelWindowFixture.h"
#include "LineCodec.h"
#include "TEtiq.h"
#include "UserError.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray geometry(const QByteArray& line) {
    return line.left(line.indexOf('\t'));
}

} // namespace

class TestTools : public QObject {
    Q_OBJECT
private slots:
    void fivePixelsMakeAShape();
    void linesAndArcsByDirection();
    void recordedStyleIsTheToolBars();
    void polygonsByClicks();
    void choosingAToolRecordsTheCollectedPoints();
    void drawingToolsAndTheSelection();
    void whatIsShownIsWhatIsStored();
    void textToolRecordsOncePerClick();
    void pictureTool();
    void coordinatesAreClamped();
    void realMouseEvents();
};

void TestTools::fivePixelsMakeAShape() {
    LabelWindowFixture w(3); // rectangle
    w.drag({10, 10}, {13, 12});
    QCOMPARE(w.objects().size(), 1);
    QCOMPARE(geometry(w.objects()[0]), QByteArray(" 0RECT 00A00A00D00C"));
    QVERIFY(w.etiq.document().Modified);
    w.drag({50, 50}, {52, 52});
    QCOMPARE(w.objects().size(), 1);
    QCOMPARE(w.toolBar.status, QString("Position : (52,52)"));
    // The new object can be taken back at once.
    w.etiq.Annuler();
    QCOMPARE(w.objects().size(), 0);
}

void TestTools::linesAndArcsByDirection() {
    LabelWindowFixture w(2); // line
    w.drag({10, 80}, {60, 20});
    w.drag({10, 20}, {60, 80});
    QCOMPARE(geometry(w.objects()[0]), QByteArray(" 0LINEU 00A01403C050"));
    QCOMPARE(geometry(w.objects()[1]), QByteArray(" 0LINE 00A01403C050"));

    LabelWindowFixture arcs(11);
    arcs.drag({10, 10}, {60, 40});
    arcs.drag({10, 10}, {60, 40}, Qt::ControlModifier);
    arcs.drag({10, 40}, {60, 10});
    arcs.drag({10, 40}, {60, 10}, Qt::ControlModifier);
    const LineList got = arcs.objects();
    QCOMPARE(got.size(), 4);
    QVERIFY(got[0].startsWith(" 0ARCH 00A00A03C028"));
    QVERIFY(got[1].startsWith(" 0ARCL 00A00A03C028"));
    QVERIFY(got[2].startsWith(" 0ARCHU 00A00A03C028"));
    QVERIFY(got[3].startsWith(" 0ARCLU 00A00A03C028"));

    // Leftward drags: the keyword draws the diagonal or half that was dragged.
    LabelWindowFixture left(2);
    left.drag({80, 20}, {40, 60});
    left.drag({80, 60}, {40, 20});
    QCOMPARE(geometry(left.objects()[0]), QByteArray(" 0LINEU 02801405003C"));
    QCOMPARE(geometry(left.objects()[1]), QByteArray(" 0LINE 02801405003C"));
    LabelWindowFixture leftArcs(11);
    leftArcs.drag({60, 10}, {10, 40});
    leftArcs.drag({60, 10}, {10, 40}, Qt::ControlModifier);
    leftArcs.drag({60, 40}, {10, 10});
    leftArcs.drag({60, 40}, {10, 10}, Qt::ControlModifier);
    const LineList back = leftArcs.objects();
    QVERIFY(back[0].startsWith(" 0ARCLU 00A00A03C028"));
    QVERIFY(back[1].startsWith(" 0ARCHU 00A00A03C028"));
    QVERIFY(back[2].startsWith(" 0ARCL 00A00A03C028"));
    QVERIFY(back[3].startsWith(" 0ARCH 00A00A03C028"));
}

void TestTools::recordedStyleIsTheToolBars() {
    LabelWindowFixture w(4); // ellipse
    w.toolBar.state.penColor = 0x000000FF;
    w.toolBar.state.fillColor = 0x0000FF00;
    w.toolBar.state.fillStyle = BrushSolid;
    w.toolBar.state.penWidth = 3;
    w.toolBar.state.fontName = "Courier New";
    w.toolBar.state.fontSize = 14;
    w.toolBar.state.italic = true;
    w.drag({10, 10}, {40, 30});
    QCOMPARE(w.objects()[0],
             QByteArray(" 0ELLIPSE 00A00A02801E\t00000FF00003000000FF000000000E2Courier New"));
}

void TestTools::polygonsByClicks() {
    LabelWindowFixture w(8); // polygon
    w.doubleClick({30, 40});
    QCOMPARE(w.objects().size(), 1);
    QCOMPARE(geometry(w.objects()[0]), QByteArray(" 0POLYG 01E02801E02801E028"));

    LabelWindowFixture many(8);
    for (int i = 0; i < 300; ++i)
        many.click({10 + i % 200, 10 + i / 200});
    many.doubleClick({5, 5});
    QCOMPARE(many.objects().size(), 1);
    const LineParts parts = LineCodec::splitLine(many.objects()[0]);
    QCOMPARE(LineCodec::readPoints(parts.geometry.sliced(12)).size(), 299);
    QVERIFY(!many.etiq.CollectingPoints);

    LabelWindowFixture line(10); // polyline: three points
    line.click({10, 10});
    line.click({50, 10});
    line.doubleClick({50, 50});
    QCOMPARE(geometry(line.objects()[0]), QByteArray(" 0POLYL 00A00A032032"
                                                     "00A00A"
                                                     "03200A"
                                                     "032032"));
}

void TestTools::choosingAToolRecordsTheCollectedPoints() {
    LabelWindowFixture w(10);
    w.click({10, 10});
    w.click({40, 20});
    QCOMPARE(w.objects().size(), 0);
    w.etiq.SetFrame(TEtiq::ToolRect);
    QCOMPARE(w.objects().size(), 1);
    QVERIFY(w.objects()[0].startsWith(" 0POLYL 00A00A028014"));
    QCOMPARE(w.etiq.Tool, int(TEtiq::ToolRect));
}

void TestTools::drawingToolsAndTheSelection() {
    LabelWindowFixture w(3);
    w.toolBar.state.penWidth = 2;
    w.drag({10, 10}, {50, 50});
    w.toolBar.state.toolNumber = 1; // pointer
    w.etiq.RestoreStyles();
    w.click({30, 30});
    QVERIFY(w.etiq.HasSelection);
    QVERIFY(w.objects()[0].startsWith('*'));

    // Choosing a drawing tool drops the selection, so its first drag draws; the pen-width
    // box shows the last object's pen, never the selection frame's.
    w.toolBar.state.toolNumber = 3;
    w.etiq.SetFrame(TEtiq::ToolRect);
    QVERIFY(!w.etiq.HasSelection);
    QVERIFY(w.objects()[0].startsWith(' '));
    QCOMPARE(w.toolBar.penWidthsShown, QList<int>{2});
    w.drag({70, 70}, {90, 90});
    QCOMPARE(w.objects().size(), 2);

    // A selection made while a drawing tool stays chosen (the object list does that): a
    // drag inside it moves it and records nothing else.
    w.etiq.document().Lines[2][0] = '*';
    w.etiq.HasSelection = true;
    w.etiq.SelectionBox = LabelRect{10, 10, 50, 50};
    w.etiq.FormMouseMove(30, 30);
    w.drag({30, 30}, {34, 38});
    QCOMPARE(w.objects().size(), 2);
    QVERIFY(w.objects()[0].startsWith("*0RECT 00E01203603A"));
    QVERIFY(w.objects()[0].endsWith(w.objects()[1].mid(w.objects()[1].indexOf('\t'))));
    w.etiq.SetFrame(TEtiq::ToolEllipse);
    QCOMPARE(w.toolBar.penWidthsShown.last(), 2);
}

void TestTools::whatIsShownIsWhatIsStored() {
    // The band left by a drag is the shape the redraw gives, whatever the direction.
    for (const bool ctrl : {false, true}) {
        LabelWindowFixture w(11);
        w.drag({90, 20}, {20, 70}, ctrl ? Qt::ControlModifier : Qt::NoModifier);
        w.etiq.canvas().flush();
        const QImage band = w.etiq.surface().copy();
        w.etiq.Dessine();
        int differing = 0;
        for (int y = 0; y < band.height(); ++y)
            for (int x = 0; x < band.width(); ++x)
                differing += band.pixel(x, y) != w.etiq.surface().pixel(x, y);
        QVERIFY2(differing <= 4, qPrintable(QString::number(differing)));
    }

    // Ending a polygon leaves no dot at the corner.
    LabelWindowFixture poly(8);
    poly.click({30, 30});
    poly.doubleClick({60, 40});
    poly.etiq.canvas().flush();
    QCOMPARE(poly.etiq.surface().pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(poly.etiq.surface().pixel(1, 1), qRgb(255, 255, 255));

    // A new text takes the pen colour of the tool bar, not the last object's font colour.
    LabelWindowFixture text(9);
    text.etiq.document().Lines.append(" 0TEXT 00A00A03C028x\t100FFFFFF00100000000000FF000C0Arial");
    text.etiq.Dessine();
    text.toolBar.state.penColor = 0x000000FF;
    text.dialogs.texts = {"rouge"};
    text.click({20, 40});
    QCOMPARE(LineCodec::splitLine(text.objects().last()).styles.sliced(20, 8),
             QByteArrayView("000000FF"));

    // The CD guide is drawn with its own thin black pen.
    LabelWindowFixture cd(3);
    cd.toolBar.state.penColor = 0x000000FF;
    cd.toolBar.state.penWidth = 9;
    cd.etiq.SetDim(126, 126, 0, 0);
    QCOMPARE(cd.etiq.surface().pixel(4, 189), qRgb(0, 0, 0));
    QCOMPARE(cd.etiq.surface().pixel(6, 189), qRgb(192, 192, 192));
    QCOMPARE(cd.etiq.canvas().penWidth(), 9);
}

void TestTools::textToolRecordsOncePerClick() {
    LabelWindowFixture w(9);
    QCOMPARE(w.etiq.Tool, int(TEtiq::ToolText));
    w.dialogs.texts = {QString::fromUtf8("Été\tà Noël ✓")};
    w.drag({20, 20}, {80, 60}); // released far from the press
    QCOMPARE(w.dialogs.textRuns, 1);
    QCOMPARE(w.objects().size(), 1);
    const QByteArray text = "\xC9t\xE9 \xE0 No\xEBl ?";
    QVERIFY(w.objects()[0].startsWith(" 0TEXT 014014"));
    QVERIFY(geometry(w.objects()[0]).endsWith(text));
    const QSize extent = w.etiq.canvas().textExtent(QString::fromUtf8("Été à Noël ?"));
    QCOMPARE(LineCodec::readRect(LineCodec::splitLine(w.objects()[0]).geometry),
             (LabelRect{20, 20, 20 + extent.width(), 20 + extent.height()}));

    w.click({30, 30}); // cancelled editor: nothing
    QCOMPARE(w.objects().size(), 1);
}

void TestTools::pictureTool() {
    QTemporaryDir dir;
    const auto picture = [&](int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(qRgb(10, 20, 30));
        image.setPixel(0, 0, qRgb(255, 0, 0));
        const QString path = dir.filePath(QString("p%1x%2.bmp").arg(width).arg(height));
        image.save(path, "BMP");
        return path;
    };
    LabelWindowFixture w(6);
    w.script->fileAnswers.enqueue(picture(150, 146));
    w.click({10, 10});
    QCOMPARE(w.objects().size(), 0);
    QCOMPARE(w.script->messages.last().text, QString("Image trop grande"));

    w.script->fileAnswers.enqueue(picture(200, 109));
    w.drag({10, 10}, {60, 60}); // a drag records no second copy
    QCOMPARE(w.objects().size(), 1);
    const LineParts parts = LineCodec::splitLine(w.objects()[0]);
    QCOMPARE(parts.keyword, QByteArrayView("BITMAP"));
    QCOMPARE(LineCodec::readRect(parts.geometry), (LabelRect{10, 10, 210, 119}));
    const QImage back = LineCodec::readPicture(parts.geometry.sliced(12));
    QCOMPARE(back.size(), QSize(200, 109));
    QCOMPARE(back.pixel(0, 0), qRgb(255, 0, 0));

    w.drag({10, 10}, {60, 60}); // cancelled dialog: nothing
    QCOMPARE(w.objects().size(), 1);

    // A picture that does not decode: its message names the file; nothing is recorded.
    const QString corrupt = dir.filePath("broken.jpg");
    QFile file(corrupt);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\xFF\xD8\xFF\xE0 not really a JPEG");
    file.close();
    w.script->fileAnswers.enqueue(corrupt);
    try {
        w.click({10, 10});
        QFAIL("no error");
    } catch (const UserError& e) {
        QVERIFY(e.message().contains(corrupt));
    }
    QCOMPARE(w.objects().size(), 1);
}

void TestTools::coordinatesAreClamped() {
    LabelWindowFixture w(3);
    w.drag({-20, -5}, {30, 30});
    QVERIFY(w.objects()[0].startsWith(" 0RECT 00000001E01E"));
}

void TestTools::realMouseEvents() {
    ScriptedDialogsScope script;
    FakeToolBar toolBar;
    toolBar.state.toolNumber = 3;
    TEtiq etiq;
    etiq.setToolBarSource(&toolBar);
    etiq.SetDim(100, 80, 0, 0);
    etiq.RestoreStyles();
    etiq.resize(600, 500);
    etiq.show();
    QVERIFY(QTest::qWaitForWindowExposed(&etiq));
    QWidget* surface = etiq.findChild<QWidget*>("PaintBox1");
    QVERIFY(surface);
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(surface, QPoint(30, 25));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(40, 30));
    QCOMPARE(etiq.document().Lines.size(), 3);
    QVERIFY(etiq.document().Lines[2].startsWith(" 0RECT 00A00A02801E"));

    toolBar.state.toolNumber = 8; // polygon: click, click, double click
    etiq.RestoreStyles();
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(10, 60));
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(60, 60));
    // A double click as the window system gives it: press, release, double-click press, release.
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(60, 100));
    QTest::mouseDClick(surface, Qt::LeftButton, {}, QPoint(60, 100));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(60, 100));
    QCOMPARE(etiq.document().Lines.size(), 4);
    QCOMPARE(geometry(etiq.document().Lines[3]), QByteArray(" 0POLYG 00A03C03C064"
                                                            "00A03C"
                                                            "03C03C"
                                                            "03C064"));
}

QTEST_MAIN(TestTools)
#include "tst_tools.moc"
