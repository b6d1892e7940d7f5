#pragma once

#include "LineCodec.h"
#include "LineRenderer.h"

#include <QList>
#include <QString>

class GdiCanvas;
class LabelDocument;
class PictureCache;

// A line that could not be drawn: its index in the document and why.
struct BrokenLine {
    qsizetype index = 0;
    QString message;
};

// Draws a whole label on a canvas, in one of the modes of RenderOptions: the label
// window, its PNG export, the cells of the sheet preview and of the printed sheet, and
// the background dialog's preview.
class LabelPainter {
public:
    explicit LabelPainter(GdiCanvas& canvas, PictureCache* cache = nullptr)
        : canvas_(canvas), renderer_(canvas, cache) {}

    // The background record and the objects, line 1 on, each over the ones before; a bare
    // "BLANK" draws nothing. A line that cannot be drawn is returned, not shown, and the
    // lines after it are drawn. `state` starts as given and ends as the last line left it.
    QList<BrokenLine> paint(const LineList& lines, const RenderOptions& options,
                            RenderState& state);
    QList<BrokenLine> paint(const LineList& lines, const RenderOptions& options);
    // A bare "BLANK" (no blank, no style block): it draws nothing and changes no style.
    static bool isBareBlank(QByteArrayView line);
    // The lines from `first` up to `end` only, as they are drawn within the whole label.
    QList<BrokenLine> paint(const LineList& lines, qsizetype first, qsizetype end,
                            const RenderOptions& options, RenderState& state);

    // The label as the label window shows it on a surface of `surfaceHeight` pixels, over
    // what the canvas holds: the CD template of a CD label, the lines, then the frames of
    // the selected objects.
    QList<BrokenLine> paintEditor(const LabelDocument& document, int surfaceHeight,
                                  RenderState& state);

    // The dotted frame and the eight handle dots of one object, in the pen colour in force.
    void drawSelectionFrame(const QByteArray& line);
    // The frames of every selected object in not-XOR, so that drawing them again erases
    // them; the canvas's pen and brush come back as they were.
    void drawSelectionFrames(const LineList& lines);

private:
    void drawFrame(const LabelRect& box);

    GdiCanvas& canvas_;
    LineRenderer renderer_;
};

// The label window's surface for a document, drawn without a window, with the tool bar
// at its start values: what the window shows right after opening the label.
QImage drawLabelSurface(const LabelDocument& document, QList<BrokenLine>* broken = nullptr);
// The same drawing on any canvas (an SVG's, say): `area` whitened first, the objects placed on
// a surface `surfaceHeight` label pixels high.
QList<BrokenLine> paintLabelSurface(GdiCanvas& canvas, const LabelDocument& document, QSize area,
                                    int surfaceHeight);
