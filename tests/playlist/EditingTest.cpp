// The editing commands and the insert-pause dialog.

#include <QCollator>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <algorithm>

#include "framework/ListBox.h"
#include "playlist/EntrySort.h"
#include "playlist/InsPauseUnit.h"
#include "playlist/PlayListFixture.h"

namespace ostrivo::test {
namespace {

using Editing = PlayList;

TEST_F(Editing, AddAppendsTheChosenFilesInTheDialogsOrder) {
  p.SetEntries({"first", "second"});
  p.Main().ListBox1->SetItemIndex(0);
  p.dialogs.openAnswers.push_back({"/m/c.wav", "/m/a.wav", "/m/b.wav"});
  Do(&TMainForm::AddButtonClick);
  ASSERT_EQ(p.dialogs.openRequests.size(), 1u);
  EXPECT_EQ(p.dialogs.openRequests[0].FilterIndex, 2);
  EXPECT_TRUE(p.dialogs.openRequests[0].MultiSelect);
  EXPECT_EQ(p.Entries(),
            (QList<QByteArray>{"first", "second", "/m/c.wav", "/m/a.wav", "/m/b.wav"}));
  EXPECT_EQ(p.Selected(), 0);

  // Cancelling adds nothing; a file already in the list is added again.
  Do(&TMainForm::AddButtonClick);
  EXPECT_EQ(p.Entries().size(), 5);
  p.dialogs.openAnswers.push_back({"/m/a.wav"});
  Do(&TMainForm::AddButtonClick);
  EXPECT_EQ(p.Entries().size(), 6);
  EXPECT_EQ(p.Entries().last(), QByteArray("/m/a.wav"));
}

TEST_F(Editing, ManyAddedFilesReachTheViewAsOneInsertionKeepingTheSelection) {
  p.SetEntries({"a", "b", "c"});
  p.Main().ListBox1->SetItemIndex(1);
  QStringList chosen;
  for (int i = 0; i < 500; ++i) chosen << QStringLiteral("/m/%1.wav").arg(i);
  p.dialogs.openAnswers.push_back(chosen);
  QSignalSpy inserted(&p.Main().ListBox1->Items(), &QAbstractItemModel::rowsInserted);
  Do(&TMainForm::AddButtonClick);
  EXPECT_EQ(inserted.count(), 1);
  EXPECT_EQ(p.Entries().size(), 503);
  EXPECT_EQ(p.Entries()[502], QByteArray("/m/499.wav"));
  EXPECT_EQ(p.Selected(), 1);
  EXPECT_EQ(p.Main().ListBox1->currentIndex().row(), 1);
}

TEST_F(Editing, RemoveTakesTheSelectedEntryAndLeavesNoSelection) {
  p.SetEntries({"a", "b", "c"});
  Do(&TMainForm::RemoveButtonClick);  // nothing selected: nothing happens
  EXPECT_EQ(p.Entries().size(), 3);

  p.Main().ListBox1->SetItemIndex(1);
  Do(&TMainForm::RemoveButtonClick);
  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"a", "c"}));
  EXPECT_EQ(p.Selected(), -1);

  p.SetEntries({"only"});
  p.Main().ListBox1->SetItemIndex(0);
  Do(&TMainForm::RemoveButtonClick);
  EXPECT_TRUE(p.Entries().isEmpty());
  EXPECT_EQ(p.Selected(), -1);
}

TEST_F(Editing, MoveDownAndUpSwapWithTheNeighbourAndFollowTheEntry) {
  p.SetEntries({"0", "1", "2", "3", "4"});
  p.Main().ListBox1->SetItemIndex(2);
  Do(&TMainForm::DownButtonClick);
  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"0", "1", "3", "2", "4"}));
  EXPECT_EQ(p.Selected(), 3);

  Do(&TMainForm::UpButtonClick);
  Do(&TMainForm::UpButtonClick);
  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"0", "2", "1", "3", "4"}));
  EXPECT_EQ(p.Selected(), 1);
}

