#pragma once

#include <QImage>

#include <cstddef>
#include <optional>

class QPDFObjectHandle;

// Small images that QPdfWriter draws in the place of something qpdf puts there afterwards: three
// pixels, a six-letter mark that says what they stand for, then a number.
namespace PdfStandIn {

constexpr size_t kMostNumbers = size_t(1) << 24;

// The stand-in with the mark (six letters) and the number (below kMostNumbers).
QImage make(const char* mark, size_t number);
// The number of the stand-in with that mark that the object is, if it is one.
std::optional<size_t> numberOf(QPDFObjectHandle& object, const char* mark);

} // namespace PdfStandIn
