#include "SheetPainter.h"

#include "GdiCanvas.h"
#include "PrintDevice.h"
#include "UserError.h"

#include <QPainter>

#include <algorithm>

RenderOptions cellOptions(const SheetLayout& layout, int row, int column) {
    const CellTransform transform = layout.transform(row, column);
    const QRect background = layout.backgroundRect(row, column);
    RenderOptions options = layout.target == SheetLayout::Target::Printer
                                ? RenderOptions::printedCell(transform, background)
                                : RenderOptions::previewCell(transform, background);
    // Hatch tiles start at the label's lower right corner, by which the sheet's PDF places each
    // copy of the label drawn once: every copy shows the same hatch.
    options.hatchOrigin =
        transform.map(QPoint(layout.LabelWidth, layout.LabelHeight) * layout.labelPixelsPerMm());
    return options;
}

void scaleCanvas(GdiCanvas& canvas, const SheetLayout& layout) {
    // Texts and pens take the sheet's scale; a zoom of 0 or less leaves them as small as can be.
    constexpr double kLeast = 1e-3;
    canvas.setDpi(std::max(layout.fontDpi(), kLeast));
    canvas.setPenScale(std::max(layout.penScale(), kLeast));
}

int sheetsToPrint(const SheetLayout& layout) {
    const int sheets = layout.sheetCount();
    if (sheets == 0)
        throw UserError(QStringLiteral("La liste %1 ne contient aucune ligne : rien n'est imprimé")
                            .arg(layout.merge ? layout.merge->fileName : QString()));
    return sheets;
}

QList<BrokenLine> paintSheet(GdiCanvas& canvas, const SheetLayout& layout, const LineList& lines,
                             PictureCache* cache, int sheet) {
    scaleCanvas(canvas, layout);
    LabelPainter painter(canvas, cache);
    QList<BrokenLine> broken;
    for (int row = 0; row < layout.rows(); ++row) {
        for (int column = 0; column < layout.columns(); ++column) {
            // The cells of a partly used sheet that were used before stay blank.
            if (!layout.printsCell(row, column, sheet))
                continue;
            RenderState state;
            const int mergeRow = layout.mergeRow(row, column, sheet);
            const QList<BrokenLine> cell = painter.paint(
                mergeRow < 0 ? lines : MergeFields::fill(lines, *layout.merge, mergeRow),
                cellOptions(layout, row, column), state);
            // The same lines break in every cell: they are said once.
            if (broken.isEmpty())
                broken = cell;
        }
    }
    return broken;
}

QList<BrokenLine> printSheet(PrintDevice& device, const SheetLayout& layout, const LineList& lines,
                             int copies, PictureCache* cache) {
    const int sheets = sheetsToPrint(layout);
    QList<BrokenLine> broken;
    printCopies(device, copies, sheets, [&](QPainter& painter, int sheet) {
        GdiCanvas canvas;
        canvas.setPainter(&painter, device.resolution());
        const QList<BrokenLine> drawn = paintSheet(canvas, layout, lines, cache, sheet);
        if (broken.isEmpty())
            broken = drawn;
        canvas.flush();
    });
    return broken;
}
