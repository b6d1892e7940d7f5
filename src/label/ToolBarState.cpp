#include "ToolBarState.h"

#include "GdiCanvas.h"

void ToolBarState::applyTo(GdiCanvas& canvas) const {
    canvas.setBrushStyle(fillStyle);
    canvas.setPenStyle(penStyle);
    canvas.setPenWidth(penWidth);
    canvas.setPenColor(penColor);
    canvas.setBrushColor(fillColor);
    canvas.setFontName(fontName);
    canvas.setFontSize(fontSize);
    int style = canvas.fontStyle() & FontStrikeOut;
    if (bold)
        style |= FontBold;
    if (italic)
        style |= FontItalic;
    if (underline)
        style |= FontUnderline;
    canvas.setFontStyle(style);
}
