#pragma once

#include "LabelPainter.h"
#include "PictureCache.h"
#include "SheetLayout.h"

#include <QDialog>
#include <QImage>
#include <QSet>

class PrintDevice;
class QFrame;
class QLabel;
class QPushButton;
class QToolButton;
class SpinEdit;

// The first label and the count of a partly used sheet, as the preview's bar and the print
// dialog both ask them: the first within the sheet, the count over the sheet or, with a list,
// over its rows (0: all).
void setCellBoxes(SpinEdit& first, SpinEdit& count, const SheetLayout& layout, const SheetJob& job);

// "Aperçu avant impression": the A4 sheet with a copy of the label in every cell, at the
// zoom of the page setup, which the zoom box changes. The same class prints the sheet.
class TEcran : public QDialog {
    Q_OBJECT
public:
    explicit TEcran(QWidget* parent = nullptr);
    ~TEcran() override;

    // The printer whose paper the sheet is laid out for; it must outlive this window.
    void setPrinter(PrintDevice* printer) { printer_ = printer; }

    // Prepares the preview or the printing of the lines with the page setup.
    void Init(int left, int top, int right, int bottom, int zoom, const LineList& lines);
    void Init2(int left, int top, int right, int bottom, int zoom, const LineList& lines);
    // The same for a job: its stock and its partly used sheet too.
    void Init(const SheetJob& job);
    void Init2(const SheetJob& job);
    int Mh(int mm) const { return layout.Mh(mm); }
    int Mv(int mm) const { return layout.Mv(mm); }
    // Converts the label for this pass: computed afresh from the label each time, so zooming
    // again and again never adds up rounding.
    void Echelle();
    // The preview's cell sizes and the lines between the cells.
    void Planche();
    // One preview pass over the drawing area.
    void Dessine();
    // The printing pass: the sheet on `printer`, `copies` times. Throws UserError when the
    // job cannot be made; a line that cannot be drawn is reported once, after the job.
    void Imprime(PrintDevice& printer, int copies);
    // The zoom chosen in the preview.
    int Result() const { return layout.Zoom; }
    // The partly used sheet chosen in the preview: the first cell (from 0) and the count
    // (fewer than 0: to the end).
    int firstCell() const;
    int cellCount() const;

    void FormResize();
    void FormPaint();
    // "Actualiser": the zoom box's value becomes the zoom.
    void SpeedButton5Click();
    // "Fermer".
    void Button1Click();
    // With a list: the sheet shown, counted from 0, and the previous and next sheet.
    int sheet() const { return sheet_; }
    void showSheet(int sheet);
    void FormClose();

    // What the last preview pass drew.
    const QImage& drawingArea() const { return area_; }

    SheetLayout layout;
    LineList SourceLines;
    LineList WorkLines;
    SpinEdit* SpinEdit1 = nullptr;
    SpinEdit* FirstCellBox = nullptr;
    SpinEdit* CellCountBox = nullptr;
    QToolButton* PreviousSheetButton = nullptr;
    QLabel* SheetLabel = nullptr;
    QToolButton* NextSheetButton = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QPushButton* Button1 = nullptr;
    QFrame* Panel2 = nullptr;
    QWidget* PaintBox1 = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PaperSize paper() const;
    PageSetupValues setup(int left, int top, int right, int bottom, int zoom) const;
    void placeSheet();
    void report(const QList<BrokenLine>& broken, QSet<QByteArray>& reported);
    // Said once per opening or print: what is wrong with the list.
    void reportMergeProblems();
    bool usedCell(int row, int column) const;

    PrintDevice* printer_ = nullptr;
    QFrame* bar_ = nullptr;
    QImage area_;
    PictureCache pictures_;
    // Lines already reported in this opening of the preview, so repaints do not repeat them.
    QSet<QByteArray> reported_;
    int sheet_ = 0;
};
