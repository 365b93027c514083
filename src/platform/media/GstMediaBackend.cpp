#include "platform/media/GstMediaBackend.h"

#include "platform/media/GstMediaLength.h"
#include "platform/media/GstMidiSynth.h"
#include "platform/media/VideoWindow.h"

#include <gst/gst.h>

#include "framework/Exceptions.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace ostrivo {

namespace {

constexpr std::int64_t kNsPerMs = GST_MSECOND;

QString TextOf(const GError* error) {
  return error && error->message ? QString::fromUtf8(error->message) : QString();
}

bool IsCdRequest(const MediaOpenRequest& request) {
  return request.deviceType == "CDAudio";
}

// The device's error text says which entry it failed on: "Resource not found: /music/a.mp3".
QString NamingTheEntry(QString text, const QByteArray& path) {
  if (text.isEmpty() || path.isEmpty()) return text;
  while (text.endsWith(QLatin1Char('.'))) text.chop(1);
  return text + QStringLiteral(": ") + QFile::decodeName(path);
}

// A sink from a gst-launch description in the environment variable, or null for playbin's own
// choice (the system's default sink).
GstElement* SinkFromEnvironment(const char* variable, QString& error) {
  const QByteArray description = qgetenv(variable).trimmed();
  if (description.isEmpty()) return nullptr;
  GError* parseError = nullptr;
  GstElement* sink = gst_parse_bin_from_description(description.constData(), TRUE, &parseError);
  if (parseError) {
    error = TextOf(parseError);
    g_error_free(parseError);
    if (sink) {
      gst_object_ref_sink(sink);
      gst_object_unref(sink);
    }
    return nullptr;
  }
  return sink;
}

// The whole disc as one stream, from the drive the environment names.
void OnSourceSetup(GstElement*, GstElement* source, gpointer) {
  GObjectClass* klass = G_OBJECT_GET_CLASS(source);
  const QByteArray device = qgetenv("OSTRIVO_CDROM_DEVICE");
  if (!device.isEmpty() && g_object_class_find_property(klass, "device"))
    g_object_set(source, "device", device.constData(), nullptr);
  if (g_object_class_find_property(klass, "mode"))
    gst_util_set_object_arg(G_OBJECT(source), "mode", "continuous");
}

// What GStreamer's threads hand to the GUI thread: the end of the medium or an error, with the
// seek generation it belongs to (reports from before a seek are stale).
struct BusNote {
  enum Kind { End, Error } kind;
  int generation;
  QString text;
};

// The GUI thread's handle on a stream: queued events check it, so none reaches a closed one.
struct StreamLink {
  GstStream* stream = nullptr;
};

}  // namespace

// Declared in the header so that the back end can keep one prepared.
class GstStream : public MediaStream {
 public:
  GstStream(std::shared_ptr<QObject> receiver, std::shared_ptr<GstMediaLength> measure,
            const GstMediaBackend::Limits& limits)
      : receiver_(std::move(receiver)),
        measure_(std::move(measure)),
        link_(std::make_shared<StreamLink>()),
        limits_(limits) {
    link_->stream = this;
    // Three looks within the tighter bound are plenty; the program wakes for them only while
    // a play runs.
    watch_.setInterval(std::max(std::min(limits_.stallMs, limits_.unendingPlayMs) / 3, 1));
    watch_.callOnTimeout([this] { WatchUnending(); });
  }

  ~GstStream() override {
    link_->stream = nullptr;
    if (pipeline_) {
      // NULL stops and joins every streaming thread: nothing posts after this. A thread held
      // before the sound output is let go by the sink's own shutdown, so the output is not
      // opened just to be closed, and the probe goes when nothing can reach it any more.
      gst_element_set_state(pipeline_, GST_STATE_NULL);
      gst_bus_set_sync_handler(bus_, nullptr, nullptr, nullptr);
      ReleaseAudio();
      gst_object_unref(bus_);
      gst_object_unref(pipeline_);
    }
  }

