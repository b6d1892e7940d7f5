#include "SheetPdf.h"

#include "GdiCanvas.h"
#include "LineCodec.h"
#include "MergeList.h"
#include "PdfPictures.h"
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
#include <cstdio>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace SheetPdf {

namespace {

constexpr double kPointsPerInch = 72;
constexpr double kMillimetresPerInch = 25.4;
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
// shifted on a page wide enough for whatever any cell shows of them, then each cell's own
// runs at their place on A4 pages.
struct Parts {
    QByteArray pdf;
    // The page of each run, and of each cell's own runs.
    QList<int> runPages;
    QList<QList<int>> cellPages;
    // Device pixels from where the first cell is drawn to where it lies on the sheet.
    QPoint shift;
    QSize labelPagePoints;
    QList<BrokenLine> broken;
    // The pictures, drawn as stand-ins.
    std::unique_ptr<PdfPictures> pictures = std::make_unique<PdfPictures>();
};

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
    parts.shift = QPoint(evenCeiling(aheadX + 1), evenCeiling(aheadY + 1));
    const double spreadX = (parts.shift.x() + behindX + 1) * pointsPerPixel;
    const double spreadY = (parts.shift.y() + behindY + 1) * pointsPerPixel;
    const double widest = kWidestSpreadMm / kMillimetresPerInch * kPointsPerInch;
    if (spreadX > widest || spreadY > widest)
        return std::nullopt;
    const QRect a4 = a4Page().fullRectPoints();
    parts.labelPagePoints =
        QSize(int(std::ceil(spreadX)) + a4.width() + 1, int(std::ceil(spreadY)) + a4.height() + 1);

