#include "TCouleur.h"

#include "ColorPanel.h"
#include "DialogButtons.h"
#include "Dialogs.h"
#include "LineCodec.h"
#include "ObjectKinds.h"
#include "PreviewBox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr QSize kPreviewSize(73, 75);
// Panel1 .. Panel6: red, blue, green, gray, teal, lime.
constexpr ColorRef kButtonColors[6] = {0x000000FF, 0x00FF0000, 0x00008000,
                                       0x00808080, 0x00808000, 0x0000FF00};

} // namespace

TCouleur::TCouleur(QWidget* parent) : AnsweredDialog(parent) {
    setObjectName(QStringLiteral("Couleur"));
    setWindowTitle(QStringLiteral("Dégradés"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    // Red, blue and teal in the first row; green, gray and lime in the second.
    auto* buttons = new QGridLayout;
    const int places[6][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 2}, {1, 2}};
    for (int number = 1; number <= 6; ++number) {
        auto* panel = new ColorPanel(buttonColor(number), this);
        panel->setObjectName(QStringLiteral("Panel%1").arg(number));
        panel->setFixedSize(30, 30);
        connect(panel, &ColorPanel::clicked, this, [this, number] { PanelClick(number); });
        buttons->addWidget(panel, places[number - 1][0], places[number - 1][1]);
    }

    RadioButton1 = new QRadioButton(QStringLiteral("Foncé -> clair"), this);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("Clair -> foncé"), this);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    // A direction redraws the preview and shows it again, as a colour button does.
    for (QRadioButton* choice : {RadioButton1, RadioButton2})
        connect(choice, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                PaintBox1->redraw();
        });

    QFrame* panel9 = nullptr;
    PaintBox1 = PreviewBox::inFrame(this, kPreviewSize, QStringLiteral("Panel9"),
                                    PreviewBox::Ground::White, &panel9);
    canvas_.setDevice(&PaintBox1->image());
    PaintBox1->setDrawing([this] { Calcule(); });

    const CancelOkButtons cancelOk = makeCancelOkButtons(this, EnterPresses::Nothing);
    Button1 = cancelOk.cancel;
    Button2 = cancelOk.ok;
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);

    auto* left = new QVBoxLayout;
    left->addLayout(buttons);
    left->addWidget(RadioButton1);
    left->addWidget(RadioButton2);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(panel9, 0, Qt::AlignHCenter);
    right->addStretch();
    right->addWidget(Button1);
    right->addWidget(Button2);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addSpacing(8);
    layout->addLayout(right);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

ColorRef TCouleur::buttonColor(int number) {
    return kButtonColors[qBound(1, number, 6) - 1];
}

void TCouleur::Init(ColorRef color) {
    base_ = color;
    PaintBox1->redraw();
}

int TCouleur::Execute() {
    return Dialogs::runModal(this);
}

bool TCouleur::Result(ColorRef& color, int& direction) const {
    if (!accepted())
        return false;
    color = base_;
    direction = RadioButton2->isChecked() ? LightToDark : DarkToLight;
    return true;
}

void TCouleur::Calcule() {
    // The label's own gradient at the preview's size, so the bands are the ones it paints.
    StyleBlock style;
    style.brushColor = base_;
    style.penColor = base_;
    const QByteArray record = LineCodec::objectLine(
        ObjectKinds::keyword(RadioButton2->isChecked() ? ObjectKind::GradientUp
                                                       : ObjectKind::Gradient),
        LineCodec::writeRect(0, 0, kPreviewSize.width() - 1, kPreviewSize.height() - 1), {},
        LineCodec::writeStyles(style));
    canvas_.whiten(0, 0, kPreviewSize.width(), kPreviewSize.height());
    drawBackgroundPreview(canvas_, record, kPreviewSize);
}

void TCouleur::PanelClick(int number) {
    base_ = buttonColor(number);
    PaintBox1->redraw();
}
