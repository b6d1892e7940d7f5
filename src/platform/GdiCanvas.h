#pragma once

#include <QFont>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>

// A colour as the label file stores it: 00BBGGRR, red in the lowest byte.
using ColorRef = quint32;

QColor colorFromRef(ColorRef value);
ColorRef refFromColor(const QColor& color);

enum class PenMode { Copy, NotXor };

// Brush style digits of the label format.
enum BrushStyleCode {
    BrushSolid = 0,
    BrushClear = 1,
    BrushHorizontal = 2,
    BrushVertical = 3,
    BrushFDiagonal = 4,
    BrushBDiagonal = 5,
    BrushCross = 6,
    BrushDiagCross = 7,
};

// Pen style digits of the label format.
enum PenStyleCode {
    PenSolid = 0,
    PenDash = 1,
    PenDot = 2,
    PenDashDot = 3,
    PenDashDotDot = 4,
    PenClear = 5,
    PenInsideFrame = 6,
};

enum FontStyleFlag {
    FontBold = 1,
    FontItalic = 2,
    FontUnderline = 4,
    FontStrikeOut = 8,
};

// A drawing surface that behaves like a Windows device context: pen, brush and font
// persist between calls, figures leave out their right and bottom edge, LineTo leaves
// out its last pixel, arcs run counter-clockwise, hatch gaps stay transparent.
// Font sizes are in points and map to pixels at dpi() (96 on screen).
class GdiCanvas {
public:
    GdiCanvas();
    explicit GdiCanvas(QPaintDevice* device, int dpi = 96);
    ~GdiCanvas();
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    // Attach to a device (nullptr detaches); attributes are kept across devices.
    void setDevice(QPaintDevice* device, int dpi = 96);
    QPaintDevice* device() const { return device_; }
    int dpi() const { return dpi_; }

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
    // Paints the rectangle white, whatever the pen and brush.
    void whiten(int left, int top, int right, int bottom);

private:
    QPainter* painter();
    void applyPen(QPainter& p) const;
    void applyBrush(QPainter& p) const;

    QPaintDevice* device_ = nullptr;
    std::unique_ptr<QPainter> painter_;
    int dpi_ = 96;
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
};
