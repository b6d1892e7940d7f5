#include "TEtiq.h"

#include "BusyCursor.h"
#include "Dialogs.h"
#include "ErrorReportingApplication.h"
#include "LabelFile.h"
#include "LineEdits.h"
#include "PictureDecoders.h"
#include "SurfaceWidget.h"
#include "UserError.h"
#include "Windows1252.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPalette>
#include <QRegion>
#include <QScrollArea>

namespace {

constexpr int kPanelOffset = 20;
constexpr int kCdFrame = 378;
// Coordinates are three hex digits, so nothing beyond 4096 pixels can be addressed.
constexpr int kLargestFrame = 4096;

bool isCdFormat(int width, int height) {
    return width == 126 && height == 126;
}

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
    PaintBox1->installEventFilter(this);
    PointBuffer.resize(301);

    FormCreate();
}

TEtiq::~TEtiq() {
    canvas_.setDevice(nullptr);
}

void TEtiq::FormCreate() {
    FileName.clear();
    canvas_.setBrushStyle(BrushClear);
    canvas_.setPenColor(0);
    Tool = ToolLine;
    HasSelection = false;
    LabelWidth = 70;
    LabelHeight = 42;
    HSpacing = 0;
    VSpacing = 0;
    Lines = LineCodec::newLabel(format());
    UndoLines.clear();
    RedimForm();
    updateCaption();
}

void TEtiq::SetIni(int toolNumber, int /*penWidth*/, int penStyle, ColorRef penColor,
                   ColorRef fillColor, int fillStyle) {
    FileName.clear();
    canvas_.setBrushColor(fillColor);
    canvas_.setBrushStyle(fillStyle);
    canvas_.setPenColor(penColor);
    CurBrushStyle = fillStyle;
    const int tool = toolForToolNumber(toolNumber);
    if (tool >= 0)
        Tool = tool;
    canvas_.setPenStyle(penStyle);
    HasSelection = false;
    LabelWidth = 70;
    LabelHeight = 42;
    HSpacing = 0;
    VSpacing = 0;
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
    LabelWidth = width;
    LabelHeight = height;
    HSpacing = hspacing;
    VSpacing = vspacing;
    if (Lines.isEmpty())
        Lines = LineCodec::newLabel(format());
    else
        Lines[0] = LineCodec::writeHeader(format());
    RedimForm();
    // The old size's lines would come back under the new size.
    UndoLines.clear();
    Modified = true;
    Dessine();
}

void TEtiq::SetNew() {
    // A new label has nothing to undo, whatever the old one had.
    UndoLines.clear();
    reportedBadLines_.clear();
    Modified = false;
    updateCaption();
}

void TEtiq::Effacer() {
    UndoLines = Lines;
    Lines = LineCodec::newLabel(format());
    Dessine();
    Modified = true;
}

void TEtiq::Charge(const QString& path) {
    const BusyCursor busy;
    // Read first: a file that cannot be read leaves the window as it was.
    LineList loaded = LabelFile::read(path);
    FileName = path;
    Lines = std::move(loaded);
    // "Annuler" must never bring back the previous label's objects under this name, and
    // this file's broken lines are reported again even if an earlier file had them.
    UndoLines.clear();
    reportedBadLines_.clear();
    // A file of fewer than two lines lacks its header or background record.
    if (Lines.isEmpty())
        Lines.append(LineCodec::defaultHeader());
    if (Lines.size() < 2)
        Lines.append(LineCodec::kBlankRecord);
    RestoreStyles();
    LineCodec::dropMalformedLines(Lines);

    LabelFormatValues values = format();
    if (LineCodec::readHeader(Lines[0], values)) {
        if (values.width <= 9)
            values.width = 70;
        if (values.height <= 9)
            values.height = 42;
    }
    // Nothing larger than the largest label can be edited; a corrupt header must not
    // ask for a surface of gigabytes.
    values.width = qMin(values.width, 300);
    values.height = qMin(values.height, 300);
    LabelWidth = values.width;
    LabelHeight = values.height;
    HSpacing = values.hspacing;
    VSpacing = values.vspacing;

    RedimForm();
    Modified = false;
    updateCaption();
    Dessine();
}

