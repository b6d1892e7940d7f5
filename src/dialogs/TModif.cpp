#include "TModif.h"

#include "BarcodeDialog.h"
#include "ColorPanel.h"
#include "DialogButtons.h"
#include "Dialogs.h"
#include "ObjectKinds.h"
#include "SpinEdit.h"
#include "ToolBarState.h"
#include "Windows1252.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <initializer_list>
#include <utility>

namespace {

constexpr qsizetype kShownTextLength = 255;
const QSize kPenIconSize(36, 12);

// The notebook page of a kind. Background records have no page of their own: given one, the
// dialog shows it as an unknown kind, with the closed shapes' page.
TModif::Page notebookPage(ModifyPage page) {
    switch (page) {
    case ModifyPage::Lines:
        return TModif::LinesPage;
    case ModifyPage::Text:
        return TModif::TextPage;
    case ModifyPage::Barcode:
        return TModif::BarcodePage;
    case ModifyPage::Shapes:
    case ModifyPage::None:
        break;
    }
    return TModif::ShapesPage;
}

QIcon penIcon(int style) {
    QPixmap pixmap(kPenIconSize);
    pixmap.fill(Qt::transparent);
    // The clear pen's button stays empty: no line.
    if (style != PenClear) {
        static const Qt::PenStyle qtStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine,
                                                Qt::DashDotLine, Qt::DashDotDotLine};
        QPainter painter(&pixmap);
        painter.setPen(QPen(Qt::black, 2, qtStyles[style], Qt::FlatCap));
        painter.drawLine(2, kPenIconSize.height() / 2, kPenIconSize.width() - 2,
                         kPenIconSize.height() / 2);
    }
    return QIcon(pixmap);
}

QIcon brushIcon(bool solid) {
    QPixmap pixmap(14, 14);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setBrush(solid ? QBrush(Qt::black) : QBrush(Qt::NoBrush));
    painter.drawRect(1, 1, 11, 11);
    return QIcon(pixmap);
}

QToolButton* toggleButton(const char* name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setCheckable(true);
    return button;
}

