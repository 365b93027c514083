#pragma once
// Loading picture entries: ".jpg" files are decoded by libjpeg, ".bmp" files are read as
// Windows bitmaps. Every picture comes out as a QImage in Format_RGB32, top row first, upright
// (a JPEG's EXIF orientation applied).
//
// Errors: EFOpenError "Cannot open file %s" (missing or unreadable file, or not a regular
// file; a pipe, socket or device is never opened), EInvalidGraphic "Bitmap image is not valid",
// EJPEG "JPEG error #%d" (libjpeg's message code), and EInvalidGraphic for a picture whose
// declared size is too large to hold, or far larger than its file could plausibly cover.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <cstdint>
#include <functional>
#include <memory>

namespace ostrivo {

// The most decoded pixel memory one picture may take: 512 MiB, i.e. some 134 million pixels.
constexpr std::int64_t kMaxPictureBytes = std::int64_t{512} << 20;

// Called while a picture decodes: the picture so far (its natural size; rows [0, rows) are
// decoded) and the number of decoded rows. The image is the decoder's own buffer: read it during
// the call only.
using PictureProgress = std::function<void(const QImage& partial, int rows)>;

// The DCT scale a JPEG of `natural` size decodes at to be shown at `shown`: the largest of 8, 4
// and 2 whose result (each side divided by it, rounded up) is still at least the shown size in
// both directions; 1 (the full size) when none is.
int DecodeScale(QSize natural, QSize shown);

// A picture file whose header is read: its size is known before any pixel is decoded, so the
// caller can choose how much detail to decode.
class JpegSource;

class PictureFile {
 public:
  // Opens by the extension (the last four characters, letters lowered): ".jpg" or ".bmp". A
  // bitmap is read whole here.
  explicit PictureFile(const QByteArray& path);
  PictureFile(PictureFile&&) noexcept;
  PictureFile& operator=(PictureFile&&) noexcept;
  ~PictureFile();

  const QByteArray& Path() const { return path_; }
  // The upright size of the whole picture.
  QSize NaturalSize() const { return natural_; }
  // Decodes the picture upright, each side divided by scale (1, 2, 4 or 8; rounded up); a
  // bitmap always comes whole. May be called again (the file is read again). progress runs as
  // for LoadJpeg, for an upright JPEG only (the rows of a turned one are not the picture's).
  QImage Decode(int scale, const PictureProgress& progress = {}, int progressIntervalMs = 40);

 private:
  QByteArray path_;
  QSize natural_;
  QImage bitmap_;
  std::unique_ptr<JpegSource> jpeg_;  // opened with its header read, for the next decode
};

// The whole picture, by the extension as PictureFile.
QImage LoadPicture(const QByteArray& path, const PictureProgress& progress = {},
                   int progressIntervalMs = 40);
// A JPEG file. progress runs at most every progressIntervalMs of decoding (0: after every
// band of rows), never for a picture decoded faster than that.
QImage LoadJpeg(const QByteArray& path, const PictureProgress& progress = {},
                int progressIntervalMs = 40);
// A Windows bitmap file: core, info, V4 and V5 headers; 1, 4, 8, 16, 24 and 32 bits per pixel;
// uncompressed, bit fields, RLE8 and RLE4; bottom-up and top-down.
QImage LoadBitmap(const QByteArray& path);
// The same from the file's bytes.
QImage ReadBitmap(const QByteArray& data);

}  // namespace ostrivo
