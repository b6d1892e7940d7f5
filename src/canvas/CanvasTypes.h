#pragma once

#include <QColor>
#include <QtGlobal>

// A colour as the label file stores it: 00BBGGRR, red in the lowest byte.
using ColorRef = quint32;

QColor colorFromRef(ColorRef value);
ColorRef refFromColor(const QColor& color);

enum class PenMode { Copy, NotXor };

// Brush style digits of the label format.
enum BrushStyleCode {
    BrushSolid = 0,
    BrushClear = 1,
    BrushHorizontal = 2,
    BrushVertical = 3,
    BrushFDiagonal = 4,
    BrushBDiagonal = 5,
    BrushCross = 6,
    BrushDiagCross = 7,
};

// Pen style digits of the label format.
enum PenStyleCode {
    PenSolid = 0,
    PenDash = 1,
    PenDot = 2,
    PenDashDot = 3,
    PenDashDotDot = 4,
    PenClear = 5,
    PenInsideFrame = 6,
};

enum FontStyleFlag {
    FontBold = 1,
    FontItalic = 2,
    FontUnderline = 4,
    FontStrikeOut = 8,
};
