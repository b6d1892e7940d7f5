#pragma once

#include "CommandTable.h"
#include "ToolBarSource.h"

#include <QObject>

#include <functional>

enum class ButtonPicture;
class ColorPanel;
class QAbstractButton;
class QAction;
class QButtonGroup;
class QColorDialog;
class QComboBox;
class QFrame;
class QToolButton;
class QWidget;
class SpinEdit;
class TEtiq;

// The controls around the label window that hold the drawing state: the tool bar with its
// command buttons and font controls, the column of tools, pen styles, pen width, colours
// and fills, and the colour palette. The label window reads the state through
// ToolBarSource; every control tells the label window at once.
class ToolPanel : public QObject, public ToolBarSource {
    Q_OBJECT
public:
    // Builds the controls on `client`; the speed buttons run the commands `action` gives.
    ToolPanel(QWidget* client, const std::function<QAction*(Command)>& action,
              QObject* parent = nullptr);

    // The label window the controls act on.
    void attach(TEtiq* etiq);
    // Places the three strips around the label window in a client area of that size and
    // returns the room left for the label window.
    QRect layout(QSize client) const;
    // The start values: pointer, solid pen, no fill.
    void reset();
    // Fills the font list with the machine's fonts and the three stored names, sorted.
    void GetFontNames();
    void setPaletteVisible(bool visible);
    // The font names the font box offers.
    QStringList fontNames() const;

    ToolBarState GetStyles() override;
    void setPenWidthField(int width) override;
    void showStatus(const QString& text) override;

    QColorDialog* colorDialog() const { return ColorDialog1; }

    int ToolNumber = 1;
    int PenStyleCode = 0;
    int BrushStyleCode = 1;

signals:
    // A control was used: the keyboard goes back to the label.
    void controlUsed();
    // Text for status panel 0 ("Position : (%d,%d)").
    void status(const QString& text);

private:
    void buildSpeedPanel(QWidget* client, const std::function<QAction*(Command)>& action);
    void buildToolColumn(QWidget* client);
    void buildPalette(QWidget* client);
    void connectControls();
    void penStyleClicked(QAbstractButton* button);
    void chooseColor(ColorPanel* panel);
    QToolButton* makeButton(QWidget* parent, const QString& name, int x, int y,
                            ButtonPicture picture, const QString& hint);

    TEtiq* etiq_ = nullptr;

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
};

// The colour of palette swatch i (0..26): red, green and blue each 0, 127 or 255.
ColorRef paletteColor(int index);
