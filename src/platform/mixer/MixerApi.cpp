#include "platform/mixer/MixerApi.h"

#include <array>
#include <cstring>
#include <vector>

namespace ostrivo {

namespace {

// The device a call addresses, or the error it fails with.
struct Target {
  std::uint32_t device = 0;
  MMRESULT error = MMSYSERR_NOERROR;
};

Target Resolve(MixerDriver& driver, HMIXEROBJ object, std::uint32_t flags) {
  const std::uint32_t type = flags & MIXER_OBJECTF_TYPEMASK;
  if (type == MIXER_OBJECTF_HMIXER) {
    const auto device = driver.HandleDevice(object);
    return device ? Target{*device} : Target{0, MMSYSERR_INVALHANDLE};
  }
  if (type != MIXER_OBJECTF_MIXER) return {0, MMSYSERR_NOTSUPPORTED};
  // Handles and identifiers never overlap, so the handle table is asked first: the call on an
  // open handle then costs the driver nothing extra.
  if (const auto device = driver.HandleDevice(object)) return {*device};
  if (object < driver.DeviceCount()) return {object};
  return {0, MMSYSERR_BADDEVICEID};
}

bool OnlyObjectAndQuery(std::uint32_t flags, std::uint32_t queryMask) {
  return (flags & ~(MIXER_OBJECTF_TYPEMASK | queryMask)) == 0;
}

// Values travel through a local copy, so the driver never sees caller memory and the caller's
// buffer is written only on success.
class ValueScratch {
 public:
  explicit ValueScratch(std::size_t count) : count_(count) {
    if (count > local_.size()) heap_.resize(count);
  }
  std::span<std::uint32_t> Values() {
    return heap_.empty() ? std::span<std::uint32_t>(local_.data(), count_)
                         : std::span<std::uint32_t>(heap_);
  }

