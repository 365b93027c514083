#include "picture/PictureLoader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "framework/Exceptions.h"
#include "picture/ExifOrientation.h"
#include "platform/fs/RegularFile.h"

namespace ostrivo {

namespace {

// ---- Files ----

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void CannotOpen(const QByteArray& path) {
  throw EFOpenError(QStringLiteral("Cannot open file %1").arg(DisplayText(path)));
}

// Opens a regular file by the entry's own bytes; its size in *size. The open itself never
// waits, whatever the path names by the time it is opened.
FilePtr OpenPictureFile(const QByteArray& path, std::int64_t* size) {
  if (path.isEmpty() || path.contains('\0')) CannotOpen(path);
  fs::RefuseSpecialFile(path);
  const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0) ::close(fd);
    CannotOpen(path);
  }
  FilePtr f(::fdopen(fd, "rb"));
  if (!f) {
    ::close(fd);
    CannotOpen(path);
  }
  *size = st.st_size;
  return f;
}

[[noreturn]] void TooLarge(std::int64_t w, std::int64_t h) {
  throw EInvalidGraphic(
      QStringLiteral("Picture is too large to show (%1 x %2 pixels)").arg(w).arg(h));
}

// extraBytes: what the decoder needs besides the picture itself.
void CheckSize(std::int64_t w, std::int64_t h, std::int64_t extraBytes = 0) {
  // Each side is below 2^31, so their product fits; four times it need not.
  if (extraBytes > kMaxPictureBytes || w * h > (kMaxPictureBytes - extraBytes) / 4) TooLarge(w, h);
}

// Up to this many pixels (16 MiB decoded) a picture is cheap whatever its file holds.
constexpr std::int64_t kCheapPixels = std::int64_t{1} << 22;

// A picture must not declare more pixels than its data could plausibly cover: a small file
// declaring a huge size costs the memory and the time of the whole picture, to show a flat
// fill. plausiblePixels: what the format could cover with the data the file holds.
void CheckCost(std::int64_t w, std::int64_t h, std::int64_t plausiblePixels) {
  if (w * h > std::max(kCheapPixels, plausiblePixels)) TooLarge(w, h);
}

QImage NewImage(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  if (image.isNull()) TooLarge(w, h);  // the memory was not there
  return image;
}

// ---- JPEG ----

// libjpeg reports a fatal error through error_exit, which must not return. It jumps back to
// the small C-only steps below, which hold no C++ objects, and the caller throws from there.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

extern "C" void JpegErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (corrupt data, a file that ends early) are not errors: libjpeg recovers and the
// picture shows what could be decoded.
extern "C" void JpegEmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0) ++cinfo->err->num_warnings;
}

ErrorManager* Errors(j_decompress_ptr c) {
  return reinterpret_cast<ErrorManager*>(c->err);
}

// The file read in large chunks. libjpeg-turbo's fast Huffman decoder runs only while the
// buffer holds a few kilobytes more than one MCU could need, so with the standard 4 KB buffer
// most of the data went through the slow one.
struct FileSource {
  jpeg_source_mgr pub;
  std::FILE* file;
  std::vector<JOCTET> buffer;
  bool started;
};

extern "C" void SourceInit(j_decompress_ptr) {}
extern "C" void SourceTerm(j_decompress_ptr) {}

extern "C" boolean SourceFill(j_decompress_ptr c) {
  auto* s = reinterpret_cast<FileSource*>(c->src);
  size_t n = std::fread(s->buffer.data(), 1, s->buffer.size(), s->file);
  if (n == 0) {
    if (!s->started) ERREXIT(c, JERR_INPUT_EMPTY);
    // A file that ends early: warn, and end the picture as libjpeg's own source does.
    WARNMS(c, JWRN_JPEG_EOF);
    s->buffer[0] = 0xFF;
    s->buffer[1] = JPEG_EOI;
    n = 2;
  }
  s->pub.next_input_byte = s->buffer.data();
  s->pub.bytes_in_buffer = n;
  s->started = true;
  return TRUE;
}