  // Builds the pipeline and sets it prerolling; Finish waits for it. Between the two the
  // medium gets ready on GStreamer's threads while the GUI thread goes on.
  // A medium prepared ahead (ahead) draws no picture: its video, if any, would show in a
  // window of its own while the entry before it still plays.
  bool Begin(const MediaOpenRequest& request, bool ahead, QString& error) {
    request_ = request;
    cd_ = IsCdRequest(request);
    pipeline_ = gst_element_factory_make("playbin", nullptr);
    if (!pipeline_) {
      error = QStringLiteral("GStreamer's playbin element is not installed.");
      return false;
    }
    gst_object_ref_sink(pipeline_);
    bus_ = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus_, &GstStream::OnBusMessage, this, nullptr);

    if (cd_) {
      const QByteArray uri = "cdda://" + QByteArray::number(std::max(request.cdTrack, 1));
      g_object_set(pipeline_, "uri", uri.constData(), nullptr);
      g_signal_connect(pipeline_, "source-setup", G_CALLBACK(OnSourceSetup), nullptr);
    } else if (!request.path.isEmpty()) {
      GError* uriError = nullptr;
      gchar* uri = gst_filename_to_uri(request.path.constData(), &uriError);
      if (!uri) {
        error = TextOf(uriError);
        g_clear_error(&uriError);
        return false;
      }
      g_object_set(pipeline_, "uri", uri, nullptr);
      g_free(uri);
    }
    for (auto [variable, property] : {std::pair{"OSTRIVO_AUDIO_SINK", "audio-sink"},
                                      std::pair{"OSTRIVO_VIDEO_SINK", "video-sink"}}) {
      GstElement* sink = SinkFromEnvironment(variable, error);
      if (!error.isEmpty()) return false;
      if (sink) g_object_set(pipeline_, property, sink, nullptr);
    }
    if (ahead && DrawsInWindows()) {
      g_object_set(pipeline_, "video-sink", gst_element_factory_make("fakesink", nullptr), nullptr);
      videoStandIn_ = true;
    }
    if (!ahead && !cd_) AttachWindow();
    if (ahead) HoldAudio();
    // Volume is the mixer's business. Without playbin's software volume no volume element is
    // made, and GStreamer 1.22 leaks that element with every pipeline.
    gst_util_set_object_arg(G_OBJECT(pipeline_), "flags",
                            "video+audio+text+deinterlace+soft-colorbalance");

