#pragma once
// A photograph-like test picture for the picture benchmarks: smooth gradients with fine noise,
// so it compresses (and costs to decode) like a camera's JPEG.

#include <QFile>
#include <QImage>
#include <random>

#include "picture/PictureFiles.h"

namespace picture_bench {

inline bool WritePhotoJpeg(const QString& path, int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  std::mt19937 noise(7);
  for (int y = 0; y < h; ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const int n = static_cast<int>(noise() % 24);
      row[x] = qRgb((x * 255 / w + n) & 0xFF, (y * 255 / h + n) & 0xFF,
                    ((x + y) * 255 / (w + h) + n) & 0xFF);
    }
  }
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(ostrivo::test::EncodeJpeg(image, 90)) > 0;
}

}  // namespace picture_bench
