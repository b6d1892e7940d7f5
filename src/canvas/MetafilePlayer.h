#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <optional>

class GdiCanvas;

// A Windows metafile (WMF, with or without its placeable header, or EMF) replayed
// record by record on a GdiCanvas. No Debian library renders both kinds to pixels,
// so the common records are played here and the rest skipped.
class Metafile {
public:
    // nullopt when the bytes are not a metafile whose record chain holds together.
    static std::optional<Metafile> fromData(QByteArrayView data);

    bool isEnhanced() const { return enhanced_; }
    // The picture's own size in pixels at 96 per inch: the placeable header's bounds and
    // units per inch, the enhanced header's frame, or a plain WMF's window extent.
    QSize naturalSize() const { return natural_; }

    // Plays the records stretched into `target`. False when a record's parameters do not
    // fit in it (a damaged file); what was played before it stays on the canvas.
    bool play(GdiCanvas& canvas, const QRect& target) const;
    // The picture stretched into a white image of `size`; nullopt for a damaged file or
    // a size beyond 32767 pixels a side or 2^24 pixels in all.
    std::optional<QImage> render(QSize size) const;

private:
    Metafile() = default;
    static std::optional<Metafile> fromWmf(QByteArrayView data);
    static std::optional<Metafile> fromEmf(QByteArrayView data);

    QByteArray data_;
    bool enhanced_ = false;
    QSize natural_;
    qsizetype firstRecord_ = 0; // offset of the first record after the headers
    int objectSlots_ = 0;       // size of the object table the header asks for
    QRectF frame_;              // WMF: logical window by default; EMF: frame in device pixels
    QPointF pixelsPerMm_;       // EMF: the reference device's resolution
};
