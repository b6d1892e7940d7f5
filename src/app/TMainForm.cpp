#include "TMainForm.h"

#include "LabelDialogSet.h"

#include "BusyCursor.h"
#include "ButtonIcons.h"
#include "ColorPanel.h"
#include "Dialogs.h"
#include "ErrorReportingApplication.h"
#include "HelpViewer.h"
#include "LabelFile.h"
#include "SpinEdit.h"
#include "TAboutBox.h"
#include "TEtiq.h"
#include "TNouveau.h"
#include "UserError.h"
#include "VorlapHelp.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int kSpeedPanelHeight = 33;
constexpr int kToolColumnWidth = 54;
constexpr int kPaletteStrip = 27;
constexpr int kButton = 25;
constexpr int kSwatches = 27;
constexpr int kFontNameLength = 32;

struct ToolSpec {
    const char* name;
    ButtonPicture picture;
    int x;
    int y;
    const char* hint;
    int frameCode; // -1: the text tool, chosen through SetText
    int toolNumber;
};

const ToolSpec kTools[] = {
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
};

struct PenSpec {
    const char* name;
    ButtonPicture picture;
    int x;
    int y;
};

// In pen style order: the index is the style code.
const PenSpec kPens[] = {
    {"SolidPen", ButtonPicture::SolidPen, 1, 135},
    {"DashPen", ButtonPicture::DashPen, 26, 135},
    {"DotPen", ButtonPicture::DotPen, 1, 160},
    {"DashDotPen", ButtonPicture::DashDotPen, 26, 160},
    {"DashDotDotPen", ButtonPicture::DashDotDotPen, 1, 185},
    {"ClearPen", ButtonPicture::ClearPen, 26, 185},
};

struct SpeedSpec {
    const char* name;
    ButtonPicture picture;
    int x;
    Command command;
};

const SpeedSpec kSpeedButtons[] = {
    {"NewButton", ButtonPicture::New, 9, Command::FileNew},
    {"OpenButton", ButtonPicture::Open, 34, Command::FileOpen},
    {"SaveButton", ButtonPicture::Save, 59, Command::FileSave},
    {"PrintButton", ButtonPicture::Print, 85, Command::Print},
    {"PreviewButton", ButtonPicture::Preview, 110, Command::Preview},
    {"UndoButton", ButtonPicture::Undo, 137, Command::Undo},
    {"CutButton", ButtonPicture::Cut, 162, Command::Cut},
    {"CopyButton", ButtonPicture::Copy, 187, Command::Copy},
    {"PasteButton", ButtonPicture::Paste, 212, Command::Paste},
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

QString longTimeText(const QTime& time) {
    const QLocale locale = QLocale::system();
    // Qt's long format adds the time zone, which a clock in the status bar does without.
    QString format = locale.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt\\b"));
    format.remove(zone);
    return locale.toString(time, format.trimmed());
}

TMainForm::TMainForm(const QString& startDir, QWidget* parent)
    : QMainWindow(parent), StartDir(startDir), clock_(&QTime::currentTime) {
    FormCreate();
    createForms();
    connectControls();
    layoutClient();
}

TMainForm::~TMainForm() {
    // Left to the base class, the controls would be hidden and destroyed once this window
    // has stopped being one, and a box left with unfinished text settles it then, calling
    // back here. The label window goes last among them, still able to read the tool bar.
    delete client_;
}

void TMainForm::FormCreate() {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Vorlap"));
    setWindowIcon(QIcon(programPicture(64)));
    resize(900, 650);

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("Client"));
    setCentralWidget(client_);
    client_->installEventFilter(this);

    registerCommands();
    buildMenus();
    buildSpeedPanel();
    buildToolColumn();
    buildPalette();
    buildStatusBar();

    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    Timer1->start();
}

void TMainForm::createForms() {
    // Each form once, in the order the program has always made them; the label window is
    // this window's child and lives as long as it.
    aboutBox_ = new TAboutBox(this);
    etiq_ = new TEtiq(client_);
    etiq_->setToolBarSource(this);
    labelDialogs_ = std::make_unique<LabelDialogSet>(this);
    etiq_->setLabelDialogs(labelDialogs_.get());
    connect(etiq_, &QWidget::windowTitleChanged, this, [this](const QString& caption) {
        setWindowTitle(caption.isEmpty() ? QStringLiteral("Vorlap")
                                         : caption + QStringLiteral(" - Vorlap"));
    });
    setWindowTitle(etiq_->caption() + QStringLiteral(" - Vorlap"));
    nouveau_ = new TNouveau(this);
    helpViewer_ = new HelpViewer(vorlapHelpBook(), this);
}

