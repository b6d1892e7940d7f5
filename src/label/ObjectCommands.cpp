#include "ObjectCommands.h"

#include "Selection.h"

namespace ObjectCommands {

namespace {

// The header and the background record are never listed.
constexpr int kFirstObject = 2;

using Selection::isSelected;
using Selection::kLocked;
using Selection::kPlain;

// A document with no object line has nothing to move or delete.
bool holds(const LineList& lines, int position) {
    return lines.size() > kFirstObject && position >= 0 && position + kFirstObject < lines.size();
}

} // namespace

LineList copySelected(const LineList& lines) {
    LineList copied;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (isSelected(lines[i])) {
            QByteArray copy = lines[i];
            copy[0] = kPlain;
            copied.append(copy);
        }
    }
    return copied;
}

void removeSelected(LineList& lines) {
    for (qsizetype i = lines.size() - 1; i >= 1; --i)
        if (isSelected(lines[i]))
            lines.removeAt(i);
}

bool moveBack(LineList& lines, int position) {
    if (!holds(lines, position) || position == 0)
        return false;
    lines.swapItemsAt(position + kFirstObject, position + kFirstObject - 1);
    return true;
}

bool moveForward(LineList& lines, int position) {
    if (!holds(lines, position) || position + kFirstObject + 1 >= lines.size())
        return false;
    lines.swapItemsAt(position + kFirstObject, position + kFirstObject + 1);
    return true;
}

bool remove(LineList& lines, int position) {
    if (!holds(lines, position))
        return false;
    lines.removeAt(position + kFirstObject);
    return true;
}

} // namespace ObjectCommands

namespace ObjectCommands {

// The scans re-read the number of lines at every step, as lines move under them.
void bringToFront(LineList& lines) {
    const qsizetype objects = lines.size() - kFirstObject;
    qsizetype i = kFirstObject;
    for (qsizetype visited = 0; visited < objects; ++visited) {
        if (isSelected(lines[i])) {
            // The line that slides into its place is looked at next.
            lines.append(lines.takeAt(i));
        } else {
            ++i;
        }
    }
}

void sendToBack(LineList& lines) {
    for (qsizetype i = kFirstObject; i < lines.size(); ++i)
        if (isSelected(lines[i]))
            lines.move(i, kFirstObject);
}

void oneUp(LineList& lines) {
    qsizetype i = kFirstObject;
    while (i <= lines.size() - 2) {
        if (isSelected(lines[i])) {
            lines.move(i, i + 1);
            i += 2;
        } else {
            ++i;
        }
    }
}

void oneDown(LineList& lines) {
    for (qsizetype i = kFirstObject + 1; i <= lines.size() - 1; ++i)
        if (isSelected(lines[i]))
            lines.move(i, i - 1);
}

void lockSelected(LineList& lines) {
    for (qsizetype i = kFirstObject; i < lines.size(); ++i)
        if (isSelected(lines[i]))
            lines[i][0] = kLocked;
}

void unlockAll(LineList& lines) {
    for (qsizetype i = 1; i < lines.size(); ++i)
        if (!lines[i].isEmpty())
            lines[i][0] = kPlain;
}

bool groupSelected(LineList& lines) {
    // The selection's own digits are free again: its members leave their old groups.
    bool taken[10] = {};
    for (qsizetype i = kFirstObject; i < lines.size(); ++i)
        if (lines[i].size() > 1 && !isSelected(lines[i]) && lines[i][1] >= '1' &&
            lines[i][1] <= '9')
            taken[lines[i][1] - '0'] = true;
    int digit = 1;
    while (digit <= 9 && taken[digit])
        ++digit;
    if (digit > 9)
        return false;
    for (qsizetype i = kFirstObject; i < lines.size(); ++i)
        if (lines[i].size() > 1 && isSelected(lines[i]))
            lines[i][1] = char('0' + digit);
    return true;
}

void ungroupSelected(LineList& lines) {
    for (qsizetype i = kFirstObject; i < lines.size(); ++i)
        if (lines[i].size() > 1 && isSelected(lines[i]))
            lines[i][1] = '0';
}

void editSelected(LineList& lines, qsizetype from,
                  const std::function<QByteArray(const QByteArray&)>& edit) {
    for (qsizetype i = from; i < lines.size(); ++i)
        if (isSelected(lines[i]))
            lines[i] = edit(lines[i]);
}

} // namespace ObjectCommands
