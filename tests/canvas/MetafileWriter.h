#pragma once

// Small writers of Windows metafiles for the tests: real records, little-endian, as GDI
// lays them out, so the player is checked against the format and not against itself.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <initializer_list>

namespace metafile_writer {

inline void put16(QByteArray& out, int v) {
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

inline void put32(QByteArray& out, qint64 v) {
    put16(out, int(v & 0xFFFF));
    put16(out, int((v >> 16) & 0xFFFF));
}

inline void set32(QByteArray& out, int at, qint64 v) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = char((v >> (8 * i)) & 0xFF);
}

// A picture as a packed DIB (header, colours, bits): a BMP file without its file header.
inline QByteArray packedDib(const QImage& picture) {
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    picture.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP");
    return bmp.mid(14);
}

// A placeable WMF: a window of `bounds` logical units, `inch` of them per inch.
class WmfWriter {
public:
    explicit WmfWriter(QRect bounds = QRect(0, 0, 100, 50), int inch = 96, bool placeable = true)
        : bounds_(bounds), inch_(inch), placeable_(placeable) {}

    // One record: function and its 16-bit parameters, in file order.
    void record(int function, std::initializer_list<int> words, const QByteArray& tail = {}) {
        QByteArray r;
        put32(r, 0);
        put16(r, function);
        for (int w : words)
            put16(r, w);
        r += tail;
        if (r.size() % 2)
            r.append('\0');
        set32(r, 0, r.size() / 2);
        records_ += r;
    }

    void setWindow(int x, int y, int w, int h) {
        record(0x020B, {y, x});
        record(0x020C, {h, w});
    }
    void createPen(int style, int width, quint32 color) {
        record(0x02FA, {style, width, 0, int(color & 0xFFFF), int(color >> 16)});
    }
    void createBrush(int style, quint32 color, int hatch = 0) {
        record(0x02FC, {style, int(color & 0xFFFF), int(color >> 16), hatch});
    }
    void createFont(int height, const QByteArray& face, int weight = 400) {
        QByteArray tail = face;
        tail.append('\0');
        record(0x02FB, {height, 0, 0, 0, weight, 0, 0, 0, 0}, tail);
    }
    void select(int index) { record(0x012D, {index}); }
    void remove(int index) { record(0x01F0, {index}); }
    void rectangle(int l, int t, int r, int b) { record(0x041B, {b, r, t, l}); }
    void ellipse(int l, int t, int r, int b) { record(0x0418, {b, r, t, l}); }
    void polygon(const QList<QPoint>& points) {
        QByteArray tail;
        for (const QPoint& p : points) {
            put16(tail, p.x());
            put16(tail, p.y());
        }
        record(0x0324, {int(points.size())}, tail);
    }
    void setTextColor(quint32 color) { record(0x0209, {int(color & 0xFFFF), int(color >> 16)}); }
    void setBkMode(int mode) { record(0x0102, {mode}); }
    void textOut(int x, int y, const QByteArray& text) {
        QByteArray tail = text;
        if (tail.size() % 2)
            tail.append('\0');
        put16(tail, y);
        put16(tail, x);
        record(0x0521, {int(text.size())}, tail);
    }
    // StretchDIBits of the whole picture into the rectangle.
    void stretchDib(const QImage& picture, int x, int y, int w, int h) {
        record(0x0F43, {0x0020, 0x00CC, 0, picture.height(), picture.width(), 0, 0, h, w, y, x},
               packedDib(picture));
    }

    QByteArray finish() const {
        QByteArray body = records_;
        QByteArray eof;
        put32(eof, 3);
        put16(eof, 0);
        body += eof;
        QByteArray header;
        put16(header, 1);
        put16(header, 9);
        put16(header, 0x0300);
        put32(header, (18 + body.size()) / 2);
        put16(header, 16); // object table size
        put32(header, 64);
        put16(header, 0);
        QByteArray out;
        if (placeable_) {
            put32(out, 0x9AC6CDD7);
            put16(out, 0);
            put16(out, bounds_.left());
            put16(out, bounds_.top());
            put16(out, bounds_.left() + bounds_.width());
            put16(out, bounds_.top() + bounds_.height());
            put16(out, inch_);
            put32(out, 0);
            int checksum = 0;
            for (int i = 0; i < 20; i += 2)
                checksum ^= quint8(out[i]) | (quint8(out[i + 1]) << 8);
            put16(out, checksum);
        }
        return out + header + body;
    }

private:
    QRect bounds_;
    int inch_;
    bool placeable_;
    QByteArray records_;
};

// An EMF whose reference device has 10 pixels per millimetre; `frame` is in hundredths
// of a millimetre, so one logical unit of MM_TEXT is a tenth of a frame unit.
class EmfWriter {
public:
    explicit EmfWriter(QRect frame = QRect(0, 0, 1000, 500)) : frame_(frame) {}

