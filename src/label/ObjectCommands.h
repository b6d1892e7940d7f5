#pragma once

#include "LineCodec.h"

#include <functional>

// Commands over the selected objects, as plain edits of the lines. The label window runs
// each inside the same envelope (ObjectCommands::Rule); the object list uses the
// position edits.
namespace ObjectCommands {

// What a command needs and does around its edit.
struct Rule {
    enum class WithoutSelection { Run, Message, Nothing };
    // Without a selection: go on, say "Aucun objet sélectionné", or do nothing silently.
    WithoutSelection withoutSelection = WithoutSelection::Run;
    // Fewer lines than this and the command does nothing, silently.
    int leastLines = 0;
    bool snapshot = false; // takes the undo copy before the edit
    bool modifies = false; // marks the label changed
    bool repaints = false; // redraws the label after
};

constexpr Rule kCopy{Rule::WithoutSelection::Message, 0, false, false, false};
constexpr Rule kCut{Rule::WithoutSelection::Message, 0, true, true, true};
constexpr Rule kPaste{Rule::WithoutSelection::Run, 0, true, true, true};

constexpr char kSelected = '*';
constexpr char kLocked = '#';
constexpr char kPlain = ' ';

// The selected lines from the background record on, as plain objects (locked and plain
// ones are not taken).
LineList copySelected(const LineList& lines);
// Removes the selected lines from the background record on.
void removeSelected(LineList& lines);

// The object list counts positions among the objects: position p is line p + 2. Each edit
// returns whether it did anything.
// One step towards the back: swaps the object with the one drawn before it.
bool moveBack(LineList& lines, int position);
// One step towards the front: swaps the object with the one drawn after it.
bool moveForward(LineList& lines, int position);
bool remove(LineList& lines, int position);

} // namespace ObjectCommands

// The stacking, delete, select-all and lock scans of the object commands, over the lines.
namespace ObjectCommands {

constexpr Rule kToFront{Rule::WithoutSelection::Message, 4, true, true, true};
constexpr Rule kToBack{Rule::WithoutSelection::Message, 4, true, true, true};
constexpr Rule kOneUp{Rule::WithoutSelection::Message, 3, true, true, true};
constexpr Rule kOneDown{Rule::WithoutSelection::Message, 3, true, true, true};
constexpr Rule kDelete{Rule::WithoutSelection::Nothing, 2, true, true, true};
constexpr Rule kLock{Rule::WithoutSelection::Message, 0, true, true, true};
constexpr Rule kUnlockAll{Rule::WithoutSelection::Run, 0, true, true, true};
constexpr Rule kMoveOrResize{Rule::WithoutSelection::Message, 0, true, true, true};

// Every selected object goes on top, keeping their order.
void bringToFront(LineList& lines);
// Every selected object goes to the bottom, just above the background, their order reversed.
void sendToBack(LineList& lines);
// Each selected object swaps with the one above it; of two neighbours only the lower moves.
void oneUp(LineList& lines);
// Each selected object swaps with the one below it; the lowest object cannot go lower.
void oneDown(LineList& lines);
// Every object becomes selected, a locked one too; `box` grows by each rectangle as it
// reads (a field that does not read keeps the value of the line before).
void selectAll(LineList& lines, LabelRect& box);
void lockSelected(LineList& lines);
// Every object and the background become plain: neither selected nor locked.
void unlockAll(LineList& lines);
constexpr Rule kGroup{Rule::WithoutSelection::Message, 0, true, true, true};
// The selected objects become one group: they take the lowest group digit 1-9 that no other
// object uses. Returns false, changing nothing, when all nine are taken.
bool groupSelected(LineList& lines);
// The selected objects leave their groups: digit 0.
void ungroupSelected(LineList& lines);
// The selected lines from `from` on, each through the edit.
void editSelected(LineList& lines, qsizetype from,
                  const std::function<QByteArray(const QByteArray&)>& edit);

} // namespace ObjectCommands