void TMainForm::buildMenus() {
    for (const MenuEntry& entry : menuEntries()) {
        QMenu* menu = menuBar()->addMenu(entry.title);
        menu->setProperty("helpContext", entry.helpContext);
        menu->installEventFilter(this);
        menus_.append(menu);
    }
    for (const CommandEntry& entry : commandEntries()) {
        QMenu* menu = menus_.at(entry.menu);
        if (entry.separatorBefore)
            menu->addSeparator();
        QAction* action = menu->addAction(entry.caption);
        action->setObjectName(entry.objectName);
        action->setStatusTip(entry.hint);
        action->setShortcut(entry.shortcut);
        action->setVisible(entry.visible);
        action->setEnabled(commands_.contains(entry.command));
        if (!entry.buttonHint.isEmpty())
            action->setToolTip(entry.buttonHint);
        connect(action, &QAction::triggered, this,
                [this, command = entry.command] { runCommand(command); });
        actions_.insert(entry.command, action);
    }
    QAction* palette = action(Command::Palette);
    palette->setCheckable(true);
    palette->setChecked(true);

    // A hidden entry is always disabled in Qt, shortcut included, so the background is
    // reached through a window action of its own.
    auto* backgroundKey = new QAction(this);
    backgroundKey->setObjectName(QStringLiteral("BackgroundShortcut"));
    backgroundKey->setShortcut(backgroundShortcut());
    backgroundKey->setEnabled(commands_.contains(Command::Background));
    addAction(backgroundKey);
    connect(backgroundKey, &QAction::triggered, this, [this] { runCommand(Command::Background); });

    auto* helpKey = new QAction(this);
    helpKey->setObjectName(QStringLiteral("HelpShortcut"));
    helpKey->setShortcut(QKeySequence(Qt::Key_F1));
    addAction(helpKey);
    connect(helpKey, &QAction::triggered, this, &TMainForm::HContents);
}

