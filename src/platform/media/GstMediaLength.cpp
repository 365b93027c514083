#include "platform/media/GstMediaLength.h"

#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace ostrivo {

namespace {

std::uint32_t LE(const char* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(p[i]);
  return v;
}

constexpr std::uint32_t kFormatPcm = 1, kFormatFloat = 3, kFormatExtensible = 0xfffe;
// How long the discoverer may take for one file: a slow disk, never a medium that hangs.
constexpr GstClockTime kDiscoverTimeout = 10 * GST_SECOND;

// The length of a sound file whose length the discoverer could not tell (a constant-bit-rate MP3
// without a Xing header, before its parser has seen enough frames to estimate one): the file's
// bytes at the bit rate of its sound. Only for a medium that can seek: the bytes of a live or
// endless stream (a play list of segments) say nothing of its length. 0 when nothing tells.
std::int64_t LengthAtBitrateMs(GstDiscovererInfo* info, const QByteArray& path) {
  if (!gst_discoverer_info_get_seekable(info)) return 0;
  GList* video = gst_discoverer_info_get_video_streams(info);
  const bool pictures = video != nullptr;
  gst_discoverer_stream_info_list_free(video);
  if (pictures) return 0;  // the bytes are not the sound's alone
  GList* audio = gst_discoverer_info_get_audio_streams(info);
  guint bitrate = 0;
  for (GList* s = audio; s && bitrate == 0; s = s->next) {
    auto* stream = static_cast<GstDiscovererAudioInfo*>(s->data);
    bitrate = gst_discoverer_audio_info_get_bitrate(stream);
    const GstTagList* tags =
        gst_discoverer_stream_info_get_tags(reinterpret_cast<GstDiscovererStreamInfo*>(stream));
    if (bitrate == 0 && tags && !gst_tag_list_get_uint(tags, GST_TAG_BITRATE, &bitrate))
      gst_tag_list_get_uint(tags, GST_TAG_NOMINAL_BITRATE, &bitrate);
  }
  gst_discoverer_stream_info_list_free(audio);
  if (bitrate == 0) return 0;
  return QFileInfo(QFile::decodeName(path)).size() * 8000 / bitrate;
}

}  // namespace

std::optional<std::int64_t> WavHeaderLengthMs(const QByteArray& path) {
  QFile file(QFile::decodeName(path));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const qint64 size = file.size();
  char head[12];
  if (file.read(head, 12) != 12 || std::memcmp(head, "RIFF", 4) != 0 ||
      std::memcmp(head + 8, "WAVE", 4) != 0)
    return std::nullopt;
  std::uint32_t byteRate = 0;
  // A handful of chunks at most come before the samples (format, facts, lists).
  for (int chunk = 0; chunk < 32; ++chunk) {
    char header[8];
    if (file.read(header, 8) != 8) return std::nullopt;
    const std::uint32_t length = LE(header + 4, 4);
    const qint64 body = file.pos();
    if (std::memcmp(header, "fmt ", 4) == 0) {
      char fmt[16];
      if (length < 16 || file.read(fmt, 16) != 16) return std::nullopt;
      const std::uint32_t format = LE(fmt, 2), channels = LE(fmt + 2, 2), rate = LE(fmt + 4, 4);
      const std::uint32_t align = LE(fmt + 12, 2), bits = LE(fmt + 14, 2);
      byteRate = LE(fmt + 8, 4);
      // Only plain samples whose header agrees with itself; anything else goes to GStreamer.
      if ((format != kFormatPcm && format != kFormatFloat && format != kFormatExtensible) ||
          channels == 0 || bits == 0 || bits % 8 != 0 || align != channels * (bits / 8) ||
          byteRate == 0 || std::uint64_t(byteRate) != std::uint64_t(rate) * align)
        return std::nullopt;
    } else if (std::memcmp(header, "data", 4) == 0) {
      if (byteRate == 0 || length == 0) return std::nullopt;
      // A header that promises more than the file holds (a cut or still growing recording)
      // plays as far as the file goes.
      const qint64 bytes = std::min<qint64>(length, size - body);
      if (bytes <= 0) return std::nullopt;
      return bytes * 1000 / byteRate;
    }
    if (!file.seek(body + length + (length & 1))) return std::nullopt;
  }
  return std::nullopt;
}

GstMediaLength::~GstMediaLength() {
  if (discoverer_) g_object_unref(discoverer_);
}

std::optional<std::int64_t> GstMediaLength::Measure(const QByteArray& path, QString& error) {
  if (const auto wav = WavHeaderLengthMs(path)) return wav;
  return Discover(path, error);
}

std::optional<std::int64_t> GstMediaLength::Discover(const QByteArray& path, QString& error) {
  if (!gst_is_initialized()) gst_init(nullptr, nullptr);
  GError* gerror = nullptr;
  if (!discoverer_) {
    discoverer_ = gst_discoverer_new(kDiscoverTimeout, &gerror);
    if (!discoverer_) {
      error = gerror ? QString::fromUtf8(gerror->message) : QString();
      g_clear_error(&gerror);
      return std::nullopt;
    }
  }
  gchar* uri = gst_filename_to_uri(path.constData(), &gerror);
  if (!uri) {
    error = gerror ? QString::fromUtf8(gerror->message) : QString();
    g_clear_error(&gerror);
    return std::nullopt;
  }
  GstDiscovererInfo* info = gst_discoverer_discover_uri(discoverer_, uri, &gerror);
  g_free(uri);
  std::optional<std::int64_t> length;
  const GstDiscovererResult result =
      info ? gst_discoverer_info_get_result(info) : GST_DISCOVERER_ERROR;
  if (result == GST_DISCOVERER_OK) {
    // A stream without an end (a live play list) has no length at all.
    const GstClockTime duration = gst_discoverer_info_get_duration(info);
    length = GST_CLOCK_TIME_IS_VALID(duration) ? std::int64_t(duration / GST_MSECOND) : 0;
    if (*length == 0) length = LengthAtBitrateMs(info, path);
  } else if (gerror && gerror->message) {
    error = QString::fromUtf8(gerror->message);
  } else if (result == GST_DISCOVERER_TIMEOUT) {
    error = QStringLiteral("The medium did not become ready in time.");
  } else if (result == GST_DISCOVERER_MISSING_PLUGINS) {
    error = QStringLiteral("No decoder is installed for this medium.");
  }
  g_clear_error(&gerror);
  if (info) gst_discoverer_info_unref(info);
  return length;
}

}  // namespace ostrivo