// Checks the button of `id`, or none when the group has no such button.
void press(QButtonGroup* group, int id) {
    if (QAbstractButton* button = group->button(id)) {
        button->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
}

QLabel* titleLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

ColorPanel* swatch(const char* name, QWidget* parent) {
    auto* panel = new ColorPanel(0, parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFixedSize(40, 20);
    panel->setCursor(Qt::PointingHandCursor);
    return panel;
}

// The "Trait" group of the first two pages: colour, width and the six pen styles.
QGroupBox* penGroup(QWidget* parent, ColorPanel* panel, SpinEdit* width, QButtonGroup* styles,
                    const char* const names[6]) {
    auto* group = new QGroupBox(QStringLiteral("Trait"), parent);
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Couleur"), group), 0, 0);
    grid->addWidget(panel, 0, 1, Qt::AlignLeft);
    auto* widthCaption = new QLabel(QStringLiteral("Epaisseur"), group);
    widthCaption->setBuddy(width);
    grid->addWidget(widthCaption, 1, 0);
    grid->addWidget(width, 1, 1, Qt::AlignLeft);
    grid->addWidget(new QLabel(QStringLiteral("Style"), group), 2, 0);
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    for (int style = 0; style < 6; ++style) {
        QToolButton* button = toggleButton(names[style], group);
        button->setToolTip(QStringLiteral("Style de trait"));
        button->setIcon(penIcon(style));
        button->setIconSize(kPenIconSize);
        styles->addButton(button, style);
        row->addWidget(button);
    }
    row->addStretch();
    grid->addLayout(row, 2, 1);
    return group;
}

// A fill's colour and its two styles, "Plein" and "Vide".
QGroupBox* fillGroup(QWidget* parent, const QString& title, ColorPanel* panel, QButtonGroup* styles,
                     const char* const names[2]) {
    auto* fill = new QGroupBox(title, parent);
    auto* grid = new QGridLayout(fill);
    grid->addWidget(new QLabel(QStringLiteral("Couleur"), fill), 0, 0);
    grid->addWidget(panel, 0, 1, Qt::AlignLeft);
    grid->addWidget(new QLabel(QStringLiteral("Style"), fill), 1, 0);
    auto* row = new QHBoxLayout;
    const char* const captions[2] = {"Plein", "Vide"};
    for (int i = 0; i < 2; ++i) {
        QToolButton* button = toggleButton(names[i], fill);
        button->setText(QString::fromLatin1(captions[i]));
        button->setToolTip(QStringLiteral("Motif de remplissage"));
        button->setIcon(brushIcon(i == BrushSolid));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        styles->addButton(button, i);
        row->addWidget(button);
    }
    row->addStretch();
    grid->addLayout(row, 1, 1);
    return fill;
}

// Rows of a caption and the control it names, the caption leading the keyboard to it.
void captionedRows(QGridLayout* grid, QWidget* parent,
                   std::initializer_list<std::pair<const char*, QWidget*>> rows) {
    int row = 0;
    for (const auto& [text, control] : rows) {
        auto* caption = new QLabel(QString::fromLatin1(text), parent);
        caption->setBuddy(control);
        grid->addWidget(caption, row, 0);
        grid->addWidget(control, row++, 1, Qt::AlignLeft);
    }
}

QComboBox* fontBox(const char* name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumWidth(180);
    return box;
}

} // namespace

TModif::TModif(QWidget* parent) : AnsweredDialog(parent) {
    setObjectName(QStringLiteral("Modif"));
    setWindowTitle(QStringLiteral("Modifier objet"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    Notebook1 = new QStackedWidget(this);
    Notebook1->setObjectName(QStringLiteral("Notebook1"));
    Notebook1->addWidget(makeLinesPage());
    Notebook1->addWidget(makeShapesPage());
    Notebook1->addWidget(makeTextPage());
    Notebook1->addWidget(makeBarcodePage());

    const CancelOkButtons cancelOk = makeCancelOkButtons(this, EnterPresses::Nothing);
    Button1 = cancelOk.cancel;
    Button2 = cancelOk.ok;
    connect(Button1, &QPushButton::clicked, this, &TModif::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TModif::Button2Click);

    // One colour choice for the four swatches; it remembers the last colour taken.
    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Notebook1);
    layout->addLayout(buttons);
    // The notebook is as large as its largest page, so one size fits every kind.
    setFixedSize(sizeHint());

    connect(Panel1, &ColorPanel::clicked, this, &TModif::Panel1Click);
    connect(Panel2, &ColorPanel::clicked, this, &TModif::Panel2Click);
    connect(Panel3, &ColorPanel::clicked, this, &TModif::Panel3Click);
    connect(Panel4, &ColorPanel::clicked, this, &TModif::Panel4Click);
    connect(Panel5, &ColorPanel::clicked, this, [this] { style_.penColor = chooseColor(Panel5); });
    connect(Panel6, &ColorPanel::clicked, this,
            [this] { style_.brushColor = chooseColor(Panel6); });
    connect(Panel7, &ColorPanel::clicked, this, [this] { style_.fontColor = chooseColor(Panel7); });
    for (SpinEdit* box : {SpinEdit1, SpinEdit2})
        connect(box, &SpinEdit::changed, this, [this](int width) {
            if (!filling_)
                style_.penWidth = width;
        });
    connect(SpinEdit3, &SpinEdit::changed, this, [this](int size) {
        if (!filling_)
            style_.fontSize = size;
    });
    for (QComboBox* box : {ComboBox1, ComboBox2})
        connect(box, &QComboBox::editTextChanged, this, [this](const QString& name) {
            if (!filling_)
                style_.fontName = Windows1252::fromUnicode(name);
        });
    connect(Edit1, &QLineEdit::textChanged, this, &TModif::Edit1Change);
    // A style button sets its style even when it already shows pressed: "Plein" pressed on
    // a hatched fill makes it solid.
    for (QButtonGroup* group : {penStyles1, penStyles2})
        connect(group, &QButtonGroup::idClicked, this, [this](int id) { style_.penStyle = id; });
    for (QButtonGroup* group : {brushStyles, brushStyles2})
        connect(group, &QButtonGroup::idClicked, this, [this](int id) { style_.brushStyle = id; });
    connect(arrows, &QButtonGroup::idClicked, this, [this](int id) { arrow_ = char('0' + id); });
    // A text style the page cannot show stays until another choice is made.
    connect(fontStyles, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && !filling_)
            style_.fontStyle = LineCodec::fontStyleFromDigit(id);
    });
}

