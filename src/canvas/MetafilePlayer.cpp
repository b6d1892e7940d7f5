#include "MetafilePlayer.h"

#include "GdiCanvas.h"

#include <QFontMetrics>
#include <QLineF>
#include <QList>
#include <QPointF>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace {

// Record numbers, map modes and object codes of the Windows metafile formats.
enum WmfRecord : quint16 {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_CREATEPALETTE = 0x00F7,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_RESTOREDC = 0x0127,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_OFFSETWINDOWORG = 0x020F,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_SCALEWINDOWEXT = 0x0410,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C,
    META_PATBLT = 0x061D,
    META_CREATEREGION = 0x06FF,
    META_ARC = 0x0817,
    META_PIE = 0x081A,
    META_CHORD = 0x0830,
    META_DIBBITBLT = 0x0940,
    META_EXTTEXTOUT = 0x0A32,
    META_DIBSTRETCHBLT = 0x0B41,
    META_STRETCHDIB = 0x0F43,
};

enum EmfRecord : quint32 {
    EMR_HEADER = 1,
    EMR_POLYBEZIER = 2,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6,
    EMR_POLYPOLYLINE = 7,
    EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_EOF = 14,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_MOVETOEX = 27,
    EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_ARC = 45,
    EMR_CHORD = 46,
    EMR_PIE = 47,
    EMR_CREATEPALETTE = 49,
    EMR_LINETO = 54,
    EMR_ARCTO = 55,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62,
    EMR_STROKEANDFILLPATH = 63,
    EMR_STROKEPATH = 64,
    EMR_SELECTCLIPPATH = 67,
    EMR_ABORTPATH = 68,
    EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77,
    EMR_SETDIBITSTODEVICE = 80,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88,
    EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91,
    EMR_CREATEMONOBRUSH = 93,
    EMR_CREATEDIBPATTERNBRUSHPT = 94,
    EMR_EXTCREATEPEN = 95,
};

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr quint32 kEmfSignature = 0x464D4520; // " EMF"

enum MapMode {
    MM_TEXT = 1,
    MM_LOMETRIC,
    MM_HIMETRIC,
    MM_LOENGLISH,
    MM_HIENGLISH,
    MM_TWIPS,
    MM_ISOTROPIC,
    MM_ANISOTROPIC
};
enum BrushKind { BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2 };
enum { PS_NULL = 5, PS_GEOMETRIC = 0x00010000 };
enum { TRANSPARENT = 1, OPAQUE = 2 };
enum {
    TA_UPDATECP = 1,
    TA_HORIZONTAL = 6,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_VERTICAL = 24,
    TA_BOTTOM = 8,
    TA_BASELINE = 24
};
enum { ETO_OPAQUE = 0x0002, ETO_CLIPPED = 0x0004, ETO_GLYPH_INDEX = 0x0010 };
enum : quint32 {
    BLACKNESS = 0x00000042,
    DSTCOPY = 0x00AA0029,
    PATCOPY = 0x00F00021,
    WHITENESS = 0x00FF0062
};

// Bezier and ellipse outlines are flattened into this many segments.
constexpr int kCurveSteps = 32;
// SaveDC nesting kept; deeper saves are ignored rather than let a file grow memory.
constexpr std::size_t kMaxSavedStates = 1024;
constexpr int kMaxObjects = 65536;
constexpr qsizetype kMaxPathPoints = qsizetype(1) << 20;
// The largest picture a metafile is rendered into.
constexpr int kMaxSide = 32767;
constexpr qint64 kMaxArea = qint64(1) << 24;

// A natural size from file fields, kept within what an image side can be.
int sideFrom(double pixels) {
    return std::isfinite(pixels) ? int(std::lround(std::clamp(pixels, 0.0, double(1 << 20)))) : 0;
}

// Little-endian fields of one record. Reading past its end yields 0 and marks the
// record damaged, so a handler reads its parameters first and checks once.
class Fields {
public:
    explicit Fields(QByteArrayView bytes) : bytes_(bytes) {}
    qsizetype size() const { return bytes_.size(); }
    bool damaged() const { return damaged_; }
    bool has(qint64 at, qint64 length) const {
        return at >= 0 && length >= 0 && at <= size() && length <= size() - at;
    }
    quint8 u8(qint64 at) { return need(at, 1) ? quint8(bytes_[at]) : 0; }
    quint16 u16(qint64 at) { return need(at, 2) ? quint16(u8(at) | (u8(at + 1) << 8)) : 0; }
    qint16 i16(qint64 at) { return qint16(u16(at)); }
    quint32 u32(qint64 at) {
        return need(at, 4) ? quint32(u16(at)) | (quint32(u16(at + 2)) << 16) : 0;
    }
    qint32 i32(qint64 at) { return qint32(u32(at)); }
    float f32(qint64 at) {
        const quint32 raw = u32(at);
        float value;
        std::memcpy(&value, &raw, sizeof value);
        return value;
    }
    QByteArrayView bytes(qint64 at, qint64 length) {
        return need(at, length) ? bytes_.sliced(at, length) : QByteArrayView();
    }

private:
    bool need(qint64 at, qint64 length) {
        if (has(at, length))
            return true;
        damaged_ = true;
        return false;
    }
    QByteArrayView bytes_;
    bool damaged_ = false;
};

// Texts and face names of a WMF are in the Windows ANSI code page.
QString fromAnsi(QByteArrayView bytes) {
    static constexpr char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0)
            break;
        text.append(b >= 0x80 && b < 0xA0 ? QChar(high[b - 0x80]) : QChar(b));
    }
    return text;
}

