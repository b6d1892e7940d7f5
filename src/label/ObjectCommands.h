#pragma once

#include "LineCodec.h"

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
