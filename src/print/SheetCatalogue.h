#pragma once

#include "SheetStock.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The sheets of pre-cut labels the program knows: the catalogue installed with it, and the
// user's own file that adds to it. Both are text files of one sheet a line (data/planches.txt
// in the sources says how, docs/sheet-catalogue.md too).
class SheetCatalogue {
public:
    // The installed catalogue and the user's file, read once.
    static const SheetCatalogue& standard();
    // The user's own file that standard() reads after the installed one. The program sets it
    // at start-up, before the first standard(); without it only the installed one is read.
    static void setUserFile(const QString& path);
    // The installed catalogue: the file in share/vorlap beside the program when it is there,
    // else the copy built into the program.
    static QString installedFile();
    // The installed catalogue, then the user's file over it (none when the path is empty or
    // the file does not exist).
    static SheetCatalogue load(const QString& userFile);

    // Reads a catalogue's text. A line that cannot be read is left out and noted as a problem
    // naming the file and the line; the others are taken. An entry whose code is already
    // there replaces it.
    void read(QByteArrayView text, const QString& fileName);
    // The same from a file; one that cannot be read is a problem too.
    void readFile(const QString& path);

    const QList<SheetStock>& entries() const { return entries_; }
    // The entry of a code, whatever its case; nullptr when there is none.
    const SheetStock* find(QStringView code) const;
    // The entries whose code, description or size hold every word typed, whatever the case
    // and the accents; a size is written "63,5 x 38,1" or "63.5x38.1" as well.
    QList<const SheetStock*> search(const QString& words) const;
    const QStringList& problems() const { return problems_; }

    // The label's size as the lists show it, in millimetres: "63,5 x 38,1".
    static QString sizeText(const SheetStock& stock);

private:
    QList<SheetStock> entries_;
    QStringList problems_;
};
