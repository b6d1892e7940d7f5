#include "ToolPanel.h"

#include "ButtonIcons.h"
#include "ColorPanel.h"
#include "Dialogs.h"
#include "SpinEdit.h"
#include "TEtiq.h"
#include "Windows1252.h"

#include <QAction>
#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QRegularExpression>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int kSpeedPanelHeight = 33;
constexpr int kToolColumnWidth = 54;
constexpr int kPaletteStrip = 27;
constexpr int kButton = 25;
constexpr int kSwatches = 27;

struct ToolButtonPlace {
    const char* name;
    ButtonPicture picture;
    int x;
    int y;
    const char* hint;
    int frameCode; // -1: the text tool, chosen through SetText
    int toolNumber;
};

const ToolButtonPlace kTools[] = {
    {"MoveButton", ButtonPicture::Pointer, 1, 5, "Pointeur", TEtiq::ToolPointer, 1},
    {"TextButton", ButtonPicture::Text, 26, 5, "Texte", -1, 9},
    {"PictButton", ButtonPicture::Picture, 1, 30, "Image", TEtiq::ToolPicture, 6},
    {"LineButton", ButtonPicture::Line, 26, 30, "Trait", TEtiq::ToolLine, 2},
    {"ArcButton", ButtonPicture::Arc, 1, 55, "Arc", TEtiq::ToolArc, 11},
    {"PolylButton", ButtonPicture::Polyline, 26, 55, "Ligne brisée", TEtiq::ToolPolyline, 10},
    {"PolyButton", ButtonPicture::Polygon, 1, 80, "Polygône", TEtiq::ToolPolygon, 8},
    {"RectangleButton", ButtonPicture::Rectangle, 26, 80, "Rectangle", TEtiq::ToolRect, 3},
    {"EllipseButton", ButtonPicture::Ellipse, 1, 105, "Ellipse", TEtiq::ToolEllipse, 4},
    {"RoundRectButton", ButtonPicture::RoundRect, 26, 105, "Rectangle arrondi",
     TEtiq::ToolRoundRect, 5},
    {"BarcodeButton", ButtonPicture::Barcode, 1, 130, "Code-barres", TEtiq::ToolBarcode, 12},
};

struct PenButtonPlace {
    const char* name;
    ButtonPicture picture;
    int x;
    int y;
};

// In pen style order: the index is the style code.
const PenButtonPlace kPens[] = {
    {"SolidPen", ButtonPicture::SolidPen, 1, 160},
    {"DashPen", ButtonPicture::DashPen, 26, 160},
    {"DotPen", ButtonPicture::DotPen, 1, 185},
    {"DashDotPen", ButtonPicture::DashDotPen, 26, 185},
    {"DashDotDotPen", ButtonPicture::DashDotDotPen, 1, 210},
    {"ClearPen", ButtonPicture::ClearPen, 26, 210},
};

struct SpeedButtonPlace {
    const char* name;
    ButtonPicture picture;
    int x;
    Command command;
};

const SpeedButtonPlace kSpeedButtons[] = {
    {"NewButton", ButtonPicture::New, 9, Command::FileNew},
    {"OpenButton", ButtonPicture::Open, 34, Command::FileOpen},
    {"SaveButton", ButtonPicture::Save, 59, Command::FileSave},
    {"PrintButton", ButtonPicture::Print, 85, Command::Print},
    {"PreviewButton", ButtonPicture::Preview, 110, Command::Preview},
    {"UndoButton", ButtonPicture::Undo, 137, Command::Undo},
    {"RedoButton", ButtonPicture::Redo, 162, Command::Redo},
    {"CutButton", ButtonPicture::Cut, 189, Command::Cut},
    {"CopyButton", ButtonPicture::Copy, 214, Command::Copy},
    {"PasteButton", ButtonPicture::Paste, 239, Command::Paste},
};

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

QFrame* panel(QWidget* parent, const QString& name) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return frame;
}

} // namespace

ColorRef paletteColor(int index) {
    static constexpr int level[3] = {0, 127, 255};
    const int red = level[index % 3];
    const int green = level[(index / 3) % 3];
    const int blue = level[index / 9];
    return ColorRef(red) | ColorRef(green) << 8 | ColorRef(blue) << 16;
}

