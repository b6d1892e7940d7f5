// JPEG files through libjpeg as the picture tool reads them.
#include "FuzzApplication.h"
#include "PictureDecoders.h"
#include "UserError.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    startFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const QImage picture = PictureDecoders::decodeJpeg(
            QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
        FUZZ_CHECK(picture.isNull() || picture.format() == QImage::Format_RGB32);
    } catch (const UserError&) {
    }
    return 0;
}
