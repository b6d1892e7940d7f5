#include "SheetLayout.h"

#include "LineRenderer.h"
#include "UserError.h"

#include <algorithm>
#include <cmath>

namespace {

int toPixel(double value) {
    return CellTransform::toPixel(value);
}

int saturated(qint64 value) {
    return CellTransform::saturated(value);
}

double ratio(double numerator, double denominator) {
    return denominator > 0 ? numerator / denominator : 0.0;
}

LabelFormatValues readHeaderOrThrow(const QByteArray& header) {
    LabelFormatValues format;
    if (!LineCodec::readHeader(header, format)) {
        for (int i = 0; i < 4; ++i) {
            const QByteArray digits = header.mid(3 * i, 3);
            if (!LineCodec::parseHex(digits))
                throw UserError::notAnInteger(QLatin1Char('$') + QString::fromLatin1(digits));
        }
    }
    return format;
}

} // namespace

void SheetLayout::prepare(const PageSetupValues& setup, const LineList& lines,
                          const PaperSize& paperSize) {
    MarginLeft = setup.left;
    MarginTop = setup.top;
    MarginRight = setup.right;
    MarginBottom = setup.bottom;
    Zoom = setup.zoom;
    paper = paperSize;
    PageRatio = ratio(paper.pixels.width(), paper.pixels.height());
    const LabelFormatValues format = readHeaderOrThrow(lines.value(0));
    LabelWidth = format.width;
    LabelHeight = format.height;
    HSpacing = format.hspacing;
    VSpacing = format.vspacing;
}

void SheetLayout::Init(const PageSetupValues& setup, const LineList& lines,
                       const PaperSize& paperSize, int screenHeight) {
    target = Target::Preview;
    prepare(setup, lines, paperSize);
    setBaseScale(ratio(screenHeight - 100.0, paper.pixels.height()));
    Actualiser(Zoom);
    updateCells();
}

void SheetLayout::Init2(const PageSetupValues& setup, const LineList& lines,
                        const PaperSize& paperSize) {
    target = Target::Printer;
    prepare(setup, lines, paperSize);
    setBaseScale(1.0);
    Actualiser(Zoom);
    updateCells();
}

void SheetLayout::Actualiser(int zoom) {
    Zoom = zoom;
    ZoomFactor = double(zoom) * 3 * 0.01;
    Scale = BaseScale * ZoomFactor;
}

void SheetLayout::setBaseScale(double baseScale) {
    BaseScale = baseScale;
    Scale = BaseScale * ZoomFactor;
}

void SheetLayout::setArea(QSize size) {
    area = size;
    updateCells();
}

void SheetLayout::FormResize(QSize size) {
    setArea(size);
    setBaseScale(ratio(area.width(), paper.pixels.width()));
}

QSize SheetLayout::extent() const {
    return target == Target::Printer ? paper.pixels : area;
}

int SheetLayout::Mh(int mm) const {
    return toPixel(ratio(extent().width(), paper.millimetres.width()) * mm);
}

int SheetLayout::Mv(int mm) const {
    return toPixel(ratio(extent().height(), paper.millimetres.height()) * mm);
}

void SheetLayout::updateCells() {
    // Preview pixels per millimetre, taken from the width alone.
    const double p = area.width() / double(kSheetWidth);
    CellWidth = toPixel(p * LabelWidth);
    CellHeight = toPixel(p * LabelHeight);
    CellHSpacing = toPixel(p * HSpacing);
    CellVSpacing = toPixel(p * VSpacing);
}

int SheetLayout::columns() const {
    return LabelWidth > 0 ? kSheetWidth / LabelWidth : 0;
}

int SheetLayout::rows() const {
    return LabelWidth > 0 && LabelHeight > 0 ? kSheetHeight / LabelHeight : 0;
}

QPoint SheetLayout::cellOrigin(int row, int column) const {
    if (target == Target::Printer)
        return {saturated(qint64(column) * Mh(LabelWidth + HSpacing)),
                saturated(qint64(row) * Mv(LabelHeight + VSpacing))};
    return {saturated(qint64(column) * (qint64(CellWidth) + CellHSpacing)),
            saturated(qint64(row) * (qint64(CellHeight) + CellVSpacing))};
}

QRect SheetLayout::backgroundRect(int row, int column) const {
    const QPoint origin = cellOrigin(row, column);
    const QSize size = target == Target::Printer ? QSize(Mh(LabelWidth), Mv(LabelHeight))
                                                 : QSize(CellWidth, CellHeight);
    return QRect(QPoint(saturated(qint64(origin.x()) + Mh(MarginLeft)),
                        saturated(qint64(origin.y()) + Mv(MarginTop))),
                 size);
}

CellTransform SheetLayout::transform(int row, int column) const {
    CellTransform t;
    t.scale = Scale;
    t.margin = QPoint(Mh(MarginLeft), Mv(MarginTop));
    t.cell = cellOrigin(row, column);
    return t;
}

int SheetLayout::x(int labelX) const {
    return transform(0, 0).x(labelX);
}

int SheetLayout::y(int labelY) const {
    return transform(0, 0).y(labelY);
}

int SheetLayout::fontSize(int size) const {
    return target == Target::Printer ? size : toPixel(Scale * size);
}

QList<QLine> SheetLayout::guideLines() const {
    QList<QLine> lines;
    if (columns() == 0 || rows() == 0)
        return lines;
    // Offset like the objects, so that the lines run along the cells' edges whatever the margins.
    const qint64 h = Mh(MarginLeft);
    const qint64 v = Mv(MarginTop);
    for (int k = 0; k <= columns() - 2; ++k) {
        const int x = saturated(h + CellWidth + k * (qint64(CellWidth) + CellHSpacing));
        lines.append(QLine(x, 0, x, area.height()));
    }
    for (int k = 0; k <= rows() - 2; ++k) {
        const int y = saturated(v + CellHeight + k * (qint64(CellHeight) + CellVSpacing));
        lines.append(QLine(0, y, area.width(), y));
    }
    return lines;
}
