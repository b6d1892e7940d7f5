#include "LineCodec.h"
#include "UserError.h"

#include <QtTest>

using namespace LineCodec;

class TestLineCodec : public QObject {
    Q_OBJECT
private slots:
    void fieldsAreClampedToTheirWidth();
    void readersAcceptHexDigitsOnly();
    void splittingAtFirstTabAndFirstBlank();
    void rectangleFieldThatDoesNotConvertNamesTheDigits();
    void pointLists();
    void pictures();
    void styleBlocks();
    void header();
    void malformedObjectLinesAreDropped();
};

void TestLineCodec::fieldsAreClampedToTheirWidth() {
    QCOMPARE(hex(10, 3), QByteArray("00A"));
    QCOMPARE(hex(4095, 3), QByteArray("FFF"));
    QCOMPARE(hex(5000, 3), QByteArray("FFF"));
    QCOMPARE(hex(-7, 3), QByteArray("000"));
    QCOMPARE(hex(300, 2), QByteArray("FF"));
    QCOMPARE(hex(0xFFFFFFFFll, 8), QByteArray("FFFFFFFF"));
    QCOMPARE(writeRect(-5, 10, 4096, 9999), QByteArray("00000AFFFFFF"));
    QCOMPARE(writePoints({QPoint(-1, 5000)}), QByteArray("000FFF"));

    StyleBlock s;
    s.penWidth = 999;
    s.fontSize = -3;
    s.fontName = "Bad\tName";
    const QByteArray block = writeStyles(s);
    QCOMPARE(block.size(), 31 + 8);
    QCOMPARE(block.mid(10, 2), QByteArray("FF"));
    QCOMPARE(block.mid(28, 2), QByteArray("00"));
    QVERIFY(!block.contains('\t'));
}

void TestLineCodec::readersAcceptHexDigitsOnly() {
    QCOMPARE(parseHex("0aF").value(), 0xAFu);
    QCOMPARE(parseHex("FFFFFFFF").value(), 0xFFFFFFFFu);
    QVERIFY(!parseHex(""));
    QVERIFY(!parseHex(" 12"));
    QVERIFY(!parseHex("0G1"));
    QVERIFY(!parseHex("-01"));
}

void TestLineCodec::splittingAtFirstTabAndFirstBlank() {
    const QByteArray text = "*0TEXT 001002003004Bonjour le monde\t>21FFFFFF";
    LineParts p = splitLine(text);
    QCOMPARE(p.mark, '*');
    QCOMPARE(p.group, '0');
    QCOMPARE(p.keyword, QByteArrayView("TEXT"));
    QCOMPARE(p.geometry, QByteArrayView("001002003004Bonjour le monde"));
    QVERIFY(p.hasTab);
    QCOMPARE(p.arrow, QByteArrayView(">2"));
    QCOMPARE(p.styles, QByteArrayView("1FFFFFF"));

    const QByteArray noTab = " 3RECT 000000010010";
    p = splitLine(noTab);
    QVERIFY(!p.hasTab);
    QCOMPARE(p.group, '3');
    QCOMPARE(p.keyword, QByteArrayView("RECT"));
    QVERIFY(p.styles.isEmpty());

    const QByteArray noBlank = " 0BLANK";
    p = splitLine(noBlank);
    QVERIFY(p.keyword.isEmpty());
    QVERIFY(p.geometry.isEmpty());

    // A blank after the TAB (in the font name) does not end a keyword.
    const QByteArray blankInStyles = " 0MOSAIC\t000000000000000000000000000000000Times New Roman";
    p = splitLine(blankInStyles);
    QVERIFY(p.keyword.isEmpty());
    QVERIFY(p.styles.endsWith("Times New Roman"));
}

void TestLineCodec::rectangleFieldThatDoesNotConvertNamesTheDigits() {
    QCOMPARE(readRect("00A0140F00FF"), (LabelRect{10, 20, 240, 255}));
    try {
        readRect("00A0X4000000");
        QFAIL("no error");
    } catch (const UserError& e) {
        QCOMPARE(e.message(), QString("'$0X4' n'est pas une valeur entière correcte"));
    }
    QVERIFY(!tryReadRect("00A014"));
}

void TestLineCodec::pointLists() {
    QByteArray many;
    for (int i = 0; i < 400; ++i)
        many += hex(i, 3) + hex(i + 1, 3);
    const QList<QPoint> points = readPoints(many);
    QCOMPARE(points.size(), 300);
    QCOMPARE(points.last(), QPoint(299, 300));

    // A short last entry still yields a point once both of its fields have characters.
    QCOMPARE(readPoints("00100200A0B"), (QList<QPoint>{{1, 2}, {10, 11}}));
    QCOMPARE(readPoints("00100200A0"), (QList<QPoint>{{1, 2}, {10, 0}}));
    QCOMPARE(readPoints("00100200A"), (QList<QPoint>{{1, 2}}));
    // A bad entry is skipped; the next one is still read.
    QCOMPARE(readPoints("0010020Z0003003004"), (QList<QPoint>{{1, 2}, {3, 4}}));
    QCOMPARE(readPoints(writePoints({{7, 8}, {4095, 0}})), (QList<QPoint>{{7, 8}, {4095, 0}}));
}

