// One picture shown by the whole program (its windows over the simulated back ends, on Qt's
// offscreen platform), measured from inside: the processor time from the start of ShowPicture
// to the window drawn, and the process's resident memory before the show and at its peak.
// bench/picture_show.sh runs it for the builds before and after a change, beside djpeg and feh.
//
//   bench_picture_show make <out.jpg> <width> <height>
//       writes a photograph-like JPEG
//   bench_picture_show show <file.jpg> <fit|stretch|none> <screen width> <screen height>
//       prints "cpu_ms=... base_MB=... peak_MB=... control=WxH"
#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <cstdio>

#include "main/MainUnit.h"
#include "photo_jpeg.h"
#include "picture/PictureUnit.h"
#include "settings/OptionsUnit.h"
#include "support/TestProgram.h"

using namespace ostrivo;

namespace {

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double ResidentMB() {
  QFile statm(QStringLiteral("/proc/self/statm"));
  if (!statm.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> fields = statm.readAll().split(' ');
  return fields.size() > 1 ? fields[1].toDouble() * 4096 / (1024.0 * 1024.0) : 0;
}

double PeakMB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024.0;
}

int Show(const QByteArray& path, const QString& mode, int w, int h) {
  test::TestProgram p;
  p.Create();
  p.Start();
  p.Options().FitBox->setChecked(mode == "fit");
  p.Options().StretchBox->setChecked(mode == "stretch");
  TPictureForm& window = p.Picture();
  window.WorkArea = QRect(0, 0, w, h);
  // The window shown and drawn once empty, so what follows is the picture's own cost.
  window.ShowMaximized();
  window.repaint();
  QApplication::processEvents();
  const double base = ResidentMB();
  const double start = CpuMs();
  window.ShowPicture(path);
  window.repaint();  // the whole window drawn at once, the picture in it
  const double cpu = CpuMs() - start;
  std::printf("cpu_ms=%.1f base_MB=%.1f peak_MB=%.1f control=%dx%d\n", cpu, base, PeakMB(),
              window.Image1->width(), window.Image1->height());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() == 5 && args[1] == "make")
    return picture_bench::WritePhotoJpeg(args[2], args[3].toInt(), args[4].toInt()) ? 0 : 1;
  if (args.size() == 6 && args[1] == "show")
    return Show(args[2].toLocal8Bit(), args[3], args[4].toInt(), args[5].toInt());
  std::fprintf(stderr,
               "usage: %s make OUT.jpg W H | show FILE.jpg fit|stretch|none SCREEN_W SCREEN_H\n",
               argv[0]);
  return 2;
}
