#include "TEtiq.h"

#include "BusyCursor.h"
#include "Dialogs.h"
#include "ErrorReportingApplication.h"
#include "LabelFile.h"
#include "LabelPainter.h"
#include "LineEdits.h"
#include "NewObjects.h"
#include "ObjectCommands.h"
#include "PictureDecoders.h"
#include "Selection.h"
#include "SurfaceWidget.h"
#include "UserError.h"
#include "Windows1252.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QRegion>
#include <QScrollArea>

namespace {

// Where the label's frame sits in the window.
constexpr int kPanelOffset = 20;
// A CD label shows through a circle.
const QRect kCdCircle(4, 4, 351, 351);
// The polygon and polyline tools collect up to 299 points (0..298) in a buffer of 301.
constexpr int kPointBufferSize = 301;
constexpr int kLastCollectedPoint = 298;
constexpr int kPointsClearedAfterCollecting = 101;
// A press and release closer than this (across plus down) record no shape.
constexpr int kShortestGesture = 5;

} // namespace

TEtiq::TEtiq(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Etiq"));
    scrollArea_ = new QScrollArea(this);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setWidgetResizable(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollArea_);

    sheet_ = new QWidget;
    Panel1 = new QFrame(sheet_);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    Panel1->setAutoFillBackground(true);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(white);
    Panel1->move(kPanelOffset, kPanelOffset);
    PaintBox1 = new SurfaceWidget(&surface_, Panel1);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    scrollArea_->setWidget(sheet_);
    // The keyboard belongs to the label: the scroll area takes it for the window.
    scrollArea_->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(scrollArea_);
    scrollArea_->installEventFilter(this);
    PaintBox1->installEventFilter(this);
    PointBuffer.resize(kPointBufferSize);

    FormCreate();
}

TEtiq::~TEtiq() {
    canvas_.setDevice(nullptr);
}

void TEtiq::FormCreate() {
    canvas_.setBrushStyle(BrushClear);
    canvas_.setPenColor(0);
    Tool = ToolLine;
    HasSelection = false;
    doc_ = LabelDocument();
    doc_.setListener([this](LabelDocument::Change change) { documentChanged(change); });
    RedimForm();
    updateCaption();
}

void TEtiq::documentChanged(LabelDocument::Change change) {
    if (change == LabelDocument::Change::Lines) {
        if (HasSelection)
            SelectionBox = Selection::box(doc_.Lines);
        // A shape the tool has just drawn on the surface needs no redraw.
        if (!shapeDrawn_)
            Dessine();
    }
    showModified();
    emit historyChanged(doc_.canUndo(), doc_.canRedo());
}

void TEtiq::SetIni(int toolNumber, int /*penWidth*/, int penStyle, ColorRef penColor,
                   ColorRef fillColor, int fillStyle) {
    doc_.FileName.clear();
    canvas_.setBrushColor(fillColor);
    canvas_.setBrushStyle(fillStyle);
    canvas_.setPenColor(penColor);
    CurBrushStyle = fillStyle;
    const int tool = toolForToolNumber(toolNumber);
    if (tool >= 0)
        Tool = tool;
    canvas_.setPenStyle(penStyle);
    HasSelection = false;
    const LabelFormatValues defaults;
    doc_.LabelWidth = defaults.width;
    doc_.LabelHeight = defaults.height;
    doc_.HSpacing = defaults.hspacing;
    doc_.VSpacing = defaults.vspacing;
    SelectionBox = LabelRect{};
}

void TEtiq::SetDim(int width, int height, int hspacing, int vspacing) {
    doc_.setFormat({width, height, hspacing, vspacing});
    RedimForm();
    // The old size's lines would come back under the new size.
    doc_.forgetUndo();
    doc_.setModified(true);
    Dessine();
    emit historyChanged(false, false);
}

void TEtiq::SetNew() {
    // A new label has nothing to undo, whatever the old one had.
    doc_.forgetUndo();
    reportedBadLines_.clear();
    doc_.setModified(false);
    updateCaption();
    emit historyChanged(false, false);
}

void TEtiq::showLabel(bool reopened) {
    if (!reopened) {
        updateCaption();
        Dessine();
        return;
    }
    // This file's broken lines are reported even if an earlier file had the same.
    reportedBadLines_.clear();
    RestoreStyles();
    RedimForm();
    updateCaption();
    Dessine();
    emit historyChanged(false, false);
}

