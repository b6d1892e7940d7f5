#include "LineEdits.h"

#include "GdiCanvas.h"
#include "ObjectKinds.h"
#include "Windows1252.h"

#include <cmath>
#include <optional>

namespace LineEdits {

QSize textObjectExtent(const QByteArray& text, const StyleBlock& style) {
    GdiCanvas measure;
    measure.setFontName(Windows1252::toUnicode(style.fontName));
    measure.setFontSize(style.fontSize);
    measure.setFontStyle(style.fontStyle);
    return measure.textExtent(Windows1252::toUnicode(text));
}

LabelRect selectionRect(const QByteArray& line) {
    // The selection reads no further than the first 255 characters after the mark; a line
    // without a blank there is read from its start.
    constexpr qsizetype kRead = 255;
    const LineParts parts = LineCodec::splitLine(line);
    const qsizetype rectStart = parts.keyword.size() + 1;
    QByteArrayView digits;
    if (parts.hasBlank && rectStart <= kRead)
        digits = parts.rectField.first(qMin(parts.rectField.size(), kRead - rectStart));
    else
        digits = parts.body.first(qMin(parts.body.size(), kRead));
    return LineCodec::readRectLenient(digits);
}

std::array<QPoint, 8> handlePoints(const LabelRect& b) {
    const int d = qAbs(b.right - b.left) / 2;
    const int e = qAbs(b.bottom - b.top) / 2;
    return {QPoint(b.left, b.top),     QPoint(b.right, b.top),      QPoint(b.left, b.bottom),
            QPoint(b.right, b.bottom), QPoint(b.left, b.top + e),   QPoint(b.right, b.top + e),
            QPoint(b.left + d, b.top), QPoint(b.left + d, b.bottom)};
}

QByteArray Recadre(const QByteArray& line) {
    LineParts parts = LineCodec::splitLine(line);
    if (ObjectKinds::of(parts.keyword).kind != ObjectKind::Text)
        return line;
    const auto corner = LineCodec::tryReadRect(parts.rectField);
    if (!corner)
        return line;
    // The text runs from after the 12 rectangle digits up to the TAB, however long it is.
    StyleBlock style;
    LineCodec::readStyles(LineCodec::readerLimit(parts.styles), style);
    const QSize extent = textObjectExtent(parts.kindData.toByteArray(), style);
    const int l = corner->left;
    const int t = corner->top;
    const QByteArray fitted = LineCodec::writeRect(l, t, l + extent.width(), t + extent.height());
    parts.rectField = fitted;
    return LineCodec::joinLine(parts);
}

} // namespace LineEdits