TEST_F(Editing, MovesAtTheEndsOrWithoutSelectionChangeNothing) {
  const QList<QByteArray> entries{"a", "b", "c"};
  p.SetEntries(entries);
  Do(&TMainForm::UpButtonClick);
  Do(&TMainForm::DownButtonClick);
  p.Main().ListBox1->SetItemIndex(0);
  Do(&TMainForm::UpButtonClick);
  EXPECT_EQ(p.Selected(), 0);
  p.Main().ListBox1->SetItemIndex(2);
  Do(&TMainForm::DownButtonClick);
  EXPECT_EQ(p.Selected(), 2);
  EXPECT_EQ(p.Entries(), entries);
  EXPECT_TRUE(p.dialogs.messages.empty());
}

TEST_F(Editing, RandomizeOfTwoEntriesAlwaysReversesThem) {
  for (int minute = 0; minute < 24 * 60; minute += 97) {
    p.time.SetLocalTime(QTime(0, 0).addSecs(minute * 60 + 7));
    p.SetEntries({"a", "b"});
    Do(&TMainForm::RandomizeButtonClick);
    EXPECT_EQ(p.Entries(), (QList<QByteArray>{"b", "a"})) << "minute " << minute;
  }
  p.SetEntries({"one"});
  Do(&TMainForm::RandomizeButtonClick);
  EXPECT_EQ(p.Entries(), QList<QByteArray>{"one"});
  EXPECT_EQ(p.Status(), QStringLiteral("Randomizing done."));
}

TEST_F(Editing, RandomizeShufflesInPlaceKeepingTheSelectedIndex) {
  QList<QByteArray> entries;
  for (int i = 0; i < 12; ++i) entries << QByteArray::number(i);
  int orders = 0;
  QList<QByteArray> previous;
  for (int second = 0; second < 40; ++second) {
    p.time.SetLocalTime(QTime(9, 0).addSecs(second * 61));
    p.SetEntries(entries);
    p.Main().ListBox1->SetItemIndex(4);
    Do(&TMainForm::RandomizeButtonClick);
    QList<QByteArray> shuffled = p.Entries();
    EXPECT_EQ(p.Selected(), 4);
    // Every draw is below n - 1, so the entry that was last is always moved away.
    EXPECT_NE(shuffled.last(), entries.last());
    if (shuffled != previous) ++orders;
    previous = shuffled;
    std::sort(shuffled.begin(), shuffled.end());
    QList<QByteArray> sorted = entries;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(shuffled, sorted);
  }
  EXPECT_GT(orders, 30);  // re-seeded from the time of day each time

  p.SetEntries({});
  Do(&TMainForm::RandomizeButtonClick);
  EXPECT_EQ(p.Status(), QStringLiteral("Randomizing done."));
}

TEST_F(Editing, RandomizeDuringPlaybackRestartsAtTheSelectedIndex) {
  QList<QByteArray> entries;
  for (int i = 0; i < 8; ++i) {
    entries << "/m/" + QByteArray::number(i) + ".wav";
    p.media.AddFile(entries.last(), 60000);
  }
  p.SetEntries(entries);
  p.Main().ListBox1->SetItemIndex(2);
  Do(&TMainForm::PlayButtonClick);
  p.time.Advance(5000);
  ASSERT_TRUE(M().Active());
  const int opens = p.media.OpenCount();

  Do(&TMainForm::RandomizeButtonClick);
  EXPECT_TRUE(Errors().isEmpty());
  EXPECT_NE(p.Entries(), entries);
  EXPECT_EQ(p.Selected(), 2);
  EXPECT_TRUE(M().Active());
  EXPECT_GT(p.media.OpenCount(), opens);
  // The entry now at the selected index plays, from its start.
  EXPECT_EQ(p.media.OpenPath(), p.Entries()[2]);
  EXPECT_TRUE(p.media.IsPlaying());
  EXPECT_LT(p.media.PositionMs(), 100);
}

