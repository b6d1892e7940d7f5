#include "PictureDecoders.h"

#include "MetafilePlayer.h"
#include "SafeFile.h"
#include "UserError.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <gif_lib.h>
#include <jerror.h>
#include <jpeglib.h>

namespace PictureDecoders {

namespace {

// Beyond this many pixels a picture is refused before its pixels are allocated: a label
// holds far smaller ones, and a damaged header must not claim gigabytes.
constexpr qint64 kMaxPixels = qint64(1) << 24;
// Photos straight from a camera stay well below this; a label keeps far fewer pixels.
constexpr qint64 kMaxFileBytes = qint64(64) << 20;
constexpr qint64 kMetafileArea = 21000;

UserError unreadable(const QString& name) {
    return UserError(QStringLiteral("Ne peut lire l'image %1").arg(name));
}

UserError tooLarge() {
    return UserError(QStringLiteral("Image trop grande"));
}

void checkArea(qint64 width, qint64 height) {
    if (width * height > kMaxPixels)
        throw tooLarge();
}

// Labels store opaque pixels: whatever was transparent is drawn on white.
QImage onWhite(const QImage& picture) {
    if (!picture.hasAlphaChannel())
        return picture.convertToFormat(QImage::Format_RGB32);
    QImage out(picture.size(), QImage::Format_RGB32);
    if (out.isNull())
        return out;
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(0, 0, picture);
    return out;
}

// ---- JPEG -----------------------------------------------------------------------------

// libjpeg ends a failing decode through error_exit, which must not return: it jumps back
// to the decoding function. The error manager comes first so libjpeg's pointer is ours.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void jpegFail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

// Warnings that mean lost picture data (a truncated or damaged file) end the decode;
// harmless ones (stray bytes between markers) are let through, as other readers do.
void jpegMessage(j_common_ptr info, int level) {
    if (level >= 0)
        return;
    switch (info->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
        info->err->error_exit(info);
        break;
    default:
        break;
    }
}

// A damaged progressive file can announce scans without end; real ones have a dozen.
void jpegProgress(j_common_ptr info) {
    if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > 500)
        info->err->error_exit(info);
}

// Where the decoded rows go; it lives in the caller's frame, so no object with a
// destructor is skipped when libjpeg jumps out of the decode.
struct JpegTarget {
    QImage image;
    std::vector<JSAMPLE> row;
    bool tooLarge = false;

    bool allocate(int width, int height, int components) {
        image = QImage(width, height, QImage::Format_RGB32);
        row.assign(std::size_t(width) * std::size_t(components), 0);
        return !image.isNull();
    }
    void store(int y, int components, bool invertedCmyk) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        const JSAMPLE* in = row.data();
        for (int x = 0; x < image.width(); ++x, in += components) {
            if (components == 1) {
                out[x] = qRgb(in[0], in[0], in[0]);
            } else if (components == 3) {
                out[x] = qRgb(in[0], in[1], in[2]);
            } else {
                // Adobe writes CMYK inverted; then each channel is already 255 - ink.
                int c = in[0], m = in[1], ye = in[2], k = in[3];
                if (!invertedCmyk) {
                    c = 255 - c;
                    m = 255 - m;
                    ye = 255 - ye;
                    k = 255 - k;
                }
                out[x] = qRgb(c * k / 255, m * k / 255, ye * k / 255);
            }
        }
    }
};

