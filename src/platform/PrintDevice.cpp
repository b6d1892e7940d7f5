#include "PrintDevice.h"

#include "SafeFile.h"
#include "UserError.h"

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageRanges>
#include <QPdfWriter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>

#include <cups/cups.h>

#include <cmath>
#include <utility>

namespace {

constexpr double kMillimetresPerInch = 25.4;
const QString kNoJob = QStringLiteral("Aucune impression en cours");

QPageLayout a4Page() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(),
                       QPageLayout::Millimeter);
}

QString printerCaption(const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::PdfFormat
               ? QDir::toNativeSeparators(printer.outputFileName())
               : printer.printerName();
}

} // namespace

bool PrintDevice::fail(const QString& text) {
    errorText_ = text;
    return false;
}

PrintJob::~PrintJob() {
    if (running_)
        device_.abort();
}

bool PrintJob::begin() {
    running_ = device_.begin();
    return running_;
}

bool PrintJob::end() {
    running_ = false;
    return device_.end();
}

void printCopies(PrintDevice& device, int copies, const std::function<void(QPainter&)>& drawPage) {
    printCopies(device, copies, 1, [&](QPainter& painter, int) { drawPage(painter); });
}

void printCopies(PrintDevice& device, int copies, int pages,
                 const std::function<void(QPainter&, int page)>& drawPage) {
    const int passes = device.setCopies(copies);
    PrintJob job(device);
    if (!job.begin())
        throw UserError(device.errorText());
    bool first = true;
    for (int pass = 0; pass < passes; ++pass) {
        for (int page = 0; page < qMax(1, pages); ++page) {
            if (!first && !device.newPage())
                throw UserError(device.errorText());
            first = false;
            // Every page starts from the painter as the job began, whatever the last one left.
            QPainter& painter = *device.painter();
            painter.save();
            drawPage(painter, page);
            painter.restore();
        }
    }
    if (!job.end())
        throw UserError(device.errorText());
}

PrinterDevice::PrinterDevice(QPrinter& printer) : printer_(&printer) {
    printer_->setFullPage(true);
}

PrinterDevice::PrinterDevice(const QString& printerName) {
    // QPrinter would quietly keep the default printer for a name it does not know.
    const QPrinterInfo info = printerName.isEmpty() ? QPrinterInfo::defaultPrinter()
                                                    : QPrinterInfo::printerInfo(printerName);
    if (!printerName.isEmpty() && info.isNull())
        missingPrinter_ = printerName;
    owned_ = info.isNull() ? std::make_unique<QPrinter>(QPrinter::HighResolution)
                           : std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer_ = owned_.get();
    printer_->setFullPage(true);
}

PrinterDevice::~PrinterDevice() {
    abort();
}

bool PrinterDevice::toCups() const {
    return printer_->outputFormat() == QPrinter::NativeFormat;
}

QSize PrinterDevice::pagePixels() const {
    return printer_->paperRect(QPrinter::DevicePixel).size().toSize();
}

QSizeF PrinterDevice::pageMillimetres() const {
    return printer_->paperRect(QPrinter::Millimeter).size();
}

int PrinterDevice::resolution() const {
    return printer_->resolution();
}

int PrinterDevice::setCopies(int n) {
    n = qMax(1, n);
    copies_ = n;
    // CUPS always makes the copies itself.
    if (toCups() || printer_->supportsMultipleCopies()) {
        printer_->setCopyCount(n);
        return 1;
    }
    printer_->setCopyCount(1);
    return n;
}

bool PrinterDevice::begin() {
    dropSpool();
    errorText_.clear();
    if (!missingPrinter_.isEmpty())
        return fail(QStringLiteral("L'imprimante %1 n'existe pas").arg(missingPrinter_));
    // Without any printer, QPrinter falls back to a PDF file that nobody named.
    const bool hasTarget = toCups() ? printer_->isValid() && !printer_->printerName().isEmpty()
                                    : !printer_->outputFileName().isEmpty();
    if (!hasTarget)
        return fail(QStringLiteral("Aucune imprimante n'est installée"));
    printer_->setFullPage(true);
    printer_->setDocName(documentName_);
    if (toCups()) {
        spoolFile_ = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                      QStringLiteral("/vorlap-XXXXXX.pdf"));
        if (!spoolFile_->open()) {
            dropSpool();
            return fail(
                QStringLiteral("Impossible d'imprimer sur %1").arg(printerCaption(*printer_)));
        }
        // The PDF that Qt's CUPS engine would send: the same page, resolution and colours.
        spool_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        spool_->setOutputFormat(QPrinter::PdfFormat);
        spool_->setOutputFileName(spoolFile_->fileName());
        spool_->setResolution(printer_->resolution());
        spool_->setPageLayout(printer_->pageLayout());
        spool_->setFullPage(true);
        spool_->setColorMode(printer_->colorMode());
        spool_->setCreator(printer_->creator());
        spool_->setDocName(documentName_);
    }
    if (!painter_.begin(&target())) {
        dropSpool();
        return fail(QStringLiteral("Impossible d'imprimer sur %1").arg(printerCaption(*printer_)));
    }
    // Pictures would otherwise become JPEG in the PDF that CUPS or the file gets.
    painter_.setRenderHint(QPainter::LosslessImageRendering);
    return true;
}

