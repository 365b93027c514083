#pragma once
// The winmm-like audio mixer API over a MixerDriver. The functions keep the platform's names,
// arguments and result codes; they take the driver as their first argument, and the callback
// target of mixerOpen is a QObject that receives MixerNotifyEvent notices on the GUI thread.
//
// A call that addresses a mixer object takes a device identifier or an open HMIXER: with
// MIXER_OBJECTF_HMIXER in the flags it must be a handle; with 0 (MIXER_OBJECTF_MIXER) an
// identifier below the device count names that device and an open handle is taken as well.
//
// Buffers: the control records of mixerGetLineControlsA and the values of the details calls
// live in caller memory pinned with mixerPinBuffer (MixerBufferPin does it for a scope). A call
// whose counts reach past the pinned size fails with MMSYSERR_INVALPARAM and touches nothing.

#include <QObject>
#include <cstdint>

#include "platform/mixer/MixerDriver.h"
#include "platform/mixer/MixerTypes.h"

namespace ostrivo {

std::uint32_t mixerGetNumDevs(MixerDriver& driver);
// fdwOpen: CALLBACK_WINDOW (notices go to dwCallback) or CALLBACK_NULL.
MMRESULT mixerOpen(MixerDriver& driver, HMIXER* phmx, std::uint32_t uMxId, QObject* dwCallback,
                   std::uint32_t dwInstance, std::uint32_t fdwOpen);
MMRESULT mixerClose(MixerDriver& driver, HMIXER hmx);
// Copies at most cbmxcaps bytes of the capabilities.
MMRESULT mixerGetDevCapsA(MixerDriver& driver, std::uint32_t uMxId, MIXERCAPSA* pmxcaps,
                          std::uint32_t cbmxcaps);
MMRESULT mixerGetLineInfoA(MixerDriver& driver, HMIXEROBJ hmxobj, MIXERLINEA* pmxl,
                           std::uint32_t fdwInfo);
MMRESULT mixerGetLineControlsA(MixerDriver& driver, HMIXEROBJ hmxobj, MIXERLINECONTROLSA* pmxlc,
                               std::uint32_t fdwControls);
MMRESULT mixerGetControlDetailsA(MixerDriver& driver, HMIXEROBJ hmxobj, MIXERCONTROLDETAILS* pmxcd,
                                 std::uint32_t fdwDetails);
MMRESULT mixerSetControlDetails(MixerDriver& driver, HMIXEROBJ hmxobj, MIXERCONTROLDETAILS* pmxcd,
                                std::uint32_t fdwDetails);

// Names bytes of caller memory for the structures' buffer fields; 0 for a null address.
MIXBUFFER mixerPinBuffer(MixerDriver& driver, void* address, std::uint32_t bytes);
void mixerUnpinBuffer(MixerDriver& driver, MIXBUFFER buffer);

// Pins a buffer for as long as it lives.
class MixerBufferPin {
 public:
  MixerBufferPin(MixerDriver& driver, void* address, std::uint32_t bytes)
      : driver_(driver), name_(mixerPinBuffer(driver, address, bytes)) {}
  ~MixerBufferPin() { mixerUnpinBuffer(driver_, name_); }
  MixerBufferPin(const MixerBufferPin&) = delete;
  MixerBufferPin& operator=(const MixerBufferPin&) = delete;
  MIXBUFFER Name() const { return name_; }

 private:
  MixerDriver& driver_;
  MIXBUFFER name_;
};

}  // namespace ostrivo
