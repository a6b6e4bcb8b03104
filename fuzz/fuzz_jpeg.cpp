// libFuzzer entry for the JPEG reader: any bytes must decode or raise EInvalidGraphic, nothing else.
#include "platform/exceptions.h"
#include "platform/pictures.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    try {
        const QImage image = readJpeg(QByteArrayView(data, qsizetype(size)));
        // What every caller relies on: a real picture in one of the two formats, within the cap.
        const bool formatOk = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32;
        if (image.isNull() || !formatOk || image.width() > kMaxPictureSide || image.height() > kMaxPictureSide)
            std::abort();
    } catch (const EInvalidGraphic &) {
    }
    return 0;
}