bool PrinterDevice::newPage() {
    if (!painter_.isActive() || !target().newPage())
        return failed();
    return true;
}

bool PrinterDevice::end() {
    const bool drawn =
        painter_.isActive() && painter_.end() && target().printerState() != QPrinter::Error;
    if (!drawn)
        return failed();
    return !spool_ || submit();
}

void PrinterDevice::abort() {
    if (!painter_.isActive()) {
        dropSpool();
        return;
    }
    if (!spool_)
        printer_->abort();
    painter_.end();
    dropSpool();
    // A print to file must not leave half a document behind.
    if (printer_->outputFormat() == QPrinter::PdfFormat && !printer_->outputFileName().isEmpty())
        QFile::remove(printer_->outputFileName());
}

bool PrinterDevice::submit() {
    // The options Qt's CUPS engine sends, then those the print dialog left for CUPS (page
    // set, pages per sheet, banners, priority, ...), which take precedence as they do there.
    cups_option_t* options = nullptr;
    int count = 0;
    const auto add = [&](const char* name, const QByteArray& value) {
        count = cupsAddOption(name, value.constData(), count, &options);
    };
    const QPageLayout layout = printer_->pageLayout();
    add("media", layout.pageSize().key().toUtf8());
    if (copies_ > 1) {
        add("copies", QByteArray::number(copies_));
        if (printer_->collateCopies())
            add("Collate", "True");
    }
    const bool landscape = layout.orientation() == QPageLayout::Landscape;
    switch (printer_->duplex()) {
    case QPrinter::DuplexNone:
        add("sides", "one-sided");
        break;
    case QPrinter::DuplexAuto:
        add("sides", landscape ? "two-sided-short-edge" : "two-sided-long-edge");
        break;
    case QPrinter::DuplexLongSide:
        add("sides", "two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        add("sides", "two-sided-short-edge");
        break;
    }
    if (landscape)
        add("landscape", "");
    if (printer_->printRange() == QPrinter::PageRange && !printer_->pageRanges().isEmpty())
        add("page-ranges", printer_->pageRanges().toString().toUtf8());
    // Qt keeps the dialog's CUPS options as name and value pairs under this private key.
    const QPrintEngine::PrintEnginePropertyKey cupsOptionsKey =
        QPrintEngine::PrintEnginePropertyKey(0xfe00);
    const QStringList dialogOptions =
        printer_->printEngine()->property(cupsOptionsKey).toStringList();
    for (qsizetype i = 0; i + 1 < dialogOptions.size(); i += 2)
        add(dialogOptions[i].toUtf8().constData(), dialogOptions[i + 1].toUtf8());

    // An instance ("name/instance") only chooses options; the job goes to its printer.
    const QByteArray destination = printer_->printerName().section(QLatin1Char('/'), 0, 0).toUtf8();
    const QByteArray title = documentName_.toUtf8();
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, destination.constData(), title.constData(),
                                  count, options);
    cupsFreeOptions(count, options);
    if (job == 0)
        return failed(QString::fromUtf8(cupsLastErrorString()));
    QFile pdf(spoolFile_->fileName());
    http_status_t status = pdf.open(QIODevice::ReadOnly)
                               ? cupsStartDocument(CUPS_HTTP_DEFAULT, destination.constData(), job,
                                                   title.constData(), CUPS_FORMAT_PDF, 1)
                               : HTTP_STATUS_ERROR;
    QByteArray piece(1 << 16, Qt::Uninitialized);
    for (qint64 read;
         status == HTTP_STATUS_CONTINUE && (read = pdf.read(piece.data(), piece.size())) > 0;)
        status = cupsWriteRequestData(CUPS_HTTP_DEFAULT, piece.constData(), size_t(read));
    const bool sent = status == HTTP_STATUS_CONTINUE && pdf.atEnd() &&
                      cupsFinishDocument(CUPS_HTTP_DEFAULT, destination.constData()) <=
                          IPP_STATUS_OK_EVENTS_COMPLETE;
    if (!sent) {
        // The reason first: withdrawing the job sets CUPS's last error anew.
        const QString reason = QString::fromUtf8(cupsLastErrorString());
        cupsCancelJob2(CUPS_HTTP_DEFAULT, destination.constData(), job, 0);
        return failed(reason);
    }
    dropSpool();
    return true;
}