extern "C" void SourceSkip(j_decompress_ptr c, long count) {
  jpeg_source_mgr* src = c->src;
  if (count <= 0) return;
  while (count > static_cast<long>(src->bytes_in_buffer)) {
    count -= static_cast<long>(src->bytes_in_buffer);
    SourceFill(c);
  }
  src->next_input_byte += count;
  src->bytes_in_buffer -= static_cast<size_t>(count);
}

void SetFileSource(j_decompress_ptr c, FileSource& s, std::FILE* file) {
  constexpr size_t kChunk = 256 * 1024;
  s.file = file;
  s.buffer.resize(kChunk);
  s.started = false;
  s.pub.init_source = SourceInit;
  s.pub.fill_input_buffer = SourceFill;
  s.pub.skip_input_data = SourceSkip;
  s.pub.resync_to_restart = jpeg_resync_to_restart;
  s.pub.term_source = SourceTerm;
  s.pub.next_input_byte = nullptr;
  s.pub.bytes_in_buffer = 0;
  c->src = &s.pub;
}

bool JpegReadHeader(j_decompress_ptr c) {
  if (setjmp(Errors(c)->jump)) return false;
  jpeg_read_header(c, TRUE);
  return true;
}

bool JpegStart(j_decompress_ptr c) {
  if (setjmp(Errors(c)->jump)) return false;
  jpeg_start_decompress(c);
  return true;
}

// Reads the band of `count` output lines that starts at line `first` into rows.
bool JpegReadRows(j_decompress_ptr c, JSAMPARRAY rows, JDIMENSION first, JDIMENSION count) {
  if (setjmp(Errors(c)->jump)) return false;
  // jpeg_read_scanlines may return fewer lines than asked for; keep asking for the rest.
  while (c->output_scanline < first + count)
    jpeg_read_scanlines(c, rows + (c->output_scanline - first), first + count - c->output_scanline);
  return true;
}

bool JpegFinish(j_decompress_ptr c) {
  if (setjmp(Errors(c)->jump)) return false;
  jpeg_finish_decompress(c);
  return true;
}

struct Decompressor {
  jpeg_decompress_struct cinfo{};
  ErrorManager errors{};
  Decompressor() {
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = JpegErrorExit;
    errors.pub.emit_message = JpegEmitMessage;
    jpeg_create_decompress(&cinfo);
  }
  ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
  [[noreturn]] void Fail() const {
    throw EJPEG(QStringLiteral("JPEG error #%1").arg(errors.pub.msg_code));
  }
};