void TEtiq::FormClose() {
    doc_.Lines.clear();
    doc_.forgetUndo();
}

void TEtiq::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    event->accept();
}

void TEtiq::RestoreStyles() {
    const ToolBarState state = toolBar_ ? toolBar_->GetStyles() : ToolBarState{};
    CurPenColor = state.penColor;
    CurBrushColor = state.fillColor;
    CurBrushStyle = state.fillStyle;
    state.applyTo(canvas_);
    const int tool = toolForToolNumber(state.toolNumber);
    if (tool == ToolText)
        SetText();
    else if (tool >= 0)
        Tool = tool;
}

void TEtiq::SetFrame(int tool) {
    if (CollectingPoints)
        PaintBox1DblClick();
    if (HasSelection) {
        // A selection would cancel the drawing tool's first drag: a drawing tool starts
        // from a label with nothing selected.
        if (tool != ToolPointer)
            dropSelection();
        else
            PaintBox1Click();
    }
    Tool = tool;
    setSurfaceCursor(Qt::ArrowCursor);
    if (toolBar_)
        toolBar_->setPenWidthField(canvas_.penWidth());
}

void TEtiq::SetText() {
    if (HasSelection)
        dropSelection();
    Tool = ToolText;
    setSurfaceCursor(Qt::IBeamCursor);
}

void TEtiq::RedimForm() {
    // Any height gets its whole surface at four pixels a millimetre; the scroll area
    // brings the rest into reach.
    CdLabel = doc_.isCdLabel();
    const QSize frame = LabelDocument::frameSize(doc_.format());
    Panel1->resize(frame);
    if (CdLabel)
        Panel1->setMask(QRegion(kCdCircle, QRegion::Ellipse));
    else
        Panel1->clearMask();
    const QSize inside = frame - QSize(2, 2);
    PaintBox1->setGeometry(1, 1, inside.width(), inside.height());
    sheet_->resize(frame + QSize(2 * kPanelOffset, 2 * kPanelOffset));

    canvas_.setDevice(nullptr);
    surface_ = QImage(inside, QImage::Format_RGB32);
    surface_.fill(Qt::white);
    canvas_.setDevice(&surface_);
}

void TEtiq::dropSelection() {
    Deselectionne();
    Dessine();
}

QSize TEtiq::frameSize() const {
    return Panel1->size();
}

void TEtiq::Deselectionne() {
    // The marks go without a redraw: the caller redraws once it has done the rest.
    Selection::clear(doc_.Lines);
    HasSelection = false;
    setSurfaceCursor(Qt::ArrowCursor);
    Moving = false;
    ResizeHandle = 0;
    SelectionBox = Selection::kNone;
}

QByteArray TEtiq::GetStyles() const {
    return LineCodec::writeStyles(canvasStyle(canvas_));
}

void TEtiq::EcritForme() {
    if (!CollectingPoints &&
        qAbs(AnchorPoint.x() - CurrentPoint.x()) + qAbs(AnchorPoint.y() - CurrentPoint.y()) <
            kShortestGesture)
        return;
    if (Tool == ToolPicture && PictureKind == PictureNone)
        return;
    const ObjectKind kind = NewObjects::kindForTool(Tool, AnchorPoint, CurrentPoint, CtrlPressed,
                                                    PictureKind == PictureMetafile);
    if (kind == ObjectKind::Unknown)
        return;
    QByteArray kindData = Tool == ToolText      ? CurrentText
                          : Tool == ToolPicture ? LineCodec::writePicture(PictureBitmap)
                                                : QByteArray();
    QByteArray styles = GetStyles();
    if (Tool == ToolBarcode) {
        const std::optional<NewBarcode> barcode =
            dialogs_ ? dialogs_->newBarcode() : std::optional<NewBarcode>();
        if (!barcode)
            return;
        kindData = barcode->kindData;
        // A barcode without its text has a font size of 0.
        if (!barcode->humanReadable)
            styles = LineCodec::withStyleField(styles, StyleField::FontSize, LineCodec::hex(0, 2));
    }
    const QByteArray line = NewObjects::line(
        kind, AnchorPoint, CurrentPoint, PointBuffer.mid(0, LastPointIndex + 1), kindData, styles);
    // The tool has drawn the shape already; only a picture or a barcode still has to be drawn.
    shapeDrawn_ = Tool != ToolPicture && Tool != ToolBarcode;
    doc_.edit([&](LineList& lines) { lines.append(line); });
    shapeDrawn_ = false;
}

