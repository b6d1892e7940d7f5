#include "TEcran.h"

#include "BusyCursor.h"
#include "Dialogs.h"
#include "GdiCanvas.h"
#include "PrintDevice.h"
#include "SheetPainter.h"
#include "SpinEdit.h"
#include "UserError.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <cmath>

namespace {

constexpr int kBarHeight = 33;
constexpr int kSheetTop = 48;
// The sheet takes the window's height but for this much.
constexpr int kSheetMargin = 100;
constexpr int kBevel = 2;
constexpr int kCloseFromRight = 120;

// The colour of the cells a partly used sheet has used already, and of a stock's outlines.
constexpr ColorRef kUsedCell = 0x00D8D8D8;
constexpr ColorRef kCellOutline = 0x00A0A0A0;

// A4 at 300 dots per inch, for a window that has no printer to lay the sheet out for.
const PaperSize kA4{QSize(2480, 3508), QSizeF(210, 297)};

} // namespace

void setCellBoxes(SpinEdit& first, SpinEdit& count, const SheetLayout& layout,
                  const SheetJob& job) {
    const int cells = qMax(1, layout.columns() * layout.rows());
    first.setRange(1, cells);
    first.setValue(qBound(1, job.first + 1, cells));
    const int most = layout.merge ? qMax<int>(cells, int(layout.merge->rows.size())) : cells;
    count.setRange(0, most);
    count.setValue(job.count < 0 ? 0 : qMin(job.count, most));
}

