#pragma once

#include "AnsweredDialog.h"
#include "Barcode.h"
#include "LabelDialogs.h"

#include <QWidget>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The symbology, data and human-readable text of a barcode, as the new-barcode dialog and the
// barcode page of "Modifier objet" edit them.
class BarcodeFields : public QWidget {
    Q_OBJECT
public:
    explicit BarcodeFields(QWidget* parent = nullptr);

    // Shows a line's barcode; a symbology the program does not know shows as the first one.
    void setValues(const BarcodeData& barcode, bool humanReadable);
    const SymbologyInfo& symbology() const;
    // The data as the line will hold it (Windows-1252).
    QByteArray data() const;
    bool humanReadable() const;
    QByteArray kindData() const;
    // Whether Zint takes the data; if not, says why in a message box and puts the cursor in the
    // data field.
    bool acceptable();

    QComboBox* Symbology = nullptr;
    QLineEdit* Data = nullptr;
    QCheckBox* HumanReadable = nullptr;
    QLabel* Hint = nullptr;

private:
    void symbologyChanged();
    void keepStorable(const QString& text);
};

// "Code-barres": what the barcode tool asks for once its box is drawn.
class BarcodeDialog : public AnsweredDialog {
    Q_OBJECT
public:
    explicit BarcodeDialog(QWidget* parent = nullptr);

    // A new question: the symbology and text choice of the last barcode stay, the data goes.
    void Init();
    int Execute();
    // The barcode typed, when the dialog was closed with "OK".
    std::optional<NewBarcode> Result() const;

    BarcodeFields* Fields = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};
