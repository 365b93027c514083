#pragma once
// What the desktop's player controls (media keys, panels, lock screens) may ask of the player
// and read from it. The program implements it; the bus side knows nothing else of the program.

#include <QString>
#include <cstdint>
#include <optional>

namespace ostrivo {

class PlayerControls {
 public:
  enum class Status { Stopped, Playing, Paused };

  // The current entry as the desktop shows it.
  struct Track {
    int index = -1;  // its list position; -1 when no entry is current
    QString url;     // a file URI; empty for a mark
    QString title;
    std::optional<int64_t> lengthUs;  // while a media entry is open

    bool operator==(const Track&) const = default;
  };

  // Everything the properties show but the position, read at one moment.
  struct State {
    Status status = Status::Stopped;
    Track track;
    bool canPlay = false;
    bool canPause = false;
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canSeek = false;
    bool loop = false;     // continuous play
    bool shuffle = false;  // random play
    // The master volume, 0 to 1; none when its line does not exist.
    std::optional<double> volume;

    bool operator==(const State&) const = default;
  };

  virtual ~PlayerControls() = default;

  virtual State Read() const = 0;
  virtual int64_t PositionUs() const = 0;

  // Commands. Each acts as the click it stands for, and reports its errors the same way.
  virtual void Play() = 0;
  virtual void Pause() = 0;
  virtual void PlayPause() = 0;
  virtual void Stop() = 0;
  virtual void Next() = 0;
  virtual void Previous() = 0;
  virtual void SeekTo(int64_t positionUs) = 0;
  // Appends the file to the play list and plays it.
  virtual void OpenFile(const QString& path) = 0;
  virtual void Raise() = 0;
  virtual void Quit() = 0;

  // Settings the desktop may change.
  virtual void SetLoop(bool on) = 0;
  virtual void SetShuffle(bool on) = 0;
  virtual void SetVolume(double volume) = 0;  // ignored while the line does not exist
};

}  // namespace ostrivo
