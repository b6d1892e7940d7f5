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
        for (qsizetype i = from; i < from + count; ++i)
            state.cost += qint64(sizeof(QByteArray)) + lines[i].size();
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

void LineHistory::push(std::deque<State>& to, State state) {
    bytes_ += state.cost;
    to.push_back(std::move(state));
}

void LineHistory::trim() {
    while (!undo_.empty() &&
           (undo_.size() > size_t(kMaxSteps) || (bytes_ > byteLimit_ && undo_.size() > 1))) {
        bytes_ -= undo_.front().cost;
        undo_.pop_front();
    }
}

void LineHistory::record(const LineList& before) {
    State state = take(before, undo_.empty() ? nullptr : &undo_.back());
    for (const State& dropped : redo_)
        bytes_ -= dropped.cost;
    redo_.clear();
    push(undo_, std::move(state));
    trim();
}

bool LineHistory::step(std::deque<State>& from, std::deque<State>& to, LineList& lines) {
    if (from.empty())
        return false;
    // The state left behind shares its unchanged runs with the one brought back.
    push(to, take(lines, &from.back()));
    lines = restore(from.back());
    bytes_ -= from.back().cost;
    from.pop_back();
    return true;
}

bool LineHistory::undo(LineList& lines) {
    return step(undo_, redo_, lines);
}

bool LineHistory::redo(LineList& lines) {
    const bool stepped = step(redo_, undo_, lines);
    trim();
    return stepped;
}

void LineHistory::clear() {
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
}
