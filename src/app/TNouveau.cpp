#include "TNouveau.h"

#include "SpinEdit.h"

#include "DialogButtons.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

TNouveau::TNouveau(QWidget* parent) : AnsweredDialog(parent) {
    setObjectName(QStringLiteral("Nouveau"));
    setWindowTitle(QStringLiteral("Nouveau"));
    setFixedSize(374, 235);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* group = new QGroupBox(QStringLiteral("Format de l'étiquette (en mm)"), this);
    group->setGeometry(8, 10, 265, 167);

    struct Row {
        const char* caption;
        int minimum;
        int maximum;
    };
    const Row rows[] = {{"Largeur", 10, 300},
                        {"Hauteur", 10, 300},
                        {"Espacement horizontal", 0, 200},
                        {"Espacement vertical", 0, 200}};
    SpinEdit** boxes[] = {&SpinEdit1, &SpinEdit2, &SpinEdit3, &SpinEdit4};
    for (int i = 0; i < 4; ++i) {
        const int y = 28 + 36 * i;
        auto* caption = new QLabel(QString::fromUtf8(rows[i].caption), group);
        caption->setGeometry(12, y, 160, 22);
        auto* box = new SpinEdit(rows[i].minimum, rows[i].maximum, rows[i].minimum, group);
        box->setObjectName(QStringLiteral("SpinEdit%1").arg(i + 1));
        box->setGeometry(176, y, 65, 22);
        caption->setBuddy(box);
        *boxes[i] = box;
    }
    fill(70, 42, 0, 0);

    const CancelOkButtons cancelOk = makeCancelOkButtons(this, EnterPresses::TheDefault);
    Button1 = cancelOk.cancel;
    Button2 = cancelOk.ok;
    Button1->setGeometry(288, 134, 75, 25);
    Button2->setGeometry(288, 174, 75, 25);
    Button2->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TNouveau::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TNouveau::Button2Click);
}

void TNouveau::fill(int width, int height, int hspacing, int vspacing) {
    SpinEdit1->setValue(width);
    SpinEdit2->setValue(height);
    SpinEdit3->setValue(hspacing);
    SpinEdit4->setValue(vspacing);
}

void TNouveau::Init(int width, int height, int hspacing, int vspacing) {
    fill(width, height, hspacing, vspacing);
    setWindowTitle(QStringLiteral("Nouveau"));
}

void TNouveau::Init2(int width, int height, int hspacing, int vspacing) {
    fill(width, height, hspacing, vspacing);
    setWindowTitle(QStringLiteral("Redimensionner"));
}

void TNouveau::Result(int& width, int& height, int& hspacing, int& vspacing) const {
    width = 0;
    if (!accepted())
        return;
    // Read through the same rule as leaving the box, so Enter on a typed 5 still gives 10.
    width = SpinEdit1->readValue();
    height = SpinEdit2->readValue();
    hspacing = SpinEdit3->readValue();
    vspacing = SpinEdit4->readValue();
}

void TNouveau::Button1Click() {
    reject();
}

void TNouveau::Button2Click() {
    accept();
}

void TNouveau::showEvent(QShowEvent* event) {
    AnsweredDialog::showEvent(event);
    Button2->setFocus();
}
