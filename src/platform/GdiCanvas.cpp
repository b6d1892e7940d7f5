#include "GdiCanvas.h"

#include <QFontMetrics>
#include <QPainterPath>
#include <QVarLengthArray>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

QColor colorFromRef(ColorRef value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

ColorRef refFromColor(const QColor& color) {
    return ColorRef(color.red()) | (ColorRef(color.green()) << 8) | (ColorRef(color.blue()) << 16);
}

// Dash and gap lengths in pixels of the thin styled pens, as Windows draws them.
struct GdiCanvas::Dash {
    int lengths[6];
    int count;
    int period;
};

namespace {

// 8x8 hatch tiles, one byte per row, most significant bit leftmost.
constexpr uchar hatchTiles[6][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF}, // horizontal
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08}, // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}, // forward diagonal
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}, // backward diagonal
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08}, // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}, // diagonal cross
};

// An opaque tile of one colour: filling small runs with it is cheap.
QBrush solidTile(const QColor& color) {
    QImage tile(8, 8, QImage::Format_ARGB32_Premultiplied);
    tile.fill(color);
    return QBrush(tile);
}

// A corner larger than any box: an ellipse is a box whose corners take all of it.
constexpr int wholeBox = 1 << 24;

// Inclusive pixel box of a figure: the right and bottom edge are left out, and
// reversed corners are swapped first. Empty when the figure has no width or height.
QRect pixelBox(int left, int top, int right, int bottom) {
    return QRect(QPoint(std::min(left, right), std::min(top, bottom)),
                 QPoint(std::max(left, right) - 1, std::max(top, bottom) - 1));
}

// Pixel of a left or top boundary at coordinate v; a tie goes outward so that
// the figure keeps its full extent.
int outward(double v) {
    return int(std::ceil(v - 0.5 - 1e-9));
}

qint64 floorDiv(qint64 a, qint64 b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

double angleFrom(double cx, double cy, double x, double y) {
    return std::atan2(cy - y, x - cx);
}

// Position of an angle within a counter-clockwise sweep starting at start, in [0, 2 pi).
double sweepOffset(double start, double angle) {
    const double turn = 2 * std::numbers::pi;
    double offset = std::fmod(angle - start, turn);
    if (offset < 0)
        offset += turn;
    return offset;
}

} // namespace

GdiCanvas::GdiCanvas() = default;

GdiCanvas::GdiCanvas(QPaintDevice* device, int dpi) {
    setDevice(device, dpi);
}

GdiCanvas::~GdiCanvas() {
    setDevice(nullptr);
}

void GdiCanvas::setDevice(QPaintDevice* device, int dpi) {
    flush();
    device_ = device;
    dpi_ = dpi > 0 ? dpi : 96;
}

void GdiCanvas::flush() {
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
}

QPainter* GdiCanvas::painter() {
    if (!device_)
        return nullptr;
    if (!painter_) {
        auto p = std::make_unique<QPainter>();
        if (!p->begin(device_))
            return nullptr;
        p->setRenderHint(QPainter::Antialiasing, false);
        p->setRenderHint(QPainter::TextAntialiasing, false);
        p->setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter_ = std::move(p);
        fontApplied_ = false;
    }
    return painter_.get();
}

void GdiCanvas::setPenColor(ColorRef color) {
    if (color != penColor_) {
        penColor_ = color;
        penDirty_ = true;
    }
}

void GdiCanvas::setPenStyle(int style) {
    if (style != penStyle_) {
        penStyle_ = style;
        penDirty_ = true;
    }
}

void GdiCanvas::setPenWidth(int width) {
    if (width != penWidth_) {
        penWidth_ = width;
        penDirty_ = true;
    }
}

void GdiCanvas::setPenMode(PenMode mode) {
    penMode_ = mode;
}

void GdiCanvas::setBrushColor(ColorRef color) {
    if (color != brushColor_) {
        brushColor_ = color;
        brushDirty_ = true;
    }
}

