#pragma once
// TMediaPlayer: the media device. It opens one file or CD track at a time over a MediaBackend,
// plays it asynchronously and reports the end of a play as a completion notice on the GUI
// thread. Positions and lengths are in the current time format: 0 (milliseconds) or 10 (TMSF,
// track in the lowest byte, then minutes, seconds, frames).

#include <QByteArray>
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>

namespace ostrivo {

class MediaBackend;
enum class MediaEnd;
struct MediaOpenRequest;

enum TMPDeviceTypes {
  dtAutoSelect,
  dtAVIVideo,
  dtCDAudio,
  dtDAT,
  dtDigitalVideo,
  dtMMMovie,
  dtOther,
  dtOverlay,
  dtScanner,
  dtSequencer,
  dtVCR,
  dtVideodisc,
  dtWaveAudio
};
enum TMPNotifyValues { nvSuccessful, nvSuperseded, nvAborted, nvFailure };
enum TMPModes { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };

constexpr int32_t kTimeFormatMilliseconds = 0;
constexpr int32_t kTimeFormatTMSF = 10;

class TMediaPlayer : public QObject {
 public:
  explicit TMediaPlayer(MediaBackend& backend, QObject* parent = nullptr);
  ~TMediaPlayer() override;

  QByteArray FileName;
  TMPDeviceTypes DeviceType = dtAutoSelect;

  void Open();   // throws EMCIDeviceError with the back end's text
  void Close();  // nothing when closed
  // The length in milliseconds that Open followed by Length would give for FileName and
  // DeviceType, with the same failures, measured without a device left open (any open one is
  // closed first).
  int32_t FileLength();
  // A hint that fileName will probably be opened next with automatic selection: the back end
  // may make it ready meanwhile. Changes nothing the device shows.
  void Prepare(const QByteArray& fileName);
  void Play();  // asynchronous; asks for a completion notice
  void Stop();
  void Pause();  // pauses when playing, resumes when paused

  int32_t Position() const;
  void SetPosition(int32_t value);  // seek
  void SetStartPos(int32_t value);  // pending start of the next Play
  int32_t TimeFormat() const;
  void SetTimeFormat(int32_t value);
  int32_t Length() const;
  int32_t TrackLength(int32_t track) const;
  int32_t TrackPosition(int32_t track) const;
  TMPModes Mode() const;
  TMPNotifyValues NotifyValue() const;
  bool IsOpen() const;
  int Error() const;  // the last command's result (MediaError), 0 for success

  // The completion notice, with this device as sender; delivered as a queued event. A Play
  // (or a resume) that runs to the end of the medium reports nvSuccessful, one that breaks off
  // with an error nvFailure; Stop, Close and a seek report nvAborted, a newer Play or resume
  // nvSuperseded. The handler runs from the event loop: it guards its own errors.
  std::function<void(QObject* sender)> OnNotify;
  // After every command that can move the position or change the mode, and before every
  // notice: what the device answers may now differ.
  std::function<void()> OnChange;
  // The user closed the window a video plays in (this device as sender), from the event loop.
  std::function<void(QObject* sender)> OnWindowClose;

 private:
  void Changed();
  static MediaOpenRequest Request(const QByteArray& fileName, TMPDeviceTypes deviceType);
  std::function<void(MediaEnd)> MakeEndHandler();
  void EndNotice(TMPNotifyValues value);
  void Deliver(TMPNotifyValues value);

  struct Impl;
  std::unique_ptr<Impl> d_;
};

}  // namespace ostrivo
