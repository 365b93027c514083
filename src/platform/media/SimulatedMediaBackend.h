#pragma once
// A media back end for tests: nothing is decoded and nothing sounds. The test describes the
// files (their lengths, or the error their Open gives) and the CD in the drive; positions then
// follow the scheduler's clock (VirtualTime in tests), and the end of a medium delivers its
// Completed notice at exactly the virtual time the play reaches it.
//
// Test-facing use:
//   VirtualTime time;
//   SimulatedMediaBackend media(time);
//   media.AddFile("/music/a.wav", 3000);              // opens, 3 s long
//   media.AddFailingFile("/music/bad.wav", "Boom");   // Open fails with "Boom"
//   media.AddFileFailingInPlay("/music/cut.wav", 3000, 1000);  // a play breaks off at 1 s
//   media.SetCD({60000, 90000});                      // a disc with two tracks
//   TMediaPlayer player(media);  ... time.Advance(3000);
//   media.OpenPath(), media.IsPlaying(), media.OpenCount(), media.CloseCount(), ...
//   media.CloseWindow();                              // the user closes the video's window
//
// What opens: a described file by its exact path (whatever the device type, except CDAudio);
// the CD for the device type "CDAudio" (the device decides what is a CD track, never the back
// end); anything else fails with "Resource not found: " and the path, like the real back end
// ("Resource not found." without a path). A CD on a drive without a disc fails with "No disc
// in the CD drive.".

#include <QByteArray>
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "framework/Time.h"
#include "platform/media/MediaBackend.h"

namespace ostrivo {

class SimulatedMediaBackend : public MediaBackend {
 public:
  explicit SimulatedMediaBackend(Scheduler& scheduler);
  ~SimulatedMediaBackend() override;

  // --- describing the media -------------------------------------------------------------
  void AddFile(const QByteArray& path, std::int64_t lengthMs);
  // Open of this path fails with errorText (an empty text: the back end gives no text).
  void AddFailingFile(const QByteArray& path, const QString& errorText);
  // Opens like AddFile, but every play that reaches failAtMs breaks off with a Failed notice.
  void AddFileFailingInPlay(const QByteArray& path, std::int64_t lengthMs, std::int64_t failAtMs);
  void RemoveFile(const QByteArray& path);
  // Puts a disc with these track lengths in the drive (tracks follow one another from 0).
  void SetCD(std::vector<std::int64_t> trackLengthsMs);
  void EjectCD();
  // While set, resuming a paused medium fails (the device then falls back to Play).
  void SetResumeFails(bool fails) { resumeFails_ = fails; }
  // The user closes the window the newest open medium's picture plays in: its OnWindowClose
  // runs from the event loop, as the real window's does.
  void CloseWindow();

  // --- observing --------------------------------------------------------------------------
  // Every Open asked for, in order (failed ones included).
  const std::vector<MediaOpenRequest>& OpenRequests() const { return requests_; }
  // Every Prepare hint, in order.
  const std::vector<MediaOpenRequest>& PrepareRequests() const { return prepares_; }
  int OpenCount() const { return static_cast<int>(requests_.size()); }  // asked, incl. failed
  int FailedOpenCount() const { return failedOpens_; }
  int CloseCount() const { return closes_; }
  int OpenStreamCount() const { return static_cast<int>(streams_.size()); }
  int PlayCount() const { return plays_; }  // Play and Resume calls that started playing
  int SeekCount() const { return seeks_; }
  // How often the device asked a stream for its position.
  int PositionQueryCount() const { return positionQueries_; }
  // The most recently opened stream that is still open; empty/false/0 when none is open.
  QByteArray OpenPath() const;
  bool IsOpen() const { return !streams_.empty(); }
  bool IsPlaying() const;
  bool IsPaused() const;
  std::int64_t PositionMs() const;

  // --- MediaBackend -----------------------------------------------------------------------
  OpenResult Open(const MediaOpenRequest& request) override;
  void Prepare(const MediaOpenRequest& request) override { prepares_.push_back(request); }
  void Post(std::function<void()> fn) override;

  class Stream;

 private:
  friend class Stream;
  struct FileInfo {
    std::int64_t lengthMs = 0;
    bool failsOpen = false;
    QString error;
    std::int64_t failAtMs = -1;
  };

  Scheduler& scheduler_;
  std::map<QByteArray, FileInfo> files_;
  bool hasCD_ = false;
  bool resumeFails_ = false;
  std::vector<std::int64_t> cdTracks_;
  std::vector<MediaOpenRequest> requests_;
  std::vector<MediaOpenRequest> prepares_;
  std::vector<Stream*> streams_;  // open, oldest first
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  int failedOpens_ = 0;
  int closes_ = 0;
  int plays_ = 0;
  int seeks_ = 0;
  int positionQueries_ = 0;
};

}  // namespace ostrivo
