// Feeds arbitrary bytes through the label file reader, the renderer and the line edits.
#include "FuzzApplication.h"
#include "GdiCanvas.h"
#include "LabelFile.h"
#include "LineCodec.h"
#include "LineEdits.h"
#include "LineRenderer.h"
#include "PictureCache.h"
#include "UserError.h"

#include <QImage>

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    startFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LineList lines =
        LabelFile::splitLines(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    LineCodec::dropMalformedLines(lines);
    LabelFormatValues format;
    if (!lines.isEmpty())
        LineCodec::readHeader(lines[0], format);

    static QImage surface(320, 240, QImage::Format_RGB32);
    static PictureCache cache;
    GdiCanvas canvas(&surface);
    LineRenderer renderer(canvas, &cache);
    RenderOptions options;
    options.backgroundWidth = 320;
    options.backgroundHeight = 240;
    options.gradientHeight = 238;
    for (const QByteArray& line : lines) {
        RenderState state;
        try {
            renderer.draw(QByteArrayView(line).sliced(qMin<qsizetype>(2, line.size())), options,
                          state, &line);
        } catch (const UserError&) {
        }
        int fontSize = 0;
        const QByteArray moved = LineEdits::MoveXY(line, 7, -3);
        const QByteArray resized = LineEdits::RedimXY(moved, -5, 9, 1 + int(size % 8), fontSize);
        LineEdits::Recadre(resized);
    }
    cache.sweep();
    canvas.flush();
    return 0;
}
