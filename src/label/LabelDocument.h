#pragma once

#include "LineCodec.h"
#include "LineHistory.h"
#include "SheetStock.h"

#include <QSize>
#include <QString>

#include <functional>
#include <optional>

// The label document without its window: the lines, the one undo copy, the file it came
// from and its size. The label window holds one and draws it.
class LabelDocument {
public:
    // The largest label side the window edits, in millimetres.
    static constexpr int kLargestSide = 300;

    LabelDocument();

    LabelFormatValues format() const { return {LabelWidth, LabelHeight, HSpacing, VSpacing}; }
    // A 126 x 126 mm label is a CD label, edited at 3 pixels a millimetre inside a circle.
    bool isCdLabel() const { return isCdFormat(format()); }
    static bool isCdFormat(const LabelFormatValues& format);
    // The label's white frame in the window, 4 pixels a millimetre (378 square for a CD),
    // and the drawing surface inside its one-pixel edge.
    static QSize frameSize(const LabelFormatValues& format);
    static QSize surfaceSize(const LabelFormatValues& format);
    // Takes the four values and rewrites the header; the objects stay where they are.
    void setFormat(const LabelFormatValues& format);
    // Only the header and " 0BLANK" are left; size and file name stay.
    void clear();

    // Every change of the lines goes through edit(). When the edit changes them, the state
    // before it becomes a step of "Annuler", the label is modified and the listener hears of
    // it. An edit with a `run` key equal to the previous change's joins that step (a run of
    // arrow-key nudges of the same objects). Returns whether the lines changed.
    using Edit = std::function<void(LineList&)>;
    bool edit(const Edit& change, QByteArrayView run = {});
    // A gesture (a drag, a resize) is one step: only its first real change is recorded, and
    // the listener hears of it once, when the gesture ends.
    void beginGesture();
    // Returns whether the gesture changed the lines.
    bool endGesture();
    // A change of the marks alone (the selection): no step, no modification. `change` says
    // whether it changed anything; the listener hears of it when it did.
    void mark(const std::function<bool(LineList&)>& change);

    // One step back or forth; each is a change of the label. Return whether there was one.
    bool undo();
    bool redo();
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    const LineHistory& history() const { return history_; }
    // Whether a redraw may take long enough to show the busy cursor: a few thousand objects
    // or a megabyte of pictures.
    bool isLarge() const;
    // Nouveau, Ouvrir and Redimensionner leave nothing to undo.
    void forgetUndo();
    // Changed or saved, whatever the lines say (a save under a new name must write).
    void setModified(bool modified);

    // Told after every change of the lines (marks included), and of the modified mark alone.
    enum class Change { Lines, Modified };
    void setListener(std::function<void(Change)> listener) { listener_ = std::move(listener); }

    // Reads the label file; throws UserError and changes nothing when it cannot.
    void load(const QString& path);
    // Takes the content of a label file already read from `path`.
    void adopt(const QString& path, LineList content);
    // The lines as the file at `path` (by default the document's) holds them: with the stock's
    // and the list's lines after the objects.
    LineList fileLines(const QString& path = QString()) const;
    // Rebuilds the header and writes the lines to `path`, which becomes the document's file;
    // throws UserError and changes nothing when the file cannot be written.
    void save(const QString& path);

    LineList Lines;
    // The sheet of pre-cut labels the label is printed on; none: the sheet computed from the
    // label's size on A4. Kept out of Lines: the file holds it as a line of its own.
    std::optional<SheetStock> Stock;
    // The address list printed one row a label (the file's path); empty: none. Kept out of
    // Lines like the stock.
    QString MergeFile;
    QString FileName;
    bool Modified = false;
    int LabelWidth = 70;
    int LabelHeight = 42;
    int HSpacing = 0;
    int VSpacing = 0;

private:
    void changed(Change change = Change::Lines);

    LineHistory history_;
    std::function<void(Change)> listener_;
    // The key of the last change's run, while no other change came after it.
    QByteArray run_;
    int gestureDepth_ = 0;
    bool gestureRecorded_ = false;
    bool gestureChanged_ = false;
};
