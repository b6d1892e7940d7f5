// Feeds arbitrary bytes through the label file reader, the label painter and the line edits.
#include "FuzzApplication.h"
#include "GdiCanvas.h"
#include "LabelDocument.h"
#include "LabelFile.h"
#include "LabelPainter.h"
#include "LineEdits.h"
#include "PictureCache.h"

#include <QImage>

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    startFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LabelDocument document;
    document.adopt(QString(), LabelFile::splitLines(QByteArray(reinterpret_cast<const char*>(data),
                                                               qsizetype(size))));

    static QImage surface(320, 240, QImage::Format_RGB32);
    static PictureCache cache;
    GdiCanvas canvas(&surface);
    RenderState state;
    LabelPainter(canvas, &cache).paintEditor(document, surface.height(), state);
    for (const QByteArray& line : document.Lines) {
        int fontSize = 0;
        const QByteArray moved = LineEdits::MoveXY(line, 7, -3);
        const QByteArray resized = LineEdits::RedimXY(moved, -5, 9, 1 + int(size % 8), fontSize);
        LineEdits::Recadre(resized);
    }
    cache.sweep();
    canvas.flush();
    return 0;
}
