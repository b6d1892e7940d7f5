#include "SheetPainter.h"

#include "GdiCanvas.h"
#include "PrintDevice.h"

#include <QPainter>

#include <algorithm>

RenderOptions cellOptions(const SheetLayout& layout, int row, int column) {
    const CellTransform transform = layout.transform(row, column);
    const QRect background = layout.backgroundRect(row, column);
    return layout.target == SheetLayout::Target::Printer
               ? RenderOptions::printedCell(transform, background)
               : RenderOptions::previewCell(transform, background);
}

QList<BrokenLine> paintSheet(GdiCanvas& canvas, const SheetLayout& layout, const LineList& lines,
                             PictureCache* cache) {
    // Texts and pens take the sheet's scale; a zoom of 0 or less leaves them as small as can be.
    constexpr double kLeast = 1e-3;
    canvas.setDpi(std::max(layout.fontDpi(), kLeast));
    canvas.setPenScale(std::max(layout.penScale(), kLeast));
    LabelPainter painter(canvas, cache);
    QList<BrokenLine> broken;
    for (int row = 0; row < layout.rows(); ++row) {
        for (int column = 0; column < layout.columns(); ++column) {
            // The cells of a partly used sheet that were used before stay blank.
            if (!layout.printsCell(row, column))
                continue;
            RenderState state;
            const QList<BrokenLine> cell =
                painter.paint(lines, cellOptions(layout, row, column), state);
            // The same lines break in every cell: they are said once.
            if (broken.isEmpty())
                broken = cell;
        }
    }
    return broken;
}

QList<BrokenLine> printSheet(PrintDevice& device, const SheetLayout& layout, const LineList& lines,
                             int copies, PictureCache* cache) {
    QList<BrokenLine> broken;
    printCopies(device, copies, [&](QPainter& painter) {
        GdiCanvas canvas;
        canvas.setPainter(&painter, device.resolution());
        broken = paintSheet(canvas, layout, lines, cache);
        canvas.flush();
    });
    return broken;
}
