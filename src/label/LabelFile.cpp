#include "LabelFile.h"

#include "SafeFile.h"
#include "UserError.h"

#include <QDir>

namespace LabelFile {

namespace {

// Far beyond the largest label, even one full of pictures; anything bigger is not a label
// and would only exhaust memory.
constexpr qint64 kMaxFileBytes = qint64(256) << 20;

} // namespace

LineList splitLines(const QByteArray& content) {
    LineList lines;
    qsizetype start = 0;
    const qsizetype size = content.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = content[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(content.mid(start, i - start));
        if (c == '\r' && i + 1 < size && content[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(content.mid(start));
    return lines;
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

void write(const QString& path, const LineList& lines) {
    if (!SafeFile::writeAtomically(path, joinLines(lines)))
        throw UserError::cannotCreate(QDir::toNativeSeparators(path));
}

QString withExtension(const QString& path) {
    return path.contains(QLatin1Char('.')) ? path : path + QStringLiteral(".etq");
}

} // namespace LabelFile
