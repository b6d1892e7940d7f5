#pragma once

#include "LineCodec.h"

#include <QString>
#include <QStringList>

#include <memory>

// An address list for printing one label per row: a CSV file whose first row names the
// columns. Quoted fields may hold separators, doubled quotes and line breaks; the file is
// UTF-8 (with or without its mark) or else Windows-1252, and its separator ';', ',' or TAB,
// whichever the first row holds most of.
struct MergeTable {
    // The file as the user named it, for messages.
    QString fileName;
    QStringList columns;
    QList<QStringList> rows;
    // The file's line where each row starts, counted from 1.
    QList<int> rowLines;
    // What was wrong in the file, each said once with its line and column: short rows,
    // a quote never closed, characters a label cannot hold.
    QStringList problems;

    // Reads the file; throws UserError when it cannot be read.
    static MergeTable load(const QString& path);
    static MergeTable parse(const QByteArray& bytes, const QString& fileName);

    // The column's index, or -1.
    int column(const QString& name) const;
};

// The label's texts and barcodes' data filled from a row: "{Nom}" is the column's value, "{{"
// and "}}" literal braces. A text without braces is left as it is.
namespace MergeFields {

// The names a text refers to, in order, each once.
QStringList references(QByteArrayView text);
// The text with its references filled from the row; a name the list does not have stays as
// typed.
QByteArray fill(QByteArrayView text, const MergeTable& table, int row);
// Whether filling may change the line: a text or a barcode whose data holds braces.
bool holdsFields(QByteArrayView line);
// The label's lines for one row: only the texts and the barcodes' data change.
LineList fill(const LineList& lines, const MergeTable& table, int row);
// The labels' references to columns the list does not have, one message each.
QStringList unknownColumns(const LineList& lines, const MergeTable& table);
// The barcodes whose filled data a row's values make unreadable to their symbology: one
// message a barcode, naming the first such row and how many there are.
QStringList refusedBarcodes(const LineList& lines, const MergeTable& table);

} // namespace MergeFields

// The list a label is printed from, as a line of the label file that a reader who knows
// nothing of lists keeps and draws as nothing:
//  0MERGE 000000000000adresses.csv<TAB>style block
// the file's name percent-encoded (its bytes on disk), relative to the label's folder when
// the list lies beside it or below.
namespace MergeLine {

QByteArray write(const QString& path, const QString& labelPath);
// The list's name as written, resolved against the label's folder; empty for any other line.
QString read(QByteArrayView line, const QString& labelPath);

} // namespace MergeLine
