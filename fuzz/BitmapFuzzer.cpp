// The bitmap decoder on any bytes: it decodes or refuses, within its memory limit.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "framework/Exceptions.h"
#include "picture/PictureLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  try {
    const QImage image = ostrivo::ReadBitmap(bytes);
    // Every pixel the decoder returns has been written.
    if (image.format() != QImage::Format_RGB32 ||
        std::int64_t{image.width()} * image.height() * 4 > ostrivo::kMaxPictureBytes)
      __builtin_trap();
    volatile QRgb sink = image.pixel(image.width() - 1, image.height() - 1);
    (void)sink;
  } catch (const ostrivo::EInvalidGraphic&) {
  }
  return 0;
}
