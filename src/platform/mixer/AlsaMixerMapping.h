#pragma once
// How one ALSA mixer's simple elements become a mixer device's lines and controls. Kept free of
// ALSA itself, so that it can be checked on element lists made up for the purpose.
//
// Destination 0, the playback mix: its line is the element "Master" (no controls when there is
// none). Its sources 0 to 4 are always the places Line, PCM (wave), Mic, CD and Synth, in this
// order: the playback element of that name, or a disconnected line without controls, so every
// source keeps the position the volume bars expect. On a sound server the Mic place is the
// capture side of "Capture" (what the default source records). The other playback elements
// follow from source 5 in the mixer's order.
//
// Destination 1, the capture mix, exists when some element can capture: its line is the
// element "Capture" (no controls when there is none), its sources the other capturing elements.
//
// A line bound to an element gets, in this order, a Volume control from the element's volume in
// that direction (0 to 65535 spread linearly over the element's range, one value per channel, or
// one in all when the element is mono or its channels share one volume) and a Mute control (one
// value, 1 while every channel's switch is off) from its switch.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/mixer/MixerDriver.h"

namespace ostrivo {

enum class AlsaControlKind { PlaybackVolume, PlaybackSwitch, CaptureVolume, CaptureSwitch };

// One simple element as the mixer lists it, with its playback side and its capture side.
struct AlsaElementInfo {
  struct Side {
    bool volume = false;
    bool sw = false;
    bool joined = false;        // the channels' volumes move together (one value for all)
    std::vector<int> channels;  // ALSA channel numbers (0 front left / mono, 1 front right, ...)
    long min = 0;
    long max = 0;
    bool Used() const { return volume || sw; }
  };
  std::string name;
  unsigned index = 0;
  Side playback;
  Side capture;
};

// What a control of the device stands for.
struct AlsaControlBinding {
  std::size_t element;
  AlsaControlKind kind;
};

struct AlsaMixerLayout : MixerLayout {
  std::vector<AlsaControlBinding> bindings;  // by control identifier
};

AlsaMixerLayout MapAlsaElements(const std::vector<AlsaElementInfo>& elements, bool soundServer);

// A raw element value as a level 0..65535, and back (levels above 65535 count as 65535).
std::uint32_t AlsaToLevel(long raw, long min, long max);
long LevelToAlsa(std::uint32_t level, long min, long max);

}  // namespace ostrivo