void TEtiq::Efface() {
    canvas_.whiten(0, 0, surface_.width(), surface_.height());
    canvas_.setPenMode(PenMode::Copy);
    RestoreStyles();
}

RenderState TEtiq::renderState() const {
    RenderState state;
    state.objectRect = ObjectRect;
    state.currentText = CurrentText;
    state.savedBrushColor = CurBrushColor;
    state.savedBrushStyle = CurBrushStyle;
    return state;
}

void TEtiq::takeRenderState(const RenderState& state) {
    // What the last line drawn left behind is the window's, as the tools read it.
    ObjectRect = state.objectRect;
    for (qsizetype i = 0; i < state.points.size() && i < PointBuffer.size(); ++i)
        PointBuffer[i] = state.points[i];
    if (!state.points.isEmpty())
        LastPointIndex = int(state.points.size()) - 1;
    CurrentText = state.currentText;
    CurBrushColor = state.savedBrushColor;
    CurBrushStyle = state.savedBrushStyle;
}

void TEtiq::Dessine() {
    QList<BrokenLine> broken;
    {
        const BusyCursor busy(doc_.isLarge());
        Efface();
        RenderState state = renderState();
        LabelPainter painter(canvas_, pictureCacheEnabled_ ? &pictureCache_ : nullptr);
        broken = painter.paintEditor(doc_, surface_.height(), state);
        takeRenderState(state);
        if (!pictureCacheEnabled_)
            pictureCache_.clear();
        pictureCache_.sweep();
        canvas_.flush();
        PaintBox1->update();
        PaintBox1->setPadlocks(Selection::lockedCorners(doc_.Lines));
    }
    // A broken line is reported once for the label it is in, not at every redraw, and not
    // under the busy cursor.
    for (const BrokenLine& line : broken) {
        if (!reportedBadLines_.contains(doc_.Lines[line.index])) {
            reportedBadLines_.insert(doc_.Lines[line.index]);
            reportError(line.message);
            break;
        }
    }
}

void TEtiq::DrawShape(QPoint from, QPoint to, PenMode mode) {
    canvas_.setPenMode(mode);
    switch (Tool) {
    case ToolLine:
        canvas_.moveTo(from.x(), from.y());
        canvas_.lineTo(to.x(), to.y());
        break;
    case ToolRect:
    case ToolPointer:
        canvas_.rectangle(from.x(), from.y(), to.x(), to.y());
        break;
    case ToolBarcode:
        // The box the barcode will fill, as a dotted band: the symbol itself comes once its
        // data is typed.
        dottedFrame(from, to);
        break;
    case ToolEllipse:
        canvas_.ellipse(from.x(), from.y(), to.x(), to.y());
        break;
    case ToolRoundRect:
        canvas_.roundRect(from.x(), from.y(), to.x(), to.y(), (from.x() - to.x()) / 2,
                          (from.y() - to.y()) / 2);
        break;
    case ToolPolygon:
        canvas_.polygon(PointBuffer.mid(0, LastPointIndex + 1));
        break;
    case ToolPolyline: {
        // The anchor is kept just past the last point without being counted.
        PointBuffer[LastPointIndex + 1] = AnchorPoint;
        canvas_.polyline(PointBuffer.mid(0, LastPointIndex + 1));
        break;
    }
    case ToolArc:
        if (CtrlPressed)
            canvas_.arc(from.x(), from.y(), to.x(), to.y(), from.x(), from.y(), to.x(), to.y());
        else
            canvas_.arc(from.x(), from.y(), to.x(), to.y(), to.x(), to.y(), from.x(), from.y());
        break;
    default:
        break;
    }
    refreshSurface();
}

void TEtiq::Affsel() {
    LabelPainter(canvas_).drawSelectionFrames(doc_.Lines);
}

void TEtiq::showModified() {
    if (doc_.Modified == shownModified_)
        return;
    shownModified_ = doc_.Modified;
    emit modifiedChanged(shownModified_);
}

void TEtiq::updateCaption() {
    showModified();
    setWindowTitle(doc_.FileName.isEmpty() ? QStringLiteral("Sans titre")
                                           : QFileInfo(doc_.FileName).fileName());
}

void TEtiq::showSelectionCursor(bool selected) {
    setSurfaceCursor(selected ? Qt::CrossCursor : Qt::ArrowCursor);
}

