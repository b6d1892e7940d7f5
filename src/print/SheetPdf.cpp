#include "SheetPdf.h"

#include "GdiCanvas.h"
#include "LineCodec.h"
#include "MergeList.h"
#include "PdfPictures.h"
#include "PdfStandIn.h"
#include "SafeFile.h"
#include "SheetPainter.h"
#include "UserError.h"

#include <QBuffer>
#include <QDir>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace SheetPdf {

namespace {

constexpr double kPointsPerInch = 72;
constexpr double kMillimetresPerInch = 25.4;
constexpr int kThreeInches = 216;
// Cells spread wider than this (a layout far off the paper) are drawn one by one rather than
// on a label page of that size.
constexpr double kWidestSpreadMm = 2000;

// A cell that holds a label: its sheet, its place, and its row of the list (-1 without one).
struct PrintedCell {
    int sheet = 0;
    int row = 0;
    int column = 0;
    int mergeRow = -1;
};

// Lines [first, end) of the label that are all drawn at each cell's own place, or none is.
struct LineRun {
    qsizetype first = 0;
    qsizetype end = 0;
    bool perCell = false;
};

// The pen, brush and font a canvas draws its next line with.
struct CanvasStyle {
    int brushStyle = 0;
    ColorRef brushColor = 0;
    int penStyle = 0;
    int penWidth = 0;
    ColorRef penColor = 0;
    ColorRef fontColor = 0;
    int fontSize = 0;
    int fontStyle = 0;
    QString fontName;

    static CanvasStyle of(const GdiCanvas& canvas) {
        return {canvas.brushStyle(), canvas.brushColor(), canvas.penStyle(),
                canvas.penWidth(),   canvas.penColor(),   canvas.fontColor(),
                canvas.fontSize(),   canvas.fontStyle(),  canvas.fontName()};
    }
    void applyTo(GdiCanvas& canvas) const {
        canvas.setBrushStyle(brushStyle);
        canvas.setBrushColor(brushColor);
        canvas.setPenStyle(penStyle);
        canvas.setPenWidth(penWidth);
        canvas.setPenColor(penColor);
        canvas.setFontColor(fontColor);
        canvas.setFontSize(fontSize);
        canvas.setFontStyle(fontStyle);
        canvas.setFontName(fontName);
    }
};

// What QPdfWriter drew for qpdf to take apart: the label's runs at the first cell's place,
// shifted on pages wide enough for whatever any cell shows of them, then the sheets, on which
// each cell draws its own runs and, where a shared run goes, a small stand-in image.
struct Parts {
    QByteArray pdf;
    // The page of each run, and of each sheet.
    QList<int> runPages;
    QList<int> sheetPages;
    QList<BrokenLine> broken;
    // The pictures, drawn as stand-ins.
    std::unique_ptr<PdfPictures> pictures = std::make_unique<PdfPictures>();
};

// The mark of a shared run's stand-in.
constexpr char kRunMark[] = "VORRUN";

QPageLayout pointsPage(QSize points) {
    return QPageLayout(QPageSize(points, QString(), QPageSize::ExactMatch), QPageLayout::Portrait,
                       QMarginsF(), QPageLayout::Point);
}

QPageLayout a4Page() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(),
                       QPageLayout::Millimeter);
}

QList<PrintedCell> printedCells(const SheetLayout& layout, int sheets) {
    QList<PrintedCell> cells;
    for (int sheet = 0; sheet < sheets; ++sheet)
        for (int row = 0; row < layout.rows(); ++row)
            for (int column = 0; column < layout.columns(); ++column)
                if (layout.printsCell(row, column, sheet))
                    cells.append({sheet, row, column, layout.mergeRow(row, column, sheet)});
    return cells;
}

// A cell's own lines: those that hold fields, as MergeFields::fill finds them (it leaves the
// background record alone).
QList<LineRun> lineRuns(const LineList& lines, bool merging) {
    QList<LineRun> runs;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (LabelPainter::isBareBlank(lines[i]))
            continue;
        const bool perCell = merging && i >= 2 && MergeFields::holdsFields(lines[i]);
        if (runs.isEmpty() || runs.last().perCell != perCell)
            runs.append({i, i + 1, perCell});
        else
            runs.last().end = i + 1;
    }
    return runs;
}

