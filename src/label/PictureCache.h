#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QImage>

// Pictures rebuilt from their pixel lists, kept by the content of the list so that a
// redraw decodes each picture once. Pictures no redraw asked for are dropped, and the
// pictures kept stay within a memory budget: a file that declares huge pictures with few
// pixels gets them decoded at each redraw instead of filling the memory.
class PictureCache {
public:
    // The picture for a "width height pixels" text, decoded on first use. `owner`, when
    // given, is the line the text lies in: holding it lets an unchanged line be found
    // again by its buffer alone, without reading its 130,000 digits.
    QImage picture(QByteArrayView pictureData, const QByteArray* owner = nullptr);
    // Ends a redraw: forgets the pictures the redraw did not use.
    void sweep();
    void clear();
    qsizetype size() const { return byContent_.size(); }

    static constexpr qint64 kBudgetBytes = 256ll * 1024 * 1024;

private:
    struct Entry {
        QByteArray data;
        QImage picture;
        bool used = false;
    };
    struct Holder {
        QByteArray owner; // keeps the buffer alive, so its address cannot be reused
        qsizetype size = 0;
        QImage picture;
        bool used = false;
    };
    qint64 bytes_ = 0;
    QMultiHash<size_t, Entry> byContent_;
    QHash<const char*, Holder> byBuffer_;
};
