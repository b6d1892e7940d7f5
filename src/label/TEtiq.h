#pragma once

#include "GdiCanvas.h"
#include "LabelCommands.h"
#include "LabelDialogs.h"
#include "LabelDocument.h"
#include "LineCodec.h"
#include "LineRenderer.h"
#include "NewObjects.h"
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
class TEtiq : public QWidget, public LabelCommands {
    Q_OBJECT
public:
    // The tool codes, as the drawing tools know them.
    using ToolCode = NewObjects::ToolCode;
    static constexpr ToolCode ToolLine = NewObjects::ToolLine;
    static constexpr ToolCode ToolRect = NewObjects::ToolRect;
    static constexpr ToolCode ToolEllipse = NewObjects::ToolEllipse;
    static constexpr ToolCode ToolRoundRect = NewObjects::ToolRoundRect;
    static constexpr ToolCode ToolPointer = NewObjects::ToolPointer;
    static constexpr ToolCode ToolText = NewObjects::ToolText;
    static constexpr ToolCode ToolPicture = NewObjects::ToolPicture;
    static constexpr ToolCode ToolPolygon = NewObjects::ToolPolygon;
    static constexpr ToolCode ToolPolyline = NewObjects::ToolPolyline;
    static constexpr ToolCode ToolArc = NewObjects::ToolArc;
    static constexpr ToolCode ToolBarcode = NewObjects::ToolBarcode;

    explicit TEtiq(QWidget* parent = nullptr);
    ~TEtiq() override;

    void setToolBarSource(ToolBarSource* source) { toolBar_ = source; }

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

    void FormCreate();
    void SetIni(int toolNumber, int penWidth, int penStyle, ColorRef penColor, ColorRef fillColor,
                int fillStyle);
    void SetDim(int width, int height, int hspacing, int vspacing);
    void SetNew();
    void FormClose();
    void RestoreStyles();
    void SetFrame(int tool);
    void SetText();
    void RedimForm();
    void Deselectionne() override;
    void ToutDesel();

    // Line grammar at the window's level.
    QByteArray GetStyles() const;
    void EcritForme();

    // Drawing: a full redraw of the label from the document, and its pieces.
    void Dessine();
    void Redessine() { Dessine(); }
    void Efface();
    void DrawShape(QPoint from, QPoint to, PenMode mode);
    void Affsel();
    // Tool-bar setters acting on the surface at once.
    void PenSize(int width) { canvas_.setPenWidth(width); }
    void SetColors(ColorRef penColor, ColorRef brushColor) {
        canvas_.setPenColor(penColor);
        canvas_.setBrushColor(brushColor);
    }
    void SetPenStyle(int style) { canvas_.setPenStyle(style); }
    void SetBrush(int style) {
        canvas_.setBrushStyle(style);
        CurBrushStyle = style;
    }
    void SetFontName(const QString& name) { canvas_.setFontName(name); }
    void SetFontSize(int size) { canvas_.setFontSize(size); }
    // Bold, italic, underline: '+' sets the style, '-' takes it away.
    void SetStyle1(char change) { setFontStyleFlag(FontBold, change); }
    void SetStyle2(char change) { setFontStyleFlag(FontItalic, change); }
    void SetStyle3(char change) { setFontStyleFlag(FontUnderline, change); }
    PictureCache& pictureCache() { return pictureCache_; }
    // Whether pictures are kept between redraws (on by default; off only to measure it).
    void setPictureCacheEnabled(bool enabled) { pictureCacheEnabled_ = enabled; }

    QString caption() const override { return windowTitle(); }
    QSize frameSize() const;
    QSize surfaceSize() const { return surface_.size(); }
    const QImage& surface() const { return surface_; }
    GdiCanvas& canvas() { return canvas_; }
    QFrame* panel() const { return Panel1; }

    // The window's state, named as the rest of the program knows it.
    bool CdLabel = false;
    int Tool = ToolLine;
    int CurBrushStyle = BrushClear;
    ColorRef CurPenColor = 0;
    ColorRef CurBrushColor = 0x00FFFFFF;
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
    QWidget* commandWindow() override { return this; }
    void showLabel(bool reopened) override;
    void showSelectionCursor(bool selected) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateCaption();
    // Tells the main window when the changed mark differs from what it shows.
    void showModified();
    // Redraws after a change of the document, and tells the main window of it.
    void documentChanged(LabelDocument::Change change);
    // Ends the move or resize under way; returns whether it changed the lines.
    bool endGesture();
    void setFontStyleFlag(int flag, char change) {
        const int style = canvas_.fontStyle();
        canvas_.setFontStyle(change == '-' ? (style & ~flag) : (style | flag));
    }
    RenderState renderState() const;
    void takeRenderState(const RenderState& state);

    void showPosition(int x, int y);
    void dropSelection();
    void drawBand();
    // A dotted frame in a one-pixel pen, over whatever the pen and brush are.
    void dottedFrame(QPoint from, QPoint to);
    bool bandIsLongEnough() const;
    void finishBand();
    void setSurfaceCursor(Qt::CursorShape shape);
    void refreshSurface();

    ToolBarSource* toolBar_ = nullptr;
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
