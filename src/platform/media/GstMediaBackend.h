#pragma once
// The real media back end: one GStreamer playbin per open medium.
//
// Open prerolls the medium (to PAUSED, waiting a bounded time for it or for an error), so its
// length answers at once (a stream that carries none is measured by the discoverer); a medium
// that cannot be played fails with GStreamer's own error text and the entry's path. The device
// type "CDAudio" opens the disc in the CD drive (OSTRIVO_CDROM_DEVICE, else the system's
// default) as one continuous stream, so a play runs on past the end of its track; the tracks
// come from the disc's table of contents. Measure reads a length without a playing pipeline.
//
// Output goes to the system's default sinks; OSTRIVO_AUDIO_SINK and OSTRIVO_VIDEO_SINK, in
// gst-launch syntax ("fakesink sync=true", "alsasink device=hw:1", ...), choose others. MIDI
// is synthesised with the General MIDI sound font in /usr/share/sounds/sf2, loaded once per run
// (GstMidiSynth).
//
// Bus messages are taken on GStreamer's threads and handed to the GUI thread as queued Qt
// events: the end of a play reaches its handler from the Qt event loop only. The back end and
// its streams belong to the GUI thread; a stream may outlive the back end that opened it.

#include <QObject>
#include <memory>

#include "platform/media/MediaBackend.h"

namespace ostrivo {

class GstMediaLength;
class GstStream;

class GstMediaBackend : public MediaBackend {
 public:
  // Initialises GStreamer when nobody has yet.
  GstMediaBackend();
  ~GstMediaBackend() override;

  OpenResult Open(const MediaOpenRequest& request) override;
  LengthResult Measure(const MediaOpenRequest& request) override;
  // Builds the medium's pipeline and lets it preroll on GStreamer's threads, its sound held
  // before the output opens; an Open of the same request then takes it over, already ready.
  // One medium is kept prepared at a time.
  void Prepare(const MediaOpenRequest& request) override;
  void Post(std::function<void()> fn) override;

  // How long Open and a seek wait for the medium to become ready (default 10 s: a CD drive
  // may have to spin up).
  void SetReadyTimeoutMs(int ms) { limits_.readyMs = ms; }
  // Bounds on a play that would never end by itself (a live stream, a stream that stops
  // coming), so that an unattended list moves on: a medium without a known length completes
  // once its position passes playMs (default 30 minutes), and any play whose position stands
  // still for stallMs (default a minute) completes there. Streams opened afterwards keep to them.
  void SetUnendingLimits(int playMs, int stallMs) {
    limits_.unendingPlayMs = playMs;
    limits_.stallMs = stallMs;
  }

  struct Limits {
    int readyMs = 10000;
    int unendingPlayMs = 30 * 60 * 1000;
    int stallMs = 60 * 1000;
  };

  // The sound font MIDI files are played with (empty: fluidsynth's own search).
  static QByteArray SoundFontPath();

 private:
  std::shared_ptr<QObject> receiver_;        // queued events land here, on the GUI thread
  std::shared_ptr<GstMediaLength> measure_;  // one discoverer for the run
  std::unique_ptr<QObject> prepareContext_;  // the prepared medium's timers
  std::unique_ptr<MediaStream> prepared_;    // a GstStream, or null
  GstStream* Prepared() const;
  void FinishPreparedWhenSettled(int attempt);
  Limits limits_;
};

}  // namespace ostrivo
