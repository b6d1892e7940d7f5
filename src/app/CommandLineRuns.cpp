#include "CommandLineRuns.h"

#include "CalibrationPage.h"
#include "FileNames.h"
#include "LabelDocument.h"
#include "LabelExport.h"
#include "PrintDevice.h"
#include "SheetCatalogue.h"
#include "UserError.h"

#include <QFileInfo>
#include <QPrinter>
#include <cstdio>
#include <new>
#include <optional>

namespace {

void printError(const QString& text) {
    // File names go out as the bytes they are; a control byte that a label's text brought
    // in (a NUL would end the message) is shown escaped.
    QByteArray line = "vorlap: ";
    for (const char c : FileNames::encode(text)) {
        const auto byte = uchar(c);
        if (byte < 0x20 || byte == 0x7F)
            line += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
        else
            line += c;
    }
    line += '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

// As the window does: the first line that cannot be drawn is reported.
void reportBroken(const QList<BrokenLine>& broken) {
    if (!broken.isEmpty())
        printError(broken.first().message);
}

// The label's drawing surface as the window shows the file, in PNG or in SVG.
void exportOrThrow(CommandLineOptions::Mode mode, const QString& labelPath,
                   const QString& outputPath) {
    LabelDocument document;
    document.load(labelPath);
    reportBroken(mode == CommandLineOptions::Mode::Svg
                     ? LabelExport::writeLabelSvg(outputPath, document)
                     : LabelExport::writeLabelPng(outputPath, document));
}

// The catalogue, one entry a line, its fields separated by TAB: code, description, label
// width and height, columns, rows, horizontal and vertical pitch, left and top margin, in
// millimetres with '.' as the decimal point. A problem of the user's catalogue goes to stderr.
void listSheets() {
    const SheetCatalogue& catalogue = SheetCatalogue::standard();
    for (const QString& problem : catalogue.problems())
        printError(problem);
    const auto mm = [](int hundredths) { return QString::number(hundredths / 100.0, 'f', 2); };
    QByteArray out;
    for (const SheetStock& entry : catalogue.entries()) {
        const QStringList fields = {entry.code,
                                    entry.description,
                                    mm(entry.labelWidth),
                                    mm(entry.labelHeight),
                                    QString::number(entry.columns),
                                    QString::number(entry.rows),
                                    mm(entry.hPitch),
                                    mm(entry.vPitch),
                                    mm(entry.left),
                                    mm(entry.top)};
        out += fields.join(QLatin1Char('\t')).toUtf8() + '\n';
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
}

// The sheet as printing draws it: the label's own stock or the one asked for, the cells asked
// for, and the printer's offset when one is given.
SheetJob jobOrThrow(const CommandLineOptions& options, const PageSetupValues& setup) {
    LabelDocument document;
    document.load(options.file);
    SheetJob job;
    job.setup = setup;
    job.lines = document.Lines;
    job.stock = document.Stock;
    if (!options.sheet.isEmpty()) {
        const SheetStock* chosen = SheetCatalogue::standard().find(options.sheet);
        if (!chosen)
            throw UserError(QStringLiteral("Planche inconnue : %1 (voir vorlap --list-sheets)")
                                .arg(options.sheet));
        job.stock = *chosen;
    }
    job.first = options.first - 1;
    job.count = options.count;
    job.offset = options.offset;
    job.name = QFileInfo(options.file).fileName();
    job.mergeFile =
        options.merge.isEmpty() ? document.MergeFile : QFileInfo(options.merge).absoluteFilePath();
    return job;
}

int run(const CommandLineOptions& options, const QString& startDirectory) {
    switch (options.mode) {
    case CommandLineOptions::Mode::Help:
        std::fputs(CommandLineOptions::usage().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLineOptions::Mode::ListSheets:
        listSheets();
        return 0;
    case CommandLineOptions::Mode::Png:
    case CommandLineOptions::Mode::Svg:
        exportOrThrow(options.mode, options.file, options.output);
        return 0;
    case CommandLineOptions::Mode::Pdf: {
        if (options.calibrationPage) {
            PdfFileDevice device(options.output, options.dpi);
            printCalibrationPage(device, options.offset, QString());
            return 0;
        }
        const SheetJob job = jobOrThrow(options, options.pageSetup(startDirectory));
        QStringList warnings;
        const QList<BrokenLine> broken =
            LabelExport::writeSheetPdf(options.output, job, options.dpi, options.copies, &warnings);
        for (const QString& warning : warnings)
            printError(warning);
        reportBroken(broken);
        return 0;
    }
    case CommandLineOptions::Mode::Print: {
        // The label is read, and a bad one refused, before the printer is opened.
        std::optional<SheetJob> job;
        if (!options.calibrationPage)
            job = jobOrThrow(options, options.pageSetup(startDirectory));
        PrinterDevice device(options.printer);
        if (options.calibrationPage)
            printCalibrationPage(device, options.offset, device.printer().printerName());
        else {
            QStringList warnings;
            const QList<BrokenLine> broken =
                LabelExport::printSheetJob(device, *job, options.copies, &warnings);
            for (const QString& warning : warnings)
                printError(warning);
            reportBroken(broken);
        }
        return 0;
    }
    case CommandLineOptions::Mode::Designer:
        break;
    }
    return 0;
}

} // namespace

int runCommandLine(const CommandLineOptions& options, const QString& startDirectory) {
    if (!options.error.isEmpty()) {
        printError(options.error);
        std::fputs("Voir vorlap --help.\n", stderr);
        return 2;
    }
    try {
        return run(options, startDirectory);
    } catch (const std::exception&) {
        return exportFailed();
    }
}

int exportPng(const QString& labelPath, const QString& pngPath) {
    CommandLineOptions options;
    options.mode = CommandLineOptions::Mode::Png;
    options.file = labelPath;
    options.output = pngPath;
    if (labelPath.isEmpty() || pngPath.isEmpty())
        options.error = QStringLiteral("il faut une image à écrire et une étiquette à lire");
    return runCommandLine(options, QString());
}

int exportFailed() {
    try {
        throw;
    } catch (const UserError& error) {
        printError(error.message());
    } catch (const std::bad_alloc&) {
        printError(QStringLiteral("Mémoire insuffisante"));
    } catch (const std::exception& error) {
        printError(QString::fromLocal8Bit(error.what()));
    }
    return 1;
}
