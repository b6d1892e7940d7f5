// Address lists as spreadsheets and hostile files write them, and a label's texts filled from
// every row: the reader never fails, every row has a field per column, and a filled text holds
// no TAB or line break that would cut its line.
#include "FuzzApplication.h"
#include "MergeList.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    startFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const MergeTable table = MergeTable::parse(bytes, QStringLiteral("liste.csv"));
    FUZZ_CHECK(table.rows.size() == table.rowLines.size());
    LineList lines = {"046025000000", " 0BLANK"};
    // Each column referred to, and the list's own text taken as a label's text too.
    QByteArray text = "{{";
    for (const QString& column : table.columns)
        text += '{' +
                column.toLatin1()
                    .left(40)
                    .replace('}', ' ')
                    .replace('{', ' ')
                    .replace('\t', ' ')
                    .replace('\r', ' ')
                    .replace('\n', ' ') +
                "} ";
    lines.append(" 0TEXT 000000010010" + text + "}}\t100FFFFFF00100000000000000000C0Arial");
    lines.append(" 0TEXT 000000010010" +
                 bytes.left(200).replace('\t', ' ').replace('\r', ' ').replace('\n', ' ') +
                 "\t100FFFFFF00100000000000000000C0Arial");
    for (qsizetype row = 0; row < table.rows.size() && row < 50; ++row) {
        FUZZ_CHECK(table.rows[row].size() >= table.columns.size());
        for (const QByteArray& line : MergeFields::fill(lines, table, int(row))) {
            FUZZ_CHECK(!line.contains('\r') && !line.contains('\n'));
            FUZZ_CHECK(line.count('\t') == (line.startsWith(" 0TEXT") ? 1 : 0));
        }
    }
    MergeFields::unknownColumns(lines, table);
    return 0;
}