// Adobe CMYK JPEGs store the inks inverted; libjpeg hands them over as written.
void CmykToRgb32(const JSAMPLE* in, QRgb* out, int width, bool inverted) {
  for (int x = 0; x < width; ++x, in += 4) {
    int c = in[0], m = in[1], y = in[2], k = in[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    out[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
  }
}

// ---- Windows bitmaps ----

[[noreturn]] void InvalidBitmap() {
  throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
}

constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;
constexpr std::int64_t kFileHeaderSize = 14;

struct Reader {
  const uchar* d;
  std::int64_t n;
  std::uint32_t U8(std::int64_t at) const { return at < n ? d[at] : 0; }
  std::uint32_t U16(std::int64_t at) const { return U8(at) | U8(at + 1) << 8; }
  std::uint32_t U32(std::int64_t at) const { return U16(at) | U16(at + 2) << 16; }
};

struct BitmapInfo {
  int width = 0;
  int height = 0;
  bool topDown = false;
  int bpp = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
  std::int64_t paletteAt = 0;
  int paletteCount = 0;
  int paletteEntry = 4;
  std::int64_t dataAt = 0;
  std::int64_t stride = 0;
  std::int64_t end = 0;  // where the pixel data ends (as far as the file needs to be read)
};

// Reads and checks the headers from the first bytes of a file of fileSize bytes.
BitmapInfo ParseBitmapHeaders(const Reader& r, std::int64_t fileSize) {
  BitmapInfo b;
  if (r.n < kFileHeaderSize + 12 || r.U8(0) != 'B' || r.U8(1) != 'M') InvalidBitmap();
  const std::uint32_t offBits = r.U32(10);
  const std::uint32_t headerSize = r.U32(14);
  std::int64_t h = 0;
  std::uint32_t planes = 0, clrUsed = 0;
  if (headerSize == 12) {  // BITMAPCOREHEADER
    b.width = static_cast<int>(r.U16(18));
    h = r.U16(20);
    planes = r.U16(22);
    b.bpp = static_cast<int>(r.U16(24));
    b.paletteEntry = 3;
  } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 64 ||
             headerSize == 108 || headerSize == 124) {
    if (r.n < kFileHeaderSize + 40) InvalidBitmap();
    b.width = static_cast<int>(static_cast<std::int32_t>(r.U32(18)));
    h = static_cast<std::int32_t>(r.U32(22));
    planes = r.U16(26);
    b.bpp = static_cast<int>(r.U16(28));
    b.compression = r.U32(30);
    clrUsed = r.U32(46);
  } else {
    InvalidBitmap();
  }
  b.topDown = h < 0;
  h = h < 0 ? -h : h;
  if (b.width <= 0 || h <= 0 || h > INT32_MAX || planes != 1) InvalidBitmap();
  b.height = static_cast<int>(h);
  switch (b.compression) {
    case kBiRgb:
      if (b.bpp != 1 && b.bpp != 4 && b.bpp != 8 && b.bpp != 16 && b.bpp != 24 && b.bpp != 32)
        InvalidBitmap();
      break;
    case kBiRle8:
    case kBiRle4:
      if (b.bpp != (b.compression == kBiRle8 ? 8 : 4) || b.topDown || headerSize == 12)
        InvalidBitmap();
      break;
    case kBiBitfields:
      // (An OS/2 header uses the value 3 for a compression of its own.)
      if ((b.bpp != 16 && b.bpp != 32) || headerSize == 64) InvalidBitmap();
      break;
    default:
      InvalidBitmap();
  }
  CheckSize(b.width, b.height);

  b.paletteAt = kFileHeaderSize + headerSize;
  if (b.compression == kBiBitfields) {
    // The three masks follow a plain info header, or are part of a larger one.
    const std::int64_t at = kFileHeaderSize + 40;
    if (headerSize == 40) b.paletteAt += 12;
    if (r.n < at + 12) InvalidBitmap();
    for (int i = 0; i < 3; ++i) b.masks[i] = r.U32(at + 4 * i);
  } else if (b.bpp == 16) {
    b.masks[0] = 0x7C00;
    b.masks[1] = 0x03E0;
    b.masks[2] = 0x001F;
  }
  if (b.bpp <= 8) {
    const std::uint32_t max = 1u << b.bpp;
    b.paletteCount = static_cast<int>(clrUsed == 0 || clrUsed > max ? max : clrUsed);
  }
  const std::int64_t paletteEnd = b.paletteAt + std::int64_t{b.paletteCount} * b.paletteEntry;
  if (paletteEnd > fileSize) InvalidBitmap();
  b.dataAt = offBits != 0 ? offBits : paletteEnd;
  if (b.dataAt < kFileHeaderSize + 12 || b.dataAt > fileSize) InvalidBitmap();
  b.stride = (std::int64_t{b.width} * b.bpp + 31) / 32 * 4;
  if (b.compression == kBiRle8 || b.compression == kBiRle4) {
    // Encoded data runs to the end of the file (no valid stream needs more than this).
    const std::int64_t worst = (std::int64_t{b.width} * 2 + 4) * b.height + 2;
    b.end = std::min(fileSize, b.dataAt + worst);
    // Each two bytes cover at most 255 pixels; line ends, jumps and the early end of the
    // bitmap leave pixels unwritten rather than cover them.
    CheckCost(b.width, b.height, (b.end - b.dataAt) / 2 * 255);
  } else {
    b.end = b.dataAt + b.stride * b.height;
    if (b.end > fileSize) InvalidBitmap();
  }
  return b;
}

int Channel(std::uint32_t px, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  const std::uint32_t v = (px & mask) >> shift;
  if (bits >= 8) return static_cast<int>(v >> (bits - 8)) & 0xFF;
  return static_cast<int>(v * 255 / ((1u << bits) - 1));
}

void DecodeRle(const Reader& r, const BitmapInfo& b, const std::vector<QRgb>& palette,
               QImage& image) {
  const bool four = b.compression == kBiRle4;
  auto colour = [&](std::uint32_t index) {
    return index < palette.size() ? palette[index] : qRgb(0, 0, 0);
  };
  image.fill(colour(0));
  std::int64_t p = b.dataAt;
  std::int64_t x = 0, y = 0;  // y counts rows from the bottom
  auto set = [&](std::uint32_t index) {
    if (x < b.width && y < b.height)
      reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(b.height - 1 - y)))[x] =
          colour(index);
    ++x;
  };
  while (p + 1 < b.end && y < b.height) {
    const std::uint32_t n = r.U8(p), c = r.U8(p + 1);
    p += 2;
    if (n > 0) {
      for (std::uint32_t i = 0; i < n; ++i) set(four ? ((i & 1) ? (c & 0x0F) : (c >> 4)) : c);
      continue;
    }
    if (c == 0) {  // end of line
      x = 0;
      ++y;
    } else if (c == 1) {  // end of bitmap
      break;
    } else if (c == 2) {  // delta
      x += r.U8(p);
      y += r.U8(p + 1);
      p += 2;
    } else {  // absolute run of c pixels, padded to a word
      const std::int64_t bytes = four ? (c + 1) / 2 : c;
      if (p + bytes > b.end) break;
      for (std::uint32_t i = 0; i < c; ++i) {
        const std::uint32_t byte = r.U8(p + (four ? i / 2 : i));
        set(four ? ((i & 1) ? (byte & 0x0F) : (byte >> 4)) : byte);
      }
      p += bytes + (bytes & 1);
    }
  }
}

