#include "player/MediaPlayer.h"

#include <algorithm>

#include "framework/Exceptions.h"
#include "platform/fs/RegularFile.h"
#include "platform/media/MediaBackend.h"
#include "player/Entries.h"

namespace ostrivo {

namespace {

const char* const kDeviceTypeNames[] = {
    "",        "AVIVideo", "CDAudio",   "DAT", "DigitalVideo", "MMMovie",  "Other",
    "Overlay", "Scanner",  "Sequencer", "VCR", "Videodisc",    "WaveAudio"};

constexpr int kFramesPerSecond = 75;

// Packs an offset into minutes, seconds and frames; frames are counted down, so that a packed
// value read back never lands before the offset it came from.
void SplitMsf(std::int64_t ms, std::int32_t& m, std::int32_t& s, std::int32_t& f) {
  ms = std::max<std::int64_t>(ms, 0);
  m = static_cast<std::int32_t>(std::min<std::int64_t>(ms / 60000, 255));
  s = static_cast<std::int32_t>((ms / 1000) % 60);
  f = static_cast<std::int32_t>((ms % 1000) * kFramesPerSecond / 1000);
}

std::int32_t PackMsf(std::int64_t ms) {
  std::int32_t m, s, f;
  SplitMsf(ms, m, s, f);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(m) |
                                   static_cast<std::uint32_t>(s) << 8 |
                                   static_cast<std::uint32_t>(f) << 16);
}

std::int32_t PackTmsf(int track, std::int64_t offsetMs) {
  std::int32_t m, s, f;
  SplitMsf(offsetMs, m, s, f);
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(track & 0xff) | static_cast<std::uint32_t>(m) << 8 |
      static_cast<std::uint32_t>(s) << 16 | static_cast<std::uint32_t>(f) << 24);
}

std::int32_t ClampToInt32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

struct TMediaPlayer::Impl {
  explicit Impl(MediaBackend& b) : backend(b) {}

  MediaBackend& backend;
  std::unique_ptr<MediaStream> stream;
  std::int32_t timeFormat = kTimeFormatMilliseconds;
  bool startPosPending = false;
  std::int32_t startPos = 0;
  TMPNotifyValues notifyValue = nvSuccessful;
  int error = kMediaOk;
  // The play that asked for the notice still to come; a back end's report for any older play
  // is ignored, whatever the back end does.
  std::uint64_t playId = 0;
  bool notifyPending = false;
  // Queued notices check this, so none reaches a device that is gone.
  std::shared_ptr<int> alive = std::make_shared<int>(0);

  // The disc's tracks, or the one track a file is.
  std::vector<MediaTrack> Tracks() const {
    auto tracks = stream->Tracks();
    if (tracks.empty()) tracks.push_back(MediaTrack{0, stream->LengthMs()});
    return tracks;
  }

  std::int32_t PositionToFormat(std::int64_t ms) const {
    if (timeFormat != kTimeFormatTMSF) return ClampToInt32(ms);
    const auto tracks = Tracks();
    std::size_t t = 0;
    while (t + 1 < tracks.size() && tracks[t + 1].startMs <= ms) ++t;
    return PackTmsf(static_cast<int>(t + 1), ms - tracks[t].startMs);
  }

  // A length reads as minutes, seconds and frames while positions are in TMSF.
  std::int32_t LengthToFormat(std::int64_t ms) const {
    return timeFormat == kTimeFormatTMSF ? PackMsf(ms) : ClampToInt32(ms);
  }

  // Milliseconds from the start of the medium, or an error code.
  int PositionFromFormat(std::int32_t value, std::int64_t& ms) const {
    if (timeFormat != kTimeFormatTMSF) {
      ms = value;
      return kMediaOk;
    }
    const auto v = static_cast<std::uint32_t>(value);
    const auto tracks = Tracks();
    const std::uint32_t t = v & 0xff;
    if (t < 1 || t > tracks.size()) return kMediaOutOfRange;
    const std::int64_t m = (v >> 8) & 0xff, s = (v >> 16) & 0xff, f = (v >> 24) & 0xff;
    ms = tracks[t - 1].startMs + m * 60000 + s * 1000 +
         (f * 1000 + kFramesPerSecond - 1) / kFramesPerSecond;
    return kMediaOk;
  }
};

TMediaPlayer::TMediaPlayer(MediaBackend& backend, QObject* parent)
    : QObject(parent), d_(std::make_unique<Impl>(backend)) {}

TMediaPlayer::~TMediaPlayer() {
  // Silence the medium; no notice can follow a device that is gone.
  d_->alive.reset();
  d_->stream.reset();
}