bool runJpeg(const unsigned char* data, unsigned long size, JpegTarget* target) {
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    jpeg_progress_mgr progress{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegFail;
    errors.manager.emit_message = jpegMessage;
    progress.progress_monitor = jpegProgress;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    info.progress = &progress;
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    if (qint64(info.image_width) * info.image_height > kMaxPixels) {
        target->tooLarge = true;
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK)
        info.out_color_space = JCS_CMYK;
    else
        info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const int components = info.output_components;
    if ((components != 3 && components != 4 && components != 1) ||
        !target->allocate(int(info.output_width), int(info.output_height), components)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = target->row.data();
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            info.err->error_exit(reinterpret_cast<j_common_ptr>(&info));
        target->store(int(info.output_scanline) - 1, components, info.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

// ---- GIF ------------------------------------------------------------------------------

struct GifSource {
    QByteArrayView data;
    qsizetype at = 0;
};

int gifRead(GifFileType* gif, GifByteType* buffer, int length) {
    auto* source = static_cast<GifSource*>(gif->UserData);
    const qsizetype n = std::min<qsizetype>(length, source->data.size() - source->at);
    if (n <= 0)
        return 0;
    std::memcpy(buffer, source->data.data() + source->at, std::size_t(n));
    source->at += n;
    return int(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

Format fromExtensionText(const QString& suffix) {
    const QString s = suffix.toLower();
    if (s == u"bmp")
        return Format::Bitmap;
    if (s == u"ico")
        return Format::Icon;
    if (s == u"jpg" || s == u"jpeg")
        return Format::Jpeg;
    if (s == u"gif")
        return Format::Gif;
    if (s == u"png")
        return Format::Png;
    if (s == u"wmf")
        return Format::Wmf;
    if (s == u"emf")
        return Format::Emf;
    return Format::Unknown;
}

// Qt's reader leaves the missing rows of a cut bitmap blank; the header says how many
// bytes the rows take, so a short file is found out before reading.
bool bitmapComplete(QByteArrayView data) {
    const auto u16 = [&data](qsizetype at) -> quint32 {
        return at + 2 <= data.size() ? quint32(quint8(data[at]) | (quint8(data[at + 1]) << 8)) : 0;
    };
    const auto u32 = [&u16](qsizetype at) { return u16(at) | (u16(at + 2) << 16); };
    if (data.size() < 26)
        return false;
    const qint64 offset = u32(10);
    const quint32 headerSize = u32(14);
    qint64 width, height, depth, compression = 0, imageSize = 0;
    if (headerSize == 12) {
        width = u16(18);
        height = u16(20);
        depth = u16(24);
    } else {
        width = qint32(u32(18));
        height = qint32(u32(22));
        depth = u16(28);
        compression = u32(30);
        imageSize = u32(34);
    }
    // In floating point: a damaged header's product of fields overflows any integer.
    double rows = 0;
    if (compression == 0 || compression == 3 || compression == 6)
        rows = std::floor((double(std::abs(width)) * double(depth) + 31) / 32) * 4 *
               double(std::abs(height));
    else
        rows = double(imageSize); // run-length data: the header's own count, if it gives one
    return double(data.size()) >= double(offset) + rows;
}

} // namespace

QString openPictureFilter() {
    return QStringLiteral("Tous  (*.bmp *.ico *.wmf *.emf *.jpg *.jpeg *.gif *.png);;"
                          "Bitmap (*.bmp);;Icônes (*.ico);;Metafiles (*.wmf *.emf);;PNG (*.png)");
}

Format formatFromExtension(const QString& path) {
    return fromExtensionText(QFileInfo(path).suffix());
}

Format formatFromContent(QByteArrayView head) {
    const auto at = [&head](qsizetype i) -> unsigned {
        return i < head.size() ? static_cast<unsigned char>(head[i]) : 0x100u;
    };
    const auto u32 = [&at](qsizetype i) {
        return at(i) | (at(i + 1) << 8) | (at(i + 2) << 16) | (at(i + 3) << 24);
    };
    if (head.startsWith("BM"))
        return Format::Bitmap;
    if (at(0) == 0 && at(1) == 0 && (at(2) == 1 || at(2) == 2) && at(3) == 0)
        return Format::Icon;
    if (at(0) == 0xFF && at(1) == 0xD8 && at(2) == 0xFF)
        return Format::Jpeg;
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return Format::Gif;
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return Format::Png;
    if (head.size() >= 4 && u32(0) == 0x9AC6CDD7u)
        return Format::Wmf;
    if ((at(0) == 1 || at(0) == 2) && at(1) == 0 && at(2) == 9 && at(3) == 0 && at(4) == 0 &&
        (at(5) == 1 || at(5) == 3))
        return Format::Wmf;
    if (head.size() >= 44 && u32(0) == 1 && u32(40) == 0x464D4520u)
        return Format::Emf;
    return Format::Unknown;
}

QImage decodeJpeg(QByteArrayView data) {
    if (data.isEmpty())
        return {};
    JpegTarget target;
    const bool ok = runJpeg(reinterpret_cast<const unsigned char*>(data.data()),
                            static_cast<unsigned long>(data.size()), &target);
    if (target.tooLarge)
        throw tooLarge();
    return ok ? target.image : QImage();
}

QImage decodeGif(QByteArrayView data) {
    GifSource source{data};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&source, gifRead, &error));
    if (!gif)
        return {};

    int transparent = -1;
    GifRecordType record;
    do {
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR)
            return {};
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
                return {};
            // The first frame's transparency comes in the control block before it.
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
                GraphicsControlBlock control;
                if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                    transparent = control.TransparentColor;
            }
            while (block) {
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
                    return {};
            }
        }
    } while (record != IMAGE_DESC_RECORD_TYPE && record != TERMINATE_RECORD_TYPE);
    if (record != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif.get()) == GIF_ERROR)
        return {};

    const GifImageDesc& frame = gif->Image;
    if (frame.Width <= 0 || frame.Height <= 0)
        return {};
    const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!colours || !colours->Colors)
        return {};
    // The frame sits on the logical screen when the screen holds it; otherwise the
    // screen's size is not believed and the frame alone is the picture.
    const QRect screen(0, 0, gif->SWidth, gif->SHeight);
    QRect place(frame.Left, frame.Top, frame.Width, frame.Height);
    const QSize size = screen.contains(place) ? screen.size() : place.size();
    if (!screen.contains(place))
        place.moveTo(0, 0);
    checkArea(size.width(), size.height());
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(Qt::white);

    std::vector<GifPixelType> line(std::size_t(frame.Width));
    // Interlaced frames store rows in four passes: every 8th from 0, every 8th from 4,
    // every 4th from 2, every 2nd from 1.
    std::vector<int> rows;
    rows.reserve(std::size_t(frame.Height));
    if (frame.Interlace) {
        static constexpr int passStart[4] = {0, 4, 2, 1}, passStep[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = passStart[pass]; y < frame.Height; y += passStep[pass])
                rows.push_back(y);
    } else {
        for (int y = 0; y < frame.Height; ++y)
            rows.push_back(y);
    }
    for (const int target : rows) {
        if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR)
            return {};
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(place.top() + target)) + place.left();
        for (int x = 0; x < frame.Width; ++x) {
            const int index = line[std::size_t(x)];
            if (index == transparent)
                continue;
            if (index < colours->ColorCount) {
                const GifColorType& c = colours->Colors[index];
                out[x] = qRgb(c.Red, c.Green, c.Blue);
            } else {
                out[x] = qRgb(0, 0, 0);
            }
        }
    }
    return image;
}

