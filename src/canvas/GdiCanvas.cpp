#include "GdiCanvas.h"

#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Dash and gap lengths in pixels of the thin styled pens, as Windows draws them.
struct GdiCanvas::Dash {
    int lengths[6];
    int count;
    int period;
};

// The pixels QPainter::drawText inks for a text, relative to the top left of its cell.
struct GdiCanvas::TextEntry {
    std::vector<Span> ink;
    int advance = 0; // width of the opaque cell
};

// A font with its metrics, and the texts already drawn in it.
struct GdiCanvas::FontEntry {
    explicit FontEntry(const QFont& f) : font(f), metrics(f), metricsF(f) {}
    QFont font;
    QFontMetrics metrics;
    QFontMetricsF metricsF;
    QHash<QString, TextEntry> texts;
};

namespace {

constexpr double pi = std::numbers::pi;

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

// First pixel whose centre lies after v, pixel centres being at integers. Filled shapes
// take the pixels whose centres are inside; as in Qt's fills, a centre on the left or top
// boundary counts as outside and one on the right or bottom boundary as inside. Rounding
// noise around an integer counts as the integer.
int pixelAfter(double v) {
    return int(std::floor(v + 1e-9)) + 1;
}

qint64 floorDiv(qint64 a, qint64 b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

double angleFrom(double cx, double cy, double x, double y) {
    return std::atan2(cy - y, x - cx);
}

// Position of an angle within a counter-clockwise sweep starting at start, in [0, 2 pi).
double sweepOffset(double start, double angle) {
    const double turn = 2 * pi;
    double offset = std::fmod(angle - start, turn);
    if (offset < 0)
        offset += turn;
    return offset;
}

quint32 pixelOf(ColorRef color) {
    return 0xFF000000u | ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

// How far round pen edges fall short of their true place: a pixel centre exactly on one
// stays out, as under Qt, whose curves run a hair inside.
constexpr double roundShort = 1e-6;

// Sets n pixels, sixteen bytes at a time where the processor allows.
void fillPixels(quint32* p, int n, quint32 pixel) {
#ifdef __SSE2__
    const __m128i four = _mm_set1_epi32(int(pixel));
    for (; n >= 4; n -= 4, p += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), four);
#endif
    for (; n > 0; --n)
        *p++ = pixel;
}

// The first pixel from x on that is not white, or end; mostly white lines are skipped
// sixteen bytes at a time where the processor allows.
int firstInk(const quint32* line, int x, int end) {
#ifdef __SSE2__
    const __m128i white = _mm_set1_epi32(-1);
    for (; x + 4 <= end; x += 4) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + x));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(four, white)) != 0xFFFF)
            break;
    }
#endif
    while (x < end && line[x] == 0xFFFFFFFFu)
        ++x;
    return x;
}

// Narrows [lo, hi] to the u where low <= k u + c <= high; false when nothing is left.
bool narrow(double k, double c, double low, double high, double& lo, double& hi) {
    if (k == 0)
        return c >= low && c <= high;
    double a = (low - c) / k, b = (high - c) / k;
    if (a > b)
        std::swap(a, b);
    lo = std::max(lo, a);
    hi = std::min(hi, b);
    return lo <= hi;
}

// One quarter of the curve at `offset` from an ellipse with radii rx, ry (outside when
// positive, inside when negative; a point when both radii are 0), for outward normals
// from `from` to `to` radians, y pointing away from the centre. Steps follow the
// curvature so that chords stay within a hundredth of a pixel of the curve; the normal
// turns by rotation, its sine and cosine needing no library call but at the ends.
void quarterCurve(double rx, double ry, double offset, double from, double to,
                  std::vector<QPointF>& out) {
    out.clear();
    const double rx2 = rx * rx, ry2 = ry * ry;
    double phi = from, c = std::cos(from), s = std::sin(from);
    for (;;) {
        const double h = std::sqrt(rx2 * c * c + ry2 * s * s);
        out.emplace_back((h > 0 ? rx2 * c / h : 0) + offset * c,
                         (h > 0 ? ry2 * s / h : 0) + offset * s);
        if (phi >= to)
            break;
        const double curvature = std::abs((h > 0 ? rx2 * ry2 / (h * h * h) : 0) + offset);
        const double step = std::clamp(std::sqrt(0.08 / std::max(curvature, 1e-9)), 0.002, 0.25);
        if (phi + step >= to) {
            phi = to;
            c = std::cos(to);
            s = std::sin(to);
            continue;
        }
        phi += step;
        // Taylor series of the step's cosine and sine, exact to 1e-9 for steps up to 0.25.
        const double d2 = step * step;
        const double cd = 1 - d2 / 2 * (1 - d2 / 12 * (1 - d2 / 30));
        const double sd = step * (1 - d2 / 6 * (1 - d2 / 20 * (1 - d2 / 42)));
        const double turned = c * cd - s * sd;
        s = s * cd + c * sd;
        c = turned;
    }
}

// x of a chain rising monotonically, at height y; `outside` beyond its ends.
double chainX(const std::vector<QPointF>& chain, double y, double outside) {
    if (chain.empty() || y < chain.front().y() || y > chain.back().y())
        return outside;
    auto b = std::lower_bound(chain.begin(), chain.end(), y,
                              [](const QPointF& p, double v) { return p.y() < v; });
    if (b == chain.begin())
        return b->x();
    const QPointF& a = *(b - 1);
    return a.x() + (y - a.y()) * (b->x() - a.x()) / (b->y() - a.y());
}

// Whether directions from a centre lie in a counter-clockwise sweep from `start`. Directions
// are compared with cross products, y pointing up.
struct ArcSweep {
    ArcSweep(double cx, double cy, double start, double sweep)
        : cx(cx), cy(cy), from(std::cos(start), std::sin(start)),
          to(std::cos(start + sweep), std::sin(start + sweep)), whole(sweep >= 2 * pi),
          over(sweep > pi) {}
    bool afterStart(int x, int y) const {
        return from.x() * (cy - y) - from.y() * (x - cx) >= -1e-9;
    }
    bool holds(int x, int y) const {
        const bool beforeEnd = (x - cx) * to.y() - (cy - y) * to.x() >= -1e-9;
        return whole || (over ? afterStart(x, y) || beforeEnd : afterStart(x, y) && beforeEnd);
    }
    double cx, cy;
    QPointF from, to;
    bool whole, over;
};

// The first v in [lo, hi] where `holds`, false and then true along [lo, hi], is true; hi + 1
// when it never is. The search starts at a guess and widens its steps, so that a good guess
// costs a few calls.
template <typename Holds> qint64 firstTrue(qint64 lo, qint64 hi, qint64 guess, Holds holds) {
    if (lo > hi)
        return hi + 1;
    guess = std::clamp(guess, lo, hi);
    qint64 no = lo - 1, yes = hi + 1; // holds(no) is false, holds(yes) true, or out of range
    if (holds(guess)) {
        yes = guess;
        for (qint64 step = 1; yes - step >= lo; step *= 2) {
            if (!holds(yes - step)) {
                no = yes - step;
                break;
            }
            yes -= step;
        }
    } else {
        no = guess;
        for (qint64 step = 1; no + step <= hi; step *= 2) {
            if (holds(no + step)) {
                yes = no + step;
                break;
            }
            no += step;
        }
    }
    while (yes - no > 1) {
        const qint64 middle = no + (yes - no) / 2;
        (holds(middle) ? yes : no) = middle;
    }
    return yes;
}

// A figure that reaches no further beyond the device than the device's own width and height, or
// than this on a small device, is traced whole and kept; a larger one only where it shows.
constexpr int kWholeFigureSlack = 256;

// Limit on the texts whose pixels are kept, all fonts together.
constexpr int maxCachedTexts = 2048;

// Qt lays a text out in items of this many characters at most, and kerns and shapes each item
// on its own: a text's width is the sum of its items' widths.
constexpr int textItemLength = 4096;

// Limit on the runs of the figures kept: some megabytes, tens for labels of 100,000 objects.
constexpr size_t maxFigureRuns = size_t(1) << 21;

} // namespace

GdiCanvas::GdiCanvas() = default;

GdiCanvas::GdiCanvas(QPaintDevice* device, double dpi) {
    setDevice(device, dpi);
}

GdiCanvas::~GdiCanvas() {
    setDevice(nullptr);
}

void GdiCanvas::setDevice(QPaintDevice* device, double dpi) {
    flush();
    external_ = nullptr;
    device_ = device;
    vector_ = device && device->devType() != QInternal::Image;
    brushDirty_ = true;
    setDpi(dpi);
}

void GdiCanvas::setDpi(double dpi) {
    // NaN, infinite and absurd resolutions fall back to the screen's.
    dpi = std::isfinite(dpi) && dpi > 0 ? std::min(dpi, 1e7) : 96;
    if (dpi != dpi_) {
        dpi_ = dpi;
        font_.reset();
    }
}

void GdiCanvas::setPenScale(double scale) {
    scale = std::isfinite(scale) && scale > 0 ? std::min(scale, 1e6) : 1;
    if (scale != penScale_) {
        penScale_ = scale;
        brushDirty_ = true;
    }
}

int GdiCanvas::fontPixels() const {
    // Windows rounds points to pixels with MulDiv: half a pixel goes up.
    const double pixels = std::floor(qAbs(fontSize_) * dpi_ / 72 + 0.5);
    return int(std::clamp(pixels, 1.0, 1e6));
}

void GdiCanvas::setPainter(QPainter* painter, double dpi) {
    setDevice(painter ? painter->device() : nullptr, dpi);
    external_ = painter;
}

void GdiCanvas::flush() {
    deviceRaster_ = Raster();
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
}

QPainter* GdiCanvas::painter() {
    if (external_)
        return external_;
    if (!device_)
        return nullptr;
    if (!painter_) {
        auto p = std::make_unique<QPainter>();
        if (!p->begin(device_))
            return nullptr;
        p->setRenderHint(QPainter::Antialiasing, false);
        p->setRenderHint(QPainter::TextAntialiasing, false);
        p->setRenderHint(QPainter::SmoothPixmapTransform, false);
        // Qt's PDF engine would store pictures as JPEG, blurring their sharp edges.
        p->setRenderHint(QPainter::LosslessImageRendering, vector_);
        painter_ = std::move(p);
        // Figures go straight into an image's 32-bit pixels, alongside the painter that
        // draws text and pictures. QPainter has made the pixels the image's own, so
        // bits() does not copy them.
        if (device_->devType() == QInternal::Image) {
            auto* image = static_cast<QImage*>(device_);
            const QImage::Format format = image->format();
            if ((format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
                 format == QImage::Format_ARGB32_Premultiplied) &&
                image->devicePixelRatio() == 1.0) {
                deviceRaster_.bits = image->bits();
                deviceRaster_.bytesPerLine = image->bytesPerLine();
                deviceRaster_.area = image->rect();
            }
        }
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
    penStyle_ = style;
}

void GdiCanvas::setPenWidth(int width) {
    penWidth_ = width;
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
        font_.reset();
    }
}

void GdiCanvas::setFontSize(int points) {
    if (points != fontSize_) {
        fontSize_ = points;
        font_.reset();
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
        font_.reset();
    }
}

QFont GdiCanvas::font() const {
    QFont f(fontName_);
    f.setPixelSize(fontPixels());
    f.setBold(fontStyle_ & FontBold);
    f.setItalic(fontStyle_ & FontItalic);
    f.setUnderline(fontStyle_ & FontUnderline);
    f.setStrikeOut(fontStyle_ & FontStrikeOut);
    return f;
}

QSize GdiCanvas::textExtent(const QString& text) const {
    const QFont f = font();
    const QFontMetrics metrics(f);
    if (text.size() <= textItemLength)
        return QSize(metrics.horizontalAdvance(text), metrics.height());
    // A long text is measured an item at a time, so that laying it out takes no more memory
    // than one item does; the sum is the same. Like Qt, stop at a string terminator.
    const QFontMetricsF exact(f);
    const qsizetype terminator = text.indexOf(QChar(0x9C));
    const qsizetype end = terminator < 0 ? text.size() : terminator;
    double width = 0;
    for (qsizetype at = 0; at < end; at += textItemLength)
        width +=
            exact.horizontalAdvance(text.mid(at, std::min<qsizetype>(textItemLength, end - at)));
    return QSize(qRound(width), metrics.height());
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
    if (penScale_ == 1)
        return std::max(1, penWidth_);
    return int(std::clamp(std::nearbyint(std::max(1, penWidth_) * penScale_), 1.0, 1e6));
}