ToolPanel::ToolPanel(QWidget* client, const std::function<QAction*(Command)>& action,
                     QObject* parent)
    : QObject(parent) {
    buildSpeedPanel(client, action);
    buildToolColumn(client);
    buildPalette(client);
    ColorDialog1 = new QColorDialog(client->window());
    ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));
}

QToolButton* ToolPanel::makeButton(QWidget* parent, const QString& name, int x, int y,
                                   ButtonPicture picture, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setGeometry(x, y, kButton, kButton);
    button->setIconSize(QSize(20, 20));
    button->setIcon(buttonIcon(picture));
    button->setFocusPolicy(Qt::NoFocus);
    if (!hint.isEmpty()) {
        button->setToolTip(hint);
        button->setStatusTip(hint);
    }
    return button;
}

void ToolPanel::buildSpeedPanel(QWidget* client, const std::function<QAction*(Command)>& action) {
    SpeedPanel = panel(client, QStringLiteral("SpeedPanel"));
    for (const SpeedButtonPlace& item : kSpeedButtons) {
        QAction* command = action(item.command);
        command->setIcon(buttonIcon(item.picture));
        command->setIconVisibleInMenu(false);
        QToolButton* button =
            makeButton(SpeedPanel, utf8(item.name), item.x, 4, item.picture, QString());
        button->setAutoRaise(true);
        button->setDefaultAction(command);
    }

    FontName = new QComboBox(SpeedPanel);
    FontName->setObjectName(QStringLiteral("FontName"));
    FontName->setEditable(true);
    FontName->setInsertPolicy(QComboBox::NoInsert);
    FontName->setGeometry(277, 5, 177, 23);
    FontName->setEditText(QStringLiteral("Arial"));

    SpinEdit2 = new SpinEdit(ToolBarState::kSmallestFontSize, ToolBarState::kLargestFontSize, 12,
                             SpeedPanel);
    SpinEdit2->setObjectName(QStringLiteral("SpinEdit2"));
    SpinEdit2->setSingleStep(2);
    SpinEdit2->setGeometry(461, 5, 55, 23);

    BoldButton = makeButton(SpeedPanel, QStringLiteral("BoldButton"), 522, 4, ButtonPicture::Bold,
                            QStringLiteral("Gras"));
    ItalButton = makeButton(SpeedPanel, QStringLiteral("ItalButton"), 547, 4, ButtonPicture::Italic,
                            QStringLiteral("Italique"));
    UnderButton = makeButton(SpeedPanel, QStringLiteral("UnderButton"), 572, 4,
                             ButtonPicture::Underline, utf8("Souligné"));
    for (QToolButton* toggle : {BoldButton, ItalButton, UnderButton}) {
        toggle->setCheckable(true);
        toggle->setAutoRaise(true);
    }

    QAction* background = action(Command::Background);
    background->setIcon(buttonIcon(ButtonPicture::Background));
    background->setIconVisibleInMenu(false);
    QToolButton* backgroundButton = makeButton(SpeedPanel, QStringLiteral("BackgroundButton"), 607,
                                               4, ButtonPicture::Background, QString());
    backgroundButton->setAutoRaise(true);
    backgroundButton->setDefaultAction(background);
}