QImage DecodeBitmap(const Reader& r, const BitmapInfo& b) {
  std::vector<QRgb> palette(static_cast<size_t>(b.paletteCount));
  for (int i = 0; i < b.paletteCount; ++i) {
    const std::int64_t at = b.paletteAt + std::int64_t{i} * b.paletteEntry;
    palette[static_cast<size_t>(i)] = qRgb(
        static_cast<int>(r.U8(at + 2)), static_cast<int>(r.U8(at + 1)), static_cast<int>(r.U8(at)));
  }
  QImage image = NewImage(b.width, b.height);
  if (b.compression == kBiRle8 || b.compression == kBiRle4) {
    DecodeRle(r, b, palette, image);
    return image;
  }
  const QRgb black = qRgb(0, 0, 0);
  for (int row = 0; row < b.height; ++row) {
    const uchar* src = r.d + b.dataAt + b.stride * row;
    QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(b.topDown ? row : b.height - 1 - row));
    switch (b.bpp) {
      case 1:
      case 4:
      case 8: {
        const int perByte = 8 / b.bpp;
        const std::uint32_t mask = (1u << b.bpp) - 1;
        for (int x = 0; x < b.width; ++x) {
          const int shift = 8 - b.bpp * (x % perByte + 1);
          const std::uint32_t index = (src[x / perByte] >> shift) & mask;
          out[x] = index < palette.size() ? palette[index] : black;
        }
        break;
      }
      case 16:
        for (int x = 0; x < b.width; ++x) {
          const std::uint32_t px = src[2 * x] | src[2 * x + 1] << 8;
          out[x] = qRgb(Channel(px, b.masks[0]), Channel(px, b.masks[1]), Channel(px, b.masks[2]));
        }
        break;
      case 24:
        for (int x = 0; x < b.width; ++x) out[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
        break;
      case 32:
        if (b.compression == kBiBitfields) {
          for (int x = 0; x < b.width; ++x) {
            const std::uint32_t px = src[4 * x] | src[4 * x + 1] << 8 | src[4 * x + 2] << 16 |
                                     static_cast<std::uint32_t>(src[4 * x + 3]) << 24;
            out[x] =
                qRgb(Channel(px, b.masks[0]), Channel(px, b.masks[1]), Channel(px, b.masks[2]));
          }
        } else {
          for (int x = 0; x < b.width; ++x)
            out[x] = qRgb(src[4 * x + 2], src[4 * x + 1], src[4 * x]);
        }
        break;
    }
  }
  return image;
}

}  // namespace

