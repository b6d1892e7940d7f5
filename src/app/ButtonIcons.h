#pragma once

#include <QIcon>
#include <QPixmap>

// Pictures of the tool-bar buttons, drawn by the program so they stay sharp at any scale.
enum class ButtonPicture {
    New,
    Open,
    Save,
    Print,
    Preview,
    Undo,
    Redo,
    Cut,
    Copy,
    Paste,
    Bold,
    Italic,
    Underline,
    Pointer,
    Text,
    Picture,
    Line,
    Arc,
    Polyline,
    Polygon,
    Rectangle,
    Ellipse,
    RoundRect,
    Barcode,
    SolidPen,
    DashPen,
    DotPen,
    DashDotPen,
    DashDotDotPen,
    ClearPen,
    SolidBrush,
    ClearBrush,
    Background,
};

QIcon buttonIcon(ButtonPicture picture);
// The program's own picture: a label on a sheet, for the splash and the about box.
QPixmap programPicture(int size);
