#pragma once

#include "CanvasTypes.h"
#include "KeyedTable.h"

#include <QBrush>
#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A drawing surface that behaves like a Windows device context: pen, brush and font
// persist between calls, figures leave out their right and bottom edge, LineTo leaves
// out its last pixel, arcs run counter-clockwise, hatch gaps stay transparent.
// Font sizes are in points and map to pixels at dpi() (96 on screen); pen widths are in pen
// units of penScale() device pixels each (1 on screen).
// On images the figures are set pixel by pixel by those rules. On paper and in PDF (any
// device that is not an image) they go out as QPainter paths of the same geometry, texts as
// text and pictures as the one shared image each, so the output stays vector.
class GdiCanvas {
public:
    GdiCanvas();
    explicit GdiCanvas(QPaintDevice* device, double dpi = 96);
    ~GdiCanvas();
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    // Attach to a device (nullptr detaches); attributes are kept across devices.
    void setDevice(QPaintDevice* device, double dpi = 96);
    // Draw with a painter someone else began and ends, such as a print job's on its pages.
    void setPainter(QPainter* painter, double dpi);
    QPaintDevice* device() const { return device_; }
    double dpi() const { return dpi_; }
    // Device pixels per inch at which font points turn into pixels: a drawing scaled on paper
    // or in the preview scales its texts through it.
    void setDpi(double dpi);
    // Device pixels per pen unit; on paper and in the preview a pen unit is 1/300 inch of the
    // sheet, scaled like the drawing. Hatches on paper scale with it too.
    void setPenScale(double scale);
    double penScale() const { return penScale_; }
    // The device pixel where hatch tiles start: the same place in every copy of a label on the
    // sheet, so that all show the same hatch.
    void setHatchOrigin(QPoint origin) { hatchOrigin_ = origin; }
    // On vector devices, what is drawn in a picture's place: a small stand-in that the PDF of
    // the sheet swaps for the picture stored its own way. None draws the picture itself.
    using PictureStandIn = std::function<QImage(const QImage&)>;
    void setPictureStandIn(PictureStandIn standIn) { pictureStandIn_ = std::move(standIn); }

    // Pen
    void setPenColor(ColorRef color);
    ColorRef penColor() const { return penColor_; }
    void setPenStyle(int style);
    int penStyle() const { return penStyle_; }
    void setPenWidth(int width);
    int penWidth() const { return penWidth_; }
    void setPenMode(PenMode mode);
    PenMode penMode() const { return penMode_; }

    // Brush
    void setBrushColor(ColorRef color);
    ColorRef brushColor() const { return brushColor_; }
    void setBrushStyle(int style);
    int brushStyle() const { return brushStyle_; }

    // Font
    void setFontName(const QString& name);
    QString fontName() const { return fontName_; }
    void setFontSize(int points);
    int fontSize() const { return fontSize_; }
    void setFontColor(ColorRef color);
    ColorRef fontColor() const { return fontColor_; }
    void setFontStyle(int flags);
    int fontStyle() const { return fontStyle_; }
    QFont font() const;

    // Width and height of a text in the current font, in device pixels.
    QSize textExtent(const QString& text) const;

    // Primitives, in device pixels, with Windows edge conventions.
    void moveTo(int x, int y);
    void lineTo(int x, int y);
    QPoint penPosition() const { return penPos_; }
    void rectangle(int left, int top, int right, int bottom);
    void ellipse(int left, int top, int right, int bottom);
    void roundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    void arc(int left, int top, int right, int bottom, int startX, int startY, int endX, int endY);
    void polygon(const QList<QPoint>& points);
    void polyline(const QList<QPoint>& points);
    void fillRect(int left, int top, int right, int bottom);
    void textOut(int x, int y, const QString& text);
    void stretchDraw(int left, int top, int right, int bottom, const QImage& picture);
    // The same for a picture of `size` of which `columns` holds the first columns: the
    // columns past them are drawn white without being made.
    void stretchDraw(int left, int top, int right, int bottom, const QImage& columns, QSize size);
    // Paints the rectangle white, whatever the pen and brush.
    void whiten(int left, int top, int right, int bottom);

    // Painting stays open from one primitive to the next for speed; flush() ends it so
    // the device can be read (a QImage's pixels, a finished page) or resized. The next
    // primitive starts painting again.
    void flush();

private:
    struct Dash;
    struct FontEntry;
    struct TextEntry;
    struct BoxRows;

    // One colour for runs of pixels, for devices that are not plain images. Qt fills many
    // small rectangles much faster with a tile brush, or as points, than with a plain
    // colour, and large ones slower. Each form is made on first use: colours change from
    // one object to the next.
    struct Ink {
        QColor color;
        QBrush plain, tile;
        QPen dots;
        bool hasPlain = false, hasTile = false, hasDots = false;
        void setColor(const QColor& c) {
            color = c;
            hasPlain = hasTile = hasDots = false;
        }
    };

