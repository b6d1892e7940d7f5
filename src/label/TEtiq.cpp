#include "TEtiq.h"

#include "BusyCursor.h"
#include "Dialogs.h"
#include "ErrorReportingApplication.h"
#include "LabelFile.h"
#include "LabelPainter.h"
#include "LineEdits.h"
#include "ObjectCommands.h"
#include "PictureDecoders.h"
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
// The rectangle field is twelve digits; what follows it is the object's kind data.
constexpr qsizetype kRectDigits = 12;
// The polygon and polyline tools collect up to 299 points (0..298) in a buffer of 301.
constexpr int kPointBufferSize = 301;
constexpr int kLastCollectedPoint = 298;
constexpr int kPointsClearedAfterCollecting = 101;
// A press and release closer than this (across plus down) record no shape.
constexpr int kShortestGesture = 5;
// A handle is grabbed within this distance, across and down, of its point.
constexpr int kHandleReach = 5;
// The selection box after a deselection: empty, ready to grow.
constexpr LabelRect kNoSelectionBox{8182, 8182, 0, 0};

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
    RedimForm();
    updateCaption();
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

void TEtiq::SetPage(int left, int top, int right, int bottom, int zoom) {
    MarginLeft = left;
    MarginTop = top;
    MarginRight = right;
    MarginBottom = bottom;
    Zoom = zoom;
}

void TEtiq::SetDim(int width, int height, int hspacing, int vspacing) {
    doc_.setFormat({width, height, hspacing, vspacing});
    RedimForm();
    // The old size's lines would come back under the new size.
    doc_.forgetUndo();
    setModified(true);
    Dessine();
}

void TEtiq::SetNew() {
    // A new label has nothing to undo, whatever the old one had.
    doc_.forgetUndo();
    reportedBadLines_.clear();
    setModified(false);
    updateCaption();
}

void TEtiq::Effacer() {
    doc_.checkpoint();
    doc_.clear();
    Dessine();
    setModified(true);
}

void TEtiq::Charge(const QString& path) {
    {
        const BusyCursor busy;
        // A file that cannot be read throws here and leaves the window as it was.
        doc_.load(path);
    }
    showLoaded();
}

void TEtiq::Charge(const QString& path, LineList content) {
    doc_.adopt(path, std::move(content));
    showLoaded();
}

void TEtiq::showLoaded() {
    // This file's broken lines are reported even if an earlier file had the same.
    reportedBadLines_.clear();
    RestoreStyles();
    RedimForm();
    updateCaption();
    Dessine();
}

bool TEtiq::Sauve(int mode) {
    const QString nameBefore = doc_.FileName;
    if (doc_.FileName.isEmpty() || mode == 1) {
        // A cancelled name writes nothing, not even under the name held before.
        if (!SaveAs())
            return false;
    }
    if (doc_.FileName.isEmpty())
        return false;
    if (!doc_.Modified)
        return true;

    const QString path = LabelFile::withExtension(doc_.FileName);
    try {
        const BusyCursor busy;
        Deselectionne();
        doc_.save(path);
    } catch (const UserError&) {
        // The label stays changed and keeps the name it had, so nothing points at a file
        // that was never written.
        doc_.FileName = nameBefore;
        throw;
    }
    updateCaption();
    Dessine();
    return true;
}

bool TEtiq::SaveAs() {
    const QString dir =
        doc_.FileName.isEmpty() ? QString() : QFileInfo(doc_.FileName).absolutePath();
    const QString chosen = Dialogs::saveFileName(this, QStringLiteral("Enregistrer sous"), dir,
                                                 QStringLiteral("Fichiers étiquettes (*.etq)"));
    if (chosen.isEmpty())
        return false;
    doc_.FileName = LabelFile::withExtension(chosen);
    setModified(true);
    return true;
}

bool TEtiq::SaveQuery() {
    if (!doc_.Modified)
        return true;
    const QString text = QStringLiteral("Enregistrer modifications dans ") +
                         QFileInfo(doc_.FileName).fileName() + QStringLiteral(" ?");
    const auto answer =
        Dialogs::warning(this, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::No)
        return true;
    if (answer != QMessageBox::Yes)
        return false;
    // Going on after a save that did not happen would throw the changes away.
    try {
        return Sauve(0);
    } catch (const UserError& error) {
        reportError(error.message());
        return false;
    }
}