QWidget* TModif::makeLinesPage() {
    auto* page = new QWidget;
    Label1 = titleLabel("Label1", page);
    Panel1 = swatch("Panel1", page);
    SpinEdit1 =
        new SpinEdit(ToolBarState::kSmallestPenWidth, ToolBarState::kLargestPenWidth, 1, page);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    penStyles1 = new QButtonGroup(page);
    static const char* const names[6] = {"SolidPen",   "DashPen",       "DotPen",
                                         "DashDotPen", "DashDotDotPen", "ClearPen"};
    QGroupBox* pen = penGroup(page, Panel1, SpinEdit1, penStyles1, names);

    // Arrow glyphs any desktop font has, standing for no arrow, left, right and both.
    auto* pointe = new QGroupBox(QStringLiteral("Pointe"), page);
    auto* row = new QHBoxLayout(pointe);
    arrows = new QButtonGroup(page);
    const char* const arrowNames[4] = {"SpeedButton7", "SpeedButton8", "SpeedButton9",
                                       "SpeedButton10"};
    const QString arrowCaptions[4] = {QStringLiteral("--"), QStringLiteral("←"),
                                      QStringLiteral("→"), QStringLiteral("↔")};
    for (int i = 0; i < 4; ++i) {
        QToolButton* button = toggleButton(arrowNames[i], pointe);
        button->setText(arrowCaptions[i]);
        button->setMinimumWidth(36);
        arrows->addButton(button, i);
        row->addWidget(button);
    }
    row->addStretch();

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Label1);
    layout->addWidget(pen);
    layout->addWidget(pointe);
    layout->addStretch();
    return page;
}

QWidget* TModif::makeShapesPage() {
    auto* page = new QWidget;
    Label2 = titleLabel("Label2", page);
    Panel2 = swatch("Panel2", page);
    SpinEdit2 =
        new SpinEdit(ToolBarState::kSmallestPenWidth, ToolBarState::kLargestPenWidth, 1, page);
    SpinEdit2->setObjectName(QStringLiteral("SpinEdit2"));
    penStyles2 = new QButtonGroup(page);
    static const char* const names[6] = {"SpeedButton1", "SpeedButton2", "SpeedButton3",
                                         "SpeedButton4", "SpeedButton5", "SpeedButton6"};
    QGroupBox* pen = penGroup(page, Panel2, SpinEdit2, penStyles2, names);

    Panel3 = swatch("Panel3", page);
    brushStyles = new QButtonGroup(page);
    static const char* const brushNames[2] = {"SolidBrush", "ClearBrush"};
    QGroupBox* fill =
        fillGroup(page, QStringLiteral("Remplissage"), Panel3, brushStyles, brushNames);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Label2);
    layout->addWidget(pen);
    layout->addWidget(fill);
    layout->addStretch();
    return page;
}

QWidget* TModif::makeTextPage() {
    auto* page = new QWidget;
    Label3 = titleLabel("Label3", page);
    Edit1 = new QLineEdit(page);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(300);
    ComboBox1 = fontBox("ComboBox1", page);
    SpinEdit3 =
        new SpinEdit(ToolBarState::kSmallestFontSize, ToolBarState::kLargestFontSize, 12, page);
    SpinEdit3->setObjectName(QStringLiteral("SpinEdit3"));
    Panel4 = swatch("Panel4", page);

    auto* grid = new QGridLayout;
    captionedRows(grid, page, {{"Police", ComboBox1}, {"Taille", SpinEdit3}, {"Couleur", Panel4}});

    auto* style = new QGroupBox(QStringLiteral("Style"), page);
    auto* column = new QVBoxLayout(style);
    fontStyles = new QButtonGroup(page);
    // Listed as the page shows them; the ids are the style digits.
    const struct {
        const char* name;
        const char* caption;
        int digit;
    } choices[4] = {{"RadioButton4", "Aucun", 0},
                    {"RadioButton1", "Gras", 1},
                    {"RadioButton2", "Italique", 2},
                    {"RadioButton3", "Souligné", 3}};
    for (const auto& choice : choices) {
        auto* button = new QRadioButton(QString::fromUtf8(choice.caption), style);
        button->setObjectName(QLatin1String(choice.name));
        fontStyles->addButton(button, choice.digit);
        column->addWidget(button);
    }

    auto* sides = new QHBoxLayout;
    sides->addLayout(grid);
    sides->addWidget(style);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Label3);
    layout->addWidget(Edit1);
    layout->addLayout(sides);
    layout->addStretch();
    return page;
}

