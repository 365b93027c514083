// New, Open and Save: the file format byte for byte, the title, and what a failure leaves.

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>

#include "playlist/PlayListFixture.h"
#include "support/NonRegularFiles.h"

namespace ostrivo::test {
namespace {

using Files = PlayList;

const QString kUntitled = QStringLiteral("Ostrivo 1.0 - Untitled");

TEST_F(Files, SaveAfterNewAsksOnceAndWritesEveryEntryWithCrLf) {
  Do(&TMainForm::NewButtonClick);
  p.SetEntries({"/m/a.wav", "Pause: 5", "Stop"});
  const QString path = files.File(QStringLiteral("list"));  // no extension is added
  p.dialogs.saveAnswers.push_back(path);
  Do(&TMainForm::SaveButtonClick);

  ASSERT_EQ(p.dialogs.saveRequests.size(), 1u);
  EXPECT_EQ(p.dialogs.saveRequests[0].Filter,
            QStringLiteral("Ostrivo Play Lists|*.osp|All files|*.*"));
  EXPECT_EQ(p.dialogs.saveRequests[0].FilterIndex, 1);
  const QByteArray bytes = ReadAll(path);
  EXPECT_EQ(bytes, QByteArray("/m/a.wav\r\nPause: 5\r\nStop\r\n"));
  EXPECT_EQ(bytes.size(), 26);
  EXPECT_FALSE(QFile::exists(path + QStringLiteral(".osp")));
  EXPECT_EQ(M().PlayListFile, path);
  EXPECT_EQ(Title(), QStringLiteral("Ostrivo 1.0 - ") + path);

  // The second Save writes to the same file without asking, and leaves the title alone.
  p.Main().ListBox1->Items().Add("Quit");
  M().SetCaption(QStringLiteral("changed"));
  Do(&TMainForm::SaveButtonClick);
  EXPECT_EQ(p.dialogs.saveRequests.size(), 1u);
  EXPECT_EQ(ReadAll(path), QByteArray("/m/a.wav\r\nPause: 5\r\nStop\r\nQuit\r\n"));
  EXPECT_EQ(Title(), QStringLiteral("changed"));
  EXPECT_TRUE(Errors().isEmpty());
}

TEST_F(Files, CancelledSaveChangesNothing) {
  p.SetEntries({"a"});
  const QString before = Title();
  Do(&TMainForm::SaveButtonClick);
  EXPECT_EQ(p.dialogs.saveRequests.size(), 1u);
  EXPECT_TRUE(M().PlayListFile.isEmpty());
  EXPECT_EQ(Title(), before);
  EXPECT_TRUE(QDir(files.Path()).isEmpty());
}

TEST_F(Files, EmptyListSavesZeroBytesAndReadsBackEmpty) {
  const QString path = files.Write(QStringLiteral("old.osp"), "old\r\n");
  M().PlayListFile = path;
  Do(&TMainForm::SaveButtonClick);
  EXPECT_TRUE(QFileInfo::exists(path));
  EXPECT_EQ(QFileInfo(path).size(), 0);

  p.SetEntries({"x"});
  p.dialogs.openAnswers.push_back({path});
  Do(&TMainForm::OpenButtonClick);
  EXPECT_TRUE(p.Entries().isEmpty());
  EXPECT_TRUE(Errors().isEmpty());
}

struct ReadCase {
  const char* name;
  QByteArray bytes;
  QList<QByteArray> entries;
};

TEST_F(Files, ReadingSplitsAtEveryKindOfLineEndAndStopsAtNul) {
  const ReadCase cases[] = {
      {"crlf", "a\r\nb\r\n", {"a", "b"}},
      {"lf only", "a\nb\n", {"a", "b"}},
      {"cr only", "a\rb\r", {"a", "b"}},
      {"no final line end", "a\r\nb", {"a", "b"}},
      {"lf cr is two line ends", "a\n\rb", {"a", "", "b"}},
      {"blank line", "a\r\n\r\nb\r\n", {"a", "", "b"}},
      {"only a line end", "\r\n", {""}},
      {"two empty lines", "\n\n", {"", ""}},
      {"nul in the middle", QByteArray("a\r\nb\0c\r\nd\r\n", 11), {"a", "b"}},
      {"nul first", QByteArray("\0a\r\n", 4), {}},
      {"empty file", "", {}},
      {"spaces and tabs kept", " a \t\r\n", {" a \t"}},
  };
  for (const ReadCase& c : cases) {
    const QString path = files.Write(QString::fromLatin1(c.name), c.bytes);
    p.SetEntries({"before"});
    p.forms->Application.Guard([&] { M().ReadPlayList(path); });
    EXPECT_EQ(p.Entries(), c.entries) << c.name;
  }
  EXPECT_TRUE(Errors().isEmpty());
}

TEST_F(Files, OpenReplacesTheListAndNamesTheFile) {
  const QString first = files.Write(QStringLiteral("one.osp"), "/m/a.wav\r\nStop\r\n");
  const QString second = files.Write(QStringLiteral("two.osp"), "ignored\r\n");
  p.SetEntries({"x", "y", "z"});
  p.Main().ListBox1->SetItemIndex(1);
  p.dialogs.openAnswers.push_back({first, second});
  Do(&TMainForm::OpenButtonClick);

  ASSERT_EQ(p.dialogs.openRequests.size(), 1u);
  EXPECT_EQ(p.dialogs.openRequests[0].FilterIndex, 1);
  EXPECT_TRUE(p.dialogs.openRequests[0].MultiSelect);
  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"/m/a.wav", "Stop"}));
  EXPECT_EQ(p.Selected(), -1);
  EXPECT_EQ(M().PlayListFile, first);
  EXPECT_EQ(Title(), QStringLiteral("Ostrivo 1.0 - ") + first);

  // A later Save goes to the opened file, whatever file was current before.
  p.Main().ListBox1->Items().Add("Quit");
  Do(&TMainForm::SaveButtonClick);
  EXPECT_TRUE(p.dialogs.saveRequests.empty());
  EXPECT_EQ(ReadAll(first), QByteArray("/m/a.wav\r\nStop\r\nQuit\r\n"));
}

