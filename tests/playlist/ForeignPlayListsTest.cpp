// Other players' lists through Open and "/open": M3U, M3U8 and PLS by their name's ending, and
// every other name read as the program's own format.

#include <fcntl.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include "playlist/ForeignPlayLists.h"
#include "playlist/PlayListFixture.h"

namespace ostrivo::test {
namespace {

using Foreign = PlayList;

QByteArray Name(const QString& path) {
  return QFile::encodeName(path);
}

TEST_F(Foreign, M3uSkipsCommentsAndJoinsRelativePathsToTheListsFolder) {
  const QByteArray folder = Name(files.MakeDir(QStringLiteral("lists")));
  // Upper-case ending, a byte-order mark, CR LF and LF lines, an empty line.
  const QString path = files.Write(QStringLiteral("lists/Mix.M3U"),
                                   "\xEF\xBB\xBF#EXTM3U\r\n"
                                   "#EXTINF:123,Artist - Title\r\n"
                                   "a.mp3\r\n"
                                   "\r\n"
                                   "#EXTINF:-1,Stream\n"
                                   "http://radio.example/stream.mp3\n"
                                   "sub/b.ogg\n"
                                   "./c.wav\n"
                                   "../up.wav\n"
                                   "/abs/d.flac\n"
                                   "file:///abs/with%20space.wav\n"
                                   "Stop");
  M().SetCaption(QStringLiteral("before"));
  p.dialogs.openAnswers.push_back({path});
  Do(&TMainForm::OpenButtonClick);

  EXPECT_EQ(p.Entries(),
            (QList<QByteArray>{folder + "/a.mp3", "http://radio.example/stream.mp3",
                               folder + "/sub/b.ogg", folder + "/c.wav", folder + "/../up.wav",
                               "/abs/d.flac", "/abs/with space.wav", folder + "/Stop"}));
  EXPECT_EQ(M().PlayListFile, path);
  EXPECT_EQ(Title(), QStringLiteral("Ostrivo 1.0 - ") + path);
  EXPECT_TRUE(Errors().isEmpty());
}

TEST_F(Foreign, M3u8NamesOpenTheFilesOfThoseNames) {
  const QString music = files.MakeDir(QStringLiteral("Müsik"));
  const QString utf8Name = music + QStringLiteral("/Ωmega – café.flac");
  files.Write(QStringLiteral("Müsik/Ωmega – café.flac"), "x");
  files.Write(QStringLiteral("Ärger.wav"), "x");
  // A name in another encoding (Latin-1 "é") is a name all the same: kept byte for byte.
  const QByteArray latin1Name = Name(files.Path()) + "/caf\xE9.wav";
  const int fd = ::open(latin1Name.constData(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  ::close(fd);

  const QString path =
      files.Write(QStringLiteral("list.m3u8"),
                  "#EXTM3U\n"
                  "#EXTINF:10,Ωmega\n"
                  "Müsik/Ωmega – café.flac\n" +
                      QByteArray("file://") + Name(files.Path()).toPercentEncoding("/") +
                      "/%C3%84rger.wav\n"
                      "caf\xE9.wav\n");
  p.dialogs.openAnswers.push_back({path});
  Do(&TMainForm::OpenButtonClick);

  const QList<QByteArray> entries = p.Entries();
  ASSERT_EQ(entries.size(), 3);
  EXPECT_EQ(entries[0], Name(utf8Name));
  EXPECT_EQ(entries[1], Name(files.File(QStringLiteral("Ärger.wav"))));
  EXPECT_EQ(entries[2], latin1Name);
  // Each entry names a file that is there: the bytes are the file system's own.
  for (const QByteArray& e : entries) EXPECT_EQ(::access(e.constData(), F_OK), 0) << e.data();
  // Shown as the letters they are.
  EXPECT_EQ(M().ListBox1->model()->index(0, 0).data().toString(), utf8Name);
  // The temporary folder's clean-up cannot name it.
  ::unlink(latin1Name.constData());
}

TEST_F(Foreign, PlsTakesFileKeysInNumberOrderAndMakesFileUrisLocal) {
  const QByteArray folder = Name(files.Path());
  const QString path = files.Write(QStringLiteral("radio.PLS"),
                                   "[playlist]\r\n"
                                   "NumberOfEntries=5\r\n"
                                   "File10=ten.mp3\r\n"
                                   "Title10=Ten\r\n"
                                   "File3=file://localhost/m/three%23.wav\r\n"
                                   "file1=/m/one.wav\r\n"
                                   "Length1=-1\r\n"
                                   "File2=file:///m/two%C3%A9.wav\r\n"
                                   "File02=file:///m/two-again.wav\r\n"
                                   "File4=file://elsewhere.example/m/four.wav\r\n"
                                   "File5=\r\n"
                                   "FileX=/m/not-a-number.wav\r\n"
                                   "Version=2\r\n");
  p.dialogs.openAnswers.push_back({path});
  Do(&TMainForm::OpenButtonClick);

  // File02 is File2 given again: the later value counts. A file on another host stays a URI.
  EXPECT_EQ(p.Entries(),
            (QList<QByteArray>{"/m/one.wav", "/m/two-again.wav", "/m/three#.wav",
                               "file://elsewhere.example/m/four.wav", folder + "/ten.mp3"}));
  EXPECT_EQ(M().PlayListFile, path);
}

TEST_F(Foreign, EveryOtherNameIsReadAsTheProgramsOwnListLineForLine) {
  const QByteArray content = "#EXTM3U\r\n#not a comment\r\n\r\nrelative.wav\r\n[playlist]\r\n";
  const QList<QByteArray> lines{"#EXTM3U", "#not a comment", "", "relative.wav", "[playlist]"};
  for (const char* name : {"list.osp", "list.m3u.txt", "list", "list.m3u8~"}) {
    const QString path = files.Write(QString::fromLatin1(name), content);
    p.dialogs.openAnswers.push_back({path});
    Do(&TMainForm::OpenButtonClick);
    EXPECT_EQ(p.Entries(), lines) << name;
  }
  EXPECT_TRUE(Errors().isEmpty());
}

TEST_F(Foreign, AForeignListThatCannotBeReadFailsLikeAnyOther) {
  p.SetEntries({"x"});
  const QString missing = files.File(QStringLiteral("gone.m3u"));
  p.dialogs.openAnswers.push_back({missing});
  Do(&TMainForm::OpenButtonClick);
  EXPECT_EQ(Errors(), QStringList{Shown(QStringLiteral("Cannot open file ") + missing)});
  EXPECT_TRUE(M().PlayListFile.isEmpty());
}

TEST_F(Foreign, SaveWritesTheOwnFormatAndAsksRatherThanOverwriteAnotherPlayersList) {
  const QByteArray pls = "[playlist]\nFile1=/m/a.wav\nFile2=/m/b.wav\n";
  const QString path = files.Write(QStringLiteral("radio.pls"), pls);
  p.dialogs.openAnswers.push_back({path});
  Do(&TMainForm::OpenButtonClick);
  M().ListBox1->Items().Add("Stop");

  const QString saved = files.File(QStringLiteral("radio.osp"));
  p.dialogs.saveAnswers.push_back(saved);
  Do(&TMainForm::SaveButtonClick);
  ASSERT_EQ(p.dialogs.saveRequests.size(), 1u);
  EXPECT_EQ(p.dialogs.saveRequests[0].FilterIndex, 1);
  EXPECT_EQ(ReadAll(path), pls);
  EXPECT_EQ(ReadAll(saved), QByteArray("/m/a.wav\r\n/m/b.wav\r\nStop\r\n"));
  EXPECT_EQ(M().PlayListFile, saved);
  EXPECT_EQ(Title(), QStringLiteral("Ostrivo 1.0 - ") + saved);
  // From now on Save writes there without asking.
  Do(&TMainForm::SaveButtonClick);
  EXPECT_EQ(p.dialogs.saveRequests.size(), 1u);
}

TEST(ForeignStartup, TheOpenSwitchReadsAnM3uToo) {
  TempDir files;
  const QString path = files.Write(QStringLiteral("l.m3u"), "#EXTM3U\n#EXTINF:1,x\na.wav\n");
  TestProgram p({QStringLiteral("/open"), path});
  p.Create();
  p.Start();
  EXPECT_EQ(p.Entries(), QList<QByteArray>{Name(files.Path()) + "/a.wav"});
  EXPECT_EQ(p.Main().PlayListFile, path);
}

struct UriCase {
  const char* uri;
  std::optional<QByteArray> path;
};

TEST(FileUris, OnlyFileUrisOfThisMachineBecomeTheirPathsBytes) {
  const QByteArray host = QSysInfo::machineHostName().toLatin1();
  const UriCase cases[] = {
      {"file:///a%20b/c.wav", QByteArray("/a b/c.wav")},
      {"FILE:///x.wav", QByteArray("/x.wav")},
      {"file://localhost/x.wav", QByteArray("/x.wav")},
      {"file://LOCALHOST/x.wav", QByteArray("/x.wav")},
      {"file:/x.wav", QByteArray("/x.wav")},
      {"file:///caf%E9.wav", QByteArray("/caf\xE9.wav")},
      {"file:///a%23b.wav#fragment", QByteArray("/a#b.wav")},
      {"file:///q.wav?query", QByteArray("/q.wav")},
      {"file://elsewhere/x.wav", std::nullopt},
      {"file://localhost", std::nullopt},
      {"file:relative.wav", std::nullopt},
      {"file:///nul%00byte", std::nullopt},
      {"http://localhost/x.wav", std::nullopt},
      {"/plain/path.wav", std::nullopt},
      {"", std::nullopt},
  };
  for (const UriCase& c : cases) EXPECT_EQ(LocalPathOfFileUri(c.uri), c.path) << c.uri;
  if (!host.isEmpty() && host != "localhost") {
    EXPECT_EQ(LocalPathOfFileUri("file://" + host + "/x.wav"), QByteArray("/x.wav"));
  }
}

}  // namespace
}  // namespace ostrivo::test