QWidget* TModif::makeBarcodePage() {
    auto* page = new QWidget;
    Label4 = titleLabel("Label4", page);
    Fields = new BarcodeFields(page);
    Fields->setObjectName(QStringLiteral("Fields"));

    auto* bars = new QGroupBox(QStringLiteral("Barres"), page);
    auto* barRow = new QHBoxLayout(bars);
    Panel5 = swatch("Panel5", bars);
    barRow->addWidget(new QLabel(QStringLiteral("Couleur"), bars));
    barRow->addWidget(Panel5);
    barRow->addStretch();

    Panel6 = swatch("Panel6", page);
    brushStyles2 = new QButtonGroup(page);
    static const char* const brushNames[2] = {"SolidBrush2", "ClearBrush2"};
    QGroupBox* fill = fillGroup(page, QStringLiteral("Fond"), Panel6, brushStyles2, brushNames);

    auto* text = new QGroupBox(QStringLiteral("Texte lisible"), page);
    auto* grid = new QGridLayout(text);
    ComboBox2 = fontBox("ComboBox2", text);
    Panel7 = swatch("Panel7", text);
    captionedRows(grid, text, {{"Police", ComboBox2}, {"Couleur", Panel7}});

    auto* colours = new QHBoxLayout;
    colours->addWidget(bars);
    colours->addWidget(fill);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Label4);
    layout->addWidget(Fields);
    layout->addLayout(colours);
    layout->addWidget(text);
    layout->addStretch();
    return page;
}

void TModif::Initfont(const QStringList& fontNames) {
    filling_ = true;
    for (QComboBox* box : {ComboBox1, ComboBox2}) {
        box->clear();
        box->addItems(fontNames);
    }
    filling_ = false;
}

void TModif::Init(const QByteArray& line) {
    forgetAnswer();
    line_ = line;
    parts_ = LineCodec::splitLine(line_);
    const ObjectKindInfo& kind = ObjectKinds::of(parts_.keyword);
    isText_ = kind.kind == ObjectKind::Text;
    isBarcode_ = kind.kind == ObjectKind::Barcode;
    textChanged_ = false;
    text_.clear();
    arrow_ = parts_.arrow.size() == 2 ? parts_.arrow[1] : '0';
    // A line without a TAB has no style block: it is shown, and written back, with the
    // plain styles.
    style_ = StyleBlock{};
    if (parts_.hasTab)
        SetStyles(parts_.styles);
    if (isText_) {
        filling_ = true;
        Edit1->setText(Windows1252::toUnicode(
            parts_.kindData.first(qMin(parts_.kindData.size(), kShownTextLength))));
        filling_ = false;
    }
    if (isBarcode_)
        Fields->setValues(Barcodes::parse(parts_.kindData), style_.fontSize != 0);
    showPage(notebookPage(kind.page), QString::fromUtf8(kind.modifyTitle));
}

int TModif::Execute() {
    return Dialogs::runModal(this);
}

QByteArray TModif::Result() const {
    if (!accepted())
        return {};
    LineParts parts = parts_;
    if (textChanged_)
        parts.kindData = text_;
    const QByteArray barcode = isBarcode_ ? Fields->kindData() : QByteArray();
    if (isBarcode_)
        parts.kindData = barcode;
    const QByteArray arrow = arrow_ == '0' ? QByteArray() : QByteArray(">") + arrow_;
    StyleBlock style = style_;
    // A barcode's text shows unless its font size is 0; its size follows the bars.
    if (isBarcode_)
        style.fontSize = !Fields->humanReadable() ? 0
                         : style.fontSize         ? style.fontSize
                                                  : StyleBlock{}.fontSize;
    const QByteArray styles = LineCodec::writeStyles(style);
    parts.hasTab = true;
    parts.arrow = arrow;
    parts.styles = styles;
    return LineCodec::joinLine(parts);
}

