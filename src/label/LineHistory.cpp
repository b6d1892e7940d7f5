#include "LineHistory.h"

#include <algorithm>

namespace {

// Lines per shared run: small enough that one changed line copies little, large enough that
// the runs of a big label are few.
constexpr qsizetype kRunLines = 256;

// The same lines, byte arrays shared with one another: no comparison of their bytes.
bool sameLines(const LineList& run, const LineList& lines, qsizetype from) {
    if (from + run.size() > lines.size())
        return false;
    for (qsizetype i = 0; i < run.size(); ++i)
        if (!run[i].isSharedWith(lines[from + i]) && run[i] != lines[from + i])
            return false;
    return true;
}

} // namespace

LineHistory::State LineHistory::take(const LineList& lines, const State* like) {
    State state;
    state.runs.reserve(size_t((lines.size() + kRunLines - 1) / kRunLines));
    for (qsizetype from = 0, run = 0; from < lines.size(); from += kRunLines, ++run) {
        const qsizetype count = std::min(kRunLines, lines.size() - from);
        if (like && size_t(run) < like->runs.size() && like->runs[size_t(run)]->size() == count &&
            sameLines(*like->runs[size_t(run)], lines, from)) {
            state.runs.push_back(like->runs[size_t(run)]);
            continue;
        }
        state.runs.push_back(std::make_shared<const LineList>(lines.mid(from, count)));
    }
    return state;
}

LineList LineHistory::restore(const State& state) {
    LineList lines;
    qsizetype total = 0;
    for (const Run& run : state.runs)
        total += run->size();
    lines.reserve(total);
    for (const Run& run : state.runs)
        lines.append(*run);
    return lines;
}

void LineHistory::record(const LineList& before) {
    undo_.push_back(take(before, undo_.empty() ? nullptr : &undo_.back()));
    if (undo_.size() > size_t(kMaxSteps))
        undo_.pop_front();
    redo_.clear();
}

bool LineHistory::step(std::deque<State>& from, std::deque<State>& to, LineList& lines) {
    if (from.empty())
        return false;
    // The state left behind shares its unchanged runs with the one brought back.
    to.push_back(take(lines, &from.back()));
    lines = restore(from.back());
    from.pop_back();
    return true;
}

bool LineHistory::undo(LineList& lines) {
    return step(undo_, redo_, lines);
}

bool LineHistory::redo(LineList& lines) {
    return step(redo_, undo_, lines);
}

void LineHistory::clear() {
    undo_.clear();
    redo_.clear();
}
