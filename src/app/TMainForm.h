#pragma once

#include "CommandTable.h"
#include "LineCodec.h"
#include "SettingsFile.h"
#include "ToolBarSource.h"

#include <QHash>
#include <QMainWindow>
#include <QTime>

#include <functional>
#include <memory>

enum class ButtonPicture;
class ColorPanel;
class HelpViewer;
class LabelDialogSet;
class QAbstractButton;
class QButtonGroup;
class QColorDialog;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;
class SpinEdit;
class TAboutBox;
class TEtiq;
class TNouveau;

// The main window: tool bar, tool column, colour palette, menus and status bar around the
// one label window, which does the work of every command.
class TMainForm : public QMainWindow, public ToolBarSource {
    Q_OBJECT
public:
    using Clock = std::function<QTime()>;

    // startDir holds the settings file; it is the directory the program was started in.
    explicit TMainForm(const QString& startDir, QWidget* parent = nullptr);
    ~TMainForm() override;

    ToolBarState GetStyles() override;
    void setPenWidthField(int width) override;
    void showStatus(const QString& text) override;

    void FormShow();
    void FormResize();
    void FormClose();
    void GetFontNames();
    void SetStyle123();
    void FileNewItemClick();
    void FileOpenItemClick();
    void Redimensionner1Click();
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
    QMenu* menu(int index) const { return menus_.value(index); }

    TEtiq* etiq() const { return etiq_; }
    TNouveau* nouveau() const { return nouveau_; }
    TAboutBox* aboutBox() const { return aboutBox_; }
    HelpViewer* helpViewer() const { return helpViewer_; }
    QColorDialog* colorDialog() const { return ColorDialog1; }

    void setClock(Clock clock) { clock_ = std::move(clock); }
    QString statusText(int panel) const;

    int ToolNumber = 1;
    int PenStyleCode = PenSolid;
    int BrushStyleCode = BrushClear;
    PageSetupValues PageSetup;
    LabelFormatValues LabelFormat;
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
    void buildSpeedPanel();
    void buildToolColumn();
    void buildPalette();
    void buildStatusBar();
    void connectControls();
    void layoutClient();
    void registerCommands();
    void resetLabelWindow();
    void chooseColor(ColorPanel* panel);
    void penStyleClicked(QAbstractButton* button);
    void focusLabel();
    QToolButton* makeButton(QWidget* parent, const QString& name, int x, int y,
                            ButtonPicture picture, const QString& hint);

    QHash<Command, std::function<void()>> commands_;
    QHash<Command, QAction*> actions_;
    QList<QMenu*> menus_;
    QWidget* client_ = nullptr;

    QFrame* SpeedPanel = nullptr;
    QComboBox* FontName = nullptr;
    SpinEdit* SpinEdit2 = nullptr;
    QToolButton* BoldButton = nullptr;
    QToolButton* ItalButton = nullptr;
    QToolButton* UnderButton = nullptr;

    QFrame* Panel1 = nullptr;
    QButtonGroup* toolGroup_ = nullptr;
    QButtonGroup* penGroup_ = nullptr;
    QButtonGroup* brushGroup_ = nullptr;
    SpinEdit* SpinEdit1 = nullptr;
    ColorPanel* ForeColor = nullptr;
    ColorPanel* Backcolor = nullptr;
    QColorDialog* ColorDialog1 = nullptr;

    QFrame* Panel3 = nullptr;
    QLabel* statusPanel0_ = nullptr;
    QLabel* statusPanel1_ = nullptr;
    QTimer* Timer1 = nullptr;
    Clock clock_;
    bool shown_ = false;

    TAboutBox* aboutBox_ = nullptr;
    TEtiq* etiq_ = nullptr;
    TNouveau* nouveau_ = nullptr;
    HelpViewer* helpViewer_ = nullptr;
    std::unique_ptr<LabelDialogSet> labelDialogs_;
};

// The colour of palette swatch i (0..26): red, green and blue each 0, 127 or 255.
ColorRef paletteColor(int index);
// The time as the status bar shows it: the locale's long time format, without a zone.
QString longTimeText(const QTime& time);