QToolButton* TMainForm::makeButton(QWidget* parent, const QString& name, int x, int y,
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

void TMainForm::buildSpeedPanel() {
    SpeedPanel = panel(client_, QStringLiteral("SpeedPanel"));
    for (const SpeedSpec& item : kSpeedButtons) {
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
    FontName->setGeometry(250, 5, 177, 23);
    FontName->setEditText(QStringLiteral("Arial"));

    SpinEdit2 = new SpinEdit(4, 100, 12, SpeedPanel);
    SpinEdit2->setObjectName(QStringLiteral("SpinEdit2"));
    SpinEdit2->setSingleStep(2);
    SpinEdit2->setGeometry(434, 5, 55, 23);

    BoldButton = makeButton(SpeedPanel, QStringLiteral("BoldButton"), 495, 4, ButtonPicture::Bold,
                            QStringLiteral("Gras"));
    ItalButton = makeButton(SpeedPanel, QStringLiteral("ItalButton"), 520, 4, ButtonPicture::Italic,
                            QStringLiteral("Italique"));
    UnderButton = makeButton(SpeedPanel, QStringLiteral("UnderButton"), 545, 4,
                             ButtonPicture::Underline, utf8("Souligné"));
    for (QToolButton* toggle : {BoldButton, ItalButton, UnderButton}) {
        toggle->setCheckable(true);
        toggle->setAutoRaise(true);
    }
}

void TMainForm::buildToolColumn() {
    Panel1 = panel(client_, QStringLiteral("Panel1"));

    toolGroup_ = new QButtonGroup(this);
    toolGroup_->setExclusive(true);
    int index = 0;
    for (const ToolSpec& item : kTools) {
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
    for (const PenSpec& item : kPens) {
        QToolButton* button = makeButton(Panel1, utf8(item.name), item.x, item.y, item.picture,
                                         QStringLiteral("Style de trait"));
        button->setCheckable(true);
        penGroup_->addButton(button, index++);
    }
    penGroup_->button(PenSolid)->setChecked(true);

    SpinEdit1 = new SpinEdit(1, 100, 1, Panel1);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setGeometry(3, 215, 48, 23);
    SpinEdit1->setToolTip(QStringLiteral("Epaisseur de trait"));
    SpinEdit1->setStatusTip(QStringLiteral("Epaisseur de trait"));

    auto* colorFrame = new QFrame(Panel1);
    colorFrame->setObjectName(QStringLiteral("ColorFrame"));
    colorFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    colorFrame->setGeometry(2, 245, 50, 41);
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
        makeButton(Panel1, QStringLiteral("SolidBrush"), 1, 293, ButtonPicture::SolidBrush,
                   QStringLiteral("Motif de remplissage"));
    QToolButton* clear =
        makeButton(Panel1, QStringLiteral("ClearBrush"), 26, 293, ButtonPicture::ClearBrush,
                   QStringLiteral("Motif de remplissage"));
    for (QToolButton* button : {solid, clear})
        button->setCheckable(true);
    brushGroup_->addButton(solid, BrushSolid);
    brushGroup_->addButton(clear, BrushClear);
    clear->setChecked(true);
}

void TMainForm::buildPalette() {
    Panel3 = new QFrame(client_);
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

void TMainForm::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    statusPanel0_ = new QLabel(bar);
    statusPanel0_->setObjectName(QStringLiteral("StatusPanel0"));
    statusPanel0_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusPanel1_ = new QLabel(bar);
    statusPanel1_->setObjectName(QStringLiteral("StatusPanel1"));
    statusPanel1_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->addWidget(statusPanel0_);
    bar->addPermanentWidget(statusPanel1_, 1);
}

void TMainForm::connectControls() {
    connect(toolGroup_, &QButtonGroup::idClicked, this, [this](int id) {
        const ToolSpec& item = kTools[id];
        if (item.frameCode < 0)
            etiq_->SetText();
        else
            etiq_->SetFrame(item.frameCode);
        ToolNumber = item.toolNumber;
        focusLabel();
    });
    connect(penGroup_, &QButtonGroup::buttonClicked, this, &TMainForm::penStyleClicked);
    connect(brushGroup_, &QButtonGroup::idClicked, this, [this](int style) {
        etiq_->SetBrush(style);
        BrushStyleCode = style;
        focusLabel();
    });
    connect(SpinEdit1, &SpinEdit::changed, this, [this](int width) { etiq_->PenSize(width); });
    connect(SpinEdit1, &SpinEdit::stepped, this, &TMainForm::focusLabel);
    connect(SpinEdit1, &SpinEdit::entered, this, &TMainForm::focusLabel);
    connect(ForeColor, &ColorPanel::clicked, this, [this] { chooseColor(ForeColor); });
    connect(Backcolor, &ColorPanel::clicked, this, [this] { chooseColor(Backcolor); });

    connect(FontName, &QComboBox::currentTextChanged, this,
            [this](const QString& name) { etiq_->SetFontName(name); });
    // Back to the label once a name is chosen, not at every letter typed.
    connect(FontName, &QComboBox::activated, this, &TMainForm::focusLabel);
    connect(SpinEdit2, &SpinEdit::changed, this, [this](int size) { etiq_->SetFontSize(size); });
    connect(SpinEdit2, &SpinEdit::stepped, this, &TMainForm::focusLabel);
    connect(SpinEdit2, &SpinEdit::entered, this, &TMainForm::focusLabel);
    for (QToolButton* toggle : {BoldButton, ItalButton, UnderButton}) {
        connect(toggle, &QToolButton::clicked, this, &TMainForm::SetStyle123);
        connect(toggle, &QToolButton::clicked, this, &TMainForm::focusLabel);
    }
}

void TMainForm::penStyleClicked(QAbstractButton* button) {
    const int style = penGroup_->id(button);
    if (button->isChecked()) {
        for (QAbstractButton* other : penGroup_->buttons())
            if (other != button)
                other->setChecked(false);
    }
    etiq_->SetPenStyle(style);
    PenStyleCode = style;
    focusLabel();
}

void TMainForm::focusLabel() {
    // Keys typed, Ctrl+C/X/V and Del are meant for the label, not for the last control used.
    etiq_->setFocus(Qt::OtherFocusReason);
}

void TMainForm::chooseColor(ColorPanel* panel) {
    ColorDialog1->setCurrentColor(colorFromRef(panel->color()));
    if (Dialogs::runModal(ColorDialog1) == QDialog::Accepted)
        panel->setColor(refFromColor(ColorDialog1->currentColor()));
    etiq_->SetColors(ForeColor->color(), Backcolor->color());
    focusLabel();
}

void TMainForm::layoutClient() {
    const int width = client_->width();
    const int height = client_->height();
    SpeedPanel->setGeometry(0, 0, width, kSpeedPanelHeight);
    Panel1->setGeometry(0, kSpeedPanelHeight, kToolColumnWidth, height - kSpeedPanelHeight);
    // The palette's strip stays reserved while the palette is hidden.
    Panel3->setGeometry(kToolColumnWidth + 2, height - kPaletteStrip, 548, 25);
    if (etiq_)
        etiq_->setGeometry(kToolColumnWidth, kSpeedPanelHeight, width - kToolColumnWidth,
                           height - kSpeedPanelHeight - kPaletteStrip);
}

void TMainForm::FormResize() {
    statusPanel0_->setFixedWidth(qMax(0, width() - 100));
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) {
        layoutClient();
        return false;
    }
    if (auto* menu = qobject_cast<QMenu*>(watched)) {
        // F1 while a menu is open leads to that menu's help page.
        const bool key =
            event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
        if (key && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            event->accept();
            if (event->type() == QEvent::KeyPress) {
                const int context = menu->property("helpContext").toInt();
                menu->close();
                showHelpContext(context);
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::event(QEvent* event) {
    // Hints of menu items and controls go to status panel 0, not over the whole bar.
    if (event->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TMainForm::FormShow() {
    GetFontNames();
    ToolNumber = 1;
    PenStyleCode = PenSolid;
    BrushStyleCode = BrushClear;
    PageSetup = PageSetupValues{};
    LabelFormat = LabelFormatValues{};
    ChargeIni();
    etiq_->SetPage(PageSetup.left, PageSetup.top, PageSetup.right, PageSetup.bottom,
                   PageSetup.zoom);
    // The label window starts with the tool bar's tool, not a tool of its own.
    etiq_->RestoreStyles();
    Timer1Timer();
    focusLabel();
}

void TMainForm::GetFontNames() {
    QStringList names;
    for (const QString& family : QFontDatabase::families()) {
        const QString name = family.left(kFontNameLength);
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

void TMainForm::setPenWidthField(int width) {
    SpinEdit1->setValue(width);
}

ToolBarState TMainForm::GetStyles() {
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
    SetStyle123();
    return state;
}

void TMainForm::SetStyle123() {
    etiq_->SetStyle1(BoldButton->isChecked() ? '+' : '-');
    etiq_->SetStyle2(ItalButton->isChecked() ? '+' : '-');
    etiq_->SetStyle3(UnderButton->isChecked() ? '+' : '-');
}

void TMainForm::resetLabelWindow() {
    etiq_->SetIni(ToolNumber, SpinEdit1->readValue(), PenStyleCode, ForeColor->color(),
                  Backcolor->color(), BrushStyleCode);
    etiq_->SetPage(PageSetup.left, PageSetup.top, PageSetup.right, PageSetup.bottom,
                   PageSetup.zoom);
}

void TMainForm::FileNewItemClick() {
    if (!etiq_->SaveQuery())
        return;
    nouveau_->Init(LabelFormat.width, LabelFormat.height, LabelFormat.hspacing,
                   LabelFormat.vspacing);
    Dialogs::runModal(nouveau_);
    LabelFormatValues chosen = LabelFormat;
    nouveau_->Result(chosen.width, chosen.height, chosen.hspacing, chosen.vspacing);
    if (chosen.width > 10)
        LabelFormat = chosen;
    // A cancelled dialog still gives a new label, in the format used before.
    resetLabelWindow();
    etiq_->SetDim(LabelFormat.width, LabelFormat.height, LabelFormat.hspacing,
                  LabelFormat.vspacing);
    etiq_->Effacer();
    etiq_->SetNew();
}

void TMainForm::FileOpenItemClick() {
    const QString folder = etiq_->document().FileName.isEmpty()
                               ? QString()
                               : QFileInfo(etiq_->document().FileName).absolutePath();
    const QString path =
        Dialogs::openFileName(this, QStringLiteral("Ouvrir"), folder,
                              QStringLiteral("Fichiers étiquettes (*.etq);;Tous les fichiers (*)"));
    if (path.isEmpty())
        return;
    if (!etiq_->SaveQuery())
        return;
    const BusyCursor busy;
    ShowHint(QStringLiteral("Ouverture de %1...").arg(QFileInfo(path).fileName()));
    statusPanel0_->repaint();
    // Resetting the label window forgets its name and size, so a file that cannot be read
    // must be found out before.
    LineList content = LabelFile::read(path);
    resetLabelWindow();
    etiq_->Charge(path, std::move(content));
    ShowHint(QString());
}

void TMainForm::Redimensionner1Click() {
    nouveau_->Init2(LabelFormat.width, LabelFormat.height, LabelFormat.hspacing,
                    LabelFormat.vspacing);
    Dialogs::runModal(nouveau_);
    LabelFormatValues chosen = LabelFormat;
    nouveau_->Result(chosen.width, chosen.height, chosen.hspacing, chosen.vspacing);
    if (chosen.width <= 10)
        return;
    LabelFormat = chosen;
    etiq_->SetDim(LabelFormat.width, LabelFormat.height, LabelFormat.hspacing,
                  LabelFormat.vspacing);
}

void TMainForm::ChargeIni() {
    PageSetup = SettingsFile::read(SettingsFile::pathIn(StartDir), PageSetup);
}

void TMainForm::SauveIni() {
    // A settings file that cannot be written only loses this run's page setup.
    SettingsFile::write(SettingsFile::pathIn(StartDir), PageSetup);
}

void TMainForm::HContents() {
    helpViewer_->showContents();
}

void TMainForm::HSearch() {
    helpViewer_->showSearch(QString());
}

void TMainForm::HowToUse() {
    helpViewer_->showHowToUse();
}

void TMainForm::showHelpContext(int context) {
    helpViewer_->showContext(context);
}

void TMainForm::Timer1Timer() {
    statusPanel1_->setText(QStringLiteral("    ") + longTimeText(clock_()));
}

void TMainForm::ShowHint(const QString& hint) {
    statusPanel0_->setText(hint);
}

void TMainForm::showStatus(const QString& text) {
    ShowHint(text);
}

QString TMainForm::statusText(int panel) const {
    return panel == 0 ? statusPanel0_->text() : statusPanel1_->text();
}

void TMainForm::runCommand(Command command) {
    const auto handler = commands_.constFind(command);
    if (handler == commands_.constEnd())
        return;
    try {
        (*handler)();
    } catch (const UserError& error) {
        reportError(error.message());
    }
    if (command != Command::Quit)
        focusLabel();
}

void TMainForm::registerCommands() {
    // A command without a handler here is shown greyed out; the commands of the print
    // preview, the object commands, their dialogs and the utilities join as they come.
    commands_ = {
        {Command::FileNew, [this] { FileNewItemClick(); }},
        {Command::FileOpen, [this] { FileOpenItemClick(); }},
        {Command::FileSave, [this] { etiq_->Sauve(0); }},
        {Command::FileSaveAs, [this] { etiq_->Sauve(1); }},
        {Command::Quit, [this] { close(); }},
        {Command::Undo, [this] { etiq_->Annuler(); }},
        {Command::Cut, [this] { etiq_->Couper(ObjectClipboard); }},
        {Command::Copy, [this] { etiq_->Copier(ObjectClipboard); }},
        {Command::Paste, [this] { etiq_->Coller(ObjectClipboard); }},
        {Command::ClearLabel, [this] { etiq_->Effacer(); }},
        {Command::Resize, [this] { Redimensionner1Click(); }},
        {Command::Palette, [this] { Panel3->setVisible(action(Command::Palette)->isChecked()); }},
        {Command::Redraw, [this] { etiq_->Redessine(); }},
        {Command::ObjectList, [this] { etiq_->Liste(); }},
        {Command::Properties, [this] { etiq_->Proprietes(); }},
        {Command::HelpIndex, [this] { HContents(); }},
        {Command::HelpSearch, [this] { HSearch(); }},
        {Command::HelpHowTo, [this] { HowToUse(); }},
        {Command::About, [this] { Dialogs::runModal(aboutBox_); }},
    };
}

void TMainForm::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    etiq_->FormCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TMainForm::FormClose() {
    SauveIni();
    helpViewer_->close();
}
