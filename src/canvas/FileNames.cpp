#include "FileNames.h"

#include <QFile>
#include <QFileInfo>

#include <dirent.h>

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// The length of the valid UTF-8 sequence at `at`, or 0.
int sequenceLength(const uchar* s, qsizetype at, qsizetype size) {
    const uchar lead = s[at];
    if (lead < 0x80)
        return 1;
    int length = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > size)
        return 0;
    char32_t code = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((s[at + i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (s[at + i] & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond Unicode are not UTF-8.
    if (code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return length;
}

} // namespace

namespace FileNames {

QString decode(QByteArrayView bytes) {
    const auto* s = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype size = bytes.size();
    QString name;
    name.reserve(size);
    qsizetype at = 0;
    while (at < size) {
        const int length = sequenceLength(s, at, size);
        if (length == 0) {
            name.append(QChar(char16_t(kEscapeBase + s[at])));
            ++at;
            continue;
        }
        name.append(QString::fromUtf8(bytes.sliced(at, length)));
        at += length;
    }
    return name;
}

QByteArray encode(const QString& name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype from = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c < kEscapeBase + 0x80 || c > kEscapeBase + 0xFF)
            continue;
        // A low surrogate after a high one is half of a character, not an escaped byte.
        if (i > 0 && name[i - 1].isHighSurrogate())
            continue;
        bytes += name.mid(from, i - from).toUtf8();
        bytes += char(c - kEscapeBase);
        from = i + 1;
    }
    bytes += name.mid(from).toUtf8();
    return bytes;
}

QString resolve(const QString& name) {
    if (!name.contains(QChar::ReplacementCharacter))
        return name;
    const QFileInfo info(name);
    const QString folder = info.absolutePath();
    DIR* dir = ::opendir(encode(folder).constData());
    if (!dir)
        return name;
    QString found = name;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray raw(entry->d_name);
        if (QFile::decodeName(raw) == info.fileName()) {
            found = folder + QLatin1Char('/') + decode(raw);
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace FileNames
