#pragma once

#include "LineCodec.h"

#include <functional>

// Commands over the selected objects, as plain edits of the lines. The label window runs
// each inside the same envelope (ObjectCommands::Rule); the object list uses the
// position edits.
namespace ObjectCommands {

// What a command needs before its edit; the document records the edit as a step of
// "Annuler" and marks the label changed when it changes anything.
struct Rule {
    enum class WithoutSelection { Run, Message, Nothing };
    // Without a selection: go on, say "Aucun objet sélectionné", or do nothing silently.
    WithoutSelection withoutSelection = WithoutSelection::Run;
    // Fewer lines than this and the command does nothing, silently.
    int leastLines = 0;
};

constexpr Rule kCopy{Rule::WithoutSelection::Message, 0};
constexpr Rule kCut{Rule::WithoutSelection::Message, 0};
constexpr Rule kPaste{Rule::WithoutSelection::Run, 0};

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

constexpr Rule kToFront{Rule::WithoutSelection::Message, 4};
constexpr Rule kToBack{Rule::WithoutSelection::Message, 4};
constexpr Rule kOneUp{Rule::WithoutSelection::Message, 3};
constexpr Rule kOneDown{Rule::WithoutSelection::Message, 3};
constexpr Rule kDelete{Rule::WithoutSelection::Nothing, 2};
constexpr Rule kLock{Rule::WithoutSelection::Message, 0};
constexpr Rule kUnlockAll{Rule::WithoutSelection::Run, 0};
constexpr Rule kMoveOrResize{Rule::WithoutSelection::Message, 0};

// Every selected object goes on top, keeping their order.
void bringToFront(LineList& lines);
// Every selected object goes to the bottom, just above the background, their order reversed.
void sendToBack(LineList& lines);
// Each selected object swaps with the one above it; of two neighbours only the lower moves.
void oneUp(LineList& lines);
// Each selected object swaps with the one below it; the lowest object cannot go lower.
void oneDown(LineList& lines);
void lockSelected(LineList& lines);
// Every object and the background become plain: neither selected nor locked.
void unlockAll(LineList& lines);
constexpr Rule kGroup{Rule::WithoutSelection::Message, 0};
// The selected objects become one group: they take the lowest group digit 1-9 that no other
// object uses. Returns false, changing nothing, when all nine are taken.
bool groupSelected(LineList& lines);
// The selected objects leave their groups: digit 0.
void ungroupSelected(LineList& lines);
// The selected lines from `from` on, each through the edit.
void editSelected(LineList& lines, qsizetype from,
                  const std::function<QByteArray(const QByteArray&)>& edit);

} // namespace ObjectCommands