bool TEtiq::Sauve(int mode) {
    const QString nameBefore = FileName;
    if (FileName.isEmpty() || mode == 1) {
        // A cancelled name writes nothing, not even under the name held before.
        if (!SaveAs())
            return false;
    }
    if (FileName.isEmpty())
        return false;
    if (!Modified)
        return true;

    const QString path = LabelFile::withExtension(FileName);
    const BusyCursor busy;
    Deselectionne();
    Lines[0] = LineCodec::writeHeader(format());
    try {
        LabelFile::write(path, Lines);
    } catch (const UserError&) {
        // The label stays changed and keeps the name it had, so nothing points at a file
        // that was never written.
        FileName = nameBefore;
        throw;
    }
    FileName = path;
    Modified = false;
    updateCaption();
    Dessine();
    return true;
}

bool TEtiq::SaveAs() {
    const QString dir = FileName.isEmpty() ? QString() : QFileInfo(FileName).absolutePath();
    const QString chosen = Dialogs::saveFileName(this, QStringLiteral("Enregistrer sous"), dir,
                                                 QStringLiteral("Fichiers étiquettes (*.etq)"));
    if (chosen.isEmpty())
        return false;
    FileName = LabelFile::withExtension(chosen);
    Modified = true;
    return true;
}

bool TEtiq::SaveQuery() {
    if (!Modified)
        return true;
    const QString text = QStringLiteral("Enregistrer modifications dans ") +
                         QFileInfo(FileName).fileName() + QStringLiteral(" ?");
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
    Lines.clear();
    UndoLines.clear();
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
    canvas_.setBrushStyle(CurBrushStyle);
    canvas_.setPenStyle(CurPenStyle);
    canvas_.setPenWidth(CurPenWidth);
    canvas_.setPenColor(CurPenColor);
    canvas_.setBrushColor(CurBrushColor);
    canvas_.setFontName(CurFontName);
    canvas_.setFontSize(CurFontSize);
    // The three style buttons replace bold, italic and underline; strike-out stays.
    int style = canvas_.fontStyle() & FontStrikeOut;
    if (state.bold)
        style |= FontBold;
    if (state.italic)
        style |= FontItalic;
    if (state.underline)
        style |= FontUnderline;
    canvas_.setFontStyle(style);
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
    QSize frame;
    if (isCdFormat(LabelWidth, LabelHeight)) {
        CdLabel = true;
        frame = QSize(kCdFrame, kCdFrame);
    } else {
        // Any height gets its whole surface at four pixels a millimetre; the scroll area
        // brings the rest into reach.
        CdLabel = false;
        frame = QSize(qBound(4, 4 * LabelWidth, kLargestFrame),
                      qBound(4, 4 * LabelHeight, kLargestFrame));
    }
    Panel1->resize(frame);
    if (CdLabel)
        Panel1->setMask(QRegion(4, 4, 351, 351, QRegion::Ellipse));
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

LabelRect TEtiq::markedBox() const {
    LabelRect box{8182, 8182, 0, 0};
    for (qsizetype i = 2; i < Lines.size(); ++i) {
        if (!Lines[i].startsWith('*'))
            continue;
        const LabelRect r = LineEdits::selectionRect(Lines[i]);
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
    LineEdits::clearMarks(Lines);
    HasSelection = false;
    setSurfaceCursor(Qt::ArrowCursor);
    Moving = false;
    ResizeHandle = 0;
    SelectionBox = LabelRect{8182, 8182, 0, 0};
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
    StyleBlock style;
    style.brushStyle = canvas_.brushStyle();
    style.brushColor = canvas_.brushColor();
    style.penStyle = canvas_.penStyle();
    style.penWidth = canvas_.penWidth();
    style.penColor = canvas_.penColor();
    style.fontColor = canvas_.fontColor();
    style.fontSize = canvas_.fontSize();
    style.fontStyle = canvas_.fontStyle();
    style.fontName = Windows1252::fromUnicode(canvas_.fontName());
    return LineCodec::writeStyles(style);
}

void TEtiq::EcritForme() {
    if (!CollectingPoints &&
        qAbs(AnchorPoint.x() - CurrentPoint.x()) + qAbs(AnchorPoint.y() - CurrentPoint.y()) < 5)
        return;
    const QByteArray styles = GetStyles();
    const bool upward = CurrentPoint.y() < AnchorPoint.y();
    const bool leftward = CurrentPoint.x() < AnchorPoint.x();
    const QByteArray rect = GetRect(CurrentPoint.x(), CurrentPoint.y());
    QByteArray body;
    switch (Tool) {
    case ToolLine:
        // The rectangle is normalised, so the keyword alone says which diagonal was drawn.
        body =
            ((leftward ? CurrentPoint.y() > AnchorPoint.y() : upward) ? "LINEU " : "LINE ") + rect;
        break;
    case ToolRect:
        body = "RECT " + rect;
        break;
    case ToolEllipse:
        body = "ELLIPSE " + rect;
        break;
    case ToolRoundRect:
        body = "ROUNDRECT " + rect;
        break;
    case ToolPolygon:
        body = "POLYG " + rect;
        break;
    case ToolPolyline:
        body = "POLYL " + rect;
        break;
    case ToolText:
        body = "TEXT " + rect + CurrentText;
        break;
    case ToolPicture:
        if (PictureKind == 1)
            body = "BITMAP " + rect;
        else if (PictureKind == 2)
            body = "META " + rect;
        break;
    case ToolArc:
        body = arcKeyword(upward, leftward) + rect;
        break;
    default:
        break;
    }
    if (body.size() > 14) {
        UndoLines = Lines;
        Lines.append(" 0" + body + '\t' + styles);
    }
    Modified = true;
}

QByteArray TEtiq::arcKeyword(bool upward, bool leftward) const {
    // The band runs from the press to the release (with Ctrl) or back; the keyword names
    // the corner of the normalised rectangle it starts from.
    if (!leftward)
        return upward ? (CtrlPressed ? "ARCLU " : "ARCHU ") : (CtrlPressed ? "ARCL " : "ARCH ");
    return upward ? (CtrlPressed ? "ARCH " : "ARCL ") : (CtrlPressed ? "ARCHU " : "ARCLU ");
}

void TEtiq::SetRect(const QByteArray& geometry) {
    ObjectRect = LineCodec::readRect(geometry);
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

RenderOptions TEtiq::renderOptions() const {
    RenderOptions options;
    options.backgroundWidth = 4 * LabelWidth;
    options.backgroundHeight = 4 * LabelHeight;
    options.gradientHeight = surface_.height();
    return options;
}

void TEtiq::Efface() {
    // The undo snapshot belongs to the commands that change the label, not to a redraw.
    canvas_.whiten(0, 0, surface_.width(), surface_.height());
    canvas_.setPenMode(PenMode::Copy);
    RestoreStyles();
}

void TEtiq::DessinCd() {
    LineRenderer(canvas_).drawCdTemplate(LabelWidth, LabelHeight);
}

void TEtiq::DessinForme(QByteArrayView line, const QByteArray* owner) {
    LineRenderer renderer(canvas_, pictureCacheEnabled_ ? &pictureCache_ : nullptr);
    RenderState state;
    state.objectRect = ObjectRect;
    state.currentText = CurrentText;
    state.savedBrushColor = CurBrushColor;
    state.savedBrushStyle = CurBrushStyle;
    bool drewPoints = false;
    try {
        drewPoints = renderer.draw(line, renderOptions(), state, owner);
    } catch (...) {
        ObjectRect = state.objectRect;
        throw;
    }
    ObjectRect = state.objectRect;
    if (drewPoints) {
        for (qsizetype i = 0; i < state.points.size(); ++i)
            PointBuffer[i] = state.points[i];
        LastPointIndex = int(state.points.size()) - 1;
    }
    CurrentText = state.currentText;
    CurBrushColor = state.savedBrushColor;
    CurBrushStyle = state.savedBrushStyle;
}

void TEtiq::Dessine() {
    const BusyCursor busy(isHeavy());
    Efface();
    if (CdLabel)
        DessinCd();
    QString firstError;
    for (qsizetype i = 1; i < Lines.size(); ++i) {
        const QByteArray& line = Lines[i];
        const QByteArrayView body = QByteArrayView(line).sliced(qMin<qsizetype>(2, line.size()));
        if (body == "BLANK")
            continue;
        // A broken line is reported once and never stops the rest of the label.
        try {
            DessinForme(body, &line);
        } catch (const UserError& error) {
            if (!reportedBadLines_.contains(line)) {
                reportedBadLines_.insert(line);
                if (firstError.isEmpty())
                    firstError = error.message();
            }
        }
    }
    if (!pictureCacheEnabled_)
        pictureCache_.clear();
    pictureCache_.sweep();
    Affsel();
    canvas_.flush();
    PaintBox1->update();
    if (!firstError.isEmpty())
        reportError(firstError);
}

bool TEtiq::isHeavy() const {
    // Beyond a few thousand objects or a megabyte of pictures a redraw is felt.
    if (Lines.size() > 5000)
        return true;
    qsizetype bytes = 0;
    for (const QByteArray& line : Lines)
        bytes += line.size();
    return bytes > 1024 * 1024;
}

void TEtiq::FormPaint() {
    Dessine();
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
    const LabelRect r = LineEdits::selectionRect(line);
    canvas_.setPenWidth(1);
    canvas_.setPenStyle(PenDot);
    canvas_.setBrushStyle(BrushClear);
    canvas_.rectangle(r.left, r.top, r.right, r.bottom);
    canvas_.setPenWidth(5);
    const int midX = (r.left + r.right) / 2;
    const int midY = (r.top + r.bottom) / 2;
    const QPoint handles[8] = {{r.left, r.top},     {r.right, r.top}, {r.left, r.bottom},
                               {r.right, r.bottom}, {midX, r.top},    {r.right, midY},
                               {midX, r.bottom},    {r.left, midY}};
    for (const QPoint& h : handles) {
        canvas_.moveTo(h.x(), h.y());
        canvas_.lineTo(h.x(), h.y());
    }
}

void TEtiq::Affsel() {
    // The frame's dotted 5-pixel pen is the frame's own: it must not reach the tool bar's
    // pen-width box or the next object recorded.
    const int penWidth = canvas_.penWidth();
    const int penStyle = canvas_.penStyle();
    const int brushStyle = canvas_.brushStyle();
    const PenMode mode = canvas_.penMode();
    canvas_.setPenMode(PenMode::NotXor);
    for (qsizetype i = 2; i < Lines.size(); ++i)
        if (Lines[i].startsWith('*'))
            RectSel(Lines[i]);
    canvas_.setPenWidth(penWidth);
    canvas_.setPenStyle(penStyle);
    canvas_.setBrushStyle(brushStyle);
    canvas_.setPenMode(mode);
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

void TEtiq::updateCaption() {
    setWindowTitle(FileName.isEmpty() ? QStringLiteral("Sans titre")
                                      : QFileInfo(FileName).fileName());
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
    canvas_.moveTo(x, y);
    CurrentPoint = AnchorPoint;
    showPosition(x, y);
}

void TEtiq::FormMouseMove(int x, int y) {
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
        } else if (LastPointIndex <= 297) {
            ++LastPointIndex;
            PointBuffer[LastPointIndex] = CurrentPoint;
        }
        return;
    }
    switch (Tool) {
    case ToolPointer:
        // The click that ends a move or resize keeps the selection that was dragged.
        if (gestureMoved_ && (Moving || ResizeHandle > 0))
            break;
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
    for (int i = 0; i <= 100; ++i)
        PointBuffer[i] = QPoint(0, 0);
}

void TEtiq::InsertPicture() {
    const QString path = Dialogs::openFileName(this, QStringLiteral("Ouvrir une image"), QString(),
                                               PictureDecoders::openPictureFilter());
    if (path.isEmpty())
        return;
    // A file that cannot be decoded throws with its message; nothing is recorded.
    const DecodedPicture decoded = PictureDecoders::decodePicture(path);
    PictureFile = path.toUpper();
    PictureBitmap = decoded.image;
    PictureKind = decoded.kind;
    if (qint64(PictureBitmap.width()) * PictureBitmap.height() >= 21801) {
        Dialogs::warning(this, QStringLiteral("Image trop grande"));
        return;
    }
    CurrentPoint = AnchorPoint + QPoint(PictureBitmap.width(), PictureBitmap.height());
    EcritForme();
    Dessine();
}

bool TEtiq::eventFilter(QObject* watched, QEvent* event) {
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
    for (qsizetype i = Lines.size() - 1; i >= 2; --i) {
        QByteArray& line = Lines[i];
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
    for (qsizetype i = 2; i < Lines.size(); ++i) {
        QByteArray& line = Lines[i];
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
    const int d = qAbs(b.right - b.left) / 2;
    const int e = qAbs(b.bottom - b.top) / 2;
    const struct {
        QPoint at;
        Qt::CursorShape cursor;
    } handles[8] = {
        {{b.left, b.top}, Qt::SizeFDiagCursor},    {{b.right, b.top}, Qt::SizeBDiagCursor},
        {{b.left, b.bottom}, Qt::SizeBDiagCursor}, {{b.right, b.bottom}, Qt::SizeFDiagCursor},
        {{b.left, b.top + e}, Qt::SizeHorCursor},  {{b.right, b.top + e}, Qt::SizeHorCursor},
        {{b.left + d, b.top}, Qt::SizeVerCursor},  {{b.left + d, b.bottom}, Qt::SizeVerCursor},
    };
    for (int h = 0; h < 8; ++h) {
        if (qAbs(x - handles[h].at.x()) < 5 && qAbs(y - handles[h].at.y()) < 5) {
            setSurfaceCursor(handles[h].cursor);
            HoverHandle = h + 1;
        }
    }
}

void TEtiq::MoveRes() {
    Moving = surfaceCursor() == Qt::CrossCursor;
    ResizeHandle = HoverHandle;
    // A move or resize is a change: "Annuler" brings back the objects where they were.
    if (Moving || ResizeHandle > 0)
        takeSnapshot();
}

void TEtiq::Deplace() {
    const int dx = CurrentPoint.x() - AnchorPoint.x();
    const int dy = CurrentPoint.y() - AnchorPoint.y();
    for (qsizetype i = 1; i < Lines.size(); ++i)
        if (Lines[i].startsWith('*'))
            Lines[i] = LineEdits::MoveXY(Lines[i], dx, dy);
    Modified = true;
}

void TEtiq::RedimSel() {
    const int dx = CurrentPoint.x() - AnchorPoint.x();
    const int dy = CurrentPoint.y() - AnchorPoint.y();
    for (qsizetype i = 1; i < Lines.size(); ++i)
        if (Lines[i].startsWith('*'))
            Lines[i] = LineEdits::RedimXY(Lines[i], dx, dy, ResizeHandle, ResizeFontSize);
    Modified = true;
}

void TEtiq::Copier(LineList& clipboard) {
    if (!HasSelection) {
        Dialogs::information(this, QStringLiteral("Aucun objet sélectionné"));
        return;
    }
    clipboard.clear();
    for (qsizetype i = 1; i < Lines.size(); ++i) {
        if (Lines[i].startsWith('*')) {
            QByteArray copy = Lines[i];
            copy[0] = ' ';
            clipboard.append(copy);
        }
    }
}

void TEtiq::Couper(LineList& clipboard) {
    if (!HasSelection) {
        Dialogs::information(this, QStringLiteral("Aucun objet sélectionné"));
        return;
    }
    takeSnapshot();
    Copier(clipboard);
    for (qsizetype i = Lines.size() - 1; i >= 1; --i)
        if (Lines[i].startsWith('*'))
            Lines.removeAt(i);
    Modified = true;
    Dessine();
}

void TEtiq::Coller(const LineList& clipboard) {
    if (clipboard.isEmpty())
        return;
    takeSnapshot();
    Lines.append(clipboard);
    Modified = true;
    Dessine();
}

void TEtiq::Annuler() {
    // An undo that changes the lines is a change the save question must know about.
    if (UndoLines.size() >= 2 && UndoLines != Lines) {
        Lines = UndoLines;
        Modified = true;
    }
    Dessine();
}

void TEtiq::Liste() {
    if (!dialogs_)
        return;
    LineList edited = Lines;
    const int chosen = dialogs_->objectList(edited);
    takeSnapshot();
    Lines = edited;
    Modified = true;
    if (chosen >= 2 && chosen < Lines.size() && Lines[chosen].size() > 1) {
        Lines[chosen][0] = '*';
        HasSelection = true;
        CurrentPoint = QPoint(LineEdits::selectionRect(Lines[chosen]).left,
                              LineEdits::selectionRect(Lines[chosen]).top);
        Insel(Lines[chosen]);
        SelectionBox = HitBox;
    }
    Dessine();
}

void TEtiq::Proprietes() {
    if (dialogs_)
        dialogs_->properties(FileName, Lines);
}
