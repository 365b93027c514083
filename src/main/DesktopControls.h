#pragma once
// The player as the desktop's player controls see it: the state they show, read from the main
// window and the options dialog, and the commands they send, run as the buttons run them. The
// controls are published on the session bus when there is one.

#include <QObject>
#include <memory>

#include "platform/shell/PlayerControls.h"

namespace ostrivo {

class Forms;
class MprisService;
class TMainForm;

class TDesktopControls : public PlayerControls {
 public:
  // Needs every window in place.
  explicit TDesktopControls(Forms& forms);
  ~TDesktopControls() override;

  MprisService& Service() { return *service_; }

  State Read() const override;
  int64_t PositionUs() const override;

  void Play() override;
  void Pause() override;
  void PlayPause() override;
  void Stop() override;
  void Next() override;
  void Previous() override;
  void SeekTo(int64_t positionUs) override;
  void OpenFile(const QString& path) override;
  void Raise() override;
  void Quit() override;

  void SetLoop(bool on) override;
  void SetShuffle(bool on) override;
  void SetVolume(double volume) override;

 private:
  TMainForm& Main() const;
  // Whether the device holds the current entry, open.
  bool CurrentEntryOpen() const;
  template <class F>
  void Command(F&& f);

  Forms& forms_;
  QObject events_;  // the receiver of the controls' change signals; gone with this object
  std::unique_ptr<MprisService> service_;
};

}  // namespace ostrivo
