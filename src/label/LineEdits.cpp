#include "LineEdits.h"

#include "GdiCanvas.h"
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
    QByteArrayView text = QByteArrayView(line).sliced(qMin<qsizetype>(2, line.size()));
    text = text.first(qMin<qsizetype>(255, text.size()));
    const qsizetype tab = text.indexOf('\t');
    if (tab >= 0)
        text = text.first(tab);
    const qsizetype blank = text.indexOf(' ');
    if (blank >= 0) {
        text = text.sliced(blank + 1);
        text = text.first(qMin<qsizetype>(12, text.size()));
    }
    int values[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4 && 3 * i < text.size(); ++i) {
        const auto v =
            LineCodec::parseHex(text.sliced(3 * i, qMin<qsizetype>(3, text.size() - 3 * i)));
        if (!v)
            break;
        values[i] = int(*v);
    }
    return LabelRect{values[0], values[1], values[2], values[3]};
}

QByteArray Recadre(const QByteArray& line) {
    const LineParts parts = LineCodec::splitLine(line);
    if (parts.keyword != "TEXT")
        return line;
    const auto corner = LineCodec::tryReadRect(parts.geometry);
    if (!corner)
        return line;
    // The text runs from after the 12 rectangle digits up to the TAB, however long it is.
    const qsizetype textStart = 2 + parts.keyword.size() + 1 + 12;
    const qsizetype tab = line.indexOf('\t');
    const qsizetype textEnd = tab >= 0 ? tab : line.size();
    const QByteArray text = line.mid(textStart, textEnd - textStart);
    StyleBlock style;
    LineCodec::readStyles(parts.styles, style);
    const QSize extent = textObjectExtent(text, style);
    const int l = corner->left;
    const int t = corner->top;

    QByteArray fitted;
    fitted.reserve(line.size());
    fitted += line.left(textStart - 12);
    fitted += LineCodec::writeRect(l, t, l + extent.width(), t + extent.height());
    fitted += line.mid(textStart);
    return fitted;
}

bool clearMarks(LineList& lines) {
    bool hadSelection = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray& line = lines[i];
        if (line.isEmpty())
            continue;
        if (line[0] == '*')
            hadSelection = true;
        if (line[0] != '#')
            line[0] = ' ';
        line = Recadre(line);
    }
    return hadSelection;
}

} // namespace LineEdits

namespace LineEdits {

namespace {

// A line cut as the geometry edits see it.
struct EditParts {
    QByteArray head; // mark and group digit
    QByteArray keyword;
    QByteArray rect; // the 12 digits
    QByteArray rest; // point list, text or pixels
    bool hasTab = false;
    QByteArray styles; // everything after the TAB, arrow marker included
};

std::optional<EditParts> cut(const QByteArray& line) {
    EditParts parts;
    const qsizetype tab = line.indexOf('\t');
    const QByteArray geometry = tab >= 0 ? line.left(tab) : line;
    if (tab >= 0) {
        parts.hasTab = true;
        parts.styles = line.mid(tab + 1);
    }
    const qsizetype blank = geometry.indexOf(' ', 2);
    if (geometry.size() < 2 || blank < 0 || geometry.size() < blank + 13)
        return std::nullopt;
    parts.head = geometry.left(2);
    parts.keyword = geometry.mid(2, blank - 2);
    parts.rect = geometry.mid(blank + 1, 12);
    parts.rest = geometry.mid(blank + 13);
    return parts;
}

QByteArray join(const EditParts& p) {
    QByteArray line = p.head + p.keyword + ' ' + p.rect + p.rest;
    if (p.hasTab)
        line += '\t' + p.styles;
    return line;
}

// A line cut for editing, with its rectangle read; nothing for a line without one.
std::optional<std::pair<EditParts, LabelRect>> cutWithRect(const QByteArray& line) {
    auto parts = cut(line);
    if (!parts)
        return std::nullopt;
    const auto rect = LineCodec::tryReadRect(parts->rect);
    if (!rect)
        return std::nullopt;
    return std::make_pair(std::move(*parts), *rect);
}

bool isPointList(const QByteArray& keyword) {
    return keyword.contains("POLY") || keyword.contains("DRAW");
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
    if (isPointList(parts.keyword)) {
        QByteArray moved = parts.rest;
        for (qsizetype at = 0; at + 6 <= moved.size(); at += 6) {
            const auto x = LineCodec::parseHex(QByteArrayView(moved).sliced(at, 3));
            const auto y = LineCodec::parseHex(QByteArrayView(moved).sliced(at + 3, 3));
            if (!x || !y)
                continue;
            if (!inRange(int(*x) + dx) || !inRange(int(*y) + dy))
                return line;
            moved.replace(at, 6, LineCodec::hex(int(*x) + dx, 3) + LineCodec::hex(int(*y) + dy, 3));
        }
        parts.rest = moved;
    } else if (parts.keyword != "TEXT" && parts.keyword != "BITMAP" && parts.keyword != "META") {
        parts.rest.clear();
    }
    parts.rect =
        LineCodec::writeRect(rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy);
    return join(parts);
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
    // The font size sits after the arrow marker, if any, at characters 29-30 of the block.
    const qsizetype base = styles.startsWith('>') ? 2 : 0;
    if (resizeFontSize == 0)
        resizeFontSize =
            styles.size() >= base + 30
                ? int(LineCodec::parseHex(QByteArrayView(styles).sliced(base + 28, 2)).value_or(0))
                : 0;
    StyleBlock style;
    LineCodec::readStyles(QByteArrayView(styles).sliced(qMin(base, styles.size())), style);
    style.fontSize = resizeFontSize;
    const int width = textObjectExtent(text, style).width();
    if (width <= 0 || styles.size() < base + 30)
        return styles;
    const int size = roundHalfEven(double(right - left) / width * resizeFontSize);
    QByteArray resized = styles;
    resized.replace(base + 28, 2, LineCodec::hex(size, 2));
    return resized;
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
    if (isPointList(parts.keyword))
        parts.rest = RedimPoly(parts.rest, handle, dx, dy, l, t, r, b);
    if (parts.keyword == "TEXT" && parts.hasTab) {
        parts.styles = RedimText(parts.styles, parts.rest, l, r, resizeFontSize);
        // A text below one point is an invisible dot nobody can click again.
        const qsizetype base = parts.styles.startsWith('>') ? 2 : 0;
        const auto size = LineCodec::parseHex(QByteArrayView(parts.styles.mid(base + 28, 2)));
        if (size && *size < 1)
            return line;
    }
    if (parts.keyword == "BITMAP" || parts.keyword == "META") {
        const qint64 newArea = qint64(r - l) * (b - t);
        if (newArea > 21000 && oldArea < newArea)
            return line;
    }
    if (!inRange(l) || !inRange(t) || !inRange(r) || !inRange(b))
        return line;
    parts.rect = LineCodec::writeRect(l, t, r, b);
    return join(parts);
}

} // namespace LineEdits
