#pragma once

#include "LabelPainter.h"
#include "SheetJob.h"

#include <QList>
#include <QString>

class LabelDocument;
class PrintDevice;

// The label and its sheet written out, one function each for the command line and the
// window's "Exporter" commands. A file that cannot be made throws UserError with the French
// text and leaves nothing behind; an old file stays whole until the new one is complete.
// Each returns the lines that could not be drawn, for the caller to report.
namespace LabelExport {

// The sheet of the job on the device, `copies` times: the job's page setup, stock, cells and
// offset, under the job's name; with a list, a sheet after another until its rows are done.
// What is wrong with the list goes to `warnings`, each problem once.
QList<BrokenLine> printSheetJob(PrintDevice& device, const SheetJob& job, int copies,
                                QStringList* warnings = nullptr);
// The same in an A4 PDF file drawn at `dpi`: the label drawn once and placed in every cell.
QList<BrokenLine> writeSheetPdf(const QString& path, const SheetJob& job, int dpi, int copies,
                                QStringList* warnings = nullptr);

// The label's drawing surface as the label window shows the document, as a PNG file.
QList<BrokenLine> writeLabelPng(const QString& path, const LabelDocument& document);
// The same drawing as vectors and text in an SVG file, at the label's size in millimetres.
QList<BrokenLine> writeLabelSvg(const QString& path, const LabelDocument& document);

// The document without the window's selection, which is no part of the label.
LabelDocument withoutSelection(const LabelDocument& document);

} // namespace LabelExport
