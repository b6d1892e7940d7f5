#include "SettingsFile.h"

#include "SafeFile.h"
#include "UserError.h"

#include <QDir>

namespace SettingsFile {

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

} // namespace SettingsFile