    // 32-bit pixels written directly, without QPainter: the device's when it is an image
    // of such pixels, or the not-XOR scratch image's. Device coordinates throughout.
    struct Raster {
        uchar* bits = nullptr;
        qsizetype bytesPerLine = 0;
        QPoint origin; // device position of the first pixel of bits
        QRect area;    // device pixels that may be written
        quint32* pixel(int x, int y) const {
            return reinterpret_cast<quint32*>(bits + (y - origin.y()) * bytesPerLine) +
                   (x - origin.x());
        }
    };

    // A horizontal run of pixels, both ends included.
    struct Span {
        int y, left, right;
    };

    // A box with elliptic corners around its centre (cx, cy): straight half-sides dx and
    // dy between corner centres, corner radii rx and ry. Pixel centres are at integers.
    struct Shape {
        double cx, cy, dx, dy, rx, ry;
    };

    // Pixel rows of a wide outline: [outerLeft, outerEnd) is covered, and
    // [innerLeft, innerEnd) lies inside the pen when not empty.
    struct BandRow {
        int y, outerLeft, outerEnd, innerLeft, innerEnd;
    };

    enum class Source { Pen, Brush };

    // Runs of a figure relative to its box: ring_ and inner_ as traced.
    struct Figure {
        std::vector<QRect> ring, inner;
        // Whether no pixel lies in two runs: -1 until a not-XOR drawing asks.
        mutable signed char disjoint = -1;
    };
    // What those runs depend on: the kind of figure, its box's size, its pen's width and
    // style, and its corners or its ends relative to the box.
    using FigureKey = std::array<int, 8>;

    QPainter* painter();
    // Copy-mode drawing on a device that is not an image: QPainter paths, not pixel runs.
    bool vectorOutput() const { return vector_ && penMode_ == PenMode::Copy; }
    QPen vectorPen(double width, double dashOffset = 0) const;
    // The pen's width on paper, in device pixels.
    double vectorWidth() const;
    // Pixels of a font of the current size at dpi(), rounded as Windows rounds them.
    int fontPixels() const;
    void applyVectorBrush(QPainter& p) const;
    void vectorBox(const QRect& box, int cornerWidth, int cornerHeight);
    void vectorArc(const QRect& box, QPoint startPoint, QPoint endPoint);
    void vectorLine(QPoint from, QPoint to);
    void vectorPolygon(const QList<QPoint>& points, bool closed);
    void vectorPicture(int left, int top, int right, int bottom, const QImage& columns, QSize size);
    int lineWidth() const;
    const Dash* dash() const;
    static bool dashOn(const Dash& dash, int phase);
    quint32 penPixel() const;
    quint32 brushPixel() const;
    const uchar* brushHatch() const;

    // `disjoint`: no pixel of the figure is painted twice.
    bool beginFigure(QRect bounds, bool disjoint = false);
    bool beginFigure(QRect bounds, const Figure& figure);
    void endFigure();
    void paint(const std::vector<QRect>& runs, Source source, bool withDots = true,
               QPoint offset = {});
    void fillRaster(const Raster& raster, const QRect& r, quint32 pixel, const uchar* hatch) const;
    void invertRaster(const Raster& raster, const QRect& r, quint32 pixel,
                      const uchar* hatch) const;
    void paintRuns(QPainter& p, const std::vector<QRect>& runs, Ink& ink, bool withDots);
    void paintPattern(QPainter& p, const std::vector<QRect>& runs, const QBrush& pattern);
    const QBrush& brush() const;
    QPointF hatchBrushOrigin() const;

