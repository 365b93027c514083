#include "platform/media/GstMidiSynth.h"

#include <gst/gst.h>

#include <mutex>
#include <vector>

namespace ostrivo {

namespace {

// The entry playing and the one prepared ahead may both be MIDI: two synthesisers stay open.
constexpr std::size_t kKeptOpen = 2;

// fluiddec elements in READY with their font loaded, each holding one reference. It lives for
// the process, as the element type registered with GStreamer does.
struct Synthesisers {
  std::mutex mutex;
  QByteArray soundFont;
  std::vector<GstElement*> open;
};

Synthesisers& Kept() {
  static auto* kept = new Synthesisers;
  return *kept;
}

GstElement* TakeSynthesiser() {
  Synthesisers& kept = Kept();
  QByteArray soundFont;
  {
    std::lock_guard lock(kept.mutex);
    if (!kept.open.empty()) {
      GstElement* synth = kept.open.back();
      kept.open.pop_back();
      return synth;
    }
    soundFont = kept.soundFont;
  }
  GstElement* synth = gst_element_factory_make("fluiddec", nullptr);
  if (!synth) return nullptr;
  gst_object_ref_sink(synth);
  if (!soundFont.isEmpty()) g_object_set(synth, "soundfont", soundFont.constData(), nullptr);
  return synth;
}

void GiveBack(GstElement* synth) {
  GstState state = GST_STATE_NULL;
  gst_element_get_state(synth, &state, nullptr, 0);
  if (state == GST_STATE_READY) {
    Synthesisers& kept = Kept();
    std::lock_guard lock(kept.mutex);
    if (kept.open.size() < kKeptOpen) {
      kept.open.push_back(synth);
      return;
    }
  }
  gst_element_set_state(synth, GST_STATE_NULL);
  gst_object_unref(synth);
}

struct OstrivoMidiSynth {
  GstBin bin;
  GstElement* synth;  // from NULL to READY until back to NULL
};

struct OstrivoMidiSynthClass {
  GstBinClass binClass;
};

GstStaticPadTemplate sinkTemplate = GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS,
                                                            GST_STATIC_CAPS("audio/x-midi-event"));
GstStaticPadTemplate srcTemplate =
    GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS("audio/x-raw"));

G_DEFINE_TYPE(OstrivoMidiSynth, ostrivo_midi_synth, GST_TYPE_BIN)

void SetTargets(OstrivoMidiSynth* self, GstElement* synth) {
  for (const char* name : {"sink", "src"}) {
    GstPad* ghost = gst_element_get_static_pad(GST_ELEMENT(self), name);
    GstPad* target = synth ? gst_element_get_static_pad(synth, name) : nullptr;
    gst_ghost_pad_set_target(GST_GHOST_PAD(ghost), target);
    if (target) gst_object_unref(target);
    gst_object_unref(ghost);
  }
}

// The synthesiser leaves the bin before the bin closes it, still open, for the next pipeline.
void Release(OstrivoMidiSynth* self) {
  if (!self->synth) return;
  SetTargets(self, nullptr);
  gst_bin_remove(GST_BIN(self), self->synth);
  GiveBack(self->synth);
  self->synth = nullptr;
}

void Close(OstrivoMidiSynth* self) {
  if (!self->synth) return;
  gst_element_set_state(self->synth, GST_STATE_NULL);
  Release(self);
}

GstStateChangeReturn ChangeState(GstElement* element, GstStateChange transition) {
  auto* self = reinterpret_cast<OstrivoMidiSynth*>(element);
  if (transition == GST_STATE_CHANGE_NULL_TO_READY) {
    self->synth = TakeSynthesiser();
    if (!self->synth) return GST_STATE_CHANGE_FAILURE;
    gst_bin_add(GST_BIN(self), self->synth);
    SetTargets(self, self->synth);
  } else if (transition == GST_STATE_CHANGE_READY_TO_NULL) {
    Release(self);
  }
  const GstStateChangeReturn result =
      GST_ELEMENT_CLASS(ostrivo_midi_synth_parent_class)->change_state(element, transition);
  if (transition == GST_STATE_CHANGE_NULL_TO_READY && result == GST_STATE_CHANGE_FAILURE)
    Close(self);  // a synthesiser that could not open (no font) is not kept
  return result;
}

void Dispose(GObject* object) {
  Close(reinterpret_cast<OstrivoMidiSynth*>(object));
  G_OBJECT_CLASS(ostrivo_midi_synth_parent_class)->dispose(object);
}

void ostrivo_midi_synth_class_init(OstrivoMidiSynthClass* klass) {
  GstElementClass* element = GST_ELEMENT_CLASS(klass);
  gst_element_class_add_static_pad_template(element, &sinkTemplate);
  gst_element_class_add_static_pad_template(element, &srcTemplate);
  gst_element_class_set_static_metadata(
      element, "MIDI synthesiser, sound font kept loaded", "Codec/Decoder/Audio",
      "fluiddec kept open from one medium to the next", "Ostrivo");
  element->change_state = ChangeState;
  G_OBJECT_CLASS(klass)->dispose = Dispose;
}

void ostrivo_midi_synth_init(OstrivoMidiSynth* self) {
  self->synth = nullptr;
  for (GstStaticPadTemplate* pads : {&sinkTemplate, &srcTemplate}) {
    GstPadTemplate* templ = gst_static_pad_template_get(pads);
    gst_element_add_pad(GST_ELEMENT(self),
                        gst_ghost_pad_new_no_target_from_template(pads->name_template, templ));
    gst_object_unref(templ);
  }
}

}  // namespace

void RegisterSharedMidiSynth(const QByteArray& soundFont) {
  static std::once_flag once;
  std::call_once(once, [&] {
    GstElementFactory* fluiddec = gst_element_factory_find("fluiddec");
    if (!fluiddec) return;
    gst_object_unref(fluiddec);
    {
      std::lock_guard lock(Kept().mutex);
      Kept().soundFont = soundFont;
    }
    gst_element_register(nullptr, "ostrivomidisynth", GST_RANK_PRIMARY,
                         ostrivo_midi_synth_get_type());
  });
}

}  // namespace ostrivo
