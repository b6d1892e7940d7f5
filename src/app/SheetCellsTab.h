#pragma once

#include <QWidget>

class LabelCommands;
class SpinEdit;

// The print dialog's "Étiquettes" tab: where printing starts on a partly used sheet and how
// many labels it prints, for the label window's sheet.
class SheetCellsTab : public QWidget {
    Q_OBJECT
public:
    explicit SheetCellsTab(QWidget* parent = nullptr);

    // Shows the label's choice, within the cells its sheet has.
    void Init(const LabelCommands& label);
    // Gives the choice back to the label.
    void Result(LabelCommands& label) const;

    SpinEdit* FirstCellBox = nullptr;
    SpinEdit* CellCountBox = nullptr;
};
