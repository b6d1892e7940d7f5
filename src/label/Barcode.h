#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>
#include <span>

class GdiCanvas;

// The symbologies a barcode object can take, drawn by Zint.
enum class Symbology { Ean13, Ean8, UpcA, Code128, Code39, Itf14, QrCode, DataMatrix, Pdf417 };

struct SymbologyInfo {
    Symbology symbology;
    // The name the object line writes after the rectangle field.
    const char* keyword;
    // The name the program shows (UTF-8).
    const char* name;
    int zintSymbology;
    // A row of bars, which may carry a human-readable text and stretches to its box's height;
    // the others are matrices or stacks of square-ish modules.
    bool linear;
    // Digits the data must have, the check digit being Zint's to add; 0 for free text.
    int digits;
    // What the data must be, for the error message (UTF-8).
    const char* expected;
};

// A barcode object's kind data: the symbology's keyword, a blank and the data.
struct BarcodeData {
    const SymbologyInfo* symbology = nullptr; // null when the keyword is none of ours
    QByteArray data;                          // Windows-1252, as the line holds it
};

// A symbol as Zint lays it out, in modules, quiet zones included. None of the symbologies
// offered draws hexagons or dots, so rectangles and texts are all there is.
struct BarcodeSymbol {
    struct Text {
        QPointF at; // on the baseline; x is the start, middle or end as `align` says
        double size;
        int align; // 0 centre, 1 left, 2 right
        QString text;
    };
    QSizeF size;
    // The height of the bars Zint was asked for or chose, in modules (rows of bars only).
    double barHeight = 0;
    QList<QRectF> bars;
    QList<Text> texts;
};

namespace Barcodes {

// The longest data a barcode line's data is handed to Zint with: more than any symbology holds.
constexpr int kMaxData = 8192;

std::span<const SymbologyInfo> symbologies();
const SymbologyInfo& info(Symbology symbology);
// The symbology of a keyword as the line writes it (exact), or null.
const SymbologyInfo* find(QByteArrayView keyword);

BarcodeData parse(QByteArrayView kindData);
QByteArray kindData(const SymbologyInfo& symbology, QByteArrayView data);

// Why Zint cannot draw the data, in French ("Donnée invalide pour EAN-13 : 12 chiffres
// attendus"); empty when it can.
QString check(const SymbologyInfo& symbology, QByteArrayView data);

// The symbol Zint makes of the data; for a linear symbology, with bars of `barHeight` modules
// (0: Zint's own height). Nothing when the data is refused.
std::optional<BarcodeSymbol> encode(const SymbologyInfo& symbology, QByteArrayView data,
                                    bool humanReadable, double barHeight = 0);

// The symbol laid out in a box of device pixels: modules of a whole number of pixels where the
// box holds at least one pixel a module, a row of bars as high as the box, centred.
struct Placement {
    BarcodeSymbol symbol;
    double module = 0; // device pixels a module
    QPointF origin;    // where the symbol's top-left corner goes
};
std::optional<Placement> place(const SymbologyInfo& symbology, QByteArrayView data,
                               bool humanReadable, const QRect& box);

// Draws a barcode object in `box` (device pixels): the background in the canvas's brush, the
// bars in its pen colour, the text in its font and font colour. The canvas's pen, brush and font
// are as they were afterwards. Data Zint refuses draws nothing.
void draw(GdiCanvas& canvas, const QRect& box, QByteArrayView kindData, bool humanReadable);

} // namespace Barcodes
