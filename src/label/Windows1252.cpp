#include "Windows1252.h"

namespace {

// 0x80..0x9F; the five bytes Windows leaves undefined map to the C1 control of the same value.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

namespace Windows1252 {

QString toUnicode(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = (b >= 0x80 && b < 0xA0) ? QChar(kHighControls[b - 0x80]) : QChar(b);
    }
    return text;
}

QByteArray fromUnicode(const QString& text, int* replaced) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        // A character beyond the BMP takes two code units but is still one '?'.
        if (ch.isLowSurrogate())
            continue;
        char out = '?';
        if (u == '\t' || u == '\r' || u == '\n') {
            out = ' ';
        } else if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out = char(u);
        } else {
            for (int i = 0; i < 32; ++i) {
                if (kHighControls[i] == u) {
                    out = char(0x80 + i);
                    break;
                }
            }
        }
        if (out == '?' && u != '?' && replaced)
            ++*replaced;
        bytes.append(out);
    }
    return bytes;
}

} // namespace Windows1252
