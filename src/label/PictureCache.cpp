#include "PictureCache.h"

#include "LineCodec.h"

QImage PictureCache::picture(QByteArrayView data, const QByteArray* owner) {
    if (owner) {
        const auto held = byBuffer_.find(data.data());
        if (held != byBuffer_.end() && held->size == data.size() &&
            held->owner.constData() <= data.data()) {
            held->used = true;
            return held->picture;
        }
    }
    QImage found;
    const size_t key = qHash(data);
    for (auto it = byContent_.find(key); it != byContent_.end() && it.key() == key; ++it) {
        if (it->data == data) {
            it->used = true;
            found = it->picture;
            break;
        }
    }
    if (found.isNull()) {
        found = LineCodec::readPicture(data);
        if (bytes_ + found.sizeInBytes() > kBudgetBytes)
            return found;
        bytes_ += found.sizeInBytes();
        byContent_.insert(key, Entry{data.toByteArray(), found, true});
    }
    if (owner)
        byBuffer_.insert(data.data(), Holder{*owner, data.size(), found, true});
    return found;
}

void PictureCache::sweep() {
    for (auto it = byContent_.begin(); it != byContent_.end();) {
        if (!it->used) {
            bytes_ -= it->picture.sizeInBytes();
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
