#pragma once

#include "LineCodec.h"

#include <QByteArray>
#include <QString>

#include <optional>

// A sheet of pre-cut labels as it is sold: the label's size, how many across and down, the
// steps between them and the first label's corner from the paper's top-left edge. Lengths are
// in hundredths of a millimetre, as makers' data sheets give them.
struct SheetStock {
    enum class Shape { Rectangle, Rounded, Round };

    QString code;        // the maker's product code, e.g. "L7160"
    QString description; // brand and use, in French
    int labelWidth = 0;
    int labelHeight = 0;
    int columns = 0;
    int rows = 0;
    int hPitch = 0; // from one label's left edge to the next one's
    int vPitch = 0;
    int left = 0; // the first label's left edge from the paper's
    int top = 0;
    Shape shape = Shape::Rectangle;
    QString source; // where the figures come from

    bool isValid() const;
    // The label's size in whole millimetres (rounded down: the header's unit), and the spacing
    // the pitches leave between labels.
    LabelFormatValues format() const;
    bool operator==(const SheetStock&) const = default;
};

namespace StockLine {

// The stock as a line of the label file: an object line of the kind "SHEET" that a reader who
// knows nothing of stock keeps and draws as nothing, e.g.
//  0SHEET 000000000000018CE00EE101A4800EE102D002EF0307L7160<TAB>style block
// (label width, label height, horizontal and vertical pitch, left and top margin as five hex
// digits of 0.01 mm each, columns and rows as two, the shape digit, then the code).
QByteArray write(const SheetStock& stock);
// The stock of such a line; nothing for any other line or a damaged one.
std::optional<SheetStock> read(QByteArrayView line);

} // namespace StockLine
