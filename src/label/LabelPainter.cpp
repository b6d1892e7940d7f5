#include "LabelPainter.h"

#include "LabelDocument.h"
#include "LineEdits.h"
#include "ObjectKinds.h"
#include "PictureCache.h"
#include "ToolBarState.h"
#include "UserError.h"

#include <QImage>

#include <climits>

namespace {

constexpr int kHandleDotWidth = 5;
// Beyond this many selected objects their frames only hide one another and make every step
// of a drag wait: one frame goes round them all instead.
constexpr int kMostFramesDrawn = 2000;

} // namespace

bool LabelPainter::isBareBlank(QByteArrayView line) {
    return line.sliced(qMin<qsizetype>(2, line.size())) == ObjectKinds::keyword(ObjectKind::Blank);
}

QList<BrokenLine> LabelPainter::paint(const LineList& lines, const RenderOptions& options,
                                      RenderState& state) {
    return paint(lines, 1, lines.size(), options, state);
}

QList<BrokenLine> LabelPainter::paint(const LineList& lines, qsizetype first, qsizetype end,
                                      const RenderOptions& options, RenderState& state) {
    QList<BrokenLine> broken;
    for (qsizetype i = qMax<qsizetype>(1, first); i < qMin(end, lines.size()); ++i) {
        const QByteArray& line = lines[i];
        if (isBareBlank(line))
            continue;
        try {
            renderer_.draw(line, options, state, &line);
        } catch (const UserError& error) {
            broken.append({i, error.message()});
        }
    }
    return broken;
}

QList<BrokenLine> LabelPainter::paint(const LineList& lines, const RenderOptions& options) {
    RenderState state;
    return paint(lines, options, state);
}

QList<BrokenLine> LabelPainter::paintEditor(const LabelDocument& document, int surfaceHeight,
                                            RenderState& state) {
    if (document.isCdLabel())
        renderer_.drawCdTemplate(document.LabelWidth, document.LabelHeight);
    const QList<BrokenLine> broken =
        paint(document.Lines, RenderOptions::editor(document.format(), surfaceHeight), state);
    drawSelectionFrames(document.Lines);
    return broken;
}

QList<BrokenLine> paintLabelSurface(GdiCanvas& canvas, const LabelDocument& document, QSize area,
                                    int surfaceHeight) {
    // As a new label window starts its surface, then takes the tool bar over.
    canvas.setBrushStyle(BrushClear);
    canvas.setPenColor(0);
    ToolBarState{}.applyTo(canvas);
    canvas.whiten(0, 0, area.width(), area.height());
    canvas.setPenMode(PenMode::Copy);
    PictureCache cache;
    RenderState state;
    return LabelPainter(canvas, &cache).paintEditor(document, surfaceHeight, state);
}

QImage drawLabelSurface(const LabelDocument& document, QList<BrokenLine>* broken) {
    QImage surface(LabelDocument::surfaceSize(document.format()), QImage::Format_RGB32);
    if (surface.isNull())
        throw std::bad_alloc();
    GdiCanvas canvas(&surface);
    const QList<BrokenLine> lines =
        paintLabelSurface(canvas, document, surface.size(), surface.height());
    if (broken)
        *broken = lines;
    canvas.flush();
    return surface;
}

void LabelPainter::drawSelectionFrame(const QByteArray& line) {
    drawFrame(LineEdits::selectionRect(line));
}

void LabelPainter::drawFrame(const LabelRect& r) {
    canvas_.setPenWidth(1);
    canvas_.setPenStyle(PenDot);
    canvas_.setBrushStyle(BrushClear);
    canvas_.rectangle(r.left, r.top, r.right, r.bottom);
    // Dots: lines without length under a wide pen.
    canvas_.setPenWidth(kHandleDotWidth);
    for (const QPoint& h : LineEdits::handlePoints(r)) {
        canvas_.moveTo(h.x(), h.y());
        canvas_.lineTo(h.x(), h.y());
    }
}

void LabelPainter::drawSelectionFrames(const LineList& lines) {
    // The frame's dotted 5-pixel pen is the frame's own: it must not reach the tool bar's
    // pen-width box or the next object recorded.
    const int penWidth = canvas_.penWidth();
    const int penStyle = canvas_.penStyle();
    const int brushStyle = canvas_.brushStyle();
    const PenMode mode = canvas_.penMode();
    canvas_.setPenMode(PenMode::NotXor);
    int selected = 0;
    LabelRect all{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (qsizetype i = 2; i < lines.size(); ++i) {
        if (!lines[i].startsWith('*'))
            continue;
        const LabelRect r = LineEdits::selectionRect(lines[i]);
        all = {qMin(all.left, qMin(r.left, r.right)), qMin(all.top, qMin(r.top, r.bottom)),
               qMax(all.right, qMax(r.left, r.right)), qMax(all.bottom, qMax(r.top, r.bottom))};
        ++selected;
    }
    if (selected > kMostFramesDrawn) {
        drawFrame(all);
    } else {
        for (qsizetype i = 2; i < lines.size(); ++i)
            if (lines[i].startsWith('*'))
                drawSelectionFrame(lines[i]);
    }
    canvas_.setPenWidth(penWidth);
    canvas_.setPenStyle(penStyle);
    canvas_.setBrushStyle(brushStyle);
    canvas_.setPenMode(mode);
}
