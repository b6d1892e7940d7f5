#include "TMep.h"

#include "SpinEdit.h"

#include "DialogButtons.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {

// Below this the zoom is taken for a slip and the ordinary scale comes back.
constexpr int kSmallestZoom = 20;
constexpr int kOrdinaryZoom = 100;

int acceptedZoom(int zoom) {
    return zoom < kSmallestZoom ? kOrdinaryZoom : zoom;
}

SpinEdit* numberBox(int number, QWidget* parent, QLabel* caption, QRect geometry) {
    auto* box = new SpinEdit(0, 0, 0, parent);
    box->setUnlimited();
    box->setObjectName(QStringLiteral("SpinEdit%1").arg(number));
    box->setGeometry(geometry);
    caption->setBuddy(box);
    return box;
}

} // namespace

TMep::TMep(QWidget* parent) : AnsweredDialog(parent) {
    setObjectName(QStringLiteral("Mep"));
    setWindowTitle(QStringLiteral("Mise en page"));
    setFixedSize(318, 232);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* group = new QGroupBox(QStringLiteral("Marges en mm"), this);
    group->setGeometry(8, 8, 210, 164);
    const char* const captions[] = {"Marge gauche", "Marge haute", "Marge droite", "Marge basse"};
    SpinEdit** margins[] = {&SpinEdit1, &SpinEdit2, &SpinEdit3, &SpinEdit4};
    for (int i = 0; i < 4; ++i) {
        const int y = 28 + 34 * i;
        auto* caption = new QLabel(QString::fromUtf8(captions[i]), group);
        caption->setGeometry(12, y, 110, 22);
        *margins[i] = numberBox(i + 1, group, caption, QRect(126, y, 72, 22));
    }
    auto* zoomCaption = new QLabel(QStringLiteral("Zoom"), this);
    zoomCaption->setGeometry(20, 188, 110, 22);
    SpinEdit5 = numberBox(5, this, zoomCaption, QRect(134, 188, 72, 22));

    const CancelOkButtons cancelOk = makeCancelOkButtons(this, EnterPresses::TheDefault);
    Button1 = cancelOk.cancel;
    Button2 = cancelOk.ok;
    Button1->setGeometry(232, 110, 75, 25);
    Button2->setGeometry(232, 147, 75, 25);
    Button2->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TMep::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TMep::Button2Click);
    Init(0, 0, 0, 0, kOrdinaryZoom);
}

void TMep::Init(int left, int top, int right, int bottom, int zoom) {
    SpinEdit1->setValue(left);
    SpinEdit2->setValue(top);
    SpinEdit3->setValue(right);
    SpinEdit4->setValue(bottom);
    SpinEdit5->setValue(acceptedZoom(zoom));
}

bool TMep::Result(int& left, int& top, int& right, int& bottom, int& zoom) const {
    if (!accepted())
        return false;
    // Read as leaving the box reads them, so Enter on a typed value counts it.
    left = SpinEdit1->readValue();
    top = SpinEdit2->readValue();
    right = SpinEdit3->readValue();
    bottom = SpinEdit4->readValue();
    zoom = acceptedZoom(SpinEdit5->readValue());
    return true;
}

void TMep::Button1Click() {
    reject();
}

void TMep::Button2Click() {
    accept();
}

void TMep::showEvent(QShowEvent* event) {
    AnsweredDialog::showEvent(event);
    Button2->setFocus();
}
