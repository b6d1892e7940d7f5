#include "Barcode.h"

#include "CanvasTypes.h"
#include "GdiCanvas.h"
#include "Windows1252.h"

#include <zint.h>

#include <QFontMetrics>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>

namespace {

using S = Symbology;

constexpr SymbologyInfo kSymbologies[] = {
    {S::Ean13, "EAN13", "EAN-13", BARCODE_EANX, true, 12, "12 chiffres attendus"},
    {S::Ean8, "EAN8", "EAN-8", BARCODE_EANX, true, 7, "7 chiffres attendus"},
    {S::UpcA, "UPCA", "UPC-A", BARCODE_UPCA, true, 11, "11 chiffres attendus"},
    {S::Code128, "CODE128", "Code 128", BARCODE_CODE128, true, 0,
     "lettres, chiffres et signes de l'alphabet latin (ISO 8859-1) attendus"},
    {S::Code39, "CODE39", "Code 39", BARCODE_CODE39, true, 0,
     "chiffres, lettres, espace et - . $ / + % attendus"},
    {S::Itf14, "ITF14", "ITF-14", BARCODE_ITF14, true, 13, "13 chiffres attendus"},
    {S::QrCode, "QRCODE", "QR Code", BARCODE_QRCODE, false, 0, "texte non vide attendu"},
    {S::DataMatrix, "DATAMATRIX", "Data Matrix", BARCODE_DATAMATRIX, false, 0,
     "texte non vide attendu"},
    {S::Pdf417, "PDF417", "PDF417", BARCODE_PDF417, false, 0, "texte non vide attendu"},
};

constexpr bool inOrder() {
    for (size_t i = 0; i < std::size(kSymbologies); ++i)
        if (kSymbologies[i].symbology != Symbology(i))
            return false;
    return true;
}
static_assert(inOrder());

// Zint's vector output gives a module two units at its default scale.
constexpr double kUnitsPerModule = 2;
// Zint's answers from this value on are errors; below it, warnings that still draw.
constexpr int kFirstError = ZINT_ERROR;

struct ZintDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};
using ZintSymbol = std::unique_ptr<zint_symbol, ZintDeleter>;

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

QString invalid(const SymbologyInfo& symbology) {
    return QStringLiteral("Donnée invalide pour %1 : %2")
        .arg(utf8(symbology.name), utf8(symbology.expected));
}

QString tooLong(const SymbologyInfo& symbology) {
    return QStringLiteral("Donnée trop longue pour %1").arg(utf8(symbology.name));
}

// What the program refuses before asking Zint: a fixed count of digits (Zint would pad a short
// EAN with zeros, or take eight digits for an EAN-13), and data beyond any symbology's reach.
QString refusedBeforeZint(const SymbologyInfo& symbology, QByteArrayView data) {
    if (symbology.digits > 0) {
        const bool digitsOnly =
            std::all_of(data.begin(), data.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (!digitsOnly || data.size() != symbology.digits)
            return invalid(symbology);
    }
    if (data.size() > Barcodes::kMaxData)
        return tooLong(symbology);
    return {};
}

// Encodes the data; returns Zint's answer, or -1 when no symbol could be made at all.
int runZint(const ZintSymbol& symbol, const SymbologyInfo& symbology, QByteArrayView data,
            bool humanReadable, double barHeight) {
    if (!symbol)
        return -1;
    symbol->symbology = symbology.zintSymbology;
    // The line's Windows-1252 text goes to Zint as Unicode: Zint picks the symbology's own
    // character set (Latin-1 for Code 128, an ECI in a QR code where Latin-1 lacks a character).
    symbol->input_mode = UNICODE_MODE;
    symbol->output_options |= BARCODE_QUIET_ZONES;
    symbol->show_hrt = humanReadable && symbology.linear ? 1 : 0;
    if (barHeight > 0)
        symbol->height = float(barHeight);
    // A square Data Matrix, as readers and labels expect, rather than the rectangles Zint may pick.
    if (symbology.symbology == Symbology::DataMatrix)
        symbol->option_3 = DM_SQUARE;
    const QByteArray text = Windows1252::toUnicode(data).toUtf8();
    // Matrices and stacks say when they carry UTF-8 (ECI 26): a reader would otherwise guess the
    // bytes' character set, and phones guess wrong for Latin-1. Plain ASCII needs no such mark.
    if (!symbology.linear && std::any_of(text.begin(), text.end(), [](char c) { return c & 0x80; }))
        symbol->eci = 26;
    return ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(text.constData()),
                           int(text.size()));
}

