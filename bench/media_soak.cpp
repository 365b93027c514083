// A thousand Open/Play/Close cycles of the media device over GStreamer, per kind of file: the
// memory and the open file descriptors must stay where they were after the first hundred
// (which load the plug-ins and warm the allocator up). Reported as counters:
//   rss_growth_kB           resident memory after cycle 1000 minus after cycle 100
//   rss_growth_2nd_half_kB  the same from cycle 500 (what is left once the allocator settled)
//   fd_growth               open file descriptors, after cycle 1000 minus after cycle 100
// Sinks: fakesink (no clock), so a play runs to its end within the cycle.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

#include "platform/media/GstMediaBackend.h"
#include "platform/media/TestMedia.h"
#include "player/MediaPlayer.h"

using namespace ostrivo;

namespace {

QTemporaryDir* dir = nullptr;
QStringList paths;  // wav, mid, avi, mp3

long ResidentKb() {
  long pages = 0, resident = 0;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return -1;
  if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = -1;
  std::fclose(f);
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int OpenFds() {
  return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

void BM_OpenPlayCloseCycles(benchmark::State& state) {
  const QByteArray path = paths[int(state.range(0))].toLocal8Bit();
  constexpr int kCycles = 1000, kWarmUp = 100;
  long rssWarm = 0, rssHalf = 0, rssEnd = 0;
  int fdWarm = 0, fdEnd = 0, ended = 0;
  for (auto _ : state) {
    GstMediaBackend media;
    TMediaPlayer player(media);
    bool notified = false;
    // Only the end of the play of this cycle counts (a cut-short play's abort comes later).
    player.OnNotify = [&](QObject*) {
      notified =
          notified || player.NotifyValue() == nvSuccessful || player.NotifyValue() == nvFailure;
    };
    for (int i = 1; i <= kCycles; ++i) {
      player.FileName = path;
      player.Open();
      player.SetTimeFormat(kTimeFormatMilliseconds);
      benchmark::DoNotOptimize(player.Length());
      notified = false;
      player.Play();
      test::ProcessEventsUntil([&] { return notified; }, i % 2 ? 2 : 2000);  // half cut short
      ended += notified && player.NotifyValue() == nvSuccessful;
      player.Close();
      if (i == kWarmUp) {
        test::ProcessEventsFor(20);
        rssWarm = ResidentKb();
        fdWarm = OpenFds();
      }
      if (i == kCycles / 2) {
        test::ProcessEventsFor(20);
        rssHalf = ResidentKb();
      }
    }
    test::ProcessEventsFor(20);
    rssEnd = ResidentKb();
    fdEnd = OpenFds();
  }
  state.counters["rss_growth_kB"] = double(rssEnd - rssWarm);
  state.counters["rss_growth_2nd_half_kB"] = double(rssEnd - rssHalf);
  state.counters["rss_end_kB"] = double(rssEnd);
  state.counters["fd_growth"] = double(fdEnd - fdWarm);
  state.counters["plays_to_end"] = double(ended);
  state.SetLabel(QFileInfo(paths[int(state.range(0))]).suffix().toStdString());
}
BENCHMARK(BM_OpenPlayCloseCycles)->DenseRange(0, 3)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  qputenv("OSTRIVO_AUDIO_SINK", "fakesink");
  qputenv("OSTRIVO_VIDEO_SINK", "fakesink");
  gst_init(&argc, &argv);
  QTemporaryDir d;
  dir = &d;
  paths << d.filePath(QStringLiteral("a.wav")) << d.filePath(QStringLiteral("a.mid"))
        << d.filePath(QStringLiteral("a.avi")) << d.filePath(QStringLiteral("a.mp3"));
  auto write = [](const QString& p, const QByteArray& b) {
    QFile f(p);
    return f.open(QIODevice::WriteOnly) && f.write(b) == b.size();
  };
  if (!write(paths[0], test::WavBytes(300)) || !write(paths[1], test::MidiBytes(2, 48)) ||
      !test::MakeAvi(paths[2]).empty() || !test::MakeMp3(paths[3], 500).empty()) {
    std::fprintf(stderr, "cannot make the media files\n");
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
