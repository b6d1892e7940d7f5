// Metafiles played into a small picture whose size the first two bytes choose, and read
// as the picture tool reads a metafile: rendered at its own size brought under 21,000 pixels.
#include "FuzzApplication.h"
#include "MetafilePlayer.h"
#include "PictureDecoders.h"
#include "UserError.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    startFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const QSize target(1 + data[0] % 64, 1 + data[1] % 64);
    const QByteArrayView bytes(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    const auto metafile = Metafile::fromData(bytes);
    if (!metafile)
        return 0;
    (void)metafile->naturalSize();
    const auto picture = metafile->render(target);
    FUZZ_CHECK(!picture || picture->size() == target);
    try {
        const DecodedPicture decoded = PictureDecoders::decodePictureData(
            bytes, QStringLiteral("fuzz"), PictureDecoders::Format::Wmf);
        FUZZ_CHECK(decoded.kind == 2);
        FUZZ_CHECK(qint64(decoded.image.width()) * decoded.image.height() <= 21000);
    } catch (const UserError&) {
    }
    runPendingEvents();
    return 0;
}
