#pragma once

#include "GdiCanvas.h"
#include "LineCodec.h"

#include <QByteArrayView>
#include <QList>
#include <QPoint>
#include <QRect>

class PictureCache;

// How one caller's drawing differs from the editor's.
struct RenderOptions {
    // Added to every coordinate: where the label's cell starts on the page.
    QPoint offset;
    // Width and height a background covers, and the height its gradient bands divide.
    int backgroundWidth = 0;
    int backgroundHeight = 0;
    int gradientHeight = 0;
    // The editor draws texts transparently; a caller may keep the brush for them.
    bool transparentText = true;
};

// What drawing a line leaves behind, read by the tools and the selection afterwards.
struct RenderState {
    LabelRect objectRect;
    QList<QPoint> points;
    QByteArray currentText;
    ColorRef savedBrushColor = 0x00FFFFFF;
    int savedBrushStyle = BrushClear;
};

// Draws object lines on a canvas; the editor, the sheet, the printer and the background
// preview all draw through it.
class LineRenderer {
public:
    LineRenderer(GdiCanvas& canvas, PictureCache* cache = nullptr)
        : canvas_(canvas), cache_(cache) {}

    // Applies a style block (without arrow marker) to the canvas; digits out of range keep
    // the attribute the canvas has.
    void applyStyles(QByteArrayView block);
    // Draws a line given without its mark and group digit. Throws UserError when the
    // rectangle field does not convert; the style block has been applied by then.
    // Returns whether the line was a point list (state.points then holds its points).
    // `owner`, when given, is the QByteArray the line lies in (lets the cache skip a reread).
    bool draw(QByteArrayView line, const RenderOptions& options, RenderState& state,
              const QByteArray* owner = nullptr);
    // The CD template for a label of the given size in millimetres.
    void drawCdTemplate(int width, int height, QPoint offset = {});

private:
    void drawGradient(bool downward, const RenderOptions& options);

    GdiCanvas& canvas_;
    PictureCache* cache_;
    // Font names repeat from line to line; convert each once.
    QByteArray lastFontName_;
    QString lastFontNameText_;
};