TEST_F(Files, CancelledOpenChangesNothing) {
  p.SetEntries({"x"});
  M().PlayListFile = QStringLiteral("/some/file.osp");
  M().SetCaption(QStringLiteral("title"));
  Do(&TMainForm::OpenButtonClick);
  EXPECT_EQ(p.Entries(), QList<QByteArray>{"x"});
  EXPECT_EQ(M().PlayListFile, QStringLiteral("/some/file.osp"));
  EXPECT_EQ(Title(), QStringLiteral("title"));
}

TEST_F(Files, OpenOfAFileThatCannotBeReadLeavesListFileAndTitle) {
  const QString earlier = files.Write(QStringLiteral("earlier.osp"), "kept\r\n");
  p.dialogs.openAnswers.push_back({earlier});
  Do(&TMainForm::OpenButtonClick);
  p.Main().ListBox1->Items().Add("unsaved work");
  p.Main().ListBox1->SetItemIndex(1);

  for (const QString& bad : {files.File(QStringLiteral("missing.osp")), files.Path()}) {
    p.dialogs.messages.clear();
    p.dialogs.openAnswers.push_back({bad});
    Do(&TMainForm::OpenButtonClick);
    EXPECT_EQ(Errors(), QStringList{Shown(QStringLiteral("Cannot open file ") + bad)});
    EXPECT_EQ(p.Entries(), (QList<QByteArray>{"kept", "unsaved work"}));
    EXPECT_EQ(p.Selected(), 1);
    EXPECT_EQ(M().PlayListFile, earlier);
    EXPECT_EQ(Title(), QStringLiteral("Ostrivo 1.0 - ") + earlier);
  }

  // A pipe nobody writes to would hold the open for ever: it is refused at once.
  Deadline deadline(60);
  const QString pipe = files.File(QStringLiteral("pipe.osp"));
  ASSERT_TRUE(MakeFifo(pipe));
  p.dialogs.messages.clear();
  p.dialogs.openAnswers.push_back({pipe});
  Do(&TMainForm::OpenButtonClick);
  EXPECT_EQ(Errors(), QStringList{Shown("Cannot open file " + pipe + ": not a regular file")});
  EXPECT_EQ(M().PlayListFile, earlier);
}

