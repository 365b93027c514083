#pragma once
// The seam between the media device (TMediaPlayer) and what plays: GStreamer for real
// (GstMediaBackend), a simulation on the virtual clock for tests (SimulatedMediaBackend).
//
// A back end opens one medium per MediaStream. Everything is in milliseconds from the start
// of the medium (for a CD, from the start of the disc); the device converts to its time
// formats. All calls happen on the GUI thread and, except Play and Resume, return when done.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace ostrivo {

// The device's mode, in the device's own order (numbered from 0).
enum class MediaMode { NotReady, Stopped, Playing, Recording, Seeking, Paused, Open };

// How a play ended by itself.
enum class MediaEnd { Completed, Failed };

// Result codes of the stream operations; 0 is success.
enum MediaError : int {
  kMediaOk = 0,
  kMediaFailed = 1,        // the back end could not do it
  kMediaOutOfRange = 2,    // a position or track beyond the medium
  kMediaBadFormat = 3,     // a time format the medium does not support
  kMediaNotOpen = 4,       // no device open
  kMediaNotSupported = 5,  // the medium cannot do this (e.g. pause a stopped device)
};

// One track of a disc: its start from the start of the disc and its length.
struct MediaTrack {
  std::int64_t startMs = 0;
  std::int64_t lengthMs = 0;
};

// What to open: the file (the play-list entry's bytes, possibly empty) and the device type
// name ("" for auto-select, "CDAudio", "WaveAudio", ...). The device decides what is a CD
// track: for "CDAudio" the back end opens the disc, starting at cdTrack; it never guesses a
// CD from the file's name.
struct MediaOpenRequest {
  QByteArray path;
  QByteArray deviceType;
  int cdTrack = 1;
};

class MediaStream {
 public:
  // Called at most once per Play/Resume, always as a queued event on the GUI thread (never
  // inside a call on the stream): Completed when the play reached the end of the medium,
  // Failed when it broke off with an error.
  using EndHandler = std::function<void(MediaEnd)>;

  // Closing: silences the medium at once; a pending end handler is dropped, never called.
  virtual ~MediaStream() = default;

  // The whole medium (for a CD, the whole disc).
  virtual std::int64_t LengthMs() = 0;
  // The play position from the start of the medium.
  virtual std::int64_t PositionMs() = 0;
  virtual MediaMode Mode() = 0;
  // A disc's table of contents; empty for a file.
  virtual std::vector<MediaTrack> Tracks() = 0;

  // Moves to ms (0..LengthMs). The device stops playback before it seeks.
  virtual int Seek(std::int64_t ms) = 0;
  // Plays from the current position to the end of the medium and returns at once. A pending
  // end handler of an earlier Play is dropped. At the end of the medium the play completes
  // at once: nothing rewinds by itself.
  virtual int Play(EndHandler onEnd) = 0;
  // Pauses a playing medium; the pending end handler stays pending until Resume or Stop.
  virtual int Pause() = 0;
  // Continues a paused medium with a new end handler (the earlier one is dropped).
  virtual int Resume(EndHandler onEnd) = 0;
  // Stops; the position stays where it stopped. A pending end handler is dropped.
  virtual int Stop() = 0;

  // Called from the event loop (never inside a call on the stream) when the user has closed
  // the window the medium's picture plays in; the device decides what that means.
  std::function<void()> OnWindowClose;
};

class MediaBackend {
 public:
  struct OpenResult {
    std::unique_ptr<MediaStream> stream;  // null on failure
    QString error;                        // the back end's own text; may be empty
  };

  struct LengthResult {
    bool ok = false;
    std::int64_t lengthMs = 0;
    QString error;  // on failure: the back end's own text; may be empty
  };

  virtual ~MediaBackend() = default;
  // Opens the medium, ready to answer LengthMs at once.
  virtual OpenResult Open(const MediaOpenRequest& request) = 0;
  // The length Open would report, and the same failures, without making the medium ready to
  // play. This one opens and closes it; a back end with a cheaper way overrides it.
  virtual LengthResult Measure(const MediaOpenRequest& request) {
    OpenResult opened = Open(request);
    if (!opened.stream) return LengthResult{false, 0, opened.error};
    return LengthResult{true, opened.stream->LengthMs(), QString()};
  }
  // A hint: the medium the device will probably open next. A back end may make it ready
  // meanwhile, so that the Open of the same request is quick; nothing else changes.
  virtual void Prepare(const MediaOpenRequest& /*request*/) {}
  // Runs fn as a queued event on the GUI thread, after the caller has returned.
  virtual void Post(std::function<void()> fn) = 0;
};

}  // namespace ostrivo
