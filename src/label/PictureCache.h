#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QImage>
#include <QSize>

// Pictures rebuilt from their pixel lists, kept by the content of the list so that a
// redraw decodes each picture once. Pictures no redraw asked for are dropped, and the
// pictures kept stay within a memory budget.
class PictureCache {
public:
    // A picture as its line holds it: the columns its pixel list reaches, and the size it
    // declares (empty when it has none). Columns past the list are white.
    struct Picture {
        QImage columns;
        QSize size;
    };

    static Picture decode(QByteArrayView pictureData);

    // The picture for a "width height pixels" text, decoded on first use. `owner`, when
    // given, is the line the text lies in: holding it lets an unchanged line be found
    // again by its buffer alone, without reading its 130,000 digits.
    Picture picture(QByteArrayView pictureData, const QByteArray* owner = nullptr);
    // Ends a redraw: forgets the pictures the redraw did not use.
    void sweep();
    void clear();
    qsizetype size() const { return byContent_.size(); }
    qint64 bytes() const { return bytes_; }

    static constexpr qint64 kBudgetBytes = 256ll * 1024 * 1024;

private:
    struct Entry {
        QByteArray data;
        Picture picture;
        bool used = false;
    };
    struct Holder {
        QByteArray owner; // keeps the buffer alive, so its address cannot be reused
        qsizetype size = 0;
        Picture picture;
        bool used = false;
    };
    qint64 bytes_ = 0;
    QMultiHash<size_t, Entry> byContent_;
    QHash<const char*, Holder> byBuffer_;
};