TEST_F(Files, BytesThatAreNotUtf8SurviveOpenAndSave) {
  const QByteArray odd("\xff\xfe/caf\xe9.wav\n\x80\x81\n/\xc3\x28.mp3", 22);
  const QString path = files.Write(QStringLiteral("odd.osp"), odd);
  p.dialogs.openAnswers.push_back({path});
  Do(&TMainForm::OpenButtonClick);
  ASSERT_EQ(p.Entries().size(), 3);
  EXPECT_EQ(p.Entries()[0], QByteArray("\xff\xfe/caf\xe9.wav"));
  Do(&TMainForm::SaveButtonClick);
  EXPECT_EQ(ReadAll(path), QByteArray("\xff\xfe/caf\xe9.wav\r\n\x80\x81\r\n/\xc3\x28.mp3\r\n"));
  EXPECT_TRUE(Errors().isEmpty());
}

TEST_F(Files, NewEmptiesTheListAndForgetsTheFile) {
  p.SetEntries({"a", "b"});
  M().PlayListFile = QStringLiteral("/x.osp");
  Do(&TMainForm::NewButtonClick);
  EXPECT_TRUE(p.Entries().isEmpty());
  EXPECT_TRUE(M().PlayListFile.isEmpty());
  EXPECT_EQ(Title(), kUntitled);
}

// ---- Save failures: the old file stays exactly as it was ----

TEST_F(Files, SaveIntoAMissingFolderReportsCannotCreateAndKeepsTheName) {
  p.SetEntries({"a"});
  const QString before = Title();
  const QString path = files.File(QStringLiteral("no/such/folder/list.osp"));
  p.dialogs.saveAnswers.push_back(path);
  Do(&TMainForm::SaveButtonClick);
  EXPECT_EQ(Errors(), QStringList{Shown(QStringLiteral("Cannot create file ") + path)});
  EXPECT_EQ(M().PlayListFile, path);
  EXPECT_EQ(Title(), before);

  // The next Save tries the same file again without a dialog.
  Do(&TMainForm::SaveButtonClick);
  EXPECT_EQ(p.dialogs.saveRequests.size(), 1u);
  EXPECT_EQ(Errors().size(), 2);
}

std::vector<QByteArray> ManyEntries(int count) {
  std::vector<QByteArray> entries;
  for (int i = 0; i < count; ++i)
    entries.push_back(QByteArray("/music/some album/track ") + QByteArray::number(i) + ".wav");
  return entries;
}

TEST_F(Files, AWriteThatFailsHalfwayLeavesTheOldFileWhole) {
  const QByteArray old = "/old/a.wav\r\n/old/b.wav\r\n";
  const QString path = files.Write(QStringLiteral("list.osp"), old);
  M().PlayListFile = path;
  p.Main().ListBox1->Items().Assign(ManyEntries(5000));  // about 170 KB
  {
    FileSizeLimit limit(64 * 1024);
    Do(&TMainForm::SaveButtonClick);
  }
  EXPECT_EQ(Errors(), QStringList{Shown(QStringLiteral("Stream write error"))});
  EXPECT_EQ(ReadAll(path), old);
  EXPECT_EQ(QDir(files.Path()).entryList(QDir::Files | QDir::Hidden), QStringList{"list.osp"});
}

