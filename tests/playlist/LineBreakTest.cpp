// A name that holds a line feed or carriage return never becomes an entry: the walk passes it
// over, Add refuses it with a message naming it, and a saved list reads back as it was.
#include <QCheckBox>
#include <QFile>
#include <algorithm>

#include "playlist/EntryLines.h"
#include "playlist/PlayListFixture.h"
#include "settings/OptionsUnit.h"

namespace ostrivo::test {
namespace {

class LineBreaks : public PlayList {
 protected:
  QList<QByteArray> Sorted(QList<QByteArray> entries) {
    std::sort(entries.begin(), entries.end());
    return entries;
  }
  // Saves the list and reads it back.
  QList<QByteArray> SavedAndReopened() {
    const QString list = files.File(QStringLiteral("saved.osp"));
    p.forms->Application.Guard([&] {
      M().WritePlayList(list);
      M().ReadPlayList(list);
    });
    return p.Entries();
  }
};

TEST_F(LineBreaks, TheWalkPassesOverNamesWithALineBreakAndTheListSurvivesASave) {
  const QString d = files.MakeDir(QStringLiteral("d"));
  for (const char* name : {"d/a.wav", "d/b\nc.wav", "d/e\rf.mp3", "d/g\r\n.jpg", "d/h.wav\n",
                           "d/in\nside/x.wav", "d/sub/y.mid", "d/sub/z\n.bmp"})
    files.Write(QString::fromLatin1(name), "x");
  const QByteArray dir = QFile::encodeName(d);
  p.Options().RecurseBox->setChecked(true);
  p.forms->Application.Guard([&] { M().AddDirectory(d); });
  const QList<QByteArray> expected{dir + "/a.wav", dir + "/sub/y.mid"};
  EXPECT_EQ(Sorted(p.Entries()), expected);
  EXPECT_TRUE(Errors().empty());  // passed over without a word, like a dot-name
  EXPECT_EQ(Sorted(SavedAndReopened()), expected);

  // A directory text that holds a break adds nothing from below it.
  p.SetEntries({});
  p.forms->Application.Guard([&] { M().AddDirectory(d + QStringLiteral("/in\nside")); });
  EXPECT_TRUE(p.Entries().isEmpty());
}

TEST_F(LineBreaks, AddRefusesSuchPathsByNameAndAddsTheOthers) {
  p.SetEntries({"first"});
  p.dialogs.openAnswers.push_back({QStringLiteral("/m/a.wav"), QStringLiteral("/m/b\nc.wav"),
                                   QStringLiteral("/m/d.mid"), QStringLiteral("/m/e\r.jpg")});
  Do(&TMainForm::AddButtonClick);
  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"first", "/m/a.wav", "/m/d.mid"}));
  EXPECT_EQ(Errors(),
            QStringList{Shown(QStringLiteral(
                "\"/m/b\u240Ac.wav\" holds a line break and cannot be a play-list entry\r"
                "\"/m/e\u240D.jpg\" holds a line break and cannot be a play-list entry"))});
  EXPECT_EQ(SavedAndReopened(), (QList<QByteArray>{"first", "/m/a.wav", "/m/d.mid"}));
}

TEST(EntryLines, OnlyLineFeedAndCarriageReturnCount) {
  EXPECT_FALSE(HoldsLineBreak(QByteArray("/m/tab\tand space .wav")));
  EXPECT_FALSE(HoldsLineBreak(QByteArray("")));
  EXPECT_TRUE(HoldsLineBreak(QByteArray("\n")));
  EXPECT_TRUE(HoldsLineBreak(QByteArray("x\r")));
  // Within the given length only.
  EXPECT_FALSE(HoldsLineBreak("ab\ncd", 2));
  EXPECT_NO_THROW(RefuseLineBreaks({}));
}

}  // namespace
}  // namespace ostrivo::test