void GdiCanvas::setBrushStyle(int style) {
    if (style != brushStyle_) {
        brushStyle_ = style;
        brushDirty_ = true;
    }
}

void GdiCanvas::setFontName(const QString& name) {
    if (name != fontName_) {
        fontName_ = name;
        fontDirty_ = true;
    }
}

void GdiCanvas::setFontSize(int points) {
    if (points != fontSize_) {
        fontSize_ = points;
        fontDirty_ = true;
    }
}

void GdiCanvas::setFontColor(ColorRef color) {
    if (color != fontColor_) {
        fontColor_ = color;
        textPen_ = QPen(colorFromRef(color));
    }
}

void GdiCanvas::setFontStyle(int flags) {
    if (flags != fontStyle_) {
        fontStyle_ = flags;
        fontDirty_ = true;
    }
}

QFont GdiCanvas::font() const {
    QFont f(fontName_);
    // Windows rounds points to pixels with MulDiv: half a pixel goes up.
    const int pixels = (qAbs(fontSize_) * dpi_ + 36) / 72;
    f.setPixelSize(qMax(1, pixels));
    f.setBold(fontStyle_ & FontBold);
    f.setItalic(fontStyle_ & FontItalic);
    f.setUnderline(fontStyle_ & FontUnderline);
    f.setStrikeOut(fontStyle_ & FontStrikeOut);
    return f;
}

QSize GdiCanvas::textExtent(const QString& text) const {
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text), metrics.height());
}

bool GdiCanvas::dashOn(const Dash& dash, int phase) {
    for (int i = 0; i < dash.count; ++i) {
        if (phase < dash.lengths[i])
            return i % 2 == 0;
        phase -= dash.lengths[i];
    }
    return true;
}

int GdiCanvas::lineWidth() const {
    return std::max(1, penWidth_);
}

const GdiCanvas::Dash* GdiCanvas::dash() const {
    static constexpr Dash patterns[4] = {
        {{18, 6}, 2, 24},
        {{3, 3}, 2, 6},
        {{9, 6, 3, 6}, 4, 24},
        {{9, 3, 3, 3, 3, 3}, 6, 24},
    };
    // Like a Windows cosmetic pen, only a one-pixel pen keeps its dashes.
    if (lineWidth() > 1 || penStyle_ < PenDash || penStyle_ > PenDashDotDot)
        return nullptr;
    return &patterns[penStyle_ - PenDash];
}

bool GdiCanvas::thinSolidPen() const {
    return penStyle_ != PenClear && lineWidth() == 1 && !dash();
}

const QPen& GdiCanvas::pen() const {
    if (penDirty_) {
        const QColor color = colorFromRef(penColor_);
        if (penStyle_ == PenClear) {
            pen_ = QPen(Qt::NoPen);
        } else {
            // Wide Windows pens have round ends and joins; thin lines end flat.
            const int width = lineWidth();
            const bool wide = width > 1;
            pen_ = QPen(QBrush(color), width, Qt::SolidLine, wide ? Qt::RoundCap : Qt::FlatCap,
                        wide ? Qt::RoundJoin : Qt::MiterJoin);
            if (const Dash* d = dash())
                pen_.setDashPattern(QList<qreal>(d->lengths, d->lengths + d->count));
        }
        penInk_.setColor(color);
        penDirty_ = false;
    }
    return pen_;
}

const QBrush& GdiCanvas::brush() const {
    if (brushDirty_) {
        const QColor color = colorFromRef(brushColor_);
        if (brushStyle_ == BrushClear) {
            brush_ = QBrush();
        } else if (brushStyle_ < BrushHorizontal || brushStyle_ > BrushDiagCross) {
            brush_ = QBrush(color);
            brushInk_.setColor(color);
        } else {
            // A tile with transparent gaps lets the ground show between the hatch lines;
            // brushes keep their origin at the device's, so tiles line up across figures.
            const quint64 key = (quint64(brushStyle_) << 32) | brushColor_;
            auto found = hatchCache_.constFind(key);
            if (found == hatchCache_.constEnd()) {
                QImage tile(8, 8, QImage::Format_ARGB32_Premultiplied);
                tile.fill(Qt::transparent);
                const uchar* rows = hatchTiles[brushStyle_ - BrushHorizontal];
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x)
                        if (rows[y] & (0x80 >> x))
                            tile.setPixel(x, y, color.rgb());
                if (hatchCache_.size() >= 64)
                    hatchCache_.clear();
                found = hatchCache_.insert(key, QBrush(tile));
            }
            brush_ = *found;
        }
        brushDirty_ = false;
    }
    return brush_;
}

