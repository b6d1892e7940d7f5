#include "SettingsFile.h"

#include "SafeFile.h"
#include "UserError.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace SettingsFile {

namespace {

// Asked by writing, as saving would: permissions alone miss read-only mounts and full disks,
// and say nothing true for root.
bool takesWrites(const QString& directory) {
    QTemporaryFile probe(QDir(directory).filePath(QStringLiteral(".Vorlap.ini-XXXXXX")));
    return probe.open() && probe.write("0", 1) == 1 && probe.flush();
}

int clampedOffset(int tenths) {
    return qBound(-kMaxOffsetTenths, tenths, kMaxOffsetTenths);
}

// A name the file can hold on one line, its fields apart.
bool storableName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('\t')) &&
           !name.contains(QLatin1Char('\r')) && !name.contains(QLatin1Char('\n'));
}

QByteArray readOrEmpty(const QString& path) {
    try {
        // A short file; anything much longer is not a settings file.
        return SafeFile::readRegularFile(path, 64 * 1024);
    } catch (const UserError&) {
        return {};
    }
}

} // namespace

QString pathIn(const QString& directory) {
    return QDir(directory).filePath(QStringLiteral("Vorlap.ini"));
}

PageSetupValues read(const QString& path, PageSetupValues values) {
    const QByteArray content = readOrEmpty(path);
    int* const fields[] = {&values.left, &values.top, &values.right, &values.bottom, &values.zoom};
    int index = 0;
    for (const QByteArray& token : content.simplified().split(' ')) {
        if (index == 5 || token.isEmpty())
            break;
        bool ok = false;
        const int value = token.toInt(&ok);
        if (!ok)
            break;
        *fields[index++] = value;
    }
    return values;
}

PrinterOffsets readOffsets(const QString& path) {
    PrinterOffsets offsets;
    const QList<QByteArray> lines = readOrEmpty(path).split('\n');
    // The first line is the page setup's, whatever it holds.
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        const QList<QByteArray> fields = line.split('\t');
        bool okX = false;
        bool okY = false;
        const int x = fields.value(1).toInt(&okX);
        const int y = fields.value(2).toInt(&okY);
        const QString name = QString::fromUtf8(fields.value(0));
        if (fields.size() == 3 && okX && okY && storableName(name))
            offsets.insert(name, QPoint(clampedOffset(x), clampedOffset(y)));
    }
    return offsets;
}

bool write(const QString& path, const PageSetupValues& v, const PrinterOffsets& offsets) {
    QByteArray content = QStringLiteral("%1 %2 %3 %4 %5\r\n")
                             .arg(v.left)
                             .arg(v.top)
                             .arg(v.right)
                             .arg(v.bottom)
                             .arg(v.zoom)
                             .toLatin1();
    // Without offsets the file stays the one line that every version wrote.
    for (auto it = offsets.cbegin(); it != offsets.cend(); ++it) {
        const QPoint offset(clampedOffset(it.value().x()), clampedOffset(it.value().y()));
        if (offset.isNull() || !storableName(it.key()))
            continue;
        content += it.key().toUtf8() + '\t' + QByteArray::number(offset.x()) + '\t' +
                   QByteArray::number(offset.y()) + "\r\n";
    }
    return SafeFile::writeAtomically(path, content);
}

QString configDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

QString pathToLoad(const QString& startDir, const QString& configDir) {
    const QString local = pathIn(startDir);
    const QString user = pathIn(configDir);
    if (!QFileInfo::exists(user))
        return local;
    // A start-up directory that refuses writes sends every save to the user's file, so a copy
    // of its own would otherwise win over the user's settings at every start.
    if (QFileInfo::exists(local) && takesWrites(startDir))
        return local;
    return user;
}

PageSetupValues load(const QString& startDir, PageSetupValues values, const QString& configDir) {
    return read(pathToLoad(startDir, configDir), values);
}

bool save(const QString& startDir, const PageSetupValues& values, const PrinterOffsets& offsets,
          const QString& configDir) {
    if (write(pathIn(startDir), values, offsets))
        return true;
    return !configDir.isEmpty() && QDir().mkpath(configDir) &&
           write(pathIn(configDir), values, offsets);
}

} // namespace SettingsFile