double GdiCanvas::vectorWidth() const {
    return std::max(1, penWidth_) * penScale_;
}

const GdiCanvas::Dash* GdiCanvas::dash() const {
    static constexpr Dash patterns[4] = {
        {{18, 6}, 2, 24},
        {{3, 3}, 2, 6},
        {{9, 6, 3, 6}, 4, 24},
        {{9, 3, 3, 3, 3, 3}, 6, 24},
    };
    // Like a Windows cosmetic pen, only a pen of one unit keeps its dashes, however many
    // device pixels the unit is on paper or in the preview.
    if (std::max(1, penWidth_) > 1 || penStyle_ < PenDash || penStyle_ > PenDashDotDot)
        return nullptr;
    return &patterns[penStyle_ - PenDash];
}

quint32 GdiCanvas::penPixel() const {
    return pixelOf(penColor_);
}

quint32 GdiCanvas::brushPixel() const {
    return pixelOf(brushColor_);
}

const uchar* GdiCanvas::brushHatch() const {
    if (brushStyle_ < BrushHorizontal || brushStyle_ > BrushDiagCross)
        return nullptr;
    return hatchTiles[brushStyle_ - BrushHorizontal];
}

QPointF GdiCanvas::hatchBrushOrigin() const {
    // A PDF's tiles would start exactly on a pixel's edge, where Qt's rounding of the pattern's
    // place and the reader's decide which pixel: a 1/1024 pixel further they start on the
    // same pixel whoever places them.
    constexpr double kPastTheEdge = 1.0 / 1024;
    return QPointF(hatchOrigin_) + (vector_ ? QPointF(kPastTheEdge, kPastTheEdge) : QPointF());
}