TEST_F(Files, SaveKeepsTheFilesPermissionsAndWritesThroughALink) {
  const QString target = files.Write(QStringLiteral("real.osp"), "old\r\n");
  ASSERT_TRUE(
      QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
  const QString link = files.File(QStringLiteral("link.osp"));
  ASSERT_TRUE(QFile::link(target, link));
  p.SetEntries({"new"});
  M().PlayListFile = link;
  Do(&TMainForm::SaveButtonClick);
  EXPECT_TRUE(Errors().isEmpty());
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(ReadAll(target), QByteArray("new\r\n"));
  struct stat st {};
  ASSERT_EQ(stat(QFile::encodeName(target).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// A folder this process cannot create files in: taken away from the user's write permission,
// or, for root (whom permissions do not stop), mounted read-only over itself.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const QString& path) : path_(QFile::encodeName(path)) {
    if (geteuid() != 0) {
      chmodded_ = QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
    } else if (mount(path_.constData(), path_.constData(), nullptr, MS_BIND, nullptr) == 0) {
      mounted_ = true;
      mount(nullptr, path_.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr);
    }
  }
  ~ReadOnlyFolder() {
    if (chmodded_)
      QFile::setPermissions(QFile::decodeName(path_),
                            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (mounted_) umount(path_.constData());
  }
  bool Ready() const { return (chmodded_ || mounted_) && access(path_.constData(), W_OK) != 0; }

 private:
  QByteArray path_;
  bool chmodded_ = false;
  bool mounted_ = false;
};

TEST_F(Files, SaveIntoAFolderThatCannotBeWrittenLeavesTheOldFile) {
  const QString folder = files.MakeDir(QStringLiteral("locked"));
  const QByteArray old = "old\r\n";
  const QString path = files.Write(QStringLiteral("locked/list.osp"), old);
  ReadOnlyFolder locked(folder);
  if (!locked.Ready()) GTEST_SKIP() << "cannot make a folder read-only here";
  p.SetEntries({"new"});
  M().PlayListFile = path;
  Do(&TMainForm::SaveButtonClick);
  EXPECT_EQ(Errors(), QStringList{Shown(QStringLiteral("Cannot create file ") + path)});
  EXPECT_EQ(ReadAll(path), old);
}

TEST_F(Files, SaveOnAFullDiskReportsAWriteErrorAndLeavesTheOldFile) {
  const QString folder = files.MakeDir(QStringLiteral("small"));
  ScratchMount disk(folder, "64k");
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a file system here";
  const QString path = folder + QStringLiteral("/list.osp");
  const QByteArray old = "/old/a.wav\r\n";
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(old);
  }
  M().PlayListFile = path;
  p.Main().ListBox1->Items().Assign(ManyEntries(5000));
  Do(&TMainForm::SaveButtonClick);
  EXPECT_EQ(Errors(), QStringList{Shown(QStringLiteral("Stream write error"))});
  EXPECT_EQ(ReadAll(path), old);
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"list.osp"});
}

// A list short enough to fit in a write buffer: the failure shows only when the last piece is
// flushed, and must be reported all the same.
TEST_F(Files, SavingAOneEntryListOnAFullDiskReportsAWriteErrorAndLeavesTheOldFile) {
  const QString folder = files.MakeDir(QStringLiteral("full"));
  ScratchMount disk(folder, "64k");
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a file system here";
  const QString path = folder + QStringLiteral("/list.osp");
  const QByteArray old = "/old/a.wav\r\nPause: 3\r\n";
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(old), old.size());
  }
  ASSERT_TRUE(disk.Fill());
  M().PlayListFile = path;
  p.SetEntries({"/new/b.wav"});
  Do(&TMainForm::SaveButtonClick);
  EXPECT_EQ(Errors(), QStringList{Shown(QStringLiteral("Stream write error"))});
  EXPECT_EQ(ReadAll(path), old);
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
            (QStringList{"filler", "list.osp"}));

  // Once there is room again the same Save goes through.
  ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/filler")));
  Do(&TMainForm::SaveButtonClick);
  EXPECT_EQ(Errors().size(), 1);
  EXPECT_EQ(ReadAll(path), QByteArray("/new/b.wav\r\n"));
}

}  // namespace
}  // namespace ostrivo::test
