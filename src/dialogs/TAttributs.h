#pragma once

#include "LineCodec.h"

#include <QDate>
#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

// What the properties dialog shows about a label and its file.
struct LabelProperties {
    QString fileName; // without its folder
    qint64 fileSize = 0;
    QDate date;
    int width = 0;  // millimetres, from the header line
    int height = 0; // millimetres
    int objectCount = 0;
};

// The file's size and date when it exists; else size 0 and `today`. The background
// record counts as an object, as the dialog always counted it.
LabelProperties labelProperties(const QString& fileName, const LineList& lines, QDate today);

// "Propriétés de l'image": the label's file name, file size, date, size and object count.
class TAttributs : public QDialog {
    Q_OBJECT
public:
    explicit TAttributs(QWidget* parent = nullptr);

    void Init(const QString& fileName, const LineList& lines, QDate today = QDate::currentDate());
    // Runs the dialog modally through the program's dialog seam; there is no result.
    int Execute();

    // The six values as shown, in the dialog's order.
    QStringList values() const;

    QLabel* fileNameValue = nullptr;
    QLabel* fileSizeValue = nullptr;
    QLabel* dateValue = nullptr;
    QLabel* widthValue = nullptr;
    QLabel* heightValue = nullptr;
    QLabel* objectCountValue = nullptr;
    QPushButton* Button1 = nullptr;
};