void TEtiq::setSurfaceCursor(Qt::CursorShape shape) {
    PaintBox1->setCursor(shape);
}

Qt::CursorShape TEtiq::surfaceCursor() const {
    return PaintBox1->cursor().shape();
}

void TEtiq::refreshSurface() {
    canvas_.flush();
    PaintBox1->update();
}

void TEtiq::showPosition(int x, int y) {
    if (toolBar_)
        toolBar_->showStatus(QStringLiteral("Position : (%1,%2)").arg(x).arg(y));
}

void TEtiq::FormMouseDown(int x, int y, Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    AnchorPoint = QPoint(x, y);
    ResizeFontSize = 0;
    if (HasSelection) {
        Moving = false;
        ResizeHandle = 0;
        MoveRes();
    }
    CtrlPressed = modifiers == Qt::ControlModifier && buttons == Qt::LeftButton;
    // A press that moves or resizes the selection draws nothing, whatever the tool.
    if (Tool != ToolPointer && !Moving && ResizeHandle == 0)
        Drawing = true;
    if (Drawing)
        RestoreStyles();
    // With the pointer, a press on empty ground starts a band that selects what it encloses.
    bandSelecting_ = Tool == ToolPointer && !Moving && ResizeHandle == 0 &&
                     !Selection::objectAt(doc_.Lines, AnchorPoint);
    bandEnd_ = AnchorPoint;
    canvas_.moveTo(x, y);
    CurrentPoint = AnchorPoint;
    showPosition(x, y);
}

void TEtiq::drawBand() {
    // The dotted band of the selection frames, drawn twice to erase it.
    canvas_.setPenMode(PenMode::NotXor);
    dottedFrame(AnchorPoint, bandEnd_);
    canvas_.setPenMode(PenMode::Copy);
    refreshSurface();
}

void TEtiq::dottedFrame(QPoint from, QPoint to) {
    const int penWidth = canvas_.penWidth();
    const int penStyle = canvas_.penStyle();
    const int brushStyle = canvas_.brushStyle();
    canvas_.setPenWidth(1);
    canvas_.setPenStyle(PenDot);
    canvas_.setBrushStyle(BrushClear);
    canvas_.rectangle(from.x(), from.y(), to.x(), to.y());
    canvas_.setPenWidth(penWidth);
    canvas_.setPenStyle(penStyle);
    canvas_.setBrushStyle(brushStyle);
}

bool TEtiq::bandIsLongEnough() const {
    return qAbs(bandEnd_.x() - AnchorPoint.x()) + qAbs(bandEnd_.y() - AnchorPoint.y()) >=
           kShortestGesture;
}

void TEtiq::finishBand() {
    bandSelecting_ = false;
    if (!bandIsLongEnough())
        return;
    drawBand();
    const QRect band = QRect(AnchorPoint, bandEnd_).normalized();
    if (!CtrlPressed)
        Deselectionne();
    Selection::selectInside(doc_.Lines, band);
    SelectionBox = Selection::box(doc_.Lines);
    HasSelection = SelectionBox.left <= SelectionBox.right;
    if (HasSelection)
        setSurfaceCursor(Qt::CrossCursor);
    Dessine();
}

void TEtiq::FormMouseMove(int x, int y) {
    if (bandSelecting_) {
        if (bandIsLongEnough())
            drawBand();
        bandEnd_ = QPoint(x, y);
        if (bandIsLongEnough())
            drawBand();
        CurrentPoint = bandEnd_;
        showPosition(x, y);
        return;
    }
    setSurfaceCursor(Qt::ArrowCursor);
    if (Moving || ResizeHandle > 0) {
        AnchorPoint = CurrentPoint;
        CurrentPoint = QPoint(x, y);
        Affsel();
        if (Moving)
            Deplace();
        else
            RedimSel();
        Affsel();
        gestureMoved_ = true;
        refreshSurface();
        return;
    }
    if (HasSelection) {
        CurrentPoint = QPoint(x, y);
        CurseurSel();
        Drawing = false;
    }
    if (Drawing) {
        DrawShape(AnchorPoint, CurrentPoint, PenMode::NotXor);
        CurrentPoint = QPoint(x, y);
        DrawShape(AnchorPoint, CurrentPoint, PenMode::NotXor);
    }
    showPosition(x, y);
}

