#pragma once

#include "AnsweredDialog.h"
#include "LineCodec.h"

#include <QByteArray>
#include <QStringList>

class BarcodeFields;
class ColorPanel;
class QButtonGroup;
class QColorDialog;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class SpinEdit;

// "Modifier objet": the pen, fill, font and arrow attributes of one object line, on the page
// that fits its kind. The line's geometry comes back as it was given; only a text object's
// text may change.
class TModif : public AnsweredDialog {
    Q_OBJECT
public:
    enum Page { LinesPage, ShapesPage, TextPage, BarcodePage };

    explicit TModif(QWidget* parent = nullptr);

    // The font names the text page offers; closing the dialog empties the list again.
    void Initfont(const QStringList& fontNames);
    // Reads the line and prepares its kind's page.
    void Init(const QByteArray& line);
    // Runs the dialog modally through the program's dialog seam.
    int Execute();
    // The rebuilt line when the dialog was closed with "OK", else an empty text.
    QByteArray Result() const;
    // Reads a style block (without arrow marker) into the values the pages edit.
    void SetStyles(QByteArrayView block);
    // The style block of the values as edited.
    QByteArray GetStyles() const;

    // Fills the current page's controls from the values.
    void FormShow();
    void Notebook1PageChanged();
    void FormClose();
    void Panel1Click();
    void Panel2Click();
    void Panel3Click();
    void Panel4Click();
    void Button1Click();
    void Button2Click();

    void done(int result) override;

    QStackedWidget* Notebook1 = nullptr;
    // Page 1: lines.
    QLabel* Label1 = nullptr;
    ColorPanel* Panel1 = nullptr;
    SpinEdit* SpinEdit1 = nullptr;
    QButtonGroup* penStyles1 = nullptr; // SolidPen .. ClearPen, ids 0..5
    QButtonGroup* arrows = nullptr;     // SpeedButton7 .. SpeedButton10, ids 0..3
    // Page 2: closed shapes.
    QLabel* Label2 = nullptr;
    ColorPanel* Panel2 = nullptr;
    SpinEdit* SpinEdit2 = nullptr;
    QButtonGroup* penStyles2 = nullptr; // SpeedButton1 .. SpeedButton6, ids 0..5
    ColorPanel* Panel3 = nullptr;
    QButtonGroup* brushStyles = nullptr; // SolidBrush 0, ClearBrush 1
    // Page 3: text.
    QLabel* Label3 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    SpinEdit* SpinEdit3 = nullptr;
    ColorPanel* Panel4 = nullptr;
    QButtonGroup* fontStyles = nullptr; // RadioButton4 0, RadioButton1..3 1..3
    // Page 4: barcodes.
    QLabel* Label4 = nullptr;
    BarcodeFields* Fields = nullptr;
    ColorPanel* Panel5 = nullptr;         // the bars: the pen colour
    ColorPanel* Panel6 = nullptr;         // the background: the brush
    QButtonGroup* brushStyles2 = nullptr; // SolidBrush2 0, ClearBrush2 1
    QComboBox* ComboBox2 = nullptr;
    ColorPanel* Panel7 = nullptr; // the text: the font colour
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QColorDialog* ColorDialog1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeLinesPage();
    QWidget* makeShapesPage();
    QWidget* makeTextPage();
    QWidget* makeBarcodePage();
    void showPage(Page page, const QString& title);
    // Runs the colour choice for a swatch; the swatch's colour is what is kept.
    ColorRef chooseColor(ColorPanel* panel);
    void Edit1Change(const QString& text);

    QByteArray line_; // the line given; parts_ looks into it
    LineParts parts_;
    bool isText_ = false;
    bool isBarcode_ = false;
    bool textChanged_ = false;
    QByteArray text_; // the text object's new text, once the field changed
    char arrow_ = '0';
    StyleBlock style_;
    bool filling_ = false; // controls being set from the values, not edited
};
