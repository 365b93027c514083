#pragma once
// TAudioMixer: opens a mixer device, builds the tree of its destination lines, their source
// lines and controls once at open, and reads or writes one line's level and mute.

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>

namespace ostrivo {

class MixerDriver;

using TMixerChange = std::function<void(QObject* sender, int32_t mixerH, int32_t id)>;

class TAudioMixer : public QObject {
 public:
  TAudioMixer(MixerDriver& driver, QObject* owner);
  ~TAudioMixer() override;

  int32_t MixerID() const;
  void SetMixerID(int32_t id);

  bool ReadLineLevel(int32_t destination, int32_t connection, int32_t& left, int32_t& right,
                     int32_t& mute, bool& volumeUnavailable, bool& muteUnavailable);
  bool WriteLineLevel(int32_t destination, int32_t connection, int32_t left, int32_t right,
                      int32_t mute);

  TMixerChange OnLineChange;
  TMixerChange OnControlChange;

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

}  // namespace ostrivo
