#include "TMotif.h"

#include "ColorPanel.h"
#include "DialogButtons.h"
#include "Dialogs.h"
#include "LineCodec.h"
#include "ObjectKinds.h"
#include "PreviewBox.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>

namespace {

constexpr QSize kPreviewSize(73, 65);
constexpr int kSwatchSize = 40;
// Shape1 .. Shape8, row by row: left swatch, then right swatch.
constexpr int kSwatchStyles[8] = {BrushBDiagonal, BrushClear,      BrushCross, BrushDiagCross,
                                  BrushFDiagonal, BrushHorizontal, BrushSolid, BrushVertical};

// One pattern in black over the whole of its white panel, so that only the pattern shows.
class PatternSwatch : public QWidget {
public:
    PatternSwatch(int brushStyle, std::function<void()> pressed, QWidget* parent)
        : QWidget(parent), picture_(kSwatchSize, kSwatchSize, QImage::Format_RGB32),
          pressed_(std::move(pressed)) {
        picture_.fill(Qt::white);
        GdiCanvas canvas(&picture_);
        canvas.setBrushColor(0);
        canvas.setBrushStyle(brushStyle);
        canvas.fillRect(0, 0, kSwatchSize, kSwatchSize);
        canvas.flush();
        setFixedSize(picture_.size());
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, picture_); }
    // Any button chooses the pattern.
    void mousePressEvent(QMouseEvent*) override { pressed_(); }

private:
    QImage picture_;
    std::function<void()> pressed_;
};

} // namespace

TMotif::TMotif(QWidget* parent) : AnsweredDialog(parent) {
    setObjectName(QStringLiteral("Motif"));
    setWindowTitle(QStringLiteral("Motif"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* swatches = new QGridLayout;
    swatches->setSpacing(6);
    for (int number = 1; number <= 8; ++number) {
        auto* panel = new QFrame(this);
        panel->setObjectName(QStringLiteral("Panel%1").arg(number));
        panel->setFixedSize(kSwatchSize, kSwatchSize);
        auto* shape = new PatternSwatch(
            swatchStyle(number), [this, number] { ShapeMouseDown(number); }, panel);
        shape->setObjectName(QStringLiteral("Shape%1").arg(number));
        shape->move(0, 0);
        swatches->addWidget(panel, (number - 1) / 2, (number - 1) % 2);
    }

    Panel10 = new ColorPanel(0x00000000, this);
    Panel10->setObjectName(QStringLiteral("Panel10"));
    Panel11 = new ColorPanel(0x00FFFFFF, this);
    Panel11->setObjectName(QStringLiteral("Panel11"));
    auto* colours = new QGridLayout;
    int row = 0;
    for (auto [panel, caption] : {std::pair{Panel10, "Trait"}, std::pair{Panel11, "Fond"}}) {
        panel->setFixedSize(40, 22);
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        colours->addWidget(label, row, 0);
        colours->addWidget(panel, row, 1);
        ++row;
    }

    QFrame* panel9 = nullptr;
    PaintBox1 = PreviewBox::inFrame(this, kPreviewSize, QStringLiteral("Panel9"),
                                    PreviewBox::Ground::White, &panel9);
    canvas_.setDevice(&PaintBox1->image());
    PaintBox1->setDrawing([this] { Apercu(); });

    const CancelOkButtons cancelOk = makeCancelOkButtons(this, EnterPresses::Nothing);
    Button1 = cancelOk.cancel;
    Button2 = cancelOk.ok;
    connect(Button1, &QPushButton::clicked, this, &TMotif::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TMotif::Button2Click);
    connect(Panel10, &ColorPanel::clicked, this, &TMotif::Panel10Click);
    connect(Panel11, &ColorPanel::clicked, this, &TMotif::Panel11Click);

    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));

    auto* side = new QVBoxLayout;
    side->addLayout(colours);
    side->addWidget(panel9, 0, Qt::AlignHCenter);
    side->addStretch();
    side->addWidget(Button1);
    side->addWidget(Button2);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(swatches);
    layout->addSpacing(8);
    layout->addLayout(side);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int TMotif::swatchStyle(int number) {
    return kSwatchStyles[qBound(1, number, 8) - 1];
}

void TMotif::Init(int brushStyle, ColorRef lineColor, ColorRef backColor) {
    pattern_ = brushStyle;
    Panel10->setColor(lineColor);
    Panel11->setColor(backColor);
    PaintBox1->redraw();
}

int TMotif::Execute() {
    return Dialogs::runModal(this);
}

bool TMotif::Result(int& brushStyle, ColorRef& lineColor, ColorRef& backColor) const {
    if (!accepted())
        return false;
    brushStyle = pattern_;
    lineColor = Panel10->color();
    backColor = Panel11->color();
    return true;
}

void TMotif::Apercu() {
    StyleBlock shape;
    shape.brushStyle = pattern_;
    shape.brushColor = Panel11->color();
    shape.penColor = Panel10->color();
    const QByteArray record = LineCodec::objectLine(
        ObjectKinds::keyword(ObjectKind::Shape),
        LineCodec::writeRect(0, 0, kPreviewSize.width() - 1, kPreviewSize.height() - 1), {},
        LineCodec::writeStyles(shape));
    canvas_.whiten(0, 0, kPreviewSize.width(), kPreviewSize.height());
    drawBackgroundPreview(canvas_, record, kPreviewSize);
}

void TMotif::ShapeMouseDown(int number) {
    pattern_ = swatchStyle(number);
    PaintBox1->redraw();
}

void TMotif::chooseColor(ColorPanel* panel) {
    ColorDialog1->setCurrentColor(colorFromRef(panel->color()));
    if (Dialogs::runModal(ColorDialog1) != QDialog::Accepted)
        return;
    panel->setColor(refFromColor(ColorDialog1->currentColor()));
    PaintBox1->redraw();
}

void TMotif::Panel10Click() {
    chooseColor(Panel10);
}

void TMotif::Panel11Click() {
    chooseColor(Panel11);
}

void TMotif::Button1Click() {
    reject();
}

void TMotif::Button2Click() {
    accept();
}
