#include "FuzzApplication.h"
#include "MetafilePlayer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    startFuzzApplication(argc, argv);
    return 0;
}

// Plays any record chain into a small picture whose size the first two bytes choose.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const QSize target(1 + data[0] % 64, 1 + data[1] % 64);
    const auto metafile = Metafile::fromData(
        QByteArrayView(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2)));
    if (metafile) {
        (void)metafile->naturalSize();
        (void)metafile->render(target);
    }
    return 0;
}
