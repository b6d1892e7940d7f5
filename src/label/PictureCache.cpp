#include "PictureCache.h"

#include "LineCodec.h"

PictureCache::Picture PictureCache::decode(QByteArrayView data) {
    Picture picture;
    picture.columns = LineCodec::readPictureColumns(data, picture.size);
    return picture;
}

PictureCache::Picture PictureCache::picture(QByteArrayView data, const QByteArray* owner) {
    if (owner) {
        const auto held = byBuffer_.find(data.data());
        if (held != byBuffer_.end() && held->size == data.size() &&
            held->owner.constData() <= data.data()) {
            held->used = true;
            return held->picture;
        }
    }
    Picture found;
    bool known = false;
    const size_t key = qHash(data);
    for (auto it = byContent_.find(key); it != byContent_.end() && it.key() == key; ++it) {
        if (it->data == data) {
            it->used = true;
            found = it->picture;
            known = true;
            break;
        }
    }
    if (!known) {
        found = decode(data);
        const qint64 cost = found.columns.sizeInBytes();
        if (bytes_ + cost > kBudgetBytes)
            return found;
        bytes_ += cost;
        byContent_.insert(key, Entry{data.toByteArray(), found, true});
    }
    if (owner)
        byBuffer_.insert(data.data(), Holder{*owner, data.size(), found, true});
    return found;
}

void PictureCache::sweep() {
    for (auto it = byContent_.begin(); it != byContent_.end();) {
        if (!it->used) {
            bytes_ -= it->picture.columns.sizeInBytes();
            it = byContent_.erase(it);
        } else {
            it->used = false;
            ++it;
        }
    }
    for (auto it = byBuffer_.begin(); it != byBuffer_.end();) {
        if (!it->used) {
            it = byBuffer_.erase(it);
        } else {
            it->used = false;
            ++it;
        }
    }
}

void PictureCache::clear() {
    bytes_ = 0;
    byContent_.clear();
    byBuffer_.clear();
}