void TEtiq::FormMouseUp(int x, int y) {
    if (bandSelecting_)
        finishBand();
    // The gesture is one step, and its end redraws the label if it changed anything. A
    // click that ended it as a selection has redrawn already.
    if (gestureOpen_ && !endGesture() && (Moving || ResizeHandle > 0))
        Dessine();
    Moving = false;
    ResizeHandle = 0;
    if (!Drawing)
        return;
    // After the double click that records a polygon its points are gone: drawing them
    // would leave a dot at the corner.
    const bool pointTool = Tool == ToolPolygon || Tool == ToolPolyline;
    if (Tool == ToolBarcode)
        DrawShape(AnchorPoint, CurrentPoint, PenMode::NotXor); // the band goes before the dialog
    else if (!pointTool || CollectingPoints)
        DrawShape(AnchorPoint, QPoint(x, y), PenMode::Copy);
    CurrentPoint = QPoint(x, y);
    // Text and pictures are recorded by the click itself; a release away from the press
    // must not record a second copy.
    if (!CollectingPoints && Tool != ToolText && Tool != ToolPicture)
        EcritForme();
    Drawing = false;
}

void TEtiq::PaintBox1Click() {
    if (Tool == ToolPolygon || Tool == ToolPolyline) {
        if (!CollectingPoints) {
            LastPointIndex = 0;
            PointBuffer[0] = AnchorPoint;
            CollectingPoints = true;
        } else if (LastPointIndex < kLastCollectedPoint) {
            ++LastPointIndex;
            PointBuffer[LastPointIndex] = CurrentPoint;
        }
        return;
    }
    switch (Tool) {
    case ToolPointer:
        // The click that ends a move or resize keeps the selection that was dragged; the
        // one that ends a band selects what the band enclosed.
        if (gestureMoved_ && (Moving || ResizeHandle > 0))
            break;
        if (bandSelecting_ && bandIsLongEnough()) {
            finishBand();
            break;
        }
        bandSelecting_ = false;
        Selectionne();
        break;
    case ToolText: {
        const QString typed = dialogs_ ? dialogs_->editText() : QString();
        CurrentText = Windows1252::fromUnicode(typed);
        if (CurrentText.isEmpty())
            break;
        const QString shown = Windows1252::toUnicode(CurrentText);
        // A new text takes the colour chosen on the palette, not the last line's.
        canvas_.setFontColor(CurPenColor);
        canvas_.setPenMode(PenMode::Copy);
        canvas_.textOut(AnchorPoint.x(), AnchorPoint.y(), shown);
        const QSize extent = canvas_.textExtent(shown);
        CurrentPoint = AnchorPoint + QPoint(extent.width(), extent.height());
        EcritForme();
        refreshSurface();
        break;
    }
    case ToolPicture:
        InsertPicture();
        break;
    default:
        break;
    }
}

void TEtiq::PaintBox1DblClick() {
    if (!CollectingPoints)
        return;
    EcritForme();
    CollectingPoints = false;
    for (int i = 0; i < kPointsClearedAfterCollecting; ++i)
        PointBuffer[i] = QPoint(0, 0);
}

void TEtiq::InsertPicture() {
    const QString path = Dialogs::openFileName(this, QStringLiteral("Ouvrir une image"), QString(),
                                               PictureDecoders::openPictureFilter());
    if (path.isEmpty())
        return;
    // A file that cannot be decoded throws with its message; nothing is recorded.
    const DecodedPicture decoded = PictureDecoders::decodePicture(path);
    PictureBitmap = decoded.image;
    PictureKind = decoded.kind;
    if (qint64(PictureBitmap.width()) * PictureBitmap.height() > LineCodec::kMaxPicturePixels) {
        Dialogs::warning(this, QStringLiteral("Image trop grande"));
        return;
    }
    CurrentPoint = AnchorPoint + QPoint(PictureBitmap.width(), PictureBitmap.height());
    EcritForme();
}