    return PrerollBegin(error);
  }

  const MediaOpenRequest& Request() const { return request_; }

  // A prepared medium whose picture would not be seen: it is opened afresh instead.
  bool HidesItsVideo() {
    if (!videoStandIn_) return false;
    gint videoStreams = 0;
    g_object_get(pipeline_, "n-video", &videoStreams, nullptr);
    return videoStreams > 0;
  }

  // Whether the medium got as ready as it will before its Open: prerolled, failed, or (ahead)
  // held with its sound decoded up to the sink.
  bool Settled() {
    std::lock_guard lock(mutex_);
    return !prerollPending_ || readyCount_ > preroll_.readyCount ||
           errorCount_ > preroll_.errorCount || audioHeld_;
  }

  // For a medium prepared ahead once it has settled: everything Open needs but the sound
  // output, which only the Open itself starts. False when it failed.
  bool FinishAhead() {
    bool held;
    {
      std::lock_guard lock(mutex_);
      if (errorCount_ > preroll_.errorCount) return false;
      held = audioHeld_;
    }
    QString ignored;
    if (!held) return Finish(ignored);  // no sound, or not held: the preroll is over
    MeasureLength();
    return true;
  }

  bool Finish(QString& error) {
    if (finished_) return true;
    ReleaseAudio();
    if (!PrerollFinish(error)) return false;
    finished_ = true;
    if (cd_)
      ReadDiscTracks();
    else
      MeasureLength();
    return true;
  }

  std::int64_t LengthMs() override {
    if (!tracks_.empty()) return tracks_.back().startMs + tracks_.back().lengthMs;
    if (lengthMs_ < 0 || durationChanged_.exchange(false)) {
      gint64 duration = -1;
      if (gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &duration) && duration >= 0)
        lengthMs_ = duration / kNsPerMs;
    }
    return std::max<std::int64_t>(lengthMs_, 0);
  }

  std::int64_t PositionMs() override {
    if (broken_) return lastPositionMs_;
    if (atEnd_) return LengthMs();
    gint64 position = -1;
    if (gst_element_query_position(pipeline_, GST_FORMAT_TIME, &position) && position >= 0)
      lastPositionMs_ = position / kNsPerMs;
    return lastPositionMs_;
  }

  MediaMode Mode() override { return mode_; }
  std::vector<MediaTrack> Tracks() override { return tracks_; }

  int Seek(std::int64_t ms) override {
    const std::int64_t length = LengthMs();
    if (ms < 0 || (length > 0 && ms > length)) return kMediaOutOfRange;
    Stop();
    // A medium just made ready stands at its start: a seek there would only flush it and make
    // it ready once more, a silence between two entries.
    if (ms == 0 && pristine_ && !broken_) return kMediaOk;
    if (broken_) {
      QString ignored;
      if (!Preroll(ignored)) return kMediaFailed;
    }
    pristine_ = false;
    ++generation_;  // reports from before the seek no longer count
    const Counters before = Snapshot();
    if (!gst_element_seek_simple(pipeline_, GST_FORMAT_TIME,
                                 GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                 ms * kNsPerMs)) {
      // A medium that cannot seek (a still picture) is already where it is asked to be when
      // that is where it stands; failing here would keep the play from ever starting.
      return !atEnd_ && ms == lastPositionMs_ ? kMediaOk : kMediaFailed;
    }
    QString error;
    if (!WaitReady(before, error)) return kMediaFailed;
    atEnd_ = length > 0 && ms >= length;
    lastPositionMs_ = ms;
    return kMediaOk;
  }

  int Play(EndHandler onEnd) override {
    if (broken_) {
      // An error stopped the pipeline: bring the medium back where it stood.
      const std::int64_t at = lastPositionMs_;
      QString ignored;
      if (!Preroll(ignored)) return kMediaFailed;
      if (at > 0 && Seek(at) != kMediaOk) return kMediaFailed;
    }
    return Run(std::move(onEnd));
  }

  int Pause() override {
    if (mode_ != MediaMode::Playing) return kMediaNotSupported;
    if (!atEnd_ && gst_element_set_state(pipeline_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE)
      return kMediaFailed;
    mode_ = MediaMode::Paused;
    watch_.stop();
    PositionMs();
    return kMediaOk;
  }

  int Resume(EndHandler onEnd) override {
    if (mode_ != MediaMode::Paused) return kMediaNotSupported;
    return Run(std::move(onEnd));
  }

  int Stop() override {
    handler_ = nullptr;
    ++playSerial_;
    watch_.stop();
    if (mode_ == MediaMode::Playing) {
      PositionMs();
      if (gst_element_set_state(pipeline_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        mode_ = MediaMode::Stopped;
        return kMediaFailed;
      }
    }
    mode_ = MediaMode::Stopped;
    return kMediaOk;
  }

 private:
  struct Counters {
    int readyCount;
    int errorCount;
  };

  // The sink playbin would draw with draws into windows: the system's default, or one named
  // in the environment that does.
  bool DrawsInWindows() {
    GstElement* sink = nullptr;
    g_object_get(pipeline_, "video-sink", &sink, nullptr);
    const bool draws = !sink || VideoWindow::DrawsInWindows(sink);
    if (sink) gst_object_unref(sink);
    return draws;
  }

  // The window of its own the picture plays in, handed to the sink before it prerolls.
  void AttachWindow() {
    window_ = VideoWindow::ForPipeline(pipeline_, DisplayText(request_.path));
    if (!window_) return;
    std::shared_ptr<StreamLink> link = link_;
    window_->OnClose = [link] {
      if (!link->stream || !link->stream->OnWindowClose) return;
      const std::function<void()> handler = link->stream->OnWindowClose;  // may close us
      handler();
    };
  }

  // A sound output opened long before it plays (PulseAudio's, at least) has a clock that runs
  // while it waits, and its first play then starts with as much silence as it waited. So the
  // medium prepared ahead is decoded up to its audio sink and held there, before the sink opens
  // its output; Open lets it through, and the sink's own preroll is only a few milliseconds.
  void HoldAudio() {
    GstElement* sink = nullptr;
    g_object_get(pipeline_, "audio-sink", &sink, nullptr);
    if (!sink) {
      sink = gst_element_factory_make("autoaudiosink", nullptr);
      if (!sink) return;
      gst_object_ref_sink(sink);
      g_object_set(pipeline_, "audio-sink", sink, nullptr);
    }
    heldPad_ = gst_element_get_static_pad(sink, "sink");
    gst_object_unref(sink);
    if (!heldPad_) return;
    holdProbe_ = gst_pad_add_probe(heldPad_, GST_PAD_PROBE_TYPE_BLOCK_DOWNSTREAM,
                                   &GstStream::OnAudioArriving, this, nullptr);
  }

  void ReleaseAudio() {
    if (!heldPad_) return;
    if (holdProbe_) gst_pad_remove_probe(heldPad_, holdProbe_);
    holdProbe_ = 0;
    gst_object_unref(heldPad_);
    heldPad_ = nullptr;
  }

  // On a streaming thread: the stream's start goes on, its format (which opens the output)
  // waits.
  static GstPadProbeReturn OnAudioArriving(GstPad*, GstPadProbeInfo* info, gpointer data) {
    if ((GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) &&
        GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_STREAM_START)
      return GST_PAD_PROBE_PASS;
    auto* self = static_cast<GstStream*>(data);
    {
      std::lock_guard lock(self->mutex_);
      self->audioHeld_ = true;
    }
    self->ready_.notify_all();
    return GST_PAD_PROBE_OK;
  }

  // Some streams carry no length of their own (an MP3 without a Xing header, raw AAC): the
  // parser only estimates it from enough frames, which a preroll does not reach.
  void MeasureLength() {
    if (LengthMs() != 0) return;
    QString ignored;
    if (const auto length = measure_->Discover(request_.path, ignored); length && *length > 0)
      lengthMs_ = *length;
  }

  int Run(EndHandler onEnd) {
    handler_ = std::move(onEnd);
    pristine_ = false;
    const std::uint64_t serial = ++playSerial_;
    if (atEnd_) {
      // The medium stands at its end: the play is over as soon as it starts.
      mode_ = MediaMode::Playing;
      std::shared_ptr<StreamLink> link = link_;
      QMetaObject::invokeMethod(
          receiver_.get(),
          [link, serial] {
            if (link->stream) link->stream->Finish(serial, MediaEnd::Completed);
          },
          Qt::QueuedConnection);
      return kMediaOk;
    }
    if (window_) window_->Present();
    if (gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
      handler_ = nullptr;
      return kMediaFailed;
    }
    mode_ = MediaMode::Playing;
    watchedPositionMs_ = lastPositionMs_;
    standingStill_.start();
    watch_.start();
    return kMediaOk;
  }

  // A live stream has no end, and a stream that stops coming (a live play list that is never
  // added to, a stalled source) never reaches its own: the play completes at the bound, as if
  // the medium had ended there, so that the list goes on. The position stays where it was.
  void WatchUnending() {
    if (mode_ != MediaMode::Playing) {
      watch_.stop();
      return;
    }
    const std::int64_t at = PositionMs();
    if (at != watchedPositionMs_) {
      watchedPositionMs_ = at;
      standingStill_.start();
    }
    const bool unending = LengthMs() == 0 && at >= limits_.unendingPlayMs;
    if (!unending && standingStill_.elapsed() < limits_.stallMs) return;
    watch_.stop();
    gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    mode_ = MediaMode::Stopped;
    Finish(playSerial_, MediaEnd::Completed);
  }

  // Ends the play with this serial (a later Play, Stop or seek has moved the serial on).
  void Finish(std::uint64_t serial, MediaEnd end) {
    if (serial != playSerial_ || !handler_) return;
    mode_ = MediaMode::Stopped;
    watch_.stop();
    EndHandler handler = std::move(handler_);
    handler_ = nullptr;
    handler(end);  // last: the handler may close this stream
  }

  // The counts to wait beyond; the first error after this is the one reported.
  Counters Snapshot() {
    std::lock_guard lock(mutex_);
    firstError_.clear();
    return {readyCount_, errorCount_};
  }

  // To PAUSED, waiting (bounded) until the medium is ready or has failed.
  bool Preroll(QString& error) { return PrerollBegin(error) && PrerollFinish(error); }

  bool PrerollBegin(QString& error) {
    ++generation_;
    const Counters before = Snapshot();
    const GstStateChangeReturn ret = gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    if (ret == GST_STATE_CHANGE_FAILURE) {
      std::lock_guard lock(mutex_);
      error = errorCount_ > before.errorCount ? firstError_ : QString();
      return false;
    }
    std::lock_guard lock(mutex_);
    preroll_ = before;
    prerollPending_ = ret == GST_STATE_CHANGE_ASYNC;
    return true;
  }

  bool PrerollFinish(QString& error) {
    bool pending;
    {
      std::lock_guard lock(mutex_);
      pending = prerollPending_;
      prerollPending_ = false;
    }
    if (pending && !WaitReady(preroll_, error)) return false;
    broken_ = false;
    atEnd_ = false;
    pristine_ = true;
    lastPositionMs_ = 0;
    mode_ = MediaMode::Stopped;
    return true;
  }

  bool WaitReady(const Counters& before, QString& error) {
    std::unique_lock lock(mutex_);
    const bool done = ready_.wait_for(lock, std::chrono::milliseconds(limits_.readyMs), [&] {
      return readyCount_ > before.readyCount || errorCount_ > before.errorCount;
    });
    if (errorCount_ > before.errorCount) {
      error = firstError_;
      return false;
    }
    if (!done) {
      error = QStringLiteral("The medium did not become ready in time.");
      return false;
    }
    return true;
  }

  // The disc's table of contents, from the CD source's track format; positions count from
  // the start of the first track, as the continuous stream's do.
  void ReadDiscTracks() {
    GstElement* source = nullptr;
    g_object_get(pipeline_, "source", &source, nullptr);
    if (!source) return;
    const GstFormat trackFormat = gst_format_get_by_nick("track");
    gint64 count = 0;
    if (trackFormat != GST_FORMAT_UNDEFINED &&
        gst_element_query_duration(source, trackFormat, &count)) {
      std::vector<std::int64_t> starts;
      for (gint64 t = 0; t < count; ++t) {
        gint64 ns = 0;
        if (!gst_element_query_convert(source, trackFormat, t, GST_FORMAT_TIME, &ns)) break;
        starts.push_back(ns / kNsPerMs);
      }
      gint64 discNs = 0;
      if (!starts.empty() && gst_element_query_duration(source, GST_FORMAT_TIME, &discNs) &&
          discNs > 0) {
        const std::int64_t origin = starts.front();
        const std::int64_t end = discNs / kNsPerMs;
        for (std::size_t i = 0; i < starts.size(); ++i) {
          const std::int64_t start = starts[i] - origin;
          const std::int64_t next = i + 1 < starts.size() ? starts[i + 1] - origin : end;
          tracks_.push_back(MediaTrack{start, std::max<std::int64_t>(next - start, 0)});
        }
      }
    }
    gst_object_unref(source);
  }

  // On whatever thread posts: note what the GUI thread must act on, never act here.
  static GstBusSyncReply OnBusMessage(GstBus*, GstMessage* message, gpointer data) {
    auto* self = static_cast<GstStream*>(data);
    switch (GST_MESSAGE_TYPE(message)) {
      case GST_MESSAGE_EOS:
        self->Note(BusNote::End, QString());
        break;
      case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        QString text = TextOf(error);
        g_clear_error(&error);
        {
          std::lock_guard lock(self->mutex_);
          ++self->errorCount_;
          if (self->firstError_.isEmpty()) self->firstError_ = text;
        }
        self->ready_.notify_all();
        self->Note(BusNote::Error, text);
        break;
      }
      case GST_MESSAGE_ASYNC_DONE:
        if (GST_MESSAGE_SRC(message) == GST_OBJECT(self->pipeline_)) {
          {
            std::lock_guard lock(self->mutex_);
            ++self->readyCount_;
          }
          self->ready_.notify_all();
        }
        break;
      case GST_MESSAGE_DURATION_CHANGED:
        self->durationChanged_ = true;
        break;
      default:
        break;
    }
    // Nobody reads the bus: every message ends here, and a dropped one is ours to release.
    gst_message_unref(message);
    return GST_BUS_DROP;
  }

  void Note(BusNote::Kind kind, QString text) {
    std::lock_guard lock(mutex_);
    notes_.push_back(BusNote{kind, generation_.load(), std::move(text)});
    if (drainPosted_) return;
    drainPosted_ = true;
    std::shared_ptr<StreamLink> link = link_;
    QMetaObject::invokeMethod(
        receiver_.get(),
        [link] {
          if (link->stream) link->stream->Drain();
        },
        Qt::QueuedConnection);
  }

  // On the GUI thread, from the event loop.
  void Drain() {
    std::deque<BusNote> notes;
    {
      std::lock_guard lock(mutex_);
      notes.swap(notes_);
      drainPosted_ = false;
    }
    bool ended = false;
    MediaEnd end = MediaEnd::Completed;
    for (const BusNote& note : notes) {
      if (note.generation != generation_) continue;
      if (note.kind == BusNote::End) {
        atEnd_ = true;
        gst_element_set_state(pipeline_, GST_STATE_PAUSED);
        ended = true;
        end = MediaEnd::Completed;
      } else {
        // The pipeline cannot go on after an error: it is brought back by the next Play.
        PositionMs();
        broken_ = true;
        gst_element_set_state(pipeline_, GST_STATE_READY);
        ended = true;
        end = MediaEnd::Failed;
      }
    }
    if (ended && mode_ != MediaMode::Stopped)
      Finish(playSerial_, end);
    else if (ended)
      mode_ = MediaMode::Stopped;
  }

  std::shared_ptr<QObject> receiver_;
  std::shared_ptr<GstMediaLength> measure_;
  std::shared_ptr<StreamLink> link_;
  GstMediaBackend::Limits limits_;
  GstElement* pipeline_ = nullptr;
  GstBus* bus_ = nullptr;
  bool cd_ = false;
  MediaOpenRequest request_;
  bool finished_ = false;
  bool videoStandIn_ = false;
  std::unique_ptr<VideoWindow> window_;  // goes after the pipeline has stopped drawing into it
  GstPad* heldPad_ = nullptr;            // the audio sink's input, held while prepared ahead
  gulong holdProbe_ = 0;
  std::vector<MediaTrack> tracks_;

  // GUI thread only.
  MediaMode mode_ = MediaMode::Stopped;
  bool atEnd_ = false;
  bool broken_ = false;
  bool pristine_ = false;  // ready at the start, never played or moved since
  std::int64_t lengthMs_ = -1;
  std::int64_t lastPositionMs_ = 0;
  EndHandler handler_;
  std::uint64_t playSerial_ = 0;
  QTimer watch_;  // while playing: WatchUnending
  std::int64_t watchedPositionMs_ = 0;
  QElapsedTimer standingStill_;  // since the position last moved

  // Shared with GStreamer's threads.
  std::atomic<int> generation_{0};
  std::atomic<bool> durationChanged_{false};
  std::mutex mutex_;
  std::condition_variable ready_;
  int readyCount_ = 0;
  int errorCount_ = 0;
  Counters preroll_{0, 0};
  bool prerollPending_ = false;
  bool audioHeld_ = false;
  QString firstError_;
  std::deque<BusNote> notes_;
  bool drainPosted_ = false;
};

