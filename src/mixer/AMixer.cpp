#include "mixer/AMixer.h"

#include <array>

#include "platform/mixer/MixerApi.h"

namespace ostrivo {

namespace {

// More control records than any line has: a description claiming more is not believed.
constexpr std::uint32_t kMaxControlsPerLine = 0xFFFF;

bool Has(const MIXERCONTROLA& c, std::uint32_t flag) {
  return (c.fdwControl & flag) != 0;
}

bool IsMixerList(const MIXERCONTROLA& c) {
  return (c.dwControlType & MIXERCONTROL_CONTROLTYPE_MIXER) == MIXERCONTROL_CONTROLTYPE_MIXER;
}

// The channels a details call gives for a control of a line with lineChannels channels.
std::uint32_t ChannelsOf(const MIXERCONTROLA& c, std::uint32_t lineChannels) {
  return Has(c, MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : lineChannels;
}

// The number of values a details call of that shape carries.
std::uint64_t ValueCount(std::uint32_t channels, std::uint32_t items) {
  return std::uint64_t{channels} * (items ? items : 1);
}

}  // namespace

// The hidden window the open device posts its notices to.
class TMixerNotifyWindow : public QObject {
 public:
  explicit TMixerNotifyWindow(TAudioMixer& mixer) : mixer_(mixer) {}

 protected:
  bool event(QEvent* e) override {
    if (e->type() != MixerNotifyEvent::Type()) return QObject::event(e);
    const auto& notice = static_cast<const MixerNotifyEvent&>(*e);
    mixer_.Dispatch(notice.message, notice.wParam, notice.lParam);
    return true;
  }

 private:
  TAudioMixer& mixer_;
};

struct TAudioMixer::Impl {
  explicit Impl(MixerDriver& d) : driver(d), valuesPin(d, values.data(), sizeof values) {}

