#pragma once

#include "LineCodec.h"

#include <deque>
#include <memory>
#include <vector>

// The states a label went through, for "Annuler" and "Rétablir". Each state is kept in runs
// of lines that later states share wherever they did not change, and each line's bytes are
// shared with the label itself, so that a hundred small steps of a label of 100,000 objects
// cost little more than the label.
class LineHistory {
public:
    // Steps kept back; the oldest goes first. Steps that change most of a large label hold
    // a copy of it each: beyond this many bytes of them, the oldest go too (one always stays).
    static constexpr int kMaxSteps = 200;
    static constexpr qint64 kMaxBytes = qint64(256) << 20;

    // The state before a change: it becomes the step "Annuler" goes back to, and nothing
    // is left to redo.
    void record(const LineList& before);
    // Goes one step back or forth, keeping `lines` as the step the other way. False, and
    // `lines` untouched, when there is none.
    bool undo(LineList& lines);
    bool redo(LineList& lines);
    void clear();
    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    int undoSteps() const { return int(undo_.size()); }
    void setByteLimit(qint64 bytes) { byteLimit_ = bytes; }
    int redoSteps() const { return int(redo_.size()); }

private:
    using Run = std::shared_ptr<const LineList>;
    struct State {
        std::vector<Run> runs;
        // The bytes of the runs this state made rather than shared.
        qint64 cost = 0;
    };

    // The lines as a state, sharing the runs of `like` that hold the very same lines.
    static State take(const LineList& lines, const State* like);
    static LineList restore(const State& state);
    bool step(std::deque<State>& from, std::deque<State>& to, LineList& lines);
    void push(std::deque<State>& to, State state);
    void trim();

    std::deque<State> undo_;
    std::deque<State> redo_;
    qint64 bytes_ = 0;
    qint64 byteLimit_ = kMaxBytes;
};
