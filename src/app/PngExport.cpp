#include "PngExport.h"

#include "LabelDocument.h"
#include "LabelPainter.h"
#include "SafeFile.h"
#include "UserError.h"

#include <QBuffer>
#include <QDir>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

void printError(const QString& text) {
    std::fprintf(stderr, "vorlap: %s\n", text.toLocal8Bit().constData());
}

void exportOrThrow(const QString& labelPath, const QString& pngPath) {
    LabelDocument document;
    document.load(labelPath);
    QList<BrokenLine> broken;
    const QImage surface = drawLabelSurface(document, &broken);
    // As the window does: the first line that cannot be drawn is reported.
    if (!broken.isEmpty())
        printError(broken.first().message);
    // Encoded in memory first, so that a disk that fills up leaves no half-written PNG.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !surface.save(&buffer, "PNG") ||
        !SafeFile::writeAtomically(pngPath, png))
        throw UserError::cannotCreate(QDir::toNativeSeparators(pngPath));
}

} // namespace

bool isPngExport(int argc, char** argv) {
    return argc > 1 && std::strcmp(argv[1], "--png") == 0;
}

int exportPng(const QString& labelPath, const QString& pngPath) {
    if (labelPath.isEmpty() || pngPath.isEmpty()) {
        std::fprintf(stderr, "usage: vorlap --png OUT.png FILE.etq\n");
        return 2;
    }
    try {
        exportOrThrow(labelPath, pngPath);
        return 0;
    } catch (const std::exception&) {
        return exportFailed();
    }
}

int exportFailed() {
    try {
        throw;
    } catch (const UserError& error) {
        printError(error.message());
    } catch (const std::bad_alloc&) {
        printError(QStringLiteral("Mémoire insuffisante"));
    } catch (const std::exception& error) {
        printError(QString::fromLocal8Bit(error.what()));
    }
    return 1;
}