void TestLineCodec::pictures() {
    // Column by column, each pixel blue, green, red.
    QImage p = readPicture("002002"
                           "0000FF"
                           "00FF00"
                           "FF0000"
                           "FFFFFF");
    QCOMPARE(p.size(), QSize(2, 2));
    QCOMPARE(p.pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(p.pixel(0, 1), qRgb(0, 255, 0));
    QCOMPARE(p.pixel(1, 0), qRgb(0, 0, 255));
    QCOMPARE(p.pixel(1, 1), qRgb(255, 255, 255));
    QCOMPARE(writePicture(p), QByteArray("002002"
                                         "0000FF"
                                         "00FF00"
                                         "FF0000"
                                         "FFFFFF"));

    // A short list leaves the rest unset (white); a bad entry leaves its pixel unset.
    p = readPicture("003002"
                    "000000"
                    "0Z0000"
                    "000000");
    QCOMPARE(p.pixel(0, 0), qRgb(0, 0, 0));
    QCOMPARE(p.pixel(0, 1), qRgb(255, 255, 255));
    QCOMPARE(p.pixel(1, 0), qRgb(0, 0, 0));
    QCOMPARE(p.pixel(2, 1), qRgb(255, 255, 255));
    QVERIFY(readPicture("0Z0002").isNull());
    QVERIFY(readPicture("").isNull());
}

void TestLineCodec::styleBlocks() {
    StyleBlock s;
    readStyles("60000FF00301000000FF00FF00000C3Courier New", s);
    QCOMPARE(s.brushStyle, 6);
    QCOMPARE(s.brushColor, 0x0000FF00u);
    QCOMPARE(s.penStyle, 3);
    QCOMPARE(s.penWidth, 1);
    QCOMPARE(s.penColor, 0x000000FFu);
    QCOMPARE(s.fontColor, 0x00FF0000u);
    QCOMPARE(s.fontSize, 12);
    QCOMPARE(s.fontStyle, int(FontUnderline));
    QCOMPARE(s.fontName, QByteArray("Courier New"));
    QCOMPARE(writeStyles(s), QByteArray("60000FF00301000000FF00FF00000C3Courier New"));

    // Digits outside the tables leave the attribute; other characters read as 0.
    s.fontStyle = FontItalic;
    readStyles("80000FF009XX000000FF00FF00000C7Arial", s);
    QCOMPARE(s.brushStyle, 6);
    QCOMPARE(s.penStyle, 3);
    QCOMPARE(s.penWidth, 0);
    QCOMPARE(s.fontStyle, int(FontItalic));
    readStyles("A0000FF00X01", s);
    QCOMPARE(s.brushStyle, 0);
    QCOMPARE(s.penStyle, 0);
    QCOMPARE(s.fontName, QByteArray());

    // One style is kept; a combination is stored as none.
    s.fontStyle = FontBold | FontItalic;
    QCOMPARE(writeStyles(s).at(30), '0');
    s.fontStyle = FontStrikeOut;
    QCOMPARE(writeStyles(s).at(30), '4');
}

void TestLineCodec::header() {
    QCOMPARE(defaultHeader(), QByteArray("04602A000000"));
    QCOMPARE(newLabel(), (LineList{"04602A000000", " 0BLANK"}));
    LabelFormatValues f{1, 2, 3, 4};
    QVERIFY(readHeader("064032005006", f));
    QCOMPARE(f.width, 100);
    QCOMPARE(f.vspacing, 6);
    f = {1, 2, 3, 4};
    QVERIFY(!readHeader("050ZZZ003004", f));
    QCOMPARE(f.width, 80);
    QCOMPARE(f.height, 2);
    QCOMPARE(f.hspacing, 3);
    QCOMPARE(writeHeader({5000, 42, 0, -1}), QByteArray("FFF02A000000"));
}

void TestLineCodec::malformedObjectLinesAreDropped() {
    LineList lines{"header",
                   "bg",
                   " 0RECT 000000010010\t0",
                   " 0LINE 000\t0",
                   " 0RECT 000000010010",
                   " 0X 1234567890\tz",
                   " 0X 12345678901\tz",
                   ""};
    dropMalformedLines(lines);
    // The TAB must stand beyond column 15; lines 0 and 1 are exempt.
    QCOMPARE(lines, (LineList{"header", "bg", " 0RECT 000000010010\t0", " 0X 12345678901\tz"}));
}

QTEST_MAIN(TestLineCodec)
#include "tst_linecodec.moc"
