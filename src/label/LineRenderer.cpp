#include "LineRenderer.h"

#include "Barcode.h"
#include "ObjectKinds.h"
#include "PictureCache.h"
#include "Windows1252.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr ColorRef kSilver = 0x00C0C0C0;
constexpr ColorRef kWhite = 0x00FFFFFF;
// A label pixel is a quarter of a millimetre.
constexpr int kPixelsPerMm = 4;
constexpr int kBands = 50;

RenderOptions sheetCell(PaintMode mode, const CellTransform& transform, const QRect& cell) {
    RenderOptions o;
    o.mode = mode;
    o.transform = transform;
    o.background = {cell.left(), cell.top(), cell.left() + cell.width(),
                    cell.top() + cell.height()};
    o.bandStep = cell.height() / kBands;
    o.transparentText = false;
    o.plainStyleWithoutBlock = true;
    return o;
}

} // namespace

int CellTransform::toPixel(double value) {
    if (std::isnan(value))
        return 0;
    return int(std::clamp(std::nearbyint(value), double(-kPixelLimit), double(kPixelLimit)));
}

int CellTransform::saturated(qint64 value) {
    return int(std::clamp<qint64>(value, -kPixelLimit, kPixelLimit));
}

int CellTransform::x(int v) const {
    if (isIdentity())
        return v;
    return toPixel(origin.x() + scale * v);
}

int CellTransform::y(int v) const {
    if (isIdentity())
        return v;
    return toPixel(origin.y() + scale * v);
}

RenderOptions RenderOptions::editor(const LabelFormatValues& format, int surfaceHeight) {
    RenderOptions o;
    o.mode = PaintMode::Editor;
    o.background = {0, 0, kPixelsPerMm * format.width, kPixelsPerMm * format.height};
    o.bandStep = surfaceHeight / kBands;
    return o;
}

RenderOptions RenderOptions::previewCell(const CellTransform& transform, const QRect& cell) {
    return sheetCell(PaintMode::PreviewCell, transform, cell);
}

RenderOptions RenderOptions::printedCell(const CellTransform& transform, const QRect& cell) {
    return sheetCell(PaintMode::PrintedCell, transform, cell);
}

RenderOptions RenderOptions::dialogPreview(QSize size) {
    RenderOptions o;
    o.mode = PaintMode::DialogPreview;
    o.background = {0, 0, size.width(), size.height()};
    o.bandStep = size.height() / kBands;
    return o;
}

StyleBlock canvasStyle(const GdiCanvas& canvas) {
    StyleBlock style;
    style.brushStyle = canvas.brushStyle();
    style.brushColor = canvas.brushColor();
    style.penStyle = canvas.penStyle();
    style.penWidth = canvas.penWidth();
    style.penColor = canvas.penColor();
    style.fontColor = canvas.fontColor();
    style.fontSize = canvas.fontSize();
    style.fontStyle = canvas.fontStyle();
    style.fontName = Windows1252::fromUnicode(canvas.fontName());
    return style;
}

void LineRenderer::applyStyles(QByteArrayView block) {
    StyleBlock style;
    style.brushStyle = canvas_.brushStyle();
    style.penStyle = canvas_.penStyle();
    style.fontStyle = canvas_.fontStyle();
    LineCodec::readStyles(block, style);
    canvas_.setBrushStyle(style.brushStyle);
    canvas_.setBrushColor(style.brushColor);
    canvas_.setPenStyle(style.penStyle);
    canvas_.setPenWidth(style.penWidth);
    canvas_.setPenColor(style.penColor);
    canvas_.setFontColor(style.fontColor);
    canvas_.setFontSize(style.fontSize);
    canvas_.setFontStyle(style.fontStyle);
    if (style.fontName != lastFontName_) {
        lastFontName_ = style.fontName;
        lastFontNameText_ = Windows1252::toUnicode(style.fontName);
    }
    canvas_.setFontName(lastFontNameText_);
}

