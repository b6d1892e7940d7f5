#pragma once

#include "LineCodec.h"

#include <QSize>
#include <QString>

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

    // The undo copy: taken just before each change, brought back by undo().
    void checkpoint() { UndoLines = Lines; }
    void forgetUndo() { UndoLines.clear(); }
    // Brings back the copy; an undo that changes the lines is a change. Returns whether it did.
    bool undo();

    // Reads the label file; throws UserError and changes nothing when it cannot.
    void load(const QString& path);
    // Takes the content of a label file already read from `path`.
    void adopt(const QString& path, LineList content);
    // Rebuilds the header and writes the lines to `path`, which becomes the document's file;
    // throws UserError and changes nothing when the file cannot be written.
    void save(const QString& path);

    LineList Lines;
    LineList UndoLines;
    QString FileName;
    bool Modified = false;
    int LabelWidth = 70;
    int LabelHeight = 42;
    int HSpacing = 0;
    int VSpacing = 0;
};