GstMediaBackend::GstMediaBackend()
    : receiver_(std::make_shared<QObject>()),
      measure_(std::make_shared<GstMediaLength>()),
      prepareContext_(std::make_unique<QObject>()) {
  if (!gst_is_initialized()) gst_init(nullptr, nullptr);
  // MIDI is rendered with the General MIDI sound font the set-up installs, loaded once.
  RegisterSharedMidiSynth(SoundFontPath());
}

GstMediaBackend::~GstMediaBackend() = default;

namespace {
bool SameRequest(const MediaOpenRequest& a, const MediaOpenRequest& b) {
  return a.path == b.path && a.deviceType == b.deviceType && a.cdTrack == b.cdTrack;
}
}  // namespace

MediaBackend::OpenResult GstMediaBackend::Open(const MediaOpenRequest& request) {
  std::unique_ptr<GstStream> stream(static_cast<GstStream*>(prepared_.release()));
  if (stream && !SameRequest(stream->Request(), request)) stream.reset();
  OpenResult result;
  // A prepared medium that failed is opened again, to fail (or not) as any Open does.
  if (stream && (!stream->Finish(result.error) || stream->HidesItsVideo())) stream.reset();
  if (!stream) {
    result.error.clear();
    stream = std::make_unique<GstStream>(receiver_, measure_, limits_);
    if (!stream->Begin(request, false, result.error)) stream.reset();
  }
  if (stream && stream->Finish(result.error))
    result.stream = std::move(stream);
  else
    result.error = NamingTheEntry(result.error, request.path);
  return result;
}

