#pragma once

#include "LabelPainter.h"
#include "SheetLayout.h"

#include <QList>
#include <QString>

#include <optional>

class PictureCache;

// The sheets of a layout prepared for printing on A4 PDF pages, written as a PDF file in which
// the label is drawn once: its drawing is a form XObject placed at every cell, and the copies
// are pages that share their sheet's content, so pictures, fonts and figures are stored once.
// Pictures are stored once each, losslessly, behind PNG predictors (PdfPictures).
// The lines that hold fields of a list are drawn in each cell, between the shared runs of the
// label's other lines, so that every object still lies over the ones before it.
namespace SheetPdf {

// Writes the file, `copies` times each sheet, under the title; an old file stays whole until
// the new one is complete. Returns the lines that could not be drawn, once each; or nothing,
// with no file written, when the label cannot be drawn once for all its cells (its first style
// would depend on the cell before it) or has nothing to share (every line holds a field), for
// the caller to draw every cell itself. Throws
// UserError when the file cannot be made or a list has no row to print.
std::optional<QList<BrokenLine>> write(const QString& path, const SheetLayout& layout,
                                       const LineList& lines, int copies, const QString& title,
                                       PictureCache* cache = nullptr);

} // namespace SheetPdf
