#include "ObjectCommands.h"

namespace ObjectCommands {

namespace {

// The header and the background record are never listed.
constexpr int kFirstObject = 2;

bool isSelected(const QByteArray& line) {
    return line.startsWith(kSelected);
}

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
