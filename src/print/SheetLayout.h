#pragma once

#include "LineCodec.h"
#include "LineRenderer.h"
#include "PageSetup.h"

#include <QLine>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QSizeF>

// The printer's sheet of paper: its whole size in device pixels and in millimetres.
struct PaperSize {
    QSize pixels;
    QSizeF millimetres;
};

// How many copies of a label fit on the A4 sheet, where each cell lies, and how label pixels
// become pixels of the target: the preview's drawing area or the printer page. Every result
// is a plain int, however far beyond the label file's three hex digits it reaches.
class SheetLayout {
public:
    // The sheet is always taken to be A4 portrait, whatever paper the printer holds.
    static constexpr int kSheetWidth = 210;
    static constexpr int kSheetHeight = 297;

    static constexpr int kPixelLimit = CellTransform::kPixelLimit;

    enum class Target { Preview, Printer };

    // Prepares the preview: BaseScale fits the printer page into a screen of that height.
    // Throws UserError when a header field does not convert.
    void Init(const PageSetupValues& setup, const LineList& lines, const PaperSize& paper,
              int screenHeight);
    // Prepares printing, where a printer pixel stays a printer pixel.
    void Init2(const PageSetupValues& setup, const LineList& lines, const PaperSize& paper);

    // The preview's zoom box, "Actualiser".
    void Actualiser(int zoom);
    // The drawing area as the preview laid it out; FormResize also refits BaseScale to it.
    void setArea(QSize size);
    void FormResize(QSize size);

    // Millimetres to target pixels, horizontally and vertically, measured from the paper's edge.
    int Mh(int mm) const;
    int Mv(int mm) const;

    int columns() const;
    int rows() const;
    // The top-left corner of a cell, rows and columns counted from 0.
    QPoint cellOrigin(int row, int column) const;
    // Where a cell's background record is drawn: the cell itself, shifted like its objects.
    QRect backgroundRect(int row, int column) const;
    // Label pixels to target pixels in a cell: scaled, shifted by the margins and the cell.
    CellTransform transform(int row, int column) const;
    // A label coordinate in target pixels within its cell; the caller adds the cell's origin.
    int x(int labelX) const;
    int y(int labelY) const;
    QPoint point(QPoint label) const { return {x(label.x()), y(label.y())}; }
    // A font size for the target: scaled on the preview, kept in points on paper.
    int fontSize(int size) const;
    // The preview's lines between the cells, across the whole drawing area.
    QList<QLine> guideLines() const;

    Target target = Target::Preview;
    PaperSize paper;
    QSize area;
    int MarginLeft = 0;
    int MarginTop = 0;
    int MarginRight = 0;
    int MarginBottom = 0;
    int Zoom = 100;
    int LabelWidth = 0;
    int LabelHeight = 0;
    int HSpacing = 0;
    int VSpacing = 0;
    double PageRatio = 0;
    double BaseScale = 1;
    double ZoomFactor = 3;
    // Always BaseScale x ZoomFactor: target pixels per label pixel.
    double Scale = 3;
    int CellWidth = 0;
    int CellHeight = 0;
    int CellHSpacing = 0;
    int CellVSpacing = 0;

private:
    void prepare(const PageSetupValues& setup, const LineList& lines, const PaperSize& paper);
    void setBaseScale(double baseScale);
    void updateCells();
    QSize extent() const;
};
