#include "LabelDocument.h"

#include "LabelFile.h"

namespace {

// A header field of 9 mm or less is no label size; these take its place.
constexpr int kSmallestReadSide = 9;
constexpr int kCdSide = 126;
constexpr int kCdFrame = 3 * kCdSide;
constexpr int kPixelsPerMm = 4;
// Coordinates are three hex digits, so nothing beyond 4096 pixels can be addressed.
constexpr int kLargestFrame = 4096;

} // namespace

bool LabelDocument::isCdFormat(const LabelFormatValues& f) {
    return f.width == kCdSide && f.height == kCdSide;
}

QSize LabelDocument::frameSize(const LabelFormatValues& f) {
    if (isCdFormat(f))
        return QSize(kCdFrame, kCdFrame);
    return QSize(qBound(kPixelsPerMm, kPixelsPerMm * f.width, kLargestFrame),
                 qBound(kPixelsPerMm, kPixelsPerMm * f.height, kLargestFrame));
}

QSize LabelDocument::surfaceSize(const LabelFormatValues& f) {
    return frameSize(f) - QSize(2, 2);
}

LabelDocument::LabelDocument() {
    Lines = LineCodec::newLabel(format());
}

void LabelDocument::setFormat(const LabelFormatValues& f) {
    LabelWidth = f.width;
    LabelHeight = f.height;
    HSpacing = f.hspacing;
    VSpacing = f.vspacing;
    if (Lines.isEmpty())
        Lines = LineCodec::newLabel(format());
    else
        Lines[0] = LineCodec::writeHeader(format());
}

void LabelDocument::clear() {
    Lines = LineCodec::newLabel(format());
}

bool LabelDocument::undo() {
    if (UndoLines.size() < 2 || UndoLines == Lines)
        return false;
    Lines = UndoLines;
    Modified = true;
    return true;
}

void LabelDocument::load(const QString& path) {
    // Read first: a file that cannot be read leaves the document as it was.
    adopt(path, LabelFile::readLabel(path));
}

void LabelDocument::adopt(const QString& path, LineList content) {
    FileName = path;
    Lines = std::move(content);
    // "Annuler" must never bring back the previous label's objects under this name.
    UndoLines.clear();
    // A file of fewer than two lines lacks its header or background record.
    if (Lines.isEmpty())
        Lines.append(LineCodec::defaultHeader());
    if (Lines.size() < 2)
        Lines.append(LineCodec::kBlankRecord);
    LineCodec::dropMalformedLines(Lines);

    LabelFormatValues values = format();
    if (LineCodec::readHeader(Lines[0], values)) {
        const LabelFormatValues defaults;
        if (values.width <= kSmallestReadSide)
            values.width = defaults.width;
        if (values.height <= kSmallestReadSide)
            values.height = defaults.height;
    }
    // Nothing larger than the largest label can be edited; a corrupt header must not ask
    // for a surface of gigabytes.
    values.width = qMin(values.width, kLargestSide);
    values.height = qMin(values.height, kLargestSide);
    LabelWidth = values.width;
    LabelHeight = values.height;
    HSpacing = values.hspacing;
    VSpacing = values.vspacing;
    // The header says what was read, so that the sheet, the preview and the printer lay out
    // the label the window shows, never a corrupt size it corrected.
    Lines[0] = LineCodec::writeHeader(format());
    Modified = false;
}

void LabelDocument::save(const QString& path) {
    Lines[0] = LineCodec::writeHeader(format());
    LabelFile::write(path, Lines);
    FileName = path;
    Modified = false;
}
