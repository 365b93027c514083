#pragma once
// How one ALSA card's simple mixer elements become a mixer device's lines and controls. Kept
// free of ALSA itself, so that it can be checked on element lists made up for the purpose.
//
// Destination 0, the playback mix: its line is the element "Master" (no controls when the
// card has none). Its sources 0 to 4 are always the slots Line, PCM (wave), Mic, CD and Synth,
// in this order: the card's playback element of that name, or a disconnected line without
// controls where the card has none, so every source keeps the position the volume bars expect.
// The card's other playback elements follow from source 5 in the card's order.
//
// Destination 1, the capture mix, exists when some element can capture: its line is the
// element "Capture" (no controls when the card has none), its sources the other capturing
// elements in the card's order.
//
// Each line bound to an element gets, in this order, a VOLUME control from the element's volume
// of that direction (0 to 65535 spread linearly over the element's range, one value per channel,
// UNIFORM when the element is mono or its channels share one volume) and a MUTE control (UNIFORM,
// 1 while every channel's switch is off) from its switch.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/mixer/MixerTopology.h"

namespace ostrivo {

enum class AlsaControlKind { PlaybackVolume, PlaybackSwitch, CaptureVolume, CaptureSwitch };

// One simple element as the card lists it.
struct AlsaElementInfo {
  std::string name;
  unsigned index = 0;
  bool playbackVolume = false;
  bool playbackSwitch = false;
  bool captureVolume = false;
  bool captureSwitch = false;
  // The channels' volumes move together (one value for all).
  bool playbackVolumeJoined = false;
  bool captureVolumeJoined = false;
  // ALSA channel numbers present (0 front left / mono, 1 front right, ...).
  std::vector<int> playbackChannels;
  std::vector<int> captureChannels;
  long playbackMin = 0;
  long playbackMax = 0;
  long captureMin = 0;
  long captureMax = 0;
};

// What a control of the device stands for.
struct AlsaControlBinding {
  std::size_t element;
  AlsaControlKind kind;
};

struct AlsaMixerLayout {
  MixerTopology topology;
  std::vector<AlsaControlBinding> bindings;  // by control identifier
};

AlsaMixerLayout MapAlsaElements(const std::string& cardName,
                                const std::vector<AlsaElementInfo>& elements);

// A raw element value as a level 0..65535, and back (levels above 65535 count as 65535).
std::uint32_t AlsaToLevel(long raw, long min, long max);
long LevelToAlsa(std::uint32_t level, long min, long max);

}  // namespace ostrivo
