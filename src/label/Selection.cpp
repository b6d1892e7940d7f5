#include "Selection.h"

#include "LineEdits.h"

namespace Selection {

namespace {

constexpr qsizetype kFirstObject = 2;
// A handle is grabbed within this distance, across and down, of its point.
constexpr int kHandleReach = 5;

bool isLocked(const QByteArray& line) {
    return line.startsWith(kLocked);
}

bool contains(const LabelRect& box, QPoint p) {
    return box.left <= p.x() && p.x() <= box.right && box.top <= p.y() && p.y() <= box.bottom;
}

// Marks a line without copying its bytes when the mark is already the one asked for: the
// lines are shared with the undo history.
void setMark(QByteArray& line, char mark) {
    if (!line.isEmpty() && line.at(0) != mark)
        line[0] = mark;
}

} // namespace

bool isSelected(const QByteArray& line) {
    return line.startsWith(kSelected);
}

qsizetype count(const LineList& lines) {
    qsizetype n = 0;
    for (qsizetype i = kFirstObject; i < lines.size(); ++i)
        n += isSelected(lines[i]);
    return n;
}

qsizetype single(const LineList& lines) {
    qsizetype found = -1;
    for (qsizetype i = kFirstObject; i < lines.size(); ++i) {
        if (!isSelected(lines[i]))
            continue;
        if (found >= 0)
            return -1;
        found = i;
    }
    return found;
}

LabelRect boxOf(const QByteArray& line) {
    const LabelRect r = LineEdits::selectionRect(line);
    return {qMin(r.left, r.right), qMin(r.top, r.bottom), qMax(r.left, r.right),
            qMax(r.top, r.bottom)};
}

LabelRect box(const LineList& lines) {
    LabelRect all = kNone;
    for (qsizetype i = kFirstObject; i < lines.size(); ++i) {
        if (!isSelected(lines[i]))
            continue;
        const LabelRect r = boxOf(lines[i]);
        all = {qMin(all.left, r.left), qMin(all.top, r.top), qMax(all.right, r.right),
               qMax(all.bottom, r.bottom)};
    }
    return all;
}

bool objectAt(const LineList& lines, QPoint point) {
    for (qsizetype i = kFirstObject; i < lines.size(); ++i)
        if (lines[i].size() > 1 && !isLocked(lines[i]) && contains(boxOf(lines[i]), point))
            return true;
    return false;
}

bool click(LineList& lines, QPoint point) {
    for (qsizetype i = lines.size() - 1; i >= kFirstObject; --i) {
        QByteArray& line = lines[i];
        if (line.size() <= 1 || isLocked(line) || !contains(boxOf(line), point))
            continue;
        setMark(line, isSelected(line) ? kPlain : kSelected);
        const char group = line.at(1);
        // A group takes its members along, a locked one too, which loses its lock.
        if (group >= '1' && group <= '9')
            for (qsizetype j = kFirstObject; j < lines.size(); ++j)
                if (lines[j].size() > 1 && lines[j].at(1) == group)
                    setMark(lines[j], kSelected);
        return true;
    }
    return false;
}

void selectInside(LineList& lines, const QRect& band) {
    for (qsizetype i = kFirstObject; i < lines.size(); ++i) {
        QByteArray& line = lines[i];
        if (line.size() <= 1 || isLocked(line))
            continue;
        const LabelRect r = boxOf(line);
        if (r.left >= band.left() && r.right <= band.right() && r.top >= band.top() &&
            r.bottom <= band.bottom())
            setMark(line, kSelected);
    }
}

void selectAll(LineList& lines) {
    for (qsizetype i = kFirstObject; i < lines.size(); ++i)
        setMark(lines[i], kSelected);
}

bool clear(LineList& lines) {
    bool hadSelection = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray& line = lines[i];
        if (line.isEmpty())
            continue;
        hadSelection = hadSelection || isSelected(line);
        if (!isLocked(line))
            setMark(line, kPlain);
        const QByteArray fitted = LineEdits::Recadre(line);
        if (fitted != line)
            line = fitted;
    }
    return hadSelection;
}

QList<QPoint> lockedCorners(const LineList& lines) {
    QList<QPoint> corners;
    for (qsizetype i = kFirstObject; i < lines.size(); ++i) {
        if (!isLocked(lines[i]))
            continue;
        const LabelRect r = boxOf(lines[i]);
        corners.append(QPoint(r.right, r.top));
    }
    return corners;
}

int handleAt(const LabelRect& box, QPoint point) {
    const auto handles = LineEdits::handlePoints(box);
    int found = 0;
    for (int h = 0; h < 8; ++h)
        if (qAbs(point.x() - handles[h].x()) < kHandleReach &&
            qAbs(point.y() - handles[h].y()) < kHandleReach)
            found = h + 1;
    return found;
}

bool insideBox(const LabelRect& box, QPoint point) {
    return box.left < point.x() && point.x() < box.right && box.top < point.y() &&
           point.y() < box.bottom;
}

} // namespace Selection