void TModif::SetStyles(QByteArrayView block) {
    LineCodec::readStyles(block, style_);
}

QByteArray TModif::GetStyles() const {
    return LineCodec::writeStyles(style_);
}

void TModif::showPage(Page page, const QString& title) {
    QLabel* const titles[] = {Label1, Label2, Label3, Label4};
    titles[page]->setText(title);
    Notebook1->setCurrentIndex(page);
    Notebook1PageChanged();
}

void TModif::FormShow() {
    // A box shows its value within the tool bar's bounds, but only an edit of the box changes
    // the value: a width or size beyond them, as a file may hold, comes back as it was.
    filling_ = true;
    switch (Notebook1->currentIndex()) {
    case LinesPage:
        Panel1->setColor(style_.penColor);
        SpinEdit1->setValue(style_.penWidth);
        press(penStyles1, style_.penStyle);
        press(arrows, arrow_ - '0');
        break;
    case ShapesPage:
        Panel2->setColor(style_.penColor);
        SpinEdit2->setValue(style_.penWidth);
        press(penStyles2, style_.penStyle);
        Panel3->setColor(style_.brushColor);
        press(brushStyles, style_.brushStyle == BrushClear ? BrushClear : BrushSolid);
        break;
    case TextPage: {
        ComboBox1->setEditText(Windows1252::toUnicode(style_.fontName));
        SpinEdit3->setValue(style_.fontSize);
        Panel4->setColor(style_.fontColor);
        // Strike-out has no choice of its own and shows as "Aucun".
        const int digit = LineCodec::fontStyleDigit(style_.fontStyle) - '0';
        press(fontStyles, digit <= 3 ? digit : 0);
        break;
    }
    case BarcodePage:
        Panel5->setColor(style_.penColor);
        Panel6->setColor(style_.brushColor);
        press(brushStyles2, style_.brushStyle == BrushClear ? BrushClear : BrushSolid);
        ComboBox2->setEditText(Windows1252::toUnicode(style_.fontName));
        Panel7->setColor(style_.fontColor);
        break;
    }
    filling_ = false;
}

void TModif::Notebook1PageChanged() {
    FormShow();
}

void TModif::FormClose() {
    filling_ = true;
    ComboBox1->clear();
    ComboBox2->clear();
    filling_ = false;
}

ColorRef TModif::chooseColor(ColorPanel* panel) {
    if (Dialogs::runModal(ColorDialog1) == QDialog::Accepted)
        panel->setColor(refFromColor(ColorDialog1->currentColor()));
    return panel->color();
}

void TModif::Panel1Click() {
    style_.penColor = chooseColor(Panel1);
}

void TModif::Panel2Click() {
    style_.penColor = chooseColor(Panel2);
}

void TModif::Panel3Click() {
    style_.brushColor = chooseColor(Panel3);
}

void TModif::Panel4Click() {
    style_.fontColor = chooseColor(Panel4);
}

void TModif::Edit1Change(const QString& text) {
    if (filling_ || !isText_)
        return;
    // The field shows what the line will hold: no TAB or line break, '?' for a character
    // the label's code page lacks.
    text_ = Windows1252::fromUnicode(text);
    textChanged_ = true;
    const QString stored = Windows1252::toUnicode(text_);
    if (stored != text) {
        const int cursor = Edit1->cursorPosition();
        filling_ = true;
        Edit1->setText(stored);
        Edit1->setCursorPosition(cursor);
        filling_ = false;
    }
}

void TModif::Button1Click() {
    reject();
}

void TModif::Button2Click() {
    // Data Zint refuses keeps the dialog open, with the reason shown.
    if (isBarcode_ && !Fields->acceptable())
        return;
    accept();
}

void TModif::done(int result) {
    AnsweredDialog::done(result);
    FormClose();
}

void TModif::showEvent(QShowEvent* event) {
    FormShow();
    AnsweredDialog::showEvent(event);
}
