// Windows bitmaps, icons and PNG pictures through Qt's readers; the first byte picks the
// format, the rest is the file.
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
    if (size < 1)
        return 0;
    static const char* const formats[] = {"bmp", "ico", "png"};
    try {
        const QImage picture = PictureDecoders::decodeWithQt(
            QByteArrayView(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)),
            formats[data[0] % 3]);
        FUZZ_CHECK(picture.isNull() || picture.format() == QImage::Format_RGB32);
    } catch (const UserError&) {
    }
    return 0;
}
