#pragma once

#include "LabelPainter.h"
#include "SheetLayout.h"

class GdiCanvas;
class PictureCache;
class PrintDevice;

// Draws a copy of the label in every cell of the sheet, rows outer and columns inner, in
// the layout's mode: a preview cell or a printed cell; with a list, each cell filled from its
// row of the sheet (counted from 0). A line that cannot be drawn is returned once, however
// many cells hold it; every other line is drawn in every cell.
QList<BrokenLine> paintSheet(GdiCanvas& canvas, const SheetLayout& layout, const LineList& lines,
                             PictureCache* cache = nullptr, int sheet = 0);

// Prints the sheets that the layout prepared for printing on the device, `copies` times: one
// job that is always ended or aborted (throws UserError when it cannot be made, or when a
// list has no row to print). Returns the lines that could not be drawn, once each.
QList<BrokenLine> printSheet(PrintDevice& device, const SheetLayout& layout, const LineList& lines,
                             int copies, PictureCache* cache = nullptr);

// The canvas set to the sheet's text resolution and pen scale.
void scaleCanvas(GdiCanvas& canvas, const SheetLayout& layout);
// How many sheets the layout prints; throws UserError when a list has no row to print.
int sheetsToPrint(const SheetLayout& layout);

// The options of one cell of the sheet.
RenderOptions cellOptions(const SheetLayout& layout, int row, int column);
