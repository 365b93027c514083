// Files, folders and play lists dropped on the play list and on the main window, through the
// drag-and-drop events a file manager's drag produces.

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>

#include "playlist/PlayListFixture.h"
#include "settings/OptionsUnit.h"

namespace ostrivo::test {
namespace {

class Dropping : public PlayList {
 protected:
  void SetUp() override {
    PlayList::SetUp();
    M().show();
  }

  // Drags the data over the widget (entering, moving) and drops it there; the drop is acted on
  // once it has been answered. Returns whether the widget took the drag.
  bool Drop(QWidget* target, const QMimeData& data, const std::function<void()>& whileOver = {}) {
    const QPointF at(5, 5);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    const bool taken = enter.isAccepted() && move.isAccepted();
    if (whileOver) whileOver();
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    QCoreApplication::sendPostedEvents();
    return taken && drop.isAccepted();
  }
  bool Drop(QWidget* target, const QList<QUrl>& urls, const std::function<void()>& whileOver = {}) {
    QMimeData data;
    data.setUrls(urls);
    return Drop(target, data, whileOver);
  }
  QWidget* List() { return M().ListBox1->viewport(); }
  static QUrl Url(const QString& path) { return QUrl::fromLocalFile(path); }
};

TEST_F(Dropping, DroppedFilesAreAppendedInOrderAndTheSelectionStays) {
  p.SetEntries({"/m/x.wav", "Stop"});
  M().ListBox1->SetItemIndex(0);
  const QString a = files.Write(QStringLiteral("a.wav"), "x");
  const QString b = files.Write(QStringLiteral("b c.txt"), "x");  // Add takes any file
  const QString missing = files.File(QStringLiteral("not there.mp3"));

  QRect line;
  QColor drawn;
  EXPECT_TRUE(Drop(List(), {Url(b), Url(a), Url(missing)}, [&] {
    line = M().ListBox1->DropIndicatorRect();
    const QImage shot = M().ListBox1->viewport()->grab().toImage();
    if (!line.isEmpty()) drawn = shot.pixelColor(line.center());
  }));

  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"/m/x.wav", "Stop", QFile::encodeName(b),
                                            QFile::encodeName(a), QFile::encodeName(missing)}));
  EXPECT_EQ(p.Selected(), 0);
  EXPECT_TRUE(Errors().isEmpty());
  // While the drag was over the list a line stood below its last entry, where the files went.
  const QRect last = M().ListBox1->visualRect(M().ListBox1->model()->index(1, 0));
  EXPECT_EQ(line.top(), last.bottom() + 1);
  EXPECT_EQ(drawn, M().ListBox1->palette().color(QPalette::Text));
  EXPECT_TRUE(M().ListBox1->DropIndicatorRect().isEmpty());
}

TEST_F(Dropping, ADroppedFolderIsWalkedAsAddDirectoryWalksIt) {
  const QString d = files.MakeDir(QStringLiteral("music"));
  files.Write(QStringLiteral("music/a.WAV"), "x");
  files.Write(QStringLiteral("music/notes.txt"), "x");
  files.Write(QStringLiteral("music/sub/b.mp3"), "x");
  M().SetCaption(QStringLiteral("Ostrivo 1.0 - Untitled"));

  p.Options().RecurseBox->setChecked(false);
  // File managers often end a folder's URI with a slash.
  EXPECT_TRUE(Drop(List(), {QUrl::fromLocalFile(d + QStringLiteral("/"))}));
  EXPECT_EQ(p.Entries(), QList<QByteArray>{QFile::encodeName(d + QStringLiteral("/a.WAV"))});
  EXPECT_EQ(Title(), QStringLiteral("Ostrivo 1.0 - Untitled - ") + d);

  p.SetEntries({});
  p.Options().RecurseBox->setChecked(true);
  EXPECT_TRUE(Drop(List(), {Url(d)}));
  QList<QByteArray> entries = p.Entries();
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (QList<QByteArray>{QFile::encodeName(d + QStringLiteral("/a.WAV")),
                                        QFile::encodeName(d + QStringLiteral("/sub/b.mp3"))}));
  EXPECT_EQ(Title(), QStringLiteral("Ostrivo 1.0 - Untitled - ") + d + QStringLiteral(" - ") + d);
}

TEST_F(Dropping, ADroppedPlayListIsOpenedAsOpenOpensIt) {
  p.SetEntries({"old"});
  const QString osp = files.Write(QStringLiteral("list.OSP"), "#kept\r\nPause: 2\r\n");
  EXPECT_TRUE(Drop(List(), {Url(osp)}));
  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"#kept", "Pause: 2"}));
  EXPECT_EQ(M().PlayListFile, osp);
  EXPECT_EQ(Title(), QStringLiteral("Ostrivo 1.0 - ") + osp);

  // Onto any part of the window, not only the list; the list shows where the entries go.
  const QString m3u = files.Write(QStringLiteral("other.m3u"), "#EXTM3U\none.wav\n");
  bool shown = false;
  EXPECT_TRUE(
      Drop(&M(), {Url(m3u)}, [&] { shown = !M().ListBox1->DropIndicatorRect().isEmpty(); }));
  EXPECT_TRUE(shown);
  EXPECT_EQ(p.Entries(), QList<QByteArray>{QFile::encodeName(files.Path()) + "/one.wav"});
  EXPECT_EQ(M().PlayListFile, m3u);
  EXPECT_TRUE(M().ListBox1->DropIndicatorRect().isEmpty());
}

TEST_F(Dropping, ItemsActInTheOrderDropped) {
  const QString list = files.Write(QStringLiteral("l.pls"), "[playlist]\nFile1=/m/p.wav\n");
  const QString a = files.Write(QStringLiteral("a.mid"), "x");
  const QString b = files.Write(QStringLiteral("b.mid"), "x");
  p.SetEntries({"old"});
  // The list replaces what came before it; what follows is added to it.
  EXPECT_TRUE(Drop(List(), {Url(a), Url(list), Url(b)}));
  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"/m/p.wav", QFile::encodeName(b)}));
  EXPECT_EQ(M().PlayListFile, list);
}

TEST_F(Dropping, UrisThatAreNotLocalFilesAreRefusedWithOneMessage) {
  const QString a = files.Write(QStringLiteral("a.wav"), "x");
  EXPECT_TRUE(Drop(List(), {QUrl(QStringLiteral("https://example.org/song.mp3")), Url(a),
                            QUrl(QStringLiteral("file://elsewhere.example/share/b.wav"))}));
  // The local file is added all the same.
  EXPECT_EQ(p.Entries(), QList<QByteArray>{QFile::encodeName(a)});
  EXPECT_EQ(
      Errors(),
      QStringList{Shown(QStringLiteral("Only local files can be dropped on the play list; not "
                                       "added: https://example.org/song.mp3, "
                                       "file://elsewhere.example/share/b.wav"))});
}

TEST_F(Dropping, DragsWithoutUrisAreNotTaken) {
  p.SetEntries({"x"});
  QMimeData text;
  text.setText(QStringLiteral("/m/a.wav"));
  EXPECT_FALSE(Drop(List(), text));
  EXPECT_FALSE(Drop(&M(), text));
  EXPECT_EQ(p.Entries(), QList<QByteArray>{"x"});
  EXPECT_TRUE(Errors().isEmpty());
}

}  // namespace
}  // namespace ostrivo::test