void TEtiq::FormCloseQuery(bool& canClose) {
    canClose = SaveQuery();
}

void TEtiq::FormClose() {
    doc_.Lines.clear();
    doc_.UndoLines.clear();
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
    CurFontName = state.fontName;
    CurFontSize = state.fontSize;
    CurPenWidth = state.penWidth;
    CurPenStyle = state.penStyle;
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

void TEtiq::showPadlocks() {
    QList<QPoint> corners;
    for (qsizetype i = 2; i < doc_.Lines.size(); ++i) {
        if (!doc_.Lines[i].startsWith(ObjectCommands::kLocked))
            continue;
        const LabelRect r = LineEdits::selectionRect(doc_.Lines[i]);
        corners.append(QPoint(qMax(r.left, r.right), qMin(r.top, r.bottom)));
    }
    PaintBox1->setPadlocks(std::move(corners));
}

LabelRect TEtiq::markedBox() const {
    LabelRect box = kNoSelectionBox;
    for (qsizetype i = 2; i < doc_.Lines.size(); ++i) {
        if (!doc_.Lines[i].startsWith('*'))
            continue;
        const LabelRect r = LineEdits::selectionRect(doc_.Lines[i]);
        box.left = qMin(box.left, qMin(r.left, r.right));
        box.top = qMin(box.top, qMin(r.top, r.bottom));
        box.right = qMax(box.right, qMax(r.left, r.right));
        box.bottom = qMax(box.bottom, qMax(r.top, r.bottom));
    }
    return box;
}

void TEtiq::dropSelection() {
    Deselectionne();
    Dessine();
}

QSize TEtiq::frameSize() const {
    return Panel1->size();
}

void TEtiq::Deselectionne() {
    if (HasSelection)
        SelectionChanged = true;
    LineEdits::clearMarks(doc_.Lines);
    HasSelection = false;
    setSurfaceCursor(Qt::ArrowCursor);
    Moving = false;
    ResizeHandle = 0;
    SelectionBox = kNoSelectionBox;
}

QByteArray TEtiq::GetRect(int x, int y) {
    int x0 = AnchorPoint.x();
    int y0 = AnchorPoint.y();
    int x1 = x;
    int y1 = y;
    QByteArray kindData;
    if (Tool == ToolPolygon || Tool == ToolPolyline) {
        const QList<QPoint> points = PointBuffer.mid(0, LastPointIndex + 1);
        for (const QPoint& p : points) {
            x0 = qMin(x0, p.x());
            y0 = qMin(y0, p.y());
            x1 = qMax(x1, p.x());
            y1 = qMax(y1, p.y());
        }
        kindData = LineCodec::writePoints(points);
        AnchorPoint = QPoint(x0, y0);
    } else if (Tool == ToolPicture) {
        kindData = LineCodec::writePicture(PictureBitmap);
    }
    return LineCodec::writeRect(qMin(x0, x1), qMin(y0, y1), qMax(x0, x1), qMax(y0, y1)) + kindData;
}

QByteArray TEtiq::GetStyles() const {
    return LineCodec::writeStyles(canvasStyle(canvas_));
}

void TEtiq::EcritForme() {
    if (!CollectingPoints &&
        qAbs(AnchorPoint.x() - CurrentPoint.x()) + qAbs(AnchorPoint.y() - CurrentPoint.y()) <
            kShortestGesture)
        return;
    const QByteArray styles = GetStyles();
    const bool upward = CurrentPoint.y() < AnchorPoint.y();
    const bool leftward = CurrentPoint.x() < AnchorPoint.x();
    // GetRect gives the rectangle field followed by the points or pixels of the object.
    const QByteArray rect = GetRect(CurrentPoint.x(), CurrentPoint.y());
    QByteArrayView keyword;
    switch (Tool) {
    case ToolLine:
        // The rectangle is normalised, so the keyword alone says which diagonal was drawn.
        keyword = (leftward ? CurrentPoint.y() > AnchorPoint.y() : upward) ? "LINEU" : "LINE";
        break;
    case ToolRect:
        keyword = "RECT";
        break;
    case ToolEllipse:
        keyword = "ELLIPSE";
        break;
    case ToolRoundRect:
        keyword = "ROUNDRECT";
        break;
    case ToolPolygon:
        keyword = "POLYG";
        break;
    case ToolPolyline:
        keyword = "POLYL";
        break;
    case ToolText:
        keyword = "TEXT";
        break;
    case ToolPicture:
        if (PictureKind == PictureRaster)
            keyword = "BITMAP";
        else if (PictureKind == PictureMetafile)
            keyword = "META";
        break;
    case ToolArc:
        keyword = arcKeyword(upward, leftward);
        break;
    default:
        break;
    }
    if (!keyword.isEmpty()) {
        const QByteArray kindData =
            Tool == ToolText ? rect.sliced(kRectDigits) + CurrentText : rect.sliced(kRectDigits);
        doc_.checkpoint();
        doc_.Lines.append(
            LineCodec::objectLine(keyword, rect.first(kRectDigits), kindData, styles));
    }
    setModified(true);
}

QByteArrayView TEtiq::arcKeyword(bool upward, bool leftward) const {
    // The band runs from the press to the release (with Ctrl) or back; the keyword names
    // the corner of the normalised rectangle it starts from.
    if (!leftward)
        return upward ? (CtrlPressed ? "ARCLU" : "ARCHU") : (CtrlPressed ? "ARCL" : "ARCH");
    return upward ? (CtrlPressed ? "ARCH" : "ARCL") : (CtrlPressed ? "ARCHU" : "ARCLU");
}

void TEtiq::SetArray(const QByteArray& pointList) {
    // The polygon tool writes into the buffer up to its last entry: it keeps its size.
    const QList<QPoint> points = LineCodec::readPoints(pointList);
    for (qsizetype i = 0; i < points.size(); ++i)
        PointBuffer[i] = points[i];
    LastPointIndex = int(points.size()) - 1;
}

void TEtiq::SetStyles(const QByteArray& block) {
    LineRenderer(canvas_).applyStyles(block);
}

void TEtiq::Efface() {
    // The undo snapshot belongs to the commands that change the label, not to a redraw.
    canvas_.whiten(0, 0, surface_.width(), surface_.height());
    canvas_.setPenMode(PenMode::Copy);
    RestoreStyles();
}

void TEtiq::DessinCd() {
    LineRenderer(canvas_).drawCdTemplate(doc_.LabelWidth, doc_.LabelHeight);
}

void TEtiq::DessinForme(const QByteArray& line) {
    RenderState state = renderState();
    try {
        LineRenderer(canvas_, &pictureCache_)
            .draw(line, RenderOptions::editor(doc_.format(), surface_.height()), state, &line);
    } catch (...) {
        takeRenderState(state);
        throw;
    }
    takeRenderState(state);
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
        const BusyCursor busy(isHeavy());
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
        showPadlocks();
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

bool TEtiq::isHeavy() const {
    // Beyond a few thousand objects or a megabyte of pictures a redraw is felt.
    if (doc_.Lines.size() > 5000)
        return true;
    qsizetype bytes = 0;
    for (const QByteArray& line : doc_.Lines)
        bytes += line.size();
    return bytes > 1024 * 1024;
}

void TEtiq::Redessine() {
    Dessine();
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
    canvas_.flush();
    PaintBox1->update();
}

void TEtiq::RectSel(const QByteArray& line) {
    LabelPainter(canvas_).drawSelectionFrame(line);
}

void TEtiq::Affsel() {
    LabelPainter(canvas_).drawSelectionFrames(doc_.Lines);
}

void TEtiq::PenSize(int width) {
    canvas_.setPenWidth(width);
}

void TEtiq::SetColors(ColorRef penColor, ColorRef brushColor) {
    canvas_.setPenColor(penColor);
    canvas_.setBrushColor(brushColor);
}

void TEtiq::SetPenStyle(int style) {
    canvas_.setPenStyle(style);
}

void TEtiq::SetBrush(int style) {
    canvas_.setBrushStyle(style);
    CurBrushStyle = style;
}

void TEtiq::SetFontName(const QString& name) {
    canvas_.setFontName(name);
}

void TEtiq::SetFontSize(int size) {
    canvas_.setFontSize(size);
}

void TEtiq::setFontStyleFlag(int flag, char change) {
    const int style = canvas_.fontStyle();
    canvas_.setFontStyle(change == '-' ? (style & ~flag) : (style | flag));
}

void TEtiq::SetStyle1(char change) {
    setFontStyleFlag(FontBold, change);
}
void TEtiq::SetStyle2(char change) {
    setFontStyleFlag(FontItalic, change);
}
void TEtiq::SetStyle3(char change) {
    setFontStyleFlag(FontUnderline, change);
}

QString TEtiq::caption() const {
    return windowTitle();
}

void TEtiq::setModified(bool modified) {
    doc_.Modified = modified;
    showModified();
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
    gestureMoved_ = false;
    // A press that moves or resizes the selection draws nothing, whatever the tool.
    if (Tool != ToolPointer && !Moving && ResizeHandle == 0)
        Drawing = true;
    if (Drawing)
        RestoreStyles();
    // With the pointer, a press on empty ground starts a band that selects what it encloses.
    bandSelecting_ = Tool == ToolPointer && !Moving && ResizeHandle == 0 && !objectAt(AnchorPoint);
    bandEnd_ = AnchorPoint;
    canvas_.moveTo(x, y);
    CurrentPoint = AnchorPoint;
    showPosition(x, y);
}

bool TEtiq::objectAt(QPoint point) const {
    for (qsizetype i = 2; i < doc_.Lines.size(); ++i) {
        const QByteArray& line = doc_.Lines[i];
        if (line.size() <= 1 || line[0] == ObjectCommands::kLocked)
            continue;
        const LabelRect r = LineEdits::selectionRect(line);
        if (qMin(r.left, r.right) <= point.x() && point.x() <= qMax(r.left, r.right) &&
            qMin(r.top, r.bottom) <= point.y() && point.y() <= qMax(r.top, r.bottom))
            return true;
    }
    return false;
}

void TEtiq::drawBand() {
    // The dotted band of the selection frames, drawn twice to erase it.
    const int penWidth = canvas_.penWidth();
    const int penStyle = canvas_.penStyle();
    const int brushStyle = canvas_.brushStyle();
    canvas_.setPenMode(PenMode::NotXor);
    canvas_.setPenWidth(1);
    canvas_.setPenStyle(PenDot);
    canvas_.setBrushStyle(BrushClear);
    canvas_.rectangle(AnchorPoint.x(), AnchorPoint.y(), bandEnd_.x(), bandEnd_.y());
    canvas_.setPenWidth(penWidth);
    canvas_.setPenStyle(penStyle);
    canvas_.setBrushStyle(brushStyle);
    canvas_.setPenMode(PenMode::Copy);
    refreshSurface();
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
    const int left = qMin(AnchorPoint.x(), bandEnd_.x());
    const int top = qMin(AnchorPoint.y(), bandEnd_.y());
    const int right = qMax(AnchorPoint.x(), bandEnd_.x());
    const int bottom = qMax(AnchorPoint.y(), bandEnd_.y());
    if (!CtrlPressed)
        Deselectionne();
    for (qsizetype i = 2; i < doc_.Lines.size(); ++i) {
        QByteArray& line = doc_.Lines[i];
        if (line.size() <= 1 || line[0] == ObjectCommands::kLocked)
            continue;
        const LabelRect r = LineEdits::selectionRect(line);
        if (qMin(r.left, r.right) >= left && qMax(r.left, r.right) <= right &&
            qMin(r.top, r.bottom) >= top && qMax(r.top, r.bottom) <= bottom)
            line[0] = ObjectCommands::kSelected;
    }
    SelectionBox = markedBox();
    HasSelection = SelectionBox.left <= SelectionBox.right;
    if (HasSelection)
        setSurfaceCursor(Qt::CrossCursor);
    Dessine();
}

void TEtiq::moveSelectionBy(int dx, int dy) {
    // One step of the arrow keys: one undoable move, under the mouse's 0..4095 rule.
    runObjectCommand(ObjectCommands::kMoveOrResize, [&](LineList& lines) {
        ObjectCommands::editSelected(
            lines, 1, [&](const QByteArray& line) { return LineEdits::MoveXY(line, dx, dy); });
        SelectionBox = markedBox();
    });
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
    // The selection stays with the objects it dragged; its box follows them.
    if (gestureMoved_ && (Moving || ResizeHandle > 0))
        SelectionBox = markedBox();
    if (Moving) {
        Moving = false;
        Dessine();
    }
    if (ResizeHandle > 0) {
        ResizeHandle = 0;
        Dessine();
    }
    if (!Drawing)
        return;
    // After the double click that records a polygon its points are gone: drawing them
    // would leave a dot at the corner.
    const bool pointTool = Tool == ToolPolygon || Tool == ToolPolyline;
    if (!pointTool || CollectingPoints)
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
        SelectionChanged = false;
        if (!CtrlPressed)
            Deselectionne();
        Selectionne();
        if (SelectionChanged)
            Dessine();
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
    Dessine();
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

bool TEtiq::Insel(const QByteArray& line) {
    const LabelRect r = LineEdits::selectionRect(line);
    HitBox = LabelRect{qMin(r.left, r.right), qMin(r.top, r.bottom), qMax(r.left, r.right),
                       qMax(r.top, r.bottom)};
    const int x = CurrentPoint.x();
    const int y = CurrentPoint.y();
    return HitBox.left <= x && x <= HitBox.right && HitBox.top <= y && y <= HitBox.bottom;
}

void TEtiq::Selectionne() {
    int group = 0;
    qsizetype hit = -1;
    for (qsizetype i = doc_.Lines.size() - 1; i >= 2; --i) {
        QByteArray& line = doc_.Lines[i];
        if (line.size() <= 1 || !Insel(line) || line[0] == '#')
            continue;
        line[0] = line[0] == '*' ? ' ' : '*';
        group = (line[1] >= '0' && line[1] <= '9') ? line[1] - '0' : 0;
        HasSelection = true;
        SelectionChanged = true;
        SelectionBox.left = qMin(SelectionBox.left, HitBox.left);
        SelectionBox.top = qMin(SelectionBox.top, HitBox.top);
        SelectionBox.right = qMax(SelectionBox.right, HitBox.right);
        SelectionBox.bottom = qMax(SelectionBox.bottom, HitBox.bottom);
        setSurfaceCursor(Qt::CrossCursor);
        hit = i;
        break;
    }
    if (hit < 0 || group == 0)
        return;
    for (qsizetype i = 2; i < doc_.Lines.size(); ++i) {
        QByteArray& line = doc_.Lines[i];
        if (line.size() > 1 && line[1] == char('0' + group))
            line[0] = '*';
    }
    SelectionBox.left = qMin(SelectionBox.left, HitBox.left);
    SelectionBox.top = qMin(SelectionBox.top, HitBox.top);
    SelectionBox.right = qMax(SelectionBox.right, HitBox.right);
    SelectionBox.bottom = qMax(SelectionBox.bottom, HitBox.bottom);
}

void TEtiq::CurseurSel() {
    HoverHandle = 0;
    const int x = CurrentPoint.x();
    const int y = CurrentPoint.y();
    const LabelRect& b = SelectionBox;
    if (b.left < x && x < b.right && b.top < y && y < b.bottom)
        setSurfaceCursor(Qt::CrossCursor);
    static constexpr Qt::CursorShape cursors[8] = {
        Qt::SizeFDiagCursor, Qt::SizeBDiagCursor, Qt::SizeBDiagCursor, Qt::SizeFDiagCursor,
        Qt::SizeHorCursor,   Qt::SizeHorCursor,   Qt::SizeVerCursor,   Qt::SizeVerCursor};
    const auto handles = LineEdits::handlePoints(b);
    for (int h = 0; h < 8; ++h) {
        if (qAbs(x - handles[h].x()) < kHandleReach && qAbs(y - handles[h].y()) < kHandleReach) {
            setSurfaceCursor(cursors[h]);
            HoverHandle = h + 1;
        }
    }
}

void TEtiq::MoveRes() {
    Moving = surfaceCursor() == Qt::CrossCursor;
    ResizeHandle = HoverHandle;
    // A move or resize is a change: "Annuler" brings back the objects where they were.
    if (Moving || ResizeHandle > 0)
        doc_.checkpoint();
}

void TEtiq::Deplace() {
    const int dx = CurrentPoint.x() - AnchorPoint.x();
    const int dy = CurrentPoint.y() - AnchorPoint.y();
    for (qsizetype i = 1; i < doc_.Lines.size(); ++i)
        if (doc_.Lines[i].startsWith('*'))
            doc_.Lines[i] = LineEdits::MoveXY(doc_.Lines[i], dx, dy);
    setModified(true);
}

void TEtiq::RedimSel() {
    const int dx = CurrentPoint.x() - AnchorPoint.x();
    const int dy = CurrentPoint.y() - AnchorPoint.y();
    for (qsizetype i = 1; i < doc_.Lines.size(); ++i)
        if (doc_.Lines[i].startsWith('*'))
            doc_.Lines[i] = LineEdits::RedimXY(doc_.Lines[i], dx, dy, ResizeHandle, ResizeFontSize);
    setModified(true);
}

bool TEtiq::runObjectCommand(const ObjectCommands::Rule& rule,
                             const std::function<void(LineList&)>& edit) {
    using Without = ObjectCommands::Rule::WithoutSelection;
    if (!HasSelection && rule.withoutSelection != Without::Run) {
        if (rule.withoutSelection == Without::Message)
            Dialogs::information(this, QStringLiteral("Aucun objet sélectionné"));
        return false;
    }
    if (doc_.Lines.size() < rule.leastLines)
        return false;
    // A command that finds nothing to change leaves the undo copy of the last real change
    // and the changed mark alone.
    const LineList before = doc_.Lines;
    edit(doc_.Lines);
    if (doc_.Lines != before) {
        if (rule.snapshot)
            doc_.UndoLines = before;
        if (rule.modifies)
            setModified(true);
    }
    if (rule.repaints)
        Dessine();
    return true;
}

void TEtiq::AvPlan() {
    runObjectCommand(ObjectCommands::kToFront, ObjectCommands::bringToFront);
}

void TEtiq::ArPlan() {
    runObjectCommand(ObjectCommands::kToBack, ObjectCommands::sendToBack);
}

void TEtiq::UnDessus() {
    runObjectCommand(ObjectCommands::kOneUp, ObjectCommands::oneUp);
}

void TEtiq::UnDessous() {
    runObjectCommand(ObjectCommands::kOneDown, ObjectCommands::oneDown);
}

void TEtiq::Supprimer() {
    runObjectCommand(ObjectCommands::kDelete, ObjectCommands::removeSelected);
}

void TEtiq::ToutSel() {
    // The box of everything, not grown from wherever the last box was: a box reaching
    // the corner would put the handles and the move zone where no object is.
    SelectionBox = kNoSelectionBox;
    ObjectCommands::selectAll(doc_.Lines, SelectionBox);
    Dessine();
    HasSelection = true;
}

void TEtiq::ToutDesel() {
    Deselectionne();
    Dessine();
}

void TEtiq::Verrouiller() {
    runObjectCommand(ObjectCommands::kLock, ObjectCommands::lockSelected);
}

void TEtiq::Deverrouiller() {
    runObjectCommand(ObjectCommands::kUnlockAll, ObjectCommands::unlockAll);
}

void TEtiq::Grouper() {
    bool full = false;
    runObjectCommand(ObjectCommands::kGroup,
                     [&](LineList& lines) { full = !ObjectCommands::groupSelected(lines); });
    if (full)
        Dialogs::information(
            this, QStringLiteral("Les neuf groupes (1 à 9) sont déjà pris : dissociez-en un"));
}

void TEtiq::Dissocier() {
    runObjectCommand(ObjectCommands::kGroup, ObjectCommands::ungroupSelected);
}

void TEtiq::Position() {
    if (!HasSelection) {
        Dialogs::information(this, QStringLiteral("Aucun objet sélectionné"));
        return;
    }
    const QPoint move = dialogs_ ? dialogs_->moveOf(SelectionBox) : QPoint();
    if (move.isNull())
        return;
    // An object that would leave 0..4095 stays where it is, as under the mouse.
    runObjectCommand(ObjectCommands::kMoveOrResize, [&](LineList& lines) {
        ObjectCommands::editSelected(lines, 1, [&](const QByteArray& line) {
            return LineEdits::MoveXY(line, move.x(), move.y());
        });
    });
}

void TEtiq::Taille() {
    if (!HasSelection) {
        Dialogs::information(this, QStringLiteral("Aucun objet sélectionné"));
        return;
    }
    const QPoint change = dialogs_ ? dialogs_->resizeOf(SelectionBox) : QPoint();
    if (change.isNull())
        return;
    // Each object grows or shrinks at its own right and bottom edges, from the bottom-right
    // handle; each text is scaled from its own font size.
    constexpr int kBottomRightHandle = 4;
    runObjectCommand(ObjectCommands::kMoveOrResize, [&](LineList& lines) {
        ObjectCommands::editSelected(lines, 2, [&](const QByteArray& line) {
            int fontSize = 0;
            return LineEdits::RedimXY(line, change.x(), change.y(), kBottomRightHandle, fontSize);
        });
    });
}

void TEtiq::Modifier() {
    if (!HasSelection) {
        Dialogs::information(this, QStringLiteral("Aucun objet sélectionné"));
        return;
    }
    qsizetype marked = -1;
    int count = 0;
    for (qsizetype i = 2; i < doc_.Lines.size(); ++i) {
        if (doc_.Lines[i].startsWith('*')) {
            marked = i;
            ++count;
        }
    }
    if (count >= 2) {
        Dialogs::information(this, QStringLiteral("Sélection multiple non modifiable"));
        return;
    }
    if (!dialogs_)
        return;
    const QByteArray edited =
        dialogs_->modifyObject(marked >= 0 ? doc_.Lines[marked] : QByteArray());
    if (edited.isEmpty() || marked < 0)
        return;
    runObjectCommand(ObjectCommands::kMoveOrResize,
                     [&](LineList& lines) { lines[marked] = edited; });
}

void TEtiq::FondPage() {
    if (doc_.Lines.size() < 2 || !dialogs_)
        return;
    const QByteArray record = dialogs_->background(doc_.Lines[1]);
    if (record.isEmpty() || record == doc_.Lines[1])
        return;
    doc_.checkpoint();
    doc_.Lines[1] = record;
    setModified(true);
    Dessine();
}

void TEtiq::Copier(LineList& clipboard) {
    runObjectCommand(ObjectCommands::kCopy,
                     [&](LineList& lines) { clipboard = ObjectCommands::copySelected(lines); });
}

void TEtiq::Couper(LineList& clipboard) {
    runObjectCommand(ObjectCommands::kCut, [&](LineList& lines) {
        clipboard = ObjectCommands::copySelected(lines);
        ObjectCommands::removeSelected(lines);
    });
}

void TEtiq::Coller(const LineList& clipboard) {
    if (clipboard.isEmpty())
        return;
    runObjectCommand(ObjectCommands::kPaste, [&](LineList& lines) { lines.append(clipboard); });
}

void TEtiq::Annuler() {
    doc_.undo();
    showModified();
    Dessine();
}

void TEtiq::Liste() {
    if (!dialogs_)
        return;
    LineList edited = doc_.Lines;
    const int chosen = dialogs_->objectList(edited);
    // A list closed without moving or deleting anything changed nothing to undo or save.
    if (edited != doc_.Lines) {
        doc_.checkpoint();
        doc_.Lines = edited;
        setModified(true);
    }
    if (chosen >= 2 && chosen < doc_.Lines.size() && doc_.Lines[chosen].size() > 1) {
        // The object chosen in the list becomes the selection.
        Deselectionne();
        doc_.Lines[chosen][0] = '*';
        HasSelection = true;
        CurrentPoint = QPoint(LineEdits::selectionRect(doc_.Lines[chosen]).left,
                              LineEdits::selectionRect(doc_.Lines[chosen]).top);
        Insel(doc_.Lines[chosen]);
        SelectionBox = HitBox;
    }
    Dessine();
}

void TEtiq::Proprietes() {
    if (dialogs_)
        dialogs_->properties(doc_.FileName, doc_.Lines);
}

void TEtiq::Apercu() {
    if (!dialogs_)
        return;
    Zoom = dialogs_->preview(pageSetup(), doc_.Lines);
    setFocus(Qt::OtherFocusReason);
}

void TEtiq::Imprime(int copies) {
    if (dialogs_)
        dialogs_->print(pageSetup(), doc_.Lines, copies, caption());
}
