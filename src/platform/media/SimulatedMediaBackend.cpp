#include "platform/media/SimulatedMediaBackend.h"

#include <QFile>
#include <algorithm>

namespace ostrivo {

// One open medium. The position is base_ while not playing; while playing it runs with the
// clock from base_ as it stood at startedAt_.
class SimulatedMediaBackend::Stream : public MediaStream {
 public:
  Stream(SimulatedMediaBackend& owner, QByteArray path, std::int64_t lengthMs,
         std::int64_t failAtMs, std::vector<MediaTrack> tracks)
      : owner_(owner),
        alive_(owner.alive_),
        path_(std::move(path)),
        length_(lengthMs),
        failAt_(failAtMs),
        tracks_(std::move(tracks)) {
    owner_.streams_.push_back(this);
  }

  ~Stream() override {
    CancelEnd();
    if (alive_.expired()) return;
    auto& list = owner_.streams_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    ++owner_.closes_;
  }

  const QByteArray& Path() const { return path_; }

  std::int64_t LengthMs() override { return length_; }
  std::int64_t PositionMs() override {
    ++owner_.positionQueries_;
    return At();
  }
  // Where the medium stands now.
  std::int64_t At() const {
    if (mode_ != MediaMode::Playing) return base_;
    return std::min(length_, base_ + (owner_.scheduler_.Now() - startedAt_));
  }
  MediaMode Mode() override { return mode_; }
  std::vector<MediaTrack> Tracks() override { return tracks_; }

  int Seek(std::int64_t ms) override {
    if (ms < 0 || ms > length_) return kMediaOutOfRange;
    Stop();
    base_ = ms;
    ++owner_.seeks_;
    return kMediaOk;
  }

  int Play(EndHandler onEnd) override {
    base_ = At();
    CancelEnd();
    onEnd_ = std::move(onEnd);
    Run();
    return kMediaOk;
  }

  int Pause() override {
    if (mode_ != MediaMode::Playing) return kMediaNotSupported;
    base_ = At();
    CancelEnd();
    mode_ = MediaMode::Paused;
    return kMediaOk;
  }

  int Resume(EndHandler onEnd) override {
    if (mode_ != MediaMode::Paused) return kMediaNotSupported;
    if (owner_.resumeFails_) return kMediaFailed;
    onEnd_ = std::move(onEnd);
    Run();
    return kMediaOk;
  }

  int Stop() override {
    base_ = At();
    CancelEnd();
    onEnd_ = nullptr;
    mode_ = MediaMode::Stopped;
    return kMediaOk;
  }

 private:
  // Starts the clock from base_ and books the moment the play ends or breaks off.
  void Run() {
    mode_ = MediaMode::Playing;
    startedAt_ = owner_.scheduler_.Now();
    ++owner_.plays_;
    const bool fails = failAt_ >= 0 && failAt_ >= base_ && failAt_ < length_;
    const std::int64_t at = fails ? failAt_ : length_;
    endTimer_ = owner_.scheduler_.Schedule(at - base_, [this, at, fails] {
      endTimer_ = 0;
      base_ = at;
      mode_ = MediaMode::Stopped;
      EndHandler handler = std::move(onEnd_);
      onEnd_ = nullptr;
      if (handler) handler(fails ? MediaEnd::Failed : MediaEnd::Completed);
    });
  }

  void CancelEnd() {
    if (endTimer_ != 0 && !alive_.expired()) owner_.scheduler_.Cancel(endTimer_);
    endTimer_ = 0;
  }

  SimulatedMediaBackend& owner_;
  std::weak_ptr<bool> alive_;
  QByteArray path_;
  std::int64_t length_;
  std::int64_t failAt_;
  std::vector<MediaTrack> tracks_;
  MediaMode mode_ = MediaMode::Stopped;
  std::int64_t base_ = 0;
  std::int64_t startedAt_ = 0;
  Scheduler::Id endTimer_ = 0;
  EndHandler onEnd_;
};

SimulatedMediaBackend::SimulatedMediaBackend(Scheduler& scheduler) : scheduler_(scheduler) {}

SimulatedMediaBackend::~SimulatedMediaBackend() = default;

void SimulatedMediaBackend::AddFile(const QByteArray& path, std::int64_t lengthMs) {
  files_[path] = FileInfo{std::max<std::int64_t>(lengthMs, 0), false, {}, -1};
}

void SimulatedMediaBackend::AddFailingFile(const QByteArray& path, const QString& errorText) {
  files_[path] = FileInfo{0, true, errorText, -1};
}

void SimulatedMediaBackend::AddFileFailingInPlay(const QByteArray& path, std::int64_t lengthMs,
                                                 std::int64_t failAtMs) {
  files_[path] = FileInfo{std::max<std::int64_t>(lengthMs, 0), false, {}, failAtMs};
}

void SimulatedMediaBackend::RemoveFile(const QByteArray& path) {
  files_.erase(path);
}

void SimulatedMediaBackend::SetCD(std::vector<std::int64_t> trackLengthsMs) {
  hasCD_ = true;
  cdTracks_ = std::move(trackLengthsMs);
}

void SimulatedMediaBackend::EjectCD() {
  hasCD_ = false;
  cdTracks_.clear();
}

QByteArray SimulatedMediaBackend::OpenPath() const {
  return streams_.empty() ? QByteArray() : streams_.back()->Path();
}

bool SimulatedMediaBackend::IsPlaying() const {
  return !streams_.empty() && streams_.back()->Mode() == MediaMode::Playing;
}

bool SimulatedMediaBackend::IsPaused() const {
  return !streams_.empty() && streams_.back()->Mode() == MediaMode::Paused;
}

std::int64_t SimulatedMediaBackend::PositionMs() const {
  return streams_.empty() ? 0 : streams_.back()->At();
}

MediaBackend::OpenResult SimulatedMediaBackend::Open(const MediaOpenRequest& request) {
  requests_.push_back(request);
  OpenResult result;
  const auto file = files_.find(request.path);
  if (request.deviceType == "CDAudio") {
    if (!hasCD_ || cdTracks_.empty()) {
      result.error = QStringLiteral("No disc in the CD drive.");
    } else {
      std::vector<MediaTrack> tracks;
      std::int64_t start = 0;
      for (std::int64_t len : cdTracks_) {
        tracks.push_back(MediaTrack{start, len});
        start += len;
      }
      result.stream = std::make_unique<Stream>(*this, request.path, start, -1, std::move(tracks));
    }
  } else if (file == files_.end()) {
    result.error = request.path.isEmpty()
                       ? QStringLiteral("Resource not found.")
                       : QStringLiteral("Resource not found: ") + QFile::decodeName(request.path);
  } else if (file->second.failsOpen) {
    result.error = file->second.error;
  } else {
    result.stream = std::make_unique<Stream>(*this, request.path, file->second.lengthMs,
                                             file->second.failAtMs, std::vector<MediaTrack>{});
  }
  if (!result.stream) ++failedOpens_;
  return result;
}

void SimulatedMediaBackend::CloseWindow() {
  if (streams_.empty()) return;
  Stream* stream = streams_.back();
  std::weak_ptr<bool> alive = alive_;
  Post([this, alive, stream] {
    if (alive.expired() || std::find(streams_.begin(), streams_.end(), stream) == streams_.end())
      return;
    const std::function<void()> handler = stream->OnWindowClose;  // it may close the stream
    if (handler) handler();
  });
}

void SimulatedMediaBackend::Post(std::function<void()> fn) {
  scheduler_.Schedule(0, std::move(fn));
}

}  // namespace ostrivo