void GdiCanvas::applyPen(QPainter& p) const {
    p.setPen(pen());
}

void GdiCanvas::applyBrush(QPainter& p) const {
    p.setBrush(brush());
}

QPainter* GdiCanvas::beginFigure(QRect bounds) {
    QPainter* p = painter();
    if (!p || penMode_ == PenMode::Copy)
        return p;
    bounds &= QRect(0, 0, device_->width(), device_->height());
    if (bounds.isEmpty())
        return nullptr;
    if (scratch_.width() < bounds.width() || scratch_.height() < bounds.height())
        scratch_ = QImage(std::max(bounds.width(), scratch_.width()),
                          std::max(bounds.height(), scratch_.height()), QImage::Format_RGB32);
    // White is the one colour that not-XOR leaves unchanged.
    scratchPainter_.begin(&scratch_);
    scratchPainter_.fillRect(QRect(QPoint(0, 0), bounds.size()), Qt::white);
    scratchPainter_.translate(-bounds.topLeft());
    xorArea_ = bounds;
    return &scratchPainter_;
}

void GdiCanvas::endFigure() {
    if (!scratchPainter_.isActive())
        return;
    scratchPainter_.end();
    QPainter* p = painter_.get();
    p->setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    p->drawImage(xorArea_.topLeft(), scratch_, QRect(QPoint(0, 0), xorArea_.size()));
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// Paints runs of pixels in one colour: the smallest as points (withDots), large ones
// with the plain colour, the rest with a tile of it.
void GdiCanvas::paintRuns(QPainter& p, const std::vector<QRect>& runs, Ink& ink, bool withDots) {
    tileRuns_.clear();
    plainRuns_.clear();
    dots_.clear();
    for (const QRect& r : runs) {
        const int area = r.width() * r.height();
        if (withDots && area <= 4) {
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    dots_.emplace_back(x, y);
        } else {
            (area >= 128 ? plainRuns_ : tileRuns_).push_back(r);
        }
    }
    if (!dots_.empty()) {
        if (!ink.hasDots)
            ink.dots = QPen(ink.color, 1, Qt::SolidLine, Qt::SquareCap);
        ink.hasDots = true;
        p.setPen(ink.dots);
        p.drawPoints(dots_.data(), int(dots_.size()));
    }
    if (!tileRuns_.empty()) {
        if (!ink.hasTile)
            ink.tile = solidTile(ink.color);
        ink.hasTile = true;
        paintPattern(p, tileRuns_, ink.tile);
    }
    if (!plainRuns_.empty()) {
        if (!ink.hasPlain)
            ink.plain = QBrush(ink.color);
        ink.hasPlain = true;
        paintPattern(p, plainRuns_, ink.plain);
    }
}

void GdiCanvas::paintPattern(QPainter& p, const std::vector<QRect>& runs, const QBrush& pattern) {
    if (runs.empty())
        return;
    p.setPen(Qt::NoPen);
    p.setBrush(pattern);
    p.drawRects(runs.data(), int(runs.size()));
}

void GdiCanvas::paintPenRuns(QPainter& p, const std::vector<QRect>& runs) {
    pen();
    paintRuns(p, runs, penInk_);
}

void GdiCanvas::paintBrushRuns(QPainter& p, const std::vector<QRect>& runs, bool withDots) {
    const QBrush& fill = brush();
    // Hatches have to keep their pattern: their runs always go through the brush itself.
    if (fill.style() == Qt::TexturePattern)
        paintPattern(p, runs, fill);
    else if (fill.style() != Qt::NoBrush)
        paintRuns(p, runs, brushInk_, withDots);
}

// Splits a box with elliptic corners into outline runs (ring_) and interior spans
// (inner_). Rows are sampled for the steep parts and columns for the flat parts, so
// the outline is connected; one quarter is computed and mirrored, so the figure is
// symmetric.
void GdiCanvas::traceBox(const QRect& box, int cornerWidth, int cornerHeight) {
    ring_.clear();
    inner_.clear();
    const int x0 = box.left(), x1 = box.right(), y0 = box.top(), y1 = box.bottom();
    const int width = box.width(), height = box.height();
    const int half = (height - 1) / 2;
    const int midColumn = x0 + (width - 1) / 2;
    runStart_.assign(half + 1, INT_MAX);
    runEnd_.assign(half + 1, INT_MIN);
    auto extend = [this](int row, int x) {
        runStart_[row] = std::min(runStart_[row], x);
        runEnd_[row] = std::max(runEnd_[row], x);
    };

    const double a = (std::min(cornerWidth, width) - 1) / 2.0;
    const double b = (std::min(cornerHeight, height) - 1) / 2.0;
    if (a > 0 && b > 0) {
        const double cx = x0 + a, cy = y0 + b;
        for (int row = 0; row <= half; ++row) {
            const int y = y0 + row;
            int x = x0;
            if (y < cy) {
                const double d = (cy - y) / b;
                x = outward(cx - a * std::sqrt(std::max(0.0, 1 - d * d)));
            }
            extend(row, x);
        }
        for (int x = x0; x <= midColumn; ++x) {
            int y = y0;
            if (x < cx) {
                const double d = (cx - x) / a;
                y = outward(cy - b * std::sqrt(std::max(0.0, 1 - d * d)));
            }
            if (y - y0 <= half)
                extend(y - y0, x);
        }
    } else {
        for (int row = 0; row <= half; ++row)
            extend(row, x0);
        extend(0, midColumn);
    }

    auto emitRows = [&](int y, int rows, int start, int end) {
        const int mirrorStart = x0 + x1 - end, mirrorEnd = x0 + x1 - start;
        if (mirrorStart <= end + 1) {
            ring_.emplace_back(start, y, mirrorEnd - start + 1, rows);
        } else {
            ring_.emplace_back(start, y, end - start + 1, rows);
            ring_.emplace_back(mirrorStart, y, mirrorEnd - mirrorStart + 1, rows);
            inner_.emplace_back(end + 1, y, mirrorStart - end - 1, rows);
        }
    };
    // Equal neighbouring rows become one taller run: straight sides cost one rectangle.
    auto emitHalf = [&](int rowCount, bool lower) {
        for (int row = 0; row < rowCount;) {
            int next = row + 1;
            while (next < rowCount && runStart_[next] == runStart_[row] &&
                   runEnd_[next] == runEnd_[row])
                ++next;
            const int y = lower ? y1 - (next - 1) : y0 + row;
            emitRows(y, next - row, runStart_[row], runEnd_[row]);
            row = next;
        }
    };
    emitHalf(half + 1, false);
    emitHalf(height % 2 ? half : half + 1, true);
}

// Appends to ring_ the pixels of a one-pixel line from `from` up to, but not
// including, `to`. The minor coordinate is rounded from absolute positions, so a
// line covers the same pixels whichever way it is drawn.
void GdiCanvas::traceLine(QPoint from, QPoint to, int& phase) {
    const int dx = to.x() - from.x(), dy = to.y() - from.y();
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const int steps = xMajor ? std::abs(dx) : std::abs(dy);
    if (steps == 0)
        return;
    const int sign = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const int minor = xMajor ? dy : dx;
    const Dash* d = dash();
    QRect run;
    bool open = false;
    for (int i = 0; i < steps; ++i) {
        bool on = true;
        if (d) {
            on = dashOn(*d, phase);
            phase = (phase + 1) % d->period;
        }
        if (!on) {
            if (open)
                ring_.push_back(run);
            open = false;
            continue;
        }
        const int offset = int(floorDiv(2 * qint64(i) * minor + steps, 2 * qint64(steps)));
        const QPoint px = xMajor ? QPoint(from.x() + sign * i, from.y() + offset)
                                 : QPoint(from.x() + offset, from.y() + sign * i);
        const bool continues =
            open &&
            (xMajor
                 ? px.y() == run.top() && (px.x() == run.left() - 1 || px.x() == run.right() + 1)
                 : px.x() == run.left() && (px.y() == run.top() - 1 || px.y() == run.bottom() + 1));
        if (continues) {
            run |= QRect(px, QSize(1, 1));
        } else {
            if (open)
                ring_.push_back(run);
            run = QRect(px, QSize(1, 1));
            open = true;
        }
    }
    if (open)
        ring_.push_back(run);
}

void GdiCanvas::moveTo(int x, int y) {
    penPos_ = QPoint(x, y);
    linePhase_ = 0;
}

void GdiCanvas::lineTo(int x, int y) {
    const QPoint from = penPos_, to(x, y);
    penPos_ = to;
    if (penStyle_ == PenClear || (from == to && lineWidth() == 1))
        return;
    const int pad = lineWidth() + 2;
    const QRect bounds(QPoint(std::min(from.x(), x) - pad, std::min(from.y(), y) - pad),
                       QPoint(std::max(from.x(), x) + pad, std::max(from.y(), y) + pad));
    QPainter* p = beginFigure(bounds);
    if (!p)
        return;
    const int width = lineWidth();
    if (width > 1 && from == to) {
        // Round ends still make a dot of a wide line without length: selection handles.
        traceBox(QRect(from - QPoint((width - 1) / 2, (width - 1) / 2), QSize(width, width)), width,
                 width);
        paintPenRuns(*p, ring_);
        paintPenRuns(*p, inner_);
    } else if (width > 1) {
        // Wide lines are filled shapes: centre them on the pixel centres.
        const QPointF centre(0.5, 0.5);
        p->setPen(pen());
        p->drawLine(QPointF(from) + centre, QPointF(to) + centre);
    } else {
        ring_.clear();
        traceLine(from, to, linePhase_);
        paintPenRuns(*p, ring_);
    }
    endFigure();
}

void GdiCanvas::boxFigure(int left, int top, int right, int bottom, int cornerWidth,
                          int cornerHeight) {
    const QRect box = pixelBox(left, top, right, bottom);
    const bool outline = penStyle_ != PenClear;
    const bool filled = brushStyle_ != BrushClear;
    if (box.isEmpty() || (!outline && !filled))
        return;
    const int pad = lineWidth() + 2;
    QPainter* p = beginFigure(box.adjusted(-pad, -pad, pad, pad));
    if (!p)
        return;
    // Outline geometry through the centres of the edge pixels; Qt rasterises curves
    // most evenly there.
    const QRectF centres(box.left() + 0.5, box.top() + 0.5, box.width() - 1, box.height() - 1);
    const qreal rx = (std::min(cornerWidth, box.width()) - 1) / 2.0;
    const qreal ry = (std::min(cornerHeight, box.height()) - 1) / 2.0;
    if (outline && lineWidth() > 1) {
        p->setPen(pen());
        p->setBrush(filled ? brush() : QBrush());
        if (rx > 0 && ry > 0)
            p->drawRoundedRect(centres, rx, ry);
        else
            p->drawRect(centres);
    } else {
        traceBox(box, cornerWidth, cornerHeight);
        if (!outline) {
            paintBrushRuns(*p, ring_, true);
            paintBrushRuns(*p, inner_, false);
        } else {
            if (filled)
                paintBrushRuns(*p, inner_, false);
            if (thinSolidPen()) {
                paintPenRuns(*p, ring_);
            } else {
                p->setPen(pen());
                p->setBrush(Qt::NoBrush);
                if (rx > 0 && ry > 0)
                    p->drawRoundedRect(centres, rx, ry);
                else
                    p->drawRect(centres);
            }
        }
    }
    endFigure();
}

void GdiCanvas::rectangle(int left, int top, int right, int bottom) {
    boxFigure(left, top, right, bottom, 0, 0);
}

void GdiCanvas::ellipse(int left, int top, int right, int bottom) {
    boxFigure(left, top, right, bottom, wholeBox, wholeBox);
}

void GdiCanvas::roundRect(int left, int top, int right, int bottom, int cornerWidth,
                          int cornerHeight) {
    boxFigure(left, top, right, bottom, std::min(std::abs(cornerWidth), wholeBox),
              std::min(std::abs(cornerHeight), wholeBox));
}

void GdiCanvas::arc(int left, int top, int right, int bottom, int startX, int startY, int endX,
                    int endY) {
    const QRect box = pixelBox(left, top, right, bottom);
    if (box.isEmpty() || penStyle_ == PenClear)
        return;
    const double cx = (box.left() + box.right()) / 2.0, cy = (box.top() + box.bottom()) / 2.0;
    const double start = angleFrom(cx, cy, startX, startY);
    double sweep = sweepOffset(start, angleFrom(cx, cy, endX, endY));
    if (sweep < 1e-9)
        sweep = 2 * std::numbers::pi; // the same radial twice: the whole ellipse
    const int pad = lineWidth() + 2;
    QPainter* p = beginFigure(box.adjusted(-pad, -pad, pad, pad));
    if (!p)
        return;
    if (thinSolidPen()) {
        // The pixels of the ellipse's own outline whose direction lies in the sweep,
        // so an arc matches the ellipse drawn in the same box. Directions are compared
        // with cross products, y pointing up.
        const QPointF from(std::cos(start), std::sin(start));
        const QPointF to(std::cos(start + sweep), std::sin(start + sweep));
        const bool whole = sweep >= 2 * std::numbers::pi;
        const bool wide = sweep > std::numbers::pi;
        traceBox(box, wholeBox, wholeBox);
        inner_.clear();
        for (const QRect& r : ring_)
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x) {
                    const double vx = x - cx, vy = cy - y;
                    const bool afterStart = from.x() * vy - from.y() * vx >= -1e-9;
                    const bool beforeEnd = vx * to.y() - vy * to.x() >= -1e-9;
                    if (!whole && !(wide ? afterStart || beforeEnd : afterStart && beforeEnd))
                        continue;
                    if (!inner_.empty() && inner_.back().top() == y &&
                        inner_.back().right() == x - 1)
                        inner_.back().setRight(x);
                    else
                        inner_.emplace_back(x, y, 1, 1);
                }
        paintPenRuns(*p, inner_);
    } else {
        // Qt places arc ends by the ellipse's parametric angle, not by the radial.
        const QRectF centres(box.left() + 0.5, box.top() + 0.5, box.width() - 1, box.height() - 1);
        const double a = centres.width() / 2, b = centres.height() / 2;
        auto parametric = [&](double radial) {
            return std::atan2(a * std::sin(radial), b * std::cos(radial)) * 180 / std::numbers::pi;
        };
        const double from = parametric(start);
        double span = 360;
        if (sweep < 2 * std::numbers::pi) {
            span = std::fmod(parametric(start + sweep) - from, 360.0);
            if (span <= 0)
                span += 360;
        }
        QPainterPath path;
        path.arcMoveTo(centres, from);
        path.arcTo(centres, from, span);
        p->setPen(pen());
        p->setBrush(Qt::NoBrush);
        p->drawPath(path);
    }
    endFigure();
}

