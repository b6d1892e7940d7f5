#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// File names as the system holds them, bytes, and as the program shows and passes them,
// QStrings. Names are UTF-8; a byte that is not part of valid UTF-8 (a name made under a
// Latin-1 system, say) becomes the lone surrogate U+DC00 + byte and turns back into that very
// byte, so that every file can be named, opened and written under its own name. Qt's own
// decoding would turn such a byte into U+FFFD and lose the file.
namespace FileNames {

QString decode(QByteArrayView bytes);
QByteArray encode(const QString& name);

// A name that a Qt dialog gave, which holds U+FFFD where the file's name has bytes that are
// not UTF-8: the file of the folder whose name Qt would show so, named losslessly. Other names
// come back unchanged.
QString resolve(const QString& name);

} // namespace FileNames