// On the sheet every cell goes on with the canvas as the cell before left it, and only the
// brush, pen and font styles of a style block whose digits are out of range keep what the
// canvas held. Once a line sets them all, every cell draws alike.
bool drawsAlikeInEveryCell(const LineList& lines) {
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (LabelPainter::isBareBlank(lines[i]))
            continue;
        const LineParts parts = LineCodec::splitLine(lines[i]);
        // A line without a style block starts from the plain style.
        if (!parts.hasTab)
            return true;
        StyleBlock style;
        style.brushStyle = style.penStyle = style.fontStyle = -1;
        LineCodec::readStyles(LineCodec::readerLimit(parts.styles), style);
        return style.brushStyle >= 0 && style.penStyle >= 0 && style.fontStyle >= 0;
    }
    return true;
}

int evenCeiling(double value) {
    return 2 * int(std::ceil(value / 2));
}

std::optional<Parts> drawParts(const SheetLayout& layout, const LineList& lines,
                               const QList<PrintedCell>& cells, const QList<LineRun>& runs,
                               const QString& title, PictureCache* cache) {
    const int dpi = layout.paper.dotsPerInch;
    const double pointsPerPixel = kPointsPerInch / dpi;
    const PrintedCell first = cells.value(0);
    const QPointF firstCorner = layout.transform(first.row, first.column).origin;
    double aheadX = 0, aheadY = 0, behindX = 0, behindY = 0;
    for (const PrintedCell& cell : cells) {
        const QPointF d = layout.transform(cell.row, cell.column).origin - firstCorner;
        aheadX = std::max(aheadX, d.x());
        aheadY = std::max(aheadY, d.y());
        behindX = std::max(behindX, -d.x());
        behindY = std::max(behindY, -d.y());
    }
    Parts parts;
    // Shifted by an even number of pixels, the first cell's pixels round as they do on the
    // sheet, halves included; a pixel more on each side for the cells placed in whole pixels.
    const QPoint shift(evenCeiling(aheadX + 1), evenCeiling(aheadY + 1));
    const double spreadX = (shift.x() + behindX + 1) * pointsPerPixel;
    const double spreadY = (shift.y() + behindY + 1) * pointsPerPixel;
    const double widest = kWidestSpreadMm / kMillimetresPerInch * kPointsPerInch;
    if (spreadX > widest || spreadY > widest)
        return std::nullopt;
    const QRect a4 = a4Page().fullRectPoints();
    // In whole multiples of 3 inches, the label page is a whole number of pixels, and of
    // 3 pixels, at any whole resolution: Qt then writes the stand-ins' places exactly.
    const auto wholeThreeInches = [](double points) {
        return kThreeInches * int(std::ceil(points / kThreeInches));
    };
    const QSize labelPagePoints(wholeThreeInches(std::ceil(spreadX) + a4.width() + 1),
                                wholeThreeInches(std::ceil(spreadY) + a4.height() + 1));

    QBuffer buffer(&parts.pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("Vorlap"));
    writer.setTitle(title);
    writer.setResolution(dpi);
    writer.setPageLayout(pointsPage(labelPagePoints));
    QPainter painter;
    if (!painter.begin(&writer))
        return std::nullopt;
    // Qt stores pictures as JPEG otherwise, which blurs the small sharp pictures of labels.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    int pages = 0;
    // Lines on a canvas of their own that starts with the style given (none: a new canvas's);
    // returns the style they left.
    const auto drawOnPage = [&](const std::optional<CanvasStyle>& style, const auto& draw) {
        painter.save();
        GdiCanvas canvas;
        canvas.setPainter(&painter, dpi);
        canvas.setPictureStandIn(
            [&](const QImage& picture) { return parts.pictures->standIn(picture); });
        scaleCanvas(canvas, layout);
        if (style)
            style->applyTo(canvas);
        draw(canvas);
        const CanvasStyle after = CanvasStyle::of(canvas);
        canvas.flush();
        painter.restore();
        return after;
    };
    // The same on a page of its own.
    const auto drawPage = [&](const std::optional<CanvasStyle>& style, const auto& draw) {
        if (pages++ > 0)
            writer.newPage();
        return drawOnPage(style, draw);
    };

    // The whole first cell in order, so that each run starts with the style the lines before
    // it leave; its own runs are drawn only for that, each cell draws its own below.
    RenderOptions shifted = cellOptions(layout, first.row, first.column);
    shifted.transform.origin += QPointF(shift);
    shifted.hatchOrigin += shift;
    shifted.background.left += shift.x();
    shifted.background.right += shift.x();
    shifted.background.top += shift.y();
    shifted.background.bottom += shift.y();
    const LineList firstLines =
        first.mergeRow >= 0 ? MergeFields::fill(lines, *layout.merge, first.mergeRow) : lines;
    QList<std::optional<CanvasStyle>> stylesBefore;
    std::optional<CanvasStyle> style;
    RenderState state;
    for (const LineRun& run : runs) {
        stylesBefore.append(style);
        parts.runPages.append(pages);
        style = drawPage(style, [&](GdiCanvas& canvas) {
            parts.broken +=
                LabelPainter(canvas, cache).paint(firstLines, run.first, run.end, shifted, state);
        });
    }

    // The sheets: every cell in order, its own runs drawn, the shared ones as stand-ins that
    // qpdf swaps for the runs' pages. An image fills the unit square wherever it is drawn, as
    // does a page's drawing made a form XObject of the unit square: a stand-in over the label
    // page's rectangle, in whole device pixels from where the first cell was drawn, puts the
    // run where the cell alone would draw it.
    std::vector<QImage> standIns;
    for (qsizetype r = 0; r < runs.size(); ++r)
        standIns.push_back(PdfStandIn::make(kRunMark, size_t(r)));
    const QSizeF labelPage = QSizeF(labelPagePoints) / pointsPerPixel;
    const CellTransform firstTransform = layout.transform(first.row, first.column);
    const QSize labelSize(layout.LabelWidth * layout.labelPixelsPerMm(),
                          layout.LabelHeight * layout.labelPixelsPerMm());
    writer.setPageLayout(a4Page());
    qsizetype next = 0;
    for (int sheet = 0; next < cells.size(); ++sheet) {
        parts.sheetPages.append(pages++);
        writer.newPage();
        for (; next < cells.size() && cells[next].sheet == sheet; ++next) {
            const PrintedCell& cell = cells[next];
            // Whole device pixels that put the label's right and bottom edges where the cell
            // alone would put them, up to the last pixel of the paper (and its hatches in
            // step: cellOptions).
            const CellTransform here = layout.transform(cell.row, cell.column);
            const QPointF corner =
                QPointF(here.x(labelSize.width()) - firstTransform.x(labelSize.width()),
                        here.y(labelSize.height()) - firstTransform.y(labelSize.height())) -
                QPointF(shift);
            const LineList filled =
                cell.mergeRow >= 0 ? MergeFields::fill(lines, *layout.merge, cell.mergeRow) : lines;
            const RenderOptions options = cellOptions(layout, cell.row, cell.column);
            RenderState cellState;
            QList<BrokenLine> broken;
            for (qsizetype r = 0; r < runs.size(); ++r) {
                if (!runs[r].perCell) {
                    painter.drawImage(QRectF(corner, labelPage), standIns[size_t(r)]);
                    continue;
                }
                drawOnPage(stylesBefore[r], [&](GdiCanvas& canvas) {
                    broken += LabelPainter(canvas, cache)
                                  .paint(filled, runs[r].first, runs[r].end, options, cellState);
                });
            }
            // The same lines break in every cell: they are said once.
            if (parts.broken.isEmpty())
                parts.broken = broken;
        }
    }
    if (!painter.end())
        return std::nullopt;
    return parts;
}

