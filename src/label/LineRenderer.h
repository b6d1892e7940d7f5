#pragma once

#include "GdiCanvas.h"
#include "LineCodec.h"

#include <QByteArrayView>
#include <QList>
#include <QPoint>
#include <QPointF>
#include <QRect>

class PictureCache;

// Label pixels to device pixels: the identity in the label window; on the sheet, scaled,
// then shifted by the margins and by the cell. Rounding takes halves to the even neighbour.
struct CellTransform {
    // Pixels stay within this distance of 0, so that a few of them still add up to an int
    // whatever zoom is asked for.
    static constexpr int kPixelLimit = 1 << 28;
    // To the nearest pixel, halves to the even one; beyond the limit, the limit.
    static int toPixel(double value);
    static int saturated(qint64 value);

    double scale = 1.0;
    // Where label pixel (0, 0) lands, in device pixels and fractions of them: the cell's
    // corner with the margins, rounded only with each coordinate, so that nothing drifts.
    QPointF origin;
    int x(int v) const;
    int y(int v) const;
    QPoint map(QPoint p) const { return {x(p.x()), y(p.y())}; }
    bool isIdentity() const { return scale == 1.0 && origin.isNull(); }
};

// Who draws a label, and what differs for each: the label window (and its PNG export), a
// cell of the sheet preview, a cell of the printed sheet, and a dialog's small preview.
enum class PaintMode { Editor, PreviewCell, PrintedCell, DialogPreview };

struct RenderOptions {
    PaintMode mode = PaintMode::Editor;
    CellTransform transform;
    // Where a background record is drawn, in device pixels, and the height of one band of
    // a gradient.
    LabelRect background;
    int bandStep = 0;
    // The editor draws texts on a clear brush; on the sheet a text keeps its brush.
    bool transparentText = true;
    // On the sheet a line without a style block starts from the plain style, not from
    // whatever the line before it left.
    bool plainStyleWithoutBlock = false;
    // The device pixel where hatch tiles start (GdiCanvas::setHatchOrigin).
    QPoint hatchOrigin;

    // The label window: a background covers 4 x width by 4 x height pixels, its bands
    // step by the surface's height / 50.
    static RenderOptions editor(const LabelFormatValues& format, int surfaceHeight);
    // A cell of the sheet; `cell` is where its background goes.
    static RenderOptions previewCell(const CellTransform& transform, const QRect& cell);
    static RenderOptions printedCell(const CellTransform& transform, const QRect& cell);
    // A dialog's preview of a background record at the preview's own size.
    static RenderOptions dialogPreview(QSize size);
};

// What drawing a line leaves behind, read by the tools and the selection afterwards.
struct RenderState {
    LabelRect objectRect;
    QList<QPoint> points;
    QByteArray currentText;
    ColorRef savedBrushColor = 0x00FFFFFF;
    int savedBrushStyle = BrushClear;
};

// The style block of what the canvas holds: its pen, brush and font.
StyleBlock canvasStyle(const GdiCanvas& canvas);

// Draws one object line on a canvas; the label painter and every mode draw through it.
class LineRenderer {
public:
    LineRenderer(GdiCanvas& canvas, PictureCache* cache = nullptr)
        : canvas_(canvas), cache_(cache) {}

    // Applies a style block (without arrow marker) to the canvas; digits out of range keep
    // the attribute the canvas has.
    void applyStyles(QByteArrayView block);
    // Draws an object line (its mark and group digit are not looked at). Throws UserError when the
    // rectangle field does not convert; the style block has been applied by then.
    // Returns whether the line was a point list (state.points then holds its points).
    // `owner`, when given, is the QByteArray the line lies in (lets the cache skip a reread).
    bool draw(QByteArrayView line, const RenderOptions& options, RenderState& state,
              const QByteArray* owner = nullptr);
    // The CD template for a label of the given size in millimetres.
    void drawCdTemplate(int width, int height);

private:
    void drawGradient(bool downward, const RenderOptions& options);
    // The "Pointe" choice of a line or polyline: open arrowheads at its chosen ends.
    void drawArrowheads(QByteArrayView marker, const QList<QPoint>& points, double scale);

    GdiCanvas& canvas_;
    PictureCache* cache_;
    // Font names repeat from line to line; convert each once.
    QByteArray lastFontName_;
    QString lastFontNameText_;
};