bool LineRenderer::draw(QByteArrayView line, const RenderOptions& options, RenderState& state,
                        const QByteArray* owner) {
    const LineParts parts = LineCodec::splitLine(line);
    canvas_.setHatchOrigin(options.hatchOrigin);
    if (parts.hasTab)
        applyStyles(LineCodec::readerLimit(parts.styles));
    else if (options.plainStyleWithoutBlock)
        applyStyles(LineCodec::writeStyles(StyleBlock{}));
    if (!parts.hasBlank)
        return false;
    const QByteArrayView keyword = parts.keyword;
    const QByteArrayView rest = LineCodec::readerLimit(parts.geometry);
    canvas_.setPenMode(PenMode::Copy);

    const LabelRect& bg = options.background;
    const ObjectKind kind = ObjectKinds::of(keyword).kind;
    switch (kind) {
    case ObjectKind::FillRect:
        state.objectRect = bg;
        canvas_.fillRect(bg.left, bg.top, bg.right, bg.bottom);
        return false;
    case ObjectKind::Shape:
        state.objectRect = bg;
        state.savedBrushColor = canvas_.brushColor();
        state.savedBrushStyle = canvas_.brushStyle();
        canvas_.setBrushColor(canvas_.penColor());
        canvas_.fillRect(bg.left, bg.top, bg.right, bg.bottom);
        canvas_.setBrushColor(state.savedBrushColor);
        canvas_.setBrushStyle(state.savedBrushStyle);
        canvas_.rectangle(bg.left, bg.top, bg.right, bg.bottom);
        return false;
    case ObjectKind::Gradient:
    case ObjectKind::GradientUp:
        state.objectRect = bg;
        drawGradient(kind == ObjectKind::Gradient, options);
        return false;
    // Nothing to draw: chords and mosaics were never drawn, and an unknown keyword stays
    // in the file for the program that wrote it.
    case ObjectKind::Blank:
    case ObjectKind::Mosaic:
    case ObjectKind::ChordL:
    case ObjectKind::ChordH:
    case ObjectKind::ChordLU:
    case ObjectKind::ChordHU:
    case ObjectKind::Sheet:
    case ObjectKind::Merge:
    case ObjectKind::Unknown:
        return false;
    default:
        break;
    }

    state.objectRect = LineCodec::readRect(rest);
    const CellTransform& to = options.transform;
    const int l = to.x(state.objectRect.left);
    const int t = to.y(state.objectRect.top);
    const int r = to.x(state.objectRect.right);
    const int b = to.y(state.objectRect.bottom);
    const QByteArrayView kindData = rest.size() > 12 ? rest.sliced(12) : QByteArrayView();

    switch (kind) {
    case ObjectKind::Line:
        canvas_.moveTo(l, t);
        canvas_.lineTo(r, b);
        drawArrowheads(parts.arrow, {QPoint(l, t), QPoint(r, b)}, to.scale);
        break;
    case ObjectKind::LineUp:
        canvas_.moveTo(l, b);
        canvas_.lineTo(r, t);
        drawArrowheads(parts.arrow, {QPoint(l, b), QPoint(r, t)}, to.scale);
        break;
    case ObjectKind::Rect:
        canvas_.rectangle(l, t, r, b);
        break;
    case ObjectKind::Ellipse:
        canvas_.ellipse(l, t, r, b);
        break;
    case ObjectKind::RoundRect:
        canvas_.roundRect(l, t, r, b, (l - r) / 2, (t - b) / 2);
        break;
    case ObjectKind::ArcL:
        canvas_.arc(l, t, r, b, l, t, r, b);
        break;
    case ObjectKind::ArcH:
        canvas_.arc(l, t, r, b, r, b, l, t);
        break;
    case ObjectKind::ArcLU:
        canvas_.arc(l, b, r, t, l, b, r, t);
        break;
    case ObjectKind::ArcHU:
        canvas_.arc(l, b, r, t, r, t, l, b);
        break;
    case ObjectKind::Polygon:
    case ObjectKind::Polyline:
    case ObjectKind::FreeHand: {
        state.points = LineCodec::readPoints(kindData);
        QList<QPoint> shifted = state.points;
        if (!to.isIdentity())
            for (QPoint& p : shifted)
                p = to.map(p);
        if (kind == ObjectKind::Polygon) {
            canvas_.polygon(shifted);
        } else {
            canvas_.polyline(shifted);
            drawArrowheads(parts.arrow, shifted, to.scale);
        }
        break;
    }
    case ObjectKind::Text:
        state.currentText = kindData.toByteArray();
        if (options.transparentText)
            canvas_.setBrushStyle(BrushClear);
        canvas_.textOut(l, t, Windows1252::toUnicode(kindData));
        break;
    case ObjectKind::Bitmap:
    case ObjectKind::Metafile: {
        const PictureCache::Picture picture =
            cache_ ? cache_->picture(kindData, owner) : PictureCache::decode(kindData);
        canvas_.stretchDraw(l, t, r, b, picture.columns, picture.size);
        break;
    }
    case ObjectKind::Barcode:
        // A font size of 0 is a barcode without its human-readable text.
        if (l != r && t != b)
            Barcodes::draw(
                canvas_,
                QRect(QPoint(qMin(l, r), qMin(t, b)), QPoint(qMax(l, r) - 1, qMax(t, b) - 1)),
                kindData, canvas_.fontSize() != 0);
        break;
    default:
        break;
    }
    return ObjectKinds::info(kind).pointList;
}

