#include "TFusion.h"

#include "Dialogs.h"
#include "UserError.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

TFusion::TFusion(QWidget* parent) : AnsweredDialog(parent) {
    setObjectName(QStringLiteral("Fusion"));
    setWindowTitle(QStringLiteral("Fusion"));
    resize(560, 380);
    auto* grid = new QGridLayout(this);
    auto* caption = new QLabel(QStringLiteral("&Liste :"), this);
    FileEdit = new QLineEdit(this);
    FileEdit->setObjectName(QStringLiteral("FileEdit"));
    FileEdit->setReadOnly(true);
    caption->setBuddy(FileEdit);
    BrowseButton = new QPushButton(QStringLiteral("&Parcourir..."), this);
    BrowseButton->setObjectName(QStringLiteral("BrowseButton"));
    BrowseButton->setAutoDefault(false);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(FileEdit, 0, 1);
    grid->addWidget(BrowseButton, 0, 2);
    RowsTable = new QTableWidget(this);
    RowsTable->setObjectName(QStringLiteral("RowsTable"));
    RowsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RowsTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid->addWidget(RowsTable, 1, 0, 1, 3);
    SummaryLabel = new QLabel(this);
    SummaryLabel->setObjectName(QStringLiteral("SummaryLabel"));
    SummaryLabel->setWordWrap(true);
    SummaryLabel->setTextFormat(Qt::PlainText);
    grid->addWidget(SummaryLabel, 2, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    NoListButton = new QPushButton(QStringLiteral("&Sans liste"), this);
    NoListButton->setObjectName(QStringLiteral("NoListButton"));
    NoListButton->setAutoDefault(false);
    CancelButton = new QPushButton(QStringLiteral("Annuler"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);
    buttons->addWidget(OkButton);
    buttons->addWidget(NoListButton);
    buttons->addWidget(CancelButton);
    grid->addLayout(buttons, 3, 0, 1, 3);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);

    connect(BrowseButton, &QPushButton::clicked, this, &TFusion::BrowseClick);
    connect(NoListButton, &QPushButton::clicked, this, &TFusion::NoListClick);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TFusion::Init(const QString& mergeFile, const QString& folder) {
    forgetAnswer();
    folder_ = folder;
    showList(mergeFile);
}

void TFusion::BrowseClick() {
    const QString start = path_.isEmpty() ? folder_ : QFileInfo(path_).absolutePath();
    const QString chosen =
        Dialogs::openFileName(this, QStringLiteral("Choisir la liste"), start,
                              QStringLiteral("Listes CSV (*.csv *.txt);;Tous les fichiers (*)"));
    if (!chosen.isEmpty())
        showList(chosen);
}

void TFusion::NoListClick() {
    showList(QString());
    accept();
}

void TFusion::showList(const QString& path) {
    path_ = path;
    FileEdit->setText(QDir::toNativeSeparators(path));
    RowsTable->clear();
    RowsTable->setRowCount(0);
    RowsTable->setColumnCount(0);
    if (path.isEmpty()) {
        SummaryLabel->setText(
            QStringLiteral("Aucune liste : toutes les étiquettes sont pareilles."));
        return;
    }
    MergeTable table;
    try {
        table = MergeTable::load(path);
    } catch (const UserError& error) {
        // The label keeps a list it cannot read now: the file may come back (a network folder).
        SummaryLabel->setText(error.message());
        return;
    }
    RowsTable->setColumnCount(int(table.columns.size()));
    RowsTable->setHorizontalHeaderLabels(table.columns);
    const int shown = int(qMin<qsizetype>(kShownRows, table.rows.size()));
    RowsTable->setRowCount(shown);
    for (int row = 0; row < shown; ++row)
        for (int column = 0; column < table.columns.size(); ++column)
            RowsTable->setItem(row, column, new QTableWidgetItem(table.rows[row].value(column)));
    QString summary =
        table.rows.isEmpty()
            ? QStringLiteral("La liste ne contient aucune ligne : rien ne sera imprimé.")
            : QStringLiteral("%1 ligne(s), une étiquette par ligne ; dans un texte, {%2} "
                             "prend la valeur de la colonne.")
                  .arg(table.rows.size())
                  .arg(table.columns.value(0));
    for (const QString& problem : table.problems)
        summary += QLatin1Char('\n') + problem;
    SummaryLabel->setText(summary);
}
