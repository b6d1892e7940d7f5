#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>

// A picture file turned into pixels for a label. Raster pictures come as they are;
// a metafile comes rendered at its reduced size. Transparent parts are white.
struct DecodedPicture {
    QImage image;      // QImage::Format_RGB32
    int kind = 0;      // 1 bitmap, icon, JPEG, GIF or PNG; 2 metafile
    QSize naturalSize; // the picture's own size (a metafile's before its reduction)
};

namespace PictureDecoders {

enum class Format { Unknown, Bitmap, Icon, Jpeg, Gif, Png, Wmf, Emf };

// The open-picture dialog's filter.
QString openPictureFilter();

// From the file name's extension only, in any letter case.
Format formatFromExtension(const QString& path);
// From the first bytes of the file; Unknown when they match no format.
Format formatFromContent(QByteArrayView head);

// Reads a picture file; the content's signature overrides a misleading extension.
// Throws UserError naming the file when it cannot be opened or read, and UserError
// "Image trop grande" for pictures too big to hold in memory.
DecodedPicture decodePicture(const QString& path);
// Same over bytes already read; `name` is the file the messages name.
DecodedPicture decodePictureData(QByteArrayView data, const QString& name,
                                 Format byExtension = Format::Unknown);

// The decoders themselves: a null image when the bytes are not such a picture.
// Each throws UserError "Image trop grande" beyond the memory limit.
QImage decodeJpeg(QByteArrayView data);
QImage decodeGif(QByteArrayView data);
// Windows bitmaps ("bmp"), icons ("ico") and PNG ("png"), through Qt's readers.
QImage decodeWithQt(QByteArrayView data, const char* format);

// A metafile larger than 21000 pixels is brought down before it is rendered:
// k = sqrt(w * h / 21000) rounded, halves to even, and each side divided by k + 1.
QSize reduceMetafileSize(QSize size);

} // namespace PictureDecoders