    QBuffer buffer(&parts.pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("Vorlap"));
    writer.setTitle(title);
    writer.setResolution(dpi);
    writer.setPageLayout(pointsPage(parts.labelPagePoints));
    QPainter painter;
    if (!painter.begin(&writer))
        return std::nullopt;
    // Qt stores pictures as JPEG otherwise, which blurs the small sharp pictures of labels.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    int pages = 0;
    // One page on a canvas of its own that starts with the style given (none: a new canvas's);
    // returns the style the page left.
    const auto drawPage = [&](const std::optional<CanvasStyle>& style, const auto& draw) {
        if (pages++ > 0)
            writer.newPage();
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

    // The whole first cell in order, so that each run starts with the style the lines before
    // it leave; its own runs are drawn only for that, each cell draws its own below.
    RenderOptions shifted = cellOptions(layout, first.row, first.column);
    shifted.transform.origin += QPointF(parts.shift);
    shifted.hatchOrigin += parts.shift;
    shifted.background.left += parts.shift.x();
    shifted.background.right += parts.shift.x();
    shifted.background.top += parts.shift.y();
    shifted.background.bottom += parts.shift.y();
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

    const bool anyPerCell =
        std::any_of(runs.begin(), runs.end(), [](const LineRun& run) { return run.perCell; });
    if (anyPerCell) {
        writer.setPageLayout(a4Page());
        for (const PrintedCell& cell : cells) {
            const LineList filled =
                cell.mergeRow >= 0 ? MergeFields::fill(lines, *layout.merge, cell.mergeRow) : lines;
            const RenderOptions options = cellOptions(layout, cell.row, cell.column);
            RenderState cellState;
            QList<BrokenLine> broken;
            QList<int> cellPages;
            for (qsizetype r = 0; r < runs.size(); ++r) {
                if (!runs[r].perCell)
                    continue;
                cellPages.append(pages);
                drawPage(stylesBefore[r], [&](GdiCanvas& canvas) {
                    broken += LabelPainter(canvas, cache)
                                  .paint(filled, runs[r].first, runs[r].end, options, cellState);
                });
            }
            parts.cellPages.append(cellPages);
            // The same lines break in every cell: they are said once.
            if (parts.broken.isEmpty())
                parts.broken = broken;
        }
    }
    if (!painter.end())
        return std::nullopt;
    return parts;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

// Adds the resources of a page to the sheets'; false when a name stands for two things.
bool addResources(QPDFObjectHandle& sheet, QPDFObjectHandle page) {
    if (!page.isDictionary())
        return page.isNull();
    for (const std::string& kind : page.getKeys()) {
        QPDFObjectHandle named = page.getKey(kind);
        if (!named.isDictionary()) {
            // The procedure sets, the same list on every page.
            sheet.replaceKey(kind, named);
            continue;
        }
        if (!sheet.hasKey(kind))
            sheet.replaceKey(kind, QPDFObjectHandle::newDictionary());
        QPDFObjectHandle into = sheet.getKey(kind);
        for (const std::string& name : named.getKeys()) {
            QPDFObjectHandle value = named.getKey(name);
            if (!into.hasKey(name))
                into.replaceKey(name, value);
            else if (into.getKey(name).unparse() != value.unparse())
                return false;
        }
    }
    return true;
}

// The sheets made of the parts: every shared run of the label placed at each cell as a form
// XObject, each cell's own runs written out between them, the copies pages that share their
// sheet's resources and content. Null when Qt's drawing is not as expected.
std::shared_ptr<Buffer> assemble(const Parts& parts, const SheetLayout& layout,
                                 const QList<PrintedCell>& cells, const QList<LineRun>& runs,
                                 int sheets, int copies) {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processMemoryFile("sheet", parts.pdf.constData(), size_t(parts.pdf.size()));
    std::vector<QPDFObjectHandle> drawn = pdf.getAllPages();
    if (drawn.empty())
        return nullptr;
    // Qt names fonts, pictures and the like after its objects, the same names on every page:
    // the sheets take them all, so that each cell's own drawing can be written out in the
    // sheet's content with the names it was drawn with.
    QPDFObjectHandle resources = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    for (QPDFObjectHandle& page : drawn)
        if (!addResources(resources, page.getKey("/Resources")))
            return nullptr;
    for (qsizetype r = 0; r < runs.size(); ++r) {
        if (runs[r].perCell)
            continue;
        const QPDFObjectHandle form =
            QPDFPageObjectHelper(drawn.at(size_t(parts.runPages[int(r)]))).getFormXObjectForPage();
        QPDFObjectHandle run = QPDFObjectHandle::newDictionary();
        run.replaceKey("/XObject", QPDFObjectHandle::newDictionary());
        run.getKey("/XObject").replaceKey("/LabelRun" + std::to_string(r), form);
        if (!addResources(resources, run))
            return nullptr;
    }
    const auto ownDrawing = [&](int page) {
        QPDFObjectHandle contents = drawn.at(size_t(page)).getKey("/Contents");
        if (!contents.isStream())
            throw std::runtime_error("a page of several content streams");
        const std::shared_ptr<Buffer> data = contents.getStreamData(qpdf_dl_generalized);
        return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    };

    const int dpi = layout.paper.dotsPerInch;
    const double pointsPerPixel = kPointsPerInch / dpi;
    const QRect a4 = a4Page().fullRectPoints();
    const CellTransform firstTransform =
        layout.transform(cells.value(0).row, cells.value(0).column);
    const QSize labelSize(layout.LabelWidth * layout.labelPixelsPerMm(),
                          layout.LabelHeight * layout.labelPixelsPerMm());
    std::vector<QPDFObjectHandle> sheetContents;
    qsizetype next = 0;
    for (int sheet = 0; sheet < sheets; ++sheet) {
        std::string content;
        for (; next < cells.size() && cells[next].sheet == sheet; ++next) {
            const PrintedCell& cell = cells[next];
            // From where the first cell was drawn to this cell, in whole device pixels: those
            // that put the label's right and bottom edges where the cell alone would put them,
            // up to the last pixel of the paper (and its hatches in step, see cellOptions).
            // Then in the sheet's points (PDF's y goes up, from the bottom of each page).
            const CellTransform here = layout.transform(cell.row, cell.column);
            const QPointF t =
                QPointF(here.x(labelSize.width()) - firstTransform.x(labelSize.width()),
                        here.y(labelSize.height()) - firstTransform.y(labelSize.height())) -
                QPointF(parts.shift);
            const std::string placed =
                "q 1 0 0 1 " + number(t.x() * pointsPerPixel) + ' ' +
                number(a4.height() - parts.labelPagePoints.height() - t.y() * pointsPerPixel) +
                " cm ";
            int ownRun = 0;
            for (qsizetype r = 0; r < runs.size(); ++r) {
                if (runs[r].perCell)
                    content += "q\n" + ownDrawing(parts.cellPages[next][ownRun++]) + "\nQ\n";
                else
                    content += placed + "/LabelRun" + std::to_string(r) + " Do Q\n";
            }
        }
        sheetContents.push_back(QPDFObjectHandle::newStream(&pdf, content));
    }
    // The pages drawn by Qt give way to the sheets; what no sheet uses is not written.
    QPDFObjectHandle pageTree = pdf.getRoot().getKey("/Pages");
    const QPDFObjectHandle mediaBox =
        QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(0, 0, a4.width(), a4.height()));
    QPDFObjectHandle kids = QPDFObjectHandle::newArray();
    for (int copy = 0; copy < copies; ++copy) {
        for (const QPDFObjectHandle& content : sheetContents) {
            QPDFObjectHandle page = QPDFObjectHandle::newDictionary();
            page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
            page.replaceKey("/Parent", pageTree);
            page.replaceKey("/MediaBox", mediaBox);
            page.replaceKey("/Resources", resources);
            page.replaceKey("/Contents", content);
            kids.appendItem(pdf.makeIndirectObject(page));
        }
    }
    pageTree.replaceKey("/Kids", kids);
    pageTree.replaceKey("/Count", QPDFObjectHandle::newInteger(kids.getArrayNItems()));
    pdf.updateAllPagesCache();
    if (!parts.pictures->replaceStandIns(pdf))
        return nullptr;
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
        pdf = assemble(*parts, layout, cells, runs, sheets, qMax(1, copies));
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
