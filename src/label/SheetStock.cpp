#include "SheetStock.h"

#include "ObjectKinds.h"
#include "Windows1252.h"

namespace {

constexpr int kLengthDigits = 5;
constexpr int kCountDigits = 2;
constexpr int kLengths = 6;
// The largest length the field holds, 10,485.75 mm, and the largest count.
constexpr int kMaxLength = 0xFFFFF;
constexpr int kMaxCount = 0xFF;

} // namespace

bool SheetStock::isValid() const {
    const auto inRange = [](int v, int least, int most) { return v >= least && v <= most; };
    return inRange(labelWidth, 100, kMaxLength) && inRange(labelHeight, 100, kMaxLength) &&
           inRange(columns, 1, kMaxCount) && inRange(rows, 1, kMaxCount) &&
           inRange(hPitch, columns > 1 ? labelWidth : 0, kMaxLength) &&
           inRange(vPitch, rows > 1 ? labelHeight : 0, kMaxLength) &&
           inRange(left, 0, kMaxLength) && inRange(top, 0, kMaxLength);
}

LabelFormatValues SheetStock::format() const {
    const int width = labelWidth / 100;
    const int height = labelHeight / 100;
    const auto spacing = [](int pitch, int size, int count) {
        return count > 1 ? qMax(0, (pitch - size * 100) / 100) : 0;
    };
    return {width, height, spacing(hPitch, width, columns), spacing(vPitch, height, rows)};
}

namespace StockLine {

QByteArray write(const SheetStock& stock) {
    QByteArray data;
    for (const int length :
         {stock.labelWidth, stock.labelHeight, stock.hPitch, stock.vPitch, stock.left, stock.top})
        data += LineCodec::hex(length, kLengthDigits);
    data += LineCodec::hex(stock.columns, kCountDigits);
    data += LineCodec::hex(stock.rows, kCountDigits);
    data += char('0' + int(stock.shape));
    // A TAB or line break in a code would cut the line.
    QByteArray code = Windows1252::fromUnicode(stock.code);
    code.replace('\t', ' ').replace('\r', ' ').replace('\n', ' ');
    data += code;
    return LineCodec::objectLine(ObjectKinds::keyword(ObjectKind::Sheet),
                                 LineCodec::writeRect(0, 0, 0, 0), data,
                                 LineCodec::writeStyles(StyleBlock{}));
}

std::optional<SheetStock> read(QByteArrayView line) {
    const LineParts parts = LineCodec::splitLine(line);
    if (ObjectKinds::of(parts.keyword).kind != ObjectKind::Sheet)
        return std::nullopt;
    const QByteArrayView data = parts.kindData;
    constexpr qsizetype kFixed = kLengths * kLengthDigits + 2 * kCountDigits + 1;
    if (data.size() < kFixed)
        return std::nullopt;
    int values[kLengths + 2] = {};
    qsizetype at = 0;
    for (int i = 0; i < kLengths + 2; ++i) {
        const int digits = i < kLengths ? kLengthDigits : kCountDigits;
        const auto value = LineCodec::parseHex(data.sliced(at, digits));
        if (!value)
            return std::nullopt;
        values[i] = int(*value);
        at += digits;
    }
    const char shape = data[at];
    if (shape < '0' || shape > '2')
        return std::nullopt;
    SheetStock stock;
    stock.labelWidth = values[0];
    stock.labelHeight = values[1];
    stock.hPitch = values[2];
    stock.vPitch = values[3];
    stock.left = values[4];
    stock.top = values[5];
    stock.columns = values[6];
    stock.rows = values[7];
    stock.shape = SheetStock::Shape(shape - '0');
    stock.code = Windows1252::toUnicode(data.sliced(at + 1));
    if (!stock.isValid())
        return std::nullopt;
    return stock;
}

} // namespace StockLine
