#include "TFond.h"

#include "DialogButtons.h"
#include "Dialogs.h"
#include "LineCodec.h"
#include "LineRenderer.h"
#include "PreviewBox.h"
#include "TCouleur.h"
#include "TMotif.h"
#include "Windows1252.h"

#include <QColorDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr QSize kPreviewSize(105, 145);
// A record's style fields are read this far at most.
constexpr qsizetype kStyleLimit = 1024;

} // namespace

TFond::TFond(TMotif& motif, TCouleur& couleur, QWidget* parent)
    : AnsweredDialog(parent), motif_(motif), couleur_(couleur) {
    setObjectName(QStringLiteral("Fond"));
    setWindowTitle(QStringLiteral("Fond de page"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    GroupBox1 = new QGroupBox(QStringLiteral("Fond de page"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* choices = new QVBoxLayout(GroupBox1);
    const char* captions[] = {"Aucun", "Couleur", "Motif", "Dégradé", "Texture"};
    QRadioButton** buttons[] = {&RadioButton1, &RadioButton2, &RadioButton3, &RadioButton4,
                                &RadioButton5};
    for (int i = 0; i < 5; ++i) {
        auto* button = new QRadioButton(QString::fromUtf8(captions[i]), GroupBox1);
        button->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        choices->addWidget(button);
        *buttons[i] = button;
    }
    choices->addStretch();
    RadioButton1->setChecked(true);
    RadioButton5->hide();
    // "Aucun" acts when it becomes checked. A choice that opens a dialog opens it at every
    // click, checked or not, so that the colour, pattern or gradient shown can be changed.
    connect(RadioButton1, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            RadioButton1Click();
    });
    connect(RadioButton2, &QRadioButton::clicked, this, &TFond::RadioButton2Click);
    connect(RadioButton3, &QRadioButton::clicked, this, &TFond::RadioButton3Click);
    connect(RadioButton4, &QRadioButton::clicked, this, &TFond::RadioButton4Click);

    QFrame* bevel = nullptr;
    PaintBox1 = PreviewBox::inFrame(this, kPreviewSize, QStringLiteral("Bevel1"),
                                    PreviewBox::Ground::Window, &bevel);
    canvas_.setDevice(&PaintBox1->image());
    PaintBox1->setDrawing([this] { FormPaint(); });

    const CancelOkButtons cancelOk = makeCancelOkButtons(this, EnterPresses::Nothing);
    Button1 = cancelOk.cancel;
    Button2 = cancelOk.ok;
    connect(Button1, &QPushButton::clicked, this, &TFond::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFond::Button2Click);

    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));

    auto* side = new QVBoxLayout;
    side->addStretch();
    side->addWidget(Button1);
    side->addWidget(Button2);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(bevel, 0, Qt::AlignTop);
    layout->addLayout(side);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    record_ = LineCodec::kBlankRecord;
    lastChoice_ = RadioButton1;
}

void TFond::Init(const QByteArray& record) {
    record_ = record;
    forgetAnswer();
    if (!LineCodec::splitLine(record).hasTab) {
        // Nothing to take: the preview keeps its pen and brush style, on a white brush and
        // in the dialog's own font.
        canvas_.setBrushColor(0x00FFFFFF);
        canvas_.setFontName(QStringLiteral("Arial"));
        canvas_.setFontSize(8);
        canvas_.setFontColor(0);
        canvas_.setFontStyle(0);
    }
    PaintBox1->redraw();
}

int TFond::Execute() {
    return Dialogs::runModal(this);
}

QByteArray TFond::Result() const {
    return accepted() ? record_ : QByteArray();
}

void TFond::EcritForme() {
    record_ = LineCodec::objectLine(ObjectKinds::keyword(kind_), GetRect(), {}, GetStyles());
}

QByteArray TFond::GetRect() const {
    return LineCodec::writeRect(0, 0, kPreviewSize.width() - 1, kPreviewSize.height() - 1);
}

QByteArray TFond::GetStyles() const {
    // A background's style block never carries a font style.
    StyleBlock style = canvasStyle(canvas_);
    style.fontStyle = 0;
    return LineCodec::writeStyles(style);
}

void TFond::SetStyles(QByteArrayView block) {
    LineRenderer(canvas_).applyStyles(block);
    canvas_.setFontStyle(0);
}

void TFond::DessinForme(const QByteArray& record) {
    LineParts parts = LineCodec::splitLine(record);
    canvas_.setPenMode(PenMode::Copy);
    if (parts.hasTab)
        SetStyles(parts.styles.first(qMin(parts.styles.size(), kStyleLimit)));
    if (ObjectKinds::of(parts.keyword).kind == ObjectKind::Blank)
        Efface();
    // The attributes are taken: the label's renderer draws the rest of the record with them.
    parts.hasTab = false;
    drawBackgroundPreview(canvas_, LineCodec::joinLine(parts), kPreviewSize);
}

void TFond::Efface() {
    canvas_.whiten(0, 0, kPreviewSize.width(), kPreviewSize.height());
}

void TFond::FormPaint() {
    Efface();
    DessinForme(record_);
}

void TFond::choose(ObjectKind kind, QRadioButton* choice) {
    kind_ = kind;
    lastChoice_ = choice;
    EcritForme();
    PaintBox1->redraw();
}

void TFond::keepChoice() {
    const QSignalBlocker quiet(lastChoice_);
    lastChoice_->setChecked(true);
}

void TFond::RadioButton1Click() {
    choose(ObjectKind::Blank, RadioButton1);
}

void TFond::RadioButton2Click() {
    ColorDialog1->setCurrentColor(colorFromRef(canvas_.brushColor()));
    if (Dialogs::runModal(ColorDialog1) != QDialog::Accepted)
        return keepChoice();
    const ColorRef color = refFromColor(ColorDialog1->currentColor());
    canvas_.setBrushColor(color);
    canvas_.setPenColor(color);
    choose(ObjectKind::FillRect, RadioButton2);
}

void TFond::RadioButton3Click() {
    // A cancelled pattern dialog gives back what it was handed, and the pattern is drawn.
    int style = canvas_.brushStyle();
    ColorRef line = canvas_.penColor();
    ColorRef back = canvas_.brushColor();
    motif_.Init(style, line, back);
    motif_.Execute();
    motif_.Result(style, line, back);
    canvas_.setBrushStyle(style);
    canvas_.setPenColor(line);
    canvas_.setBrushColor(back);
    choose(ObjectKind::Shape, RadioButton3);
}

void TFond::RadioButton4Click() {
    ColorRef color = canvas_.penColor();
    int direction = TCouleur::DarkToLight;
    couleur_.Init(color);
    couleur_.Execute();
    if (!couleur_.Result(color, direction))
        return keepChoice();
    // A pattern's hatch would leave gaps between the bands' lines: gradients are solid.
    canvas_.setPenColor(color);
    canvas_.setBrushColor(color);
    canvas_.setBrushStyle(BrushSolid);
    choose(direction == TCouleur::LightToDark ? ObjectKind::GradientUp : ObjectKind::Gradient,
           RadioButton4);
}

void TFond::Button1Click() {
    reject();
}

void TFond::Button2Click() {
    accept();
}
