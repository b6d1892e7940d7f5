#pragma once

#include "AnsweredDialog.h"
#include "MergeList.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// "Fusion": the address list the label is printed from, one row a label. Shows the chosen
// file's columns and first rows, and what is wrong with it, before the label takes it.
class TFusion : public AnsweredDialog {
    Q_OBJECT
public:
    explicit TFusion(QWidget* parent = nullptr);

    // Starts on the label's list (empty: none) and the folder to look in first.
    void Init(const QString& mergeFile, const QString& folder);
    // "Parcourir...": asks for a file and shows it.
    void BrowseClick();
    // Shows the file, or says why it cannot be read.
    void showList(const QString& path);
    // "Sans liste": the label prints every cell the same again.
    void NoListClick();
    // The list chosen; empty: none. Meaningful when accepted().
    QString Result() const { return path_; }

    // The rows the table shows at most.
    static constexpr int kShownRows = 10;

    QLineEdit* FileEdit = nullptr;
    QPushButton* BrowseButton = nullptr;
    QTableWidget* RowsTable = nullptr;
    QLabel* SummaryLabel = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* NoListButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    QString path_;
    QString folder_;
};
