#pragma once

#include "CommandTable.h"
#include "LineCodec.h"
#include "SettingsFile.h"
#include "SheetStock.h"

#include <QHash>
#include <QMainWindow>
#include <QTime>

#include <functional>
#include <memory>

class HelpViewer;
class LabelDialogSet;
class QColorDialog;
class QFrame;
class QLabel;
class QMenu;
class QTimer;
class TAboutBox;
class TCalendrier;
class TEtiq;
class THorloge;
class TMep;
class TNouveau;
class TPocket;
class PrinterDevice;
class QPrinter;
class ToolPanel;

// The main window: tool bar, tool column, colour palette, menus and status bar around the
// one label window, which does the work of every command.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    using Clock = std::function<QTime()>;

    // startDir holds the settings file; it is the directory the program was started in.
    explicit TMainForm(const QString& startDir, QWidget* parent = nullptr);
    ~TMainForm() override;

    void FormShow();
    void FormResize();
    void FormClose();
    void FileNewItemClick();
    void FileOpenItemClick();
    void Redimensionner1Click();
    void PrinterSetupClick();
    void Miseenpage1Click();
    void PrintClick();
    // Prints the calibration page on the printer chosen in the print dialog.
    void CalibrationPageClick();
    // The sheet as printed, without the printer's offset, in a PDF file; the label's drawing
    // in a PNG or SVG file. Each asks for the file's name first.
    void ExportPdfClick();
    void ExportImageClick();
    // "Fusion...": the address list the label is printed from.
    void MergeClick();
    void ChargeIni();
    void SauveIni();
    void HContents();
    void HSearch();
    void HowToUse();
    void Timer1Timer();
    void showHelpContext(int context);
    // Status panel 0: the hint under the mouse, or the pointer position on the label.
    void ShowHint(const QString& hint);

    // Runs a menu command; a failure is reported and the program goes on.
    void runCommand(Command command);
    QAction* action(Command command) const { return actions_.value(command); }
    // Whether the command has its handler; every entry of the table must.
    bool handles(Command command) const { return commands_.contains(command); }
    QMenu* menu(int index) const { return menus_.value(index); }

    TEtiq* etiq() const { return etiq_; }
    TNouveau* nouveau() const { return nouveau_; }
    TMep* mep() const { return mep_; }
    QPrinter* printer() const { return printer_.get(); }
    LabelDialogSet* labelDialogs() const { return labelDialogs_.get(); }
    TAboutBox* aboutBox() const { return aboutBox_; }
    HelpViewer* helpViewer() const { return helpViewer_; }
    TCalendrier* calendrier() const { return calendrier_; }
    THorloge* horloge() const { return horloge_; }
    TPocket* pocket() const { return pocket_; }
    ToolPanel* toolPanel() const { return toolPanel_.get(); }
    QColorDialog* colorDialog() const;

    void setClock(Clock clock) { clock_ = std::move(clock); }
    QString statusText(int panel) const;

    PageSetupValues PageSetup;
    // Each printer's calibration offset, kept in the settings file with the page setup.
    SettingsFile::PrinterOffsets PrinterOffsets;
    LabelFormatValues LabelFormat;
    // The sheet last chosen with the format, none for the sheet computed from it.
    std::optional<SheetStock> LabelStock;
    QString StartDir;
    LineList ObjectClipboard;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void createForms();
    void buildMenus();
    void buildStatusBar();
    void layoutClient();
    void registerCommands();
    void resetLabelWindow();
    void focusLabel();
    // The chosen printer's offset in millimetres; none when it prints to a file.
    QPointF printerOffset() const;
    // The name of a file to export to, beside the label and named after it; empty when the
    // user cancelled.
    QString askExportName(const QString& caption, const QString& suffix, const QString& filter);

    QHash<Command, std::function<void()>> commands_;
    QHash<Command, QAction*> actions_;
    QList<QMenu*> menus_;
    QWidget* client_ = nullptr;

    std::unique_ptr<ToolPanel> toolPanel_;
    QLabel* statusPanel0_ = nullptr;
    QLabel* statusPanel1_ = nullptr;
    QTimer* Timer1 = nullptr;
    Clock clock_;
    bool shown_ = false;

    TAboutBox* aboutBox_ = nullptr;
    TEtiq* etiq_ = nullptr;
    TNouveau* nouveau_ = nullptr;
    TMep* mep_ = nullptr;
    HelpViewer* helpViewer_ = nullptr;
    TCalendrier* calendrier_ = nullptr;
    THorloge* horloge_ = nullptr;
    TPocket* pocket_ = nullptr;
    // The printer chosen with "Configuration imprimante...", which every preview and print
    // lays the sheet out for.
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<PrinterDevice> printerDevice_;
    std::unique_ptr<LabelDialogSet> labelDialogs_;
};

// The time as the status bar shows it: the locale's long time format, without a zone.
QString longTimeText(const QTime& time);
