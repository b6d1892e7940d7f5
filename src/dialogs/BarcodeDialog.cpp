#include "BarcodeDialog.h"

#include "DialogButtons.h"
#include "Dialogs.h"
#include "MergeList.h"
#include "Windows1252.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

BarcodeFields::BarcodeFields(QWidget* parent) : QWidget(parent) {
    Symbology = new QComboBox(this);
    Symbology->setObjectName(QStringLiteral("Symbology"));
    for (const SymbologyInfo& row : Barcodes::symbologies())
        Symbology->addItem(QString::fromUtf8(row.name));
    Data = new QLineEdit(this);
    Data->setObjectName(QStringLiteral("Data"));
    Data->setMinimumWidth(300);
    Hint = new QLabel(this);
    Hint->setObjectName(QStringLiteral("Hint"));
    HumanReadable = new QCheckBox(QStringLiteral("&Texte lisible sous les barres"), this);
    HumanReadable->setObjectName(QStringLiteral("HumanReadable"));
    HumanReadable->setChecked(true);

    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(QStringLiteral("&Symbologie"), Symbology);
    form->addRow(QStringLiteral("&Données"), Data);
    form->addRow(QString(), Hint);
    form->addRow(QString(), HumanReadable);

    connect(Symbology, &QComboBox::currentIndexChanged, this, &BarcodeFields::symbologyChanged);
    connect(Data, &QLineEdit::textChanged, this, &BarcodeFields::keepStorable);
    symbologyChanged();
}

void BarcodeFields::setValues(const BarcodeData& barcode, bool humanReadable) {
    Symbology->setCurrentIndex(barcode.symbology ? int(barcode.symbology->symbology) : 0);
    Data->setText(Windows1252::toUnicode(barcode.data));
    HumanReadable->setChecked(humanReadable);
}

const SymbologyInfo& BarcodeFields::symbology() const {
    return Barcodes::symbologies()[qMax(0, Symbology->currentIndex())];
}

QByteArray BarcodeFields::data() const {
    return Windows1252::fromUnicode(Data->text());
}

bool BarcodeFields::humanReadable() const {
    return HumanReadable->isChecked();
}

QByteArray BarcodeFields::kindData() const {
    return Barcodes::kindData(symbology(), data());
}

bool BarcodeFields::acceptable() {
    // Data taken from an address list is known only row by row, when the sheet is printed.
    if (!MergeFields::references(data()).isEmpty())
        return true;
    const QString error = Barcodes::check(symbology(), data());
    if (error.isEmpty())
        return true;
    Dialogs::warning(window(), error);
    Data->setFocus();
    Data->selectAll();
    return false;
}

void BarcodeFields::symbologyChanged() {
    const SymbologyInfo& row = symbology();
    QString hint = QString::fromUtf8(row.expected);
    hint[0] = hint[0].toUpper();
    if (row.digits > 0)
        hint += QStringLiteral(" ; le chiffre de contrôle est ajouté");
    Hint->setText(hint);
    // Matrices and stacks carry no text of their own.
    HumanReadable->setEnabled(row.linear);
}

void BarcodeFields::keepStorable(const QString& text) {
    // The field shows what the line will hold: '?' for a character the label's code page lacks.
    const QString stored = Windows1252::toUnicode(Windows1252::fromUnicode(text));
    if (stored == text)
        return;
    const int cursor = Data->cursorPosition();
    const QSignalBlocker blocker(Data);
    Data->setText(stored);
    Data->setCursorPosition(cursor);
}

BarcodeDialog::BarcodeDialog(QWidget* parent) : AnsweredDialog(parent) {
    setObjectName(QStringLiteral("CodeBarres"));
    setWindowTitle(QStringLiteral("Code-barres"));
    Fields = new BarcodeFields(this);
    // Enter in the data field is "OK", as in the text tool's field.
    const CancelOkButtons cancelOk = makeCancelOkButtons(this, EnterPresses::TheDefault);
    Button1 = cancelOk.cancel;
    Button2 = cancelOk.ok;
    Button2->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button2, &QPushButton::clicked, this, [this] {
        if (Fields->acceptable())
            accept();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Fields);
    layout->addLayout(buttons);
    setFocusProxy(Fields->Data);
}

void BarcodeDialog::Init() {
    forgetAnswer();
    Fields->Data->clear();
    Fields->Data->setFocus();
}

int BarcodeDialog::Execute() {
    return Dialogs::runModal(this);
}

std::optional<NewBarcode> BarcodeDialog::Result() const {
    if (!accepted())
        return std::nullopt;
    return NewBarcode{Fields->kindData(), Fields->humanReadable()};
}