QString zintError(const SymbologyInfo& symbology, int answer) {
    switch (answer) {
    case ZINT_ERROR_TOO_LONG:
        return tooLong(symbology);
    case ZINT_ERROR_INVALID_DATA:
        return invalid(symbology);
    case ZINT_ERROR_INVALID_CHECK:
        return QStringLiteral("Chiffre de contrôle faux pour %1").arg(utf8(symbology.name));
    default:
        return QStringLiteral("Zint ne peut pas dessiner ce code %1 (erreur %2)")
            .arg(utf8(symbology.name))
            .arg(answer);
    }
}

} // namespace

namespace Barcodes {

std::span<const SymbologyInfo> symbologies() {
    return kSymbologies;
}

const SymbologyInfo& info(Symbology symbology) {
    return kSymbologies[size_t(symbology)];
}

const SymbologyInfo* find(QByteArrayView keyword) {
    for (const SymbologyInfo& row : kSymbologies)
        if (keyword == row.keyword)
            return &row;
    return nullptr;
}

BarcodeData parse(QByteArrayView kindData) {
    BarcodeData result;
    const qsizetype blank = kindData.indexOf(' ');
    const QByteArrayView keyword = blank < 0 ? kindData : kindData.first(blank);
    result.symbology = find(keyword);
    if (blank >= 0)
        result.data = kindData.sliced(blank + 1).toByteArray();
    return result;
}

QByteArray kindData(const SymbologyInfo& symbology, QByteArrayView data) {
    return QByteArray(symbology.keyword) + ' ' + data.toByteArray();
}

QString check(const SymbologyInfo& symbology, QByteArrayView data) {
    if (QString refused = refusedBeforeZint(symbology, data); !refused.isEmpty())
        return refused;
    const ZintSymbol symbol(ZBarcode_Create());
    const int answer = runZint(symbol, symbology, data, false, 0);
    return answer >= kFirstError || answer < 0 ? zintError(symbology, answer) : QString();
}

std::optional<BarcodeSymbol> encode(const SymbologyInfo& symbology, QByteArrayView data,
                                    bool humanReadable, double barHeight) {
    if (!refusedBeforeZint(symbology, data).isEmpty())
        return std::nullopt;
    const ZintSymbol symbol(ZBarcode_Create());
    const int answer = runZint(symbol, symbology, data, humanReadable, barHeight);
    if (answer < 0 || answer >= kFirstError ||
        ZBarcode_Buffer_Vector(symbol.get(), 0) >= kFirstError || !symbol->vector)
        return std::nullopt;
    const zint_vector& vector = *symbol->vector;
    BarcodeSymbol result;
    result.size = QSizeF(vector.width, vector.height) / kUnitsPerModule;
    result.barHeight = symbol->height;
    for (const zint_vector_rect* r = vector.rectangles; r; r = r->next)
        result.bars.append(QRectF(r->x / kUnitsPerModule, r->y / kUnitsPerModule,
                                  r->width / kUnitsPerModule, r->height / kUnitsPerModule));
    for (const zint_vector_string* s = vector.strings; s; s = s->next)
        result.texts.append({QPointF(s->x, s->y) / kUnitsPerModule, s->fsize / kUnitsPerModule,
                             s->halign,
                             QString::fromUtf8(reinterpret_cast<const char*>(s->text), s->length)});
    if (result.size.isEmpty())
        return std::nullopt;
    return result;
}

std::optional<Placement> place(const SymbologyInfo& symbology, QByteArrayView data,
                               bool humanReadable, const QRect& box) {
    if (box.width() <= 0 || box.height() <= 0)
        return std::nullopt;
    std::optional<BarcodeSymbol> symbol = encode(symbology, data, humanReadable);
    if (!symbol)
        return std::nullopt;
    // Whole pixels a module keep every bar and space the same width; a box too small for that
    // still gets the symbol, at a fraction of a pixel a module.
    auto whole = [](double module) { return module >= 1 ? std::floor(module) : module; };
    const double across = box.width() / symbol->size.width();
    double module = whole(std::min(across, box.height() / symbol->size.height()));
    if (symbology.linear) {
        // Bars take the box's height whatever their width: Zint lays them out again that high,
        // with its text and guard bars below them at their own size.
        module = whole(across);
        const double below = symbol->size.height() - symbol->barHeight;
        const double bars = std::max(1.0, box.height() / module - below);
        if (std::optional<BarcodeSymbol> tall = encode(symbology, data, humanReadable, bars))
            symbol = std::move(tall);
        module = whole(std::min(module, box.height() / symbol->size.height()));
    }
    Placement placement;
    placement.module = module;
    placement.origin =
        QPointF(box.left() + std::floor((box.width() - symbol->size.width() * module) / 2),
                box.top() + std::floor((box.height() - symbol->size.height() * module) / 2));
    placement.symbol = std::move(*symbol);
    return placement;
}

void draw(GdiCanvas& canvas, const QRect& box, QByteArrayView kindData, bool humanReadable) {
    const BarcodeData barcode = parse(kindData);
    if (!barcode.symbology)
        return;
    const std::optional<Placement> placed =
        place(*barcode.symbology, barcode.data, humanReadable, box);
    if (!placed)
        return;
    const ColorRef brushColor = canvas.brushColor();
    const int brushStyle = canvas.brushStyle();
    const int fontSize = canvas.fontSize();
    // Device pixels stay within what a drawing's coordinates may reach, whatever the zoom.
    auto pixel = [](double v) {
        return int(std::clamp(std::nearbyint(v), -double(1 << 28), double(1 << 28)));
    };
    const double m = placed->module;
    const QPointF o = placed->origin;

    canvas.fillRect(box.left(), box.top(), box.right() + 1, box.bottom() + 1);
    canvas.setBrushStyle(BrushSolid);
    canvas.setBrushColor(canvas.penColor());
    for (const QRectF& bar : placed->symbol.bars)
        canvas.fillRect(pixel(o.x() + bar.left() * m), pixel(o.y() + bar.top() * m),
                        pixel(o.x() + bar.right() * m), pixel(o.y() + bar.bottom() * m));

    // The text is drawn at Zint's size, so that it fits between the guard bars; the font's name,
    // style and colour are the line's.
    canvas.setBrushStyle(BrushClear);
    for (const BarcodeSymbol::Text& text : placed->symbol.texts) {
        const double pixels = text.size * m;
        canvas.setFontSize(std::clamp(pixel(pixels * 72 / canvas.dpi()), 1, 4095));
        const int width = canvas.textExtent(text.text).width();
        const double x = o.x() + text.at.x() * m;
        const double left = text.align == 1 ? x : text.align == 2 ? x - width : x - width / 2.0;
        const double top = o.y() + text.at.y() * m - QFontMetrics(canvas.font()).ascent();
        canvas.textOut(pixel(left), pixel(top), text.text);
    }
    canvas.setBrushColor(brushColor);
    canvas.setBrushStyle(brushStyle);
    canvas.setFontSize(fontSize);
}

} // namespace Barcodes