QImage ReadBitmap(const QByteArray& data) {
  const Reader r{reinterpret_cast<const uchar*>(data.constData()), data.size()};
  const BitmapInfo b = ParseBitmapHeaders(r, data.size());
  return DecodeBitmap(r, b);
}

QImage LoadBitmap(const QByteArray& path) {
  std::int64_t size = 0;
  FilePtr f = OpenPictureFile(path, &size);
  // The headers first: they tell how much of the file the picture needs, and whether it can
  // be held at all, before anything large is read.
  QByteArray head(static_cast<qsizetype>(std::min<std::int64_t>(size, 4096)), Qt::Uninitialized);
  if (std::fread(head.data(), 1, static_cast<size_t>(head.size()), f.get()) !=
      static_cast<size_t>(head.size()))
    CannotOpen(path);
  const BitmapInfo b = ParseBitmapHeaders(
      Reader{reinterpret_cast<const uchar*>(head.constData()), head.size()}, size);
  QByteArray data = head;
  if (b.end > data.size()) {
    const qsizetype have = data.size();
    data.resize(static_cast<qsizetype>(b.end));
    const size_t want = static_cast<size_t>(b.end - have);
    if (std::fread(data.data() + have, 1, want, f.get()) != want) InvalidBitmap();
  }
  return DecodeBitmap(Reader{reinterpret_cast<const uchar*>(data.constData()), data.size()}, b);
}

// A JPEG file opened and its header read, ready for one decode at any scale.
class JpegSource {
 public:
  explicit JpegSource(const QByteArray& path) {
    std::int64_t size = 0;
    file_ = OpenPictureFile(path, &size);
    j_decompress_ptr c = &d_.cinfo;
    SetFileSource(c, source_, file_.get());
    // The EXIF block (APP1) holds the orientation.
    jpeg_save_markers(c, JPEG_APP0 + 1, 0xFFFF);
    if (!JpegReadHeader(c)) d_.Fail();
    // A progressive or multi-scan JPEG keeps all its coefficients while it decodes, at any
    // scale: two bytes a sample of each component.
    const std::int64_t coefficients =
        jpeg_has_multiple_scans(c)
            ? std::int64_t{c->image_width} * c->image_height * c->num_components * 2
            : 0;
    CheckSize(c->image_width, c->image_height, coefficients);
    // No coding spends less than a bit on a block of 8 x 8 pixels.
    CheckCost(c->image_width, c->image_height, size * 8 * 64);
    c->mem->max_memory_to_use = static_cast<long>(kMaxPictureBytes);
    for (jpeg_saved_marker_ptr m = c->marker_list; m; m = m->next) {
      if (m->marker != JPEG_APP0 + 1) continue;
      orientation_ = ReadExifOrientation(m->data, m->data_length);
      if (orientation_ != Orientation::Upright) break;
    }
  }

  QSize NaturalSize() const {
    const QSize stored(static_cast<int>(d_.cinfo.image_width),
                       static_cast<int>(d_.cinfo.image_height));
    return SwapsSides(orientation_) ? stored.transposed() : stored;
  }

