// Add directory, Remove directory and the walk behind them.

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#include <QCheckBox>
#include <QFile>
#include <algorithm>

#include "playlist/AddDirUnit.h"
#include "playlist/DirectoryWalk.h"
#include "playlist/PlayListFixture.h"
#include "settings/OptionsUnit.h"

namespace ostrivo::test {
namespace {

class Directories : public PlayList {
 protected:
  // d/ holds a.WAV, b.txt, c.mp3, LOUD.MP3, .x.wav, x.mp, a folder clips.avi (with a file),
  // a folder .hidden (with a file), a folder s with a file and a folder t with a file, and
  // links: one to s, one to d itself (a loop) and one to a file.
  void SetUp() override {
    PlayList::SetUp();
    d = files.MakeDir(QStringLiteral("d"));
    for (const char* name :
         {"d/a.WAV", "d/b.txt", "d/c.mp3", "d/LOUD.MP3", "d/.x.wav", "d/x.mp",
          "d/clips.avi/inside.wav", "d/.hidden/h.wav", "d/s/s1.mid", "d/s/t/t1.jpg", "d/s/notes"})
      files.Write(QString::fromLatin1(name), "x");
    QFile::link(d + QStringLiteral("/s"), d + QStringLiteral("/link"));
    QFile::link(d, d + QStringLiteral("/loop"));
    QFile::link(d + QStringLiteral("/a.WAV"), d + QStringLiteral("/alias.wav"));
    QFile::link(d + QStringLiteral("/s"), d + QStringLiteral("/s/t/up"));
  }

  void Recurse(bool on) { p.Options().RecurseBox->setChecked(on); }
  void AddDirectory(const QString& directory) {
    p.forms->Application.Guard([&] { M().AddDirectory(directory); });
  }
  QList<QByteArray> Sorted(QList<QByteArray> entries) {
    std::sort(entries.begin(), entries.end());
    return entries;
  }
  QByteArray In(const char* name) { return QFile::encodeName(d) + "/" + name; }

