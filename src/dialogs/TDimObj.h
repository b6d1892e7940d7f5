#pragma once

#include "LineCodec.h"
#include "SelectionValuesDialog.h"

#include <optional>

class QCheckBox;

// "Dimensions de l'objet": the selection's width and height typed in, given back as a
// change of size. With "Garder proportions" the other box follows when the focus leaves one.
class TDimObj : public SelectionValuesDialog {
    Q_OBJECT
public:
    explicit TDimObj(QWidget* parent = nullptr);

    // Shows the selection's width and height, takes their ratio and forgets any previous
    // answer.
    void Init(const LabelRect& selection);
    // The change of width and height typed, when the dialog was closed with "OK"; (0, 0)
    // otherwise.
    void Result(int& dw, int& dh) const;

    // The focus left "Largeur" or "Hauteur": the other box follows when proportions are kept.
    void SpinEdit1Exit();
    void SpinEdit2Exit();

    QCheckBox* CheckBox1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Width / height; none when either side is not above zero, and then neither box follows.
    std::optional<double> ratio_;
};
