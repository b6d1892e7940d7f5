#pragma once

#include "AnsweredDialog.h"
#include "SheetStock.h"

#include <QList>

#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;
class SheetCatalogue;
class SpinEdit;

// The label format dialog: width, height and the spacings between copies, in millimetres,
// and the sheet the label is printed on ("Planche"). "Nouveau" opens it before a new label,
// "Redimensionner" before a resize.
class TNouveau : public AnsweredDialog {
    Q_OBJECT
public:
    explicit TNouveau(QWidget* parent = nullptr);

    // The four boxes and the sheet shown (none: "Calculée (A4)"), which the boxes do not
    // follow: they are the label's own format.
    void Init(int width, int height, int hspacing, int vspacing,
              const std::optional<SheetStock>& stock = std::nullopt);
    void Init2(int width, int height, int hspacing, int vspacing,
               const std::optional<SheetStock>& stock = std::nullopt);
    // width becomes 0 unless the dialog was last closed with "OK"; the other three are
    // written only then.
    void Result(int& width, int& height, int& hspacing, int& vspacing) const;
    // The sheet chosen in "Planche": none for "Calculée (A4)", the sheet computed from the
    // label's size.
    std::optional<SheetStock> chosenStock() const { return stock_; }
    // The catalogue the list offers: the standard one unless another is given (tests).
    void setCatalogue(const SheetCatalogue* catalogue);

    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill(int width, int height, int hspacing, int vspacing);
    void showStock(const std::optional<SheetStock>& stock);
    const SheetCatalogue& catalogue() const;
    // The list again for the words of the search field, the current choice kept in it.
    void refill();
    void choose(int index);

    SpinEdit* SpinEdit1;
    SpinEdit* SpinEdit2;
    SpinEdit* SpinEdit3;
    SpinEdit* SpinEdit4;
    QLineEdit* PlancheFiltre;
    QComboBox* Planche;
    QPushButton* Button1;
    QPushButton* Button2;

    const SheetCatalogue* catalogue_ = nullptr;
    std::optional<SheetStock> stock_;
    // The sheets behind the list's items after "Calculée (A4)".
    QList<SheetStock> offered_;
    bool refilling_ = false;
    bool problemsShown_ = false;
};