namespace {
[[noreturn]] void NotOpen() {
  throw EMCIDeviceError(QStringLiteral("No MCI device open"));
}
}  // namespace

MediaOpenRequest TMediaPlayer::Request(const QByteArray& fileName, TMPDeviceTypes deviceType) {
  MediaOpenRequest request;
  request.path = fileName;
  const int type = static_cast<int>(deviceType);
  if (type >= 0 && type < static_cast<int>(std::size(kDeviceTypeNames)))
    request.deviceType = kDeviceTypeNames[type];
  // Automatic selection picks the CD drive for a CD track's file, by the entries' own exact
  // test; the back end never guesses from a name.
  const bool cd = deviceType == dtCDAudio ||
                  (deviceType == dtAutoSelect && EntryKind(fileName) == TEntryKind::CDTrack);
  if (cd) {
    request.deviceType = kDeviceTypeNames[dtCDAudio];
    try {
      request.cdTrack = std::max(TrackNumber(fileName), 1);
    } catch (const EConvertError&) {
      request.cdTrack = 1;  // the player reports an unreadable number itself
    }
  }
  return request;
}

// A pipe or a device would hold the back end's open, or its reading, for ever: only regular
// files are handed to it (the CD drive excepted, which the CD path opens on purpose).
namespace {
bool IsCdRequest(const MediaOpenRequest& request) {
  return request.deviceType == kDeviceTypeNames[dtCDAudio];
}
}  // namespace

void TMediaPlayer::Open() {
  Close();
  const MediaOpenRequest request = Request(FileName, DeviceType);
  d_->error = kMediaFailed;  // until the medium is open
  if (!IsCdRequest(request)) fs::RefuseSpecialFile(FileName);
  MediaBackend::OpenResult result = d_->backend.Open(request);
  if (!result.stream) {
    d_->error = kMediaFailed;
    throw EMCIDeviceError(result.error.isEmpty() ? QStringLiteral("Unknown error code")
                                                 : result.error);
  }
  d_->stream = std::move(result.stream);
  d_->stream->OnWindowClose = [this, alive = std::weak_ptr<int>(d_->alive)] {
    if (!alive.expired() && OnWindowClose) OnWindowClose(this);
  };
  d_->error = kMediaOk;
  d_->timeFormat = kTimeFormatMilliseconds;
  if (DeviceType == dtCDAudio || DeviceType == dtVideodisc) SetTimeFormat(kTimeFormatTMSF);
  Changed();
}

void TMediaPlayer::Prepare(const QByteArray& fileName) {
  const MediaOpenRequest request = Request(fileName, dtAutoSelect);
  if (!IsCdRequest(request)) {
    try {
      fs::RefuseSpecialFile(fileName);
    } catch (const Exception&) {
      return;  // the open itself will say so, when the entry's turn comes
    }
  }
  d_->backend.Prepare(request);
}

int32_t TMediaPlayer::FileLength() {
  Close();
  const MediaOpenRequest request = Request(FileName, DeviceType);
  if (!IsCdRequest(request)) fs::RefuseSpecialFile(FileName);
  const MediaBackend::LengthResult result = d_->backend.Measure(request);
  if (!result.ok) {
    d_->error = kMediaFailed;
    throw EMCIDeviceError(result.error.isEmpty() ? QStringLiteral("Unknown error code")
                                                 : result.error);
  }
  d_->error = kMediaOk;
  return ClampToInt32(result.lengthMs);
}

void TMediaPlayer::Close() {
  if (!d_->stream) return;
  EndNotice(nvAborted);
  d_->stream.reset();
  d_->error = kMediaOk;
  Changed();
}

void TMediaPlayer::Play() {
  if (!d_->stream) NotOpen();
  // A newer play replaces the notice of the one before, whatever happens to this one.
  EndNotice(nvSuperseded);
  if (d_->startPosPending) {
    d_->startPosPending = false;
    std::int64_t ms = 0;
    int err = d_->PositionFromFormat(d_->startPos, ms);
    if (err == kMediaOk) {
      d_->stream->Stop();
      err = d_->stream->Seek(ms);
    }
    if (err != kMediaOk) {
      d_->error = err;
      Changed();
      return;
    }
  }
  d_->error = d_->stream->Play(MakeEndHandler());
  if (d_->error != kMediaOk) d_->notifyPending = false;
  Changed();
}

void TMediaPlayer::Stop() {
  if (!d_->stream) NotOpen();
  d_->error = d_->stream->Stop();
  EndNotice(nvAborted);
  Changed();
}