// The sheets made of the parts: every shared run's page made a form XObject that takes the
// place of its stand-ins, the copies pages that share their sheet's resources and content.
// Null when Qt's drawing is not as expected.
std::shared_ptr<Buffer> assemble(const Parts& parts, const QList<LineRun>& runs, int copies) {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processMemoryFile("sheet", parts.pdf.constData(), size_t(parts.pdf.size()));
    std::vector<QPDFObjectHandle> drawn = pdf.getAllPages();
    if (drawn.size() != size_t(parts.sheetPages.value(parts.sheetPages.size() - 1, -1) + 1))
        return nullptr;
    std::vector<QPDFObjectHandle> runForms(size_t(runs.size()));
    for (qsizetype r = 0; r < runs.size(); ++r) {
        if (runs[r].perCell)
            continue;
        QPDFPageObjectHelper page(drawn.at(size_t(parts.runPages[int(r)])));
        QPDFObjectHandle form = page.getFormXObjectForPage(false);
        // The page's drawing in the unit square, where the stand-in image lay.
        const QPDFObjectHandle::Rectangle box = page.getMediaBox().getArrayAsRectangle();
        if (box.urx <= box.llx || box.ury <= box.lly)
            return nullptr;
        // With all the digits a double has: qpdf's default 6 would misplace the far side of a
        // large page by more than a pixel, and a text's glyphs snap to other pixels even when
        // the scale is off by far less.
        const double width = box.urx - box.llx, height = box.ury - box.lly;
        QPDFObjectHandle matrix = QPDFObjectHandle::newArray();
        for (const double value :
             {1 / width, 0.0, 0.0, 1 / height, -box.llx / width, -box.lly / height})
            matrix.appendItem(QPDFObjectHandle::newReal(value, 20));
        form.getDict().replaceKey("/Matrix", matrix);
        runForms[size_t(r)] = form;
    }
    // Qt writes each stand-in once, however many cells draw it.
    std::vector<QPDFObjGen> standIns(runForms.size());
    for (QPDFObjectHandle& object : pdf.getAllObjects()) {
        const std::optional<size_t> found = PdfStandIn::numberOf(object, kRunMark);
        if (!found)
            continue;
        const size_t run = *found;
        if (run >= runForms.size() || !runForms[run].isStream() || standIns[run].isIndirect())
            return nullptr;
        standIns[run] = object.getObjGen();
    }
    for (size_t r = 0; r < runForms.size(); ++r) {
        if (runForms[r].isStream() != standIns[r].isIndirect())
            return nullptr;
        if (runForms[r].isStream())
            pdf.swapObjects(standIns[r], runForms[r].getObjGen());
    }
    if (!parts.pictures->replaceStandIns(pdf))
        return nullptr;
    // The sheets' pages, the copies sharing their content, take the place of all Qt drew.
    QPDFObjectHandle pageTree = pdf.getRoot().getKey("/Pages");
    QPDFObjectHandle kids = QPDFObjectHandle::newArray();
    for (int copy = 0; copy < copies; ++copy)
        for (const int sheet : parts.sheetPages) {
            QPDFObjectHandle page = drawn.at(size_t(sheet));
            kids.appendItem(copy == 0 ? page : pdf.makeIndirectObject(page.shallowCopy()));
        }
    pageTree.replaceKey("/Kids", kids);
    pageTree.replaceKey("/Count", QPDFObjectHandle::newInteger(kids.getArrayNItems()));
    pdf.updateAllPagesCache();
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    writer.setObjectStreamMode(qpdf_o_generate);
    writer.write();
    if (pdf.anyWarnings())
        return nullptr;
    return writer.getBufferSharedPointer();
}

} // namespace

