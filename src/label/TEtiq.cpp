#include "TEtiq.h"

#include "Dialogs.h"
#include "ErrorReportingApplication.h"
#include "LabelFile.h"
#include "LineEdits.h"
#include "SurfaceWidget.h"
#include "UserError.h"
#include "Windows1252.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QPalette>
#include <QRegion>
#include <QScrollArea>

namespace {

constexpr int kPanelOffset = 20;
constexpr int kCdFrame = 378;
// Coordinates are three hex digits, so nothing beyond 4096 pixels can be addressed.
constexpr int kLargestFrame = 4096;

bool isCdFormat(int width, int height) { return width == 126 && height == 126; }

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

    FormCreate();
}

TEtiq::~TEtiq() { canvas_.setDevice(nullptr); }

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
    SelectionBox = QRect();
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
    Modified = true;
    Dessine();
}

void TEtiq::SetNew() {
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
    // Read first: a file that cannot be read leaves the window as it was.
    LineList loaded = LabelFile::read(path);
    FileName = path;
    Lines = std::move(loaded);
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
                                                 QStringLiteral("Fichiers Vorlapuette (*.etq)"));
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
    const auto answer = Dialogs::warning(
        this, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
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

void TEtiq::FormCloseQuery(bool& canClose) { canClose = SaveQuery(); }

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
    Tool = tool;
    PaintBox1->setCursor(Qt::ArrowCursor);
    if (toolBar_)
        toolBar_->setPenWidthField(canvas_.penWidth());
}

void TEtiq::SetText() {
    Tool = ToolText;
    PaintBox1->setCursor(Qt::IBeamCursor);
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

QSize TEtiq::frameSize() const { return Panel1->size(); }

void TEtiq::Deselectionne() {
    if (HasSelection)
        SelectionChanged = true;
    LineEdits::clearMarks(Lines);
    HasSelection = false;
    PaintBox1->unsetCursor();
    Moving = false;
    ResizeHandle = 0;
    SelectionBox = QRect(QPoint(8182, 8182), QPoint(0, 0));
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
    return LineCodec::writeRect(qMin(x0, x1), qMin(y0, y1), qMax(x0, x1), qMax(y0, y1)) +
           kindData;
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
    if (!CollectingPoints && qAbs(AnchorPoint.x() - CurrentPoint.x()) +
                                     qAbs(AnchorPoint.y() - CurrentPoint.y()) <
                                 5)
        return;
    const QByteArray styles = GetStyles();
    const bool upward = CurrentPoint.y() < AnchorPoint.y();
    const QByteArray rect = GetRect(CurrentPoint.x(), CurrentPoint.y());
    QByteArray body;
    switch (Tool) {
    case ToolLine: body = (upward ? "LINEU " : "LINE ") + rect; break;
    case ToolRect: body = "RECT " + rect; break;
    case ToolEllipse: body = "ELLIPSE " + rect; break;
    case ToolRoundRect: body = "ROUNDRECT " + rect; break;
    case ToolPolygon: body = "POLYG " + rect; break;
    case ToolPolyline: body = "POLYL " + rect; break;
    case ToolText: body = "TEXT " + rect + CurrentText; break;
    case ToolPicture:
        if (PictureKind == 1)
            body = "BITMAP " + rect;
        else if (PictureKind == 2)
            body = "META " + rect;
        break;
    case ToolArc:
        if (upward)
            body = (CtrlPressed ? "ARCLU " : "ARCHU ") + rect;
        else
            body = (CtrlPressed ? "ARCL " : "ARCH ") + rect;
        break;
    default: break;
    }
    if (body.size() > 14) {
        UndoLines = Lines;
        Lines.append(" 0" + body + '\t' + styles);
    }
    Modified = true;
}

void TEtiq::SetRect(const QByteArray& geometry) { ObjectRect = LineCodec::readRect(geometry); }

void TEtiq::SetArray(const QByteArray& pointList) {
    PointBuffer = LineCodec::readPoints(pointList);
    LastPointIndex = int(PointBuffer.size()) - 1;
}

void TEtiq::SetStyles(const QByteArray& block) {
    StyleBlock style;
    style.brushStyle = canvas_.brushStyle();
    style.penStyle = canvas_.penStyle();
    style.fontStyle = canvas_.fontStyle();
    LineCodec::readStyles(block, style);
    canvas_.setBrushStyle(style.brushStyle);
    canvas_.setBrushColor(style.brushColor);
    canvas_.setPenStyle(style.penStyle);
    canvas_.setPenWidth(style.penWidth);
    canvas_.setPenColor(style.penColor);
    canvas_.setFontColor(style.fontColor);
    canvas_.setFontSize(style.fontSize);
    canvas_.setFontStyle(style.fontStyle);
    canvas_.setFontName(Windows1252::toUnicode(style.fontName));
}

void TEtiq::Dessine() {
    // Objects are drawn on the surface by the renderer; until then it shows the white label.
    canvas_.whiten(0, 0, surface_.width(), surface_.height());
    RestoreStyles();
    PaintBox1->update();
}

QString TEtiq::caption() const { return windowTitle(); }

void TEtiq::updateCaption() {
    setWindowTitle(FileName.isEmpty() ? QStringLiteral("Sans titre")
                                      : QFileInfo(FileName).fileName());
}
