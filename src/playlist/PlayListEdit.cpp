#include "playlist/PlayListEdit.h"

#include <QScrollBar>

#include "framework/ListBox.h"

namespace ostrivo {

void AppendEntries(TListBox& list, std::vector<QByteArray> entries) {
  list.Items().AddStrings(std::move(entries));
}

int RemoveEntries(TListBox& list, const std::function<bool(const QByteArray&)>& match) {
  TStringsModel& items = list.Items();
  const std::vector<QByteArray>& all = items.Items();
  const int selected = items.ItemIndex();
  std::vector<QByteArray> kept;
  int newSelected = -1;
  int removed = 0;
  for (int i = 0; i < static_cast<int>(all.size()); ++i) {
    if (match(all[static_cast<size_t>(i)])) {
      ++removed;
      continue;
    }
    if (i == selected) newSelected = static_cast<int>(kept.size());
    kept.push_back(all[static_cast<size_t>(i)]);
  }
  if (removed == 0) return 0;
  items.Assign(std::move(kept));
  items.SetItemIndex(newSelected);
  return removed;
}

void KeepingScrollPosition(TListBox& list, const std::function<void()>& change) {
  const int vertical = list.verticalScrollBar()->value();
  const int horizontal = list.horizontalScrollBar()->value();
  change();
  // The view lays its items out lazily; the bars only take the old values once it has.
  list.doItemsLayout();
  list.verticalScrollBar()->setValue(vertical);
  list.horizontalScrollBar()->setValue(horizontal);
}

}  // namespace ostrivo
