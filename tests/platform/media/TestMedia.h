#pragma once
// Media files made on the spot for the GStreamer tests and benchmarks: a WAV and a MIDI file
// written byte by byte, other containers encoded by a GStreamer pipeline.

#include <gst/gst.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

namespace ostrivo::test {

inline void PutLE(QByteArray& b, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.append(char((v >> (8 * i)) & 0xff));
}

inline void PutBE(QByteArray& b, std::uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) b.append(char((v >> (8 * i)) & 0xff));
}

// A mono 16-bit PCM WAV with a 440 Hz tone, lengthMs long.
inline QByteArray WavBytes(int lengthMs, int rate = 8000) {
  const std::uint32_t samples = std::uint32_t(std::int64_t(rate) * lengthMs / 1000);
  const std::uint32_t dataBytes = samples * 2;
  QByteArray b("RIFF");
  PutLE(b, 36 + dataBytes, 4);
  b.append("WAVEfmt ");
  PutLE(b, 16, 4);        // fmt chunk size
  PutLE(b, 1, 2);         // PCM
  PutLE(b, 1, 2);         // channels
  PutLE(b, rate, 4);      // sample rate
  PutLE(b, rate * 2, 4);  // byte rate
  PutLE(b, 2, 2);         // block align
  PutLE(b, 16, 2);        // bits per sample
  b.append("data");
  PutLE(b, dataBytes, 4);
  for (std::uint32_t i = 0; i < samples; ++i) {
    const double v = std::sin(2 * M_PI * 440.0 * i / rate) * 8000;
    PutLE(b, std::uint32_t(std::int16_t(std::lround(v))) & 0xffff, 2);
  }
  return b;
}

// A format-0 MIDI file: tempo 120 bpm, 96 ticks a beat, `notes` quarter-ish notes of
// noteTicks each (96 ticks = 500 ms).
inline QByteArray MidiBytes(int notes = 1, int noteTicks = 96) {
  auto vlq = [](QByteArray& b, std::uint32_t n) {
    QByteArray tmp;
    tmp.prepend(char(n & 0x7f));
    while (n >>= 7) tmp.prepend(char((n & 0x7f) | 0x80));
    b.append(tmp);
  };
  QByteArray track;
  vlq(track, 0);
  track.append("\xff\x51\x03", 3);
  PutBE(track, 500000, 3);  // microseconds a beat
  vlq(track, 0);
  track.append("\xc0\x00", 2);  // piano
  for (int i = 0; i < notes; ++i) {
    vlq(track, 0);
    track.append(char(0x90)).append(char(60 + i % 12)).append(char(100));
    vlq(track, std::uint32_t(noteTicks));
    track.append(char(0x80)).append(char(60 + i % 12)).append(char(0));
  }
  vlq(track, 0);
  track.append("\xff\x2f\x00", 3);
  QByteArray b("MThd");
  PutBE(b, 6, 4);
  PutBE(b, 0, 2);   // format 0
  PutBE(b, 1, 2);   // one track
  PutBE(b, 96, 2);  // ticks a beat
  b.append("MTrk");
  PutBE(b, std::uint32_t(track.size()), 4);
  b.append(track);
  return b;
}

// Runs a gst-launch pipeline to its end; returns the error text, empty on success.
inline std::string RunPipeline(const std::string& description) {
  if (!gst_is_initialized()) gst_init(nullptr, nullptr);
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
  if (error) {
    std::string text = error->message;
    g_error_free(error);
    if (pipeline) gst_object_unref(pipeline);
    return text;
  }
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  GstBus* bus = gst_element_get_bus(pipeline);
  GstMessage* msg = gst_bus_timed_pop_filtered(bus, 20 * GST_SECOND,
                                               GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  std::string text;
  if (!msg) {
    text = "timed out";
  } else if (GST_MESSAGE_TYPE(msg) == GST_MESSAGE_ERROR) {
    gst_message_parse_error(msg, &error, nullptr);
    text = error->message;
    g_error_free(error);
  }
  if (msg) gst_message_unref(msg);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(bus);
  gst_object_unref(pipeline);
  return text;
}

// 10 frames at 25 per second (400 ms) of test picture, with a tone in the AVI.
inline std::string MakeAvi(const QString& path) {
  return RunPipeline(
      "avimux name=m ! filesink location=\"" + path.toStdString() +
      "\" videotestsrc num-buffers=10 ! video/x-raw,width=64,height=48,framerate=25/1 ! "
      "jpegenc ! m. audiotestsrc num-buffers=4 samplesperbuffer=800 ! "
      "audio/x-raw,rate=8000,channels=1,format=S16LE ! m.");
}

inline std::string MakeQuickTime(const QString& path) {
  return RunPipeline(
      "videotestsrc num-buffers=10 ! "
      "video/x-raw,width=64,height=48,framerate=25/1 ! jpegenc ! qtmux ! "
      "filesink location=\"" +
      path.toStdString() + "\"");
}

inline std::string MakeMp3(const QString& path, int lengthMs) {
  const int buffers = lengthMs / 100;  // 100 ms a buffer at 44.1 kHz
  return RunPipeline("audiotestsrc num-buffers=" + std::to_string(buffers) +
                     " samplesperbuffer=4410 ! audio/x-raw,rate=44100,channels=2 ! "
                     "audioconvert ! lamemp3enc ! xingmux ! id3v2mux ! filesink location=\"" +
                     path.toStdString() + "\"");
}

// Runs the Qt event loop until pred() holds or timeoutMs pass; returns whether it held.
inline bool ProcessEventsUntil(const std::function<bool()>& pred, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (!pred()) {
    if (t.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}

// Runs the Qt event loop for ms milliseconds.
inline void ProcessEventsFor(int ms) {
  ProcessEventsUntil([] { return false; }, ms);
}

}  // namespace ostrivo::test
