#pragma once

#include "CanvasTypes.h"
#include "ObjectKinds.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QSize>

#include <optional>

// The label document: line 0 the header, line 1 the background record, then one line
// per object in drawing order. Lines are kept as the file's bytes.
using LineList = QList<QByteArray>;

// Left, top, right, bottom of a rectangle field, as written (not normalised).
struct LabelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const LabelRect&) const = default;
};

// The attributes a style block carries. fontStyle is a set of FontStyleFlag bits.
struct StyleBlock {
    int brushStyle = BrushSolid;
    ColorRef brushColor = 0x00FFFFFF;
    int penStyle = PenSolid;
    int penWidth = 1;
    ColorRef penColor = 0;
    ColorRef fontColor = 0;
    int fontSize = 12;
    int fontStyle = 0;
    QByteArray fontName = "Arial";
    bool operator==(const StyleBlock&) const = default;
};

// An object line cut into its parts: mark, group digit, keyword, rectangle field, kind data,
// arrow marker and style block. splitLine gives views into the line it cut; joinLine puts
// parts back together, the same ones or new pieces, into the same bytes.
struct LineParts {
    char mark = ' ';
    char group = '0';
    QByteArrayView body; // after mark and group digit, up to the TAB
    bool hasBlank = false;
    QByteArrayView keyword;   // empty when the body holds no blank
    QByteArrayView geometry;  // after the keyword's blank: rectangle field and kind data
    QByteArrayView rectField; // the first 12 characters of the geometry (fewer when short)
    QByteArrayView kindData;  // after the rectangle field: points, text or pixels
    bool hasTab = false;
    QByteArrayView arrow;  // '>' and a digit, or empty
    QByteArrayView styles; // the style block without the arrow marker
};

// Fields of the style block, in their order: where each starts and how many characters it
// takes (the font name takes the rest).
enum class StyleField {
    BrushStyle,
    BrushColor,
    PenStyle,
    PenWidth,
    PenColor,
    FontColor,
    FontSize,
    FontStyle,
    FontName
};

struct LabelFormatValues {
    int width = 70;
    int height = 42;
    int hspacing = 0;
    int vspacing = 0;
    bool operator==(const LabelFormatValues&) const = default;
};

namespace LineCodec {

constexpr int kMaxCoordinate = 4095;
constexpr int kMaxPoints = 300;
constexpr int kMaxPicturePixels = 21800;
// Readers take at most this many characters after the keyword's blank and after the TAB.
constexpr int kMaxFieldText = 131072;

// The background record of a new label: plain mark, group 0, the blank kind alone.
inline const QByteArray kBlankRecord = " 0" + ObjectKinds::keyword(ObjectKind::Blank).toByteArray();

// Upper-case hexadecimal, zero-padded to width digits; the value is clamped to what the
// field holds, so a writer never shifts the fields after it.
QByteArray hex(qint64 value, int width);
// A field as the readers take it: hexadecimal digits of either case, nothing else.
std::optional<quint32> parseHex(QByteArrayView digits);

LineParts splitLine(QByteArrayView line);
// The line the parts make; a body without a blank is kept as it is.
QByteArray joinLine(const LineParts& parts);
// A new object line: mark ' ', group '0'.
QByteArray objectLine(QByteArrayView keyword, QByteArrayView rectField, QByteArrayView kindData,
                      QByteArrayView styles);
// What readers take of a field that runs to the end of the line or to the TAB.
QByteArrayView readerLimit(QByteArrayView text);

// One field of a style block (without arrow marker), possibly shorter than its width when
// the block is cut short; and the block with that field replaced.
QByteArrayView styleField(QByteArrayView block, StyleField field);
QByteArray withStyleField(QByteArrayView block, StyleField field, QByteArrayView value);

// Reads the four three-digit fields; throws UserError for a field that does not convert.
LabelRect readRect(QByteArrayView geometry);
// Same, without the error: nullopt when a field does not convert.
std::optional<LabelRect> tryReadRect(QByteArrayView geometry);
// The rectangle as the selection and the object list read it: a number that does not
// convert is 0, and so are the ones after it.
LabelRect readRectLenient(QByteArrayView digits);
QByteArray writeRect(const LabelRect& rect);
QByteArray writeRect(int left, int top, int right, int bottom);

// The point list that follows the rectangle field (the text after its 12 digits).
QList<QPoint> readPoints(QByteArrayView pointList);
QByteArray writePoints(const QList<QPoint>& points);

// Picture size and pixel list after the rectangle field; pixels missing from the list stay white.
QImage readPicture(QByteArrayView pictureData);
// The same picture as far as its pixel list reaches: only the columns the list gets to are
// made, so that the memory follows the list and not the declared size, which goes to `size`
// (empty when the picture has none).
QImage readPictureColumns(QByteArrayView pictureData, QSize& size);
QByteArray writePicture(const QImage& picture);

// Reads a style block (without arrow marker) over the attributes held in `style`.
void readStyles(QByteArrayView block, StyleBlock& style);
QByteArray writeStyles(const StyleBlock& style);
int fontStyleFromDigit(int digit);
char fontStyleDigit(int fontStyleFlags);

QByteArray writeHeader(const LabelFormatValues& format);
// Reads the header fields in order; a field that does not convert ends the reading and
// leaves it and the following ones as they were. Returns whether all four converted.
bool readHeader(QByteArrayView header, LabelFormatValues& format);
// One of the header's four fields (0 width .. 3 vertical spacing), nullopt when it does not
// convert.
std::optional<int> headerField(QByteArrayView header, int index);

QByteArray defaultHeader();
LineList newLabel(const LabelFormatValues& format = {});

// Drops object lines (from line 2 on) whose first TAB is not beyond column 15.
void dropMalformedLines(LineList& lines);
// Whether an object line has its first TAB beyond column 15, as the reader keeps it.
bool isWellFormedObjectLine(QByteArrayView line);

} // namespace LineCodec
