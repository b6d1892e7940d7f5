#include "CommandLineRuns.h"
#include "ScriptedDialogs.h"
#include "TEtiq.h"

#include <QDir>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

// The sample labels of tests/data/samples and examples/, saved and drawn: a saved sample gives
// back its own bytes but for what opening and saving change, and its drawing has the colours its
// lines call for at places worked out by hand from those lines.
class TestSamples : public QObject {
    Q_OBJECT
private slots:
    void savedSampleGivesBackItsBytes_data();
    void savedSampleGivesBackItsBytes();
    void drawingShowsWhatTheLinesSay_data();
    void drawingShowsWhatTheLinesSay();
};

namespace {

QStringList sampleFiles() {
    QStringList files;
    for (const QString& folder :
         {QStringLiteral(VORLAP_SAMPLES_DIR), QStringLiteral(VORLAP_EXAMPLES_DIR)})
        for (const QFileInfo& info : QDir(folder).entryInfoList({"*.etq"}, QDir::Files, QDir::Name))
            files.append(info.absoluteFilePath());
    return files;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// --- Round trip -----------------------------------------------------------------------------

// A change that opening or saving makes to a sample, worked out by hand: `from` occurs once in
// the file and becomes `to` in the saved copy.
struct Edit {
    QByteArray from;
    QByteArray to;
};

QHash<QString, QList<Edit>> roundTripEdits() {
    return {
        // An object line whose TAB is not beyond column 15 is dropped on opening; the line that
        // does not convert (0ZZ) and the MOSAIC are kept as they stand.
        {"defauts.etq", {{" 0LINE 010\t100FFFFFF00100000000000000000C0Arial\r\n", ""}}},
        // Widths and heights of 9 mm or less become 70 and 42; the header is written back in
        // upper case.
        {"entete-corrige.etq", {{"00800503c00a\r\n", "04602A03C00A\r\n"}}},
        // Saving takes the selection mark off; the locked mark (#) stays.
        {"shapes.etq", {{"\r\n*0ELLIPSE 0140FA078122\t", "\r\n 0ELLIPSE 0140FA078122\t"}}},
        // Saved elsewhere, the label names its list, which stayed beside the sample, in full.
        {"adresses-fusion.etq",
         {{" 0MERGE 000000000000adresses.csv\t",
           " 0MERGE 000000000000" +
               QByteArray(VORLAP_EXAMPLES_DIR "/adresses.csv").toPercentEncoding("/._-~+()") +
               "\t"}}},
    };
}

// Windows-1252 bytes 0x80 to 0x9F; the others are the Latin-1 characters of the same number.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(const QByteArray& bytes) {
    QString text;
    for (const char c : bytes) {
        const auto b = uchar(c);
        text += b >= 0x80 && b < 0xA0 ? QChar(kWindows1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

// A font as the window makes it from a style block: points to pixels at 96 dots per inch,
// half a pixel up; style digit 1 bold, 2 italic, 3 underlined, 4 struck out.
QFont labelFont(const QByteArray& name, int points, int styleDigit = 0) {
    QFont font(QString::fromLatin1(name));
    font.setPixelSize(int(std::floor(points * 96.0 / 72.0 + 0.5)));
    font.setBold(styleDigit == 1);
    font.setItalic(styleDigit == 2);
    font.setUnderline(styleDigit == 3);
    font.setStrikeOut(styleDigit == 4);
    return font;
}

QByteArray hex3(int value) {
    return QByteArray::number(value, 16).toUpper().rightJustified(3, '0');
}

// Saving fits the box of every TEXT line to its text (samples written by hand have boxes of any
// size): the right edge at the left one plus the text's width, the bottom at the top plus the
// font's height, as Qt measures them.
QByteArray withFittedTexts(const QByteArray& content) {
    QList<QByteArray> lines = content.split('\n');
    for (QByteArray& line : lines) {
        const qsizetype tab = line.indexOf('\t');
        if (line.mid(2, 5) != "TEXT " || tab < 19)
            continue;
        QByteArray styles = line.mid(tab + 1).chopped(line.endsWith('\r') ? 1 : 0);
        if (styles.startsWith('>'))
            styles.remove(0, 2);
        const QFontMetrics metrics(labelFont(styles.mid(31), styles.mid(28, 2).toInt(nullptr, 16),
                                             styles.mid(30, 1).toInt()));
        const int left = line.mid(7, 3).toInt(nullptr, 16);
        const int top = line.mid(10, 3).toInt(nullptr, 16);
        const int width = metrics.horizontalAdvance(fromWindows1252(line.mid(19, tab - 19)));
        line.replace(13, 6, hex3(left + width) + hex3(top + metrics.height()));
    }
    return lines.join('\n');
}

QByteArray savedCopy(const QString& label, const QString& out) {
    ScriptedDialogsScope script;
    TEtiq etiq;
    etiq.Charge(label);
    etiq.document().Modified = true;
    etiq.document().FileName = out;
    etiq.Sauve(0);
    return fileBytes(out);
}

// Long picture lines are shown from a little before the first differing column.
QByteArray around(const QByteArray& line, qsizetype column) {
    const qsizetype from = qMax<qsizetype>(0, column - 20);
    QByteArray shown = line.mid(from, 60);
    shown.replace('\t', "\\t").replace('\r', "\\r");
    return (from > 0 ? "..." : "") + shown + (from + 60 < line.size() ? "..." : "");
}

QString firstDifference(const QByteArray& saved, const QByteArray& expected) {
    const QList<QByteArray> got = saved.split('\n');
    const QList<QByteArray> want = expected.split('\n');
    for (qsizetype i = 0; i < qMax(got.size(), want.size()); ++i) {
        const QByteArray g = i < got.size() ? got[i] : QByteArray("(no line)");
        const QByteArray w = i < want.size() ? want[i] : QByteArray("(no line)");
        if (g == w)
            continue;
        qsizetype column = 0;
        while (column < qMin(g.size(), w.size()) && g[column] == w[column])
            ++column;
        return QStringLiteral("line %1 differs at column %2:\n   saved: %3\nexpected: %4")
            .arg(i + 1)
            .arg(column + 1)
            .arg(QString::fromLatin1(around(g, column)), QString::fromLatin1(around(w, column)));
    }
    return {};
}

// --- Pixels ---------------------------------------------------------------------------------

// A colour written as the label file writes it, 00BBGGRR.
constexpr QRgb ref(quint32 bgr) {
    return qRgb(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

constexpr QRgb kWhite = ref(0x00FFFFFF);
constexpr QRgb kBlack = ref(0x00000000);

enum class Rule {
    Every,   // every pixel of the area has the colour
    Some,    // at least one has it
    None,    // none has it
    Count,   // exactly `count` have it
    FullRow, // some row of the area has it from end to end (an underline, a strike-out)
};

struct Probe {
    QString what;
    QRect area;
    Rule rule;
    QRgb colour;
    int count = 0;
};

// Areas are given by their first and last pixel, both included.
QRect box(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right, bottom));
}
Probe at(const QString& what, int x, int y, QRgb colour) {
    return {what, box(x, y, x, y), Rule::Every, colour};
}
Probe every(const QString& what, QRect area, QRgb colour) {
    return {what, area, Rule::Every, colour};
}
Probe some(const QString& what, QRect area, QRgb colour) {
    return {what, area, Rule::Some, colour};
}
Probe none(const QString& what, QRect area, QRgb colour) {
    return {what, area, Rule::None, colour};
}
Probe count(const QString& what, QRect area, QRgb colour, int n) {
    return {what, area, Rule::Count, colour, n};
}
Probe fullRow(const QString& what, QRect area, QRgb colour) {
    return {what, area, Rule::FullRow, colour};
}

QString name(QRgb c) {
    return QStringLiteral("#%1").arg(c & 0xFFFFFF, 6, 16, QLatin1Char('0'));
}

QString where(const QRect& r) {
    if (r.width() == 1 && r.height() == 1)
        return QStringLiteral("(%1,%2)").arg(r.left()).arg(r.top());
    return QStringLiteral("(%1,%2)-(%3,%4)")
        .arg(r.left())
        .arg(r.top())
        .arg(r.right())
        .arg(r.bottom());
}

// The colours an area holds, most frequent first, to say what is there instead.
QString contents(const QImage& image, const QRect& area) {
    QHash<QRgb, int> seen;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++seen[image.pixel(x, y) & 0xFFFFFF];
    QList<std::pair<int, QRgb>> byCount;
    for (auto it = seen.cbegin(); it != seen.cend(); ++it)
        byCount.append({it.value(), it.key()});
    std::sort(byCount.begin(), byCount.end(), std::greater<>());
    QStringList parts;
    for (qsizetype i = 0; i < qMin<qsizetype>(4, byCount.size()); ++i)
        parts.append(QStringLiteral("%1 x%2").arg(name(byCount[i].second)).arg(byCount[i].first));
    return parts.join(QStringLiteral(", ")) + (byCount.size() > 4 ? ", ..." : "");
}

// What is wrong with the drawing at this probe, or nothing.
QString check(const QImage& image, const Probe& p) {
    const QString head = p.what + QStringLiteral(" at ") + where(p.area) + QStringLiteral(": ");
    if (!image.rect().contains(p.area))
        return head +
               QStringLiteral("outside the %1x%2 drawing").arg(image.width()).arg(image.height());
    int matching = 0;
    QPoint firstOther(-1, -1), firstMatch(-1, -1);
    bool fullRow = false;
    for (int y = p.area.top(); y <= p.area.bottom(); ++y) {
        int inRow = 0;
        for (int x = p.area.left(); x <= p.area.right(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (p.colour & 0xFFFFFF)) {
                ++matching;
                ++inRow;
                if (firstMatch.x() < 0)
                    firstMatch = QPoint(x, y);
            } else if (firstOther.x() < 0) {
                firstOther = QPoint(x, y);
            }
        }
        fullRow = fullRow || inRow == p.area.width();
    }
    const QString wanted = name(p.colour);
    switch (p.rule) {
    case Rule::Every:
        if (firstOther.x() < 0)
            return {};
        return head + QStringLiteral("expected %1, (%2,%3) is %4")
                          .arg(wanted)
                          .arg(firstOther.x())
                          .arg(firstOther.y())
                          .arg(name(image.pixel(firstOther)));
    case Rule::Some:
        if (matching > 0)
            return {};
        return head + QStringLiteral("expected some %1, found only %2")
                          .arg(wanted, contents(image, p.area));
    case Rule::None:
        if (matching == 0)
            return {};
        return head + QStringLiteral("expected no %1, found %2 pixels of it, the first at (%3,%4)")
                          .arg(wanted)
                          .arg(matching)
                          .arg(firstMatch.x())
                          .arg(firstMatch.y());
    case Rule::Count:
        if (matching == p.count)
            return {};
        return head + QStringLiteral("expected %1 pixels of %2, found %3 (%4)")
                          .arg(p.count)
                          .arg(wanted)
                          .arg(matching)
                          .arg(contents(image, p.area));
    case Rule::FullRow:
        if (fullRow)
            return {};
        return head + QStringLiteral("expected a row of %1 from end to end, found %2")
                          .arg(wanted, contents(image, p.area));
    }
    return {};
}

struct SampleDrawing {
    QSize size;
    QList<Probe> probes;
};

// The surface that `vorlap --png` writes is the label window's drawing surface: the label's
// frame (4 pixels a millimetre, 3 on a 126 x 126 CD label) less its 1-pixel edge on each side.
// Checked by hand on fond-couleur.etq: the RECT (20,20)-(120,100) draws columns 20 and 119 and
// rows 20 and 99, so label pixel (x, y) is surface pixel (x, y); the frame's last column and row
// are not on the surface. Rectangles, ellipses and fills leave out their right and bottom edge,
// and a line leaves out its last pixel.
QHash<QString, SampleDrawing> sampleDrawings() {
    QHash<QString, SampleDrawing> d;

    // 70 x 42 mm, FILLRECT 00A0C0E0, then a RECT (20,20)-(120,100), black pen, clear brush.
    const QRgb sand = ref(0x00A0C0E0);
    d["fond-couleur.etq"] = {
        {278, 166},
        {at("background at the top left", 5, 5, sand),
         at("background in the surface's last pixel", 277, 165, sand),
         at("inside the clear rectangle", 70, 60, sand),
         at("rectangle's left edge", 20, 60, kBlack), at("rectangle's top edge", 70, 20, kBlack),
         at("rectangle's last column", 119, 60, kBlack), at("rectangle's last row", 70, 99, kBlack),
         at("right of the rectangle (its right edge left out)", 120, 60, sand),
         at("below the rectangle (its bottom edge left out)", 70, 100, sand)}};

    // SHAPE: brush style 5 (rising diagonal hatch) in red 000000FF, frame in the pen colour
    // 0000FFFF; hatch lines 8 pixels apart with white between. An ELLIPSE (20,20)-(120,100)
    // with a clear brush lets the pattern show through.
    const QRgb red = ref(0x000000FF);
    const QRgb yellow = ref(0x0000FFFF);
    d["fond-motif.etq"] = {
        {278, 166},
        {every("frame's top row", box(0, 0, 277, 0), yellow),
         every("frame's left column", box(0, 0, 0, 165), yellow),
         count("one hatch line in 8 pixels of a row", box(150, 130, 157, 130), red, 1),
         count("one hatch line in 8 pixels of a column", box(150, 130, 150, 137), red, 1),
         count("white gaps between hatch lines", box(150, 130, 157, 137), kWhite, 56),
         count("pattern inside the clear ellipse", box(60, 60, 67, 60), red, 1),
         some("ellipse's left edge", box(20, 57, 21, 62), kBlack),
         some("ellipse's top edge", box(67, 20, 72, 21), kBlack)}};

    // COLOR from pen colour 00000000: 50 bands, each 5 redder than the one above, 166 / 50 = 3
    // pixels high, the last from 147 to the bottom. A black 14-point TEXT at (30,40).
    d["fond-degrade.etq"] = {
        {278, 166},
        {every("first band", box(0, 0, 277, 2), kBlack),
         every("second band", box(0, 3, 277, 5), qRgb(5, 0, 0)),
         every("band 49", box(0, 144, 277, 146), qRgb(240, 0, 0)),
         every("last band, to the bottom", box(0, 147, 277, 165), qRgb(245, 0, 0)),
         some("text 'dégradé' in its box", box(30, 40, 150, 60), kBlack),
         none("text above its box", box(30, 33, 150, 37), kBlack),
         none("text far right of its box", box(160, 38, 277, 62), kBlack)}};

    // 80 x 60 mm, COLORU from pen colour 000000FF: each band 5 less red, 238 / 50 = 4 pixels
    // high, the last (red 255 - 49 x 5 = 10) from 196 to the bottom.
    d["fond-degrade-inverse.etq"] = {
        {318, 238},
        {every("first band", box(0, 0, 317, 3), qRgb(255, 0, 0)),
         every("second band", box(0, 4, 317, 7), qRgb(250, 0, 0)),
         every("band 49", box(0, 192, 317, 195), qRgb(15, 0, 0)),
         every("last band, to the bottom", box(0, 196, 317, 237), qRgb(10, 0, 0))}};

    // CD label: FILLRECT with brush style 4 keeps that falling diagonal hatch, in 00008080:
    // its lines cross the whole label and the silver template shows between them. Then an
    // ELLIPSE (100,100)-(280,280) filled white with a 2-pixel black pen.
    const QRgb olive = ref(0x00008080);
    const QRgb silver = ref(0x00C0C0C0);
    d["cd-fond.etq"] = {
        {376, 376},
        {count("hatch line in the template's corner", box(0, 1, 7, 1), olive, 1),
         count("silver between the hatch lines", box(0, 1, 7, 1), silver, 7),
         count("hatch line at the far corner", box(368, 375, 375, 375), olive, 1),
         count("hatch line in the disc", box(40, 190, 47, 190), olive, 1),
         count("silver in the disc between the lines", box(40, 190, 47, 190), silver, 7),
         at("white ellipse's centre", 190, 190, kWhite),
         at("white ellipse near its left edge", 110, 190, kWhite),
         some("ellipse's left edge", box(98, 186, 102, 194), kBlack)}};

    // 60 x 150 mm. RECT (5,5)-(50,50) and ELLIPSE (60,5)-(120,60), black on a clear brush;
    // the "0ZZ" RECT cannot be drawn, the MOSAIC (red pen) draws nothing.
    d["defauts.etq"] = {
        {238, 598},
        {at("rectangle's left edge", 5, 27, kBlack), at("rectangle's last column", 49, 27, kBlack),
         at("right of the rectangle", 50, 27, kWhite), at("inside the rectangle", 27, 27, kWhite),
         some("ellipse's left edge", box(60, 29, 61, 36), kBlack),
         at("inside the ellipse", 90, 32, kWhite),
         none("anything in the MOSAIC's red", box(0, 0, 237, 597), ref(0x000000FF))}};

    // The header 00800503c00a opens as 70 x 42 mm; a blue RECT (250,140)-(270,160) near the
    // far corner shows the surface has that size.
    d["entete-corrige.etq"] = {{278, 166},
                               {at("blue rectangle near the far corner", 260, 150, ref(0x00FF0000)),
                                at("its left edge", 250, 150, kBlack)}};

    // 100 x 95 mm: rows of 8 objects of each kind, then a polygon, a polyline, a free-hand
    // line, a rectangle with an inside-frame pen, a selected ellipse and a locked rectangle.
    d["shapes.etq"] = {
        {398, 378},
        {at("LINE (10,10)-(48,34): first pixel", 10, 10, ref(0x0042C6C6)),
         at("LINE: its middle (29,22)", 29, 22, ref(0x0042C6C6)),
         at("LINE: last pixel left out", 48, 34, kWhite),
         at("LINEU (10,64) up to (48,40): first pixel", 10, 64, ref(0x0007C150)),
         at("RECT (10,70)-(48,94): solid fill", 29, 82, ref(0x00125FBB)),
         at("RECT: left edge in its pen colour", 10, 82, ref(0x00459DB5)),
         at("RECT: right edge left out", 48, 82, kWhite),
         at("RECT (55,70)-(93,94) with a clear brush: inside", 74, 82, kWhite),
         count("RECT (100,70)-(138,94) horizontal hatch: 1 line in 8 rows", box(119, 74, 119, 81),
               ref(0x0084161D), 1),
         fullRow("RECT horizontal hatch: a line across", box(106, 72, 132, 91), ref(0x0084161D)),
         at("ELLIPSE (10,100)-(48,124): fill", 29, 112, ref(0x00A71CA0)),
         at("ELLIPSE: box corner outside the ellipse", 10, 100, kWhite),
         none("ELLIPSE (235,100)-(273,124) with a clear pen: no outline", box(235, 100, 272, 123),
              ref(0x00221AF8)),
         at("ROUNDRECT (10,130)-(48,154): rounded-off corner", 10, 130, kWhite),
         some("ARCL (10,160)-(48,184) counter-clockwise from upper left: left side",
              box(10, 169, 11, 175), ref(0x00954E38)),
         none("ARCL: not on the right", box(46, 169, 47, 175), ref(0x00954E38)),
         some("ARCH (10,190)-(48,214) counter-clockwise from lower right: top",
              box(24, 190, 34, 191), ref(0x009A280E)),
         none("ARCH: not on the left", box(10, 199, 11, 205), ref(0x009A280E)),
         every("CHORDL lines draw nothing", box(235, 280, 363, 299), kWhite),
         count("POLYG cross hatch: one row and one column of an 8 x 8 tile", box(46, 326, 53, 333),
               ref(0x00FF0000), 15),
         some("POLYL: dotted green from (100,300)", box(100, 298, 110, 302), ref(0x00008000)),
         none("POLYL: not closed back to its start", box(106, 326, 114, 334), ref(0x00008000)),
         some("DRAW: middle of its first stroke (190,320)", box(188, 318, 192, 322),
              ref(0x00800080)),
         at("RECT (260,300)-(340,350): yellow fill", 300, 325, ref(0x0000FFFF)),
         at("RECT: inside-frame pen on its first column", 260, 325, ref(0x00404040)),
         at("RECT: nothing left of its box", 259, 325, kWhite),
         at("selected ELLIPSE (20,250)-(120,290): fill", 70, 270, ref(0x0000FF00)),
         some("selected ELLIPSE: a handle at its box's corner", box(18, 248, 22, 252), kBlack),
         fullRow("locked RECT (130,250)-(200,290): horizontal hatch", box(136, 254, 194, 285),
                 ref(0x000000FF))}};

    // 90 x 70 mm of texts, drawn on a clear brush in the window whatever their brush.
    // Courier New is monospaced: a 20-point character is 0.6 x 26.67 = 16 pixels wide.
    const int grande =
        10 + QFontMetrics(labelFont("Times New Roman", 36)).horizontalAdvance("Grande");
    d["textes.etq"] = {
        {358, 278},
        {every("nothing above the first text", box(0, 0, 357, 5), kWhite),
         some("black 'Étiquette été à Noël' in its box", box(10, 8, 300, 32), kBlack),
         some("red bold 'Gras' in its box", box(10, 36, 300, 64), ref(0x000000FF)),
         none("the texts' brush colour", box(0, 0, 357, 277), ref(0x00C0FFC0)),
         some("green italic 'Italique' in its box", box(10, 68, 300, 88), ref(0x00008000)),
         fullRow("navy 'Souligné' underlined", box(12, 108, 100, 122), ref(0x00800000)),
         fullRow("maroon 'Barré' struck out", box(12, 132, 44, 142), ref(0x00000080)),
         some("36-point 'Grande' reaching its end", box(grande - 12, 156, grande - 1, 228),
              ref(0x00404040)),
         none("36-point 'Grande' beyond its end", box(grande + 4, 156, 357, 228), ref(0x00404040)),
         some("Windows-1252 euro sign, second character", box(26, 234, 41, 256), ref(0x000080FF)),
         some("Windows-1252 ellipsis, fourth character, on the baseline", box(58, 246, 73, 258),
              ref(0x000080FF)),
         none("ellipsis: nothing above its dots", box(58, 232, 73, 244), ref(0x000080FF))}};

    // A ROUNDRECT frame, an orange RECT with a white-hatched ELLIPSE on it, a rule and texts.
    const QRgb frame = ref(0x00804000);
    const QRgb amber = ref(0x0000C0FF);
    d["adresse.etq"] = {
        {278, 166},
        {some("ROUNDRECT (4,4)-(274,162): left side", box(3, 80, 6, 86), frame),
         at("ROUNDRECT: rounded-off corner", 6, 6, kWhite),
         at("RECT (12,14)-(52,54): fill", 14, 16, amber),
         at("RECT: left edge", 12, 34, ref(0x000060C0)),
         at("RECT: right edge left out", 52, 34, kWhite),
         count("ELLIPSE (20,22)-(44,46): one white hatch line in 8", box(28, 34, 35, 34), kWhite,
               1),
         every("LINE (64,60)-(262,60)", box(64, 60, 261, 60), frame),
         at("LINE: last pixel left out", 262, 60, kWhite),
         some("bold 'Mme Hélène Dupré' in its box", box(64, 20, 214, 44), ref(0x00400000)),
         none("nothing above the name", box(64, 12, 214, 17), ref(0x00400000)),
         some("'75005 Paris — France' in its box", box(64, 95, 194, 114), kBlack),
         some("dark red 'Fragile' in its box", box(64, 128, 224, 144), ref(0x000000C0))}};

    // Field references drawn as typed, the name in bold above the address.
    d["adresses-fusion.etq"] = {
        {250, 150},
        {some("bold '{Nom}' in its box", box(24, 28, 110, 56), kBlack),
         none("nothing above the name", box(24, 8, 110, 22), kBlack),
         some("'{Adresse}' in its box", box(24, 72, 120, 96), kBlack),
         some("'{Code postal} {Ville}' in its box", box(24, 108, 200, 132), kBlack),
         none("nothing right of the texts", box(210, 20, 248, 140), kBlack)}};

    // CD label without background: the silver template outside the disc (4,4)-(374,374),
    // circles, two half arcs, texts and a gold triangle.
    const QRgb orange = ref(0x000080FF);
    const QRgb green = ref(0x0000A000);
    d["cd-vacances.etq"] = {
        {376, 376},
        {at("template's corner", 1, 1, silver), at("template's far corner", 374, 374, silver),
         some("disc's outline", box(3, 185, 6, 193), kBlack),
         some("ELLIPSE (40,40)-(336,336): left side", box(38, 185, 43, 191), ref(0x00A05000)),
         some("ARCH (70,70)-(306,306) from lower right: top", box(170, 67, 206, 74), orange),
         none("ARCH: not on the left", box(66, 170, 74, 206), orange),
         some("ARCL same box from upper left: left side", box(66, 170, 74, 206), green),
         some("ARCL: bottom", box(170, 302, 206, 309), green),
         none("ARCL: not on the top", box(170, 67, 206, 74), green),
         some("navy 'Vacances d'été' in its box", box(110, 80, 270, 109), ref(0x00800000)),
         at("POLYG (170,262),(170,300),(206,300): gold inside", 178, 292, ref(0x0000D7FF)),
         at("POLYG: its box beyond the slanted side", 200, 268, silver)}};

    // Picture lists run column by column; the list of the two 20 x 15 BITMAPs gives column c,
    // row r the colour blue (c x r) & 255, green 16 r, red 12 c. The first is drawn at its own
    // size at (10,10), the second 4 times as large at (40,10). The META is an 8 x 8
    // checkerboard, green 00008000 where column + row is even, in the reversed box
    // (130,70)-(100,20). The last BITMAP is 10 x 10 at 5 times its size at (10,80), with only
    // 35 blue pixels listed: columns 0 to 2 whole and rows 0 to 4 of column 3; the rest is white.
    const QRgb checkGreen = ref(0x00008000);
    const QRgb checkOrange = ref(0x000080FF);
    const QRgb blue = ref(0x00FF0000);
    d["images.etq"] = {
        {278, 166},
        {at("BITMAP at its size: column 0, row 0", 10, 10, ref(0x00000000)),
         at("BITMAP at its size: column 5, row 3", 15, 13, ref(0x000F303C)),
         at("BITMAP at its size: column 19, row 14", 29, 24, ref(0x000AE0E4)),
         every("BITMAP 4 times as large: column 10, row 12", box(80, 58, 83, 61), ref(0x0078C078)),
         every("BITMAP 4 times as large: column 14, row 8", box(96, 42, 99, 45), ref(0x007080A8)),
         every("BITMAP 4 times as large: column 19, row 0", box(116, 10, 119, 13), ref(0x000000E4)),
         every("META square 0,0", box(101, 22, 102, 24), checkGreen),
         every("META square 1,0", box(105, 22, 106, 24), checkOrange),
         every("META square 0,1", box(101, 28, 102, 30), checkOrange),
         every("right of the META", box(131, 20, 140, 69), kWhite),
         every("listed pixels: columns 0 to 2", box(10, 80, 24, 129), blue),
         every("listed pixels: column 3, rows 0 to 4", box(25, 80, 29, 104), blue),
         every("pixels missing from the list: column 3, rows 5 to 9", box(25, 105, 29, 129),
               kWhite),
         every("pixels missing from the list: columns 4 to 9", box(30, 80, 59, 129), kWhite)}};
    return d;
}

} // namespace

void TestSamples::savedSampleGivesBackItsBytes_data() {
    QTest::addColumn<QString>("label");
    for (const QString& label : sampleFiles())
        QTest::newRow(qPrintable(QFileInfo(label).fileName())) << label;
}

void TestSamples::savedSampleGivesBackItsBytes() {
    QFETCH(QString, label);
    const QString name = QFileInfo(label).fileName();
    QByteArray expected = fileBytes(label);
    QVERIFY2(!expected.isEmpty(), "the sample does not read");
    for (const Edit& edit : roundTripEdits().value(name)) {
        // An edit that no longer matches the sample would silently expect the sample's bytes.
        QVERIFY2(expected.count(edit.from) == 1,
                 qPrintable("the expected change of '" + QString::fromLatin1(edit.from) +
                            "' does not find that text once in the sample"));
        expected.replace(edit.from, edit.to);
    }
    expected = withFittedTexts(expected);

    QTemporaryDir dir;
    const QByteArray saved = savedCopy(label, dir.filePath(name));
    const QString difference = firstDifference(saved, expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestSamples::drawingShowsWhatTheLinesSay_data() {
    QTest::addColumn<QString>("label");
    for (const QString& label : sampleFiles())
        QTest::newRow(qPrintable(QFileInfo(label).fileName())) << label;
}

void TestSamples::drawingShowsWhatTheLinesSay() {
    QFETCH(QString, label);
    const QString name = QFileInfo(label).fileName();
    const QHash<QString, SampleDrawing> drawings = sampleDrawings();
    QVERIFY2(drawings.contains(name), "a sample without probes: add the places to look at");
    const SampleDrawing& sample = drawings[name];

    QTemporaryDir dir;
    const QString png = dir.filePath(name + ".png");
    QCOMPARE(exportPng(label, png), 0);
    const QImage image = QImage(png).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(image.size(), sample.size);

    QStringList wrong;
    for (const Probe& probe : sample.probes) {
        const QString problem = check(image, probe);
        if (!problem.isEmpty())
            wrong.append(problem);
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("%1 of %2 probes wrong:\n  %3")
                                             .arg(wrong.size())
                                             .arg(sample.probes.size())
                                             .arg(wrong.join(QStringLiteral("\n  ")))));
}

QTEST_MAIN(TestSamples)
#include "tst_samples.moc"