void PrinterDevice::dropSpool() {
    spool_.reset();
    spoolFile_.reset();
}

bool PrinterDevice::failed(const QString& reason) {
    dropSpool();
    const QString text =
        QStringLiteral("L'impression sur %1 a échoué").arg(printerCaption(*printer_));
    return fail(reason.isEmpty() ? text : text + QStringLiteral(" : ") + reason);
}

PdfFileDevice::PdfFileDevice(QString path, int dpi) : path_(std::move(path)), dpi_(dpi) {}

PdfFileDevice::~PdfFileDevice() {
    discard();
}

QSize PdfFileDevice::pagePixels() const {
    return a4Page().fullRectPixels(dpi_).size();
}

QSizeF PdfFileDevice::pageMillimetres() const {
    return a4Page().fullRect(QPageLayout::Millimeter).size();
}

bool PdfFileDevice::begin() {
    discard();
    errorText_.clear();
    // A folder that is missing or closed shows before anything is drawn.
    file_ = std::make_unique<SafeFile::AtomicFile>(path_);
    if (!file_->open()) {
        discard();
        return fail(UserError::cannotCreate(QDir::toNativeSeparators(path_)).message());
    }
    writer_ = std::make_unique<QPdfWriter>(file_->device());
    writer_->setCreator(QStringLiteral("Vorlap"));
    writer_->setTitle(documentName_);
    writer_->setResolution(dpi_);
    writer_->setPageLayout(a4Page());
    if (!painter_.begin(writer_.get())) {
        discard();
        return fail(UserError::cannotCreate(QDir::toNativeSeparators(path_)).message());
    }
    // Qt stores pictures as JPEG otherwise, which blurs the small sharp pictures of labels.
    painter_.setRenderHint(QPainter::LosslessImageRendering);
    return true;
}

bool PdfFileDevice::newPage() {
    if (!painter_.isActive() || !writer_->newPage())
        return fail(UserError::cannotCreate(QDir::toNativeSeparators(path_)).message());
    return true;
}

bool PdfFileDevice::end() {
    const bool drawn = painter_.isActive() && painter_.end();
    writer_.reset();
    const bool written = drawn && file_ && file_->commit();
    discard();
    if (!written)
        return fail(UserError::cannotCreate(QDir::toNativeSeparators(path_)).message());
    return true;
}

void PdfFileDevice::abort() {
    discard();
}

void PdfFileDevice::discard() {
    if (painter_.isActive())
        painter_.end();
    writer_.reset();
    file_.reset();
}

ImagePagesDevice::ImagePagesDevice(int dpi) : dpi_(dpi) {}

ImagePagesDevice::~ImagePagesDevice() {
    abort();
}

QSize ImagePagesDevice::pagePixels() const {
    const QSizeF mm = pageMillimetres();
    return QSize(int(std::nearbyint(mm.width() / kMillimetresPerInch * dpi_)),
                 int(std::nearbyint(mm.height() / kMillimetresPerInch * dpi_)));
}

QSizeF ImagePagesDevice::pageMillimetres() const {
    return a4Page().fullRect(QPageLayout::Millimeter).size();
}

bool ImagePagesDevice::begin() {
    abort();
    errorText_.clear();
    pages_.clear();
    return startPage();
}

bool ImagePagesDevice::startPage() {
    page_ = QImage(pagePixels(), QImage::Format_RGB32);
    if (page_.isNull())
        return fail(QStringLiteral("Mémoire insuffisante"));
    page_.fill(Qt::white);
    // Fonts in points then take the device's resolution, as on a printer.
    const int dotsPerMetre = int(std::nearbyint(dpi_ / 0.0254));
    page_.setDotsPerMeterX(dotsPerMetre);
    page_.setDotsPerMeterY(dotsPerMetre);
    return painter_.begin(&page_) || fail(QStringLiteral("Mémoire insuffisante"));
}

bool ImagePagesDevice::newPage() {
    if (!painter_.isActive())
        return fail(kNoJob);
    painter_.end();
    drawn_.append(page_);
    return startPage();
}

bool ImagePagesDevice::end() {
    if (!painter_.isActive())
        return fail(kNoJob);
    painter_.end();
    drawn_.append(page_);
    page_ = QImage();
    pages_ = std::exchange(drawn_, {});
    return true;
}

void ImagePagesDevice::abort() {
    if (painter_.isActive())
        painter_.end();
    page_ = QImage();
    drawn_.clear();
}