void LineRenderer::drawArrowheads(QByteArrayView marker, const QList<QPoint>& points,
                                  double scale) {
    // ">1" the left-pointing choice: a head at the start; ">2" at the end; ">3" both.
    if (marker.size() < 2 || points.size() < 2)
        return;
    const char choice = marker[1];
    const bool atStart = choice == '1' || choice == '3';
    const bool atEnd = choice == '2' || choice == '3';
    if (!atStart && !atEnd)
        return;
    // An open head, in the pen's colour, longer for a wider pen; on the sheet it scales
    // with the drawing.
    const double length = (6 + 2 * qMax(1, canvas_.penWidth())) * scale;
    const int penStyle = canvas_.penStyle();
    if (penStyle != PenClear)
        canvas_.setPenStyle(PenSolid);
    auto head = [&](QPoint tip, QPoint from) {
        if (tip == from)
            return;
        const double angle = std::atan2(double(from.y() - tip.y()), double(from.x() - tip.x()));
        constexpr double kSpread = 0.45; // radians either side of the line
        for (const double side : {-kSpread, kSpread}) {
            const QPoint wing(CellTransform::toPixel(tip.x() + length * std::cos(angle + side)),
                              CellTransform::toPixel(tip.y() + length * std::sin(angle + side)));
            // From the tip out, so that the tip itself is drawn.
            canvas_.moveTo(tip.x(), tip.y());
            canvas_.lineTo(wing.x(), wing.y());
        }
    };
    if (atStart)
        head(points.first(), points[1]);
    if (atEnd)
        head(points.last(), points[points.size() - 2]);
    canvas_.setPenStyle(penStyle);
}

void LineRenderer::drawGradient(bool downward, const RenderOptions& options) {
    // The colour value runs on as one 32-bit number; only its low 24 bits are painted.
    // Each band is filled down to the bottom, so the last one reaches it.
    quint32 value = canvas_.penColor();
    const LabelRect& bg = options.background;
    // Bands are solid, even where a record kept the brush style of a pattern chosen before.
    canvas_.setBrushStyle(BrushSolid);
    int y = 0;
    for (int band = 0; band < kBands; ++band) {
        canvas_.setPenMode(PenMode::Copy);
        canvas_.setBrushColor(value & 0x00FFFFFF);
        canvas_.setPenColor(value & 0x00FFFFFF);
        canvas_.fillRect(bg.left, bg.top + y, bg.right, bg.bottom);
        value = downward ? value + 5 : value - 5;
        y += options.bandStep;
    }
}

void LineRenderer::drawCdTemplate(int width, int height) {
    // A CD label is edited at 3 pixels a millimetre: a silver disc with its centre hole.
    constexpr int kCdPixelsPerMm = 3;
    // The hole's ring in the middle of the disc, where a CD's own hole and clamping ring are.
    const QRect disc(QPoint(4, 4), QPoint(374, 374));
    const QRect hole(QPoint(137, 137), QPoint(242, 242));
    // The guide outline has a pen of its own; the tool bar's pen comes back after it.
    const ColorRef penColor = canvas_.penColor();
    const int penStyle = canvas_.penStyle();
    const int penWidth = canvas_.penWidth();
    canvas_.setPenColor(0);
    canvas_.setPenStyle(PenSolid);
    canvas_.setPenWidth(1);
    canvas_.setPenMode(PenMode::Copy);
    canvas_.setBrushStyle(BrushSolid);
    canvas_.setBrushColor(kSilver);
    canvas_.fillRect(0, 0, kCdPixelsPerMm * width, kCdPixelsPerMm * height);
    canvas_.ellipse(disc.left(), disc.top(), disc.right(), disc.bottom());
    canvas_.setBrushColor(kSilver);
    canvas_.ellipse(hole.left(), hole.top(), hole.right(), hole.bottom());
    canvas_.setBrushColor(kWhite);
    canvas_.setPenColor(penColor);
    canvas_.setPenStyle(penStyle);
    canvas_.setPenWidth(penWidth);
}
