#pragma once
// MIDI synthesis with the sound font loaded once per run. GStreamer's fluiddec loads its font
// each time it opens, for every MIDI entry, and unloads it when it closes. The element
// registered here takes its place in every pipeline: a bin around a fluiddec drawn from a few
// kept open (their font loaded) for the run, and given back when the pipeline lets it go.

#include <QByteArray>

namespace ostrivo {

// Registers the element, ranked above fluiddec, once per process; synthesisers it opens load
// soundFont (empty: fluiddec's own search). Does nothing when fluiddec is not installed.
void RegisterSharedMidiSynth(const QByteArray& soundFont);

}  // namespace ostrivo