  MixerDriver& driver;
  std::unique_ptr<TMixerNotifyWindow> notifyWindow;
  std::unique_ptr<TMixerDestinations> destinations;
  int32_t deviceCount = 0;
  HMIXER handle = 0;
  int32_t mixerID = -1;
  MIXERCAPSA caps{};
  // Every details read and write goes through these values.
  std::array<std::uint32_t, kValuesBufferSize> values{};
  MixerBufferPin valuesPin;
};

// ---- The tree ----

TMixerControls::TMixerControls(TAudioMixer& mixer, const MIXERLINEA& line) {
  const std::uint32_t count = line.cControls;
  if (count > kMaxControlsPerLine) return;
  block_ = std::make_unique<MIXERCONTROLA[]>(count);
  const auto bytes = static_cast<std::uint32_t>(count * sizeof(MIXERCONTROLA));
  MixerBufferPin pin(mixer.Driver(), block_.get(), bytes);
  MIXERLINECONTROLSA request{};
  request.cbStruct = sizeof request;
  request.dwLineID = line.dwLineID;
  request.cControls = count;
  request.cbmxctrl = sizeof(MIXERCONTROLA);
  request.pamxctrl = pin.Name();
  if (mixerGetLineControlsA(mixer.Driver(), mixer.MixerHandle(), &request,
                            MIXER_GETLINECONTROLSF_ALL) != MMSYSERR_NOERROR)
    return;
  for (std::uint32_t i = 0; i < count; ++i) list_.Add(&block_[i]);
}

TMixerControls::~TMixerControls() {
  list_.Clear();
  block_.reset();
}

TMixerConnection::TMixerConnection(TAudioMixer& mixer, const MIXERLINEA& line)
    : mixer_(&mixer), line_(line), controls_(std::make_unique<TMixerControls>(mixer, line_)) {}

TMixerConnection::~TMixerConnection() = default;

TMixerConnections::TMixerConnections(TAudioMixer& mixer, const MIXERLINEA& destination)
    : mixer_(&mixer) {
  list_.Release = [](TMixerConnection* c) { delete c; };
  for (std::uint32_t s = 0; s < destination.cConnections; ++s) {
    MIXERLINEA line{};
    line.cbStruct = sizeof line;
    line.dwDestination = destination.dwDestination;
    line.dwSource = s;
    if (mixerGetLineInfoA(mixer.Driver(), mixer.MixerHandle(), &line, MIXER_GETLINEINFOF_SOURCE) !=
        MMSYSERR_NOERROR)
      continue;
    auto connection = std::make_unique<TMixerConnection>(mixer, line);
    list_.Add(connection.get());
    connection.release();  // the list owns it now
  }
}

TMixerConnections::~TMixerConnections() = default;

TMixerDestination::TMixerDestination(TAudioMixer& mixer, const MIXERLINEA& line)
    : mixer_(&mixer), line_(line) {
  connections_ = std::make_unique<TMixerConnections>(mixer, line_);
  controls_ = std::make_unique<TMixerControls>(mixer, line_);
}

TMixerDestination::~TMixerDestination() {
  controls_.reset();
  connections_.reset();
}

TMixerDestinations::TMixerDestinations(TAudioMixer& mixer) {
  list_.Release = [](TMixerDestination* d) { delete d; };
  for (std::uint32_t d = 0; d < mixer.DeviceCaps().cDestinations; ++d) {
    MIXERLINEA line{};
    line.cbStruct = sizeof line;
    line.dwDestination = d;
    if (mixerGetLineInfoA(mixer.Driver(), mixer.MixerHandle(), &line,
                          MIXER_GETLINEINFOF_DESTINATION) != MMSYSERR_NOERROR)
      continue;
    auto destination = std::make_unique<TMixerDestination>(mixer, line);
    list_.Add(destination.get());
    destination.release();  // the list owns it now
  }
}

TMixerDestinations::~TMixerDestinations() = default;

// ---- The component ----

TAudioMixer::TAudioMixer(MixerDriver& driver, QObject* owner)
    : QObject(owner), d_(std::make_unique<Impl>(driver)) {
  d_->notifyWindow = std::make_unique<TMixerNotifyWindow>(*this);
  d_->deviceCount = static_cast<int32_t>(mixerGetNumDevs(driver));
  d_->mixerID = -1;
  if (d_->deviceCount > 0) SetMixerID(0);
}

TAudioMixer::~TAudioMixer() {
  SetMixerID(-1);
  d_->notifyWindow.reset();
}

int32_t TAudioMixer::MixerID() const {
  return d_->mixerID;
}

void TAudioMixer::SetMixerID(int32_t id) {
  if (id >= d_->deviceCount) return;
  if (d_->mixerID >= 0) {
    mixerClose(d_->driver, d_->handle);
    d_->mixerID = -1;
  }
  d_->destinations.reset();
  if (id < 0) return;
  if (mixerOpen(d_->driver, &d_->handle, static_cast<std::uint32_t>(id), d_->notifyWindow.get(), 0,
                CALLBACK_WINDOW) != MMSYSERR_NOERROR)
    return;
  d_->mixerID = id;
  // Not checked; cleared first so a failure cannot leave the previous device's counts.
  d_->caps = MIXERCAPSA{};
  mixerGetDevCapsA(d_->driver, static_cast<std::uint32_t>(id), &d_->caps, sizeof(MIXERCAPSA));
  d_->destinations = std::make_unique<TMixerDestinations>(*this);
}

const TMixerDestinations* TAudioMixer::Destinations() const {
  return d_->destinations.get();
}
int32_t TAudioMixer::DeviceCount() const {
  return d_->deviceCount;
}
const MIXERCAPSA& TAudioMixer::DeviceCaps() const {
  return d_->caps;
}
MixerDriver& TAudioMixer::Driver() const {
  return d_->driver;
}
HMIXER TAudioMixer::MixerHandle() const {
  return d_->handle;
}

void TAudioMixer::Dispatch(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam) {
  const auto mixerH = static_cast<int32_t>(wParam);
  const auto id = static_cast<int32_t>(lParam);
  if (message == MM_MIXM_LINE_CHANGE) {
    if (OnLineChange) OnLineChange(this, mixerH, id);
  } else if (message == MM_MIXM_CONTROL_CHANGE) {
    if (OnControlChange) OnControlChange(this, mixerH, id);
  }
}

struct TAudioMixer::Line {
  const TMixerDestination* destination = nullptr;
  const MIXERLINEA* description = nullptr;
  const TMixerControls* controls = nullptr;
};

bool TAudioMixer::FindLine(int32_t destination, int32_t connection, Line& line) const {
  if (!d_->destinations) return false;
  const TMixerDestination* dest = d_->destinations->Destination(destination);
  if (!dest) return false;
  line.destination = dest;
  if (connection == -1) {
    line.description = &dest->Line();
    line.controls = &dest->Controls();
    return true;
  }
  const TMixerConnection* source = dest->Connections().Connection(connection);
  if (!source) return false;
  line.description = &source->Line();
  line.controls = &source->Controls();
  return true;
}

namespace {
// The details structure that names one control's values in the values buffer.
MIXERCONTROLDETAILS DetailsFor(const MIXERCONTROLA& control, std::uint32_t channels,
                               std::uint32_t items, MIXBUFFER buffer) {
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = control.dwControlID;
  details.cChannels = channels;
  details.cMultipleItems = items;
  details.cbDetails = MIXER_VALUE_BYTES;
  details.paDetails = buffer;
  return details;
}
}  // namespace

bool TAudioMixer::ReadDetails(const MIXERCONTROLA& control, std::uint32_t channels,
                              std::uint32_t items) {
  // A control whose values would not fit the buffer is not read at all.
  const std::uint64_t count = ValueCount(channels, items);
  if (count == 0 || count > kValuesBufferSize) return false;
  MIXERCONTROLDETAILS details = DetailsFor(control, channels, items, d_->valuesPin.Name());
  return mixerGetControlDetailsA(d_->driver, d_->handle, &details,
                                 MIXER_GETCONTROLDETAILSF_VALUE) == MMSYSERR_NOERROR;
}

void TAudioMixer::SendDetails(const MIXERCONTROLA& control, std::uint32_t channels,
                              std::uint32_t items) {
  MIXERCONTROLDETAILS details = DetailsFor(control, channels, items, d_->valuesPin.Name());
  mixerSetControlDetails(d_->driver, d_->handle, &details, MIXER_SETCONTROLDETAILSF_VALUE);
}

bool TAudioMixer::ReadLineLevel(int32_t destination, int32_t connection, int32_t& left,
                                int32_t& right, int32_t& mute, bool& volumeUnavailable,
                                bool& muteUnavailable) {
  Line line;
  if (!FindLine(destination, connection, line)) return false;
  // Worked on in locals, so a caller passing one variable for several outputs does not
  // change the walk.
  int32_t l = -1, r = -1, m = -1;
  bool volumeOff = false, muteOff = false;
  const auto& values = d_->values;

  const TMixerControls& controls = *line.controls;
  for (int32_t i = 0; i < controls.Count() && (l == -1 || m == -1); ++i) {
    const MIXERCONTROLA& c = *controls.Control(i);
    if (Has(c, MIXERCONTROL_CONTROLF_MULTIPLE)) continue;
    const bool volume = c.dwControlType == MIXERCONTROL_CONTROLTYPE_VOLUME;
    const bool muteSwitch = c.dwControlType == MIXERCONTROL_CONTROLTYPE_MUTE;
    // A control that could give nothing any more is not read.
    if (!(volume && l == -1) && !(muteSwitch && m == -1)) continue;
    const std::uint32_t channels = ChannelsOf(c, line.description->cChannels);
    if (!ReadDetails(c, channels, 0)) continue;
    const bool disabled = Has(c, MIXERCONTROL_CONTROLF_DISABLED);
    if (volume) {
      volumeOff = disabled;
      if (!disabled) {
        l = static_cast<int32_t>(values[0]);
        if (channels > 1) r = static_cast<int32_t>(values[1]);
      }
    } else {
      muteOff = disabled;
      if (!disabled) m = values[0] != 0 ? 1 : 0;
    }
  }

  // A source line without a mute switch of its own: the destination's Mixer list control
  // holds one value per source.
  if (m == -1 && connection != -1) {
    const TMixerControls& destControls = line.destination->Controls();
    const std::uint32_t destChannels = line.destination->Line().cChannels;
    for (int32_t i = 0; i < destControls.Count() && m == -1; ++i) {
      const MIXERCONTROLA& c = *destControls.Control(i);
      if (!IsMixerList(c)) continue;
      const std::uint32_t channels = ChannelsOf(c, destChannels);
      const std::uint32_t items = Has(c, MIXERCONTROL_CONTROLF_MULTIPLE) ? c.cMultipleItems : 0;
      // Only a position within the control's own values is read.
      if (static_cast<std::uint64_t>(connection) >= ValueCount(channels, items)) continue;
      if (!ReadDetails(c, channels, items)) continue;
      m = static_cast<int32_t>(values[static_cast<std::size_t>(connection)]);
      muteOff = false;
    }
  }

  if (l == -1) volumeOff = true;
  if (m == -1) muteOff = true;
  left = l;
  right = r;
  mute = m;
  volumeUnavailable = volumeOff;
  muteUnavailable = muteOff;
  return true;
}

bool TAudioMixer::WriteLineLevel(int32_t destination, int32_t connection, int32_t left,
                                 int32_t right, int32_t mute) {
  Line line;
  if (!FindLine(destination, connection, line)) return false;
  bool levelDone = left == -1;
  bool muteDone = mute == -1;
  auto& values = d_->values;
  const auto leftValue = static_cast<std::uint32_t>(left);
  const auto rightValue = static_cast<std::uint32_t>(right == -1 ? left : right);

  const TMixerControls& controls = *line.controls;
  for (int32_t i = 0; i < controls.Count() && (!levelDone || !muteDone); ++i) {
    const MIXERCONTROLA& c = *controls.Control(i);
    if (Has(c, MIXERCONTROL_CONTROLF_MULTIPLE)) continue;
    const bool volume = c.dwControlType == MIXERCONTROL_CONTROLTYPE_VOLUME;
    const bool muteSwitch = c.dwControlType == MIXERCONTROL_CONTROLTYPE_MUTE;
    const std::uint32_t channels = ChannelsOf(c, line.description->cChannels);
    // A control whose values would not fit the buffer receives nothing.
    if (channels == 0 || channels > kValuesBufferSize) continue;
    if (volume && !levelDone) {
      // Channels past the second alternate left and right (front, rear, ... pairs).
      for (std::uint32_t ch = 0; ch < channels; ++ch)
        values[ch] = ch % 2 == 0 ? leftValue : rightValue;
      levelDone = true;
      SendDetails(c, channels, 0);
    } else if (muteSwitch && !muteDone) {
      // Every channel of a switch read per channel gets the same state.
      for (std::uint32_t ch = 0; ch < channels; ++ch) values[ch] = static_cast<std::uint32_t>(mute);
      muteDone = true;
      SendDetails(c, channels, 0);
    }
  }

  if (!muteDone && connection != -1) {
    const TMixerControls& destControls = line.destination->Controls();
    for (int32_t i = 0; i < destControls.Count(); ++i) {
      const MIXERCONTROLA& c = *destControls.Control(i);
      if (!IsMixerList(c)) continue;
      muteDone = true;
      const std::uint32_t channels = ChannelsOf(c, line.destination->Line().cChannels);
      const std::uint32_t items = Has(c, MIXERCONTROL_CONTROLF_MULTIPLE) ? c.cMultipleItems : 0;
      // Read back first so the other sources' values go back unchanged; a position outside
      // the control's values is not written.
      if (static_cast<std::uint64_t>(connection) < ValueCount(channels, items) &&
          ReadDetails(c, channels, items)) {
        values[static_cast<std::size_t>(connection)] = static_cast<std::uint32_t>(mute);
        SendDetails(c, channels, items);
      }
      break;
    }
  }
  return true;
}

}  // namespace ostrivo
