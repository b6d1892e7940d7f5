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

} // namespace

QString pathIn(const QString& directory) {
    return QDir(directory).filePath(QStringLiteral("Vorlap.ini"));
}

PageSetupValues read(const QString& path, PageSetupValues values) {
    QByteArray content;
    try {
        // The file is one short line; anything much longer is not a settings file.
        content = SafeFile::readRegularFile(path, 64 * 1024);
    } catch (const UserError&) {
        return values;
    }
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

bool write(const QString& path, const PageSetupValues& v) {
    return SafeFile::writeAtomically(path, QStringLiteral("%1 %2 %3 %4 %5\r\n")
                                               .arg(v.left)
                                               .arg(v.top)
                                               .arg(v.right)
                                               .arg(v.bottom)
                                               .arg(v.zoom)
                                               .toLatin1());
}

QString configDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

PageSetupValues load(const QString& startDir, PageSetupValues values, const QString& configDir) {
    const QString local = pathIn(startDir);
    const QString user = pathIn(configDir);
    if (!QFileInfo::exists(user))
        return read(local, values);
    // A start-up directory that refuses writes sends every save to the user's file, so a copy
    // of its own would otherwise win over the user's settings at every start.
    if (QFileInfo::exists(local) && takesWrites(startDir))
        return read(local, values);
    return read(user, values);
}

bool save(const QString& startDir, const PageSetupValues& values, const QString& configDir) {
    if (write(pathIn(startDir), values))
        return true;
    return !configDir.isEmpty() && QDir().mkpath(configDir) && write(pathIn(configDir), values);
}

} // namespace SettingsFile
