#include "TNouveau.h"

#include "Dialogs.h"
#include "SheetCatalogue.h"
#include "SpinEdit.h"

#include "DialogButtons.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

// The same sheet whatever the file kept of it: a label's file holds the figures and the code,
// not the description.
bool sameSheet(const SheetStock& a, const SheetStock& b) {
    return a.code.compare(b.code, Qt::CaseInsensitive) == 0 && a.labelWidth == b.labelWidth &&
           a.labelHeight == b.labelHeight && a.columns == b.columns && a.rows == b.rows &&
           a.hPitch == b.hPitch && a.vPitch == b.vPitch && a.left == b.left && a.top == b.top &&
           a.shape == b.shape;
}

QString itemText(const SheetStock& stock) {
    const QString description =
        stock.description.isEmpty() ? QStringLiteral("planche de l'étiquette") : stock.description;
    return QStringLiteral("%1 — %2 — %3 mm, %4 x %5")
        .arg(stock.code, description, SheetCatalogue::sizeText(stock))
        .arg(stock.columns)
        .arg(stock.rows);
}

constexpr int kProblemsShown = 10;

} // namespace

TNouveau::TNouveau(QWidget* parent) : AnsweredDialog(parent) {
    setObjectName(QStringLiteral("Nouveau"));
    setWindowTitle(QStringLiteral("Nouveau"));
    setFixedSize(374, 275);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* group = new QGroupBox(QStringLiteral("Format de l'étiquette (en mm)"), this);
    group->setGeometry(8, 10, 265, 167);

    struct Row {
        const char* caption;
        int minimum;
        int maximum;
    };
    const Row rows[] = {{"Largeur", 10, 300},
                        {"Hauteur", 10, 300},
                        {"Espacement horizontal", 0, 200},
                        {"Espacement vertical", 0, 200}};
    SpinEdit** boxes[] = {&SpinEdit1, &SpinEdit2, &SpinEdit3, &SpinEdit4};
    for (int i = 0; i < 4; ++i) {
        const int y = 28 + 36 * i;
        auto* caption = new QLabel(QString::fromUtf8(rows[i].caption), group);
        caption->setGeometry(12, y, 160, 22);
        auto* box = new SpinEdit(rows[i].minimum, rows[i].maximum, rows[i].minimum, group);
        box->setObjectName(QStringLiteral("SpinEdit%1").arg(i + 1));
        box->setGeometry(176, y, 65, 22);
        caption->setBuddy(box);
        *boxes[i] = box;
    }
    fill(70, 42, 0, 0);

    // Made before the buttons, so that Tab goes from the boxes to the search and the list.
    auto* sheetGroup = new QGroupBox(QStringLiteral("Planche"), this);
    sheetGroup->setObjectName(QStringLiteral("PlancheGroupe"));
    sheetGroup->setGeometry(8, 185, 358, 80);
    auto* searchCaption = new QLabel(QStringLiteral("&Rechercher"), sheetGroup);
    searchCaption->setGeometry(12, 20, 80, 22);
    PlancheFiltre = new QLineEdit(sheetGroup);
    PlancheFiltre->setObjectName(QStringLiteral("PlancheFiltre"));
    PlancheFiltre->setGeometry(96, 20, 250, 22);
    PlancheFiltre->setPlaceholderText(QStringLiteral("marque, code ou taille"));
    PlancheFiltre->setClearButtonEnabled(true);
    PlancheFiltre->installEventFilter(this);
    searchCaption->setBuddy(PlancheFiltre);
    auto* listCaption = new QLabel(QStringLiteral("&Planche"), sheetGroup);
    listCaption->setGeometry(12, 48, 80, 22);
    Planche = new QComboBox(sheetGroup);
    Planche->setObjectName(QStringLiteral("Planche"));
    Planche->setGeometry(96, 48, 250, 22);
    Planche->view()->setMinimumWidth(440);
    listCaption->setBuddy(Planche);
    Planche->addItem(QStringLiteral("Calculée (A4)"));
    connect(PlancheFiltre, &QLineEdit::textChanged, this, &TNouveau::refill);
    connect(Planche, &QComboBox::currentIndexChanged, this, &TNouveau::choose);

    const CancelOkButtons cancelOk = makeCancelOkButtons(this, EnterPresses::TheDefault);
    Button1 = cancelOk.cancel;
    Button2 = cancelOk.ok;
    Button1->setGeometry(288, 134, 75, 25);
    Button2->setGeometry(288, 174, 75, 25);
    Button2->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TNouveau::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TNouveau::Button2Click);
}

