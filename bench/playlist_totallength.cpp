// Total length of a play list of 1,000 WAV files and 100 MP3 files (constant bit rate, no Xing
// header; 2 s each) over the real media back end, reported per file in CPU time of the whole
// process (GStreamer works on threads of its own). Peers on the same files in the same run: the
// GstDiscoverer library call, file by file in this process (the figure to stay within), and
// gst-discoverer-1.0 as one process over all files (wall time).

#include <benchmark/benchmark.h>
#include <gst/pbutils/pbutils.h>

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "framework/ListBox.h"
#include "main/MainUnit.h"
#include "platform/media/GstMediaBackend.h"
#include "platform/media/TestMedia.h"
#include "support/TestProgram.h"

using namespace ostrivo;

namespace {

constexpr int kWavFiles = 1000;
constexpr int kMp3Files = 100;
constexpr int kFiles = kWavFiles + kMp3Files;
QStringList paths;

void BM_TotalLength(benchmark::State& state) {
  test::TestProgram services;  // virtual time, scripted dialogs, simulated mixer, hives
  GstMediaBackend media;
  Forms forms(Services{services.time,
                       services.time,
                       services.dialogs,
                       media,
                       services.mixer,
                       services.hives,
                       services.shell,
                       {},
                       QStringLiteral("/opt/ostrivo/ostrivo")});
  forms.CreateAll();
  std::vector<QByteArray> entries;
  for (const QString& p : paths) entries.push_back(QFile::encodeName(p));
  forms.MainForm->ListBox1->Items().Assign(entries);
  for (auto _ : state) {
    services.dialogs.messages.clear();
    forms.Application.Guard([&] { forms.MainForm->LengthButtonClick(nullptr); });
  }
  if (services.dialogs.messages.size() != 1 ||
      !services.dialogs.messages[0].text.endsWith(QStringLiteral("0:36:40"))) {
    state.SkipWithError("unexpected report");
    if (!services.dialogs.messages.empty())
      std::fprintf(stderr, "%s\n", qPrintable(services.dialogs.messages[0].text));
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}

void BM_PeerDiscovererProcess(benchmark::State& state) {
  for (auto _ : state) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(QStringLiteral("gst-discoverer-1.0"), paths);
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
      state.SkipWithError("gst-discoverer-1.0 failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}

void BM_PeerDiscovererCall(benchmark::State& state) {
  GError* error = nullptr;
  GstDiscoverer* discoverer = gst_discoverer_new(10 * GST_SECOND, &error);
  std::vector<gchar*> uris;
  for (const QString& p : paths)
    uris.push_back(gst_filename_to_uri(QFile::encodeName(p).constData(), nullptr));
  for (auto _ : state) {
    for (gchar* uri : uris) {
      GstDiscovererInfo* info = gst_discoverer_discover_uri(discoverer, uri, &error);
      if (!info) {
        state.SkipWithError("discovery failed");
        break;
      }
      benchmark::DoNotOptimize(gst_discoverer_info_get_duration(info));
      gst_discoverer_info_unref(info);
    }
  }
  for (gchar* uri : uris) g_free(uri);
  g_clear_error(&error);
  g_object_unref(discoverer);
  state.SetItemsProcessed(state.iterations() * kFiles);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("OSTRIVO_AUDIO_SINK")) qputenv("OSTRIVO_AUDIO_SINK", "fakesink");
  if (qEnvironmentVariableIsEmpty("OSTRIVO_VIDEO_SINK")) qputenv("OSTRIVO_VIDEO_SINK", "fakesink");
  QApplication app(argc, argv);
  gst_init(&argc, &argv);
  QTemporaryDir dir;
  const QByteArray wav = test::WavBytes(2000);
  const QString firstMp3 = dir.filePath(QStringLiteral("tone.mp3"));
  if (!test::RunPipeline("audiotestsrc num-buffers=20 samplesperbuffer=4410 ! "
                         "audio/x-raw,rate=44100,channels=2 ! audioconvert ! "
                         "lamemp3enc target=bitrate cbr=true bitrate=128 ! filesink location=\"" +
                         firstMp3.toStdString() + "\"")
           .empty())
    return 1;
  for (int i = 0; i < kFiles; ++i) {
    const bool isWav = i % 11 != 10;  // one MP3 after every ten WAV files
    const QString path = dir.filePath(
        QStringLiteral("tone %1.%2").arg(i, 4, 10, QLatin1Char('0')).arg(isWav ? "wav" : "mp3"));
    if (isWav) {
      QFile f(path);
      if (!f.open(QIODevice::WriteOnly) || f.write(wav) != wav.size()) return 1;
    } else if (!QFile::copy(firstMp3, path)) {
      return 1;
    }
    paths << path;
  }
  // CPU time of this whole process, GStreamer's threads included, for the two in-process runs;
  // wall time for the separate process, whose CPU this process does not see.
  auto* ours = benchmark::RegisterBenchmark("BM_TotalLength", BM_TotalLength);
  auto* call = benchmark::RegisterBenchmark("BM_PeerDiscovererCall", BM_PeerDiscovererCall);
  auto* process =
      benchmark::RegisterBenchmark("BM_PeerDiscovererProcess", BM_PeerDiscovererProcess);
  ours->MeasureProcessCPUTime();
  call->MeasureProcessCPUTime();
  process->UseRealTime();
  for (auto* b : {ours, call, process})
    b->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
