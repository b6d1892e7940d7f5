#include "CanvasTypes.h"

QColor colorFromRef(ColorRef value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

ColorRef refFromColor(const QColor& color) {
    return ColorRef(color.red()) | (ColorRef(color.green()) << 8) | (ColorRef(color.blue()) << 16);
}
