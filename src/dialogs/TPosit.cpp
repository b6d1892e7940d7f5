#include "TPosit.h"

#include "Dialogs.h"
#include "SpinEdit.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kLargestPosition = 4096;

} // namespace

TPosit::TPosit(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Posit"));
    setWindowTitle(QStringLiteral("Position de l'objet"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* layout = new QGridLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const char* const captions[] = {"Position X", "Position Y"};
    SpinEdit** boxes[] = {&SpinEdit1, &SpinEdit2};
    for (int i = 0; i < 2; ++i) {
        auto* caption = new QLabel(QString::fromLatin1(captions[i]), this);
        auto* box = new SpinEdit(0, kLargestPosition, 0, this);
        box->setObjectName(QStringLiteral("SpinEdit%1").arg(i + 1));
        box->setMinimumWidth(80);
        caption->setBuddy(box);
        layout->addWidget(caption, i, 0);
        layout->addWidget(box, i, 1);
        *boxes[i] = box;
    }
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
    connect(Button1, &QPushButton::clicked, this, &TPosit::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TPosit::Button2Click);
}

void TPosit::Init(const LabelRect& selection) {
    accepted_ = false;
    startLeft_ = selection.left;
    startTop_ = selection.top;
    SpinEdit1->setValue(selection.left);
    SpinEdit2->setValue(selection.top);
    shownLeft_ = SpinEdit1->value();
    shownTop_ = SpinEdit2->value();
}

int TPosit::Execute() {
    return Dialogs::runModal(this);
}

void TPosit::Result(int& dx, int& dy) const {
    dx = 0;
    dy = 0;
    if (!accepted_)
        return;
    // A box left as shown moves nothing, even where it had to bring the start within bounds.
    const int left = SpinEdit1->readValue();
    const int top = SpinEdit2->readValue();
    dx = left == shownLeft_ ? 0 : left - startLeft_;
    dy = top == shownTop_ ? 0 : top - startTop_;
}

void TPosit::Button1Click() {
    accepted_ = false;
    done(QDialog::Rejected);
}

void TPosit::Button2Click() {
    accepted_ = true;
    done(QDialog::Accepted);
}

void TPosit::reject() {
    Button1Click();
}

void TPosit::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    SpinEdit1->setFocus();
    SpinEdit1->selectAll();
}
