// A label file drawn as the label window draws it, as a cell of the sheet preview and of the
// printed sheet, and its background as the background dialog previews it. Nine bytes in
// front of the file choose the sheet's scale, margins, cell and printer: the scale a signed
// 16-bit number / 2048 (-16 .. 16: the page setup takes any zoom, but a figure costs the
// canvas its size on the device, so the fuzzer stays within the zooms people print at),
// margins and cell corner in device pixels, the printer's dots per inch.
#include "FuzzApplication.h"
#include "FuzzInput.h"
#include "GdiCanvas.h"
#include "LabelPainter.h"
#include "PictureCache.h"

#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    startFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const FuzzInput input(data, size, 9);
    const LabelDocument document = adoptedDocument(input.file());

    // Small, so that a run stays fast; what lies beyond it must cost nothing.
    static QImage surface(320, 240, QImage::Format_RGB32);
    surface.fill(Qt::white);
    // Fresh caches for each input, so that a finding replays from its input alone.
    PictureCache cache;
    GdiCanvas canvas(&surface);
    LabelPainter painter(canvas, &cache);
    RenderState state;
    painter.paintEditor(document, surface.height(), state);
    cache.sweep();

    CellTransform transform;
    transform.scale = input.int16(0) / 2048.0;
    transform.origin =
        QPointF(input.int16(2) + input.byte(6) * 8 - 512, input.int16(4) + input.byte(7) * 8 - 512);
    const QSize frame = LabelDocument::frameSize(document.format());
    const QRect cell(transform.map(QPoint(0, 0)),
                     transform.map(QPoint(frame.width(), frame.height())));
    painter.paint(document.Lines, RenderOptions::previewCell(transform, cell));
    cache.sweep();
    // The background dialog's preview of the background record, at a size of its own.
    const QSize preview(1 + input.byte(6) % 128, 1 + input.byte(7) % 128);
    painter.paint({document.Lines[0], document.Lines[1]}, RenderOptions::dialogPreview(preview));
    canvas.flush();

    // A printer is drawn on through a painter the print job owns, in points at its resolution.
    static constexpr int kPrinterDpi[] = {96, 300, 600, 1200};
    QPainter page(&surface);
    GdiCanvas printer;
    printer.setPainter(&page, kPrinterDpi[input.byte(8) % 4]);
    LabelPainter(printer, &cache)
        .paint(document.Lines, RenderOptions::printedCell(transform, cell));
    cache.sweep();
    printer.flush();
    runPendingEvents();
    return 0;
}
