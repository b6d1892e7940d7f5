#pragma once

#include <QImage>
#include <QList>
#include <QPainter>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>

class QPdfWriter;
class QPrinter;
class QTemporaryFile;

namespace SafeFile {
class AtomicFile;
}

// Where a sheet is printed: a printer, a PDF file or, in tests, images. The painter's origin
// is the paper's top-left corner, since label sheets are measured from the paper's edge.
class PrintDevice {
public:
    virtual ~PrintDevice() = default;

    // The whole sheet of paper, in device pixels and in millimetres.
    virtual QSize pagePixels() const = 0;
    virtual QSizeF pageMillimetres() const = 0;
    // Device pixels per inch, for fonts given in points.
    virtual int resolution() const = 0;

    // Asks for n copies; returns how many times the caller must draw the page itself:
    // 1 when the device makes the copies, n when it cannot count them.
    virtual int setCopies(int n) = 0;

    // Starts the job and a painter on its first page; false with errorText() when it cannot.
    virtual bool begin() = 0;
    // The painter of the current page, while a job runs.
    QPainter* painter() { return painter_.isActive() ? &painter_ : nullptr; }
    virtual bool newPage() = 0;
    // Finishes the job; false when the job or its file failed.
    virtual bool end() = 0;
    // Drops the job: nothing printed, no file left, where the device allows it.
    virtual void abort() = 0;
    QString errorText() const { return errorText_; }

    // The name the next job goes by: the PDF's title, the print queue's job name.
    void setDocumentName(const QString& name) { documentName_ = name; }

protected:
    bool fail(const QString& text);

    QPainter painter_;
    QString errorText_;
    QString documentName_;
};

// Ends a begun job, or aborts it when it was not ended: a failing drawing never leaves a job
// open, nor a half-written file.
class PrintJob {
public:
    explicit PrintJob(PrintDevice& device) : device_(device) {}
    ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    bool begin();
    bool end();

private:
    PrintDevice& device_;
    bool running_ = false;
};

// Prints copies of the page that drawPage draws: one job of a page that the device copies, or
// the same page drawn once per copy. Throws UserError with the device's text when the job cannot
// start or finish; whatever drawPage throws aborts the job and goes on up.
void printCopies(PrintDevice& device, int copies, const std::function<void(QPainter&)>& drawPage);
// The same for a document of `pages` pages (at least 1), drawn in order for each copy.
void printCopies(PrintDevice& device, int copies, int pages,
                 const std::function<void(QPainter&, int page)>& drawPage);

// A QPrinter (CUPS, or a file chosen in the print dialog), used full page. A CUPS job is drawn
// into a temporary PDF file, as Qt's own CUPS engine does, but handed to CUPS here, with every
// option of the print dialog: Qt's engine says nothing when CUPS refuses the job.
class PrinterDevice : public PrintDevice {
public:
    // The program's printer, as the printer set-up left it.
    explicit PrinterDevice(QPrinter& printer);
    // A printer of its own, by name; the default printer when the name is empty.
    explicit PrinterDevice(const QString& printerName);
    ~PrinterDevice() override;

    QSize pagePixels() const override;
    QSizeF pageMillimetres() const override;
    int resolution() const override;
    int setCopies(int n) override;
    bool begin() override;
    bool newPage() override;
    // Fails with CUPS's own reason when CUPS does not take the job.
    bool end() override;
    // Nothing reaches CUPS, and a print to a file leaves no file.
    void abort() override;

    QPrinter& printer() { return *printer_; }

private:
    bool toCups() const;
    // The device the painter draws on: the job's PDF for CUPS, the printer itself otherwise.
    QPrinter& target() { return spool_ ? *spool_ : *printer_; }
    bool submit();
    void dropSpool();
    bool failed(const QString& reason = QString());

    std::unique_ptr<QPrinter> owned_;
    QPrinter* printer_;
    QString missingPrinter_;
    int copies_ = 1;
    std::unique_ptr<QTemporaryFile> spoolFile_;
    std::unique_ptr<QPrinter> spool_;
};

// An A4 portrait PDF file with the whole page printable. Each page goes to the disk as it is
// done, beside the target under a temporary name that takes the target's name only when the
// job ends with every byte on the disk: the memory does not grow with the pages, and an old
// file stays whole until then.
class PdfFileDevice : public PrintDevice {
public:
    PdfFileDevice(QString path, int dpi);
    ~PdfFileDevice() override;

    QSize pagePixels() const override;
    QSizeF pageMillimetres() const override;
    int resolution() const override { return dpi_; }
    int setCopies(int n) override { return qMax(1, n); }
    bool begin() override;
    bool newPage() override;
    bool end() override;
    void abort() override;

private:
    void discard();

    QString path_;
    int dpi_;
    std::unique_ptr<SafeFile::AtomicFile> file_;
    std::unique_ptr<QPdfWriter> writer_;
};

// A4 pages as white images at the given resolution, all kept: the page a printer would get.
class ImagePagesDevice : public PrintDevice {
public:
    explicit ImagePagesDevice(int dpi);
    ~ImagePagesDevice() override;

    QSize pagePixels() const override;
    QSizeF pageMillimetres() const override;
    int resolution() const override { return dpi_; }
    int setCopies(int n) override { return qMax(1, n); }
    bool begin() override;
    bool newPage() override;
    bool end() override;
    void abort() override;

    // The pages of the job that ended last; none after an abort.
    const QList<QImage>& pages() const { return pages_; }

private:
    bool startPage();

    int dpi_;
    QImage page_;
    QList<QImage> drawn_;
    QList<QImage> pages_;
};
