#include "LineCodec.h"

#include "UserError.h"

#include <array>

#include <algorithm>

namespace LineCodec {

namespace {

// Every number of every line goes through here, many times a redraw: one look-up a digit.
constexpr std::array<signed char, 256> kHexDigits = [] {
    std::array<signed char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = -1;
    for (int d = 0; d < 10; ++d)
        table['0' + d] = char(d);
    for (int d = 0; d < 6; ++d) {
        table['A' + d] = char(10 + d);
        table['a' + d] = char(10 + d);
    }
    return table;
}();

int hexDigitValue(char c) {
    return kHexDigits[uchar(c)];
}

QByteArrayView field(QByteArrayView text, qsizetype from, qsizetype length) {
    if (from >= text.size())
        return {};
    return text.sliced(from, qMin(length, text.size() - from));
}

// A one-digit style code; anything but a decimal digit reads as 0.
int styleDigit(QByteArrayView digit) {
    if (!digit.isEmpty() && digit[0] >= '0' && digit[0] <= '9')
        return digit[0] - '0';
    return 0;
}

int hexOrZero(QByteArrayView digits) {
    return int(parseHex(digits).value_or(0));
}

} // namespace

QByteArray hex(qint64 value, int width) {
    static constexpr char digits[] = "0123456789ABCDEF";
    const qint64 largest = (qint64(1) << (4 * width)) - 1;
    quint64 clamped = quint64(qBound<qint64>(0, value, largest));
    QByteArray text(width, '0');
    for (int i = width - 1; i >= 0 && clamped; --i, clamped >>= 4)
        text[i] = digits[clamped & 15];
    return text;
}

std::optional<quint32> parseHex(QByteArrayView digits) {
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    quint32 value = 0;
    for (const char c : digits) {
        const int d = hexDigitValue(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + quint32(d);
    }
    return value;
}

LineParts splitLine(QByteArrayView line) {
    LineParts parts;
    if (!line.isEmpty())
        parts.mark = line[0];
    if (line.size() > 1)
        parts.group = line[1];
    QByteArrayView body = line.sliced(qMin<qsizetype>(2, line.size()));
    const qsizetype tab = body.indexOf('\t');
    if (tab >= 0) {
        parts.hasTab = true;
        QByteArrayView styles = body.sliced(tab + 1);
        if (styles.startsWith('>')) {
            parts.arrow = styles.first(qMin<qsizetype>(2, styles.size()));
            styles = styles.sliced(parts.arrow.size());
        }
        parts.styles = styles;
        body = body.first(tab);
    }
    parts.body = body;
    const qsizetype blank = body.indexOf(' ');
    if (blank >= 0) {
        parts.hasBlank = true;
        parts.keyword = body.first(blank);
        parts.geometry = body.sliced(blank + 1);
        parts.rectField = parts.geometry.first(qMin<qsizetype>(12, parts.geometry.size()));
        parts.kindData = parts.geometry.sliced(parts.rectField.size());
    }
    return parts;
}

QByteArray joinLine(const LineParts& p) {
    QByteArray line;
    line.reserve(4 + p.body.size() + p.rectField.size() + p.kindData.size() + p.arrow.size() +
                 p.styles.size());
    line += p.mark;
    line += p.group;
    if (p.hasBlank) {
        line += p.keyword;
        line += ' ';
        line += p.rectField;
        line += p.kindData;
    } else {
        line += p.body;
    }
    if (p.hasTab) {
        line += '\t';
        line += p.arrow;
        line += p.styles;
    }
    return line;
}

QByteArray objectLine(QByteArrayView keyword, QByteArrayView rectField, QByteArrayView kindData,
                      QByteArrayView styles) {
    LineParts parts;
    parts.hasBlank = true;
    parts.keyword = keyword;
    parts.rectField = rectField;
    parts.kindData = kindData;
    parts.hasTab = true;
    parts.styles = styles;
    return joinLine(parts);
}

QByteArrayView readerLimit(QByteArrayView text) {
    return text.first(qMin<qsizetype>(text.size(), kMaxFieldText));
}

namespace {

struct FieldPlace {
    qsizetype at;
    qsizetype width; // -1: the rest of the block
};

constexpr FieldPlace kStyleFields[] = {{0, 1},  {1, 8},  {9, 1},  {10, 2}, {12, 8},
                                       {20, 8}, {28, 2}, {30, 1}, {31, -1}};

} // namespace

QByteArrayView styleField(QByteArrayView block, StyleField which) {
    const FieldPlace place = kStyleFields[int(which)];
    return field(block, place.at, place.width < 0 ? block.size() : place.width);
}

QByteArray withStyleField(QByteArrayView block, StyleField which, QByteArrayView value) {
    const FieldPlace place = kStyleFields[int(which)];
    QByteArray result = block.toByteArray();
    if (place.at <= result.size())
        result.replace(place.at,
                       place.width < 0 ? result.size() - place.at
                                       : qMin(place.width, result.size() - place.at),
                       value.toByteArray());
    return result;
}

std::optional<LabelRect> tryReadRect(QByteArrayView geometry) {
    int values[4];
    for (int i = 0; i < 4; ++i) {
        const auto v = parseHex(field(geometry, 3 * i, 3));
        if (!v)
            return std::nullopt;
        values[i] = int(*v);
    }
    return LabelRect{values[0], values[1], values[2], values[3]};
}

LabelRect readRectLenient(QByteArrayView digits) {
    int values[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        const auto v = parseHex(field(digits, 3 * i, 3));
        if (!v)
            break;
        values[i] = int(*v);
    }
    return LabelRect{values[0], values[1], values[2], values[3]};
}

LabelRect readRect(QByteArrayView geometry) {
    for (int i = 0; i < 4; ++i) {
        const QByteArrayView digits = field(geometry, 3 * i, 3);
        if (!parseHex(digits))
            throw UserError::notAnInteger(QLatin1Char('$') + QString::fromLatin1(digits));
    }
    return *tryReadRect(geometry);
}

QByteArray writeRect(int left, int top, int right, int bottom) {
    return hex(left, 3) + hex(top, 3) + hex(right, 3) + hex(bottom, 3);
}

QByteArray writeRect(const LabelRect& r) {
    return writeRect(r.left, r.top, r.right, r.bottom);
}

QList<QPoint> readPoints(QByteArrayView list) {
    QList<QPoint> points;
    for (qsizetype at = 0; at < list.size() && points.size() < kMaxPoints; at += 6) {
        const QByteArrayView xs = field(list, at, 3);
        const QByteArrayView ys = field(list, at + 3, 3);
        if (xs.isEmpty() || ys.isEmpty())
            break;
        const auto x = parseHex(xs);
        const auto y = parseHex(ys);
        if (x && y)
            points.append(QPoint(int(*x), int(*y)));
    }
    return points;
}

QByteArray writePoints(const QList<QPoint>& points) {
    QByteArray list;
    list.reserve(points.size() * 6);
    for (const QPoint& p : points)
        list += hex(p.x(), 3) + hex(p.y(), 3);
    return list;
}

QImage readPictureColumns(QByteArrayView data, QSize& size) {
    const int width = int(parseHex(field(data, 0, 3)).value_or(0));
    const int height = int(parseHex(field(data, 3, 3)).value_or(0));
    size = QSize();
    if (width <= 0 || height <= 0)
        return QImage();
    size = QSize(width, height);
    // The list runs column by column; a last entry shorter than six digits still counts.
    const qsizetype entries = (qMax<qsizetype>(0, data.size() - 6) + 5) / 6;
    const int columns = int(qMin<qsizetype>(width, (entries + height - 1) / height));
    if (columns == 0)
        return QImage();
    QImage picture(columns, height, QImage::Format_RGB32);
    if (picture.isNull())
        return picture;
    picture.fill(Qt::white);
    const char* digits = data.data();
    const qsizetype end = data.size();
    qsizetype at = 6;
    const qsizetype stride = picture.bytesPerLine() / 4;
    auto* pixels = reinterpret_cast<QRgb*>(picture.bits());
    for (int x = 0; x < columns; ++x) {
        for (int y = 0; y < height && at < end; ++y, at += 6) {
            // Six digits blue, green, red; a short or bad entry leaves the pixel white.
            quint32 value = 0;
            bool ok = true;
            const qsizetype n = qMin<qsizetype>(6, end - at);
            for (qsizetype i = 0; i < n; ++i) {
                const int d = hexDigitValue(digits[at + i]);
                if (d < 0) {
                    ok = false;
                    break;
                }
                value = value * 16 + quint32(d);
            }
            if (ok)
                pixels[y * stride + x] =
                    qRgb(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
        }
    }
    return picture;
}

QImage readPicture(QByteArrayView data) {
    QSize size;
    const QImage columns = readPictureColumns(data, size);
    if (size.isEmpty() || columns.width() == size.width())
        return columns;
    QImage picture(size, QImage::Format_RGB32);
    if (picture.isNull())
        return picture;
    picture.fill(Qt::white);
    for (int y = 0; y < columns.height(); ++y)
        std::copy_n(reinterpret_cast<const QRgb*>(columns.constScanLine(y)), columns.width(),
                    reinterpret_cast<QRgb*>(picture.scanLine(y)));
    return picture;
}

QByteArray writePicture(const QImage& source) {
    const QImage picture = source.convertToFormat(QImage::Format_RGB32);
    QByteArray data;
    data.reserve(6 + qsizetype(picture.width()) * picture.height() * 6);
    data += hex(picture.width(), 3) + hex(picture.height(), 3);
    static const char digits[] = "0123456789ABCDEF";
    char entry[6];
    for (int x = 0; x < picture.width(); ++x) {
        for (int y = 0; y < picture.height(); ++y) {
            const QRgb rgb = picture.pixel(x, y);
            const int bytes[3] = {qBlue(rgb), qGreen(rgb), qRed(rgb)};
            for (int i = 0; i < 3; ++i) {
                entry[2 * i] = digits[bytes[i] >> 4];
                entry[2 * i + 1] = digits[bytes[i] & 15];
            }
            data.append(entry, 6);
        }
    }
    return data;
}

int fontStyleFromDigit(int digit) {
    switch (digit) {
    case 1:
        return FontBold;
    case 2:
        return FontItalic;
    case 3:
        return FontUnderline;
    case 4:
        return FontStrikeOut;
    default:
        return 0;
    }
}

char fontStyleDigit(int flags) {
    switch (flags) {
    case FontBold:
        return '1';
    case FontItalic:
        return '2';
    case FontUnderline:
        return '3';
    case FontStrikeOut:
        return '4';
    default:
        return '0';
    }
}

void readStyles(QByteArrayView block, StyleBlock& style) {
    using F = StyleField;
    const int brush = styleDigit(styleField(block, F::BrushStyle));
    if (brush <= 7)
        style.brushStyle = brush;
    style.brushColor = ColorRef(parseHex(styleField(block, F::BrushColor)).value_or(0));
    const int pen = styleDigit(styleField(block, F::PenStyle));
    if (pen <= 6)
        style.penStyle = pen;
    style.penWidth = hexOrZero(styleField(block, F::PenWidth));
    style.penColor = ColorRef(parseHex(styleField(block, F::PenColor)).value_or(0));
    style.fontColor = ColorRef(parseHex(styleField(block, F::FontColor)).value_or(0));
    style.fontSize = hexOrZero(styleField(block, F::FontSize));
    const int font = styleDigit(styleField(block, F::FontStyle));
    if (font <= 4)
        style.fontStyle = fontStyleFromDigit(font);
    style.fontName = styleField(block, F::FontName).toByteArray();
}

QByteArray writeStyles(const StyleBlock& s) {
    QByteArray block;
    block += char('0' + qBound(0, s.brushStyle, 7));
    block += hex(s.brushColor, 8);
    block += char('0' + qBound(0, s.penStyle, 6));
    block += hex(s.penWidth, 2);
    block += hex(s.penColor, 8);
    block += hex(s.fontColor, 8);
    block += hex(s.fontSize, 2);
    block += fontStyleDigit(s.fontStyle);
    QByteArray name = s.fontName;
    name.replace('\t', ' ').replace('\r', ' ').replace('\n', ' ');
    block += name;
    return block;
}

QByteArray writeHeader(const LabelFormatValues& f) {
    return hex(f.width, 3) + hex(f.height, 3) + hex(f.hspacing, 3) + hex(f.vspacing, 3);
}

std::optional<int> headerField(QByteArrayView header, int index) {
    const auto v = parseHex(field(header, 3 * index, 3));
    return v ? std::optional<int>(int(*v)) : std::nullopt;
}

bool readHeader(QByteArrayView header, LabelFormatValues& format) {
    int* targets[4] = {&format.width, &format.height, &format.hspacing, &format.vspacing};
    for (int i = 0; i < 4; ++i) {
        const auto v = headerField(header, i);
        if (!v)
            return false;
        *targets[i] = *v;
    }
    return true;
}

QByteArray defaultHeader() {
    return writeHeader(LabelFormatValues{});
}

LineList newLabel(const LabelFormatValues& format) {
    return {writeHeader(format), kBlankRecord};
}

bool isWellFormedObjectLine(QByteArrayView line) {
    // Column 15 is index 14 once the line starts at column 1.
    return line.indexOf('\t') >= 15;
}

void dropMalformedLines(LineList& lines) {
    if (lines.size() <= 2)
        return;
    // In one pass: removing damaged lines one at a time moves every line after each of
    // them, which is quadratic in a file with many.
    const auto kept = std::remove_if(lines.begin() + 2, lines.end(), [](const QByteArray& line) {
        return !isWellFormedObjectLine(line);
    });
    lines.erase(kept, lines.end());
}

} // namespace LineCodec
