#include "LineEdits.h"

#include "GdiCanvas.h"
#include "Windows1252.h"

namespace LineEdits {

QSize textObjectExtent(const QByteArray& text, const StyleBlock& style) {
    GdiCanvas measure;
    measure.setFontName(Windows1252::toUnicode(style.fontName));
    measure.setFontSize(style.fontSize);
    measure.setFontStyle(style.fontStyle);
    return measure.textExtent(Windows1252::toUnicode(text));
}

QByteArray Recadre(const QByteArray& line) {
    const LineParts parts = LineCodec::splitLine(line);
    if (parts.keyword != "TEXT")
        return line;
    const auto corner = LineCodec::tryReadRect(parts.geometry);
    if (!corner)
        return line;
    // The text runs from after the 12 rectangle digits up to the TAB, however long it is.
    const qsizetype textStart = 2 + parts.keyword.size() + 1 + 12;
    const qsizetype tab = line.indexOf('\t');
    const qsizetype textEnd = tab >= 0 ? tab : line.size();
    const QByteArray text = line.mid(textStart, textEnd - textStart);
    StyleBlock style;
    LineCodec::readStyles(parts.styles, style);
    const QSize extent = textObjectExtent(text, style);
    const int l = corner->left;
    const int t = corner->top;

    QByteArray fitted;
    fitted.reserve(line.size());
    fitted += line.left(textStart - 12);
    fitted += LineCodec::writeRect(l, t, l + extent.width(), t + extent.height());
    fitted += line.mid(textStart);
    return fitted;
}

bool clearMarks(LineList& lines) {
    bool hadSelection = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray& line = lines[i];
        if (line.isEmpty())
            continue;
        if (line[0] == '*')
            hadSelection = true;
        if (line[0] != '#')
            line[0] = ' ';
        line = Recadre(line);
    }
    return hadSelection;
}

} // namespace LineEdits
