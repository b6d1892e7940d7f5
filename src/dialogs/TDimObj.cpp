#include "TDimObj.h"

#include "Dialogs.h"
#include "SpinEdit.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace {

constexpr int kLargestSize = 4096;

// Nearest integer, halves to the even neighbour, within the boxes' bounds.
int boxValue(double value) {
    return int(std::nearbyint(qBound(0.0, value, double(kLargestSize))));
}

} // namespace

TDimObj::TDimObj(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DimObj"));
    setWindowTitle(QStringLiteral("Dimensions de l'objet"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* layout = new QGridLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const char* const captions[] = {"Largeur", "Hauteur"};
    SpinEdit** boxes[] = {&SpinEdit1, &SpinEdit2};
    for (int i = 0; i < 2; ++i) {
        auto* caption = new QLabel(QString::fromLatin1(captions[i]), this);
        auto* box = new SpinEdit(0, kLargestSize, 0, this);
        box->setObjectName(QStringLiteral("SpinEdit%1").arg(i + 1));
        box->setMinimumWidth(80);
        box->installEventFilter(this);
        caption->setBuddy(box);
        layout->addWidget(caption, i, 0);
        layout->addWidget(box, i, 1);
        *boxes[i] = box;
    }
    CheckBox1 = new QCheckBox(QStringLiteral("Garder proportions"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    layout->addWidget(CheckBox1, 2, 0, 1, 2);

    Button1 = new QPushButton(QStringLiteral("Annuler"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("OK"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    // Enter presses no button: a typed value is only taken by a click on "OK".
    for (QPushButton* button : {Button1, Button2})
        button->setAutoDefault(false);
    layout->setColumnMinimumWidth(2, 16);
    layout->addWidget(Button1, 0, 3);
    layout->addWidget(Button2, 1, 3);
    connect(Button1, &QPushButton::clicked, this, &TDimObj::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TDimObj::Button2Click);
}

void TDimObj::Init(const LabelRect& selection) {
    accepted_ = false;
    startWidth_ = selection.right - selection.left;
    startHeight_ = selection.bottom - selection.top;
    // A flat or reversed selection has no ratio to keep.
    ratio_.reset();
    if (startWidth_ > 0 && startHeight_ > 0)
        ratio_ = double(startWidth_) / double(startHeight_);
    SpinEdit1->setValue(startWidth_);
    SpinEdit2->setValue(startHeight_);
    shownWidth_ = SpinEdit1->value();
    shownHeight_ = SpinEdit2->value();
}

int TDimObj::Execute() {
    return Dialogs::runModal(this);
}

void TDimObj::Result(int& dw, int& dh) const {
    dw = 0;
    dh = 0;
    if (!accepted_)
        return;
    // A box left as shown changes nothing, even where it had to bring the start within bounds.
    const int width = SpinEdit1->readValue();
    const int height = SpinEdit2->readValue();
    dw = width == shownWidth_ ? 0 : width - startWidth_;
    dh = height == shownHeight_ ? 0 : height - startHeight_;
}

void TDimObj::SpinEdit1Exit() {
    if (CheckBox1->isChecked() && ratio_)
        SpinEdit2->setValue(boxValue(SpinEdit1->readValue() / *ratio_));
}

void TDimObj::SpinEdit2Exit() {
    if (CheckBox1->isChecked() && ratio_)
        SpinEdit1->setValue(boxValue(SpinEdit2->readValue() * *ratio_));
}

void TDimObj::Button1Click() {
    accepted_ = false;
    done(QDialog::Rejected);
}

void TDimObj::Button2Click() {
    accepted_ = true;
    done(QDialog::Accepted);
}

void TDimObj::reject() {
    Button1Click();
}

bool TDimObj::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == SpinEdit1)
            SpinEdit1Exit();
        else if (watched == SpinEdit2)
            SpinEdit2Exit();
    }
    return QDialog::eventFilter(watched, event);
}

void TDimObj::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    SpinEdit1->setFocus();
    SpinEdit1->selectAll();
}