void TMediaPlayer::Pause() {
  if (!d_->stream) NotOpen();
  switch (d_->stream->Mode()) {
    case MediaMode::Playing:
      d_->error = d_->stream->Pause();
      break;
    case MediaMode::Paused:
      EndNotice(nvSuperseded);
      d_->error = d_->stream->Resume(MakeEndHandler());
      if (d_->error != kMediaOk) {
        d_->notifyPending = false;
        Play();
      }
      break;
    default:
      break;
  }
  Changed();
}

int32_t TMediaPlayer::Position() const {
  if (!d_->stream) return 0;
  return d_->PositionToFormat(d_->stream->PositionMs());
}

void TMediaPlayer::SetPosition(int32_t value) {
  if (!d_->stream) NotOpen();
  std::int64_t ms = 0;
  int err = d_->PositionFromFormat(value, ms);
  if (err == kMediaOk) {
    // A seek leaves the device stopped where it landed.
    const MediaMode mode = d_->stream->Mode();
    if (mode == MediaMode::Playing || mode == MediaMode::Paused) {
      d_->stream->Stop();
      EndNotice(nvAborted);
    }
    err = d_->stream->Seek(ms);
  }
  d_->error = err;
  Changed();
}

void TMediaPlayer::SetStartPos(int32_t value) {
  d_->startPos = value;
  d_->startPosPending = true;
  Changed();
}

int32_t TMediaPlayer::TimeFormat() const {
  return d_->timeFormat;
}

void TMediaPlayer::SetTimeFormat(int32_t value) {
  if (!d_->stream) {
    d_->error = kMediaNotOpen;
    return;
  }
  if (value == kTimeFormatMilliseconds ||
      (value == kTimeFormatTMSF && !d_->stream->Tracks().empty())) {
    d_->timeFormat = value;
    d_->error = kMediaOk;
    Changed();
  } else {
    d_->error = kMediaBadFormat;
  }
}

int32_t TMediaPlayer::Length() const {
  if (!d_->stream) NotOpen();
  d_->error = kMediaOk;
  return d_->LengthToFormat(d_->stream->LengthMs());
}

int32_t TMediaPlayer::TrackLength(int32_t track) const {
  if (!d_->stream) NotOpen();
  const auto tracks = d_->Tracks();
  if (track < 1 || static_cast<std::size_t>(track) > tracks.size()) {
    d_->error = kMediaOutOfRange;
    return 0;
  }
  d_->error = kMediaOk;
  return d_->LengthToFormat(tracks[track - 1].lengthMs);
}

int32_t TMediaPlayer::TrackPosition(int32_t track) const {
  if (!d_->stream) return 0;
  const auto tracks = d_->Tracks();
  if (track < 1 || static_cast<std::size_t>(track) > tracks.size()) {
    d_->error = kMediaOutOfRange;
    return 0;
  }
  d_->error = kMediaOk;
  return d_->PositionToFormat(tracks[track - 1].startMs);
}

TMPModes TMediaPlayer::Mode() const {
  if (!d_->stream) return mpNotReady;
  return static_cast<TMPModes>(d_->stream->Mode());
}

TMPNotifyValues TMediaPlayer::NotifyValue() const {
  return d_->notifyValue;
}

bool TMediaPlayer::IsOpen() const {
  return d_->stream != nullptr;
}

int TMediaPlayer::Error() const {
  return d_->error;
}

// A fresh play id and the back end's report for it; only the play still waiting for its
// notice may deliver one.
std::function<void(MediaEnd)> TMediaPlayer::MakeEndHandler() {
  const std::uint64_t id = ++d_->playId;
  d_->notifyPending = true;
  std::weak_ptr<int> alive = d_->alive;
  return [this, alive, id](MediaEnd end) {
    if (alive.expired() || id != d_->playId || !d_->notifyPending) return;
    d_->notifyPending = false;
    Deliver(end == MediaEnd::Completed ? nvSuccessful : nvFailure);
  };
}

// Ends the pending notice (if any) with value, delivered as a queued event.
void TMediaPlayer::EndNotice(TMPNotifyValues value) {
  if (!d_->notifyPending) return;
  d_->notifyPending = false;
  ++d_->playId;
  std::weak_ptr<int> alive = d_->alive;
  d_->backend.Post([this, alive, value] {
    if (!alive.expired()) Deliver(value);
  });
}

void TMediaPlayer::Deliver(TMPNotifyValues value) {
  d_->notifyValue = value;
  Changed();
  if (OnNotify) OnNotify(this);
}

void TMediaPlayer::Changed() {
  if (OnChange) OnChange();
}

}  // namespace ostrivo