QString fromUtf16(Fields& f, qint64 at, qint64 count) {
    QString text;
    if (!f.has(at, 2 * count))
        return text;
    text.reserve(count);
    for (qint64 i = 0; i < count; ++i) {
        const quint16 unit = f.u16(at + 2 * i);
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return text;
}

// A packed DIB (header, colour table, bits) as a picture, through Qt's BMP reader.
QImage dibImage(QByteArrayView header, QByteArrayView bits) {
    Fields h(header);
    const quint32 headerSize = h.u32(0);
    if (h.damaged() || headerSize < 12 || headerSize > quint32(header.size()))
        return {};
    QByteArray file;
    file.reserve(14 + header.size() + bits.size());
    const auto put32 = [&file](quint32 v) {
        for (int i = 0; i < 4; ++i)
            file.append(char((v >> (8 * i)) & 0xFF));
    };
    file.append("BM");
    put32(quint32(14 + header.size() + bits.size()));
    put32(0);
    put32(quint32(14 + header.size()));
    file.append(header.data(), header.size());
    file.append(bits.data(), bits.size());
    return QImage::fromData(file, "BMP");
}

// Splits a packed DIB at the start of its bits.
QImage packedDibImage(QByteArrayView dib) {
    Fields h(dib);
    const quint32 headerSize = h.u32(0);
    qint64 paletteBytes = 0;
    if (headerSize == 12) {
        const int depth = h.u16(10);
        paletteBytes = depth <= 8 ? 3 * (qint64(1) << depth) : 0;
    } else {
        const int depth = h.u16(14);
        const quint32 compression = h.u32(16);
        const quint32 used = h.u32(32);
        const qint64 entries = used ? qint64(used) : (depth <= 8 ? qint64(1) << depth : 0);
        paletteBytes = 4 * entries;
        if (headerSize == 40 && compression == 3)
            paletteBytes += 12; // colour masks follow the short header
        else if (headerSize == 40 && compression == 6)
            paletteBytes += 16;
    }
    const qint64 split = qint64(headerSize) + paletteBytes;
    if (h.damaged() || !h.has(split, 0))
        return {};
    return dibImage(dib.first(split), dib.sliced(split));
}

// Whether a DIB's rows run from the bottom up, which puts source y = 0 on its last row.
bool dibFromBottom(QByteArrayView header) {
    Fields h(header);
    const quint32 headerSize = h.u32(0);
    return headerSize == 12 || (headerSize >= 16 && h.i32(8) > 0);
}

struct Pen {
    int style = PenSolid;
    double width = 0; // logical units; 0 is one pixel whatever the scale
    ColorRef color = 0;
};

struct Brush {
    int style = BrushSolid; // the canvas's codes
    ColorRef color = 0x00FFFFFF;
};

struct Font {
    double height = 0; // logical; negative: character height, positive: cell height
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face = QStringLiteral("Arial");
};

struct Object {
    enum Kind { Empty, PenObject, BrushObject, FontObject, Other };
    explicit Object(Kind k = Empty) : kind(k) {}
    Kind kind;
    Pen pen;
    Brush brush;
    Font font;
};

Brush brushFrom(quint32 style, ColorRef color, quint32 hatch) {
    if (style == BS_NULL)
        return {BrushClear, color};
    if (style == BS_HATCHED && hatch <= 5)
        return {int(BrushHorizontal + hatch), color};
    return {BrushSolid, color};
}

int penStyleFrom(quint32 style) {
    const int s = int(style & 0x0F);
    return s <= PenInsideFrame ? s : PenSolid; // user-styled and alternate pens draw solid
}

// A pattern brush fills with the average colour of its pattern.
Brush patternBrush(const QImage& pattern) {
    if (pattern.isNull())
        return {BrushSolid, 0x00808080};
    const QImage small = pattern.convertToFormat(QImage::Format_RGB32);
    qint64 r = 0, g = 0, b = 0;
    const qint64 n = qint64(small.width()) * small.height();
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x) {
            const QRgb px = small.pixel(x, y);
            r += qRed(px);
            g += qGreen(px);
            b += qBlue(px);
        }
    return {BrushSolid, refFromColor(QColor(int(r / n), int(g / n), int(b / n)))};
}

struct State {
    int mapMode = MM_TEXT;
    QPointF winOrg{0, 0};
    QPointF winExt{1, 1};
    QPointF vpOrg{0, 0};
    QPointF vpExt{1, 1};
    QTransform world;
    Pen pen;
    Brush brush;
    Font font;
    ColorRef textColor = 0;
    ColorRef bkColor = 0x00FFFFFF;
    int bkMode = OPAQUE;
    quint32 textAlign = 0;
    QPointF position; // logical
};

struct Figure {
    QList<QPointF> points; // target pixels
    bool closed = false;
};

class Player {
public:
    Player(GdiCanvas& canvas, const QRect& target) : canvas_(canvas), target_(target) {
        // Figures reaching far beyond the picture are cut short: the canvas walks every
        // row of a figure, and a damaged file can ask for a billion of them.
        const int side = std::max(target.width(), target.height());
        limit_ = std::min(4.0 * side + 256, 4096.0);
    }

    bool playWmf(QByteArrayView data, qsizetype from, const QRectF& window, int slotCount);
    bool playEmf(QByteArrayView data, qsizetype from, const QRectF& frame, QPointF pixelsPerMm,
                 int slotCount);

private:
    bool wmfRecord(quint16 function, Fields& f);
    bool emfRecord(quint32 type, Fields& f);

    // Logical coordinates to target pixels.
    QPointF toTarget(QPointF logical) const;
    QPoint pixel(QPointF logical) const { return round(toTarget(logical)); }
    QPointF toLogical(QPointF target) const {
        const QPointF o = toTarget({0, 0}), x = toTarget({1, 0}) - o, y = toTarget({0, 1}) - o;
        bool invertible = false;
        const QTransform inverse =
            QTransform(x.x(), x.y(), y.x(), y.y(), o.x(), o.y()).inverted(&invertible);
        return invertible ? inverse.map(target) : state_.position;
    }
    QPoint round(QPointF p) const {
        const auto clampTo = [this](double v, int low, int high) {
            if (!std::isfinite(v))
                return 0;
            return int(std::lround(std::clamp(v, low - limit_, high + limit_)));
        };
        return QPoint(clampTo(p.x(), target_.left(), target_.right()),
                      clampTo(p.y(), target_.top(), target_.bottom()));
    }
    double scaleX() const { return QLineF(toTarget({0, 0}), toTarget({1, 0})).length(); }
    double scaleY() const { return QLineF(toTarget({0, 0}), toTarget({0, 1})).length(); }
    int pixels(double length, double scale) const {
        const double v = std::abs(length * scale);
        return std::isfinite(v) ? int(std::lround(std::min(v, limit_))) : 0;
    }

    void applyPen();
    void applyBrush();
    void applyFont();

    // Figures, in logical coordinates; inside a path bracket they add to the path.
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(const QList<QPointF>& points, bool fromPosition);
    void polygon(const QList<QPointF>& points);
    void polyPolygon(const QList<QList<QPointF>>& polygons);
    void bezier(const QList<QPointF>& points, bool fromPosition);
    void box(int kind, QPointF a, QPointF b, QPointF corner = {});
    void arc(int kind, QPointF a, QPointF b, QPointF start, QPointF end);
    void text(QPointF at, const QString& text);
    void blit(QPointF at, QPointF size, QImage picture, QRectF source, quint32 rop);

    void drawFigures(const QList<Figure>& figures, bool stroke, bool fill);
    // A path is capped, so a file that never fills its path cannot grow memory without end.
    void addFigure(Figure figure) {
        if (pathPoints_ + figure.points.size() > kMaxPathPoints)
            return;
        pathPoints_ += figure.points.size();
        path_.append(std::move(figure));
    }
    void extendFigure(const QList<QPointF>& points) {
        if (path_.isEmpty() || path_.last().closed)
            addFigure(Figure{{toTarget(state_.position)}, false});
        if (path_.isEmpty() || pathPoints_ + points.size() > kMaxPathPoints)
            return;
        pathPoints_ += points.size();
        path_.last().points += points;
    }
    void clearPath() {
        path_.clear();
        pathPoints_ = 0;
    }
    QList<QPoint> rounded(const QList<QPointF>& points) const;
    QList<QPointF> ellipsePoints(QRectF box, double startAngle, double sweep) const;

    void saveState() {
        if (saved_.size() < kMaxSavedStates)
            saved_.push_back(state_);
    }
    void restoreState(qint32 which);
    Object* object(quint32 index) { return index < objects_.size() ? &objects_[index] : nullptr; }
    void select(const Object& o);
    void createWmfObject(const Object& o);
    void createEmfObject(quint32 index, const Object& o);
    bool selectStock(quint32 index);

    GdiCanvas& canvas_;
    QRect target_;
    double limit_ = 0;
    bool enhanced_ = false;
    QTransform outer_; // EMF device pixels to target pixels
    QPointF pixelsPerMm_{96 / 25.4, 96 / 25.4};
    State state_;
    std::vector<State> saved_;
    std::vector<Object> objects_;
    bool inPath_ = false;
    QList<Figure> path_;
    qsizetype pathPoints_ = 0;
    std::size_t firstFree_ = 0; // no free WMF object slot lies before this one
};

