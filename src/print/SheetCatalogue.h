#pragma once

#include "SheetStock.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The sheets of pre-cut labels the program knows: the catalogue installed with it, and the
// user's own file that adds to it.
class SheetCatalogue {
public:
    // The installed catalogue and the user's file, read once.
    static const SheetCatalogue& standard();

    // Reads a catalogue's text. A line that cannot be read is left out and noted as a problem
    // naming the file and the line; the others are taken.
    void read(QByteArrayView text, const QString& fileName);

    const QList<SheetStock>& entries() const { return entries_; }
    // The entry of a code, whatever its case; nullptr when there is none.
    const SheetStock* find(QStringView code) const;
    // The entries whose code, description or size hold every word typed.
    QList<const SheetStock*> search(const QString& words) const;
    const QStringList& problems() const { return problems_; }

private:
    QList<SheetStock> entries_;
    QStringList problems_;
};