std::optional<QList<BrokenLine>> write(const QString& path, const SheetLayout& layout,
                                       const LineList& lines, int copies, const QString& title,
                                       PictureCache* cache) {
    const int sheets = sheetsToPrint(layout);
    if (layout.paper.dotsPerInch <= 0 || !drawsAlikeInEveryCell(lines))
        return std::nullopt;
    // A label whose every line holds a field has nothing to share between its cells.
    const QList<LineRun> runs = lineRuns(lines, bool(layout.merge));
    if (size_t(runs.size()) >= PdfStandIn::kMostNumbers)
        return std::nullopt;
    if (std::all_of(runs.begin(), runs.end(), [](const LineRun& run) { return run.perCell; }))
        return std::nullopt;
    // A folder that is missing or closed shows before anything is drawn.
    SafeFile::AtomicFile file(path);
    if (!file.open())
        throw UserError::cannotCreate(QDir::toNativeSeparators(path));
    const QList<PrintedCell> cells = printedCells(layout, sheets);
    const std::optional<Parts> parts = drawParts(layout, lines, cells, runs, title, cache);
    if (!parts)
        return std::nullopt;
    std::shared_ptr<Buffer> pdf;
    try {
        pdf = assemble(*parts, runs, qMax(1, copies));
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        // qpdf could not take Qt's drawing apart: the caller draws the sheet as Qt alone does.
        return std::nullopt;
    }
    if (!pdf)
        return std::nullopt;
    const qint64 size = qint64(pdf->getSize());
    if (file.device()->write(reinterpret_cast<const char*>(pdf->getBuffer()), size) != size ||
        !file.commit())
        throw UserError::cannotCreate(QDir::toNativeSeparators(path));
    return parts->broken;
}

} // namespace SheetPdf