void ToolPanel::buildToolColumn(QWidget* client) {
    Panel1 = panel(client, QStringLiteral("Panel1"));

    toolGroup_ = new QButtonGroup(this);
    toolGroup_->setExclusive(true);
    int index = 0;
    for (const ToolButtonPlace& item : kTools) {
        QToolButton* button =
            makeButton(Panel1, utf8(item.name), item.x, item.y, item.picture, utf8(item.hint));
        button->setCheckable(true);
        toolGroup_->addButton(button, index++);
    }
    toolGroup_->button(0)->setChecked(true);

    // Not exclusive: the pressed style can be raised again, leaving every button up.
    penGroup_ = new QButtonGroup(this);
    penGroup_->setExclusive(false);
    index = 0;
    for (const PenButtonPlace& item : kPens) {
        QToolButton* button = makeButton(Panel1, utf8(item.name), item.x, item.y, item.picture,
                                         QStringLiteral("Style de trait"));
        button->setCheckable(true);
        penGroup_->addButton(button, index++);
    }
    penGroup_->button(PenSolid)->setChecked(true);

    SpinEdit1 =
        new SpinEdit(ToolBarState::kSmallestPenWidth, ToolBarState::kLargestPenWidth, 1, Panel1);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setGeometry(3, 240, 48, 23);
    SpinEdit1->setToolTip(QStringLiteral("Epaisseur de trait"));
    SpinEdit1->setStatusTip(QStringLiteral("Epaisseur de trait"));

    auto* colorFrame = new QFrame(Panel1);
    colorFrame->setObjectName(QStringLiteral("ColorFrame"));
    colorFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    colorFrame->setGeometry(2, 270, 50, 41);
    Backcolor = new ColorPanel(0x00FFFFFF, colorFrame);
    Backcolor->setObjectName(QStringLiteral("Backcolor"));
    Backcolor->setGeometry(20, 12, kButton, kButton);
    Backcolor->setToolTip(QStringLiteral("Couleur de remplissage"));
    Backcolor->setStatusTip(QStringLiteral("Couleur de remplissage"));
    ForeColor = new ColorPanel(0x00000000, colorFrame);
    ForeColor->setObjectName(QStringLiteral("ForeColor"));
    ForeColor->setGeometry(4, 4, kButton, kButton);
    ForeColor->setToolTip(QStringLiteral("Couleur du crayon"));
    ForeColor->setStatusTip(QStringLiteral("Couleur du crayon"));
    ForeColor->raise();

    brushGroup_ = new QButtonGroup(this);
    brushGroup_->setExclusive(true);
    QToolButton* solid =
        makeButton(Panel1, QStringLiteral("SolidBrush"), 1, 318, ButtonPicture::SolidBrush,
                   QStringLiteral("Motif de remplissage"));
    QToolButton* clear =
        makeButton(Panel1, QStringLiteral("ClearBrush"), 26, 318, ButtonPicture::ClearBrush,
                   QStringLiteral("Motif de remplissage"));
    for (QToolButton* button : {solid, clear})
        button->setCheckable(true);
    brushGroup_->addButton(solid, BrushSolid);
    brushGroup_->addButton(clear, BrushClear);
    clear->setChecked(true);
}

void ToolPanel::buildPalette(QWidget* client) {
    Panel3 = new QFrame(client);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFrameStyle(QFrame::NoFrame);
    for (int i = 0; i < kSwatches; ++i) {
        auto* swatch = new ColorPanel(paletteColor(i), Panel3);
        swatch->setObjectName(QStringLiteral("Panel%1").arg(i + 4));
        swatch->setGeometry(4 + 20 * i, 2, 20, 20);
        connect(swatch, &ColorPanel::clicked, this,
                [this, swatch] { ForeColor->setColor(swatch->color()); });
        connect(swatch, &ColorPanel::rightClicked, this,
                [this, swatch] { Backcolor->setColor(swatch->color()); });
    }
}

void ToolPanel::attach(TEtiq* etiq) {
    etiq_ = etiq;
    connectControls();
}

void ToolPanel::connectControls() {
    connect(toolGroup_, &QButtonGroup::idClicked, this, [this](int id) {
        const ToolButtonPlace& item = kTools[id];
        if (item.frameCode < 0)
            etiq_->SetText();
        else
            etiq_->SetFrame(item.frameCode);
        ToolNumber = item.toolNumber;
        emit controlUsed();
    });
    connect(penGroup_, &QButtonGroup::buttonClicked, this, &ToolPanel::penStyleClicked);
    connect(brushGroup_, &QButtonGroup::idClicked, this, [this](int style) {
        etiq_->SetBrush(style);
        BrushStyleCode = style;
        emit controlUsed();
    });
    connect(SpinEdit1, &SpinEdit::changed, this, [this](int width) { etiq_->PenSize(width); });
    connect(SpinEdit1, &SpinEdit::stepped, this, &ToolPanel::controlUsed);
    connect(SpinEdit1, &SpinEdit::entered, this, &ToolPanel::controlUsed);
    connect(ForeColor, &ColorPanel::clicked, this, [this] { chooseColor(ForeColor); });
    connect(Backcolor, &ColorPanel::clicked, this, [this] { chooseColor(Backcolor); });

    connect(FontName, &QComboBox::currentTextChanged, this,
            [this](const QString& name) { etiq_->SetFontName(name); });
    // Back to the label once a name is chosen, not at every letter typed.
    connect(FontName, &QComboBox::activated, this, &ToolPanel::controlUsed);
    connect(SpinEdit2, &SpinEdit::changed, this, [this](int size) { etiq_->SetFontSize(size); });
    connect(SpinEdit2, &SpinEdit::stepped, this, &ToolPanel::controlUsed);
    connect(SpinEdit2, &SpinEdit::entered, this, &ToolPanel::controlUsed);
    for (QToolButton* toggle : {BoldButton, ItalButton, UnderButton}) {
        connect(toggle, &QToolButton::clicked, this, [this] {
            etiq_->SetStyle1(BoldButton->isChecked() ? '+' : '-');
            etiq_->SetStyle2(ItalButton->isChecked() ? '+' : '-');
            etiq_->SetStyle3(UnderButton->isChecked() ? '+' : '-');
            emit controlUsed();
        });
    }
}

