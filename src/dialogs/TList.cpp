#include "TList.h"

#include "Dialogs.h"
#include "ObjectCommands.h"
#include "ObjectKinds.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace ObjectList {

QString entryText(const QByteArray& line) {
    const LineParts parts = LineCodec::splitLine(line);
    // A field that does not convert shows 0, and so do the fields after it.
    const LabelRect r = LineCodec::readRectLenient(parts.rectField);
    return QStringLiteral("%1  (%2,%3,%4,%5)")
        .arg(QString::fromUtf8(ObjectKinds::of(parts.keyword).listName))
        .arg(r.left)
        .arg(r.top)
        .arg(r.right)
        .arg(r.bottom);
}

QStringList entries(const LineList& lines) {
    QStringList list;
    for (qsizetype i = 2; i < lines.size(); ++i)
        list.append(entryText(lines[i]));
    return list;
}

} // namespace ObjectList

TList::TList(QWidget* parent) : AnsweredDialog(parent) {
    setWindowTitle(QStringLiteral("Liste des objets"));
    auto makeButton = [this](const char* name, const QString& hint, QStyle::StandardPixmap icon) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        button->setAutoRaise(true);
        button->setToolTip(hint);
        button->setStatusTip(hint);
        button->setIcon(style()->standardIcon(icon));
        return button;
    };
    SpeedButton1 = makeButton("SpeedButton1", QStringLiteral("Un arrière"), QStyle::SP_ArrowUp);
    SpeedButton2 = makeButton("SpeedButton2", QStringLiteral("Un avant"), QStyle::SP_ArrowDown);
    SpeedButton3 = makeButton("SpeedButton3", QStringLiteral("Supprimer"), QStyle::SP_TrashIcon);
    Button1 = new QPushButton(QStringLiteral("Fermer"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->installEventFilter(this);

    auto* strip = new QHBoxLayout;
    strip->addWidget(SpeedButton1);
    strip->addWidget(SpeedButton2);
    strip->addWidget(SpeedButton3);
    strip->addStretch();
    strip->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(strip);
    layout->addWidget(ListBox1, 1);
    resize(360, 300);

    connect(SpeedButton1, &QToolButton::clicked, this, &TList::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TList::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TList::SpeedButton3Click);
    connect(Button1, &QPushButton::clicked, this, &TList::Button1Click);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TList::ListBox1DblClick);
}

void TList::Init(const LineList& lines) {
    hasCopy_ = lines.size() >= 3;
    copy_ = hasCopy_ ? lines : LineList();
    changed_ = false;
    chosen_ = -1;
    forgetAnswer();
    Affiche();
}

int TList::Execute() {
    return Dialogs::runModal(this);
}

int TList::Result(LineList& lines) {
    int line = -1;
    if (accepted() && hasCopy_) {
        if (changed_)
            lines = copy_;
        if (chosen_ >= 0)
            line = chosen_ + 2;
    }
    copy_.clear();
    hasCopy_ = false;
    return line;
}

void TList::Affiche() {
    ListBox1->clear();
    ListBox1->addItems(ObjectList::entries(copy_));
}

void TList::Supprime() {
    if (!ObjectCommands::remove(copy_, selectedPosition()))
        return;
    Affiche();
    changed_ = true;
    chosen_ = -1;
}

void TList::SpeedButton1Click() {
    const int i = selectedPosition();
    if (!ObjectCommands::moveBack(copy_, i))
        return;
    Affiche();
    changed_ = true;
    chosen_ = -1;
    select(i - 1);
}

void TList::SpeedButton2Click() {
    const int i = selectedPosition();
    if (!ObjectCommands::moveForward(copy_, i))
        return;
    Affiche();
    changed_ = true;
    chosen_ = -1;
    select(i + 1);
}

void TList::SpeedButton3Click() {
    Supprime();
}

void TList::ListBox1DblClick() {
    choose();
}

void TList::Button1Click() {
    accept();
}

bool TList::ListBox1KeyDown(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Delete:
        Supprime();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        choose();
        return true;
    case Qt::Key_Escape:
        Button1Click();
        return true;
    default:
        return false;
    }
}

// Escape presses the list's one button, "Fermer", which keeps the edits; only the close box
// throws them away, as "Annuler" would.
void TList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        Button1Click();
    else
        AnsweredDialog::keyPressEvent(event);
}

bool TList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListBox1 && event->type() == QEvent::KeyPress)
        return ListBox1KeyDown(static_cast<QKeyEvent*>(event));
    return AnsweredDialog::eventFilter(watched, event);
}

int TList::selectedPosition() const {
    const QList<QListWidgetItem*> items = ListBox1->selectedItems();
    return items.isEmpty() ? -1 : ListBox1->row(items.first());
}

void TList::select(int position) {
    ListBox1->setCurrentRow(position, QItemSelectionModel::ClearAndSelect);
}

void TList::choose() {
    chosen_ = selectedPosition();
    accept();
}
