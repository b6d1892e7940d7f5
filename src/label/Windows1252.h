#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Label files hold text in the Windows-1252 code page; these convert it to and from
// Unicode for showing, measuring and typing texts.
namespace Windows1252 {

QString toUnicode(QByteArrayView bytes);
// A character with no Windows-1252 byte becomes '?'; TAB and line breaks become blanks,
// since either would break the line format. `replaced` counts the '?' that stand for a
// character.
QByteArray fromUnicode(const QString& text, int* replaced = nullptr);

} // namespace Windows1252
