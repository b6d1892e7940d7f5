#pragma once

#include "LineCodec.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QPushButton;
class SpinEdit;

// "Dimensions de l'objet": the selection's width and height typed in, given back as a
// change of size. With "Garder proportions" the other box follows when the focus leaves one.
class TDimObj : public QDialog {
    Q_OBJECT
public:
    explicit TDimObj(QWidget* parent = nullptr);

    // Shows the selection's width and height, takes their ratio and forgets any previous
    // answer.
    void Init(const LabelRect& selection);
    // Runs the dialog modally through the program's dialog seam.
    int Execute();
    // The change of width and height typed, when the dialog was closed with "OK"; (0, 0)
    // otherwise.
    void Result(int& dw, int& dh) const;

    // The focus left "Largeur" or "Hauteur": the other box follows when proportions are kept.
    void SpinEdit1Exit();
    void SpinEdit2Exit();
    void Button1Click();
    void Button2Click();
    bool accepted() const { return accepted_; }

    // Escape and the close box both land here and count as "Annuler".
    void reject() override;

    SpinEdit* SpinEdit1 = nullptr;
    SpinEdit* SpinEdit2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int startWidth_ = 0;
    int startHeight_ = 0;
    int shownWidth_ = 0;
    int shownHeight_ = 0;
    // Width / height; none when either side is not above zero, and then neither box follows.
    std::optional<double> ratio_;
    bool accepted_ = false;
};