  QString d;
};

TEST_F(Directories, WalkAddsMediaFilesByTheirEndingInAnyCase) {
  Recurse(false);
  M().SetCaption(QStringLiteral("Ostrivo 1.0 - Untitled"));
  AddDirectory(d);
  EXPECT_EQ(Sorted(p.Entries()),
            Sorted({In("a.WAV"), In("c.mp3"), In("LOUD.MP3"), In("clips.avi"), In("alias.wav")}));
  EXPECT_EQ(Title(), QStringLiteral("Ostrivo 1.0 - Untitled - ") + d);
}

TEST_F(Directories, TodaysMediaTypesAreAddedButNotOtherPictureTypes) {
  const QString e = files.MakeDir(QStringLiteral("e"));
  const QList<QByteArray> accepted = {"a.flac", "b.OGG", "c.oga",  "d.Opus", "e.m4a",
                                      "f.AAC",  "g.wma", "h.mp4",  "i.M4V",  "j.mkv",
                                      "k.WebM", "l.wmv", "m.MPEG", "n.mpg",  "o.mp3"};
  const QList<QByteArray> refused = {"photo.jpeg", "p.png", "q.lac",   "flac", "r.mp4.txt",
                                     "s.ogv",      "t.peg", "u.webm~", "v.fla"};
  for (const QByteArray& name : accepted + refused)
    files.Write(QStringLiteral("e/") + QString::fromLatin1(name), "x");
  Recurse(false);
  AddDirectory(e);
  QList<QByteArray> expected;
  for (const QByteArray& name : accepted) expected << QFile::encodeName(e) + "/" + name;
  EXPECT_EQ(Sorted(p.Entries()), Sorted(expected));
}

TEST_F(Directories, RecursionWalksPlainDirectoriesOnlyAndEndsDespiteLinkLoops) {
  Recurse(true);
  p.SetEntries({"before"});
  AddDirectory(d);
  const QList<QByteArray> entries = p.Entries();
  EXPECT_EQ(Sorted(entries),
            Sorted({"before", In("a.WAV"), In("c.mp3"), In("LOUD.MP3"), In("clips.avi"),
                    In("alias.wav"), In("s/s1.mid"), In("s/t/t1.jpg")}));
  EXPECT_EQ(entries.first(), QByteArray("before"));
  // A subdirectory's files stand where the subdirectory was met: together.
  const auto first = std::find_if(entries.begin(), entries.end(),
                                  [&](const QByteArray& e) { return e.startsWith(In("s/")); });
  ASSERT_NE(first, entries.end());
  EXPECT_TRUE((first + 1)->startsWith(In("s/")));
}

TEST_F(Directories, ATrailingSlashAddsTheSameEntries) {
  Recurse(true);
  AddDirectory(d);
  const QList<QByteArray> without = p.Entries();
  p.SetEntries({});
  AddDirectory(d + QLatin1Char('/'));
  EXPECT_EQ(p.Entries(), without);
}

TEST_F(Directories, ADirectoryThatCannotBeListedAddsNothingButExtendsTheTitle) {
  Recurse(true);
  M().SetCaption(QStringLiteral("T"));
  const QString missing = files.File(QStringLiteral("missing"));
  AddDirectory(missing);
  AddDirectory(d + QStringLiteral("/b.txt"));
  EXPECT_TRUE(p.Entries().isEmpty());
  EXPECT_TRUE(Errors().isEmpty());
  EXPECT_EQ(Title(), QStringLiteral("T - ") + missing + QStringLiteral(" - ") + d +
                         QStringLiteral("/b.txt"));
}

TEST_F(Directories, AnEmptyDirectoryTextWalksNothing) {
  // Neither the root nor the current directory, which holds media files here.
  CurrentDirectoryGuard keep;
  QDir::setCurrent(d);
  Recurse(false);
  AddDirectory(QString());
  EXPECT_TRUE(p.Entries().isEmpty());
}

TEST_F(Directories, TheDialogStartsAtTheCurrentDirectoryAndKeepsItsPlace) {
  CurrentDirectoryGuard keep;
  QDir::setCurrent(d);
  TestProgram other;
  other.Create();
  TAddDirForm& form = other.AddDir();
  EXPECT_EQ(form.DirectoryListBox1->Directory(), d);

  // Moving in the list moves the process's current directory too.
  form.DirectoryListBox1->SetDirectory(d + QStringLiteral("/s/t/.."));
  EXPECT_EQ(form.DirectoryListBox1->Directory(), d + QStringLiteral("/s"));
  EXPECT_EQ(QDir::currentPath(), d + QStringLiteral("/s"));

  other.dialogs.modalAnswers.push_back([](QDialog& dialog) { return dialog.result(); });
  other.Main().AddDirButtonClick(nullptr);
  EXPECT_EQ(form.DirectoryListBox1->Directory(), d + QStringLiteral("/s"));
  // Its subdirectories are offered, and the drive chooser shows the mount holding it.
  bool offered = false;
  for (int i = 0; i < form.DirectoryListBox1->count(); ++i)
    offered |= form.DirectoryListBox1->item(i)->data(Qt::UserRole).toString() ==
               d + QStringLiteral("/s/t");
  EXPECT_TRUE(offered);
  EXPECT_FALSE(form.DriveComboBox1->Drive().isEmpty());
  EXPECT_TRUE(d.startsWith(form.DriveComboBox1->Drive()));
}

TEST_F(Directories, TheDriveChooserOffersTheMountPointsAndMovesTheDirectoryList) {
  const QString drive = files.MakeDir(QStringLiteral("drive"));
  ScratchMount mounted(drive, "16k");
  CurrentDirectoryGuard keep;  // leaves the mount before it goes
  files.MakeDir(QStringLiteral("drive/inner"));
  TAddDirForm& form = p.AddDir();
  form.DriveComboBox1->Update();
  ASSERT_GE(form.DriveComboBox1->findData(QStringLiteral("/")), 0);

  form.DirectoryListBox1->SetDirectory(d);
  const QString shown = form.DriveComboBox1->Drive();
  EXPECT_TRUE(d.startsWith(shown));
  int other = -1;
  for (int i = 0; i < form.DriveComboBox1->count() && other < 0; ++i)
    if (form.DriveComboBox1->itemData(i).toString() != shown) other = i;
  if (other < 0) GTEST_SKIP() << "only one mount point here";
  form.DriveComboBox1->setCurrentIndex(other);
  const QString chosen = form.DriveComboBox1->itemData(other).toString();
  EXPECT_EQ(form.DirectoryListBox1->Directory(), chosen);
  EXPECT_EQ(QDir::currentPath(), chosen);

  if (!mounted.Mounted()) return;
  // Inside a mount, the list shows the way down from the mount point, not from "/".
  form.DirectoryListBox1->SetDirectory(drive + QStringLiteral("/inner"));
  EXPECT_EQ(form.DriveComboBox1->Drive(), drive);
  EXPECT_EQ(form.DirectoryListBox1->item(0)->data(Qt::UserRole).toString(), drive);
}

TEST_F(Directories, OkInAddModeWalksTheChosenDirectory) {
  CurrentDirectoryGuard keep;
  Recurse(false);
  M().SetCaption(QStringLiteral("Ostrivo 1.0 - Untitled"));
  p.dialogs.modalAnswers.push_back([&](QDialog& dialog) {
    auto& form = dynamic_cast<TAddDirForm&>(dialog);
    form.DirectoryListBox1->SetDirectory(d);
    form.OKButtonClick(form.OKButton);
    return form.result();
  });
  Do(&TMainForm::AddDirButtonClick);
  EXPECT_EQ(p.dialogs.modalTitles, std::vector<QString>{QStringLiteral("Add Directory")});
  EXPECT_EQ(p.Entries().size(), 5);
  EXPECT_EQ(Title(), QStringLiteral("Ostrivo 1.0 - Untitled - ") + d);

  // Cancel changes nothing.
  p.dialogs.modalAnswers.push_back([&](QDialog& dialog) {
    auto& form = dynamic_cast<TAddDirForm&>(dialog);
    form.CancelButtonClick(form.CancelButton);
    return form.result();
  });
  Do(&TMainForm::AddDirButtonClick);
  EXPECT_EQ(p.Entries().size(), 5);
}

TEST_F(Directories, RemoveTakesEveryEntryThatBeginsWithTheDirectoryInAnyCase) {
  CurrentDirectoryGuard keep;
  const QString music = files.MakeDir(QStringLiteral("Music"));
  const QByteArray base = QFile::encodeName(files.Path());
  const QList<QByteArray> entries{
      base + "/Music/a.wav",   "Stop",     base + "/MUSIC/b.mid", base + "/other/Music/a.wav",
      base + "/Musical/c.wav", "Pause: 5", base + "/Music.wav",   base + "/Musi.wav"};
  p.SetEntries(entries);
  p.Main().ListBox1->SetItemIndex(3);
  const QString title = Title();
  p.dialogs.modalAnswers.push_back([&](QDialog& dialog) {
    auto& form = dynamic_cast<TAddDirForm&>(dialog);
    form.DirectoryListBox1->SetDirectory(music);
    form.OKButtonClick(form.OKButton);
    return form.result();
  });
  Do(&TMainForm::RemoveDirButtonClick);
  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"Stop", base + "/other/Music/a.wav", "Pause: 5",
                                            base + "/Musi.wav"}));
  EXPECT_EQ(p.Selected(), 1);  // still on its entry
  EXPECT_EQ(Title(), title);

  // The selected entry removed: nothing selected; no match: nothing changes.
  p.SetEntries(entries);
  p.Main().ListBox1->SetItemIndex(0);
  p.forms->AddDirForm->AddMode = false;
  p.forms->AddDirForm->OKButtonClick(nullptr);
  EXPECT_EQ(p.Selected(), -1);
  const QList<QByteArray> left = p.Entries();
  p.Main().ListBox1->SetItemIndex(2);
  p.forms->AddDirForm->OKButtonClick(nullptr);
  EXPECT_EQ(p.Entries(), left);
  EXPECT_EQ(p.Selected(), 2);
}