void GstMediaBackend::Prepare(const MediaOpenRequest& request) {
  if (prepared_ && SameRequest(Prepared()->Request(), request)) return;
  prepared_.reset();
  // A disc has one drive: the stream playing now may be on it.
  if (request.path.isEmpty() || request.deviceType == "CDAudio") return;
  auto stream = std::make_unique<GstStream>(receiver_, measure_, limits_);
  QString ignored;
  if (!stream->Begin(request, true, ignored)) return;  // Open tries again, reports its text
  prepared_ = std::move(stream);
  FinishPreparedWhenSettled(0);
}

// Completes the prepared medium (its length, which may need the discoverer) from the event
// loop once its preroll is over, so that Open finds it ready; the GUI thread never waits here.
void GstMediaBackend::FinishPreparedWhenSettled(int attempt) {
  constexpr int kPollMs = 20;
  const int limit = limits_.readyMs / kPollMs;
  MediaStream* expected = prepared_.get();
  // The timer belongs to the back end's own context: it dies with the back end.
  QTimer::singleShot(attempt == 0 ? 0 : kPollMs, prepareContext_.get(),
                     [this, expected, attempt, limit] {
                       if (!prepared_ || prepared_.get() != expected) return;
                       if (!Prepared()->Settled()) {
                         if (attempt < limit) FinishPreparedWhenSettled(attempt + 1);
                         return;
                       }
                       if (!Prepared()->FinishAhead()) prepared_.reset();
                     });
}

GstStream* GstMediaBackend::Prepared() const {
  return static_cast<GstStream*>(prepared_.get());
}

MediaBackend::LengthResult GstMediaBackend::Measure(const MediaOpenRequest& request) {
  // A disc's length comes from its table of contents, which only the drive's stream reads.
  if (IsCdRequest(request) || request.path.isEmpty()) return MediaBackend::Measure(request);
  LengthResult result;
  if (const auto length = measure_->Measure(request.path, result.error)) {
    result.ok = true;
    result.lengthMs = *length;
  } else {
    result.error = NamingTheEntry(result.error, request.path);
  }
  return result;
}

void GstMediaBackend::Post(std::function<void()> fn) {
  QMetaObject::invokeMethod(receiver_.get(), std::move(fn), Qt::QueuedConnection);
}

QByteArray GstMediaBackend::SoundFontPath() {
  for (const char* path :
       {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2"}) {
    if (QFile::exists(QString::fromLatin1(path))) return QByteArray(path);
  }
  return QByteArray();
}

}  // namespace ostrivo
