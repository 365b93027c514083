// A play list of 1,000,000 entries (about 60 MB on disk) through the commands a user runs on
// it, with the main window on screen (offscreen platform) so the list view's work is counted.
// Targets: Open at most 1 s (and the window answers at once afterwards), Save at most 0.5 s,
// Sort at most 1.5 s, Randomize at most 0.3 s, Remove directory at most 0.3 s.
// Peers in the same run: `cat` of the file (the I/O floor) and `sort -f` of it.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

#include "framework/ListBox.h"
#include "main/MainUnit.h"
#include "playlist/AddDirUnit.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::TestProgram;

namespace {

constexpr int kEntries = 1000000;

struct Shared {
  QTemporaryDir dir;
  QString list;   // the play-list file
  QString saved;  // where Save writes
  std::vector<QByteArray> entries;
  TestProgram* program = nullptr;
};
Shared* shared = nullptr;

// Paths as a music collection has them: artist, album, numbered track; a few marks between.
std::vector<QByteArray> MakeEntries() {
  static const char* words[] = {"Blue", "night", "River",  "Song", "light", "Dance",
                                "Home", "stone", "Fire",   "Rain", "Gold",  "dream",
                                "Road", "Sun",   "Winter", "Ocean"};
  std::mt19937 rng(7);
  auto word = [&] { return QByteArray(words[rng() % 16]); };
  std::vector<QByteArray> entries;
  entries.reserve(kEntries);
  for (int i = 0; i < kEntries; ++i) {
    if (i % 1000 == 999) {
      entries.push_back(i % 3000 == 2999 ? QByteArray("Stop") : QByteArray("Pause: 5"));
      continue;
    }
    const unsigned artist = rng() % 400;
    QByteArray e = "/home/me/Music/" + word() + " " + word() + " " + QByteArray::number(artist) +
                   "/" + word() + " " + word() + "/" +
                   QByteArray::number(rng() % 20 + 1).rightJustified(2, '0') + " - " + word() +
                   " " + word() + (rng() % 2 ? ".mp3" : ".wav");
    entries.push_back(e);
  }
  return entries;
}

void Settle() {
  QApplication::processEvents();
}

TMainForm& Main() {
  return shared->program->Main();
}

void Load() {
  Main().ListBox1->Items().Assign(shared->entries);
  Settle();
}

void RunPeer(benchmark::State& state, const QString& program, const QStringList& args) {
  for (auto _ : state) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
      state.SkipWithError("peer failed");
      break;
    }
  }
}

void BM_PeerCat(benchmark::State& state) {
  RunPeer(state, QStringLiteral("cat"), {shared->list});
}

void BM_PeerSortF(benchmark::State& state) {
  RunPeer(state, QStringLiteral("sort"), {QStringLiteral("-f"), shared->list});
}

void BM_Open(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    Main().ListBox1->Items().Clear();
    Settle();
    shared->program->dialogs.openAnswers.push_back({shared->list});
    state.ResumeTiming();
    Main().OpenButtonClick(nullptr);
    Settle();  // the window lays out and paints the new list
  }
  if (Main().ListBox1->Count() != kEntries) state.SkipWithError("wrong count");
}

// How long the window takes to answer after Open: the next round of events, a repaint and a
// scroll to the end of the list.
void BM_AnswerAfterOpen(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    Main().ListBox1->Items().Clear();
    Settle();
    shared->program->dialogs.openAnswers.push_back({shared->list});
    Main().OpenButtonClick(nullptr);
    state.ResumeTiming();
    Settle();
    Main().ListBox1->scrollToBottom();
    Main().repaint();
    Settle();
  }
}

void BM_Save(benchmark::State& state) {
  Load();
  Main().PlayListFile = shared->saved;
  for (auto _ : state) {
    Main().SaveButtonClick(nullptr);
    Settle();
  }
  if (QFile(shared->saved).size() != QFile(shared->list).size()) state.SkipWithError("size");
}

void BM_Sort(benchmark::State& state) {
  QLocale::setDefault(state.range(0) ? QLocale(QStringLiteral("en_US")) : QLocale::system());
  for (auto _ : state) {
    state.PauseTiming();
    Load();
    Main().ListBox1->SetItemIndex(500000);
    state.ResumeTiming();
    Main().SortButtonClick(nullptr);
    Settle();
  }
  state.SetLabel(QLocale().collation().name().toStdString());
  QLocale::setDefault(QLocale::system());
}

void BM_Randomize(benchmark::State& state) {
  Load();
  Main().ListBox1->SetItemIndex(500000);
  for (auto _ : state) {
    Main().RandomizeButtonClick(nullptr);
    Settle();
  }
}

// Removes one artist's folder prefix, which matches about a quarter of a percent of the list;
// the whole list is tested.
void BM_RemoveDirectory(benchmark::State& state) {
  TAddDirForm& form = *shared->program->forms->AddDirForm;
  const QString cwd = QDir::currentPath();
  form.DirectoryListBox1->SetDirectory(QStringLiteral("/home/me/Music/Blue Rain 12"));
  form.AddMode = false;
  int removed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Load();
    Main().ListBox1->SetItemIndex(500000);
    state.ResumeTiming();
    form.OKButtonClick(nullptr);
    Settle();
    state.PauseTiming();
    removed = kEntries - Main().ListBox1->Count();
    state.ResumeTiming();
  }
  state.counters["removed"] = removed;
  QDir::setCurrent(cwd);
}

void Register() {
  auto common = [](benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5);
    b->ReportAggregatesOnly(true);
  };
  common(benchmark::RegisterBenchmark("BM_PeerCat", BM_PeerCat));
  common(benchmark::RegisterBenchmark("BM_PeerSortF", BM_PeerSortF));
  common(benchmark::RegisterBenchmark("BM_Open", BM_Open));
  common(benchmark::RegisterBenchmark("BM_AnswerAfterOpen", BM_AnswerAfterOpen));
  common(benchmark::RegisterBenchmark("BM_Save", BM_Save));
  common(benchmark::RegisterBenchmark("BM_Sort", BM_Sort)->Arg(0)->Arg(1));
  common(benchmark::RegisterBenchmark("BM_Randomize", BM_Randomize));
  common(benchmark::RegisterBenchmark("BM_RemoveDirectory", BM_RemoveDirectory));
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  Shared s;
  shared = &s;
  s.entries = MakeEntries();
  s.list = s.dir.filePath(QStringLiteral("big.osp"));
  s.saved = s.dir.filePath(QStringLiteral("saved.osp"));
  {
    QFile f(s.list);
    QByteArray bytes;
    for (const QByteArray& e : s.entries) bytes.append(e).append("\r\n");
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return 1;
    std::fprintf(stderr, "play list: %d entries, %.1f MB\n", kEntries, bytes.size() / 1e6);
  }
  TestProgram program;
  program.Create();
  program.Start();
  program.Main().resize(640, 480);
  program.Main().show();
  s.program = &program;
  Register();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
