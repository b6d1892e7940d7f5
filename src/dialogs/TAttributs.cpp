#include "TAttributs.h"

#include "Dialogs.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

LabelProperties labelProperties(const QString& fileName, const LineList& lines, QDate today) {
    LabelProperties p;
    const QFileInfo info(fileName);
    p.fileName = info.fileName();
    p.date = today;
    if (!fileName.isEmpty() && info.isFile()) {
        p.fileSize = info.size();
        p.date = info.lastModified().date();
    }
    if (!lines.isEmpty()) {
        p.width = LineCodec::headerField(lines.first(), 0).value_or(0);
        p.height = LineCodec::headerField(lines.first(), 1).value_or(0);
    }
    p.objectCount = int(qMax<qsizetype>(0, lines.size() - 1));
    return p;
}

TAttributs::TAttributs(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Propriétés de l'image"));
    auto* grid = new QGridLayout(this);
    auto addRow = [this, grid](const QString& caption, const char* name) {
        const int row = grid->rowCount();
        grid->addWidget(new QLabel(caption, this), row, 0);
        auto* value = new QLabel(this);
        value->setObjectName(QLatin1String(name));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(value, row, 1);
        return value;
    };
    fileNameValue = addRow(QStringLiteral("Nom du fichier"), "fileNameValue");
    fileSizeValue = addRow(QStringLiteral("Taille du fichier"), "fileSizeValue");
    dateValue = addRow(QStringLiteral("Date de modification"), "dateValue");
    widthValue = addRow(QStringLiteral("Largeur"), "widthValue");
    heightValue = addRow(QStringLiteral("Hauteur"), "heightValue");
    objectCountValue = addRow(QStringLiteral("Nombre d'objets"), "objectCountValue");
    Button1 = new QPushButton(QStringLiteral("Fermer"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    grid->addWidget(Button1, grid->rowCount(), 0, 1, 2, Qt::AlignCenter);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

void TAttributs::Init(const QString& fileName, const LineList& lines, QDate today) {
    const LabelProperties p = labelProperties(fileName, lines, today);
    fileNameValue->setText(p.fileName);
    fileSizeValue->setText(QString::number(p.fileSize) + QStringLiteral(" octets"));
    dateValue->setText(p.date.toString(QStringLiteral("dd/MM/yyyy")));
    widthValue->setText(QString::number(p.width) + QStringLiteral(" mm"));
    heightValue->setText(QString::number(p.height) + QStringLiteral(" mm"));
    objectCountValue->setText(QString::number(p.objectCount));
}

int TAttributs::Execute() {
    return Dialogs::runModal(this);
}

QStringList TAttributs::values() const {
    return {fileNameValue->text(), fileSizeValue->text(), dateValue->text(),
            widthValue->text(),    heightValue->text(),   objectCountValue->text()};
}