TEST_F(Directories, RemoveWithTheRootTakesEveryPathAndKeepsTheMarks) {
  CurrentDirectoryGuard keep;
  p.SetEntries({"/a.wav", "Stop", "/x/y/b.mp3", "Quit", "Pause: 3"});
  p.AddDir().DirectoryListBox1->SetDirectory(QStringLiteral("/"));
  p.AddDir().AddMode = false;
  p.AddDir().OKButtonClick(nullptr);
  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"Stop", "Quit", "Pause: 3"}));

  p.SetEntries({});
  p.AddDir().OKButtonClick(nullptr);
  EXPECT_TRUE(p.Entries().isEmpty());
}

TEST_F(Directories, AnAncestorMountedBelowItselfIsWalkedOnce) {
  // A bind mount makes d/s/again show d itself: a loop without any link.
  const QString again = files.MakeDir(QStringLiteral("d/s/again"));
  const QByteArray target = QFile::encodeName(again);
  if (mount(QFile::encodeName(d).constData(), target.constData(), nullptr, MS_BIND, nullptr) != 0)
    GTEST_SKIP() << "cannot bind-mount here";
  Recurse(true);
  AddDirectory(d);
  umount(target.constData());
  EXPECT_EQ(p.Entries().size(), 7);
}

// Limits the descriptors this process may hold, for the lifetime of the object.
class DescriptorLimit {
 public:
  explicit DescriptorLimit(rlim_t count) {
    getrlimit(RLIMIT_NOFILE, &saved_);
    rlimit limit = saved_;
    limit.rlim_cur = count;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
  ~DescriptorLimit() { setrlimit(RLIMIT_NOFILE, &saved_); }

 private:
  rlimit saved_{};
};

// A tree far deeper than the descriptors the process may hold is walked whole, in order: the
// walk holds one directory open at a time.
TEST_F(Directories, ATwoThousandLevelTreeIsWalkedWholeWithinTwoHundredFiftySixDescriptors) {
  constexpr int kDepth = 2000;
  const QByteArray top = QFile::encodeName(files.MakeDir(QStringLiteral("deep")));
  std::vector<QByteArray> expected;
  QByteArray prefix = top + '/';
  int fd = ::open(top.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  for (int level = 0; level < kDepth; ++level) {
    // Every level holds a file, named after its depth, beside the next level's folder.
    const QByteArray name = QByteArray::number(level) + ".wav";
    const int file = ::openat(fd, name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(file, 0);
    ::close(file);
    ASSERT_EQ(::mkdirat(fd, "d", 0700), 0);
    const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    ASSERT_GE(next, 0);
    fd = next;
    expected.push_back(prefix + name);
    prefix += "d/";
  }
  ::close(fd);

  std::vector<QByteArray> found;
  {
    DescriptorLimit limit(256);
    WalkDirectory(top, true, found);
  }
  // Within a level the file system's order decides whether the file or the deeper levels
  // come first: compare by depth (a deeper entry is a longer one).
  ASSERT_EQ(found.size(), expected.size());
  std::sort(found.begin(), found.end(), [](const QByteArray& a, const QByteArray& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  EXPECT_EQ(found, expected);
}

}  // namespace
}  // namespace ostrivo::test