bool TEtiq::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scrollArea_ && event->type() == QEvent::KeyPress && HasSelection) {
        // The arrow keys move the selection, one pixel or ten with Shift; without a
        // selection they scroll the label.
        const auto* key = static_cast<QKeyEvent*>(event);
        const int step = key->modifiers() & Qt::ShiftModifier ? 10 : 1;
        switch (key->key()) {
        case Qt::Key_Left:
            moveSelectionBy(-step, 0);
            return true;
        case Qt::Key_Right:
            moveSelectionBy(step, 0);
            return true;
        case Qt::Key_Up:
            moveSelectionBy(0, -step);
            return true;
        case Qt::Key_Down:
            moveSelectionBy(0, step);
            return true;
        default:
            break;
        }
    }
    if (watched != PaintBox1)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* e = static_cast<QMouseEvent*>(event);
        doubleClickPress_ = false;
        FormMouseDown(int(e->position().x()), int(e->position().y()), e->modifiers(), e->buttons());
        return true;
    }
    case QEvent::MouseButtonDblClick: {
        const auto* e = static_cast<QMouseEvent*>(event);
        doubleClickPress_ = true;
        PaintBox1DblClick();
        FormMouseDown(int(e->position().x()), int(e->position().y()), e->modifiers(), e->buttons());
        return true;
    }
    case QEvent::MouseMove: {
        const auto* e = static_cast<QMouseEvent*>(event);
        FormMouseMove(int(e->position().x()), int(e->position().y()));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto* e = static_cast<QMouseEvent*>(event);
        const int x = int(e->position().x());
        const int y = int(e->position().y());
        const bool click =
            e->button() == Qt::LeftButton && !doubleClickPress_ && PaintBox1->rect().contains(x, y);
        doubleClickPress_ = false;
        if (click) {
            // The release still ends the gesture when the click's command fails.
            try {
                PaintBox1Click();
            } catch (const UserError& error) {
                FormMouseUp(x, y);
                reportError(error.message());
                return true;
            }
        }
        FormMouseUp(x, y);
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void TEtiq::Selectionne() {
    // One redraw for the click, whether it dropped the old selection, took a new one or both.
    const bool keep = CtrlPressed;
    const bool hadSelection = HasSelection;
    bool hit = false;
    doc_.mark([&](LineList& lines) {
        if (!keep)
            Selection::clear(lines);
        hit = Selection::click(lines, CurrentPoint);
        return (!keep && hadSelection) || hit;
    });
    if (!keep) {
        HasSelection = false;
        setSurfaceCursor(Qt::ArrowCursor);
        Moving = false;
        ResizeHandle = 0;
    }
    if (hit) {
        HasSelection = true;
        setSurfaceCursor(Qt::CrossCursor);
    }
    SelectionBox = HasSelection ? Selection::box(doc_.Lines) : Selection::kNone;
}

void TEtiq::CurseurSel() {
    HoverHandle = 0;
    if (Selection::insideBox(SelectionBox, CurrentPoint))
        setSurfaceCursor(Qt::CrossCursor);
    static constexpr Qt::CursorShape cursors[8] = {
        Qt::SizeFDiagCursor, Qt::SizeBDiagCursor, Qt::SizeBDiagCursor, Qt::SizeFDiagCursor,
        Qt::SizeHorCursor,   Qt::SizeHorCursor,   Qt::SizeVerCursor,   Qt::SizeVerCursor};
    HoverHandle = Selection::handleAt(SelectionBox, CurrentPoint);
    if (HoverHandle > 0)
        setSurfaceCursor(cursors[HoverHandle - 1]);
}

void TEtiq::MoveRes() {
    Moving = surfaceCursor() == Qt::CrossCursor;
    ResizeHandle = HoverHandle;
    // The gesture becomes a step of "Annuler" only once it changes something: a click on
    // the selection, or a drag against the label's edge, leaves the last change undoable.
    if (Moving || ResizeHandle > 0) {
        gestureMoved_ = false;
        endGesture();
        doc_.beginGesture();
        gestureOpen_ = true;
    }
}

bool TEtiq::endGesture() {
    if (!gestureOpen_)
        return false;
    gestureOpen_ = false;
    return doc_.endGesture();
}

void TEtiq::Deplace() {
    const int dx = CurrentPoint.x() - AnchorPoint.x();
    const int dy = CurrentPoint.y() - AnchorPoint.y();
    doc_.edit([&](LineList& lines) {
        ObjectCommands::editSelected(
            lines, 1, [&](const QByteArray& line) { return LineEdits::MoveXY(line, dx, dy); });
    });
}

void TEtiq::RedimSel() {
    const int dx = CurrentPoint.x() - AnchorPoint.x();
    const int dy = CurrentPoint.y() - AnchorPoint.y();
    doc_.edit([&](LineList& lines) {
        ObjectCommands::editSelected(lines, 1, [&](const QByteArray& line) {
            return LineEdits::RedimXY(line, dx, dy, ResizeHandle, ResizeFontSize);
        });
    });
}

void TEtiq::ToutDesel() {
    Deselectionne();
    Dessine();
}
