#pragma once

#include "AnsweredDialog.h"
#include "GdiCanvas.h"
#include "ObjectKinds.h"

#include <QByteArray>

class PreviewBox;
class QColorDialog;
class QGroupBox;
class QPushButton;
class QRadioButton;
class TCouleur;
class TMotif;

// "Fond de page": chooses the label's page background and composes its record, line 1 of
// the label. The preview's pen, brush and font are the record's attributes: the record
// given sets them, each choice changes some of them and the new record is written from them.
class TFond : public AnsweredDialog {
    Q_OBJECT
public:
    TFond(TMotif& motif, TCouleur& couleur, QWidget* parent = nullptr);

    // Shows the background record in the preview, taking its attributes; the choices keep
    // the last selection.
    void Init(const QByteArray& record);
    // Runs the dialog modally through the program's dialog seam.
    int Execute();
    // The record shown when the dialog was closed with "OK", else an empty text.
    QByteArray Result() const;

    // The record of the current kind, written from the preview's attributes.
    void EcritForme();
    // The rectangle field: the preview's corners.
    QByteArray GetRect() const;
    // The style fields from the preview's pen, brush and font; a background has no font style.
    QByteArray GetStyles() const;
    // Takes the style fields of a record into the preview's pen, brush and font.
    void SetStyles(QByteArrayView block);
    // Draws a record into the preview, taking its style fields first.
    void DessinForme(const QByteArray& record);
    // Paints the whole preview white.
    void Efface();
    // The preview drawn again from the current record.
    void FormPaint();

    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void RadioButton4Click();
    void Button1Click();
    void Button2Click();

    const QByteArray& record() const { return record_; }
    // The preview's attributes.
    const GdiCanvas& tools() const { return canvas_; }

    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QRadioButton* RadioButton5 = nullptr;
    PreviewBox* PaintBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QColorDialog* ColorDialog1 = nullptr;

private:
    // Writes the record of `kind` (a background kind) and shows it; `choice` is its button.
    void choose(ObjectKind kind, QRadioButton* choice);
    // A choice cancelled changes nothing: the choice made before it is checked again, so
    // that the cancelled one can be made anew.
    void keepChoice();

    TMotif& motif_;
    TCouleur& couleur_;
    GdiCanvas canvas_;
    QByteArray record_;
    ObjectKind kind_ = ObjectKind::Blank;
    QRadioButton* lastChoice_ = nullptr;
};