TEcran::TEcran(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Ecran"));
    setWindowTitle(QStringLiteral("Aperçu avant impression"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowState(Qt::WindowMaximized);
    resize(800, 600);

    bar_ = new QFrame(this);
    bar_->setObjectName(QStringLiteral("Panel1"));
    bar_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* caption = new QLabel(QStringLiteral("Zoom"), bar_);
    caption->setGeometry(8, 8, 36, 17);
    SpinEdit1 = new SpinEdit(0, 0, 100, bar_);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setUnlimited();
    // Wide enough for any zoom the box takes, ten digits and a sign.
    const int zoomWidth = qMax(65, SpinEdit1->sizeHint().width());
    SpinEdit1->setGeometry(46, 5, zoomWidth, 23);
    caption->setBuddy(SpinEdit1);
    SpeedButton5 = new QToolButton(bar_);
    SpeedButton5->setObjectName(QStringLiteral("SpeedButton5"));
    SpeedButton5->setGeometry(46 + zoomWidth + 5, 4, 25, 25);
    SpeedButton5->setAutoRaise(true);
    SpeedButton5->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    SpeedButton5->setToolTip(QStringLiteral("Actualiser"));
    SpeedButton5->setStatusTip(QStringLiteral("Actualiser"));
    // A partly used sheet: where printing starts and how many labels it prints; "Actualiser"
    // shows the cells before it as used.
    int x = SpeedButton5->geometry().right() + 16;
    const auto cellBox = [&](const QString& text, const QString& name, int least) {
        auto* label = new QLabel(text, bar_);
        label->adjustSize();
        label->move(x, 8);
        x += label->width() + 4;
        auto* box = new SpinEdit(least, 1, least, bar_);
        box->setObjectName(name);
        box->setGeometry(x, 5, 70, 23);
        label->setBuddy(box);
        connect(box, &SpinEdit::entered, this, &TEcran::SpeedButton5Click);
        x += 70 + 12;
        return box;
    };
    FirstCellBox =
        cellBox(QStringLiteral("&Première étiquette"), QStringLiteral("FirstCellBox"), 1);
    CellCountBox =
        cellBox(QStringLiteral("&Nombre d'étiquettes"), QStringLiteral("CellCountBox"), 0);
    CellCountBox->setSpecialValueText(QStringLiteral("toutes"));
    // A list fills sheet after sheet: "Page 2 / 5" between the previous and next buttons,
    // and Page Up and Page Down.
    const auto sheetButton = [&](const QString& name, QStyle::StandardPixmap icon,
                                 const QString& hint) {
        auto* button = new QToolButton(bar_);
        button->setObjectName(name);
        button->setGeometry(x, 4, 25, 25);
        button->setAutoRaise(true);
        button->setIcon(style()->standardIcon(icon));
        button->setToolTip(hint);
        button->setStatusTip(hint);
        x += 25 + 4;
        return button;
    };
    PreviousSheetButton = sheetButton(QStringLiteral("PreviousSheetButton"), QStyle::SP_ArrowBack,
                                      QStringLiteral("Page précédente"));
    SheetLabel = new QLabel(bar_);
    SheetLabel->setObjectName(QStringLiteral("SheetLabel"));
    SheetLabel->setAlignment(Qt::AlignCenter);
    SheetLabel->setGeometry(x, 8, 90, 17);
    x += 90 + 4;
    NextSheetButton = sheetButton(QStringLiteral("NextSheetButton"), QStyle::SP_ArrowForward,
                                  QStringLiteral("Page suivante"));
    connect(PreviousSheetButton, &QToolButton::clicked, this, [this] { showSheet(sheet_ - 1); });
    connect(NextSheetButton, &QToolButton::clicked, this, [this] { showSheet(sheet_ + 1); });
    auto* previous = new QShortcut(QKeySequence(Qt::Key_PageUp), this);
    connect(previous, &QShortcut::activated, this, [this] { showSheet(sheet_ - 1); });
    auto* next = new QShortcut(QKeySequence(Qt::Key_PageDown), this);
    connect(next, &QShortcut::activated, this, [this] { showSheet(sheet_ + 1); });
    Button1 = new QPushButton(QStringLiteral("Fermer"), bar_);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setLineWidth(kBevel);
    Panel2->setAutoFillBackground(true);
    QPalette white = Panel2->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel2->setPalette(white);
    PaintBox1 = new QWidget(Panel2);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->setAttribute(Qt::WA_OpaquePaintEvent);
    PaintBox1->installEventFilter(this);

    connect(SpeedButton5, &QToolButton::clicked, this, &TEcran::SpeedButton5Click);
    // Enter in the zoom box refreshes too, rather than closing the window.
    connect(SpinEdit1, &SpinEdit::entered, this, &TEcran::SpeedButton5Click);
    connect(Button1, &QPushButton::clicked, this, &TEcran::Button1Click);
}

TEcran::~TEcran() = default;

PaperSize TEcran::paper() const {
    if (!printer_)
        return kA4;
    return PaperSize{printer_->pagePixels(), printer_->pageMillimetres(), printer_->resolution()};
}

PageSetupValues TEcran::setup(int left, int top, int right, int bottom, int zoom) const {
    return PageSetupValues{left, top, right, bottom, zoom};
}

void TEcran::Init(int left, int top, int right, int bottom, int zoom, const LineList& lines) {
    layout.Init(setup(left, top, right, bottom, zoom), lines, paper());
    SourceLines = lines;
    WorkLines.clear();
    reported_.clear();
    pictures_.clear();
    SpinEdit1->setValue(layout.Zoom);
    placeSheet();
}

void TEcran::Init(const SheetJob& job) {
    const PageSetupValues& s = job.setup;
    Init(s.left, s.top, s.right, s.bottom, s.zoom, job.lines);
    layout.takeJob(job);
    setCellBoxes(*FirstCellBox, *CellCountBox, layout, job);
    sheet_ = 0;
    showSheet(0);
    reportMergeProblems();
}

void TEcran::showSheet(int sheet) {
    const int sheets = layout.sheetCount();
    sheet_ = qBound(0, sheet, qMax(0, sheets - 1));
    const bool merged = bool(layout.merge);
    PreviousSheetButton->setVisible(merged);
    NextSheetButton->setVisible(merged);
    SheetLabel->setVisible(merged);
    PreviousSheetButton->setEnabled(sheet_ > 0);
    NextSheetButton->setEnabled(sheet_ + 1 < sheets);
    SheetLabel->setText(sheets == 0 ? QStringLiteral("Aucune ligne")
                                    : QStringLiteral("Page %1 / %2").arg(sheet_ + 1).arg(sheets));
    placeSheet();
    PaintBox1->update();
}

void TEcran::reportMergeProblems() {
    QStringList problems = layout.mergeProblems(SourceLines);
    if (layout.merge && layout.sheetCount() == 0)
        problems.append(QStringLiteral("La liste %1 ne contient aucune ligne : rien n'est imprimé")
                            .arg(layout.merge->fileName));
    if (problems.isEmpty())
        return;
    // After the window shows, not over a half-drawn sheet.
    QTimer::singleShot(
        0, this, [this, text = problems.join(QLatin1Char('\n'))] { Dialogs::warning(this, text); });
}

int TEcran::firstCell() const {
    return layout.firstCell;
}

int TEcran::cellCount() const {
    return layout.cellCount;
}

void TEcran::Init2(const SheetJob& job) {
    const PageSetupValues& s = job.setup;
    Init2(s.left, s.top, s.right, s.bottom, s.zoom, job.lines);
    layout.takeJob(job);
    layout.setOffset(job.offset);
}

void TEcran::Init2(int left, int top, int right, int bottom, int zoom, const LineList& lines) {
    layout.Init2(setup(left, top, right, bottom, zoom), lines, paper());
    SourceLines = lines;
    WorkLines.clear();
}

void TEcran::placeSheet() {
    // "Fermer" keeps to the right, but never over the bar's other controls: the window is at
    // least as wide as the bar needs.
    const QWidget* last =
        NextSheetButton->isVisibleTo(this) ? static_cast<QWidget*>(NextSheetButton) : CellCountBox;
    const int closeLeft = last->geometry().right() + 16;
    setMinimumWidth(closeLeft + kCloseFromRight);
    Button1->setGeometry(qMax(width() - kCloseFromRight, closeLeft), 4, 75, 25);
    bar_->setGeometry(0, 0, width(), kBarHeight);
    const int sheetHeight = qMax(2 * kBevel, height() - kSheetMargin);
    const int sheetWidth =
        qBound(2 * kBevel, int(std::nearbyint(layout.PageRatio * sheetHeight)), 1 << 16);
    Panel2->setGeometry((width() - sheetWidth) / 2, kSheetTop, sheetWidth, sheetHeight);
    PaintBox1->setGeometry(kBevel, kBevel, sheetWidth - 2 * kBevel, sheetHeight - 2 * kBevel);
    layout.setArea(PaintBox1->size());
}

void TEcran::FormResize() {
    placeSheet();
}

void TEcran::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TEcran::Echelle() {
    // The scale follows the zoom and the drawing area; the lines themselves are converted as
    // they are drawn.
    layout.Actualiser(layout.Zoom);
    WorkLines = SourceLines;
}

bool TEcran::usedCell(int row, int column) const {
    // With a list, only the cells before the first one of the first sheet were used; the
    // cells after its last row are simply left over.
    if (layout.merge)
        return sheet_ == 0 && qint64(row) * layout.columns() + column < layout.firstCell;
    return !layout.printsCell(row, column);
}

void TEcran::Planche() {
    layout.setArea(PaintBox1->size());
    GdiCanvas canvas(&area_);
    // The cells used before on a partly used sheet show grey: nothing prints there.
    canvas.setBrushStyle(BrushSolid);
    canvas.setBrushColor(kUsedCell);
    for (int row = 0; row < layout.rows(); ++row)
        for (int column = 0; column < layout.columns(); ++column)
            if (usedCell(row, column)) {
                const QRect cell = layout.cellRect(row, column);
                canvas.fillRect(cell.left(), cell.top(), cell.right() + 1, cell.bottom() + 1);
            }
    for (const QLine& guide : layout.guideLines()) {
        canvas.moveTo(guide.x1(), guide.y1());
        canvas.lineTo(guide.x2(), guide.y2());
    }
    // A sheet of stock shows each label's outline, round labels as circles.
    if (!layout.stock)
        return;
    canvas.setBrushStyle(BrushClear);
    canvas.setPenStyle(PenDot);
    canvas.setPenColor(kCellOutline);
    for (int row = 0; row < layout.rows(); ++row)
        for (int column = 0; column < layout.columns(); ++column) {
            const QRect cell = layout.cellRect(row, column);
            if (layout.stock->shape == SheetStock::Shape::Round)
                canvas.ellipse(cell.left(), cell.top(), cell.right() + 1, cell.bottom() + 1);
            else
                canvas.rectangle(cell.left(), cell.top(), cell.right() + 1, cell.bottom() + 1);
        }
    canvas.setPenStyle(PenSolid);
}

void TEcran::Dessine() {
    const QSize size = PaintBox1->size();
    if (area_.size() != size)
        area_ = QImage(size, QImage::Format_RGB32);
    area_.fill(Qt::white);
    Planche();
    Echelle();
    GdiCanvas canvas(&area_);
    report(paintSheet(canvas, layout, WorkLines, &pictures_, sheet_), reported_);
    pictures_.sweep();
}

void TEcran::FormPaint() {
    SpinEdit1->setValue(layout.Zoom);
    Dessine();
}

void TEcran::SpeedButton5Click() {
    layout.Actualiser(SpinEdit1->readValue());
    const int count = CellCountBox->readValue();
    layout.setCells(FirstCellBox->readValue() - 1, count > 0 ? count : -1);
    showSheet(sheet_);
}

void TEcran::Button1Click() {
    accept();
}

void TEcran::FormClose() {
    WorkLines.clear();
    pictures_.clear();
}

void TEcran::closeEvent(QCloseEvent* event) {
    FormClose();
    QDialog::closeEvent(event);
}

bool TEcran::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PaintBox1 && event->type() == QEvent::Paint) {
        FormPaint();
        QPainter(PaintBox1).drawImage(0, 0, area_);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TEcran::Imprime(PrintDevice& printer, int copies) {
    Echelle();
    QList<BrokenLine> broken;
    {
        const BusyCursor busy;
        broken = printSheet(printer, layout, WorkLines, copies, &pictures_);
    }
    pictures_.clear();
    // The job is over: a line that could not be drawn is said once for the whole of it, and
    // so is what was wrong with the list.
    if (!broken.isEmpty())
        Dialogs::error(this, broken.first().message);
    const QStringList problems = layout.mergeProblems(SourceLines);
    if (!problems.isEmpty())
        Dialogs::warning(this, problems.join(QLatin1Char('\n')));
}

void TEcran::report(const QList<BrokenLine>& broken, QSet<QByteArray>& reported) {
    for (const BrokenLine& line : broken) {
        const QByteArray& text = WorkLines.value(line.index);
        if (reported.contains(text))
            continue;
        reported.insert(text);
        // Not from inside a paint event: the message box would paint over a half-drawn sheet.
        QTimer::singleShot(0, this,
                           [this, message = line.message] { Dialogs::error(this, message); });
        return;
    }
}