TEST_F(Editing, SortIgnoresCaseAndKeepsTheSelectedPosition) {
  p.SetEntries({"b.wav", "Stop", "A.wav"});
  p.Main().ListBox1->SetItemIndex(1);
  Do(&TMainForm::SortButtonClick);
  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"A.wav", "b.wav", "Stop"}));
  EXPECT_EQ(p.Selected(), 1);
  // The list is not kept sorted: a later entry goes to the end.
  p.Main().ListBox1->Items().Add("a.wav");
  EXPECT_EQ(p.Entries().last(), QByteArray("a.wav"));
}

TEST_F(Editing, SortKeepsTheScrollPosition) {
  M().resize(400, 300);
  M().show();
  std::vector<QByteArray> entries;
  for (int i = 0; i < 2000; ++i)
    entries.push_back("/m/" + QByteArray::number((i * 7919) % 2000) + ".wav");
  p.Main().ListBox1->Items().Assign(entries);
  TListBox& list = *p.Main().ListBox1;
  list.doItemsLayout();
  list.verticalScrollBar()->setValue(list.verticalScrollBar()->maximum() / 2);
  const int scroll = list.verticalScrollBar()->value();
  ASSERT_GT(scroll, 0);
  Do(&TMainForm::SortButtonClick);
  EXPECT_EQ(list.verticalScrollBar()->value(), scroll);
  M().hide();
}

// The order a plain comparison sort with the collator gives.
std::vector<QByteArray> CollatorOrder(std::vector<QByteArray> entries, const QCollator& c) {
  std::stable_sort(entries.begin(), entries.end(), [&](const QByteArray& a, const QByteArray& b) {
    return c.compare(QString::fromUtf8(a), QString::fromUtf8(b)) < 0;
  });
  return entries;
}

TEST(EntrySort, AgreesWithTheCollatorInLocalesThatDoNotSortLetterByLetter) {
  // Paths with case, digits, punctuation and accents; "aa", "ch" and "ll" are single letters
  // in some collations, accents count only after the letters in others, control characters
  // are ignored by most.
  const char* parts[] = {"a",
                         "A",
                         "aa",
                         "Ab",
                         "b",
                         "ch",
                         "Ch",
                         "ci",
                         "h",
                         "ll",
                         "lo",
                         "é",
                         "e",
                         "É",
                         "f",
                         "z",
                         "Å",
                         "ø",
                         "_",
                         "-",
                         " ",
                         "1",
                         "10",
                         "2",
                         "\t",
                         "\xe2\x80\x8b",
                         "\xf0\x9f\x8e\xb5",
                         "x",
                         "~",
                         "."};
  std::vector<QByteArray> entries;
  uint32_t seed = 12345;
  for (int i = 0; i < 3000; ++i) {
    QByteArray e = "/";
    const int n = 1 + static_cast<int>(seed % 5);
    for (int k = 0; k < n; ++k) {
      seed = seed * 1103515245u + 12345u;
      e += parts[(seed >> 16) % (sizeof parts / sizeof *parts)];
    }
    entries.push_back(e);
  }
  entries.push_back("Stop");
  entries.push_back("stop");
  entries.push_back("Pause: 5");
  entries.push_back(QByteArray("\xff\xfe bad bytes"));
  for (const char* locale : {"C", "en_US", "da_DK", "cs_CZ", "es_ES", "fr_CA", "sv_SE", "ja_JP"}) {
    QCollator collator{QLocale(QString::fromLatin1(locale))};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QByteArray> sorted = entries;
    SortEntries(sorted, collator);
    EXPECT_EQ(sorted, CollatorOrder(entries, collator)) << locale;
  }
}

TEST(EntrySort, PlainAsciiPathsSortLikeTheCollatorAndEqualOnesKeepTheirOrder) {
  std::vector<QByteArray> entries;
  for (int i = 0; i < 20000; ++i) {
    const int k = (i * 7919) % 20000;
    entries.push_back("/home/user/Music/" + QByteArray(k % 3 == 0 ? "Rock" : "rock") + "/" +
                      QByteArray::number(k % 97) + " - Track " + QByteArray::number(k % 13) +
                      ".mp3");
  }
  QCollator collator{QLocale(QStringLiteral("en_US"))};
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::vector<QByteArray> sorted = entries;
  SortEntries(sorted, collator);
  EXPECT_EQ(sorted, CollatorOrder(entries, collator));
}