    void record(quint32 type, std::initializer_list<qint64> fields, const QByteArray& tail = {}) {
        QByteArray r;
        put32(r, type);
        put32(r, 0);
        for (qint64 f : fields)
            put32(r, f);
        r += tail;
        while (r.size() % 4)
            r.append('\0');
        set32(r, 4, r.size());
        records_ += r;
        ++count_;
    }

    void createPen(int handle, int style, int width, quint32 color) {
        record(38, {handle, style, width, 0, color});
    }
    void createBrush(int handle, int style, quint32 color, int hatch = 0) {
        record(39, {handle, style, color, hatch});
    }
    void select(quint32 handle) { record(37, {handle}); }
    void rectangle(int l, int t, int r, int b) { record(43, {l, t, r, b}); }
    void ellipse(int l, int t, int r, int b) { record(42, {l, t, r, b}); }
    void setMapMode(int mode) { record(17, {mode}); }
    void setWindowExt(int w, int h) { record(9, {w, h}); }
    void setViewportExt(int w, int h) { record(11, {w, h}); }
    void polygon16(const QList<QPoint>& points, int type = 86) {
        QByteArray tail;
        for (const QPoint& p : points) {
            put16(tail, p.x());
            put16(tail, p.y());
        }
        record(quint32(type), {0, 0, 0, 0, points.size()}, tail);
    }
    void textOutW(int x, int y, const QString& text, quint32 color) {
        record(24, {color}); // text colour
        record(18, {1});     // transparent background
        QByteArray tail;
        for (QChar c : text)
            put16(tail, c.unicode());
        // bounds, graphics mode, scales, reference, count, offset, options, rect, offDx
        record(84, {0, 0, 0, 0, 1, 0, 0, x, y, text.size(), 76, 0, 0, 0, 0, 0, 0}, tail);
    }
    void stretchDiBits(const QImage& picture, int x, int y, int w, int h) {
        const QByteArray dib = packedDib(picture);
        const int headerSize = 40;
        const int offBmi = 80;
        record(81,
               {0, 0, 0, 0, x, y, 0, 0, picture.width(), picture.height(), offBmi, headerSize,
                offBmi + headerSize, dib.size() - headerSize, 0, 0x00CC0020, w, h},
               dib);
    }

    QByteArray finish() const {
        QByteArray header;
        put32(header, 1);
        put32(header, 88);
        const QRect device(frame_.left() / 10, frame_.top() / 10, frame_.width() / 10,
                           frame_.height() / 10);
        for (int v : {device.left(), device.top(), device.right(), device.bottom()})
            put32(header, v);
        for (int v : {frame_.left(), frame_.top(), frame_.left() + frame_.width(),
                      frame_.top() + frame_.height()})
            put32(header, v);
        put32(header, 0x464D4520);
        put32(header, 0x10000);
        put32(header, 0); // total size, set below
        put32(header, count_ + 2);
        put16(header, 16); // handles
        put16(header, 0);
        put32(header, 0);
        put32(header, 0);
        put32(header, 0);
        put32(header, 1000); // reference device: 1000 x 1000 pixels ...
        put32(header, 1000);
        put32(header, 100); // ... over 100 x 100 millimetres
        put32(header, 100);
        QByteArray eof;
        put32(eof, 14);
        put32(eof, 20);
        put32(eof, 0);
        put32(eof, 16);
        put32(eof, 20);
        QByteArray out = header + records_ + eof;
        set32(out, 48, out.size());
        return out;
    }

private:
    QRect frame_;
    QByteArray records_;
    int count_ = 0;
};

} // namespace metafile_writer
