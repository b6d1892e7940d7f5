// A label file read as the window opens it, then saved and read again: the reader keeps
// every line it does not drop, and what is saved reads back to the same lines and size.
#include "FuzzApplication.h"
#include "FuzzInput.h"
#include "LabelDocument.h"
#include "LabelFile.h"
#include "LineCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    startFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const FuzzInput input(data, size, 0);
    const LineList lines = LabelFile::splitLines(input.file());
    for (const QByteArray& line : lines)
        FUZZ_CHECK(!line.contains('\r') && !line.contains('\n'));
    FUZZ_CHECK(LabelFile::splitLines(LabelFile::joinLines(lines)) == lines);

    // Opening a file leaves the damaged object lines out as it cuts them.
    LineList kept = lines;
    LineCodec::dropMalformedLines(kept);
    FUZZ_CHECK(LabelFile::splitLabel(input.file()) == kept);

    LabelDocument document;
    document.adopt(QString(), lines);
    FUZZ_CHECK(document.Lines.size() >= 2);
    FUZZ_CHECK(document.Lines.size() <= qMax<qsizetype>(lines.size(), 2));
    for (qsizetype i = 2; i < document.Lines.size(); ++i)
        FUZZ_CHECK(document.Lines[i].indexOf('\t') >= 15);
    FUZZ_CHECK(document.LabelWidth >= 0 && document.LabelWidth <= LabelDocument::kLargestSide);
    FUZZ_CHECK(document.LabelHeight >= 0 && document.LabelHeight <= LabelDocument::kLargestSide);
    const QSize frame = LabelDocument::frameSize(document.format());
    FUZZ_CHECK(frame.width() >= 4 && frame.width() <= 4096);
    FUZZ_CHECK(frame.height() >= 4 && frame.height() <= 4096);

    // The header says the size the label opened at, which no damage makes smaller than 10 mm.
    FUZZ_CHECK(document.Lines[0] == LineCodec::writeHeader(document.format()));
    FUZZ_CHECK(document.LabelWidth >= 10 && document.LabelHeight >= 10);

    // Saving rebuilds the header and ends every line with CR LF.
    LineList saved = document.Lines;
    saved[0] = LineCodec::writeHeader(document.format());
    FUZZ_CHECK(saved[0].size() == 12);
    const LineList reread = LabelFile::splitLines(LabelFile::joinLines(saved));
    FUZZ_CHECK(reread == saved);

    LabelDocument reopened;
    reopened.adopt(QString(), reread);
    FUZZ_CHECK(reopened.Lines == saved);
    FUZZ_CHECK(reopened.format() == document.format());
    return 0;
}