  QImage Decode(int scale, const PictureProgress& progress, int progressIntervalMs) {
    j_decompress_ptr c = &d_.cinfo;
    const bool cmyk = c->jpeg_color_space == JCS_CMYK || c->jpeg_color_space == JCS_YCCK;
    c->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;  // BGRX is QImage's RGB32 in memory
    c->dct_method = JDCT_ISLOW;
    // libjpeg scales inside its inverse DCT: a smaller picture costs less work and memory.
    c->scale_num = 1;
    c->scale_denom = static_cast<unsigned>(scale);
    if (!JpegStart(c)) d_.Fail();
    const int width = static_cast<int>(c->output_width);
    const int height = static_cast<int>(c->output_height);
    QImage image = NewImage(width, height);
    // Written through these pointers only, so a partial picture handed out is never copied.
    uchar* const bits = image.bits();
    const qsizetype bpl = image.bytesPerLine();
    constexpr JDIMENSION kBand = 16;
    std::vector<JSAMPLE> cmykBand(cmyk ? static_cast<size_t>(width) * 4 * kBand : 0);
    const bool inverted = c->saw_Adobe_marker != 0;
    // The stored rows of a turned or mirrored picture are not the top rows of what is shown.
    const bool banded = progress && orientation_ == Orientation::Upright;

    QElapsedTimer clock;
    clock.start();
    std::int64_t lastShown = 0;
    std::vector<JSAMPROW> rows(kBand);
    while (c->output_scanline < c->output_height) {
      const JDIMENSION first = c->output_scanline;
      const JDIMENSION count = std::min<JDIMENSION>(kBand, c->output_height - first);
      for (JDIMENSION i = 0; i < count; ++i)
        rows[i] =
            cmyk ? cmykBand.data() + static_cast<size_t>(width) * 4 * i : bits + bpl * (first + i);
      if (!JpegReadRows(c, rows.data(), first, count)) d_.Fail();
      if (cmyk)
        for (JDIMENSION i = 0; i < count; ++i)
          CmykToRgb32(rows[i], reinterpret_cast<QRgb*>(bits + bpl * (first + i)), width, inverted);
      if (banded && c->output_scanline < c->output_height &&
          clock.elapsed() - lastShown >= progressIntervalMs) {
        progress(image, static_cast<int>(c->output_scanline));
        lastShown = clock.elapsed();
      }
    }
    if (!JpegFinish(c)) d_.Fail();
    return Upright(image, orientation_);
  }

 private:
  // The file and its source outlive the decompressor, which reads from them.
  FilePtr file_;
  FileSource source_{};
  Decompressor d_;
  Orientation orientation_ = Orientation::Upright;
};

int DecodeScale(QSize natural, QSize shown) {
  for (const std::int64_t s : {8, 4, 2}) {
    if ((natural.width() + s - 1) / s >= shown.width() &&
        (natural.height() + s - 1) / s >= shown.height())
      return static_cast<int>(s);
  }
  return 1;
}

PictureFile::PictureFile(const QByteArray& path) : path_(path) {
  const QByteArray ext = path.right(4).toLower();
  if (ext == ".bmp") {
    bitmap_ = LoadBitmap(path);
    natural_ = bitmap_.size();
  } else if (ext == ".jpg") {
    jpeg_ = std::make_unique<JpegSource>(path);
    natural_ = jpeg_->NaturalSize();
  } else {
    throw EInvalidGraphic(
        QStringLiteral("Unknown picture file extension (%1)").arg(DisplayText(ext)));
  }
}

PictureFile::PictureFile(PictureFile&&) noexcept = default;
PictureFile& PictureFile::operator=(PictureFile&&) noexcept = default;
PictureFile::~PictureFile() = default;

QImage PictureFile::Decode(int scale, const PictureProgress& progress, int progressIntervalMs) {
  if (!bitmap_.isNull()) return bitmap_;
  // A source decodes once; a second decode reads the file again.
  std::unique_ptr<JpegSource> source = std::move(jpeg_);
  if (!source) source = std::make_unique<JpegSource>(path_);
  return source->Decode(scale, progress, progressIntervalMs);
}

QImage LoadJpeg(const QByteArray& path, const PictureProgress& progress, int progressIntervalMs) {
  return JpegSource(path).Decode(1, progress, progressIntervalMs);
}

QImage LoadPicture(const QByteArray& path, const PictureProgress& progress,
                   int progressIntervalMs) {
  return PictureFile(path).Decode(1, progress, progressIntervalMs);
}

}  // namespace ostrivo
