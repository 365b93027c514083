#pragma once
// Picture files made by the tests themselves: JPEGs encoded by libjpeg, bitmaps written byte by
// byte.

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace ostrivo::test {

enum class JpegColour { RGB, Gray, CMYK };

// Encodes the picture as a baseline JPEG, or a progressive one.
inline QByteArray EncodeJpeg(const QImage& picture, int quality = 95,
                             JpegColour colour = JpegColour::RGB, bool progressive = false) {
  jpeg_compress_struct c{};
  jpeg_error_mgr errors{};
  c.err = jpeg_std_error(&errors);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = static_cast<JDIMENSION>(picture.width());
  c.image_height = static_cast<JDIMENSION>(picture.height());
  c.input_components = colour == JpegColour::Gray ? 1 : colour == JpegColour::CMYK ? 4 : 3;
  c.in_color_space = colour == JpegColour::Gray   ? JCS_GRAYSCALE
                     : colour == JpegColour::CMYK ? JCS_CMYK
                                                  : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(picture.width()) * 4);
  while (c.next_scanline < c.image_height) {
    const int y = static_cast<int>(c.next_scanline);
    for (int x = 0; x < picture.width(); ++x) {
      const QRgb px = picture.pixel(x, y);
      JSAMPLE* out = row.data() + static_cast<size_t>(x) * c.input_components;
      if (colour == JpegColour::Gray) {
        out[0] = static_cast<JSAMPLE>(qGray(px));
      } else if (colour == JpegColour::CMYK) {
        // Adobe's inverted inks: 255 is no ink. No black ink, so K stays 255.
        out[0] = static_cast<JSAMPLE>(qRed(px));
        out[1] = static_cast<JSAMPLE>(qGreen(px));
        out[2] = static_cast<JSAMPLE>(qBlue(px));
        out[3] = 255;
      } else {
        out[0] = static_cast<JSAMPLE>(qRed(px));
        out[1] = static_cast<JSAMPLE>(qGreen(px));
        out[2] = static_cast<JSAMPLE>(qBlue(px));
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  QByteArray bytes(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
  std::free(buffer);
  return bytes;
}

// A picture with something to recognise in every corner: a colour gradient.
inline QImage Gradient(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      image.setPixel(x, y, qRgb(x * 255 / std::max(w - 1, 1), y * 255 / std::max(h - 1, 1), 96));
  return image;
}

// The JPEG with an EXIF block (APP1) right after its start marker whose first directory holds
// the orientation tag (0x0112, one SHORT), in Motorola (big-endian) or Intel byte order.
inline QByteArray WithExifOrientation(const QByteArray& jpeg, int orientation,
                                      bool bigEndian = true) {
  QByteArray tiff;
  auto u16 = [&](unsigned v) {
    const char hi = static_cast<char>(v >> 8 & 0xFF), lo = static_cast<char>(v & 0xFF);
    tiff.append(bigEndian ? hi : lo).append(bigEndian ? lo : hi);
  };
  auto u32 = [&](std::uint32_t v) {
    if (bigEndian) {
      u16(v >> 16);
      u16(v & 0xFFFF);
    } else {
      u16(v & 0xFFFF);
      u16(v >> 16);
    }
  };
  tiff.append(bigEndian ? "MM" : "II");
  u16(42);
  u32(8);  // the first directory follows the header
  u16(1);  // one entry
  u16(0x0112);
  u16(3);  // SHORT
  u32(1);
  u16(static_cast<unsigned>(orientation));
  u16(0);
  u32(0);  // no next directory
  const QByteArray body = QByteArray("Exif\0\0", 6) + tiff;
  const int length = static_cast<int>(body.size()) + 2;
  QByteArray segment("\xFF\xE1", 2);
  segment.append(static_cast<char>(length >> 8)).append(static_cast<char>(length & 0xFF));
  segment.append(body);
  return jpeg.left(2) + segment + jpeg.mid(2);
}

// Little-endian fields, as a bitmap file writes them.
class Bytes {
 public:
  Bytes& U8(unsigned v) {
    data.append(static_cast<char>(v & 0xFF));
    return *this;
  }
  Bytes& U16(unsigned v) { return U8(v).U8(v >> 8); }
  Bytes& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  Bytes& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
  Bytes& Raw(const QByteArray& b) {
    data.append(b);
    return *this;
  }
  QByteArray data;
};

// The file header and a BITMAPINFOHEADER (40 bytes); the caller appends the rest.
inline Bytes BitmapHeaders(std::int32_t w, std::int32_t h, unsigned bpp, std::uint32_t offBits,
                           std::uint32_t compression = 0, std::uint32_t colours = 0) {
  Bytes b;
  b.U8('B').U8('M').U32(0).U16(0).U16(0).U32(offBits);
  b.U32(40)
      .I32(w)
      .I32(h)
      .U16(1)
      .U16(bpp)
      .U32(compression)
      .U32(0)
      .I32(2835)
      .I32(2835)
      .U32(colours)
      .U32(0);
  return b;
}

}  // namespace ostrivo::test
