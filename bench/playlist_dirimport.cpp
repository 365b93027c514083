// Add directory with subdirectories on a generated tree of 100,000 files (80,000 of them media
// files) in 1,100 folders, with the main window on screen (offscreen platform). Target: at most
// 1.2 times the wall time of `find DIR` on the same tree, run beside it. Both run with the
// tree in the page cache (a warm-up walk goes first).

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "framework/ListBox.h"
#include "main/MainUnit.h"
#include "settings/OptionsUnit.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::TestProgram;

namespace {

constexpr int kArtists = 100;
constexpr int kAlbums = 10;
constexpr int kTracks = 100;

QString root;
TestProgram* program = nullptr;
int expected = 0;

bool MakeTree(const QString& top) {
  static const char* endings[] = {".mp3", ".WAV", ".jpg", ".mid", ".txt"};
  for (int a = 0; a < kArtists; ++a) {
    for (int b = 0; b < kAlbums; ++b) {
      const QString folder = QStringLiteral("%1/Artist %2/Album %3").arg(top).arg(a).arg(b);
      if (!QDir().mkpath(folder)) return false;
      const QByteArray base = QFile::encodeName(folder);
      for (int t = 0; t < kTracks; ++t) {
        const char* ending = endings[t % 5];
        const QByteArray path = base + "/Track " + QByteArray::number(t) + ending;
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        ::close(fd);
        if (t % 5 != 4) ++expected;
      }
    }
  }
  return true;
}

void BM_PeerFind(benchmark::State& state) {
  for (auto _ : state) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(QStringLiteral("find"), {root});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
      state.SkipWithError("find failed");
      break;
    }
  }
}

void BM_AddDirectory(benchmark::State& state) {
  TMainForm& main = program->Main();
  program->Options().RecurseBox->setChecked(true);
  for (auto _ : state) {
    state.PauseTiming();
    main.ListBox1->Items().Clear();
    QApplication::processEvents();
    state.ResumeTiming();
    main.AddDirectory(root);
    QApplication::processEvents();  // the window shows the new entries
  }
  if (main.ListBox1->Count() != expected) state.SkipWithError("wrong count");
  state.counters["entries"] = main.ListBox1->Count();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir dir;
  root = dir.filePath(QStringLiteral("tree"));
  if (!MakeTree(root)) {
    std::fprintf(stderr, "cannot make the tree\n");
    return 1;
  }
  TestProgram p;
  p.Create();
  p.Start();
  p.Main().resize(640, 480);
  p.Main().show();
  program = &p;
  {
    QProcess warm;
    warm.setStandardOutputFile(QProcess::nullDevice());
    warm.start(QStringLiteral("find"), {root});
    warm.waitForFinished(120000);
  }
  for (auto* b : {benchmark::RegisterBenchmark("BM_PeerFind", BM_PeerFind),
                  benchmark::RegisterBenchmark("BM_AddDirectory", BM_AddDirectory)}) {
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(7);
    b->ReportAggregatesOnly(true);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