    void traceBox(const QRect& box, int cornerWidth, int cornerHeight);
    void walkBox(const QRect& box);
    void dashWalk(int phase);
    void traceLine(QPoint from, QPoint to, int& phase);
    void boxFigure(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    // The runs of a figure whose box lies at `box` on the device, traced at the origin: whole and
    // kept when the figure is not much larger than the device, else only where the device shows.
    const Figure& wideBoxFigure(const QRect& box, int cornerWidth, int cornerHeight, int pen);
    const Figure& thinBoxFigure(const QRect& box, int cornerWidth, int cornerHeight, int dashStyle,
                                int pad);
    QPoint wideBoxReach(const QRect& box, int cornerWidth, int cornerHeight, int pen);
    void traceArc(const QRect& box, QPoint startPoint, QPoint endPoint);
    bool clipTracing(const QRect& reach, QPoint origin);
    const Figure& clippedFigure();
    void traceBoxRows(const QRect& box, int cornerWidth, int cornerHeight);
    void dashBoxRows(const QRect& box, int cornerWidth, int cornerHeight);
    void traceArcRows(const QRect& box, double start, double sweep);
    void addClippedRun(std::vector<QRect>& runs, int y, int left, int right) const;
    static bool runsDisjoint(const std::vector<QRect>& ring, const std::vector<QRect>& inner);
    static Shape shapeOf(const QRect& box, int cornerWidth, int cornerHeight);
    void bandRows(const Shape& shape, double radius);
    void wideBox(const Shape& shape, double radius);
    void wideArc(const QRect& box, double start, double sweep, double radius);
    const std::vector<BandRow>& ellipseBand(const QRect& box, double radius);
    void addCapsule(QPointF from, QPointF to, double radius, bool anywhere = false);
    void addSpan(int y, int left, int right);
    void mergeSpans(std::vector<QRect>& runs);
    void fillPolygon(const QList<QPoint>& points, bool centred);
    const Figure* findFigure(const FigureKey& key) const;
    const Figure& keepFigure(const FigureKey& key);
    void forgetFigures();

    // The characters of a text that can show on the device, [from, to), and their place:
    // `left` and `right` are where they start and end, from the text's start. `cellEnd` is
    // the right end of the text's cell on the device. `whole`: the text fits the device and
    // is drawn whole instead.
    struct TextRun {
        qsizetype from = 0, to = 0;
        double left = 0, right = 0;
        qint64 cellEnd = 0;
        bool whole = false;
    };

    FontEntry& currentFont() const;
    static int textMargin(const FontEntry& font);
    void drawOnSheet(const FontEntry& font, QSize size, QPointF at, const QString& text) const;
    const TextEntry& textEntry(FontEntry& font, const QString& text) const;
    TextRun visibleRun(const FontEntry& font, const QString& text, int x, const QRect& area) const;

    QPaintDevice* device_ = nullptr;
    std::unique_ptr<QPainter> painter_;
    QPainter* external_ = nullptr;
    bool vector_ = false; // the device is not an image
    double dpi_ = 96;
    double penScale_ = 1;
    QPoint hatchOrigin_;
    PictureStandIn pictureStandIn_;
    ColorRef penColor_ = 0;
    int penStyle_ = PenSolid;
    int penWidth_ = 1;
    PenMode penMode_ = PenMode::Copy;
    ColorRef brushColor_ = 0x00FFFFFF;
    int brushStyle_ = BrushSolid;
    QString fontName_ = QStringLiteral("Arial");
    int fontSize_ = 8;
    ColorRef fontColor_ = 0;
    int fontStyle_ = 0;
    QPoint penPos_;
    int linePhase_ = 0; // dash position carried from one lineTo to the next

    // Painting objects for devices that are not plain images, rebuilt only when an
    // attribute changes.
    mutable QBrush brush_;
    mutable Ink penInk_;
    mutable Ink brushInk_;
    mutable bool penDirty_ = true;
    mutable bool brushDirty_ = true;
    mutable QHash<quint64, QBrush> hatchCache_;

    // Fonts and the pixels of texts drawn in them, kept between redraws: a label draws the
    // same texts in the same fonts again and again, and QPainter takes far longer to lay
    // out and draw a text than copying its pixels takes.
    mutable QHash<QString, std::shared_ptr<FontEntry>> fontCache_;
    mutable std::shared_ptr<FontEntry> font_;
    mutable int cachedTexts_ = 0;
    mutable QImage textSheet_;
    QPen textPen_;

    // Pixel runs of the figure being drawn, reused between calls.
    std::vector<QRect> ring_;
    std::vector<QRect> inner_;
    std::vector<int> runStart_;
    std::vector<int> runEnd_;
    std::vector<QPoint> walk_;
    std::vector<QPointF> chain_;
    std::vector<QPointF> branch_;
    std::vector<BandRow> band_;
    std::vector<Span> spans_;
    std::vector<Span> sortedSpans_;
    std::vector<int> rowCounts_;
    std::vector<int> crossings_;
    std::vector<QRect> movedRuns_;
    std::vector<QRect> tileRuns_;
    std::vector<QRect> plainRuns_;
    std::vector<QPoint> dots_;

    // Wide figures traced before, by their size and pen, kept between redraws: the geometry
    // of a wide outline costs far more than painting it, and a label redraws the same
    // figures again and again.
    KeyedTable<Figure, 8> figures_;
    // The wide outline rows of whole ellipses, by box and pen: arcs of one box and pen differ
    // only in their ends, and each pair of ends is a figure of its own.
    KeyedTable<std::vector<BandRow>, 8> ellipseBands_;
    size_t figureRuns_ = 0;
    // A figure far larger than the device is traced only within traceClip_, in the coordinates
    // it is traced in, and not kept: its cost follows what shows, not its size.
    bool clipTrace_ = false;
    QRect traceClip_;
    Figure clipped_;
    mutable FigureKey lastKey_{};
    mutable const Figure* lastFigure_ = nullptr;

    Raster deviceRaster_;            // bits is null when the device is not a plain image
    const Raster* target_ = nullptr; // where the figure being drawn goes; null: QPainter
    bool invertTarget_ = false;      // not-XOR straight into target_
    QRect figureArea_;               // device pixels the figure being drawn can reach

    // Not-XOR figures are drawn on a white scratch image first, then combined with the
    // device in one pass, so every pixel is inverted exactly once.
    QImage scratch_;
    Raster scratchRaster_;
    QRect xorArea_;
    std::vector<int> sourceColumns_; // picture column of each target column, -1 for white
    std::vector<QRect> xorRuns_;     // runs of the figure painted on the scratch image
};
