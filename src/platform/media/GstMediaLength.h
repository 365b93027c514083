#pragma once
// A medium's length without playing it: a PCM WAV file from its header (no pipeline at all),
// anything else with GStreamer's discoverer, which stops at the parsed streams and so neither
// decodes nor loads a MIDI sound font. One GstMediaLength is kept for the run: the discoverer
// is built once, on first use, and belongs to the GUI thread.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

typedef struct _GstDiscoverer GstDiscoverer;

namespace ostrivo {

// The length of a PCM WAV file by its header: the data chunk's bytes (as far as the file holds
// them) over the byte rate. Nothing for any other file, or a header that does not add up.
std::optional<std::int64_t> WavHeaderLengthMs(const QByteArray& path);

class GstMediaLength {
 public:
  GstMediaLength() = default;
  ~GstMediaLength();
  GstMediaLength(const GstMediaLength&) = delete;
  GstMediaLength& operator=(const GstMediaLength&) = delete;

  // The length of the file in milliseconds (0 for a still picture or a medium without one);
  // nothing, with GStreamer's error text in error, when it cannot be played.
  std::optional<std::int64_t> Measure(const QByteArray& path, QString& error);
  // The discoverer's answer alone, for a medium whose pipeline gave no length.
  std::optional<std::int64_t> Discover(const QByteArray& path, QString& error);

 private:
  GstDiscoverer* discoverer_ = nullptr;
};

}  // namespace ostrivo
