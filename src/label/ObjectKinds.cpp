#include "ObjectKinds.h"

#include <iterator>

namespace {

using K = ObjectKind;
using P = ModifyPage;

// Pictures and unknown objects have only their pen and fill to show, so they get the closed
// shapes' page; the names are the ones the object list and "Modifier objet" have always used.
constexpr ObjectKindInfo kKinds[] = {
    {K::Line, "LINE", false, false, "Ligne descendante", "Ligne", P::Lines},
    {K::LineUp, "LINEU", false, false, "Ligne montante", "Ligne", P::Lines},
    {K::Rect, "RECT", false, false, "Rectangle", "Rectangle", P::Shapes},
    {K::Ellipse, "ELLIPSE", false, false, "Ellipse", "Ellipse", P::Shapes},
    {K::RoundRect, "ROUNDRECT", false, false, "Rectangle arrondi", "Rectangle arrondi", P::Shapes},
    {K::ArcL, "ARCL", false, false, "Arc concave descendant", "Arc", P::Lines},
    {K::ArcH, "ARCH", false, false, "Arc convexe descendant", "Arc", P::Lines},
    {K::ArcLU, "ARCLU", false, false, "Arc concave montant", "Arc", P::Lines},
    {K::ArcHU, "ARCHU", false, false, "Arc convexe montant", "Arc", P::Lines},
    {K::ChordL, "CHORDL", false, false, "Hémisphère concave descendant", "Hémicycle", P::Shapes},
    {K::ChordH, "CHORDH", false, false, "Hémisphère convexe descendant", "Hémicycle", P::Shapes},
    {K::ChordLU, "CHORDLU", false, false, "Hémisphère concave montant", "Hémicycle", P::Shapes},
    {K::ChordHU, "CHORDHU", false, false, "Hémisphère convexe montant", "Hémicycle", P::Shapes},
    {K::Polygon, "POLYG", true, false, "Polygone", "Polygône", P::Shapes},
    {K::Polyline, "POLYL", true, false, "Ligne brisée", "Ligne brisée", P::Lines},
    {K::FreeHand, "DRAW", true, false, "Dessin libre", "Dessin libre", P::Lines},
    {K::Text, "TEXT", false, false, "Texte", "Texte", P::Text},
    {K::Bitmap, "BITMAP", false, false, "Image bitmap", "Image bitmap", P::Shapes},
    {K::Metafile, "META", false, false, "Image Metafile", "Image Metafile", P::Shapes},
    {K::Barcode, "BARCODE", false, false, "Code-barres", "Code-barres", P::Barcode},
    {K::Blank, "BLANK", false, true, "????????????", "????????????", P::None},
    {K::FillRect, "FILLRECT", false, true, "????????????", "????????????", P::None},
    {K::Shape, "SHAPE", false, true, "????????????", "????????????", P::None},
    {K::Gradient, "COLOR", false, true, "????????????", "????????????", P::None},
    {K::GradientUp, "COLORU", false, true, "????????????", "????????????", P::None},
    {K::Mosaic, "MOSAIC", false, true, "????????????", "????????????", P::None},
    {K::Sheet, "SHEET", false, false, "????????????", "????????????", P::None},
    {K::Merge, "MERGE", false, false, "????????????", "????????????", P::None},
    {K::Unknown, "", false, false, "????????????", "????????????", P::Shapes},
};

// info() finds a kind's row by its number.
constexpr bool inOrder() {
    for (size_t i = 0; i < std::size(kKinds); ++i)
        if (kKinds[i].kind != ObjectKind(i))
            return false;
    return std::size(kKinds) == size_t(ObjectKind::Unknown) + 1;
}
static_assert(inOrder());

} // namespace

namespace ObjectKinds {

const ObjectKindInfo& of(QByteArrayView keyword) {
    if (keyword.isEmpty())
        return kKinds[size_t(ObjectKind::Unknown)];
    for (const ObjectKindInfo& row : kKinds)
        if (keyword == row.keyword)
            return row;
    return kKinds[size_t(ObjectKind::Unknown)];
}

const ObjectKindInfo& info(ObjectKind kind) {
    return kKinds[size_t(kind)];
}

QByteArrayView keyword(ObjectKind kind) {
    return info(kind).keyword;
}

bool editsPointList(QByteArrayView keyword) {
    return of(keyword).pointList || keyword.contains("POLY") || keyword.contains("DRAW");
}

} // namespace ObjectKinds
