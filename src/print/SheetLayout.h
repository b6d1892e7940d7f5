#pragma once

#include "LineCodec.h"
#include "LineRenderer.h"
#include "MergeList.h"
#include "PageSetup.h"
#include "SheetJob.h"
#include "SheetStock.h"

#include <QLine>
#include <QList>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QSizeF>

#include <memory>
#include <optional>

// The printer's sheet of paper: its whole size in device pixels and in millimetres, and the
// device's resolution. Qt gives A4 in whole points (2479 pixels wide at 300 dpi, not 2480.3),
// so the resolution, when known, is what turns millimetres into pixels.
struct PaperSize {
    QSize pixels;
    QSizeF millimetres;
    int dotsPerInch = 0;
};

// How many copies of a label fit on the A4 sheet, where each cell lies, and how label pixels
// become pixels of the target: the preview's drawing area or the printer page.
//
// Zoom 100 is the label's true size on any target: a label pixel is a quarter of a
// millimetre (a third on a CD label), text is in points and a pen unit is 1/300 inch, all
// times zoom / 100; margins and cell steps are millimetres from the paper's edge. Each target
// only says how many of its pixels make a millimetre, so a printer's resolution changes how
// finely the sheet is drawn, never a size or a place. Every result is a plain int, however
// far beyond the label file's three hex digits it reaches.
class SheetLayout {
public:
    // The sheet is always taken to be A4 portrait, whatever paper the printer holds.
    static constexpr int kSheetWidth = 210;
    static constexpr int kSheetHeight = 297;

    static constexpr int kPixelLimit = CellTransform::kPixelLimit;

    enum class Target { Preview, Printer };

    // Prepares the preview of the paper; the drawing area comes with setArea. Throws
    // UserError when a header field does not convert.
    void Init(const PageSetupValues& setup, const LineList& lines, const PaperSize& paper);
    // Prepares printing on the paper's own pixels.
    void Init2(const PageSetupValues& setup, const LineList& lines, const PaperSize& paper);
    // The same for a job: its stock and cells too, and on paper its offset.
    void Init(const SheetJob& job, const PaperSize& paper);
    void Init2(const SheetJob& job, const PaperSize& paper);
    // The job's stock, cells and list (which it reads: throws UserError when it cannot).
    void takeJob(const SheetJob& job);

    // The preview's zoom box, "Actualiser".
    void Actualiser(int zoom);
    // The drawing area of the preview, which shows the whole paper.
    void setArea(QSize size);
    void FormResize(QSize size) { setArea(size); }

    // Target pixels per millimetre of paper, across and down.
    double pixelsPerMmX() const;
    double pixelsPerMmY() const;
    // Label pixels per millimetre: 4, or 3 on a CD label.
    int labelPixelsPerMm() const;

    // Millimetres to target pixels, horizontally and vertically, measured from the paper's edge.
    int Mh(int mm) const;
    int Mv(int mm) const;

    int columns() const;
    int rows() const;
    // The top-left corner of a cell, rows and columns counted from 0, without the margins.
    QPoint cellOrigin(int row, int column) const;
    // Where a cell's background record is drawn: the cell itself, shifted like its objects.
    QRect backgroundRect(int row, int column) const;
    // Label pixels to target pixels in a cell: scaled, shifted by the margins and the cell.
    CellTransform transform(int row, int column) const;
    // Target pixels per inch at which text points are drawn: the zoom scales texts too.
    double fontDpi() const;
    // Target pixels per pen unit.
    double penScale() const;
    // The preview's lines between the cells, across the whole drawing area (the computed
    // sheet), or nothing (a sheet of stock, whose cells show their outlines).
    QList<QLine> guideLines() const;
    // Each cell's rectangle, from its corner over the label's size on the sheet.
    QRect cellRect(int row, int column) const;

    // A sheet of pre-cut labels: its cells, pitches and margins replace the computed sheet's
    // and the page setup's margins.
    void setStock(const std::optional<SheetStock>& sheetStock);
    // A partly used sheet: the cells before `first` (counted across rows from 0) stay blank,
    // and `count` cells are printed from it (fewer than 0: to the end of the sheet).
    void setCells(int first, int count);
    // Whether the cell of the sheet (counted from 0) holds a label.
    bool printsCell(int row, int column, int sheet = 0) const;
    // A list printed one row a label: the cells from `firstCell` on take its rows in turn,
    // sheet after sheet.
    void setMerge(std::shared_ptr<const MergeTable> table);
    // The list's row a cell takes, or -1 (no list, or a cell before or after its rows).
    int mergeRow(int row, int column, int sheet) const;
    // How many sheets the job prints: 1 without a list, 0 for a list without rows.
    int sheetCount() const;
    // What is wrong with the list, or with the label's references to its columns.
    QStringList mergeProblems(const LineList& lines) const;
    // The printer's own feed error, in millimetres: moves everything on paper, never in the
    // preview.
    void setOffset(QPointF millimetres);

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
    // The paper's width over its height, which the preview's sheet keeps.
    double PageRatio = 0;
    // Target pixels per label pixel.
    double Scale = 0;
    // The label and its spacing in preview pixels.
    int CellWidth = 0;
    int CellHeight = 0;
    int CellHSpacing = 0;
    int CellVSpacing = 0;
    std::optional<SheetStock> stock;
    std::shared_ptr<const MergeTable> merge;
    int firstCell = 0;
    int cellCount = -1;
    QPointF offset;

private:
    void prepare(Target kind, const PageSetupValues& setup, const LineList& lines,
                 const PaperSize& paper);
    void update();
    // Where a cell's corner lies, margins included, in target pixels.
    QPointF cellCorner(int row, int column) const;
};
