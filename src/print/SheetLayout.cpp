#include "SheetLayout.h"

#include "LabelDocument.h"
#include "LineRenderer.h"
#include "UserError.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMillimetresPerInch = 25.4;
// A pen unit on paper: one pixel of the 300-dot printer that label pens were made for.
constexpr double kPenUnitsPerInch = 300;

int toPixel(double value) {
    return CellTransform::toPixel(value);
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

void SheetLayout::prepare(Target kind, const PageSetupValues& setup, const LineList& lines,
                          const PaperSize& paperSize) {
    target = kind;
    MarginLeft = setup.left;
    MarginTop = setup.top;
    MarginRight = setup.right;
    MarginBottom = setup.bottom;
    paper = paperSize;
    PageRatio = ratio(paper.pixels.width(), paper.pixels.height());
    const LabelFormatValues format = readHeaderOrThrow(lines.value(0));
    LabelWidth = format.width;
    LabelHeight = format.height;
    HSpacing = format.hspacing;
    VSpacing = format.vspacing;
    stock.reset();
    merge.reset();
    firstCell = 0;
    cellCount = -1;
    offset = QPointF();
    Actualiser(setup.zoom);
}

void SheetLayout::Init(const SheetJob& job, const PaperSize& paperSize) {
    Init(job.setup, job.lines, paperSize);
    takeJob(job);
}

void SheetLayout::Init2(const SheetJob& job, const PaperSize& paperSize) {
    Init2(job.setup, job.lines, paperSize);
    takeJob(job);
    setOffset(job.offset);
}

void SheetLayout::takeJob(const SheetJob& job) {
    setStock(job.stock);
    setCells(job.first, job.count);
    if (!job.mergeFile.isEmpty())
        setMerge(std::make_shared<const MergeTable>(MergeTable::load(job.mergeFile)));
}

void SheetLayout::Init(const PageSetupValues& setup, const LineList& lines,
                       const PaperSize& paperSize) {
    prepare(Target::Preview, setup, lines, paperSize);
}

void SheetLayout::Init2(const PageSetupValues& setup, const LineList& lines,
                        const PaperSize& paperSize) {
    prepare(Target::Printer, setup, lines, paperSize);
}

void SheetLayout::Actualiser(int zoom) {
    Zoom = zoom;
    update();
}

void SheetLayout::setArea(QSize size) {
    area = size;
    update();
}

void SheetLayout::update() {
    Scale = pixelsPerMmX() / labelPixelsPerMm() * Zoom / 100.0;
    const double p = pixelsPerMmX();
    CellWidth = toPixel(p * LabelWidth);
    CellHeight = toPixel(p * LabelHeight);
    CellHSpacing = toPixel(p * HSpacing);
    CellVSpacing = toPixel(p * VSpacing);
}

double SheetLayout::pixelsPerMmX() const {
    if (target == Target::Printer && paper.dotsPerInch > 0)
        return paper.dotsPerInch / kMillimetresPerInch;
    const int pixels = target == Target::Printer ? paper.pixels.width() : area.width();
    return ratio(pixels, paper.millimetres.width());
}

double SheetLayout::pixelsPerMmY() const {
    if (target == Target::Printer && paper.dotsPerInch > 0)
        return paper.dotsPerInch / kMillimetresPerInch;
    const int pixels = target == Target::Printer ? paper.pixels.height() : area.height();
    return ratio(pixels, paper.millimetres.height());
}

int SheetLayout::labelPixelsPerMm() const {
    return LabelDocument::isCdFormat({LabelWidth, LabelHeight, HSpacing, VSpacing}) ? 3 : 4;
}

int SheetLayout::Mh(int mm) const {
    return toPixel(pixelsPerMmX() * mm);
}

int SheetLayout::Mv(int mm) const {
    return toPixel(pixelsPerMmY() * mm);
}

double SheetLayout::fontDpi() const {
    return pixelsPerMmX() * kMillimetresPerInch * Zoom / 100.0;
}

double SheetLayout::penScale() const {
    return pixelsPerMmX() * kMillimetresPerInch / kPenUnitsPerInch * Zoom / 100.0;
}

int SheetLayout::columns() const {
    if (stock)
        return stock->columns;
    return LabelWidth > 0 ? kSheetWidth / LabelWidth : 0;
}

int SheetLayout::rows() const {
    if (stock)
        return stock->rows;
    return LabelWidth > 0 && LabelHeight > 0 ? kSheetHeight / LabelHeight : 0;
}

void SheetLayout::setStock(const std::optional<SheetStock>& sheetStock) {
    stock = sheetStock && sheetStock->isValid() ? sheetStock : std::nullopt;
}

void SheetLayout::setCells(int first, int count) {
    firstCell = qMax(0, first);
    cellCount = count;
}

bool SheetLayout::printsCell(int row, int column, int sheet) const {
    if (merge)
        return mergeRow(row, column, sheet) >= 0;
    const qint64 index = qint64(row) * columns() + column;
    return sheet == 0 && index >= firstCell &&
           (cellCount < 0 || index < qint64(firstCell) + cellCount);
}

void SheetLayout::setMerge(std::shared_ptr<const MergeTable> table) {
    merge = std::move(table);
}

namespace {

qint64 mergedRows(const MergeTable& table, int count) {
    return count < 0 ? table.rows.size() : qMin<qint64>(count, table.rows.size());
}

} // namespace

int SheetLayout::mergeRow(int row, int column, int sheet) const {
    if (!merge)
        return -1;
    const qint64 cells = qint64(columns()) * rows();
    const qint64 index = qint64(sheet) * cells + qint64(row) * columns() + column - firstCell;
    return index >= 0 && index < mergedRows(*merge, cellCount) ? int(index) : -1;
}

int SheetLayout::sheetCount() const {
    if (!merge)
        return 1;
    const qint64 cells = qint64(columns()) * rows();
    const qint64 labels = mergedRows(*merge, cellCount);
    if (cells <= 0 || labels == 0)
        return 0;
    return int((firstCell + labels + cells - 1) / cells);
}

QStringList SheetLayout::mergeProblems(const LineList& lines) const {
    if (!merge)
        return {};
    return merge->problems + MergeFields::unknownColumns(lines, *merge) +
           MergeFields::refusedBarcodes(lines, *merge);
}

void SheetLayout::setOffset(QPointF millimetres) {
    offset = millimetres;
}

QRect SheetLayout::cellRect(int row, int column) const {
    const QPointF corner = cellCorner(row, column);
    const double width = stock ? stock->labelWidth / 100.0 : LabelWidth;
    const double height = stock ? stock->labelHeight / 100.0 : LabelHeight;
    const QPoint topLeft(toPixel(corner.x()), toPixel(corner.y()));
    const QPoint bottomRight(toPixel(corner.x() + pixelsPerMmX() * width),
                             toPixel(corner.y() + pixelsPerMmY() * height));
    return QRect(topLeft, QSize(CellTransform::saturated(qint64(bottomRight.x()) - topLeft.x()),
                                CellTransform::saturated(qint64(bottomRight.y()) - topLeft.y())));
}

QPointF SheetLayout::cellCorner(int row, int column) const {
    // In millimetres first, so that a cell far down the sheet is as exact as the first. A sheet
    // of stock places its cells from the paper's edge by its own figures alone.
    double x = 0;
    double y = 0;
    if (stock) {
        x = (stock->left + double(column) * stock->hPitch) / 100.0;
        y = (stock->top + double(row) * stock->vPitch) / 100.0;
    } else {
        x = double(MarginLeft) + double(column) * (double(LabelWidth) + HSpacing);
        y = double(MarginTop) + double(row) * (double(LabelHeight) + VSpacing);
    }
    if (target == Target::Printer) {
        x += offset.x();
        y += offset.y();
    }
    return {x * pixelsPerMmX(), y * pixelsPerMmY()};
}

QPoint SheetLayout::cellOrigin(int row, int column) const {
    const QPointF corner = cellCorner(row, column);
    const int marginLeft = stock ? 0 : MarginLeft;
    const int marginTop = stock ? 0 : MarginTop;
    return {toPixel(corner.x() - pixelsPerMmX() * marginLeft),
            toPixel(corner.y() - pixelsPerMmY() * marginTop)};
}

QRect SheetLayout::backgroundRect(int row, int column) const {
    return cellRect(row, column);
}

CellTransform SheetLayout::transform(int row, int column) const {
    CellTransform t;
    t.scale = Scale;
    t.origin = cellCorner(row, column);
    return t;
}

QList<QLine> SheetLayout::guideLines() const {
    QList<QLine> lines;
    if (stock || columns() == 0 || rows() == 0)
        return lines;
    // Along the cells' right and bottom edges, where the objects' cells end, whatever the
    // margins.
    for (int k = 0; k <= columns() - 2; ++k) {
        const int x = toPixel(cellCorner(0, k).x() + pixelsPerMmX() * LabelWidth);
        lines.append(QLine(x, 0, x, area.height()));
    }
    for (int k = 0; k <= rows() - 2; ++k) {
        const int y = toPixel(cellCorner(k, 0).y() + pixelsPerMmY() * LabelHeight);
        lines.append(QLine(0, y, area.width(), y));
    }
    return lines;
}
