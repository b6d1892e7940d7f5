#include "TPosit.h"

TPosit::TPosit(QWidget* parent)
    : SelectionValuesDialog(QStringLiteral("Posit"), QStringLiteral("Position de l'objet"),
                            "Position X", "Position Y", parent) {}

void TPosit::Init(const LabelRect& selection) {
    start(selection.left, selection.top);
}

void TPosit::Result(int& dx, int& dy) const {
    const QPoint move = change();
    dx = move.x();
    dy = move.y();
}
