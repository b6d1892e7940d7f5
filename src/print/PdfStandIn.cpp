#include "PdfStandIn.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <algorithm>

namespace PdfStandIn {

namespace {

constexpr int kWidth = 3;
constexpr size_t kMarkLength = 6;

} // namespace

QImage make(const char* mark, size_t number) {
    QImage standIn(kWidth, 1, QImage::Format_RGB32);
    standIn.setPixel(0, 0, qRgb(uchar(mark[0]), uchar(mark[1]), uchar(mark[2])));
    standIn.setPixel(1, 0, qRgb(uchar(mark[3]), uchar(mark[4]), uchar(mark[5])));
    standIn.setPixel(2, 0,
                     qRgb(int(number >> 16) & 0xFF, int(number >> 8) & 0xFF, int(number) & 0xFF));
    return standIn;
}

std::optional<size_t> numberOf(QPDFObjectHandle& object, const char* mark) {
    if (!object.isStream())
        return std::nullopt;
    QPDFObjectHandle dict = object.getDict();
    QPDFObjectHandle width = dict.getKey("/Width"), height = dict.getKey("/Height");
    if (!dict.getKey("/Subtype").isNameAndEquals("/Image") || !width.isInteger() ||
        width.getIntValue() != kWidth || !height.isInteger() || height.getIntValue() != 1 ||
        !dict.getKey("/ColorSpace").isNameAndEquals("/DeviceRGB"))
        return std::nullopt;
    const std::shared_ptr<Buffer> data = object.getStreamData(qpdf_dl_generalized);
    const unsigned char* bytes = data->getBuffer();
    if (data->getSize() != 3 * kWidth ||
        !std::equal(mark, mark + kMarkLength, bytes,
                    [](char a, unsigned char b) { return uchar(a) == b; }))
        return std::nullopt;
    return size_t(bytes[6]) << 16 | size_t(bytes[7]) << 8 | bytes[8];
}

} // namespace PdfStandIn
