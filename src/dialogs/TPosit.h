#pragma once

#include "LineCodec.h"
#include "SelectionValuesDialog.h"

// "Position de l'objet": the selection's left and top typed in, given back as a move.
class TPosit : public SelectionValuesDialog {
    Q_OBJECT
public:
    explicit TPosit(QWidget* parent = nullptr);

    // Shows the selection's left and top and forgets any previous answer.
    void Init(const LabelRect& selection);
    // The move typed, when the dialog was closed with "OK"; (0, 0) otherwise.
    void Result(int& dx, int& dy) const;
};
