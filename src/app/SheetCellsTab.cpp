#include "SheetCellsTab.h"

#include "LabelCommands.h"
#include "SheetLayout.h"
#include "SpinEdit.h"
#include "TEcran.h"

#include <QFormLayout>
#include <QLabel>

SheetCellsTab::SheetCellsTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SheetCellsTab"));
    setWindowTitle(QStringLiteral("Étiquettes"));
    FirstCellBox = new SpinEdit(1, 1, 1, this);
    FirstCellBox->setObjectName(QStringLiteral("FirstCellBox"));
    CellCountBox = new SpinEdit(0, 1, 0, this);
    CellCountBox->setObjectName(QStringLiteral("CellCountBox"));
    CellCountBox->setSpecialValueText(QStringLiteral("jusqu'au bout de la planche"));
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Première étiquette :"), FirstCellBox);
    form->addRow(QStringLiteral("&Nombre d'étiquettes :"), CellCountBox);
    auto* note = new QLabel(
        QStringLiteral(
            "Les étiquettes sont comptées en rangées, de gauche à droite, à partir de 1. "
            "Celles d'avant la première restent blanches : elles ont déjà servi."),
        this);
    note->setWordWrap(true);
    form->addRow(note);
}

void SheetCellsTab::Init(const LabelCommands& label) {
    SheetLayout layout;
    const SheetJob job = label.sheetJob();
    layout.Init2(job, PaperSize{});
    setCellBoxes(*FirstCellBox, *CellCountBox, layout, job);
}

void SheetCellsTab::Result(LabelCommands& label) const {
    label.FirstCell = FirstCellBox->readValue() - 1;
    const int count = CellCountBox->readValue();
    label.CellCount = count > 0 ? count : -1;
}
