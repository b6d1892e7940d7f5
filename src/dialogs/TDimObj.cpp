#include "TDimObj.h"

#include "SpinEdit.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>

#include <cmath>

namespace {

// Nearest integer, halves to the even neighbour, within the boxes' bounds.
int boxValue(double value, int largest) {
    return int(std::nearbyint(qBound(0.0, value, double(largest))));
}

} // namespace

TDimObj::TDimObj(QWidget* parent)
    : SelectionValuesDialog(QStringLiteral("DimObj"), QStringLiteral("Dimensions de l'objet"),
                            "Largeur", "Hauteur", parent) {
    for (SpinEdit* box : {SpinEdit1, SpinEdit2})
        box->installEventFilter(this);
    CheckBox1 = new QCheckBox(QStringLiteral("Garder proportions"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    grid()->addWidget(CheckBox1, 2, 0, 1, 2);
}

void TDimObj::Init(const LabelRect& selection) {
    const int width = selection.right - selection.left;
    const int height = selection.bottom - selection.top;
    // A flat or reversed selection has no ratio to keep.
    ratio_.reset();
    if (width > 0 && height > 0)
        ratio_ = double(width) / double(height);
    start(width, height);
}

void TDimObj::Result(int& dw, int& dh) const {
    const QPoint size = change();
    dw = size.x();
    dh = size.y();
}

void TDimObj::SpinEdit1Exit() {
    if (CheckBox1->isChecked() && ratio_)
        SpinEdit2->setValue(boxValue(SpinEdit1->readValue() / *ratio_, kLargestValue));
}

void TDimObj::SpinEdit2Exit() {
    if (CheckBox1->isChecked() && ratio_)
        SpinEdit1->setValue(boxValue(SpinEdit2->readValue() * *ratio_, kLargestValue));
}

bool TDimObj::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == SpinEdit1)
            SpinEdit1Exit();
        else if (watched == SpinEdit2)
            SpinEdit2Exit();
    }
    return SelectionValuesDialog::eventFilter(watched, event);
}