QImage decodeWithQt(QByteArrayView data, const char* format) {
    if (qstrcmp(format, "bmp") == 0 && !bitmapComplete(data))
        return {};
    QByteArray bytes = data.toByteArray();
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer, format);
    QImage picture;
    if (qstrcmp(format, "ico") == 0) {
        // An icon file holds several sizes; a label takes the standard 32 x 32 one.
        const int count = std::min(reader.imageCount(), 64);
        int best = -1;
        for (int i = 0; i < count; ++i) {
            if (i > 0 && !reader.jumpToImage(i))
                break;
            QImage candidate;
            if (!reader.read(&candidate))
                return {};
            const int distance =
                std::abs(candidate.width() - 32) + std::abs(candidate.height() - 32);
            if (best < 0 || distance < best) {
                best = distance;
                picture = candidate;
            }
        }
        if (best < 0)
            return {};
    } else {
        const QSize size = reader.size();
        if (size.isValid())
            checkArea(size.width(), size.height());
        if (!reader.read(&picture))
            return {};
    }
    return onWhite(picture);
}

QSize reduceMetafileSize(QSize size) {
    const qint64 area = qint64(size.width()) * size.height();
    if (area <= kMetafileArea)
        return size;
    // rint rounds in the default mode: to the nearest, halves to the even neighbour.
    const int k = int(std::rint(std::sqrt(double(area) / kMetafileArea)));
    return QSize(size.width() / (k + 1), size.height() / (k + 1));
}

DecodedPicture decodePictureData(QByteArrayView data, const QString& name, Format byExtension) {
    Format format = formatFromContent(data.first(std::min<qsizetype>(data.size(), 64)));
    if (format == Format::Unknown)
        format = byExtension;

    DecodedPicture result;
    result.kind = 1;
    switch (format) {
    case Format::Bitmap:
        result.image = decodeWithQt(data, "bmp");
        break;
    case Format::Icon:
        result.image = decodeWithQt(data, "ico");
        break;
    case Format::Png:
        result.image = decodeWithQt(data, "png");
        break;
    case Format::Jpeg:
        result.image = decodeJpeg(data);
        break;
    case Format::Gif:
        result.image = decodeGif(data);
        break;
    case Format::Wmf:
    case Format::Emf: {
        const std::optional<Metafile> metafile = Metafile::fromData(data);
        if (!metafile)
            throw unreadable(name);
        result.kind = 2;
        result.naturalSize = metafile->naturalSize();
        const QSize reduced = reduceMetafileSize(result.naturalSize);
        if (reduced.isEmpty())
            throw unreadable(name);
        checkArea(reduced.width(), reduced.height());
        if (reduced.width() > 32767 || reduced.height() > 32767)
            throw tooLarge();
        const std::optional<QImage> image = metafile->render(reduced);
        if (!image)
            throw unreadable(name);
        result.image = *image;
        return result;
    }
    case Format::Unknown:
        break;
    }
    if (result.image.isNull())
        throw unreadable(name);
    result.naturalSize = result.image.size();
    return result;
}

DecodedPicture decodePicture(const QString& path) {
    const QByteArray data = SafeFile::readRegularFile(path, kMaxFileBytes);
    return decodePictureData(data, path, formatFromExtension(path));
}

} // namespace PictureDecoders
