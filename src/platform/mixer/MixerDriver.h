#pragma once
// The seam under the winmm-like mixer API (MixerApi.h): a driver knows its devices, their lines
// and controls, and reads and writes control values. The API functions check their arguments,
// resolve handles and pinned buffers, and then call the driver with typed, sized views; the
// open handles and the pinned buffers are kept here, per driver, so that every test builds its
// own driver and nothing is global.

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>

#include "platform/mixer/MixerTypes.h"

namespace ostrivo {

// A notice (MM_MIXM_LINE_CHANGE or MM_MIXM_CONTROL_CHANGE) as it reaches the callback target
// of mixerOpen: posted, so it is handled by the GUI thread's event loop.
class MixerNotifyEvent : public QEvent {
 public:
  MixerNotifyEvent(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam)
      : QEvent(Type()), message(message), wParam(wParam), lParam(lParam) {}
  static QEvent::Type Type();

  std::uint32_t message;
  std::uint32_t wParam;  // the HMIXER
  std::uint32_t lParam;  // the line or control identifier
};

class MixerDriver {
 public:
  MixerDriver() = default;
  virtual ~MixerDriver();
  MixerDriver(const MixerDriver&) = delete;
  MixerDriver& operator=(const MixerDriver&) = delete;

  // ---- What a driver provides. The API functions call these with a device below
  // DeviceCount() and arguments already checked against the published rules. ----
  virtual std::uint32_t DeviceCount() = 0;
  // Each successful open is matched by one CloseDevice.
  virtual MMRESULT OpenDevice(std::uint32_t device) = 0;
  virtual void CloseDevice(std::uint32_t device) = 0;
  virtual MMRESULT GetDevCaps(std::uint32_t device, MIXERCAPSA& caps) = 0;
  // query: the flags' query part. line keeps the caller's cbStruct.
  virtual MMRESULT GetLineInfo(std::uint32_t device, std::uint32_t query, MIXERLINEA& line) = 0;
  // controls has room for request.cControls records.
  virtual MMRESULT GetLineControls(std::uint32_t device, std::uint32_t query,
                                   MIXERLINECONTROLSA& request,
                                   std::span<MIXERCONTROLA> controls) = 0;
  // values has room for request.cChannels x max(1, request.cMultipleItems) values.
  virtual MMRESULT GetControlDetails(std::uint32_t device, const MIXERCONTROLDETAILS& request,
                                     std::span<std::uint32_t> values) = 0;
  virtual MMRESULT SetControlDetails(std::uint32_t device, const MIXERCONTROLDETAILS& request,
                                     std::span<const std::uint32_t> values) = 0;

  // ---- Bookkeeping shared by the API functions. ----
  // Open handles: never equal to a device identifier, never reused by this driver.
  HMIXER AddHandle(std::uint32_t device, QObject* target);
  std::optional<std::uint32_t> HandleDevice(HMIXER handle) const;
  bool RemoveHandle(HMIXER handle);
  std::size_t OpenHandleCount() const { return handles_.size(); }

  // Pinned buffers: a caller's memory named by a 32-bit MIXBUFFER while it stays pinned.
  MIXBUFFER Pin(void* address, std::uint32_t bytes);
  void Unpin(MIXBUFFER buffer);
  // The pinned memory; empty for 0 or an unknown name.
  std::span<std::byte> Pinned(MIXBUFFER buffer) const;

 protected:
  // Posts a notice to the callback target of every handle open on the device.
  void PostNotice(std::uint32_t device, std::uint32_t message, std::uint32_t id);

 private:
  struct OpenHandle {
    std::uint32_t device;
    QPointer<QObject> target;
  };
  static constexpr HMIXER kFirstHandle = 0x00010000;
  std::map<HMIXER, OpenHandle> handles_;
  HMIXER nextHandle_ = kFirstHandle;
  std::map<MIXBUFFER, std::span<std::byte>> pinned_;
  MIXBUFFER nextBuffer_ = 1;
};

}  // namespace ostrivo
