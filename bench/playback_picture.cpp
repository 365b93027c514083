// From ShowPicture to the whole picture on the screen, for a 6000 x 4000 JPEG with "Fit
// picture" on, side by side with djpeg (libjpeg-turbo's own decoder program) decoding the same
// file. Report the ratio of the two.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdlib>

#include "main/MainUnit.h"
#include "photo_jpeg.h"
#include "picture/PictureFiles.h"
#include "picture/PictureLoader.h"
#include "picture/PictureUnit.h"
#include "settings/OptionsUnit.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using namespace ostrivo::test;

namespace {

const QByteArray& BigJpegPath() {
  static QTemporaryDir dir;
  static QByteArray path;
  if (path.isEmpty()) {
    path = (dir.path() + "/big.jpg").toLocal8Bit();
    picture_bench::WritePhotoJpeg(QString::fromLocal8Bit(path), 6000, 4000);
  }
  return path;
}

}  // namespace

static void BM_ShowPictureFit6000x4000(benchmark::State& state) {
  const QByteArray& path = BigJpegPath();
  TestProgram p;
  p.Create();
  p.Start();
  p.Options().FitBox->setChecked(true);
  p.Picture().WorkArea = QRect(0, 0, 1280, 1024);
  for (auto _ : state) {
    p.Picture().ShowPicture(path);
    p.Picture().repaint();  // the whole window drawn, the picture scaled into it
  }
  if (p.Picture().Image1->size() != QSize(1280, 853)) state.SkipWithError("not fitted");
}
BENCHMARK(BM_ShowPictureFit6000x4000)->Unit(benchmark::kMillisecond)->MinTime(5.0);

// The decode alone, for the breakdown: what ShowPicture adds is sizing, placing and drawing.
static void BM_LoadJpeg6000x4000(benchmark::State& state) {
  const QByteArray& path = BigJpegPath();
  for (auto _ : state) benchmark::DoNotOptimize(LoadJpeg(path));
}
BENCHMARK(BM_LoadJpeg6000x4000)->Unit(benchmark::kMillisecond)->MinTime(5.0);

static void BM_Djpeg6000x4000(benchmark::State& state) {
  const QByteArray& path = BigJpegPath();
  // djpeg's own processor time, which a busy machine does not inflate as it does the wall clock.
  auto childCpu = [] {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
  };
  const double before = childCpu();
  for (auto _ : state) {
    const int rc = QProcess::execute(QStringLiteral("djpeg"),
                                     {"-outfile", "/dev/null", QString::fromLocal8Bit(path)});
    if (rc != 0) state.SkipWithError("djpeg failed");
  }
  state.counters["djpeg_cpu_ms"] =
      benchmark::Counter((childCpu() - before) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_Djpeg6000x4000)->Unit(benchmark::kMillisecond)->MinTime(5.0)->UseRealTime();

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
