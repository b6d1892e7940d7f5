#include "SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace SettingsFile {

QString pathIn(const QString& directory) {
    return QDir(directory).filePath(QStringLiteral("Vorlap.ini"));
}

PageSetupValues read(const QString& path, PageSetupValues values) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return values;
    // The file is one short line; anything longer than this is not a settings file.
    const QByteArray content = file.read(4096);
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("%1 %2 %3 %4 %5\r\n")
                   .arg(v.left)
                   .arg(v.top)
                   .arg(v.right)
                   .arg(v.bottom)
                   .arg(v.zoom)
                   .toLatin1());
    return file.commit();
}

} // namespace SettingsFile
