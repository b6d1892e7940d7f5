// The edits of object lines over a label file: moves, resizes from every handle, text
// refits, the selection's rectangle and the object list's commands. Whatever an edit
// writes must read back with the same grammar and coordinates within 0..4095. Five bytes
// in front of the file: the step dx and dy (signed 16-bit) and a byte that picks the
// selected objects and the list position the commands work on.
#include "FuzzApplication.h"
#include "FuzzInput.h"
#include "LineCodec.h"
#include "LineEdits.h"
#include "ObjectCommands.h"
#include "Selection.h"

#include <cstddef>
#include <cstdint>

namespace {

bool isPointList(QByteArrayView keyword) {
    return keyword.contains("POLY") || keyword.contains("DRAW");
}

bool inRange(qint64 v) {
    return v >= 0 && v <= LineCodec::kMaxCoordinate;
}

// An edited line against the line it came from: the same kind, text, pixels and style
// block (but for the font size a text resize sets), a whole rectangle field in range, a
// point list of the same length, and a TAB where the reader keeps the line.
void checkEdited(const QByteArray& before, const QByteArray& after, bool fontSizeMayChange) {
    if (after == before)
        return;
    const LineParts was = LineCodec::splitLine(before);
    const LineParts now = LineCodec::splitLine(after);
    FUZZ_CHECK(now.mark == was.mark && now.group == was.group);
    FUZZ_CHECK(now.hasBlank && was.hasBlank);
    FUZZ_CHECK(now.keyword == was.keyword);
    FUZZ_CHECK(now.hasTab == was.hasTab && now.arrow == was.arrow);
    const auto rect = LineCodec::tryReadRect(now.rectField);
    FUZZ_CHECK(now.rectField.size() == 12 && rect);
    FUZZ_CHECK(inRange(rect->left) && inRange(rect->top) && inRange(rect->right) &&
               inRange(rect->bottom));
    if (isPointList(now.keyword)) {
        FUZZ_CHECK(now.kindData.size() == was.kindData.size());
        for (const QPoint& p : LineCodec::readPoints(now.kindData))
            FUZZ_CHECK(inRange(p.x()) && inRange(p.y()));
    } else if (now.keyword == "TEXT" || now.keyword == "BITMAP" || now.keyword == "META") {
        FUZZ_CHECK(now.kindData == was.kindData);
    }
    if (fontSizeMayChange && now.keyword == "TEXT") {
        FUZZ_CHECK(now.styles.size() == was.styles.size());
        const QByteArrayView size = LineCodec::styleField(now.styles, StyleField::FontSize);
        const QByteArrayView oldSize = LineCodec::styleField(was.styles, StyleField::FontSize);
        FUZZ_CHECK(size == oldSize || (size.size() == 2 && LineCodec::parseHex(size)));
        FUZZ_CHECK(LineCodec::withStyleField(now.styles, StyleField::FontSize, oldSize) ==
                   was.styles);
    } else {
        FUZZ_CHECK(now.styles == was.styles);
    }
    // A line the reader kept is kept again.
    if (before.indexOf('\t') >= 15)
        FUZZ_CHECK(after.indexOf('\t') >= 15);
}

void editLine(const QByteArray& line, int dx, int dy) {
    const QByteArray moved = LineEdits::MoveXY(line, dx, dy);
    checkEdited(line, moved, false);
    if (moved != line) {
        // A move takes the whole object along, or leaves it.
        const auto was = LineCodec::tryReadRect(LineCodec::splitLine(line).rectField);
        const auto now = LineCodec::tryReadRect(LineCodec::splitLine(moved).rectField);
        FUZZ_CHECK(was && now);
        FUZZ_CHECK(now->left == was->left + dx && now->top == was->top + dy);
        FUZZ_CHECK(now->right == was->right + dx && now->bottom == was->bottom + dy);
        FUZZ_CHECK(LineEdits::MoveXY(moved, -dx, -dy) == LineEdits::MoveXY(line, 0, 0));
    }
    // Handles 1..8, and two that no gesture gives.
    for (int handle = 0; handle <= 9; ++handle) {
        int fontSize = 0;
        const QByteArray once = LineEdits::RedimXY(line, dx, dy, handle, fontSize);
        checkEdited(line, once, true);
        // A drag goes on from where the step before left the line, with its first font size.
        const QByteArray twice = LineEdits::RedimXY(once, dx, dy, handle, fontSize);
        checkEdited(once, twice, true);
    }
    checkEdited(line, LineEdits::Recadre(line), false);
    const LabelRect box = LineEdits::selectionRect(line);
    for (const QPoint& h : LineEdits::handlePoints(box))
        FUZZ_CHECK(h.x() >= 0 && h.y() >= 0 && h.x() <= 2 * 4095 && h.y() <= 2 * 4095);
}

qsizetype countSelected(const LineList& lines) {
    qsizetype n = 0;
    for (qsizetype i = 1; i < lines.size(); ++i)
        n += lines[i].startsWith(Selection::kSelected);
    return n;
}

void listCommands(LineList lines, std::uint8_t choice) {
    const qsizetype selected = countSelected(lines);
    const LineList copied = ObjectCommands::copySelected(lines);
    FUZZ_CHECK(copied.size() == selected);
    for (const QByteArray& line : copied)
        FUZZ_CHECK(line.startsWith(Selection::kPlain));

    LineList removed = lines;
    ObjectCommands::removeSelected(removed);
    FUZZ_CHECK(removed.size() == lines.size() - selected);
    FUZZ_CHECK(countSelected(removed) == 0);
    FUZZ_CHECK(removed.value(0) == lines.value(0));

    const int position = choice % 8 - 1;
    const qsizetype size = lines.size();
    LineList list = lines;
    if (ObjectCommands::moveBack(list, position)) {
        FUZZ_CHECK(list[position + 1] == lines[position + 2]);
        FUZZ_CHECK(ObjectCommands::moveForward(list, position - 1) && list == lines);
    }
    if (ObjectCommands::moveForward(list, position))
        FUZZ_CHECK(list[position + 3] == lines[position + 2]);
    FUZZ_CHECK(list.size() == size);
    if (ObjectCommands::remove(list, position))
        FUZZ_CHECK(list.size() == size - 1);
    FUZZ_CHECK(list.size() >= qMin<qsizetype>(size, 2));

    // Saving drops every selection mark and refits every text.
    Selection::clear(lines);
    FUZZ_CHECK(countSelected(lines) == 0);
    for (qsizetype i = 2; i < lines.size(); ++i)
        FUZZ_CHECK(lines[i].indexOf('\t') >= 15);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    startFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const FuzzInput input(data, size, 5);
    LabelDocument document = adoptedDocument(input.file());
    const int dx = input.int16(0);
    const int dy = input.int16(2);
    const std::uint8_t choice = input.byte(4);
    LineList& lines = document.Lines;
    // Every line is edited the same way: the first few dozen are enough to try each kind.
    constexpr qsizetype kEditedLines = 64;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (i <= kEditedLines)
            editLine(lines[i], dx, dy);
        // Some objects selected, some locked, as the choice byte's bits say.
        if (i >= 2 && !lines[i].isEmpty() && (choice >> (i % 8)) & 1)
            lines[i][0] = (i % 3 == 0) ? Selection::kLocked : Selection::kSelected;
    }
    listCommands(lines, choice);
    runPendingEvents();
    return 0;
}
