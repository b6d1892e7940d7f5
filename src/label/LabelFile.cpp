#include "LabelFile.h"

#include "SafeFile.h"
#include "UserError.h"

#include <QDir>

namespace LabelFile {

namespace {

// Far beyond the largest label, even one full of pictures; anything bigger is not a label
// and would only exhaust memory.
constexpr qint64 kMaxFileBytes = qint64(256) << 20;

// Cuts the content into lines, keeping those `keep` accepts given their index and bytes.
template <typename Keep> LineList cutLines(const QByteArray& content, Keep keep) {
    LineList lines;
    qsizetype index = 0;
    const auto add = [&](qsizetype from, qsizetype length) {
        const QByteArrayView line(content.constData() + from, length);
        if (keep(index++, line))
            lines.append(line.toByteArray());
    };
    qsizetype start = 0;
    const qsizetype size = content.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = content[i];
        if (c != '\r' && c != '\n')
            continue;
        add(start, i - start);
        if (c == '\r' && i + 1 < size && content[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        add(start, size - start);
    return lines;
}

} // namespace

LineList splitLines(const QByteArray& content) {
    return cutLines(content, [](qsizetype, QByteArrayView) { return true; });
}

LineList splitLabel(const QByteArray& content) {
    return cutLines(content, [](qsizetype index, QByteArrayView line) {
        return index < 2 || LineCodec::isWellFormedObjectLine(line);
    });
}

QByteArray joinLines(const LineList& lines) {
    qsizetype total = 0;
    for (const QByteArray& line : lines)
        total += line.size() + 2;
    QByteArray content;
    content.reserve(total);
    for (const QByteArray& line : lines) {
        content += line;
        content += "\r\n";
    }
    return content;
}

LineList read(const QString& path) {
    return splitLines(SafeFile::readRegularFile(path, kMaxFileBytes));
}

LineList readLabel(const QString& path) {
    return splitLabel(SafeFile::readRegularFile(path, kMaxFileBytes));
}

void write(const QString& path, const LineList& lines) {
    if (!SafeFile::writeAtomically(path, joinLines(lines)))
        throw UserError::cannotCreate(QDir::toNativeSeparators(path));
}

QString withExtension(const QString& path) {
    return path.contains(QLatin1Char('.')) ? path : path + QStringLiteral(".etq");
}

} // namespace LabelFile
