#include "SheetCellsTab.h"

#include "LabelCommands.h"
#include "SheetLayout.h"
#include "SpinEdit.h"

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
    const int cells = qMax(1, layout.columns() * layout.rows());
    FirstCellBox->setRange(1, cells);
    FirstCellBox->setValue(qBound(1, job.first + 1, cells));
    // With a list the count runs over its rows, sheet after sheet.
    const int most = layout.merge ? qMax<int>(cells, int(layout.merge->rows.size())) : cells;
    CellCountBox->setRange(0, most);
    CellCountBox->setValue(job.count < 0 ? 0 : qMin(job.count, most));
}

void SheetCellsTab::Result(LabelCommands& label) const {
    label.FirstCell = FirstCellBox->readValue() - 1;
    const int count = CellCountBox->readValue();
    label.CellCount = count > 0 ? count : -1;
}