void GdiCanvas::polygon(const QList<QPoint>& points) {
    const bool outline = penStyle_ != PenClear;
    const bool filled = brushStyle_ != BrushClear;
    if (points.size() < 2 || (!outline && !filled))
        return;
    const int pad = lineWidth() + 2;
    const QRect bounds = QPolygon(points).boundingRect().adjusted(-pad, -pad, pad, pad);
    QPainter* p = beginFigure(bounds);
    if (!p)
        return;
    p->setPen(pen());
    p->setBrush(filled ? brush() : QBrush());
    if (outline && lineWidth() > 1) {
        QVarLengthArray<QPointF, 64> centres;
        for (const QPoint& pt : points)
            centres.append(QPointF(pt) + QPointF(0.5, 0.5));
        p->drawPolygon(centres.constData(), int(centres.size()), Qt::OddEvenFill);
    } else {
        p->drawPolygon(points.constData(), int(points.size()), Qt::OddEvenFill);
    }
    endFigure();
}

void GdiCanvas::polyline(const QList<QPoint>& points) {
    if (points.size() < 2 || penStyle_ == PenClear)
        return;
    const int pad = lineWidth() + 2;
    const QRect bounds = QPolygon(points).boundingRect().adjusted(-pad, -pad, pad, pad);
    QPainter* p = beginFigure(bounds);
    if (!p)
        return;
    if (lineWidth() > 1) {
        QVarLengthArray<QPointF, 64> centres;
        for (const QPoint& pt : points)
            centres.append(QPointF(pt) + QPointF(0.5, 0.5));
        p->setPen(pen());
        p->drawPolyline(centres.constData(), int(centres.size()));
    } else {
        // Each segment leaves out its last pixel, which the next segment starts on.
        ring_.clear();
        int phase = 0;
        for (qsizetype i = 1; i < points.size(); ++i)
            traceLine(points[i - 1], points[i], phase);
        paintPenRuns(*p, ring_);
    }
    endFigure();
}

