#include "FuzzApplication.h"
#include "PictureDecoders.h"
#include "UserError.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    startFuzzApplication(argc, argv);
    return 0;
}

// The first byte picks the decoder the file's extension would have picked; the content's
// signature may still override it, as for a real file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    using PictureDecoders::Format;
    static constexpr Format byExtension[] = {Format::Unknown, Format::Bitmap, Format::Icon,
                                             Format::Jpeg,    Format::Gif,    Format::Png,
                                             Format::Wmf,     Format::Emf};
    const Format format = byExtension[data[0] % 8];
    const QByteArrayView bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    try {
        PictureDecoders::decodePictureData(bytes, QStringLiteral("fuzz"), format);
    } catch (const UserError&) {
    }
    return 0;
}
