#include "LabelDocument.h"

#include "LabelFile.h"
#include "MergeList.h"
#include "ObjectKinds.h"

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

bool LabelDocument::edit(const Edit& change, QByteArrayView run) {
    // Inside a gesture that has recorded its step, only the change itself is left to do.
    if (gestureDepth_ > 0 && gestureRecorded_) {
        change(Lines);
        gestureChanged_ = true;
        return true;
    }
    const LineList before = Lines;
    change(Lines);
    if (Lines == before)
        return false;
    const bool joins = !run.isEmpty() && run == run_;
    if (!joins)
        history_.record(before);
    run_ = run.toByteArray();
    Modified = true;
    if (gestureDepth_ > 0) {
        gestureRecorded_ = true;
        gestureChanged_ = true;
    } else {
        changed();
    }
    return true;
}

void LabelDocument::beginGesture() {
    if (gestureDepth_++ == 0)
        gestureRecorded_ = gestureChanged_ = false;
}

bool LabelDocument::endGesture() {
    if (gestureDepth_ == 0 || --gestureDepth_ > 0)
        return false;
    const bool hadChanges = gestureChanged_;
    gestureRecorded_ = gestureChanged_ = false;
    if (hadChanges)
        changed();
    return hadChanges;
}

void LabelDocument::mark(const std::function<bool(LineList&)>& change) {
    if (change(Lines) && gestureDepth_ == 0)
        changed();
}

bool LabelDocument::undo() {
    if (!history_.undo(Lines))
        return false;
    run_.clear();
    Modified = true;
    changed();
    return true;
}

bool LabelDocument::redo() {
    if (!history_.redo(Lines))
        return false;
    run_.clear();
    Modified = true;
    changed();
    return true;
}

bool LabelDocument::isLarge() const {
    if (Lines.size() > 5000)
        return true;
    qsizetype bytes = 0;
    for (const QByteArray& line : Lines)
        bytes += line.size();
    return bytes > 1024 * 1024;
}

void LabelDocument::forgetUndo() {
    history_.clear();
    run_.clear();
}

void LabelDocument::setModified(bool modified) {
    if (modified == Modified)
        return;
    Modified = modified;
    changed(Change::Modified);
}

void LabelDocument::changed(Change change) {
    if (listener_)
        listener_(change);
}

void LabelDocument::load(const QString& path) {
    // Read first: a file that cannot be read leaves the document as it was.
    adopt(path, LabelFile::readLabel(path));
}

void LabelDocument::adopt(const QString& path, LineList content) {
    FileName = path;
    Lines = std::move(content);
    // "Annuler" must never bring back the previous label's objects under this name.
    forgetUndo();
    // A file of fewer than two lines lacks its header or background record.
    if (Lines.isEmpty())
        Lines.append(LineCodec::defaultHeader());
    if (Lines.size() < 2)
        Lines.append(LineCodec::kBlankRecord);
    LineCodec::dropMalformedLines(Lines);
    // The stock's line is the label's, not an object: it leaves the lines; the last one wins.
    Stock.reset();
    MergeFile.clear();
    for (qsizetype i = Lines.size() - 1; i >= 2; --i) {
        const ObjectKind kind = ObjectKinds::of(LineCodec::splitLine(Lines[i]).keyword).kind;
        if (kind == ObjectKind::Sheet) {
            if (!Stock)
                Stock = StockLine::read(Lines[i]);
        } else if (kind == ObjectKind::Merge) {
            if (MergeFile.isEmpty())
                MergeFile = MergeLine::read(Lines[i], path);
        } else {
            continue;
        }
        Lines.removeAt(i);
    }

    // A field that does not convert ends the reading, but a size read before it is still
    // corrected: a damaged header must not open as a label a few millimetres wide.
    LabelFormatValues values = format();
    LineCodec::readHeader(Lines[0], values);
    const LabelFormatValues defaults;
    if (values.width <= kSmallestReadSide)
        values.width = defaults.width;
    if (values.height <= kSmallestReadSide)
        values.height = defaults.height;
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

LineList LabelDocument::fileLines(const QString& path) const {
    LineList lines = Lines;
    if (!lines.isEmpty())
        lines[0] = LineCodec::writeHeader(format());
    if (Stock)
        lines.append(StockLine::write(*Stock));
    if (!MergeFile.isEmpty())
        lines.append(MergeLine::write(MergeFile, path.isEmpty() ? FileName : path));
    return lines;
}

void LabelDocument::save(const QString& path) {
    Lines[0] = LineCodec::writeHeader(format());
    LabelFile::write(path, fileLines(path));
    FileName = path;
    Modified = false;
}
