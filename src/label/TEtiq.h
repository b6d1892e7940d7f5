#pragma once

#include "GdiCanvas.h"
#include "LabelDialogs.h"
#include "LabelDocument.h"
#include "LineCodec.h"
#include "LineRenderer.h"
#include "ObjectCommands.h"
#include "PictureCache.h"
#include "ToolBarSource.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSet>
#include <QString>
#include <QWidget>

#include <functional>

class QFrame;
class QScrollArea;
class SurfaceWidget;

// The label window: owns the label document and draws it on its surface. There is one
// for the whole run; new and open reuse it.
class TEtiq : public QWidget {
    Q_OBJECT
public:
    enum ToolCode {
        ToolLine = 0,
        ToolRect = 1,
        ToolEllipse = 2,
        ToolRoundRect = 3,
        ToolPointer = 4,
        ToolText = 6,
        ToolPicture = 7,
        ToolPolygon = 8,
        ToolPolyline = 9,
        ToolArc = 10,
    };

    explicit TEtiq(QWidget* parent = nullptr);
    ~TEtiq() override;

    void setToolBarSource(ToolBarSource* source) { toolBar_ = source; }
    void setLabelDialogs(LabelDialogs* dialogs) { dialogs_ = dialogs; }

    // The five handlers of the drawing surface, in the order the mouse events map onto them.
    void FormMouseDown(int x, int y, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                       Qt::MouseButtons buttons = Qt::LeftButton);
    void FormMouseMove(int x, int y);
    void FormMouseUp(int x, int y);
    void PaintBox1Click();
    void PaintBox1DblClick();
    void InsertPicture();

    // Selection, moving and resizing.
    void Selectionne();
    void CurseurSel();
    void MoveRes();
    void Deplace();
    void RedimSel();
    Qt::CursorShape surfaceCursor() const;

    // Runs an edit of the selected objects inside the steps every object command shares:
    // the selection check, the least line count, the undo copy, the change mark and the
    // redraw. Returns whether the edit ran.
    bool runObjectCommand(const ObjectCommands::Rule& rule,
                          const std::function<void(LineList&)>& edit, QByteArrayView run = {});

    // Clipboard and undo.
    void Copier(LineList& clipboard);
    void Couper(LineList& clipboard);
    void Coller(const LineList& clipboard);
    // One step back, one step forth; many of each.
    void Annuler();
    void Retablir();

    // The object commands.
    void AvPlan();
    void ArPlan();
    void UnDessus();
    void UnDessous();
    void Supprimer();
    void ToutSel();
    void ToutDesel();
    void Verrouiller();
    void Deverrouiller();
    // The selected objects become one group, or leave theirs.
    void Grouper();
    void Dissocier();
    void Position();
    void Taille();
    void Modifier();
    void Liste();
    void Proprietes();
    // The arrow keys: moves the selection, one undoable step.
    void moveSelectionBy(int dx, int dy);
    // The page background.
    void FondPage();
    // The sheet preview; the zoom chosen there becomes this window's.
    void Apercu();
    // Prints the sheet, `copies` times.
    void Imprime(int copies);
    PageSetupValues pageSetup() const {
        return {MarginLeft, MarginTop, MarginRight, MarginBottom, Zoom};
    }

    void FormCreate();
    void SetIni(int toolNumber, int penWidth, int penStyle, ColorRef penColor, ColorRef fillColor,
                int fillStyle);
    void SetPage(int left, int top, int right, int bottom, int zoom);
    void SetDim(int width, int height, int hspacing, int vspacing);
    void SetNew();
    void Effacer();
    // Throws UserError and changes nothing when the file cannot be read.
    void Charge(const QString& path);
    // The same with the file's content already read from `path`.
    void Charge(const QString& path, LineList content);
    // Mode 0 save, 1 save under a new name. Returns whether the label is stored (false when
    // the user cancelled the name); throws UserError when the file cannot be written.
    bool Sauve(int mode);
    bool SaveAs();
    // Asks whether to save a changed label; false means stop (cancelled, or the save did not
    // happen).
    bool SaveQuery();
    void FormCloseQuery(bool& canClose);
    void FormClose();
    void RestoreStyles();
    void SetFrame(int tool);
    void SetText();
    void RedimForm();
    void Deselectionne();

    // Line grammar at the window's level.
    QByteArray GetStyles() const;
    void EcritForme();
    void SetStyles(const QByteArray& styleBlock);

