// The JPEG front on any bytes, read from a file as the program reads one: the size checks
// before anything is allocated, the decoding, and the progress calls with the partial picture.
#include <sys/mman.h>
#include <unistd.h>

#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "framework/Exceptions.h"
#include "picture/PictureLoader.h"

namespace {

// One file in memory for the whole run, rewritten for every input.
int InputFile() {
  static const int fd = memfd_create("jpeg-fuzz-input", MFD_CLOEXEC);
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = InputFile();
  if (fd < 0 || ftruncate(fd, 0) != 0) __builtin_trap();
  if (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) __builtin_trap();
  const QByteArray path = "/proc/self/fd/" + QByteArray::number(fd);
  int lastRows = 0;
  auto progress = [&](const QImage& partial, int rows) {
    // Rows come in order, within the picture, and the decoded ones can be read.
    if (rows <= lastRows || rows > partial.height()) __builtin_trap();
    volatile QRgb sink = partial.pixel(partial.width() - 1, rows - 1);
    (void)sink;
    lastRows = rows;
  };
  try {
    const QImage image = ostrivo::LoadJpeg(path, progress, 0);
    if (image.format() != QImage::Format_RGB32) __builtin_trap();
  } catch (const ostrivo::EJPEG&) {
  } catch (const ostrivo::EInvalidGraphic&) {
  }
  return 0;
}
