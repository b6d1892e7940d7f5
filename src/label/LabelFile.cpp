#include "LabelFile.h"

#include "UserError.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace LabelFile {

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
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        throw UserError::cannotOpen(QDir::toNativeSeparators(path));
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw UserError::cannotOpen(QDir::toNativeSeparators(path));
    return splitLines(content);
}

void write(const QString& path, const LineList& lines) {
    QSaveFile file(path);
    const QByteArray content = joinLines(lines);
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly) ||
        file.write(content) != content.size() || !file.commit())
        throw UserError::cannotCreate(QDir::toNativeSeparators(path));
}

QString withExtension(const QString& path) {
    return path.contains(QLatin1Char('.')) ? path : path + QStringLiteral(".etq");
}

} // namespace LabelFile