    // Drawing: a full redraw of the label from the document, and its pieces.
    void Dessine();
    void Redessine();
    void Efface();
    void DrawShape(QPoint from, QPoint to, PenMode mode);
    void Affsel();
    // Tool-bar setters acting on the surface at once.
    void PenSize(int width);
    void SetColors(ColorRef penColor, ColorRef brushColor);
    void SetPenStyle(int style);
    void SetBrush(int style);
    void SetFontName(const QString& name);
    void SetFontSize(int size);
    void SetStyle1(char change);
    void SetStyle2(char change);
    void SetStyle3(char change);
    PictureCache& pictureCache() { return pictureCache_; }
    // Whether pictures are kept between redraws (on by default; off only to measure it).
    void setPictureCacheEnabled(bool enabled) { pictureCacheEnabled_ = enabled; }

    QString caption() const;
    QSize frameSize() const;
    QSize surfaceSize() const { return surface_.size(); }
    const QImage& surface() const { return surface_; }
    GdiCanvas& canvas() { return canvas_; }
    QFrame* panel() const { return Panel1; }

    // The label document: its lines, undo copy, file and size.
    LabelDocument& document() { return doc_; }
    const LabelDocument& document() const { return doc_; }

    // The window's state, named as the rest of the program knows it.
    bool CdLabel = false;
    int Tool = ToolLine;
    bool HasSelection = false;
    LabelRect SelectionBox;
    int CurBrushStyle = BrushClear;
    ColorRef CurPenColor = 0;
    ColorRef CurBrushColor = 0x00FFFFFF;
    int MarginLeft = 0;
    int MarginTop = 0;
    int MarginRight = 0;
    int MarginBottom = 0;
    int Zoom = 100;
    LabelRect ObjectRect;
    QList<QPoint> PointBuffer;
    int LastPointIndex = -1;
    QByteArray CurrentText;
    QImage PictureBitmap;
    enum PictureKindCode { PictureNone = 0, PictureRaster = 1, PictureMetafile = 2 };
    int PictureKind = PictureNone;
    QPoint AnchorPoint;
    QPoint CurrentPoint;
    bool Drawing = false;
    bool CollectingPoints = false;
    bool CtrlPressed = false;
    bool Moving = false;
    int ResizeHandle = 0;
    int HoverHandle = 0;
    int ResizeFontSize = 0;

signals:
    void modifiedChanged(bool modified);
    // What "Annuler" and "Rétablir" can do now.
    void historyChanged(bool canUndo, bool canRedo);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateCaption();
    // Tells the main window when the changed mark differs from what it shows.
    void showModified();
    // Redraws after a change of the document, and tells the main window of it.
    void documentChanged(LabelDocument::Change change);
    // The selection check of the commands that need one: false, after the message the rule
    // asks for, when there is none.
    bool hasSelectionOrSays(ObjectCommands::Rule::WithoutSelection without);
    // After "Annuler" or "Rétablir": the selection is what the marks brought back say.
    void selectionFromMarks();
    // Ends the move or resize under way; returns whether it changed the lines.
    bool endGesture();
    void setFontStyleFlag(int flag, char change);
    RenderState renderState() const;
    void takeRenderState(const RenderState& state);

    void showPosition(int x, int y);
    void dropSelection();
    void drawBand();
    bool bandIsLongEnough() const;
    void finishBand();
    void showLoaded();
    // Whether a redraw may take long enough to show the busy cursor.
    bool isHeavy() const;
    void setSurfaceCursor(Qt::CursorShape shape);
    void refreshSurface();

    LabelDocument doc_;
    ToolBarSource* toolBar_ = nullptr;
    LabelDialogs* dialogs_ = nullptr;
    // The press being handled came as the second press of a double click.
    bool doubleClickPress_ = false;
    // The move or resize gesture under way has moved something.
    bool gestureMoved_ = false;
    // A band drawn from empty ground with the pointer, from AnchorPoint to bandEnd_.
    bool bandSelecting_ = false;
    QPoint bandEnd_;
    QScrollArea* scrollArea_ = nullptr;
    QWidget* sheet_ = nullptr;
    QFrame* Panel1 = nullptr;
    SurfaceWidget* PaintBox1 = nullptr;
    QImage surface_;
    GdiCanvas canvas_;
    PictureCache pictureCache_;
    bool pictureCacheEnabled_ = true;
    // Broken lines already reported, so a message does not come back at every redraw.
    QSet<QByteArray> reportedBadLines_;
    bool shownModified_ = false;
    // A move or resize under way, one step of the history.
    bool gestureOpen_ = false;
    // The tool drew the shape it records: the change needs no redraw.
    bool shapeDrawn_ = false;
};
