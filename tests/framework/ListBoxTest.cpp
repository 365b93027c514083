#include <gtest/gtest.h>

#include <QSignalSpy>

#include "framework/ListBox.h"

using namespace ostrivo;

namespace {
QList<QByteArray> Entries(const TStringsModel& m) {
  return QList<QByteArray>(m.Items().begin(), m.Items().end());
}
}  // namespace

TEST(ListBoxModel, SelectionFollowsItsEntryOnInsertAndRemove) {
  TListBox box;
  auto& m = box.Items();
  for (const char* s : {"a", "b", "c", "d"}) m.Add(s);
  EXPECT_EQ(m.ItemIndex(), -1);
  m.SetItemIndex(2);
  m.Insert(3, "after");  // after the selection: unchanged
  EXPECT_EQ(m.ItemIndex(), 2);
  m.Insert(2, "at");  // at the selection: moves down
  EXPECT_EQ(m.ItemIndex(), 3);
  m.Insert(0, "before");
  EXPECT_EQ(m.ItemIndex(), 4);
  EXPECT_EQ(m[4], "c");
  m.Delete(0);  // before the selection: moves up
  EXPECT_EQ(m.ItemIndex(), 3);
  EXPECT_EQ(m[3], "c");
  m.Delete(4);  // after: unchanged
  EXPECT_EQ(m.ItemIndex(), 3);
  m.Delete(3);  // the selected entry: no selection
  EXPECT_EQ(m.ItemIndex(), -1);
  EXPECT_EQ(Entries(m), (QList<QByteArray>{"a", "b", "at", "d"}));
}

TEST(ListBoxModel, PutAndExchangeKeepTheSelectedPosition) {
  TListBox box;
  auto& m = box.Items();
  for (const char* s : {"a", "b", "c"}) m.Add(s);
  m.SetItemIndex(1);
  m.Put(1, "B");
  m.Exchange(1, 2);
  EXPECT_EQ(m.ItemIndex(), 1);
  EXPECT_EQ(Entries(m), (QList<QByteArray>{"a", "c", "B"}));
}

TEST(ListBoxModel, BytesRoundTripUnchanged) {
  TListBox box;
  const QByteArray odd("\xff\xfe caf\xe9 \x01", 10);
  box.Items().Add(odd);
  box.Items().Add(QByteArray());
  EXPECT_EQ(box.Items()[0], odd);
  EXPECT_TRUE(box.Items()[1].isEmpty());
  EXPECT_EQ(box.Items().rowCount(), 2);
}

TEST(ListBoxModel, SelectionOutOfRangeMeansNone) {
  TListBox box;
  box.Items().Add("x");
  box.SetItemIndex(5);
  EXPECT_EQ(box.ItemIndex(), -1);
  box.SetItemIndex(0);
  box.Items().Clear();
  EXPECT_EQ(box.ItemIndex(), -1);
  EXPECT_EQ(box.Count(), 0);
}

TEST(ListBoxModel, RearrangeKeepsTheIndexAsANumber) {
  TListBox box;
  for (const char* s : {"c", "a", "b"}) box.Items().Add(s);
  box.SetItemIndex(0);
  box.Items().Rearrange([](std::vector<QByteArray>& v) { std::sort(v.begin(), v.end()); });
  EXPECT_EQ(box.ItemIndex(), 0);
  EXPECT_EQ(box.Items()[0], "a");
  EXPECT_EQ(box.selectionModel()->currentIndex().row(), 0);
}

TEST(ListBox, ViewAndModelAgreeOnTheSelection) {
  TListBox box;
  for (const char* s : {"a", "b", "c"}) box.Items().Add(s);
  // A click in the view selects in the model...
  box.selectionModel()->setCurrentIndex(box.Items().index(2), QItemSelectionModel::ClearAndSelect);
  EXPECT_EQ(box.ItemIndex(), 2);
  // ...and the program's selection shows in the view.
  box.SetItemIndex(1);
  EXPECT_EQ(box.selectionModel()->currentIndex().row(), 1);
  EXPECT_TRUE(box.selectionModel()->isRowSelected(1, QModelIndex()));
  box.Items().Delete(1);
  EXPECT_EQ(box.ItemIndex(), -1);
  EXPECT_FALSE(box.selectionModel()->hasSelection());
}