QPointF Player::toTarget(QPointF logical) const {
    const State& s = state_;
    const QPointF p = s.world.map(logical) - s.winOrg;
    QPointF device;
    switch (enhanced_ ? s.mapMode : MM_ANISOTROPIC) {
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC: {
        const double wx = s.winExt.x() ? s.winExt.x() : 1, wy = s.winExt.y() ? s.winExt.y() : 1;
        double sx = s.vpExt.x() / wx, sy = s.vpExt.y() / wy;
        if (enhanced_ && s.mapMode == MM_ISOTROPIC) {
            const double m = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
        device = QPointF(p.x() * sx, p.y() * sy);
        break;
    }
    case MM_LOMETRIC:
    case MM_HIMETRIC:
    case MM_LOENGLISH:
    case MM_HIENGLISH:
    case MM_TWIPS: {
        // Millimetres per logical unit; y grows upward in these modes.
        static constexpr double mm[] = {0.1, 0.01, 0.254, 0.0254, 25.4 / 1440};
        const double unit = mm[s.mapMode - MM_LOMETRIC];
        device = QPointF(p.x() * unit * pixelsPerMm_.x(), -p.y() * unit * pixelsPerMm_.y());
        break;
    }
    default:
        device = p;
        break;
    }
    return outer_.map(device + s.vpOrg);
}

void Player::applyPen() {
    const Pen& pen = state_.pen;
    canvas_.setPenColor(pen.color);
    canvas_.setPenStyle(pen.style);
    canvas_.setPenWidth(pen.width <= 0 ? 1 : std::clamp(pixels(pen.width, scaleX()), 1, 1000));
}

void Player::applyBrush() {
    canvas_.setBrushStyle(state_.brush.style);
    canvas_.setBrushColor(state_.brush.color);
}

void Player::applyFont() {
    const Font& font = state_.font;
    // A positive height is the cell, whose internal leading the em square leaves out.
    double px = font.height == 0 ? 16 : std::abs(font.height * scaleY());
    if (font.height > 0)
        px *= 0.85;
    if (!std::isfinite(px))
        px = 16;
    const int points = std::clamp(int(std::lround(std::min(px, 4000.0) * 72 / 96)), 1, 1000);
    canvas_.setFontName(font.face.isEmpty() ? QStringLiteral("Arial") : font.face);
    canvas_.setFontSize(points);
    canvas_.setFontStyle((font.weight >= 600 ? FontBold : 0) | (font.italic ? FontItalic : 0) |
                         (font.underline ? FontUnderline : 0) |
                         (font.strikeOut ? FontStrikeOut : 0));
    canvas_.setFontColor(state_.textColor);
}

QList<QPoint> Player::rounded(const QList<QPointF>& points) const {
    QList<QPoint> out;
    out.reserve(points.size());
    for (const QPointF& p : points)
        out.append(round(p));
    return out;
}

void Player::drawFigures(const QList<Figure>& figures, bool stroke, bool fill) {
    applyPen();
    applyBrush();
    if (fill) {
        // One outline through every figure: the doubled joins cancel out under the
        // even-odd rule, so holes (letters, rings) stay open.
        QList<QPointF> all;
        for (const Figure& f : figures) {
            if (f.points.isEmpty())
                continue;
            all += f.points;
            all.append(f.points.first());
        }
        if (!figures.isEmpty() && !all.isEmpty())
            all.append(all.first());
        const int penStyle = canvas_.penStyle();
        canvas_.setPenStyle(PenClear);
        canvas_.polygon(rounded(all));
        canvas_.setPenStyle(penStyle);
    }
    if (stroke) {
        for (const Figure& f : figures) {
            QList<QPointF> pts = f.points;
            if ((f.closed || fill) && pts.size() > 1)
                pts.append(pts.first());
            canvas_.polyline(rounded(pts));
        }
    }
}

void Player::moveTo(QPointF p) {
    state_.position = p;
    if (inPath_)
        addFigure(Figure{{toTarget(p)}, false});
}

void Player::lineTo(QPointF p) {
    if (inPath_) {
        extendFigure({toTarget(p)});
    } else {
        applyPen();
        const QPoint from = pixel(state_.position), to = pixel(p);
        canvas_.moveTo(from.x(), from.y());
        canvas_.lineTo(to.x(), to.y());
    }
    state_.position = p;
}

void Player::polyline(const QList<QPointF>& points, bool fromPosition) {
    if (fromPosition) {
        for (const QPointF& p : points)
            lineTo(p);
        return;
    }
    if (points.isEmpty())
        return;
    QList<QPointF> mapped;
    for (const QPointF& p : points)
        mapped.append(toTarget(p));
    if (inPath_)
        addFigure(Figure{mapped, false});
    else
        drawFigures({Figure{mapped, false}}, true, false);
}

void Player::polygon(const QList<QPointF>& points) {
    polyPolygon({points});
}

void Player::polyPolygon(const QList<QList<QPointF>>& polygons) {
    QList<Figure> figures;
    for (const QList<QPointF>& polygon : polygons) {
        Figure f{{}, true};
        for (const QPointF& p : polygon)
            f.points.append(toTarget(p));
        if (!f.points.isEmpty())
            figures.append(f);
    }
    if (inPath_) {
        for (const Figure& f : figures)
            addFigure(f);
    } else if (figures.size() == 1) {
        applyPen();
        applyBrush();
        canvas_.polygon(rounded(figures.first().points));
    } else {
        drawFigures(figures, state_.pen.style != PenClear, state_.brush.style != BrushClear);
    }
}

void Player::bezier(const QList<QPointF>& points, bool fromPosition) {
    QList<QPointF> controls = points;
    if (fromPosition)
        controls.prepend(state_.position);
    if (controls.isEmpty())
        return;
    QList<QPointF> flat{controls.first()};
    // Long curves get fewer steps per segment, so a flattened curve stays bounded.
    const int steps = int(std::clamp<qsizetype>(
        kMaxPathPoints / 4 / qMax<qsizetype>(1, controls.size() / 3), 1, kCurveSteps));
    for (qsizetype i = 1; i + 2 < controls.size(); i += 3) {
        const QPointF p0 = controls[i - 1], p1 = controls[i], p2 = controls[i + 1],
                      p3 = controls[i + 2];
        for (int step = 1; step <= steps; ++step) {
            const double t = double(step) / steps, u = 1 - t;
            flat.append(u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3);
        }
    }
    if (fromPosition) {
        flat.removeFirst();
        for (const QPointF& p : flat)
            lineTo(p);
    } else {
        polyline(flat, false);
    }
}

QList<QPointF> Player::ellipsePoints(QRectF box, double startAngle, double sweep) const {
    // Angles are those of radials; the point of the outline on a radial is found
    // through the ellipse's parameter.
    const QPointF c = box.center();
    const double a = box.width() / 2, b = box.height() / 2;
    QList<QPointF> points;
    const int steps = std::max(2, int(kCurveSteps * 2 * sweep / std::numbers::pi));
    for (int i = 0; i <= steps; ++i) {
        const double radial = startAngle + sweep * i / steps;
        const double t = std::atan2(a * std::sin(radial), b * std::cos(radial));
        points.append(QPointF(c.x() + a * std::cos(t), c.y() - b * std::sin(t)));
    }
    return points;
}

// kind 0 rectangle, 1 ellipse, 2 rounded rectangle.
void Player::box(int kind, QPointF a, QPointF b, QPointF corner) {
    const QPointF ta = toTarget(a), tb = toTarget(b);
    if (inPath_) {
        const QRectF r = QRectF(ta, tb).normalized();
        Figure f{{}, true};
        if (kind == 1)
            f.points = ellipsePoints(r, 0, 2 * std::numbers::pi);
        else
            f.points = {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
        addFigure(f);
        return;
    }
    applyPen();
    applyBrush();
    const QPoint p = round(ta), q = round(tb);
    if (kind == 0)
        canvas_.rectangle(p.x(), p.y(), q.x(), q.y());
    else if (kind == 1)
        canvas_.ellipse(p.x(), p.y(), q.x(), q.y());
    else
        canvas_.roundRect(p.x(), p.y(), q.x(), q.y(), pixels(corner.x(), scaleX()),
                          pixels(corner.y(), scaleY()));
}

// kind 0 arc, 1 chord, 2 pie, 3 arc continuing the current position.
void Player::arc(int kind, QPointF a, QPointF b, QPointF start, QPointF end) {
    const QRectF r = QRectF(toTarget(a), toTarget(b)).normalized();
    const QPointF c = r.center(), s = toTarget(start), e = toTarget(end);
    const double from = std::atan2(c.y() - s.y(), s.x() - c.x());
    double sweep = std::fmod(std::atan2(c.y() - e.y(), e.x() - c.x()) - from, 2 * std::numbers::pi);
    if (!std::isfinite(sweep))
        return;
    if (sweep <= 1e-9)
        sweep += 2 * std::numbers::pi;
    QList<QPointF> outline = ellipsePoints(r, from, sweep);
    if (kind == 3) {
        // A line from the current position to the arc's start, then the arc; the
        // position ends where the arc ends.
        const QPointF last = outline.last();
        outline.prepend(toTarget(state_.position));
        if (inPath_) {
            extendFigure(outline);
        } else {
            drawFigures({Figure{outline, false}}, true, false);
        }
        state_.position = toLogical(last);
        return;
    }
    if (kind == 2)
        outline.prepend(c);
    if (inPath_) {
        addFigure(Figure{outline, kind != 0});
        return;
    }
    applyPen();
    applyBrush();
    if (kind == 0) {
        const QPoint p = round(r.topLeft()), q = round(r.bottomRight()), ps = round(s),
                     pe = round(e);
        canvas_.arc(p.x(), p.y(), q.x(), q.y(), ps.x(), ps.y(), pe.x(), pe.y());
        return;
    }
    canvas_.polygon(rounded(outline));
}

void Player::text(QPointF at, const QString& text) {
    if (text.isEmpty() || inPath_)
        return;
    const quint32 align = state_.textAlign;
    const bool fromPosition = align & TA_UPDATECP;
    applyFont();
    // GDI paints the text's background box in the background colour unless it is transparent.
    canvas_.setBrushStyle(state_.bkMode == TRANSPARENT ? BrushClear : BrushSolid);
    canvas_.setBrushColor(state_.bkColor);
    QPoint p = pixel(fromPosition ? state_.position : at);
    const QSize extent = canvas_.textExtent(text);
    if ((align & TA_HORIZONTAL) == TA_CENTER)
        p.rx() -= extent.width() / 2;
    else if ((align & TA_HORIZONTAL) == TA_RIGHT)
        p.rx() -= extent.width();
    if ((align & TA_VERTICAL) == TA_BASELINE)
        p.ry() -= QFontMetrics(canvas_.font()).ascent();
    else if ((align & TA_VERTICAL) == TA_BOTTOM)
        p.ry() -= extent.height();
    canvas_.textOut(p.x(), p.y(), text);
    if (fromPosition && scaleX() > 0)
        state_.position.rx() += extent.width() / scaleX();
}

void Player::blit(QPointF at, QPointF size, QImage picture, QRectF source, quint32 rop) {
    if (inPath_ || rop == DSTCOPY)
        return;
    const QPoint p = pixel(at), q = pixel(at + size);
    if (rop == BLACKNESS || rop == WHITENESS || picture.isNull()) {
        if (rop == WHITENESS) {
            canvas_.whiten(p.x(), p.y(), q.x(), q.y());
            return;
        }
        if (rop == BLACKNESS) {
            canvas_.setBrushStyle(BrushSolid);
            canvas_.setBrushColor(0);
        } else if (rop == PATCOPY) {
            applyBrush();
        } else {
            return; // a picture Qt cannot read, or a raster operation with nothing to copy
        }
        canvas_.fillRect(p.x(), p.y(), q.x(), q.y());
        return;
    }
    // Source rectangles come straight from the file: kept in floating point until they
    // are cut down to the picture, so no sum of two fields can overflow.
    source = source.normalized();
    if (!source.isEmpty() && source != QRectF(picture.rect())) {
        const QRectF part = source.intersected(QRectF(picture.rect()));
        picture = picture.copy(
            QRect(int(part.x()), int(part.y()), int(part.width()), int(part.height())));
    }
    canvas_.stretchDraw(p.x(), p.y(), q.x(), q.y(), picture);
}

void Player::restoreState(qint32 which) {
    const qint64 n = qint64(saved_.size());
    const qint64 index = which < 0 ? n + which : qint64(which) - 1;
    if (index < 0 || index >= n)
        return;
    state_ = saved_[std::size_t(index)];
    saved_.resize(std::size_t(index));
}

void Player::select(const Object& o) {
    switch (o.kind) {
    case Object::PenObject:
        state_.pen = o.pen;
        break;
    case Object::BrushObject:
        state_.brush = o.brush;
        break;
    case Object::FontObject:
        state_.font = o.font;
        break;
    default:
        break;
    }
}

// A WMF object takes the lowest free slot of the table.
void Player::createWmfObject(const Object& o) {
    while (firstFree_ < objects_.size() && objects_[firstFree_].kind != Object::Empty)
        ++firstFree_;
    if (firstFree_ < objects_.size())
        objects_[firstFree_++] = o;
    else if (objects_.size() < std::size_t(kMaxObjects)) {
        objects_.push_back(o);
        firstFree_ = objects_.size();
    }
}

void Player::createEmfObject(quint32 index, const Object& o) {
    if (index == 0 || index >= quint32(kMaxObjects))
        return;
    if (index >= objects_.size())
        objects_.resize(index + 1);
    objects_[index] = o;
}

bool Player::selectStock(quint32 index) {
    if (!(index & 0x80000000u))
        return false;
    static constexpr ColorRef grays[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    const quint32 stock = index & 0x7FFFFFFFu;
    if (stock <= 4)
        state_.brush = {BrushSolid, grays[stock]};
    else if (stock == 5)
        state_.brush = {BrushClear, 0};
    else if (stock == 6)
        state_.pen = {PenSolid, 0, 0xFFFFFF};
    else if (stock == 7)
        state_.pen = {PenSolid, 0, 0};
    else if (stock == 8)
        state_.pen = {PenClear, 0, 0};
    else if (stock >= 10 && stock <= 17 && stock != 15)
        state_.font = Font{};
    else if (stock == 18)
        state_.brush = {BrushSolid, 0xFFFFFF};
    else if (stock == 19)
        state_.pen = {PenSolid, 0, 0};
    return true;
}

bool Player::playWmf(QByteArrayView data, qsizetype from, const QRectF& window, int slotCount) {
    enhanced_ = false;
    state_.winOrg = window.topLeft();
    state_.winExt = QPointF(window.width(), window.height());
    state_.vpOrg = target_.topLeft();
    state_.vpExt = QPointF(target_.width(), target_.height());
    objects_.assign(std::size_t(std::clamp(slotCount, 0, kMaxObjects)), Object{});
    for (qsizetype at = from; at + 6 <= data.size();) {
        Fields head(data.sliced(at, 6));
        const qint64 bytes = 2 * qint64(head.u32(0));
        const quint16 function = head.u16(4);
        if (bytes < 6 || bytes > data.size() - at)
            return false;
        if (function == META_EOF)
            return true;
        Fields f(data.sliced(at + 6, bytes - 6));
        if (!wmfRecord(function, f))
            return false;
        at += bytes;
    }
    return false;
}

bool Player::wmfRecord(quint16 function, Fields& f) {
    // Parameters come in reverse order of the drawing call: y before x, bottom before top.
    auto point = [&f](qint64 at) { return QPointF(f.i16(at + 2), f.i16(at)); };
    auto points = [&f](qint64 at, qint64 count) {
        QList<QPointF> list;
        if (!f.has(at, 4 * count))
            return list;
        for (qint64 i = 0; i < count; ++i)
            list.append(QPointF(f.i16(at + 4 * i), f.i16(at + 4 * i + 2)));
        return list;
    };
    switch (function) {
    case META_SAVEDC:
        saveState();
        break;
    case META_RESTOREDC:
        restoreState(f.i16(0));
        break;
    case META_SETBKMODE:
        state_.bkMode = f.u16(0);
        break;
    case META_SETBKCOLOR:
        state_.bkColor = f.u32(0) & 0x00FFFFFF;
        break;
    case META_SETTEXTCOLOR:
        state_.textColor = f.u32(0) & 0x00FFFFFF;
        break;
    case META_SETTEXTALIGN:
        state_.textAlign = f.u16(0);
        break;
    case META_SETMAPMODE:
        // The window always maps onto the target, whatever mode the file asks for.
        break;
    case META_SETWINDOWORG:
        state_.winOrg = point(0);
        break;
    case META_SETWINDOWEXT:
        state_.winExt = point(0);
        break;
    case META_OFFSETWINDOWORG:
        state_.winOrg += point(0);
        break;
    case META_SCALEWINDOWEXT: {
        const int yDenom = f.i16(0), yNum = f.i16(2), xDenom = f.i16(4), xNum = f.i16(6);
        if (xDenom && yDenom)
            state_.winExt =
                QPointF(state_.winExt.x() * xNum / xDenom, state_.winExt.y() * yNum / yDenom);
        break;
    }
    case META_CREATEPENINDIRECT: {
        Object o(Object::PenObject);
        o.pen = {penStyleFrom(f.u16(0)), double(f.i16(2)), f.u32(6) & 0x00FFFFFF};
        if (f.damaged())
            return false;
        createWmfObject(o);
        break;
    }
    case META_CREATEBRUSHINDIRECT: {
        Object o(Object::BrushObject);
        o.brush = brushFrom(f.u16(0), f.u32(2) & 0x00FFFFFF, f.u16(6));
        if (f.damaged())
            return false;
        createWmfObject(o);
        break;
    }
    case META_DIBCREATEPATTERNBRUSH:
    case META_CREATEPATTERNBRUSH: {
        Object o(Object::BrushObject);
        o.brush = function == META_DIBCREATEPATTERNBRUSH
                      ? patternBrush(packedDibImage(f.bytes(4, f.size() - 4)))
                      : Brush{BrushSolid, 0x00808080};
        createWmfObject(o);
        break;
    }
    case META_CREATEFONTINDIRECT: {
        Object o(Object::FontObject);
        o.font.height = f.i16(0);
        o.font.weight = f.i16(8);
        o.font.italic = f.u8(10);
        o.font.underline = f.u8(11);
        o.font.strikeOut = f.u8(12);
        if (f.damaged())
            return false;
        o.font.face = fromAnsi(f.bytes(18, std::clamp<qint64>(f.size() - 18, 0, 32)));
        createWmfObject(o);
        break;
    }
    case META_CREATEPALETTE:
    case META_CREATEREGION:
        createWmfObject(Object(Object::Other));
        break;
    case META_SELECTOBJECT:
        if (const Object* o = object(f.u16(0)))
            select(*o);
        break;
    case META_DELETEOBJECT:
        if (Object* o = object(f.u16(0))) {
            *o = Object{};
            firstFree_ = std::min<std::size_t>(firstFree_, f.u16(0));
        }
        break;
    case META_MOVETO:
    case META_LINETO: {
        const QPointF p = point(0);
        if (f.damaged())
            return false;
        function == META_MOVETO ? moveTo(p) : lineTo(p);
        break;
    }
    case META_RECTANGLE:
    case META_ELLIPSE:
    case META_ROUNDRECT: {
        const qint64 at = function == META_ROUNDRECT ? 4 : 0;
        const QPointF corner(f.i16(2), f.i16(0));
        const QPointF bottomRight = point(at), topLeft = point(at + 4);
        if (f.damaged())
            return false;
        box(function == META_RECTANGLE ? 0
            : function == META_ELLIPSE ? 1
                                       : 2,
            topLeft, bottomRight, corner);
        break;
    }
    case META_ARC:
    case META_PIE:
    case META_CHORD: {
        const QPointF end = point(0), start = point(4), bottomRight = point(8), topLeft = point(12);
        if (f.damaged())
            return false;
        arc(function == META_ARC     ? 0
            : function == META_CHORD ? 1
                                     : 2,
            topLeft, bottomRight, start, end);
        break;
    }
    case META_POLYGON:
    case META_POLYLINE: {
        const qint16 count = f.i16(0);
        if (f.damaged() || count < 0 || !f.has(2, 4 * qint64(count)))
            return false;
        const QList<QPointF> list = points(2, count);
        function == META_POLYGON ? polygon(list) : polyline(list, false);
        break;
    }
    case META_POLYPOLYGON: {
        const quint16 n = f.u16(0);
        if (f.damaged() || !f.has(2, 2 * qint64(n)))
            return false;
        QList<QList<QPointF>> polygons;
        qint64 at = 2 + 2 * qint64(n);
        for (int i = 0; i < n; ++i) {
            const qint64 count = f.u16(2 + 2 * i);
            if (!f.has(at, 4 * count))
                return false;
            polygons.append(points(at, count));
            at += 4 * count;
        }
        polyPolygon(polygons);
        break;
    }
    case META_TEXTOUT: {
        const qint16 length = f.i16(0);
        const qint64 padded = (qint64(length) + 1) & ~qint64(1);
        if (f.damaged() || length < 0 || !f.has(2, padded + 4))
            return false;
        const QString s = fromAnsi(f.bytes(2, length));
        text(point(2 + padded), s);
        break;
    }
    case META_EXTTEXTOUT: {
        const QPointF at = point(0);
        const qint16 length = f.i16(4);
        const quint16 options = f.u16(6);
        const qint64 from = (options & (ETO_OPAQUE | ETO_CLIPPED)) ? 16 : 8;
        if (f.damaged() || length < 0 || !f.has(from, length))
            return false;
        text(at, fromAnsi(f.bytes(from, length)));
        break;
    }
    case META_PATBLT: {
        const quint32 rop = f.u32(0);
        const QPointF size(f.i16(6), f.i16(4)), at = point(8);
        if (f.damaged())
            return false;
        blit(at, size, QImage(), {}, rop);
        break;
    }
    case META_DIBSTRETCHBLT:
    case META_DIBBITBLT: {
        // Without a picture the record carries one more reserved word before the target.
        const bool stretch = function == META_DIBSTRETCHBLT;
        const qint64 plain = stretch ? 22 : 18;
        const bool withPicture = f.size() != plain;
        const quint32 rop = f.u32(0);
        QRectF source;
        qint64 at = 4;
        if (stretch) {
            source = QRectF(f.i16(10), f.i16(8), f.i16(6), f.i16(4));
            at = 12;
        } else {
            source.moveTo(f.i16(6), f.i16(4));
            at = 8;
        }
        if (!withPicture)
            at += 2;
        const QPointF size(f.i16(at + 2), f.i16(at)), dest = point(at + 4);
        if (!stretch)
            source.setSize(QSizeF(size.x(), size.y()));
        if (f.damaged())
            return false;
        const QImage picture =
            withPicture ? packedDibImage(f.bytes(at + 8, f.size() - at - 8)) : QImage();
        blit(dest, size, picture, source, rop);
        break;
    }
    case META_STRETCHDIB: {
        const quint32 rop = f.u32(0);
        QRectF source(f.i16(12), f.i16(10), f.i16(8), f.i16(6));
        const QPointF size(f.i16(16), f.i16(14)), dest = point(18);
        if (f.damaged() || !f.has(22, 4))
            return false;
        const QByteArrayView dib = f.bytes(22, f.size() - 22);
        const QImage picture = packedDibImage(dib);
        if (!picture.isNull() && dibFromBottom(dib))
            source.moveTop(picture.height() - source.top() - source.height());
        blit(dest, size, picture, source, rop);
        break;
    }
    default:
        break; // records without a drawing of their own here
    }
    return !f.damaged();
}

bool Player::playEmf(QByteArrayView data, qsizetype from, const QRectF& frame, QPointF pixelsPerMm,
                     int slotCount) {
    enhanced_ = true;
    pixelsPerMm_ = pixelsPerMm;
    const double sx = frame.width() ? target_.width() / frame.width() : 1;
    const double sy = frame.height() ? target_.height() / frame.height() : 1;
    outer_ = QTransform::fromTranslate(-frame.left(), -frame.top()) *
             QTransform::fromScale(sx, sy) *
             QTransform::fromTranslate(target_.left(), target_.top());
    objects_.assign(std::size_t(std::clamp(slotCount, 0, kMaxObjects)), Object{});
    for (qsizetype at = from; at + 8 <= data.size();) {
        Fields head(data.sliced(at, 8));
        const quint32 type = head.u32(0);
        const qint64 bytes = head.u32(4);
        if (bytes < 8 || bytes > data.size() - at)
            return false;
        if (type == EMR_EOF)
            return true;
        Fields f(data.sliced(at, bytes));
        if (!emfRecord(type, f))
            return false;
        at += bytes;
    }
    return false;
}

bool Player::emfRecord(quint32 type, Fields& f) {
    auto point = [&f](qint64 at) { return QPointF(f.i32(at), f.i32(at + 4)); };
    // Point lists of 32-bit (8 bytes) or 16-bit (4 bytes) points.
    auto points = [&f](qint64 at, qint64 count, bool small) {
        QList<QPointF> list;
        const qint64 step = small ? 4 : 8;
        if (!f.has(at, step * count))
            return list;
        list.reserve(count);
        for (qint64 i = 0; i < count; ++i) {
            const qint64 p = at + step * i;
            list.append(small ? QPointF(f.i16(p), f.i16(p + 2)) : QPointF(f.i32(p), f.i32(p + 4)));
        }
        return list;
    };
    auto size = [&f](qint64 at) {
        const double x = f.i32(at), y = f.i32(at + 4);
        return QPointF(x, y);
    };
    switch (type) {
    case EMR_HEADER:
        break;
    case EMR_SETMAPMODE:
        state_.mapMode = int(f.u32(8));
        break;
    case EMR_SETBKMODE:
        state_.bkMode = int(f.u32(8));
        break;
    case EMR_SETTEXTALIGN:
        state_.textAlign = f.u32(8);
        break;
    case EMR_SETTEXTCOLOR:
        state_.textColor = f.u32(8) & 0x00FFFFFF;
        break;
    case EMR_SETBKCOLOR:
        state_.bkColor = f.u32(8) & 0x00FFFFFF;
        break;
    case EMR_SETWINDOWEXTEX:
        state_.winExt = size(8);
        break;
    case EMR_SETWINDOWORGEX:
        state_.winOrg = point(8);
        break;
    case EMR_SETVIEWPORTEXTEX:
        state_.vpExt = size(8);
        break;
    case EMR_SETVIEWPORTORGEX:
        state_.vpOrg = point(8);
        break;
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX: {
        const qint32 xNum = f.i32(8), xDenom = f.i32(12), yNum = f.i32(16), yDenom = f.i32(20);
        QPointF& ext = type == EMR_SCALEWINDOWEXTEX ? state_.winExt : state_.vpExt;
        if (xDenom && yDenom)
            ext = QPointF(ext.x() * xNum / xDenom, ext.y() * yNum / yDenom);
        break;
    }
    case EMR_SAVEDC:
        saveState();
        break;
    case EMR_RESTOREDC:
        restoreState(f.i32(8));
        break;
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM: {
        float m[6];
        for (int i = 0; i < 6; ++i)
            m[i] = f.f32(8 + 4 * i);
        const quint32 mode = type == EMR_SETWORLDTRANSFORM ? 4 : f.u32(32);
        if (f.damaged())
            return false;
        if (!std::all_of(m, m + 6, [](float v) { return std::isfinite(v); }))
            break;
        const QTransform xf(m[0], m[1], m[2], m[3], m[4], m[5]);
        if (mode == 1)
            state_.world = QTransform();
        else if (mode == 2)
            state_.world = xf * state_.world;
        else if (mode == 3)
            state_.world = state_.world * xf;
        else if (mode == 4)
            state_.world = xf;
        break;
    }
    case EMR_CREATEPEN: {
        Object o(Object::PenObject);
        o.pen = {penStyleFrom(f.u32(12)), double(f.i32(16)), f.u32(24) & 0x00FFFFFF};
        if (f.damaged())
            return false;
        createEmfObject(f.u32(8), o);
        break;
    }
    case EMR_EXTCREATEPEN: {
        Object o(Object::PenObject);
        const quint32 style = f.u32(28);
        const double width = (style & PS_GEOMETRIC) ? double(f.u32(32)) : 0;
        o.pen = {penStyleFrom(style), width, f.u32(40) & 0x00FFFFFF};
        if (f.u32(36) == BS_NULL)
            o.pen.style = PenClear;
        if (f.damaged())
            return false;
        createEmfObject(f.u32(8), o);
        break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
        Object o(Object::BrushObject);
        o.brush = brushFrom(f.u32(12), f.u32(16) & 0x00FFFFFF, f.u32(20));
        if (f.damaged())
            return false;
        createEmfObject(f.u32(8), o);
        break;
    }
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT: {
        const quint32 index = f.u32(8);
        const quint32 offBmi = f.u32(16), cbBmi = f.u32(20), offBits = f.u32(24),
                      cbBits = f.u32(28);
        if (f.damaged() || !f.has(offBmi, cbBmi) || !f.has(offBits, cbBits))
            return false;
        Object o(Object::BrushObject);
        o.brush = patternBrush(dibImage(f.bytes(offBmi, cbBmi), f.bytes(offBits, cbBits)));
        createEmfObject(index, o);
        break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
        Object o(Object::FontObject);
        o.font.height = f.i32(12);
        o.font.weight = f.i32(28);
        o.font.italic = f.u8(32);
        o.font.underline = f.u8(33);
        o.font.strikeOut = f.u8(34);
        if (f.damaged())
            return false;
        o.font.face = fromUtf16(f, 40, std::clamp<qint64>((f.size() - 40) / 2, 0, 32));
        createEmfObject(f.u32(8), o);
        break;
    }
    case EMR_CREATEPALETTE:
        createEmfObject(f.u32(8), Object(Object::Other));
        break;
    case EMR_SELECTOBJECT: {
        const quint32 index = f.u32(8);
        if (!selectStock(index))
            if (const Object* o = object(index))
                select(*o);
        break;
    }
    case EMR_DELETEOBJECT:
        if (Object* o = object(f.u32(8)))
            *o = Object{};
        break;
    case EMR_MOVETOEX:
    case EMR_LINETO: {
        const QPointF p = point(8);
        if (f.damaged())
            return false;
        type == EMR_MOVETOEX ? moveTo(p) : lineTo(p);
        break;
    }
    case EMR_RECTANGLE:
    case EMR_ELLIPSE:
    case EMR_ROUNDRECT: {
        const QPointF a = point(8), b = point(16);
        const QPointF corner = type == EMR_ROUNDRECT ? size(24) : QPointF();
        if (f.damaged())
            return false;
        box(type == EMR_RECTANGLE ? 0 : type == EMR_ELLIPSE ? 1 : 2, a, b, corner);
        break;
    }
    case EMR_ARC:
    case EMR_CHORD:
    case EMR_PIE:
    case EMR_ARCTO: {
        const QPointF a = point(8), b = point(16), start = point(24), end = point(32);
        if (f.damaged())
            return false;
        const int kind = type == EMR_ARC ? 0 : type == EMR_CHORD ? 1 : type == EMR_PIE ? 2 : 3;
        arc(kind, a, b, start, end);
        break;
    }
    case EMR_POLYBEZIER:
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO:
    case EMR_POLYBEZIER16:
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16: {
        const bool small = type >= EMR_POLYBEZIER16;
        const quint32 kind = small ? type - EMR_POLYBEZIER16 + EMR_POLYBEZIER : type;
        const qint64 count = f.u32(24);
        if (f.damaged() || !f.has(28, (small ? 4 : 8) * count))
            return false;
        const QList<QPointF> list = points(28, count, small);
        if (kind == EMR_POLYGON)
            polygon(list);
        else if (kind == EMR_POLYLINE)
            polyline(list, false);
        else if (kind == EMR_POLYLINETO)
            polyline(list, true);
        else
            bezier(list, kind == EMR_POLYBEZIERTO);
        break;
    }
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16: {
        const bool small = type >= EMR_POLYPOLYLINE16;
        const qint64 n = f.u32(24), total = f.u32(28);
        const qint64 pointsAt = 32 + 4 * n;
        if (f.damaged() || !f.has(32, 4 * n) || !f.has(pointsAt, (small ? 4 : 8) * total))
            return false;
        QList<QList<QPointF>> lists;
        qint64 used = 0;
        for (qint64 i = 0; i < n; ++i) {
            const qint64 count = f.u32(32 + 4 * i);
            if (count > total - used)
                return false;
            lists.append(points(pointsAt + (small ? 4 : 8) * used, count, small));
            used += count;
        }
        if (type == EMR_POLYPOLYGON || type == EMR_POLYPOLYGON16) {
            polyPolygon(lists);
        } else {
            for (const QList<QPointF>& list : lists)
                polyline(list, false);
        }
        break;
    }
    case EMR_BEGINPATH:
        inPath_ = true;
        clearPath();
        break;
    case EMR_ENDPATH:
        inPath_ = false;
        break;
    case EMR_CLOSEFIGURE:
        if (!path_.isEmpty())
            path_.last().closed = true;
        break;
    case EMR_ABORTPATH:
    case EMR_SELECTCLIPPATH:
        inPath_ = false;
        clearPath();
        break;
    case EMR_FILLPATH:
    case EMR_STROKEPATH:
    case EMR_STROKEANDFILLPATH:
        if (!inPath_) {
            drawFigures(path_, type != EMR_FILLPATH, type != EMR_STROKEPATH);
            clearPath();
        }
        break;
    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW: {
        const QPointF at = point(36);
        const qint64 count = f.u32(44), offset = f.u32(48);
        const quint32 options = f.u32(52);
        const bool wide = type == EMR_EXTTEXTOUTW;
        if (f.damaged() || !f.has(offset, (wide ? 2 : 1) * count))
            return false;
        if (options & ETO_GLYPH_INDEX)
            break; // glyph numbers of a font we do not have
        text(at, wide ? fromUtf16(f, offset, count) : fromAnsi(f.bytes(offset, count)));
        break;
    }
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_STRETCHDIBITS:
    case EMR_SETDIBITSTODEVICE: {
        QPointF dest, destSize;
        QRectF source;
        quint32 offBmi, cbBmi, offBits, cbBits, rop = 0x00CC0020;
        if (type == EMR_STRETCHDIBITS || type == EMR_SETDIBITSTODEVICE) {
            dest = point(24);
            source = QRectF(f.i32(32), f.i32(36), f.i32(40), f.i32(44));
            offBmi = f.u32(48), cbBmi = f.u32(52), offBits = f.u32(56), cbBits = f.u32(60);
            if (type == EMR_STRETCHDIBITS) {
                rop = f.u32(68);
                destSize = size(72);
            } else {
                destSize = QPointF(source.width(), source.height());
            }
        } else {
            dest = point(24);
            destSize = size(32);
            rop = f.u32(40);
            source.moveTo(f.i32(44), f.i32(48));
            offBmi = f.u32(84), cbBmi = f.u32(88), offBits = f.u32(92), cbBits = f.u32(96);
            if (type == EMR_STRETCHBLT)
                source.setSize(QSizeF(f.i32(100), f.i32(104)));
            else
                source.setSize(QSizeF(destSize.x(), destSize.y()));
        }
        if (f.damaged())
            return false;
        QImage picture;
        if (cbBmi > 0) {
            if (!f.has(offBmi, cbBmi) || !f.has(offBits, cbBits))
                return false;
            const QByteArrayView header = f.bytes(offBmi, cbBmi);
            picture = dibImage(header, f.bytes(offBits, cbBits));
            if (!picture.isNull() && type != EMR_BITBLT && type != EMR_STRETCHBLT &&
                dibFromBottom(header))
                source.moveTop(picture.height() - source.top() - source.height());
        }
        blit(dest, destSize, picture, source, rop);
        break;
    }
    default:
        break; // records without a drawing of their own here
    }
    return !f.damaged();
}

} // namespace

std::optional<Metafile> Metafile::fromData(QByteArrayView data) {
    Fields f(data);
    if (f.u32(0) == EMR_HEADER && f.u32(40) == kEmfSignature)
        return fromEmf(data);
    return fromWmf(data);
}

std::optional<Metafile> Metafile::fromWmf(QByteArrayView data) {
    Fields f(data);
    Metafile m;
    qsizetype header = 0;
    QRectF window;
    if (f.u32(0) == kPlaceableKey) {
        const int left = f.i16(6), top = f.i16(8), right = f.i16(10), bottom = f.i16(12);
        int inch = f.u16(14);
        if (inch == 0)
            inch = 1440;
        window = QRectF(left, top, right - left, bottom - top);
        m.natural_ = QSize(sideFrom(std::abs(right - left) * 96.0 / inch),
                           sideFrom(std::abs(bottom - top) * 96.0 / inch));
        header = 22;
    }
    const quint16 kind = f.u16(header), words = f.u16(header + 2);
    if (f.damaged() || (kind != 1 && kind != 2) || words != 9)
        return std::nullopt;
    m.objectSlots_ = f.u16(header + 10);
    m.firstRecord_ = header + 18;

    // The chain of records must hold together and end with the end record; a plain WMF
    // takes its size from its first window settings.
    bool ended = false;
    std::optional<QPointF> origin, extent;
    for (qsizetype at = m.firstRecord_; at + 6 <= data.size();) {
        const qint64 bytes = 2 * qint64(f.u32(at));
        const quint16 function = f.u16(at + 4);
        if (bytes < 6 || bytes > data.size() - at)
            return std::nullopt;
        if (function == META_EOF) {
            ended = true;
            break;
        }
        if ((function == META_SETWINDOWORG || function == META_SETWINDOWEXT) && bytes >= 10) {
            const QPointF p(f.i16(at + 8), f.i16(at + 6));
            if (function == META_SETWINDOWORG && !origin)
                origin = p;
            if (function == META_SETWINDOWEXT && !extent)
                extent = p;
        }
        at += bytes;
    }
    if (!ended || f.damaged())
        return std::nullopt;
    if (header == 0) {
        if (!extent)
            return std::nullopt;
        window = QRectF(origin.value_or(QPointF()), QSizeF(extent->x(), extent->y()));
        m.natural_ = QSize(sideFrom(std::abs(extent->x())), sideFrom(std::abs(extent->y())));
    }
    m.frame_ = window;
    m.data_ = data.toByteArray();
    return m;
}

std::optional<Metafile> Metafile::fromEmf(QByteArrayView data) {
    Fields f(data);
    Metafile m;
    m.enhanced_ = true;
    const qint64 headerSize = f.u32(4);
    if (headerSize < 88 || headerSize > data.size())
        return std::nullopt;
    const QRect bounds(QPoint(f.i32(8), f.i32(12)), QPoint(f.i32(16), f.i32(20)));
    const qint64 frameLeft = f.i32(24), frameTop = f.i32(28), frameRight = f.i32(32),
                 frameBottom = f.i32(36);
    m.objectSlots_ = f.u16(56);
    const double deviceX = f.i32(72), deviceY = f.i32(76), mmX = f.i32(80), mmY = f.i32(84);
    QPointF perMm(96 / 25.4, 96 / 25.4);
    if (deviceX > 0 && deviceY > 0 && mmX > 0 && mmY > 0)
        perMm = QPointF(deviceX / mmX, deviceY / mmY);
    if (f.damaged())
        return std::nullopt;

    // The frame is in hundredths of a millimetre; the bounds, in device pixels, stand in
    // when a writer left the frame empty.
    if (frameRight > frameLeft && frameBottom > frameTop) {
        m.frame_ = QRectF(frameLeft * perMm.x() / 100, frameTop * perMm.y() / 100,
                          (frameRight - frameLeft) * perMm.x() / 100,
                          (frameBottom - frameTop) * perMm.y() / 100);
        m.natural_ = QSize(sideFrom((frameRight - frameLeft) * 96.0 / 2540),
                           sideFrom((frameBottom - frameTop) * 96.0 / 2540));
    } else if (bounds.right() >= bounds.left() && bounds.bottom() >= bounds.top()) {
        m.frame_ = QRectF(bounds.left(), bounds.top(), double(bounds.right()) - bounds.left() + 1,
                          double(bounds.bottom()) - bounds.top() + 1);
        m.natural_ = QSize(sideFrom(m.frame_.width() * 96 / (perMm.x() * 25.4)),
                           sideFrom(m.frame_.height() * 96 / (perMm.y() * 25.4)));
    } else {
        return std::nullopt;
    }

    bool ended = false;
    for (qsizetype at = 0; at + 8 <= data.size();) {
        const quint32 type = f.u32(at);
        const qint64 bytes = f.u32(at + 4);
        if (bytes < 8 || bytes > data.size() - at)
            return std::nullopt;
        if (type == EMR_EOF) {
            ended = true;
            break;
        }
        at += bytes;
    }
    if (!ended)
        return std::nullopt;
    m.firstRecord_ = headerSize;
    m.pixelsPerMm_ = perMm;
    m.data_ = data.toByteArray();
    return m;
}

bool Metafile::play(GdiCanvas& canvas, const QRect& target) const {
    // The canvas may belong to someone else: give its attributes back afterwards.
    const ColorRef penColor = canvas.penColor(), brushColor = canvas.brushColor(),
                   fontColor = canvas.fontColor();
    const int penStyle = canvas.penStyle(), penWidth = canvas.penWidth(),
              brushStyle = canvas.brushStyle(), fontSize = canvas.fontSize(),
              fontStyle = canvas.fontStyle();
    const QString fontName = canvas.fontName();
    const PenMode mode = canvas.penMode();
    canvas.setPenMode(PenMode::Copy);

    Player player(canvas, target);
    bool ok;
    if (enhanced_) {
        ok = player.playEmf(data_, firstRecord_, frame_, pixelsPerMm_, objectSlots_);
    } else {
        ok = player.playWmf(data_, firstRecord_, frame_, objectSlots_);
    }

    canvas.setPenColor(penColor);
    canvas.setPenStyle(penStyle);
    canvas.setPenWidth(penWidth);
    canvas.setPenMode(mode);
    canvas.setBrushColor(brushColor);
    canvas.setBrushStyle(brushStyle);
    canvas.setFontName(fontName);
    canvas.setFontSize(fontSize);
    canvas.setFontStyle(fontStyle);
    canvas.setFontColor(fontColor);
    return ok;
}

std::optional<QImage> Metafile::render(QSize size) const {
    if (size.isEmpty() || size.width() > kMaxSide || size.height() > kMaxSide ||
        qint64(size.width()) * size.height() > kMaxArea)
        return std::nullopt;
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return std::nullopt;
    image.fill(Qt::white);
    GdiCanvas canvas(&image);
    const bool ok = play(canvas, image.rect());
    canvas.flush();
    if (!ok)
        return std::nullopt;
    return image;
}