namespace LineEdits {

namespace {

bool isPicture(QByteArrayView keyword) {
    const ObjectKind kind = ObjectKinds::of(keyword).kind;
    return kind == ObjectKind::Bitmap || kind == ObjectKind::Metafile;
}

// Kinds whose data after the rectangle is not geometry: a move leaves it as it is.
bool keepsItsData(QByteArrayView keyword) {
    const ObjectKind kind = ObjectKinds::of(keyword).kind;
    return kind == ObjectKind::Text || kind == ObjectKind::Barcode || isPicture(keyword);
}

// A line cut for editing, with its rectangle read; nothing for a line without a whole one.
std::optional<std::pair<LineParts, LabelRect>> cutWithRect(const QByteArray& line) {
    if (line.size() < 2)
        return std::nullopt;
    const LineParts parts = LineCodec::splitLine(line);
    if (!parts.hasBlank || parts.rectField.size() < 12)
        return std::nullopt;
    const auto rect = LineCodec::tryReadRect(parts.rectField);
    if (!rect)
        return std::nullopt;
    return std::make_pair(parts, *rect);
}

bool isPointList(QByteArrayView keyword) {
    return ObjectKinds::editsPointList(keyword);
}

bool inRange(int v) {
    return v >= 0 && v <= LineCodec::kMaxCoordinate;
}

// Rounds to the nearest integer, a half to the even neighbour.
int roundHalfEven(double v) {
    return int(std::nearbyint(v));
}

} // namespace

QByteArray MoveXY(const QByteArray& line, int dx, int dy) {
    auto cutLine = cutWithRect(line);
    if (!cutLine)
        return line;
    auto& [parts, rect] = *cutLine;
    // The rectangle and the points move together or not at all.
    if (!inRange(rect.left + dx) || !inRange(rect.top + dy) || !inRange(rect.right + dx) ||
        !inRange(rect.bottom + dy))
        return line;
    QByteArray moved;
    if (isPointList(parts.keyword)) {
        moved = parts.kindData.toByteArray();
        for (qsizetype at = 0; at + 6 <= moved.size(); at += 6) {
            const auto x = LineCodec::parseHex(QByteArrayView(moved).sliced(at, 3));
            const auto y = LineCodec::parseHex(QByteArrayView(moved).sliced(at + 3, 3));
            if (!x || !y)
                continue;
            if (!inRange(int(*x) + dx) || !inRange(int(*y) + dy))
                return line;
            moved.replace(at, 6, LineCodec::hex(int(*x) + dx, 3) + LineCodec::hex(int(*y) + dy, 3));
        }
        parts.kindData = moved;
    } else if (!keepsItsData(parts.keyword)) {
        parts.kindData = {};
    }
    const QByteArray rectField =
        LineCodec::writeRect(rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy);
    parts.rectField = rectField;
    return LineCodec::joinLine(parts);
}

QByteArray RedimPoly(QByteArrayView list, int handle, int dx, int dy, int& left, int& top,
                     int& right, int& bottom) {
    if (list.size() < 18)
        return list.toByteArray();
    QByteArray moved = list.toByteArray();
    const bool movesX = handle != 7 && handle != 8;
    const bool movesY = handle != 5 && handle != 6;
    const int heldX = (handle == 1 || handle == 3 || handle == 5) ? right : left;
    const int heldY = (handle == 1 || handle == 2 || handle == 7) ? bottom : top;
    int minX = 8192, minY = 8192, maxX = 0, maxY = 0;
    bool outside = false;
    for (qsizetype at = 0; at + 6 <= moved.size(); at += 6) {
        const auto px = LineCodec::parseHex(QByteArrayView(moved).sliced(at, 3));
        const auto py = LineCodec::parseHex(QByteArrayView(moved).sliced(at + 3, 3));
        if (!px || !py)
            continue;
        int x = int(*px);
        int y = int(*py);
        // A point on the edge the handle holds stays; corners move both ways, middle
        // handles one axis only.
        const bool free = (!movesX || x != heldX) && (!movesY || y != heldY);
        if (free && handle >= 1 && handle <= 8) {
            if (movesX)
                x += dx;
            if (movesY)
                y += dy;
        }
        moved.replace(at, 6, LineCodec::hex(x, 3) + LineCodec::hex(y, 3));
        outside = outside || !inRange(x) || !inRange(y);
        minX = qMin(minX, x);
        minY = qMin(minY, y);
        maxX = qMax(maxX, x);
        maxY = qMax(maxY, y);
    }
    // A point pushed out of range makes the box out of range too, so the step is refused.
    left = outside ? -1 : minX;
    top = minY;
    right = maxX;
    bottom = maxY;
    return moved;
}

QByteArray RedimText(const QByteArray& styles, const QByteArray& text, int left, int right,
                     int& resizeFontSize) {
    const QByteArrayView sizeField = LineCodec::styleField(styles, StyleField::FontSize);
    const bool whole = sizeField.size() == 2;
    if (resizeFontSize == 0)
        resizeFontSize = whole ? int(LineCodec::parseHex(sizeField).value_or(0)) : 0;
    StyleBlock style;
    LineCodec::readStyles(styles, style);
    style.fontSize = resizeFontSize;
    const int width = textObjectExtent(text, style).width();
    if (width <= 0 || !whole)
        return styles;
    const int size = roundHalfEven(double(right - left) / width * resizeFontSize);
    return LineCodec::withStyleField(styles, StyleField::FontSize, LineCodec::hex(size, 2));
}

QByteArray RedimXY(const QByteArray& line, int dx, int dy, int handle, int& resizeFontSize) {
    auto cutLine = cutWithRect(line);
    if (!cutLine)
        return line;
    auto& [parts, rect] = *cutLine;
    int l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
    const qint64 oldArea = qint64(r - l) * (b - t);
    switch (handle) {
    case 4:
    case 6:
    case 8:
        r += dx;
        b += dy;
        break;
    case 1:
    case 5:
    case 7:
        l += dx;
        t += dy;
        break;
    case 2:
        t += dy;
        r += dx;
        break;
    case 3:
        l += dx;
        b += dy;
        break;
    default:
        return line;
    }
    QByteArray points;
    if (isPointList(parts.keyword)) {
        points = RedimPoly(parts.kindData, handle, dx, dy, l, t, r, b);
        parts.kindData = points;
    }
    QByteArray styles;
    if (ObjectKinds::of(parts.keyword).kind == ObjectKind::Text && parts.hasTab) {
        styles = RedimText(parts.styles.toByteArray(), parts.kindData.toByteArray(), l, r,
                           resizeFontSize);
        // A text below one point is an invisible dot nobody can click again.
        const auto size = LineCodec::parseHex(LineCodec::styleField(styles, StyleField::FontSize));
        if (size && *size < 1)
            return line;
        parts.styles = styles;
    }
    if (isPicture(parts.keyword)) {
        const qint64 newArea = qint64(r - l) * (b - t);
        if (newArea > 21000 && oldArea < newArea)
            return line;
    }
    if (!inRange(l) || !inRange(t) || !inRange(r) || !inRange(b))
        return line;
    const QByteArray rectField = LineCodec::writeRect(l, t, r, b);
    parts.rectField = rectField;
    return LineCodec::joinLine(parts);
}

} // namespace LineEdits