void TNouveau::fill(int width, int height, int hspacing, int vspacing) {
    SpinEdit1->setValue(width);
    SpinEdit2->setValue(height);
    SpinEdit3->setValue(hspacing);
    SpinEdit4->setValue(vspacing);
}

void TNouveau::Init(int width, int height, int hspacing, int vspacing,
                    const std::optional<SheetStock>& stock) {
    fill(width, height, hspacing, vspacing);
    showStock(stock);
    setWindowTitle(QStringLiteral("Nouveau"));
}

void TNouveau::Init2(int width, int height, int hspacing, int vspacing,
                     const std::optional<SheetStock>& stock) {
    fill(width, height, hspacing, vspacing);
    showStock(stock);
    setWindowTitle(QStringLiteral("Redimensionner"));
}

void TNouveau::showStock(const std::optional<SheetStock>& stock) {
    stock_ = stock;
    // The catalogue's entry, with its description, when the label's sheet is one of them.
    if (stock)
        if (const SheetStock* entry = catalogue().find(stock->code);
            entry && sameSheet(*entry, *stock))
            stock_ = *entry;
    const bool wasRefilling = refilling_;
    refilling_ = true;
    PlancheFiltre->clear();
    refilling_ = wasRefilling;
    refill();
}

void TNouveau::setCatalogue(const SheetCatalogue* catalogue) {
    catalogue_ = catalogue;
    problemsShown_ = false;
    refill();
}

const SheetCatalogue& TNouveau::catalogue() const {
    return catalogue_ ? *catalogue_ : SheetCatalogue::standard();
}

void TNouveau::refill() {
    if (refilling_)
        return;
    refilling_ = true;
    offered_.clear();
    for (const SheetStock* entry : catalogue().search(PlancheFiltre->text()))
        offered_.append(*entry);
    int current = 0;
    if (stock_) {
        const auto at = std::find_if(offered_.cbegin(), offered_.cend(),
                                     [&](const SheetStock& s) { return sameSheet(s, *stock_); });
        current = int(at - offered_.cbegin()) + 1;
        // The choice stays in the list whatever is typed: searching never changes it.
        if (at == offered_.cend()) {
            offered_.prepend(*stock_);
            current = 1;
        }
    }
    Planche->clear();
    Planche->addItem(QStringLiteral("Calculée (A4)"));
    for (const SheetStock& stock : offered_)
        Planche->addItem(itemText(stock));
    Planche->setCurrentIndex(current);
    refilling_ = false;
}

void TNouveau::choose(int index) {
    if (refilling_ || index < 0)
        return;
    if (index == 0) {
        stock_.reset();
        return;
    }
    stock_ = offered_.value(index - 1);
    // The boxes are the drawing area: the label's size rounded down to whole millimetres.
    const LabelFormatValues format = stock_->format();
    fill(format.width, format.height, format.hspacing, format.vspacing);
}

void TNouveau::Result(int& width, int& height, int& hspacing, int& vspacing) const {
    width = 0;
    if (!accepted())
        return;
    // Read through the same rule as leaving the box, so Enter on a typed 5 still gives 10.
    width = SpinEdit1->readValue();
    height = SpinEdit2->readValue();
    hspacing = SpinEdit3->readValue();
    vspacing = SpinEdit4->readValue();
}

void TNouveau::Button1Click() {
    reject();
}

void TNouveau::Button2Click() {
    accept();
}

bool TNouveau::eventFilter(QObject* watched, QEvent* event) {
    // The arrow keys in the search field go through the list it filters.
    if (watched == PlancheFiltre && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up) {
            const int step = key == Qt::Key_Down ? 1 : -1;
            Planche->setCurrentIndex(
                qBound(0, Planche->currentIndex() + step, Planche->count() - 1));
            return true;
        }
    }
    return AnsweredDialog::eventFilter(watched, event);
}

void TNouveau::showEvent(QShowEvent* event) {
    AnsweredDialog::showEvent(event);
    Button2->setFocus();
    // The lines of the user's catalogue that were left out are told once, over the dialog.
    const QStringList& problems = catalogue().problems();
    if (problemsShown_ || problems.isEmpty())
        return;
    problemsShown_ = true;
    QString text =
        QStringLiteral("Des lignes du catalogue des planches ont été laissées de côté :\n");
    for (const QString& problem : problems.first(qMin(problems.size(), kProblemsShown)))
        text += QStringLiteral("\n") + problem;
    if (problems.size() > kProblemsShown)
        text += QStringLiteral("\n(et %1 autres)").arg(problems.size() - kProblemsShown);
    QTimer::singleShot(0, this, [this, text] { Dialogs::warning(this, text); });
}
