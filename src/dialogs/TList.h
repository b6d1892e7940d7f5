#pragma once

#include "AnsweredDialog.h"
#include "LineCodec.h"

#include <QString>
#include <QStringList>

class QKeyEvent;
class QListWidget;
class QPushButton;
class QToolButton;

// What the object list shows of a copy of the label document: one entry per object,
// position p being document line p + 2 (the header and the background record are never
// listed). Its edits are the label's own (ObjectCommands).
namespace ObjectList {

// The French name of the object's kind, two blanks and its rectangle in decimal.
QString entryText(const QByteArray& line);
QStringList entries(const LineList& lines);

} // namespace ObjectList

// "Liste des objets": moves objects back and forth in the drawing order, deletes them
// and lets one be chosen for selection.
class TList : public AnsweredDialog {
    Q_OBJECT
public:
    explicit TList(QWidget* parent = nullptr);

    // Takes a working copy of the document; with no object in it the dialog gives
    // nothing back.
    void Init(const LineList& lines);
    // Runs the dialog modally through the program's dialog seam.
    int Execute();
    // When the dialog was closed by a choice or "Fermer", puts the edited copy into
    // `lines` (if anything changed) and returns the chosen object's line index, or -1
    // when none was chosen. Otherwise `lines` stays as it was and the result is -1.
    int Result(LineList& lines);

    void Affiche();
    void Supprime();

    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void ListBox1DblClick();
    void Button1Click();
    // Delete deletes the selected object, Enter chooses it; true when the key was used.
    bool ListBox1KeyDown(QKeyEvent* event);

    const LineList& workingCopy() const { return copy_; }
    bool changed() const { return changed_; }

    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QPushButton* Button1 = nullptr;
    QListWidget* ListBox1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int selectedPosition() const;
    void select(int position);
    void choose();

    LineList copy_;
    bool hasCopy_ = false;
    bool changed_ = false;
    int chosen_ = -1;
};