void ToolPanel::penStyleClicked(QAbstractButton* button) {
    const int style = penGroup_->id(button);
    if (button->isChecked()) {
        for (QAbstractButton* other : penGroup_->buttons())
            if (other != button)
                other->setChecked(false);
    }
    etiq_->SetPenStyle(style);
    PenStyleCode = style;
    emit controlUsed();
}

void ToolPanel::chooseColor(ColorPanel* panel) {
    ColorDialog1->setCurrentColor(colorFromRef(panel->color()));
    if (Dialogs::runModal(ColorDialog1) == QDialog::Accepted)
        panel->setColor(refFromColor(ColorDialog1->currentColor()));
    etiq_->SetColors(ForeColor->color(), Backcolor->color());
    emit controlUsed();
}

QRect ToolPanel::layout(QSize client) const {
    const int width = client.width();
    const int height = client.height();
    SpeedPanel->setGeometry(0, 0, width, kSpeedPanelHeight);
    Panel1->setGeometry(0, kSpeedPanelHeight, kToolColumnWidth, height - kSpeedPanelHeight);
    // The palette's strip stays reserved while the palette is hidden.
    Panel3->setGeometry(kToolColumnWidth + 2, height - kPaletteStrip, 548, 25);
    return QRect(kToolColumnWidth, kSpeedPanelHeight, width - kToolColumnWidth,
                 height - kSpeedPanelHeight - kPaletteStrip);
}

void ToolPanel::reset() {
    ToolNumber = 1;
    PenStyleCode = PenSolid;
    BrushStyleCode = BrushClear;
}

void ToolPanel::setPaletteVisible(bool visible) {
    Panel3->setVisible(visible);
}

void ToolPanel::GetFontNames() {
    QStringList names;
    // Qt names a family that several foundries make once per foundry ("C059 [urw]"); a
    // label file names the family alone, which is also what draws it.
    static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\]]*\\]$"));
    for (QString name : QFontDatabase::families()) {
        name.remove(foundry);
        // A name the label file's code page cannot hold would come back as another font.
        if (Windows1252::toUnicode(Windows1252::fromUnicode(name)) != name)
            continue;
        if (!names.contains(name))
            names.append(name);
    }
    // Label files name these three; fontconfig draws them with their metric twins even
    // though no font file carries their names.
    for (const char* stored : {"Arial", "Times New Roman", "Courier New"})
        if (!names.contains(QLatin1String(stored)))
            names.append(QLatin1String(stored));
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    // Filling the list must not change the font the box shows.
    const QString current = FontName->currentText();
    const QSignalBlocker blocker(FontName);
    FontName->clear();
    FontName->addItems(names);
    FontName->setEditText(current);
}

QStringList ToolPanel::fontNames() const {
    QStringList names;
    for (int i = 0; i < FontName->count(); ++i)
        names.append(FontName->itemText(i));
    return names;
}

void ToolPanel::setPenWidthField(int width) {
    SpinEdit1->setValue(width);
}

void ToolPanel::showStatus(const QString& text) {
    emit status(text);
}

ToolBarState ToolPanel::GetStyles() {
    ToolBarState state;
    state.toolNumber = ToolNumber;
    state.penWidth = SpinEdit1->readValue();
    state.penStyle = PenStyleCode;
    state.penColor = ForeColor->color();
    state.fillColor = Backcolor->color();
    state.fillStyle = BrushStyleCode;
    state.fontName = FontName->currentText();
    state.fontSize = SpinEdit2->readValue();
    state.bold = BoldButton->isChecked();
    state.italic = ItalButton->isChecked();
    state.underline = UnderButton->isChecked();
    return state;
}