 private:
  std::size_t count_;
  std::array<std::uint32_t, 32> local_{};
  std::vector<std::uint32_t> heap_;
};

// The pinned bytes a details request addresses, or an empty span when they do not fit.
std::span<std::byte> DetailsBuffer(MixerDriver& driver, const MIXERCONTROLDETAILS& details,
                                   std::size_t& count) {
  const std::uint64_t items = details.cMultipleItems ? details.cMultipleItems : 1;
  const std::uint64_t values = std::uint64_t{details.cChannels} * items;
  const std::span<std::byte> pinned = driver.Pinned(details.paDetails);
  if (values == 0 || values * MIXER_VALUE_BYTES > pinned.size()) return {};
  count = static_cast<std::size_t>(values);
  return pinned.first(count * MIXER_VALUE_BYTES);
}

}  // namespace

std::uint32_t mixerGetNumDevs(MixerDriver& driver) {
  return driver.DeviceCount();
}

MMRESULT mixerOpen(MixerDriver& driver, HMIXER* phmx, std::uint32_t uMxId, QObject* dwCallback,
                   std::uint32_t, std::uint32_t fdwOpen) {
  if (!phmx) return MMSYSERR_INVALPARAM;
  const std::uint32_t callback = fdwOpen & CALLBACK_TYPEMASK;
  if ((fdwOpen & ~CALLBACK_TYPEMASK) != 0) return MMSYSERR_INVALFLAG;
  if (callback != CALLBACK_NULL && callback != CALLBACK_WINDOW) return MMSYSERR_INVALFLAG;
  if (callback == CALLBACK_WINDOW && !dwCallback) return MMSYSERR_INVALPARAM;
  if (uMxId >= driver.DeviceCount()) return MMSYSERR_BADDEVICEID;
  const MMRESULT r = driver.OpenDevice(uMxId);
  if (r != MMSYSERR_NOERROR) return r;
  *phmx = driver.AddHandle(uMxId, callback == CALLBACK_WINDOW ? dwCallback : nullptr);
  return MMSYSERR_NOERROR;
}

MMRESULT mixerClose(MixerDriver& driver, HMIXER hmx) {
  const auto device = driver.HandleDevice(hmx);
  if (!device) return MMSYSERR_INVALHANDLE;
  driver.RemoveHandle(hmx);
  driver.CloseDevice(*device);
  return MMSYSERR_NOERROR;
}

MMRESULT mixerGetDevCapsA(MixerDriver& driver, std::uint32_t uMxId, MIXERCAPSA* pmxcaps,
                          std::uint32_t cbmxcaps) {
  if (!pmxcaps) return MMSYSERR_INVALPARAM;
  const Target t = Resolve(driver, uMxId, MIXER_OBJECTF_MIXER);
  if (t.error) return t.error;
  if (cbmxcaps == 0) return MMSYSERR_NOERROR;
  MIXERCAPSA caps{};
  const MMRESULT r = driver.GetDevCaps(t.device, caps);
  if (r != MMSYSERR_NOERROR) return r;
  std::memcpy(pmxcaps, &caps, std::min<std::size_t>(cbmxcaps, sizeof caps));
  return MMSYSERR_NOERROR;
}

MMRESULT mixerGetLineInfoA(MixerDriver& driver, HMIXEROBJ hmxobj, MIXERLINEA* pmxl,
                           std::uint32_t fdwInfo) {
  if (!OnlyObjectAndQuery(fdwInfo, MIXER_GETLINEINFOF_QUERYMASK)) return MMSYSERR_INVALFLAG;
  if (!pmxl || pmxl->cbStruct < sizeof(MIXERLINEA)) return MMSYSERR_INVALPARAM;
  const Target t = Resolve(driver, hmxobj, fdwInfo);
  if (t.error) return t.error;
  MIXERLINEA line = *pmxl;
  const MMRESULT r = driver.GetLineInfo(t.device, fdwInfo & MIXER_GETLINEINFOF_QUERYMASK, line);
  if (r == MMSYSERR_NOERROR) *pmxl = line;
  return r;
}

MMRESULT mixerGetLineControlsA(MixerDriver& driver, HMIXEROBJ hmxobj, MIXERLINECONTROLSA* pmxlc,
                               std::uint32_t fdwControls) {
  if (!OnlyObjectAndQuery(fdwControls, MIXER_GETLINECONTROLSF_QUERYMASK)) return MMSYSERR_INVALFLAG;
  if (!pmxlc || pmxlc->cbStruct < sizeof(MIXERLINECONTROLSA)) return MMSYSERR_INVALPARAM;
  if (pmxlc->cControls == 0 || pmxlc->cbmxctrl < sizeof(MIXERCONTROLA)) return MMSYSERR_INVALPARAM;
  const std::span<std::byte> pinned = driver.Pinned(pmxlc->pamxctrl);
  const std::uint64_t bytes = std::uint64_t{pmxlc->cControls} * pmxlc->cbmxctrl;
  if (bytes > pinned.size()) return MMSYSERR_INVALPARAM;
  const Target t = Resolve(driver, hmxobj, fdwControls);
  if (t.error) return t.error;
  MIXERLINECONTROLSA request = *pmxlc;
  std::vector<MIXERCONTROLA> controls(request.cControls);
  const MMRESULT r = driver.GetLineControls(
      t.device, fdwControls & MIXER_GETLINECONTROLSF_QUERYMASK, request, controls);
  if (r != MMSYSERR_NOERROR) return r;
  for (std::size_t i = 0; i < controls.size(); ++i)
    std::memcpy(pinned.data() + i * request.cbmxctrl, &controls[i], sizeof(MIXERCONTROLA));
  *pmxlc = request;
  return MMSYSERR_NOERROR;
}

MMRESULT mixerGetControlDetailsA(MixerDriver& driver, HMIXEROBJ hmxobj, MIXERCONTROLDETAILS* pmxcd,
                                 std::uint32_t fdwDetails) {
  if (!OnlyObjectAndQuery(fdwDetails, MIXER_GETCONTROLDETAILSF_QUERYMASK))
    return MMSYSERR_INVALFLAG;
  const std::uint32_t query = fdwDetails & MIXER_GETCONTROLDETAILSF_QUERYMASK;
  if (query == MIXER_GETCONTROLDETAILSF_LISTTEXT) return MMSYSERR_NOTSUPPORTED;
  if (query != MIXER_GETCONTROLDETAILSF_VALUE) return MMSYSERR_INVALFLAG;
  if (!pmxcd || pmxcd->cbStruct < sizeof(MIXERCONTROLDETAILS)) return MMSYSERR_INVALPARAM;
  if (pmxcd->cbDetails != MIXER_VALUE_BYTES) return MMSYSERR_INVALPARAM;
  std::size_t count = 0;
  const std::span<std::byte> bytes = DetailsBuffer(driver, *pmxcd, count);
  if (bytes.empty()) return MMSYSERR_INVALPARAM;
  const Target t = Resolve(driver, hmxobj, fdwDetails);
  if (t.error) return t.error;
  ValueScratch scratch(count);
  const MMRESULT r = driver.GetControlDetails(t.device, *pmxcd, scratch.Values());
  if (r == MMSYSERR_NOERROR) std::memcpy(bytes.data(), scratch.Values().data(), bytes.size());
  return r;
}

MMRESULT mixerSetControlDetails(MixerDriver& driver, HMIXEROBJ hmxobj, MIXERCONTROLDETAILS* pmxcd,
                                std::uint32_t fdwDetails) {
  if (!OnlyObjectAndQuery(fdwDetails, MIXER_SETCONTROLDETAILSF_QUERYMASK))
    return MMSYSERR_INVALFLAG;
  const std::uint32_t query = fdwDetails & MIXER_SETCONTROLDETAILSF_QUERYMASK;
  if (query == MIXER_SETCONTROLDETAILSF_CUSTOM) return MMSYSERR_NOTSUPPORTED;
  if (query != MIXER_SETCONTROLDETAILSF_VALUE) return MMSYSERR_INVALFLAG;
  if (!pmxcd || pmxcd->cbStruct < sizeof(MIXERCONTROLDETAILS)) return MMSYSERR_INVALPARAM;
  if (pmxcd->cbDetails != MIXER_VALUE_BYTES) return MMSYSERR_INVALPARAM;
  std::size_t count = 0;
  const std::span<std::byte> bytes = DetailsBuffer(driver, *pmxcd, count);
  if (bytes.empty()) return MMSYSERR_INVALPARAM;
  const Target t = Resolve(driver, hmxobj, fdwDetails);
  if (t.error) return t.error;
  ValueScratch scratch(count);
  std::memcpy(scratch.Values().data(), bytes.data(), bytes.size());
  return driver.SetControlDetails(t.device, *pmxcd, scratch.Values());
}

MIXBUFFER mixerPinBuffer(MixerDriver& driver, void* address, std::uint32_t bytes) {
  return driver.Pin(address, bytes);
}

void mixerUnpinBuffer(MixerDriver& driver, MIXBUFFER buffer) {
  driver.Unpin(buffer);
}

}  // namespace ostrivo
