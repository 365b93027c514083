#pragma once
// The audio mixer API's structures, constants and result codes, laid out byte for byte as the
// 32-bit platform publishes them. The two pointers those structures carry (the control records
// of MIXERLINECONTROLSA, the values of MIXERCONTROLDETAILS) are 32 bits wide there; here they
// hold a MIXBUFFER, a 32-bit name for a caller's buffer pinned with mixerPinBuffer, so the sizes
// stay the published ones and the driver always knows how large the buffer behind them is.

#include <cstddef>
#include <cstdint>

namespace ostrivo {

using MMRESULT = std::uint32_t;
using HMIXER = std::uint32_t;     // an open mixer device
using HMIXEROBJ = std::uint32_t;  // a device identifier or an HMIXER, as the flags say
using MIXBUFFER = std::uint32_t;  // a pinned buffer; 0 is none
using MMVERSION = std::uint32_t;

// Result codes.
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_NOTENABLED = 3;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MIXERR_INVALLINE = 1024;
constexpr MMRESULT MIXERR_INVALCONTROL = 1025;
constexpr MMRESULT MIXERR_INVALVALUE = 1026;

constexpr std::size_t MAXPNAMELEN = 32;
constexpr std::size_t MIXER_SHORT_NAME_CHARS = 16;
constexpr std::size_t MIXER_LONG_NAME_CHARS = 64;

// mixerOpen.
constexpr std::uint32_t CALLBACK_TYPEMASK = 0x00070000;
constexpr std::uint32_t CALLBACK_NULL = 0x00000000;
constexpr std::uint32_t CALLBACK_WINDOW = 0x00010000;

// Notices posted to the callback target: first parameter the HMIXER, second the line or
// control identifier.
constexpr std::uint32_t MM_MIXM_LINE_CHANGE = 0x3D0;
constexpr std::uint32_t MM_MIXM_CONTROL_CHANGE = 0x3D1;

// What the HMIXEROBJ argument of a call names.
constexpr std::uint32_t MIXER_OBJECTF_HANDLE = 0x80000000;
constexpr std::uint32_t MIXER_OBJECTF_MIXER = 0x00000000;
constexpr std::uint32_t MIXER_OBJECTF_HMIXER = MIXER_OBJECTF_HANDLE | MIXER_OBJECTF_MIXER;
constexpr std::uint32_t MIXER_OBJECTF_TYPEMASK = 0xF0000000;

constexpr std::uint32_t MIXER_GETLINEINFOF_DESTINATION = 0;
constexpr std::uint32_t MIXER_GETLINEINFOF_SOURCE = 1;
constexpr std::uint32_t MIXER_GETLINEINFOF_LINEID = 2;
constexpr std::uint32_t MIXER_GETLINEINFOF_COMPONENTTYPE = 3;
constexpr std::uint32_t MIXER_GETLINEINFOF_TARGETTYPE = 4;
constexpr std::uint32_t MIXER_GETLINEINFOF_QUERYMASK = 0xF;

constexpr std::uint32_t MIXER_GETLINECONTROLSF_ALL = 0;
constexpr std::uint32_t MIXER_GETLINECONTROLSF_ONEBYID = 1;
constexpr std::uint32_t MIXER_GETLINECONTROLSF_ONEBYTYPE = 2;
constexpr std::uint32_t MIXER_GETLINECONTROLSF_QUERYMASK = 0xF;

constexpr std::uint32_t MIXER_GETCONTROLDETAILSF_VALUE = 0;
constexpr std::uint32_t MIXER_GETCONTROLDETAILSF_LISTTEXT = 1;
constexpr std::uint32_t MIXER_GETCONTROLDETAILSF_QUERYMASK = 0xF;

constexpr std::uint32_t MIXER_SETCONTROLDETAILSF_VALUE = 0;
constexpr std::uint32_t MIXER_SETCONTROLDETAILSF_CUSTOM = 1;
constexpr std::uint32_t MIXER_SETCONTROLDETAILSF_QUERYMASK = 0xF;

// MIXERLINEA.fdwLine.
constexpr std::uint32_t MIXERLINE_LINEF_ACTIVE = 0x00000001;
constexpr std::uint32_t MIXERLINE_LINEF_DISCONNECTED = 0x00008000;
constexpr std::uint32_t MIXERLINE_LINEF_SOURCE = 0x80000000;

// MIXERLINEA.dwComponentType.
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_DST_UNDEFINED = 0;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_DST_SPEAKERS = 4;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_DST_WAVEIN = 7;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED = 0x1000;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_DIGITAL = 0x1001;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_LINE = 0x1002;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE = 0x1003;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER = 0x1004;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC = 0x1005;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_PCSPEAKER = 0x1007;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT = 0x1008;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY = 0x1009;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_ANALOG = 0x100A;

// MIXERLINEA.Target.dwType.
constexpr std::uint32_t MIXERLINE_TARGETTYPE_UNDEFINED = 0;
constexpr std::uint32_t MIXERLINE_TARGETTYPE_WAVEOUT = 1;
constexpr std::uint32_t MIXERLINE_TARGETTYPE_WAVEIN = 2;
constexpr std::uint32_t MIXERLINE_TARGETTYPE_MIDIOUT = 3;
constexpr std::uint32_t MIXERLINE_TARGETTYPE_MIDIIN = 4;
constexpr std::uint32_t MIXERLINE_TARGETTYPE_AUX = 5;

// MIXERCONTROLA.dwControlType and fdwControl.
constexpr std::uint32_t MIXERCONTROL_CONTROLTYPE_VOLUME = 0x50030001;
constexpr std::uint32_t MIXERCONTROL_CONTROLTYPE_MUTE = 0x20010002;
constexpr std::uint32_t MIXERCONTROL_CONTROLTYPE_MIXER = 0x71010001;
constexpr std::uint32_t MIXERCONTROL_CONTROLTYPE_MUX = 0x70010001;
constexpr std::uint32_t MIXERCONTROL_CONTROLTYPE_ONOFF = 0x20010001;
constexpr std::uint32_t MIXERCONTROL_CONTROLF_UNIFORM = 0x00000001;
constexpr std::uint32_t MIXERCONTROL_CONTROLF_MULTIPLE = 0x00000002;
constexpr std::uint32_t MIXERCONTROL_CONTROLF_DISABLED = 0x80000000;

// Every value of a details read or write is one 32-bit number (unsigned, signed or boolean).
constexpr std::uint32_t MIXER_VALUE_BYTES = 4;

struct MIXERCAPSA {
  std::uint16_t wMid;
  std::uint16_t wPid;
  MMVERSION vDriverVersion;
  char szPname[MAXPNAMELEN];
  std::uint32_t fdwSupport;
  std::uint32_t cDestinations;
};

struct MIXERLINEA {
  std::uint32_t cbStruct;
  std::uint32_t dwDestination;
  std::uint32_t dwSource;
  std::uint32_t dwLineID;
  std::uint32_t fdwLine;
  std::uint32_t dwUser;
  std::uint32_t dwComponentType;
  std::uint32_t cChannels;
  std::uint32_t cConnections;
  std::uint32_t cControls;
  char szShortName[MIXER_SHORT_NAME_CHARS];
  char szName[MIXER_LONG_NAME_CHARS];
  struct {
    std::uint32_t dwType;
    std::uint32_t dwDeviceID;
    std::uint16_t wMid;
    std::uint16_t wPid;
    MMVERSION vDriverVersion;
    char szPname[MAXPNAMELEN];
  } Target;
};

struct MIXERCONTROLA {
  std::uint32_t cbStruct;
  std::uint32_t dwControlID;
  std::uint32_t dwControlType;
  std::uint32_t fdwControl;
  std::uint32_t cMultipleItems;
  char szShortName[MIXER_SHORT_NAME_CHARS];
  char szName[MIXER_LONG_NAME_CHARS];
  // The signed bounds (lMinimum, lMaximum) share these two fields.
  struct {
    std::uint32_t dwMinimum;
    std::uint32_t dwMaximum;
    std::uint32_t dwReserved[4];
  } Bounds;
  struct {
    std::uint32_t cSteps;
    std::uint32_t dwReserved[5];
  } Metrics;
};

struct MIXERLINECONTROLSA {
  std::uint32_t cbStruct;
  std::uint32_t dwLineID;
  union {
    std::uint32_t dwControlID;
    std::uint32_t dwControlType;
  };
  std::uint32_t cControls;
  std::uint32_t cbmxctrl;
  MIXBUFFER pamxctrl;
};

struct MIXERCONTROLDETAILS {
  std::uint32_t cbStruct;
  std::uint32_t dwControlID;
  std::uint32_t cChannels;
  union {
    std::uint32_t hwndOwner;
    std::uint32_t cMultipleItems;
  };
  std::uint32_t cbDetails;
  MIXBUFFER paDetails;
};

static_assert(sizeof(MIXERCAPSA) == 48);
static_assert(sizeof(MIXERLINEA) == 168);
static_assert(sizeof(MIXERCONTROLA) == 148);
static_assert(sizeof(MIXERLINECONTROLSA) == 24);
static_assert(sizeof(MIXERCONTROLDETAILS) == 24);
static_assert(offsetof(MIXERCAPSA, cDestinations) == 44);
static_assert(offsetof(MIXERLINEA, cChannels) == 28 && offsetof(MIXERLINEA, szName) == 56);
static_assert(offsetof(MIXERLINEA, Target) == 120);
static_assert(offsetof(MIXERCONTROLA, Bounds) == 100 && offsetof(MIXERCONTROLA, Metrics) == 124);
static_assert(offsetof(MIXERLINECONTROLSA, pamxctrl) == 20);
static_assert(offsetof(MIXERCONTROLDETAILS, paDetails) == 20);

// Copies text into a fixed field, cut to fit and always terminated.
template <std::size_t N>
void CopyMixerName(char (&field)[N], const char* text) {
  std::size_t i = 0;
  for (; text && text[i] && i + 1 < N; ++i) field[i] = text[i];
  for (; i < N; ++i) field[i] = 0;
}

}  // namespace ostrivo
