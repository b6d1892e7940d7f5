#include "TMep.h"

#include "SpinEdit.h"

#include "DialogButtons.h"

#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
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

// Millimetres with one decimal, written the French way, within ±10 mm: a digit that would go
// beyond is refused as it is typed. A typed '.' counts as the comma.
class MillimetreBox : public QDoubleSpinBox {
public:
    MillimetreBox(const char* name, QWidget* parent, QLabel* caption, QRect geometry)
        : QDoubleSpinBox(parent) {
        setObjectName(QString::fromLatin1(name));
        setLocale(QLocale(QLocale::French, QLocale::France));
        setDecimals(1);
        setRange(-kMaxOffset, kMaxOffset);
        setSingleStep(0.1);
        setSuffix(QStringLiteral(" mm"));
        setGeometry(geometry);
        caption->setBuddy(this);
    }

    static constexpr double kMaxOffset = 10;

protected:
    QValidator::State validate(QString& text, int& pos) const override {
        text.replace(QLatin1Char('.'), QLatin1Char(','));
        return QDoubleSpinBox::validate(text, pos);
    }
    double valueFromText(const QString& text) const override {
        return QDoubleSpinBox::valueFromText(
            QString(text).replace(QLatin1Char('.'), QLatin1Char(',')));
    }
};

} // namespace

TMep::TMep(QWidget* parent) : AnsweredDialog(parent) {
    setObjectName(QStringLiteral("Mep"));
    setWindowTitle(QStringLiteral("Mise en page"));
    setFixedSize(318, 342);
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

    auto* calibration = new QGroupBox(QStringLiteral("Calibrage de l'imprimante"), this);
    calibration->setGeometry(8, 222, 300, 110);
    PrinterName = new QLabel(calibration);
    PrinterName->setObjectName(QStringLiteral("PrinterName"));
    PrinterName->setGeometry(12, 22, 280, 20);
    auto* xCaption = new QLabel(QStringLiteral("Décalage horizontal"), calibration);
    xCaption->setGeometry(12, 48, 140, 22);
    OffsetX = new MillimetreBox("OffsetX", calibration, xCaption, QRect(156, 48, 90, 22));
    auto* yCaption = new QLabel(QStringLiteral("Décalage vertical"), calibration);
    yCaption->setGeometry(12, 78, 140, 22);
    OffsetY = new MillimetreBox("OffsetY", calibration, yCaption, QRect(156, 78, 90, 22));

    const CancelOkButtons cancelOk = makeCancelOkButtons(this, EnterPresses::TheDefault);
    Button1 = cancelOk.cancel;
    Button2 = cancelOk.ok;
    Button1->setGeometry(232, 110, 75, 25);
    Button2->setGeometry(232, 147, 75, 25);
    Button2->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TMep::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TMep::Button2Click);
    Init(0, 0, 0, 0, kOrdinaryZoom);
    InitOffset(QString(), QPoint());
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

void TMep::InitOffset(const QString& printer, QPoint offset) {
    PrinterName->setText(printer.isEmpty() ? QStringLiteral("Aucune imprimante")
                                           : QStringLiteral("Imprimante : %1").arg(printer));
    OffsetX->setEnabled(!printer.isEmpty());
    OffsetY->setEnabled(!printer.isEmpty());
    OffsetX->setValue(offset.x() / 10.0);
    OffsetY->setValue(offset.y() / 10.0);
}

bool TMep::ResultOffset(QPoint& offset) const {
    if (!accepted() || !OffsetX->isEnabled())
        return false;
    offset = QPoint(qRound(OffsetX->value() * 10), qRound(OffsetY->value() * 10));
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
