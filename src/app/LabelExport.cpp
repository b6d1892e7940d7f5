#include "LabelExport.h"

#include "GdiCanvas.h"
#include "LabelDocument.h"
#include "PictureCache.h"
#include "PrintDevice.h"
#include "SafeFile.h"
#include "Selection.h"
#include "SheetLayout.h"
#include "SheetPainter.h"
#include "SheetPdf.h"
#include "UserError.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QSvgGenerator>

namespace LabelExport {

namespace {

// QSvgGenerator gives its size in whole dots per inch: at 254 a unit is 0.1 mm, which every
// label measures exactly.
constexpr int kSvgDpi = 254;
constexpr int kSvgUnitsPerMm = 10;

// A file written whole from memory, so that a disk that fills up leaves no half a file.
void writeWhole(const QString& path, const QByteArray& content) {
    if (content.isEmpty() || !SafeFile::writeAtomically(path, content))
        throw UserError::cannotCreate(QDir::toNativeSeparators(path));
}

} // namespace

namespace {

// The job laid out on the device's paper, named after the job.
SheetLayout layOut(PrintDevice& device, const SheetJob& job, QStringList* warnings) {
    device.setDocumentName(job.name);
    SheetLayout layout;
    layout.Init2(job,
                 PaperSize{device.pagePixels(), device.pageMillimetres(), device.resolution()});
    if (warnings)
        *warnings = layout.mergeProblems(job.lines);
    return layout;
}

} // namespace

QList<BrokenLine> printSheetJob(PrintDevice& device, const SheetJob& job, int copies,
                                QStringList* warnings) {
    const SheetLayout layout = layOut(device, job, warnings);
    PictureCache pictures;
    return printSheet(device, layout, job.lines, copies, &pictures);
}

QList<BrokenLine> writeSheetPdf(const QString& path, const SheetJob& job, int dpi, int copies,
                                QStringList* warnings) {
    // The label drawn once for all its cells; the few labels that cannot be are drawn cell by
    // cell on the same paper.
    PdfFileDevice device(path, dpi);
    const SheetLayout layout = layOut(device, job, warnings);
    PictureCache pictures;
    if (const std::optional<QList<BrokenLine>> broken =
            SheetPdf::write(path, layout, job.lines, copies, job.name, &pictures))
        return *broken;
    return printSheet(device, layout, job.lines, copies, &pictures);
}

QList<BrokenLine> writeLabelPng(const QString& path, const LabelDocument& document) {
    QList<BrokenLine> broken;
    const QImage surface = drawLabelSurface(document, &broken);
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !surface.save(&buffer, "PNG"))
        throw UserError::cannotCreate(QDir::toNativeSeparators(path));
    writeWhole(path, png);
    return broken;
}

QList<BrokenLine> writeLabelSvg(const QString& path, const LabelDocument& document) {
    // The viewBox is the label in its own pixels (0.25 mm, 1/3 mm on a CD label), the size
    // the label in millimetres.
    const QSize frame = LabelDocument::frameSize(document.format());
    const QSize surface = LabelDocument::surfaceSize(document.format());
    const int pixelsPerMm = document.isCdLabel() ? 3 : 4;
    QByteArray svg;
    QBuffer buffer(&svg);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(kSvgDpi);
    generator.setSize(frame * kSvgUnitsPerMm / pixelsPerMm);
    generator.setViewBox(QRect(QPoint(0, 0), frame));
    generator.setTitle(QFileInfo(document.FileName).fileName());
    generator.setDescription(QStringLiteral("Vorlap"));

    // The window's drawing, on paths and text instead of pixels.
    GdiCanvas canvas(&generator);
    const QList<BrokenLine> broken = paintLabelSurface(canvas, document, frame, surface.height());
    canvas.flush();
    writeWhole(path, svg);
    return broken;
}

LabelDocument withoutSelection(const LabelDocument& document) {
    LabelDocument copy;
    copy.LabelWidth = document.LabelWidth;
    copy.LabelHeight = document.LabelHeight;
    copy.HSpacing = document.HSpacing;
    copy.VSpacing = document.VSpacing;
    copy.Stock = document.Stock;
    copy.FileName = document.FileName;
    copy.Lines = document.Lines;
    // Only the marks go, not the refit of texts that deselecting in the window makes: the
    // drawing stays what the window shows.
    for (qsizetype i = 2; i < copy.Lines.size(); ++i)
        if (Selection::isSelected(copy.Lines[i]))
            copy.Lines[i][0] = Selection::kPlain;
    return copy;
}

} // namespace LabelExport