const QBrush& GdiCanvas::brush() const {
    if (brushDirty_) {
        const QColor color = colorFromRef(brushColor_);
        if (brushStyle_ == BrushClear) {
            brush_ = QBrush();
        } else if (!brushHatch()) {
            brush_ = QBrush(color);
            brushInk_.setColor(color);
        } else {
            // A tile with transparent gaps lets the ground show between the hatch lines;
            // brushes keep their origin at the hatch origin, so tiles line up across figures.
            // On paper each tile pixel is a pen unit, so the hatch keeps its spacing on
            // paper whatever the device's resolution.
            const int unit = vector_ ? int(std::clamp(std::nearbyint(penScale_), 1.0, 64.0)) : 1;
            const quint64 key = (quint64(unit) << 40) | (quint64(brushStyle_) << 32) | brushColor_;
            auto found = hatchCache_.constFind(key);
            if (found == hatchCache_.constEnd()) {
                QImage tile(8 * unit, 8 * unit, QImage::Format_ARGB32_Premultiplied);
                tile.fill(Qt::transparent);
                const uchar* rows = brushHatch();
                for (int y = 0; y < 8 * unit; ++y)
                    for (int x = 0; x < 8 * unit; ++x)
                        if (rows[y / unit] & (0x80 >> (x / unit)))
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

bool GdiCanvas::beginFigure(QRect bounds, bool disjoint) {
    QPainter* p = painter();
    if (!p)
        return false;
    const QRect deviceArea(0, 0, device_->width(), device_->height());
    if (penMode_ == PenMode::Copy) {
        target_ = deviceRaster_.bits ? &deviceRaster_ : nullptr;
        figureArea_ = deviceArea;
        return true;
    }
    bounds &= deviceArea;
    if (bounds.isEmpty())
        return false;
    if (disjoint && deviceRaster_.bits) {
        // Runs that share no pixel invert each pixel once when combined with the device
        // straight away.
        target_ = &deviceRaster_;
        invertTarget_ = true;
        figureArea_ = bounds;
        return true;
    }
    // White is the one colour that not-XOR leaves unchanged. The scratch image is white
    // between figures: each figure whitens again only the runs it painted.
    if (scratch_.width() < bounds.width() || scratch_.height() < bounds.height()) {
        scratch_ = QImage(std::max(bounds.width(), scratch_.width()),
                          std::max(bounds.height(), scratch_.height()), QImage::Format_RGB32);
        scratch_.fill(0xFFFFFFFFu);
    }
    scratchRaster_.bits = scratch_.bits();
    scratchRaster_.bytesPerLine = scratch_.bytesPerLine();
    scratchRaster_.origin = bounds.topLeft();
    scratchRaster_.area = bounds;
    xorRuns_.clear();
    xorArea_ = bounds;
    figureArea_ = bounds;
    target_ = &scratchRaster_;
    return true;
}

bool GdiCanvas::beginFigure(QRect bounds, const Figure& figure) {
    if (penMode_ == PenMode::NotXor && figure.disjoint < 0)
        figure.disjoint = runsDisjoint(figure.ring, figure.inner);
    return beginFigure(bounds, penMode_ == PenMode::NotXor && figure.disjoint);
}

void GdiCanvas::endFigure() {
    if (invertTarget_) {
        invertTarget_ = false;
        target_ = nullptr;
        return;
    }
    if (target_ != &scratchRaster_)
        return;
    target_ = nullptr;
    if (deviceRaster_.bits) {
        // Only the painted runs are combined, each pixel once however many runs cover it:
        // its scratch pixel turns white again as it is combined.
        for (const QRect& r : xorRuns_) {
            for (int y = r.top(); y <= r.bottom(); ++y) {
                quint32* source = scratchRaster_.pixel(r.left(), y);
                quint32* target = deviceRaster_.pixel(r.left(), y);
                for (int i = 0; i < r.width(); ++i) {
                    if (source[i] != 0xFFFFFFFFu) {
                        target[i] = ~(source[i] ^ target[i]) | 0xFF000000u;
                        source[i] = 0xFFFFFFFFu;
                    }
                }
            }
        }
        return;
    }
    QPainter* p = painter();
    p->setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    p->drawImage(xorArea_.topLeft(), scratch_, QRect(QPoint(0, 0), xorArea_.size()));
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const QRect& r : xorRuns_)
        fillRaster(scratchRaster_, r, 0xFFFFFFFFu, nullptr);
}

void GdiCanvas::fillRaster(const Raster& raster, const QRect& r, quint32 pixel,
                           const uchar* hatch) const {
    const int left = std::max(r.left(), raster.area.left());
    const int right = std::min(r.right(), raster.area.right());
    const int top = std::max(r.top(), raster.area.top());
    const int bottom = std::min(r.bottom(), raster.area.bottom());
    if (left > right || top > bottom)
        return;
    const int width = right - left + 1;
    for (int y = top; y <= bottom; ++y) {
        quint32* line = raster.pixel(left, y);
        const uchar bits = hatch ? hatch[(y - hatchOrigin_.y()) & 7] : 0xFF;
        if (bits == 0xFF) {
            fillPixels(line, width, pixel);
            continue;
        }
        // Each line of a tile comes back every eight pixels from the hatch origin.
        for (int b = 0; b < 8; ++b)
            if (bits & (0x80 >> b))
                for (int i = (b + hatchOrigin_.x() - left) & 7; i < width; i += 8)
                    line[i] = pixel;
    }
}

// Combines the pixel with the raster's pixels in r not-XOR, as fillRaster() sets them.
void GdiCanvas::invertRaster(const Raster& raster, const QRect& r, quint32 pixel,
                             const uchar* hatch) const {
    const int left = std::max(r.left(), raster.area.left());
    const int right = std::min(r.right(), raster.area.right());
    const int top = std::max(r.top(), raster.area.top());
    const int bottom = std::min(r.bottom(), raster.area.bottom());
    // White leaves every pixel as it is.
    if (left > right || top > bottom || pixel == 0xFFFFFFFFu)
        return;
    const int width = right - left + 1;
    const quint32 flip = ~pixel | 0xFF000000u;
    for (int y = top; y <= bottom; ++y) {
        quint32* line = raster.pixel(left, y);
        if (!hatch) {
            for (int i = 0; i < width; ++i)
                line[i] = (line[i] ^ flip) | 0xFF000000u;
            continue;
        }
        const uchar bits = hatch[(y - hatchOrigin_.y()) & 7];
        for (int i = 0; i < width; ++i)
            if (bits & (0x80 >> ((left + i - hatchOrigin_.x()) & 7)))
                line[i] = (line[i] ^ flip) | 0xFF000000u;
    }
}

// Paints runs of the figure being drawn, moved by offset, with the pen or the brush.
void GdiCanvas::paint(const std::vector<QRect>& runs, Source source, bool withDots, QPoint offset) {
    if (runs.empty() || (source == Source::Brush && brushStyle_ == BrushClear))
        return;
    if (target_) {
        const quint32 pixel = source == Source::Pen ? penPixel() : brushPixel();
        const uchar* hatch = source == Source::Pen ? nullptr : brushHatch();
        if (invertTarget_) {
            for (const QRect& r : runs)
                invertRaster(*target_, r.translated(offset), pixel, hatch);
            return;
        }
        if (!hatch) {
            // Most runs are a few pixels of one row: set them here, without a call each.
            const Raster& raster = *target_;
            const QRect& area = raster.area;
            for (const QRect& run : runs) {
                const QRect r = run.translated(offset);
                if (r.height() == 1 && r.width() <= 8 && r.top() >= area.top() &&
                    r.top() <= area.bottom() && r.left() >= area.left() &&
                    r.right() <= area.right()) {
                    quint32* line = raster.pixel(r.left(), r.top());
                    for (int i = 0; i < r.width(); ++i)
                        line[i] = pixel;
                } else {
                    fillRaster(raster, r, pixel, nullptr);
                }
            }
        } else {
            for (const QRect& r : runs)
                fillRaster(*target_, r.translated(offset), pixel, hatch);
        }
        if (target_ == &scratchRaster_)
            for (const QRect& r : runs)
                if (const QRect painted = r.translated(offset) & target_->area; !painted.isEmpty())
                    xorRuns_.push_back(painted);
        return;
    }
    const std::vector<QRect>* moved = &runs;
    if (!offset.isNull()) {
        movedRuns_.clear();
        for (const QRect& r : runs)
            movedRuns_.push_back(r.translated(offset));
        moved = &movedRuns_;
    }
    QPainter& p = *painter();
    if (source == Source::Pen) {
        if (penDirty_)
            penInk_.setColor(colorFromRef(penColor_));
        penDirty_ = false;
        paintRuns(p, *moved, penInk_, withDots);
        return;
    }
    const QBrush& fill = brush();
    // Hatches have to keep their pattern: their runs always go through the brush itself.
    if (fill.style() == Qt::TexturePattern)
        paintPattern(p, *moved, fill);
    else if (fill.style() != Qt::NoBrush)
        paintRuns(p, *moved, brushInk_, withDots);
}

// Paints runs of pixels in one colour with QPainter: the smallest as points (withDots),
// large ones with the plain colour, the rest with a tile of it.
void GdiCanvas::paintRuns(QPainter& p, const std::vector<QRect>& runs, Ink& ink, bool withDots) {
    tileRuns_.clear();
    plainRuns_.clear();
    dots_.clear();
    for (const QRect& r : runs) {
        const qint64 area = qint64(r.width()) * r.height();
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
    p.setBrushOrigin(hatchBrushOrigin());
    p.drawRects(runs.data(), int(runs.size()));
}

// The outline traceBox() finds for a box, one row of its upper left quarter at a time, so that a
// figure far larger than the device is traced only where it shows. Row k of the quarter, the
// box's row top + k, holds the pixels from start to end. The place of any outline pixel along
// walkBox()'s walk is known too, without walking up to it.
struct GdiCanvas::BoxRows {
    BoxRows(const QRect& box, int cornerWidth, int cornerHeight)
        : x0(box.left()), y0(box.top()), x1(box.right()), y1(box.bottom()),
          half((box.height() - 1) / 2), mid(box.left() + (box.width() - 1) / 2),
          oddWidth(box.width() % 2), oddHeight(box.height() % 2),
          a((std::min(cornerWidth, box.width()) - 1) / 2.0),
          b((std::min(cornerHeight, box.height()) - 1) / 2.0), corners(a > 0 && b > 0), cx(x0 + a),
          cy(y0 + b) {}

    const int x0, y0, x1, y1, half, mid;
    const bool oddWidth, oddHeight;
    const double a, b;
    const bool corners;
    const double cx, cy; // centre of the corner

    // Where the corner crosses the row's pixel centres, as traceBox() samples rows.
    int rowSample(int row) const {
        const int y = y0 + row;
        if (!corners || y >= cy)
            return x0;
        const double d = (cy - y) / b;
        return outward(cx - a * std::sqrt(std::max(0.0, 1 - d * d)));
    }
    // The row, from the top, where the corner crosses the column, as traceBox() samples columns.
    int columnSample(int x) const {
        if (x >= cx)
            return 0;
        const double d = (cx - x) / a;
        return outward(cy - b * std::sqrt(std::max(0.0, 1 - d * d))) - y0;
    }
    // The first column of the quarter whose sample lies in the row or above; mid + 1 if none.
    // Samples rise monotonically from left to right.
    int firstColumnAtMost(int row) const {
        const double y = y0 + row + 0.5;
        double guess = x0;
        if (y < cy) {
            const double d = (cy - y) / b;
            guess = cx - a * std::sqrt(std::max(0.0, 1 - d * d));
        }
        return int(firstTrue(x0, mid, qint64(std::floor(guess)),
                             [&](qint64 x) { return columnSample(int(x)) <= row; }));
    }
    void run(int row, int& start, int& end) const {
        start = end = rowSample(row);
        if (!corners) {
            if (row == 0)
                end = std::max(end, mid);
            return;
        }
        const int first = firstColumnAtMost(row);
        if (first <= mid && columnSample(first) == row) {
            const int last = row == 0 ? mid : firstColumnAtMost(row - 1) - 1;
            start = std::min(start, first);
            end = std::max(end, last);
        }
    }

    // Counting walk pixels. Where the corner runs flatter than 45 degrees, each row holds
    // exactly the columns sampled in it; where it runs steeper, each row holds one pixel. Only the
    // rows around the turn, where rounding may go either way, are counted one by one.
    void prepareWalk() {
        if (!corners) {
            flatEnd = 0;
            steepStart = std::min(1, half + 1);
        } else {
            // The row where the corner's slope is t, from its centre's row.
            auto rowOfSlope = [&](double t) {
                const double r = t * a / b;
                return cy - b / std::sqrt(1 + r * r);
            };
            // Three rows of margin, and a slope well apart from 1, leave rounding no say.
            constexpr double apart = 1e-5;
            flatEnd = int(std::clamp<qint64>(qint64(std::floor(rowOfSlope(1 - apart) - 3)) - y0 + 1,
                                             0, half + 1));
            steepStart = int(std::clamp<qint64>(qint64(std::ceil(rowOfSlope(1 + apart) + 3)) - y0,
                                                flatEnd, half + 1));
        }
        turn.assign(1, 0);
        for (int row = flatEnd; row < steepStart; ++row) {
            int start, end;
            run(row, start, end);
            turn.push_back(turn.back() + std::min(end, mid) - start + 1);
        }
        // The right quarters leave out the middle column of an odd width: rows [0, midRows)
        // reach it, as rows end further left the lower they lie.
        midRows = 0;
        if (oddWidth)
            midRows = int(firstTrue(0, half, 0, [&](qint64 row) {
                int start, end;
                run(int(row), start, end);
                return end < mid;
            }));
        const int lowerRows = oddHeight ? half : half + 1;
        quarter[0] = before(half + 1, true);
        quarter[1] = before(half + 1, false);
        quarter[2] = before(lowerRows, false);
        quarter[3] = before(lowerRows, true);
        length = quarter[0] + quarter[1] + quarter[2] + quarter[3];
    }
    // Walk pixels of rows [0, rows) of a left quarter, or of a right one (`right`), which leaves
    // out the middle column of an odd width.
    qint64 before(int rows, bool right) const {
        qint64 n = 0;
        if (const int flat = std::min(rows, flatEnd); flat > 0)
            n += mid - firstColumnAtMost(flat - 1) + 1;
        if (rows > flatEnd)
            n += turn[std::min(rows, steepStart) - flatEnd];
        if (rows > steepStart)
            n += rows - steepStart;
        return right ? n - std::min(rows, midRows) : n;
    }
    // The pixel at a place along the walk.
    QPoint pixelAt(qint64 place) const {
        int which = 0;
        while (which < 3 && place >= quarter[which])
            place -= quarter[which++];
        const bool right = which == 0 || which == 3;
        const qint64 down = which % 2 == 0 ? quarter[which] - 1 - place : place;
        const int row =
            int(firstTrue(0, half, 0, [&](qint64 r) { return before(int(r) + 1, right) > down; }));
        int start, end;
        run(row, start, end);
        end = std::min(end, mid);
        const int first = right && oddWidth && end == mid ? mid - 1 : end;
        const int x = int(first - (down - before(row, right)));
        return QPoint(right ? x0 + x1 - x : x, which < 2 ? y0 + row : y1 - row);
    }

    // Calls visit(x, y, place) for each outline pixel within clip, left to right along each row;
    // place is the pixel's place along the walk when `places` (after prepareWalk()), else 0.
    template <typename Visit> void visit(const QRect& clip, bool places, Visit&& visit) const {
        const int top = std::max(y0, clip.top()), bottom = std::min(y1, clip.bottom());
        for (int y = top; y <= bottom; ++y) {
            const bool upper = y <= y0 + half;
            const int row = upper ? y - y0 : y1 - y;
            int start, end;
            run(row, start, end);
            end = std::min(end, mid);
            const qint64 leftBefore = places ? before(row, false) : 0;
            const qint64 rightBefore = places ? before(row, true) : 0;
            for (int x = std::max(start, clip.left()); x <= std::min(end, clip.right()); ++x)
                visit(x, y, places ? placeOf(upper ? 1 : 2, leftBefore + (end - x)) : 0);
            // The right quarter, mirrored, leaves out the middle column of an odd width.
            const int rightEnd = oddWidth && end == mid ? mid - 1 : end;
            for (int x = std::max(x0 + x1 - rightEnd, clip.left());
                 x <= std::min(x0 + x1 - start, clip.right()); ++x)
                visit(x, y,
                      places ? placeOf(upper ? 0 : 3, rightBefore + (rightEnd - (x0 + x1 - x)))
                             : 0);
        }
    }
    // Place along the walk of the pixel `down` pixels into a quarter (0 upper right, 1 upper
    // left, 2 lower left, 3 lower right) walked row after row from its top, each row from its
    // right end. The upper right and lower left quarters are walked the other way.
    qint64 placeOf(int which, qint64 down) const {
        qint64 offset = 0;
        for (int i = 0; i < which; ++i)
            offset += quarter[i];
        return offset + (which % 2 == 0 ? quarter[which] - 1 - down : down);
    }

    int flatEnd = 0, steepStart = 0, midRows = 0;
    std::vector<qint64> turn; // walk pixels of rows [flatEnd, flatEnd + i)
    qint64 quarter[4] = {};
    qint64 length = 0;
};

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

// Puts the outline pixels that traceBox found for box in walk_, in one counter-clockwise
// walk from the middle of the right side, so that dashes can run along them.
void GdiCanvas::walkBox(const QRect& box) {
    walk_.clear();
    const int x0 = box.left(), x1 = box.right(), y0 = box.top(), y1 = box.bottom();
    const int half = (box.height() - 1) / 2;
    const int midColumn = x0 + (box.width() - 1) / 2;
    // A middle column or row of an odd box is its own mirror image: walked once.
    const bool oddWidth = box.width() % 2, oddHeight = box.height() % 2;
    auto add = [this](int x, int y) {
        if (walk_.empty() || walk_.back() != QPoint(x, y))
            walk_.emplace_back(x, y);
    };
    auto end = [&](int row) { return std::min(runEnd_[row], midColumn); };
    for (int row = half; row >= 0; --row) // upper right, going up
        for (int x = runStart_[row]; x <= end(row); ++x)
            if (!oddWidth || x != midColumn)
                add(x0 + x1 - x, y0 + row);
    for (int row = 0; row <= half; ++row) // upper left, going down
        for (int x = end(row); x >= runStart_[row]; --x)
            add(x, y0 + row);
    for (int row = half; row >= 0; --row) // lower left, going down
        if (!oddHeight || row != half)
            for (int x = runStart_[row]; x <= end(row); ++x)
                add(x, y1 - row);
    for (int row = 0; row <= half; ++row) // lower right, going up
        if (!oddHeight || row != half)
            for (int x = end(row); x >= runStart_[row]; --x)
                if (!oddWidth || x != midColumn)
                    add(x0 + x1 - x, y1 - row);
    if (walk_.size() > 1 && walk_.back() == walk_.front())
        walk_.pop_back();
}

// Keeps in ring_ the pixels of walk_ that the dashes cover, counted from phase.
void GdiCanvas::dashWalk(int phase) {
    ring_.clear();
    const Dash* d = dash();
    for (const QPoint& px : walk_) {
        const bool on = !d || dashOn(*d, phase);
        if (d)
            phase = (phase + 1) % d->period;
        if (!on)
            continue;
        if (!ring_.empty()) {
            QRect& last = ring_.back();
            if (last.top() == px.y() && last.height() == 1 &&
                (last.right() + 1 == px.x() || last.left() - 1 == px.x())) {
                last |= QRect(px, QSize(1, 1));
                continue;
            }
        }
        ring_.emplace_back(px, QSize(1, 1));
    }
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
    // Only the steps whose pixels lie within the figure's reach along the major axis are taken:
    // a line can run far beyond the device.
    const qint64 major = xMajor ? from.x() : from.y();
    const qint64 low = xMajor ? figureArea_.left() : figureArea_.top();
    const qint64 high = xMajor ? figureArea_.right() : figureArea_.bottom();
    const int first = int(std::clamp<qint64>(sign > 0 ? low - major : major - high, 0, steps));
    const int last =
        int(std::clamp<qint64>(sign > 0 ? high - major + 1 : major - low + 1, first, steps));
    const int endPhase = d ? int((phase + qint64(steps)) % d->period) : phase;
    if (d)
        phase = int((phase + qint64(first)) % d->period);
    QRect run;
    bool open = false;
    for (int i = first; i < last; ++i) {
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
    phase = endPhase;
}

void GdiCanvas::addSpan(int y, int left, int right) {
    if (left <= right)
        spans_.push_back({y, left, right});
}

// Appends spans_ to runs, grouped by row, overlapping and touching spans joined, and
// empties spans_. Rows are bucketed, then the few spans of a row sorted in place.
void GdiCanvas::mergeSpans(std::vector<QRect>& runs) {
    if (spans_.empty())
        return;
    int top = INT_MAX, bottom = INT_MIN;
    for (const Span& s : spans_) {
        top = std::min(top, s.y);
        bottom = std::max(bottom, s.y);
    }
    const int rows = bottom - top + 1;
    rowCounts_.assign(rows + 1, 0);
    for (const Span& s : spans_)
        ++rowCounts_[s.y - top + 1];
    for (int i = 1; i <= rows; ++i)
        rowCounts_[i] += rowCounts_[i - 1];
    sortedSpans_.resize(spans_.size());
    for (const Span& s : spans_)
        sortedSpans_[rowCounts_[s.y - top]++] = s;
    int begin = 0;
    for (int row = 0; row < rows; ++row) {
        const int end = rowCounts_[row];
        for (int i = begin + 1; i < end; ++i) {
            const Span s = sortedSpans_[i];
            int j = i;
            for (; j > begin && sortedSpans_[j - 1].left > s.left; --j)
                sortedSpans_[j] = sortedSpans_[j - 1];
            sortedSpans_[j] = s;
        }
        for (int i = begin; i < end;) {
            const int left = sortedSpans_[i].left;
            int right = sortedSpans_[i].right;
            for (++i; i < end && sortedSpans_[i].left <= right + 1; ++i)
                right = std::max(right, sortedSpans_[i].right);
            runs.emplace_back(left, top + row, right - left + 1, 1);
        }
        begin = end;
    }
    spans_.clear();
}

// Adds the spans of a stroke of a wide round pen from `from` to `to`: the pixels whose
// centres lie within radius of the segment, round ends included. Rows out of sight are
// skipped; those of a figure traced away from its place (`anywhere`) only when it is clipped.
void GdiCanvas::addCapsule(QPointF from, QPointF to, double radius, bool anywhere) {
    const double dx = to.x() - from.x(), dy = to.y() - from.y();
    const double length = std::hypot(dx, dy);
    const double r2 = (radius - roundShort) * (radius - roundShort);
    int top = pixelAfter(std::min(from.y(), to.y()) - radius);
    int end = pixelAfter(std::max(from.y(), to.y()) + radius);
    if (!anywhere) {
        top = std::max(top, figureArea_.top());
        end = std::min(end, figureArea_.bottom() + 1);
    } else if (clipTrace_) {
        top = std::max(top, traceClip_.top());
        end = std::min(end, traceClip_.bottom() + 1);
    }
    for (int y = top; y < end; ++y) {
        double left = INFINITY, right = -INFINITY;
        for (const QPointF& c : {from, to}) {
            const double d = y - c.y();
            if (d * d <= r2) {
                const double h = std::sqrt(r2 - d * d);
                left = std::min(left, c.x() - h);
                right = std::max(right, c.x() + h);
            }
        }
        // The straight part: along the segment between its ends, across it within the
        // radius. Both are linear in x along a row.
        const double rowY = y - from.y();
        double lo = -INFINITY, hi = INFINITY;
        if (length > 0 && narrow(dx, rowY * dy, 0, length * length, lo, hi) &&
            narrow(dy, -rowY * dx, -radius * length, radius * length, lo, hi)) {
            left = std::min(left, from.x() + lo);
            right = std::max(right, from.x() + hi);
        }
        if (left <= right)
            addSpan(y, pixelAfter(left), pixelAfter(right) - 1);
    }
}

GdiCanvas::Shape GdiCanvas::shapeOf(const QRect& box, int cornerWidth, int cornerHeight) {
    double a = (std::min(cornerWidth, box.width()) - 1) / 2.0;
    double b = (std::min(cornerHeight, box.height()) - 1) / 2.0;
    if (!(a > 0 && b > 0))
        a = b = 0;
    return Shape{(box.left() + box.right()) / 2.0,
                 (box.top() + box.bottom()) / 2.0,
                 (box.width() - 1) / 2.0 - a,
                 (box.height() - 1) / 2.0 - b,
                 a,
                 b};
}

// Rows of the outline of shape drawn with a round pen of the radius, in band_: the
// pixels whose centres lie within the radius of the outline through the centres of the
// box's edge pixels, where Qt strokes the same outline. The outer edge is the curve at
// the radius outside. The inner one is the curve at the radius inside, but only where
// the corner curves no more tightly than the pen is wide: elsewhere that curve loops
// back on itself, and the pen covers all up to where it comes back.
void GdiCanvas::bandRows(const Shape& s, double radius) {
    band_.clear();
    quarterCurve(s.rx, s.ry, radius - roundShort, 0, pi / 2, chain_);
    branch_.clear();
    if (s.rx > 0) {
        // Where the corner's radius of curvature, rx^2 ry^2 / h^3, reaches the pen's.
        const double rx2 = s.rx * s.rx, ry2 = s.ry * s.ry;
        const double k = rx2 * ry2 / radius;
        const double h2 = std::cbrt(k * k);
        double from = 0, to = pi / 2;
        bool valid = true;
        if (rx2 == ry2) {
            valid = s.rx >= radius;
        } else {
            const double c2 = (h2 - ry2) / (rx2 - ry2);
            if (rx2 > ry2) {
                valid = c2 >= 0;
                from = c2 >= 1 ? 0 : std::acos(std::sqrt(std::max(0.0, c2)));
            } else {
                valid = c2 <= 1;
                to = c2 <= 0 ? pi / 2 : std::acos(std::sqrt(std::min(1.0, c2)));
            }
        }
        if (valid && from < to)
            quarterCurve(s.rx, s.ry, -radius, from, to, branch_);
    }
    const double outerTop = s.dy + s.ry + radius;
    const double innerTop = s.dy + s.ry - radius;
    const int end = pixelAfter(s.cy + outerTop);
    const int innerFirst = pixelAfter(s.cy - innerTop), innerEnd = pixelAfter(s.cy + innerTop);
    int first = pixelAfter(s.cy - outerTop), last = end;
    if (clipTrace_) {
        first = std::max(first, traceClip_.top());
        last = std::min(last, traceClip_.bottom() + 1);
    }
    for (int y = first; y < last; ++y) {
        const double v = std::abs(y - s.cy);
        // The straight sides own the row where they meet a corner below them, not the
        // one above: Qt's scanlines take an edge's lower end, not its upper one.
        const bool straight = y > s.cy - s.dy && y <= s.cy + s.dy;
        const double outer = straight ? s.dx + s.rx + radius : s.dx + chainX(chain_, v - s.dy, 0.0);
        BandRow row{y, pixelAfter(s.cx - outer), pixelAfter(s.cx + outer), 0, 0};
        if (innerTop > 0 && y >= innerFirst && y < innerEnd) {
            const double inner =
                s.dx + std::min(s.rx - radius, chainX(branch_, v - s.dy, INFINITY));
            if (inner > 0) {
                row.innerLeft = pixelAfter(s.cx - inner);
                row.innerEnd = pixelAfter(s.cx + inner);
            }
        }
        band_.push_back(row);
    }
}

// Outline of a box drawn with a wide pen in ring_, and the inside the pen leaves to the
// brush in inner_.
void GdiCanvas::wideBox(const Shape& shape, double radius) {
    ring_.clear();
    inner_.clear();
    bandRows(shape, radius);
    for (const BandRow& row : band_) {
        if (row.innerLeft < row.innerEnd) {
            ring_.emplace_back(row.outerLeft, row.y, row.innerLeft - row.outerLeft, 1);
            ring_.emplace_back(row.innerEnd, row.y, row.outerEnd - row.innerEnd, 1);
            inner_.emplace_back(row.innerLeft, row.y, row.innerEnd - row.innerLeft, 1);
        } else if (row.outerLeft < row.outerEnd) {
            ring_.emplace_back(row.outerLeft, row.y, row.outerEnd - row.outerLeft, 1);
        }
    }
}

// An elliptic arc drawn with a wide pen, in ring_: the ellipse's wide outline cut
// square at both ends, along the outline's normals, with round ends added.
void GdiCanvas::wideArc(const QRect& box, double start, double sweep, double radius) {
    ring_.clear();
    const double a = (box.width() - 1) / 2.0, b = (box.height() - 1) / 2.0;
    const double cx = (box.left() + box.right()) / 2.0, cy = (box.top() + box.bottom()) / 2.0;
    if (a == 0 || b == 0) {
        // A box one pixel thin: the curve lies along the whole line.
        addCapsule(QPointF(cx - a, cy - b), QPointF(cx + a, cy + b), radius, true);
        mergeSpans(ring_);
        return;
    }
    const std::vector<BandRow>& band = ellipseBand(box, radius);
    const bool whole = sweep >= 2 * pi;
    const bool over = sweep > pi;
    const QPointF from(std::cos(start), std::sin(start));
    const QPointF to(std::cos(start + sweep), std::sin(start + sweep));
    // Whether a point of the curve lies in the sweep; directions are compared with
    // cross products, y pointing up.
    auto inSweep = [&](double x, double y) {
        if (whole)
            return true;
        const double vx = x - cx, vy = cy - y;
        const bool afterStart = from.x() * vy - from.y() * vx >= -1e-9;
        const bool beforeEnd = vx * to.y() - vy * to.x() >= -1e-9;
        return over ? afterStart || beforeEnd : afterStart && beforeEnd;
    };
    // The ends, where the radials meet the ellipse, and the unit normals there.
    struct End {
        QPointF at, normal;
    } ends[2];
    for (int i = 0; i < 2; ++i) {
        const double radial = start + i * sweep;
        const double t = std::atan2(a * std::sin(radial), b * std::cos(radial));
        const QPointF normal(std::cos(t) / a, -std::sin(t) / b);
        ends[i] = {QPointF(cx + a * std::cos(t), cy - b * std::sin(t)),
                   normal / std::hypot(normal.x(), normal.y())};
    }
    for (const BandRow& row : band) {
        const double y = row.y, v = y - cy;
        // A point of each side of the row whose place in the sweep is known: where the
        // curve crosses the row, or above or below the curve's top or bottom, the extreme
        // point itself.
        double refs[2];
        bool refIn[2];
        const bool crossed = std::abs(v) <= b;
        if (crossed) {
            const double half = a * std::sqrt(std::max(0.0, 1 - (v / b) * (v / b)));
            refs[0] = cx - half;
            refs[1] = cx + half;
            refIn[0] = inSweep(refs[0], y);
            refIn[1] = inSweep(refs[1], y);
        } else {
            refs[0] = refs[1] = cx;
            refIn[0] = refIn[1] = inSweep(cx, v < 0 ? cy - b : cy + b);
        }
        // The row's pen pixels on either side of the inside, or, with no inside on this
        // row, split at the centre between the curve's two sides.
        int pieces[2][2] = {{row.outerLeft, row.outerEnd}, {0, 0}};
        int pieceCount = 1;
        if (row.innerLeft < row.innerEnd || crossed) {
            const int middle = std::clamp(pixelAfter(cx), row.outerLeft, row.outerEnd);
            pieces[0][1] = row.innerLeft < row.innerEnd ? row.innerLeft : middle;
            pieces[1][0] = row.innerLeft < row.innerEnd ? row.innerEnd : middle;
            pieces[1][1] = row.outerEnd;
            pieceCount = 2;
        }
        // Where the cuts at the ends cross the row: each one switches in and out.
        double cuts[2];
        int cutCount = 0;
        for (const End& e : ends) {
            if (whole || std::abs(e.normal.y()) < 1e-12)
                continue;
            const double t = (y - e.at.y()) / (radius * e.normal.y());
            if (t >= -1 && t <= 1)
                cuts[cutCount++] = e.at.x() + t * radius * e.normal.x();
        }
        for (int k = 0; k < pieceCount; ++k) {
            int bounds[4] = {pieces[k][0], 0, 0, pieces[k][1]};
            int boundCount = 1;
            for (int c = 0; c < cutCount; ++c) {
                const int at = pixelAfter(cuts[c]);
                if (at > pieces[k][0] && at < pieces[k][1])
                    bounds[boundCount++] = at;
            }
            if (boundCount == 3 && bounds[1] > bounds[2])
                std::swap(bounds[1], bounds[2]);
            bounds[boundCount] = pieces[k][1];
            for (int i = 0; i < boundCount; ++i) {
                bool in = refIn[k];
                for (int c = 0; c < cutCount; ++c)
                    in ^= (bounds[i] < pixelAfter(cuts[c])) != (refs[k] <= cuts[c]);
                if (in)
                    addSpan(row.y, bounds[i], bounds[i + 1] - 1);
            }
        }
    }
    if (!whole)
        for (const End& e : ends)
            addCapsule(e.at, e.at, radius, true);
    mergeSpans(ring_);
}

const std::vector<GdiCanvas::BandRow>& GdiCanvas::ellipseBand(const QRect& box, double radius) {
    const double a = (box.width() - 1) / 2.0, b = (box.height() - 1) / 2.0;
    const Shape shape{
        (box.left() + box.right()) / 2.0, (box.top() + box.bottom()) / 2.0, 0, 0, a, b};
    // The rows of a clipped figure are only those in sight: not kept.
    if (clipTrace_) {
        bandRows(shape, radius);
        return band_;
    }
    const FigureKey key{5, box.left(), box.top(), box.width(), box.height(), int(2 * radius), 0, 0};
    if (const std::vector<BandRow>* found = ellipseBands_.find(key))
        return *found;
    bandRows(shape, radius);
    if (figureRuns_ + band_.size() > maxFigureRuns)
        forgetFigures();
    figureRuns_ += band_.size();
    return ellipseBands_.insert(key, band_);
}

// Fills inner_ with the inside of a polygon as Qt fills it in alternate mode: a pixel is
// in when its centre has an odd number of edges to its left, ties going as in
// pixelAfter(). The points are pixel corners, or pixel centres when centred. Positions
// are doubled so that everything stays in whole numbers.
void GdiCanvas::fillPolygon(const QList<QPoint>& points, bool centred) {
    inner_.clear();
    const qsizetype n = points.size();
    const int shift = centred ? 1 : 0;
    int top = INT_MAX, bottom = INT_MIN;
    for (const QPoint& p : points) {
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    // Rows out of sight are skipped.
    const int last = std::min(bottom, figureArea_.bottom());
    for (int y = std::max(top - 1, figureArea_.top()); y <= last; ++y) {
        const qint64 sampleY = 2 * qint64(y) + 1; // the row's pixel centres
        crossings_.clear();
        for (qsizetype i = 0; i < n; ++i) {
            QPoint lo = points[i], hi = points[(i + 1) % n];
            if (lo.y() > hi.y())
                std::swap(lo, hi);
            const qint64 loY = 2 * qint64(lo.y()) + shift, hiY = 2 * qint64(hi.y()) + shift;
            if (sampleY <= loY || sampleY > hiY)
                continue;
            // The crossing is x = loX + num / den; the first pixel right of it follows.
            const qint64 loX = 2 * qint64(lo.x()) + shift;
            const qint64 num = (sampleY - loY) * 2 * (qint64(hi.x()) - lo.x());
            const qint64 den = hiY - loY;
            crossings_.push_back(int(floorDiv(loX * den + num - den, 2 * den)) + 1);
        }
        std::sort(crossings_.begin(), crossings_.end());
        for (size_t k = 0; k + 1 < crossings_.size(); k += 2)
            if (crossings_[k] < crossings_[k + 1])
                inner_.emplace_back(crossings_[k], y, crossings_[k + 1] - crossings_[k], 1);
    }
}

const GdiCanvas::Figure* GdiCanvas::findFigure(const FigureKey& key) const {
    // Selection handles ask for the same dot eight times in a row.
    if (lastFigure_ && key == lastKey_)
        return lastFigure_;
    const Figure* found = figures_.find(key);
    if (!found)
        return nullptr;
    lastKey_ = key;
    lastFigure_ = found;
    return found;
}

// Keeps ring_ and inner_ as the figure of key.
const GdiCanvas::Figure& GdiCanvas::keepFigure(const FigureKey& key) {
    const size_t runs = ring_.size() + inner_.size();
    if (figureRuns_ + runs > maxFigureRuns)
        forgetFigures();
    figureRuns_ += runs;
    return figures_.insert(key, Figure{ring_, inner_});
}

void GdiCanvas::forgetFigures() {
    figures_.clear();
    ellipseBands_.clear();
    figureRuns_ = 0;
    lastFigure_ = nullptr;
}

// Whether a figure reaching over `reach` on the device is traced only where the device shows
// it, rather than whole and kept: then traceClip_ holds the device's pixels relative to
// `origin`, where the figure is traced from.
bool GdiCanvas::clipTracing(const QRect& reach, QPoint origin) {
    const QRect area = device_ ? QRect(0, 0, device_->width(), device_->height()) : QRect();
    const int dx = std::max(area.width(), kWholeFigureSlack);
    const int dy = std::max(area.height(), kWholeFigureSlack);
    clipTrace_ = !area.adjusted(-dx, -dy, dx, dy).contains(reach);
    traceClip_ = area.translated(-origin);
    return clipTrace_;
}

// The runs just traced, as a figure of their own that is not kept.
const GdiCanvas::Figure& GdiCanvas::clippedFigure() {
    clipTrace_ = false;
    clipped_.ring.swap(ring_);
    clipped_.inner.swap(inner_);
    clipped_.disjoint = -1;
    return clipped_;
}

void GdiCanvas::addClippedRun(std::vector<QRect>& runs, int y, int left, int right) const {
    left = std::max(left, traceClip_.left());
    right = std::min(right, traceClip_.right());
    if (left <= right)
        runs.emplace_back(left, y, right - left + 1, 1);
}

// What traceBox() finds for the box, on the rows and columns of traceClip_ only.
void GdiCanvas::traceBoxRows(const QRect& box, int cornerWidth, int cornerHeight) {
    ring_.clear();
    inner_.clear();
    const BoxRows rows(box, cornerWidth, cornerHeight);
    const int mirror = box.left() + box.right();
    const int top = std::max(box.top(), traceClip_.top());
    const int bottom = std::min(box.bottom(), traceClip_.bottom());
    for (int y = top; y <= bottom; ++y) {
        int start, end;
        rows.run(y <= rows.y0 + rows.half ? y - rows.y0 : rows.y1 - y, start, end);
        if (mirror - end <= end + 1) {
            addClippedRun(ring_, y, start, mirror - start);
        } else {
            addClippedRun(ring_, y, start, end);
            addClippedRun(ring_, y, mirror - end, mirror - start);
            addClippedRun(inner_, y, end + 1, mirror - end - 1);
        }
    }
}

// The dashes walkBox() and dashWalk() put on the outline of the box, in ring_, on the rows and
// columns of traceClip_ only.
void GdiCanvas::dashBoxRows(const QRect& box, int cornerWidth, int cornerHeight) {
    ring_.clear();
    const Dash* d = dash();
    BoxRows rows(box, cornerWidth, cornerHeight);
    rows.prepareWalk();
    rows.visit(traceClip_, true, [&](int x, int y, qint64 place) {
        if (!dashOn(*d, int(place % d->period)))
            return;
        if (!ring_.empty() && ring_.back().top() == y && ring_.back().right() == x - 1)
            ring_.back().setRight(x);
        else
            ring_.emplace_back(x, y, 1, 1);
    });
}

// What traceArc() finds with a thin pen, on the rows and columns of traceClip_ only.
void GdiCanvas::traceArcRows(const QRect& box, double start, double sweep) {
    ring_.clear();
    inner_.clear();
    const ArcSweep arcSweep((box.left() + box.right()) / 2.0, (box.top() + box.bottom()) / 2.0,
                            start, sweep);
    BoxRows rows(box, wholeBox, wholeBox);
    auto add = [this](int x, int y) {
        if (!ring_.empty() && ring_.back().top() == y && ring_.back().right() == x - 1)
            ring_.back().setRight(x);
        else
            ring_.emplace_back(x, y, 1, 1);
    };
    const Dash* d = dash();
    if (!d) {
        rows.visit(traceClip_, false, [&](int x, int y, qint64) {
            if (arcSweep.holds(x, y))
                add(x, y);
        });
        return;
    }
    // Dashes count from the first pixel of the walk past the start's radial, over the pixels in
    // the sweep. Along the walk directions turn one way, so the pixels past the radial are one
    // stretch of it, whose start lies between any pixel before the radial and any past it; the
    // pixels in the sweep are one stretch too.
    rows.prepareWalk();
    const qint64 length = rows.length;
    auto at = [&](qint64 place) { return rows.pixelAt((place % length + length) % length); };
    auto past = [&](qint64 place) {
        const QPoint p = at(place);
        return arcSweep.afterStart(p.x(), p.y());
    };
    auto swept = [&](qint64 place) {
        const QPoint p = at(place);
        return arcSweep.holds(p.x(), p.y());
    };
    // The first place after `from`, up to `to`, where `holds` is true; it is false at `from`.
    auto next = [&](qint64 from, qint64 to, auto holds) {
        qint64 no = 0, yes = (to - from + length) % length;
        while (yes - no > 1) {
            const qint64 middle = no + (yes - no) / 2;
            (holds(from + middle) ? yes : no) = middle;
        }
        return (from + yes) % length;
    };
    qint64 first = 0;
    if (!past(0) || past(length - 1)) {
        qint64 before = -1, after = -1;
        for (int i = 0; i < 8; ++i)
            (past(length * i / 8) ? after : before) = length * i / 8;
        if (before >= 0 && after >= 0)
            first = next(before, after, past);
    }
    struct Seen {
        int x, y;
        qint64 place;
    };
    std::vector<Seen> seen;
    rows.visit(traceClip_, true, [&](int x, int y, qint64 place) {
        if (arcSweep.holds(x, y))
            seen.push_back({x, y, place});
    });
    if (seen.empty())
        return;
    qint64 sweepStart = first, sweepLength = length;
    qint64 outside = -1;
    for (int i = -1; i < 8 && outside < 0; ++i) {
        const qint64 place = i < 0 ? (first + length - 1) % length : length * i / 8;
        if (!swept(place))
            outside = place;
    }
    if (outside >= 0) {
        const qint64 inside = seen.front().place;
        sweepStart = next(outside, inside, swept);
        const qint64 sweepEnd = next(inside, outside, [&](qint64 place) { return !swept(place); });
        sweepLength = (sweepEnd - sweepStart + length) % length;
    }
    const qint64 firstInSweep = (first - sweepStart + length) % length;
    for (const Seen& p : seen) {
        // The pixel's place in the sweep, counted from the first pixel past the start's radial.
        const qint64 inSweep = (p.place - sweepStart + length) % length;
        qint64 index = inSweep;
        if (firstInSweep < sweepLength)
            index = inSweep >= firstInSweep ? inSweep - firstInSweep
                                            : sweepLength - firstInSweep + inSweep;
        if (dashOn(*d, int(index % d->period)))
            add(p.x, p.y);
    }
}

// How far right and down on the device the wide outline of the box reaches.
QPoint GdiCanvas::wideBoxReach(const QRect& box, int cornerWidth, int cornerHeight, int pen) {
    QPoint reach(0, 0);
    const int pad = pen + 2;
    if (!clipTracing(box.adjusted(-pad, -pad, pad, pad), box.topLeft())) {
        for (const QRect& r : wideBoxFigure(box, cornerWidth, cornerHeight, pen).ring)
            reach = QPoint(std::max(reach.x(), box.left() + r.right()),
                           std::max(reach.y(), box.top() + r.bottom()));
        return reach;
    }
    // Too large to trace whole: the outline reaches furthest right on its middle rows, and it
    // narrows row after row below them, so its last row is found by halving.
    const Shape shape = shapeOf(QRect(QPoint(), box.size()), cornerWidth, cornerHeight);
    const double radius = pen / 2.0;
    auto rows = [&](int top, int bottom) {
        traceClip_ = QRect(QPoint(INT_MIN / 4, top), QPoint(INT_MAX / 4, bottom));
        bandRows(shape, radius);
        for (const BandRow& row : band_)
            if (row.innerLeft < row.innerEnd || row.outerLeft < row.outerEnd)
                return row;
        return BandRow{INT_MIN, 0, 0, 0, 0};
    };
    const int middle = int(std::ceil(shape.cy));
    for (int y = int(std::floor(shape.cy)) - 1; y <= middle + 1; ++y)
        if (const BandRow row = rows(y, y); row.y != INT_MIN)
            reach = QPoint(std::max(reach.x(), box.left() + row.outerEnd - 1),
                           std::max(reach.y(), box.top() + y));
    const int last = pixelAfter(shape.cy + shape.dy + shape.ry + radius) - 1;
    const qint64 end = firstTrue(middle + 2, last, middle + 2,
                                 [&](qint64 y) { return rows(int(y), int(y)).y == INT_MIN; });
    if (end - 1 > middle + 1)
        reach.setY(std::max(reach.y(), box.top() + int(end - 1)));
    clipTrace_ = false;
    return reach;
}

// Whether no pixel lies in two of the runs.
bool GdiCanvas::runsDisjoint(const std::vector<QRect>& ring, const std::vector<QRect>& inner) {
    std::vector<Span> rows;
    for (const auto* runs : {&ring, &inner})
        for (const QRect& r : *runs)
            for (int y = r.top(); y <= r.bottom(); ++y)
                rows.push_back({y, r.left(), r.right()});
    std::sort(rows.begin(), rows.end(), [](const Span& a, const Span& b) {
        return a.y != b.y ? a.y < b.y : a.left < b.left;
    });
    for (size_t i = 1; i < rows.size(); ++i)
        if (rows[i].y == rows[i - 1].y && rows[i].left <= rows[i - 1].right)
            return false;
    return true;
}

void GdiCanvas::moveTo(int x, int y) {
    penPos_ = QPoint(x, y);
    linePhase_ = 0;
}

void GdiCanvas::lineTo(int x, int y) {
    const QPoint from = penPos_, to(x, y);
    penPos_ = to;
    const int width = lineWidth();
    if (penStyle_ == PenClear || (from == to && width == 1))
        return;
    if (vectorOutput()) {
        vectorLine(from, to);
        return;
    }
    const int pad = width + 2;
    const QRect bounds(QPoint(std::min(from.x(), x) - pad, std::min(from.y(), y) - pad),
                       QPoint(std::max(from.x(), x) + pad, std::max(from.y(), y) + pad));
    if (width > 1 && from == to) {
        // Round ends still make a dot of a wide line without length: selection handles. It is
        // the disc of the pen's width, outline and inside.
        const QPoint corner = from - QPoint((width - 1) / 2, (width - 1) / 2);
        const Figure& dot =
            thinBoxFigure(QRect(corner, QSize(width, width)), width, width, 0, width + 2);
        if (!beginFigure(bounds, dot))
            return;
        paint(dot.ring, Source::Pen, true, corner);
        paint(dot.inner, Source::Pen, true, corner);
        endFigure();
        return;
    }
    // A line's pixels, thin or wide, are each painted once.
    if (!beginFigure(bounds, true))
        return;
    ring_.clear();
    if (width > 1) {
        addCapsule(from, to, width / 2.0);
        mergeSpans(ring_);
        paint(ring_, Source::Pen);
    } else {
        traceLine(from, to, linePhase_);
        paint(ring_, Source::Pen);
    }
    endFigure();
}

// The runs of a box of the given size outlined with a wide pen, traced at the origin: the
// figure is the same wherever the box lies.
const GdiCanvas::Figure& GdiCanvas::wideBoxFigure(const QRect& box, int cornerWidth,
                                                  int cornerHeight, int pen) {
    const QSize size = box.size();
    const int pad = pen + 2;
    if (clipTracing(box.adjusted(-pad, -pad, pad, pad), box.topLeft())) {
        wideBox(shapeOf(QRect(QPoint(), size), cornerWidth, cornerHeight), pen / 2.0);
        return clippedFigure();
    }
    const FigureKey key{0,
                        size.width(),
                        size.height(),
                        std::min(cornerWidth, size.width()),
                        std::min(cornerHeight, size.height()),
                        pen,
                        0,
                        0};
    if (const Figure* figure = findFigure(key))
        return *figure;
    wideBox(shapeOf(QRect(QPoint(), size), cornerWidth, cornerHeight), pen / 2.0);
    return keepFigure(key);
}

void GdiCanvas::boxFigure(int left, int top, int right, int bottom, int cornerWidth,
                          int cornerHeight) {
    QRect box = pixelBox(left, top, right, bottom);
    const bool outline = penStyle_ != PenClear;
    const bool filled = brushStyle_ != BrushClear;
    if (box.isEmpty() || (!outline && !filled))
        return;
    if (vectorOutput()) {
        vectorBox(box, cornerWidth, cornerHeight);
        return;
    }
    int pen = lineWidth();
    if (outline && penStyle_ == PenInsideFrame && pen > 1) {
        // An inside-frame pen stays within the box: the figure shrinks, corners included,
        // until the pen's outer edge meets the box's edges. A pen wider than the box is
        // narrowed to it.
        const QRect field = box;
        pen = std::min({pen, box.width(), box.height()});
        const int inset = (pen - 1) / 2;
        box.adjust(inset, inset, -inset, -inset);
        cornerWidth = std::max(0, cornerWidth - (pen - 1));
        cornerHeight = std::max(0, cornerHeight - (pen - 1));
        if (pen % 2 == 0) {
            // An even pen reaches one pixel further right and down than left and up where
            // the outline runs straight: there the figure gives up one more pixel.
            const QPoint reach = wideBoxReach(box, cornerWidth, cornerHeight, pen);
            box.adjust(0, 0, reach.x() > field.right() ? -1 : 0,
                       reach.y() > field.bottom() ? -1 : 0);
        }
    }
    // A wide pen is centred on the outline through the centres of the edge pixels.
    const int pad = pen + 2;
    const Figure& figure =
        outline && pen > 1
            ? wideBoxFigure(box, cornerWidth, cornerHeight, pen)
            : thinBoxFigure(box, cornerWidth, cornerHeight, outline && dash() ? penStyle_ : 0, pad);
    if (!beginFigure(box.adjusted(-pad, -pad, pad, pad), figure))
        return;
    paint(figure.inner, Source::Brush, false, box.topLeft());
    paint(figure.ring, outline ? Source::Pen : Source::Brush, true, box.topLeft());
    endFigure();
}

// The runs of a box of the given size outlined with a one-pixel pen, dashed in the given
// style (0: not dashed), traced at the origin.
const GdiCanvas::Figure& GdiCanvas::thinBoxFigure(const QRect& box, int cornerWidth,
                                                  int cornerHeight, int dashStyle, int pad) {
    const QSize size = box.size();
    if (clipTracing(box.adjusted(-pad, -pad, pad, pad), box.topLeft())) {
        const QRect at(QPoint(), size);
        traceBoxRows(at, cornerWidth, cornerHeight);
        if (dashStyle)
            dashBoxRows(at, cornerWidth, cornerHeight);
        return clippedFigure();
    }
    const FigureKey key{2,
                        size.width(),
                        size.height(),
                        std::min(cornerWidth, size.width()),
                        std::min(cornerHeight, size.height()),
                        dashStyle,
                        0,
                        0};
    if (const Figure* figure = findFigure(key))
        return *figure;
    const QRect at(QPoint(), size);
    traceBox(at, cornerWidth, cornerHeight);
    if (dashStyle) {
        walkBox(at);
        dashWalk(0);
    }
    return keepFigure(key);
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
    if (vectorOutput()) {
        vectorArc(box, QPoint(startX, startY), QPoint(endX, endY));
        return;
    }
    // Traced at the origin, with its ends relative to the box, an arc is the same wherever the
    // box lies.
    const QPoint origin = box.topLeft();
    const int width = lineWidth();
    const QPoint start(startX - origin.x(), startY - origin.y());
    const QPoint end(endX - origin.x(), endY - origin.y());
    const FigureKey key =
        width > 1
            ? FigureKey{1, box.width(), box.height(), width, start.x(), start.y(), end.x(), end.y()}
            : FigureKey{4,         box.width(), box.height(), start.x(),
                        start.y(), end.x(),     end.y(),      dash() ? penStyle_ : 0};
    const int pad = width + 2;
    const Figure* figure = nullptr;
    if (clipTracing(box.adjusted(-pad, -pad, pad, pad), origin)) {
        traceArc(QRect(QPoint(), box.size()), start, end);
        figure = &clippedFigure();
    } else if (figure = findFigure(key); !figure) {
        traceArc(QRect(QPoint(), box.size()), start, end);
        figure = &keepFigure(key);
    }
    if (!beginFigure(box.adjusted(-pad, -pad, pad, pad), *figure))
        return;
    paint(figure->ring, Source::Pen, true, origin);
    endFigure();
}

// Traces in ring_ the arc of box from the radial through startPoint counter-clockwise to the
// radial through endPoint, with the current pen.
void GdiCanvas::traceArc(const QRect& box, QPoint startPoint, QPoint endPoint) {
    const double cx = (box.left() + box.right()) / 2.0, cy = (box.top() + box.bottom()) / 2.0;
    const double start = angleFrom(cx, cy, startPoint.x(), startPoint.y());
    double sweep = sweepOffset(start, angleFrom(cx, cy, endPoint.x(), endPoint.y()));
    if (sweep < 1e-9)
        sweep = 2 * pi; // the same radial twice: the whole ellipse
    if (lineWidth() > 1) {
        inner_.clear();
        wideArc(box, start, sweep, lineWidth() / 2.0);
        return;
    }
    if (clipTrace_) {
        traceArcRows(box, start, sweep);
        return;
    }
    // The pixels of the ellipse's own outline whose direction lies in the sweep, so an
    // arc matches the ellipse drawn in the same box.
    const ArcSweep arcSweep(cx, cy, start, sweep);
    auto afterStart = [&](int x, int y) { return arcSweep.afterStart(x, y); };
    auto inSweep = [&](int x, int y) { return arcSweep.holds(x, y); };
    traceBox(box, wholeBox, wholeBox);
    if (!dash()) {
        inner_.clear();
        for (const QRect& r : ring_)
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x) {
                    if (!inSweep(x, y))
                        continue;
                    if (!inner_.empty() && inner_.back().top() == y &&
                        inner_.back().right() == x - 1)
                        inner_.back().setRight(x);
                    else
                        inner_.emplace_back(x, y, 1, 1);
                }
        ring_.swap(inner_);
        inner_.clear();
        return;
    }
    // Dashes run counter-clockwise from the start: the walk is turned to begin where it
    // crosses the start's radial, and keeps the pixels in the sweep.
    walkBox(box);
    const size_t count = walk_.size();
    size_t first = 0;
    for (size_t i = 0; i < count; ++i) {
        const QPoint& p = walk_[i];
        const QPoint& before = walk_[(i + count - 1) % count];
        if (afterStart(p.x(), p.y()) && !afterStart(before.x(), before.y())) {
            first = i;
            break;
        }
    }
    std::rotate(walk_.begin(), walk_.begin() + qsizetype(first), walk_.end());
    walk_.erase(std::remove_if(walk_.begin(), walk_.end(),
                               [&](const QPoint& p) { return !inSweep(p.x(), p.y()); }),
                walk_.end());
    dashWalk(0);
    inner_.clear();
}

void GdiCanvas::polygon(const QList<QPoint>& points) {
    const bool outline = penStyle_ != PenClear;
    const bool filled = brushStyle_ != BrushClear;
    if (points.size() < 2 || (!outline && !filled))
        return;
    if (vectorOutput()) {
        vectorPolygon(points, true);
        return;
    }
    const int pad = lineWidth() + 2;
    const QRect bounds = QPolygon(points).boundingRect().adjusted(-pad, -pad, pad, pad);
    if (!beginFigure(bounds))
        return;
    if (filled) {
        // Filled as before the pen: from pixel corners under a thin pen, from pixel
        // centres under a wide one, which is centred on them.
        fillPolygon(points, outline && lineWidth() > 1);
        paint(inner_, Source::Brush, false);
    }
    if (outline) {
        ring_.clear();
        const qsizetype n = points.size();
        if (lineWidth() > 1) {
            for (qsizetype i = 0; i < n; ++i)
                addCapsule(points[i], points[(i + 1) % n], lineWidth() / 2.0);
            mergeSpans(ring_);
        } else {
            // Closed like a polyline back to the first point, which the first side drew.
            int phase = 0;
            for (qsizetype i = 0; i < n; ++i)
                traceLine(points[i], points[(i + 1) % n], phase);
        }
        paint(ring_, Source::Pen);
    }
    endFigure();
}

void GdiCanvas::polyline(const QList<QPoint>& points) {
    if (points.size() < 2 || penStyle_ == PenClear)
        return;
    if (vectorOutput()) {
        vectorPolygon(points, false);
        return;
    }
    const int pad = lineWidth() + 2;
    const QRect bounds = QPolygon(points).boundingRect().adjusted(-pad, -pad, pad, pad);
    if (!beginFigure(bounds))
        return;
    ring_.clear();
    if (lineWidth() > 1) {
        // Round joins are the round ends of the sides meeting.
        for (qsizetype i = 1; i < points.size(); ++i)
            addCapsule(points[i - 1], points[i], lineWidth() / 2.0);
        mergeSpans(ring_);
    } else {
        // Each segment leaves out its last pixel, which the next segment starts on.
        int phase = 0;
        for (qsizetype i = 1; i < points.size(); ++i)
            traceLine(points[i - 1], points[i], phase);
    }
    paint(ring_, Source::Pen);
    endFigure();
}

void GdiCanvas::fillRect(int left, int top, int right, int bottom) {
    const QRect box = pixelBox(left, top, right, bottom);
    if (box.isEmpty() || brushStyle_ == BrushClear)
        return;
    QPainter* p = painter();
    if (!p)
        return;
    if (deviceRaster_.bits) {
        fillRaster(deviceRaster_, box, brushPixel(), brushHatch());
        return;
    }
    if (vector_ && brushHatch())
        p->setBrushOrigin(hatchBrushOrigin());
    p->fillRect(box, brush());
}

GdiCanvas::FontEntry& GdiCanvas::currentFont() const {
    if (!font_) {
        // The pixel size, as font() rounds it, and the style flags font() uses.
        const int pixels = fontPixels();
        const QString key = fontName_ + QLatin1Char('/') + QString::number(pixels) +
                            QLatin1Char('/') + QString::number(fontStyle_ & 15);
        if (auto found = fontCache_.constFind(key); found != fontCache_.constEnd()) {
            font_ = *found;
        } else {
            if (fontCache_.size() >= 256) {
                fontCache_.clear();
                cachedTexts_ = 0;
            }
            QFont f = font();
            // Drawn without grey edges like the rest of the canvas.
            f.setStyleStrategy(QFont::NoAntialias);
            font_ = std::make_shared<FontEntry>(f);
            fontCache_.insert(key, font_);
        }
    }
    return *font_;
}

// Room around a text's cell for glyphs that reach out of it: italics, accents, negative
// bearings.
int GdiCanvas::textMargin(const FontEntry& font) {
    return std::max(8, font.font.pixelSize());
}

// White sheet pixels of the given size, with the text drawn in black from `at`.
void GdiCanvas::drawOnSheet(const FontEntry& font, QSize size, QPointF at,
                            const QString& text) const {
    if (textSheet_.width() < size.width() || textSheet_.height() < size.height())
        textSheet_ = QImage(std::max(size.width(), textSheet_.width()),
                            std::max(size.height(), textSheet_.height()), QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        fillPixels(reinterpret_cast<quint32*>(textSheet_.scanLine(y)), size.width(), 0xFFFFFFFFu);
    QPainter p(&textSheet_);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setFont(font.font);
    p.setPen(Qt::black);
    p.drawText(at, text);
}

// The text drawn once by QPainter on a white sheet, its pixels kept: drawing it again
// at any whole-pixel position inks the same pixels, moved.
const GdiCanvas::TextEntry& GdiCanvas::textEntry(FontEntry& font, const QString& text) const {
    auto found = font.texts.constFind(text);
    if (found != font.texts.constEnd())
        return *found;
    if (++cachedTexts_ > maxCachedTexts) {
        for (const auto& entry : std::as_const(fontCache_))
            entry->texts.clear();
        cachedTexts_ = 1;
    }
    TextEntry entry;
    entry.advance = font.metrics.horizontalAdvance(text);
    const int margin = textMargin(font);
    const QSize size(entry.advance + 2 * margin, font.metrics.height() + 2 * margin);
    drawOnSheet(font, size, QPoint(margin, margin + font.metrics.ascent()), text);
    for (int y = 0; y < size.height(); ++y) {
        const auto* line = reinterpret_cast<const quint32*>(textSheet_.constScanLine(y));
        for (int x = firstInk(line, 0, size.width()); x < size.width();
             x = firstInk(line, x, size.width())) {
            const int left = x;
            while (x < size.width() && line[x] != 0xFFFFFFFFu)
                ++x;
            entry.ink.push_back({y - margin, left - margin, x - 1 - margin});
        }
    }
    return *font.texts.insert(text, std::move(entry));
}

// Which characters of a text drawn from x can ink the columns of `area`. Qt shapes a text in
// items of textItemLength characters, so items are measured one by one, exactly, and the
// text is laid out no further than it can be seen. Inside an item, where it is cut, a
// character's place may be off by a kerning pair, which the glyph margin covers.
GdiCanvas::TextRun GdiCanvas::visibleRun(const FontEntry& font, const QString& text, int x,
                                         const QRect& area) const {
    TextRun run;
    const qsizetype size = text.size();
    const int margin = textMargin(font);
    if (size <= textItemLength && font.texts.contains(text)) {
        run.whole = true;
        return run;
    }
    // On paper, a text that cannot be wider than the device at the font's widest advance is
    // drawn whole without measuring it first: a measure costs as much as the drawing.
    if (vector_ && qint64(size) * font.metrics.maxWidth() <= area.width()) {
        run.whole = true;
        return run;
    }
    // A text no wider than the device is drawn whole, and its pixels kept.
    double total = 0;
    bool fits = true;
    for (qsizetype at = 0; at < size && fits; at += textItemLength) {
        total += font.metricsF.horizontalAdvance(text.mid(at, textItemLength));
        fits = total <= area.width();
    }
    if (fits) {
        run.whole = true;
        return run;
    }
    const double firstSeen = area.left() - margin - x;     // text positions before it stay out
    const double lastSeen = area.right() + 1 + margin - x; // characters from it on stay out
    auto width = [&](qsizetype from, qsizetype count) {
        return font.metricsF.horizontalAdvance(text.mid(from, count));
    };
    // The first count in [low, high] whose prefix of the item at `item` reaches `limit`.
    auto reach = [&](qsizetype item, qsizetype low, qsizetype high, double limit) {
        qsizetype step = 1;
        while (low + step < high && width(item, low + step) < limit)
            step *= 2;
        qsizetype from = low + step / 2, to = std::min(low + step, high);
        while (from < to) {
            const qsizetype middle = from + (to - from) / 2;
            if (width(item, middle) < limit)
                from = middle + 1;
            else
                to = middle;
        }
        return from;
    };
    double position = 0;
    qsizetype item = 0;
    run.to = size;
    bool started = false;
    for (; item < size; item += textItemLength) {
        const qsizetype count = std::min<qsizetype>(textItemLength, size - item);
        const double itemWidth = width(item, count);
        if (!started && position + itemWidth > firstSeen) {
            // Characters that end out of sight on the left are skipped.
            const qsizetype skipped =
                std::max<qsizetype>(0, reach(item, 0, count, firstSeen - position) - 1);
            run.from = item + skipped;
            run.left = position + (skipped ? width(item, skipped) : 0);
            started = true;
        }
        if (started && position + itemWidth >= lastSeen) {
            const qsizetype first = run.from > item ? run.from - item : 0;
            const qsizetype reached = reach(item, first, count, lastSeen - position);
            run.to = item + reached;
            run.right = position + width(item, reached);
            run.cellEnd = INT_MAX; // the cell runs on out of sight
            return run;
        }
        position += itemWidth;
    }
    if (!started)
        run.from = run.to = size;
    run.right = position;
    run.cellEnd = x + qRound(position);
    return run;
}

void GdiCanvas::textOut(int x, int y, const QString& text) {
    QPainter* p = painter();
    if (!p || text.isEmpty())
        return;
    FontEntry& font = currentFont();
    const QRect area =
        deviceRaster_.bits ? deviceRaster_.area : QRect(0, 0, device_->width(), device_->height());
    const int margin = textMargin(font);
    const int height = font.metrics.height();
    // A text out of sight, glyph margins included, is not laid out at all.
    if (y - margin > area.bottom() || y + height + margin <= area.top() ||
        x - margin > area.right())
        return;
    TextRun run = visibleRun(font, text, x, area);
    if (run.whole && deviceRaster_.bits && !font.texts.contains(text)) {
        // A font larger than the device would make the sheet a text is kept from, glyph
        // margins included, far larger than the device: the text is drawn where it shows only.
        const qint64 side = 2 * qint64(margin);
        if ((area.width() + side) * (height + side) >
            std::max<qint64>(4 * qint64(area.width()) * area.height(), 1 << 20)) {
            run.whole = false;
            run.to = text.size();
            run.right = font.metricsF.horizontalAdvance(text);
            run.cellEnd = x + qint64(font.metrics.horizontalAdvance(text));
        }
    }
    const quint32 ink = pixelOf(fontColor_);
    if (!run.whole) {
        // Wider than the device: only what can show is laid out and drawn, so the cost
        // follows the device's size and not the text's.
        const QRect cell(QPoint(x, y), QPoint(std::min<qint64>(run.cellEnd, area.right() + 1) - 1,
                                              y + height - 1));
        const QString shown = text.mid(run.from, run.to - run.from);
        const QPointF at(x + run.left, y + font.metrics.ascent());
        if (!deviceRaster_.bits) {
            if (brushStyle_ != BrushClear)
                p->fillRect(cell & area, colorFromRef(brushColor_));
            p->setFont(font.font);
            p->setPen(textPen_);
            p->drawText(at, shown);
            return;
        }
        if (brushStyle_ != BrushClear)
            fillRaster(deviceRaster_, cell, brushPixel(), nullptr);
        const QRect sheet =
            QRect(QPoint(int(std::floor(x + run.left)) - margin, y - margin),
                  QPoint(int(std::ceil(x + run.right)) + margin, y + height + margin - 1)) &
            area;
        if (shown.isEmpty() || sheet.isEmpty())
            return;
        drawOnSheet(font, sheet.size(), at - QPointF(sheet.topLeft()), shown);
        for (int row = 0; row < sheet.height(); ++row) {
            const auto* line = reinterpret_cast<const quint32*>(textSheet_.constScanLine(row));
            quint32* target = deviceRaster_.pixel(sheet.left(), sheet.top() + row);
            for (int i = firstInk(line, 0, sheet.width()); i < sheet.width();
                 i = firstInk(line, i + 1, sheet.width()))
                target[i] = ink;
        }
        return;
    }
    if (!deviceRaster_.bits) {
        if (brushStyle_ != BrushClear)
            p->fillRect(QRect(x, y, font.metrics.horizontalAdvance(text), height),
                        colorFromRef(brushColor_));
        p->setFont(font.font);
        p->setPen(textPen_);
        p->drawText(QPoint(x, y + font.metrics.ascent()), text);
        return;
    }
    const TextEntry& entry = textEntry(font, text);
    // The cell takes the brush's colour whatever its hatch.
    if (brushStyle_ != BrushClear)
        fillRaster(deviceRaster_, QRect(x, y, entry.advance, height), brushPixel(), nullptr);
    for (const Span& s : entry.ink) {
        const int row = y + s.y;
        const int left = std::max(x + s.left, area.left());
        const int right = std::min(x + s.right, area.right());
        if (row >= area.top() && row <= area.bottom() && left <= right)
            std::fill_n(deviceRaster_.pixel(left, row), right - left + 1, ink);
    }
}

void GdiCanvas::stretchDraw(int left, int top, int right, int bottom, const QImage& picture) {
    if (picture.isNull())
        return;
    if (vector_) {
        vectorPicture(left, top, right, bottom, picture, picture.size());
        return;
    }
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

void GdiCanvas::stretchDraw(int left, int top, int right, int bottom, const QImage& columns,
                            QSize size) {
    if (size.isEmpty())
        return;
    if (vector_) {
        vectorPicture(left, top, right, bottom, columns, size);
        return;
    }
    if (columns.width() >= size.width() && columns.height() == size.height()) {
        stretchDraw(left, top, right, bottom, columns);
        return;
    }
    const QRect target(QPoint(std::min(left, right), std::min(top, bottom)),
                       QSize(std::abs(right - left), std::abs(bottom - top)));
    QPainter* p = painter();
    if (!p || target.isEmpty())
        return;
    const bool mirrorX = right < left, mirrorY = bottom < top;
    const int known = columns.isNull() ? 0 : columns.width();
    if (!deviceRaster_.bits) {
        p->fillRect(target, Qt::white);
        if (known > 0) {
            // Qt cuts the source rectangle to the columns there are, and the target with it.
            const double from = mirrorX ? known - size.width() : 0;
            p->drawImage(QRectF(target), columns.mirrored(mirrorX, mirrorY),
                         QRectF(from, 0, size.width(), size.height()));
        }
        return;
    }
    const QRect& area = deviceRaster_.area;
    if (size == QSize(1, 1)) {
        // Qt fills the target with a one-pixel picture's colour; here that pixel is white.
        fillRaster(deviceRaster_, target, 0xFFFFFFFFu, nullptr);
        return;
    }
    // The pixels QPainter's nearest-neighbour stretch of the whole picture would set, taken
    // from the columns there are or white past them: the cost follows the target's visible
    // pixels, whatever size the picture declares.
    const double sx = double(size.width()) / target.width();
    const double sy = double(size.height()) / target.height();
    const int ix = int(0x10000 * sx), iy = int(0x10000 * sy);
    const QRect shown = target & area;
    if (shown.isEmpty())
        return;
    const quint32 baseX =
        quint32(int(std::ceil((shown.left() + 0.5 - target.left()) * sx * 65536)) - 1);
    const quint32 baseY =
        quint32(int(std::ceil((shown.top() + 0.5 - target.top()) * sy * 65536)) - 1);
    int width = shown.width(), height = shown.height();
    // Rounding may reach one pixel past the picture: that last column or row is left out.
    if (int((baseY + quint32(iy) * quint32(height - 1)) >> 16) >= size.height())
        --height;
    if (int((baseX + quint32(ix) * quint32(width - 1)) >> 16) >= size.width())
        --width;
    sourceColumns_.resize(size_t(std::max(0, width)));
    for (int i = 0; i < width; ++i) {
        const int column = int((baseX + quint32(ix) * quint32(i)) >> 16);
        const int original = mirrorX ? size.width() - 1 - column : column;
        sourceColumns_[size_t(i)] = original < known ? original : -1;
    }
    int lastRow = -1;
    for (int j = 0; j < height; ++j) {
        const int row = int((baseY + quint32(iy) * quint32(j)) >> 16);
        const int original = mirrorY ? size.height() - 1 - row : row;
        quint32* line = deviceRaster_.pixel(shown.left(), shown.top() + j);
        if (original == lastRow) {
            std::copy_n(line - deviceRaster_.bytesPerLine / 4, width, line);
            continue;
        }
        lastRow = original;
        const auto* source =
            known > 0 ? reinterpret_cast<const quint32*>(columns.constScanLine(original)) : nullptr;
        for (int i = 0; i < width; ++i) {
            const int c = sourceColumns_[size_t(i)];
            line[i] = c >= 0 ? source[c] : 0xFFFFFFFFu;
        }
    }
}

void GdiCanvas::whiten(int left, int top, int right, int bottom) {
    const QRect box = pixelBox(left, top, right, bottom);
    if (box.isEmpty())
        return;
    QPainter* p = painter();
    if (!p)
        return;
    if (deviceRaster_.bits)
        fillRaster(deviceRaster_, box, 0xFFFFFFFF, nullptr);
    else
        p->fillRect(box, Qt::white);
}

QPen GdiCanvas::vectorPen(double width, double dashOffset) const {
    QPen pen(colorFromRef(penColor_), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (const Dash* d = dash()) {
        // In units of the pen's width, which is one pen unit.
        pen.setDashPattern(QList<qreal>(d->lengths, d->lengths + d->count));
        pen.setDashOffset(dashOffset);
        pen.setCapStyle(Qt::FlatCap);
    }
    return pen;
}

void GdiCanvas::applyVectorBrush(QPainter& p) const {
    // Hatches are the screen's 8-pixel tiles with transparent gaps, anchored at the hatch
    // origin: a PDF stores them as small masked images, which every renderer puts on the
    // same pixels as the screen. Qt's own hatch patterns stroke their lines along pixel
    // edges, which renderers shift by half a pixel or break up.
    p.setBrush(brush());
    if (brushHatch())
        p.setBrushOrigin(hatchBrushOrigin());
}

namespace {

// Radii of the corners of a box of the given size whose outline runs through the centres of
// its edge pixels; none when the corners are too small to round.
QSizeF cornerRadii(QSize size, int cornerWidth, int cornerHeight) {
    const double a = (std::min(cornerWidth, size.width()) - 1) / 2.0;
    const double b = (std::min(cornerHeight, size.height()) - 1) / 2.0;
    return a > 0 && b > 0 ? QSizeF(a, b) : QSizeF(0, 0);
}

// A box with elliptic corners, walked counter-clockwise from the middle of its right side as
// the pixel outline is, so that dashes fall where they do on screen.
QPainterPath boxPath(const QRectF& r, QSizeF radii) {
    const double rx = std::min(radii.width(), r.width() / 2);
    const double ry = std::min(radii.height(), r.height() / 2);
    QPainterPath path;
    path.moveTo(r.right(), r.center().y());
    auto side = [&path](double x, double y) {
        if (path.currentPosition() != QPointF(x, y))
            path.lineTo(x, y);
    };
    if (rx > 0 && ry > 0) {
        side(r.right(), r.top() + ry);
        path.arcTo(QRectF(r.right() - 2 * rx, r.top(), 2 * rx, 2 * ry), 0, 90);
        side(r.left() + rx, r.top());
        path.arcTo(QRectF(r.left(), r.top(), 2 * rx, 2 * ry), 90, 90);
        side(r.left(), r.bottom() - ry);
        path.arcTo(QRectF(r.left(), r.bottom() - 2 * ry, 2 * rx, 2 * ry), 180, 90);
        side(r.right() - rx, r.bottom());
        path.arcTo(QRectF(r.right() - 2 * rx, r.bottom() - 2 * ry, 2 * rx, 2 * ry), 270, 90);
    } else {
        side(r.right(), r.top());
        side(r.left(), r.top());
        side(r.left(), r.bottom());
        side(r.right(), r.bottom());
    }
    path.closeSubpath();
    return path;
}

// The centre of the pixel at p: where the pixel outline's geometry puts its points.
QPointF centreOf(QPoint p) {
    return QPointF(p.x() + 0.5, p.y() + 0.5);
}

} // namespace

void GdiCanvas::vectorBox(const QRect& box, int cornerWidth, int cornerHeight) {
    QPainter* p = painter();
    if (!p)
        return;
    const bool outline = penStyle_ != PenClear;
    double pen = vectorWidth();
    QRectF shape;
    QSizeF radii;
    if (!outline) {
        // The brush alone covers the box, edge pixels included.
        shape = QRectF(box);
        radii = cornerRadii(box.size(), cornerWidth, cornerHeight);
        if (!radii.isNull())
            radii += QSizeF(0.5, 0.5);
    } else if (penStyle_ == PenInsideFrame && pen > 1) {
        // The pen's outer edge runs along the box's edges, corners shrinking with it; a pen
        // wider than the box is narrowed to it.
        pen = std::min({pen, double(box.width()), double(box.height())});
        shape = QRectF(box).adjusted(pen / 2.0, pen / 2.0, -pen / 2.0, -pen / 2.0);
        const int inset = int(std::nearbyint(pen)) - 1;
        radii = cornerRadii(box.size() - QSize(inset, inset), std::max(0, cornerWidth - inset),
                            std::max(0, cornerHeight - inset));
    } else {
        // The pen, thin or wide, is centred on the outline through the edge pixels' centres.
        shape = QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5);
        radii = cornerRadii(box.size(), cornerWidth, cornerHeight);
    }
    p->setPen(outline ? vectorPen(pen) : QPen(Qt::NoPen));
    applyVectorBrush(*p);
    // Where the outline has no dashes to place, a plain rectangle is one operator in a PDF.
    if (radii.isNull() && !(outline && dash()))
        p->drawRect(shape);
    else
        p->drawPath(boxPath(shape, radii));
}

void GdiCanvas::vectorArc(const QRect& box, QPoint startPoint, QPoint endPoint) {
    QPainter* p = painter();
    if (!p)
        return;
    // Radials from the centre as the pixel outline takes them, turned into the ellipse's
    // parametric angles, which QPainterPath's arcs count in.
    const double cx = (box.left() + box.right()) / 2.0, cy = (box.top() + box.bottom()) / 2.0;
    const double a = (box.width() - 1) / 2.0, b = (box.height() - 1) / 2.0;
    const double start = angleFrom(cx, cy, startPoint.x(), startPoint.y());
    const double end = angleFrom(cx, cy, endPoint.x(), endPoint.y());
    const bool whole = sweepOffset(start, end) < 1e-9;
    auto parametric = [&](double radial) {
        return std::atan2(a * std::sin(radial), b * std::cos(radial));
    };
    const double from = parametric(start);
    const double sweep = whole ? 2 * pi : sweepOffset(from, parametric(end));
    const QRectF ellipse(cx + 0.5 - a, cy + 0.5 - b, 2 * a, 2 * b);
    QPainterPath path;
    path.arcMoveTo(ellipse, from * 180 / pi);
    path.arcTo(ellipse, from * 180 / pi, sweep * 180 / pi);
    p->setPen(vectorPen(vectorWidth()));
    p->setBrush(Qt::NoBrush);
    p->drawPath(path);
}

void GdiCanvas::vectorLine(QPoint from, QPoint to) {
    QPainter* p = painter();
    if (!p)
        return;
    const double width = vectorWidth();
    if (from == to) {
        // Round ends make a dot of a wide line without length.
        p->setPen(Qt::NoPen);
        p->setBrush(colorFromRef(penColor_));
        p->drawEllipse(centreOf(from), width / 2.0, width / 2.0);
        return;
    }
    // Dashes run on from one line to the next, counted in pen units along the major axis.
    const Dash* d = dash();
    p->setPen(vectorPen(width, linePhase_));
    p->drawLine(centreOf(from), centreOf(to));
    if (d) {
        const double steps = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
        linePhase_ = int(std::fmod(linePhase_ + steps / penScale_, d->period));
    }
}

void GdiCanvas::vectorPolygon(const QList<QPoint>& points, bool closed) {
    QPainter* p = painter();
    if (!p)
        return;
    const bool outline = penStyle_ != PenClear;
    const bool filled = closed && brushStyle_ != BrushClear;
    QPolygonF centres;
    centres.reserve(points.size());
    for (const QPoint& point : points)
        centres.append(centreOf(point));
    if (!closed) {
        p->setPen(vectorPen(vectorWidth()));
        p->drawPolyline(centres);
        return;
    }
    // A wide pen is centred on the pixel centres, and so is the fill under it; under a
    // thin pen, or none, the fill runs through the pixel corners.
    if (outline && penWidth_ > 1) {
        p->setPen(vectorPen(vectorWidth()));
        applyVectorBrush(*p);
        p->drawPolygon(centres, Qt::OddEvenFill);
        return;
    }
    if (filled) {
        QPolygonF corners;
        corners.reserve(points.size());
        for (const QPoint& point : points)
            corners.append(QPointF(point));
        p->setPen(Qt::NoPen);
        applyVectorBrush(*p);
        p->drawPolygon(corners, Qt::OddEvenFill);
    }
    if (outline) {
        p->setPen(vectorPen(vectorWidth()));
        p->setBrush(Qt::NoBrush);
        p->drawPolygon(centres);
    }
}

void GdiCanvas::vectorPicture(int left, int top, int right, int bottom, const QImage& columns,
                              QSize size) {
    const QRect target(QPoint(std::min(left, right), std::min(top, bottom)),
                       QSize(std::abs(right - left), std::abs(bottom - top)));
    QPainter* p = painter();
    if (!p || target.isEmpty() || size.isEmpty())
        return;
    const int known = columns.isNull() ? 0 : std::min(columns.width(), size.width());
    if (known < size.width())
        p->fillRect(target, Qt::white);
    if (known == 0)
        return;
    // The picture's own pixels are mapped onto the target by the painter, mirrored for
    // reversed corners: the PDF stores each picture once, by its QImage's cache key, only if
    // every cell draws that very image, never a copy or a part of it.
    const double sx = double(target.width()) / size.width();
    const double sy = double(target.height()) / size.height();
    const bool mirrorX = right < left, mirrorY = bottom < top;
    p->save();
    p->setRenderHint(QPainter::LosslessImageRendering);
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    p->setTransform(QTransform(mirrorX ? -sx : sx, 0, 0, mirrorY ? -sy : sy,
                               mirrorX ? target.right() + 1 : target.left(),
                               mirrorY ? target.bottom() + 1 : target.top()),
                    true);
    // A PDF maps every picture onto the same square, whatever its pixels: a stand-in drawn
    // into the same rectangle lands exactly where the picture would.
    p->drawImage(QRectF(0, 0, known, size.height()),
                 pictureStandIn_ ? pictureStandIn_(columns) : columns);
    p->restore();
}