// ---- Inserting marks ----

TEST_F(Editing, InsertPauseAfterTheSelectedEntryKeepsTheSelection) {
  p.SetEntries({"a", "b", "c"});
  p.Main().ListBox1->SetItemIndex(0);
  p.dialogs.modalAnswers.push_back([](QDialog& d) {
    auto& form = dynamic_cast<TInsPauseForm&>(d);
    form.Edit1->setText(QStringLiteral("5"));
    form.OKButtonClick(form.OKButton);
    return form.result();
  });
  Do(&TMainForm::InsPauseButtonClick);
  EXPECT_EQ(p.dialogs.modalTitles, std::vector<QString>{QStringLiteral("Insert pause")});
  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"a", "Pause: 5", "b", "c"}));
  EXPECT_EQ(p.Selected(), 0);
  // The field keeps its text for the next use.
  EXPECT_EQ(p.InsPause().Edit1->text(), QStringLiteral("5"));
}

TEST_F(Editing, InsertPauseTakesTheTextAsTypedAndCancelInsertsNothing) {
  p.SetEntries({"a"});
  p.dialogs.modalAnswers.push_back([](QDialog& d) {
    auto& form = dynamic_cast<TInsPauseForm&>(d);
    form.Edit1->setText(QStringLiteral("soon"));
    form.OKButtonClick(form.OKButton);
    return form.result();
  });
  Do(&TMainForm::InsPauseButtonClick);  // nothing selected: at the top
  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"Pause: soon", "a"}));
  EXPECT_EQ(p.Selected(), -1);

  p.dialogs.modalAnswers.push_back([](QDialog& d) {
    auto& form = dynamic_cast<TInsPauseForm&>(d);
    form.Edit1->setText(QStringLiteral("9"));
    form.CancelButtonClick(form.CancelButton);
    return form.result();
  });
  Do(&TMainForm::InsPauseButtonClick);
  EXPECT_EQ(p.Entries().size(), 2);
}

TEST_F(Editing, InsertStopAndQuitGoRightAfterTheSelection) {
  p.SetEntries({"a", "b"});
  Do(&TMainForm::InsStopButtonClick);
  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"Stop", "a", "b"}));
  p.Main().ListBox1->SetItemIndex(2);
  Do(&TMainForm::InsQuitButtonClick);
  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"Stop", "a", "b", "Quit"}));
  EXPECT_EQ(p.Selected(), 2);
  p.Main().ListBox1->SetItemIndex(1);
  Do(&TMainForm::InsStopButtonClick);
  EXPECT_EQ(p.Entries(), (QList<QByteArray>{"Stop", "a", "Stop", "b", "Quit"}));
  EXPECT_EQ(p.Selected(), 1);
}

TEST_F(Editing, TheUpDownStepsFromTheFieldWithinZeroToHundred) {
  TInsPauseForm& form = p.InsPause();
  EXPECT_EQ(form.Edit1->text(), QStringLiteral("0"));
  form.UpDown1->DownArrow()->click();
  EXPECT_EQ(form.Edit1->text(), QStringLiteral("0"));  // no wrap-around
  form.UpDown1->UpArrow()->click();
  EXPECT_EQ(form.Edit1->text(), QStringLiteral("1"));
  form.Edit1->setText(QStringLiteral("99"));
  form.UpDown1->UpArrow()->click();
  form.UpDown1->UpArrow()->click();
  EXPECT_EQ(form.Edit1->text(), QStringLiteral("100"));
  form.Edit1->setText(QStringLiteral("abc"));  // not a number: the control's own position
  form.UpDown1->DownArrow()->click();
  EXPECT_EQ(form.Edit1->text(), QStringLiteral("99"));
}

}  // namespace
}  // namespace ostrivo::test