void GdiCanvas::fillRect(int left, int top, int right, int bottom) {
    const QRect box = pixelBox(left, top, right, bottom);
    if (box.isEmpty() || brushStyle_ == BrushClear)
        return;
    if (QPainter* p = painter())
        p->fillRect(box, brush());
}

void GdiCanvas::prepareText() {
    if (fontDirty_) {
        // Same metrics as font(), drawn without grey edges like the rest of the canvas.
        textFont_ = font();
        textFont_.setStyleStrategy(QFont::NoAntialias);
        textMetrics_.emplace(textFont_);
        fontDirty_ = false;
        fontApplied_ = false;
    }
    if (!fontApplied_) {
        painter_->setFont(textFont_);
        fontApplied_ = true;
    }
}

void GdiCanvas::textOut(int x, int y, const QString& text) {
    QPainter* p = painter();
    if (!p || text.isEmpty())
        return;
    prepareText();
    if (brushStyle_ != BrushClear) {
        const QRect cell(x, y, textMetrics_->horizontalAdvance(text), textMetrics_->height());
        if (brushStyle_ == BrushSolid)
            p->fillRect(cell, brush());
        else
            p->fillRect(cell, colorFromRef(brushColor_));
    }
    p->setPen(textPen_);
    p->drawText(QPoint(x, y + textMetrics_->ascent()), text);
}

void GdiCanvas::stretchDraw(int left, int top, int right, int bottom, const QImage& picture) {
    if (picture.isNull())
        return;
    const QRect target(QPoint(std::min(left, right), std::min(top, bottom)),
                       QSize(std::abs(right - left), std::abs(bottom - top)));
    QPainter* p = painter();
    if (!p || target.isEmpty())
        return;
    // Reversed corners mirror the picture, as a stretched blit does on Windows.
    if (right < left || bottom < top)
        p->drawImage(target, picture.mirrored(right < left, bottom < top));
    else
        p->drawImage(target, picture);
}

void GdiCanvas::whiten(int left, int top, int right, int bottom) {
    const QRect box = pixelBox(left, top, right, bottom);
    if (box.isEmpty())
        return;
    if (QPainter* p = painter())
        p->fillRect(box, Qt::white);
}
