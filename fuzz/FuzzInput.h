#pragma once

#include "LabelDocument.h"
#include "LabelFile.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

// An input cut into a few parameter bytes at its front and a label file after them. The
// parameters have a fixed size, so a label file behind them keeps its lines whatever
// values the fuzzer tries.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size, std::size_t parameterBytes)
        : data_(data), size_(size), parameters_(parameterBytes < size ? parameterBytes : size) {}

    // Parameter byte i, 0 when the input is shorter.
    std::uint8_t byte(std::size_t i) const { return i < parameters_ ? data_[i] : 0; }
    std::int16_t int16(std::size_t i) const {
        return std::int16_t(std::uint16_t(byte(i) | (byte(i + 1) << 8)));
    }
    QByteArray file() const {
        return QByteArray(reinterpret_cast<const char*>(data_ + parameters_),
                          qsizetype(size_ - parameters_));
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t parameters_;
};

// A label document as the window holds it after opening the file.
inline LabelDocument adoptedDocument(const QByteArray& file) {
    LabelDocument document;
    document.adopt(QString(), LabelFile::splitLines(file));
    return document;
}
