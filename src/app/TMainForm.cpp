#include "TMainForm.h"

#include "LabelDialogSet.h"

#include "BusyCursor.h"
#include "ButtonIcons.h"
#include "CalibrationPage.h"
#include "CommandLineOptions.h"
#include "Dialogs.h"
#include "ErrorReportingApplication.h"
#include "HelpViewer.h"
#include "LabelExport.h"
#include "LabelFile.h"
#include "PrintDevice.h"
#include "SheetCellsTab.h"
#include "TAboutBox.h"
#include "TFusion.h"
#include "TCalendrier.h"
#include "TEtiq.h"
#include "THorloge.h"
#include "TMep.h"
#include "TNouveau.h"
#include "TPocket.h"
#include "ToolPanel.h"
#include "UserError.h"
#include "VorlapHelp.h"

#include <QAction>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>

#include <algorithm>

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
    toolPanel_ = std::make_unique<ToolPanel>(client_, [this](Command c) { return action(c); });
    connect(toolPanel_.get(), &ToolPanel::controlUsed, this, &TMainForm::focusLabel);
    connect(toolPanel_.get(), &ToolPanel::status, this, &TMainForm::ShowHint);
    buildStatusBar();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    Timer1->start();
}

void TMainForm::createForms() {
    // Each form once, in the start-up order; the label window is
    // this window's child and lives as long as it.
    aboutBox_ = new TAboutBox(this);
    etiq_ = new TEtiq(client_);
    etiq_->setToolBarSource(toolPanel_.get());
    toolPanel_->attach(etiq_);
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printerDevice_ = std::make_unique<PrinterDevice>(*printer_);
    mep_ = new TMep(this);
    labelDialogs_ = std::make_unique<LabelDialogSet>(this);
    labelDialogs_->setPrinter(printerDevice_.get());
    etiq_->setLabelDialogs(labelDialogs_.get());
    // "[*]" is where Qt shows the "*" of a label with unsaved changes.
    const auto showCaption = [this](const QString& caption) {
        setWindowTitle(caption.isEmpty() ? QStringLiteral("Vorlap[*]")
                                         : caption + QStringLiteral("[*] - Vorlap"));
    };
    connect(etiq_, &QWidget::windowTitleChanged, this, showCaption);
    connect(etiq_, &TEtiq::modifiedChanged, this, &QWidget::setWindowModified);
    // "Annuler" and "Rétablir" are greyed when there is nothing to take back or redo.
    connect(etiq_, &TEtiq::historyChanged, this, [this](bool canUndo, bool canRedo) {
        action(Command::Undo)->setEnabled(canUndo);
        action(Command::Redo)->setEnabled(canRedo);
    });
    action(Command::Undo)->setEnabled(false);
    action(Command::Redo)->setEnabled(false);
    showCaption(etiq_->caption());
    nouveau_ = new TNouveau(this);
    calendrier_ = new TCalendrier(this);
    horloge_ = new THorloge(this);
    pocket_ = new TPocket(this);
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
        if (entry.otherShortcut.isEmpty())
            action->setShortcut(entry.shortcut);
        else
            action->setShortcuts({entry.shortcut, entry.otherShortcut});
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

    auto* helpKey = new QAction(this);
    helpKey->setObjectName(QStringLiteral("HelpShortcut"));
    helpKey->setShortcut(QKeySequence(Qt::Key_F1));
    addAction(helpKey);
    connect(helpKey, &QAction::triggered, this, &TMainForm::HContents);
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

void TMainForm::layoutClient() {
    const QRect label = toolPanel_->layout(client_->size());
    if (etiq_)
        etiq_->setGeometry(label);
}

QColorDialog* TMainForm::colorDialog() const {
    return toolPanel_->colorDialog();
}

void TMainForm::focusLabel() {
    // Keys typed, Ctrl+C/X/V and Del are meant for the label, not for the last control used.
    etiq_->setFocus(Qt::OtherFocusReason);
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
    toolPanel_->GetFontNames();
    toolPanel_->reset();
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

void TMainForm::resetLabelWindow() {
    const ToolBarState tools = toolPanel_->GetStyles();
    etiq_->SetIni(tools.toolNumber, tools.penWidth, tools.penStyle, tools.penColor, tools.fillColor,
                  tools.fillStyle);
    etiq_->SetPage(PageSetup.left, PageSetup.top, PageSetup.right, PageSetup.bottom,
                   PageSetup.zoom);
}

void TMainForm::FileNewItemClick() {
    if (!etiq_->SaveQuery())
        return;
    nouveau_->Init(LabelFormat.width, LabelFormat.height, LabelFormat.hspacing,
                   LabelFormat.vspacing, LabelStock);
    Dialogs::runModal(nouveau_);
    LabelFormatValues chosen = LabelFormat;
    nouveau_->Result(chosen.width, chosen.height, chosen.hspacing, chosen.vspacing);
    if (chosen.width > 10) {
        LabelFormat = chosen;
        LabelStock = nouveau_->chosenStock();
    }
    // A cancelled dialog still gives a new label, in the format and on the sheet used before.
    resetLabelWindow();
    etiq_->SetDim(LabelFormat.width, LabelFormat.height, LabelFormat.hspacing,
                  LabelFormat.vspacing);
    etiq_->setStock(LabelStock);
    // The list was the old label's: a new label prints every cell the same.
    etiq_->setMergeFile(QString());
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
    ShowHint(QStringLiteral("Ouverture de %1...").arg(QFileInfo(path).fileName()));
    statusPanel0_->repaint();
    // Resetting the label window forgets its name and size, so a file that cannot be read
    // must be found out before.
    LineList content;
    {
        const BusyCursor busy;
        content = LabelFile::readLabel(path);
    }
    resetLabelWindow();
    etiq_->Charge(path, std::move(content));
    ShowHint(QString());
}

void TMainForm::Redimensionner1Click() {
    // The sheet shown is the label's own, which may come from its file.
    nouveau_->Init2(LabelFormat.width, LabelFormat.height, LabelFormat.hspacing,
                    LabelFormat.vspacing, etiq_->document().Stock);
    Dialogs::runModal(nouveau_);
    LabelFormatValues chosen = LabelFormat;
    nouveau_->Result(chosen.width, chosen.height, chosen.hspacing, chosen.vspacing);
    if (chosen.width <= 10)
        return;
    LabelFormat = chosen;
    LabelStock = nouveau_->chosenStock();
    etiq_->SetDim(LabelFormat.width, LabelFormat.height, LabelFormat.hspacing,
                  LabelFormat.vspacing);
    etiq_->setStock(LabelStock);
}

void TMainForm::PrinterSetupClick() {
    QPrintDialog dialog(printer_.get(), this);
    dialog.setWindowTitle(QStringLiteral("Configuration de l'imprimante"));
    // Choosing the printer prints nothing yet: the button says so.
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    Dialogs::runModal(&dialog);
}

void TMainForm::Miseenpage1Click() {
    mep_->Init(PageSetup.left, PageSetup.top, PageSetup.right, PageSetup.bottom, PageSetup.zoom);
    const QString printer = printer_->printerName();
    mep_->InitOffset(printer, PrinterOffsets.value(printer));
    Dialogs::runModal(mep_);
    mep_->Result(PageSetup.left, PageSetup.top, PageSetup.right, PageSetup.bottom, PageSetup.zoom);
    QPoint offset;
    if (mep_->ResultOffset(offset)) {
        if (offset.isNull())
            PrinterOffsets.remove(printer);
        else
            PrinterOffsets.insert(printer, offset);
    }
    etiq_->SetPage(PageSetup.left, PageSetup.top, PageSetup.right, PageSetup.bottom,
                   PageSetup.zoom);
}

void TMainForm::PrintClick() {
    QPrintDialog dialog(printer_.get(), this);
    dialog.setWindowTitle(QStringLiteral("Imprimer"));
    // Where printing starts on a partly used sheet, and how many labels.
    auto* cells = new SheetCellsTab;
    cells->Init(*etiq_);
    dialog.setOptionTabs({cells});
    if (Dialogs::runModal(&dialog) != QDialog::Accepted)
        return;
    cells->Result(*etiq_);
    // The printer chosen in the dialog makes good its feed error; the offset leaves the label
    // window with the job, so that nothing else drawn from the label moves.
    etiq_->PrinterOffset = printerOffset();
    const auto noOffset = qScopeGuard([this] { etiq_->PrinterOffset = QPointF(); });
    etiq_->Imprime(qMax(1, printer_->copyCount()));
}

void TMainForm::CalibrationPageClick() {
    QPrintDialog dialog(printer_.get(), this);
    dialog.setWindowTitle(QStringLiteral("Page de calibrage"));
    if (Dialogs::runModal(&dialog) != QDialog::Accepted)
        return;
    const bool onPaper = printer_->outputFormat() == QPrinter::NativeFormat;
    printCalibrationPage(*printerDevice_, printerOffset(),
                         onPaper ? printer_->printerName() : QString());
}

QPointF TMainForm::printerOffset() const {
    // A print to a file is no paper: it keeps the true places, as a PDF export does.
    if (printer_->outputFormat() != QPrinter::NativeFormat)
        return {};
    const QPoint tenths = PrinterOffsets.value(printer_->printerName());
    return {tenths.x() / 10.0, tenths.y() / 10.0};
}

QString TMainForm::askExportName(const QString& caption, const QString& suffix,
                                 const QString& filter) {
    const QString label = etiq_->document().FileName;
    const QString proposed = label.isEmpty() ? QString()
                                             : QFileInfo(label).absolutePath() + QLatin1Char('/') +
                                                   QFileInfo(label).completeBaseName() +
                                                   QLatin1Char('.') + suffix;
    QString path = Dialogs::saveFileName(this, caption, proposed, filter);
    if (path.isEmpty())
        return path;
    // A name without one of the filter's extensions gets the first.
    const QString given = QFileInfo(path).suffix().toLower();
    if (given.isEmpty() || !filter.contains(QStringLiteral("(*.") + given + QLatin1Char(')')))
        path += QLatin1Char('.') + suffix;
    return path;
}

void TMainForm::ExportPdfClick() {
    const QString path = askExportName(QStringLiteral("Exporter en PDF"), QStringLiteral("pdf"),
                                       QStringLiteral("Documents PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    SheetJob job = etiq_->sheetJob();
    // The offset makes good one printer's feed: a PDF is printed anywhere.
    job.offset = QPointF();
    QStringList warnings;
    {
        const BusyCursor busy;
        LabelExport::writeSheetPdf(path, job, CommandLineOptions::kDefaultDpi, 1, &warnings);
    }
    if (!warnings.isEmpty())
        Dialogs::warning(this, warnings.join(QLatin1Char('\n')));
}

void TMainForm::ExportImageClick() {
    const QString path =
        askExportName(QStringLiteral("Exporter l'étiquette en image"), QStringLiteral("png"),
                      QStringLiteral("Image PNG (*.png);;Image SVG (*.svg)"));
    if (path.isEmpty())
        return;
    // The selection is the window's, not the label's: the picture shows none.
    const LabelDocument label = LabelExport::withoutSelection(etiq_->document());
    const BusyCursor busy;
    if (QFileInfo(path).suffix().compare(QStringLiteral("svg"), Qt::CaseInsensitive) == 0)
        LabelExport::writeLabelSvg(path, label);
    else
        LabelExport::writeLabelPng(path, label);
}

void TMainForm::MergeClick() {
    const QString label = etiq_->document().FileName;
    TFusion dialog(this);
    dialog.Init(etiq_->document().MergeFile,
                label.isEmpty() ? QString() : QFileInfo(label).absolutePath());
    Dialogs::runModal(&dialog);
    if (dialog.accepted())
        etiq_->setMergeFile(dialog.Result());
}

void TMainForm::ChargeIni() {
    const QString path = SettingsFile::pathToLoad(StartDir);
    PageSetup = SettingsFile::read(path, PageSetup);
    PrinterOffsets = SettingsFile::readOffsets(path);
}

void TMainForm::SauveIni() {
    // A settings file that cannot be written anywhere only loses this run's settings.
    SettingsFile::save(StartDir, PageSetup, PrinterOffsets);
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
    // preview, the object commands and their dialogs join as they come.
    commands_ = {
        {Command::FileNew, [this] { FileNewItemClick(); }},
        {Command::FileOpen, [this] { FileOpenItemClick(); }},
        {Command::FileSave, [this] { etiq_->Sauve(0); }},
        {Command::FileSaveAs, [this] { etiq_->Sauve(1); }},
        {Command::Quit, [this] { close(); }},
        {Command::Undo, [this] { etiq_->Annuler(); }},
        {Command::Redo, [this] { etiq_->Retablir(); }},
        {Command::Cut, [this] { etiq_->Couper(ObjectClipboard); }},
        {Command::Copy, [this] { etiq_->Copier(ObjectClipboard); }},
        {Command::Paste, [this] { etiq_->Coller(ObjectClipboard); }},
        {Command::Delete, [this] { etiq_->Supprimer(); }},
        {Command::SelectAll, [this] { etiq_->ToutSel(); }},
        {Command::DeselectAll, [this] { etiq_->ToutDesel(); }},
        {Command::Lock, [this] { etiq_->Verrouiller(); }},
        {Command::UnlockAll, [this] { etiq_->Deverrouiller(); }},
        {Command::Group, [this] { etiq_->Grouper(); }},
        {Command::Ungroup, [this] { etiq_->Dissocier(); }},
        {Command::ToFront, [this] { etiq_->AvPlan(); }},
        {Command::ToBack, [this] { etiq_->ArPlan(); }},
        {Command::OneDown, [this] { etiq_->UnDessous(); }},
        {Command::OneUp, [this] { etiq_->UnDessus(); }},
        {Command::Position, [this] { etiq_->Position(); }},
        {Command::Size, [this] { etiq_->Taille(); }},
        {Command::Modify,
         [this] {
             labelDialogs_->Modif.Initfont(toolPanel_->fontNames());
             etiq_->Modifier();
         }},
        {Command::Background, [this] { etiq_->FondPage(); }},
        {Command::ClearLabel, [this] { etiq_->Effacer(); }},
        {Command::Resize, [this] { Redimensionner1Click(); }},
        {Command::PrinterSetup, [this] { PrinterSetupClick(); }},
        {Command::PageSetup, [this] { Miseenpage1Click(); }},
        {Command::Preview, [this] { etiq_->Apercu(); }},
        {Command::Print, [this] { PrintClick(); }},
        {Command::CalibrationPage, [this] { CalibrationPageClick(); }},
        {Command::ExportPdf, [this] { ExportPdfClick(); }},
        {Command::ExportImage, [this] { ExportImageClick(); }},
        {Command::Merge, [this] { MergeClick(); }},
        {Command::Palette,
         [this] { toolPanel_->setPaletteVisible(action(Command::Palette)->isChecked()); }},
        {Command::Redraw, [this] { etiq_->Redessine(); }},
        {Command::ObjectList, [this] { etiq_->Liste(); }},
        {Command::Properties, [this] { etiq_->Proprietes(); }},
        {Command::Calendar, [this] { Dialogs::runModal(calendrier_); }},
        {Command::Calculator, [this] { Dialogs::runModal(pocket_); }},
        {Command::Clock, [this] { Dialogs::runModal(horloge_); }},
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
