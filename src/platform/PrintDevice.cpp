#include "PrintDevice.h"

#include "SafeFile.h"
#include "UserError.h"

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

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
    const int pages = device.setCopies(copies);
    PrintJob job(device);
    if (!job.begin())
        throw UserError(device.errorText());
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !device.newPage())
            throw UserError(device.errorText());
        // Every copy starts from the painter as the job began, whatever the last one left.
        QPainter& painter = *device.painter();
        painter.save();
        drawPage(painter);
        painter.restore();
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
    if (printer_->supportsMultipleCopies()) {
        printer_->setCopyCount(n);
        return 1;
    }
    printer_->setCopyCount(1);
    return n;
}

bool PrinterDevice::begin() {
    errorText_.clear();
    if (!missingPrinter_.isEmpty())
        return fail(QStringLiteral("L'imprimante %1 n'existe pas").arg(missingPrinter_));
    // Without any printer, QPrinter falls back to a PDF file that nobody named.
    const bool hasTarget = printer_->outputFormat() == QPrinter::NativeFormat
                               ? printer_->isValid() && !printer_->printerName().isEmpty()
                               : !printer_->outputFileName().isEmpty();
    if (!hasTarget)
        return fail(QStringLiteral("Aucune imprimante n'est installée"));
    printer_->setFullPage(true);
    printer_->setDocName(documentName_);
    if (!painter_.begin(printer_))
        return fail(QStringLiteral("Impossible d'imprimer sur %1").arg(printerCaption(*printer_)));
    // CUPS gets a PDF from Qt too, where pictures would otherwise become JPEG.
    painter_.setRenderHint(QPainter::LosslessImageRendering);
    return true;
}

bool PrinterDevice::newPage() {
    if (!painter_.isActive() || !printer_->newPage())
        return fail(QStringLiteral("L'impression sur %1 a échoué").arg(printerCaption(*printer_)));
    return true;
}

bool PrinterDevice::end() {
    const bool ended =
        painter_.isActive() && painter_.end() && printer_->printerState() != QPrinter::Error;
    if (!ended)
        return fail(QStringLiteral("L'impression sur %1 a échoué").arg(printerCaption(*printer_)));
    return true;
}

void PrinterDevice::abort() {
    if (!painter_.isActive())
        return;
    printer_->abort();
    painter_.end();
    // A print to file must not leave half a document behind.
    if (printer_->outputFormat() == QPrinter::PdfFormat && !printer_->outputFileName().isEmpty())
        QFile::remove(printer_->outputFileName());
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
