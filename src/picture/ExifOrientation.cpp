#include "picture/ExifOrientation.h"

#include <QTransform>
#include <cstdint>

namespace ostrivo {

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;

// Bounds-checked reads inside the TIFF structure that follows "Exif\0\0"; offsets count from
// the TIFF header, in the byte order it declares.
class Tiff {
 public:
  Tiff(const unsigned char* d, std::size_t n) : d_(d), n_(n) {}
  bool Has(std::size_t at, std::size_t bytes) const { return at <= n_ && bytes <= n_ - at; }
  bool ReadOrder() {
    if (!Has(0, 8)) return false;
    if (d_[0] == 'I' && d_[1] == 'I')
      little_ = true;
    else if (d_[0] == 'M' && d_[1] == 'M')
      little_ = false;
    else
      return false;
    return U16(2) == 42;
  }
  // Callers check the bounds first.
  std::uint16_t U16(std::size_t at) const {
    return little_ ? static_cast<std::uint16_t>(d_[at] | d_[at + 1] << 8)
                   : static_cast<std::uint16_t>(d_[at] << 8 | d_[at + 1]);
  }
  std::uint32_t U32(std::size_t at) const {
    const std::uint32_t a = U16(at), b = U16(at + 2);
    return little_ ? (b << 16 | a) : (a << 16 | b);
  }

 private:
  const unsigned char* d_;
  std::size_t n_;
  bool little_ = true;
};

}  // namespace

Orientation ReadExifOrientation(const unsigned char* data, std::size_t size) {
  static constexpr unsigned char kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
  if (!data || size < sizeof kExif) return Orientation::Upright;
  for (std::size_t i = 0; i < sizeof kExif; ++i)
    if (data[i] != kExif[i]) return Orientation::Upright;
  Tiff tiff(data + sizeof kExif, size - sizeof kExif);
  if (!tiff.ReadOrder()) return Orientation::Upright;
  // The first image file directory: a count, then twelve-byte entries.
  const std::size_t ifd = tiff.U32(4);
  if (!tiff.Has(ifd, 2)) return Orientation::Upright;
  const std::size_t count = tiff.U16(ifd);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = ifd + 2 + 12 * i;
    if (!tiff.Has(entry, 12)) break;
    if (tiff.U16(entry) != kOrientationTag) continue;
    // One SHORT, kept in the first two bytes of the value field.
    if (tiff.U16(entry + 2) != kTypeShort || tiff.U32(entry + 4) != 1) break;
    const std::uint16_t v = tiff.U16(entry + 8);
    return v >= 1 && v <= 8 ? static_cast<Orientation>(v) : Orientation::Upright;
  }
  return Orientation::Upright;
}

bool SwapsSides(Orientation o) {
  return static_cast<int>(o) >= static_cast<int>(Orientation::Transposed);
}

QImage Upright(const QImage& stored, Orientation o) {
  const QTransform quarter = QTransform().rotate(90);  // clockwise on the screen
  switch (o) {
    case Orientation::Upright:
      return stored;
    case Orientation::Mirrored:
      return stored.mirrored(true, false);
    case Orientation::Rotated180:
      return stored.mirrored(true, true);
    case Orientation::Flipped:
      return stored.mirrored(false, true);
    case Orientation::Transposed:
      return stored.transformed(quarter).mirrored(true, false);
    case Orientation::Rotated90:
      return stored.transformed(quarter);
    case Orientation::Transversed:
      return stored.transformed(quarter).mirrored(false, true);
    case Orientation::Rotated270:
      return stored.transformed(QTransform().rotate(270));
  }
  return stored;
}

}  // namespace ostrivo
